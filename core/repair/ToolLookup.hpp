#pragma once
// Finds a command-line tool that the user installed (the Claude Code and
// Codex tools): first at the fixed places where their installers put them,
// then by asking the user's login shell, whose profile may extend the search
// path. Every call searches again; nothing is cached.
#include "core/support/Host.hpp"

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tovrane::toollookup {

// How long the login shell may take before it is killed and the tool counts
// as absent (a profile that waits for input must not hang the caller).
inline constexpr std::chrono::milliseconds defaultShellTimeout{10000};

// The path of `name`: "/opt/homebrew/bin/" + name, "/usr/local/bin/" + name,
// then home + each suffix, in this order; the first executable file wins and
// is returned as it lies on the host. Otherwise the login shell's answer to
// "command -v <name>", counted only when its last non-empty line is the
// absolute path of an executable file. Never fails: absent means not found.
std::optional<std::string> locate(std::string_view name, std::span<const std::string_view> homeSuffixes,
                                  const Host& host, std::chrono::milliseconds shellTimeout);

// True when path names a file (links followed) that this process may execute.
bool isExecutableFile(const std::string& path);

// The PATH a coding tool runs with: the usual install folders of node and its
// helpers, then the host's own PATH (nothing when it has none).
std::string toolSearchPath(const Host& host);

}  // namespace tovrane::toollookup
