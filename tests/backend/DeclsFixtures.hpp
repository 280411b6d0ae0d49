#pragma once
// Builders shared by the tests of the type and member emitters: small
// changes applied to the fixtures' plain properties and functions.
#include <string>
#include <utility>
#include <vector>

#include "core/backend/KotlinBackend.hpp"
#include "core/ir/IR.hpp"
#include "core/support/Text.hpp"

namespace tovrane::fixtures {

inline IRExpr ident(std::string name) { return IRExpr::ident{std::move(name)}; }
inline IRExpr stringLit(std::string text) { return IRExpr::stringLit{{IRStringPart::text{std::move(text)}}}; }

inline IRProperty withInit(IRProperty property, IRExpr value) {
  property.initializer = std::move(value);
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
inline IRProperty withGetter(IRProperty property, std::vector<IRStmt> getter) {
  property.getter = std::move(getter);
  return property;
}
inline IRFunction withBody(IRFunction function, std::vector<IRStmt> body = {}) {
  function.body = std::move(body);
  return function;
}
inline IRFunction returning(IRFunction function, IRType type) {
  function.returnType = std::move(type);
  return function;
}

inline std::string written(const Writer& writer) { return text::join(writer.lines, "\n"); }

}  // namespace tovrane::fixtures
