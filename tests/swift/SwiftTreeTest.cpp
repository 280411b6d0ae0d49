// Tree-wide checks: golden dumps, the visitor, and that every node kind of
// the table is produced by some clean or broken input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "core/swift/SwiftSyntax.hpp"
#include "tests/swift/SwiftVerifier.hpp"

namespace tovrane::swift {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

std::vector<fs::path> swiftFiles(std::initializer_list<const char*> folders) {
  std::vector<fs::path> files;
  for (const char* folder : folders) {
    fs::path root = fs::path(TOVRANE_SOURCE_DIR) / folder;
    if (!fs::exists(root)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(root))
      if (entry.path().extension() == ".swift") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Golden dumps of the folded tree, one node or token per line. Run with
// TOVRANE_UPDATE_GOLDEN=1 to rewrite them on purpose.
TEST(SwiftTree, GoldenDumps) {
  bool update = std::getenv("TOVRANE_UPDATE_GOLDEN") != nullptr;
  std::vector<fs::path> inputs = swiftFiles({"tests/swift/golden"});
  ASSERT_FALSE(inputs.empty());
  for (const fs::path& input : inputs) {
    SyntaxTree tree = parse(readAll(input));
    FoldResult folded = fold(tree);
    std::string dump = tree.dump();
    if (!folded.ok()) dump += "fold error: " + folded.error->message + "\n";
    fs::path expected = fs::path(input).replace_extension(".dump");
    if (update) {
      std::ofstream(expected, std::ios::binary) << dump;
      continue;
    }
    ASSERT_TRUE(fs::exists(expected)) << expected << " (run with TOVRANE_UPDATE_GOLDEN=1)";
    EXPECT_EQ(dump, readAll(expected)) << input;
  }
}

class DollarNames : public SyntaxVisitor {
public:
  std::vector<std::string> names;

protected:
  void visitDeclReferenceExpr(const SyntaxTree& tree, NodeId id) override {
    std::string_view name = tree.tokenText(id, DeclReferenceExpr::baseName);
    if (name.starts_with("$")) names.emplace_back(name);
  }
};

TEST(SwiftTree, VisitorSeesReferencesInSourceOrder) {
  struct Case {
    const char* source;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"f { $1 }", {"$1"}},
      {"f { items.map { $0 * 2 } + [$1] }", {"$0", "$1"}},
      {"f { x, y in x + y }", {}},
      {"f { print($name) }", {"$name"}},
      // Stray content is visited; recovery's missing nodes are not.
      {"f { $0 + }", {"$0"}},
      {"struct S { $0 $1 }", {"$0", "$1"}},
  };
  for (const Case& c : cases) {
    SyntaxTree tree = parse(c.source);
    (void)fold(tree);
    DollarNames visitor;
    visitor.walk(tree, tree.root());
    EXPECT_EQ(visitor.names, c.names) << c.source;
  }
}

TEST(SwiftTree, EveryNodeKindIsProduced) {
  std::set<SyntaxKind> seen;
  auto collect = [&](const SyntaxTree& tree) {
    for (std::size_t k = 0; k < syntaxKindCount; ++k)
      if (testing::findFirst(tree, static_cast<SyntaxKind>(k))) seen.insert(static_cast<SyntaxKind>(k));
  };
  for (const fs::path& file : swiftFiles({"tests/swift/fixtures", "tests/swift/golden", "tests/swift/corpus"})) {
    SyntaxTree tree = parse(readAll(file));
    collect(tree);
    if (fold(tree).ok()) collect(tree);
  }
  std::string absent;
  for (std::size_t k = 0; k < syntaxKindCount; ++k)
    if (!seen.count(static_cast<SyntaxKind>(k))) absent.append(syntaxKindName(static_cast<SyntaxKind>(k))).append(" ");
  EXPECT_EQ(absent, "");
}

}  // namespace
}  // namespace tovrane::swift
