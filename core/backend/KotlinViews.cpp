// Placeholder definitions until SwiftUI view types, view content and
// modifier chains are translated: views become counted TODO placeholders
// and no modifier is kept.
#include "core/backend/KotlinBackend.hpp"

namespace tovrane {
namespace {

constexpr std::string_view pendingMessage = "Noch nicht übersetzt";

}  // namespace

void KotlinEmitter::emitViewType(const IRTypeDecl& decl, Writer& writer) {
  writer.line(todo(decl.name, pendingMessage));
}
KotlinEmitter::ViewField KotlinEmitter::classify(const IRProperty& property) {
  return ViewField::constant{property};
}
void KotlinEmitter::emitQuery(const IRProperty& property, Writer& writer) {
  writer.line(todo(property.name, pendingMessage));
}
void KotlinEmitter::emitViewBody(const std::vector<IRStmt>& stmts, Writer& writer) { emitViewBlock(stmts, writer); }

void KotlinEmitter::emitViewBlock(const std::vector<IRStmt>& stmts, Writer& writer) {
  for (const IRStmt& stmt : stmts) emitViewStmt(stmt, writer);
}
void KotlinEmitter::emitViewStmt(const IRStmt&, Writer& writer) { writer.line(todo("view", pendingMessage)); }
void KotlinEmitter::emitView(const IRExpr&, Writer& writer) { writer.line(todo("view", pendingMessage)); }
bool KotlinEmitter::isViewExpr(const IRExpr&) { return false; }
std::string KotlinEmitter::describe(const IRExpr&) { return "expression"; }
void KotlinEmitter::emitViewCall(const std::string& name, const std::vector<IRArg>&, const std::vector<IRArg>&,
                                 const std::optional<std::string>&, Writer& writer, const IRExpr&) {
  writer.line(todo(name, pendingMessage));
}
void KotlinEmitter::emitViewArgs(const std::string& name, const std::vector<IRArg>&, const NameSet&,
                                 const std::vector<IRArg>&, const std::optional<std::string>&, Writer& writer,
                                 bool) {
  writer.line(todo(name, pendingMessage));
}

std::string KotlinEmitter::modString(const std::vector<ModifierEntry>&) { return "Mod()"; }

}  // namespace tovrane
