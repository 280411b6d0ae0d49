// Input that ordinary code never holds: chains of hundreds of thousands of
// links, and text the parser cannot place. The lowering must neither
// overflow the stack nor lose the source without saying so.
#include "core/frontend/SwiftFrontend.hpp"
#include "core/support/LargeStack.hpp"
#include "core/support/Text.hpp"
#include "tests/frontend/LoweringNotation.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace tovrane::test {
namespace {

// The IR levels below an expression along its chain, counted without recursion.
std::size_t chainDepth(const IRExpr& expr) {
  std::size_t depth = 0;
  for (const IRExpr* current = &expr;; ++depth) {
    if (const auto* e = current->as<IRExpr::binary>()) current = &*e->lhs;
    else if (const auto* e = current->as<IRExpr::call>()) current = &*e->callee;
    else if (const auto* e = current->as<IRExpr::member>(); e && e->base) current = &**e->base;
    else if (const auto* e = current->as<IRExpr::subscriptExpr>()) current = &*e->base;
    else if (const auto* e = current->as<IRExpr::postfix>()) current = &*e->operand;
    else if (const auto* e = current->as<IRExpr::ternary>()) current = &*e->elseValue;
    else if (const auto* e = current->as<IRExpr::cast>()) current = &*e->value;
    else return depth;
  }
}

// The value of `let x = <expression>`, lowered on a large stack as the
// conversion runs it (the IR of a long chain is also destroyed there).
void withLoweredValue(const std::string& expression, const std::function<void(const IRExpr&)>& check) {
  runWithLargeStack([&] {
    std::string source = "let x = ";
    const IRFile file = SwiftFrontend().parse(source.append(expression).append("\n"), "A.swift");
    ASSERT_EQ(file.decls.size(), 1u);
    const auto* variable = file.decls[0].as<IRDecl::variable>();
    ASSERT_TRUE(variable && variable->property->initializer);
    check(*variable->property->initializer);
  });
}

// first, then link `times` over («a» + «.f()» × n).
std::string chainOf(std::string_view first, std::string_view link, std::size_t times) {
  std::string out(first);
  out.reserve(first.size() + link.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += link;
  return out;
}

// Each kind of chain, at a length the lowering builds (one IR level per link)
// and at a length it turns into one unsupported node carrying the source.
TEST(SwiftFrontendHostile, LongChainsOfEveryKindLowerWithoutRecursion) {
  const struct {
    const char* kind;
    std::function<std::string(std::size_t)> chain;
    std::size_t levelsPerLink;
    std::size_t baseLevels;  // levels of the chain's innermost value
  } kinds[] = {
      {"operators", [](std::size_t n) { return chainOf("0", " + 1", n); }, 1, 0},
      {"calls", [](std::size_t n) { return chainOf("a", ".f()", n); }, 2, 0},
      {"modifiers", [](std::size_t n) { return chainOf("Text(\"x\")", "\n  .padding()", n); }, 2, 1},
      {"members", [](std::size_t n) { return chainOf("a", ".m", n); }, 1, 0},
      {"subscripts and unwraps", [](std::size_t n) { return chainOf("a", "[0]!", n); }, 2, 0},
      {"right-nested operators", [](std::size_t n) { return chainOf("a", " ?? b", n); }, 1, 0},
      {"casts", [](std::size_t n) { return chainOf("a", " as Any", n); }, 1, 0},
  };
  for (const auto& kind : kinds) {
    SCOPED_TRACE(kind.kind);
    withLoweredValue(kind.chain(2000), [&](const IRExpr& value) {
      EXPECT_FALSE(value.is<IRExpr::unsupported>());
      // A right-nested chain runs down the right operands, which chainDepth does not follow.
      if (std::string_view(kind.kind) != "right-nested operators") {
        EXPECT_EQ(chainDepth(value), 2000 * kind.levelsPerLink + kind.baseLevels);
      }
    });
    const std::string longChain = kind.chain(300000);
    withLoweredValue(longChain, [&](const IRExpr& value) {
      const auto* unsupported = value.as<IRExpr::unsupported>();
      ASSERT_TRUE(unsupported);
      EXPECT_EQ(unsupported->source, longChain);
    });
  }
}

// Chains inside chains share one budget: parenthesised operands, each a long
// chain of its own, cannot add up to an IR nested beyond it.
TEST(SwiftFrontendHostile, NestedChainsShareOneBudget) {
  std::string nested = "x";
  for (int level = 0; level < 150; ++level) nested = chainOf("a", " + 1", 100).append(" + (").append(nested).append(")");
  withLoweredValue(nested, [](const IRExpr& value) {
    // Walk to the deepest node along the right operands' spines.
    std::size_t levels = 0;
    std::vector<const IRExpr*> pending{&value};
    while (!pending.empty()) {
      const IRExpr* current = pending.back();
      pending.pop_back();
      ++levels;
      if (const auto* e = current->as<IRExpr::binary>()) {
        pending.push_back(&*e->lhs);
        pending.push_back(&*e->rhs);
      }
    }
    EXPECT_GT(levels, 1000u);
    EXPECT_LT(levels, 20000u);
  });
}

TEST(SwiftFrontendHostile, SkippedSourceIsReportedWithItsLine) {
  const struct {
    const char* name;
    const char* swift;
    std::vector<SkippedSource> skipped;
  } cases[] = {
      {"clean code", "struct A {\n    let a = 1\n    func f() {}\n}\n", {}},
      {"a keyword as a name swallows the rest of the body",
       "struct Model {\n    let a = 1\n    let typealias = 6\n    var b = 2\n    func f() -> Int { 3 }\n}\n",
       {{3, 3, "typealias = 6\n    var b = 2\n    func f() -> Int { 3 }"}}},
      {"a garbage line between members is one stretch",
       "struct Other {\n    var x = 1\n    @@@ garbage here ###\n    var y = 2\n}\n",
       {{3, 1, "@@@ garbage here ###"}}},
      {"two stretches apart stay two",
       "struct S {\n    var x = 1\n    ### one\n    var y = 2\n    ### two\n}\n",
       {{3, 1, "### one"}, {5, 1, "### two"}}},
  };
  for (const auto& c : cases) {
    std::vector<SkippedSource> skipped;
    SwiftFrontend().parse(c.swift, "A.swift", skipped);
    EXPECT_EQ(skipped, c.skipped) << c.name;
  }
}

// What the parser did not understand at all still tells the reader where it
// was: the line, not an empty placeholder; of a long line, its start, so that
// many such places on one line do not each copy all of it.
TEST(SwiftFrontendHostile, AnExpressionNotWrittenAtAllCarriesItsLine) {
  EXPECT_NE(lowerBodyNotation("let v = do { try compute() } catch { 0 }")
                .find(R"~(value: unsupported("let v = do { try compute() } catch { 0 }"))~"),
            std::string::npos);
  const std::string line = "let v = f(" + chainOf("", "a: , ", 2000) + ")";
  const IRFile file = SwiftFrontend().parse("func g() {\n" + line + "\n}\n", "A.swift");
  ASSERT_EQ(file.decls.size(), 1u);
  const auto* function = file.decls[0].as<IRDecl::function>();
  ASSERT_TRUE(function && function->decl->body && function->decl->body->size() == 1);
  const auto* binding = function->decl->body->front().as<IRStmt::local>();
  ASSERT_TRUE(binding && binding->value);
  const auto* call = (*binding->value)->as<IRExpr::call>();
  ASSERT_TRUE(call);
  ASSERT_EQ(call->args.size(), 2000u);
  for (const IRArg& arg : call->args) {
    const auto* unsupported = arg.value.as<IRExpr::unsupported>();
    ASSERT_TRUE(unsupported);
    EXPECT_EQ(unsupported->source, text::trimWhitespaceAndNewlines(line.substr(0, 300)));
  }
}

}  // namespace
}  // namespace tovrane::test
