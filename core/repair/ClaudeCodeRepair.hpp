#pragma once
// The Claude Code command-line tool as the single rung of a repair: where it
// is installed, and the failures of preparing a call that are no answer of
// the model. The call itself is APIClient::send with a claudeCode rung.
#include "core/repair/ToolLookup.hpp"
#include "core/support/Host.hpp"

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>

namespace tovrane {

namespace ClaudeCode {

// The tool's executable: a fixed install location, else the login shell's
// answer; absent when it is not installed.
std::optional<std::string> locate(const Host& host = Host::system(),
                                  std::chrono::milliseconds shellTimeout = toollookup::defaultShellTimeout);

// Linux caps one argument at 128 KiB, and the system text is one argument.
inline constexpr std::size_t maxSystemTextBytes = 120 * 1024;

}  // namespace ClaudeCode

// A call that cannot be made safely; thrown before the tool starts, like a
// failure to start it, so that the run ends with the German text.
class ClaudeCodeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace tovrane
