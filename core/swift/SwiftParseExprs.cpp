// Expressions: operator sequences (left unfolded), prefix and postfix
// forms, primaries, closures, string literals, key paths, generic
// arguments in expressions (decided by speculation) and trailing closures.
#include "core/swift/SwiftParser.hpp"

namespace tovrane::swift {

bool Parser::atExprStart() const {
  switch (kind()) {
    case TokenKind::identifier: case TokenKind::dollarIdentifier: case TokenKind::integerLiteral:
    case TokenKind::floatLiteral: case TokenKind::stringQuote: case TokenKind::multilineStringQuote:
    case TokenKind::rawStringPoundDelimiter: case TokenKind::regexLiteral: case TokenKind::leftParen:
    case TokenKind::leftSquare: case TokenKind::leftBrace: case TokenKind::period: case TokenKind::backslash:
    case TokenKind::pound: case TokenKind::prefixOperator: case TokenKind::prefixAmpersand:
    case TokenKind::editorPlaceholder:
      return true;
    case TokenKind::keyword:
      switch (tok().keyword) {
        case Keyword::kwSelf: case Keyword::kwSelfType: case Keyword::kwSuper: case Keyword::kwTrue:
        case Keyword::kwFalse: case Keyword::kwNil: case Keyword::kwTry: case Keyword::kwInit: case Keyword::kwAny:
        case Keyword::kwWildcard: case Keyword::kwIf: case Keyword::kwSwitch: case Keyword::kwRepeat:
          return true;
        case Keyword::kwLet: case Keyword::kwVar:
          return patternMode_;
        default:
          return false;
      }
    case TokenKind::binaryOperator: case TokenKind::postfixOperator:
      return atOperatorReference();
    default:
      return false;
  }
}

bool Parser::atElementStart() const {
  // In brackets an attribute starts a type used as a value:
  // "(@convention(c) (Int) -> Void).self". Elsewhere it starts a declaration.
  return atExprStart() || at(TokenKind::atSign);
}

bool Parser::atOperatorReference() const {
  // An operator passed as a value: "reduce(0, +)", "sorted(by: <)", "a[...]".
  TokenKind next = peek().kind;
  return next == TokenKind::rightParen || next == TokenKind::comma || next == TokenKind::rightSquare;
}

NodeId Parser::missingExpr() {
  Layout expr(*this, SyntaxKind::missingExpr);
  expr.set(MissingExpr::placeholder, missing(TokenKind::identifier));
  return expr.finish();
}

NodeId Parser::parseExpr() {
  DepthGuard guard(depth_);
  if (depth_ > maxDepth) {
    // Pathological nesting: the rest of the enclosing construct is one piece
    // of unexpected text (not a missing expression per token, each of which
    // would become an item of its own).
    Layout expr(*this, SyntaxKind::missingExpr);
    expr.unexpected(skipUntil([] { return false; }));
    expr.set(MissingExpr::placeholder, missing(TokenKind::identifier));
    return expr.finish();
  }
  auto base = static_cast<std::uint32_t>(scratch_.size());
  scratch_.push_back(Slot::of(parseUnaryExpr()));
  while (pos_ != directiveEnd_) {
    NodeId op;
    bool cast = false;
    switch (kind()) {
      case TokenKind::binaryOperator:
        op = makeToken1(SyntaxKind::binaryOperatorExpr, consume());
        break;
      case TokenKind::equal:
        // In "case P = value" the "=" ends the pattern.
        if (patternMode_) break;
        op = makeToken1(SyntaxKind::assignmentExpr, consume());
        break;
      case TokenKind::arrow: {
        Layout arrow(*this, SyntaxKind::arrowExpr);
        arrow.set(ArrowExpr::arrow, consume());
        op = arrow.finish();
        break;
      }
      case TokenKind::identifier:
        // A function type as a value: "(() async throws -> Int).self".
        if (atKw(Keyword::kwAsync) && (peek().kind == TokenKind::arrow || peek().keyword == Keyword::kwThrows))
          op = parseEffectfulArrow();
        break;
      case TokenKind::infixQuestionMark: {
        Layout ternary(*this, SyntaxKind::unresolvedTernaryExpr);
        ternary.set(UnresolvedTernaryExpr::questionMark, consume());
        ternary.set(UnresolvedTernaryExpr::thenExpression, parseExpr());
        ternary.set(UnresolvedTernaryExpr::colon, expect(TokenKind::colon));
        op = ternary.finish();
        break;
      }
      case TokenKind::keyword:
        if (atKw(Keyword::kwThrows)) {
          op = parseEffectfulArrow();
        } else if (atKw(Keyword::kwAs)) {
          Layout as(*this, SyntaxKind::unresolvedAsExpr);
          as.set(UnresolvedAsExpr::asKeyword, consume());
          if ((at(TokenKind::postfixQuestionMark) || at(TokenKind::exclamationMark)) && glued(pos_))
            as.set(UnresolvedAsExpr::questionOrExclamationMark, consume());
          op = as.finish();
          cast = true;
        } else if (atKw(Keyword::kwIs)) {
          op = makeToken1(SyntaxKind::unresolvedIsExpr, consume());
          cast = true;
        }
        break;
      default:
        break;
    }
    if (!op) break;
    scratch_.push_back(Slot::of(op));
    if (cast) {
      scratch_.push_back(Slot::of(parseTypeExpr()));
    } else {
      scratch_.push_back(Slot::of(atExprStart() || !at(TokenKind::rightBrace) ? parseUnaryExpr() : missingExpr()));
    }
  }
  if (scratch_.size() == base + 1) {
    NodeId only = scratch_.back().node();
    scratch_.pop_back();
    return only;
  }
  NodeId elements = finishList(SyntaxKind::exprList, base);
  Slot s[] = {Slot::of(elements)};
  NodeId sequence = tree_.addNode(SyntaxKind::sequenceExpr, s, false);
  tree_.sequences_.push_back(sequence);
  return sequence;
}

NodeId Parser::parseEffectfulArrow() {
  Layout arrow(*this, SyntaxKind::arrowExpr);
  arrow.set(ArrowExpr::effectSpecifiers, parseEffectSpecifiers(SyntaxKind::typeEffectSpecifiers));
  arrow.set(ArrowExpr::arrow, expect(TokenKind::arrow));
  return arrow.finish();
}

NodeId Parser::parseUnaryExpr() {
  DepthGuard guard(depth_);
  if (depth_ > maxDepth) return parseExpr();  // reports the nesting as unexpected
  auto nextStartsOperand = [this] {
    const Token& next = peek();
    if (next.flags & Token::lineStartFlag) return false;
    switch (next.kind) {
      case TokenKind::identifier: case TokenKind::dollarIdentifier: case TokenKind::keyword:
      case TokenKind::leftSquare: case TokenKind::period: case TokenKind::pound: case TokenKind::prefixOperator:
      case TokenKind::prefixAmpersand: case TokenKind::integerLiteral: case TokenKind::floatLiteral:
      case TokenKind::stringQuote: case TokenKind::multilineStringQuote: case TokenKind::backslash:
        return true;
      default:
        return false;
    }
  };
  // "await (a, b)", "repeat (each x).y": an operand in parentheses on the same line.
  auto nextIsParen = [this] { return peek().kind == TokenKind::leftParen && !(peek().flags & Token::lineStartFlag); };
  if (atKw(Keyword::kwTry)) {
    Layout expr(*this, SyntaxKind::tryExpr);
    expr.set(TryExpr::tryKeyword, consume());
    if ((at(TokenKind::postfixQuestionMark) || at(TokenKind::exclamationMark)) && glued(pos_))
      expr.set(TryExpr::questionOrExclamationMark, consume());
    expr.set(TryExpr::expression, parseUnaryExpr());
    return expr.finish();
  }
  if (at(TokenKind::identifier) && (atKw(Keyword::kwAwait) || atKw(Keyword::kwUnsafe)) &&
      (nextStartsOperand() || (atKw(Keyword::kwAwait) && nextIsParen()))) {
    SyntaxKind k = atKw(Keyword::kwAwait) ? SyntaxKind::awaitExpr : SyntaxKind::unsafeExpr;
    TokenId token = consume();
    return makeToken2(k, token, parseUnaryExpr());
  }
  if (at(TokenKind::identifier) && (atKw(Keyword::kwConsume) || atKw(Keyword::kwCopy)) &&
      nextStartsOperand() && (peek().kind == TokenKind::identifier || peek().keyword == Keyword::kwSelf)) {
    SyntaxKind k = atKw(Keyword::kwConsume) ? SyntaxKind::consumeExpr : SyntaxKind::copyExpr;
    TokenId token = consume();
    return makeToken2(k, token, parseUnaryExpr());
  }
  if (atKw(Keyword::kwRepeat) && (nextStartsOperand() || nextIsParen())) {
    TokenId token = consume();
    return makeToken2(SyntaxKind::packExpansionExpr, token, parseUnaryExpr());
  }
  if (at(TokenKind::identifier) && atKw(Keyword::kwEach) && peek().kind == TokenKind::identifier && nextStartsOperand()) {
    TokenId token = consume();
    return makeToken2(SyntaxKind::packElementExpr, token, parseUnaryExpr());
  }
  if (at(TokenKind::prefixAmpersand)) {
    TokenId token = consume();
    return makeToken2(SyntaxKind::inOutExpr, token, parseUnaryExpr());
  }
  if (at(TokenKind::prefixOperator)) {
    TokenId token = consume();
    return makeToken2(SyntaxKind::prefixOperatorExpr, token, parseUnaryExpr());
  }
  return parsePostfixExpr();
}

NodeId Parser::parsePostfixExpr() { return parsePostfixSuffixes(parsePrimaryExpr()); }

bool Parser::trailingClosureAllowed() const {
  if (!at(TokenKind::leftBrace) || atObserverBlock()) return false;
  if (!noTrailingClosure_) return true;
  // In a condition a "{" starts the body, unless the braces are directly
  // followed by another "{" (or continue a member chain).
  if (tok().match == TokenId::invalid) return false;
  const Token& after = tokAt(nextIndex(tok().match));
  return after.kind == TokenKind::leftBrace || after.kind == TokenKind::period;
}

// "} label: { … }" after a trailing closure; a keyword at the start of a
// line ("default:" in a switch) is never a label.
NodeId Parser::parseAdditionalTrailingClosures() {
  auto base = static_cast<std::uint32_t>(scratch_.size());
  while (atNameLike() && peek().kind == TokenKind::colon && peek(2).kind == TokenKind::leftBrace &&
         !(atLineStart() && at(TokenKind::keyword))) {
    Layout element(*this, SyntaxKind::multipleTrailingClosureElement);
    element.set(MultipleTrailingClosureElement::label, consume());
    element.set(MultipleTrailingClosureElement::colon, consume());
    element.set(MultipleTrailingClosureElement::closure, parseClosureExpr());
    scratch_.push_back(Slot::of(element.finish()));
  }
  return finishList(SyntaxKind::multipleTrailingClosureElementList, base);
}

NodeId Parser::parsePostfixSuffixes(NodeId base) {
  while (pos_ != directiveEnd_) {
    switch (kind()) {
      case TokenKind::period: {
        Layout member(*this, SyntaxKind::memberAccessExpr);
        member.set(MemberAccessExpr::base, base);
        member.set(MemberAccessExpr::period, consume());
        if (at(TokenKind::integerLiteral)) member.set(MemberAccessExpr::declName, makeToken1(SyntaxKind::declReferenceExpr, consume()));
        else if (atNameLike()) member.set(MemberAccessExpr::declName, parseDeclReference(true));
        else member.set(MemberAccessExpr::declName, makeToken1(SyntaxKind::declReferenceExpr, missing(TokenKind::identifier)));
        base = member.finish();
        continue;
      }
      case TokenKind::leftParen: case TokenKind::leftSquare: {
        // "(" or "[" at the start of a line begins a new expression.
        if (atLineStart()) return base;
        bool call = at(TokenKind::leftParen);
        Layout node(*this, call ? SyntaxKind::functionCallExpr : SyntaxKind::subscriptCallExpr);
        node.set(FunctionCallExpr::calledExpression, base);
        TokenId open = consume();
        node.set(FunctionCallExpr::leftParen, open);
        bool savedNo = noTrailingClosure_;
        noTrailingClosure_ = false;
        node.set(FunctionCallExpr::arguments, parseLabeledExprList(call ? TokenKind::rightParen : TokenKind::rightSquare));
        node.unexpected(skipToMatch(open));
        noTrailingClosure_ = savedNo;
        node.set(FunctionCallExpr::rightParen, expect(call ? TokenKind::rightParen : TokenKind::rightSquare));
        if (trailingClosureAllowed()) {
          node.set(FunctionCallExpr::trailingClosure, parseClosureExpr());
          node.set(FunctionCallExpr::additionalTrailingClosures, parseAdditionalTrailingClosures());
        }
        base = node.finish();
        continue;
      }
      case TokenKind::leftBrace: {
        if (!trailingClosureAllowed()) return base;
        Layout node(*this, SyntaxKind::functionCallExpr);
        node.set(FunctionCallExpr::calledExpression, base);
        node.set(FunctionCallExpr::arguments, finishList(SyntaxKind::labeledExprList, static_cast<std::uint32_t>(scratch_.size())));
        node.set(FunctionCallExpr::trailingClosure, parseClosureExpr());
        node.set(FunctionCallExpr::additionalTrailingClosures, parseAdditionalTrailingClosures());
        base = node.finish();
        continue;
      }
      case TokenKind::postfixQuestionMark: {
        Layout node(*this, SyntaxKind::optionalChainingExpr);
        node.set(OptionalChainingExpr::expression, base);
        node.set(OptionalChainingExpr::questionMark, consume());
        base = node.finish();
        continue;
      }
      case TokenKind::exclamationMark: {
        Layout node(*this, SyntaxKind::forceUnwrapExpr);
        node.set(ForceUnwrapExpr::expression, base);
        node.set(ForceUnwrapExpr::exclamationMark, consume());
        base = node.finish();
        continue;
      }
      case TokenKind::binaryOperator: case TokenKind::prefixOperator: case TokenKind::postfixOperator: {
        // "Foo<Int>(…)" (a "<" that ends its line is lexed as a postfix operator).
        if (atLeftAngle() && glued(pos_)) {
          if (NodeId specialized = tryGenericArgumentsInExpr(base)) {
            base = specialized;
            continue;
          }
        }
        if (!at(TokenKind::postfixOperator)) return base;
        Layout node(*this, SyntaxKind::postfixOperatorExpr);
        node.set(PostfixOperatorExpr::expression, base);
        node.set(PostfixOperatorExpr::operator_, consume());
        base = node.finish();
        continue;
      }
      case TokenKind::poundIf:
        if (!atPostfixIfConfig()) return base;
        base = parsePostfixIfConfig(base);
        continue;
      default:
        return base;
    }
  }
  return base;
}

std::uint32_t Parser::nextAngleCloser(std::uint32_t index) {
  // From any index of the range scanned last the answer is the same, so a
  // run of "<" without any ">" is scanned once, not from each "<".
  if (index >= closerScanStart_ && index <= closerScanEnd_) return closerScanEnd_;
  std::uint32_t at = index;
  while (!closesAngleAt(at) && tokAt(at).kind != TokenKind::endOfFile) ++at;
  closerScanStart_ = index;
  closerScanEnd_ = at;
  return at;
}

bool Parser::genericClauseMayClose() {
  // At most this many tokens from "<" to its ">", counting bracketed
  // content: far more than real generic arguments take, and it bounds the
  // scan of a run like "f(a<b, a<b, …, x > y)" from each "<".
  constexpr std::uint32_t maxDistance = 256;
  if (nextAngleCloser(pos_) - pos_ > maxDistance) return false;
  std::uint32_t depth = 0;
  for (std::uint32_t index = pos_; index - pos_ <= maxDistance; index = nextIndex(index)) {
    const Token& t = tokAt(index);
    switch (t.kind) {
      case TokenKind::identifier: case TokenKind::keyword: case TokenKind::period: case TokenKind::comma:
      case TokenKind::postfixQuestionMark: case TokenKind::exclamationMark: case TokenKind::arrow:
      case TokenKind::atSign: case TokenKind::integerLiteral:
        continue;
      case TokenKind::leftParen: case TokenKind::leftSquare:
        if (t.match == TokenId::invalid) return false;
        index = t.match;
        continue;
      case TokenKind::binaryOperator: case TokenKind::prefixOperator: case TokenKind::postfixOperator: {
        std::string_view text = tree_.text(TokenId{index});
        if (text == "<") {
          ++depth;
          continue;
        }
        if (text[0] == '>') {
          for (char c : text)
            if (c == '>' && --depth == 0) return true;
          continue;
        }
        if (text == "&" || text == "~" || text == "-" || text == "?" || text == "!" || text == "...") continue;
        return false;
      }
      default:
        return false;
    }
  }
  return false;
}

NodeId Parser::tryGenericArgumentsInExpr(NodeId base) {
  SyntaxKind k = tree_.kind(base);
  if ((k != SyntaxKind::declReferenceExpr && k != SyntaxKind::memberAccessExpr) || !genericClauseMayClose()) return {};
  State state = save();
  NodeId clause = parseGenericArgumentClause();
  bool ok = errors_ == state.errors;
  if (ok && !atLineStart() && !atEnd()) {
    switch (kind()) {
      case TokenKind::leftParen: case TokenKind::period: case TokenKind::rightParen: case TokenKind::rightSquare:
      case TokenKind::comma: case TokenKind::colon: case TokenKind::semicolon: case TokenKind::leftBrace:
      case TokenKind::rightBrace: case TokenKind::postfixQuestionMark: case TokenKind::exclamationMark:
        break;
      case TokenKind::binaryOperator:
        ok = atText("==") || atText("!=");
        break;
      default:
        ok = false;
    }
  }
  if (!ok) {
    restore(state);
    return {};
  }
  Layout node(*this, SyntaxKind::genericSpecializationExpr);
  node.set(GenericSpecializationExpr::expression, base);
  node.set(GenericSpecializationExpr::genericArgumentClause, clause);
  return node.finish();
}

bool Parser::atCompoundNameArguments() const {
  if (!at(TokenKind::leftParen) || tok().leadStart != tok().textStart) return false;
  std::uint32_t index = nextIndex(pos_);
  int pieces = 0;
  while (true) {
    const Token& t = tokAt(index);
    bool name = t.kind == TokenKind::identifier || t.kind == TokenKind::keyword;
    if (!name || tokAt(nextIndex(index)).kind != TokenKind::colon) break;
    index = nextIndex(nextIndex(index));
    ++pieces;
  }
  return pieces > 0 && tokAt(index).kind == TokenKind::rightParen;
}

NodeId Parser::parseDeclReference(bool allowCompound) {
  Layout ref(*this, SyntaxKind::declReferenceExpr);
  ref.set(DeclReferenceExpr::baseName, consume());
  if (allowCompound && atCompoundNameArguments()) {
    Layout arguments(*this, SyntaxKind::declNameArguments);
    arguments.set(DeclNameArguments::leftParen, consume());
    auto base = static_cast<std::uint32_t>(scratch_.size());
    while (!at(TokenKind::rightParen)) {
      Layout argument(*this, SyntaxKind::declNameArgument);
      argument.set(DeclNameArgument::name, consume());
      argument.set(DeclNameArgument::colon, consume());
      scratch_.push_back(Slot::of(argument.finish()));
    }
    arguments.set(DeclNameArguments::arguments, finishList(SyntaxKind::declNameArgumentList, base));
    arguments.set(DeclNameArguments::rightParen, consume());
    ref.set(DeclReferenceExpr::argumentNames, arguments.finish());
  }
  return ref.finish();
}

NodeId Parser::parseTypeExpr() {
  NodeId type = parseType();
  Slot s[] = {Slot::of(type)};
  return tree_.addNode(SyntaxKind::typeExpr, s, false);
}

NodeId Parser::parsePrimaryExpr() {
  switch (kind()) {
    case TokenKind::identifier:
      // "any P" names an existential type: "(any Error).self", "[any P]()".
      if (tok().keyword == Keyword::kwAny2) {
        const Token& next = peek();
        if (!(next.flags & Token::lineStartFlag) &&
            (next.kind == TokenKind::identifier ||
             (next.kind == TokenKind::keyword && (next.keyword == Keyword::kwAny || next.keyword == Keyword::kwSelfType))))
          return parseTypeExpr();
      }
      return parseDeclReference(true);
    case TokenKind::dollarIdentifier:
      return parseDeclReference(true);
    // An attributed type: "(@convention(c) (Int) -> Void).self".
    case TokenKind::atSign: return parseTypeExpr();
    case TokenKind::integerLiteral: return makeToken1(SyntaxKind::integerLiteralExpr, consume());
    case TokenKind::floatLiteral: return makeToken1(SyntaxKind::floatLiteralExpr, consume());
    case TokenKind::regexLiteral: return makeToken1(SyntaxKind::regexLiteralExpr, consume());
    case TokenKind::editorPlaceholder: return makeToken1(SyntaxKind::editorPlaceholderExpr, consume());
    case TokenKind::stringQuote: case TokenKind::multilineStringQuote: case TokenKind::rawStringPoundDelimiter:
      return parseStringLiteral();
    case TokenKind::period: {
      Layout member(*this, SyntaxKind::memberAccessExpr);
      member.set(MemberAccessExpr::period, consume());
      if (atNameLike()) member.set(MemberAccessExpr::declName, parseDeclReference(true));
      else member.set(MemberAccessExpr::declName, makeToken1(SyntaxKind::declReferenceExpr, missing(TokenKind::identifier)));
      return member.finish();
    }
    case TokenKind::leftParen: return parseTupleExpr();
    case TokenKind::leftSquare: return parseCollectionExpr();
    case TokenKind::leftBrace: return parseClosureExpr();
    case TokenKind::backslash: return parseKeyPathExpr();
    case TokenKind::pound: return parseMacroExpansion(SyntaxKind::macroExpansionExpr, {}, {});
    case TokenKind::binaryOperator: case TokenKind::postfixOperator: case TokenKind::prefixOperator:
      if (atOperatorReference()) return makeToken1(SyntaxKind::declReferenceExpr, consume());
      return missingExpr();
    case TokenKind::keyword:
      switch (tok().keyword) {
        case Keyword::kwSelf: case Keyword::kwSelfType: case Keyword::kwInit: case Keyword::kwAny:
          return parseDeclReference(true);
        case Keyword::kwSuper: return makeToken1(SyntaxKind::superExpr, consume());
        case Keyword::kwTrue: case Keyword::kwFalse: return makeToken1(SyntaxKind::booleanLiteralExpr, consume());
        case Keyword::kwNil: return makeToken1(SyntaxKind::nilLiteralExpr, consume());
        case Keyword::kwWildcard: return makeToken1(SyntaxKind::discardAssignmentExpr, consume());
        case Keyword::kwIf: return parseIfExpr();
        case Keyword::kwSwitch: return parseSwitchExpr();
        case Keyword::kwLet: case Keyword::kwVar:
          if (patternMode_) {
            Layout binding(*this, SyntaxKind::valueBindingPattern);
            binding.set(ValueBindingPattern::bindingSpecifier, consume());
            binding.set(ValueBindingPattern::pattern, parseBindingPattern());
            Slot s[] = {Slot::of(binding.finish())};
            return tree_.addNode(SyntaxKind::patternExpr, s, false);
          }
          return missingExpr();
        default:
          return missingExpr();
      }
    default:
      return missingExpr();
  }
}

NodeId Parser::parseLabeledExprList(TokenKind closer) {
  return parseCommaList(SyntaxKind::labeledExprList, closer, [this, closer] {
    Layout element(*this, SyntaxKind::labeledExpr);
    if (!atElementStart() && !(atNameLike() && peek().kind == TokenKind::colon)) {
      if (at(TokenKind::comma)) {
        element.set(LabeledExpr::expression, missingExpr());
        element.set(LabeledExpr::trailingComma, consume());
        return element.finish();
      }
      return NodeId{};
    }
    if (atNameLike() && peek().kind == TokenKind::colon && tok().keyword != Keyword::kwWildcard) {
      element.set(LabeledExpr::label, consume());
      element.set(LabeledExpr::colon, consume());
    } else if (at(TokenKind::keyword) && tok().keyword == Keyword::kwWildcard && peek().kind == TokenKind::colon) {
      element.set(LabeledExpr::label, consume());
      element.set(LabeledExpr::colon, consume());
    }
    bool empty = at(closer) || at(TokenKind::comma);
    element.set(LabeledExpr::expression, empty ? missingExpr() : parseExpr());
    if (at(TokenKind::comma)) element.set(LabeledExpr::trailingComma, consume());
    return element.finish();
  });
}

NodeId Parser::parseTupleExpr() {
  DepthGuard guard(depth_);
  Layout tuple(*this, SyntaxKind::tupleExpr);
  bool saved = noTrailingClosure_;
  noTrailingClosure_ = false;
  TokenId open = consume();
  tuple.set(TupleExpr::leftParen, open);
  tuple.set(TupleExpr::elements, parseLabeledExprList(TokenKind::rightParen));
  tuple.unexpected(skipToMatch(open));
  tuple.set(TupleExpr::rightParen, expect(TokenKind::rightParen));
  noTrailingClosure_ = saved;
  return tuple.finish();
}

NodeId Parser::parseCollectionExpr() {
  DepthGuard guard(depth_);
  bool saved = noTrailingClosure_;
  noTrailingClosure_ = false;
  TokenId left = consume();
  NodeId result;
  if (at(TokenKind::colon) && peek().kind == TokenKind::rightSquare) {
    Layout dictionary(*this, SyntaxKind::dictionaryExpr);
    dictionary.set(DictionaryExpr::leftSquare, left);
    dictionary.set(DictionaryExpr::content, consume());
    dictionary.set(DictionaryExpr::rightSquare, consume());
    result = dictionary.finish();
  } else {
    // The first element decides between array and dictionary; it is parsed once.
    NodeId first = at(TokenKind::rightSquare) || !atElementStart() ? NodeId{} : parseExpr();
    if (first && at(TokenKind::colon)) {
      Layout element(*this, SyntaxKind::dictionaryElement);
      element.set(DictionaryElement::key, first);
      element.set(DictionaryElement::colon, consume());
      element.set(DictionaryElement::value, parseExpr());
      if (at(TokenKind::comma)) element.set(DictionaryElement::trailingComma, consume());
      NodeId firstElement = element.finish();
      NodeId elements = parseCommaList(SyntaxKind::dictionaryElementList, TokenKind::rightSquare, [this] {
        Layout element(*this, SyntaxKind::dictionaryElement);
        if (!atElementStart()) return NodeId{};
        element.set(DictionaryElement::key, parseExpr());
        element.set(DictionaryElement::colon, expect(TokenKind::colon));
        element.set(DictionaryElement::value, parseExpr());
        if (at(TokenKind::comma)) element.set(DictionaryElement::trailingComma, consume());
        return element.finish();
      }, firstElement);
      Layout dictionary(*this, SyntaxKind::dictionaryExpr);
      dictionary.set(DictionaryExpr::leftSquare, left);
      dictionary.set(DictionaryExpr::content, elements);
      dictionary.unexpected(skipToMatch(left));
      dictionary.set(DictionaryExpr::rightSquare, expect(TokenKind::rightSquare));
      result = dictionary.finish();
    } else {
      NodeId firstElement;
      if (first) {
        Layout element(*this, SyntaxKind::arrayElement);
        element.set(ArrayElement::expression, first);
        if (at(TokenKind::comma)) element.set(ArrayElement::trailingComma, consume());
        firstElement = element.finish();
      }
      NodeId elements = parseCommaList(SyntaxKind::arrayElementList, TokenKind::rightSquare, [this] {
        Layout element(*this, SyntaxKind::arrayElement);
        if (!atElementStart()) return NodeId{};
        element.set(ArrayElement::expression, parseExpr());
        if (at(TokenKind::comma)) element.set(ArrayElement::trailingComma, consume());
        return element.finish();
      }, firstElement);
      Layout array(*this, SyntaxKind::arrayExpr);
      array.set(ArrayExpr::leftSquare, left);
      array.set(ArrayExpr::elements, elements);
      array.unexpected(skipToMatch(left));
      array.set(ArrayExpr::rightSquare, expect(TokenKind::rightSquare));
      result = array.finish();
    }
  }
  noTrailingClosure_ = saved;
  return result;
}

bool Parser::closureHasSignature() const {
  std::uint32_t index = skipAttributesFrom(nextIndex(pos_));
  auto skipBracket = [this](std::uint32_t i) {
    const Token& t = tokAt(i);
    return t.match != TokenId::invalid ? nextIndex(t.match) : nextIndex(i);
  };
  if (tokAt(index).kind == TokenKind::leftSquare) {
    if (tokAt(index).match == TokenId::invalid) return false;
    index = skipBracket(index);
  }
  if (tokAt(index).kind == TokenKind::leftParen) {
    if (tokAt(index).match == TokenId::invalid) return false;
    index = skipBracket(index);
  } else {
    while (tokAt(index).kind == TokenKind::identifier || tokAt(index).kind == TokenKind::dollarIdentifier ||
           (tokAt(index).kind == TokenKind::keyword && tokAt(index).keyword == Keyword::kwWildcard)) {
      index = nextIndex(index);
      if (tokAt(index).kind != TokenKind::comma) break;
      index = nextIndex(index);
    }
  }
  // Effects and a result type may stand before "in".
  for (int guard = 0; guard < 64; ++guard) {
    const Token& t = tokAt(index);
    if (t.kind == TokenKind::keyword && t.keyword == Keyword::kwIn) return true;
    switch (t.kind) {
      case TokenKind::period:
        // A member name, even "in" ("x.in(y)"), is no signature's end.
        index = nextIndex(nextIndex(index));
        continue;
      case TokenKind::identifier: case TokenKind::arrow: case TokenKind::comma:
      case TokenKind::postfixQuestionMark: case TokenKind::exclamationMark: case TokenKind::binaryOperator:
      case TokenKind::prefixOperator: case TokenKind::postfixOperator: case TokenKind::atSign: case TokenKind::colon:
        // Operators: the angle brackets of a result type ("-> A<B> in").
        index = nextIndex(index);
        continue;
      case TokenKind::keyword:
        if (t.keyword == Keyword::kwThrows || t.keyword == Keyword::kwRethrows || t.keyword == Keyword::kwAny ||
            t.keyword == Keyword::kwSelfType) {
          index = nextIndex(index);
          continue;
        }
        return false;
      case TokenKind::leftParen: case TokenKind::leftSquare:
        if (t.match == TokenId::invalid) return false;
        index = skipBracket(index);
        continue;
      default:
        return false;
    }
  }
  return false;
}

NodeId Parser::parseClosureSignature() {
  Layout signature(*this, SyntaxKind::closureSignature);
  if (at(TokenKind::atSign)) signature.set(ClosureSignature::attributes, parseAttributeList());
  if (at(TokenKind::leftSquare)) {
    Layout capture(*this, SyntaxKind::closureCaptureClause);
    capture.set(ClosureCaptureClause::leftSquare, consume());
    capture.set(ClosureCaptureClause::items, parseCommaList(SyntaxKind::closureCaptureList, TokenKind::rightSquare, [this] {
      Layout item(*this, SyntaxKind::closureCapture);
      if (!atNameLike()) return NodeId{};
      if ((atKw(Keyword::kwWeak) || atKw(Keyword::kwUnowned)) &&
          (peek().kind == TokenKind::identifier || peek().kind == TokenKind::keyword || peek().kind == TokenKind::leftParen)) {
        Layout specifier(*this, SyntaxKind::closureCaptureSpecifier);
        specifier.set(ClosureCaptureSpecifier::specifier, consume());
        if (at(TokenKind::leftParen)) {
          specifier.set(ClosureCaptureSpecifier::leftParen, consume());
          specifier.set(ClosureCaptureSpecifier::detail, expectIdentifier());
          specifier.set(ClosureCaptureSpecifier::rightParen, expect(TokenKind::rightParen));
        }
        item.set(ClosureCapture::specifier, specifier.finish());
      }
      item.set(ClosureCapture::name, atNameLike() ? consume() : missing(TokenKind::identifier));
      if (at(TokenKind::equal)) item.set(ClosureCapture::initializer, parseInitializerClause());
      if (at(TokenKind::comma)) item.set(ClosureCapture::trailingComma, consume());
      return item.finish();
    }));
    capture.set(ClosureCaptureClause::rightSquare, expect(TokenKind::rightSquare));
    signature.set(ClosureSignature::capture, capture.finish());
  }
  if (at(TokenKind::leftParen)) {
    Layout clause(*this, SyntaxKind::closureParameterClause);
    clause.set(ClosureParameterClause::leftParen, consume());
    clause.set(ClosureParameterClause::parameters, parseCommaList(SyntaxKind::closureParameterList, TokenKind::rightParen, [this] {
      Layout parameter(*this, SyntaxKind::closureParameter);
      if (at(TokenKind::atSign)) parameter.set(ClosureParameter::attributes, parseAttributeList());
      if (!atNameLike()) return parameter.finish();
      parameter.set(ClosureParameter::firstName, consume());
      if (atNameLike()) parameter.set(ClosureParameter::secondName, consume());
      if (at(TokenKind::colon)) {
        parameter.set(ClosureParameter::colon, consume());
        parameter.set(ClosureParameter::type, parseType());
        if ((at(TokenKind::binaryOperator) || at(TokenKind::postfixOperator)) && atText("..."))
          parameter.set(ClosureParameter::ellipsis, consume());
      }
      if (at(TokenKind::comma)) parameter.set(ClosureParameter::trailingComma, consume());
      return parameter.finish();
    }));
    clause.set(ClosureParameterClause::rightParen, expect(TokenKind::rightParen));
    signature.set(ClosureSignature::parameterClause, clause.finish());
  } else if (at(TokenKind::identifier) || at(TokenKind::dollarIdentifier) || atKw(Keyword::kwWildcard)) {
    auto base = static_cast<std::uint32_t>(scratch_.size());
    while (at(TokenKind::identifier) || at(TokenKind::dollarIdentifier) || atKw(Keyword::kwWildcard)) {
      Layout parameter(*this, SyntaxKind::closureShorthandParameter);
      parameter.set(ClosureShorthandParameter::name, consume());
      bool comma = at(TokenKind::comma);
      if (comma) parameter.set(ClosureShorthandParameter::trailingComma, consume());
      scratch_.push_back(Slot::of(parameter.finish()));
      if (!comma) break;
    }
    signature.set(ClosureSignature::parameterClause, finishList(SyntaxKind::closureShorthandParameterList, base));
  }
  if (atKw(Keyword::kwAsync) || atKw(Keyword::kwThrows) || atKw(Keyword::kwRethrows))
    signature.set(ClosureSignature::effectSpecifiers, parseEffectSpecifiers(SyntaxKind::typeEffectSpecifiers));
  if (at(TokenKind::arrow)) signature.set(ClosureSignature::returnClause, parseReturnClause());
  signature.unexpected(skipUntil([this] { return atKw(Keyword::kwIn); }));
  signature.set(ClosureSignature::inKeyword, expectKw(Keyword::kwIn));
  return signature.finish();
}

NodeId Parser::parseClosureExpr() {
  DepthGuard guard(depth_);
  Layout closure(*this, SyntaxKind::closureExpr);
  bool savedNo = noTrailingClosure_;
  bool savedPattern = patternMode_;
  noTrailingClosure_ = false;
  patternMode_ = false;
  bool signature = depth_ <= maxDepth && closureHasSignature();
  closure.set(ClosureExpr::leftBrace, consume());
  if (depth_ > maxDepth) {
    closure.unexpected(skipUntil([] { return false; }));
    closure.set(ClosureExpr::statements, finishList(SyntaxKind::codeBlockItemList, static_cast<std::uint32_t>(scratch_.size())));
  } else {
    if (signature) closure.set(ClosureExpr::signature, parseClosureSignature());
    closure.set(ClosureExpr::statements, parseCodeBlockItemList(ItemContext::code));
  }
  closure.set(ClosureExpr::rightBrace, expect(TokenKind::rightBrace));
  noTrailingClosure_ = savedNo;
  patternMode_ = savedPattern;
  return closure.finish();
}

NodeId Parser::parseStringLiteral() {
  Layout literal(*this, SyntaxKind::stringLiteralExpr);
  bool raw = at(TokenKind::rawStringPoundDelimiter);
  if (raw) literal.set(StringLiteralExpr::openingPounds, consume());
  bool multiline = at(TokenKind::multilineStringQuote);
  TokenKind quote = multiline ? TokenKind::multilineStringQuote : TokenKind::stringQuote;
  literal.set(StringLiteralExpr::openingQuote, expect(quote));
  auto base = static_cast<std::uint32_t>(scratch_.size());
  bool savedNo = noTrailingClosure_;
  bool savedPattern = patternMode_;
  noTrailingClosure_ = false;
  patternMode_ = false;
  // Inside a literal no trivia separates pieces; a token with trivia in
  // front belongs to the code after an unterminated literal.
  auto adjacent = [this, multiline] { return multiline || tok().leadStart == tok().textStart; };
  while (adjacent()) {
    if (at(TokenKind::stringSegment)) {
      scratch_.push_back(Slot::of(makeToken1(SyntaxKind::stringSegment, consume())));
    } else if (at(TokenKind::backslash) && (peekIs(1, TokenKind::leftParen) || peekIs(1, TokenKind::rawStringPoundDelimiter))) {
      DepthGuard guard(depth_);
      Layout segment(*this, SyntaxKind::expressionSegment);
      segment.set(ExpressionSegment::backslash, consume());
      if (at(TokenKind::rawStringPoundDelimiter)) segment.set(ExpressionSegment::pounds, consume());
      segment.set(ExpressionSegment::leftParen, expect(TokenKind::leftParen));
      if (depth_ > maxDepth) segment.unexpected(skipUntil([] { return false; }));
      else segment.set(ExpressionSegment::expressions, parseLabeledExprList(TokenKind::rightParen));
      segment.unexpected(skipUntil([this] { return atLineStart(); }));
      segment.set(ExpressionSegment::rightParen, (!atLineStart() || multiline) ? expect(TokenKind::rightParen) : missing(TokenKind::rightParen));
      scratch_.push_back(Slot::of(segment.finish()));
    } else {
      break;
    }
  }
  noTrailingClosure_ = savedNo;
  patternMode_ = savedPattern;
  literal.set(StringLiteralExpr::segments, finishList(SyntaxKind::stringLiteralSegmentList, base));
  literal.set(StringLiteralExpr::closingQuote, at(quote) && adjacent() ? consume() : missing(quote));
  if (raw) {
    bool closes = at(TokenKind::rawStringPoundDelimiter) && tok().leadStart == tok().textStart;
    literal.set(StringLiteralExpr::closingPounds, closes ? consume() : missing(TokenKind::rawStringPoundDelimiter));
  }
  return literal.finish();
}

NodeId Parser::parseKeyPathExpr() {
  Layout keyPath(*this, SyntaxKind::keyPathExpr);
  keyPath.set(KeyPathExpr::backslash, consume());
  // The root is a type written before the first period.
  if ((at(TokenKind::identifier) || atKw(Keyword::kwSelfType)) && glued(pos_)) {
    Layout root(*this, SyntaxKind::identifierType);
    root.set(IdentifierType::name, consume());
    if (atLeftAngle() && glued(pos_))
      root.set(IdentifierType::genericArgumentClause, parseGenericArgumentClause());
    keyPath.set(KeyPathExpr::root, root.finish());
  }
  auto base = static_cast<std::uint32_t>(scratch_.size());
  while (true) {
    bool adjacent = glued(pos_);
    if (at(TokenKind::period) && adjacent) {
      Layout component(*this, SyntaxKind::keyPathComponent);
      component.set(KeyPathComponent::period, consume());
      if (at(TokenKind::leftSquare)) {
        Layout subscript(*this, SyntaxKind::keyPathSubscriptComponent);
        subscript.set(KeyPathSubscriptComponent::leftSquare, consume());
        subscript.set(KeyPathSubscriptComponent::arguments, parseLabeledExprList(TokenKind::rightSquare));
        subscript.set(KeyPathSubscriptComponent::rightSquare, expect(TokenKind::rightSquare));
        component.set(KeyPathComponent::component, subscript.finish());
      } else {
        NodeId name = atNameLike() || at(TokenKind::integerLiteral) ? makeToken1(SyntaxKind::declReferenceExpr, consume())
                                                                   : makeToken1(SyntaxKind::declReferenceExpr, missing(TokenKind::identifier));
        if (at(TokenKind::leftParen) && glued(pos_)) {
          Layout method(*this, SyntaxKind::keyPathMethodComponent);
          method.set(KeyPathMethodComponent::declName, name);
          method.set(KeyPathMethodComponent::leftParen, consume());
          method.set(KeyPathMethodComponent::arguments, parseLabeledExprList(TokenKind::rightParen));
          method.set(KeyPathMethodComponent::rightParen, expect(TokenKind::rightParen));
          component.set(KeyPathComponent::component, method.finish());
        } else {
          Layout property(*this, SyntaxKind::keyPathPropertyComponent);
          property.set(KeyPathPropertyComponent::declName, name);
          component.set(KeyPathComponent::component, property.finish());
        }
      }
      scratch_.push_back(Slot::of(component.finish()));
    } else if ((at(TokenKind::postfixQuestionMark) || at(TokenKind::exclamationMark)) && adjacent) {
      Layout component(*this, SyntaxKind::keyPathComponent);
      component.set(KeyPathComponent::component, makeToken1(SyntaxKind::keyPathOptionalComponent, consume()));
      scratch_.push_back(Slot::of(component.finish()));
    } else if (at(TokenKind::leftSquare) && adjacent) {
      Layout component(*this, SyntaxKind::keyPathComponent);
      Layout subscript(*this, SyntaxKind::keyPathSubscriptComponent);
      subscript.set(KeyPathSubscriptComponent::leftSquare, consume());
      subscript.set(KeyPathSubscriptComponent::arguments, parseLabeledExprList(TokenKind::rightSquare));
      subscript.set(KeyPathSubscriptComponent::rightSquare, expect(TokenKind::rightSquare));
      component.set(KeyPathComponent::component, subscript.finish());
      scratch_.push_back(Slot::of(component.finish()));
    } else {
      break;
    }
  }
  keyPath.set(KeyPathExpr::components, finishList(SyntaxKind::keyPathComponentList, base));
  return keyPath.finish();
}

}  // namespace tovrane::swift
