// Placeholder definitions until statements, conditions, patterns, switches
// and if chains are translated: each statement becomes one counted TODO
// placeholder line.
#include "core/backend/KotlinBackend.hpp"

namespace tovrane {
namespace {

constexpr std::string_view pendingMessage = "Noch nicht übersetzt";

}  // namespace

void KotlinEmitter::emitStmt(const IRStmt&, Writer& writer) { writer.line(todo("statement", pendingMessage)); }
std::optional<std::string> KotlinEmitter::touchLine(const IRExpr&) { return std::nullopt; }

KotlinEmitter::CondParts KotlinEmitter::conditionParts(const std::vector<IRCondition>& conds) {
  CondParts parts;
  for (std::size_t i = 0; i < conds.size(); ++i) parts.predicates.push_back(todo("condition", pendingMessage));
  return parts;
}
KotlinEmitter::PatternTest KotlinEmitter::patternTest(const IRPattern&, const std::string&,
                                                      const std::optional<std::string>&) {
  return PatternTest{.test = todo("pattern", pendingMessage), .bindingLines = {}};
}
std::optional<std::string> KotlinEmitter::switchEnum(const IRExpr&, const std::vector<IRSwitchCase>&) {
  return std::nullopt;
}
void KotlinEmitter::emitSwitch(const IRExpr&, const std::vector<IRSwitchCase>&, Writer& writer, bool, bool) {
  writer.line(todo("switch", pendingMessage));
}

void KotlinEmitter::emitIf(const std::vector<IRCondition>&, const std::vector<IRStmt>&,
                           const std::optional<std::vector<IRStmt>>&, Writer& writer, bool, bool) {
  writer.line(todo("if", pendingMessage));
}
void KotlinEmitter::emitElse(const std::optional<std::vector<IRStmt>>&, Writer&, bool) {}
bool KotlinEmitter::containsLoopJump(const std::vector<IRStmt>&) { return false; }
void KotlinEmitter::emitStmtAsExpression(const IRStmt& stmt, Writer& writer) { emitStmt(stmt, writer); }
void KotlinEmitter::emitExpressionBody(const std::vector<IRStmt>& stmts, Writer& writer) {
  for (const IRStmt& stmt : stmts) emitStmt(stmt, writer);
}

}  // namespace tovrane
