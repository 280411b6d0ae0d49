#pragma once
// The text of the history file "projekte.json": a pretty-printed JSON array
// of records, newest first. Keys are written in a fixed order and read in
// any; unknown keys are ignored; "placeholders" (left out by older versions),
// "ai" and "compiled" may be missing or null;
// every other key is required with its type. Identifiers are written as
// upper-case 36-character UUIDs and read in either case. Dates are seconds,
// with fraction, since 2001-01-01 00:00:00 UTC; kept to the millisecond.
#include "app/state/ProjectRecord.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrane::app {

// nullopt when a number cannot be written as JSON (not finite).
std::optional<std::string> encodeProjectHistory(const std::vector<ProjectRecord>& records);
// nullopt when the text is not such an array or any one record is faulty.
std::optional<std::vector<ProjectRecord>> decodeProjectHistory(std::string_view text);

}  // namespace tovrane::app
