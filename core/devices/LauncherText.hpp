#pragma once
// Small text rules that the launcher's runs share: how tool output is split
// into lines, how long tails are cut, how a device name and an exit status
// are shown.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tovrane::DeviceLauncher::launcher {

// The pieces of text between newline characters (LF, VT, FF, CR, NEL, LINE
// and PARAGRAPH SEPARATOR), empty ones dropped: "a\r\nb" gives "a", "b".
std::vector<std::string_view> lines(std::string_view text);
// The last n grapheme clusters of text (all of it when it has fewer).
std::string_view tail(std::string_view text, std::size_t n);
// The AVD name with every "_" shown as a blank.
std::string displayName(std::string_view avd);
// A status as the user sees it: 128 + the signal number for a signal.
int exitCode(int status, bool signaled);

}  // namespace tovrane::DeviceLauncher::launcher
