#pragma once
// The processes that belong to one run of a child, read from the system's
// process table: those of the session and the process group that the child
// leads, and every descendant of them. Ending a run ends this whole tree, not
// only the child: a tool that starts shells, builds or daemons must not leave
// them running.
//
// Each process is known with its start time, so a number that the system has
// meanwhile given to another process is never signalled. This process and
// process 1 are never members.
#include <sys/types.h>

#include <vector>

namespace tovrane::process::tree {

struct Member {
  pid_t pid = 0;
  unsigned long long started = 0;  // the system's start time of the process
  bool operator==(const Member&) const = default;
};

// The processes of the session and group led by leader (the leader
// included), the members of known that still run, and every descendant of
// any of them.
std::vector<Member> collect(pid_t leader, const std::vector<Member>& known = {});
// Sends signal to each member that still runs as the same process.
void signal(const std::vector<Member>& members, int signal);
// Whether a member still runs; one that has ended but was not yet collected
// by its parent counts as ended.
bool anyRunning(const std::vector<Member>& members);

}  // namespace tovrane::process::tree
