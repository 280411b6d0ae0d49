// Operator folding: every sequenceExpr becomes a binary tree built from
// new nodes over the same tokens and operand nodes; the tree maps each
// sequence to its folded root, so the unfolded nodes stay intact.
//
// Rules beyond precedence: try/await/unsafe on the leftmost operand cover
// the whole operation to their right ("try a + b" is try (a + b)); a cast's
// right side is the type itself (no typeExpr remains). Sequences inside
// unexpected content are not folded. Folding stops at the first error.
#include <algorithm>
#include <vector>

#include "core/swift/SwiftOperatorTable.hpp"
#include "core/swift/SwiftSyntax.hpp"

namespace tovrane::swift {

class Folder {
public:
  explicit Folder(SyntaxTree& tree) : tree_(tree) {}

  FoldResult run() {
    tree_.showFolded_ = false;
    tree_.replacement_.assign(tree_.nodes_.size(), NodeId{});
    // Sequences inside unexpected content stay unfolded: mark what lies below
    // an unexpectedNodes node (rare, so this walk is short).
    std::vector<bool> excluded(tree_.nodes_.size(), false);
    std::vector<NodeId> stack = tree_.unexpectedNodes_;
    while (!stack.empty()) {
      NodeId id = stack.back();
      stack.pop_back();
      for (Slot s : tree_.slots(id))
        if (s.isNode() && !excluded[s.node().index]) {
          excluded[s.node().index] = true;
          stack.push_back(s.node());
        }
    }
    // Fold in source order, so the error reported is the first in the file.
    std::vector<NodeId> sequences = tree_.sequences_;
    std::sort(sequences.begin(), sequences.end(), [this](NodeId a, NodeId b) {
      return tree_.nodes_[a.index].firstToken.index < tree_.nodes_[b.index].firstToken.index;
    });
    for (NodeId sequence : sequences) {
      if (excluded[sequence.index]) continue;
      if (!foldSequence(sequence)) {
        tree_.replacement_.clear();
        return {std::move(error_)};
      }
    }
    tree_.showFolded_ = true;
    return {};
  }

private:
  struct PendingOperator {
    NodeId node;
    PrecedenceGroup group;
  };

  TokenId operatorToken(NodeId op) const {
    for (Slot s : tree_.slots(op))
      if (s.isToken() && !tree_.isMissing(s.token())) return s.token();
    return {};
  }

  PrecedenceGroup groupOf(NodeId op) const {
    switch (tree_.kind(op)) {
      case SyntaxKind::assignmentExpr: return PrecedenceGroup::assignment;
      case SyntaxKind::arrowExpr: return PrecedenceGroup::functionArrow;
      case SyntaxKind::unresolvedTernaryExpr: return PrecedenceGroup::ternary;
      case SyntaxKind::unresolvedAsExpr: case SyntaxKind::unresolvedIsExpr: return PrecedenceGroup::casting;
      case SyntaxKind::binaryOperatorExpr: return infixGroup(tree_.tokenText(op, BinaryOperatorExpr::operator_));
      default: return PrecedenceGroup::none;
    }
  }

  bool fail(FoldError::Reason reason, NodeId op) {
    TokenId token = operatorToken(op);
    FoldError error;
    error.reason = reason;
    error.operatorText = token ? std::string(tree_.text(token)) : std::string();
    error.offset = token ? tree_.token(token).textStart : 0;
    auto [line, column] = tree_.lineColumn(error.offset);
    error.line = line;
    error.column = column;
    switch (reason) {
      case FoldError::Reason::unknownOperator:
        error.message = "Unbekannter Operator „" + error.operatorText + "“";
        break;
      case FoldError::Reason::nonAssociative:
        error.message = "Operator „" + error.operatorText + "“ ist nicht assoziativ";
        break;
      case FoldError::Reason::unrelatedGroups:
        error.message = "Operator „" + error.operatorText + "“ hat keine Rangfolge zum Nachbaroperator";
        break;
    }
    error_ = std::move(error);
    return false;
  }

  // A wrapper's slots with the operand slot replaced.
  NodeId rewrap(NodeId wrapper, NodeId operand) {
    std::span<const Slot> old = tree_.slots(wrapper);
    std::vector<Slot> slots(old.begin(), old.end());
    // The operand is the last named slot of tryExpr/awaitExpr/unsafeExpr.
    std::size_t index = tree_.hasUnexpected(wrapper) ? slots.size() - 2 : slots.size() - 1;
    slots[index] = Slot::of(operand);
    return tree_.addNode(tree_.kind(wrapper), slots, tree_.hasUnexpected(wrapper));
  }

  static bool isHoisted(SyntaxKind kind) {
    return kind == SyntaxKind::tryExpr || kind == SyntaxKind::awaitExpr || kind == SyntaxKind::unsafeExpr;
  }

  NodeId operandOf(NodeId wrapper) const {
    switch (tree_.kind(wrapper)) {
      case SyntaxKind::tryExpr: return tree_.node(wrapper, TryExpr::expression);
      case SyntaxKind::awaitExpr: return tree_.node(wrapper, AwaitExpr::expression);
      default: return tree_.node(wrapper, UnsafeExpr::expression);
    }
  }

  NodeId combine(NodeId lhs, NodeId op, NodeId rhs) {
    std::vector<NodeId> wrappers;
    while (isHoisted(tree_.kind(lhs)) && operandOf(lhs)) {
      wrappers.push_back(lhs);
      lhs = operandOf(lhs);
    }
    NodeId core;
    switch (tree_.kind(op)) {
      case SyntaxKind::unresolvedTernaryExpr: {
        Slot s[] = {Slot::of(lhs), tree_.child(op, UnresolvedTernaryExpr::questionMark),
                    tree_.child(op, UnresolvedTernaryExpr::thenExpression), tree_.child(op, UnresolvedTernaryExpr::colon),
                    Slot::of(rhs)};
        core = tree_.addNode(SyntaxKind::ternaryExpr, s, false);
        break;
      }
      case SyntaxKind::unresolvedAsExpr: {
        Slot s[] = {Slot::of(lhs), tree_.child(op, UnresolvedAsExpr::asKeyword),
                    tree_.child(op, UnresolvedAsExpr::questionOrExclamationMark), typeOf(rhs)};
        core = tree_.addNode(SyntaxKind::asExpr, s, false);
        break;
      }
      case SyntaxKind::unresolvedIsExpr: {
        Slot s[] = {Slot::of(lhs), tree_.child(op, UnresolvedIsExpr::isKeyword), typeOf(rhs)};
        core = tree_.addNode(SyntaxKind::isExpr, s, false);
        break;
      }
      default: {
        Slot s[] = {Slot::of(lhs), Slot::of(op), Slot::of(rhs)};
        core = tree_.addNode(SyntaxKind::infixOperatorExpr, s, false);
        break;
      }
    }
    for (std::size_t i = wrappers.size(); i-- > 0;) core = rewrap(wrappers[i], core);
    return core;
  }

  Slot typeOf(NodeId typeExpr) const {
    if (tree_.kind(typeExpr) == SyntaxKind::typeExpr) return tree_.child(typeExpr, TypeExpr::type);
    return Slot::of(typeExpr);
  }

  bool foldSequence(NodeId sequence) {
    NodeId list = tree_.node(sequence, SequenceExpr::elements);
    // Copied: combine() appends slots, which may move the tree's slot vector.
    std::span<const Slot> stored = tree_.slots(list);
    elements_.assign(stored.begin(), stored.end());
    const std::vector<Slot>& elements = elements_;
    operands_.clear();
    operators_.clear();
    auto reduce = [this] {
      PendingOperator op = operators_.back();
      operators_.pop_back();
      NodeId rhs = operands_.back();
      operands_.pop_back();
      NodeId lhs = operands_.back();
      operands_.back() = combine(lhs, op.node, rhs);
    };
    operands_.push_back(elements[0].node());
    for (std::size_t k = 1; k + 1 < elements.size(); k += 2) {
      NodeId op = elements[k].node();
      PrecedenceGroup group = groupOf(op);
      if (group == PrecedenceGroup::none) return fail(FoldError::Reason::unknownOperator, op);
      while (!operators_.empty()) {
        PrecedenceGroup top = operators_.back().group;
        if (top == group) {
          Associativity associativity = groupInfo(group).associativity;
          if (associativity == Associativity::none) return fail(FoldError::Reason::nonAssociative, op);
          if (associativity == Associativity::right) break;
          reduce();
        } else if (bindsTighter(top, group)) {
          reduce();
        } else if (bindsTighter(group, top)) {
          break;
        } else {
          return fail(FoldError::Reason::unrelatedGroups, op);
        }
      }
      operators_.push_back({op, group});
      operands_.push_back(elements[k + 1].node());
    }
    while (!operators_.empty()) reduce();
    tree_.replacement_[sequence.index] = operands_.back();
    return true;
  }

  SyntaxTree& tree_;
  std::vector<Slot> elements_;
  std::vector<NodeId> operands_;
  std::vector<PendingOperator> operators_;
  FoldError error_{};
};

FoldResult fold(SyntaxTree& tree) { return Folder(tree).run(); }

}  // namespace tovrane::swift
