// Lowering of code blocks: statements, local declarations, condition lists
// and case patterns. Statement position is the only place that produces
// `assign`; an assignment nested in an expression stays a binary operation.
// What has no IR form becomes `unsupported` with the construct's source text.
#include "core/frontend/SwiftLowering.hpp"
#include "core/support/Text.hpp"

#include <array>
#include <string>
#include <string_view>

namespace tovrane {

using swift::NodeId;
using swift::SyntaxCategory;
using swift::SyntaxKind;
using swift::SyntaxTree;
namespace sx = swift;

namespace {

// Compound assignments that become `assign`; the others ("<<=", "&=", …)
// stay binary operations, which the backend writes as they are.
constexpr std::array<std::string_view, 5> compoundAssignments = {"+=", "-=", "*=", "/=", "%="};

IRStmt unsupportedStmt(const SwiftLowering& lowering, NodeId node) {
  return IRStmt::unsupported{lowering.unsupportedSource(node)};
}

std::vector<IRStmt> blockBody(const SwiftLowering& lowering, NodeId codeBlock) {
  return lowering.lowerBlock(lowering.tree.node(codeBlock, sx::CodeBlock::statements));
}

std::string identifierOf(const SyntaxTree& tree, NodeId pattern) {
  return std::string(tree.tokenText(pattern, sx::IdentifierPattern::identifier));
}

// One statement per binding of a local `var`/`let`; attributes, modifiers
// and accessor blocks are not kept.
std::vector<IRStmt> lowerLocalVariable(const SwiftLowering& lowering, NodeId decl) {
  const SyntaxTree& tree = lowering.tree;
  bool isLet = tree.tokenText(decl, sx::VariableDecl::bindingSpecifier) == "let";
  std::vector<IRStmt> result;
  for (NodeId binding : tree.elements(tree.node(decl, sx::VariableDecl::bindings))) {
    NodeId pattern = tree.node(binding, sx::PatternBinding::pattern);
    NodeId annotation = tree.node(binding, sx::PatternBinding::typeAnnotation);
    NodeId value = tree.node(tree.node(binding, sx::PatternBinding::initializer), sx::InitializerClause::value);
    if (tree.is(pattern, SyntaxKind::identifierPattern)) {
      IRType type = annotation ? lowering.lowerType(tree.node(annotation, sx::TypeAnnotation::type))
                    : value    ? IRType(IRType::inferred{})
                               : IRType(IRType::named{"Any", {}});
      std::optional<Box<IRExpr>> initial;
      if (value) initial = Box<IRExpr>(lowering.lowerExpr(value));
      result.emplace_back(IRStmt::local{identifierOf(tree, pattern), std::move(type), isLet, std::move(initial)});
    } else if (tree.is(pattern, SyntaxKind::tuplePattern) && value) {
      std::vector<std::string> names;
      for (NodeId element : tree.elements(tree.node(pattern, sx::TuplePattern::elements))) {
        NodeId inner = tree.node(element, sx::TuplePatternElement::pattern);
        names.push_back(tree.is(inner, SyntaxKind::identifierPattern) ? identifierOf(tree, inner) : "_");
      }
      result.emplace_back(IRStmt::destructure{std::move(names), lowering.lowerExpr(value)});
    } else {
      result.push_back(unsupportedStmt(lowering, decl));
    }
  }
  return result;
}

// The loop variable as written: "_" becomes "unused", a tuple pattern loses
// its blanks ("(key,value)").
std::string loopName(const SwiftLowering& lowering, NodeId pattern) {
  std::string name = lowering.src(pattern);
  if (name == "_") return "unused";
  if (lowering.tree.is(pattern, SyntaxKind::tuplePattern)) return text::replaceAll(name, " ", "");
  return name;
}

IRStmt lowerFor(const SwiftLowering& lowering, NodeId loop) {
  const SyntaxTree& tree = lowering.tree;
  std::string name = loopName(lowering, tree.node(loop, sx::ForStmt::pattern));
  IRExpr sequence = lowering.lowerExpr(tree.node(loop, sx::ForStmt::sequence));
  std::vector<IRStmt> body = blockBody(lowering, tree.node(loop, sx::ForStmt::body));
  if (NodeId where = tree.node(loop, sx::ForStmt::whereClause)) {
    std::vector<IRCondition> conds;
    conds.emplace_back(IRCondition::bool_{lowering.lowerExpr(tree.node(where, sx::WhereClause::condition))});
    std::vector<IRStmt> filtered;
    filtered.emplace_back(IRStmt::ifStmt{std::move(conds), std::move(body), std::nullopt});
    body = std::move(filtered);
  }
  return IRStmt::forIn{std::move(name), std::move(sequence), std::move(body)};
}

IRStmt lowerDo(const SwiftLowering& lowering, NodeId stmt) {
  const SyntaxTree& tree = lowering.tree;
  std::vector<IRStmt> body = blockBody(lowering, tree.node(stmt, sx::DoStmt::body));
  std::optional<std::vector<IRStmt>> catchBody;
  auto clauses = tree.elements(tree.node(stmt, sx::DoStmt::catchClauses));
  if (!clauses.empty()) catchBody = blockBody(lowering, tree.node(clauses[0], sx::CatchClause::body));
  return IRStmt::doCatch{std::move(body), std::move(catchBody)};
}

// A binding inside an enum-case pattern argument: `let x` gives "x", `_`
// gives null, anything else its text without binding keywords.
std::optional<std::string> caseBinding(const SwiftLowering& lowering, NodeId argument) {
  const SyntaxTree& tree = lowering.tree;
  if (tree.is(argument, SyntaxKind::patternExpr)) {
    NodeId pattern = tree.node(argument, sx::PatternExpr::pattern);
    if (tree.is(pattern, SyntaxKind::valueBindingPattern))
      return lowering.src(tree.node(pattern, sx::ValueBindingPattern::pattern));
  }
  std::string text = lowering.src(argument);
  if (text == "_") return std::nullopt;
  return text::replaceAll(text::replaceAll(text, "let ", ""), "var ", "");
}

IRPattern lowerExpressionPattern(const SwiftLowering& lowering, NodeId expr) {
  const SyntaxTree& tree = lowering.tree;
  if (tree.is(expr, SyntaxKind::functionCallExpr)) {
    NodeId callee = tree.node(expr, sx::FunctionCallExpr::calledExpression);
    if (tree.is(callee, SyntaxKind::memberAccessExpr)) {
      NodeId name = tree.node(callee, sx::MemberAccessExpr::declName);
      IRPattern::enumCase result{std::string(tree.tokenText(name, sx::DeclReferenceExpr::baseName)), {}};
      for (NodeId argument : tree.elements(tree.node(expr, sx::FunctionCallExpr::arguments)))
        result.bindings.push_back(caseBinding(lowering, tree.node(argument, sx::LabeledExpr::expression)));
      return result;
    }
  }
  if (tree.is(expr, SyntaxKind::memberAccessExpr) && !tree.node(expr, sx::MemberAccessExpr::base)) {
    NodeId name = tree.node(expr, sx::MemberAccessExpr::declName);
    return IRPattern::enumCase{std::string(tree.tokenText(name, sx::DeclReferenceExpr::baseName)), {}};
  }
  return IRPattern::expr{lowering.lowerExpr(expr)};
}

}  // namespace

std::vector<IRStmt> SwiftLowering::lowerBlock(NodeId itemList) const {
  std::vector<IRStmt> result;
  for (NodeId element : tree.elements(itemList)) {
    NodeId item = tree.is(element, SyntaxKind::codeBlockItem) ? tree.node(element, sx::CodeBlockItem::item) : element;
    if (!item) continue;
    switch (tree.category(item)) {
      case SyntaxCategory::decl:
        for (IRStmt& stmt : lowerLocalDecl(item)) result.push_back(std::move(stmt));
        break;
      case SyntaxCategory::stmt:
        result.push_back(lowerStmt(item));
        break;
      case SyntaxCategory::expr:
        result.push_back(lowerExprStmt(item));
        break;
      default:
        result.push_back(unsupportedStmt(*this, item));
        break;
    }
  }
  return result;
}

std::vector<IRStmt> SwiftLowering::lowerLocalDecl(NodeId decl) const {
  if (tree.is(decl, SyntaxKind::variableDecl)) return lowerLocalVariable(*this, decl);
  std::vector<IRStmt> result;
  if (tree.is(decl, SyntaxKind::functionDecl)) {
    result.emplace_back(IRStmt::localFunc{lowerFunction(decl)});
  } else if (std::optional<IRTypeDecl> type = lowerTypeDecl(decl)) {
    result.emplace_back(IRStmt::localType{std::move(*type)});
  } else {
    result.push_back(unsupportedStmt(*this, decl));
  }
  return result;
}

IRStmt SwiftLowering::lowerStmt(NodeId stmt) const {
  switch (stmt ? tree.kind(stmt) : SyntaxKind::missingStmt) {
    case SyntaxKind::expressionStmt:
      return lowerExprStmt(tree.node(stmt, sx::ExpressionStmt::expression));
    case SyntaxKind::returnStmt: {
      NodeId value = tree.node(stmt, sx::ReturnStmt::expression);
      if (!value) return IRStmt::ret{};
      return IRStmt::ret{Box<IRExpr>(lowerExpr(value))};
    }
    case SyntaxKind::guardStmt: {
      std::vector<IRCondition> conds = lowerConditions(tree.node(stmt, sx::GuardStmt::conditions));
      return IRStmt::guardStmt{std::move(conds), blockBody(*this, tree.node(stmt, sx::GuardStmt::body))};
    }
    case SyntaxKind::forStmt:
      return lowerFor(*this, stmt);
    case SyntaxKind::whileStmt: {
      std::vector<IRCondition> conds = lowerConditions(tree.node(stmt, sx::WhileStmt::conditions));
      return IRStmt::whileLoop{std::move(conds), blockBody(*this, tree.node(stmt, sx::WhileStmt::body))};
    }
    case SyntaxKind::repeatStmt: {
      std::vector<IRStmt> body = blockBody(*this, tree.node(stmt, sx::RepeatStmt::body));
      return IRStmt::repeatWhile{std::move(body), lowerExpr(tree.node(stmt, sx::RepeatStmt::condition))};
    }
    case SyntaxKind::breakStmt:
      return IRStmt::breakStmt{};
    case SyntaxKind::continueStmt:
      return IRStmt::continueStmt{};
    case SyntaxKind::throwStmt:
      return IRStmt::throwStmt{lowerExpr(tree.node(stmt, sx::ThrowStmt::expression))};
    case SyntaxKind::deferStmt:
      return IRStmt::defer_{blockBody(*this, tree.node(stmt, sx::DeferStmt::body))};
    case SyntaxKind::doStmt:
      return lowerDo(*this, stmt);
    default:
      return unsupportedStmt(*this, stmt);
  }
}

IRStmt SwiftLowering::lowerExprStmt(NodeId expr) const {
  if (tree.is(expr, SyntaxKind::ifExpr)) return lowerIf(expr);
  if (tree.is(expr, SyntaxKind::switchExpr)) return lowerSwitch(expr);
  if (tree.is(expr, SyntaxKind::infixOperatorExpr)) {
    NodeId op = tree.node(expr, sx::InfixOperatorExpr::operator_);
    std::string text;
    if (tree.is(op, SyntaxKind::assignmentExpr)) {
      text = "=";
    } else if (tree.is(op, SyntaxKind::binaryOperatorExpr)) {
      std::string_view written = tree.tokenText(op, sx::BinaryOperatorExpr::operator_);
      for (std::string_view compound : compoundAssignments)
        if (written == compound) text = written;
    }
    if (!text.empty()) {
      IRExpr target = lowerExpr(tree.node(expr, sx::InfixOperatorExpr::leftOperand));
      IRExpr value = lowerExpr(tree.node(expr, sx::InfixOperatorExpr::rightOperand));
      return IRStmt::assign{std::move(target), std::move(text), std::move(value)};
    }
  }
  return IRStmt::expr{lowerExpr(expr)};
}

IRStmt SwiftLowering::lowerIf(NodeId ifNode) const {
  std::vector<IRCondition> conds = lowerConditions(tree.node(ifNode, sx::IfExpr::conditions));
  std::vector<IRStmt> then = blockBody(*this, tree.node(ifNode, sx::IfExpr::body));
  std::optional<std::vector<IRStmt>> els;
  NodeId elseBody = tree.node(ifNode, sx::IfExpr::elseBody);
  if (tree.is(elseBody, SyntaxKind::ifExpr)) {
    els.emplace();
    els->push_back(lowerIf(elseBody));
  } else if (elseBody) {
    els = blockBody(*this, elseBody);
  }
  return IRStmt::ifStmt{std::move(conds), std::move(then), std::move(els)};
}

IRStmt SwiftLowering::lowerSwitch(NodeId switchNode) const {
  IRExpr subject = lowerExpr(tree.node(switchNode, sx::SwitchExpr::subject));
  std::vector<IRSwitchCase> cases;
  for (NodeId element : tree.elements(tree.node(switchNode, sx::SwitchExpr::cases))) {
    // Cases inside an `#if` among the cases are lost.
    if (!tree.is(element, SyntaxKind::switchCase)) continue;
    IRSwitchCase switchCase{.patterns = {}, .body = lowerBlock(tree.node(element, sx::SwitchCase::statements))};
    NodeId label = tree.node(element, sx::SwitchCase::label);
    if (tree.is(label, SyntaxKind::switchCaseLabel)) {
      for (NodeId item : tree.elements(tree.node(label, sx::SwitchCaseLabel::caseItems))) {
        IRPattern pattern = lowerPattern(tree.node(item, sx::SwitchCaseItem::pattern));
        if (NodeId where = tree.node(item, sx::SwitchCaseItem::whereClause)) {
          pattern = IRPattern::guarded{std::move(pattern), lowerExpr(tree.node(where, sx::WhereClause::condition))};
        }
        switchCase.patterns.push_back(std::move(pattern));
      }
    }
    cases.push_back(std::move(switchCase));
  }
  return IRStmt::switchStmt{std::move(subject), std::move(cases)};
}

std::vector<IRCondition> SwiftLowering::lowerConditions(NodeId conditionList) const {
  std::vector<IRCondition> result;
  for (NodeId element : tree.elements(conditionList)) {
    NodeId condition = tree.node(element, sx::ConditionElement::condition);
    if (tree.is(condition, SyntaxKind::availabilityCondition)) {
      // The element's text, so a following comma stays part of it.
      result.emplace_back(IRCondition::bool_{IRExpr::unsupported{src(element)}});
    } else if (tree.is(condition, SyntaxKind::matchingPatternCondition)) {
      IRPattern pattern = lowerPattern(tree.node(condition, sx::MatchingPatternCondition::pattern));
      NodeId initializer = tree.node(condition, sx::MatchingPatternCondition::initializer);
      result.emplace_back(
          IRCondition::casePattern{std::move(pattern), lowerExpr(tree.node(initializer, sx::InitializerClause::value))});
    } else if (tree.is(condition, SyntaxKind::optionalBindingCondition)) {
      std::string name = src(tree.node(condition, sx::OptionalBindingCondition::pattern));
      NodeId initializer = tree.node(condition, sx::OptionalBindingCondition::initializer);
      IRExpr value = initializer ? lowerExpr(tree.node(initializer, sx::InitializerClause::value)) : IRExpr::ident{name};
      result.emplace_back(IRCondition::optionalBinding{std::move(name), std::move(value)});
    } else {
      result.emplace_back(IRCondition::bool_{lowerExpr(condition)});
    }
  }
  return result;
}

IRPattern SwiftLowering::lowerPattern(NodeId pattern) const {
  if (tree.is(pattern, SyntaxKind::wildcardPattern)) return IRPattern::wildcard{};
  if (tree.is(pattern, SyntaxKind::expressionPattern))
    return lowerExpressionPattern(*this, tree.node(pattern, sx::ExpressionPattern::expression));
  if (tree.is(pattern, SyntaxKind::valueBindingPattern)) {
    NodeId bound = tree.node(pattern, sx::ValueBindingPattern::pattern);
    // «let x»: the whole value under a name.
    if (tree.is(bound, SyntaxKind::identifierPattern))
      return IRPattern::binding{std::string(tree.tokenText(bound, sx::IdentifierPattern::identifier))};
    return lowerPattern(bound);
  }
  return IRPattern::wildcard{};
}

}  // namespace tovrane
