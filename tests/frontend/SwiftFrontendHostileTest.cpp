// Input that ordinary code never holds: chains of hundreds of thousands of
// links, nesting far beyond the parser's cap, long runs of one pattern, and
// text the parser cannot place. The conversion must neither overflow the
// stack nor take time or write Kotlin out of proportion to the input, nor
// lose the source without saying so.
#include "core/backend/KotlinBackend.hpp"
#include "core/backend/SymbolCollector.hpp"
#include "core/frontend/SwiftFrontend.hpp"
#include "core/support/LargeStack.hpp"
#include "core/support/Text.hpp"
#include "core/swift/SwiftParser.hpp"
#include "core/swift/SwiftSyntax.hpp"
#include "tests/frontend/LoweringNotation.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

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

// A key path's components and a type's optional marks are flat in the
// syntax tree but nest in the IR, one level each: they count as chain links.
TEST(SwiftFrontendHostile, KeyPathsAndOptionalMarksCountAsChainLinks) {
  withLoweredValue(chainOf("\\Item", ".a", 2000),
                   [](const IRExpr& value) { EXPECT_TRUE(value.is<IRExpr::closure>()); });
  const std::string longKeyPath = chainOf("\\Item", ".a", 300000);
  withLoweredValue(longKeyPath, [&](const IRExpr& value) {
    const auto* unsupported = value.as<IRExpr::unsupported>();
    ASSERT_TRUE(unsupported);
    EXPECT_EQ(unsupported->source, longKeyPath);
  });
  for (const std::size_t marks : {std::size_t{2000}, std::size_t{300000}}) {
    runWithLargeStack([&] {
      const std::string type = chainOf("Int", "?", marks);
      const IRFile file = SwiftFrontend().parse("let x: " + type + " = nil\n", "A.swift");
      ASSERT_EQ(file.decls.size(), 1u);
      const auto* variable = file.decls[0].as<IRDecl::variable>();
      ASSERT_TRUE(variable);
      std::size_t optionals = 0;
      const IRType* current = &variable->property->type;
      while (const auto* optional = current->as<IRType::optional>()) {
        current = &*optional->wrapped;
        ++optionals;
      }
      if (marks == 2000) {
        EXPECT_EQ(optionals, marks);
      } else {
        const auto* named = current->as<IRType::named>();
        ASSERT_TRUE(named);
        EXPECT_EQ(optionals, 0u);
        EXPECT_EQ(named->name, type);
      }
    });
  }
}

// The Kotlin file a conversion writes for one Swift file, and how many
// warnings it gave.
std::pair<std::string, std::size_t> converted(const std::string& swift) {
  const IRModule merged =
      SymbolCollector::mergeExtensions(IRModule{.files = {SwiftFrontend().parse(swift, "ContentView.swift")}});
  KotlinEmitter emitter(SymbolCollector::collect(merged), "com.example.app");
  std::string kotlin = emitter.emitFile(merged.files[0]);
  return {std::move(kotlin), emitter.warnings.size()};
}

// The deepest level of a file's syntax tree, counted without recursion.
std::size_t treeDepth(const std::string& swift) {
  const swift::SyntaxTree tree = swift::parse(swift);
  std::size_t deepest = 0;
  std::vector<std::pair<swift::NodeId, std::size_t>> pending{{tree.root(), 1}};
  while (!pending.empty()) {
    const auto [node, depth] = pending.back();
    pending.pop_back();
    deepest = std::max(deepest, depth);
    for (const swift::Slot slot : tree.slots(node))
      if (slot.isNode()) pending.emplace_back(slot.node(), depth + 1);
  }
  return deepest;
}

// head, open n times, inner, close n times, tail.
std::string nested(std::string_view head, std::string_view open, std::string_view inner, std::string_view close,
                   std::size_t n, std::string_view tail) {
  return chainOf(chainOf(head, open, n).append(inner), close, n).append(tail);
}

// Each way Swift nests, a little beyond the parser's cap and far beyond it.
// Whatever the path (statement lists of switch cases included), the tree
// stops at the one cap, the content beyond it stays one piece of stray text,
// and the Kotlin written stays within a fixed multiple of the Swift read:
// indentation stops growing, so a line of Kotlin at any depth is at most
// about maxIndent longer than what it translates. Run on the test's own
// stack, which is far smaller than the conversion's.
TEST(SwiftFrontendHostile, EveryKindOfNestingStopsAtTheOneCap) {
  constexpr std::string_view inFunction = "func f() {\n";
  constexpr std::string_view inView = "import SwiftUI\nstruct V: View {\n  var body: some View {\n";
  const struct {
    const char* kind;
    std::string_view head, open, inner, close, tail;
  } kinds[] = {
      {"switch cases", inFunction, "switch x { case 1:\n", "f()\n", "}\n", "}\n"},
      {"switch defaults", inFunction, "switch x { default:\n", "f()\n", "}\n", "}\n"},
      {"switch expressions", inFunction, "let v = switch x { case 1: ", "1", " default: 2 }", "\n}\n"},
      {"if blocks", inFunction, "if c {\n", "f()\n", "}\n", "}\n"},
      {"if expressions", inFunction, "let v = if c { ", "1", " } else { 2 }", "\n}\n"},
      {"else-if chains", inFunction, "if c { f() } else ", "{ f() }", "", "\n}\n"},
      {"guard blocks", inFunction, "guard c else {\n", "return\n", "}\n", "}\n"},
      {"loops", inFunction, "for x in y {\n", "f()\n", "}\n", "}\n"},
      {"do blocks", inFunction, "do {\n", "try f()\n", "} catch {}\n", "}\n"},
      {"trailing closures", inFunction, "run {\n", "f()\n", "}\n", "}\n"},
      {"closure values", inFunction, "let v = { f()\n", "1", " }", "\n}\n"},
      {"local functions", inFunction, "func g() {\n", "f()\n", "}\n", "}\n"},
      {"nested types", "", "struct S {\n", "var a = 1\n", "}\n", ""},
      {"attribute arguments", "", "@A(", "1", ")", " func g() {}\n"},
      {"arrays", inFunction, "let v = [", "1", "]", "\n}\n"},
      {"dictionaries", inFunction, "let v = [1: ", "1", "]", "\n}\n"},
      {"parentheses", inFunction, "let v = (", "1", ")", "\n}\n"},
      {"call arguments", inFunction, "let v = g(", "1", ")", "\n}\n"},
      {"tuples", inFunction, "let v = (1, ", "1", ")", "\n}\n"},
      {"interpolations", inFunction, "let v = \"\\(", "1", ")\"", "\n}\n"},
      {"ternaries", inFunction, "let v = c ? ", "1", " : 2", "\n}\n"},
      {"prefix operators", inFunction, "let v = -(", "1", ")", "\n}\n"},
      {"try", inFunction, "let v = try ", "f()", "", "\n}\n"},
      {"enum case patterns", inFunction, "switch x { case .a(", "y", ")", ": f() default: break }\n}\n"},
      {"tuple patterns", inFunction, "let (", "a", ")", " = x\n}\n"},
      {"generic types", inFunction, "let v: A<", "Int", ">", " = x\n}\n"},
      {"array types", inFunction, "let v: [", "Int", "]", " = x\n}\n"},
      {"function types", inFunction, "let v: (Int) -> ", "Int", "", " = x\n}\n"},
      {"view stacks", inView, "VStack {\n", "Text(\"a\")\n", "}\n", "  }\n}\n"},
      {"view conditions", inView, "if c {\n", "Text(\"a\")\n", "}\n", "  }\n}\n"},
      {"view switches", inView, "switch x { case 1:\n", "Text(\"a\")\n", "}\n", "  }\n}\n"},
      {"view loops", inView, "ForEach(xs) { x in\n", "Text(\"a\")\n", "}\n", "  }\n}\n"},
  };
  // A level of the parser's cap opens at most three levels of the tree.
  constexpr std::size_t deepestTree = 4 * swift::Parser::maxDepth;
  for (const auto& kind : kinds) {
    for (const std::size_t depth : {std::size_t{150}, std::size_t{30000}}) {
      SCOPED_TRACE(std::string(kind.kind) + ", " + std::to_string(depth) + " deep");
      const std::string swift = nested(kind.head, kind.open, kind.inner, kind.close, depth, kind.tail);
      const std::size_t levels = treeDepth(swift);
      EXPECT_LE(levels, deepestTree);
      if (levels > deepestTree) continue;  // the later stages would nest as deep
      EXPECT_LE(converted(swift).first.size(), 64 * swift.size());
    }
  }
}

// A toggle writes its base twice («b = !b»), a binding its target («Binding({
// t }, { t = it })»). One inside the other would double at every level; it
// is a placeholder instead, and the Kotlin stays in proportion.
TEST(SwiftFrontendHostile, TextsWrittenTwiceDoNotDoubleAtEveryLevel) {
  const struct {
    const char* name;
    std::string swift;
  } cases[] = {
      {"toggles in closures",
       nested("func f(x: Bool) {\n", "withAnimation { ", "x.toggle()", " }.toggle()", 20, "\n}\n")},
      {"toggles in subscripts",
       nested("func f(x: Bool, a: [Bool]) {\n", "a[", "x.toggle()", "].toggle()", 20, "\n}\n")},
      {"bindings in subscripts",
       nested("import SwiftUI\nstruct V: View {\n  @State var a: [Int] = []\n  var body: some View {\n    Toggle(\"t\", isOn: ",
              "$a[", "0", "].x", 20, ")\n  }\n}\n")},
  };
  for (const auto& c : cases) {
    const auto [kotlin, warnings] = converted(c.swift);
    EXPECT_LE(kotlin.size(), 64 * c.swift.size()) << c.name;
    EXPECT_GE(warnings, 1u) << c.name;
  }
}

// line(i) for every i below n, one after another.
std::string each(std::size_t n, const std::function<std::string(const std::string&)>& line) {
  std::string text;
  for (std::size_t i = 0; i < n; ++i) text += line(std::to_string(i));
  return text;
}

// A long input whose Kotlin must show `written` (what the conversion had to
// find) and stay in proportion to it.
struct ManyUses {
  const char* name;
  std::string swift;
  std::string written;
};

void expectConvertedInProportion(const std::vector<ManyUses>& cases) {
  for (const ManyUses& c : cases) {
    const std::string kotlin = converted(c.swift).first;
    EXPECT_NE(kotlin.find(c.written), std::string::npos) << c.name;
    EXPECT_LE(kotlin.size(), 64 * c.swift.size()) << c.name;
  }
}

// Runs that once cost time growing with the square of their length in the
// parser or the backend. Each is a few megabytes: that would take hours, one
// pass takes well under a second. A time-out set for this test alone (see
// tests/CMakeLists.txt) fails it if that comes back.
TEST(SwiftFrontendHostile, LongRunsConvertInLinearTime) {
  std::string subclasses = "class C0 {}\n";
  for (int i = 1; i <= 100000; ++i)
    subclasses += "class C" + std::to_string(i) + ": C" + std::to_string(i - 1) + " {}\n";
  expectConvertedInProportion({
      // Whether an #if starts a case is decided from the line after it.
      {"an #if in a case body before a long line",
       chainOf("func f() {\n  switch x {\n  case 1: #if", " a", 2'000'000).append("\n  }\n}\n"), "when ("},
      // Each class declares the names its supertypes hold.
      {"a long chain of subclasses", subclasses, "open class C100000 : C99999() {"},
  });
}

// A module of many members, each used: a member, case or overload found by
// walking its type's lists at every use costs the square of their number,
// minutes at these sizes; found by name, seconds for each table. A
// time-out set for these tests alone (see tests/CMakeLists.txt) fails them
// if that comes back.
TEST(SwiftFrontendHostile, CallsFindTheirCalleeInLinearTime) {
  constexpr std::size_t n = 60000;
  const std::string last = std::to_string(n - 1);
  expectConvertedInProportion({
      // The parameters type the arguments: an integer literal becomes a Double.
      {"methods calling each other",
       "struct S {\n" + each(n, [](const std::string& i) {
         return "  func f" + i + "(a: Double) { f" + std::to_string(std::stoul(i) + 1) + "(a: 1) }\n";
       }) + "}\n",
       "f" + last + "(a = 1.0)"},
      {"overloads of one name",
       "struct S {\n" + each(n, [](const std::string& i) { return "  func g(a" + i + ": Double) {}\n"; }) +
           "  func f() {\n" + each(n, [](const std::string& i) { return "    g(a" + i + ": 1)\n"; }) + "  }\n}\n",
       "g(a0 = 1.0)"},
      {"a memberwise initializer of many properties",
       "struct T {\n" + each(n, [](const std::string& i) { return "  var p" + i + ": Double\n"; }) + "}\nlet t = T(" +
           each(n, [](const std::string& i) { return "p" + i + ": 1, "; }) + "p0: 1)\n",
       "p" + last + " = 1.0"},
      {"methods passed as values",
       "struct T {\n" + each(n, [](const std::string& i) { return "  func g" + i + "(x: Int) {}\n"; }) +
           "  func f() {\n" + each(n, [](const std::string& i) { return "    let h" + i + " = g" + i + "\n"; }) +
           "  }\n}\n",
       "val h" + last + " = { p0 -> g" + last + "(p0) }"},
      {"calls of a view with many properties",
       "import SwiftUI\nstruct Card: View {\n" +
           each(n, [](const std::string& i) { return "  var p" + i + ": Double = 0\n"; }) +
           "  let content: () -> Text\n  var body: some View { content() }\n}\n"
           "struct Main: View {\n  var body: some View {\n    VStack {\n" +
           each(n, [](const std::string& i) { return "      Card(p" + i + ": 1) { Text(\"x\") }\n"; }) +
           "    }\n  }\n}\n",
       "Card(p" + last + " = 1.0, content = {"},
  });
}

TEST(SwiftFrontendHostile, CasePatternsFindTheirCaseInLinearTime) {
  constexpr std::size_t n = 150000;
  const std::string last = std::to_string(n - 1);
  const std::string enumeration =
      "enum E {\n" + each(n, [](const std::string& i) { return "  case c" + i + "\n"; }) + "}\n";
  expectConvertedInProportion({
      {"a switch over every case",
       enumeration + "func f(e: E) {\n  switch e {\n" +
           each(n, [](const std::string& i) { return "  case .c" + i + ": print(1)\n"; }) + "  }\n}\n",
       "E.c" + last + " -> {"},
      // The subject's type is unknown: the enumeration is the one that has
      // the switch's cases.
      {"switches of one case each",
       enumeration + "func f() {\n" + each(n, [](const std::string& i) {
         return "  switch x { case .c" + i + ": print(1)\n default: break }\n";
       }) + "}\n",
       "E.c" + last + " -> {"},
      {"comparisons with a case",
       enumeration + "struct T {\n  var e: E = .c0\n  func f() {\n" +
           each(n, [](const std::string& i) { return "    if e == .c" + i + " { print(1) }\n"; }) + "  }\n}\n",
       "(e == E.c" + last + ")"},
      {"cases of the expected type",
       enumeration + "func f() {\n" +
           each(n, [](const std::string& i) { return "  let v" + i + ": E = .c" + i + "\n"; }) + "}\n",
       "val v" + last + ": E = E.c" + last},
  });
}

TEST(SwiftFrontendHostile, MembersAndExtensionsAreFoundInLinearTime) {
  constexpr std::size_t n = 50000;
  const std::string last = std::to_string(n - 1);
  expectConvertedInProportion({
      {"assignments to many properties",
       "struct T {\n" + each(n, [](const std::string& i) { return "  var p" + i + ": Double = 0\n"; }) +
           "  mutating func f() {\n" + each(n, [](const std::string& i) { return "    p" + i + " = 1\n"; }) +
           "  }\n}\n",
       "p" + last + " = 1.0"},
      {"Identifiable's ID after many properties",
       "struct T: Identifiable {\n" + each(n, [](const std::string& i) { return "  var p" + i + ": Int = 0\n"; }) +
           "  var id: String = \"\"\n" +
           each(n, [](const std::string& i) { return "  func g" + i + "(x: ID) {}\n"; }) + "}\n",
       "fun g" + last + "(x: String)"},
      // Two enumerations have the case; the properties of that name say which.
      {"a property name that many types share",
       "enum M { case a }\nenum N { case a }\n" +
           each(n, [](const std::string& i) { return "struct T" + i + " { var mode: N = .a }\n"; }) +
           "func f() {\n" + each(n, [](const std::string&) { return "  if mode == .a { print(1) }\n"; }) + "}\n",
       "== N.a)"},
      {"a protocol of many requirements with many conformers",
       "protocol P {\n" + each(n, [](const std::string& i) { return "  func m" + i + "()\n"; }) + "}\n" +
           each(n, [](const std::string& i) { return "struct S" + i + ": P { func m" + i + "() {} }\n"; }),
       "override fun m" + last + "()"},
      {"a class of many properties with many subclasses",
       "class B {\n" + each(n, [](const std::string& i) { return "  var p" + i + " = 0\n"; }) + "}\n" +
           each(n, [](const std::string& i) { return "class S" + i + ": B { func f() { print(p" + i + ") } }\n"; }),
       "swiftPrint(p" + last + ")"},
      // Each extension is merged into one of the declarations, not into
      // every one: the Kotlin would grow with the square of the count.
      {"a type declared again and again, with as many extensions",
       each(n, [](const std::string&) { return "struct A {}\n"; }) +
           each(n, [](const std::string& i) { return "extension A { func f" + i + "() {} }\n"; }),
       "fun f" + last + "()"},
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
