#pragma once
// The Codex command-line tool, which repairs a whole project as an agent.
#include "core/repair/ToolLookup.hpp"
#include "core/support/Host.hpp"

#include <chrono>
#include <optional>
#include <string>

namespace tovrane {

namespace CodexCLI {

// The tool's executable: a fixed install location, else the login shell's
// answer; absent when it is not installed.
std::optional<std::string> locate(const Host& host = Host::system(),
                                  std::chrono::milliseconds shellTimeout = toollookup::defaultShellTimeout);

}  // namespace CodexCLI

}  // namespace tovrane
