#pragma once
// Short constructors for IR values in tests, so case tables stay readable.
#include "core/ir/IR.hpp"

#include <string>
#include <utility>
#include <vector>

namespace tovrane::irtest {

inline IRType named(std::string name, std::vector<IRType> args = {}) {
  return IRType::named{std::move(name), std::move(args)};
}
inline IRExpr ident(std::string name) { return IRExpr::ident{std::move(name)}; }
inline IRExpr intLit(std::string text) { return IRExpr::intLit{std::move(text)}; }
inline IRArg arg(IRExpr value) { return IRArg{.label = std::nullopt, .value = std::move(value)}; }
inline IRArg arg(std::string label, IRExpr value) { return IRArg{.label = std::move(label), .value = std::move(value)}; }
inline IRStmt exprStmt(IRExpr value) { return IRStmt::expr{std::move(value)}; }

inline IRFunction function(std::string name, std::optional<std::vector<IRStmt>> body = std::nullopt) {
  return IRFunction{.name = std::move(name), .params = {}, .body = std::move(body), .attributes = {}};
}

inline IRProperty property(std::string name, IRType type) {
  return IRProperty{.name = std::move(name), .type = std::move(type), .isLet = false, .isStatic = false,
                    .isPrivate = false};
}

inline IRTypeDecl typeDecl(IRTypeKind kind, std::string name) {
  return IRTypeDecl{.kind = kind, .name = std::move(name), .inherits = {}, .attributes = {}, .properties = {},
                    .functions = {}, .cases = {}, .nested = {}, .typealiases = {}};
}

}  // namespace tovrane::irtest
