#include "tests/support/FakeTool.hpp"

#include "core/support/Files.hpp"

#include <algorithm>
#include <csignal>
#include <stdexcept>
#include <thread>

namespace tovrane::testsupport {

namespace fs = std::filesystem;

std::string shellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') quoted += "'\\''";
    else quoted += c;
  }
  return quoted + "'";
}

InstalledTool FakeTool::install(const fs::path& path) const {
  const fs::path log = path.string() + ".log";
  const fs::path out = path.string() + ".out";
  const fs::path err = path.string() + ".err";
  files::writeFile(out, output);
  files::writeFile(err, errorOutput);
  files::writeFile(log, "");
  files::writeFile(path.string() + ".pids", "");

  // The logging runs in a subshell with a PATH of its own (the caller's may
  // be a test folder or absent) and with byte-counting lengths (LC_ALL=C).
  // A record is assembled in a temporary file and appended with one write,
  // so that calls running at the same time do not mix their records.
  std::string script = "#!/bin/sh\n";
  if (ignoresTerminate) script += "trap '' TERM\n";
  script += "echo $$ >> \"$0.pids\"\n(\nlog=" + shellQuote(log.string()) + "\n";
  // The chosen variables are taken before the subshell sets its own PATH and LC_ALL.
  for (std::size_t i = 0; i < variables.size(); ++i) {
    const std::string& name = variables[i];
    const std::string index = std::to_string(i);
    script += "logged_set_" + index + "=${" + name + "+set} logged_" + index + "=${" + name + "-}\n";
  }
  script += R"sh(PATH=/usr/bin:/bin
LC_ALL=C
record=$(mktemp "$log.XXXXXX") || exit 1
field() { printf '%s %s [%s]\n' "$1" "${#2}" "$2"; }
{
  printf '@call\n'
  field cwd "$(pwd -P)"
  for argument in "$@"; do field arg "$argument"; done
)sh";
  for (std::size_t i = 0; i < variables.size(); ++i) {
    const std::string& name = variables[i];
    const std::string index = std::to_string(i);
    script += "  if [ \"$logged_set_" + index + "\" = set ]; then field 'env " + name + "' \"$logged_" + index +
              "\"; else printf 'unset %s\\n' " + name + "; fi\n";
  }
  if (readsInput) {
    script += R"sh(  cat > "$record.in"
  size=$(wc -c < "$record.in")
  printf 'stdin %s [' $((size + 0))
  cat "$record.in"
  printf ']\n'
  rm -f "$record.in"
)sh";
  }
  script += R"sh(  printf '@end\n'
} > "$record"
cat "$record" >> "$log"
rm -f "$record"
)sh";
  script += "cat " + shellQuote(out.string()) + "\ncat " + shellQuote(err.string()) + " >&2\n";
  script += ") || exit 99\n" + body + "\nexit " + std::to_string(status) + "\n";
  files::writeAtomic(path, script, 0755);
  return InstalledTool{path, log};
}

std::vector<pid_t> InstalledTool::pids() const {
  std::vector<pid_t> pids;
  const fs::path file = program.string() + ".pids";
  if (!fs::exists(file)) return pids;
  const std::string text = files::readFile(file);
  for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    pids.push_back(static_cast<pid_t>(std::stol(text.substr(start, end - start))));
  return pids;
}

bool eventually(const std::function<bool()>& done, std::chrono::milliseconds bound) {
  const auto giveUp = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    if (std::chrono::steady_clock::now() > giveUp) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

bool InstalledTool::awaitPids(std::size_t count, std::chrono::milliseconds bound) const {
  return eventually([&] { return pids().size() >= count; }, bound);
}

bool awaitFile(const fs::path& path, std::chrono::milliseconds bound) {
  return eventually([&] { return fs::exists(path); }, bound);
}

std::string leave(Leftover kind) {
  switch (kind) {
    case Leftover::inGroup: return "sleep 600 & echo $! >> \"$0.pids\"\n";
    case Leftover::ownSession: return "setsid sleep 600 & echo $! >> \"$0.pids\"\n";
    case Leftover::daemon: return "( setsid sleep 600 & echo $! >> \"$0.pids\" )\n";
  }
  return {};
}

bool processRuns(pid_t pid) {
  // Without a process file system a zombie counts as running.
  if (!fs::exists("/proc/self/stat")) return ::kill(pid, 0) == 0;
  std::string stat;
  try {
    stat = files::readFile("/proc/" + std::to_string(pid) + "/stat");
  } catch (const files::FileError&) {
    return false;
  }
  const auto close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z' && stat[close + 2] != 'X';
}

bool allEnd(const std::vector<pid_t>& pids, std::chrono::milliseconds bound) {
  return eventually([&] { return std::none_of(pids.begin(), pids.end(), processRuns); }, bound);
}

namespace {

// Reads "<size> [<bytes>]\n" at pos.
std::string readSized(const std::string& log, std::size_t& pos) {
  const auto space = log.find(' ', pos);
  if (space == std::string::npos) throw std::runtime_error("tool log: size missing");
  const std::size_t size = std::stoul(log.substr(pos, space - pos));
  if (log.compare(space + 1, 1, "[") != 0 || log.compare(space + 2 + size, 2, "]\n") != 0)
    throw std::runtime_error("tool log: broken value at byte " + std::to_string(pos));
  pos = space + 4 + size;
  return log.substr(space + 2, size);
}

bool take(const std::string& log, std::size_t& pos, const std::string& word) {
  if (log.compare(pos, word.size(), word) != 0) return false;
  pos += word.size();
  return true;
}

}  // namespace

std::vector<ToolCall> readToolLog(const fs::path& path) {
  std::vector<ToolCall> calls;
  if (!fs::exists(path)) return calls;
  const std::string log = files::readFile(path);
  std::size_t pos = 0;
  while (pos < log.size()) {
    if (!take(log, pos, "@call\n")) throw std::runtime_error("tool log: record start missing");
    ToolCall call;
    while (!take(log, pos, "@end\n")) {
      if (take(log, pos, "cwd ")) {
        call.workingFolder = readSized(log, pos);
      } else if (take(log, pos, "arg ")) {
        call.arguments.push_back(readSized(log, pos));
      } else if (take(log, pos, "stdin ")) {
        call.input = readSized(log, pos);
      } else if (take(log, pos, "env ")) {
        const auto space = log.find(' ', pos);
        const std::string name = log.substr(pos, space - pos);
        pos = space + 1;
        call.variables[name] = readSized(log, pos);
      } else if (take(log, pos, "unset ")) {
        const auto end = log.find('\n', pos);
        call.variables[log.substr(pos, end - pos)] = std::nullopt;
        pos = end + 1;
      } else {
        throw std::runtime_error("tool log: unknown line at byte " + std::to_string(pos));
      }
    }
    calls.push_back(std::move(call));
  }
  return calls;
}

}  // namespace tovrane::testsupport
