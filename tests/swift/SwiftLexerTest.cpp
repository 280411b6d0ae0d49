// Lexer: exact round trip, token kinds decided by whitespace and context,
// string literal pieces, trivia, and the kind tables' invariants.
#include <gtest/gtest.h>

#include <set>

#include "core/swift/SwiftSyntax.hpp"

namespace tovrane::swift {
namespace {

std::vector<std::pair<TokenKind, std::string>> lexed(const SyntaxTree& tree) {
  std::vector<std::pair<TokenKind, std::string>> out;
  for (std::uint32_t i = 0; i + 1 < tree.lexedTokenCount(); ++i) {
    TokenId id{i};
    if (tree.tokenKind(id) == TokenKind::splitRoom) continue;
    out.emplace_back(tree.tokenKind(id), std::string(tree.text(id)));
  }
  return out;
}

std::string roundTrip(const SyntaxTree& tree) {
  std::string out;
  for (std::uint32_t i = 0; i < tree.lexedTokenCount(); ++i) {
    TokenId id{i};
    out.append(tree.leadingTrivia(id)).append(tree.text(id)).append(tree.trailingTrivia(id));
  }
  return out;
}

TEST(SwiftLexer, RoundTripsAwkwardInput) {
  const char* inputs[] = {
      "",
      "\xEF\xBB\xBF#!/usr/bin/swift\nprint(1)\n",
      "a\r\nb\rc\n",
      "/* outer /* inner */ still */ x // end",
      "/* never closed",
      "let s = \"unterminated\nlet t = 1",
      "let m = \"\"\"\n  never closed",
      "\"\\(a \"\\(b)\" c)\"",
      "let r = #\"C:\\dir \\#(x)\"#",
      "x = /ab+c/; y = a / b / c",
      "let e = #/a/b/#",
      "\xFF\xFE stray \xC3",
      "`default` `some name` $0 $name",
      "<#code#> @ # \\ ` $",
      "t.0.1 + 0x1p-2 + 1_000 + 2.5e-3 + 0b1010",
      "\"\"\"\n  a\\\n  b\n  \"\"\"",
  };
  for (const char* input : inputs) {
    SyntaxTree tree = parse(input);
    EXPECT_EQ(roundTrip(tree), input) << input;
  }
}

TEST(SwiftLexer, OperatorKindsFollowWhitespace) {
  struct Case {
    const char* source;
    std::vector<std::pair<TokenKind, std::string>> tokens;
  };
  using K = TokenKind;
  const Case cases[] = {
      {"a?.b", {{K::identifier, "a"}, {K::postfixQuestionMark, "?"}, {K::period, "."}, {K::identifier, "b"}}},
      {"a ? b : c", {{K::identifier, "a"}, {K::infixQuestionMark, "?"}, {K::identifier, "b"}, {K::colon, ":"}, {K::identifier, "c"}}},
      {"x! != y", {{K::identifier, "x"}, {K::exclamationMark, "!"}, {K::binaryOperator, "!="}, {K::identifier, "y"}}},
      {"!done", {{K::prefixOperator, "!"}, {K::identifier, "done"}}},
      {"f(&a)", {{K::identifier, "f"}, {K::leftParen, "("}, {K::prefixAmpersand, "&"}, {K::identifier, "a"}, {K::rightParen, ")"}}},
      {"a & b", {{K::identifier, "a"}, {K::binaryOperator, "&"}, {K::identifier, "b"}}},
      {"xs[2...]", {{K::identifier, "xs"}, {K::leftSquare, "["}, {K::integerLiteral, "2"}, {K::postfixOperator, "..."}, {K::rightSquare, "]"}}},
      {"..<5", {{K::prefixOperator, "..<"}, {K::integerLiteral, "5"}}},
      {"0 ... 1", {{K::integerLiteral, "0"}, {K::binaryOperator, "..."}, {K::integerLiteral, "1"}}},
      {"-3", {{K::prefixOperator, "-"}, {K::integerLiteral, "3"}}},
      {"a -> b = c", {{K::identifier, "a"}, {K::arrow, "->"}, {K::identifier, "b"}, {K::equal, "="}, {K::identifier, "c"}}},
      {"t.0.1", {{K::identifier, "t"}, {K::period, "."}, {K::integerLiteral, "0"}, {K::period, "."}, {K::integerLiteral, "1"}}},
      {"x = a / b", {{K::identifier, "x"}, {K::equal, "="}, {K::identifier, "a"}, {K::binaryOperator, "/"}, {K::identifier, "b"}}},
      {"x = /a+/", {{K::identifier, "x"}, {K::equal, "="}, {K::regexLiteral, "/a+/"}}},
      {"p.x / `in`.width", {{K::identifier, "p"}, {K::period, "."}, {K::identifier, "x"}, {K::binaryOperator, "/"},
                            {K::identifier, "`in`"}, {K::period, "."}, {K::identifier, "width"}}},
      {"größe × 2", {{K::identifier, "größe"}, {K::binaryOperator, "×"}, {K::integerLiteral, "2"}}},
      {"#if os(iOS)", {{K::poundIf, "#if"}, {K::identifier, "os"}, {K::leftParen, "("}, {K::identifier, "iOS"}, {K::rightParen, ")"}}},
      {"#Preview", {{K::pound, "#"}, {K::identifier, "Preview"}}},
      {"$0 + $name", {{K::dollarIdentifier, "$0"}, {K::binaryOperator, "+"}, {K::dollarIdentifier, "$name"}}},
      {"in get", {{K::keyword, "in"}, {K::identifier, "get"}}},
      // An operator that starts with a dot may hold more dots; a lone dot is a period.
      {"a .== b.c", {{K::identifier, "a"}, {K::binaryOperator, ".=="}, {K::identifier, "b"}, {K::period, "."}, {K::identifier, "c"}}},
      {"x./*c*/y", {{K::identifier, "x"}, {K::period, "."}, {K::identifier, "y"}}},
      // A block comment never closed is no trivia.
      {"x /* never closed", {{K::identifier, "x"}, {K::unknown, "/* never closed"}}},
      // An extended regex is one token however it ends: closed, or to the end
      // of its line, or of the file after "#/" and a line break.
      {"##/a/#/##", {{K::regexLiteral, "##/a/#/##"}}},
      {"x = #/ab\ny", {{K::identifier, "x"}, {K::equal, "="}, {K::unknown, "#/ab"}, {K::identifier, "y"}}},
      {"#/\na", {{K::unknown, "#/\na"}}},
      // A bare regex that does not close ("/[" opens a class to the line's
      // end) is not tried again inside the text it read.
      {"x = /[ = /a/",
       {{K::identifier, "x"}, {K::equal, "="}, {K::prefixOperator, "/"}, {K::leftSquare, "["}, {K::equal, "="},
        {K::prefixOperator, "/"}, {K::identifier, "a"}, {K::postfixOperator, "/"}}},
  };
  for (const Case& c : cases) EXPECT_EQ(lexed(parse(c.source)), c.tokens) << c.source;
}

TEST(SwiftLexer, StringPieces) {
  using K = TokenKind;
  struct Case {
    std::string source;
    std::vector<std::pair<TokenKind, std::string>> tokens;
  };
  const Case cases[] = {
      // No empty segments.
      {"\"\"", {{K::stringQuote, "\""}, {K::stringQuote, "\""}}},
      {"\"a\\n\\\"b\"", {{K::stringQuote, "\""}, {K::stringSegment, "a\\n\\\"b"}, {K::stringQuote, "\""}}},
      {"\"Hi \\(u.name)!\"",
       {{K::stringQuote, "\""}, {K::stringSegment, "Hi "}, {K::backslash, "\\"}, {K::leftParen, "("}, {K::identifier, "u"},
        {K::period, "."}, {K::identifier, "name"}, {K::rightParen, ")"}, {K::stringSegment, "!"}, {K::stringQuote, "\""}}},
      {"#\"C:\\dir\"#",
       {{K::rawStringPoundDelimiter, "#"}, {K::stringQuote, "\""}, {K::stringSegment, "C:\\dir"}, {K::stringQuote, "\""},
        {K::rawStringPoundDelimiter, "#"}}},
      // Multi-line: indentation of the closing line stripped, line breaks
      // next to the delimiters and continuation backslashes left out.
      {"\"\"\"\n    one \"q\"\n\n    two \\\n    three\n    \"\"\"",
       {{K::multilineStringQuote, "\"\"\""}, {K::stringSegment, "one \"q\"\n"}, {K::stringSegment, "\n"},
        {K::stringSegment, "two "}, {K::stringSegment, "three"}, {K::multilineStringQuote, "\"\"\""}}},
      {"\"\"\"\nbare \"\" quotes\n\"\"\"",
       {{K::multilineStringQuote, "\"\"\""}, {K::stringSegment, "bare \"\" quotes"}, {K::multilineStringQuote, "\"\"\""}}},
      // Three quotes right before the closing pounds are a quote in a one-line literal.
      {"#\"\"\"#",
       {{K::rawStringPoundDelimiter, "#"}, {K::stringQuote, "\""}, {K::stringSegment, "\""}, {K::stringQuote, "\""},
        {K::rawStringPoundDelimiter, "#"}}},
      {"#\"\"\"\nq\n\"\"\"#",
       {{K::rawStringPoundDelimiter, "#"}, {K::multilineStringQuote, "\"\"\""}, {K::stringSegment, "q"},
        {K::multilineStringQuote, "\"\"\""}, {K::rawStringPoundDelimiter, "#"}}},
      // Unterminated: the literal ends at the line break.
      {"\"abc\nx", {{K::stringQuote, "\""}, {K::stringSegment, "abc"}, {K::identifier, "x"}}},
      // Only a literal's own closing line gives indentation: one closed
      // mid-line strips none, whatever closing line comes later.
      {"\"\"\"\n    a\"\"\"\nlet b = \"\"\"\n    x\n    \"\"\"",
       {{K::multilineStringQuote, "\"\"\""}, {K::stringSegment, "    a"}, {K::multilineStringQuote, "\"\"\""},
        {K::keyword, "let"}, {K::identifier, "b"}, {K::equal, "="}, {K::multilineStringQuote, "\"\"\""},
        {K::stringSegment, "x"}, {K::multilineStringQuote, "\"\"\""}}},
      // An interpolation's literal closes before the one around it; each
      // takes the indentation of its own closing line.
      {"\"\"\"\n    a\\(\"\"\"\n      b\n      \"\"\")\n    \"\"\"",
       {{K::multilineStringQuote, "\"\"\""}, {K::stringSegment, "a"}, {K::backslash, "\\"}, {K::leftParen, "("},
        {K::multilineStringQuote, "\"\"\""}, {K::stringSegment, "b"}, {K::multilineStringQuote, "\"\"\""},
        {K::rightParen, ")"}, {K::multilineStringQuote, "\"\"\""}}},
      // More pounds than 16 bits count still close the literal.
      {std::string(70000, '#') + "\"a\"" + std::string(70000, '#'),
       {{K::rawStringPoundDelimiter, std::string(70000, '#')}, {K::stringQuote, "\""}, {K::stringSegment, "a"},
        {K::stringQuote, "\""}, {K::rawStringPoundDelimiter, std::string(70000, '#')}}},
  };
  for (const Case& c : cases) EXPECT_EQ(lexed(parse(c.source)), c.tokens) << c.source;
}

// Runs of one pattern that once made the lexer read the rest of the run
// again for each of its tokens, so that their time grew with the square of
// their length. Each run is a few megabytes: rereading needs hours for it,
// one pass well under a second. A time-out set for this test alone (see
// tests/CMakeLists.txt) fails it if the rereading comes back.
TEST(SwiftLexer, LongRunsLexInLinearTime) {
  using K = TokenKind;
  auto repeated = [](std::string_view head, std::string_view piece, std::size_t times, std::string_view tail = "") {
    std::string text(head);
    text.reserve(head.size() + piece.size() * times + tail.size());
    for (std::size_t i = 0; i < times; ++i) text += piece;
    return text.append(tail);
  };
  constexpr std::size_t n = 1'000'000;
  const struct {
    const char* name;
    std::string source;
    TokenKind kind;  // a kind the run gives a known number of
    std::size_t count;
  } cases[] = {
      {"force unwraps", repeated("a", "!", n), K::exclamationMark, n},
      {"optional marks", repeated("Int", "?", n), K::postfixQuestionMark, n},
      {"unclosed placeholders on one line", repeated("", "<#", n), K::pound, n},
      {"unclosed placeholders on many lines", repeated("", "<#x\n", n), K::pound, n},
      {"pounds", repeated("", "#", n), K::pound, n},
      {"pounds before a slash", repeated("", "#", n, "/"), K::unknown, 1},
      {"triple quotes", repeated("", "\"\"\"", n), K::multilineStringQuote, n},
      {"brackets closed by another kind", repeated(std::string(n, '('), "]", n), K::rightSquare, n},
      {"bare regexes that never close", repeated("", "= /[ ", n), K::regexLiteral, 0},
      {"extended regexes that never close", repeated("", "#/a\n", n), K::unknown, n},
  };
  for (const auto& c : cases) {
    SyntaxTree tree = parse(c.source);
    EXPECT_EQ(roundTrip(tree), c.source) << c.name;
    std::size_t count = 0;
    for (std::uint32_t i = 0; i < tree.lexedTokenCount(); ++i) count += tree.tokenKind(TokenId{i}) == c.kind;
    EXPECT_EQ(count, c.count) << c.name;
  }
}

TEST(SwiftLexer, TriviaAttachment) {
  SyntaxTree tree = parse("// lead\nfoo // same line\n  bar");
  TokenId foo{0}, bar{1};
  EXPECT_EQ(tree.leadingTrivia(foo), "// lead\n");
  EXPECT_EQ(tree.trailingTrivia(foo), " // same line");
  EXPECT_EQ(tree.leadingTrivia(bar), "\n  ");
  std::vector<TriviaKind> kinds;
  for (const TriviaPiece& piece : triviaPieces("/// doc\r\n  /* c */\t")) kinds.push_back(piece.kind);
  EXPECT_EQ(kinds, (std::vector<TriviaKind>{TriviaKind::docLineComment, TriviaKind::carriageReturnLineFeeds,
                                            TriviaKind::spaces, TriviaKind::blockComment, TriviaKind::tabs}));
}

TEST(SwiftLexer, BracketsArePairedOnce) {
  SyntaxTree tree = parse("f(a[{ }]) )");
  auto match = [&](std::uint32_t i) { return tree.token(TokenId{i}).match; };
  EXPECT_EQ(match(1), 7u);  // ( … )
  EXPECT_EQ(match(3), 6u);  // [ … ]
  EXPECT_EQ(match(4), 5u);  // { … }
  EXPECT_EQ(match(8), TokenId::invalid);  // stray )
}

TEST(SwiftSyntaxTables, KeywordsAndNamesAreConsistent) {
  std::set<std::string_view> spellings;
  for (int k = 1; keywordSpelling(static_cast<Keyword>(k)) != "_const"; ++k) {
    auto keyword = static_cast<Keyword>(k);
    EXPECT_TRUE(spellings.insert(keywordSpelling(keyword)).second) << keywordSpelling(keyword);
    EXPECT_EQ(keywordFromText(keywordSpelling(keyword)), keyword);
  }
  EXPECT_EQ(keywordFromText("notAKeyword"), Keyword::none);
  std::set<std::string_view> kinds;
  for (std::size_t k = 0; k < syntaxKindCount; ++k) {
    auto kind = static_cast<SyntaxKind>(k);
    EXPECT_TRUE(kinds.insert(syntaxKindName(kind)).second) << syntaxKindName(kind);
    std::set<std::string_view> children;
    for (std::string_view child : childNames(kind)) EXPECT_TRUE(children.insert(child).second) << child;
    EXPECT_EQ(childCount(kind), childNames(kind).size());
    EXPECT_LE(childNames(kind).size(), 16u);  // the parser's builder holds at most 16 named slots
  }
  EXPECT_EQ(syntaxKindName(SyntaxKind::poundSourceLocation), "poundSourceLocation");
  EXPECT_EQ(childNames(SyntaxKind::binaryOperatorExpr)[0], "operator");
}

}  // namespace
}  // namespace tovrane::swift
