#include "core/support/Spawn.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#if defined(__linux__)
#include <linux/close_range.h>
#include <sys/prctl.h>
#endif

namespace tovrane::process {

void Fd::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

Pipe makePipe(const std::filesystem::path& program) {
  int fds[2];
#if defined(__APPLE__)
  if (::pipe(fds) != 0) throw StartError(errno, program);
  ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  ::fcntl(fds[1], F_SETFD, FD_CLOEXEC);
#else
  if (::pipe2(fds, O_CLOEXEC) != 0) throw StartError(errno, program);
#endif
  return Pipe{Fd(fds[0]), Fd(fds[1])};
}

namespace {

// The program, its argument vector and its environment as exec takes them,
// made before the start (a forked child may not allocate).
class CommandLine {
 public:
  explicit CommandLine(const Spec& spec) : program_(spec.program.string()), arguments_(spec.arguments) {
    for (const auto& [name, value] : spec.environment) environment_.push_back(name + "=" + value);
    argv_.push_back(program_.data());
    for (std::string& argument : arguments_) argv_.push_back(argument.data());
    argv_.push_back(nullptr);
    for (std::string& entry : environment_) envp_.push_back(entry.data());
    envp_.push_back(nullptr);
  }
  CommandLine(const CommandLine&) = delete;
  CommandLine& operator=(const CommandLine&) = delete;

  const char* program() const { return program_.c_str(); }
  char* const* argv() const { return argv_.data(); }
  char* const* envp() const { return envp_.data(); }

 private:
  std::string program_;
  std::vector<std::string> arguments_;
  std::vector<std::string> environment_;
  std::vector<char*> argv_;
  std::vector<char*> envp_;
};

void checkBeforeStart(const Spec& spec) {
  if (!spec.program.is_absolute()) throw StartError(EINVAL, spec.program);
  if (spec.workingFolder) {
    struct stat st {};
    if (::stat(spec.workingFolder->c_str(), &st) != 0) throw StartError(errno, spec.program, spec.workingFolder);
    if (!S_ISDIR(st.st_mode)) throw StartError(ENOTDIR, spec.program, spec.workingFolder);
  }
}

// Each failure to prepare the start is the program's StartError.
class SpawnActions {
 public:
  explicit SpawnActions(const std::filesystem::path& program) : program_(program) {
    check(::posix_spawn_file_actions_init(&actions_));
  }
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
  void check(int error) const {
    if (error != 0) throw StartError(error, program_);
  }
  const std::filesystem::path& program_;
  posix_spawn_file_actions_t actions_;
};

class SpawnAttributes {
 public:
  SpawnAttributes() { ::posix_spawnattr_init(&attributes_); }
  ~SpawnAttributes() { ::posix_spawnattr_destroy(&attributes_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  posix_spawnattr_t* get() { return &attributes_; }

  // Default dispositions, an empty mask, a session of its own.
  void set() {
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    ::posix_spawnattr_setsigdefault(&attributes_, &all);
    ::posix_spawnattr_setsigmask(&attributes_, &none);
    short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSID;
#if defined(__APPLE__)
    flags |= POSIX_SPAWN_CLOEXEC_DEFAULT;
#endif
    ::posix_spawnattr_setflags(&attributes_, flags);
  }

 private:
  posix_spawnattr_t attributes_;
};

pid_t posixSpawn(const Spec& spec, const Streams& streams) {
  SpawnActions actions(spec.program);
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
  attributes.set();

  const CommandLine command(spec);
  pid_t pid = -1;
  if (const int error = ::posix_spawn(&pid, command.program(), actions.get(), attributes.get(), command.argv(),
                                      command.envp());
      error != 0)
    throw StartError(error, spec.program);
  return pid;
}

#if defined(__linux__)

// posix_spawn cannot make the child a subreaper or tie it to the starting
// thread, so a tracked child is forked. Between fork and exec the child may
// only make async-signal-safe calls: everything is prepared before.

enum class Step : int { exec, folder, setup };

[[noreturn]] void failInChild(int report, Step step) {
  const int message[2] = {static_cast<int>(step), errno};
  // Eight bytes into a pipe arrive whole.
  [[maybe_unused]] const ssize_t written = ::write(report, message, sizeof message);
  ::_exit(127);
}

// to gets from's file; a descriptor that is already in place only loses
// its close-on-exec mark.
bool redirect(int from, int to) {
  if (from == to) return ::fcntl(to, F_SETFD, 0) == 0;
  return ::dup2(from, to) == to;
}

bool redirectToNull(int to, int flags) {
  const int fd = ::open("/dev/null", flags | O_CLOEXEC);
  if (fd < 0) return false;
  const bool done = redirect(fd, to);
  if (fd != to) ::close(fd);
  return done;
}

[[noreturn]] void startInChild(const CommandLine& command, const Streams& streams, const char* folder, pid_t parent,
                               int report, int highestFd) {
  if (::setsid() < 0) failInChild(report, Step::setup);
  // A descendant whose parent ends stays below the child, where the run's
  // ending finds it; and the child ends with the thread that waits for it.
  ::prctl(PR_SET_CHILD_SUBREAPER, 1);
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() != parent) ::_exit(127);  // that thread is gone already

  bool ready = true;
  if (streams.input >= 0) ready = ready && redirect(streams.input, 0);
  else if (streams.inputNull) ready = ready && redirectToNull(0, O_RDONLY);
  ready = ready && (streams.output >= 0 ? redirect(streams.output, 1) : redirectToNull(1, O_WRONLY));
  ready = ready && (streams.error >= 0 ? redirect(streams.error, 2) : redirectToNull(2, O_WRONLY));
  if (!ready) failInChild(report, Step::setup);
  if (folder && ::chdir(folder) != 0) failInChild(report, Step::folder);

  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigemptyset(&standard.sa_mask);
  // SIGKILL, SIGSTOP and the C library's own signals refuse quietly.
  for (int signal = 1; signal < NSIG; ++signal) ::sigaction(signal, &standard, nullptr);

  // Every other descriptor closes at exec, the report pipe too.
  if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
    for (int fd = 3; fd <= highestFd; ++fd)
      if (fd != report) ::close(fd);
  }
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::execve(command.program(), command.argv(), command.envp());
  failInChild(report, Step::exec);
}

pid_t forkAndExec(const Spec& spec, const Streams& streams) {
  const CommandLine command(spec);
  const std::string folder = spec.workingFolder ? spec.workingFolder->string() : std::string();
  const long openMax = ::sysconf(_SC_OPEN_MAX);
  const int highestFd = static_cast<int>(std::clamp(openMax, 1024L, 65536L));
  Pipe report = makePipe(spec.program);

  // No handler of ours may run in the child before it resets them.
  sigset_t all;
  sigset_t previous;
  sigfillset(&all);
  ::pthread_sigmask(SIG_BLOCK, &all, &previous);
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0)
    startInChild(command, streams, spec.workingFolder ? folder.c_str() : nullptr, parent, report.write.get(),
                 highestFd);
  const int forkError = errno;
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (pid < 0) throw StartError(forkError, spec.program);

  report.write.close();
  int message[2];
  std::size_t received = 0;
  while (received < sizeof message) {
    const ssize_t count = ::read(report.read.get(), reinterpret_cast<char*>(message) + received,
                                 sizeof message - received);
    if (count > 0) received += static_cast<std::size_t>(count);
    else if (count == 0 || errno != EINTR) break;
  }
  if (received < sizeof message) return pid;  // exec closed the pipe: the program runs

  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (message[0] == static_cast<int>(Step::folder)) throw StartError(message[1], spec.program, spec.workingFolder);
  throw StartError(message[1], spec.program);
}

#endif

}  // namespace

pid_t spawn(const Spec& spec, const Streams& streams, Start how) {
  checkBeforeStart(spec);
#if defined(__linux__)
  if (how == Start::tracked) return forkAndExec(spec, streams);
#else
  (void)how;
#endif
  return posixSpawn(spec, streams);
}

}  // namespace tovrane::process
