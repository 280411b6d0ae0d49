#pragma once
// Short builders for the IR trees of the backend tests.
#include <string>
#include <utility>
#include <vector>

#include "core/backend/KotlinBackend.hpp"
#include "core/ir/IR.hpp"

namespace tovrane::fixtures {

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

inline IRExpr intLit(std::string text) { return IRExpr::intLit{std::move(text)}; }
inline IRExpr floatLit(std::string text) { return IRExpr::floatLit{std::move(text)}; }
inline IRExpr nilLit() { return IRExpr::nilLit{}; }
inline IRExpr negated(IRExpr operand) { return IRExpr::prefix{"-", std::move(operand)}; }
inline IRExpr arrayLit(std::vector<IRExpr> elements) { return IRExpr::arrayLit{std::move(elements)}; }
inline IRExpr dictLit(std::vector<IRDictEntry> entries) { return IRExpr::dictLit{std::move(entries)}; }

inline IRProperty storedVar(std::string name, IRType type = named("Int")) {
  return IRProperty{.name = std::move(name), .type = std::move(type), .isLet = false, .isStatic = false,
                    .isPrivate = false};
}
// A computed property whose getter returns 1.
inline IRProperty computed(std::string name, IRType type = named("Int")) {
  IRProperty property = storedVar(std::move(name), std::move(type));
  property.getter = std::vector<IRStmt>{IRStmt::ret{IRExpr{IRExpr::intLit{"1"}}}};
  return property;
}
inline IRFunction function(std::string name) { return IRFunction{.name = std::move(name), .params = {}, .attributes = {}}; }

inline IRTypeDecl typeDecl(IRTypeKind kind, std::string name) {
  IRTypeDecl decl;
  decl.kind = kind;
  decl.name = std::move(name);
  return decl;
}
inline IRDecl declOf(IRTypeDecl decl) { return IRDecl::type{std::move(decl)}; }
inline IRDecl declOf(IRFunction function) { return IRDecl::function{std::move(function)}; }
inline IRDecl declOf(IRProperty property) { return IRDecl::variable{std::move(property)}; }

}  // namespace tovrane::fixtures
