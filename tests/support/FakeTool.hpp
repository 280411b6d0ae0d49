#pragma once
// Stand-ins for the external programs the system starts (Gradle, adb, the
// emulator, xcrun, login shells, coding tools): a POSIX sh script that logs
// how it was called, prints canned output and exits with a chosen status.
//
// Each call appends one record to the log beside the script: the working
// folder, every argument, the chosen environment variables as the caller set
// them and, when asked, all of standard input. Every value is written with
// its byte length, so empty arguments, line feeds and odd bytes survive;
// readToolLog parses it. Each call also appends its process id, and those of
// the processes it leaves behind (leave()), to a pid file beside the script,
// so a test can tell whether all of them ended.
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sys/types.h>
#include <string>
#include <vector>

namespace tovrane::testsupport {

struct ToolCall {
  std::filesystem::path workingFolder;  // physical, as `pwd -P` prints it
  std::vector<std::string> arguments;
  // Each logged variable: its value, or none when it was not set.
  std::map<std::string, std::optional<std::string>> variables;
  std::string input;  // empty unless the tool reads its input
};

// The calls recorded in a log, in order; none when the log does not exist.
std::vector<ToolCall> readToolLog(const std::filesystem::path& log);

struct InstalledTool {
  std::filesystem::path program;
  std::filesystem::path log;
  std::vector<ToolCall> calls() const { return readToolLog(log); }
  // The ids of every call's process and of what they left behind, in order.
  std::vector<pid_t> pids() const;
  // Waits until pids() holds count ids, at most bound (a guard against hangs
  // only); true when it does.
  bool awaitPids(std::size_t count, std::chrono::milliseconds bound = std::chrono::seconds(30)) const;
};

// What a fake tool leaves running when it is ended (shell commands for its
// body). Each appends its process id to the tool's pid file and ignores
// SIGTERM when the tool does; each sleeps long.
enum class Leftover {
  inGroup,     // a background child in the tool's process group
  ownSession,  // a child that leads a session of its own
  daemon,      // the same, started through a parent that ends at once: an orphan
};
std::string leave(Leftover kind);

// Waits until done() holds, looking every 10 ms, at most bound (a guard
// against hangs only); true when it does.
bool eventually(const std::function<bool()>& done, std::chrono::milliseconds bound = std::chrono::seconds(30));

// Waits until path exists, at most bound (a guard against hangs only); true
// when it does.
bool awaitFile(const std::filesystem::path& path, std::chrono::milliseconds bound = std::chrono::seconds(30));

// Whether pid names a process that still runs; one that has ended but was
// not yet collected by its parent does not.
bool processRuns(pid_t pid);
// Waits until none of pids runs, at most bound (a guard against hangs only);
// true when none does.
bool allEnd(const std::vector<pid_t>& pids, std::chrono::milliseconds bound = std::chrono::seconds(30));

struct FakeTool {
  std::string output;       // written to standard output, byte for byte
  std::string errorOutput;  // written to standard error after it
  int status = 0;
  // SIGTERM is ignored by the tool and by everything it starts.
  bool ignoresTerminate = false;
  std::vector<std::string> variables;  // environment variables to log
  // Read standard input to its end and log it. Off by default: an inherited
  // standard input may never end.
  bool readsInput = false;
  // Shell commands run after the canned output and before the exit, with the
  // caller's PATH (sleeps, state files, counters, background children).
  std::string body;

  // Writes the script at path (folders created, mode 0755), its canned output,
  // an empty log beside it (path + ".log") and an empty pid file (path +
  // ".pids"). Replaces an earlier one.
  InstalledTool install(const std::filesystem::path& path) const;
};

// Quotes text for a POSIX shell (single quotes).
std::string shellQuote(const std::string& text);

}  // namespace tovrane::testsupport
