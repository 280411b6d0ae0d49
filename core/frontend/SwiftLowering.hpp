#pragma once
// The lowering from one parsed (and, where possible, folded) syntax tree to
// the IR. Internal to core/frontend. One SwiftLowering exists per parsed
// file and only reads its tree; every operation is a pure function of the
// node it is given and of the chain links open around it (openChainLinks,
// the one budget that nested chains share). The operations call each other
// recursively: declarations
// (SwiftFrontend.cpp) lower bodies and expressions, statements
// (SwiftFrontendStmts.cpp) lower local declarations and expressions,
// expressions (SwiftFrontendExprs.cpp) lower closures and casts. Helpers that
// only one of those files needs stay local to that file.
#include "core/ir/IR.hpp"
#include "core/swift/SwiftSyntax.hpp"

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tovrane {

struct SkippedSource;

// What the parser set aside in a tree (SkippedSource.cpp): every unexpected
// node, and the stray members of type bodies that lowering passes over
// (recovery's missingDecl, a "#" without a macro name). Items at other places
// become `unsupported` nodes and are reported by the backend instead.
std::vector<SkippedSource> skippedSource(const swift::SyntaxTree& tree);

// Every stage after lowering (the backend, copies and the IR's JSON form)
// recurses once per IR level, so what the parser builds as a flat run but the
// IR nests (chains of postfix links and operators, key path components,
// optional marks of a type) is capped: the links open at once, counted
// together with those of the runs around them, stay below this, or the run is
// kept as its source text. 5000 links is far beyond handwritten code; the
// address-sanitizer build converts chains of 20000 links on the conversion
// stack and overflows it between 20000 and 40000.
inline constexpr std::size_t maxChainLinks = 5000;

class SwiftLowering {
 public:
  explicit SwiftLowering(const swift::SyntaxTree& tree) : tree(tree) {}

  const swift::SyntaxTree& tree;
  // Links of the chains being lowered around the current expression.
  mutable std::size_t openChainLinks = 0;

  // The node's source text without surrounding trivia.
  std::string src(swift::NodeId node) const { return std::string(tree.src(node)); }
  // The source text of a construct without an IR form: its own text, or for a
  // stand-in of something not written at all (recovery's missing expression
  // where Swift has one the parser does not know) the line it stands on.
  std::string unsupportedSource(swift::NodeId node) const;

  // Declarations and types (SwiftFrontend.cpp).
  std::optional<IRDecl> lowerDecl(swift::NodeId decl) const;
  std::optional<IRTypeDecl> lowerTypeDecl(swift::NodeId decl) const;
  IRFunction lowerFunction(swift::NodeId decl) const;
  IRFunction lowerInit(swift::NodeId decl) const;
  std::vector<IRProperty> lowerVariable(swift::NodeId decl) const;
  std::vector<IRParam> lowerParams(swift::NodeId parameterList) const;
  IRType lowerType(swift::NodeId type) const;
  IRType guessType(swift::NodeId expr) const;
  std::vector<std::string> inherits(swift::NodeId inheritanceClause) const;  // absent id → empty
  std::vector<std::string> attributes(swift::NodeId attributeList) const;
  // Modifier names; a setter-only access level is named with "(set)" («private(set)»).
  std::set<std::string> modifiers(swift::NodeId modifierList) const;

  // Statements, conditions and patterns (SwiftFrontendStmts.cpp).
  std::vector<IRStmt> lowerBlock(swift::NodeId itemList) const;
  std::vector<IRStmt> lowerLocalDecl(swift::NodeId decl) const;
  IRStmt lowerStmt(swift::NodeId stmt) const;
  IRStmt lowerExprStmt(swift::NodeId expr) const;
  IRStmt lowerIf(swift::NodeId ifNode) const;
  IRStmt lowerSwitch(swift::NodeId switchNode) const;
  std::vector<IRCondition> lowerConditions(swift::NodeId conditionList) const;
  IRPattern lowerPattern(swift::NodeId pattern) const;

  // Expressions and closures (SwiftFrontendExprs.cpp).
  IRExpr lowerExpr(swift::NodeId expr) const;
  std::vector<IRArg> lowerArgs(swift::NodeId labeledExprList) const;
  IRClosure lowerClosure(swift::NodeId closure) const;
};

}  // namespace tovrane
