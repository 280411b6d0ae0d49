#include "tests/swift/SwiftVerifier.hpp"

#include <vector>

namespace tovrane::swift::testing {
namespace {

template <class Fn>
void walkSlots(const SyntaxTree& tree, Fn fn) {
  // Pre-order over slots of the current view, iteratively.
  std::vector<Slot> stack{Slot::of(tree.root())};
  while (!stack.empty()) {
    Slot slot = stack.back();
    stack.pop_back();
    if (slot.isNode()) slot = Slot::of(tree.resolve(slot.node()));
    fn(slot);
    if (!slot.isNode()) continue;
    std::span<const Slot> slots = tree.slots(slot.node());
    for (std::size_t i = slots.size(); i-- > 0;)
      if (!slots[i].isAbsent()) stack.push_back(slots[i]);
  }
}

}  // namespace

std::string verify(const SyntaxTree& tree) {
  std::string problems;
  auto report = [&](const std::string& line) {
    if (problems.size() < 4000) problems += line + "\n";
  };
  std::string_view source = tree.source();
  std::string joined;
  std::uint32_t expectedStart = 0;
  for (std::uint32_t i = 0; i < tree.lexedTokenCount(); ++i) {
    TokenId id{i};
    const Token& t = tree.token(id);
    if (t.leadStart != expectedStart) report("token " + std::to_string(i) + " does not start where the previous ended");
    if (!(t.leadStart <= t.textStart && t.textStart <= t.textEnd && t.textEnd <= t.trailEnd))
      report("token " + std::to_string(i) + " has inverted ranges");
    expectedStart = t.trailEnd;
    joined.append(tree.leadingTrivia(id)).append(tree.text(id)).append(tree.trailingTrivia(id));
  }
  if (joined != source) report("round trip differs from the source");

  std::vector<int> seen(tree.tokenCount(), 0);
  std::int64_t lastLexed = -1;
  walkSlots(tree, [&](Slot slot) {
    if (slot.isToken()) {
      TokenId t = slot.token();
      ++seen[t.index];
      if (tree.isMissing(t)) {
        if (!tree.text(t).empty()) report("missing token with text");
      } else if (t.index < tree.lexedTokenCount()) {
        if (static_cast<std::int64_t>(t.index) <= lastLexed)
          report("token " + std::to_string(t.index) + " out of source order");
        lastLexed = t.index;
      }
      return;
    }
    NodeId id = slot.node();
    SyntaxKind kind = tree.kind(id);
    std::size_t named = childNames(kind).size();
    std::size_t count = tree.slots(id).size();
    if (!isList(kind)) {
      std::size_t expected = tree.hasUnexpected(id) ? 2 * named + 1 : named;
      if (count != expected) report(std::string(tree.kindName(id)) + " has a wrong slot count");
      if (tree.hasUnexpected(id)) {
        for (std::size_t k = 0; k < count; k += 2) {
          Slot s = tree.slots(id)[k];
          if (!s.isAbsent() && !(s.isNode() && tree.kind(s.node()) == SyntaxKind::unexpectedNodes))
            report(std::string(tree.kindName(id)) + " holds a non-unexpected node in an unexpected slot");
        }
      }
    }
  });
  for (std::uint32_t i = 0; i < tree.lexedTokenCount(); ++i) {
    const Token& t = tree.token(TokenId{i});
    bool unusedRoom = t.kind == TokenKind::splitRoom && t.textStart == t.textEnd && t.leadStart == t.trailEnd;
    if (seen[i] != (unusedRoom ? 0 : 1))
      report("token " + std::to_string(i) + " '" + std::string(tree.text(TokenId{i})) + "' reached " +
             std::to_string(seen[i]) + " times");
  }
  for (std::uint32_t i = tree.lexedTokenCount(); i < tree.tokenCount(); ++i)
    if (seen[i] > 1) report("missing token reached twice");
  if (!problems.empty()) problems += "tree:\n" + tree.dump().substr(0, 20000);
  return problems;
}

ErrorCounts countErrors(const SyntaxTree& tree) {
  ErrorCounts counts;
  walkSlots(tree, [&](Slot slot) {
    if (slot.isToken() && tree.isMissing(slot.token())) ++counts.missingTokens;
    if (slot.isNode() && tree.kind(slot.node()) == SyntaxKind::unexpectedNodes) ++counts.unexpectedNodes;
  });
  return counts;
}

int countKind(const SyntaxTree& tree, SyntaxKind kind) {
  int count = 0;
  walkSlots(tree, [&](Slot slot) {
    if (slot.isNode() && tree.kind(slot.node()) == kind) ++count;
  });
  return count;
}

NodeId findFirst(const SyntaxTree& tree, SyntaxKind kind, NodeId from) {
  std::vector<NodeId> stack{tree.resolve(from ? from : tree.root())};
  while (!stack.empty()) {
    NodeId id = stack.back();
    stack.pop_back();
    if (tree.kind(id) == kind) return id;
    std::span<const Slot> slots = tree.slots(id);
    for (std::size_t i = slots.size(); i-- > 0;)
      if (slots[i].isNode()) stack.push_back(tree.resolve(slots[i].node()));
  }
  return {};
}

std::string foldShape(const SyntaxTree& tree, NodeId id) {
  // Built with append: GCC 12 warns falsely (-Wrestrict) on chains of operator+.
  std::string out;
  auto group = [&](std::string_view head, std::initializer_list<std::string> parts) {
    out.append("(").append(head);
    for (const std::string& part : parts) out.append(" ").append(part);
    out.append(")");
  };
  auto src = [&](NodeId n) { return std::string(tree.src(n)); };
  switch (tree.kind(id)) {
    case SyntaxKind::infixOperatorExpr:
      group(tree.src(tree.node(id, InfixOperatorExpr::operator_)),
            {foldShape(tree, tree.node(id, InfixOperatorExpr::leftOperand)),
             foldShape(tree, tree.node(id, InfixOperatorExpr::rightOperand))});
      break;
    case SyntaxKind::ternaryExpr:
      group("?:", {foldShape(tree, tree.node(id, TernaryExpr::condition)),
                   foldShape(tree, tree.node(id, TernaryExpr::thenExpression)),
                   foldShape(tree, tree.node(id, TernaryExpr::elseExpression))});
      break;
    case SyntaxKind::asExpr:
      group(std::string("as").append(tree.tokenText(id, AsExpr::questionOrExclamationMark)),
            {foldShape(tree, tree.node(id, AsExpr::expression)), src(tree.node(id, AsExpr::type))});
      break;
    case SyntaxKind::isExpr:
      group("is", {foldShape(tree, tree.node(id, IsExpr::expression)), src(tree.node(id, IsExpr::type))});
      break;
    case SyntaxKind::tryExpr:
      group(std::string("try").append(tree.tokenText(id, TryExpr::questionOrExclamationMark)),
            {foldShape(tree, tree.node(id, TryExpr::expression))});
      break;
    case SyntaxKind::awaitExpr:
      group("await", {foldShape(tree, tree.node(id, AwaitExpr::expression))});
      break;
    default:
      out = src(id);
  }
  return out;
}

}  // namespace tovrane::swift::testing
