#pragma once
// German texts for file-system failures. The system's own messages follow
// the C library's language, English on most machines, but the user reads
// German; the texts core writes itself are German already and stay.
#include "core/support/Files.hpp"

#include <string>

namespace tovrane::app {

// The reason alone: a system message by its error number, anything else unchanged.
std::string germanReason(const files::FileError& error);
// "<path>: <reason>".
std::string germanText(const files::FileError& error);

}  // namespace tovrane::app
