#include "core/support/Process.hpp"

#include "core/support/Text.hpp"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace tovrane::process {

namespace {

using SteadyClock = std::chrono::steady_clock;

// An owned descriptor, closed on destruction.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(other.release()) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      close();
      fd_ = other.release();
    }
    return *this;
  }
  ~Fd() { close(); }

  int get() const { return fd_; }
  bool open() const { return fd_ >= 0; }
  int release() { return std::exchange(fd_, -1); }
  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

struct Pipe {
  Fd read;
  Fd write;
};

// Both ends close-on-exec from the start: a child that another thread spawns
// meanwhile must not inherit them.
Pipe makePipe() {
  int fds[2];
#if defined(__APPLE__)
  if (::pipe(fds) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
  ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  ::fcntl(fds[1], F_SETFD, FD_CLOEXEC);
#else
  if (::pipe2(fds, O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
#endif
  return Pipe{Fd(fds[0]), Fd(fds[1])};
}

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

// Blocks until pid has ended without reaping it, so that its pid cannot be
// reused while terminate() may still signal it.
void awaitEnd(pid_t pid) {
  siginfo_t info{};
  while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
  }
}

bool hasEnded(pid_t pid) {
  siginfo_t info{};
  info.si_pid = 0;
  while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT | WNOHANG) < 0) {
    if (errno != EINTR) return true;  // not our child any more: nothing to wait for
  }
  return info.si_pid != 0;
}

// The process-wide reaper: collects a child that nobody waits for any more.
// One blocked thread per such child, so each is reaped the moment it exits.
void handToReaper(pid_t pid) {
  std::thread([pid] { reap(pid); }).detach();
}

// Where the child's descriptors 0–2 come from.
struct Streams {
  int input = -1;   // dup'ed onto 0; -1: see inputNull / inherit
  bool inputNull = false;
  int output = -1;  // dup'ed onto 1; -1: null device
  int error = -1;   // dup'ed onto 2; -1: null device
};

class SpawnActions {
 public:
  SpawnActions() { check(::posix_spawn_file_actions_init(&actions_)); }
  ~SpawnActions() { ::posix_spawn_file_actions_destroy(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

  void dup(int from, int to) { check(::posix_spawn_file_actions_adddup2(&actions_, from, to)); }
  void null(int to, int flags) { check(::posix_spawn_file_actions_addopen(&actions_, to, "/dev/null", flags, 0)); }
  void inherit([[maybe_unused]] int fd) {
#if defined(__APPLE__)
    check(::posix_spawn_file_actions_addinherit_np(&actions_, fd));
#endif
  }
  void chdir(const std::filesystem::path& folder) {
    check(::posix_spawn_file_actions_addchdir_np(&actions_, folder.c_str()));
  }
  void closeTheRest() {
#if !defined(__APPLE__)
    // On macOS POSIX_SPAWN_CLOEXEC_DEFAULT does this.
    check(::posix_spawn_file_actions_addclosefrom_np(&actions_, 3));
#endif
  }

 private:
  static void check(int error) {
    if (error != 0) throw std::system_error(error, std::generic_category(), "posix_spawn");
  }
  posix_spawn_file_actions_t actions_;
};

class SpawnAttributes {
 public:
  SpawnAttributes() { ::posix_spawnattr_init(&attributes_); }
  ~SpawnAttributes() { ::posix_spawnattr_destroy(&attributes_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  posix_spawnattr_t* get() { return &attributes_; }

  void set(bool ownGroup, bool newSession) {
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    ::posix_spawnattr_setsigdefault(&attributes_, &all);
    ::posix_spawnattr_setsigmask(&attributes_, &none);
    short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
    if (ownGroup) {
      flags |= POSIX_SPAWN_SETPGROUP;
      ::posix_spawnattr_setpgroup(&attributes_, 0);
    }
    if (newSession) flags |= POSIX_SPAWN_SETSID;
#if defined(__APPLE__)
    flags |= POSIX_SPAWN_CLOEXEC_DEFAULT;
#endif
    ::posix_spawnattr_setflags(&attributes_, flags);
  }

 private:
  posix_spawnattr_t attributes_;
};

pid_t spawn(const Spec& spec, const Streams& streams, bool ownGroup, bool newSession) {
  if (!spec.program.is_absolute()) throw StartError(EINVAL, spec.program);
  if (spec.workingFolder) {
    struct stat st {};
    if (::stat(spec.workingFolder->c_str(), &st) != 0) throw StartError(errno, *spec.workingFolder);
    if (!S_ISDIR(st.st_mode)) throw StartError(ENOTDIR, *spec.workingFolder);
  }

  SpawnActions actions;
  if (streams.input >= 0) {
    actions.dup(streams.input, 0);
  } else if (streams.inputNull) {
    actions.null(0, O_RDONLY);
  } else {
    actions.inherit(0);
  }
  if (streams.output >= 0) actions.dup(streams.output, 1);
  else actions.null(1, O_WRONLY);
  if (streams.error >= 0) actions.dup(streams.error, 2);
  else actions.null(2, O_WRONLY);
  if (spec.workingFolder) actions.chdir(*spec.workingFolder);
  actions.closeTheRest();

  SpawnAttributes attributes;
  attributes.set(ownGroup, newSession);

  std::vector<std::string> environment;
  environment.reserve(spec.environment.size());
  for (const auto& [name, value] : spec.environment) environment.push_back(name + "=" + value);
  std::vector<char*> argv;
  std::string program = spec.program.string();
  argv.push_back(program.data());
  std::vector<std::string> arguments = spec.arguments;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);

  pid_t pid = -1;
  if (const int error = ::posix_spawn(&pid, program.c_str(), actions.get(), attributes.get(), argv.data(), envp.data());
      error != 0)
    throw StartError(error, spec.program);
  return pid;
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

}  // namespace

StartError::StartError(int error, const std::filesystem::path& path)
    : std::system_error(error, std::generic_category(), path.string()), path_(path) {}

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

pid_t Child::target() const {
  return spec_.ownProcessGroup || spec_.timeout ? -pid_ : pid_;
}

bool Child::terminate() {
  std::lock_guard lock(mutex_);
  switch (state_) {
    case State::ready:
      cancelled_ = true;
      return true;
    case State::running:
      // The child is not reaped before state_ leaves running (under this
      // lock), so pid_ still names it, or its zombie.
      ::kill(target(), SIGTERM);
      return true;
    case State::finished:
      return false;
  }
  return false;
}

Result Child::execute(const LineHandler* onLine) {
  ignoreSigpipe();
  Result result;

  Pipe input;
  Pipe output;
  Pipe error;
  Streams streams;
  switch (spec_.input) {
    case Input::inherit: break;
    case Input::null: streams.inputNull = true; break;
    case Input::bytes:
      input = makePipe();
      streams.input = input.read.get();
      break;
  }
  if (spec_.outputs != Outputs::discard) {
    output = makePipe();
    streams.output = output.write.get();
  }
  if (spec_.outputs == Outputs::merged) streams.error = output.write.get();
  if (spec_.outputs == Outputs::separate) {
    error = makePipe();
    streams.error = error.write.get();
  }

  {
    std::lock_guard lock(mutex_);
    if (state_ != State::ready) throw std::logic_error("Child::run called twice");
    if (cancelled_) {
      state_ = State::finished;
      result.cancelled = true;
      return result;
    }
    pid_ = spawn(spec_, streams, spec_.ownProcessGroup || spec_.timeout.has_value(), false);
    state_ = State::running;
  }
  // Our copies of the child's ends must go, or we would never see EOF.
  input.read.close();
  output.write.close();
  error.write.close();

  const bool timed = spec_.timeout.has_value();
  const auto deadline = SteadyClock::now() + spec_.timeout.value_or(std::chrono::milliseconds(0));
  // Milliseconds until the time-out for poll; -1 without one.
  auto timeLeft = [&]() -> int {
    if (!timed) return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    return left > 0 ? static_cast<int>(std::min<long long>(left, 1 << 30)) : 0;
  };
  auto expire = [&] {
    ::kill(-pid_, SIGKILL);
    result.timedOut = true;
  };

  const std::string_view inputBytes = spec_.inputBytes;
  std::size_t written = 0;
  if (input.write.open()) {
    if (inputBytes.empty()) input.write.close();
    else ::fcntl(input.write.get(), F_SETFL, ::fcntl(input.write.get(), F_GETFL) | O_NONBLOCK);
  }

  try {
    LineSplitter lines(onLine);
    std::array<char, 65536> buffer;
    auto drain = [&](Fd& fd, std::string& into, bool splitLines) {
      const ssize_t count = ::read(fd.get(), buffer.data(), buffer.size());
      if (count > 0) {
        into.append(buffer.data(), static_cast<std::size_t>(count));
        if (splitLines) lines.feed(into);
      } else if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
        fd.close();
      }
    };
    while (input.write.open() || output.read.open() || error.read.open()) {
      std::array<pollfd, 3> fds{};
      std::array<Fd*, 3> owners{};
      nfds_t count = 0;
      for (Fd* fd : {&output.read, &error.read, &input.write}) {
        if (!fd->open()) continue;
        owners[count] = fd;
        fds[count++] = pollfd{fd->get(), static_cast<short>(fd == &input.write ? POLLOUT : POLLIN), 0};
      }
      const int ready = ::poll(fds.data(), count, timeLeft());
      if (ready < 0) {
        if (errno == EINTR) continue;
        throw std::system_error(errno, std::generic_category(), "poll");
      }
      if (ready == 0) {
        // Time-out: the killed group closes its ends, but a process outside it
        // might not; stop reading here.
        expire();
        break;
      }
      for (nfds_t i = 0; i < count; ++i) {
        if (fds[i].revents == 0) continue;
        if (owners[i] == &output.read) {
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
    input.write.close();
    output.read.close();
    error.read.close();
    {
      std::lock_guard lock(mutex_);
      state_ = State::finished;
    }
    handToReaper(pid_);
    throw;
  }
  input.write.close();
  output.read.close();
  error.read.close();
  result.inputTaken = written == inputBytes.size() || spec_.input != Input::bytes;

  if (timed && !result.timedOut) {
    // Outputs may end before the child does: keep to the time-out while waiting.
    while (!hasEnded(pid_)) {
      const int left = timeLeft();
      if (left == 0) {
        expire();
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, 10)));
    }
  }
  awaitEnd(pid_);
  std::lock_guard lock(mutex_);
  const ExitStatus exit = exitStatus(reap(pid_));
  state_ = State::finished;
  result.status = exit.status;
  result.signaled = exit.signaled;
  return result;
}

Result run(const Spec& spec) { return Child(spec).run(); }

Detached startDetached(const Spec& spec) {
  ignoreSigpipe();
  Streams streams;
  streams.inputNull = true;
  return Detached(spawn(spec, streams, false, true));
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
