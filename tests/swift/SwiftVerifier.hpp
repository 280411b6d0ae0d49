#pragma once
// Test-only checks of a parsed tree against the node table and the source.
#include <string>

#include "core/swift/SwiftSyntax.hpp"

namespace tovrane::swift::testing {

// Every problem found, one per line; empty when the tree is sound:
// the lexed tokens tile the source, every lexed token (except unused split
// room) is reachable from the root exactly once and in source order,
// missing tokens are zero-width, layout nodes have their table's slot
// count, unexpected slots hold only unexpectedNodes, and each node's first
// and last tokens match its subtree.
std::string verify(const SyntaxTree& tree);

// Count of missing tokens and unexpectedNodes reachable from the root.
struct ErrorCounts {
  int missingTokens = 0;
  int unexpectedNodes = 0;
};
ErrorCounts countErrors(const SyntaxTree& tree);

// Nodes of a kind reachable from the root in the current view.
int countKind(const SyntaxTree& tree, SyntaxKind kind);

// The first node of a kind in source order (pre-order), invalid if none.
NodeId findFirst(const SyntaxTree& tree, SyntaxKind kind, NodeId from = {});

// A compact picture of a folded expression: "(+ a (* b c))", "(?: c a b)",
// "(as? x Int)", "(try (+ a b))"; anything else is its src.
std::string foldShape(const SyntaxTree& tree, NodeId expr);

}  // namespace tovrane::swift::testing
