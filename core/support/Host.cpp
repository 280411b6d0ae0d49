#include "core/support/Host.hpp"

#include <pwd.h>
#include <unistd.h>
#include <vector>

#if defined(__APPLE__)
#include <crt_externs.h>
#endif

namespace tovrane {

namespace {

char** processEnvironment() {
#if defined(__APPLE__)
  return *_NSGetEnviron();
#else
  return environ;
#endif
}

Environment snapshotEnvironment() {
  Environment environment;
  for (char** entry = processEnvironment(); entry && *entry; ++entry) {
    const std::string_view text(*entry);
    const auto equals = text.find('=');
    if (equals == std::string_view::npos) continue;
    // The first definition wins, as getenv sees it.
    environment.emplace(std::string(text.substr(0, equals)), std::string(text.substr(equals + 1)));
  }
  return environment;
}

// Field of the current user's password-database entry, or empty.
std::string passwordField(char* passwd::*field) {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) return {};
  return found->*field ? std::string(found->*field) : std::string();
}

}  // namespace

Host::Host(Options options) : options_(std::move(options)) {}

const Host& Host::system() {
  static const Host host(Options{
      .environment = snapshotEnvironment(),
#if defined(__APPLE__)
      .platform = Platform::macOS,
#else
      .platform = Platform::linuxOS,
#endif
      .root = {},
      .clock = nullptr,
      .loginShell = std::nullopt,
  });
  return host;
}

std::optional<std::string> Host::variable(std::string_view name) const {
  const auto found = options_.environment.find(std::string(name));
  if (found == options_.environment.end()) return std::nullopt;
  return found->second;
}

std::filesystem::path Host::home() const {
  if (auto home = variable("HOME"); home && !home->empty()) return *home;
  return passwordField(&passwd::pw_dir);
}

std::filesystem::path Host::temporaryFolder() const {
  if (auto tmp = variable("TMPDIR"); tmp && !tmp->empty()) return *tmp;
#if defined(__APPLE__)
  // The per-user folder that TMPDIR normally names on macOS.
  std::vector<char> buffer(1024);
  if (const auto length = ::confstr(_CS_DARWIN_USER_TEMP_DIR, buffer.data(), buffer.size());
      length > 0 && length <= buffer.size())
    return std::filesystem::path(buffer.data());
#endif
  return "/tmp";
}

std::filesystem::path Host::loginShell() const {
  if (options_.loginShell) return *options_.loginShell;
  const std::string shell = passwordField(&passwd::pw_shell);
  return shell.empty() ? std::filesystem::path("/bin/sh") : std::filesystem::path(shell);
}

std::filesystem::path Host::path(const std::filesystem::path& absolute) const {
  if (options_.root.empty()) return absolute;
  return options_.root / absolute.relative_path();
}

}  // namespace tovrane
