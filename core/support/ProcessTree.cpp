#include "core/support/ProcessTree.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <unistd.h>

#if defined(__APPLE__)
#include <sys/sysctl.h>
#else
#include <dirent.h>
#include <fcntl.h>
#endif

namespace tovrane::process::tree {

namespace {

// One line of the process table.
struct Entry {
  pid_t pid = 0;
  pid_t parent = 0;
  pid_t group = 0;
  pid_t session = 0;
  unsigned long long started = 0;
  bool ended = false;  // a zombie: ended, not yet collected
};

#if defined(__APPLE__)

Entry entryOf(const kinfo_proc& info) {
  Entry entry;
  entry.pid = info.kp_proc.p_pid;
  entry.parent = info.kp_eproc.e_ppid;
  entry.group = info.kp_eproc.e_pgid;
  // Not in the table; -1 when the system does not tell.
  entry.session = ::getsid(entry.pid);
  entry.started = static_cast<unsigned long long>(info.kp_proc.p_starttime.tv_sec) * 1000000ULL +
                  static_cast<unsigned long long>(info.kp_proc.p_starttime.tv_usec);
  entry.ended = info.kp_proc.p_stat == SZOMB;
  return entry;
}

std::optional<Entry> readEntry(pid_t pid) {
  int name[4] = {CTL_KERN, KERN_PROC, KERN_PROC_PID, pid};
  kinfo_proc info{};
  std::size_t size = sizeof info;
  if (::sysctl(name, 4, &info, &size, nullptr, 0) != 0 || size == 0) return std::nullopt;
  return entryOf(info);
}

std::vector<Entry> table() {
  int name[4] = {CTL_KERN, KERN_PROC, KERN_PROC_ALL, 0};
  std::vector<kinfo_proc> infos;
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::size_t size = 0;
    if (::sysctl(name, 4, nullptr, &size, nullptr, 0) != 0) return {};
    // Room for processes started meanwhile.
    infos.resize(size / sizeof(kinfo_proc) + 32);
    size = infos.size() * sizeof(kinfo_proc);
    if (::sysctl(name, 4, infos.data(), &size, nullptr, 0) == 0) {
      infos.resize(size / sizeof(kinfo_proc));
      std::vector<Entry> entries;
      for (const kinfo_proc& info : infos) entries.push_back(entryOf(info));
      return entries;
    }
    if (errno != ENOMEM) return {};
  }
  return {};
}

#else

// "/proc/<pid>/stat": "pid (name) state ppid pgrp session … starttime …".
// The name may hold blanks and parentheses; the fields follow its last ")".
std::optional<Entry> readEntry(pid_t pid) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  char buffer[1024];
  const ssize_t length = ::read(fd, buffer, sizeof buffer - 1);
  ::close(fd);
  if (length <= 0) return std::nullopt;
  buffer[length] = '\0';
  const char* close = nullptr;
  for (const char* at = buffer; *at; ++at)
    if (*at == ')') close = at;
  if (!close) return std::nullopt;
  char state = 0;
  int parent = 0;
  int group = 0;
  int session = 0;
  unsigned long long started = 0;
  // Fields 3 to 6, then 7 to 21 skipped, then 22: the start time.
  if (std::sscanf(close + 1, " %c %d %d %d %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %llu", &state,
                  &parent, &group, &session, &started) != 5)
    return std::nullopt;
  return Entry{pid, parent, group, session, started, state == 'Z' || state == 'X'};
}

std::vector<Entry> table() {
  std::vector<Entry> entries;
  DIR* folder = ::opendir("/proc");
  if (!folder) return entries;
  while (const dirent* item = ::readdir(folder)) {
    char* end = nullptr;
    const long pid = std::strtol(item->d_name, &end, 10);
    if (pid <= 0 || *end != '\0') continue;
    if (std::optional<Entry> entry = readEntry(static_cast<pid_t>(pid))) entries.push_back(*entry);
  }
  ::closedir(folder);
  return entries;
}

#endif

bool eligible(pid_t pid) { return pid > 1 && pid != ::getpid(); }

// The member still runs as the process it was.
bool runs(const Member& member) {
  const std::optional<Entry> entry = readEntry(member.pid);
  return entry && entry->started == member.started && !entry->ended;
}

}  // namespace

std::vector<Member> collect(pid_t leader, const std::vector<Member>& known) {
  const std::vector<Entry> entries = table();
  std::multimap<pid_t, const Entry*> children;
  for (const Entry& entry : entries) children.emplace(entry.parent, &entry);

  std::vector<Member> members;
  std::vector<const Entry*> pending;
  const auto add = [&](const Entry& entry) {
    const Member member{entry.pid, entry.started};
    if (!eligible(entry.pid) || std::find(members.begin(), members.end(), member) != members.end()) return;
    members.push_back(member);
    pending.push_back(&entry);
  };
  // A session or group id outlives its leader: one that an earlier process
  // of the same number led holds only processes older than ours.
  unsigned long long leaderStarted = 0;
  for (const Entry& entry : entries)
    if (entry.pid == leader) leaderStarted = entry.started;
  for (const Entry& entry : entries) {
    const bool isKnown = std::find(known.begin(), known.end(), Member{entry.pid, entry.started}) != known.end();
    const bool led = (entry.session == leader || entry.group == leader) && entry.started >= leaderStarted;
    if (entry.pid == leader || led || isKnown) add(entry);
  }
  while (!pending.empty()) {
    const Entry* parent = pending.back();
    pending.pop_back();
    const auto [first, last] = children.equal_range(parent->pid);
    for (auto child = first; child != last; ++child) add(*child->second);
  }
  return members;
}

void signal(const std::vector<Member>& members, int signal) {
  for (const Member& member : members)
    if (eligible(member.pid) && runs(member)) ::kill(member.pid, signal);
}

bool anyRunning(const std::vector<Member>& members) { return std::any_of(members.begin(), members.end(), runs); }

}  // namespace tovrane::process::tree
