#pragma once
// The ladder repairer: one object per repair run of one generated Android
// project. It sends every package file that still holds placeholders up the
// model ladder (the placeholder pass), then compiles the project with Gradle
// and sends each file with compiler errors again, one rung higher, for a few
// compile rounds; at the end it appends its section to the project's report.
//
// Invariants: the fields behind `mutex_` (token and cost totals, use counts,
// log, remembered rungs, dead providers, cancel flag, harvested fixes) only
// grow or rise during a run; the mutex is held only for short reads and
// updates, never across a model request, a build, a file write or an event
// call. The prompt parts that every file shares (manifest, system prompts,
// package outline) are built once, on first use, and never refreshed: the
// outline shows the package as it was before the first repair. Events come
// from whichever thread is working, possibly from several at once.
//
// The code is split by area: AIRepairer.cpp repairs one file, RepairRun.cpp
// runs the whole repair and writes the report section, RepairPrompts.cpp
// builds the prompts.
#include "core/repair/AIRepair.hpp"
#include "core/repair/APIClient.hpp"
#include "core/repair/RateGate.hpp"
#include "core/support/Host.hpp"

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace tovrane {

class AIRepairer {
 public:
  // Called synchronously from the working thread; must accept calls from
  // several threads at once.
  using Events = std::function<void(const AIRepairEvent&)>;

  // Model requests go to endpoints through gate; the build tools are looked
  // up on host. Host and gate must outlive the repairer.
  AIRepairer(std::filesystem::path project, AIRepairOptions options, Events events,
             const Host& host = Host::system(), Endpoints endpoints = Endpoints::standard(),
             RateGate& gate = RateGate::shared());
  AIRepairer(const AIRepairer&) = delete;
  AIRepairer& operator=(const AIRepairer&) = delete;

  // The whole repair; once per repairer. Throws AIRepairError::noProvider for
  // an empty ladder (before any event), the first file's AIRepairError when
  // it left no provider of the ladder alive, any other error of the first
  // file (Cancelled included), and process::StartError when the Gradle
  // wrapper cannot start. Every other failure is folded into the result; a
  // build that fails without Kotlin error lines ends the run as not compiled.
  AIRepairResult run();
  // Sets the cancel flag; callable from any thread. A model request, Claude
  // Code request or Gradle build under way is ended; every later model call
  // is skipped.
  void cancel();

  // Repairs one Kotlin file up the ladder from its start rung and writes the
  // accepted text. A rung whose request fails in transport (no connection,
  // a time-out, an answer that is not JSON) fails like a rejected answer.
  // Throws Cancelled at the cancel flag before a model call, the last
  // AIRepairError when no rung gave an accepted answer (noProvider when none
  // was tried), and any other error at once (an unreadable file, a failed
  // write, a tool that cannot start).
  void repair(const std::filesystem::path& file, const std::vector<std::string>& errors);
  // The rung index the file's repair starts on (0 for an empty ladder).
  int startLevel(const std::filesystem::path& file, std::string_view code,
                 const std::vector<std::string>& errors) const;
  // Adds an answer's tokens, cost and use count, then reports the totals.
  void record(const APIClient::Reply& reply, const ModelTier& tier);

  // The full system prompt (the runtime's sources) for the cloud rungs.
  const APIClient::SystemBlocks& system() const;
  // The compact one (the runtime's signatures) for the local and Claude Code rungs.
  const APIClient::SystemBlocks& compactSystem() const;
  // The public top-level declarations of the package's Kotlin files.
  const std::string& packageOutline() const;
  // "app/src/main/java/" in the project, followed by the trusted package
  // name's folders when the manifest has one.
  std::filesystem::path packageFolder() const;
  // path with every link resolved, when that lies inside the resolved
  // project; none otherwise. Nothing is read or written elsewhere, whatever
  // links the project holds.
  std::optional<std::filesystem::path> insideProject(const std::filesystem::path& path) const;

  // Appends reportSection(result, now) to the project's existing
  // "TOVRANE_BERICHT.md"; a missing report is not created, a link is not
  // followed. Throws files::FileError.
  void writeReport(const AIRepairResult& result) const;
  static std::string reportSection(const AIRepairResult& result, std::string_view date);

  // Occurrences of `TODO("tovrane` plus those of `Unsupported("`.
  static int placeholders(std::string_view text);
  // placeholders() summed over every ".kt" file below folder, hidden ones
  // included, links not followed; unreadable files and folders count 0.
  static int countPlaceholders(const std::filesystem::path& folder);
  // The body of an answer's first Kotlin code block, up to its closing
  // fence, with one final line feed.
  static std::optional<std::string> extractKotlin(std::string_view answer);
  // The first non-empty line that begins with "package ".
  static std::optional<std::string> packageLine(std::string_view text);
  // Throws AIRepairError::invalid with the first check that newText fails.
  static void validate(std::string_view newText, std::string_view original, bool strict);

  const std::filesystem::path& project() const { return project_; }
  const std::vector<ModelTier>& ladder() const { return ladder_; }

 private:
  friend struct AIRepairerPeer;  // tests reach the guarded state through it

  struct WorkItem {
    std::filesystem::path file;
    std::vector<std::string> errors;
  };
  // What the run trusts of ".tovrane/manifest.json".
  struct Manifest {
    std::optional<std::string> packageName;
    std::map<std::string, std::string> files;  // Kotlin file name → Swift file path
  };

  const Manifest& manifest() const;
  void emit(const AIRepairEvent& event) const;
  bool isCancelled() const;
  void appendLog(std::string line);
  // Raises the remembered rung of each named file that has one by steps,
  // capped at the top rung.
  void escalateLevels(const std::vector<std::string>& names, int steps);
  std::string userText(const std::string& name, const std::string& code, const std::vector<std::string>& errors) const;
  void accept(const std::string& name, int rung, const std::string& code, const std::string& repaired,
              const std::vector<std::string>& errors);
  // Repairs the files with up to the window's repairs at once and returns how
  // many succeeded; failures become log lines, cancellations nothing.
  int repairAll(const std::vector<WorkItem>& work);
  bool repairLogged(const WorkItem& item);
  // The compile rounds; sets compiled and remainingErrors and counts repairs.
  void compileRounds(AIRepairResult& result);
  // A compiler-printed path resolved, when it lies inside the project's "app/src"; none otherwise.
  std::optional<std::filesystem::path> repairablePath(const std::string& printed) const;

  // Placeholders in the run's candidate files now; unreadable files count 0.
  int placeholdersLeft() const;
  // The file's text; none when it is no regular file, is larger than
  // maxRepairFileBytes, cannot be read or is not UTF-8.
  static std::optional<std::string> readUtf8(const std::filesystem::path& path);
  // The same for a file of the project; none when it lies outside.
  std::optional<std::string> readInside(const std::filesystem::path& path) const;

  const std::filesystem::path project_;
  const std::filesystem::path resolvedProject_;  // every link resolved
  const AIRepairOptions options_;
  const Host& host_;
  const APIClient client_;
  const std::vector<ModelTier> ladder_;
  const Events events_;

  mutable std::mutex mutex_;
  long long inTok_ = 0;
  long long outTok_ = 0;
  long long cacheTok_ = 0;
  double cost_ = 0;
  std::vector<std::string> log_;
  std::map<std::string, int> usage_;
  std::map<std::string, int> level_;
  std::map<AIProvider, AIRepairError> deadProviders_;  // with the failure that retired each
  std::vector<FixKnowledge::Fix> harvested_;
  // The cancel flag (thread-safe on its own): requested, it also ends the
  // requests and tools under way.
  std::stop_source stop_;

  // Built once each, on first use, whichever thread asks first.
  mutable std::once_flag manifestOnce_, systemOnce_, compactOnce_, outlineOnce_;
  mutable Manifest manifest_;
  mutable APIClient::SystemBlocks system_;
  mutable APIClient::SystemBlocks compactSystem_;
  mutable std::string packageOutline_;

  // Set by run() before any file repair starts: the files the placeholder
  // pass may touch, and their placeholders then.
  std::vector<std::filesystem::path> candidates_;
  int initialPlaceholders_ = 0;
};

}  // namespace tovrane
