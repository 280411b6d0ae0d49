#include "core/backend/RuntimeGlobals.hpp"

#include <optional>

#include "core/support/Regex.hpp"
#include "core/support/Resources.hpp"

namespace tovrane {

std::set<std::string> runtimeGlobalsIn(const std::vector<std::string_view>& sources) {
  static const Regex declaration(
      R"(^(?:@Composable\s+)?(?:inline\s+)?(?:fun|class|object|val|var|typealias|enum class|data class|interface)\s+(?:<[^>]+>\s+)?([A-Za-z_][A-Za-z0-9_]*))",
      RegexOptions{.multiLine = true});
  std::set<std::string> names;
  for (std::string_view source : sources) {
    for (const RegexMatch& match : declaration.allMatches(source)) names.emplace(match.group(1));
  }
  return names;
}

std::set<std::string> readRuntimeGlobals() {
  std::vector<std::string_view> sources;
  for (std::string_view name : {"SwiftStdlib.kt", "SwiftUI.kt"}) {
    // Resources are stored by their path below core/resources/, so the
    // runtime sources are found under "runtime/".
    if (std::optional<std::string_view> bytes = resources::find("runtime/" + std::string(name))) {
      sources.push_back(*bytes);
    }
  }
  return runtimeGlobalsIn(sources);
}

const std::set<std::string>& runtimeGlobals() {
  static const std::set<std::string> names = readRuntimeGlobals();
  return names;
}

}  // namespace tovrane
