// The frontend driver and the lowering of declarations and type syntax.
// Every operation is total: a construct without IR form becomes an
// `unsupported` node carrying its source text (declarations also a reason),
// and the few constructs the IR has no place for are dropped. Bodies and
// expressions are lowered in SwiftFrontendStmts.cpp and SwiftFrontendExprs.cpp.
#include "core/frontend/SwiftFrontend.hpp"

#include "core/frontend/ConditionalCompilation.hpp"
#include "core/frontend/SwiftLowering.hpp"
#include "core/support/Text.hpp"

#include <algorithm>
#include <span>
#include <string>
#include <utility>

namespace tovrane {

using swift::NodeId;
using swift::SyntaxCategory;
using swift::SyntaxKind;
using swift::SyntaxTree;

namespace {

// Reasons of unsupported top-level items; they reach the conversion report.
constexpr std::string_view topLevelExpression = "Top-Level-Ausdruck";
constexpr std::string_view topLevelStatement = "Top-Level-Anweisung";
constexpr std::string_view multipleVariables = "Mehrfach-Variable";
constexpr std::string_view ifConfigBlock = "#if-Block";
// A leftover #if block can be long; its source is cut to this many characters.
constexpr std::size_t ifConfigSourceLength = 200;
// The most of its line, in characters, that a stand-in for a missing
// expression carries: as much as a warning shows of a source.
constexpr std::size_t standInLineLength = 300;

bool isMacroExpansion(const SyntaxTree& tree, NodeId node) {
  return tree.is(node, SyntaxKind::macroExpansionDecl) || tree.is(node, SyntaxKind::macroExpansionExpr);
}

bool contains(const std::set<std::string>& set, std::string_view a, std::string_view b = {}) {
  return set.contains(std::string(a)) || (!b.empty() && set.contains(std::string(b)));
}

// The `async` and throws parts of a function or initializer signature.
struct Effects {
  bool isAsync = false;
  bool isThrows = false;
};

Effects effectsOf(const SyntaxTree& tree, NodeId signature) {
  NodeId specifiers = tree.node(signature, swift::FunctionSignature::effectSpecifiers);
  if (!specifiers) return {};
  return Effects{.isAsync = bool(tree.tokenOf(specifiers, swift::FunctionEffectSpecifiers::asyncSpecifier)),
                 .isThrows = bool(tree.node(specifiers, swift::FunctionEffectSpecifiers::throwsClause))};
}

NodeId parameterListOf(const SyntaxTree& tree, NodeId signature) {
  return tree.node(tree.node(signature, swift::FunctionSignature::parameterClause),
                   swift::FunctionParameterClause::parameters);
}

// The attribute nodes of a list in order, without #if blocks between them.
std::vector<NodeId> attributeNodes(const SyntaxTree& tree, NodeId attributeList) {
  std::vector<NodeId> result;
  if (!attributeList) return result;
  for (NodeId element : tree.elements(attributeList))
    if (tree.is(element, SyntaxKind::attribute)) result.push_back(element);
  return result;
}

// Names of the generic parameters of a struct that are constrained to View,
// inline («<Content: View>») or in its where clause («where Content: View»).
std::set<std::string> viewConstrainedNames(const SyntaxTree& tree, NodeId structDecl) {
  std::set<std::string> names;
  if (NodeId clause = tree.node(structDecl, swift::StructDecl::genericParameterClause)) {
    if (NodeId parameters = tree.node(clause, swift::GenericParameterClause::parameters))
      for (NodeId parameter : tree.elements(parameters)) {
        NodeId constraint = tree.node(parameter, swift::GenericParameter::inheritedType);
        if (constraint && tree.src(constraint) == "View")
          names.insert(std::string(tree.tokenText(parameter, swift::GenericParameter::name)));
      }
  }
  if (NodeId where = tree.node(structDecl, swift::StructDecl::genericWhereClause)) {
    if (NodeId requirements = tree.node(where, swift::GenericWhereClause::requirements))
      for (NodeId element : tree.elements(requirements)) {
        NodeId requirement = tree.node(element, swift::GenericRequirement::requirement);
        if (!tree.is(requirement, SyntaxKind::conformanceRequirement)) continue;
        NodeId right = tree.node(requirement, swift::ConformanceRequirement::rightType);
        NodeId left = tree.node(requirement, swift::ConformanceRequirement::leftType);
        if (right && left && tree.src(right) == "View") names.insert(std::string(tree.src(left)));
      }
  }
  return names;
}

// The head of a nominal declaration or extension, read from its kind's slots.
struct TypeHead {
  IRTypeKind kind;
  std::string name;
  NodeId inheritance;
  NodeId attributes;
  NodeId members;
};

template <class Slots>
TypeHead typeHeadOf(const SyntaxTree& tree, NodeId decl, IRTypeKind kind) {
  std::string name;
  // An extension is named by the source text of the type it extends («Foo.Bar»).
  if constexpr (requires { Slots::extendedType; })
    name = std::string(tree.src(tree.node(decl, Slots::extendedType)));
  else
    name = std::string(tree.tokenText(decl, Slots::name));
  return TypeHead{.kind = kind, .name = std::move(name), .inheritance = tree.node(decl, Slots::inheritanceClause),
                  .attributes = tree.node(decl, Slots::attributes),
                  .members = tree.node(tree.node(decl, Slots::memberBlock), swift::MemberBlock::members)};
}

std::optional<TypeHead> typeHead(const SyntaxTree& tree, NodeId decl) {
  switch (tree.kind(decl)) {
    case SyntaxKind::structDecl: return typeHeadOf<swift::StructDecl>(tree, decl, IRTypeKind::struct_);
    case SyntaxKind::classDecl: return typeHeadOf<swift::ClassDecl>(tree, decl, IRTypeKind::class_);
    case SyntaxKind::actorDecl: return typeHeadOf<swift::ActorDecl>(tree, decl, IRTypeKind::actor);
    case SyntaxKind::enumDecl: return typeHeadOf<swift::EnumDecl>(tree, decl, IRTypeKind::enum_);
    case SyntaxKind::protocolDecl: return typeHeadOf<swift::ProtocolDecl>(tree, decl, IRTypeKind::protocol);
    case SyntaxKind::extensionDecl: return typeHeadOf<swift::ExtensionDecl>(tree, decl, IRTypeKind::extension);
    default: return std::nullopt;
  }
}

// One top-level item: declarations are lowered, freestanding macros (#Preview)
// are dropped, and any other expression or statement has no place at the top
// level of a Kotlin file.
std::optional<IRDecl> lowerItem(const SwiftLowering& lowering, NodeId item) {
  const SyntaxTree& tree = lowering.tree;
  if (!item) return std::nullopt;
  switch (tree.category(item)) {
    case SyntaxCategory::decl: return lowering.lowerDecl(item);
    case SyntaxCategory::expr:
      if (isMacroExpansion(tree, item)) return std::nullopt;
      return IRDecl::unsupported{std::string(topLevelExpression), lowering.src(item)};
    default: return IRDecl::unsupported{std::string(topLevelStatement), lowering.src(item)};
  }
}

}  // namespace

IRFile SwiftFrontend::parse(std::string_view source, std::string_view path) const {
  std::vector<SkippedSource> ignored;
  return parse(source, path, ignored);
}

IRFile SwiftFrontend::parse(std::string_view source, std::string_view path,
                            std::vector<SkippedSource>& skipped) const {
  // The pre-pass keeps every line in place, so the tree's line numbers are the file's.
  std::string resolved = ConditionalCompilation::resolve(source);
  SyntaxTree tree = swift::parse(resolved);
  // A failed fold leaves the unfolded tree in view; the whole file is then
  // lowered from it, operator sequences included.
  swift::fold(tree);
  SwiftLowering lowering(tree);

  IRFile file{.path = std::string(path), .decls = {}};
  NodeId items = tree.node(tree.root(), swift::SourceFile::statements);
  if (!items) return file;
  for (NodeId element : tree.elements(items))
    if (std::optional<IRDecl> decl = lowerItem(lowering, tree.node(element, swift::CodeBlockItem::item)))
      file.decls.push_back(std::move(*decl));
  for (SkippedSource& stretch : skippedSource(tree)) skipped.push_back(std::move(stretch));
  return file;
}

std::string SwiftLowering::unsupportedSource(NodeId node) const {
  if (!node) return {};
  std::string text = src(node);
  if (!text.empty()) return text;
  // A node without present tokens still holds its missing ones, which sit
  // where the construct should have been.
  for (NodeId current = node; current;) {
    const std::span<const swift::Slot> slots = tree.slots(current);
    const auto slot = std::find_if(slots.begin(), slots.end(), [](swift::Slot s) { return !s.isAbsent(); });
    if (slot == slots.end()) break;
    if (slot->isNode()) {
      current = slot->node();
      continue;
    }
    const std::string_view source = tree.source();
    const auto offset =
        static_cast<std::uint32_t>(std::min<std::size_t>(tree.token(slot->token()).textStart, source.size()));
    const std::uint32_t begin = offset - (tree.lineColumn(offset).second - 1);
    // The line's start only: many missing expressions on one long line would
    // each copy all of it, and no use of a source shows more than its start.
    // Cut by bytes first, so a long line is never walked character by character.
    std::size_t length = std::min<std::size_t>(source.size() - begin, 4 * standInLineLength);
    while (length < source.size() - begin && (static_cast<unsigned char>(source[begin + length]) & 0xC0) == 0x80)
      --length;  // not inside a character
    std::string_view line = source.substr(begin, length);
    line = line.substr(0, line.find_first_of("\r\n"));
    return std::string(text::trimWhitespaceAndNewlines(text::prefixGraphemes(line, standInLineLength)));
  }
  return text;
}

std::optional<IRDecl> SwiftLowering::lowerDecl(NodeId decl) const {
  if (!decl) return std::nullopt;
  if (tree.is(decl, SyntaxKind::importDecl) || isMacroExpansion(tree, decl)) return std::nullopt;
  if (auto type = lowerTypeDecl(decl)) return IRDecl::type{std::move(*type)};
  switch (tree.kind(decl)) {
    case SyntaxKind::functionDecl: return IRDecl::function{lowerFunction(decl)};
    case SyntaxKind::variableDecl: {
      std::vector<IRProperty> properties = lowerVariable(decl);
      if (properties.size() == 1) return IRDecl::variable{std::move(properties.front())};
      return IRDecl::unsupported{std::string(multipleVariables), src(decl)};
    }
    case SyntaxKind::typeAliasDecl: {
      NodeId aliased = tree.node(tree.node(decl, swift::TypeAliasDecl::initializer), swift::TypeInitializerClause::value);
      return IRDecl::typeAlias{std::string(tree.tokenText(decl, swift::TypeAliasDecl::name)), lowerType(aliased)};
    }
    case SyntaxKind::ifConfigDecl:
      return IRDecl::unsupported{std::string(ifConfigBlock),
                                 std::string(text::prefixGraphemes(tree.src(decl), ifConfigSourceLength))};
    default: return IRDecl::unsupported{std::string(tree.kindName(decl)), src(decl)};
  }
}

std::optional<IRTypeDecl> SwiftLowering::lowerTypeDecl(NodeId decl) const {
  if (!decl) return std::nullopt;
  std::optional<TypeHead> head = typeHead(tree, decl);
  if (!head) return std::nullopt;

  IRTypeDecl result{.kind = head->kind,
                    .name = std::move(head->name),
                    .inherits = inherits(head->inheritance),
                    .attributes = attributes(head->attributes),
                    .properties = {},
                    .functions = {},
                    .cases = {},
                    .nested = {},
                    .typealiases = {}};

  if (head->members) {
    for (NodeId item : tree.elements(head->members)) {
      NodeId member = tree.node(item, swift::MemberBlockItem::decl);
      if (!member) continue;
      switch (tree.kind(member)) {
        case SyntaxKind::variableDecl:
          for (IRProperty& property : lowerVariable(member)) result.properties.push_back(std::move(property));
          break;
        case SyntaxKind::functionDecl: result.functions.push_back(lowerFunction(member)); break;
        case SyntaxKind::initializerDecl: result.functions.push_back(lowerInit(member)); break;
        case SyntaxKind::enumCaseDecl: {
          NodeId elements = tree.node(member, swift::EnumCaseDecl::elements);
          if (!elements) break;
          for (NodeId element : tree.elements(elements)) {
            if (!tree.is(element, SyntaxKind::enumCaseElement)) continue;
            IREnumCase enumCase{.name = std::string(tree.tokenText(element, swift::EnumCaseElement::name)),
                                .associated = {}};
            NodeId clause = tree.node(element, swift::EnumCaseElement::parameterClause);
            if (NodeId parameters = tree.node(clause, swift::EnumCaseParameterClause::parameters)) {
              std::size_t position = 0;
              for (NodeId parameter : tree.elements(parameters)) {
                if (!tree.is(parameter, SyntaxKind::enumCaseParameter)) continue;
                std::string_view first = tree.tokenText(parameter, swift::EnumCaseParameter::firstName);
                std::string_view second = tree.tokenText(parameter, swift::EnumCaseParameter::secondName);
                IRParam value{.label = std::nullopt, .name = {},
                              .type = lowerType(tree.node(parameter, swift::EnumCaseParameter::type))};
                if (!first.empty()) value.label = std::string(first);
                value.name = !second.empty()  ? std::string(second)
                             : !first.empty() ? std::string(first)
                                              : "value" + std::to_string(position);
                enumCase.associated.push_back(std::move(value));
                ++position;
              }
            }
            if (NodeId raw = tree.node(element, swift::EnumCaseElement::rawValue))
              enumCase.rawValue = lowerExpr(tree.node(raw, swift::InitializerClause::value));
            result.cases.push_back(std::move(enumCase));
          }
          break;
        }
        case SyntaxKind::typeAliasDecl: {
          NodeId aliased =
              tree.node(tree.node(member, swift::TypeAliasDecl::initializer), swift::TypeInitializerClause::value);
          result.typealiases[std::string(tree.tokenText(member, swift::TypeAliasDecl::name))] = lowerType(aliased);
          break;
        }
        default:
          if (auto nested = lowerTypeDecl(member)) result.nested.push_back(std::move(*nested));
          break;
      }
    }
  }

  if (head->kind == IRTypeKind::struct_) {
    std::set<std::string> viewNames = viewConstrainedNames(tree, decl);
    if (!viewNames.empty())
      for (IRProperty& property : result.properties)
        if (const auto* named = property.type.as<IRType::named>(); named && viewNames.contains(named->name))
          property.type = IRType::named{"View", {}};
  }
  return result;
}

IRFunction SwiftLowering::lowerFunction(NodeId decl) const {
  std::set<std::string> mods = modifiers(tree.node(decl, swift::FunctionDecl::modifiers));
  NodeId signature = tree.node(decl, swift::FunctionDecl::signature);
  Effects effects = effectsOf(tree, signature);
  IRFunction function{.name = std::string(tree.tokenText(decl, swift::FunctionDecl::name)),
                      .params = lowerParams(parameterListOf(tree, signature)),
                      .isStatic = contains(mods, "static", "class"),
                      .isMutating = contains(mods, "mutating"),
                      .isAsync = effects.isAsync,
                      .isThrows = effects.isThrows,
                      .isInit = false,
                      .isPrivate = contains(mods, "private", "fileprivate"),
                      .attributes = attributes(tree.node(decl, swift::FunctionDecl::attributes)),
                      .isOverride = contains(mods, "override")};
  if (NodeId returnClause = tree.node(signature, swift::FunctionSignature::returnClause))
    function.returnType = lowerType(tree.node(returnClause, swift::ReturnClause::type));
  if (NodeId body = tree.node(decl, swift::FunctionDecl::body))
    function.body = lowerBlock(tree.node(body, swift::CodeBlock::statements));
  return function;
}

IRFunction SwiftLowering::lowerInit(NodeId decl) const {
  std::set<std::string> mods = modifiers(tree.node(decl, swift::InitializerDecl::modifiers));
  NodeId signature = tree.node(decl, swift::InitializerDecl::signature);
  Effects effects = effectsOf(tree, signature);
  // Unlike functions and properties, a fileprivate initializer stays
  // reachable from the whole file, so only `private` hides it.
  IRFunction function{.name = "init",
                      .params = lowerParams(parameterListOf(tree, signature)),
                      .isStatic = false,
                      .isMutating = false,
                      .isAsync = effects.isAsync,
                      .isThrows = effects.isThrows,
                      .isInit = true,
                      .isPrivate = contains(mods, "private"),
                      .attributes = attributes(tree.node(decl, swift::InitializerDecl::attributes)),
                      .isOverride = false};
  if (NodeId body = tree.node(decl, swift::InitializerDecl::body))
    function.body = lowerBlock(tree.node(body, swift::CodeBlock::statements));
  return function;
}

std::vector<IRProperty> SwiftLowering::lowerVariable(NodeId decl) const {
  std::set<std::string> mods = modifiers(tree.node(decl, swift::VariableDecl::modifiers));
  std::vector<NodeId> attributeList = attributeNodes(tree, tree.node(decl, swift::VariableDecl::attributes));

  // Whatever attribute comes first is taken as the property wrapper.
  std::optional<std::string> wrapper;
  std::optional<std::string> wrapperArg;
  std::vector<std::string> otherAttributes;
  NodeId wrapperArguments;
  if (!attributeList.empty()) {
    NodeId first = attributeList.front();
    NodeId name = tree.node(first, swift::Attribute::attributeName);
    wrapper = name ? src(name) : std::string();
    if (tree.tokenOf(first, swift::Attribute::leftParen)) {
      wrapperArguments = tree.node(first, swift::Attribute::arguments);
      wrapperArg = wrapperArguments ? src(wrapperArguments) : std::string();
    }
    for (std::size_t i = 1; i < attributeList.size(); ++i) {
      NodeId other = tree.node(attributeList[i], swift::Attribute::attributeName);
      otherAttributes.push_back(other ? src(other) : std::string());
    }
  }
  bool isQuery = wrapper == "Query";

  std::vector<IRProperty> properties;
  NodeId bindings = tree.node(decl, swift::VariableDecl::bindings);
  if (!bindings) return properties;
  for (NodeId binding : tree.elements(bindings)) {
    NodeId pattern = tree.node(binding, swift::PatternBinding::pattern);
    if (!tree.is(pattern, SyntaxKind::identifierPattern)) continue;
    NodeId annotation = tree.node(binding, swift::PatternBinding::typeAnnotation);
    NodeId initialValue = tree.node(tree.node(binding, swift::PatternBinding::initializer), swift::InitializerClause::value);

    IRProperty property{.name = std::string(tree.tokenText(pattern, swift::IdentifierPattern::identifier)),
                        .type = annotation     ? lowerType(tree.node(annotation, swift::TypeAnnotation::type))
                                : initialValue ? guessType(initialValue)
                                               : IRType(IRType::inferred{}),
                        .isLet = tree.tokenText(decl, swift::VariableDecl::bindingSpecifier) == "let",
                        .isStatic = contains(mods, "static", "class"),
                        .wrapper = wrapper,
                        .wrapperArg = wrapperArg,
                        .isOverride = contains(mods, "override"),
                        .otherAttributes = otherAttributes,
                        .isPrivate = contains(mods, "private", "fileprivate")};
    if (isQuery) {
      std::vector<IRArg> args;
      if (tree.is(wrapperArguments, SyntaxKind::labeledExprList)) args = lowerArgs(wrapperArguments);
      property.initializer = IRExpr::call{IRExpr::ident{"__Query"}, std::move(args), {}};
    } else if (initialValue) {
      property.initializer = lowerExpr(initialValue);
    }

    NodeId accessorBlock = tree.node(binding, swift::PatternBinding::accessorBlock);
    NodeId accessors = tree.node(accessorBlock, swift::AccessorBlock::accessors);
    if (tree.is(accessors, SyntaxKind::codeBlockItemList)) {
      property.getter = lowerBlock(accessors);
    } else if (tree.is(accessors, SyntaxKind::accessorDeclList)) {
      NodeId getter;
      NodeId setter;
      for (NodeId accessor : tree.elements(accessors)) {
        std::string_view specifier = tree.tokenText(accessor, swift::AccessorDecl::accessorSpecifier);
        if (specifier == "get" && !getter) getter = accessor;
        if (specifier == "set" && !setter) setter = accessor;
      }
      NodeId getBody = tree.node(getter, swift::AccessorDecl::body);
      if (getBody) {
        property.getter = lowerBlock(tree.node(getBody, swift::CodeBlock::statements));
        if (NodeId setBody = tree.node(setter, swift::AccessorDecl::body))
          property.setter = lowerBlock(tree.node(setBody, swift::CodeBlock::statements));
        NodeId parameters = tree.node(setter, swift::AccessorDecl::parameters);
        std::string_view setterName = tree.tokenText(parameters, swift::AccessorParameters::name);
        if (!setterName.empty()) property.setterParam = std::string(setterName);
      }
    }
    properties.push_back(std::move(property));
  }
  return properties;
}

std::vector<IRParam> SwiftLowering::lowerParams(NodeId parameterList) const {
  std::vector<IRParam> params;
  if (tree.is(parameterList, SyntaxKind::functionParameterClause))
    parameterList = tree.node(parameterList, swift::FunctionParameterClause::parameters);
  if (!parameterList) return params;
  for (NodeId parameter : tree.elements(parameterList)) {
    if (!tree.is(parameter, SyntaxKind::functionParameter)) continue;
    std::string_view first = tree.tokenText(parameter, swift::FunctionParameter::firstName);
    std::string_view second = tree.tokenText(parameter, swift::FunctionParameter::secondName);
    NodeId type = tree.node(parameter, swift::FunctionParameter::type);
    std::string name(second.empty() ? first : second);
    IRParam param{.label = std::nullopt, .name = name == "_" ? "unused" : name, .type = lowerType(type)};
    if (first != "_") param.label = std::string(first);
    if (tree.is(type, SyntaxKind::attributedType))
      if (NodeId specifiers = tree.node(type, swift::AttributedType::specifiers))
        for (NodeId specifier : tree.elements(specifiers))
          if (tree.src(specifier) == "inout") param.isInout = true;
    if (NodeId defaultValue = tree.node(parameter, swift::FunctionParameter::defaultValue))
      param.defaultValue = lowerExpr(tree.node(defaultValue, swift::InitializerClause::value));
    params.push_back(std::move(param));
  }
  return params;
}

IRType SwiftLowering::lowerType(NodeId type) const {
  if (!type) return IRType::named{"", {}};
  switch (tree.kind(type)) {
    case SyntaxKind::identifierType: {
      std::vector<IRType> args;
      NodeId clause = tree.node(type, swift::IdentifierType::genericArgumentClause);
      if (NodeId arguments = tree.node(clause, swift::GenericArgumentClause::arguments))
        for (NodeId element : tree.elements(arguments)) {
          NodeId argument = tree.node(element, swift::GenericArgument::argument);
          // Value generics («Vector<3, Int>») have no IR form; only types are kept.
          if (argument && tree.category(argument) == SyntaxCategory::type) args.push_back(lowerType(argument));
        }
      std::string_view name = tree.tokenText(type, swift::IdentifierType::name);
      if (name == "Array" && args.size() == 1) return IRType::array{std::move(args[0])};
      if (name == "Optional" && args.size() == 1) return IRType::optional{std::move(args[0])};
      if (name == "Dictionary" && args.size() == 2) return IRType::dictionary{std::move(args[0]), std::move(args[1])};
      return IRType::named{std::string(name), std::move(args)};
    }
    case SyntaxKind::optionalType:
    case SyntaxKind::implicitlyUnwrappedOptionalType: {
      // A run of marks ("Int???") is one level per mark: walked in a loop and
      // counted like the links of a chain.
      std::size_t marks = 0;
      NodeId wrapped = type;
      const auto isMark = [&](NodeId node) {
        return tree.is(node, SyntaxKind::optionalType) || tree.is(node, SyntaxKind::implicitlyUnwrappedOptionalType);
      };
      for (; isMark(wrapped); ++marks) {
        wrapped = tree.is(wrapped, SyntaxKind::optionalType)
                      ? tree.node(wrapped, swift::OptionalType::wrappedType)
                      : tree.node(wrapped, swift::ImplicitlyUnwrappedOptionalType::wrappedType);
      }
      if (openChainLinks + marks >= maxChainLinks) return IRType::named{src(type), {}};
      openChainLinks += marks;
      IRType result = lowerType(wrapped);
      openChainLinks -= marks;
      for (std::size_t i = 0; i < marks; ++i) result = IRType::optional{std::move(result)};
      return result;
    }
    case SyntaxKind::arrayType: return IRType::array{lowerType(tree.node(type, swift::ArrayType::element))};
    case SyntaxKind::dictionaryType:
      return IRType::dictionary{lowerType(tree.node(type, swift::DictionaryType::key)),
                                lowerType(tree.node(type, swift::DictionaryType::value))};
    case SyntaxKind::tupleType: {
      std::vector<IRType> elements;
      if (NodeId list = tree.node(type, swift::TupleType::elements))
        for (NodeId element : tree.elements(list))
          if (tree.is(element, SyntaxKind::tupleTypeElement)) elements.push_back(lowerType(tree.node(element, swift::TupleTypeElement::type)));
      if (elements.empty()) return IRType::named{"Void", {}};
      // Parentheses around one type are transparent.
      if (elements.size() == 1) return std::move(elements.front());
      return IRType::tuple{std::move(elements)};
    }
    case SyntaxKind::functionType: {
      std::vector<IRType> params;
      if (NodeId list = tree.node(type, swift::FunctionType::parameters))
        for (NodeId element : tree.elements(list))
          if (tree.is(element, SyntaxKind::tupleTypeElement)) params.push_back(lowerType(tree.node(element, swift::TupleTypeElement::type)));
      NodeId returnClause = tree.node(type, swift::FunctionType::returnClause);
      return IRType::function{std::move(params), lowerType(tree.node(returnClause, swift::ReturnClause::type))};
    }
    case SyntaxKind::attributedType: return lowerType(tree.node(type, swift::AttributedType::baseType));
    case SyntaxKind::someOrAnyType: return lowerType(tree.node(type, swift::SomeOrAnyType::constraint));
    default: return IRType::named{src(type), {}};
  }
}

IRType SwiftLowering::guessType(NodeId expr) const {
  if (!expr) return IRType::inferred{};
  switch (tree.kind(expr)) {
    case SyntaxKind::integerLiteralExpr: return IRType::named{"Int", {}};
    case SyntaxKind::floatLiteralExpr: return IRType::named{"Double", {}};
    case SyntaxKind::stringLiteralExpr: return IRType::named{"String", {}};
    case SyntaxKind::booleanLiteralExpr: return IRType::named{"Bool", {}};
    case SyntaxKind::functionCallExpr: {
      NodeId callee = tree.node(expr, swift::FunctionCallExpr::calledExpression);
      if (tree.is(callee, SyntaxKind::declReferenceExpr) && !tree.node(callee, swift::DeclReferenceExpr::argumentNames)) {
        std::string_view name = tree.tokenText(callee, swift::DeclReferenceExpr::baseName);
        if (text::isUppercase(name)) return IRType::named{std::string(name), {}};
      }
      return IRType::inferred{};
    }
    case SyntaxKind::prefixOperatorExpr:
      if (tree.tokenText(expr, swift::PrefixOperatorExpr::operator_) == "-")
        return guessType(tree.node(expr, swift::PrefixOperatorExpr::expression));
      return IRType::inferred{};
    default: return IRType::inferred{};
  }
}

std::vector<std::string> SwiftLowering::inherits(NodeId inheritanceClause) const {
  std::vector<std::string> names;
  NodeId types = tree.node(inheritanceClause, swift::InheritanceClause::inheritedTypes);
  if (!types) return names;
  for (NodeId inherited : tree.elements(types))
    if (NodeId type = tree.node(inherited, swift::InheritedType::type)) names.push_back(src(type));
  return names;
}

std::vector<std::string> SwiftLowering::attributes(NodeId attributeList) const {
  std::vector<std::string> names;
  for (NodeId attribute : attributeNodes(tree, attributeList)) {
    NodeId name = tree.node(attribute, swift::Attribute::attributeName);
    names.push_back(name ? src(name) : std::string());
  }
  return names;
}

std::set<std::string> SwiftLowering::modifiers(NodeId modifierList) const {
  std::set<std::string> names;
  if (!modifierList) return names;
  for (NodeId modifier : tree.elements(modifierList)) {
    if (!tree.is(modifier, SyntaxKind::declModifier)) continue;
    std::string name(tree.tokenText(modifier, swift::DeclModifier::name));
    // «private(set)» limits only the setter: the property stays readable
    // from other types, so it must not count as a private modifier.
    NodeId detail = tree.node(modifier, swift::DeclModifier::detail);
    if (detail && tree.tokenText(detail, swift::DeclModifierDetail::detail) == "set") name += "(set)";
    names.insert(std::move(name));
  }
  return names;
}

}  // namespace tovrane
