#include "core/repair/ClaudeCodeRepair.hpp"

#include "core/repair/APIClient.hpp"
#include "core/repair/AnswerFields.hpp"
#include "core/support/Cancelled.hpp"
#include "core/support/Process.hpp"
#include "core/support/Text.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace tovrane {

namespace {

namespace fs = std::filesystem;
using json::Json;
using answer::countOf;
using answer::field;
using answer::textOf;

constexpr std::array<std::string_view, 4> homeCandidates{
    "/.local/bin/claude", "/.claude/local/claude", "/.npm-global/bin/claude", "/.bun/bin/claude"};

[[noreturn]] void unsafeFolder(const fs::path& folder) {
  throw ClaudeCodeError("Der Arbeitsordner für Claude Code ist nicht sicher: " + folder.string());
}

// The folder where every call runs the tool. On Linux the temporary folder is
// shared by all users, so the folder must be the user's own real folder, and
// nobody else may read the code that passes through it.
fs::path workFolder(const Host& host) {
  const fs::path folder = host.temporaryFolder() / ("tovrane-claude-" + std::to_string(::geteuid()));
  std::error_code ignored;
  fs::create_directories(folder.parent_path(), ignored);
  ::mkdir(folder.c_str(), 0700);
  // Opened without following a link, then judged and tightened through the
  // descriptor, so what is checked is what is changed.
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ELOOP || errno == ENOTDIR) unsafeFolder(folder);
    // Missing or unreadable: starting the tool there fails and says so.
    return folder;
  }
  struct stat st {};
  const bool own = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
                   ((st.st_mode & 07777) == 0700 || ::fchmod(fd, 0700) == 0);
  ::close(fd);
  if (!own) unsafeFolder(folder);
  return folder;
}

bool contains(const std::string& haystack, std::string_view needle) { return haystack.find(needle) != std::string::npos; }

std::string asciiLowercase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

std::optional<std::string> ClaudeCode::locate(const Host& host, std::chrono::milliseconds shellTimeout) {
  return toollookup::locate("claude", homeCandidates, host, shellTimeout);
}

APIClient::Reply APIClient::sendClaudeCode(const ModelTier& tier, const SystemBlocks& system,
                                           const std::string& user, std::stop_token stop) const {
  if (!claudeCodePath_) throw AIRepairError::noProvider();
  const std::string systemPrompt = systemText(system);
  if (systemPrompt.size() > ClaudeCode::maxSystemTextBytes) {
    throw ClaudeCodeError("Der Systemtext für Claude Code ist zu lang (" +
                          std::to_string((systemPrompt.size() + 1023) / 1024) + " KiB).");
  }
  Environment environment = host_->environment();
  environment["PATH"] = toollookup::toolSearchPath(*host_);
  process::Spec spec;
  spec.program = *claudeCodePath_;
  spec.arguments = {"-p", "--model", tier.model, "--tools", "", "--strict-mcp-config", "--setting-sources", "",
                    "--no-session-persistence", "--output-format", "json", "--system-prompt", systemPrompt};
  spec.environment = std::move(environment);
  spec.workingFolder = workFolder(*host_);
  spec.outputs = process::Outputs::separate;
  spec.input = process::Input::bytes;
  spec.inputBytes = user;
  spec.timeout = endpoints_.claudeCodeTimeout;
  spec.stop = std::move(stop);
  const process::Result run = process::run(spec);
  if (run.cancelled) throw Cancelled();
  if (run.timedOut) throw process::TimeoutError("Claude Code", endpoints_.claudeCodeTimeout);

  auto parsed = json::tryParse(run.output);
  const Json answer = parsed && parsed->is_object() ? std::move(*parsed) : Json::object();
  std::string result = textOf(field(answer, "result"));
  const std::string errorOutput = text::isValidUtf8(run.errorOutput) ? run.errorOutput : std::string();

  // Only a failed run is judged by its words: a good answer may well contain
  // code that mentions a rate limit or a login screen.
  const bool failed = run.status != 0 || run.signaled || field(answer, "is_error") == Json(true);
  if (failed) {
    const std::string words = asciiLowercase(result + errorOutput);
    if (contains(words, "usage limit") || contains(words, "limit reached") || contains(words, "rate limit") ||
        field(answer, "api_error_status") == Json(429)) {
      throw AIRepairError::failed(429, "Das Claude-Abo-Limit ist erreicht. Später erneut versuchen.");
    }
    // The tool's own sentences: the API's texts for these statuses speak of keys it does not use.
    if (contains(words, "login") || contains(words, "authenticat"))
      throw AIRepairError::failed(401, "Claude Code ist nicht angemeldet.");
    throw AIRepairError::http(500, std::string(text::prefixGraphemes(result.empty() ? errorOutput : result, 300)));
  }
  const Json& usage = field(answer, "usage");
  const long long cacheWrites = countOf(field(usage, "cache_creation_input_tokens"));
  return Reply{
      .text = std::move(result),
      .input = countOf(field(usage, "input_tokens")) + cacheWrites,
      .output = countOf(field(usage, "output_tokens")),
      .cached = countOf(field(usage, "cache_read_input_tokens")),
      .cacheWrites = cacheWrites,
  };
}

}  // namespace tovrane
