// Conditions, patterns, switches, if chains and expression bodies.
#include <gtest/gtest.h>

#include "tests/backend/StatementHarness.hpp"

namespace tovrane {
namespace {

using namespace statements;

std::string lines(const std::vector<std::string>& texts) { return text::join(texts, "\n"); }

// name > number
IRExpr above(std::string name, std::string number) {
  return IRExpr::binary{ident(std::move(name)), ">", intLit(std::move(number))};
}

TEST(KotlinConditions, SplitIntoPreludeTestsAndBindings) {
  Harness h;
  h.emitter.labelCounter = 4;
  const KotlinEmitter::CondParts parts = h.emitter.conditionParts(
      {bind("v", ident("y")), test(ident("flag")), casePattern(enumCase("circle", {"r"}), ident("shape")),
        casePattern(valuePattern(range(intLit("1"), "...", intLit("5"))), ident("n")),
        casePattern(valuePattern(intLit("0")), ident("n")), casePattern(enumCase("north"), ident("dir"))});
  EXPECT_EQ(lines(parts.prelude),
            h.kotlin("val v = {0}\nval sw5 = {1}\nval sw6 = {2}\nval sw7 = {2}\nval sw8 = {3}",
                     {ident("y"), ident("shape"), ident("n"), ident("dir")}));
  EXPECT_EQ(lines(parts.predicates),
            h.kotlin("v != null\n{0}\nsw5 is Shape.circle\nsw6 in {1}\nsw7 == {2}\nsw8 == Direction.north",
                     {ident("flag"), range(intLit("1"), "...", intLit("5")), intLit("0")}));
  EXPECT_EQ(lines(parts.bindingLines), "val r = (sw5 as Shape.circle).radius");
  EXPECT_TRUE(h.emitter.scope.knows("v"));
  EXPECT_TRUE(h.emitter.scope.knows("r"));
  EXPECT_EQ(h.emitter.labelCounter, 8);
}

TEST(KotlinConditions, WildcardCaseConditionMatchesEverything) {
  Harness h;
  const KotlinEmitter::CondParts parts = h.emitter.conditionParts({casePattern(wildcard(), ident("x"))});
  EXPECT_EQ(lines(parts.prelude), h.kotlin("val sw1 = {0}", {ident("x")}));
  EXPECT_EQ(lines(parts.predicates), "true");
  EXPECT_TRUE(parts.bindingLines.empty());

  // if case let v = x: the value under a name.
  const KotlinEmitter::CondParts bound = h.emitter.conditionParts({casePattern(binding("v"), ident("x"))});
  EXPECT_EQ(lines(bound.predicates), "true");
  EXPECT_EQ(lines(bound.bindingLines), "val v = sw2");
  EXPECT_TRUE(h.emitter.scope.knows("v"));
}

TEST(KotlinPatterns, EnumCasesResolveToModuleEnumerations) {
  struct Case {
    std::string name;
    IRPattern pattern;
    std::optional<std::string> hint;
    std::string test;
    std::string bindings;
  };
  const auto check = [&](const Case& c) {
    Harness h;
    const KotlinEmitter::PatternTest result = h.emitter.patternTest(c.pattern, "s", c.hint);
    EXPECT_EQ(result.test, c.test) << c.name;
    EXPECT_EQ(lines(result.bindingLines), c.bindings) << c.name;
    EXPECT_EQ(h.emitter.unsupportedCount, 0) << c.name;
  };
  check({"payload with a discarded position", enumCase("rect", {std::nullopt, "h"}), std::nullopt, "is Shape.rect",
        "val h = (s as Shape.rect).height"});
  check({"more bindings than values", enumCase("rect", {"w", "h", "extra"}), std::nullopt, "is Shape.rect",
        "val w = (s as Shape.rect).width\nval h = (s as Shape.rect).height"});
  check({"keyword binding", enumCase("circle", {"in"}), std::nullopt, "is Shape.circle",
        "val `in` = (s as Shape.circle).radius"});
  check({"payload-free case of a sealed enumeration", enumCase("empty"), std::nullopt, "Shape.empty", ""});
  check({"payload case matched without bindings", enumCase("circle"), std::nullopt, "is Shape.circle", ""});
  check({"keyword case", enumCase("object"), std::nullopt, "Token.`object`", ""});
  check({"case in backquotes", enumCase("`object`"), "Token", "Token.`object`", ""});
  check({"binding of the whole value", binding("in"), std::nullopt, "else", "val `in` = s"});
  check({"shared case name takes the first enumeration", enumCase("on"), std::nullopt, "Light.on", ""});
  check({"hint picks among shared case names", enumCase("on"), "Power", "Power.on", ""});
  check({"hint without that case is ignored", enumCase("on"), "Direction", "Light.on", ""});
  check({"wildcard", wildcard(), std::nullopt, "else", ""});
}

TEST(KotlinPatterns, CaseOfNoModuleEnumerationIsAPlaceholder) {
  Harness h;
  h.emitter.currentFile = "Match.swift";
  const KotlinEmitter::PatternTest result = h.emitter.patternTest(enumCase("some", {"x", std::nullopt}), "s", {});
  EXPECT_EQ(result.test, "TODO(\"tovrane: .some(x, _)\")");
  EXPECT_TRUE(result.bindingLines.empty());
  EXPECT_EQ(h.emitter.unsupportedCount, 1);
  ASSERT_EQ(h.emitter.warnings.size(), 1u);
  EXPECT_EQ(h.emitter.warnings[0], (ConversionWarning{"Match.swift", "Unbekannter Enum-Fall .some", ".some(x, _)"}));
}

TEST(KotlinPatterns, ValuePatterns) {
  Harness h;
  const IRExpr halfOpen = range(intLit("1"), "..<", intLit("10"));
  EXPECT_EQ(h.emitter.patternTest(valuePattern(halfOpen), "s", {}).test, "in " + h.text(halfOpen));
  EXPECT_EQ(h.emitter.patternTest(valuePattern(intLit("3")), "s", {}).test, h.text(intLit("3")));
}

TEST(KotlinSwitch, InfersTheEnumeration) {
  Harness h;
  const auto cases = [](std::vector<std::string> names) {
    std::vector<IRSwitchCase> list;
    for (std::string& name : names) list.push_back(caseOf({enumCase(std::move(name))}, {}));
    list.push_back(caseOf({valuePattern(intLit("1"))}, {}));
    return list;
  };
  EXPECT_EQ(h.emitter.switchEnum(ident("x"), cases({"north", "west"})), "Direction");
  EXPECT_EQ(h.emitter.switchEnum(ident("x"), cases({"on", "off"})), std::nullopt);
  EXPECT_EQ(h.emitter.switchEnum(ident("x"), cases({"on", "surge"})), "Power");
  EXPECT_EQ(h.emitter.switchEnum(ident("x"), cases({"north", "on"})), std::nullopt);
  EXPECT_EQ(h.emitter.switchEnum(ident("x"), cases({})), std::nullopt);
  h.emitter.scope.typeName = "Shape";
  EXPECT_EQ(h.emitter.switchEnum(IRExpr::selfRef{}, cases({"north"})), "Shape");
}

TEST(KotlinSwitch, WritesWhen) {
  const auto check = [&](const EmitCase& c) {
    Harness h;
    const std::string expected = h.kotlin(c.expected, c.leaves);
    EXPECT_EQ(h.emit(c.input), expected) << c.name;
    EXPECT_EQ(h.emitter.labelCounter, 1) << c.name;
    EXPECT_EQ(h.emitter.scope.names.size(), 1u) << c.name;
  };
  check({"plain enumeration with default",
        {switchStmt(ident("dir"), {caseOf({enumCase("north"), enumCase("south")}, {exprStmt(ident("x"))}),
                                 caseOf({}, {exprStmt(ident("y"))})})},
        "when ({0}) {\n"
        "    Direction.north, Direction.south -> {\n"
        "        {1}\n"
        "    }\n"
        "    else -> {\n"
        "        {2}\n"
        "    }\n"
        "}",
        {ident("dir"), ident("x"), ident("y")}});
  check({"payload bindings on the subject variable",
        {switchStmt(ident("shape"), {caseOf({enumCase("circle", {"r"})}, {exprStmt(ident("x"))}),
                                   caseOf({enumCase("rect", {std::nullopt, "h"})}, {breakStmt()})})},
        "when (val sw1 = {0}) {\n"
        "    is Shape.circle -> {\n"
        "        val r = (sw1 as Shape.circle).radius\n"
        "        {1}\n"
        "    }\n"
        "    is Shape.rect -> {\n"
        "        val h = (sw1 as Shape.rect).height\n"
        "    }\n"
        "    else -> {}\n"
        "}",
        {ident("shape"), ident("x")}});
  check({"values, ranges and a wildcard beside a value",
        {switchStmt(ident("n"),
                  {caseOf({valuePattern(intLit("0"))}, {breakStmt()}),
                   caseOf({valuePattern(range(intLit("1"), "..<", intLit("10"))),
                           valuePattern(range(intLit("10"), "...", intLit("20")))},
                          {exprStmt(ident("x"))}),
                   caseOf({valuePattern(intLit("99")), wildcard()}, {exprStmt(ident("y"))})})},
        "when ({0}) {\n"
        "    {1} -> {\n"
        "    }\n"
        "    in {2}, in {3} -> {\n"
        "        {4}\n"
        "    }\n"
        "    else -> {\n"
        "        {5}\n"
        "    }\n"
        "}",
        {ident("n"), intLit("0"), range(intLit("1"), "..<", intLit("10")), range(intLit("10"), "...", intLit("20")),
        ident("x"), ident("y")}});
  check({"tuples",
        {switchStmt(pairOf(ident("a"), ident("b")), {caseOf({valuePattern(pairOf(intLit("0"), intLit("0")))},
                                                          {exprStmt(ident("x"))})})},
        "when ({0}) {\n"
        "    {1} -> {\n"
        "        {2}\n"
        "    }\n"
        "    else -> {}\n"
        "}",
        {pairOf(ident("a"), ident("b")), pairOf(intLit("0"), intLit("0")), ident("x")}});
  check({"cases of the inferred enumeration",
        {switchStmt(ident("x"), {caseOf({enumCase("on")}, {}), caseOf({enumCase("surge")}, {})})},
        "when ({0}) {\n"
        "    Power.on -> {\n"
        "    }\n"
        "    Power.surge -> {\n"
        "    }\n"
        "    else -> {}\n"
        "}",
        {ident("x")}});
  check({"no cases", {switchStmt(ident("x"), {})}, "when ({0}) {\n    else -> {}\n}", {ident("x")}});
}

TEST(KotlinSwitch, WithoutDefaultFailsOnlyWhereKotlinMustSeeTheEnd) {
  // A statement switch runs on when no case matches (a case resolved
  // wrongly must not end the app); it fails where Kotlin needs the `when`
  // to end in every case: each case leaves, or assigns a local that has no
  // value yet.
  const std::string runsOn = "    else -> {}\n}";
  const std::string fails = "    else -> error(\"unerwarteter Fall\")\n}";
  const auto cases = [](std::vector<IRStmt> north, std::vector<IRStmt> south) {
    return std::vector<IRSwitchCase>{caseOf({enumCase("north")}, std::move(north)),
                                     caseOf({enumCase("south")}, std::move(south))};
  };
  const struct {
    const char* name;
    std::vector<IRStmt> input;
    const std::string& end;
  } rows[] = {
      {"every case returns", {switchStmt(ident("dir"), cases({ret(intLit("1"))}, {ret(intLit("2"))}))}, fails},
      {"one case returns", {switchStmt(ident("dir"), cases({ret(intLit("1"))}, {exprStmt(ident("x"))}))}, runsOn},
      {"the other case stops the app",
       {switchStmt(ident("dir"), cases({ret(intLit("1"))}, {exprStmt(call(ident("fatalError")))}))}, fails},
      {"assigns a local without value",
       {local("label", named("String"), true, std::nullopt),
        switchStmt(ident("dir"), cases({assign(ident("label"), "=", stringLit("n"))},
                                       {ifStmt({test(ident("a"))}, {assign(ident("label"), "=", stringLit("s"))},
                                               std::vector<IRStmt>{assign(ident("label"), "=", stringLit("t"))})}))},
       fails},
      {"assigns a local that has a value",
       {local("label", named("String"), false, stringLit("")),
        switchStmt(ident("dir"), cases({assign(ident("label"), "=", stringLit("n"))}, {}))},
       runsOn},
      {"adds to a local without value", {local("total", named("Int"), false, std::nullopt),
                                         switchStmt(ident("dir"), cases({assign(ident("total"), "+=", intLit("1"))}, {}))},
       runsOn},
  };
  for (const auto& row : rows) {
    Harness h;
    const std::string written = h.emit(row.input);
    EXPECT_TRUE(text::endsWith(written, row.end)) << row.name << "\n" << written;
  }
  // In view content the branch stays empty.
  Harness h;
  Writer writer;
  h.emitter.emitSwitch(ident("dir"), cases({ret(intLit("1"))}, {ret(intLit("2"))}), writer, true, false);
  EXPECT_TRUE(text::endsWith(text::join(writer.lines, "\n"), runsOn));
}

TEST(KotlinSwitch, CasesWithConditionsAndWholeValueBindings) {
  // switch n { case 0: x  case let v where v > 5: v  default: y }
  Harness h;
  EXPECT_EQ(h.emit({switchStmt(ident("n"), {caseOf({valuePattern(intLit("0"))}, {exprStmt(ident("x"))}),
                                           caseOf({guarded(binding("v"), above("v", "5"))},
                                                  {exprStmt(ident("v"))}),
                                           caseOf({}, {exprStmt(ident("y"))})})}),
            h.kotlin("val sw1 = {0}\n"
                     "when {\n"
                     "    sw1 == {1} -> {\n"
                     "        {2}\n"
                     "    }\n"
                     "    run { val v = sw1; (v > 5) } -> {\n"
                     "        val v = sw1\n"
                     "        v\n"
                     "    }\n"
                     "    else -> {\n"
                     "        {3}\n"
                     "    }\n"
                     "}",
                     {ident("n"), intLit("0"), ident("x"), ident("y")}));
  EXPECT_TRUE(h.emitter.warnings.empty());
  EXPECT_EQ(h.emitter.scope.names.size(), 1u);

  // A payload case with a condition, another item of the same case, and a
  // binding that takes the rest; as a value the whole stands in a block.
  Harness e;
  const IRStmt shapes = switchStmt(
      ident("shape"),
      {caseOf({guarded(enumCase("circle", {"r"}), above("r", "1")), enumCase("empty")},
              {exprStmt(intLit("1"))}),
       caseOf({enumCase("circle")}, {exprStmt(intLit("2"))}), caseOf({binding("other")}, {exprStmt(ident("other"))})});
  EXPECT_EQ(e.emitAsExpression(shapes),
            e.kotlin("run {\n"
                     "    val sw1 = {0}\n"
                     "    when {\n"
                     "        (sw1 is Shape.circle && run { val r = (sw1 as Shape.circle).radius; (r > 1) }) || "
                     "sw1 == Shape.empty -> {\n"
                     "            val r = (sw1 as Shape.circle).radius\n"
                     "            1\n"
                     "        }\n"
                     "        sw1 is Shape.circle -> {\n"
                     "            2\n"
                     "        }\n"
                     "        else -> {\n"
                     "            val other = sw1\n"
                     "            other\n"
                     "        }\n"
                     "    }\n"
                     "}",
                     {ident("shape")}));

  // Without conditions a binding is the branch for everything else.
  Harness b;
  EXPECT_EQ(b.emit({switchStmt(ident("dir"), {caseOf({enumCase("north")}, {}), caseOf({binding("d")}, {exprStmt(ident("d"))})})}),
            b.kotlin("when (val sw1 = {0}) {\n"
                     "    Direction.north -> {\n"
                     "    }\n"
                     "    else -> {\n"
                     "        val d = sw1\n"
                     "        d\n"
                     "    }\n"
                     "}",
                     {ident("dir")}));
}

TEST(KotlinSwitch, CasesAfterACatchAllAreLeftOutWithAWarning) {
  // Swift: case 7: x  case _: y  default: z — the default can never be reached.
  Harness h;
  const std::string expected = h.kotlin(
      "when ({0}) {\n"
      "    {1} -> {\n"
      "        {2}\n"
      "    }\n"
      "    else -> {\n"
      "        {3}\n"
      "    }\n"
      "}",
      {ident("n"), intLit("7"), ident("x"), ident("y")});
  const std::size_t before = h.emitter.warnings.size();
  EXPECT_EQ(h.emit({switchStmt(ident("n"), {caseOf({valuePattern(intLit("7"))}, {exprStmt(ident("x"))}),
                                           caseOf({wildcard()}, {exprStmt(ident("y"))}),
                                           caseOf({}, {exprStmt(ident("z"))})})}),
            expected);
  ASSERT_GT(h.emitter.warnings.size(), before);
  EXPECT_EQ(h.emitter.warnings.back().message,
            "Nicht erreichbarer Fall nach einem Fall, der alles trifft, weggelassen");
}

TEST(KotlinSwitch, CaseOfNoModuleEnumerationStaysVisible) {
  Harness h;
  const std::string expected = h.kotlin(
      "when (val sw1 = {0}) {\n"
      "    TODO(\"tovrane: .some(v)\") -> {\n"
      "    }\n"
      "    else -> {}\n"
      "}",
      {ident("x")});
  EXPECT_EQ(h.emit({switchStmt(ident("x"), {caseOf({enumCase("some", {"v"})}, {})})}), expected);
  ASSERT_FALSE(h.emitter.warnings.empty());
  EXPECT_EQ(h.emitter.warnings.back().message, "Unbekannter Enum-Fall .some");
}

TEST(KotlinSwitch, AsExpressionEveryBranchEndsInItsValue) {
  Harness h;
  const IRStmt south = local("k", inferred(), true, intLit("2"));
  const IRStmt input = switchStmt(ident("dir"), {caseOf({enumCase("north")}, {exprStmt(intLit("1"))}),
                                                 caseOf({enumCase("south")}, {south, ret(intLit("3"))}),
                                                 caseOf({enumCase("east")}, {breakStmt()})});
  const std::string expected = h.kotlin(
      "when ({0}) {\n"
      "    Direction.north -> {\n"
      "        {1}\n"
      "    }\n"
      "    Direction.south -> {\n"
      "        val k = {2}\n"
      "        {3}\n"
      "    }\n"
      "    Direction.east -> {\n"
      "        Unit\n"
      "    }\n"
      "    else -> error(\"unerwarteter Fall\")\n"
      "}",
      {ident("dir"), intLit("1"), intLit("2"), intLit("3")});
  EXPECT_EQ(h.emitAsExpression(input), expected);
}

TEST(KotlinIf, WritesIfStatementsAndElseChains) {
  const auto check = [&](const EmitCase& c) {
    Harness h;
    const std::string expected = h.kotlin(c.expected, c.leaves);
    EXPECT_EQ(h.emit(c.input), expected) << c.name;
    EXPECT_EQ(h.emitter.scope.names.size(), 1u) << c.name;
  };
  check({"without else", {ifStmt({test(ident("a"))}, {breakStmt()})}, "if ({0}) {\n    break\n}", {ident("a")}});
  check({"with else", {ifStmt({test(ident("a")), test(ident("b"))}, {breakStmt()}, std::vector<IRStmt>{continueStmt()})},
        "if ({0} && {1}) {\n    break\n} else {\n    continue\n}", {ident("a"), ident("b")}});
  check({"else-if chain",
        {ifStmt({test(ident("a"))}, {breakStmt()},
              std::vector<IRStmt>{ifStmt({test(ident("b"))}, {continueStmt()}, std::vector<IRStmt>{ret()})})},
        "if ({0}) {\n    break\n} else if ({1}) {\n    continue\n} else {\n    return\n}", {ident("a"), ident("b")}});
  check({"chain without final else",
        {ifStmt({test(ident("a"))}, {},
              std::vector<IRStmt>{ifStmt({test(ident("b"))}, {},
                                         std::vector<IRStmt>{ifStmt({test(ident("flag"))}, {breakStmt()})})})},
        "if ({0}) {\n} else if ({1}) {\n} else if ({2}) {\n    break\n}", {ident("a"), ident("b"), ident("flag")}});
  check({"chain inside a loop keeps its indentation",
        {forIn("item", ident("items"),
             {ifStmt({test(ident("a"))}, {breakStmt()},
                     std::vector<IRStmt>{ifStmt({test(ident("b"))}, {continueStmt()})})})},
        "for (item in {0}) {\n    if ({1}) {\n        break\n    } else if ({2}) {\n        continue\n    }\n}",
        {ident("items"), ident("a"), ident("b")}});
  check({"optional binding in a run block", {ifStmt({bind("v", ident("y"))}, {exprStmt(ident("x"))})},
        "run {\n    val v = {0}\n    if (v != null) {\n        {1}\n    }\n}", {ident("y"), ident("x")}});
  check({"a loop jump cannot leave run",
        {ifStmt({bind("v", ident("y"))}, {breakStmt()})},
        "if (true) {\n    val v = {0}\n    if (v != null) {\n        break\n    }\n}", {ident("y")}});
  check({"a break of a nested switch counts",
        {ifStmt({bind("v", ident("y"))}, {switchStmt(ident("x"), {caseOf({}, {exprStmt(ident("x")), breakStmt()})})})},
        "if (true) {\n    val v = {0}\n    if (v != null) {\n        when ({1}) {\n            else -> {\n"
        "                {1}\n                break\n            }\n        }\n    }\n}",
        {ident("y"), ident("x")}});
  check({"a break of a nested loop does not",
        {ifStmt({bind("v", ident("y"))}, {whileLoop({test(ident("flag"))}, {breakStmt()})})},
        "run {\n    val v = {0}\n    if (v != null) {\n        while ({1}) {\n            break\n        }\n    }\n}",
        {ident("y"), ident("flag")}});
  check({"case pattern with else",
        {ifStmt({casePattern(enumCase("circle", {"r"}), ident("shape"))}, {exprStmt(ident("x"))},
              std::vector<IRStmt>{continueStmt()})},
        "if (true) {\n    val sw1 = {0}\n    if (sw1 is Shape.circle) {\n        val r = (sw1 as Shape.circle).radius\n"
        "        {1}\n    } else {\n        continue\n    }\n}",
        {ident("shape"), ident("x")}});
  check({"else-if with a binding is not merged",
        {ifStmt({test(ident("a"))}, {breakStmt()},
              std::vector<IRStmt>{ifStmt({bind("v", ident("y"))}, {exprStmt(ident("x"))})})},
        "if ({0}) {\n    break\n} else {\n    run {\n        val v = {1}\n        if (v != null) {\n            {2}\n"
        "        }\n    }\n}",
        {ident("a"), ident("y"), ident("x")}});
}

TEST(KotlinIf, NamesBoundByConditionsEndWithTheIf) {
  Harness h;
  h.emit({ifStmt({bind("found", ident("y"))}, {local("inner", inferred(), true, intLit("1"))},
                 std::vector<IRStmt>{local("other", inferred(), true, intLit("2"))})});
  for (const char* name : {"found", "inner", "other"}) EXPECT_FALSE(h.emitter.scope.knows(name)) << name;
}

TEST(KotlinIf, LoopJumpsAreFoundOutsideNestedLoops) {
  struct Case {
    std::string name;
    std::vector<IRStmt> stmts;
    bool jumps;
  };
  Harness h;
  const auto check = [&](const Case& c) { EXPECT_EQ(h.emitter.containsLoopJump(c.stmts), c.jumps) << c.name; };
  check({"nothing", {}, false});
  check({"break", {exprStmt(ident("x")), breakStmt()}, true});
  check({"continue", {continueStmt()}, true});
  check({"in an else branch", {ifStmt({test(ident("a"))}, {}, std::vector<IRStmt>{continueStmt()})}, true});
  check({"in a guard", {guardStmt({}, {breakStmt()})}, true});
  check({"in a switch case", {switchStmt(ident("x"), {caseOf({}, {breakStmt()})})}, true});
  check({"in a for loop", {forIn("i", ident("items"), {breakStmt()})}, false});
  check({"in a while loop", {whileLoop({}, {continueStmt()})}, false});
  check({"in a do block", {IRStmt::doCatch{{breakStmt()}, std::nullopt}}, false});
  check({"in a defer block", {IRStmt::defer_{{breakStmt()}}}, false});
}

TEST(KotlinIf, AsExpression) {
  const auto check = [&](const EmitCase& c) {
    Harness h;
    const std::string expected = h.kotlin(c.expected, c.leaves);
    EXPECT_EQ(h.emitAsExpression(c.input.front()), expected) << c.name;
  };
  check({"with else", {ifStmt({test(ident("a"))}, {exprStmt(intLit("1"))}, std::vector<IRStmt>{ret(intLit("2"))})},
        "if ({0}) {\n    {1}\n} else {\n    {2}\n}", {ident("a"), intLit("1"), intLit("2")}});
  check({"without else", {ifStmt({test(ident("a"))}, {exprStmt(intLit("1"))})},
        "if ({0}) {\n    {1}\n} else {\n    Unit\n}", {ident("a"), intLit("1")}});
  check({"with a binding",
        {ifStmt({bind("v", ident("y"))}, {exprStmt(intLit("1"))}, std::vector<IRStmt>{exprStmt(intLit("2"))})},
        "run {\n    val v = {0}\n    if (v != null) {\n        {1}\n    } else {\n        {2}\n    }\n}",
        {ident("y"), intLit("1"), intLit("2")}});
  check({"statements before the value and a nested if",
        {ifStmt({test(ident("a"))}, {exprStmt(ident("x")), exprStmt(intLit("1"))},
              std::vector<IRStmt>{ifStmt({test(ident("b"))}, {ret()})})},
        "if ({0}) {\n    {1}\n    {2}\n} else {\n    if ({3}) {\n        return\n    } else {\n        Unit\n    }\n}",
        {ident("a"), ident("x"), intLit("1"), ident("b")}});
  check({"a branch ending in a declaration",
        {ifStmt({test(ident("a"))}, {local("k", inferred(), true, intLit("1"))}, std::vector<IRStmt>{})},
        "if ({0}) {\n    val k = {1}\n} else {\n    Unit\n}", {ident("a"), intLit("1")}});
  check({"any other statement", {breakStmt()}, "break"});
}

// In view mode the branches are view content: the view writer writes each
// statement, the structure around it stays the same.
TEST(KotlinIf, ViewModeBranchesAreViewContent) {
  Harness h;
  const IRStmt content = exprStmt(call(ident("Text"), {arg(ident("x"))}));
  const auto viewLines = [&](int level) {
    KotlinEmitter probe = h.emitter;
    Writer writer;
    writer.level = level;
    probe.emitViewStmt(content, writer);
    return text::join(writer.lines, "\n");
  };
  const std::string body = viewLines(1);
  const std::string caseBody = viewLines(2);
  Writer writer;
  h.emitter.emitIf({test(ident("a"))}, {content},
                   std::vector<IRStmt>{ifStmt({test(ident("b"))}, {content}, std::vector<IRStmt>{content})}, writer,
                   true, false);
  h.emitter.emitSwitch(ident("dir"), {caseOf({enumCase("north")}, {content})}, writer, true, false);
  EXPECT_EQ(text::join(writer.lines, "\n"),
            h.kotlin("if ({0}) {\n" + body + "\n} else if ({1}) {\n" + body + "\n} else {\n" + body +
                         "\n}\nwhen ({2}) {\n    Direction.north -> {\n" + caseBody + "\n    }\n    else -> {}\n}",
                     {ident("a"), ident("b"), ident("dir")}));
}

}  // namespace
}  // namespace tovrane
