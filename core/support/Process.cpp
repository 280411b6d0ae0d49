#include "core/support/Process.hpp"

#include "core/support/ErrorText.hpp"
#include "core/support/Spawn.hpp"
#include "core/support/Text.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tovrane::process {

namespace {

using SteadyClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How often a run looks again while it waits for something no descriptor
// tells: a child that closed its outputs but runs on, processes of an ended
// run that are not our children.
constexpr auto recheckPause = 10ms;
// After SIGKILL: how long the run still reads outputs that something outside
// the run may hold open, and waits for its processes to vanish.
constexpr auto afterKill = 2s;

ExitStatus exitStatus(int wstatus) {
  if (WIFSIGNALED(wstatus)) return {WTERMSIG(wstatus), true};
  return {WEXITSTATUS(wstatus), false};
}

// Blocks until pid has been reaped; returns its raw wait status.
int reap(pid_t pid) {
  int wstatus = 0;
  while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
  }
  return wstatus;
}

bool hasEnded(pid_t pid) {
  siginfo_t info{};
  info.si_pid = 0;
  while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT | WNOHANG) < 0) {
    if (errno != EINTR) return true;  // not our child any more: nothing to wait for
  }
  return info.si_pid != 0;
}

// The process-wide reaper: collects a detached child that nobody waits for
// any more. One blocked thread per such child, so each is reaped the moment
// it exits.
void handToReaper(pid_t pid) {
  std::thread([pid] { reap(pid); }).detach();
}

// Milliseconds until then for poll, at least 0.
int millisecondsUntil(SteadyClock::time_point then) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(then - SteadyClock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, 1 << 30));
}

// Every run under way in this process, for endAll(). A run is listed before
// it starts its child, so endAll() never misses one that is starting.
struct Runs {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<Child*> list;

  static Runs& shared() {
    static Runs runs;
    return runs;
  }
};

class Listed {
 public:
  explicit Listed(Child& child) : child_(child) {
    Runs& runs = Runs::shared();
    std::lock_guard lock(runs.mutex);
    runs.list.push_back(&child_);
  }
  ~Listed() {
    Runs& runs = Runs::shared();
    {
      std::lock_guard lock(runs.mutex);
      std::erase(runs.list, &child_);
    }
    runs.changed.notify_all();
  }
  Listed(const Listed&) = delete;
  Listed& operator=(const Listed&) = delete;

 private:
  Child& child_;
};

// "90 Sekunden", "2 Minuten", "1 Stunde": a time limit as the user reads it.
std::string durationText(std::chrono::milliseconds duration) {
  const auto count = [](long long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  const long long seconds = std::chrono::ceil<std::chrono::seconds>(duration).count();
  if (seconds % 3600 == 0) return count(seconds / 3600, "Stunde", "Stunden");
  if (seconds % 60 == 0) return count(seconds / 60, "Minute", "Minuten");
  return count(seconds, "Sekunde", "Sekunden");
}

// Splits a byte stream at line feeds, handing each complete line on.
class LineSplitter {
 public:
  explicit LineSplitter(const LineHandler* onLine) : onLine_(onLine) {}
  void feed(std::string& buffer) {
    std::size_t start = 0;
    for (auto end = buffer.find('\n', scanned_); end != std::string::npos; end = buffer.find('\n', start)) {
      (*onLine_)(std::string_view(buffer).substr(start, end - start));
      start = end + 1;
    }
    buffer.erase(0, start);
    scanned_ = buffer.size();
  }

 private:
  const LineHandler* onLine_;
  std::size_t scanned_ = 0;
};

std::string startFailure(int error, const std::filesystem::path& program,
                         const std::optional<std::filesystem::path>& workingFolder) {
  std::string out = "Das Programm " + text::printable(program.string()) + " ließ sich ";
  if (workingFolder) out += "im Ordner " + text::printable(workingFolder->string()) + " ";
  return out + "nicht starten: " + errortext::systemText(error) + ".";
}

}  // namespace

StartError::StartError(int error, const std::filesystem::path& program,
                       const std::optional<std::filesystem::path>& workingFolder)
    : std::runtime_error(startFailure(error, program, workingFolder)),
      error_(error),
      path_(workingFolder.value_or(program)) {}

OutputLimitError::OutputLimitError(const std::filesystem::path& program, std::size_t limit)
    : std::runtime_error("„" + text::printable(program.filename().string()) + "“ hat mehr als " +
                         std::to_string(limit >> 20) + " MB ausgegeben und wurde beendet.") {}

TimeoutError::TimeoutError(std::string_view tool, std::chrono::milliseconds limit)
    : std::runtime_error(std::string(tool) + " hat nach " + durationText(limit) +
                         " nicht geendet und wurde beendet.") {}

void ignoreSigpipe() {
  static const bool ignored = [] {
    std::signal(SIGPIPE, SIG_IGN);
    return true;
  }();
  (void)ignored;
}

std::string decodeOutput(std::string_view bytes) { return text::decodeLossy(bytes); }

Child::Child(Spec spec) : spec_(std::move(spec)) {}

Result Child::run() { return execute(nullptr); }

Result Child::run(const LineHandler& onLine) { return execute(&onLine); }

bool Child::terminate() {
  std::lock_guard lock(mutex_);
  switch (state_) {
    case State::ready:
      cancelled_ = true;
      return true;
    case State::running:
      beginEnding(Ending::cancelled);
      return true;
    case State::finished:
      return false;
  }
  return false;
}

void Child::beginEnding(Ending why) {
  if (ending_ != Ending::none) return;
  ending_ = why;
  killAt_ = SteadyClock::now() + spec_.grace;
  // Found while the child lives: a descendant that left its session is
  // still below it now, and is remembered for the SIGKILL.
  members_ = tree::collect(pid_);
  tree::signal(members_, SIGTERM);
  // The child is not reaped before its state leaves running, so its group
  // is still ours to signal.
  ::kill(-pid_, SIGTERM);
  if (wake_ >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_, &byte, 1);
  }
}

void Child::killRemaining() {
  if (killed_) return;
  killed_ = true;
  members_ = tree::collect(pid_, members_);
  tree::signal(members_, SIGKILL);
  ::kill(-pid_, SIGKILL);
}

Result Child::execute(const LineHandler* onLine) {
  ignoreSigpipe();
  const Listed listed(*this);
  Result result;

  Pipe input;
  Pipe output;
  Pipe error;
  Pipe wake = makePipe(spec_.program);
  Streams streams;
  switch (spec_.input) {
    case Input::inherit: break;
    case Input::null: streams.inputNull = true; break;
    case Input::bytes:
      input = makePipe(spec_.program);
      streams.input = input.read.get();
      break;
  }
  if (spec_.outputs != Outputs::discard) {
    output = makePipe(spec_.program);
    streams.output = output.write.get();
  }
  if (spec_.outputs == Outputs::merged) streams.error = output.write.get();
  if (spec_.outputs == Outputs::separate) {
    error = makePipe(spec_.program);
    streams.error = error.write.get();
  }
  ::fcntl(wake.read.get(), F_SETFL, ::fcntl(wake.read.get(), F_GETFL) | O_NONBLOCK);
  ::fcntl(wake.write.get(), F_SETFL, ::fcntl(wake.write.get(), F_GETFL) | O_NONBLOCK);

  // A stop requested already runs this at once, before the start.
  const std::stop_callback onStop(spec_.stop, [this] { terminate(); });
  {
    std::lock_guard lock(mutex_);
    if (state_ != State::ready) throw std::logic_error("Child::run called twice");
    if (cancelled_) {
      state_ = State::finished;
      result.cancelled = true;
      result.started = false;
      return result;
    }
    try {
      pid_ = spawn(spec_, streams, Start::tracked);
    } catch (...) {
      state_ = State::finished;
      throw;
    }
    state_ = State::running;
    wake_ = wake.write.get();
  }
  const auto deadline = SteadyClock::now() + spec_.timeout;
  // Our copies of the child's ends must go, or we would never see EOF.
  input.read.close();
  output.write.close();
  error.write.close();

  const std::string_view inputBytes = spec_.inputBytes;
  std::size_t written = 0;
  if (input.write.open()) {
    if (inputBytes.empty()) input.write.close();
    else ::fcntl(input.write.get(), F_SETFL, ::fcntl(input.write.get(), F_GETFL) | O_NONBLOCK);
  }

  // How the run stands, read under the lock: terminate() may change it.
  struct Standing {
    Ending why;
    bool killed;
    SteadyClock::time_point killAt;
  };
  const auto standing = [&] {
    std::lock_guard lock(mutex_);
    return Standing{ending_, killed_, killAt_};
  };
  const auto endFor = [&](Ending why) {
    std::lock_guard lock(mutex_);
    beginEnding(why);
  };
  // SIGTERM has been sent: end what is left after the grace.
  const auto killWhenDue = [&] {
    std::unique_lock lock(mutex_);
    if (ending_ != Ending::none && !killed_ && SteadyClock::now() >= killAt_) killRemaining();
  };

  std::exception_ptr failure;
  try {
    if (spec_.onStarted) spec_.onStarted();

    LineSplitter lines(onLine);
    bool overflowed = false;
    std::array<char, 65536> buffer;
    auto drain = [&](Fd& fd, std::string& into, bool splitLines) {
      const ssize_t count = ::read(fd.get(), buffer.data(), buffer.size());
      if (count > 0) {
        if (overflowed) return;  // the run is ending; what follows is dropped
        into.append(buffer.data(), static_cast<std::size_t>(count));
        if (splitLines) lines.feed(into);
        if (result.output.size() + result.errorOutput.size() > spec_.outputLimit) {
          overflowed = true;
          endFor(Ending::outputLimit);
        }
      } else if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
        fd.close();
      }
    };
    std::optional<SteadyClock::time_point> stopReadingAt;
    while (true) {
      const bool reading = input.write.open() || output.read.open() || error.read.open();
      if (!reading && hasEnded(pid_)) break;
      const auto [why, killed, killAt] = standing();
      if (killed && !stopReadingAt) stopReadingAt = SteadyClock::now() + afterKill;
      // After SIGKILL, only something outside the run still holds an output.
      if (stopReadingAt && SteadyClock::now() >= *stopReadingAt) break;

      SteadyClock::time_point next = why == Ending::none ? deadline : killed ? *stopReadingAt : killAt;
      // Without outputs nothing wakes the wait when the child ends.
      if (!reading) next = std::min(next, SteadyClock::now() + recheckPause);

      std::array<pollfd, 4> fds{};
      std::array<Fd*, 4> owners{};
      nfds_t count = 0;
      for (Fd* fd : {&wake.read, &output.read, &error.read, &input.write}) {
        if (!fd->open()) continue;
        owners[count] = fd;
        fds[count++] = pollfd{fd->get(), static_cast<short>(fd == &input.write ? POLLOUT : POLLIN), 0};
      }
      const int ready = ::poll(fds.data(), count, millisecondsUntil(next));
      if (ready < 0 && errno != EINTR) throw std::system_error(errno, std::generic_category(), "poll");
      if (SteadyClock::now() >= deadline) endFor(Ending::timedOut);
      killWhenDue();
      if (ready <= 0) continue;
      for (nfds_t i = 0; i < count; ++i) {
        if (fds[i].revents == 0) continue;
        if (owners[i] == &wake.read) {
          char bytes[64];
          while (::read(wake.read.get(), bytes, sizeof bytes) > 0) {
          }
        } else if (owners[i] == &output.read) {
          drain(output.read, result.output, onLine != nullptr);
        } else if (owners[i] == &error.read) {
          drain(error.read, result.errorOutput, false);
        } else {
          const ssize_t sent = ::write(input.write.get(), inputBytes.data() + written, inputBytes.size() - written);
          if (sent > 0) written += static_cast<std::size_t>(sent);
          // EPIPE: the child stopped reading; its status and output tell the rest.
          else if (sent < 0 && errno != EINTR && errno != EAGAIN) input.write.close();
          if (written == inputBytes.size()) input.write.close();
        }
      }
    }
  } catch (...) {
    failure = std::current_exception();
    endFor(Ending::cancelled);
  }
  input.write.close();
  output.read.close();
  error.read.close();
  result.inputTaken = written == inputBytes.size() || spec_.input != Input::bytes;

  // An ended run is over when every process of it is gone: those that
  // heeded SIGTERM within the grace, the rest after SIGKILL.
  if (standing().why != Ending::none) {
    const auto runGone = [&] {
      std::lock_guard lock(mutex_);
      if (!hasEnded(pid_) || tree::anyRunning(members_)) return false;
      // One started during the grace is found now or never.
      std::vector<tree::Member> latest = tree::collect(pid_, members_);
      if (!tree::anyRunning(latest)) return true;
      members_ = std::move(latest);
      if (killed_) tree::signal(members_, SIGKILL);
      return false;
    };
    while (!standing().killed && !runGone()) {
      std::this_thread::sleep_for(recheckPause);
      killWhenDue();
    }
    for (const auto giveUpAt = SteadyClock::now() + afterKill; SteadyClock::now() < giveUpAt && !runGone();)
      std::this_thread::sleep_for(recheckPause);
  }
  // A child killed or not, it ends: SIGKILL cannot be caught.
  if (!hasEnded(pid_)) {
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
    }
  }

  Ending why;
  {
    std::lock_guard lock(mutex_);
    const ExitStatus exit = exitStatus(reap(pid_));
    state_ = State::finished;
    wake_ = -1;
    why = ending_;
    result.status = exit.status;
    result.signaled = exit.signaled;
  }
  if (failure) std::rethrow_exception(failure);
  if (why == Ending::outputLimit) throw OutputLimitError(spec_.program, spec_.outputLimit);
  result.timedOut = why == Ending::timedOut;
  result.cancelled = why == Ending::cancelled;
  return result;
}

Result run(const Spec& spec) { return Child(spec).run(); }

bool endAll() {
  Runs& runs = Runs::shared();
  std::unique_lock lock(runs.mutex);
  std::chrono::milliseconds longestGrace{0};
  for (Child* child : runs.list) {
    child->terminate();
    longestGrace = std::max(longestGrace, child->spec_.grace);
  }
  // Each run sends its own SIGKILL when its grace is over and returns once
  // its processes are gone.
  const auto isEmpty = [&] { return runs.list.empty(); };
  if (runs.changed.wait_for(lock, longestGrace + afterKill + 1s, isEmpty)) return true;
  // A run whose thread hangs elsewhere (in a line handler, say).
  for (Child* child : runs.list) {
    std::lock_guard childLock(child->mutex_);
    if (child->state_ == Child::State::running) child->killRemaining();
  }
  return runs.changed.wait_for(lock, afterKill, isEmpty);
}

Detached startDetached(const Spec& spec) {
  ignoreSigpipe();
  Streams streams;
  streams.inputNull = true;
  return Detached(spawn(spec, streams, Start::detached));
}

Detached::Detached(Detached&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), exit_(std::move(other.exit_)) {}

Detached::~Detached() {
  if (pid_ > 0 && !exit_) handToReaper(pid_);
}

std::optional<ExitStatus> Detached::exited() {
  if (exit_ || pid_ <= 0) return exit_;
  int wstatus = 0;
  pid_t reaped;
  while ((reaped = ::waitpid(pid_, &wstatus, WNOHANG)) < 0 && errno == EINTR) {
  }
  if (reaped == pid_) exit_ = exitStatus(wstatus);
  return exit_;
}

}  // namespace tovrane::process
