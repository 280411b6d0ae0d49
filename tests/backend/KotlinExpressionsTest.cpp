#include <gtest/gtest.h>

#include "core/backend/KotlinBackend.hpp"
#include "tests/backend/BackendFixtures.hpp"

namespace tovrane {
namespace {

using namespace testsupport;

IRExpr bin(IRExpr lhs, std::string op, IRExpr rhs) { return IRExpr::binary{std::move(lhs), std::move(op), std::move(rhs)}; }
// A closure whose body returns value.
IRExpr lambda(std::vector<std::string> params, IRExpr value) {
  std::vector<IRStmt> body;
  body.push_back(ret(std::move(value)));
  return closure(std::move(params), std::move(body));
}
IRExpr cast(IRExpr value, std::string keyword, std::string type) {
  return IRExpr::cast{std::move(value), std::move(keyword), named(std::move(type))};
}
IRExpr tuple(std::size_t count) {
  IRExpr::tuple t;
  const char* names[] = {"a", "b", "c", "x", "n"};
  for (std::size_t i = 0; i < count; ++i) t.elements.push_back(arg(ident(names[i])));
  return t;
}

IREnumCase enumCase(std::string name, std::vector<IRParam> associated = {}) {
  return IREnumCase{.name = std::move(name), .associated = std::move(associated), .rawValue = std::nullopt};
}
IRTypeDecl enumDecl(std::string name, std::vector<IREnumCase> cases) {
  IRTypeDecl decl = typeDecl(IRTypeKind::enum_, std::move(name));
  decl.cases = std::move(cases);
  return decl;
}

IRParam param(std::optional<std::string> label, std::string name, IRType type) {
  return IRParam{.label = std::move(label), .name = std::move(name), .type = std::move(type), .defaultValue = std::nullopt};
}
IRFunction method(std::string name, std::vector<IRParam> params, bool isStatic = false) {
  IRFunction made = function(std::move(name));
  made.params = std::move(params);
  made.isStatic = isStatic;
  return made;
}

// A small module: the enumerations Theme (dark, light, in, blue) and Shade (dark,
// none, with a payload case), the structs Settings (mode: Theme, price:
// Double, name: String, count computed, look: Theme) and Outer/Inner, a
// class Store holding items: [Item]?, and the struct Item whose look is a
// Shade by its initializer. Task and Project each nest an enumeration Kind
// (Task's also an Item); Task has the methods scale(by:), handle(_:) and the
// static make(estimate:). Style has a backquoted case `default`, Figure has
// payload cases, and area(of:) and area(width:height:) are top-level
// functions.
ModuleSymbols sampleSymbols() {
  IRModule module;
  IRFile file{.path = "Model.swift", .decls = {}};
  file.decls.push_back(declOf(enumDecl("Theme", {enumCase("dark"), enumCase("light"), enumCase("in"), enumCase("blue")})));
  IRParam payload{.label = std::nullopt, .name = "v", .type = named("Int"), .defaultValue = std::nullopt};
  file.decls.push_back(declOf(enumDecl("Shade", {enumCase("dark"), enumCase("none"), enumCase("custom", {payload})})));
  IRTypeDecl settings = typeDecl(IRTypeKind::struct_, "Settings");
  settings.properties = {storedVar("mode", named("Theme")), storedVar("price", named("Double")),
                         storedVar("name", named("String")), computed("count"),
                         storedVar("look", named("Theme"))};
  IRProperty shared = storedVar("shared", named("Double"));
  shared.isStatic = true;
  settings.properties.push_back(shared);
  file.decls.push_back(declOf(settings));
  IRTypeDecl item = typeDecl(IRTypeKind::struct_, "Item");
  IRProperty look = storedVar("look", named("Int"));
  look.initializer = member(ident("Shade"), "dark");
  item.properties = {look};
  file.decls.push_back(declOf(item));
  IRTypeDecl store = typeDecl(IRTypeKind::class_, "Store");
  store.properties = {storedVar("items", optionalOf(arrayOf(named("Item")))), storedVar("labels", arrayOf(named("String")))};
  file.decls.push_back(declOf(store));
  IRTypeDecl outer = typeDecl(IRTypeKind::struct_, "Outer");
  outer.nested = {typeDecl(IRTypeKind::struct_, "Inner")};
  file.decls.push_back(declOf(outer));

  IRTypeDecl task = typeDecl(IRTypeKind::struct_, "Task");
  IRTypeDecl taskKind = enumDecl("Kind", {enumCase("chore"), enumCase("errand")});
  taskKind.inherits = {"String"};
  IRTypeDecl taskItem = typeDecl(IRTypeKind::struct_, "Item");
  taskItem.properties = {storedVar("weight", named("Double"))};
  task.nested = {taskKind, taskItem};
  task.properties = {storedVar("kind", named("Kind"))};
  task.functions = {method("scale", {param("by", "factor", named("Double"))}),
                    method("handle", {param(std::nullopt, "v", named("String"))}),
                    method("make", {param("estimate", "estimate", named("Double"))}, true)};
  file.decls.push_back(declOf(task));
  IRTypeDecl project = typeDecl(IRTypeKind::struct_, "Project");
  project.nested = {enumDecl("Kind", {enumCase("personal"), enumCase("shared", {param("with", "with", named("Int"))})})};
  project.properties = {storedVar("kind", named("Kind"))};
  file.decls.push_back(declOf(project));
  file.decls.push_back(declOf(enumDecl("Style", {enumCase("`default`"), enumCase("plain")})));
  file.decls.push_back(declOf(enumDecl("Figure", {enumCase("circle", {param("radius", "radius", named("Double"))}),
                                                  enumCase("box", {param("width", "width", named("Double")),
                                                                   param("height", "height", named("Double"))})})));
  file.decls.push_back(declOf(method("area", {param("of", "size", named("Double"))})));
  file.decls.push_back(
      declOf(method("area", {param("width", "width", named("Double")), param("height", "height", named("Double"))})));
  module.files.push_back(std::move(file));
  return SymbolCollector::collect(module);
}

class KotlinExpressions : public ::testing::Test {
 protected:
  KotlinEmitter emitter{sampleSymbols(), "com.example.app"};

  void SetUp() override {
    emitter.currentFile = "Model.swift";
    for (const char* name : {"a", "b", "x", "n", "c", "done", "counts", "key", "grid", "row", "col", "mode",
                             "value", "user", "pair", "dict", "error", "items", "list", "isOn", "settings", "ok"}) {
      emitter.scope.declare(name);
    }
  }
};

struct ExprCase {
  const char* swift;
  IRExpr value;
  std::string kotlin;
};

void expectAll(KotlinEmitter& emitter, const std::vector<ExprCase>& cases, const Hint& hint = {}) {
  for (const ExprCase& c : cases) EXPECT_EQ(emitter.expr(c.value, hint), c.kotlin) << c.swift;
}

TEST_F(KotlinExpressions, OperatorsLiteralsAndCollections) {
  std::vector<ExprCase> cases;
  cases.push_back({"x ?? 0", bin(ident("x"), "??", intLit("0")), "(x ?: 0)"});
  cases.push_back({"a & b", bin(ident("a"), "&", ident("b")), "(a and b)"});
  cases.push_back({"a | b ^ c", bin(ident("a"), "|", bin(ident("b"), "^", ident("c"))), "(a or (b xor c))"});
  cases.push_back({"a << 2 >> 1", bin(bin(ident("a"), "<<", intLit("2")), ">>", intLit("1")), "((a shl 2) shr 1)"});
  cases.push_back({"a == b", bin(ident("a"), "==", ident("b")), "(a == b)"});
  cases.push_back({"a = b", bin(ident("a"), "=", ident("b")), "(a = b)"});
  cases.push_back({"!done", IRExpr::prefix{"!", ident("done")}, "!done"});
  cases.push_back({"-x", IRExpr::prefix{"-", ident("x")}, "-x"});
  cases.push_back({"x!", IRExpr::postfix{ident("x"), "!"}, "x!!"});
  cases.push_back({"x?", IRExpr::postfix{ident("x"), "?"}, "x"});
  cases.push_back({"c ? a : b", IRExpr::ternary{ident("c"), ident("a"), ident("b")}, "(if (c) a else b)"});
  cases.push_back({"1_000", intLit("1000"), "1000"});
  cases.push_back({"2.5e3", floatLit("2.5e3"), "2.5e3"});
  cases.push_back({"true", IRExpr::boolLit{true}, "true"});
  cases.push_back({"nil", nilLit(), "null"});
  cases.push_back({"self", IRExpr::selfRef{}, "this"});
  cases.push_back({"[1, 2]", arrayLit({intLit("1"), intLit("2")}), "mutableListOf(1, 2)"});
  cases.push_back({"[:]", dictLit({}), "mutableMapOf()"});
  cases.push_back({"[a: 1]", dictLit({IRDictEntry{ident("a"), intLit("1")}}), "mutableMapOf(a to 1)"});
  cases.push_back({"()", tuple(0), "Unit"});
  cases.push_back({"(a, b)", tuple(2), "Pair(a, b)"});
  cases.push_back({"(a, b, c)", tuple(3), "Triple(a, b, c)"});
  cases.push_back({"x as Double", cast(ident("x"), "as", "Double"), "x"});
  cases.push_back({"x as! CGFloat", cast(ident("x"), "as!", "CGFloat"), "x"});
  cases.push_back({"x as! Item", cast(ident("x"), "as!", "Item"), "(x as Item)"});
  cases.push_back({"x as? Item", cast(ident("x"), "as?", "Item"), "(x as? Item)"});
  cases.push_back({"x is Item", cast(ident("x"), "is", "Item"), "(x is Item)"});
  cases.push_back({"try? load()", IRExpr::tryExpr{call(ident("Array")), "try?"}, "runCatching { mutableListOf() }.getOrNull()"});
  cases.push_back({"try x", IRExpr::tryExpr{ident("x"), "try"}, "x"});
  cases.push_back({"await x", IRExpr::awaitExpr{ident("x")}, "x"});
  cases.push_back({"0..<n", range(intLit("0"), "..<", ident("n")), "(0 until n)"});
  cases.push_back({"1...n", range(intLit("1"), "...", ident("n")), "(1..n)"});
  cases.push_back({"..<5", range(std::nullopt, "..<", intLit("5")), "swiftRangeUpTo(5)"});
  cases.push_back({"...5", range(std::nullopt, "...", intLit("5")), "swiftRangeThrough(5)"});
  cases.push_back({"5...", range(intLit("5"), "...", std::nullopt), "swiftRangeFrom(5)"});
  cases.push_back({"counts[key, default: 0]",
                   IRExpr::subscriptExpr{ident("counts"), {arg(ident("key")), arg("default", intLit("0"))}},
                   "(counts[key] ?: 0)"});
  cases.push_back({"grid[row, col]", IRExpr::subscriptExpr{ident("grid"), {arg(ident("row")), arg(ident("col"))}},
                   "grid[row, col]"});
  expectAll(emitter, cases);
  EXPECT_TRUE(emitter.warnings.empty());
}

TEST_F(KotlinExpressions, ExpectedTypesReachCollectionsAndClosedRanges) {
  const Hint listOfInt{.callee = std::nullopt, .label = std::nullopt, .type = arrayOf(named("Int"))};
  EXPECT_EQ(emitter.expr(arrayLit({}), listOfInt), "mutableListOf<Int>()");
  const Hint listOfDouble{.callee = std::nullopt, .label = std::nullopt, .type = arrayOf(named("Double"))};
  EXPECT_EQ(emitter.expr(arrayLit({intLit("1"), floatLit("2.5")}), listOfDouble), "mutableListOf<Double>(1.0, 2.5)");
  // A dictionary has no typed form.
  const Hint map{.callee = std::nullopt, .label = std::nullopt, .type = dictionaryOf(named("String"), named("Int"))};
  EXPECT_EQ(emitter.expr(dictLit({}), map), "mutableMapOf()");
  // Closed ranges pass the hint to their bounds; half-open ones do not.
  const Hint theme{.callee = std::nullopt, .label = std::nullopt, .type = named("Theme")};
  EXPECT_EQ(emitter.expr(range(dot("dark"), "...", dot("blue")), theme), "(Theme.dark..Theme.blue)");
  EXPECT_EQ(emitter.expr(range(dot("blue"), "..<", dot("blue")), theme), "(Color.blue until Color.blue)");
}

TEST_F(KotlinExpressions, PlaceholdersStayInsideTheEnclosingExpression) {
  const IRExpr sum = bin(IRExpr::unsupported{"left #weird"}, "+", bin(tuple(4), "*", range(std::nullopt, "...", std::nullopt)));
  const std::string kotlin = emitter.expr(sum);
  EXPECT_EQ(kotlin, "(TODO(\"tovrane: left #weird\") + (TODO(\"tovrane: Tupel mit 4 Elementen\") * "
                    "TODO(\"tovrane: einseitiger Bereich\")))");
  // The right operand is translated before the left one, so its warnings come first.
  ASSERT_EQ(emitter.warnings.size(), 3u);
  EXPECT_EQ(emitter.warnings[0].source, "einseitiger Bereich");
  EXPECT_EQ(emitter.warnings[1].source, "Tupel mit 4 Elementen");
  EXPECT_EQ(emitter.warnings[2].source, "left #weird");
  EXPECT_EQ(emitter.warnings[2].message, "Nicht unterstützter Ausdruck");
  EXPECT_EQ(emitter.unsupportedCount, 3);

  EXPECT_EQ(emitter.expr(dot("unknownThing")), "TODO(\"tovrane: .unknownThing\")");
  EXPECT_EQ(emitter.warnings.back().message, "Unbekannter impliziter Member .unknownThing");
  EXPECT_EQ(emitter.expr(tuple(1)), "TODO(\"tovrane: Tupel mit 1 Elementen\")");
}

TEST_F(KotlinExpressions, ComparisonWithALeadingDotCaseQualifiesTheEnumerationOfTheLeftSide) {
  emitter.scope.varClass["mode"] = "Theme";
  emitter.scope.varClass["settings"] = "Settings";
  emitter.scope.typeName = "Settings";
  std::vector<ExprCase> cases;
  cases.push_back({"mode == .dark", bin(ident("mode"), "==", dot("dark")), "(mode == Theme.dark)"});
  cases.push_back({"mode != .in", bin(ident("mode"), "!=", dot("in")), "(mode != Theme.`in`)"});
  cases.push_back({"settings.mode == .light", bin(member(ident("settings"), "mode"), "==", dot("light")),
                   "(settings.mode == Theme.light)"});
  cases.push_back({"self.mode == .dark", bin(member(IRExpr::selfRef{}, "mode"), "==", dot("dark")),
                   "(this.mode == Theme.dark)"});
  // .none is null even where a module enumeration has such a case.
  cases.push_back({"value == .none", bin(ident("value"), "==", dot("none")), "(value == null)"});
  // Without a known enumeration the case resolves on its own.
  cases.push_back({"x == .red", bin(ident("x"), "==", dot("red")), "(x == Color.red)"});
  expectAll(emitter, cases);

  // A property typed by a nested enumeration, and a backquoted case.
  emitter.scope.typeName = "Task";
  emitter.scope.declare("kind");
  emitter.scope.declare("style");
  emitter.scope.varClass["style"] = "Style";
  EXPECT_EQ(emitter.expr(bin(ident("kind"), "==", dot("errand"))), "(kind == Task_Kind.errand)");
  EXPECT_EQ(emitter.expr(bin(ident("style"), "!=", dot("default"))), "(style != Style.default)");
  EXPECT_TRUE(emitter.warnings.empty());
}

TEST_F(KotlinExpressions, StringLiteralsEscapeWhatKotlinWouldReadDifferently) {
  const struct {
    std::string swift;
    std::string kotlin;
  } cases[] = {
      {"costs $5", "costs \\$5"},
      {"smile \\u{1F600}", "smile \U0001F600"},
      {"line\\nbreak\\t\\\\ \\\"q\\\"", "line\\nbreak\\t\\\\ \\\"q\\\""},
      {"it\\'s", "it's"},
      {"two\nlines \"quoted\"", "two\\nlines \\\"quoted\\\""},
      {"bad \\u{D800} \\u{110000} \\u{zz} \\u{}!", "bad    !"},
      {"huge \\u{FFFFFFFFFFFFFFFFFFFF} end", "huge  end"},
      {"open \\u{41", "open A"},
      // Escapes of the characters that would end or break the literal.
      {"\\u{22}\\u{24}\\u{5C}\\u{0A}\\u{0D}", "\\\"\\$\\\\\\n\\r"},
      {"nul\\0", "nul\\u0000"},
      {"joined \\\n  line", "joined   line"},
      {"crlf\r\nlone\r", "crlf\\nlone\\r"},
      {"ends with \\", "ends with \\"},
  };
  for (const auto& c : cases) EXPECT_EQ(emitter.escapeSwiftText(c.swift), c.kotlin) << c.swift;

  const IRExpr counted = IRExpr::stringLit{{IRStringPart::text{"Count: "}, IRStringPart::interp{ident("n")},
                                            IRStringPart::text{" $"}}};
  EXPECT_EQ(emitter.expr(counted), "\"Count: ${n} \\$\"");
  EXPECT_EQ(emitter.stringExpr({}), "\"\"");
  EXPECT_TRUE(emitter.warnings.empty());
}

TEST_F(KotlinExpressions, ClosuresTakeTheirShapeFromTheirParameters) {
  std::vector<ExprCase> cases;
  cases.push_back({"{ $0 * 2 }", lambda({"$0"}, bin(ident("$0"), "*", intLit("2"))), "{ (it * 2) }"});
  cases.push_back({"{ $0 < $1 }", lambda({"$0", "$1"}, bin(ident("$0"), "<", ident("$1"))), "{ p0, p1 -> (p0 < p1) }"});
  cases.push_back({"{ x in return x + 1 }", lambda({"x"}, bin(ident("x"), "+", intLit("1"))), "{ x -> (x + 1) }"});
  cases.push_back({"{ }", closure({}, {}), "{ }"});
  cases.push_back({"{ _, x in x }", lambda({"_", "x"}, ident("x")), "{ _, x -> x }"});
  cases.push_back({"{ in, object in in }", lambda({"in", "object"}, ident("in")), "{ `in`, `object` -> `in` }"});
  cases.push_back({"{ $item in item }", lambda({"$item"}, ident("item")), "{ item -> item }"});
  cases.push_back({"key path \\.name", lambda({"$0"}, member(member(ident("$0"), "name"), "count")), "{ it.name.count }"});
  // The label is written when a line mentions it, even inside a text.
  cases.push_back({"{ \"a@c91\" }", lambda({}, stringLit("a@c91")), "c9@{ \"a@c91\" }"});
  expectAll(emitter, cases);
  EXPECT_TRUE(emitter.warnings.empty());
  // Every closure used one number; the scope is back as it was.
  EXPECT_EQ(emitter.labelCounter, 9);
  EXPECT_TRUE(emitter.scope.closureRename.empty());
  EXPECT_EQ(emitter.scope.returnLabels.size(), 1u);
  EXPECT_EQ(emitter.scope.returnTypes.size(), 1u);
  EXPECT_EQ(emitter.scope.names.size(), 1u);
  EXPECT_FALSE(emitter.scope.knows("p0"));
}

TEST_F(KotlinExpressions, TheTupleRequestDestructuresExactlyTwoParametersOnce) {
  emitter.scope.tupleClosure = true;
  EXPECT_EQ(emitter.expr(lambda({"k", "v"}, ident("k"))), "{ (k, v) -> k }");
  EXPECT_FALSE(emitter.scope.tupleClosure);
  EXPECT_EQ(emitter.expr(lambda({"k", "v"}, ident("k"))), "{ k, v -> k }");
  emitter.scope.tupleClosure = true;
  EXPECT_EQ(emitter.expr(lambda({"a", "b", "c"}, ident("a"))), "{ a, b, c -> a }");
  EXPECT_FALSE(emitter.scope.tupleClosure);
  // A nested closure does not see the request of its outer one.
  emitter.scope.tupleClosure = true;
  EXPECT_EQ(emitter.expr(lambda({"k", "v"}, lambda({"x", "y"}, ident("x")))), "{ (k, v) -> { x, y -> x } }");
}

TEST_F(KotlinExpressions, ClosureLabelsCountOnOverFilesOfOneRun) {
  // The outer closure takes its number before the inner one.
  emitter.currentFile = "A.swift";
  EXPECT_EQ(emitter.expr(lambda({}, lambda({}, stringLit("@c2")))), "{ c2@{ \"@c2\" } }");
  emitter.currentFile = "B.swift";
  EXPECT_EQ(emitter.expr(lambda({}, stringLit("@c3"))), "c3@{ \"@c3\" }");
  EXPECT_EQ(emitter.labelCounter, 3);
}

TEST_F(KotlinExpressions, IdentifiersFollowRenamesBindingsAndMethods) {
  emitter.scope.bindingFields.insert("isOn");
  emitter.scope.appStorageFields.insert("volume");
  emitter.scope.methodNames = {"save", "load", "when"};
  emitter.scope.closureRename.push_back({{"$0", "it"}, {"+", "plus"}});
  const struct {
    std::string swift;
    std::string kotlin;
  } cases[] = {
      {"$0", "it"},
      {"+", "plus"},
      {"-", "{ a, b -> a - b }"},
      {"<", "{ a, b -> a < b }"},
      {"$isOn", "_isOn"},
      {"$volume", "_volume.binding()"},
      {"$settings", "Binding({ settings }, { settings = it })"},
      {"$object", "Binding({ `object` }, { `object` = it })"},
      {"print", "swiftPrint"},
      {"Foo", "Foo"},
      {"$5", "n_0cbbb472"},  // no closure parameter here: no name Kotlin knows either
      {"save", "{ save() }"},
      {"when", "{ `when`() }"},
      {"Theme", "Theme"},
  };
  for (const auto& c : cases) EXPECT_EQ(emitter.identExpr(c.swift), c.kotlin) << c.swift;
  EXPECT_TRUE(emitter.warnings.empty());

  EXPECT_EQ(emitter.identExpr("score"), "TODO(\"tovrane: score\")");
  EXPECT_EQ(messages(emitter), std::vector<std::string>{"Unbekannter Bezeichner 'score'"});

  // A local of the same name hides the method.
  emitter.scope.push();
  emitter.scope.declare("save");
  EXPECT_EQ(emitter.identExpr("save"), "save");
  emitter.scope.pop();

  // A method that takes parameters passes them on; a type is named by
  // where the name is written.
  EXPECT_EQ(emitter.identExpr("Item"), "Item");
  emitter.scope = EmitScope();
  emitter.scope.typeName = "Task";
  emitter.scope.methodNames = {"handle", "scale", "make"};
  for (const char* name : {"handle", "scale", "make", "kind"}) emitter.scope.declare(name);
  const struct {
    std::string swift;
    std::string kotlin;
  } inTask[] = {
      {"handle", "{ p0 -> handle(p0) }"}, {"scale", "{ p0 -> scale(p0) }"}, {"Kind", "Task_Kind"},
      {"Item", "Task_Item"},             {"Outer", "Outer"},
  };
  for (const auto& c : inTask) EXPECT_EQ(emitter.identExpr(c.swift), c.kotlin) << c.swift;
}

TEST_F(KotlinExpressions, KnownIdentifiersComeFromScopeTablesAndModule) {
  emitter.scope.closureRename.push_back({{"$0", "it"}});
  for (const char* name : {"x", "$x", "$0", "$2", "min", "Theme", "Settings", "area", "$0"}) {
    EXPECT_TRUE(emitter.isKnownIdent(name)) << name;
  }
  // A nested type is known by its simple name only inside its parent.
  for (const char* name : {"score", "$5", "$score", "frobnicate", "Inner"}) EXPECT_FALSE(emitter.isKnownIdent(name)) << name;
  emitter.scope.typeName = "Outer";
  EXPECT_TRUE(emitter.isKnownIdent("Inner"));
}

TEST_F(KotlinExpressions, MemberAccesses) {
  std::vector<ExprCase> cases;
  cases.push_back({"Theme.allCases", member(ident("Theme"), "allCases"), "Theme.entries.toMutableList()"});
  cases.push_back({"Shade.allCases", member(ident("Shade"), "allCases"), "listOf<Shade>()"});
  cases.push_back({"Theme.in", member(ident("Theme"), "in"), "Theme.`in`"});
  cases.push_back({"Color.red", member(ident("Color"), "red"), "Color.red"});
  cases.push_back({"Font.title", member(ident("Font"), "title"), "Font.title"});
  cases.push_back({"Double.pi", member(ident("Double"), "pi"), "Math.PI"});
  cases.push_back({"Double.infinity", member(ident("Double"), "infinity"), "Double.POSITIVE_INFINITY"});
  cases.push_back({"Int.max", member(ident("Int"), "max"), "Int.MAX_VALUE"});
  cases.push_back({"Int.min", member(ident("Int"), "min"), "Int.MIN_VALUE"});
  cases.push_back({"Date.now", member(ident("Date"), "now"), "java.util.Date()"});
  cases.push_back({"Outer.Inner", member(ident("Outer"), "Inner"), "Outer_Inner"});
  cases.push_back({"Task.Kind.chore", member(member(ident("Task"), "Kind"), "chore"), "Task_Kind.chore"});
  cases.push_back({"Project.Kind.personal", member(member(ident("Project"), "Kind"), "personal"), "Project_Kind.personal"});
  cases.push_back({"Style.`default`", member(ident("Style"), "`default`"), "Style.default"});
  cases.push_back({"user?.name", member(IRExpr::postfix{ident("user"), "?"}, "name"), "user?.name"});
  cases.push_back({"user!.name", member(IRExpr::postfix{ident("user"), "!"}, "name"), "user!!.name"});
  cases.push_back({"pair.0", member(ident("pair"), "0"), "pair.first"});
  cases.push_back({"pair.1", member(ident("pair"), "1"), "pair.second"});
  cases.push_back({"dict.keys", member(ident("dict"), "keys"), "dict.keys_"});
  cases.push_back({"dict.values", member(ident("dict"), "values"), "dict.values_"});
  cases.push_back({"error.localizedDescription", member(ident("error"), "localizedDescription"), "error.message"});
  cases.push_back({"value.self", member(ident("value"), "self"), "value"});
  cases.push_back({"value.is", member(ident("value"), "is"), "value.`is`"});
  cases.push_back({"$settings.volume", member(ident("$settings"), "volume"),
                   "Binding({ settings.volume }, { settings.volume = it })"});
  cases.push_back({"$recipe.owner.name", member(member(ident("$recipe"), "owner"), "name"),
                   "Binding({ recipe.owner.name }, { recipe.owner.name = it })"});
  cases.push_back({"$recipe.steps[2].text",
                   member(IRExpr::subscriptExpr{member(ident("$recipe"), "steps"), {arg(intLit("2"))}}, "text"),
                   "Binding({ recipe.steps[2].text }, { recipe.steps[2].text = it })"});
  cases.push_back({"$items[0]", IRExpr::subscriptExpr{ident("$items"), {arg(intLit("0"))}},
                   "Binding({ items[0] }, { items[0] = it })"});
  cases.push_back({"String.init", member(ident("String"), "init"), "{ String(it) }"});
  cases.push_back({"Swift.min", member(ident("Swift"), "min"), "min"});
  cases.push_back({"Optional.none", member(ident("Optional"), "none"), "null"});
  cases.push_back({"Int?.none", member(ident("Int?"), "none"), "null"});
  cases.push_back({"DispatchQueue.main", member(ident("DispatchQueue"), "main"), "DispatchQueue.main"});
  expectAll(emitter, cases);
  EXPECT_TRUE(emitter.warnings.empty());

  // A member of view state or of a binding is changed in place, so the
  // setter re-assigns the root for Compose to notice.
  emitter.scope.stateFields.insert("draft");
  emitter.scope.bindingFields.insert("in");
  EXPECT_EQ(emitter.expr(member(ident("$draft"), "name")),
            "Binding({ draft.name }, { draft.name = it; draft = draft })");
  EXPECT_EQ(emitter.expr(member(ident("$in"), "name")), "Binding({ `in`.name }, { `in`.name = it; `in` = `in` })");

  // One unknown name at the root of a chain gives one warning for the chain.
  EXPECT_EQ(emitter.expr(member(member(ident("score"), "a"), "b")), "TODO(\"tovrane: score\")");
  EXPECT_EQ(emitter.warnings.size(), 1u);
}

TEST_F(KotlinExpressions, PathsOfExpressions) {
  const IRExpr chain = IRExpr::subscriptExpr{member(call(member(IRExpr::selfRef{}, "store")), "items"), {arg(intLit("0"))}};
  EXPECT_EQ(emitter.path(chain), (std::vector<std::string>{"self", "store", "()", "items", "[]"}));
  EXPECT_EQ(emitter.path(member(IRExpr::postfix{ident("user"), "?"}, "name")), (std::vector<std::string>{"user", "name"}));
  EXPECT_EQ(emitter.path(member(dot("a"), "b")), std::vector<std::string>{"b"});
  EXPECT_TRUE(emitter.path(dot("a")).empty());
  EXPECT_TRUE(emitter.path(intLit("1")).empty());
}

TEST_F(KotlinExpressions, EnumerationsAndElementClassesAreInferredFromTheModule) {
  // mode is a Theme in Settings; look is a Theme by its initializer.
  EXPECT_EQ(emitter.enumType("mode", "Settings"), "Theme");
  EXPECT_EQ(emitter.enumType("mode", "SettingsView"), "Theme");
  EXPECT_EQ(emitter.enumType("look", "Item"), "Shade");
  EXPECT_EQ(emitter.enumTypeOfProperty("look"), std::nullopt);
  EXPECT_EQ(emitter.enumType("price", "Settings"), std::nullopt);
  EXPECT_EQ(emitter.enumTypeOfProperty("mode"), "Theme");
  EXPECT_EQ(emitter.enumTypeOfProperty("missing"), std::nullopt);

  // Two types disagreeing about one property name give no answer.
  ModuleSymbols symbols = sampleSymbols();
  IRTypeDecl other = typeDecl(IRTypeKind::struct_, "Other");
  other.properties = {storedVar("mode", optionalOf(named("Shade")))};
  symbols.types["Other"] = other;
  KotlinEmitter disagreeing(symbols, "app");
  EXPECT_EQ(disagreeing.enumTypeOfProperty("mode"), std::nullopt);
  EXPECT_EQ(disagreeing.enumType("mode", "Other"), "Shade");

  emitter.scope.typeName = "Store";
  EXPECT_EQ(emitter.elementClass(ident("items")), "Item");
  EXPECT_EQ(emitter.elementClass(member(IRExpr::selfRef{}, "items")), "Item");
  EXPECT_EQ(emitter.elementClass(ident("labels")), std::nullopt);
  EXPECT_EQ(emitter.elementClass(member(ident("x"), "items")), std::nullopt);

  emitter.scope.typeName = "Settings";
  EXPECT_TRUE(emitter.isPropertyOfCurrentType("price"));
  EXPECT_FALSE(emitter.isPropertyOfCurrentType("save"));
  emitter.scope.push();
  emitter.scope.declare("save");
  EXPECT_TRUE(emitter.isPropertyOfCurrentType("save"));
  emitter.scope.typeName = std::nullopt;
  EXPECT_TRUE(emitter.isPropertyOfCurrentType("anything"));
}

TEST_F(KotlinExpressions, ImplicitMembersFollowTheOrderedRules) {
  const auto h = [](std::string callee, std::string label, std::optional<IRType> type = std::nullopt) {
    return Hint{.callee = callee.empty() ? std::nullopt : std::optional(callee),
                .label = label.empty() ? std::nullopt : std::optional(label),
                .type = std::move(type)};
  };
  const struct {
    std::string name;
    Hint hint;
    std::optional<std::string> kotlin;
  } cases[] = {
      {"infinity", h("", ""), "Double.infinity"},
      {"now", h("", ""), "java.util.Date()"},
      {"zero", h("", ""), "0"},
      {"dark", h("", "", named("Theme")), "Theme.dark"},
      {"dark", h("", "", optionalOf(named("Theme"))), "Theme.dark"},
      {"in", h("", "", named("Theme")), "Theme.`in`"},
      {"red", h("VStack", "", named("Theme")), "HorizontalAlignment.red"},
      {"automatic", h("", "placement"), "null"},
      {"leading", h("ToolbarItem", ""), "null"},
      {"leading", h("VStack", ""), "HorizontalAlignment.leading"},
      {"leading", h("LazyHStack", ""), "VerticalAlignment.leading"},
      {"leading", h("ZStack", ""), "Alignment.leading"},
      {"leading", h("Text", "alignment"), "Alignment.leading"},
      {"leading", h("VStack", "spacing"), "Alignment.leading"},
      {"center", h("multilineTextAlignment", ""), "TextAlignment.center"},
      {"bold", h("fontWeight", ""), "FontWeight.bold"},
      {"black", h("fontWeight", ""), "FontWeight.black"},
      {"condensed", h("fontWeight", ""), "FontWeight.regular"},
      {"rounded", h("system", "design"), "FontDesign.rounded"},
      {"destructive", h("Button", "role"), "ButtonRole.destructive"},
      {"vertical", h("ScrollView", ""), "Axis.vertical"},
      {"top", h("padding", ""), "Edge.top"},
      {"circle", h("clipShape", ""), "Shape.circle"},
      {"circle", h("", "in"), "Shape.circle"},
      {"whitespaces", h("trimmingCharacters", "in"), "null"},
      {"title", h("font", ""), "Font.title"},
      {"red", h("", ""), "Color.red"},
      {"title", h("", ""), "Font.title"},
      {"light", h("", ""), "Theme.light"},
      {"dateTime", h("", ""), "DateFormatStyle.dateTime"},
      {"up", h("rounded", ""), "RoundingRule.up"},
      {"gregorian", h("Calendar", "identifier"), "null"},
      {"number", h("formatted", ""), "null"},
      {"wide", h("month", ""), "\"wide\""},
      {"abbreviated", h("", "date"), "FormatStyleLevel.abbreviated"},
      {"month", h("", ""), "SwiftCalendar.Component.month"},
      {"nextTime", h("", ""), "SwiftCalendar.MatchingPolicy.nextTime"},
      {"distantFuture", h("", ""), "distantFuture"},
      {"leading", h("", ""), "Alignment.leading"},
      {"horizontal", h("", ""), "Edge.horizontal"},
      {"unknownThing", h("", ""), std::nullopt},
      {"abbreviated", h("", ""), std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(emitter.implicitMember(c.name, c.hint), c.kotlin)
        << c.name << " callee " << c.hint.callee.value_or("-") << " label " << c.hint.label.value_or("-");
  }
  // The module declares a case none (Shade), so .none is that case.
  EXPECT_EQ(emitter.implicitMember("none", {}), "Shade.none");

  // A case declared in backquotes is the bare name at its uses; an
  // expected type named inside a type is that type's own.
  const struct {
    const char* inside;
    std::string name;
    Hint hint;
    std::string kotlin;
  } located[] = {
      {"", "default", h("", ""), "Style.default"},
      {"", "default", h("", "", named("Style")), "Style.default"},
      {"", "`default`", h("", "", optionalOf(named("Style"))), "Style.default"},
      {"Task", "errand", h("", "", named("Kind")), "Task_Kind.errand"},
      {"Project", "personal", h("", "", named("Kind")), "Project_Kind.personal"},
      {"", "chore", h("", "", named("Task.Kind")), "Task_Kind.chore"},
  };
  for (const auto& c : located) {
    emitter.scope.typeName = *c.inside ? std::optional<std::string>(c.inside) : std::nullopt;
    EXPECT_EQ(emitter.implicitMember(c.name, c.hint), c.kotlin) << c.name << " in " << c.inside;
  }
  KotlinEmitter plain(ModuleSymbols{}, "app");
  EXPECT_EQ(plain.implicitMember("none", {}), "null");
}

TEST_F(KotlinExpressions, CallsOfLibraryFunctionsAndMethods) {
  emitter.scope.methodNames.insert("reload");
  std::vector<ExprCase> cases;
  cases.push_back({"isOn.toggle()", call(member(ident("isOn"), "toggle")), "(isOn = !isOn)"});
  cases.push_back({"Task.sleep(nanoseconds: 500_000_000)",
                   call(member(ident("Task"), "sleep"), {arg("nanoseconds", intLit("500000000"))}),
                   "TaskStatic.sleep(500000000L)"});
  cases.push_back({"Task.sleep(nanoseconds: n)", call(member(ident("Task"), "sleep"), {arg("nanoseconds", ident("n"))}),
                   "TaskStatic.sleep((n).toLong())"});
  cases.push_back({"Task.sleep(for: .seconds(2))",
                   call(member(ident("Task"), "sleep"), {arg("for", call(dot("seconds"), {arg(intLit("2"))}))}),
                   "kotlinx.coroutines.delay((2 * 1000).toLong())"});
  cases.push_back({"Task.sleep(for: .milliseconds(n))",
                   call(member(ident("Task"), "sleep"), {arg("for", call(dot("milliseconds"), {arg(ident("n"))}))}),
                   "kotlinx.coroutines.delay((n).toLong())"});
  cases.push_back({".constant(true)", call(dot("constant"), {arg(IRExpr::boolLit{true})}), "Binding.constant(true)"});
  cases.push_back({"items.sorted()", call(member(ident("items"), "sorted")), "items.sorted_()"});
  cases.push_back({"items.sorted(by: <)", call(member(ident("items"), "sorted"), {arg("by", ident("<"))}),
                   "items.sorted(by = { a, b -> a < b })"});
  cases.push_back({"items.filter { $0.done }", call(member(ident("items"), "filter"), {}, {arg(lambda({"$0"}, member(ident("$0"), "done")))}),
                   "items.filter_ { it.done }"});
  cases.push_back({"items.contains { $0 > 3 }",
                   call(member(ident("items"), "contains"), {}, {arg(lambda({"$0"}, bin(ident("$0"), ">", intLit("3"))))}),
                   "items.any { (it > 3) }"});
  cases.push_back({"items.contains(x)", call(member(ident("items"), "contains"), {arg(ident("x"))}), "items.contains(x)"});
  cases.push_back({"list.reversed().map(f)",
                   call(member(call(member(ident("list"), "reversed")), "map"), {arg(ident("x"))}),
                   "list.reversed_().map_(x)"});
  cases.push_back({"Array()", call(ident("Array")), "mutableListOf()"});
  cases.push_back({"Set<Int>()", call(ident("Set")), "mutableSetOf()"});
  cases.push_back({"Dictionary()", call(ident("Dictionary")), "mutableMapOf()"});
  cases.push_back({"fatalError()", call(ident("fatalError")), "error(\"fatalError\")"});
  cases.push_back({"fatalError(\"x\")", call(ident("fatalError"), {arg(stringLit("boom"))}), "error(\"boom\")"});
  cases.push_back({"assert(ok, \"m\")", call(ident("assert"), {arg(ident("ok")), arg(stringLit("m"))}), "check(ok)"});
  cases.push_back({"precondition()", call(ident("precondition")), "check(true)"});
  cases.push_back({"withAnimation { ... }", call(ident("withAnimation"), {arg(dot("default"))}, {arg(lambda({}, ident("x")))}),
                   "run { x }"});
  cases.push_back({"Task { ... }", call(ident("Task"), {}, {arg(lambda({}, ident("x")))}), "Task { x }"});
  cases.push_back({"print(a, b)", call(ident("print"), {arg(ident("a")), arg(ident("b"))}), "swiftPrint(a, b)"});
  cases.push_back({"Optional(5)", call(ident("Optional"), {arg(intLit("5"))}), "5"});
  cases.push_back({"stride(from: 0, through: 10, by: 2)",
                   call(ident("stride"), {arg("from", intLit("0")), arg("through", intLit("10")), arg("by", intLit("2"))}),
                   "strideThrough(from = 0, through = 10, by = 2)"});
  cases.push_back({"stride(from: 0, to: 10, by: 2)",
                   call(ident("stride"), {arg("from", intLit("0")), arg("to", intLit("10")), arg("by", intLit("2"))}),
                   "stride(from = 0, to = 10, by = 2)"});
  cases.push_back({"reload()", call(ident("reload")), "reload()"});
  cases.push_back({"max(`in`: 1)", call(ident("max"), {arg("`in`", intLit("1"))}), "max(`in` = 1)"});
  cases.push_back({"$isOn.animation()", call(member(ident("$isOn"), "animation")),
                   "Binding({ isOn }, { isOn = it }).animation()"});
  cases.push_back({"$model.isOn.animation()", call(member(member(ident("$model"), "isOn"), "animation")),
                   "Binding({ model.isOn }, { model.isOn = it }).animation()"});
  cases.push_back({"Item.init(name: n)", call(member(ident("Item"), "init"), {arg("name", ident("n"))}), "Item(name = n)"});
  cases.push_back({"[Int]()", call(arrayLit({ident("Int")})), "mutableListOf<Int>()"});
  cases.push_back({"[String: [Task.Item]]()", call(dictLit({{ident("String"), arrayLit({member(ident("Task"), "Item")})}})),
                   "mutableMapOf<String, MutableList<Task_Item>>()"});
  cases.push_back({"{ $0 < $1 } as (Int, Int) -> Bool",
                   IRExpr::cast{lambda({"$0", "$1"}, bin(ident("$0"), "<", ident("$1"))), "as",
                                functionOf({named("Int"), named("Int")}, named("Bool"))},
                   "({ p0: Int, p1: Int -> (p0 < p1) } as (Int, Int) -> Boolean)"});
  cases.push_back({"{ $0 * 2 } as (Int) -> Int",
                   IRExpr::cast{lambda({"$0"}, bin(ident("$0"), "*", intLit("2"))), "as", functionOf({named("Int")}, named("Int"))},
                   "({ p0: Int -> (p0 * 2) } as (Int) -> Int)"});
  cases.push_back({"DispatchQueue.main.async { }", call(member(member(ident("DispatchQueue"), "main"), "async"), {}, {arg(closure({}, {}))}),
                   "DispatchQueue.main.async { }"});
  expectAll(emitter, cases);
  EXPECT_TRUE(emitter.warnings.empty());

  const Hint font{.callee = "font", .label = std::nullopt, .type = std::nullopt};
  EXPECT_EQ(emitter.expr(call(dot("system"), {arg("size", intLit("20"))}), font), "Font.system(size = 20)");
}

TEST_F(KotlinExpressions, CallsThatCannotBeTranslatedLeaveTheirArgumentsAlone) {
  const int before = emitter.labelCounter;
  const std::vector<IRArg> trailing{arg(lambda({}, ident("score")))};
  EXPECT_EQ(emitter.expr(call(member(ident("DispatchQueue"), "concurrentPerform"), {arg("iterations", intLit("4"))}, trailing)),
            "TODO(\"tovrane: DispatchQueue\")");
  EXPECT_EQ(emitter.expr(call(ident("frobnicate"), {arg(ident("score"))})), "TODO(\"tovrane: frobnicate(...)\")");
  EXPECT_EQ(emitter.expr(call(ident("Frobnicate"), {})), "TODO(\"tovrane: Frobnicate(...)\")");
  EXPECT_EQ(emitter.expr(call(dot("wobble"), {arg(ident("score"))})), "TODO(\"tovrane: .wobble(...)\")");
  EXPECT_EQ(emitter.expr(call(member(ident("score"), "run"), {arg(ident("score"))}, trailing)), "TODO(\"tovrane: score\")");
  EXPECT_EQ(emitter.expr(call(member(ident("Task"), "sleep"), {arg("for", member(ident("d"), "x"))})),
            "TODO(\"tovrane: Task.sleep(for: …)\")");
  EXPECT_EQ(messages(emitter), (std::vector<std::string>{"DispatchQueue: bitte durch Task/Coroutine ersetzen",
                                                  "Unbekannte Funktion 'frobnicate'", "Unbekannte Funktion 'Frobnicate'",
                                                  "Unbekannter impliziter Aufruf .wobble", "Unbekannter Bezeichner 'score'",
                                                  "Nicht unterstützter Ausdruck"}));
  EXPECT_EQ(emitter.labelCounter, before);
}

TEST_F(KotlinExpressions, TrailingClosuresBecomeLambdasOrNamedArguments) {
  std::vector<ExprCase> cases;
  cases.push_back({"Section(\"A\") { a } footer: { b }",
                   call(ident("Settings"), {arg(stringLit("A"))},
                        {arg(lambda({}, ident("a"))), arg("footer", lambda({}, ident("b"))), arg(lambda({}, ident("c")))}),
                   "Settings(\"A\", content = { a }, footer = { b }, arg2 = { c })"});
  cases.push_back({"f(x) { a }", call(ident("max"), {arg(ident("x"))}, {arg(lambda({}, ident("a")))}), "max(x) { a }"});
  cases.push_back({"f(x) trailing non-closure", call(ident("max"), {arg(ident("x"))}, {arg(ident("a"))}), "max(x)"});
  cases.push_back({"dict.map { key, value in key }",
                   call(member(ident("dict"), "map"), {}, {arg(lambda({"key", "value"}, ident("key")))}),
                   "dict.map_ { (key, value) -> key }"});
  cases.push_back({"list.map { $0 * 2 }", call(member(ident("list"), "map"), {}, {arg(lambda({"$0", "$1"}, ident("$1")))}),
                   "list.map_ { p0, p1 -> p1 }"});
  cases.push_back({"list.reduce(0) { a, b in a }",
                   call(member(ident("list"), "reduce"), {arg(intLit("0"))}, {arg(lambda({"a", "b"}, ident("a")))}),
                   "list.reduce(0) { a, b -> a }"});
  cases.push_back({"f(action: { a })", call(ident("max"), {arg("action", lambda({}, ident("a")))}), "max(action = { a })"});
  expectAll(emitter, cases);
  EXPECT_TRUE(emitter.warnings.empty());
}

TEST_F(KotlinExpressions, MemberwiseInitialisersTypeTheirArguments) {
  const IRExpr made = call(ident("Settings"), {arg("price", intLit("3")), arg("name", stringLit("n")),
                                              arg("count", intLit("1")), arg("shared", intLit("2")),
                                              arg("alignment", dot("leading"))});
  EXPECT_EQ(emitter.expr(made), "Settings(price = 3.0, name = \"n\", count = 1, shared = 2, alignment = Alignment.leading)");
  const std::vector<std::optional<IRType>> types = emitter.paramTypes(ident("Settings"), {arg("mode", dot("dark")), arg(intLit("1"))});
  ASSERT_EQ(types.size(), 2u);
  EXPECT_EQ(types[0], named("Theme"));
  EXPECT_EQ(types[1], std::nullopt);
  EXPECT_TRUE(emitter.paramTypes(ident("max"), {arg(intLit("1"))}).empty());
  EXPECT_EQ(emitter.expr(call(ident("Settings"), {arg("mode", dot("dark"))})), "Settings(mode = Theme.dark)");
  // Argument labels pass as hints to leading-dot members.
  EXPECT_EQ(emitter.expr(call(ident("max"), {arg("weight", dot("bold"))})), "max(weight = FontWeight.bold)");
}

TEST_F(KotlinExpressions, CallsOfKnownDeclarationsTypeTheirArguments) {
  const Hint figure{.callee = std::nullopt, .label = std::nullopt, .type = named("Figure")};
  const struct {
    const char* swift;
    const char* inside;
    IRExpr value;
    Hint hint;
    std::string kotlin;
  } cases[] = {
      {"Figure.circle(radius: 2)", "", call(member(ident("Figure"), "circle"), {arg("radius", intLit("2"))}), {},
       "Figure.circle(radius = 2.0)"},
      {".box(width: 3, height: 4)", "", call(dot("box"), {arg("width", intLit("3")), arg("height", intLit("4"))}), figure,
       "Figure.box(width = 3.0, height = 4.0)"},
      {"Task.Item(weight: 1)", "", call(member(ident("Task"), "Item"), {arg("weight", intLit("1"))}), {},
       "Task_Item(weight = 1.0)"},
      {"Item(weight: 1) inside Task", "Task", call(ident("Item"), {arg("weight", intLit("1"))}), {},
       "Task_Item(weight = 1.0)"},
      {"Task.Item.init(weight: 1)", "", call(member(member(ident("Task"), "Item"), "init"), {arg("weight", intLit("1"))}),
       {}, "Task_Item(weight = 1.0)"},
      {"area(of: 2)", "", call(ident("area"), {arg("of", intLit("2"))}), {}, "area(of = 2.0)"},
      {"area(width: 1, height: 2)", "", call(ident("area"), {arg("width", intLit("1")), arg("height", intLit("2"))}), {},
       "area(width = 1.0, height = 2.0)"},
      {"scale(by: 2) inside Task", "Task", call(ident("scale"), {arg("by", intLit("2"))}), {}, "scale(by = 2.0)"},
      {"self.scale(by: 2) inside Task", "Task", call(selfMember("scale"), {arg("by", intLit("2"))}), {},
       "this.scale(by = 2.0)"},
      {"Task.make(estimate: 3)", "", call(member(ident("Task"), "make"), {arg("estimate", intLit("3"))}), {},
       "Task.make(estimate = 3.0)"},
      {"task.scale(by: 2)", "", call(member(ident("task"), "scale"), {arg("by", intLit("2"))}), {}, "task.scale(by = 2.0)"},
      // Labels that fit no declaration leave the arguments as they are.
      {"area(size: 2)", "", call(ident("area"), {arg("size", intLit("2"))}), {}, "area(size = 2)"},
  };
  emitter.scope.declare("task");
  emitter.scope.varClass["task"] = "Task";
  for (const auto& c : cases) {
    emitter.scope.typeName = *c.inside ? std::optional<std::string>(c.inside) : std::nullopt;
    emitter.scope.methodNames = *c.inside ? NameSet{"scale", "handle", "make"} : NameSet{};
    EXPECT_EQ(emitter.expr(c.value, c.hint), c.kotlin) << c.swift;
  }
  EXPECT_TRUE(emitter.warnings.empty());

  // A constructor delegates only in its head; anywhere else the call stays
  // visible to the repair.
  EXPECT_EQ(emitter.expr(call(selfMember("init"), {arg("weight", intLit("1"))})), "TODO(\"tovrane: self.init(...)\")");
}

TEST_F(KotlinExpressions, ElementsOfAModuleArrayAreKnownInsideTheirClosureOnly) {
  emitter.scope.typeName = "Store";
  emitter.scope.varClass["item"] = "Earlier";
  // item.look == .dark inside items.forEach { item in ... }: item is an Item,
  // whose look is a Shade (another type's look is a Theme, and Theme lists
  // a case dark first).
  const IRExpr test = bin(member(ident("item"), "look"), "==", dot("dark"));
  const IRExpr loop = call(member(ident("items"), "forEach"), {}, {arg(lambda({"item"}, test))});
  emitter.scope.declare("item");
  EXPECT_EQ(emitter.expr(loop), "items.forEach { item -> (item.look == Shade.dark) }");
  EXPECT_EQ(emitter.scope.varClass.at("item"), "Earlier");
  const IRExpr anonymous = call(member(ident("items"), "filter"), {}, {arg(lambda({"$0"}, bin(member(ident("$0"), "look"), "!=", dot("dark"))))});
  EXPECT_EQ(emitter.expr(anonymous), "items.filter_ { (it.look != Shade.dark) }");
  EXPECT_FALSE(emitter.scope.varClass.contains("$0"));
}

}  // namespace
}  // namespace tovrane
