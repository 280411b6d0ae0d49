// Structs, classes, enumerations and protocols from IR to Kotlin text. Where
// the expected text embeds a translated expression or statement, it is taken
// from a second emitter, so these tests pin only what the type emitters
// decide themselves: headers, member order, modifiers and entries.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/backend/KotlinBackend.hpp"
#include "core/support/Text.hpp"
#include "tests/backend/BackendFixtures.hpp"

namespace tovrane {
namespace {

using namespace testsupport;

IREnumCase enumCase(std::string name, std::optional<IRExpr> rawValue = std::nullopt) {
  return IREnumCase{.name = std::move(name), .associated = {}, .rawValue = std::move(rawValue)};
}

std::string exprText(const ModuleSymbols& symbols, const IRExpr& value) {
  KotlinEmitter other(symbols, "com.example.app");
  return other.expr(value);
}

std::string emitted(const ModuleSymbols& symbols, const IRTypeDecl& decl) {
  KotlinEmitter emitter(symbols, "com.example.app");
  Writer writer;
  emitter.emitType(decl, writer);
  return written(writer);
}

struct TypeCase {
  std::string what;
  std::vector<IRTypeDecl> module;
  // Index into module of the declaration written.
  std::size_t written;
  std::string kotlin;
};

void expectTypes(const std::vector<TypeCase>& cases) {
  for (const TypeCase& c : cases) {
    EXPECT_EQ(emitted(symbolsFor(c.module), c.module[c.written]), c.kotlin) << c.what;
  }
}

IRTypeDecl protocolNamed(std::string name, std::vector<IRProperty> properties, std::vector<IRFunction> functions = {}) {
  return typeDecl(IRTypeKind::protocol, std::move(name), std::move(properties), std::move(functions));
}

TEST(KotlinDeclsTypes, StructsAndClasses) {
  IRTypeDecl point = typeDecl(IRTypeKind::struct_, "Point");
  point.properties = {withInit(storedVar("x", named("Double")), intLit("0")), storedVar("y", named("Double")),
                      storedVar("label", optionalOf(named("String"))), computed("size", named("Double"))};

  IRTypeDecl config = typeDecl(IRTypeKind::struct_, "Config");
  config.properties = {asLet(withInit(storedVar("scale", named("Double")), intLit("2")))};

  IRTypeDecl square = typeDecl(IRTypeKind::struct_, "Square");
  IRFunction init = withBody(function("init"));
  init.isInit = true;
  init.params = {IRParam{.label = "side", .name = "length", .type = named("Double")}};
  square.properties = {storedVar("width", named("Double")), storedVar("owner", named("Config"))};
  square.functions = {init};

  IRTypeDecl base = typeDecl(IRTypeKind::class_, "Base");
  IRTypeDecl drawable = protocolNamed("Drawable", {storedVar("name", named("String"))}, {function("draw")});
  IRTypeDecl circle = typeDecl(IRTypeKind::class_, "Circle");
  circle.inherits = {"Base", "any Drawable", "Identifiable", "Codable"};
  IRFunction load = withBody(function("load"));
  load.isPrivate = true;
  load.isAsync = true;
  IRFunction reset = withBody(function("reset"));
  reset.isOverride = true;
  circle.properties = {storedVar("radius", named("Double")), storedVar("name", named("String")),
                       asLet(withInit(storedVar("ratio", named("Double")), intLit("3"))),
                       asPrivate(asLet(withInit(storedVar("cache", arrayOf(named("Int"))), arrayLit({}))))};
  circle.functions = {returning(withBody(function("area")), named("Double")), load, withBody(function("draw")),
                      reset};

  IRTypeDecl marker = typeDecl(IRTypeKind::struct_, "Marker");
  marker.inherits = {"Base", "Hashable"};
  IRTypeDecl worker = typeDecl(IRTypeKind::actor, "Worker");
  worker.inherits = {"Base"};
  // @NSManaged accessors are declared without a body.
  IRTypeDecl folder = typeDecl(IRTypeKind::class_, "Folder");
  IRFunction managed = function("addToNotes");
  managed.params = {IRParam{.name = "value", .type = named("Int")}};
  folder.functions = {managed};

  expectTypes({
      {"plain struct: every stored property in the data class constructor",
       {point}, 0,
       "data class Point(\n"
       "    var x: Double = 0.0,\n"
       "    var y: Double,\n"
       "    var label: String? = null\n"
       ") {\n"
       "    val size: Double\n"
       "        get() = 1.0\n"
       "}"},
      {"a let with a value is no constructor parameter", {config}, 0,
       "class Config {\n"
       "    val scale: Double = 2.0\n"
       "}"},
      {"an initializer replaces the primary constructor", {config, square}, 1,
       "class Square {\n"
       "    var width: Double = 0.0\n"
       "    lateinit var owner: Config\n"
       "    constructor(side: Double) {\n"
       "        val length = side\n"
       "    }\n"
       "}"},
      {"open class with superclass, protocol and platform conformances", {base, drawable, circle}, 2,
       "open class Circle(\n"
       "    var radius: Double,\n"
       "    override var name: String\n"
       ") : Base(), Drawable {\n"
       "    open val ratio: Double = 3.0\n"
       "    private val cache: MutableList<Int> = mutableListOf<Int>()\n"
       "    open fun area(): Double {\n"
       "    }\n"
       "    private suspend fun load() {\n"
       "    }\n"
       "    override fun draw() {\n"
       "    }\n"
       "    override fun reset() {\n"
       "    }\n"
       "}"},
      {"structs and actors take no superclass", {base, marker}, 1, "class Marker {\n}"},
      {"an actor is an open class", {base, worker}, 1, "open class Worker {\n}"},
      {"a method without body gets a placeholder body", {folder}, 0,
       "open class Folder {\n"
       "    open fun addToNotes(value: Int) {\n"
       "        TODO(\"tovrane: func addToNotes\")\n"
       "    }\n"
       "}"},
  });
}

TEST(KotlinDeclsTypes, ObservableClassesHoldTheirStateWithNeverEqualPolicy) {
  IRTypeDecl note = typeDecl(IRTypeKind::struct_, "Note");
  note.properties = {storedVar("title", named("Double"))};
  IRTypeDecl store = typeDecl(IRTypeKind::class_, "Store");
  store.attributes = {"Observable"};
  IRProperty ignored = storedVar("log", arrayOf(named("String")));
  ignored.wrapper = "ObservationIgnored";
  store.properties = {storedVar("count"), asLet(storedVar("id", named("String"))),
                      withInit(storedVar("items", arrayOf(named("String"))), arrayLit({})),
                      storedVar("current", named("Note")), ignored};
  expectTypes({{"observable class", {note, store}, 1,
                "class Store {\n"
                "    var count by mutableStateOf<Int>(0, neverEqualPolicy())\n"
                "    var id: String = \"\"\n"
                "    var items by mutableStateOf<MutableList<String>>(mutableListOf<String>(), neverEqualPolicy())\n"
                "    lateinit var current: Note\n"
                "    var log: MutableList<String> = mutableListOf<String>()\n"
                "}"}});
}

TEST(KotlinDeclsTypes, MembersAreReorderedAndStaticsGoToTheCompanion) {
  IRTypeDecl temperature = typeDecl(IRTypeKind::struct_, "Temperature");
  IRProperty description = withGetter(storedVar("description", named("String")), {});
  temperature.properties = {description, asStatic(asLet(withInit(storedVar("zero", named("Double")), intLit("0")))),
                            storedVar("celsius", named("Double")), description};
  IRFunction make = returning(withBody(function("make")), named("Double"));
  make.isStatic = true;
  temperature.functions = {make, withBody(function("describe"))};
  expectTypes({{"members in their groups", {temperature}, 0,
                "data class Temperature(\n"
                "    var celsius: Double\n"
                ") {\n"
                "    val description: String\n"
                "        get() {\n"
                "        }\n"
                "    val description: String\n"
                "        get() {\n"
                "        }\n"
                "    fun describe() {\n"
                "    }\n"
                "    override fun toString(): String = description\n"
                "    companion object {\n"
                "        val zero: Double = 0.0\n"
                "        fun make(): Double {\n"
                "        }\n"
                "    }\n"
                "}"}});
}

TEST(KotlinDeclsTypes, TheTypeScopeKnowsMembersStateAndModuleTypedProperties) {
  IRTypeDecl root = protocolNamed("Root", {storedVar("origin")}, {function("describe")});
  root.inherits = {"Named"};
  IRTypeDecl named_ = protocolNamed("Named", {storedVar("name")});
  // Protocols naming each other: the walk ends.
  named_.inherits = {"Root"};
  IRTypeDecl place = typeDecl(IRTypeKind::class_, "Place");
  place.attributes = {"Observable"};
  place.inherits = {"Root"};
  place.properties = {storedVar("owner", named("Place")), storedVar("count"), computed("area")};
  place.functions = {withBody(function("move"))};
  const ModuleSymbols symbols = symbolsFor({root, named_, place});

  KotlinEmitter emitter(symbols, "com.example.app");
  Writer writer;
  emitter.emitType(place, writer);
  EXPECT_EQ(emitter.scope.typeName, "Place");
  EXPECT_EQ(emitter.scope.names, (std::vector<NameSet>{{"owner", "count", "area", "move"}}));
  // The supertypes' members are known too, without being copied into a frame.
  for (const char* inherited : {"origin", "describe", "name"}) EXPECT_TRUE(emitter.scope.knows(inherited)) << inherited;
  EXPECT_FALSE(emitter.scope.knows("elsewhere"));
  EXPECT_EQ(emitter.scope.methodNames, (NameSet{"move"}));
  EXPECT_EQ(emitter.scope.stateFields, (NameSet{"owner", "count"}));
  EXPECT_EQ(emitter.scope.varClass, (std::map<std::string, std::string, std::less<>>{{"owner", "Place"}}));
  EXPECT_EQ(emitter.scope.returnLabels.size(), 1u);
}

TEST(KotlinDeclsTypes, EnumerationForms) {
  IRTypeDecl runnable = protocolNamed("Runnable", {storedVar("label")}, {function("run")});

  IRTypeDecl theme = typeDecl(IRTypeKind::enum_, "Theme");
  theme.inherits = {"Runnable"};
  IRFunction pad = withBody(function("run"));
  pad.isStatic = true;
  theme.properties = {asStatic(asLet(withInit(storedVar("spacing", named("Double")), intLit("8")))),
                      computed("label", named("Double"))};
  theme.functions = {pad};

  IRTypeDecl action = typeDecl(IRTypeKind::enum_, "Action");
  action.inherits = {"Runnable"};
  action.cases = {IREnumCase{.name = "load",
                             .associated = {IRParam{.name = "value0", .type = named("Int")},
                                            IRParam{.name = "value1", .type = named("String")}},
                             .rawValue = std::nullopt},
                  enumCase("reset"), enumCase("object")};
  action.properties = {asStatic(asLet(withInit(storedVar("limit", named("Double")), intLit("3"))))};
  action.functions = {withBody(function("run")), withBody(function("stop"))};

  IRTypeDecl color = typeDecl(IRTypeKind::enum_, "Color");
  color.inherits = {"String", "Identifiable"};
  color.cases = {enumCase("red"), enumCase("in"), enumCase("open")};

  IRTypeDecl direction = typeDecl(IRTypeKind::enum_, "Direction");
  direction.inherits = {"Identifiable", "Runnable"};
  direction.cases = {enumCase("north"), enumCase("south")};
  direction.properties = {computed("id", named("Double")), asStatic(storedVar("current", named("Double")))};
  direction.functions = {withBody(function("run"))};

  IRTypeDecl missing = typeDecl(IRTypeKind::enum_, "Missing");
  missing.cases = {enumCase("a")};

  const ModuleSymbols symbols = symbolsFor({runnable, theme, action, color, direction});
  const std::vector<std::pair<IRTypeDecl, std::string>> cases = {
      {theme,
       "object Theme : Runnable {\n"
       "    val spacing: Double = 8.0\n"
       "    override val label: Double\n"
       "        get() = 1.0\n"
       "    fun run() {\n"
       "    }\n"
       "}"},
      {action,
       "sealed class Action : Runnable {\n"
       "    data class load(val value0: Int, val value1: String) : Action()\n"
       "    data object reset : Action()\n"
       "    data object `object` : Action()\n"
       "    override fun run() {\n"
       "    }\n"
       "    fun stop() {\n"
       "    }\n"
       "    companion object {\n"
       "        val limit: Double = 3.0\n"
       "    }\n"
       "}"},
      {color,
       "enum class Color(val rawValue: String) {\n"
       "    red(\"red\"),\n"
       "    `in`(\"in\"),\n"
       // A modifier keyword would open a member declaration.
       "    `open`(\"open\");\n"
       "    val id: Color get() = this\n"
       "    companion object {\n"
       "        operator fun invoke(rawValue: String): Color? = entries.firstOrNull { it.rawValue == rawValue }\n"
       "    }\n"
       "}"},
      {direction,
       "enum class Direction : Runnable {\n"
       "    north,\n"
       "    south;\n"
       "    val id: Double\n"
       "        get() = 1.0\n"
       "    override fun run() {\n"
       "    }\n"
       "    companion object {\n"
       "        var current: Double = 0.0\n"
       "    }\n"
       "}"},
      {missing, ""},
  };
  for (const auto& [decl, kotlin] : cases) EXPECT_EQ(emitted(symbols, decl), kotlin) << decl.name;
}

// Swift: enum Weather { case clear, rain(Int)
//   init(code: Int) { if code == 0 { self = .clear; return }; self = .rain(code) }
//   init?(name: String) { if name == "" { return nil }; self = .clear } }
TEST(KotlinDeclsTypes, EnumInitializersBecomeCompanionFactories) {
  const auto implicit = [](std::string name) { return IRExpr::member{std::nullopt, std::move(name)}; };
  const auto param = [](std::string name, IRType type) {
    return IRParam{.label = name, .name = name, .type = std::move(type)};
  };
  const auto assignSelf = [](IRExpr value) { return IRStmt(IRStmt::assign{IRExpr::selfRef{}, "=", std::move(value)}); };
  const auto equals = [](std::string name, IRExpr value) {
    return IRExpr::binary{ident(std::move(name)), "==", std::move(value)};
  };

  IRFunction byCode = withBody(function("init"), {
      IRStmt::ifStmt{{IRCondition::bool_{equals("code", intLit("0"))}},
                     {assignSelf(implicit("clear")), IRStmt::ret{}}, std::nullopt},
      assignSelf(IRExpr::call{implicit("rain"), {IRArg{.value = ident("code")}}, {}}),
  });
  byCode.isInit = true;
  byCode.params = {param("code", named("Int"))};
  IRFunction byName = withBody(function("init"), {
      IRStmt::ifStmt{{IRCondition::bool_{equals("name", stringLit(""))}}, {IRStmt::ret{nilLit()}}, std::nullopt},
      assignSelf(implicit("clear")),
  });
  byName.isInit = true;
  byName.params = {param("name", named("String"))};

  IRTypeDecl weather = typeDecl(IRTypeKind::enum_, "Weather");
  weather.cases = {enumCase("clear"),
                   IREnumCase{.name = "rain", .associated = {IRParam{.name = "value0", .type = named("Int")}}}};
  weather.functions = {byCode, byName};
  IRTypeDecl mood = typeDecl(IRTypeKind::enum_, "Mood");
  mood.cases = {enumCase("calm")};
  mood.functions = {byName};
  mood.functions.front().body->back() = assignSelf(implicit("calm"));

  const ModuleSymbols symbols = symbolsFor({weather, mood});
  // The parameters are known in the body, so the tests name them plainly.
  const std::string codeTest = "(code == 0)";
  const std::string nameTest = "(name == \"\")";
  EXPECT_EQ(emitted(symbols, weather),
            "sealed class Weather {\n"
            "    data object clear : Weather()\n"
            "    data class rain(val value0: Int) : Weather()\n"
            "    companion object {\n"
            "        operator fun invoke(code: Int): Weather {\n"
            "            lateinit var self: Weather\n"
            "            if (" + codeTest + ") {\n"
            "                self = Weather.clear\n"
            "                return self\n"
            "            }\n"
            "            self = Weather.rain(code)\n"
            "            return self\n"
            "        }\n"
            "        operator fun invoke(name: String): Weather? {\n"
            "            lateinit var self: Weather\n"
            "            if (" + nameTest + ") {\n"
            "                return null\n"
            "            }\n"
            "            self = Weather.clear\n"
            "            return self\n"
            "        }\n"
            "    }\n"
            "}");
  EXPECT_EQ(emitted(symbols, mood),
            "enum class Mood {\n"
            "    calm;\n"
            "    companion object {\n"
            "        operator fun invoke(name: String): Mood? {\n"
            "            lateinit var self: Mood\n"
            "            if (" + nameTest + ") {\n"
            "                return null\n"
            "            }\n"
            "            self = Mood.calm\n"
            "            return self\n"
            "        }\n"
            "    }\n"
            "}");
}

TEST(KotlinDeclsTypes, InitializersThatDelegateDoSoInTheConstructorHead) {
  // struct Size { init(width: Double, height: Double) { … }
  //   init(side s: Double) { self.init(width: s, height: s) }  init() { self.init(width: 1, height: 2); flag = true } }
  const auto delegation = [](std::vector<IRArg> args) {
    return IRStmt(IRStmt::expr{call(member(IRExpr::selfRef{}, "init"), std::move(args))});
  };
  IRFunction full = withBody(function("init"));
  full.isInit = true;
  full.params = {IRParam{.label = "width", .name = "width", .type = named("Double")},
                 IRParam{.label = "height", .name = "height", .type = named("Double")}};
  IRFunction square = withBody(function("init"), {delegation({arg("width", ident("s")), arg("height", ident("s"))})});
  square.isInit = true;
  square.params = {IRParam{.label = "side", .name = "s", .type = named("Double")}};
  IRFunction unit = withBody(function("init"), {delegation({arg("width", intLit("1")), arg("height", intLit("2"))}),
                                                IRStmt::assign{ident("flag"), "=", IRExpr::boolLit{true}}});
  unit.isInit = true;
  IRTypeDecl size = typeDecl(IRTypeKind::struct_, "Size");
  size.properties = {storedVar("width", named("Double")), storedVar("height", named("Double")),
                     storedVar("flag", named("Bool"))};
  size.functions = {full, square, unit};
  EXPECT_EQ(emitted(symbolsFor({size}), size),
            "class Size {\n"
            "    var width: Double = 0.0\n"
            "    var height: Double = 0.0\n"
            "    var flag: Boolean = false\n"
            "    constructor(width: Double, height: Double) {\n"
            "    }\n"
            "    constructor(side: Double) : this(width = side, height = side) {\n"
            "        val s = side\n"
            "    }\n"
            "    constructor() : this(width = 1.0, height = 2.0) {\n"
            "        flag = true\n"
            "    }\n"
            "}");

  // An enum initializer assigns what the other factory makes; the raw-value
  // constructor may find no case, and then this one fails as well.
  IRFunction byLabel = withBody(
      function("init"),
      {IRStmt::expr{call(member(IRExpr::selfRef{}, "init"),
                         {arg("rawValue", IRExpr::ternary{ident("high"), intLit("2"), intLit("1")})})}});
  byLabel.isInit = true;
  byLabel.params = {IRParam{.label = "high", .name = "high", .type = named("Bool")}};
  IRFunction low = withBody(
      function("init"),
      {IRStmt::expr{IRExpr::postfix{call(member(IRExpr::selfRef{}, "init"), {arg("rawValue", intLit("1"))}), "!"}}});
  low.isInit = true;
  IRTypeDecl level = typeDecl(IRTypeKind::enum_, "Level");
  level.inherits = {"Int"};
  level.cases = {enumCase("low", intLit("1")), enumCase("high", intLit("2"))};
  level.functions = {byLabel, low};
  EXPECT_EQ(emitted(symbolsFor({level}), level),
            "enum class Level(val rawValue: Int) {\n"
            "    low(1),\n"
            "    high(2);\n"
            "    companion object {\n"
            "        operator fun invoke(rawValue: Int): Level? = entries.firstOrNull { it.rawValue == rawValue }\n"
            "        operator fun invoke(high: Boolean): Level? {\n"
            "            lateinit var self: Level\n"
            "            val delegated = Level.invoke(rawValue = (if (high) 2 else 1))\n"
            "            if (!(delegated != null)) {\n"
            "                return null\n"
            "            }\n"
            "            self = delegated\n"
            "            return self\n"
            "        }\n"
            "        operator fun invoke(): Level {\n"
            "            lateinit var self: Level\n"
            "            self = Level.invoke(rawValue = 1)!!\n"
            "            return self\n"
            "        }\n"
            "    }\n"
            "}");
}

TEST(KotlinDeclsTypes, RawValuesCountOnFromTheLastIntegerLiteral) {
  const auto hugeNegative = negated(intLit("9223372036854775808"));
  struct Case {
    std::string rawType;
    std::vector<std::optional<IRExpr>> rawValues;
    // "*" stands for the translated explicit raw value.
    std::vector<std::string> values;
  };
  const std::vector<Case> cases = {
      {"Int", {intLit("5"), std::nullopt, std::nullopt}, {"*", "6", "7"}},
      {"Int", {std::nullopt, intLit("10"), std::nullopt}, {"0", "*", "11"}},
      {"Int", {negated(intLit("5")), std::nullopt}, {"*", "-4"}},
      {"Int", {intLit("0x1F"), std::nullopt}, {"*", "32"}},
      {"Int", {intLit("0o17"), std::nullopt}, {"*", "16"}},
      {"Int", {intLit("0b101"), std::nullopt}, {"*", "6"}},
      {"Int", {intLit("1_000"), std::nullopt}, {"*", "1001"}},
      {"Int", {hugeNegative, std::nullopt}, {"*", "-9223372036854775807"}},
      // Values beyond 64 bits and other expressions leave the counter alone.
      {"Int", {std::nullopt, intLit("99999999999999999999"), std::nullopt}, {"0", "*", "1"}},
      {"Int", {std::nullopt, ident("base"), std::nullopt}, {"0", "*", "1"}},
      {"Int", {intLit("9223372036854775807")}, {"*"}},
      {"Double", {intLit("1"), std::nullopt}, {"1.0", "2.0"}},
      {"Double", {intLit("0x10"), negated(intLit("3")), std::nullopt}, {"16.0", "-3.0", "-2.0"}},
      {"Double", {intLit("99999999999999999999")}, {"99999999999999999999.0"}},
      {"String", {std::nullopt, stringLit("b")}, {"\"c0\"", "*"}},
  };
  for (const Case& c : cases) {
    IRTypeDecl decl = typeDecl(IRTypeKind::enum_, "Level");
    decl.inherits = {c.rawType};
    std::string expected = "enum class Level(val rawValue: " + KotlinEmitter(ModuleSymbols{}, "").typeName(c.rawType) +
                           ") {\n";
    const ModuleSymbols symbols = symbolsFor({});
    for (std::size_t i = 0; i < c.rawValues.size(); ++i) {
      decl.cases.push_back(enumCase("c" + std::to_string(i), c.rawValues[i]));
      const std::string value = c.values[i] == "*" ? exprText(symbols, *c.rawValues[i]) : c.values[i];
      expected += "    c" + std::to_string(i) + "(" + value + ")" + (i + 1 < c.rawValues.size() ? ",\n" : ";\n");
    }
    const std::string kotlin = emitted(symbolsFor({decl}), decl);
    EXPECT_EQ(kotlin.substr(0, expected.size()), expected) << c.rawType << " " << c.values.back();
  }
}

TEST(KotlinDeclsTypes, CharacterRawValuesBecomeCharacterLiterals) {
  IRTypeDecl decl = typeDecl(IRTypeKind::enum_, "Sign");
  decl.inherits = {"Character"};
  decl.cases = {enumCase("plus", stringLit("+")), enumCase("minus")};
  std::string explicitValue = exprText(symbolsFor({}), stringLit("+"));
  std::replace(explicitValue.begin(), explicitValue.end(), '"', '\'');
  EXPECT_EQ(emitted(symbolsFor({decl}), decl),
            "enum class Sign(val rawValue: Char) {\n"
            "    plus(" + explicitValue + "),\n"
            "    minus(\"minus\");\n"
            "    companion object {\n"
            "        operator fun invoke(rawValue: Char): Sign? = entries.firstOrNull { it.rawValue == rawValue }\n"
            "    }\n"
            "}");
}

TEST(KotlinDeclsTypes, ProtocolsBecomeInterfaces) {
  IRTypeDecl named_ = protocolNamed("Named", {storedVar("name", named("String"))});
  IRTypeDecl shape = protocolNamed("Shape", {}, {});
  shape.inherits = {"Named", "Equatable"};
  IRProperty area = storedVar("area", named("Double"));
  area.getter = std::vector<IRStmt>{};
  area.setter = std::vector<IRStmt>{};
  IRFunction make = function("make");
  make.isStatic = true;
  shape.properties = {area, computed("scale", named("Double")), storedVar("tag", inferred()),
                      asStatic(storedVar("count"))};
  shape.functions = {function("draw"),
                     returning(withBody(function("describe"), {IRStmt::expr{intLit("2")}}), named("Double")), make};
  EXPECT_EQ(emitted(symbolsFor({named_, shape}), shape),
            "interface Shape : Named {\n"
            "    val area: Double\n"
            "    val scale: Double\n"
            "        get() = 1.0\n"
            "    val tag: Any\n"
            "    fun draw()\n"
            "    fun describe(): Double {\n"
            "        return 2.0\n"
            "    }\n"
            "}");
}

}  // namespace
}  // namespace tovrane
