// Types, generic arguments, attributes and patterns.
#include "core/swift/SwiftParser.hpp"

namespace tovrane::swift {

NodeId Parser::missingType() {
  Layout type(*this, SyntaxKind::missingType);
  type.set(MissingType::placeholder, missing(TokenKind::identifier));
  return type.finish();
}

bool Parser::atTypeSpecifier() const {
  if (atKw(Keyword::kwInout)) return true;
  if (!at(TokenKind::identifier)) return false;
  switch (tok().keyword) {
    case Keyword::kwBorrowing: case Keyword::kwConsuming: case Keyword::kwSending: case Keyword::kwUnderscoreOwned:
    case Keyword::kwUnderscoreShared: case Keyword::kwIsolated: case Keyword::kwUnderscoreConst: {
      // "sending T" but not a type named like the specifier.
      TokenKind next = peek().kind;
      return next == TokenKind::identifier || next == TokenKind::keyword || next == TokenKind::leftParen ||
             next == TokenKind::leftSquare || next == TokenKind::atSign;
    }
    default:
      return false;
  }
}

NodeId Parser::parseType() {
  DepthGuard guard(depth_);
  if (depth_ > maxDepth) {
    Layout type(*this, SyntaxKind::missingType);
    auto base = static_cast<std::uint32_t>(scratch_.size());
    if (!atEnd() && !atClosingBracket()) {
      if (tok().match != TokenId::invalid) addTokenRun(tok().match);
      else scratch_.push_back(Slot::of(consume()));
    }
    type.unexpected(unexpectedNode(base));
    type.set(MissingType::placeholder, missing(TokenKind::identifier));
    return type.finish();
  }
  if (atTypeSpecifier() || at(TokenKind::atSign)) {
    auto base = static_cast<std::uint32_t>(scratch_.size());
    while (atTypeSpecifier()) scratch_.push_back(Slot::of(makeToken1(SyntaxKind::simpleTypeSpecifier, consume())));
    NodeId specifiers = finishList(SyntaxKind::typeSpecifierList, base);
    NodeId attributes = at(TokenKind::atSign) ? parseAttributeList() : NodeId{};
    NodeId baseType = parseType();
    Layout type(*this, SyntaxKind::attributedType);
    type.set(AttributedType::specifiers, specifiers);
    type.set(AttributedType::attributes, attributes);
    type.set(AttributedType::baseType, baseType);
    return type.finish();
  }
  if ((atKw(Keyword::kwSome) || atKw(Keyword::kwAny2)) && at(TokenKind::identifier)) {
    TokenKind next = peek().kind;
    if ((next == TokenKind::identifier || next == TokenKind::keyword || next == TokenKind::leftParen ||
         next == TokenKind::leftSquare || next == TokenKind::prefixOperator) && !(peek().flags & Token::lineStartFlag)) {
      Layout type(*this, SyntaxKind::someOrAnyType);
      type.set(SomeOrAnyType::someOrAnySpecifier, consume());
      type.set(SomeOrAnyType::constraint, parseType());
      return type.finish();
    }
  }
  NodeId first = parseNonCompositionType();
  if (!(at(TokenKind::binaryOperator) && atText("&"))) return first;
  auto base = static_cast<std::uint32_t>(scratch_.size());
  NodeId element = first;
  while (true) {
    Layout item(*this, SyntaxKind::compositionTypeElement);
    item.set(CompositionTypeElement::type, element);
    bool more = at(TokenKind::binaryOperator) && atText("&");
    if (more) item.set(CompositionTypeElement::ampersand, consume());
    scratch_.push_back(Slot::of(item.finish()));
    if (!more) break;
    element = parseNonCompositionType();
  }
  NodeId elements = finishList(SyntaxKind::compositionTypeElementList, base);
  Slot s[] = {Slot::of(elements)};
  return tree_.addNode(SyntaxKind::compositionType, s, false);
}

NodeId Parser::parseNonCompositionType() {
  DepthGuard guard(depth_);
  if (depth_ > maxDepth) return parseType();
  if (at(TokenKind::prefixOperator) && atText("~")) {
    TokenId token = consume();
    return makeToken2(SyntaxKind::suppressedType, token, parseNonCompositionType());
  }
  // "repeat" is reserved, so it always expands a pack ("repeat (each T).Type");
  // "each" is a contextual word.
  if (atKw(Keyword::kwRepeat) || (atKw(Keyword::kwEach) && peek().kind == TokenKind::identifier)) {
    SyntaxKind k = atKw(Keyword::kwEach) ? SyntaxKind::packElementType : SyntaxKind::packExpansionType;
    TokenId token = consume();
    return makeToken2(k, token, parseNonCompositionType());
  }
  return parseTypeSuffixes(parseSimpleType());
}

NodeId Parser::parseSimpleType() {
  switch (kind()) {
    case TokenKind::identifier: case TokenKind::keyword: {
      Keyword k = tok().keyword;
      if (at(TokenKind::keyword) && k != Keyword::kwAny && k != Keyword::kwSelfType && k != Keyword::kwWildcard &&
          k != Keyword::kwSelf) {
        if (k == Keyword::kwClass) return makeToken1(SyntaxKind::classRestrictionType, consume());
        return missingType();
      }
      Layout type(*this, SyntaxKind::identifierType);
      type.set(IdentifierType::name, consume());
      if (atLeftAngle())
        type.set(IdentifierType::genericArgumentClause, parseGenericArgumentClause());
      return type.finish();
    }
    case TokenKind::leftParen: return parseTupleOrFunctionType();
    case TokenKind::leftSquare: return parseCollectionType();
    default: return missingType();
  }
}

NodeId Parser::parseTypeSuffixes(NodeId base) {
  while (true) {
    if (at(TokenKind::period) && (peek().kind == TokenKind::identifier || peek().kind == TokenKind::keyword)) {
      Keyword k = peek().keyword;
      if (k == Keyword::kwTypeMeta || k == Keyword::kwProtocolMeta) {
        Layout type(*this, SyntaxKind::metatypeType);
        type.set(MetatypeType::baseType, base);
        type.set(MetatypeType::period, consume());
        type.set(MetatypeType::metatypeSpecifier, consume());
        base = type.finish();
        continue;
      }
      Layout type(*this, SyntaxKind::memberType);
      type.set(MemberType::baseType, base);
      type.set(MemberType::period, consume());
      type.set(MemberType::name, consume());
      if (atLeftAngle() && glued(pos_))
        type.set(MemberType::genericArgumentClause, parseGenericArgumentClause());
      base = type.finish();
      continue;
    }
    // "?>" and "!>" are left when ">?>" closed the inner of two generic clauses.
    if (at(TokenKind::binaryOperator)) {
      std::string_view text = tree_.text(TokenId{pos_});
      if (text.size() > 1 && (text[0] == '?' || text[0] == '!') && text[1] == '>')
        splitToken(1, text[0] == '?' ? TokenKind::postfixQuestionMark : TokenKind::exclamationMark);
    }
    if (at(TokenKind::postfixQuestionMark)) {
      Layout type(*this, SyntaxKind::optionalType);
      type.set(OptionalType::wrappedType, base);
      type.set(OptionalType::questionMark, consume());
      base = type.finish();
      continue;
    }
    if (at(TokenKind::exclamationMark)) {
      Layout type(*this, SyntaxKind::implicitlyUnwrappedOptionalType);
      type.set(ImplicitlyUnwrappedOptionalType::wrappedType, base);
      type.set(ImplicitlyUnwrappedOptionalType::exclamationMark, consume());
      base = type.finish();
      continue;
    }
    return base;
  }
}

NodeId Parser::parseTupleOrFunctionType() {
  TokenId left = consume();
  bool saved = noTrailingClosure_;
  noTrailingClosure_ = false;
  NodeId elements = parseCommaList(SyntaxKind::tupleTypeElementList, TokenKind::rightParen, [this] {
    Layout element(*this, SyntaxKind::tupleTypeElement);
    std::uint32_t before = pos_;
    if (atNameLike() && peek().kind == TokenKind::colon) {
      element.set(TupleTypeElement::firstName, consume());
      element.set(TupleTypeElement::colon, consume());
    } else if (atNameLike() && (peek().kind == TokenKind::identifier || peek().kind == TokenKind::keyword) &&
               peek(2).kind == TokenKind::colon) {
      element.set(TupleTypeElement::firstName, consume());
      element.set(TupleTypeElement::secondName, consume());
      element.set(TupleTypeElement::colon, consume());
    }
    NodeId type = parseType();
    // Only an element that consumed nothing may be dropped.
    if (pos_ == before) return NodeId{};
    element.set(TupleTypeElement::type, type);
    if ((at(TokenKind::binaryOperator) || at(TokenKind::postfixOperator)) && atText("..."))
      element.set(TupleTypeElement::ellipsis, consume());
    if (at(TokenKind::comma)) element.set(TupleTypeElement::trailingComma, consume());
    return element.finish();
  });
  noTrailingClosure_ = saved;
  TokenId right = expect(TokenKind::rightParen);
  bool function = at(TokenKind::arrow) || atKw(Keyword::kwAsync) || atKw(Keyword::kwThrows) || atKw(Keyword::kwRethrows);
  if (!function) {
    Layout type(*this, SyntaxKind::tupleType);
    type.set(TupleType::leftParen, left);
    type.set(TupleType::elements, elements);
    type.set(TupleType::rightParen, right);
    return type.finish();
  }
  NodeId effects;
  if (!at(TokenKind::arrow)) effects = parseEffectSpecifiers(SyntaxKind::typeEffectSpecifiers);
  NodeId result = parseReturnClause();
  Layout type(*this, SyntaxKind::functionType);
  type.set(FunctionType::leftParen, left);
  type.set(FunctionType::parameters, elements);
  type.set(FunctionType::rightParen, right);
  type.set(FunctionType::effectSpecifiers, effects);
  type.set(FunctionType::returnClause, result);
  return type.finish();
}

NodeId Parser::parseCollectionType() {
  DepthGuard guard(depth_);
  TokenId left = consume();
  if (at(TokenKind::integerLiteral) && peek().keyword == Keyword::kwOf) {
    NodeId count = makeToken1(SyntaxKind::integerLiteralExpr, consume());
    TokenId separator = consume();
    NodeId element = parseType();
    Layout type(*this, SyntaxKind::inlineArrayType);
    type.set(InlineArrayType::leftSquare, left);
    type.set(InlineArrayType::count, count);
    type.set(InlineArrayType::separator, separator);
    type.set(InlineArrayType::element, element);
    type.set(InlineArrayType::rightSquare, expect(TokenKind::rightSquare));
    return type.finish();
  }
  NodeId first = parseType();
  if (at(TokenKind::colon)) {
    TokenId colon = consume();
    NodeId value = parseType();
    Layout type(*this, SyntaxKind::dictionaryType);
    type.set(DictionaryType::leftSquare, left);
    type.set(DictionaryType::key, first);
    type.set(DictionaryType::colon, colon);
    type.set(DictionaryType::value, value);
    type.set(DictionaryType::rightSquare, expect(TokenKind::rightSquare));
    return type.finish();
  }
  Layout type(*this, SyntaxKind::arrayType);
  type.set(ArrayType::leftSquare, left);
  type.set(ArrayType::element, first);
  type.set(ArrayType::rightSquare, expect(TokenKind::rightSquare));
  return type.finish();
}

NodeId Parser::parseGenericArgumentClause() {
  DepthGuard guard(depth_);
  Layout clause(*this, SyntaxKind::genericArgumentClause);
  clause.set(GenericArgumentClause::leftAngle, consumeLeftAngle());
  auto base = static_cast<std::uint32_t>(scratch_.size());
  while (!atRightAngle() && !atEnd() && depth_ <= maxDepth) {
    std::uint32_t before = pos_;
    Layout argument(*this, SyntaxKind::genericArgument);
    if (at(TokenKind::integerLiteral)) argument.set(GenericArgument::argument, makeToken1(SyntaxKind::integerLiteralExpr, consume()));
    else if (at(TokenKind::prefixOperator) && atText("-") && peek().kind == TokenKind::integerLiteral)
      {
      TokenId minus = consume();
      argument.set(GenericArgument::argument, makeToken2(SyntaxKind::prefixOperatorExpr, minus, makeToken1(SyntaxKind::integerLiteralExpr, consume())));
    }
    else argument.set(GenericArgument::argument, parseType());
    bool comma = at(TokenKind::comma);
    if (comma) argument.set(GenericArgument::trailingComma, consume());
    scratch_.push_back(Slot::of(argument.finish()));
    if (!comma || pos_ == before) break;
  }
  clause.set(GenericArgumentClause::arguments, finishList(SyntaxKind::genericArgumentList, base));
  clause.set(GenericArgumentClause::rightAngle, expectRightAngle());
  return clause.finish();
}

NodeId Parser::parseAttributeList() {
  auto base = static_cast<std::uint32_t>(scratch_.size());
  while (true) {
    if (at(TokenKind::atSign)) scratch_.push_back(Slot::of(parseAttribute()));
    else if (at(TokenKind::poundIf) && atIfConfigOfAttributes())
      scratch_.push_back(Slot::of(parseIfConfigDecl(ClauseContent::attributes)));
    else break;
  }
  return finishList(SyntaxKind::attributeList, base);
}

NodeId Parser::parseAttribute() {
  Layout attribute(*this, SyntaxKind::attribute);
  attribute.set(Attribute::atSign, consume());
  // The name is a type name: "State", "SwiftUI.State".
  NodeId name;
  if (atNameLike()) {
    Layout type(*this, SyntaxKind::identifierType);
    type.set(IdentifierType::name, consume());
    if (atLeftAngle() && glued(pos_))
      type.set(IdentifierType::genericArgumentClause, parseGenericArgumentClause());
    name = type.finish();
    while (at(TokenKind::period) && glued(pos_) && peek().kind == TokenKind::identifier) {
      Layout member(*this, SyntaxKind::memberType);
      member.set(MemberType::baseType, name);
      member.set(MemberType::period, consume());
      member.set(MemberType::name, consume());
      name = member.finish();
    }
  } else {
    name = missingType();
  }
  attribute.set(Attribute::attributeName, name);
  if (at(TokenKind::leftParen) && glued(pos_)) {
    TokenId left = tok().match != TokenId::invalid ? TokenId{pos_} : TokenId{};
    attribute.set(Attribute::leftParen, consume());
    // Ordinary arguments form a labeled expression list; special forms
    // (@available(iOS 17, *), @objc(name:)) fall back to their raw tokens.
    State state = save();
    bool saved = noTrailingClosure_;
    noTrailingClosure_ = false;
    NodeId arguments = parseLabeledExprList(TokenKind::rightParen);
    noTrailingClosure_ = saved;
    if (errors_ != state.errors || !at(TokenKind::rightParen)) {
      restore(state);
      auto base = static_cast<std::uint32_t>(scratch_.size());
      std::uint32_t close = left ? tokAt(left.index).match : TokenId::invalid;
      while (!atEnd() && pos_ != close && !(close == TokenId::invalid && (atClosingBracket() || atLineStart())))
        scratch_.push_back(Slot::of(consume()));
      arguments = finishList(SyntaxKind::tokenList, base);
    }
    attribute.set(Attribute::arguments, arguments);
    attribute.set(Attribute::rightParen, expect(TokenKind::rightParen));
  }
  return attribute.finish();
}

NodeId Parser::parseBindingPattern() {
  DepthGuard guard(depth_);
  if (depth_ > maxDepth) {
    Layout pattern(*this, SyntaxKind::missingPattern);
    pattern.set(MissingPattern::placeholder, missing(TokenKind::identifier));
    return pattern.finish();
  }
  if (atKw(Keyword::kwWildcard)) return makeToken1(SyntaxKind::wildcardPattern, consume());
  if (atKw(Keyword::kwLet) || atKw(Keyword::kwVar)) {
    {
    TokenId token = consume();
    return makeToken2(SyntaxKind::valueBindingPattern, token, parseBindingPattern());
  }
  }
  if (at(TokenKind::identifier) || atKw(Keyword::kwSelf)) return makeToken1(SyntaxKind::identifierPattern, consume());
  if (at(TokenKind::leftParen)) {
    Layout tuple(*this, SyntaxKind::tuplePattern);
    tuple.set(TuplePattern::leftParen, consume());
    tuple.set(TuplePattern::elements, parseCommaList(SyntaxKind::tuplePatternElementList, TokenKind::rightParen, [this] {
      Layout element(*this, SyntaxKind::tuplePatternElement);
      std::uint32_t before = pos_;
      if (atNameLike() && peek().kind == TokenKind::colon) {
        element.set(TuplePatternElement::label, consume());
        element.set(TuplePatternElement::colon, consume());
      }
      NodeId pattern = parseBindingPattern();
      if (pos_ == before) return NodeId{};
      element.set(TuplePatternElement::pattern, pattern);
      if (at(TokenKind::comma)) element.set(TuplePatternElement::trailingComma, consume());
      return element.finish();
    }));
    tuple.set(TuplePattern::rightParen, expect(TokenKind::rightParen));
    return tuple.finish();
  }
  Layout pattern(*this, SyntaxKind::missingPattern);
  pattern.set(MissingPattern::placeholder, missing(TokenKind::identifier));
  return pattern.finish();
}

// After "let"/"var" in a matching pattern, bare names bind: "case let n",
// "case let (a, b)"; anything else stays an expression pattern.
NodeId Parser::patternFromExpr(NodeId expr) {
  SyntaxKind k = tree_.kind(expr);
  if (k == SyntaxKind::declReferenceExpr && !tree_.node(expr, DeclReferenceExpr::argumentNames)) {
    TokenId name = tree_.tokenOf(expr, DeclReferenceExpr::baseName);
    if (tree_.tokenKind(name) == TokenKind::identifier && !tree_.isMissing(name))
      return makeToken1(SyntaxKind::identifierPattern, name);
  }
  if (k == SyntaxKind::discardAssignmentExpr) return makeToken1(SyntaxKind::wildcardPattern, tree_.tokenOf(expr, DiscardAssignmentExpr::wildcard));
  Slot s[] = {Slot::of(expr)};
  return tree_.addNode(SyntaxKind::expressionPattern, s, false);
}

NodeId Parser::parseMatchingPattern() {
  DepthGuard guard(depth_);
  bool saved = patternMode_;
  patternMode_ = true;
  NodeId result;
  if (atKw(Keyword::kwLet) || atKw(Keyword::kwVar)) {
    TokenId specifier = consume();
    NodeId inner = patternFromExpr(parseExpr());
    result = makeToken2(SyntaxKind::valueBindingPattern, specifier, inner);
  } else if (atKw(Keyword::kwIs)) {
    TokenId is = consume();
    result = makeToken2(SyntaxKind::isTypePattern, is, parseType());
  } else if (atKw(Keyword::kwWildcard) &&
             (peek().kind == TokenKind::colon || peek().kind == TokenKind::comma || peek().kind == TokenKind::equal ||
              peek().kind == TokenKind::leftBrace || peek().keyword == Keyword::kwWhere || peek().keyword == Keyword::kwIn)) {
    result = makeToken1(SyntaxKind::wildcardPattern, consume());
  } else {
    NodeId expr = parseExpr();
    Slot s[] = {Slot::of(expr)};
    result = tree_.addNode(SyntaxKind::expressionPattern, s, false);
  }
  patternMode_ = saved;
  return result;
}

}  // namespace tovrane::swift
