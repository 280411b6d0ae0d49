#pragma once
// The names that the Kotlin runtime library (the embedded "runtime/"
// sources) declares at the start of a line. The identifier translation
// accepts them as known, so the runtime decides by its own layout which bare
// Swift names pass without a placeholder.
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tovrane {

// The declared names of the embedded runtime sources, read once per process
// (thread-safe) and kept. A missing source contributes nothing.
const std::set<std::string>& runtimeGlobals();

// Reads the runtime sources from the current resource store now, without
// caching: what runtimeGlobals() computes on first use.
std::set<std::string> readRuntimeGlobals();

// The names declared in the given source texts: every unindented
// declaration ("fun", "class", "object", "val", "var", "typealias",
// "enum class", "data class", "interface"), optionally behind "@Composable"
// (also on the line above) and "inline", with a generic parameter list
// skipped; an extension's name is its receiver type.
std::set<std::string> runtimeGlobalsIn(const std::vector<std::string_view>& sources);

}  // namespace tovrane
