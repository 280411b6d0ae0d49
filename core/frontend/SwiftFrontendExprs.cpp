// Lowering of expressions, argument lists and closures. Every expression
// kind maps to one IRExpr case or to `unsupported` with its source text;
// literals and operators stay as written. A file whose operator sequences
// could not be folded still shows sequenceExpr nodes, which fall through to
// `unsupported` like every other kind without an IR form.
#include "core/frontend/SwiftLowering.hpp"
#include "core/support/Text.hpp"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

namespace tovrane {

using swift::NodeId;
using swift::SyntaxKind;
using swift::SyntaxTree;
namespace sx = swift;

namespace {

// Far more anonymous parameters than any closure has; a reference beyond it
// ("$100000") is ignored so that a typo or a hostile file cannot make the
// lowering produce millions of parameter names.
constexpr std::int64_t maxAnonymousIndex = 255;

// Finds the highest `$n` referenced below the walked node. A `$n` inside a
// nested closure is that closure's own parameter (`{ items.map { $0 * 2 } }`
// takes no parameter itself), so nested closures are passed over: the walk
// runs in source order, and every reference that lies within the source text
// of a closure already seen is skipped. Property-wrapper projections
// (`$name`) and a lone "$" are not anonymous parameters. Lives for one closure.
class AnonymousParamFinder : public sx::SyntaxVisitor {
 public:
  std::int64_t maxIndex = -1;

 protected:
  void visitClosureExpr(const SyntaxTree& tree, NodeId node) override {
    std::string_view text = tree.src(node);
    nestedEnd_ = std::max(nestedEnd_, text.data() + text.size());
  }
  void visitDeclReferenceExpr(const SyntaxTree& tree, NodeId node) override {
    std::string_view name = tree.tokenText(node, sx::DeclReferenceExpr::baseName);
    if (name.size() < 2 || name[0] != '$') return;
    if (std::less<>()(name.data(), nestedEnd_)) return;
    std::string_view digits = name.substr(1);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return;
    std::int64_t index = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (error != std::errc() || end != digits.data() + digits.size() || index > maxAnonymousIndex) return;
    maxIndex = std::max(maxIndex, index);
  }

 private:
  // End of the source text of the nested closures seen so far.
  const char* nestedEnd_ = nullptr;
};

IRExpr unsupported(const SwiftLowering& lowering, NodeId node) {
  return IRExpr::unsupported{lowering.unsupportedSource(node)};
}

std::string withoutUnderscores(std::string_view literal) { return text::replaceAll(literal, "_", ""); }

// `\Root.a?.b` becomes `{ $0.a?.b }`; only property and optional components
// have a closure form. Each component nests the value once more, so they
// count as links of a chain.
IRExpr lowerKeyPath(const SwiftLowering& lowering, NodeId keyPath) {
  const SyntaxTree& tree = lowering.tree;
  NodeId components = tree.node(keyPath, sx::KeyPathExpr::components);
  if (lowering.openChainLinks + tree.elements(components).size() >= maxChainLinks)
    return unsupported(lowering, keyPath);
  IRExpr current = IRExpr::ident{"$0"};
  for (NodeId element : tree.elements(components)) {
    NodeId component = tree.node(element, sx::KeyPathComponent::component);
    if (tree.is(component, SyntaxKind::keyPathPropertyComponent)) {
      NodeId name = tree.node(component, sx::KeyPathPropertyComponent::declName);
      current = IRExpr::member{Box<IRExpr>(std::move(current)),
                               std::string(tree.tokenText(name, sx::DeclReferenceExpr::baseName))};
    } else if (tree.is(component, SyntaxKind::keyPathOptionalComponent)) {
      current = IRExpr::postfix{std::move(current), "?"};
    } else {
      return unsupported(lowering, keyPath);
    }
  }
  std::vector<IRStmt> body;
  body.emplace_back(IRStmt::ret{Box<IRExpr>(std::move(current))});
  return IRExpr::closure{IRClosure{.params = {"$0"}, .body = std::move(body)}};
}

// The text of a raw string segment in the escaped form of an ordinary
// literal: a backslash stands for itself there («#"\d+"#»), so it is
// doubled, unless it opens a raw escape («\#n» with the literal's pounds),
// which becomes the ordinary escape.
std::string rawSegmentText(std::string_view text, std::string_view pounds) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
    } else if (text.substr(i + 1, pounds.size()) == pounds) {
      out += '\\';
      i += pounds.size();
    } else {
      out += "\\\\";
    }
  }
  return out;
}

IRExpr lowerString(const SwiftLowering& lowering, NodeId literal) {
  const SyntaxTree& tree = lowering.tree;
  IRExpr::stringLit result;
  const std::string_view pounds = tree.tokenText(literal, sx::StringLiteralExpr::openingPounds);
  for (NodeId segment : tree.elements(tree.node(literal, sx::StringLiteralExpr::segments))) {
    if (tree.is(segment, SyntaxKind::stringSegment)) {
      const std::string_view content = tree.tokenText(segment, sx::StringSegment::content);
      result.parts.emplace_back(IRStringPart::text{pounds.empty() ? std::string(content) : rawSegmentText(content, pounds)});
      continue;
    }
    if (!tree.is(segment, SyntaxKind::expressionSegment)) continue;
    auto arguments = tree.elements(tree.node(segment, sx::ExpressionSegment::expressions));
    if (arguments.empty()) continue;
    NodeId first = tree.node(arguments[0], sx::LabeledExpr::expression);
    if (!first) continue;
    result.parts.emplace_back(IRStringPart::interp{lowering.lowerExpr(first)});
  }
  return result;
}

// The unlabeled trailing closure first, then the labeled ones in order.
std::vector<IRArg> trailingClosures(const SwiftLowering& lowering, NodeId trailing, NodeId additional) {
  const SyntaxTree& tree = lowering.tree;
  std::vector<IRArg> result;
  if (trailing) result.push_back(IRArg{.value = IRExpr::closure{lowering.lowerClosure(trailing)}});
  for (NodeId element : tree.elements(additional)) {
    std::string label(tree.tokenText(element, sx::MultipleTrailingClosureElement::label));
    NodeId closure = tree.node(element, sx::MultipleTrailingClosureElement::closure);
    result.push_back(IRArg{.label = std::move(label), .value = IRExpr::closure{lowering.lowerClosure(closure)}});
  }
  return result;
}

// The label of a labeled-expression element as written; recovery's
// zero-width stand-in for a label is no label.
std::optional<std::string> argumentLabel(const SyntaxTree& tree, NodeId element) {
  sx::TokenId label = tree.tokenOf(element, sx::LabeledExpr::label);
  if (!label || tree.isMissing(label)) return std::nullopt;
  return std::string(tree.text(label));
}

// The keyword followed by its `?` or `!` mark when written ("as?", "try!").
template <typename S>
std::string withMark(const SyntaxTree& tree, NodeId node, std::string keyword, S mark) {
  return keyword + std::string(tree.tokenText(node, mark));
}

// Chains: postfix links (`a.b().c[0]!`), operators (`0 + 1 + …`), ternaries
// and casts each nest one node per link, and generated files hold chains of
// hundreds of thousands of links. A chain is lowered along its spine in one
// loop: down to the innermost value, then back out, wrapping the value in each
// link. Only the side branches of a link (arguments, the other operand) are
// lowered by a call of their own, and those nest no deeper than the parser's
// nesting cap allows. The links open at once are capped (maxChainLinks).

// Where a link's chain continues: through its base (postfix links and casts),
// or through the left or right operand of an operator or ternary.
enum class Spine : std::uint8_t { none, base, left, right };


bool isOperatorLink(const SyntaxTree& tree, NodeId infix) {
  NodeId op = tree.node(infix, sx::InfixOperatorExpr::operator_);
  return tree.is(op, SyntaxKind::binaryOperatorExpr) || tree.is(op, SyntaxKind::assignmentExpr);
}

// Whether a node continues a chain: a postfix link or cast, a ternary, an
// operator with an IR form, a member access with a base. An implicit member
// (`.name`) or another operator ends a chain.
bool isLink(const SyntaxTree& tree, NodeId node) {
  switch (node ? tree.kind(node) : SyntaxKind::missingExpr) {
    case SyntaxKind::functionCallExpr:
    case SyntaxKind::subscriptCallExpr:
    case SyntaxKind::forceUnwrapExpr:
    case SyntaxKind::optionalChainingExpr:
    case SyntaxKind::postfixOperatorExpr:
    case SyntaxKind::genericSpecializationExpr:
    case SyntaxKind::asExpr:
    case SyntaxKind::isExpr:
    case SyntaxKind::ternaryExpr: return true;
    case SyntaxKind::memberAccessExpr: return bool(tree.node(node, sx::MemberAccessExpr::base));
    case SyntaxKind::infixOperatorExpr: return isOperatorLink(tree, node);
    default: return false;
  }
}

// The child of a link through which its chain continues, and on which side.
// An operator or ternary continues on the right only when its left side is
// no link, so a chain built left to right (`0 + 1 + 2`) and one built right
// to left (`a ?? b ?? c`, `x ? 1 : y ? 2 : 3`) both run along one spine.
std::pair<NodeId, Spine> spineOf(const SyntaxTree& tree, NodeId link) {
  const auto either = [&](NodeId left, NodeId right) {
    if (!isLink(tree, left) && isLink(tree, right)) return std::pair{right, Spine::right};
    return std::pair{left, Spine::left};
  };
  switch (tree.kind(link)) {
    case SyntaxKind::functionCallExpr: return {tree.node(link, sx::FunctionCallExpr::calledExpression), Spine::base};
    case SyntaxKind::subscriptCallExpr: return {tree.node(link, sx::SubscriptCallExpr::calledExpression), Spine::base};
    case SyntaxKind::memberAccessExpr: return {tree.node(link, sx::MemberAccessExpr::base), Spine::base};
    case SyntaxKind::forceUnwrapExpr: return {tree.node(link, sx::ForceUnwrapExpr::expression), Spine::base};
    case SyntaxKind::optionalChainingExpr: return {tree.node(link, sx::OptionalChainingExpr::expression), Spine::base};
    case SyntaxKind::postfixOperatorExpr: return {tree.node(link, sx::PostfixOperatorExpr::expression), Spine::base};
    case SyntaxKind::genericSpecializationExpr:
      return {tree.node(link, sx::GenericSpecializationExpr::expression), Spine::base};
    case SyntaxKind::asExpr: return {tree.node(link, sx::AsExpr::expression), Spine::base};
    case SyntaxKind::isExpr: return {tree.node(link, sx::IsExpr::expression), Spine::base};
    case SyntaxKind::infixOperatorExpr:
      return either(tree.node(link, sx::InfixOperatorExpr::leftOperand),
                    tree.node(link, sx::InfixOperatorExpr::rightOperand));
    case SyntaxKind::ternaryExpr:
      return either(tree.node(link, sx::TernaryExpr::condition), tree.node(link, sx::TernaryExpr::elseExpression));
    default: return {NodeId{}, Spine::none};
  }
}

// One link around the value of the chain inside it (`inner`, which stood on
// the `spine` side); the link's other children are lowered here.
IRExpr wrapLink(const SwiftLowering& lowering, NodeId link, Spine spine, IRExpr inner) {
  const SyntaxTree& tree = lowering.tree;
  switch (tree.kind(link)) {
    case SyntaxKind::functionCallExpr: {
      std::vector<IRArg> args = lowering.lowerArgs(tree.node(link, sx::FunctionCallExpr::arguments));
      std::vector<IRArg> trailing = trailingClosures(lowering, tree.node(link, sx::FunctionCallExpr::trailingClosure),
                                                     tree.node(link, sx::FunctionCallExpr::additionalTrailingClosures));
      return IRExpr::call{std::move(inner), std::move(args), std::move(trailing)};
    }
    case SyntaxKind::subscriptCallExpr:
      return IRExpr::subscriptExpr{std::move(inner),
                                   lowering.lowerArgs(tree.node(link, sx::SubscriptCallExpr::arguments))};
    case SyntaxKind::memberAccessExpr: {
      NodeId name = tree.node(link, sx::MemberAccessExpr::declName);
      return IRExpr::member{Box<IRExpr>(std::move(inner)),
                            std::string(tree.tokenText(name, sx::DeclReferenceExpr::baseName))};
    }
    case SyntaxKind::forceUnwrapExpr: return IRExpr::postfix{std::move(inner), "!"};
    case SyntaxKind::optionalChainingExpr: return IRExpr::postfix{std::move(inner), "?"};
    case SyntaxKind::postfixOperatorExpr: {
      std::string op(tree.tokenText(link, sx::PostfixOperatorExpr::operator_));
      if (op == "...") return IRExpr::range{Box<IRExpr>(std::move(inner)), op, std::nullopt};
      return IRExpr::postfix{std::move(inner), op};
    }
    case SyntaxKind::asExpr: {
      std::string keyword = withMark(tree, link, "as", sx::AsExpr::questionOrExclamationMark);
      return IRExpr::cast{std::move(inner), std::move(keyword), lowering.lowerType(tree.node(link, sx::AsExpr::type))};
    }
    case SyntaxKind::isExpr:
      return IRExpr::cast{std::move(inner), "is", lowering.lowerType(tree.node(link, sx::IsExpr::type))};
    case SyntaxKind::infixOperatorExpr: {
      const bool onLeft = spine == Spine::left;
      IRExpr other = lowering.lowerExpr(
          tree.node(link, onLeft ? sx::InfixOperatorExpr::rightOperand : sx::InfixOperatorExpr::leftOperand));
      IRExpr left = onLeft ? std::move(inner) : std::move(other);
      IRExpr right = onLeft ? std::move(other) : std::move(inner);
      NodeId op = tree.node(link, sx::InfixOperatorExpr::operator_);
      if (!tree.is(op, SyntaxKind::binaryOperatorExpr)) return IRExpr::binary{std::move(left), "=", std::move(right)};
      std::string text(tree.tokenText(op, sx::BinaryOperatorExpr::operator_));
      if (text == "..<" || text == "...")
        return IRExpr::range{Box<IRExpr>(std::move(left)), text, Box<IRExpr>(std::move(right))};
      return IRExpr::binary{std::move(left), text, std::move(right)};
    }
    case SyntaxKind::ternaryExpr: {
      const bool onLeft = spine == Spine::left;
      IRExpr thenValue = lowering.lowerExpr(tree.node(link, sx::TernaryExpr::thenExpression));
      IRExpr other =
          lowering.lowerExpr(tree.node(link, onLeft ? sx::TernaryExpr::elseExpression : sx::TernaryExpr::condition));
      IRExpr cond = onLeft ? std::move(inner) : std::move(other);
      IRExpr elseValue = onLeft ? std::move(other) : std::move(inner);
      return IRExpr::ternary{std::move(cond), std::move(thenValue), std::move(elseValue)};
    }
    default: return inner;  // a generic specialization: the arguments have no IR form
  }
}

IRExpr lowerChain(const SwiftLowering& lowering, NodeId expr) {
  const SyntaxTree& tree = lowering.tree;
  std::vector<std::pair<NodeId, Spine>> links;
  NodeId innermost = expr;
  while (isLink(tree, innermost)) {
    if (lowering.openChainLinks + links.size() == maxChainLinks) return unsupported(lowering, expr);
    const auto [next, spine] = spineOf(tree, innermost);
    links.emplace_back(innermost, spine);
    innermost = next;
  }
  if (links.empty()) {
    // An implicit member, or an operator without an IR form.
    if (!tree.is(expr, SyntaxKind::memberAccessExpr)) return unsupported(lowering, expr);
    NodeId name = tree.node(expr, sx::MemberAccessExpr::declName);
    return IRExpr::member{std::nullopt, std::string(tree.tokenText(name, sx::DeclReferenceExpr::baseName))};
  }
  lowering.openChainLinks += links.size();
  IRExpr value = lowering.lowerExpr(innermost);
  for (auto link = links.rbegin(); link != links.rend(); ++link)
    value = wrapLink(lowering, link->first, link->second, std::move(value));
  lowering.openChainLinks -= links.size();
  return value;
}

}  // namespace

std::vector<IRArg> SwiftLowering::lowerArgs(NodeId labeledExprList) const {
  std::vector<IRArg> result;
  for (NodeId element : tree.elements(labeledExprList)) {
    std::optional<std::string> label = argumentLabel(tree, element);
    result.push_back(IRArg{.label = std::move(label), .value = lowerExpr(tree.node(element, sx::LabeledExpr::expression))});
  }
  return result;
}

IRExpr SwiftLowering::lowerExpr(NodeId expr) const {
  if (!expr) return IRExpr::unsupported{""};
  switch (tree.kind(expr)) {
    case SyntaxKind::declReferenceExpr: {
      std::string name(tree.tokenText(expr, sx::DeclReferenceExpr::baseName));
      if (name == "self" || name == "Self") return IRExpr::selfRef{};
      return IRExpr::ident{std::move(name)};
    }
    case SyntaxKind::superExpr:
      return IRExpr::ident{"super"};
    case SyntaxKind::integerLiteralExpr:
      return IRExpr::intLit{withoutUnderscores(tree.tokenText(expr, sx::IntegerLiteralExpr::literal))};
    case SyntaxKind::floatLiteralExpr:
      return IRExpr::floatLit{withoutUnderscores(tree.tokenText(expr, sx::FloatLiteralExpr::literal))};
    case SyntaxKind::booleanLiteralExpr:
      return IRExpr::boolLit{tree.tokenText(expr, sx::BooleanLiteralExpr::literal) == "true"};
    case SyntaxKind::nilLiteralExpr:
      return IRExpr::nilLit{};
    case SyntaxKind::stringLiteralExpr:
      return lowerString(*this, expr);
    case SyntaxKind::memberAccessExpr:
    case SyntaxKind::functionCallExpr:
    case SyntaxKind::subscriptCallExpr:
    case SyntaxKind::genericSpecializationExpr:
    case SyntaxKind::infixOperatorExpr:
    case SyntaxKind::ternaryExpr:
    case SyntaxKind::postfixOperatorExpr:
    case SyntaxKind::forceUnwrapExpr:
    case SyntaxKind::optionalChainingExpr:
    case SyntaxKind::asExpr:
    case SyntaxKind::isExpr:
      return lowerChain(*this, expr);
    case SyntaxKind::prefixOperatorExpr: {
      std::string op(tree.tokenText(expr, sx::PrefixOperatorExpr::operator_));
      IRExpr operand = lowerExpr(tree.node(expr, sx::PrefixOperatorExpr::expression));
      if (op == "..<" || op == "...") return IRExpr::range{std::nullopt, op, Box<IRExpr>(std::move(operand))};
      return IRExpr::prefix{op, std::move(operand)};
    }
    case SyntaxKind::closureExpr:
      return IRExpr::closure{lowerClosure(expr)};
    case SyntaxKind::arrayExpr: {
      IRExpr::arrayLit result;
      for (NodeId element : tree.elements(tree.node(expr, sx::ArrayExpr::elements)))
        result.elements.push_back(lowerExpr(tree.node(element, sx::ArrayElement::expression)));
      return result;
    }
    case SyntaxKind::dictionaryExpr: {
      // `[:]` holds a colon token in the content slot, so elements() is empty.
      IRExpr::dictLit result;
      for (NodeId element : tree.elements(tree.node(expr, sx::DictionaryExpr::content))) {
        IRExpr key = lowerExpr(tree.node(element, sx::DictionaryElement::key));
        IRExpr value = lowerExpr(tree.node(element, sx::DictionaryElement::value));
        result.entries.push_back(IRDictEntry{.key = std::move(key), .value = std::move(value)});
      }
      return result;
    }
    case SyntaxKind::tupleExpr: {
      NodeId list = tree.node(expr, sx::TupleExpr::elements);
      auto elements = tree.elements(list);
      if (elements.size() == 1 && !argumentLabel(tree, elements[0]))
        return lowerExpr(tree.node(elements[0], sx::LabeledExpr::expression));
      return IRExpr::tuple{lowerArgs(list)};
    }
    case SyntaxKind::tryExpr: {
      IRExpr value = lowerExpr(tree.node(expr, sx::TryExpr::expression));
      return IRExpr::tryExpr{std::move(value), withMark(tree, expr, "try", sx::TryExpr::questionOrExclamationMark)};
    }
    case SyntaxKind::awaitExpr:
      return IRExpr::awaitExpr{lowerExpr(tree.node(expr, sx::AwaitExpr::expression))};
    case SyntaxKind::ifExpr:
      return IRExpr::ifExpr{lowerIf(expr)};
    case SyntaxKind::switchExpr:
      return IRExpr::ifExpr{lowerSwitch(expr)};
    case SyntaxKind::typeExpr:
    case SyntaxKind::patternExpr:
      return IRExpr::ident{src(expr)};
    case SyntaxKind::discardAssignmentExpr:
      return IRExpr::ident{"_"};
    case SyntaxKind::macroExpansionExpr: {
      NodeId trailing = tree.node(expr, sx::MacroExpansionExpr::trailingClosure);
      if (tree.tokenText(expr, sx::MacroExpansionExpr::macroName) == "Predicate" && trailing)
        return IRExpr::closure{lowerClosure(trailing)};
      return unsupported(*this, expr);
    }
    case SyntaxKind::keyPathExpr:
      return lowerKeyPath(*this, expr);
    default:
      return unsupported(*this, expr);
  }
}

IRClosure SwiftLowering::lowerClosure(NodeId closure) const {
  IRClosure result;
  NodeId clause = tree.node(tree.node(closure, sx::ClosureExpr::signature), sx::ClosureSignature::parameterClause);
  if (tree.is(clause, SyntaxKind::closureParameterClause)) {
    for (NodeId parameter : tree.elements(tree.node(clause, sx::ClosureParameterClause::parameters))) {
      sx::TokenId second = tree.tokenOf(parameter, sx::ClosureParameter::secondName);
      sx::TokenId name = second ? second : tree.tokenOf(parameter, sx::ClosureParameter::firstName);
      result.params.emplace_back(name ? tree.text(name) : std::string_view());
    }
  } else if (tree.is(clause, SyntaxKind::closureShorthandParameterList)) {
    for (NodeId parameter : tree.elements(clause))
      result.params.emplace_back(tree.tokenText(parameter, sx::ClosureShorthandParameter::name));
  }
  NodeId statements = tree.node(closure, sx::ClosureExpr::statements);
  result.body = lowerBlock(statements);
  if (result.params.empty() && statements) {
    AnonymousParamFinder finder;
    finder.walk(tree, statements);
    for (std::int64_t index = 0; index <= finder.maxIndex; ++index) {
      std::string name = "$";
      name.append(std::to_string(index));
      result.params.push_back(std::move(name));
    }
  }
  return result;
}

}  // namespace tovrane
