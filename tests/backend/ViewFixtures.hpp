#pragma once
// Short builders for the SwiftUI trees of the view tests: expressions as the
// frontend writes them, properties with wrappers, and a module built from
// type declarations as the symbol collector sees it.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/backend/KotlinBackend.hpp"
#include "core/support/Text.hpp"
#include "tests/backend/BackendFixtures.hpp"

namespace tovrane::fixtures {

inline IRExpr ident(std::string name) { return IRExpr::ident{std::move(name)}; }
inline IRExpr str(std::string text) { return IRExpr::stringLit{{IRStringPart::text{std::move(text)}}}; }
inline IRExpr member(IRExpr base, std::string name) { return IRExpr::member{std::move(base), std::move(name)}; }
// A leading-dot member such as `.horizontal`.
inline IRExpr dot(std::string name) { return IRExpr::member{std::nullopt, std::move(name)}; }
inline IRExpr selfMember(std::string name) { return member(IRExpr::selfRef{}, std::move(name)); }
inline IRArg arg(IRExpr value) { return IRArg{.value = std::move(value)}; }
inline IRArg arg(std::string label, IRExpr value) { return IRArg{.label = std::move(label), .value = std::move(value)}; }
inline IRExpr call(IRExpr callee, std::vector<IRArg> args = {}, std::vector<IRArg> trailing = {}) {
  return IRExpr::call{std::move(callee), std::move(args), std::move(trailing)};
}
// name(args) { trailing } with an identifier callee.
inline IRExpr view(std::string name, std::vector<IRArg> args = {}, std::vector<IRArg> trailing = {}) {
  return call(ident(std::move(name)), std::move(args), std::move(trailing));
}
// base.name(args) { trailing }: a modifier or method call.
inline IRExpr modifier(IRExpr base, std::string name, std::vector<IRArg> args = {}, std::vector<IRArg> trailing = {}) {
  return call(member(std::move(base), std::move(name)), std::move(args), std::move(trailing));
}
inline IRStmt stmt(IRExpr value) { return IRStmt::expr{std::move(value)}; }
inline IRExpr closure(std::vector<std::string> params, std::vector<IRStmt> body) {
  return IRExpr::closure{IRClosure{.params = std::move(params), .body = std::move(body)}};
}
// { body } without parameters, one expression statement per element.
inline IRExpr block(std::vector<IRExpr> body = {}, std::vector<std::string> params = {}) {
  std::vector<IRStmt> stmts;
  for (IRExpr& value : body) stmts.push_back(stmt(std::move(value)));
  return closure(std::move(params), std::move(stmts));
}
// The key path «\.name» as the frontend writes it.
inline IRExpr keyPath(std::string name) {
  return closure({"$0"}, {IRStmt::ret{IRExpr{member(ident("$0"), std::move(name))}}});
}

inline IRProperty wrapped(std::string wrapper, IRProperty property, std::optional<std::string> wrapperArg = {}) {
  property.wrapper = std::move(wrapper);
  property.wrapperArg = std::move(wrapperArg);
  return property;
}
inline IRProperty initialised(IRProperty property, IRExpr value) {
  property.initializer = std::move(value);
  return property;
}
inline IRProperty constant(IRProperty property) {
  property.isLet = true;
  return property;
}
inline IRProperty withBody(IRProperty property, std::vector<IRStmt> getter) {
  property.getter = std::move(getter);
  return property;
}

inline IRTypeDecl viewNamed(std::string name, std::vector<IRProperty> properties = {},
                            std::vector<IRFunction> functions = {}) {
  IRTypeDecl decl = typeDecl(IRTypeKind::struct_, std::move(name));
  decl.inherits = {"View"};
  decl.properties = std::move(properties);
  decl.functions = std::move(functions);
  return decl;
}

inline ModuleSymbols symbolsFor(const std::vector<IRTypeDecl>& decls) {
  IRFile file{.path = "Module.swift", .decls = {}};
  for (const IRTypeDecl& decl : decls) file.decls.push_back(declOf(decl));
  return SymbolCollector::collect(IRModule{.files = {file}});
}

inline std::string written(const Writer& writer) { return text::join(writer.lines, "\n"); }

inline std::vector<std::string> messages(const KotlinEmitter& emitter) {
  std::vector<std::string> texts;
  for (const ConversionWarning& warning : emitter.warnings) texts.push_back(warning.message);
  return texts;
}

}  // namespace tovrane::fixtures
