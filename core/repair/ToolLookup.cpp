#include "core/repair/ToolLookup.hpp"

#include "core/support/Process.hpp"
#include "core/support/Text.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <exception>

namespace tovrane::toollookup {

namespace {

// The login shell's last non-empty output line; the profile may print
// greetings before it.
std::optional<std::string> lastLine(const std::string& output) {
  if (!text::isValidUtf8(output)) return std::nullopt;
  std::optional<std::string> last;
  text::forEachLine(output, text::LineEnds::lf, [&](std::string_view line) {
    const auto trimmed = text::trimWhitespaceAndNewlines(line);
    if (!trimmed.empty()) last = std::string(trimmed);
  });
  return last;
}

std::optional<std::string> askLoginShell(std::string_view name, const Host& host,
                                         std::chrono::milliseconds timeout) {
  // macOS users' profiles live with zsh; elsewhere the password database names the shell.
  const auto shell = host.platform() == Platform::macOS ? host.path("/bin/zsh") : host.loginShell();
  process::Spec spec;
  spec.program = shell;
  spec.arguments = {"-lc", "command -v " + std::string(name)};
  spec.environment = host.environment();
  spec.outputs = process::Outputs::discardStderr;
  spec.input = process::Input::null;
  spec.timeout = timeout;
  try {
    const auto result = process::run(spec);
    if (result.timedOut) return std::nullopt;
    auto path = lastLine(result.output);
    if (!path || !path->starts_with('/') || !isExecutableFile(*path)) return std::nullopt;
    return path;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace

bool isExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> locate(std::string_view name, std::span<const std::string_view> homeSuffixes,
                                  const Host& host, std::chrono::milliseconds shellTimeout) {
  std::vector<std::string> candidates{
      host.path(std::filesystem::path("/opt/homebrew/bin") / name).string(),
      host.path(std::filesystem::path("/usr/local/bin") / name).string(),
  };
  // The suffixes begin with "/": without a home they would name places at the root.
  if (const std::string home = host.home().string(); !home.empty()) {
    for (const auto suffix : homeSuffixes) candidates.push_back(home + std::string(suffix));
  }
  for (const auto& candidate : candidates) {
    if (isExecutableFile(candidate)) return candidate;
  }
  return askLoginShell(name, host, shellTimeout);
}

std::string toolSearchPath(const Host& host) {
  return "/opt/homebrew/bin:/usr/local/bin:/usr/bin:/bin:" + host.variable("PATH").value_or("");
}

}  // namespace tovrane::toollookup
