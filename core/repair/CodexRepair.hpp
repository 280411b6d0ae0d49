#pragma once
// The Codex command-line tool, which repairs a whole project as an agent:
// its lookup, and the agent run that hands it the generated project.
#include "core/project/Converter.hpp"
#include "core/repair/AIRepair.hpp"
#include "core/repair/AIRepairer.hpp"
#include "core/repair/FixKnowledge.hpp"
#include "core/repair/ToolLookup.hpp"
#include "core/support/Host.hpp"
#include "core/support/Json.hpp"
#include "core/support/Process.hpp"

#include <chrono>
#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>

namespace tovrane {

namespace CodexCLI {

// The tool's executable: a fixed install location, else the login shell's
// answer; absent when it is not installed.
std::optional<std::string> locate(const Host& host = Host::system(),
                                  std::chrono::milliseconds shellTimeout = toollookup::defaultShellTimeout);

}  // namespace CodexCLI

// The Codex agent: one object per repair run of one generated Android
// project. Instead of sending file after file to a model, it starts the
// Codex tool once in the project folder, which edits the Kotlin files and
// may build on its own; the agent gives it copies of the Swift sources and
// known fixes, turns the tool's JSON lines into events, and afterwards
// recounts the placeholders, checks the build with Gradle and shares the
// fixes it solved.
//
// Invariants: the tool is started at most once, only by run(). cancel() from
// any thread requests the one stop that ends the tool's run (the tool and
// every shell or build it started) or, before the start, makes run() end
// without starting it; it also ends the final build. The progress heartbeat
// lives only inside run(), from the tool's start on: it is stopped and
// joined before run() returns or throws, so no event follows the result.
// Events come from the running thread and the heartbeat, possibly at once.
class CodexRepairer {
 public:
  using Events = AIRepairer::Events;

  // The Java runtime and SDK for the build are looked up on host, whose
  // clock paces the heartbeat; it must outlive the repairer.
  CodexRepairer(std::filesystem::path project, std::string codexPath, Events events,
                const Host& host = Host::system());
  CodexRepairer(const CodexRepairer&) = delete;
  CodexRepairer& operator=(const CodexRepairer&) = delete;

  // Known fixes come from it and solved ones go to it; replace it before run().
  FixKnowledge knowledge;
  // The longest the tool may work; it is ended then. Replace it before run().
  std::chrono::milliseconds timeLimit = std::chrono::hours(3);

  // The whole agent run; once per repairer. Throws files::FileError when the
  // Swift copies cannot be made and process::StartError when the tool cannot
  // start (nothing started and no event sent in either case), Cancelled when
  // cancel() came before the start, AIRepairError::http with the tool's exit
  // status when it fails or is cancelled while it runs, process::TimeoutError
  // at timeLimit, process::OutputLimitError for a flood on its standard error
  // or in one line, and the final build's StartError.
  AIRepairResult run();
  // Ends the tool's run when it runs and the final build when that runs;
  // before the start, makes run() throw Cancelled instead of starting it.
  // Callable from any thread; returns at once.
  void cancel();

  // The tool's task, without the known fixes.
  std::string prompt() const;
  // Replaces ".tovrane/original-swift" with a copy of each trusted manifest
  // entry's Swift file, named after its Kotlin file with ".swift" appended.
  // Without a manifest nothing is touched. Throws files::FileError.
  void prepareSourceSnapshot(const std::optional<ProjectManifest>& manifest) const;
  // Reports one output event of the tool and takes its message or item text
  // as the last message.
  void handle(const json::Json& event, std::string& lastMessage) const;

  const std::filesystem::path& project() const { return project_; }
  const std::string& codexPath() const { return codexPath_; }

 private:
  void emit(const AIRepairEvent& event) const;
  std::filesystem::path kotlinFolder() const { return project_ / "app/src/main/java"; }

  const std::filesystem::path project_;
  const std::string codexPath_;
  const Events events_;
  const Host& host_;
  std::stop_source stop_;
};

}  // namespace tovrane
