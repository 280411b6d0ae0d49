// Lowers every file of the Swift corpus and compares the constructs that
// became `unsupported` with the list of those that have no IR form. A
// construct the lowering maps must never show up here; a new entry means
// either a lowering fault or a new corpus file, and the list says which.
#include "core/frontend/SwiftFrontend.hpp"
#include "core/ir/IRJson.hpp"
#include "core/support/Files.hpp"
#include "core/support/Json.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tovrane {
namespace {

// Statement and expression `unsupported` nodes of one file, in order, each
// as "kind: source" where kind is "stmt" or "expr" by the union it stands in.
void collectUnsupported(const json::OrderedJson& value, std::vector<std::string>& out) {
  if (value.is_array()) {
    for (const json::OrderedJson& element : value) collectUnsupported(element, out);
    return;
  }
  if (!value.is_object()) return;
  for (auto it = value.begin(); it != value.end(); ++it) {
    if (it.key() == "unsupported" && it.value().is_object() && it.value().contains("_0") &&
        !it.value().contains("source")) {
      out.push_back(it.value()["_0"].get<std::string>());
      continue;
    }
    collectUnsupported(it.value(), out);
  }
}

std::vector<std::string> unsupportedIn(const std::filesystem::path& file, const std::string& relative) {
  std::string source = files::readFile(file);
  IRFile ir = SwiftFrontend().parse(source, relative);
  std::optional<std::string> text = encodeIRJson(ir);
  EXPECT_TRUE(text) << relative;
  std::vector<std::string> found;
  if (text) collectUnsupported(*json::tryParseOrdered(*text), found);
  return found;
}

// Per corpus file, the source texts lowered to `unsupported`, in order.
const std::map<std::string, std::vector<std::string>>& expectedUnsupported() {
  // In-out arguments, `#keyPath`, `#selector`, pack expansions and function
  // types used as values have no IR form.
  static const std::map<std::string, std::vector<std::string>> table = {
      {"HabitApp/HabitStatsView.swift", {"&red", "&green", "&blue", "&alpha"}},
      {"NotesApp/Note+CoreData.swift",
       {"#keyPath(Note.id)", "#keyPath(Note.createdAt)", "#keyPath(Note.modifiedAt)", "#keyPath(Note.modifiedAt)",
        "#keyPath(Note.modifiedAt)"}},
      {"NetKit/Collections.swift",
       {"repeat (each lhs, each rhs)", "repeat names.append(String(describing: each types))",
        "repeat (each sequences).first(where: { _ in true })", "repeat each values",
        "repeat (each sequences).makeIterator()"}},
      {"NetKit/HTTPClient.swift",
       {"&request", "() async throws -> Data", "() throws -> URLRequest", "() async throws -> Data"}},
      {"RecipeApp/RecipeStore.swift", {"&$filteredRecipes"}},
      {"Shared/Repository.swift", {"&i", "&j"}},
      {"Shared/ViewHelpers.swift", {"#selector(UIResponder.resignFirstResponder)"}},
  };
  return table;
}

TEST(SwiftFrontendCorpus, OnlyConstructsWithoutIRFormBecomeUnsupported) {
  std::filesystem::path root = std::filesystem::path(TOVRANE_SOURCE_DIR) / "tests/swift/corpus";
  std::vector<std::filesystem::path> swiftFiles;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
    if (entry.is_regular_file() && entry.path().extension() == ".swift") swiftFiles.push_back(entry.path());
  std::sort(swiftFiles.begin(), swiftFiles.end());
  ASSERT_FALSE(swiftFiles.empty());
  for (const auto& file : swiftFiles) {
    std::string relative = std::filesystem::relative(file, root).generic_string();
    auto expected = expectedUnsupported().find(relative);
    std::vector<std::string> found = unsupportedIn(file, relative);
    std::vector<std::string> none;
    EXPECT_EQ(found, expected == expectedUnsupported().end() ? none : expected->second) << relative;
  }
}

}  // namespace
}  // namespace tovrane
