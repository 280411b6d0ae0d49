#include "core/repair/CodexRepair.hpp"

#include <array>
#include <string_view>

namespace tovrane {

namespace {

constexpr std::array<std::string_view, 3> homeCandidates{"/.local/bin/codex", "/.npm-global/bin/codex",
                                                         "/.bun/bin/codex"};

}  // namespace

std::optional<std::string> CodexCLI::locate(const Host& host, std::chrono::milliseconds shellTimeout) {
  return toollookup::locate("codex", homeCandidates, host, shellTimeout);
}

}  // namespace tovrane
