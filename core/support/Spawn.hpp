#pragma once
// Starting a child process for the runner (Process.hpp): the descriptors it
// gets on 0–2 and no others, default signal dispositions and an empty mask,
// its working folder, and the session it leads.
#include "core/support/Process.hpp"

#include <sys/types.h>
#include <utility>

namespace tovrane::process {

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
  void close();

 private:
  int fd_ = -1;
};

struct Pipe {
  Fd read;
  Fd write;
};

// Both ends close-on-exec from the start: a child that another thread starts
// meanwhile must not inherit them. For a run of program, which cannot start
// without it: StartError when the system has no descriptor left.
Pipe makePipe(const std::filesystem::path& program);

// Where the child's descriptors 0–2 come from.
struct Streams {
  int input = -1;  // put on 0; -1: see inputNull
  bool inputNull = false;  // the null device on 0; otherwise our own 0
  int output = -1;  // put on 1; -1: the null device
  int error = -1;   // put on 2; -1: the null device
};

enum class Start {
  // A run of Child: leads a new session; on Linux also a subreaper that gets
  // SIGKILL when the starting thread ends.
  tracked,
  // Leads a new session and lives on its own.
  detached,
};

// Starts spec's program with its arguments, environment and working folder.
// Throws StartError when it cannot start (a relative program, a missing
// working folder, anything exec refuses).
pid_t spawn(const Spec& spec, const Streams& streams, Start how);

}  // namespace tovrane::process
