#pragma once
// Wall-clock time as the reports write it.
#include <string>

namespace tovrane {

// The current time in UTC with whole seconds, "2025-03-14T09:26:53Z".
std::string utcNow();

}  // namespace tovrane
