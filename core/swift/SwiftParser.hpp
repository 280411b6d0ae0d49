#pragma once
// The recursive-descent Swift parser. Internal to core/swift; the public
// entry is swift::parse in SwiftSyntax.hpp. The implementation is split by
// grammar area: SwiftParser.cpp (cursor, recovery, items, blocks),
// SwiftParseDecls.cpp, SwiftParseStmts.cpp, SwiftParseExprs.cpp,
// SwiftParseTypes.cpp (types, patterns, attributes, generics).
//
// Invariants: the parser never discards a consumed token (every consumed
// token lands in a slot, possibly an unexpected one); every loop either
// consumes a token or stops; recursion deeper than maxDepth turns the
// rest of the construct into unexpected content.
#include <vector>

#include "core/swift/SwiftSyntax.hpp"

namespace tovrane::swift {

class Parser {
public:
  explicit Parser(SyntaxTree& tree);
  NodeId parseSourceFile();

  // Nesting limit: about 7 native frames per level, far below any stack.
  static constexpr int maxDepth = 200;

private:
  friend class Layout;
  enum class ItemContext { file, code, member, switchCase };

  // Cursor.
  const Token& tok() const { return tree_.tokens_[pos_]; }
  const Token& tokAt(std::uint32_t index) const { return tree_.tokens_[index]; }
  TokenKind kind() const { return tok().kind; }
  bool at(TokenKind k) const { return kind() == k; }
  bool atKw(Keyword k) const { return tok().keyword == k && (kind() == TokenKind::keyword || kind() == TokenKind::identifier); }
  bool atText(std::string_view text) const { return tree_.text(TokenId{pos_}) == text; }
  bool atLineStart() const { return (tok().flags & Token::lineStartFlag) != 0; }
  bool atEnd() const { return at(TokenKind::endOfFile); }
  // No whitespace or comment right before the token ("@Foo(", "try?", "Foo<").
  bool glued(std::uint32_t index) const;
  std::uint32_t peekIndex(unsigned ahead = 1) const;
  const Token& peek(unsigned ahead = 1) const { return tree_.tokens_[peekIndex(ahead)]; }
  bool peekIs(unsigned ahead, TokenKind k) const { return peek(ahead).kind == k; }
  std::uint32_t nextIndex(std::uint32_t index) const;
  TokenId consume();
  TokenId expect(TokenKind k);
  TokenId expectKw(Keyword k);
  TokenId missing(TokenKind k);
  // Names: identifiers, and keywords where the grammar allows them.
  bool atIdentifier() const { return at(TokenKind::identifier); }
  bool atNameLike() const { return at(TokenKind::identifier) || at(TokenKind::keyword) || at(TokenKind::dollarIdentifier); }
  TokenId expectIdentifier();
  TokenId consumeLeftAngle();
  TokenId expectRightAngle();
  // "<" right before a line break is lexed as a postfix operator.
  bool atLeftAngle() const {
    return (at(TokenKind::binaryOperator) || at(TokenKind::prefixOperator) || at(TokenKind::postfixOperator)) &&
           tok().textEnd - tok().textStart == 1 && tree_.source()[tok().textStart] == '<';
  }
  bool atRightAngle() const { return closesAngleAt(pos_); }
  // Whether the token at index starts with a ">" that can close a generic clause.
  bool closesAngleAt(std::uint32_t index) const;
  // Splits the current token after `length` bytes into room the lexer left
  // behind it (">>" closing two generic clauses, "?>" after a split ">?>").
  // False when there is no room.
  bool splitToken(std::uint32_t length, TokenKind firstKind);

  // Speculation: parse ahead, then keep or roll back.
  struct State {
    std::uint32_t pos, nodes, slots, tokens, scratch, errors;
    std::size_t edits;
  };
  State save() const;
  void restore(const State& state);
  void editToken(std::uint32_t index, const Token& value);

  // Recovery toolkit.
  NodeId unexpectedNode(std::uint32_t scratchBase);
  // Consumes tokens into one unexpectedNodes node until stop() holds, at a
  // closing bracket of the enclosing construct, or at the end; balanced
  // brackets are swallowed whole. Invalid id when nothing was consumed.
  template <class Stop>
  NodeId skipUntil(Stop stop);
  // The one comma-list helper: parses elements (each takes its own
  // trailing comma) until `closer`, the end, or an element without comma.
  template <class Element>
  NodeId parseCommaList(SyntaxKind listKind, TokenKind closer, Element element, NodeId first = {});
  bool lastWasComma() const { return lastConsumed_ != TokenId::invalid && tokAt(lastConsumed_).kind == TokenKind::comma; }
  NodeId collectGarbage(ItemContext context);
  // Stray tokens before the bracket that closes `open` (when the lexer
  // paired it); nothing when `open` is unpaired, so an unclosed bracket
  // never swallows the statements after it.
  NodeId skipToMatch(TokenId open);
  void addTokenRun(std::uint32_t endIndex);
  bool atClosingBracket() const {
    return at(TokenKind::rightBrace) || at(TokenKind::rightParen) || at(TokenKind::rightSquare);
  }

  // Nodes.
  NodeId finishList(SyntaxKind kind, std::uint32_t base);
  NodeId makeToken1(SyntaxKind kind, TokenId token);
  NodeId makeToken2(SyntaxKind kind, TokenId a, NodeId b);

  // Items and blocks (SwiftParser.cpp).
  NodeId parseCodeBlockItemList(ItemContext context);
  NodeId parseCodeBlockItem(ItemContext context);
  bool atItemListEnd(ItemContext context) const;
  // After an item without ";" and before a token on its line: another item starts there.
  bool needsSeparator(ItemContext context, NodeId item) const;
  NodeId parseCodeBlock();
  NodeId parseMemberBlock();
  NodeId parseMemberBlockItemList();
  // What the clauses of an #if block hold.
  enum class ClauseContent { items, members, switchCases, attributes, postfixExpression };
  NodeId parseIfConfigDecl(ClauseContent content, ItemContext context = ItemContext::code);
  bool atPoundClause() const {
    return at(TokenKind::poundElseif) || at(TokenKind::poundElse) || at(TokenKind::poundEndif);
  }
  // The first token after `index` that starts a line (or the end).
  std::uint32_t lineStartAfter(std::uint32_t index) const;
  // The first token after `index` that starts a line; bracket pairs are
  // stepped over whole, so an argument list may span lines.
  std::uint32_t nextLineStart(std::uint32_t index) const;
  // At an #if whose first clause starts with ".member" (maybe inside
  // further #if lines): it continues the member chain before it.
  bool atPostfixIfConfig() const;
  // At a closed #if whose clauses hold only attributes (at least one) and
  // such #if blocks: it belongs to the attribute list of the declaration after it.
  bool atIfConfigOfAttributes() const;
  NodeId parsePostfixIfConfig(NodeId base);

  // Declarations (SwiftParseDecls.cpp).
  bool atDeclStart(bool inMembers) const;
  bool atModifier() const;
  bool modifierAt(std::uint32_t index) const;
  std::uint32_t skipModifiersFrom(std::uint32_t index) const;
  std::uint32_t skipModifierRun(std::uint32_t index) const;
  std::uint32_t afterModifier(std::uint32_t index) const;
  std::uint32_t rememberModifierRun(std::uint32_t start) const;
  std::uint32_t skipAttributesFrom(std::uint32_t index) const;
  NodeId parseDecl(bool inMembers);
  NodeId parseModifiers();
  NodeId parseDeclAfterModifiers(NodeId attributes, NodeId modifiers, bool inMembers);
  NodeId parseNominalDecl(SyntaxKind kind, NodeId attributes, NodeId modifiers);
  NodeId parseExtensionDecl(NodeId attributes, NodeId modifiers);
  NodeId parseFunctionDecl(NodeId attributes, NodeId modifiers);
  NodeId parseInitializerDecl(NodeId attributes, NodeId modifiers);
  NodeId parseDeinitializerDecl(NodeId attributes, NodeId modifiers);
  NodeId parseSubscriptDecl(NodeId attributes, NodeId modifiers);
  NodeId parseVariableDecl(NodeId attributes, NodeId modifiers);
  NodeId parseTypeAliasDecl(NodeId attributes, NodeId modifiers);
  NodeId parseAssociatedTypeDecl(NodeId attributes, NodeId modifiers);
  NodeId parseEnumCaseDecl(NodeId attributes, NodeId modifiers);
  NodeId parseOperatorDecl(NodeId attributes, NodeId modifiers);
  NodeId parsePrecedenceGroupDecl(NodeId attributes, NodeId modifiers);
  NodeId parseMacroDecl(NodeId attributes, NodeId modifiers);
  NodeId parseImportDecl(NodeId attributes, NodeId modifiers);
  NodeId parseMacroExpansion(SyntaxKind kind, NodeId attributes, NodeId modifiers);
  NodeId parsePoundSourceLocation();
  NodeId parseUsingDecl();
  NodeId parseFunctionSignature(bool forMacro);
  NodeId parseFunctionParameterClause();
  NodeId parseEffectSpecifiers(SyntaxKind kind);
  NodeId parseThrowsClause();
  NodeId parseReturnClause();
  NodeId parseAccessorBlock();
  bool atAccessorBlockWithAccessors() const;
  bool atObserverBlock() const;
  NodeId parseInheritanceClause();
  NodeId parseGenericParameterClause();
  NodeId parseGenericWhereClause();
  NodeId parsePrimaryAssociatedTypeClause();
  NodeId parseInitializerClause();
  NodeId parseTypeAnnotation();

  // Statements (SwiftParseStmts.cpp).
  bool atStmtStart() const;
  NodeId parseStmt();
  NodeId parseConditionList();
  NodeId parseCondition();
  NodeId parseIfExpr();
  NodeId parseSwitchExpr();
  NodeId parseSwitchCase();
  NodeId parseSwitchCaseList();
  NodeId parseForStmt();
  NodeId parseDoStmt();
  NodeId parseGuardStmt();
  NodeId parseWhileStmt();
  NodeId parseRepeatStmt();
  NodeId parseWhereClause();

  // Expressions (SwiftParseExprs.cpp).
  bool atExprStart() const;
  bool atElementStart() const;
  bool atOperatorReference() const;
  NodeId parseExpr();
  NodeId parseEffectfulArrow();
  NodeId parseTypeExpr();
  NodeId parseUnaryExpr();
  NodeId parsePostfixExpr();
  NodeId parsePostfixSuffixes(NodeId base);
  NodeId parsePrimaryExpr();
  NodeId parseDeclReference(bool allowCompound);
  bool atCompoundNameArguments() const;
  NodeId parseLabeledExprList(TokenKind closer);
  NodeId parseTupleExpr();
  NodeId parseCollectionExpr();
  NodeId parseClosureExpr();
  bool closureHasSignature() const;
  NodeId parseClosureSignature();
  NodeId parseStringLiteral();
  NodeId parseKeyPathExpr();
  bool trailingClosureAllowed() const;
  NodeId parseAdditionalTrailingClosures();
  // Cheap bounded look-ahead before speculating on generic arguments.
  bool genericClauseMayClose();
  // The first token from `index` on that starts with ">" (or the end).
  std::uint32_t nextAngleCloser(std::uint32_t index);
  NodeId tryGenericArgumentsInExpr(NodeId base);
  NodeId missingExpr();

  // Types, patterns, attributes (SwiftParseTypes.cpp).
  NodeId parseType();
  NodeId parseNonCompositionType();
  NodeId parseSimpleType();
  NodeId parseTypeSuffixes(NodeId base);
  NodeId parseTupleOrFunctionType();
  NodeId parseCollectionType();
  NodeId parseGenericArgumentClause();
  bool atTypeSpecifier() const;
  NodeId parseAttributeList();
  NodeId parseAttribute();
  NodeId parseBindingPattern();
  NodeId parseMatchingPattern();
  NodeId patternFromExpr(NodeId expr);
  NodeId missingType();

  SyntaxTree& tree_;
  std::uint32_t pos_ = 0;
  std::uint32_t lastConsumed_ = TokenId::invalid;
  std::vector<Slot> scratch_;
  struct Edit {
    std::uint32_t index;
    Token before;
  };
  std::vector<Edit> edits_;
  std::uint32_t errors_ = 0;
  int depth_ = 0;
  bool noTrailingClosure_ = false;
  bool patternMode_ = false;
  int ifConfigDepth_ = 0;
  // While an #if condition is parsed: the first token of the next line,
  // where the condition ends (operators and suffixes stop there).
  std::uint32_t directiveEnd_ = TokenId::invalid;
  // The positions of the modifiers of the last long modifier run and the
  // token after it (see skipModifiersFrom); a cache of the lexed tokens,
  // which speculation never changes.
  mutable std::vector<std::uint32_t> longModifierRun_;
  mutable std::uint32_t longModifierRunStart_ = 0;
  mutable std::uint32_t longModifierRunEnd_ = 0;
  // The tokens lineStartAfter walked last, [from, stop): asked from any of
  // them, the answer is stop, so a long line is walked once, not from each
  // of its tokens.
  mutable std::uint32_t lineScanFrom_ = 1;
  mutable std::uint32_t lineScanStop_ = 0;
  // The range nextAngleCloser scanned last and its answer (none yet).
  std::uint32_t closerScanStart_ = TokenId::invalid;
  std::uint32_t closerScanEnd_ = 0;
};

// Builds one layout node: reserves 2n+1 scratch slots (the n named slots
// first, then the n+1 places for unexpected content), so a node without
// unexpected content is added straight from the scratch slots; otherwise
// the slots are interleaved as the tree stores them. Builders nest
// strictly (LIFO).
class Layout {
public:
  Layout(Parser& parser, SyntaxKind kind);
  // A builder dropped without finish() releases its scratch slots.
  ~Layout();
  Layout(const Layout&) = delete;
  Layout& operator=(const Layout&) = delete;
  void set(unsigned index, TokenId token) { put(index, Slot::of(token)); }
  void set(unsigned index, NodeId node) { put(index, Slot::of(node)); }
  // Records stray content after the last child set so far.
  void unexpected(NodeId content);
  NodeId finish();

private:
  void put(unsigned index, Slot slot);
  Parser& parser_;
  SyntaxKind kind_;
  std::uint32_t base_;
  unsigned count_;
  int last_ = -1;
  bool hasUnexpected_ = false;
  bool finished_ = false;
};

// RAII depth guard.
class DepthGuard {
public:
  explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;
private:
  int& depth_;
};

// Templates used by every grammar area.
template <class Stop>
inline NodeId Parser::skipUntil(Stop stop) {
  auto base = static_cast<std::uint32_t>(scratch_.size());
  while (!atEnd() && !atClosingBracket() && !stop()) {
    if ((at(TokenKind::leftParen) || at(TokenKind::leftBrace) || at(TokenKind::leftSquare)) &&
        tok().match != TokenId::invalid)
      addTokenRun(tok().match);
    else
      scratch_.push_back(Slot::of(consume()));
  }
  return unexpectedNode(base);
}

template <class Element>
inline NodeId Parser::parseCommaList(SyntaxKind listKind, TokenKind closer, Element element, NodeId first) {
  auto base = static_cast<std::uint32_t>(scratch_.size());
  if (first) scratch_.push_back(Slot::of(first));
  while ((!first || lastWasComma()) && !at(closer) && !atEnd()) {
    first = {};
    std::uint32_t before = pos_;
    NodeId e = element();
    if (pos_ == before) {
      // The element could not start here: keep the stray tokens in the list.
      auto garbageBase = static_cast<std::uint32_t>(scratch_.size());
      while (!at(closer) && !atEnd() && !at(TokenKind::comma) && !atClosingBracket()) {
        if ((at(TokenKind::leftParen) || at(TokenKind::leftBrace) || at(TokenKind::leftSquare)) &&
            tok().match != TokenId::invalid)
          addTokenRun(tok().match);
        else
          scratch_.push_back(Slot::of(consume()));
      }
      if (at(TokenKind::comma)) scratch_.push_back(Slot::of(consume()));
      if (scratch_.size() == garbageBase) break;
      scratch_.push_back(Slot::of(unexpectedNode(garbageBase)));
      continue;
    }
    scratch_.push_back(Slot::of(e));
    if (!lastWasComma()) break;
  }
  return finishList(listKind, base);
}

}  // namespace tovrane::swift
