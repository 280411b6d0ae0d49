#include "core/backend/KotlinBackend.hpp"

#include <gtest/gtest.h>

#include "tests/support/IRBuilders.hpp"

namespace tovrane {
namespace {

using namespace testsupport;

TEST(KotlinNameTables, HaveTheirExactSizesWithoutDuplicates) {
  const struct {
    const char* name;
    const NameSet& table;
    std::size_t size;
  } tables[] = {
      {"kotlinKeywords", kotlinKeywords(), 28},
      {"enumEntryKeywords", enumEntryKeywords(), 32},
      {"swiftColorNames", swiftColorNames(), 26},
      {"swiftFontNames", swiftFontNames(), 11},
      {"fontWeightNames", fontWeightNames(), 9},
      {"knownGlobals", knownGlobals(), 58},
      {"mutatingMethods", mutatingMethods(), 17},
      {"runtimeViews", runtimeViews(), 42},
      {"unsupportedViews", unsupportedViews(), 29},
      {"viewClosureLabels", viewClosureLabels(), 9},
      {"runtimeModifiers", runtimeModifiers(), 42},
      {"silentlyDroppedModifiers", silentlyDroppedModifiers(), 111},
      {"viewClosureModifiers", viewClosureModifiers(), 7},
      {"modifierShapeNames", modifierShapeNames(), 4},
      {"positionalModifiers", positionalModifiers(), 8},
  };
  for (const auto& t : tables) EXPECT_EQ(t.table.size(), t.size) << t.name;
}

TEST(KotlinNameTables, ViewAndModifierTablesAgreeWhereTheyMeet) {
  // A modifier is either kept or dropped, never both; the modifier shapes
  // are runtime views and every view-closure modifier is kept.
  for (const std::string& name : runtimeModifiers()) EXPECT_FALSE(silentlyDroppedModifiers().contains(name)) << name;
  for (const std::string& name : modifierShapeNames()) EXPECT_TRUE(runtimeViews().contains(name)) << name;
  for (const std::string& name : viewClosureModifiers()) EXPECT_TRUE(runtimeModifiers().contains(name)) << name;
  for (const std::string& name : positionalModifiers()) EXPECT_TRUE(runtimeModifiers().contains(name)) << name;
  for (const std::string& name : runtimeViews()) EXPECT_FALSE(unsupportedViews().contains(name)) << name;
  // The one entry that really ends in a backslash.
  EXPECT_TRUE(silentlyDroppedModifiers().contains("environment\\"));
  EXPECT_FALSE(silentlyDroppedModifiers().contains("environment"));
}

// Every Swift name becomes a legal Kotlin name: as it is, between backquotes,
// or replaced by a stable made-up name; what a name holds never becomes code.
TEST(KotlinBackend, KwMakesEverySwiftNameALegalKotlinName) {
  const struct {
    std::string_view name;
    std::string_view expected;
  } cases[] = {
      {"when", "`when`"},
      {"`default`", "default"},
      {"`class`", "`class`"},
      {"it", "it"},
      {"value", "value"},
      {"object", "`object`"},
      {"typeof", "`typeof`"},
      {"caf\xC3\xA9", "caf\xC3\xA9"},                      // letters of every script are letters
      {"\xE6\x97\xA5\xE6\x9C\xAC" "2", "\xE6\x97\xA5\xE6\x9C\xAC" "2"},
      {"_", "_"},                                           // Kotlin's own placeholder
      {"\xF0\x9F\x90\xB6", "`\xF0\x9F\x90\xB6`"},           // emoji: only between backquotes
      {"`\xF0\x9F\x90\xB6View`", "`\xF0\x9F\x90\xB6View`"},
      {"a-b", "`a-b`"},
      // Blanks (refused by Android's dex format before version 040), the
      // characters the JVM refuses, line breaks, backquotes, reserved names.
      {"`a: Int = 1; init { println(\"X\") }; val b`", "a_7964134a"},
      {"`my value`", "my_82c3b336"},
      {"x;y", "x_cafe12f7"},
      {"a\nb", "a_28e4c710"},
      {"`", "n_e50c2abf"},
      {"``", "n_811c9dc5"},
      {"", "n_811c9dc5"},
      {"__", "___720ba823"},
      {"1st", "`1st`"},
      {"$5", "n_0cbbb472"},
      {std::string_view("a\0b", 3), "a_10f3abd2"},
  };
  for (const auto& c : cases) {
    const std::string name = kw(c.name);
    EXPECT_EQ(name, c.expected) << c.name;
    EXPECT_EQ(kw(name), name) << "a Kotlin name stays as it is: " << name;
  }
  // Made names go through the same rule as a whole.
  EXPECT_EQ(kwMade("_", "`tap count`"), kw("_tap count"));
  EXPECT_EQ(kwMade("", "\xF0\x9F\x90\xB6", "View"), "`\xF0\x9F\x90\xB6View`");
  EXPECT_EQ(kwPath("Outer.`in`.\xF0\x9F\x90\xB6"), "Outer.`in`.`\xF0\x9F\x90\xB6`");
  EXPECT_EQ(kwPath(""), "");
}

TEST(KotlinBackend, WriterLineIndentsEveryPieceButNotAnEmptyText) {
  const struct {
    int level;
    std::string text;
    std::vector<std::string> expected;
  } cases[] = {
      {2, "", {""}},
      {1, "a\n\nb", {"    a", "    ", "    b"}},
      {0, "x", {"x"}},
      {1, "x\n", {"    x", "    "}},
      {3, "if (a) {", {"            if (a) {"}},
      // Indentation stops at maxIndent blanks, also for the lines a nested
      // writer indented already; shallower lines keep their depth.
      {40, "x", {std::string(Writer::maxIndent, ' ') + "x"}},
      {2, std::string(Writer::maxIndent - 4, ' ') + "a\n" + std::string(Writer::maxIndent + 8, ' ') + "b\nc",
       {std::string(Writer::maxIndent, ' ') + "a", std::string(Writer::maxIndent + 8, ' ') + "b", "        c"}},
  };
  for (const auto& c : cases) {
    Writer writer;
    writer.level = c.level;
    writer.line(c.text);
    EXPECT_EQ(writer.lines, c.expected) << c.text;
  }
}

TEST(KotlinBackend, EmitScopeFramesKeepTheirOutermostFrame) {
  EmitScope scope;
  scope.declare("count");
  scope.push();
  scope.declare("item");
  EXPECT_TRUE(scope.knows("count"));
  EXPECT_TRUE(scope.knows("item"));
  scope.pop();
  EXPECT_FALSE(scope.knows("item"));
  // An unpaired pop must not take away the frame that declare writes into.
  scope.pop();
  scope.declare("late");
  EXPECT_TRUE(scope.knows("late"));
  EXPECT_TRUE(scope.knows("count"));
  EXPECT_EQ(scope.returnLabels, std::vector<std::optional<std::string>>{std::nullopt});
  EXPECT_EQ(scope.returnTypes.size(), 1u);
}

TEST(KotlinBackend, TodoCutsGraphemeClustersAndEscapesAfterCutting) {
  const std::string eAcute = "e\xCC\x81";  // one character, two code points
  std::string source;
  for (int i = 0; i < 150; ++i) source += eAcute;
  std::string first120;
  for (int i = 0; i < 120; ++i) first120 += eAcute;
  std::string long400;
  for (int i = 0; i < 400; ++i) long400 += "x";

  KotlinEmitter emitter(ModuleSymbols{}, "app");
  emitter.currentFile = "Sources/View.swift";
  EXPECT_EQ(emitter.todo(source, "Ausdruck nicht übersetzt"), "TODO(\"tovrane: " + first120 + "\")");
  EXPECT_EQ(emitter.todo(long400, "zu lang"), "TODO(\"tovrane: " + long400.substr(0, 120) + "\")");
  EXPECT_EQ(emitter.todo("a\"b$c", "m"), R"(TODO("tovrane: a\"b\$c"))");
  // The cut comes first: 119 x and a quote give exactly one escape at the end.
  EXPECT_EQ(emitter.todo(std::string(119, 'x') + "\"\"", "m"), "TODO(\"tovrane: " + std::string(119, 'x') + "\\\"\")");

  ASSERT_EQ(emitter.warnings.size(), 4u);
  EXPECT_EQ(emitter.warnings[0],
            (ConversionWarning{.file = "Sources/View.swift", .message = "Ausdruck nicht übersetzt", .source = source}));
  EXPECT_EQ(emitter.warnings[1].source, long400.substr(0, 300));
  EXPECT_EQ(emitter.unsupportedCount, 4);
}

TEST(KotlinBackend, WarnRecordsWithoutCounting) {
  KotlinEmitter emitter(ModuleSymbols{}, "app");
  emitter.currentFile = "A.swift";
  emitter.warn(std::string(310, 'y'), "Modifier .x entfällt");
  ASSERT_EQ(emitter.warnings.size(), 1u);
  EXPECT_EQ(emitter.warnings[0].source, std::string(300, 'y'));
  EXPECT_EQ(emitter.unsupportedCount, 0);
}

// Outer with the nested Inner and Mode, a top-level Shape, and A.B with a
// Shape of its own.
ModuleSymbols symbolsWithNested() {
  ModuleSymbols symbols;
  symbols.moduleName = "Shapes";
  for (const char* path : {"Outer", "Outer.Inner", "A", "A.B"}) symbols.types.emplace(path, typeDecl(IRTypeKind::struct_, path));
  symbols.enums.emplace("Outer.Mode", ModuleSymbols::EnumInfo{.name = "Outer.Mode", .cases = {}, .sealed = false,
                                                              .rawType = std::nullopt});
  symbols.protocols.emplace("Shape", NameSet{});
  symbols.protocols.emplace("A.B.Shape", NameSet{});
  return symbols;
}

TEST(KotlinTypeMapping, TypeNameMapsSwiftNamesAndResolvesNestedModuleTypes) {
  const KotlinEmitter emitter(symbolsWithNested(), "app");
  const struct {
    std::string_view swift;
    std::string_view kotlin;
  } cases[] = {
      {"Int", "Int"},           {"UInt8", "Int"},
      {"Int64", "Long"},        {"UInt64", "Long"},
      {"CGFloat", "Double"},    {"Decimal", "Double"},
      {"TimeInterval", "Double"}, {"Float", "Float"},
      {"URL", "String"},        {"Substring", "String"},
      {"LocalizedStringKey", "String"}, {"Character", "Char"},
      {"Bool", "Boolean"},      {"Void", "Unit"},
      {"()", "Unit"},           {"AnyHashable", "Any"},
      {"Date", "java.util.Date"}, {"UUID", "java.util.UUID"},
      {"Data", "ByteArray"},    {"any Error", "Throwable"},
      {"Error", "Throwable"},   {"Set", "MutableSet"},
      {"some View", "@Composable () -> Unit"}, {"AnyView", "@Composable () -> Unit"},
      {"Item", "Item"},         {"Outer.Inner", "Outer_Inner"},
      {"Outer.Mode", "Outer_Mode"}, {"A.B.Shape", "A_B_Shape"},
      {"Shape", "Shape"},       {"Shapes.Shape", "Shape"},
      // Nested types are not visible by their simple name from outside.
      {"Inner", "Inner"},       {"Outer.Missing", "Outer.Missing"},
      {"Foundation.Date", "Foundation.Date"}, {"Swift.Int", "Swift.Int"},
      {"Outer.", "Outer.n_811c9dc5"},  // an empty part is no name either
  };
  for (const auto& c : cases) EXPECT_EQ(emitter.typeName(c.swift), c.kotlin) << c.swift;
}

TEST(KotlinTypeMapping, ANameMeansTheTypeNearestToWhereItIsWritten) {
  KotlinEmitter emitter(symbolsWithNested(), "app");
  const struct {
    const char* inside;
    std::string_view swift;
    std::string_view kotlin;
  } cases[] = {
      {"Outer", "Inner", "Outer_Inner"},       {"Outer.Inner", "Mode", "Outer_Mode"},
      {"A.B", "Shape", "A_B_Shape"},           {"A", "Shape", "Shape"},
      {"A.B", "Shapes.Shape", "Shape"},        {"Outer.Inner", "Self", "Outer_Inner"},
      {"A", "B.Shape", "A_B_Shape"},
  };
  for (const auto& c : cases) {
    emitter.scope.typeName = c.inside;
    EXPECT_EQ(emitter.typeName(c.swift), c.kotlin) << c.swift << " in " << c.inside;
  }
}

TEST(KotlinTypeMapping, SelfNamesTheTypeBeingWritten) {
  KotlinEmitter emitter(symbolsWithNested(), "app");
  // Outside a type (a protocol, a top-level function) there is nothing to name.
  EXPECT_EQ(emitter.typeName("Self"), "Self");
  emitter.scope.typeName = "Item";
  EXPECT_EQ(emitter.typeName("Self"), "Item");
  EXPECT_EQ(emitter.kt(IRType::optional{IRType::named{"Self", {}}}), "Item?");
}

TEST(KotlinTypeMapping, MemberTypesOfModuleTypesAreWrittenAsWhatTheyName) {
  ModuleSymbols symbols;
  IRTypeDecl trip = typeDecl(IRTypeKind::struct_, "Trip");
  trip.properties.push_back(storedVar("id", named("UUID")));
  trip.typealiases.emplace("Tag", named("String"));
  symbols.types.emplace("Trip", trip);
  // An identifier typed by its own member type must not loop.
  IRTypeDecl node = typeDecl(IRTypeKind::class_, "Node");
  node.properties.push_back(storedVar("id", named("Node.ID")));
  symbols.types.emplace("Node", node);
  // An alias of a function type, and one naming a type nested beside it.
  IRTypeDecl sorter = typeDecl(IRTypeKind::struct_, "Sorter");
  sorter.typealiases.emplace("Order", functionOf({named("Int"), named("Int")}, named("Bool")));
  sorter.typealiases.emplace("Current", named("Mode"));
  symbols.types.emplace("Sorter", sorter);
  symbols.types.emplace("Sorter.Mode", typeDecl(IRTypeKind::enum_, "Mode"));
  KotlinEmitter emitter(std::move(symbols), "app");
  const struct {
    std::string_view swift;
    std::string_view kotlin;
  } cases[] = {
      {"Trip.ID", "java.util.UUID"},  {"Trip.Tag", "String"},          {"Trip.Other", "Trip.Other"},
      {"Node.ID", "Node.ID"},         {"Other.ID", "Other.ID"},        {"Sorter.Order", "(Int, Int) -> Boolean"},
      {"Sorter.Current", "Sorter_Mode"}, {"Order", "Order"},
  };
  for (const auto& c : cases) EXPECT_EQ(emitter.typeName(c.swift), c.kotlin) << c.swift;
  // Inside the type, and inside a type nested in it, the simple name is the alias.
  for (const char* inside : {"Sorter", "Sorter.Mode"}) {
    emitter.scope.typeName = inside;
    EXPECT_EQ(emitter.kt(named("Order")), "(Int, Int) -> Boolean") << inside;
    EXPECT_EQ(emitter.typeName("ID"), "ID") << inside;
  }
  emitter.scope.typeName = "Trip";
  EXPECT_EQ(emitter.typeName("ID"), "java.util.UUID");
}

TEST(KotlinTypeMapping, KtWritesWholeTypes) {
  const KotlinEmitter emitter(symbolsWithNested(), "app");
  const IRType intType = named("Int");
  const struct {
    const char* name;
    IRType type;
    std::string_view kotlin;
  } cases[] = {
      {"optional Int", optionalOf(intType), "Int?"},
      {"optional optional Int", optionalOf(optionalOf(intType)), "Int?"},
      {"optional function", optionalOf(functionOf({intType}, named("Bool"))), "((Int) -> Boolean)?"},
      {"optional inferred stays inferred", optionalOf(inferred()), ""},
      {"Void parameter and inferred result", functionOf({named("Void")}, inferred()), "() -> Unit"},
      {"two parameters", functionOf({intType, named("String")}, named("Void")), "(Int, String) -> Unit"},
      {"View", named("View"), "@Composable () -> Unit"},
      {"array of views", arrayOf(named("View")), "MutableList<@Composable () -> Unit>"},
      {"four-tuple", tupleOf({intType, intType, intType, intType}), "Any"},
      {"pair", tupleOf({intType, named("String")}), "Pair<Int, String>"},
      {"triple", tupleOf({intType, intType, named("Bool")}), "Triple<Int, Int, Boolean>"},
      {"empty tuple", tupleOf({}), "Any"},
      {"Result drops its error", named("Result", {intType, named("Error")}), "Result<Int>"},
      {"Result without arguments", named("Result"), "Result"},
      {"dictionary of arrays", dictionaryOf(named("String"), arrayOf(intType)), "MutableMap<String, MutableList<Int>>"},
      {"Set", named("Set", {named("String")}), "MutableSet<String>"},
      {"Set with two arguments", named("Set", {intType, intType}), "MutableSet<Int, Int>"},
      {"generic module type", named("Outer.Inner", {named("Double")}), "Outer_Inner<Double>"},
      {"inferred", inferred(), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(emitter.kt(c.type), c.kotlin) << c.name;
}

TEST(KotlinTypeMapping, IsNumericLooksAtTheSwiftNameThroughOptionals) {
  const KotlinEmitter emitter(ModuleSymbols{}, "app");
  const NameSet doubles{"Double", "CGFloat"};
  EXPECT_TRUE(emitter.isNumeric(named("CGFloat"), doubles));
  EXPECT_TRUE(emitter.isNumeric(optionalOf(optionalOf(named("Double"))), doubles));
  EXPECT_FALSE(emitter.isNumeric(named("TimeInterval"), doubles));
  EXPECT_FALSE(emitter.isNumeric(named("Swift.Double"), doubles));
  EXPECT_FALSE(emitter.isNumeric(arrayOf(named("Double")), doubles));
}

TEST(KotlinTypeMapping, CoercedTypesLiteralsForTheExpectedType) {
  KotlinEmitter emitter(ModuleSymbols{}, "app");
  const IRType intType = named("Int");
  const auto text = [](std::string value) -> IRExpr { return IRExpr::stringLit{{IRStringPart::text{std::move(value)}}}; };
  const struct {
    const char* name;
    IRExpr value;
    IRType type;
    std::string_view kotlin;
  } cases[] = {
      {"int to Double", intLit("5"), named("Double"), "5.0"},
      {"int to optional CGFloat", intLit("5"), optionalOf(named("CGFloat")), "5.0"},
      {"int to TimeInterval", intLit("1_000"), named("TimeInterval"), "1_000.0"},
      {"negative int to Double", negated(intLit("5")), named("Double"), "-5.0"},
      {"int to Float", intLit("5"), named("Float"), "5f"},
      {"float to Float", floatLit("1.5"), named("Float"), "1.5f"},
      {"negative int to Float", negated(intLit("2")), named("Float"), "-2f"},
      {"negative float to Float", negated(floatLit("0.5")), named("Float"), "-0.5f"},
      {"int to Int64", intLit("5"), named("Int64"), "5L"},
      {"int to optional Int64", intLit("7"), optionalOf(named("Int64")), "7L"},
      {"empty array of String", arrayLit({}), arrayOf(named("String")), "mutableListOf<String>()"},
      {"array of Double", arrayLit({intLit("1"), negated(intLit("2"))}), arrayOf(named("Double")),
       "mutableListOf<Double>(1.0, -2.0)"},
      {"nested arrays", arrayLit({arrayLit({intLit("1")})}), arrayOf(arrayOf(named("Float"))),
       "mutableListOf<MutableList<Float>>(mutableListOf<Float>(1f))"},
      {"empty dictionary", dictLit({}), dictionaryOf(named("String"), intType), "mutableMapOf<String, Int>()"},
      {"dictionary from Float to Double", dictLit({IRDictEntry{intLit("1"), intLit("2")}, IRDictEntry{floatLit("0.5"), intLit("3")}}),
       dictionaryOf(named("Float"), named("Double")), "mutableMapOf<Float, Double>(1f to 2.0, 0.5f to 3.0)"},
      {"array to Set", arrayLit({intLit("1"), intLit("2")}), named("Set", {named("Int64")}),
       "mutableSetOf<Long>(1L, 2L)"},
      {"nil to optional", nilLit(), optionalOf(named("String")), "null"},
      {"one character to Character", text("a"), named("Character"), "'a'"},
      {"an escaped backslash to Character", text("\\\\"), named("Character"), "'\\\\'"},
      {"an apostrophe to Character", text("'"), named("Character"), "'\\''"},
      {"a dollar sign to Character", text("$"), named("Character"), "'\\$'"},
      {"a letter beyond ASCII to Character", text("é"), named("Character"), "'é'"},
      {"an emoji stays a string", text("😀"), named("Character"), "\"😀\""},
      {"two characters stay a string", text("ab"), named("Character"), "\"ab\""},
      {"set of Character", arrayLit({text("*"), text("\\\\")}), named("Set", {named("Character")}),
       "mutableSetOf<Char>('*', '\\\\')"},
      {"closed range of Double", IRExpr::range{Box<IRExpr>(intLit("0")), "...", Box<IRExpr>(intLit("1"))}, named("ClosedRange", {named("Double")}), "(0.0..1.0)"},
      {"closed range of Int", IRExpr::range{Box<IRExpr>(intLit("0")), "...", Box<IRExpr>(intLit("1"))}, named("ClosedRange", {intType}), "(0..1)"},
  };
  for (const auto& c : cases) EXPECT_EQ(emitter.coerced(c.value, c.type), c.kotlin) << c.name;
  EXPECT_EQ(emitter.unsupportedCount, 0);
}

TEST(KotlinTypeMapping, CoercedLeavesOtherValuesToTheExpressionTranslation) {
  const struct {
    const char* name;
    IRExpr value;
    IRType type;
  } cases[] = {
      {"int to UInt64 has no suffix rule", intLit("5"), named("UInt64")},
      {"int to Int", intLit("5"), named("Int")},
      {"float to Double", floatLit("2.5"), named("Double")},
      {"nil to a non-optional type", nilLit(), named("String")},
      {"array literal to a dictionary", arrayLit({}), dictionaryOf(named("String"), named("Int"))},
      {"negated float to Double", negated(floatLit("1.5")), named("Double")},
  };
  for (const auto& c : cases) {
    KotlinEmitter coercing(ModuleSymbols{}, "app");
    KotlinEmitter translating(ModuleSymbols{}, "app");
    EXPECT_EQ(coercing.coerced(c.value, c.type), translating.expr(c.value, Hint{.type = c.type})) << c.name;
    EXPECT_EQ(coercing.warnings, translating.warnings) << c.name;
  }
}

TEST(KotlinTypeMapping, DefaultValuesFollowTheKotlinName) {
  const KotlinEmitter emitter(ModuleSymbols{}, "app");
  const struct {
    const char* name;
    IRType type;
    std::optional<std::string> value;
  } cases[] = {
      {"Int32", named("Int32"), "0"},
      {"UInt64", named("UInt64"), "0L"},
      {"CGFloat", named("CGFloat"), "0.0"},
      {"Float", named("Float"), "0f"},
      {"URL", named("URL"), "\"\""},
      {"Bool", named("Bool"), "false"},
      {"Character", named("Character"), std::nullopt},
      {"Set", named("Set", {named("Int")}), std::nullopt},
      {"optional anything", optionalOf(named("Character")), "null"},
      {"array", arrayOf(named("Bool")), "mutableListOf<Boolean>()"},
      {"dictionary", dictionaryOf(named("String"), arrayOf(named("Int"))), "mutableMapOf<String, MutableList<Int>>()"},
      {"tuple", tupleOf({named("Int"), named("Int")}), std::nullopt},
      {"function", functionOf({}, named("Void")), std::nullopt},
      {"inferred", inferred(), std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(emitter.defaultValue(c.type), c.value) << c.name;
}

}  // namespace
}  // namespace tovrane
