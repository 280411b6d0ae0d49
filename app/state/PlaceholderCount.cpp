#include "app/state/PlaceholderCount.hpp"

#include "core/project/Converter.hpp"
#include "core/repair/AIRepairer.hpp"
#include "core/support/Text.hpp"

#include <optional>
#include <string>

namespace tovrane::app {

int placeholdersIn(const ConversionResult& result) {
  std::filesystem::path folder = result.outputDirectory / "app/src/main/java";
  if (const std::optional<std::string> package = trustedPackageName(ProjectManifest{result.packageName, {}, {}})) {
    folder /= text::replaceAll(*package, ".", "/");
  }
  return AIRepairer::countPlaceholders(folder);
}

}  // namespace tovrane::app
