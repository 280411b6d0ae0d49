// Statements, conditions, if/switch expressions and switch cases.
#include "core/swift/SwiftParser.hpp"

namespace tovrane::swift {
namespace {

bool isLoopOrBranchKeyword(Keyword k) {
  return k == Keyword::kwFor || k == Keyword::kwWhile || k == Keyword::kwRepeat || k == Keyword::kwIf ||
         k == Keyword::kwSwitch || k == Keyword::kwDo || k == Keyword::kwGuard;
}

}  // namespace

bool Parser::atStmtStart() const {
  if (at(TokenKind::keyword)) {
    switch (tok().keyword) {
      case Keyword::kwReturn: case Keyword::kwGuard: case Keyword::kwFor: case Keyword::kwWhile:
      case Keyword::kwBreak: case Keyword::kwContinue: case Keyword::kwThrow:
      case Keyword::kwDefer: case Keyword::kwDo: case Keyword::kwFallthrough: case Keyword::kwIf:
      case Keyword::kwSwitch:
        return true;
      case Keyword::kwRepeat:
        // Otherwise a pack expansion: "repeat print(each value)".
        return peek().kind == TokenKind::leftBrace;
      default:
        return false;
    }
  }
  if (!at(TokenKind::identifier)) return false;
  const Token& next = peek();
  if (next.kind == TokenKind::colon && isLoopOrBranchKeyword(peek(2).keyword) && peek(2).kind == TokenKind::keyword)
    return true;
  bool sameLine = !(next.flags & Token::lineStartFlag);
  switch (tok().keyword) {
    case Keyword::kwYield:
      return sameLine && (next.kind == TokenKind::identifier || next.kind == TokenKind::leftParen ||
                          next.kind == TokenKind::prefixAmpersand || next.kind == TokenKind::keyword);
    case Keyword::kwDiscard:
      return sameLine && next.kind == TokenKind::keyword && next.keyword == Keyword::kwSelf;
    case Keyword::kwThen:
      return sameLine && (next.kind == TokenKind::identifier || next.kind == TokenKind::integerLiteral ||
                          next.kind == TokenKind::stringQuote || next.kind == TokenKind::keyword);
    default:
      return false;
  }
}

NodeId Parser::parseStmt() {
  DepthGuard guard(depth_);
  if (at(TokenKind::identifier) && peek().kind == TokenKind::colon) {
    Layout stmt(*this, SyntaxKind::labeledStmt);
    stmt.set(LabeledStmt::label, consume());
    stmt.set(LabeledStmt::colon, consume());
    stmt.set(LabeledStmt::statement, parseStmt());
    return stmt.finish();
  }
  auto simple = [this](SyntaxKind kind, bool withExpr) {
    Layout stmt(*this, kind);
    stmt.set(0, consume());
    if (withExpr) stmt.set(1, atExprStart() ? parseExpr() : missingExpr());
    return stmt.finish();
  };
  switch (tok().keyword) {
    case Keyword::kwReturn: {
      Layout stmt(*this, SyntaxKind::returnStmt);
      stmt.set(ReturnStmt::returnKeyword, consume());
      if (atExprStart()) stmt.set(ReturnStmt::expression, parseExpr());
      return stmt.finish();
    }
    case Keyword::kwIf: case Keyword::kwSwitch: {
      Layout stmt(*this, SyntaxKind::expressionStmt);
      stmt.set(ExpressionStmt::expression, atKw(Keyword::kwIf) ? parseIfExpr() : parseSwitchExpr());
      return stmt.finish();
    }
    case Keyword::kwGuard: return parseGuardStmt();
    case Keyword::kwFor: return parseForStmt();
    case Keyword::kwWhile: return parseWhileStmt();
    case Keyword::kwRepeat: return parseRepeatStmt();
    case Keyword::kwDo: return parseDoStmt();
    case Keyword::kwBreak: case Keyword::kwContinue: {
      Layout stmt(*this, atKw(Keyword::kwBreak) ? SyntaxKind::breakStmt : SyntaxKind::continueStmt);
      stmt.set(BreakStmt::breakKeyword, consume());
      if (at(TokenKind::identifier) && !atLineStart()) stmt.set(BreakStmt::label, consume());
      return stmt.finish();
    }
    case Keyword::kwThrow: return simple(SyntaxKind::throwStmt, true);
    case Keyword::kwDefer: {
      Layout stmt(*this, SyntaxKind::deferStmt);
      stmt.set(DeferStmt::deferKeyword, consume());
      stmt.set(DeferStmt::body, parseCodeBlock());
      return stmt.finish();
    }
    case Keyword::kwFallthrough: return simple(SyntaxKind::fallthroughStmt, false);
    case Keyword::kwYield: {
      Layout stmt(*this, SyntaxKind::yieldStmt);
      stmt.set(YieldStmt::yieldKeyword, consume());
      stmt.set(YieldStmt::yieldedExpressions, parseExpr());
      return stmt.finish();
    }
    case Keyword::kwDiscard: return simple(SyntaxKind::discardStmt, true);
    case Keyword::kwThen: return simple(SyntaxKind::thenStmt, true);
    default:
      return simple(SyntaxKind::missingStmt, false);
  }
}

NodeId Parser::parseCondition() {
  if (atKw(Keyword::kwLet) || atKw(Keyword::kwVar)) {
    Layout condition(*this, SyntaxKind::optionalBindingCondition);
    condition.set(OptionalBindingCondition::bindingSpecifier, consume());
    condition.set(OptionalBindingCondition::pattern, parseBindingPattern());
    if (at(TokenKind::colon)) condition.set(OptionalBindingCondition::typeAnnotation, parseTypeAnnotation());
    if (at(TokenKind::equal)) condition.set(OptionalBindingCondition::initializer, parseInitializerClause());
    return condition.finish();
  }
  if (atKw(Keyword::kwCase)) {
    Layout condition(*this, SyntaxKind::matchingPatternCondition);
    condition.set(MatchingPatternCondition::caseKeyword, consume());
    condition.set(MatchingPatternCondition::pattern, parseMatchingPattern());
    if (at(TokenKind::colon)) condition.set(MatchingPatternCondition::typeAnnotation, parseTypeAnnotation());
    condition.set(MatchingPatternCondition::initializer, parseInitializerClause());
    return condition.finish();
  }
  if (at(TokenKind::poundAvailable) || at(TokenKind::poundUnavailable)) {
    Layout condition(*this, SyntaxKind::availabilityCondition);
    condition.set(AvailabilityCondition::availabilityKeyword, consume());
    condition.set(AvailabilityCondition::leftParen, expect(TokenKind::leftParen));
    auto base = static_cast<std::uint32_t>(scratch_.size());
    while (!at(TokenKind::rightParen) && !atEnd() && !atClosingBracket() && !at(TokenKind::leftBrace))
      scratch_.push_back(Slot::of(consume()));
    condition.set(AvailabilityCondition::availabilityArguments, finishList(SyntaxKind::tokenList, base));
    condition.set(AvailabilityCondition::rightParen, expect(TokenKind::rightParen));
    return condition.finish();
  }
  return parseExpr();
}

NodeId Parser::parseConditionList() {
  bool saved = noTrailingClosure_;
  noTrailingClosure_ = true;
  auto base = static_cast<std::uint32_t>(scratch_.size());
  while (true) {
    Layout element(*this, SyntaxKind::conditionElement);
    element.set(ConditionElement::condition, parseCondition());
    bool comma = at(TokenKind::comma);
    if (comma) element.set(ConditionElement::trailingComma, consume());
    scratch_.push_back(Slot::of(element.finish()));
    if (!comma || at(TokenKind::leftBrace) || atEnd()) break;
  }
  noTrailingClosure_ = saved;
  return finishList(SyntaxKind::conditionElementList, base);
}

NodeId Parser::parseIfExpr() {
  DepthGuard guard(depth_);
  Layout expr(*this, SyntaxKind::ifExpr);
  expr.set(IfExpr::ifKeyword, consume());
  expr.set(IfExpr::conditions, parseConditionList());
  expr.unexpected(skipUntil([this] { return at(TokenKind::leftBrace) || atLineStart(); }));
  expr.set(IfExpr::body, parseCodeBlock());
  if (atKw(Keyword::kwElse)) {
    expr.set(IfExpr::elseKeyword, consume());
    if (atKw(Keyword::kwIf) && depth_ <= maxDepth) expr.set(IfExpr::elseBody, parseIfExpr());
    else expr.set(IfExpr::elseBody, parseCodeBlock());
  }
  return expr.finish();
}

NodeId Parser::parseGuardStmt() {
  Layout stmt(*this, SyntaxKind::guardStmt);
  stmt.set(GuardStmt::guardKeyword, consume());
  stmt.set(GuardStmt::conditions, parseConditionList());
  stmt.unexpected(skipUntil([this] { return atKw(Keyword::kwElse) || at(TokenKind::leftBrace) || atLineStart(); }));
  stmt.set(GuardStmt::elseKeyword, expectKw(Keyword::kwElse));
  stmt.set(GuardStmt::body, parseCodeBlock());
  return stmt.finish();
}

NodeId Parser::parseWhileStmt() {
  Layout stmt(*this, SyntaxKind::whileStmt);
  stmt.set(WhileStmt::whileKeyword, consume());
  stmt.set(WhileStmt::conditions, parseConditionList());
  stmt.set(WhileStmt::body, parseCodeBlock());
  return stmt.finish();
}

NodeId Parser::parseRepeatStmt() {
  Layout stmt(*this, SyntaxKind::repeatStmt);
  stmt.set(RepeatStmt::repeatKeyword, consume());
  stmt.set(RepeatStmt::body, parseCodeBlock());
  stmt.set(RepeatStmt::whileKeyword, expectKw(Keyword::kwWhile));
  stmt.set(RepeatStmt::condition, parseExpr());
  return stmt.finish();
}

NodeId Parser::parseWhereClause() {
  Layout where(*this, SyntaxKind::whereClause);
  where.set(WhereClause::whereKeyword, consume());
  where.set(WhereClause::condition, parseExpr());
  return where.finish();
}

NodeId Parser::parseForStmt() {
  Layout stmt(*this, SyntaxKind::forStmt);
  stmt.set(ForStmt::forKeyword, consume());
  if (atKw(Keyword::kwTry)) stmt.set(ForStmt::tryKeyword, consume());
  if (atKw(Keyword::kwAwait)) stmt.set(ForStmt::awaitKeyword, consume());
  bool isCase = atKw(Keyword::kwCase);
  if (isCase) stmt.set(ForStmt::caseKeyword, consume());
  stmt.set(ForStmt::pattern, isCase ? parseMatchingPattern() : parseBindingPattern());
  if (at(TokenKind::colon)) stmt.set(ForStmt::typeAnnotation, parseTypeAnnotation());
  stmt.set(ForStmt::inKeyword, expectKw(Keyword::kwIn));
  bool saved = noTrailingClosure_;
  noTrailingClosure_ = true;
  stmt.set(ForStmt::sequence, parseExpr());
  if (atKw(Keyword::kwWhere)) stmt.set(ForStmt::whereClause, parseWhereClause());
  noTrailingClosure_ = saved;
  stmt.set(ForStmt::body, parseCodeBlock());
  return stmt.finish();
}

NodeId Parser::parseDoStmt() {
  Layout stmt(*this, SyntaxKind::doStmt);
  stmt.set(DoStmt::doKeyword, consume());
  if (atKw(Keyword::kwThrows)) stmt.set(DoStmt::throwsClause, parseThrowsClause());
  stmt.set(DoStmt::body, parseCodeBlock());
  auto base = static_cast<std::uint32_t>(scratch_.size());
  while (atKw(Keyword::kwCatch)) {
    Layout clause(*this, SyntaxKind::catchClause);
    clause.set(CatchClause::catchKeyword, consume());
    bool saved = noTrailingClosure_;
    noTrailingClosure_ = true;
    auto items = static_cast<std::uint32_t>(scratch_.size());
    while (!at(TokenKind::leftBrace) && !atEnd()) {
      std::uint32_t before = pos_;
      Layout item(*this, SyntaxKind::catchItem);
      item.set(CatchItem::pattern, parseMatchingPattern());
      if (atKw(Keyword::kwWhere)) item.set(CatchItem::whereClause, parseWhereClause());
      bool comma = at(TokenKind::comma);
      if (comma) item.set(CatchItem::trailingComma, consume());
      scratch_.push_back(Slot::of(item.finish()));
      if (!comma || pos_ == before) break;
    }
    noTrailingClosure_ = saved;
    clause.set(CatchClause::catchItems, finishList(SyntaxKind::catchItemList, items));
    clause.set(CatchClause::body, parseCodeBlock());
    scratch_.push_back(Slot::of(clause.finish()));
  }
  stmt.set(DoStmt::catchClauses, finishList(SyntaxKind::catchClauseList, base));
  return stmt.finish();
}

NodeId Parser::parseSwitchExpr() {
  DepthGuard guard(depth_);
  Layout expr(*this, SyntaxKind::switchExpr);
  expr.set(SwitchExpr::switchKeyword, consume());
  bool saved = noTrailingClosure_;
  noTrailingClosure_ = true;
  expr.set(SwitchExpr::subject, parseExpr());
  noTrailingClosure_ = saved;
  expr.unexpected(skipUntil([this] { return at(TokenKind::leftBrace) || atLineStart(); }));
  expr.set(SwitchExpr::leftBrace, expect(TokenKind::leftBrace));
  if (depth_ > maxDepth) {
    // The case bodies are statement lists that would nest on without a block.
    expr.unexpected(skipUntil([] { return false; }));
    expr.set(SwitchExpr::cases, finishList(SyntaxKind::switchCaseList, static_cast<std::uint32_t>(scratch_.size())));
  } else {
    noTrailingClosure_ = false;
    expr.set(SwitchExpr::cases, parseSwitchCaseList());
    noTrailingClosure_ = saved;
  }
  expr.set(SwitchExpr::rightBrace, expect(TokenKind::rightBrace));
  return expr.finish();
}

NodeId Parser::parseSwitchCaseList() {
  auto base = static_cast<std::uint32_t>(scratch_.size());
  while (!at(TokenKind::rightBrace) && !atEnd() && !(ifConfigDepth_ > 0 && atPoundClause())) {
    if ((at(TokenKind::rightParen) || at(TokenKind::rightSquare)) && tok().match != TokenId::invalid) break;
    std::uint32_t before = pos_;
    if (at(TokenKind::poundIf)) scratch_.push_back(Slot::of(parseIfConfigDecl(ClauseContent::switchCases)));
    else scratch_.push_back(Slot::of(parseSwitchCase()));
    if (pos_ == before) break;
  }
  return finishList(SyntaxKind::switchCaseList, base);
}

NodeId Parser::parseSwitchCase() {
  Layout switchCase(*this, SyntaxKind::switchCase);
  bool known = atKw(Keyword::kwCase) || atKw(Keyword::kwDefault) || at(TokenKind::atSign);
  if (!known) {
    switchCase.unexpected(skipUntil([this] {
      return atKw(Keyword::kwCase) || atKw(Keyword::kwDefault) || at(TokenKind::atSign) || at(TokenKind::poundIf) ||
             (ifConfigDepth_ > 0 && atPoundClause());
    }));
  }
  if (at(TokenKind::atSign)) switchCase.set(SwitchCase::attribute, parseAttribute());
  if (atKw(Keyword::kwDefault)) {
    Layout label(*this, SyntaxKind::switchDefaultLabel);
    label.set(SwitchDefaultLabel::defaultKeyword, consume());
    label.set(SwitchDefaultLabel::colon, expect(TokenKind::colon));
    switchCase.set(SwitchCase::label, label.finish());
  } else {
    Layout label(*this, SyntaxKind::switchCaseLabel);
    label.set(SwitchCaseLabel::caseKeyword, expectKw(Keyword::kwCase));
    auto base = static_cast<std::uint32_t>(scratch_.size());
    while (!at(TokenKind::colon) && !atEnd() && !at(TokenKind::rightBrace)) {
      std::uint32_t before = pos_;
      Layout item(*this, SyntaxKind::switchCaseItem);
      item.set(SwitchCaseItem::pattern, parseMatchingPattern());
      if (atKw(Keyword::kwWhere)) item.set(SwitchCaseItem::whereClause, parseWhereClause());
      bool comma = at(TokenKind::comma);
      if (comma) item.set(SwitchCaseItem::trailingComma, consume());
      scratch_.push_back(Slot::of(item.finish()));
      if (!comma || pos_ == before) break;
    }
    label.set(SwitchCaseLabel::caseItems, finishList(SyntaxKind::switchCaseItemList, base));
    label.unexpected(skipUntil([this] { return at(TokenKind::colon) || atLineStart(); }));
    label.set(SwitchCaseLabel::colon, expect(TokenKind::colon));
    switchCase.set(SwitchCase::label, label.finish());
  }
  switchCase.set(SwitchCase::statements, parseCodeBlockItemList(ItemContext::switchCase));
  return switchCase.finish();
}

}  // namespace tovrane::swift
