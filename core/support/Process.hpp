#pragma once
// The one runner for child processes. Programs are started by absolute path
// with posix_spawn, never through a shell and never searched on PATH; the
// child gets exactly the given arguments and environment, default signal
// dispositions, an empty signal mask, and no descriptor beyond 0–2 (so a
// daemon that a child leaves behind cannot hold our pipes open).
//
// SIGPIPE is ignored in our process from the first use on: a child that closes
// its standard input early ends our writing quietly, and the caller judges the
// child by its status and output.
#include "core/support/Host.hpp"

#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <system_error>
#include <vector>

namespace tovrane::process {

// Where standard output and standard error go.
enum class Outputs {
  merged,         // both into one pipe, interleaved as written
  separate,       // two pipes
  discardStderr,  // standard output into a pipe, standard error to the null device
  discard,        // both to the null device
};

enum class Input {
  inherit,  // our own standard input
  null,     // the null device
  bytes,    // Spec::inputBytes, written while the outputs are drained, then closed
};

struct Spec {
  std::filesystem::path program;        // absolute; used as given
  std::vector<std::string> arguments;   // without the program name; empty ones are kept
  // The child's whole environment: start from Host::environment() and set or
  // replace single variables.
  Environment environment;
  std::optional<std::filesystem::path> workingFolder;  // ours when absent
  Outputs outputs = Outputs::merged;
  Input input = Input::inherit;
  std::string inputBytes;
  // Start the child as leader of a new process group, so that terminate()
  // reaches the programs it starts too.
  bool ownProcessGroup = false;
  // After this time the group gets SIGKILL (implies ownProcessGroup).
  std::optional<std::chrono::milliseconds> timeout;
};

struct ExitStatus {
  int status = 0;         // the exit status, or the signal number when signaled
  bool signaled = false;  // ended by a signal
};

struct Result {
  int status = 0;          // as ExitStatus::status
  bool signaled = false;
  bool timedOut = false;   // the time-out struck and the group was killed
  bool cancelled = false;  // terminated before the start: nothing ran
  bool inputTaken = true;  // every input byte was written
  // Standard output (with Outputs::merged, both streams). In line mode only the
  // bytes after the last line feed, which form no line.
  std::string output;
  std::string errorOutput;  // standard error with Outputs::separate
};

// The program could not be started (missing, not executable, bad working
// folder). Carries the system's error and the path it concerns.
class StartError : public std::system_error {
 public:
  StartError(int error, const std::filesystem::path& path);
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

using LineHandler = std::function<void(std::string_view line)>;

// One child process, run once. terminate() may be called from any thread at
// any time, also before run() starts the child or after it ended.
class Child {
 public:
  explicit Child(Spec spec);
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Starts the child, drains its outputs to their end (feeding the input
  // meanwhile), then reaps it. Throws StartError when it cannot start.
  Result run();
  // As run(), but standard output (the merged stream with Outputs::merged) is
  // split at byte 10 and each line, without its line feed, is passed to
  // onLine on this thread as it arrives. An exception from onLine ends the
  // reading and is rethrown; the child is then collected in the background.
  Result run(const LineHandler& onLine);

  // Sends SIGTERM to the child (its group with ownProcessGroup) and returns
  // true. Before the start it makes run() start nothing and report
  // cancelled; once the child has been reaped it sends nothing and returns false.
  bool terminate();

 private:
  Result execute(const LineHandler* onLine);
  pid_t target() const;

  Spec spec_;
  std::mutex mutex_;
  enum class State { ready, running, finished } state_ = State::ready;
  bool cancelled_ = false;
  pid_t pid_ = -1;
};

// Child(spec).run().
Result run(const Spec& spec);

// A child that nobody waits for: its standard streams are the null device and
// it leads a new session. Destroying the handle leaves it running; the
// process-wide reaper then collects it when it exits, so it never stays a zombie.
class Detached {
 public:
  Detached(Detached&& other) noexcept;
  Detached& operator=(Detached&&) = delete;
  Detached(const Detached&) = delete;
  ~Detached();

  pid_t pid() const { return pid_; }
  // The exit status once the child has ended, without blocking.
  std::optional<ExitStatus> exited();

 private:
  friend Detached startDetached(const Spec& spec);
  explicit Detached(pid_t pid) : pid_(pid) {}

  pid_t pid_;
  std::optional<ExitStatus> exit_;
};

// Starts spec's program with its arguments, environment and working folder;
// outputs, input, group and time-out of spec are ignored. Throws StartError.
Detached startDetached(const Spec& spec);

// Child output as text: UTF-8, each invalid sequence replaced by U+FFFD, so
// that one stray byte never erases the lines around it.
std::string decodeOutput(std::string_view bytes);

// Ignores SIGPIPE in this process; idempotent. Called at the first start of a
// child and by every main.
void ignoreSigpipe();

}  // namespace tovrane::process
