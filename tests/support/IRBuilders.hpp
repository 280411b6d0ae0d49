#pragma once
// Short constructors for IR values, shared by every test that writes IR by
// hand, so case tables stay readable and one shape has one name everywhere.
// Names follow the IR: a builder is named after the case it makes (`ident`,
// `intLit`, `exprStmt`, `typeDecl`), with `…Of` for the type constructors,
// `with…`/`as…` for one change to a member, and the SwiftUI shapes under the
// names the view tests read them by.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/ir/IR.hpp"

namespace tovrane::testsupport {

// Types.
inline IRType named(std::string name, std::vector<IRType> args = {}) {
  return IRType::named{std::move(name), std::move(args)};
}
inline IRType optionalOf(IRType wrapped) { return IRType::optional{std::move(wrapped)}; }
inline IRType arrayOf(IRType element) { return IRType::array{std::move(element)}; }
inline IRType dictionaryOf(IRType key, IRType value) { return IRType::dictionary{std::move(key), std::move(value)}; }
inline IRType tupleOf(std::vector<IRType> elements) { return IRType::tuple{std::move(elements)}; }
inline IRType functionOf(std::vector<IRType> params, IRType result) {
  return IRType::function{std::move(params), std::move(result)};
}
inline IRType inferred() { return IRType::inferred{}; }

// Expressions.
inline IRExpr ident(std::string name) { return IRExpr::ident{std::move(name)}; }
inline IRExpr intLit(std::string text) { return IRExpr::intLit{std::move(text)}; }
inline IRExpr floatLit(std::string text) { return IRExpr::floatLit{std::move(text)}; }
// A literal without interpolation: one text part.
inline IRExpr stringLit(std::string text) { return IRExpr::stringLit{{IRStringPart::text{std::move(text)}}}; }
inline IRExpr nilLit() { return IRExpr::nilLit{}; }
inline IRExpr negated(IRExpr operand) { return IRExpr::prefix{"-", std::move(operand)}; }
inline IRExpr arrayLit(std::vector<IRExpr> elements) { return IRExpr::arrayLit{std::move(elements)}; }
inline IRExpr dictLit(std::vector<IRDictEntry> entries) { return IRExpr::dictLit{std::move(entries)}; }
inline IRExpr member(IRExpr base, std::string name) { return IRExpr::member{std::move(base), std::move(name)}; }
// A leading-dot member such as `.horizontal`.
inline IRExpr dot(std::string name) { return IRExpr::member{std::nullopt, std::move(name)}; }
inline IRExpr selfMember(std::string name) { return member(IRExpr::selfRef{}, std::move(name)); }
inline IRArg arg(IRExpr value) { return IRArg{.label = std::nullopt, .value = std::move(value)}; }
inline IRArg arg(std::string label, IRExpr value) { return IRArg{.label = std::move(label), .value = std::move(value)}; }
inline IRExpr call(IRExpr callee, std::vector<IRArg> args = {}, std::vector<IRArg> trailing = {}) {
  return IRExpr::call{std::move(callee), std::move(args), std::move(trailing)};
}
// A bound left out is an open range such as `a...` or `..<b`.
inline IRExpr range(std::optional<IRExpr> lower, std::string op, std::optional<IRExpr> upper) {
  IRExpr::range made{.lower = std::nullopt, .op = std::move(op), .upper = std::nullopt};
  if (lower) made.lower = std::move(*lower);
  if (upper) made.upper = std::move(*upper);
  return made;
}
inline IRExpr closure(std::vector<std::string> params, std::vector<IRStmt> body) {
  return IRExpr::closure{IRClosure{.params = std::move(params), .body = std::move(body)}};
}

// Statements.
inline IRStmt exprStmt(IRExpr value) { return IRStmt::expr{std::move(value)}; }
inline IRStmt ret() { return IRStmt::ret{}; }
inline IRStmt ret(IRExpr value) { return IRStmt::ret{std::move(value)}; }

// SwiftUI trees as the frontend writes them.
// name(args) { trailing } with an identifier callee.
inline IRExpr view(std::string name, std::vector<IRArg> args = {}, std::vector<IRArg> trailing = {}) {
  return call(ident(std::move(name)), std::move(args), std::move(trailing));
}
// base.name(args) { trailing }: a modifier or method call.
inline IRExpr modifier(IRExpr base, std::string name, std::vector<IRArg> args = {}, std::vector<IRArg> trailing = {}) {
  return call(member(std::move(base), std::move(name)), std::move(args), std::move(trailing));
}
// { body }, one expression statement per element.
inline IRExpr block(std::vector<IRExpr> body = {}, std::vector<std::string> params = {}) {
  std::vector<IRStmt> stmts;
  for (IRExpr& value : body) stmts.push_back(exprStmt(std::move(value)));
  return closure(std::move(params), std::move(stmts));
}
// The key path «\.name» as the frontend writes it.
inline IRExpr keyPath(std::string name) { return closure({"$0"}, {ret(member(ident("$0"), std::move(name)))}); }

// Members: a plain stored `var` and changes to it.
inline IRParam param(std::optional<std::string> label, std::string name, IRType type) {
  return IRParam{.label = std::move(label), .name = std::move(name), .type = std::move(type)};
}
inline IRProperty storedVar(std::string name, IRType type = named("Int")) {
  return IRProperty{.name = std::move(name), .type = std::move(type), .isLet = false, .isStatic = false,
                    .isPrivate = false};
}
// A computed property whose getter returns 1.
inline IRProperty computed(std::string name, IRType type = named("Int")) {
  IRProperty property = storedVar(std::move(name), std::move(type));
  property.getter = std::vector<IRStmt>{ret(intLit("1"))};
  return property;
}
inline IRProperty withInit(IRProperty property, IRExpr value) {
  property.initializer = std::move(value);
  return property;
}
inline IRProperty withGetter(IRProperty property, std::vector<IRStmt> getter) {
  property.getter = std::move(getter);
  return property;
}
inline IRProperty asLet(IRProperty property) {
  property.isLet = true;
  return property;
}
inline IRProperty asStatic(IRProperty property) {
  property.isStatic = true;
  return property;
}
inline IRProperty asPrivate(IRProperty property) {
  property.isPrivate = true;
  return property;
}
// A property wrapper such as @State or @Environment(\.dismiss).
inline IRProperty wrapped(std::string wrapper, IRProperty property, std::optional<std::string> wrapperArg = {}) {
  property.wrapper = std::move(wrapper);
  property.wrapperArg = std::move(wrapperArg);
  return property;
}
// Without a body the function is a requirement, as in a protocol.
inline IRFunction function(std::string name, std::optional<std::vector<IRStmt>> body = std::nullopt) {
  return IRFunction{.name = std::move(name), .params = {}, .body = std::move(body), .attributes = {}};
}
inline IRFunction withBody(IRFunction function, std::vector<IRStmt> body = {}) {
  function.body = std::move(body);
  return function;
}
inline IRFunction returning(IRFunction function, IRType type) {
  function.returnType = std::move(type);
  return function;
}

// Declarations.
inline IRTypeDecl typeDecl(IRTypeKind kind, std::string name, std::vector<IRProperty> properties = {},
                           std::vector<IRFunction> functions = {}) {
  return IRTypeDecl{.kind = kind, .name = std::move(name), .inherits = {}, .attributes = {},
                    .properties = std::move(properties), .functions = std::move(functions), .cases = {},
                    .nested = {}, .typealiases = {}};
}
// A struct conforming to View.
inline IRTypeDecl viewNamed(std::string name, std::vector<IRProperty> properties = {},
                            std::vector<IRFunction> functions = {}) {
  IRTypeDecl decl = typeDecl(IRTypeKind::struct_, std::move(name), std::move(properties), std::move(functions));
  decl.inherits = {"View"};
  return decl;
}
inline IRDecl declOf(IRTypeDecl decl) { return IRDecl::type{std::move(decl)}; }
inline IRDecl declOf(IRFunction function) { return IRDecl::function{std::move(function)}; }
inline IRDecl declOf(IRProperty property) { return IRDecl::variable{std::move(property)}; }

}  // namespace tovrane::testsupport
