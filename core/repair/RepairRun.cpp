// The whole ladder repair of one project: the placeholder pass, the compile
// rounds with escalation and the stop rule, the end with its upload, result
// and report section.
#include "core/repair/AIRepairer.hpp"

#include "core/repair/GradleRunner.hpp"
#include "core/support/Cancelled.hpp"
#include "core/support/ErrorText.hpp"
#include "core/support/Files.hpp"
#include "core/support/Text.hpp"
#include "core/support/Time.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <climits>
#include <system_error>
#include <thread>

namespace tovrane {

namespace {

namespace fs = std::filesystem;
using namespace repair_event;

// The Claude Code tool runs on the user's subscription, which allows few
// sessions at a time.
constexpr int claudeCodeWindow = 3;

std::string number(long long value) { return std::to_string(value); }

}  // namespace

AIRepairResult AIRepairer::run() {
  if (ladder_.empty()) throw AIRepairError::noProvider();

  // The package's own files; the activity is generated anew and subfolders
  // are not ours. Progress counts these alone, so it can reach its total.
  if (const std::optional<fs::path> folder = insideProject(packageFolder())) {
    try {
      for (fs::path& child : files::listChildren(*folder, {.includeHidden = true}))
        if (child.extension() == ".kt" && child.filename() != "MainActivity.kt")
          candidates_.push_back(std::move(child));
    } catch (const files::FileError&) {
    }
  } else {
    appendLog("Der Paketordner liegt außerhalb des Projekts und wird nicht bearbeitet.");
  }
  std::vector<std::pair<int, fs::path>> counted;
  for (const fs::path& file : candidates_) {
    const int count = placeholders(readInside(file).value_or(""));
    initialPlaceholders_ += count;
    if (count > 0) counted.emplace_back(count, file);
  }
  emit(Progress{0, initialPlaceholders_});

  // Files with fewer placeholders first: cheap wins, and the first file teaches the rest.
  std::stable_sort(counted.begin(), counted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  emit(Status{ladder_.front().label() + " ergänzt " + number(static_cast<long long>(counted.size())) +
              " Dateien mit offenen Stellen …"});

  AIRepairResult result;
  if (!counted.empty()) {
    const fs::path& first = counted.front().second;
    try {
      repair(first, {});
      result.filesRepaired = 1;
    } catch (const AIRepairError& error) {
      bool anyAlive = false;
      {
        std::lock_guard lock(mutex_);
        for (const ModelTier& tier : ladder_) anyAlive = anyAlive || !deadProviders_.contains(tier.provider);
        if (anyAlive) log_.push_back(first.filename().string() + ": " + error.what());
      }
      if (!anyAlive) throw;
    }
    std::vector<WorkItem> rest;
    for (auto it = counted.begin() + 1; it != counted.end(); ++it) rest.push_back({it->second, {}});
    result.filesRepaired += repairAll(rest);
  }

  compileRounds(result);

  // What is left in the package's files, the activity's included: the same
  // count as the conversion's, so that the two can be compared.
  if (const std::optional<fs::path> folder = insideProject(packageFolder()))
    result.remainingPlaceholders = countPlaceholders(*folder);
  const bool notCompiled = result.compiled.has_value() && !*result.compiled;
  if (!notCompiled) {
    std::vector<FixKnowledge::Fix> fixes;
    {
      std::lock_guard lock(mutex_);
      fixes = harvested_;
    }
    options_.knowledge.upload(fixes);
  }
  {
    std::lock_guard lock(mutex_);
    result.costUSD = cost_;
    result.log = log_;
    result.modelUsage = usage_;
  }
  try {
    writeReport(result);
  } catch (const std::exception&) {
    // The report is a courtesy; the result stands without it.
  }
  return result;
}

void AIRepairer::compileRounds(AIRepairResult& result) {
  const std::optional<GradleRunner> runner = GradleRunner::create(project_, host_);
  if (!runner) {
    emit(Status{"Android Studio nicht gefunden – Kompilierprüfung übersprungen."});
    return;
  }
  if (isCancelled()) return;

  const int maxRounds = std::max(1, options_.maxCompileRounds);
  int previous = INT_MAX;
  bool stalled = false;
  const auto stop = [&](bool compiled, int remainingErrors) {
    result.compiled = compiled;
    result.remainingErrors = remainingErrors;
  };
  for (int round = 1;; ++round) {
    emit(Status{"Gradle kompiliert das Projekt (Runde " + number(round) + ") …"});
    const CompileCheck check = runner->compileErrors(stop_.get_token());
    if (check.run.cancelled) {
      // A build ended by the cancel checked nothing: the last round's count stands.
      if (previous != INT_MAX) stop(false, previous);
      return;
    }
    int errors = 0;
    for (const auto& [path, lines] : check.errors) errors += static_cast<int>(lines.size());
    emit(CompileRound{round, errors});

    if (check.errors.empty()) {
      if (check.run.ok) return stop(true, 0);
      // No network for Gradle's first run, a missing SDK platform, a resource
      // error: no model can help, and the project did not compile.
      const std::string line = "Gradle-Build fehlgeschlagen: " + GradleRunner::failureReason(check.run);
      emit(Status{line});
      appendLog(line);
      return stop(false, 0);
    }
    if (round == maxRounds) return stop(false, errors);

    std::vector<std::string> names;
    for (const auto& [path, lines] : check.errors) names.push_back(fs::path(path).filename().string());
    const bool noProgress = errors >= previous;
    if (noProgress && stalled) {
      emit(Status{"Kein Fortschritt mehr – Abbruch, um Kosten zu sparen."});
      return stop(false, errors);
    }
    // A round without progress sends its files one rung higher still.
    escalateLevels(names, noProgress ? 2 : 1);
    stalled = stalled || noProgress;
    emit(Status{"Behebt " + number(errors) + " Kompilierfehler in " +
                number(static_cast<long long>(check.errors.size())) + " Dateien …"});

    std::vector<WorkItem> work;
    for (const auto& [path, lines] : check.errors) {
      // The runtime library is never sent to a model.
      if (path.find("/tovrane/runtime/") != std::string::npos) continue;
      if (auto file = repairablePath(path)) work.push_back({std::move(*file), lines});
    }
    result.filesRepaired += repairAll(work);
    if (isCancelled()) return stop(false, errors);
    previous = errors;
  }
}

std::optional<fs::path> AIRepairer::repairablePath(const std::string& printed) const {
  // The path is the compiler's output: it is used only in the resolved form
  // that was checked, and only inside the project's sources.
  std::optional<fs::path> path = insideProject(printed);
  if (!path || !files::isWithin(resolvedProject_ / "app/src", *path)) return std::nullopt;
  return path;
}

int AIRepairer::repairAll(const std::vector<WorkItem>& work) {
  int window = std::max(0, options_.parallelRequests);
  if (ladder_.front().provider == AIProvider::claudeCode) window = std::min(window, claudeCodeWindow);
  const std::size_t workers = std::min(static_cast<std::size_t>(window), work.size());
  if (workers == 0) return 0;

  // Each worker takes the next file in list order as soon as it is free, so
  // a slow request holds back only its own slot.
  std::atomic<std::size_t> next{0};
  std::atomic<int> repaired{0};
  const auto worker = [&] {
    for (std::size_t i = next++; i < work.size(); i = next++)
      if (repairLogged(work[i])) ++repaired;
  };
  {
    std::vector<std::jthread> helpers;
    for (std::size_t k = 1; k < workers; ++k) {
      try {
        helpers.emplace_back(worker);
      } catch (const std::system_error&) {
        break;  // fewer threads, same work
      }
    }
    worker();
  }
  return repaired;
}

bool AIRepairer::repairLogged(const WorkItem& item) {
  const std::string name = item.file.filename().string();
  try {
    repair(item.file, item.errors);
    return true;
  } catch (const Cancelled&) {
  } catch (const std::exception& error) {
    appendLog(name + ": " + errortext::describe(error));
  } catch (...) {
    appendLog(name + ": Unbekannter Fehler.");
  }
  return false;
}

void AIRepairer::writeReport(const AIRepairResult& result) const {
  files::appendToExisting(resolvedProject_ / "TOVRANE_BERICHT.md", reportSection(result, utcNow()));
}

std::string AIRepairer::reportSection(const AIRepairResult& result, std::string_view date) {
  std::string out = "\n\n## KI-Reparatur (" + std::string(date) + ")\n\n";
  out += "- Dateien bearbeitet: " + number(result.filesRepaired) + "\n";
  std::vector<std::string> models;
  for (const auto& [label, count] : result.modelUsage) models.push_back(label + " \u00D7" + number(count));
  out += "- Modelle: " + text::join(models, ", ") + "\n";
  out += "- Verbleibende Platzhalter: " + number(result.remainingPlaceholders) + "\n";
  if (result.compiled) {
    out += "- Kompiliert: ";
    out += *result.compiled ? std::string("ja \u2705") : "nein \u2013 " + number(result.remainingErrors) + " Fehler übrig";
    out += "\n";
  }
  // Independent of the process's locale: always a decimal point.
  std::array<char, 400> cost{};
  const auto written = std::to_chars(cost.data(), cost.data() + cost.size(), result.costUSD, std::chars_format::fixed, 2);
  out += "- Geschätzte API-Kosten: " + std::string(cost.data(), written.ptr) + " $\n";
  for (const std::string& line : result.log) out += "- \u26A0\uFE0E " + line + "\n";
  return out;
}

}  // namespace tovrane
