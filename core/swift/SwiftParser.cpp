// Parser core: the token cursor, speculation, the recovery toolkit, code
// block items, blocks and #if blocks, and the parse() entry.
//
// Recovery rules: an absent required token becomes a zero-width missing
// token; stray tokens inside a construct go to its "unexpected" slot at
// the place they were found; tokens that start no item in a block become a
// missingStmt (missingDecl in member blocks) whose src is exactly the stray
// text, so they stay visible to the lowering instead of vanishing.
#include "core/swift/SwiftParser.hpp"

#include "core/swift/SwiftLexer.hpp"

namespace tovrane::swift {

Layout::Layout(Parser& parser, SyntaxKind kind)
    : parser_(parser), kind_(kind), base_(static_cast<std::uint32_t>(parser.scratch_.size())),
      count_(static_cast<unsigned>(childCount(kind))) {
  parser_.scratch_.resize(base_ + 2 * count_ + 1);
}

Layout::~Layout() {
  if (!finished_) parser_.scratch_.resize(base_);
}

void Layout::put(unsigned index, Slot slot) {
  parser_.scratch_[base_ + index] = slot;
  last_ = static_cast<int>(index);
}

void Layout::unexpected(NodeId content) {
  if (!content) return;
  Slot& place = parser_.scratch_[base_ + count_ + static_cast<std::uint32_t>(last_ + 1)];
  if (place.isNode()) {
    Slot both[] = {place, Slot::of(content)};
    content = parser_.tree_.addNode(SyntaxKind::unexpectedNodes, both, false);
  }
  place = Slot::of(content);
  hasUnexpected_ = true;
}

NodeId Layout::finish() {
  std::vector<Slot>& scratch = parser_.scratch_;
  NodeId id;
  if (hasUnexpected_) {
    // Interleaved as the tree stores it: unexpected, named, unexpected, …
    // (no node kind has more than 16 named children; the largest has 10).
    Slot all[2 * 16 + 1];
    for (unsigned i = 0; i < count_; ++i) {
      all[2 * i] = scratch[base_ + count_ + i];
      all[2 * i + 1] = scratch[base_ + i];
    }
    all[2 * count_] = scratch[base_ + 2 * count_];
    id = parser_.tree_.addNode(kind_, std::span<const Slot>(all, 2 * count_ + 1), true);
  } else {
    id = parser_.tree_.addNode(kind_, std::span<const Slot>(scratch.data() + base_, count_), false);
  }
  scratch.resize(base_);
  finished_ = true;
  return id;
}

Parser::Parser(SyntaxTree& tree) : tree_(tree) {
  scratch_.reserve(256);
  while (tok().kind == TokenKind::splitRoom) ++pos_;
}

std::uint32_t Parser::nextIndex(std::uint32_t index) const {
  if (tree_.tokens_[index].kind == TokenKind::endOfFile) return index;
  ++index;
  while (tree_.tokens_[index].kind == TokenKind::splitRoom) ++index;
  return index;
}

std::uint32_t Parser::peekIndex(unsigned ahead) const {
  std::uint32_t index = pos_;
  for (unsigned k = 0; k < ahead; ++k) index = nextIndex(index);
  return index;
}

bool Parser::glued(std::uint32_t index) const {
  std::uint32_t start = tokAt(index).textStart;
  if (start == 0) return false;
  char before = tree_.source_[start - 1];
  if (before == ' ' || before == '\t' || before == '\n' || before == '\r' || before == '\v' || before == '\f') return false;
  return !(before == '/' && start >= 2 && tree_.source_[start - 2] == '*');
}

TokenId Parser::consume() {
  TokenId id{pos_};
  lastConsumed_ = pos_;
  pos_ = nextIndex(pos_);
  return id;
}

TokenId Parser::missing(TokenKind k) {
  ++errors_;
  return tree_.addMissingToken(k, tok().textStart);
}

TokenId Parser::expect(TokenKind k) { return at(k) ? consume() : missing(k); }

TokenId Parser::expectKw(Keyword k) {
  if (atKw(k)) return consume();
  TokenId id = missing(isReservedKeyword(k) ? TokenKind::keyword : TokenKind::identifier);
  tree_.tokens_[id.index].keyword = k;
  return id;
}

TokenId Parser::expectIdentifier() {
  if (at(TokenKind::identifier)) return consume();
  return missing(TokenKind::identifier);
}

void Parser::editToken(std::uint32_t index, const Token& value) {
  edits_.push_back({index, tree_.tokens_[index]});
  tree_.tokens_[index] = value;
}

TokenId Parser::consumeLeftAngle() {
  Token t = tok();
  t.kind = TokenKind::leftAngle;
  editToken(pos_, t);
  return consume();
}

bool Parser::closesAngleAt(std::uint32_t index) const {
  switch (tokAt(index).kind) {
    case TokenKind::binaryOperator: case TokenKind::postfixOperator: case TokenKind::prefixOperator:
    case TokenKind::rightAngle:
      return tree_.text(TokenId{index}).starts_with(">");
    default:
      return false;
  }
}

bool Parser::splitToken(std::uint32_t length, TokenKind firstKind) {
  Token first = tok();
  if (first.textEnd - first.textStart <= length || pos_ + 1 >= tree_.lexedCount_ ||
      tokAt(pos_ + 1).kind != TokenKind::splitRoom)
    return false;
  Token rest = tokAt(pos_ + 1);
  rest.leadStart = rest.textStart = first.textStart + length;
  rest.textEnd = first.textEnd;
  rest.trailEnd = first.trailEnd;
  rest.flags = 0;
  std::string_view text = tree_.source().substr(rest.textStart, rest.textEnd - rest.textStart);
  rest.kind = text == "?" ? TokenKind::postfixQuestionMark
              : text == "!" ? TokenKind::exclamationMark
              : text == "=" ? TokenKind::equal : TokenKind::binaryOperator;
  first.textEnd = first.trailEnd = first.textStart + length;
  first.kind = firstKind;
  editToken(pos_ + 1, rest);
  editToken(pos_, first);
  return true;
}

TokenId Parser::expectRightAngle() {
  if (!atRightAngle()) return missing(TokenKind::rightAngle);
  // ">>", ">=", ">?", ">?>": the rest moves on into the room the lexer left.
  if (!splitToken(1, TokenKind::rightAngle)) {
    Token t = tok();
    t.kind = TokenKind::rightAngle;
    editToken(pos_, t);
  }
  return consume();
}

Parser::State Parser::save() const {
  return {pos_, tree_.nodeCount(), static_cast<std::uint32_t>(tree_.slots_.size()), tree_.tokenCount(),
          static_cast<std::uint32_t>(scratch_.size()), errors_, edits_.size()};
}

void Parser::restore(const State& state) {
  while (edits_.size() > state.edits) {
    tree_.tokens_[edits_.back().index] = edits_.back().before;
    edits_.pop_back();
  }
  pos_ = state.pos;
  lastConsumed_ = TokenId::invalid;
  tree_.nodes_.resize(state.nodes);
  while (!tree_.sequences_.empty() && tree_.sequences_.back().index >= state.nodes) tree_.sequences_.pop_back();
  while (!tree_.unexpectedNodes_.empty() && tree_.unexpectedNodes_.back().index >= state.nodes)
    tree_.unexpectedNodes_.pop_back();
  tree_.slots_.resize(state.slots);
  tree_.tokens_.resize(state.tokens);
  scratch_.resize(state.scratch);
  errors_ = state.errors;
}

NodeId Parser::finishList(SyntaxKind kind, std::uint32_t base) {
  NodeId id = tree_.addNode(kind, std::span<const Slot>(scratch_.data() + base, scratch_.size() - base), false);
  scratch_.resize(base);
  return id;
}

NodeId Parser::unexpectedNode(std::uint32_t base) {
  if (scratch_.size() == base) return {};
  ++errors_;
  return finishList(SyntaxKind::unexpectedNodes, base);
}

void Parser::addTokenRun(std::uint32_t endIndex) {
  // Adds tokens pos_ … endIndex (inclusive) flat.
  while (true) {
    bool last = pos_ == endIndex || atEnd();
    scratch_.push_back(Slot::of(consume()));
    if (last) break;
  }
}

// Small nodes whose leading children are given; the remaining slots are absent.
NodeId Parser::makeToken1(SyntaxKind kind, TokenId token) {
  Slot s[8] = {Slot::of(token)};
  return tree_.addNode(kind, std::span<const Slot>(s, childCount(kind)), false);
}

NodeId Parser::makeToken2(SyntaxKind kind, TokenId a, NodeId b) {
  Slot s[8] = {Slot::of(a), Slot::of(b)};
  return tree_.addNode(kind, std::span<const Slot>(s, childCount(kind)), false);
}

// ---- items ----------------------------------------------------------------

bool Parser::atItemListEnd(ItemContext context) const {
  if (atEnd()) return true;
  if (ifConfigDepth_ > 0 && atPoundClause()) return true;
  if (context == ItemContext::file) return false;
  if (at(TokenKind::rightBrace)) return true;
  if ((at(TokenKind::rightParen) || at(TokenKind::rightSquare)) && tok().match != TokenId::invalid) return true;
  if (context == ItemContext::switchCase) {
    if (atKw(Keyword::kwCase) || atKw(Keyword::kwDefault)) return true;
    if (at(TokenKind::atSign) && tree_.text(TokenId{peekIndex()}) == "unknown") return true;
    // An `#if` whose first clause holds case labels is an element of the
    // case list, not a statement of the case before it.
    if (at(TokenKind::poundIf)) {
      std::uint32_t index = lineStartAfter(pos_);
      const Token& next = tokAt(index);
      if (next.kind == TokenKind::endOfFile) return false;
      return next.keyword == Keyword::kwCase || next.keyword == Keyword::kwDefault ||
             (next.kind == TokenKind::atSign && tree_.text(TokenId{nextIndex(index)}) == "unknown");
    }
  }
  return false;
}

NodeId Parser::skipToMatch(TokenId open) {
  std::uint32_t close = open ? tokAt(open.index).match : TokenId::invalid;
  if (close == TokenId::invalid || tree_.isMissing(open)) return {};
  auto base = static_cast<std::uint32_t>(scratch_.size());
  while (pos_ < close && !atEnd()) {
    if ((at(TokenKind::leftParen) || at(TokenKind::leftBrace) || at(TokenKind::leftSquare)) &&
        tok().match != TokenId::invalid && tok().match < close)
      addTokenRun(tok().match);
    else
      scratch_.push_back(Slot::of(consume()));
  }
  return unexpectedNode(base);
}

NodeId Parser::collectGarbage(ItemContext context) {
  auto base = static_cast<std::uint32_t>(scratch_.size());
  do {
    if ((at(TokenKind::leftParen) || at(TokenKind::leftBrace) || at(TokenKind::leftSquare)) &&
        tok().match != TokenId::invalid)
      addTokenRun(tok().match);
    else
      scratch_.push_back(Slot::of(consume()));
  } while (!atItemListEnd(context) && !at(TokenKind::poundIf) && !atDeclStart(context == ItemContext::member) &&
           !atStmtStart() && !atExprStart());
  return unexpectedNode(base);
}

NodeId Parser::parseCodeBlockItem(ItemContext context) {
  Layout item(*this, SyntaxKind::codeBlockItem);
  std::uint32_t before = pos_;
  NodeId inner;
  if (at(TokenKind::poundIf) && !atIfConfigOfAttributes()) {
    inner = parseIfConfigDecl(ClauseContent::items, context);
  } else if (at(TokenKind::poundIf) || atDeclStart(false)) {
    inner = parseDecl(false);
  } else if (atStmtStart()) {
    inner = parseStmt();
  } else if (atExprStart()) {
    inner = parseExpr();
  }
  if (!inner || pos_ == before) {
    Layout stmt(*this, SyntaxKind::missingStmt);
    stmt.unexpected(collectGarbage(context));
    stmt.set(MissingStmt::placeholder, missing(TokenKind::identifier));
    inner = stmt.finish();
  }
  item.set(CodeBlockItem::item, inner);
  if (at(TokenKind::semicolon)) item.set(CodeBlockItem::semicolon, consume());
  else if (!atLineStart() && !at(TokenKind::rightBrace) && needsSeparator(context, inner))
    item.set(CodeBlockItem::semicolon, missing(TokenKind::semicolon));
  return item.finish();
}

bool Parser::needsSeparator(ItemContext context, NodeId item) const {
  // Two items on one line need a ";" between them; stray tokens after an
  // item are reported as such, not also as a missing separator.
  if (atItemListEnd(context)) return false;
  SyntaxKind k = tree_.kind(item);
  if (k == SyntaxKind::missingStmt || k == SyntaxKind::missingDecl) return false;
  if (at(TokenKind::poundIf) || atDeclStart(context == ItemContext::member)) return true;
  return context != ItemContext::member && (atStmtStart() || atExprStart());
}

NodeId Parser::parseCodeBlockItemList(ItemContext context) {
  auto base = static_cast<std::uint32_t>(scratch_.size());
  while (!atItemListEnd(context)) {
    NodeId item = parseCodeBlockItem(context);
    scratch_.push_back(Slot::of(item));
  }
  return finishList(SyntaxKind::codeBlockItemList, base);
}

NodeId Parser::parseCodeBlock() {
  DepthGuard guard(depth_);
  Layout block(*this, SyntaxKind::codeBlock);
  bool saved = noTrailingClosure_;
  noTrailingClosure_ = false;
  block.set(CodeBlock::leftBrace, expect(TokenKind::leftBrace));
  if (depth_ > maxDepth) {
    block.unexpected(skipUntil([] { return false; }));
    block.set(CodeBlock::statements, finishList(SyntaxKind::codeBlockItemList, static_cast<std::uint32_t>(scratch_.size())));
  } else {
    block.set(CodeBlock::statements, parseCodeBlockItemList(ItemContext::code));
  }
  block.set(CodeBlock::rightBrace, expect(TokenKind::rightBrace));
  noTrailingClosure_ = saved;
  return block.finish();
}

NodeId Parser::parseMemberBlockItemList() {
  auto base = static_cast<std::uint32_t>(scratch_.size());
  while (!atItemListEnd(ItemContext::member)) {
    Layout item(*this, SyntaxKind::memberBlockItem);
    std::uint32_t before = pos_;
    NodeId decl;
    if (at(TokenKind::poundIf) && !atIfConfigOfAttributes()) decl = parseIfConfigDecl(ClauseContent::members);
    else if (at(TokenKind::poundIf) || atDeclStart(true)) decl = parseDecl(true);
    if (!decl || pos_ == before) {
      Layout missingDecl(*this, SyntaxKind::missingDecl);
      if (atExprStart()) {
        // A stray expression keeps its structure, so references in it stay visible.
        NodeId stray = parseExpr();
        auto base = static_cast<std::uint32_t>(scratch_.size());
        scratch_.push_back(Slot::of(stray));
        missingDecl.unexpected(unexpectedNode(base));
      }
      if (pos_ == before) missingDecl.unexpected(collectGarbage(ItemContext::member));
      missingDecl.set(MissingDecl::placeholder, missing(TokenKind::identifier));
      decl = missingDecl.finish();
    }
    item.set(MemberBlockItem::decl, decl);
    if (at(TokenKind::semicolon)) item.set(MemberBlockItem::semicolon, consume());
    else if (!atLineStart() && !at(TokenKind::rightBrace) && needsSeparator(ItemContext::member, decl))
      item.set(MemberBlockItem::semicolon, missing(TokenKind::semicolon));
    scratch_.push_back(Slot::of(item.finish()));
  }
  return finishList(SyntaxKind::memberBlockItemList, base);
}

NodeId Parser::parseMemberBlock() {
  DepthGuard guard(depth_);
  Layout block(*this, SyntaxKind::memberBlock);
  bool saved = noTrailingClosure_;
  noTrailingClosure_ = false;
  block.set(MemberBlock::leftBrace, expect(TokenKind::leftBrace));
  if (depth_ > maxDepth) {
    block.unexpected(skipUntil([] { return false; }));
    block.set(MemberBlock::members, finishList(SyntaxKind::memberBlockItemList, static_cast<std::uint32_t>(scratch_.size())));
  } else {
    block.set(MemberBlock::members, parseMemberBlockItemList());
  }
  block.set(MemberBlock::rightBrace, expect(TokenKind::rightBrace));
  noTrailingClosure_ = saved;
  return block.finish();
}

std::uint32_t Parser::lineStartAfter(std::uint32_t index) const {
  if (index < lineScanFrom_ || index >= lineScanStop_) {
    std::uint32_t at = nextIndex(index);
    while (tokAt(at).kind != TokenKind::endOfFile && !(tokAt(at).flags & Token::lineStartFlag)) at = nextIndex(at);
    lineScanFrom_ = index;
    lineScanStop_ = at;
  }
  return lineScanStop_;
}

std::uint32_t Parser::nextLineStart(std::uint32_t index) const {
  while (tokAt(index).kind != TokenKind::endOfFile) {
    const Token& t = tokAt(index);
    bool open = t.kind == TokenKind::leftParen || t.kind == TokenKind::leftBrace || t.kind == TokenKind::leftSquare;
    if (open && t.match != TokenId::invalid) index = t.match;
    index = nextIndex(index);
    if (tokAt(index).flags & Token::lineStartFlag) break;
  }
  return index;
}

bool Parser::atPostfixIfConfig() const {
  std::uint32_t index = pos_;
  do index = nextLineStart(index);
  while (tokAt(index).kind == TokenKind::poundIf);
  return tokAt(index).kind == TokenKind::period;
}

bool Parser::atIfConfigOfAttributes() const {
  // Iterative, so deeply nested blocks cannot exhaust the stack.
  std::uint32_t index = pos_;
  int open = 0;
  bool anyAttribute = false;
  while (true) {
    switch (tokAt(index).kind) {
      case TokenKind::poundIf:
        ++open;
        index = nextLineStart(index);
        break;
      case TokenKind::poundElseif: case TokenKind::poundElse:
        index = nextLineStart(index);
        break;
      case TokenKind::poundEndif:
        if (--open == 0) return anyAttribute;
        index = nextIndex(index);
        break;
      case TokenKind::atSign:
        anyAttribute = true;
        index = skipAttributesFrom(index);
        break;
      default:
        return false;
    }
  }
}

NodeId Parser::parsePostfixIfConfig(NodeId base) {
  Layout expr(*this, SyntaxKind::postfixIfConfigExpr);
  expr.set(PostfixIfConfigExpr::base, base);
  expr.set(PostfixIfConfigExpr::config, parseIfConfigDecl(ClauseContent::postfixExpression));
  return expr.finish();
}

NodeId Parser::parseIfConfigDecl(ClauseContent content, ItemContext context) {
  DepthGuard guard(depth_);
  Layout decl(*this, SyntaxKind::ifConfigDecl);
  auto base = static_cast<std::uint32_t>(scratch_.size());
  bool first = true;
  while (first ? at(TokenKind::poundIf) : (at(TokenKind::poundElseif) || at(TokenKind::poundElse))) {
    first = false;
    Layout clause(*this, SyntaxKind::ifConfigClause);
    bool isElse = at(TokenKind::poundElse);
    clause.set(IfConfigClause::poundKeyword, consume());
    if (!isElse) {
      // The condition is the rest of the directive's line: ".padding()" on
      // the next line is the clause's content, not a member of the condition.
      bool saved = noTrailingClosure_;
      std::uint32_t savedEnd = directiveEnd_;
      noTrailingClosure_ = true;
      directiveEnd_ = nextLineStart(lastConsumed_);
      clause.set(IfConfigClause::condition, parseExpr());
      noTrailingClosure_ = saved;
      directiveEnd_ = savedEnd;
    }
    ++ifConfigDepth_;
    if (depth_ > maxDepth) {
      clause.unexpected(skipUntil([this] { return atPoundClause(); }));
    } else {
      switch (content) {
        case ClauseContent::items: clause.set(IfConfigClause::elements, parseCodeBlockItemList(context)); break;
        case ClauseContent::members: clause.set(IfConfigClause::elements, parseMemberBlockItemList()); break;
        case ClauseContent::switchCases: clause.set(IfConfigClause::elements, parseSwitchCaseList()); break;
        case ClauseContent::attributes: clause.set(IfConfigClause::elements, parseAttributeList()); break;
        case ClauseContent::postfixExpression:
          // One base-less suffix chain (".padding().bold()" or a nested
          // postfix #if); a clause may also be empty.
          if (at(TokenKind::period) || (at(TokenKind::poundIf) && atPostfixIfConfig()))
            clause.set(IfConfigClause::elements, parsePostfixSuffixes(NodeId{}));
          clause.unexpected(skipUntil([this] { return atPoundClause(); }));
          break;
      }
    }
    --ifConfigDepth_;
    scratch_.push_back(Slot::of(clause.finish()));
  }
  decl.set(IfConfigDecl::clauses, finishList(SyntaxKind::ifConfigClauseList, base));
  decl.set(IfConfigDecl::poundEndif, expect(TokenKind::poundEndif));
  return decl.finish();
}

NodeId Parser::parseSourceFile() {
  Layout file(*this, SyntaxKind::sourceFile);
  file.set(SourceFile::statements, parseCodeBlockItemList(ItemContext::file));
  file.set(SourceFile::endOfFileToken, consume());
  return file.finish();
}

SyntaxTree parse(std::string_view source) {
  SyntaxTree tree;
  tree.source_.assign(source);
  lexSource(tree);
  // Measured on the corpus: about 1.3 nodes and 3.3 slots per token (folding
  // included). Reserved with room to spare: a reallocation copies the whole
  // vector and touches twice the memory, while reserved pages never used
  // cost nothing.
  tree.nodes_.reserve(tree.tokens_.size() * 2 + 16);
  tree.slots_.reserve(tree.tokens_.size() * 4 + 16);
  Parser parser(tree);
  tree.root_ = parser.parseSourceFile();
  return tree;
}

}  // namespace tovrane::swift
