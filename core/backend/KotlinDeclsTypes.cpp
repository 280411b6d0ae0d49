// Placeholder definitions until structs, classes, enumerations, protocols,
// functions and properties are translated: each writes or returns a counted
// TODO placeholder naming what is missing.
#include "core/backend/KotlinBackend.hpp"

namespace tovrane {
namespace {

constexpr std::string_view pendingMessage = "Noch nicht übersetzt";

}  // namespace

void KotlinEmitter::emitStructOrClass(const IRTypeDecl& decl, Writer& writer, bool) {
  writer.line(todo(decl.name, pendingMessage));
}
std::vector<std::string> KotlinEmitter::kotlinSupertypes(const IRTypeDecl&) { return {}; }
NameSet KotlinEmitter::protocolMembers(const IRTypeDecl&) { return {}; }
std::vector<std::string> KotlinEmitter::inheritedMembers(const IRTypeDecl&) { return {}; }
void KotlinEmitter::emitInit(const IRFunction& initializer, Writer& writer) {
  writer.line(todo(initializer.name, pendingMessage));
}
void KotlinEmitter::emitCompanion(const IRTypeDecl&, Writer&) {}

void KotlinEmitter::emitEnum(const IRTypeDecl& decl, Writer& writer) { writer.line(todo(decl.name, pendingMessage)); }
void KotlinEmitter::emitProtocol(const IRTypeDecl& decl, Writer& writer) {
  writer.line(todo(decl.name, pendingMessage));
}

void KotlinEmitter::emitFunction(const IRFunction& function, Writer& writer, const std::optional<std::string>&, bool,
                                 std::string_view) {
  writer.line(todo(function.name, pendingMessage));
}
std::string KotlinEmitter::paramList(const IRFunction& function) { return todo(function.name, pendingMessage); }
std::vector<std::string> KotlinEmitter::renameLines(const IRFunction&) { return {}; }
void KotlinEmitter::emitFunctionBody(const std::vector<IRStmt>&, Writer& writer, bool, const std::optional<IRType>&) {
  writer.line(todo("{ … }", pendingMessage));
}
void KotlinEmitter::emitProperty(const IRProperty& property, Writer& writer, const NameSet&) {
  writer.line(todo(property.name, pendingMessage));
}
void KotlinEmitter::emitGetter(const std::vector<IRStmt>&, Writer& writer, const IRType&) {
  writer.line(todo("get", pendingMessage));
}
void KotlinEmitter::emitSetter(const IRProperty& property, Writer& writer) {
  if (property.setter) writer.line(todo("set", pendingMessage));
}
void KotlinEmitter::emitStoredProperty(const IRProperty& property, Writer& writer, bool, bool, std::string_view) {
  writer.line(todo(property.name, pendingMessage));
}
std::string KotlinEmitter::propType(const IRProperty&) { return "Any"; }
std::string KotlinEmitter::guessKotlinType(const IRExpr&) { return ""; }

}  // namespace tovrane
