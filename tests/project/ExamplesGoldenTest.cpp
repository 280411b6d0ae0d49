// The whole generated Kotlin of every example project, kept under
// tests/golden/<example>/ so that any change in the output shows in review.
// scripts/update-golden (TOVRANE_UPDATE_GOLDEN=1) rewrites them on purpose.
#include "core/project/Converter.hpp"
#include "core/support/Files.hpp"
#include "tests/support/TempDir.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace tovrane {
namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

const fs::path sourceDir = TOVRANE_SOURCE_DIR;

// Kotlin file path (relative to the source root, '/'-separated) to its text.
// The runtime library is a verbatim copy of the embedded resources and is left out.
std::map<std::string, std::string> kotlinFiles(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const fs::path& file : files::listFiles(root)) {
    if (file.extension() != ".kt") continue;
    const std::string relative = file.lexically_relative(root).generic_string();
    if (relative == "tovrane/runtime/SwiftStdlib.kt" || relative == "tovrane/runtime/SwiftUI.kt") continue;
    files.emplace(relative, files::readFile(file));
  }
  return files;
}

std::vector<fs::path> exampleProjects() {
  std::vector<fs::path> projects;
  for (const fs::path& folder : files::listChildren(sourceDir / "examples")) {
    if (!fs::is_directory(folder)) continue;
    for (const fs::path& child : files::listChildren(folder)) {
      if (child.extension() == ".xcodeproj") {
        projects.push_back(folder);
        break;
      }
    }
  }
  return projects;
}

TEST(ExamplesGolden, GeneratedKotlinMatchesTheKeptCopy) {
  const bool update = std::getenv("TOVRANE_UPDATE_GOLDEN") != nullptr;
  const std::vector<fs::path> projects = exampleProjects();
  ASSERT_GE(projects.size(), 2u);
  for (const fs::path& project : projects) {
    const std::string name = project.filename().string();
    const TempDir temp;
    const fs::path output = temp / name;
    TovraneConverter().convert(project, output, ConversionOptions{}, [](const ConversionStage&) {});
    const std::map<std::string, std::string> generated = kotlinFiles(output / "app/src/main/java");
    const fs::path golden = sourceDir / "tests/golden" / name;
    if (update) {
      fs::remove_all(golden);
      for (const auto& [path, text] : generated) {
        files::createDirectories((golden / path).parent_path());
        files::writeFile(golden / path, text);
      }
      continue;
    }
    ASSERT_TRUE(fs::is_directory(golden)) << golden << " is missing; run scripts/update-golden";
    const std::map<std::string, std::string> kept = kotlinFiles(golden);
    for (const auto& [path, text] : generated) {
      const auto found = kept.find(path);
      if (found == kept.end()) {
        ADD_FAILURE() << name << ": new file " << path << "; run scripts/update-golden";
      } else {
        EXPECT_EQ(text, found->second) << name << ": " << path << " differs; run scripts/update-golden";
      }
    }
    for (const auto& [path, text] : kept) {
      EXPECT_TRUE(generated.contains(path)) << name << ": " << path << " is no longer generated";
    }
  }
}

}  // namespace
}  // namespace tovrane
