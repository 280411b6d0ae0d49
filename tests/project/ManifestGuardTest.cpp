#include "core/project/Converter.hpp"

#include "tests/support/TempDir.hpp"

#include <gtest/gtest.h>

namespace tovrane {
namespace {

namespace fs = std::filesystem;

TEST(ManifestGuard, OnlyPlainValuesPass) {
  struct PackageCase {
    std::string name;
    bool trusted;
  };
  const std::vector<PackageCase> packages = {
      {"com.example.notes", true},  {"_a.b_2", true},         {"com.with blank", false}, {"single", false},
      {"com..double", false},       {"com.example.", false},  {"1com.example", false},   {"com.ex-ample", false},
      {"com.example;rm", false},    {"com.exämple", false},   {"", false},               {"com.a\n.b", false},
  };
  for (const PackageCase& c : packages) {
    const ProjectManifest manifest{c.name, "/p", {}};
    EXPECT_EQ(trustedPackageName(manifest), c.trusted ? std::optional<std::string>(c.name) : std::nullopt) << c.name;
  }

  testsupport::TempDir dir;
  const std::string swift = dir.put("Sources/Content View.swift", "struct A {}").string();
  const std::string other = dir.put("Sources/Notes.txt", "").string();
  fs::create_directories(dir / "Sources/Folder.swift");
  const std::string relative = fs::relative(swift, fs::current_path()).string();
  struct FileCase {
    std::string kotlin;
    std::string swift;
    bool trusted;
  };
  const std::vector<FileCase> entries = {
      {"ContentView.kt", swift, true},
      {".kt", swift, true},
      {"../Escape.kt", swift, false},
      {"sub/Deep.kt", swift, false},
      {"ContentView.kts", swift, false},
      {"ContentView", swift, false},
      {std::string("A\0.kt", 5), swift, false},
      {"Notes.kt", other, false},
      {"Missing.kt", (dir / "Sources/Missing.swift").string(), false},
      {"Folder.kt", (dir / "Sources/Folder.swift").string(), false},
      {"Relative.kt", relative, false},
      {"Nul.kt", swift + std::string("\0.swift", 7), false},
  };
  ProjectManifest manifest{"com.a", "/p", {}};
  std::map<std::string, std::string> expected;
  for (const FileCase& c : entries) {
    manifest.files[c.kotlin] = c.swift;
    if (c.trusted) expected[c.kotlin] = c.swift;
  }
  EXPECT_EQ(trustedFiles(manifest), expected);
}

}  // namespace
}  // namespace tovrane
