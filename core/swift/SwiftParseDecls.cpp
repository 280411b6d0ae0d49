// Declarations: dispatch, nominal types, functions, initializers,
// properties with accessors, enum cases, operators, imports, macros.
#include "core/swift/SwiftParser.hpp"

#include <algorithm>
#include <array>

namespace tovrane::swift {
namespace {

bool isDeclKeyword(Keyword k) {
  switch (k) {
    case Keyword::kwImport: case Keyword::kwStruct: case Keyword::kwClass: case Keyword::kwEnum:
    case Keyword::kwProtocol: case Keyword::kwExtension: case Keyword::kwFunc: case Keyword::kwInit:
    case Keyword::kwDeinit: case Keyword::kwSubscript: case Keyword::kwVar: case Keyword::kwLet:
    case Keyword::kwTypealias: case Keyword::kwAssociatedtype: case Keyword::kwCase:
    case Keyword::kwOperator: case Keyword::kwPrecedencegroup:
      return true;
    default:
      return false;
  }
}

constexpr bool isModifierKeyword(Keyword k) {
  switch (k) {
    case Keyword::kwPublic: case Keyword::kwPrivate: case Keyword::kwFileprivate: case Keyword::kwInternal:
    case Keyword::kwStatic: case Keyword::kwClass: case Keyword::kwOpen: case Keyword::kwPackage:
    case Keyword::kwFinal: case Keyword::kwOverride: case Keyword::kwMutating: case Keyword::kwNonmutating:
    case Keyword::kwLazy: case Keyword::kwWeak: case Keyword::kwUnowned: case Keyword::kwRequired:
    case Keyword::kwConvenience: case Keyword::kwDynamic: case Keyword::kwOptional: case Keyword::kwIndirect:
    case Keyword::kwNonisolated: case Keyword::kwDistributed: case Keyword::kwPrefix: case Keyword::kwPostfix:
    case Keyword::kwInfix: case Keyword::kwConsuming: case Keyword::kwBorrowing:
    case Keyword::kwUnderscoreConsuming: case Keyword::kwAsync:
      return true;
    default:
      return false;
  }
}

// Asked before nearly every item: one load instead of a switch.
constexpr auto modifierKeywordTable = [] {
  std::array<bool, 256> table{};
  for (unsigned k = 0; k < table.size(); ++k) table[k] = isModifierKeyword(static_cast<Keyword>(k));
  return table;
}();

bool isAccessorKeyword(Keyword k) {
  switch (k) {
    case Keyword::kwGet: case Keyword::kwSet: case Keyword::kwWillSet: case Keyword::kwDidSet:
    case Keyword::kwUnderscoreRead: case Keyword::kwUnderscoreModify: case Keyword::kwRead:
    case Keyword::kwModify: case Keyword::kwInit: case Keyword::kwUnsafeAddress:
    case Keyword::kwUnsafeMutableAddress: case Keyword::kwBorrow: case Keyword::kwMutate:
      return true;
    default:
      return false;
  }
}

bool isAccessorModifier(Keyword k) {
  switch (k) {
    case Keyword::kwMutating: case Keyword::kwNonmutating: case Keyword::kwUnderscoreConsuming:
    case Keyword::kwBorrowing: case Keyword::kwConsuming:
      return true;
    default:
      return false;
  }
}

}  // namespace

// A word that is a keyword usable in this position (not a backquoted name).
static Keyword keywordAt(const Token& t) {
  return (t.kind == TokenKind::keyword || t.kind == TokenKind::identifier) ? t.keyword : Keyword::none;
}

std::uint32_t Parser::skipAttributesFrom(std::uint32_t index) const {
  while (tokAt(index).kind == TokenKind::atSign) {
    index = nextIndex(index);  // name
    index = nextIndex(index);
    while (tokAt(index).kind == TokenKind::period) index = nextIndex(nextIndex(index));
    const Token& t = tokAt(index);
    if (t.kind == TokenKind::leftParen && glued(index) && t.match != TokenId::invalid)
      index = nextIndex(t.match);
  }
  return index;
}

// Contextual modifiers are names too ("var open = true", "let lazy = 1"):
// a word counts as a modifier only when a declaration can follow it.
bool Parser::modifierAt(std::uint32_t index) const {
  const Token& t = tokAt(index);
  Keyword k = keywordAt(t);
  if (!isModifierKeyword(k)) return false;
  const Token& next = tokAt(nextIndex(index));
  Keyword nk = keywordAt(next);
  if (k == Keyword::kwClass) return isDeclKeyword(nk) || isModifierKeyword(nk);
  if (t.kind == TokenKind::keyword && k != Keyword::kwClass) return true;
  if (next.kind == TokenKind::leftParen && glued(nextIndex(index))) return true;
  if (isDeclKeyword(nk) || isModifierKeyword(nk)) return true;
  return nk == Keyword::kwActor || nk == Keyword::kwMacro;
}

std::uint32_t Parser::skipModifiersFrom(std::uint32_t index) const {
  // Most items start with no modifier word at all: decided without a call.
  return modifierKeywordTable[static_cast<std::uint8_t>(keywordAt(tokAt(index)))] ? skipModifierRun(index) : index;
}

std::uint32_t Parser::skipModifierRun(std::uint32_t index) const {
  // A run that no declaration follows ("public public … x") is asked about
  // again from each of its modifiers while they are consumed one by one as
  // stray tokens or expressions. A long run is scanned once and remembered:
  // from any of its modifiers it ends at the same place.
  if (index >= longModifierRunStart_ && index < longModifierRunEnd_ &&
      std::binary_search(longModifierRun_.begin(), longModifierRun_.end(), index))
    return longModifierRunEnd_;
  std::uint32_t start = index;
  for (unsigned count = 0; modifierAt(index); index = afterModifier(index))
    if (++count == 16) return rememberModifierRun(start);
  return index;
}

std::uint32_t Parser::afterModifier(std::uint32_t index) const {
  index = nextIndex(index);
  const Token& t = tokAt(index);
  if (t.kind == TokenKind::leftParen && glued(index) && t.match != TokenId::invalid) index = nextIndex(t.match);
  return index;
}

std::uint32_t Parser::rememberModifierRun(std::uint32_t start) const {
  longModifierRun_.clear();
  std::uint32_t index = start;
  for (; modifierAt(index); index = afterModifier(index)) longModifierRun_.push_back(index);
  longModifierRunStart_ = start;
  longModifierRunEnd_ = index;
  return index;
}

bool Parser::atModifier() const { return modifierAt(pos_); }

bool Parser::atDeclStart(bool inMembers) const {
  if (at(TokenKind::atSign)) return true;
  if (at(TokenKind::poundSourceLocation)) return true;
  if (inMembers && (at(TokenKind::pound) || at(TokenKind::editorPlaceholder))) return true;
  std::uint32_t index = skipModifiersFrom(pos_);
  const Token& t = tokAt(index);
  Keyword k = keywordAt(t);
  if (index != pos_ && t.kind == TokenKind::pound) return true;
  if (t.kind == TokenKind::keyword && isDeclKeyword(k)) return true;
  if (t.kind != TokenKind::identifier) return false;
  const Token& next = tokAt(nextIndex(index));
  bool nameFollows = next.kind == TokenKind::identifier && !(next.flags & Token::lineStartFlag);
  if (k == Keyword::kwActor || k == Keyword::kwMacro) return nameFollows;
  if (k == Keyword::kwUsing)
    return !inMembers && !(next.flags & Token::lineStartFlag) &&
           (next.kind == TokenKind::atSign || next.kind == TokenKind::identifier);
  return index != pos_ && (k == Keyword::kwActor || k == Keyword::kwMacro);
}

NodeId Parser::parseModifiers() {
  auto base = static_cast<std::uint32_t>(scratch_.size());
  while (atModifier()) {
    Layout modifier(*this, SyntaxKind::declModifier);
    modifier.set(DeclModifier::name, consume());
    if (at(TokenKind::leftParen) && glued(pos_)) {
      Layout detail(*this, SyntaxKind::declModifierDetail);
      detail.set(DeclModifierDetail::leftParen, consume());
      detail.set(DeclModifierDetail::detail, atNameLike() ? consume() : missing(TokenKind::identifier));
      detail.unexpected(skipUntil([] { return false; }));
      detail.set(DeclModifierDetail::rightParen, expect(TokenKind::rightParen));
      modifier.set(DeclModifier::detail, detail.finish());
    }
    scratch_.push_back(Slot::of(modifier.finish()));
  }
  return finishList(SyntaxKind::declModifierList, base);
}

NodeId Parser::parseDecl(bool inMembers) {
  DepthGuard guard(depth_);
  if (at(TokenKind::poundSourceLocation)) return parsePoundSourceLocation();
  if ((atKw(Keyword::kwPrefix) || atKw(Keyword::kwInfix) || atKw(Keyword::kwPostfix)) &&
      keywordAt(peek()) == Keyword::kwOperator)
    return parseOperatorDecl({}, {});
  if (atKw(Keyword::kwUsing) && !inMembers) return parseUsingDecl();
  NodeId attributes = at(TokenKind::atSign) || at(TokenKind::poundIf) ? parseAttributeList() : NodeId{};
  NodeId modifiers = parseModifiers();
  if (tree_.elements(modifiers).empty()) modifiers = {};
  return parseDeclAfterModifiers(attributes, modifiers, inMembers);
}

NodeId Parser::parseDeclAfterModifiers(NodeId attributes, NodeId modifiers, bool inMembers) {
  switch (keywordAt(tok())) {
    case Keyword::kwStruct: return parseNominalDecl(SyntaxKind::structDecl, attributes, modifiers);
    case Keyword::kwClass: return parseNominalDecl(SyntaxKind::classDecl, attributes, modifiers);
    case Keyword::kwEnum: return parseNominalDecl(SyntaxKind::enumDecl, attributes, modifiers);
    case Keyword::kwProtocol: return parseNominalDecl(SyntaxKind::protocolDecl, attributes, modifiers);
    case Keyword::kwActor:
      if (peek().kind == TokenKind::identifier) return parseNominalDecl(SyntaxKind::actorDecl, attributes, modifiers);
      break;
    case Keyword::kwExtension: return parseExtensionDecl(attributes, modifiers);
    case Keyword::kwFunc: return parseFunctionDecl(attributes, modifiers);
    case Keyword::kwInit: return parseInitializerDecl(attributes, modifiers);
    case Keyword::kwDeinit: return parseDeinitializerDecl(attributes, modifiers);
    case Keyword::kwSubscript: return parseSubscriptDecl(attributes, modifiers);
    case Keyword::kwVar: case Keyword::kwLet: return parseVariableDecl(attributes, modifiers);
    case Keyword::kwTypealias: return parseTypeAliasDecl(attributes, modifiers);
    case Keyword::kwAssociatedtype: return parseAssociatedTypeDecl(attributes, modifiers);
    case Keyword::kwCase: return parseEnumCaseDecl(attributes, modifiers);
    case Keyword::kwOperator: return parseOperatorDecl(attributes, modifiers);
    case Keyword::kwPrecedencegroup: return parsePrecedenceGroupDecl(attributes, modifiers);
    case Keyword::kwImport: return parseImportDecl(attributes, modifiers);
    case Keyword::kwMacro:
      if (peek().kind == TokenKind::identifier) return parseMacroDecl(attributes, modifiers);
      break;
    default:
      break;
  }
  if (at(TokenKind::pound)) return parseMacroExpansion(SyntaxKind::macroExpansionDecl, attributes, modifiers);
  if (inMembers && at(TokenKind::editorPlaceholder) && !attributes && !modifiers)
    return makeToken1(SyntaxKind::editorPlaceholderDecl, consume());
  Layout decl(*this, SyntaxKind::missingDecl);
  decl.set(MissingDecl::attributes, attributes);
  decl.set(MissingDecl::modifiers, modifiers);
  decl.set(MissingDecl::placeholder, missing(TokenKind::identifier));
  return decl.finish();
}

NodeId Parser::parseNominalDecl(SyntaxKind kind, NodeId attributes, NodeId modifiers) {
  // All nominal kinds share the slot order attributes, modifiers, keyword,
  // name, generic-or-primary clause, inheritance, where, member block.
  Layout decl(*this, kind);
  decl.set(StructDecl::attributes, attributes);
  decl.set(StructDecl::modifiers, modifiers);
  decl.set(StructDecl::structKeyword, consume());
  decl.set(StructDecl::name, expectIdentifier());
  if (atLeftAngle())
    decl.set(StructDecl::genericParameterClause, kind == SyntaxKind::protocolDecl ? parsePrimaryAssociatedTypeClause()
                                                                                : parseGenericParameterClause());
  if (at(TokenKind::colon)) decl.set(StructDecl::inheritanceClause, parseInheritanceClause());
  if (atKw(Keyword::kwWhere)) decl.set(StructDecl::genericWhereClause, parseGenericWhereClause());
  decl.unexpected(skipUntil([this] { return at(TokenKind::leftBrace) || atLineStart(); }));
  decl.set(StructDecl::memberBlock, parseMemberBlock());
  return decl.finish();
}

NodeId Parser::parseExtensionDecl(NodeId attributes, NodeId modifiers) {
  Layout decl(*this, SyntaxKind::extensionDecl);
  decl.set(ExtensionDecl::attributes, attributes);
  decl.set(ExtensionDecl::modifiers, modifiers);
  decl.set(ExtensionDecl::extensionKeyword, consume());
  decl.set(ExtensionDecl::extendedType, parseType());
  if (at(TokenKind::colon)) decl.set(ExtensionDecl::inheritanceClause, parseInheritanceClause());
  if (atKw(Keyword::kwWhere)) decl.set(ExtensionDecl::genericWhereClause, parseGenericWhereClause());
  decl.unexpected(skipUntil([this] { return at(TokenKind::leftBrace) || atLineStart(); }));
  decl.set(ExtensionDecl::memberBlock, parseMemberBlock());
  return decl.finish();
}

NodeId Parser::parseFunctionDecl(NodeId attributes, NodeId modifiers) {
  Layout decl(*this, SyntaxKind::functionDecl);
  decl.set(FunctionDecl::attributes, attributes);
  decl.set(FunctionDecl::modifiers, modifiers);
  decl.set(FunctionDecl::funcKeyword, consume());
  switch (kind()) {
    case TokenKind::identifier: case TokenKind::keyword:
      decl.set(FunctionDecl::name, consume());
      break;
    case TokenKind::binaryOperator: case TokenKind::prefixOperator: case TokenKind::postfixOperator:
    case TokenKind::exclamationMark: case TokenKind::infixQuestionMark: case TokenKind::postfixQuestionMark:
    case TokenKind::prefixAmpersand: case TokenKind::equal: case TokenKind::arrow:
      decl.set(FunctionDecl::name, consume());
      break;
    default:
      decl.set(FunctionDecl::name, missing(TokenKind::identifier));
  }
  if (atLeftAngle()) decl.set(FunctionDecl::genericParameterClause, parseGenericParameterClause());
  decl.set(FunctionDecl::signature, parseFunctionSignature(false));
  if (atKw(Keyword::kwWhere)) decl.set(FunctionDecl::genericWhereClause, parseGenericWhereClause());
  if (at(TokenKind::leftBrace)) decl.set(FunctionDecl::body, parseCodeBlock());
  return decl.finish();
}

NodeId Parser::parseInitializerDecl(NodeId attributes, NodeId modifiers) {
  Layout decl(*this, SyntaxKind::initializerDecl);
  decl.set(InitializerDecl::attributes, attributes);
  decl.set(InitializerDecl::modifiers, modifiers);
  decl.set(InitializerDecl::initKeyword, consume());
  if (at(TokenKind::postfixQuestionMark) || at(TokenKind::exclamationMark))
    decl.set(InitializerDecl::optionalMark, consume());
  if (atLeftAngle())
    decl.set(InitializerDecl::genericParameterClause, parseGenericParameterClause());
  decl.set(InitializerDecl::signature, parseFunctionSignature(false));
  if (atKw(Keyword::kwWhere)) decl.set(InitializerDecl::genericWhereClause, parseGenericWhereClause());
  if (at(TokenKind::leftBrace)) decl.set(InitializerDecl::body, parseCodeBlock());
  return decl.finish();
}

NodeId Parser::parseDeinitializerDecl(NodeId attributes, NodeId modifiers) {
  Layout decl(*this, SyntaxKind::deinitializerDecl);
  decl.set(DeinitializerDecl::attributes, attributes);
  decl.set(DeinitializerDecl::modifiers, modifiers);
  decl.set(DeinitializerDecl::deinitKeyword, consume());
  if (atKw(Keyword::kwAsync)) decl.set(DeinitializerDecl::effectSpecifiers, parseEffectSpecifiers(SyntaxKind::accessorEffectSpecifiers));
  if (at(TokenKind::leftBrace)) decl.set(DeinitializerDecl::body, parseCodeBlock());
  return decl.finish();
}

NodeId Parser::parseSubscriptDecl(NodeId attributes, NodeId modifiers) {
  Layout decl(*this, SyntaxKind::subscriptDecl);
  decl.set(SubscriptDecl::attributes, attributes);
  decl.set(SubscriptDecl::modifiers, modifiers);
  decl.set(SubscriptDecl::subscriptKeyword, consume());
  if (atLeftAngle())
    decl.set(SubscriptDecl::genericParameterClause, parseGenericParameterClause());
  decl.set(SubscriptDecl::parameterClause, parseFunctionParameterClause());
  decl.set(SubscriptDecl::returnClause, parseReturnClause());
  if (atKw(Keyword::kwWhere)) decl.set(SubscriptDecl::genericWhereClause, parseGenericWhereClause());
  if (at(TokenKind::leftBrace)) decl.set(SubscriptDecl::accessorBlock, parseAccessorBlock());
  return decl.finish();
}

NodeId Parser::parseTypeAnnotation() {
  Layout annotation(*this, SyntaxKind::typeAnnotation);
  annotation.set(TypeAnnotation::colon, consume());
  annotation.set(TypeAnnotation::type, parseType());
  return annotation.finish();
}

NodeId Parser::parseInitializerClause() {
  Layout clause(*this, SyntaxKind::initializerClause);
  clause.set(InitializerClause::equal, expect(TokenKind::equal));
  clause.set(InitializerClause::value, parseExpr());
  return clause.finish();
}

NodeId Parser::parseVariableDecl(NodeId attributes, NodeId modifiers) {
  Layout decl(*this, SyntaxKind::variableDecl);
  decl.set(VariableDecl::attributes, attributes);
  decl.set(VariableDecl::modifiers, modifiers);
  decl.set(VariableDecl::bindingSpecifier, consume());
  decl.set(VariableDecl::bindings, parseCommaList(SyntaxKind::patternBindingList, TokenKind::endOfFile, [this] {
    Layout binding(*this, SyntaxKind::patternBinding);
    binding.set(PatternBinding::pattern, parseBindingPattern());
    if (at(TokenKind::colon)) binding.set(PatternBinding::typeAnnotation, parseTypeAnnotation());
    bool hasInitializer = at(TokenKind::equal);
    if (hasInitializer) binding.set(PatternBinding::initializer, parseInitializerClause());
    if (at(TokenKind::leftBrace) && (!hasInitializer || atObserverBlock()))
      binding.set(PatternBinding::accessorBlock, parseAccessorBlock());
    if (at(TokenKind::comma)) binding.set(PatternBinding::trailingComma, consume());
    return binding.finish();
  }));
  return decl.finish();
}

bool Parser::atObserverBlock() const {
  if (!at(TokenKind::leftBrace)) return false;
  Keyword k = keywordAt(tokAt(skipAttributesFrom(nextIndex(pos_))));
  return k == Keyword::kwWillSet || k == Keyword::kwDidSet;
}

bool Parser::atAccessorBlockWithAccessors() const {
  std::uint32_t index = skipAttributesFrom(nextIndex(pos_));
  Keyword k = keywordAt(tokAt(index));
  if (isAccessorModifier(k)) {
    index = nextIndex(index);
    k = keywordAt(tokAt(index));
  }
  if (!isAccessorKeyword(k)) return false;
  const Token& next = tokAt(nextIndex(index));
  if (next.flags & Token::lineStartFlag) return true;
  switch (next.kind) {
    case TokenKind::leftBrace: case TokenKind::rightBrace: return true;
    case TokenKind::leftParen: return k == Keyword::kwSet || k == Keyword::kwWillSet || k == Keyword::kwDidSet || k == Keyword::kwInit;
    default: {
      Keyword nk = keywordAt(next);
      return nk == Keyword::kwAsync || nk == Keyword::kwThrows || isAccessorKeyword(nk) || isAccessorModifier(nk);
    }
  }
}

NodeId Parser::parseAccessorBlock() {
  DepthGuard guard(depth_);
  Layout block(*this, SyntaxKind::accessorBlock);
  bool saved = noTrailingClosure_;
  noTrailingClosure_ = false;
  bool accessors = atAccessorBlockWithAccessors();
  block.set(AccessorBlock::leftBrace, consume());
  if (depth_ > maxDepth) {
    block.unexpected(skipUntil([] { return false; }));
  } else if (accessors) {
    auto base = static_cast<std::uint32_t>(scratch_.size());
    while (!at(TokenKind::rightBrace) && !atEnd() && !atClosingBracket()) {
      std::uint32_t before = pos_;
      Layout accessor(*this, SyntaxKind::accessorDecl);
      if (at(TokenKind::atSign)) accessor.set(AccessorDecl::attributes, parseAttributeList());
      if (isAccessorModifier(keywordAt(tok()))) {
        Layout modifier(*this, SyntaxKind::declModifier);
        modifier.set(DeclModifier::name, consume());
        accessor.set(AccessorDecl::modifier, modifier.finish());
      }
      if (!isAccessorKeyword(keywordAt(tok()))) {
        accessor.unexpected(skipUntil([this] { return isAccessorKeyword(keywordAt(tok())) && atLineStart(); }));
        accessor.set(AccessorDecl::accessorSpecifier, missing(TokenKind::identifier));
        scratch_.push_back(Slot::of(accessor.finish()));
        if (pos_ == before) break;
        continue;
      }
      accessor.set(AccessorDecl::accessorSpecifier, consume());
      if (at(TokenKind::leftParen)) {
        Layout parameters(*this, SyntaxKind::accessorParameters);
        parameters.set(AccessorParameters::leftParen, consume());
        parameters.set(AccessorParameters::name, atNameLike() ? consume() : missing(TokenKind::identifier));
        parameters.set(AccessorParameters::rightParen, expect(TokenKind::rightParen));
        accessor.set(AccessorDecl::parameters, parameters.finish());
      }
      if (atKw(Keyword::kwAsync) || atKw(Keyword::kwThrows))
        accessor.set(AccessorDecl::effectSpecifiers, parseEffectSpecifiers(SyntaxKind::accessorEffectSpecifiers));
      if (at(TokenKind::leftBrace)) accessor.set(AccessorDecl::body, parseCodeBlock());
      scratch_.push_back(Slot::of(accessor.finish()));
    }
    block.set(AccessorBlock::accessors, finishList(SyntaxKind::accessorDeclList, base));
  } else {
    block.set(AccessorBlock::accessors, parseCodeBlockItemList(ItemContext::code));
  }
  block.set(AccessorBlock::rightBrace, expect(TokenKind::rightBrace));
  noTrailingClosure_ = saved;
  return block.finish();
}

NodeId Parser::parseFunctionParameterClause() {
  Layout clause(*this, SyntaxKind::functionParameterClause);
  TokenId open = expect(TokenKind::leftParen);
  clause.set(FunctionParameterClause::leftParen, open);
  bool saved = noTrailingClosure_;
  noTrailingClosure_ = false;
  clause.set(FunctionParameterClause::parameters,
             parseCommaList(SyntaxKind::functionParameterList, TokenKind::rightParen, [this] {
               Layout parameter(*this, SyntaxKind::functionParameter);
               if (!atNameLike() && !at(TokenKind::atSign)) return parameter.finish();
               if (at(TokenKind::atSign)) parameter.set(FunctionParameter::attributes, parseAttributeList());
               parameter.set(FunctionParameter::firstName, atNameLike() ? consume() : missing(TokenKind::identifier));
               if (atNameLike() && !at(TokenKind::colon)) parameter.set(FunctionParameter::secondName, consume());
               parameter.set(FunctionParameter::colon, expect(TokenKind::colon));
               parameter.set(FunctionParameter::type, parseType());
               if ((at(TokenKind::binaryOperator) || at(TokenKind::postfixOperator)) && atText("..."))
                 parameter.set(FunctionParameter::ellipsis, consume());
               if (at(TokenKind::equal)) parameter.set(FunctionParameter::defaultValue, parseInitializerClause());
               if (at(TokenKind::comma)) parameter.set(FunctionParameter::trailingComma, consume());
               return parameter.finish();
             }));
  noTrailingClosure_ = saved;
  clause.unexpected(skipToMatch(open));
  clause.set(FunctionParameterClause::rightParen, expect(TokenKind::rightParen));
  return clause.finish();
}

NodeId Parser::parseThrowsClause() {
  Layout clause(*this, SyntaxKind::throwsClause);
  clause.set(ThrowsClause::throwsSpecifier, consume());
  if (at(TokenKind::leftParen) && glued(pos_)) {
    clause.set(ThrowsClause::leftParen, consume());
    clause.set(ThrowsClause::type, parseType());
    clause.set(ThrowsClause::rightParen, expect(TokenKind::rightParen));
  }
  return clause.finish();
}

NodeId Parser::parseEffectSpecifiers(SyntaxKind kind) {
  // functionEffectSpecifiers, typeEffectSpecifiers and accessorEffectSpecifiers share slots.
  Layout effects(*this, kind);
  if (atKw(Keyword::kwAsync) || atKw(Keyword::kwReasync)) effects.set(FunctionEffectSpecifiers::asyncSpecifier, consume());
  if (atKw(Keyword::kwThrows) || atKw(Keyword::kwRethrows))
    effects.set(FunctionEffectSpecifiers::throwsClause, parseThrowsClause());
  // "throws async" is written now and then; keep the late async as unexpected.
  if (atKw(Keyword::kwAsync)) {
    auto base = static_cast<std::uint32_t>(scratch_.size());
    scratch_.push_back(Slot::of(consume()));
    effects.unexpected(unexpectedNode(base));
  }
  return effects.finish();
}

NodeId Parser::parseReturnClause() {
  Layout clause(*this, SyntaxKind::returnClause);
  clause.set(ReturnClause::arrow, expect(TokenKind::arrow));
  clause.set(ReturnClause::type, parseType());
  return clause.finish();
}

NodeId Parser::parseFunctionSignature(bool forMacro) {
  Layout signature(*this, SyntaxKind::functionSignature);
  signature.set(FunctionSignature::parameterClause, parseFunctionParameterClause());
  if (!forMacro && (atKw(Keyword::kwAsync) || atKw(Keyword::kwReasync) || atKw(Keyword::kwThrows) || atKw(Keyword::kwRethrows)))
    signature.set(FunctionSignature::effectSpecifiers, parseEffectSpecifiers(SyntaxKind::functionEffectSpecifiers));
  if (at(TokenKind::arrow)) signature.set(FunctionSignature::returnClause, parseReturnClause());
  return signature.finish();
}

NodeId Parser::parseInheritanceClause() {
  Layout clause(*this, SyntaxKind::inheritanceClause);
  clause.set(InheritanceClause::colon, consume());
  clause.set(InheritanceClause::inheritedTypes, parseCommaList(SyntaxKind::inheritedTypeList, TokenKind::leftBrace, [this] {
    Layout inherited(*this, SyntaxKind::inheritedType);
    inherited.set(InheritedType::type, parseType());
    if (at(TokenKind::comma)) inherited.set(InheritedType::trailingComma, consume());
    return inherited.finish();
  }));
  return clause.finish();
}

NodeId Parser::parseGenericParameterClause() {
  Layout clause(*this, SyntaxKind::genericParameterClause);
  clause.set(GenericParameterClause::leftAngle, consumeLeftAngle());
  auto base = static_cast<std::uint32_t>(scratch_.size());
  while (!atRightAngle() && !atEnd() && !atKw(Keyword::kwWhere)) {
    Layout parameter(*this, SyntaxKind::genericParameter);
    if (at(TokenKind::atSign)) parameter.set(GenericParameter::attributes, parseAttributeList());
    if ((atKw(Keyword::kwEach) || atKw(Keyword::kwLet)) && peek().kind == TokenKind::identifier)
      parameter.set(GenericParameter::specifier, consume());
    if (!at(TokenKind::identifier)) {
      parameter.unexpected(skipUntil([this] { return atRightAngle() || at(TokenKind::comma) || at(TokenKind::leftBrace); }));
    }
    parameter.set(GenericParameter::name, expectIdentifier());
    if (at(TokenKind::colon)) {
      parameter.set(GenericParameter::colon, consume());
      parameter.set(GenericParameter::inheritedType, parseType());
    }
    bool comma = at(TokenKind::comma);
    if (comma) parameter.set(GenericParameter::trailingComma, consume());
    scratch_.push_back(Slot::of(parameter.finish()));
    if (!comma) break;
  }
  clause.set(GenericParameterClause::parameters, finishList(SyntaxKind::genericParameterList, base));
  if (atKw(Keyword::kwWhere)) clause.set(GenericParameterClause::genericWhereClause, parseGenericWhereClause());
  clause.set(GenericParameterClause::rightAngle, expectRightAngle());
  return clause.finish();
}

NodeId Parser::parsePrimaryAssociatedTypeClause() {
  Layout clause(*this, SyntaxKind::primaryAssociatedTypeClause);
  clause.set(PrimaryAssociatedTypeClause::leftAngle, consumeLeftAngle());
  auto base = static_cast<std::uint32_t>(scratch_.size());
  while (at(TokenKind::identifier)) {
    Layout type(*this, SyntaxKind::primaryAssociatedType);
    type.set(PrimaryAssociatedType::name, consume());
    bool comma = at(TokenKind::comma);
    if (comma) type.set(PrimaryAssociatedType::trailingComma, consume());
    scratch_.push_back(Slot::of(type.finish()));
    if (!comma) break;
  }
  clause.set(PrimaryAssociatedTypeClause::primaryAssociatedTypes, finishList(SyntaxKind::primaryAssociatedTypeList, base));
  clause.set(PrimaryAssociatedTypeClause::rightAngle, expectRightAngle());
  return clause.finish();
}

NodeId Parser::parseGenericWhereClause() {
  Layout clause(*this, SyntaxKind::genericWhereClause);
  clause.set(GenericWhereClause::whereKeyword, consume());
  auto base = static_cast<std::uint32_t>(scratch_.size());
  while (true) {
    Layout requirement(*this, SyntaxKind::genericRequirement);
    NodeId left = parseType();
    if (at(TokenKind::binaryOperator) && atText("==")) {
      Layout same(*this, SyntaxKind::sameTypeRequirement);
      same.set(SameTypeRequirement::leftType, left);
      same.set(SameTypeRequirement::equal, consume());
      same.set(SameTypeRequirement::rightType, parseType());
      requirement.set(GenericRequirement::requirement, same.finish());
    } else {
      Layout conformance(*this, SyntaxKind::conformanceRequirement);
      conformance.set(ConformanceRequirement::leftType, left);
      conformance.set(ConformanceRequirement::colon, expect(TokenKind::colon));
      conformance.set(ConformanceRequirement::rightType, parseType());
      requirement.set(GenericRequirement::requirement, conformance.finish());
    }
    bool comma = at(TokenKind::comma);
    if (comma) requirement.set(GenericRequirement::trailingComma, consume());
    scratch_.push_back(Slot::of(requirement.finish()));
    if (!comma) break;
  }
  clause.set(GenericWhereClause::requirements, finishList(SyntaxKind::genericRequirementList, base));
  return clause.finish();
}

NodeId Parser::parseTypeAliasDecl(NodeId attributes, NodeId modifiers) {
  Layout decl(*this, SyntaxKind::typeAliasDecl);
  decl.set(TypeAliasDecl::attributes, attributes);
  decl.set(TypeAliasDecl::modifiers, modifiers);
  decl.set(TypeAliasDecl::typealiasKeyword, consume());
  decl.set(TypeAliasDecl::name, expectIdentifier());
  if (atLeftAngle())
    decl.set(TypeAliasDecl::genericParameterClause, parseGenericParameterClause());
  Layout initializer(*this, SyntaxKind::typeInitializerClause);
  initializer.set(TypeInitializerClause::equal, expect(TokenKind::equal));
  initializer.set(TypeInitializerClause::value, parseType());
  decl.set(TypeAliasDecl::initializer, initializer.finish());
  if (atKw(Keyword::kwWhere)) decl.set(TypeAliasDecl::genericWhereClause, parseGenericWhereClause());
  return decl.finish();
}

NodeId Parser::parseAssociatedTypeDecl(NodeId attributes, NodeId modifiers) {
  Layout decl(*this, SyntaxKind::associatedTypeDecl);
  decl.set(AssociatedTypeDecl::attributes, attributes);
  decl.set(AssociatedTypeDecl::modifiers, modifiers);
  decl.set(AssociatedTypeDecl::associatedtypeKeyword, consume());
  decl.set(AssociatedTypeDecl::name, expectIdentifier());
  if (at(TokenKind::colon)) decl.set(AssociatedTypeDecl::inheritanceClause, parseInheritanceClause());
  if (at(TokenKind::equal)) {
    Layout initializer(*this, SyntaxKind::typeInitializerClause);
    initializer.set(TypeInitializerClause::equal, consume());
    initializer.set(TypeInitializerClause::value, parseType());
    decl.set(AssociatedTypeDecl::initializer, initializer.finish());
  }
  if (atKw(Keyword::kwWhere)) decl.set(AssociatedTypeDecl::genericWhereClause, parseGenericWhereClause());
  return decl.finish();
}

NodeId Parser::parseEnumCaseDecl(NodeId attributes, NodeId modifiers) {
  Layout decl(*this, SyntaxKind::enumCaseDecl);
  decl.set(EnumCaseDecl::attributes, attributes);
  decl.set(EnumCaseDecl::modifiers, modifiers);
  decl.set(EnumCaseDecl::caseKeyword, consume());
  decl.set(EnumCaseDecl::elements, parseCommaList(SyntaxKind::enumCaseElementList, TokenKind::endOfFile, [this] {
    Layout element(*this, SyntaxKind::enumCaseElement);
    element.set(EnumCaseElement::name, atNameLike() ? consume() : missing(TokenKind::identifier));
    if (at(TokenKind::leftParen)) {
      Layout clause(*this, SyntaxKind::enumCaseParameterClause);
      clause.set(EnumCaseParameterClause::leftParen, consume());
      clause.set(EnumCaseParameterClause::parameters,
                 parseCommaList(SyntaxKind::enumCaseParameterList, TokenKind::rightParen, [this] {
                   Layout parameter(*this, SyntaxKind::enumCaseParameter);
                   // A name is read only when ":" follows one or two names.
                   if (atNameLike() && peek().kind == TokenKind::colon) {
                     parameter.set(EnumCaseParameter::firstName, consume());
                     parameter.set(EnumCaseParameter::colon, consume());
                   } else if (atNameLike() && (peek().kind == TokenKind::identifier || peek().kind == TokenKind::keyword) &&
                              peek(2).kind == TokenKind::colon) {
                     parameter.set(EnumCaseParameter::firstName, consume());
                     parameter.set(EnumCaseParameter::secondName, consume());
                     parameter.set(EnumCaseParameter::colon, consume());
                   }
                   parameter.set(EnumCaseParameter::type, parseType());
                   if (at(TokenKind::equal)) parameter.set(EnumCaseParameter::defaultValue, parseInitializerClause());
                   if (at(TokenKind::comma)) parameter.set(EnumCaseParameter::trailingComma, consume());
                   return parameter.finish();
                 }));
      clause.set(EnumCaseParameterClause::rightParen, expect(TokenKind::rightParen));
      element.set(EnumCaseElement::parameterClause, clause.finish());
    }
    if (at(TokenKind::equal)) element.set(EnumCaseElement::rawValue, parseInitializerClause());
    if (at(TokenKind::comma)) element.set(EnumCaseElement::trailingComma, consume());
    return element.finish();
  }));
  return decl.finish();
}

NodeId Parser::parseOperatorDecl(NodeId attributes, NodeId modifiers) {
  Layout decl(*this, SyntaxKind::operatorDecl);
  if (attributes || modifiers) {
    auto base = static_cast<std::uint32_t>(scratch_.size());
    if (attributes) scratch_.push_back(Slot::of(attributes));
    if (modifiers) scratch_.push_back(Slot::of(modifiers));
    decl.unexpected(unexpectedNode(base));
  }
  if (!atKw(Keyword::kwOperator)) decl.set(OperatorDecl::fixitySpecifier, consume());
  decl.set(OperatorDecl::operatorKeyword, expectKw(Keyword::kwOperator));
  switch (kind()) {
    case TokenKind::binaryOperator: case TokenKind::prefixOperator: case TokenKind::postfixOperator:
    case TokenKind::identifier: case TokenKind::exclamationMark: case TokenKind::prefixAmpersand:
    case TokenKind::infixQuestionMark: case TokenKind::postfixQuestionMark:
      decl.set(OperatorDecl::name, consume());
      break;
    default:
      decl.set(OperatorDecl::name, missing(TokenKind::binaryOperator));
  }
  if (at(TokenKind::colon)) {
    Layout group(*this, SyntaxKind::operatorPrecedenceAndTypes);
    group.set(OperatorPrecedenceAndTypes::colon, consume());
    group.set(OperatorPrecedenceAndTypes::precedenceGroup, expectIdentifier());
    if (at(TokenKind::comma)) {
      auto base = static_cast<std::uint32_t>(scratch_.size());
      while (at(TokenKind::comma) || (at(TokenKind::identifier) && !atLineStart())) scratch_.push_back(Slot::of(consume()));
      group.set(OperatorPrecedenceAndTypes::designatedTypes, finishList(SyntaxKind::tokenList, base));
    }
    decl.set(OperatorDecl::operatorPrecedenceAndTypes, group.finish());
  }
  return decl.finish();
}

NodeId Parser::parsePrecedenceGroupDecl(NodeId attributes, NodeId modifiers) {
  Layout decl(*this, SyntaxKind::precedenceGroupDecl);
  decl.set(PrecedenceGroupDecl::attributes, attributes);
  decl.set(PrecedenceGroupDecl::modifiers, modifiers);
  decl.set(PrecedenceGroupDecl::precedencegroupKeyword, consume());
  decl.set(PrecedenceGroupDecl::name, expectIdentifier());
  decl.set(PrecedenceGroupDecl::leftBrace, expect(TokenKind::leftBrace));
  auto base = static_cast<std::uint32_t>(scratch_.size());
  while (!at(TokenKind::rightBrace) && !atEnd() && !atClosingBracket()) scratch_.push_back(Slot::of(consume()));
  decl.set(PrecedenceGroupDecl::groupAttributes, finishList(SyntaxKind::tokenList, base));
  decl.set(PrecedenceGroupDecl::rightBrace, expect(TokenKind::rightBrace));
  return decl.finish();
}

NodeId Parser::parseMacroDecl(NodeId attributes, NodeId modifiers) {
  Layout decl(*this, SyntaxKind::macroDecl);
  decl.set(MacroDecl::attributes, attributes);
  decl.set(MacroDecl::modifiers, modifiers);
  decl.set(MacroDecl::macroKeyword, consume());
  decl.set(MacroDecl::name, expectIdentifier());
  if (atLeftAngle())
    decl.set(MacroDecl::genericParameterClause, parseGenericParameterClause());
  decl.set(MacroDecl::signature, parseFunctionSignature(true));
  if (at(TokenKind::equal)) decl.set(MacroDecl::definition, parseInitializerClause());
  if (atKw(Keyword::kwWhere)) decl.set(MacroDecl::genericWhereClause, parseGenericWhereClause());
  return decl.finish();
}

NodeId Parser::parseImportDecl(NodeId attributes, NodeId modifiers) {
  Layout decl(*this, SyntaxKind::importDecl);
  decl.set(ImportDecl::attributes, attributes);
  decl.set(ImportDecl::modifiers, modifiers);
  decl.set(ImportDecl::importKeyword, consume());
  Keyword k = keywordAt(tok());
  if ((k == Keyword::kwStruct || k == Keyword::kwClass || k == Keyword::kwEnum || k == Keyword::kwProtocol ||
       k == Keyword::kwVar || k == Keyword::kwLet || k == Keyword::kwFunc || k == Keyword::kwTypealias) &&
      tok().kind == TokenKind::keyword)
    decl.set(ImportDecl::importKindSpecifier, consume());
  auto base = static_cast<std::uint32_t>(scratch_.size());
  while (true) {
    Layout component(*this, SyntaxKind::importPathComponent);
    bool name = atNameLike() || at(TokenKind::binaryOperator) || at(TokenKind::prefixOperator) || at(TokenKind::postfixOperator);
    component.set(ImportPathComponent::name, name ? consume() : missing(TokenKind::identifier));
    bool period = at(TokenKind::period);
    if (period) component.set(ImportPathComponent::trailingPeriod, consume());
    scratch_.push_back(Slot::of(component.finish()));
    if (!period) break;
  }
  decl.set(ImportDecl::path, finishList(SyntaxKind::importPathComponentList, base));
  return decl.finish();
}

NodeId Parser::parseMacroExpansion(SyntaxKind kind, NodeId attributes, NodeId modifiers) {
  // macroExpansionDecl and macroExpansionExpr: the declaration form has
  // attributes and modifiers in front, the rest is shared.
  Layout node(*this, kind);
  unsigned shift = kind == SyntaxKind::macroExpansionDecl ? 2 : 0;
  if (shift) {
    node.set(MacroExpansionDecl::attributes, attributes);
    node.set(MacroExpansionDecl::modifiers, modifiers);
  }
  node.set(shift + MacroExpansionExpr::pound, consume());
  node.set(shift + MacroExpansionExpr::macroName, atNameLike() && glued(pos_) ? consume() : missing(TokenKind::identifier));
  if (atLeftAngle() && glued(pos_) && genericClauseMayClose()) {
    State state = save();
    NodeId generics = parseGenericArgumentClause();
    if (errors_ == state.errors) node.set(shift + MacroExpansionExpr::genericArgumentClause, generics);
    else restore(state);
  }
  if (at(TokenKind::leftParen) && glued(pos_)) {
    node.set(shift + MacroExpansionExpr::leftParen, consume());
    node.set(shift + MacroExpansionExpr::arguments, parseLabeledExprList(TokenKind::rightParen));
    node.set(shift + MacroExpansionExpr::rightParen, expect(TokenKind::rightParen));
  } else {
    node.set(shift + MacroExpansionExpr::arguments,
             finishList(SyntaxKind::labeledExprList, static_cast<std::uint32_t>(scratch_.size())));
  }
  if (at(TokenKind::leftBrace) && trailingClosureAllowed()) {
    node.set(shift + MacroExpansionExpr::trailingClosure, parseClosureExpr());
    node.set(shift + MacroExpansionExpr::additionalTrailingClosures, parseAdditionalTrailingClosures());
  }
  return node.finish();
}

NodeId Parser::parsePoundSourceLocation() {
  Layout decl(*this, SyntaxKind::poundSourceLocation);
  decl.set(PoundSourceLocation::poundSourceLocation, consume());
  decl.set(PoundSourceLocation::leftParen, expect(TokenKind::leftParen));
  auto base = static_cast<std::uint32_t>(scratch_.size());
  while (!at(TokenKind::rightParen) && !atEnd() && !atClosingBracket() && !atLineStart()) scratch_.push_back(Slot::of(consume()));
  decl.set(PoundSourceLocation::arguments, finishList(SyntaxKind::tokenList, base));
  decl.set(PoundSourceLocation::rightParen, expect(TokenKind::rightParen));
  return decl.finish();
}

NodeId Parser::parseUsingDecl() {
  Layout decl(*this, SyntaxKind::usingDecl);
  decl.set(UsingDecl::usingKeyword, consume());
  if (at(TokenKind::atSign)) decl.set(UsingDecl::specifier, parseAttribute());
  else decl.set(UsingDecl::specifier, expectIdentifier());
  return decl.finish();
}

}  // namespace tovrane::swift
