#pragma once
// A small module and an emitter for the statement tests. Expected Kotlin is
// written with holes "{0}", "{1}", … that stand for the expression
// translator's own text of the listed expressions, so the statement tests pin
// what statements write around expressions and nothing of how expressions
// themselves are written.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/backend/KotlinBackend.hpp"
#include "core/ir/IR.hpp"
#include "core/support/Text.hpp"
#include "tests/backend/BackendFixtures.hpp"

namespace tovrane::statements {

// The statement tests read the shared IR builders and the ones below as one
// vocabulary.
using namespace testsupport;

inline IRExpr subscript(IRExpr base, IRExpr index) {
  return IRExpr::subscriptExpr{std::move(base), {IRArg{.value = std::move(index)}}};
}
inline IRExpr pairOf(IRExpr first, IRExpr second) {
  return IRExpr::tuple{{IRArg{.value = std::move(first)}, IRArg{.value = std::move(second)}}};
}

inline IRStmt local(std::string name, IRType type, bool isLet, std::optional<IRExpr> value) {
  IRStmt::local stmt{.name = std::move(name), .type = std::move(type), .isLet = isLet};
  if (value) stmt.value = Box<IRExpr>(std::move(*value));
  return stmt;
}
inline IRStmt assign(IRExpr target, std::string op, IRExpr value) {
  return IRStmt::assign{std::move(target), std::move(op), std::move(value)};
}
inline IRStmt breakStmt() { return IRStmt::breakStmt{}; }
inline IRStmt continueStmt() { return IRStmt::continueStmt{}; }
inline IRStmt ifStmt(std::vector<IRCondition> conds, std::vector<IRStmt> then,
                     std::optional<std::vector<IRStmt>> els = std::nullopt) {
  return IRStmt::ifStmt{std::move(conds), std::move(then), std::move(els)};
}
inline IRStmt guardStmt(std::vector<IRCondition> conds, std::vector<IRStmt> els) {
  return IRStmt::guardStmt{std::move(conds), std::move(els)};
}
inline IRStmt forIn(std::string name, IRExpr seq, std::vector<IRStmt> body) {
  return IRStmt::forIn{std::move(name), std::move(seq), std::move(body)};
}
inline IRStmt whileLoop(std::vector<IRCondition> conds, std::vector<IRStmt> body) {
  return IRStmt::whileLoop{std::move(conds), std::move(body)};
}
inline IRStmt switchStmt(IRExpr subject, std::vector<IRSwitchCase> cases) {
  return IRStmt::switchStmt{std::move(subject), std::move(cases)};
}

inline IRCondition test(IRExpr value) { return IRCondition::bool_{std::move(value)}; }
inline IRCondition bind(std::string name, IRExpr value) {
  return IRCondition::optionalBinding{std::move(name), std::move(value)};
}
inline IRCondition casePattern(IRPattern pattern, IRExpr value) {
  return IRCondition::casePattern{std::move(pattern), std::move(value)};
}

inline IRPattern enumCase(std::string name, std::vector<std::optional<std::string>> bindings = {}) {
  return IRPattern::enumCase{std::move(name), std::move(bindings)};
}
inline IRPattern valuePattern(IRExpr value) { return IRPattern::expr{std::move(value)}; }
inline IRPattern wildcard() { return IRPattern::wildcard{}; }
inline IRPattern binding(std::string name) { return IRPattern::binding{std::move(name)}; }
inline IRPattern guarded(IRPattern pattern, IRExpr condition) {
  return IRPattern::guarded{std::move(pattern), std::move(condition)};
}
inline IRSwitchCase caseOf(std::vector<IRPattern> patterns, std::vector<IRStmt> body) {
  return IRSwitchCase{.patterns = std::move(patterns), .body = std::move(body)};
}

inline IRParam value(std::string name) { return IRParam{.name = std::move(name), .type = named("Double")}; }

// Direction: a plain enumeration. Shape: payload cases (sealed). Token: a
// case named like a Kotlin keyword. Light and Power share the cases on and
// off. Store: an observable class with observed items and count, the
// numbers total (Double) and scale (Float), and tags (a set of strings). Some type
// declares the mutating method markDone.
inline ModuleSymbols moduleSymbols() {
  ModuleSymbols symbols;
  const auto addEnum = [&](std::string name, std::vector<IREnumCase> cases) {
    ModuleSymbols::EnumInfo info{.name = name, .cases = cases, .sealed = false, .rawType = std::nullopt};
    for (const IREnumCase& c : cases) {
      info.sealed = info.sealed || !c.associated.empty();
      symbols.caseIndex[c.name].push_back(name);
    }
    symbols.types.emplace(name, typeDecl(IRTypeKind::enum_, name));
    symbols.enums.emplace(name, std::move(info));
  };
  const auto plain = [](std::string name) { return IREnumCase{.name = std::move(name), .associated = {}}; };
  addEnum("Direction", {plain("north"), plain("south"), plain("east"), plain("west")});
  addEnum("Shape", {IREnumCase{.name = "circle", .associated = {value("radius")}},
                    IREnumCase{.name = "rect", .associated = {value("width"), value("height")}}, plain("empty")});
  addEnum("Token", {plain("object"), plain("word")});
  addEnum("Light", {plain("on"), plain("off")});
  addEnum("Power", {plain("on"), plain("off"), plain("surge")});
  IRTypeDecl store = typeDecl(IRTypeKind::class_, "Store");
  store.properties = {storedVar("total", named("Double")), storedVar("scale", named("Float")),
                      storedVar("tags", named("Set", {named("String")}))};
  symbols.types.emplace("Store", std::move(store));
  symbols.classes.insert("Store");
  symbols.observable["Store"] = NameSet{"items", "count"};
  symbols.mutatingFunctions.insert("markDone");
  return symbols;
}

// One row of a table test: statements in, Kotlin with holes out.
struct EmitCase {
  std::string name;
  std::vector<IRStmt> input;
  std::string expected;
  std::vector<IRExpr> leaves = {};
};

class Harness {
 public:
  Harness() : emitter(moduleSymbols(), "com.example.app") {
    // Names the tested code reads, known as locals so that identifiers are
    // written as they are.
    for (const char* name : {"a", "b", "flag", "items", "x", "y", "shape", "dir", "n", "pair", "model", "i"}) {
      emitter.scope.declare(name);
    }
  }

  // The expression translator's text for value in the current state, taken
  // from a copy so the emitter under test keeps its counters and warnings.
  std::string text(const IRExpr& value, const Hint& hint = {}) const {
    KotlinEmitter probe = emitter;
    return probe.expr(value, hint);
  }

  // pattern with "{i}" replaced by the text of leaves[i].
  std::string kotlin(std::string pattern, const std::vector<IRExpr>& leaves = {}) const {
    for (std::size_t i = 0; i < leaves.size(); ++i) {
      // Built piecewise: GCC 12 warns falsely about "{" + to_string(i).
      std::string hole(1, '{');
      hole += std::to_string(i);
      hole += '}';
      pattern = text::replaceAll(pattern, hole, text(leaves[i]));
    }
    return pattern;
  }

  std::string emit(const std::vector<IRStmt>& stmts) {
    Writer writer;
    for (const IRStmt& stmt : stmts) emitter.emitStmt(stmt, writer);
    return written(writer);
  }

  std::string emitAsExpression(const IRStmt& stmt) {
    Writer writer;
    emitter.emitStmtAsExpression(stmt, writer);
    return written(writer);
  }

  KotlinEmitter emitter;
};

}  // namespace tovrane::statements
