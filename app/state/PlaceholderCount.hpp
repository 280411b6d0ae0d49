#pragma once
// How many placeholders a conversion left in the Kotlin it generated,
// counted where and as the repairers count them. Its own file, without Qt:
// the repairer's header names a member `emit`, which Qt's headers take for
// their keyword.
#include "core/project/ConversionContract.hpp"

namespace tovrane::app {

// The placeholders in the generated package's Kotlin files (in all of the
// project's sources when the package name is not one to trust as folders).
int placeholdersIn(const ConversionResult& result);

}  // namespace tovrane::app
