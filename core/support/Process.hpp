#pragma once
// The one runner for child processes. Programs are started by absolute path,
// never through a shell and never searched on PATH; the child gets exactly
// the given arguments and environment, default signal dispositions, an empty
// signal mask, and no descriptor beyond 0–2 (so a daemon that a child leaves
// behind cannot hold our pipes open).
//
// A run is the child and everything it starts. The child leads a session of
// its own, and every run has a time limit. When the limit passes, a stop is
// requested or the run's output grows past its limit, the whole run is ended:
// SIGTERM to each of its processes (ProcessTree: its session, its group and
// every descendant, also one that left for a session of its own), SIGKILL
// after a grace period to what is left. On Linux the child is made a
// subreaper, so that a descendant whose parent ends stays below it instead of
// moving to init and is still found; and it gets SIGKILL when the thread that
// started it ends, so a tool never outlives a process of ours that was killed.
// macOS has neither: there a descendant is found while its line of parents up
// to the child holds. endAll() ends every run of this process before it quits.
//
// SIGPIPE is ignored in our process from the first use on: a child that closes
// its standard input early ends our writing quietly, and the caller judges the
// child by its status and output.
#include "core/support/Host.hpp"
#include "core/support/ProcessTree.hpp"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <system_error>
#include <vector>

namespace tovrane::process {

// A run's time limit unless its caller sets one: longer than any of our tools
// takes, short enough that a hung one is not waited for all day.
inline constexpr std::chrono::milliseconds defaultTimeout = std::chrono::hours(1);
// Between SIGTERM and SIGKILL.
inline constexpr std::chrono::milliseconds defaultGrace = std::chrono::seconds(3);
// The output a run keeps: far more than any build log or answer we read.
inline constexpr std::size_t defaultOutputLimit = std::size_t(64) << 20;

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
  // From the start on; then the run is ended (Result::timedOut).
  std::chrono::milliseconds timeout = defaultTimeout;
  // How long the run's processes have between SIGTERM and SIGKILL.
  std::chrono::milliseconds grace = defaultGrace;
  // A stop request ends the run like terminate() (Result::cancelled).
  std::stop_token stop;
  // The bytes a run keeps (its outputs, and in line mode the line not yet
  // ended). More ends the run, and run() throws OutputLimitError.
  std::size_t outputLimit = defaultOutputLimit;
  // Called once on the running thread as soon as the child exists, before
  // anything is read; never when it does not start. An exception from it
  // ends the run and is rethrown.
  std::function<void()> onStarted;
};

struct ExitStatus {
  int status = 0;         // the exit status, or the signal number when signaled
  bool signaled = false;  // ended by a signal
};

struct Result {
  int status = 0;          // as ExitStatus::status
  bool signaled = false;
  bool timedOut = false;   // the time limit ended the run
  bool cancelled = false;  // a stop request or terminate() ended the run, or came before its start
  bool started = true;     // false when the stop came before the start: nothing ran
  bool inputTaken = true;  // every input byte was written
  // Standard output (with Outputs::merged, both streams). In line mode only the
  // bytes after the last line feed, which form no line.
  std::string output;
  std::string errorOutput;  // standard error with Outputs::separate
};

// The program could not be started (missing, not executable, a bad working
// folder, no descriptor or process left for it). The text is the German one
// for the user, naming the program (and the working folder when that was at
// fault); code() is the system's error, path() the path it concerns: the
// working folder when that was at fault, else the program.
class StartError : public std::runtime_error {
 public:
  StartError(int error, const std::filesystem::path& program,
             const std::optional<std::filesystem::path>& workingFolder = std::nullopt);
  std::error_code code() const { return {error_, std::generic_category()}; }
  const std::filesystem::path& path() const { return path_; }

 private:
  int error_;
  std::filesystem::path path_;
};

// A run whose output passed Spec::outputLimit; the run has been ended. The
// text is the German one for the user.
class OutputLimitError : public std::runtime_error {
 public:
  OutputLimitError(const std::filesystem::path& program, std::size_t limit);
};

// For callers whose run passed its time limit and that fail for it: the
// German text names the tool as the user knows it ("Gradle") and the limit.
class TimeoutError : public std::runtime_error {
 public:
  TimeoutError(std::string_view tool, std::chrono::milliseconds limit);
};

using LineHandler = std::function<void(std::string_view line)>;

// One child process, run once. terminate() may be called from any thread at
// any time, also before run() starts the child or after it ended.
//
// Invariants: the child is reaped only by run(), and only after its state left
// `running` under mutex_, so while running pid_ names it (or its zombie) and
// signals to it or its group cannot reach a stranger. The run is listed in
// the process-wide list that endAll() walks from the moment run() is called
// until just before it returns.
class Child {
 public:
  explicit Child(Spec spec);
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Starts the child, drains its outputs to their end (feeding the input
  // meanwhile), then reaps it; an ended run also waits (within its grace)
  // until every process of it is gone. Throws StartError when it cannot
  // start, OutputLimitError when its output passed the limit.
  Result run();
  // As run(), but standard output (the merged stream with Outputs::merged) is
  // split at byte 10 and each line, without its line feed, is passed to
  // onLine on this thread as it arrives. An exception from onLine ends the
  // run and is rethrown once it has ended.
  Result run(const LineHandler& onLine);

  // Ends the run: SIGTERM to its processes now, SIGKILL to what is left after
  // the grace period; returns true. Before the start it makes run() start
  // nothing and report cancelled; once the child has been reaped it sends
  // nothing and returns false.
  bool terminate();

 private:
  enum class State { ready, running, finished };
  enum class Ending { none, cancelled, timedOut, outputLimit };

  Result execute(const LineHandler* onLine);
  // Under mutex_: the first reason ends the run; later ones change nothing.
  void beginEnding(Ending why);
  // Under mutex_: SIGKILL to every process of the run that is still there.
  void killRemaining();
  friend bool endAll();

  Spec spec_;
  std::mutex mutex_;
  State state_ = State::ready;
  bool cancelled_ = false;  // terminate() before the start
  pid_t pid_ = -1;
  int wake_ = -1;  // write end of the running run's wake-up pipe
  Ending ending_ = Ending::none;
  std::chrono::steady_clock::time_point killAt_{};
  bool killed_ = false;
  std::vector<tree::Member> members_;  // the run's processes when its ending began
};

// Child(spec).run().
Result run(const Spec& spec);

// Ends every run of this process that is under way (as terminate() does) and
// waits until they have ended, at most their grace and a few seconds more;
// runs that are still there then get SIGKILL at once. For the application's
// quit: no tool may outlive it. Runs started later are not affected. True
// when every run had ended.
bool endAll();

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
// everything else in spec is ignored. Meant to outlive the run that starts it
// (an emulator, a model server, the updater's relaunch): no time limit, and
// endAll() leaves it alone. Throws StartError.
Detached startDetached(const Spec& spec);

// Child output as text: UTF-8, each invalid sequence replaced by U+FFFD, so
// that one stray byte never erases the lines around it.
std::string decodeOutput(std::string_view bytes);

// Ignores SIGPIPE in this process; idempotent. Called at the first start of a
// child and by every main.
void ignoreSigpipe();

}  // namespace tovrane::process
