// The repairer's state and the repair of one file: prompt, ladder walk,
// answer check, write, and the placeholder counts.
#include "core/repair/AIRepairer.hpp"

#include "core/project/Converter.hpp"
#include "core/support/Cancelled.hpp"
#include "core/support/Files.hpp"
#include "core/support/Text.hpp"

#include <algorithm>

namespace tovrane {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view codeMarker = "TODO(\"tovrane";
constexpr std::string_view viewMarker = "Unsupported(\"";
constexpr std::size_t examplesBudget = 6000;
constexpr std::size_t maxErrorLinesInPrompt = 80;

int occurrences(std::string_view text, std::string_view marker) {
  int count = 0;
  for (auto at = text.find(marker); at != std::string_view::npos; at = text.find(marker, at + marker.size())) ++count;
  return count;
}

// The provider cannot serve this run any more: no credit, a rejected key, an
// unknown model, or the subscription's limit.
bool retiresProvider(const AIRepairError& error) {
  if (error.kind() != AIRepairError::Kind::http) return false;
  const int status = error.status();
  const auto holds = [&](std::string_view word) { return error.detail().find(word) != std::string::npos; };
  return (status == 400 && holds("credit")) || status == 401 || status == 403 || status == 404 ||
         (status == 429 && holds("Abo-Limit"));
}

}  // namespace

AIRepairer::AIRepairer(fs::path project, AIRepairOptions options, Events events, const Host& host,
                       Endpoints endpoints, RateGate& gate)
    : project_(std::move(project)),
      resolvedProject_([this] {
        std::error_code error;
        fs::path resolved = fs::weakly_canonical(project_, error);
        return error ? files::normalPath(project_) : resolved;
      }()),
      options_(std::move(options)),
      host_(host),
      client_(options_.keys, options_.claudeCodePath, std::move(endpoints), gate, host),
      ladder_(options_.ladder()),
      events_(std::move(events)) {}

void AIRepairer::cancel() { stop_.request_stop(); }

bool AIRepairer::isCancelled() const { return stop_.stop_requested(); }

void AIRepairer::emit(const AIRepairEvent& event) const {
  if (events_) events_(event);
}

void AIRepairer::appendLog(std::string line) {
  std::lock_guard lock(mutex_);
  log_.push_back(std::move(line));
}

const AIRepairer::Manifest& AIRepairer::manifest() const {
  std::call_once(manifestOnce_, [this] {
    if (!insideProject(project_ / ".tovrane/manifest.json")) return;
    if (const auto read = readManifest(project_)) {
      manifest_.packageName = trustedPackageName(*read);
      manifest_.files = trustedFiles(*read);
    }
  });
  return manifest_;
}

fs::path AIRepairer::packageFolder() const {
  fs::path folder = project_ / "app/src/main/java";
  if (const auto& name = manifest().packageName) folder /= text::replaceAll(*name, ".", "/");
  return folder;
}

std::optional<fs::path> AIRepairer::insideProject(const fs::path& path) const {
  std::error_code error;
  fs::path resolved = fs::weakly_canonical(path, error);
  if (error || !files::isWithin(resolvedProject_, resolved)) return std::nullopt;
  return resolved;
}

std::optional<std::string> AIRepairer::readUtf8(const fs::path& path) {
  try {
    std::string text = files::readRegularFile(path, maxRepairFileBytes);
    if (text::isValidUtf8(text)) return text;
  } catch (const files::FileError&) {
  }
  return std::nullopt;
}

std::optional<std::string> AIRepairer::readInside(const fs::path& path) const {
  const std::optional<fs::path> resolved = insideProject(path);
  return resolved ? readUtf8(*resolved) : std::nullopt;
}

int AIRepairer::startLevel(const fs::path& file, std::string_view code, const std::vector<std::string>& errors) const {
  int remembered = 0;
  {
    std::lock_guard lock(mutex_);
    if (const auto found = level_.find(file.filename().string()); found != level_.end()) remembered = found->second;
  }
  const int placeholderCount = placeholders(code);
  int lines = 0;
  text::forEachLine(code, text::LineEnds::lf, [&](std::string_view line) { lines += !line.empty(); });
  const std::size_t errorCount = errors.size();
  const int rungs = static_cast<int>(ladder_.size());

  const bool big = placeholderCount > 6 || lines > 450 || errorCount > 12;
  const bool small = placeholderCount <= 3 && lines <= 250 && errorCount < 5;
  int start = std::max(remembered, big ? 1 : 0);
  // With a local model, small files stay on the machine and the rest go
  // straight to the cloud, unless a cloud rung is already remembered.
  if (rungs >= 2 && ladder_[0].provider == AIProvider::local && remembered == 0 && !small) start = big ? 2 : 1;
  return std::max(0, std::min(start, rungs - 1));
}

std::string AIRepairer::userText(const std::string& name, const std::string& code,
                                 const std::vector<std::string>& errors) const {
  std::string swiftPart;
  const auto& sources = manifest().files;
  if (const auto entry = sources.find(name); entry != sources.end()) {
    if (const auto swift = readUtf8(entry->second))
      swiftPart = "Swift original (" + fs::path(entry->second).filename().string() + "):\n```swift\n" + *swift +
                  "\n```\n\n";
  }

  const std::string outlinePart =
      "Public declarations of the generated files in this package:\n```kotlin\n" + packageOutline() + "```\n\n";

  std::vector<std::string> keys;
  for (auto& placeholder : FixKnowledge::placeholderKeys(code)) keys.push_back(std::move(placeholder.key));
  for (const std::string& error : errors) keys.push_back(FixKnowledge::errorKey(error).key);
  const std::string examplesPart = options_.knowledge.examples(keys, examplesBudget);

  std::string errorsPart;
  if (!errors.empty()) {
    const std::vector<std::string> shown(errors.begin(),
                                         errors.begin() + std::min(errors.size(), maxErrorLinesInPrompt));
    errorsPart = "Compiler errors in this file:\n" + text::join(shown, "\n") + "\n\n";
  }

  const std::string filePart = "Generated Kotlin file " + name + " to fix:\n```kotlin\n" + code + "\n```";
  return swiftPart + outlinePart + examplesPart + errorsPart + filePart;
}

void AIRepairer::repair(const fs::path& file, const std::vector<std::string>& errors) {
  const std::string name = file.filename().string();
  emit(repair_event::FileStarted{name});
  // Building the request asks the fixes service with snippets of the user's code.
  if (isCancelled()) throw Cancelled();
  // A link may lead out of the project (a shared source folder, say): what
  // lies there is not the project's to send or to overwrite.
  const std::optional<fs::path> inside = insideProject(file);
  if (!inside) throw files::FileError(file, "Die Datei liegt außerhalb des Projekts und wird nicht bearbeitet.");
  const std::string code = files::readRegularFile(*inside, maxRepairFileBytes);
  if (!text::isValidUtf8(code)) throw files::FileError(file, "Die Datei ist kein gültiges UTF-8.");
  const std::string user = userText(name, code, errors);

  const int rungs = static_cast<int>(ladder_.size());
  AIRepairError last = AIRepairError::noProvider();
  for (int i = startLevel(file, code, errors); i < rungs; ++i) {
    const ModelTier& tier = ladder_[i];
    if (isCancelled()) throw Cancelled();
    {
      std::lock_guard lock(mutex_);
      // A skipped rung fails for the reason its provider was given up.
      if (const auto dead = deadProviders_.find(tier.provider); dead != deadProviders_.end()) {
        last = dead->second;
        continue;
      }
    }
    const auto failRung = [&](const AIRepairError& error, bool retire) {
      last = error;
      if (retire) {
        std::lock_guard lock(mutex_);
        deadProviders_.try_emplace(tier.provider, error);
      }
      if (i + 1 < rungs) emit(repair_event::Escalated{name, ladder_[i + 1].label()});
    };
    const bool compact = tier.provider == AIProvider::local || tier.provider == AIProvider::claudeCode;
    const APIClient::SystemBlocks& blocks = compact ? compactSystem() : system();
    std::string repaired;
    try {
      const APIClient::Reply reply = client_.send(tier, blocks, user, stop_.get_token());
      record(reply, tier);
      std::optional<std::string> extracted = extractKotlin(reply.text);
      if (!extracted) throw AIRepairError::noCode();
      // Below the last rung a placeholder left over is a reason to go higher.
      validate(*extracted, code, i != rungs - 1);
      files::writeAtomic(*inside, *extracted);
      repaired = std::move(*extracted);
    } catch (const AIRepairError& error) {
      failRung(error, retiresProvider(error));
      continue;
    } catch (const http::HttpError& error) {
      // No answer is a failed answer: the next rung may well give one. A
      // provider still unreachable after the client's retries is given up,
      // since all its rungs live on the same server.
      failRung(AIRepairError::failed(0, error.what()), error.kind() == http::ErrorKind::network);
      continue;
    }
    accept(name, i, code, repaired, errors);
    return;
  }
  throw last;
}

void AIRepairer::accept(const std::string& name, int rung, const std::string& code, const std::string& repaired,
                        const std::vector<std::string>& errors) {
  std::vector<FixKnowledge::Fix> fixes = FixKnowledge::harvest(code, repaired, errors, ladder_[rung].label());
  {
    std::lock_guard lock(mutex_);
    level_[name] = rung;
    harvested_.insert(harvested_.end(), std::make_move_iterator(fixes.begin()), std::make_move_iterator(fixes.end()));
  }
  emit(repair_event::FileFinished{name});
  emit(repair_event::Progress{std::max(0, initialPlaceholders_ - placeholdersLeft()), initialPlaceholders_});
}

int AIRepairer::placeholdersLeft() const {
  int count = 0;
  for (const fs::path& file : candidates_) count += placeholders(readInside(file).value_or(""));
  return count;
}

void AIRepairer::record(const APIClient::Reply& reply, const ModelTier& tier) {
  const std::string label = tier.label();
  repair_event::Usage usage;
  repair_event::Cost cost;
  {
    std::lock_guard lock(mutex_);
    inTok_ += reply.input;
    outTok_ += reply.output;
    cacheTok_ += reply.cached;
    const auto dollars = [](long long tokens, double perMillion) {
      return static_cast<double>(tokens) * perMillion / 1'000'000;
    };
    cost_ += dollars(reply.output, tier.prices.output) + dollars(reply.input - reply.cacheWrites, tier.prices.input) +
             dollars(reply.cacheWrites, tier.prices.cacheWrite) + dollars(reply.cached, tier.prices.cached);
    ++usage_[label];
    usage = {inTok_, outTok_, cacheTok_};
    cost = {cost_};
  }
  emit(usage);
  emit(cost);
}

void AIRepairer::escalateLevels(const std::vector<std::string>& names, int steps) {
  const int top = static_cast<int>(ladder_.size()) - 1;
  std::lock_guard lock(mutex_);
  for (const std::string& name : names) {
    if (const auto found = level_.find(name); found != level_.end())
      found->second = std::max(0, std::min(found->second + steps, top));
  }
}

int AIRepairer::placeholders(std::string_view text) {
  return occurrences(text, codeMarker) + occurrences(text, viewMarker);
}

int AIRepairer::countPlaceholders(const fs::path& folder) {
  std::vector<fs::path> found;
  try {
    found = files::listFiles(folder, {.includeHidden = true, .followSymlinks = false});
  } catch (const files::FileError&) {
    return 0;
  }
  int count = 0;
  for (const fs::path& file : found) {
    if (file.extension() != ".kt") continue;
    if (const auto text = readUtf8(file)) count += placeholders(*text);
  }
  return count;
}

std::optional<std::string> AIRepairer::extractKotlin(std::string_view answer) {
  std::size_t marker = answer.find("```kotlin");
  std::size_t markerLength = 9;
  if (marker == std::string_view::npos) {
    marker = answer.find("```kt");
    markerLength = 5;
  }
  if (marker == std::string_view::npos) return std::nullopt;
  const std::string_view rest = answer.substr(marker + markerLength);
  // The block ends at its own closing fence: whatever follows (another
  // block, a Gradle snippet, notes) is no part of the file.
  const std::size_t close = rest.find("\n```");
  if (close == std::string_view::npos) return std::nullopt;
  return std::string(text::trimNewlines(rest.substr(0, close))) + "\n";
}

std::optional<std::string> AIRepairer::packageLine(std::string_view text) {
  std::optional<std::string> found;
  text::forEachLine(text, text::LineEnds::lf, [&](std::string_view line) {
    if (!found && text::startsWith(line, "package ")) found = std::string(line);
  });
  return found;
}

void AIRepairer::validate(std::string_view newText, std::string_view original, bool strict) {
  if (packageLine(newText) != packageLine(original)) throw AIRepairError::invalid("Paketzeile verändert");

  // Braces outside string literals, roughly: a quote not after a backslash
  // toggles the string state; character literals and comments are not known,
  // hence the tolerance of one.
  bool inString = false;
  long depth = 0;
  std::size_t characters = 0;
  std::string_view previous = " ";
  text::forEachGrapheme(newText, [&](std::string_view character) {
    if (character == "\"" && previous != "\\") inString = !inString;
    else if (!inString && character == "{") ++depth;
    else if (!inString && character == "}") --depth;
    previous = character;
    ++characters;
    return true;
  });
  if (depth >= 2 || depth <= -2) throw AIRepairError::invalid("Klammern unausgeglichen");

  const int left = placeholders(newText);
  if (strict && left >= 1) throw AIRepairError::invalid(std::to_string(left) + " Platzhalter übrig");
  if (left > placeholders(original)) throw AIRepairError::invalid("mehr Platzhalter als vorher");
  if (characters < text::graphemeCount(original) / 3) throw AIRepairError::invalid("Datei stark gekürzt");
}

}  // namespace tovrane
