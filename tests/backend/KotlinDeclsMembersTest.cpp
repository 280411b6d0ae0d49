// Functions, properties and stored properties from IR to Kotlin text. Where
// the expected text embeds a translated expression or statement, it is taken
// from a second emitter, so these tests pin only what the member emitters
// decide themselves.
#include <gtest/gtest.h>

#include "core/backend/KotlinBackend.hpp"
#include "core/support/Text.hpp"
#include "tests/backend/BackendFixtures.hpp"

namespace tovrane {
namespace {

using namespace testsupport;

// The module of these tests: an enumeration Tint and a struct Note.
ModuleSymbols moduleSymbols() {
  IRTypeDecl tint = typeDecl(IRTypeKind::enum_, "Tint");
  tint.cases = {IREnumCase{.name = "red", .associated = {}, .rawValue = std::nullopt}};
  IRFile file{.path = "Module.swift", .decls = {declOf(tint), declOf(typeDecl(IRTypeKind::struct_, "Note"))}};
  return SymbolCollector::collect(IRModule{.files = {file}});
}

std::string exprText(const IRExpr& value) {
  KotlinEmitter other(moduleSymbols(), "com.example.app");
  return other.expr(value);
}

TEST(KotlinDeclsMembers, Functions) {
  IRFunction greet = withBody(function("greet"));
  greet.params = {param("to", "name", named("String"))};

  IRFunction draw = withBody(function("draw"));
  draw.params = {param(std::nullopt, "x", named("Double")), param("y", "y", inferred()),
                 param("scale", "factor", named("Double"))};
  draw.params[2].defaultValue = intLit("1");
  draw.returnType = named("Void");

  IRFunction load = withBody(function("load"));
  load.isPrivate = true;
  load.isAsync = true;

  IRFunction area = function("area");
  area.returnType = named("Double");

  IRFunction when = withBody(function("when"), {IRStmt::expr{intLit("2")}});
  when.returnType = named("Double");

  struct Case {
    IRFunction function;
    std::optional<std::string> receiver;
    bool override;
    std::string open;
    std::string kotlin;
  };
  const std::vector<Case> cases = {
      {greet, std::nullopt, false, "", "fun greet(to: String) {\n    val name = to\n}"},
      {draw, std::nullopt, false, "open ",
       "open fun draw(x: Double, y: Any?, scale: Double = 1.0) {\n    val factor = scale\n}"},
      {load, std::nullopt, false, "open ", "private suspend fun load() {\n}"},
      {load, std::nullopt, true, "", "private override suspend fun load() {\n}"},
      {area, std::nullopt, false, "", "fun area(): Double"},
      {area, std::nullopt, true, "open ", "override fun area(): Double"},
      {when, "String", false, "", "fun String.`when`(): Double {\n    return 2.0\n}"},
  };
  for (const Case& c : cases) {
    KotlinEmitter emitter(moduleSymbols(), "com.example.app");
    Writer writer;
    emitter.emitFunction(c.function, writer, c.receiver, c.override, c.open);
    EXPECT_EQ(written(writer), c.kotlin) << c.function.name;
    EXPECT_EQ(emitter.scope.names.size(), 1u) << c.function.name;
    EXPECT_EQ(emitter.scope.returnTypes.size(), 1u) << c.function.name;
    EXPECT_EQ(emitter.warnings.size(), 0u) << c.function.name;
  }
}

TEST(KotlinDeclsMembers, OperatorFunctionsAreQuotedAsCountedComments) {
  IRFunction less = withBody(function("<"), {IRStmt::expr{IRExpr::boolLit{true}}});
  less.params = {param(std::nullopt, "lhs", named("Note")), param(std::nullopt, "rhs", named("Note"))};
  less.returnType = named("Bool");
  KotlinEmitter emitter(moduleSymbols(), "com.example.app");
  Writer writer;
  emitter.emitFunction(less, writer, std::nullopt, false, "");
  EXPECT_EQ(written(writer),
            "// tovrane: nicht übersetzt (Operatorfunktion <):\n"
            "// fun <(lhs: Note, rhs: Note): Boolean {\n"
            "//     return " + exprText(IRExpr::boolLit{true}) + "\n"
            "// }");
  EXPECT_EQ(emitter.unsupportedCount, 1);
  ASSERT_EQ(emitter.warnings.size(), 1u);
  EXPECT_EQ(emitter.warnings.front().message, "Nicht unterstützte Operatorfunktion <");
  // Names that merely start unusually are no operators.
  for (const char* name : {"_reset", "`default`", "über"}) {
    Writer plain;
    emitter.emitFunction(withBody(function(name)), plain, std::nullopt, false, "");
    EXPECT_TRUE(text::startsWith(written(plain), "fun ")) << name;
  }
  EXPECT_EQ(emitter.unsupportedCount, 1);
}

TEST(KotlinDeclsMembers, ParametersAreDeclaredUnderNameAndLabel) {
  KotlinEmitter emitter(moduleSymbols(), "com.example.app");
  emitter.scope.returnLabels = {std::nullopt, "c4"};
  IRFunction move = function("move");
  move.params = {param("to", "target", named("Note")), param(std::nullopt, "tint", named("Tint")),
                 param(std::nullopt, "count", named("Int"))};
  EXPECT_EQ(emitter.paramList(move), "to: Note, tint: Tint, count: Int");
  EXPECT_EQ(emitter.scope.names.back(), (NameSet{"to", "target", "tint", "count"}));
  EXPECT_EQ(emitter.scope.varClass, (std::map<std::string, std::string, std::less<>>{
                                        {"target", "Note"}, {"tint", "Tint"}}));

  // emitFunction opens its own frame and gives the return labels back.
  Writer writer;
  emitter.emitFunction(move, writer, std::nullopt, false, "");
  EXPECT_EQ(emitter.scope.returnLabels, (std::vector<std::optional<std::string>>{std::nullopt, "c4"}));
  EXPECT_EQ(emitter.scope.names.size(), 1u);
}

// Bodies of one if, switch or expression are returned as a value when the
// function has a result; other bodies are plain statements.
TEST(KotlinDeclsMembers, SingleStatementBodies) {
  const IRStmt ifStmt = IRStmt::ifStmt{{IRCondition::bool_{ident("flag")}}, {IRStmt::expr{intLit("1")}},
                                       std::vector<IRStmt>{IRStmt::expr{intLit("2")}}};
  const IRStmt refresh = IRStmt::expr{call(ident("refresh"))};

  KotlinEmitter reference(moduleSymbols(), "com.example.app");
  Writer asExpression;
  reference.emitStmtAsExpression(ifStmt, asExpression);
  Writer plain;
  plain.level = 1;
  reference.emitStmt(refresh, plain);

  KotlinEmitter emitter(moduleSymbols(), "com.example.app");
  Writer writer;
  writer.level = 1;
  emitter.emitFunctionBody({ifStmt}, writer, true, named("Int"));
  ASSERT_EQ(writer.lines.size(), asExpression.lines.size());
  for (std::size_t i = 0; i < writer.lines.size(); ++i) {
    EXPECT_EQ(writer.lines[i], (i == 0 ? "    return " : "    ") + asExpression.lines[i]);
  }

  Writer unitBody;
  unitBody.level = 1;
  emitter.emitFunctionBody({refresh}, unitBody, false, std::nullopt);
  EXPECT_EQ(unitBody.lines, plain.lines);

  Writer uncoerced;
  emitter.emitFunctionBody({IRStmt::expr{ident("total")}}, uncoerced, true, std::nullopt);
  EXPECT_EQ(uncoerced.lines, std::vector<std::string>{"return " + exprText(ident("total"))});
}

// Swift: func f() -> Double { switch n { case 0: 1  default: if flag { 2 } else { return 3 } } }
TEST(KotlinDeclsMembers, ReturnedIfAndSwitchValuesTakeTheResultType) {
  const IRStmt inner = IRStmt::ifStmt{{IRCondition::bool_{ident("flag")}}, {IRStmt::expr{intLit("2")}},
                                      std::vector<IRStmt>{IRStmt::ret{intLit("3")}}};
  const IRStmt outer = IRStmt::switchStmt{
      ident("n"), {IRSwitchCase{.patterns = {IRPattern::expr{intLit("0")}}, .body = {IRStmt::expr{intLit("1")}}},
                   IRSwitchCase{.patterns = {}, .body = {inner}}}};
  KotlinEmitter emitter(moduleSymbols(), "com.example.app");
  Writer writer;
  emitter.emitFunctionBody({outer}, writer, true, named("Double"));
  EXPECT_EQ(written(writer), "return when (" + exprText(ident("n")) +
                                 ") {\n"
                                 "    0 -> {\n"
                                 "        1.0\n"
                                 "    }\n"
                                 "    else -> {\n"
                                 "        if (" + exprText(ident("flag")) +
                                 ") {\n"
                                 "            2.0\n"
                                 "        } else {\n"
                                 "            3.0\n"
                                 "        }\n"
                                 "    }\n"
                                 "}");
  EXPECT_FALSE(emitter.scope.valueType.has_value());
  // An if written as an expression elsewhere keeps its values as they are.
  Writer plain;
  emitter.emitStmtAsExpression(inner, plain);
  EXPECT_EQ(plain.lines[1], "    2");
}

TEST(KotlinDeclsMembers, Properties) {
  IRProperty ratio = computed("ratio", named("Double"));
  IRProperty size = computed("size", named("Double"));
  size.setter = std::vector<IRStmt>{};
  size.setterParam = "val";
  IRProperty empty = storedVar("empty", named("Double"));
  empty.getter = std::vector<IRStmt>{};
  IRProperty total = storedVar("total", inferred());
  total.getter = std::vector<IRStmt>{IRStmt::expr{ident("sum")}};
  IRProperty secret = computed("secret", inferred());
  secret.isPrivate = true;
  IRProperty limit = withInit(storedVar("limit", named("Double")), intLit("3"));
  limit.isLet = true;
  IRProperty count = storedVar("count");
  count.isLet = true;
  IRProperty guessed = withInit(storedVar("guessed", inferred()), ident("start"));
  // Early returns inside a longer getter take the property's type too.
  IRProperty progress = computed("progress", named("Double"));
  progress.getter->insert(progress.getter->begin(), IRStmt::ret{intLit("0")});

  struct Case {
    IRProperty property;
    NameSet protocolMembers;
    std::string kotlin;
  };
  const std::vector<Case> cases = {
      {ratio, {}, "val ratio: Double\n    get() = 1.0"},
      {size, {"size"}, "override var size: Double\n    get() = 1.0\n    set(`val`) {\n    }"},
      {empty, {}, "val empty: Double\n    get() {\n    }"},
      {total, {}, "val total\n    get() = " + exprText(ident("sum"))},
      {secret, {"secret"}, "private override val secret\n    get() = " + exprText(intLit("1"))},
      {limit, {}, "val limit: Double = 3.0"},
      {count, {}, "var count: Int = 0"},
      {storedVar("note", optionalOf(named("Note"))), {}, "var note: Note? = null"},
      {storedVar("note", named("Note")), {"note"}, "override lateinit var note: Note"},
      {storedVar("any", inferred()), {}, "lateinit var any: Any"},
      {guessed, {}, "var guessed = " + exprText(ident("start"))},
      {progress, {}, "val progress: Double\n    get() {\n        return 0.0\n        return 1.0\n    }"},
  };
  for (const Case& c : cases) {
    KotlinEmitter emitter(moduleSymbols(), "com.example.app");
    Writer writer;
    MemberNames protocolMembers;
    protocolMembers.add(c.protocolMembers);
    emitter.emitProperty(c.property, writer, protocolMembers);
    EXPECT_EQ(written(writer), c.kotlin) << c.property.name;
    // A stored property joins the current frame; accessors use their own.
    EXPECT_EQ(emitter.scope.knows(c.property.name), !c.property.getter) << c.property.name;
    EXPECT_EQ(emitter.scope.names.size(), 1u) << c.property.name;
  }
}

TEST(KotlinDeclsMembers, StoredProperties) {
  IRProperty hidden = withInit(storedVar("hidden", named("Double")), intLit("1"));
  hidden.isPrivate = true;
  IRProperty fixed = storedVar("fixed");
  fixed.isLet = true;
  const IRExpr red = member(ident("Tint"), "red");
  const IRExpr other = member(ident("Other"), "red");

  struct Case {
    IRProperty property;
    bool observable;
    bool override;
    std::string open;
    std::string kotlin;
  };
  const std::vector<Case> cases = {
      {withInit(storedVar("x", named("Double")), intLit("1")), false, false, "open ", "open var x: Double = 1.0"},
      {hidden, false, false, "open ", "private var hidden: Double = 1.0"},
      {hidden, false, true, "open ", "private override var hidden: Double = 1.0"},
      {storedVar("count"), true, false, "", "var count by mutableStateOf<Int>(0, neverEqualPolicy())"},
      // A let without value is set by the initializers, so it stays assignable.
      {fixed, true, false, "", "var fixed: Int = 0"},
      {fixed, false, false, "", "var fixed: Int = 0"},
      {withInit(fixed, intLit("2")), false, false, "", "val fixed: Int = 2"},
      {withInit(storedVar("tint", inferred()), red), false, false, "", "var tint: Tint = " + exprText(red)},
      {withInit(storedVar("tint", inferred()), red), true, false, "",
       "var tint by mutableStateOf<Tint>(" + exprText(red) + ", neverEqualPolicy())"},
      {withInit(storedVar("tint", inferred()), other), true, false, "",
       "var tint by mutableStateOf(" + exprText(other) + ", neverEqualPolicy())"},
      {storedVar("note", named("Note")), true, false, "open ", "open lateinit var note: Note"},
      {withInit(storedVar("made", named("Note")), call(ident("Note"))), false, false, "",
       "var made: Note = " + exprText(call(ident("Note")))},
      {storedVar("any", inferred()), false, false, "", "lateinit var any: Any"},
      {storedVar("items", arrayOf(named("String"))), true, false, "",
       "var items by mutableStateOf<MutableList<String>>(mutableListOf<String>(), neverEqualPolicy())"},
  };
  for (const Case& c : cases) {
    KotlinEmitter emitter(moduleSymbols(), "com.example.app");
    Writer writer;
    emitter.emitStoredProperty(c.property, writer, c.observable, c.override, c.open);
    EXPECT_EQ(written(writer), c.kotlin) << c.property.name;
    EXPECT_FALSE(emitter.scope.knows(c.property.name)) << c.property.name;
  }
}

TEST(KotlinDeclsMembers, TypesAreGuessedFromLiteralsAndModuleNames) {
  KotlinEmitter emitter(moduleSymbols(), "com.example.app");
  const std::vector<std::pair<IRExpr, std::string>> cases = {
      {intLit("1"), "Int"},
      {floatLit("2.5"), "Double"},
      {IRExpr::stringLit{{IRStringPart::text{"a"}}}, "String"},
      {IRExpr::boolLit{true}, "Boolean"},
      {member(ident("Tint"), "red"), "Tint"},
      {member(ident("Color"), "red"), ""},
      {call(ident("Note")), "Note"},
      {call(ident("Point")), ""},
      {call(ident("Tint")), "Tint"},
      {ident("Note"), ""},
      {nilLit(), ""},
  };
  for (const auto& [value, type] : cases) EXPECT_EQ(emitter.guessKotlinType(value), type) << type;

  IRProperty property = storedVar("x", inferred());
  EXPECT_EQ(emitter.propType(property), "Any");
  property.initializer = floatLit("1.5");
  EXPECT_EQ(emitter.propType(property), "Double");
  property.type = named("Float");
  EXPECT_EQ(emitter.propType(property), "Float");
}

}  // namespace
}  // namespace tovrane
