// Folding: precedence, associativity, try/await hoisting, cast chains, and
// the errors that leave the unfolded tree in view.
#include <gtest/gtest.h>

#include "core/swift/SwiftSyntax.hpp"
#include "tests/swift/SwiftVerifier.hpp"

namespace tovrane::swift {
namespace {

NodeId firstItem(const SyntaxTree& tree) {
  NodeId item = tree.elements(tree.node(tree.root(), SourceFile::statements))[0];
  return tree.node(item, CodeBlockItem::item);
}

TEST(SwiftFold, BuildsBinaryTrees) {
  struct Case {
    const char* source;
    const char* shape;
  };
  const Case cases[] = {
      {"x = c ? a : b", "(= x (?: c a b))"},
      {"a + b * c - d", "(- (+ a (* b c)) d)"},
      {"try a() + b()", "(try (+ a() b()))"},
      {"x = try f()", "(= x (try f()))"},
      {"_ = try? f()", "(= _ (try? f()))"},
      {"try await a() + b", "(try (await (+ a() b)))"},
      {"x = try a + b", "(= x (try (+ a b)))"},
      {"x as Any as? Int", "(as? (as x Any) Int)"},
      {"a ?? b ?? c", "(?? a (?? b c))"},
      {"a && b || c", "(|| (&& a b) c)"},
      {"x as? Int ?? 0", "(?? (as? x Int) 0)"},
      {"i + 1 < n", "(< (+ i 1) n)"},
      {"v is String && ok", "(&& (is v String) ok)"},
      {"count += 1", "(+= count 1)"},
      {"a = b = c", "(= a (= b c))"},
      {"1...5", "(... 1 5)"},
      {"0..<n - 1", "(..< 0 (- n 1))"},
      {"x << 2 + 1", "(+ (<< x 2) 1)"},
      {"c ? a : d ? e : f", "(?: c a (?: d e f))"},
      {"m = a .< b .& c .== d", "(= m (.& (.< a b) (.== c d)))"},
  };
  for (const Case& c : cases) {
    SyntaxTree tree = parse(c.source);
    FoldResult result = fold(tree);
    ASSERT_TRUE(result.ok()) << c.source << ": " << result.error->message;
    EXPECT_EQ(testing::foldShape(tree, firstItem(tree)), c.shape) << c.source;
    EXPECT_EQ(testing::countKind(tree, SyntaxKind::sequenceExpr), 0) << c.source;
    EXPECT_EQ(testing::verify(tree), "") << c.source;
    // The folded root spans the same text as the sequence it replaces.
    EXPECT_EQ(tree.src(firstItem(tree)), c.source);
  }
}

TEST(SwiftFold, FoldsAtEveryDepth) {
  SyntaxTree tree = parse(
      "@Query(filter: #Predicate<Item> { $0.count > 1 + 2 }) var items: [Item]\n"
      "func f(x: Int = 1 + 2) { let g = { a + b * c }; if x == 1 { print(\"\\(a + b)\") } }\n"
      "enum E: Int { case a = 1 << 2 }\n"
      "switch v { case 1...5 where v > 2: break default: break }\n");
  ASSERT_TRUE(fold(tree).ok());
  EXPECT_EQ(testing::countKind(tree, SyntaxKind::sequenceExpr), 0);
  EXPECT_EQ(testing::countKind(tree, SyntaxKind::unresolvedTernaryExpr), 0);
  EXPECT_EQ(testing::countKind(tree, SyntaxKind::typeExpr), 0);
  EXPECT_GE(testing::countKind(tree, SyntaxKind::infixOperatorExpr), 9);
  EXPECT_EQ(testing::verify(tree), "");
}

TEST(SwiftFold, StopsAtTheFirstErrorAndKeepsTheUnfoldedTree) {
  struct Case {
    const char* source;
    FoldError::Reason reason;
    const char* operatorText;
    std::uint32_t line;
  };
  const Case cases[] = {
      {"infix operator <> : AdditionPrecedence\nlet y = 1 + 2\nlet x = a <> b", FoldError::Reason::unknownOperator, "<>", 3},
      {"a < b < c", FoldError::Reason::nonAssociative, "<", 1},
      {"a == b == c", FoldError::Reason::nonAssociative, "==", 1},
      {"1 << 2 << 3", FoldError::Reason::nonAssociative, "<<", 1},
      {"a ..< b ..< c", FoldError::Reason::nonAssociative, "..<", 1},
      {"x |> f", FoldError::Reason::unknownOperator, "|>", 1},
  };
  for (const Case& c : cases) {
    SyntaxTree tree = parse(c.source);
    FoldResult result = fold(tree);
    ASSERT_FALSE(result.ok()) << c.source;
    EXPECT_EQ(result.error->reason, c.reason) << c.source;
    EXPECT_EQ(result.error->operatorText, c.operatorText) << c.source;
    EXPECT_EQ(result.error->line, c.line) << c.source;
    EXPECT_FALSE(result.error->message.empty());
    EXPECT_FALSE(tree.showsFolded());
    EXPECT_GT(testing::countKind(tree, SyntaxKind::sequenceExpr), 0) << c.source;
    EXPECT_EQ(testing::countKind(tree, SyntaxKind::infixOperatorExpr), 0) << c.source;
  }
}

TEST(SwiftFold, BothViewsStayNavigable) {
  SyntaxTree tree = parse("x = a + b");
  ASSERT_TRUE(fold(tree).ok());
  EXPECT_EQ(tree.kindName(firstItem(tree)), "infixOperatorExpr");
  tree.showFolded(false);
  EXPECT_EQ(tree.kindName(firstItem(tree)), "sequenceExpr");
  tree.showFolded(true);
  EXPECT_EQ(tree.kindName(firstItem(tree)), "infixOperatorExpr");
}

TEST(SwiftFold, LeavesUnexpectedContentAlone) {
  // The stray "a <> b" sits in unexpected content: it is not folded and
  // cannot flip the file to unfolded.
  SyntaxTree tree = parse("struct S { a <> b\n var x = 1 + 2 }");
  EXPECT_GT(testing::countErrors(tree).unexpectedNodes, 0);
  EXPECT_TRUE(fold(tree).ok());
}

}  // namespace
}  // namespace tovrane::swift
