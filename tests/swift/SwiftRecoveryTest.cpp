// Broken input: the tree keeps every byte, marks what is missing or stray,
// and the rest of the file still parses normally.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/swift/SwiftSyntax.hpp"
#include "tests/swift/SwiftVerifier.hpp"

namespace tovrane::swift {
namespace {

using testing::findFirst;

std::vector<NodeId> items(const SyntaxTree& tree) {
  std::vector<NodeId> out;
  for (NodeId item : tree.elements(tree.node(tree.root(), SourceFile::statements)))
    out.push_back(tree.node(item, CodeBlockItem::item));
  return out;
}

SyntaxTree verified(std::string_view source) {
  SyntaxTree tree = parse(source);
  EXPECT_EQ(testing::verify(tree), "") << source;
  return tree;
}

TEST(SwiftRecovery, MissingClosingBraceRunsToTheEnd) {
  SyntaxTree tree = verified("struct A {\n  var x = 1\n  func f() {\n    g()\n");
  ASSERT_EQ(items(tree).size(), 1u);
  NodeId block = findFirst(tree, SyntaxKind::memberBlock);
  EXPECT_TRUE(tree.isMissing(tree.tokenOf(block, MemberBlock::rightBrace)));
  EXPECT_TRUE(findFirst(tree, SyntaxKind::functionDecl));
  EXPECT_EQ(tree.src(items(tree)[0]), "struct A {\n  var x = 1\n  func f() {\n    g()");
}

TEST(SwiftRecovery, StrayTokensBecomeAVisibleItem) {
  SyntaxTree tree = verified("}\nlet x = 1\n) ]\nlet y = 2");
  std::vector<NodeId> all = items(tree);
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(tree.kindName(all[0]), "missingStmt");
  EXPECT_EQ(tree.src(all[0]), "}");
  EXPECT_EQ(tree.kindName(all[1]), "variableDecl");
  EXPECT_EQ(tree.src(all[2]), ") ]");
  EXPECT_EQ(tree.src(all[3]), "let y = 2");
}

TEST(SwiftRecovery, UnterminatedStringEndsAtTheLine) {
  SyntaxTree tree = verified("let s = \"abc\nlet t = 1");
  NodeId literal = findFirst(tree, SyntaxKind::stringLiteralExpr);
  EXPECT_TRUE(tree.isMissing(tree.tokenOf(literal, StringLiteralExpr::closingQuote)));
  EXPECT_EQ(tree.src(literal), "\"abc");
  EXPECT_EQ(items(tree).size(), 2u);
}

TEST(SwiftRecovery, StrayTokenInsideAnArgumentList) {
  SyntaxTree tree = verified("foo(a b, c)\nbar()");
  EXPECT_GT(testing::countErrors(tree).unexpectedNodes, 0);
  ASSERT_EQ(items(tree).size(), 2u);
  EXPECT_EQ(tree.src(items(tree)[0]), "foo(a b, c)");
}

TEST(SwiftRecovery, UnknownOperatorParsesAndFailsOnlyInFolding) {
  SyntaxTree tree = verified("let x = a <> b");
  EXPECT_EQ(testing::countErrors(tree).missingTokens, 0);
  EXPECT_FALSE(fold(tree).ok());
}

TEST(SwiftRecovery, MissingPiecesAreZeroWidthAndNeverEndSrc) {
  SyntaxTree tree = verified("struct {}\nfunc f(x: ) -> {\nguard let y else\n");
  NodeId structDecl = items(tree)[0];
  TokenId name = tree.tokenOf(structDecl, StructDecl::name);
  EXPECT_TRUE(tree.isMissing(name));
  EXPECT_EQ(tree.text(name), "");
  EXPECT_EQ(tree.src(structDecl), "struct {}");
  EXPECT_TRUE(findFirst(tree, SyntaxKind::missingType));
  NodeId guard = findFirst(tree, SyntaxKind::guardStmt);
  EXPECT_EQ(tree.src(guard), "guard let y else");
}

TEST(SwiftRecovery, StrayDirectivesAndPlaceholders) {
  SyntaxTree tree = verified("#endif\nlet a = <#value#>\n#else\nstruct S { <#decl#> }");
  EXPECT_TRUE(findFirst(tree, SyntaxKind::editorPlaceholderExpr));
  EXPECT_TRUE(findFirst(tree, SyntaxKind::editorPlaceholderDecl));
  EXPECT_EQ(tree.src(items(tree)[0]), "#endif");
}

TEST(SwiftRecovery, PostfixIfConfigKeepsStrayLinesInItsClause) {
  SyntaxTree stray = verified("Text(\"x\")\n#if A\n.padding()\nfoo()\n#else\nbar()\n#endif\n.bold()\nlet y = 1");
  ASSERT_EQ(items(stray).size(), 2u);
  EXPECT_EQ(testing::countErrors(stray).unexpectedNodes, 2);
  EXPECT_TRUE(findFirst(stray, SyntaxKind::postfixIfConfigExpr));
  EXPECT_EQ(stray.src(items(stray)[1]), "let y = 1");

  SyntaxTree unclosed = verified("Text(\"x\")\n#if A\n.padding()\nlet y = 1");
  NodeId config = findFirst(unclosed, SyntaxKind::ifConfigDecl);
  EXPECT_TRUE(unclosed.isMissing(unclosed.tokenOf(config, IfConfigDecl::poundEndif)));
}

// Items whose ";" is missing, by src, joined with " | ".
std::string itemsMissingASeparator(const SyntaxTree& tree) {
  class Collector : public SyntaxVisitor {
  public:
    std::string found;

  protected:
    void visitCodeBlockItem(const SyntaxTree& tree, NodeId id) override {
      add(tree, tree.node(id, CodeBlockItem::item), tree.tokenOf(id, CodeBlockItem::semicolon));
    }
    void visitMemberBlockItem(const SyntaxTree& tree, NodeId id) override {
      add(tree, tree.node(id, MemberBlockItem::decl), tree.tokenOf(id, MemberBlockItem::semicolon));
    }

  private:
    void add(const SyntaxTree& tree, NodeId item, TokenId semicolon) {
      if (semicolon && tree.isMissing(semicolon)) found.append(found.empty() ? "" : " | ").append(tree.src(item));
    }
  } collector;
  collector.walk(tree, tree.root());
  return collector.found;
}

TEST(SwiftRecovery, ItemsOnOneLineNeedASeparator) {
  struct Case {
    const char* source;
    const char* missingAfter;
  };
  const Case cases[] = {
      {"let a = 1\na b c", "a | b"},
      {"struct S { var a = 1 var b = 2 }", "var a = 1"},
      {"if x { f() } else { g() } h()", "if x { f() } else { g() }"},
      {"func f() { return 1 2 }", "return 1"},
      // Separated, or ended by what closes the list: nothing is missing.
      {"f(); g()\nh()", ""},
      {"switch v { case 1: a() case 2: b() default: c() }", ""},
      {"f { a }; g { b }", ""},
      // Stray tokens after an item are reported once, as stray tokens.
      {"let a = 1 ) let b = 2", ""},
  };
  for (const Case& c : cases) {
    SyntaxTree tree = verified(c.source);
    EXPECT_EQ(itemsMissingASeparator(tree), c.missingAfter) << c.source << "\n" << tree.dump();
  }
}

TEST(SwiftRecovery, UnterminatedBlockCommentIsStrayText) {
  SyntaxTree tree = verified("let a = 1 /* never closed\nlet b = 2");
  std::vector<NodeId> all = items(tree);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(tree.src(all[0]), "let a = 1");
  EXPECT_EQ(tree.kindName(all[1]), "missingStmt");
  EXPECT_EQ(tree.src(all[1]), "/* never closed\nlet b = 2");
  EXPECT_EQ(itemsMissingASeparator(tree), "");

  SyntaxTree inMembers = verified("struct S {\n  var x = 1\n  /* note");
  NodeId block = findFirst(inMembers, SyntaxKind::memberBlock);
  EXPECT_TRUE(inMembers.isMissing(inMembers.tokenOf(block, MemberBlock::rightBrace)));
  EXPECT_EQ(inMembers.src(findFirst(inMembers, SyntaxKind::missingDecl)), "/* note");
}

// Inputs the fuzzer found; each once lost tokens or broke an invariant.
TEST(SwiftRecovery, FuzzFindings) {
  const char* inputs[] = {
      "let tuple: (a: Int, b:, b: String) = (a: 1)",
      "let (a:, b) = pair",
      "var x: Int { get ) }\nlet y = 1",
      "a + b + c + d + e + f + g + h + i + j + k + l + m + n + o + p + q + r + s + t",
      "@d private(",
  };
  for (const char* input : inputs) verified(input);
}

TEST(SwiftRecovery, PathologicalNestingNeitherOverflowsNorLosesText) {
  auto repeated = [](std::string_view head, std::string_view piece, int times) {
    std::string s(head);
    for (int i = 0; i < times; ++i) s.append(piece);
    return s;
  };
  std::vector<std::string> sources = {
      std::string(20000, '(') + "x" + std::string(20000, ')'),
      std::string(20000, '(') + "x",
      std::string(20000, '['),
      std::string(5000, '{') + std::string(5000, '}'),
      repeated("f", "<", 20000),
      repeated("x = ", "-", 10000).append("y"),
      repeated("\"", "\\(\"", 3000),
      repeated("a", ".b", 100000),
      repeated("a", " = a ?? a", 50000),
      repeated("", "{ x in ", 3000),
      "if if if if if if if if if { } else if",
      repeated("x", "\n#if A", 20000).append("\n.b"),
      repeated("", "#if A\n@a\n", 20000),
      // Long runs that once took quadratic time.
      repeated("", "public ", 20000).append("x"),
      repeated("", "private(set) mutating ", 20000).append("x"),
      repeated("f(", "a<b, ", 20000),
      repeated("f(", "@a(", 2000),
  };
  for (const std::string& source : sources) {
    SyntaxTree tree = verified(source);
    (void)fold(tree);
    (void)tree.dump().size();
    class Counter : public SyntaxVisitor {
    public:
      int references = 0;
    protected:
      void visitDeclReferenceExpr(const SyntaxTree&, NodeId) override { ++references; }
    } counter;
    counter.walk(tree, tree.root());
  }
}

TEST(SwiftRecovery, CorpusAndFixturesParseCleanAndFold) {
  namespace fs = std::filesystem;
  int files = 0;
  for (const char* folder : {"tests/swift/corpus", "tests/swift/fixtures"}) {
    fs::path root = fs::path(TOVRANE_SOURCE_DIR) / folder;
    if (!fs::exists(root)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      if (entry.path().extension() != ".swift") continue;
      ++files;
      std::ifstream in(entry.path(), std::ios::binary);
      std::stringstream buffer;
      buffer << in.rdbuf();
      std::string source = buffer.str();
      SyntaxTree tree = parse(source);
      std::string name = entry.path().string();
      EXPECT_EQ(testing::verify(tree), "") << name;
      bool broken = name.find("/broken/") != std::string::npos;
      if (broken) continue;
      testing::ErrorCounts errors = testing::countErrors(tree);
      EXPECT_EQ(errors.missingTokens, 0) << name;
      EXPECT_EQ(errors.unexpectedNodes, 0) << name;
      FoldResult folded = fold(tree);
      EXPECT_TRUE(folded.ok()) << name << ": " << (folded.ok() ? "" : folded.error->message);
      EXPECT_EQ(testing::countKind(tree, SyntaxKind::sequenceExpr), 0) << name;
    }
  }
  EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace tovrane::swift
