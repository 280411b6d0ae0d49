#include "core/frontend/SwiftFrontend.hpp"
#include "core/ir/IRJson.hpp"
#include "tests/support/IRBuilders.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tovrane {
namespace {

using namespace testsupport;

// Comparing the JSON text shows the whole difference on failure.
template <typename T>
std::string json(const T& value) {
  return encodeIRJson(value).value_or("<nested too deeply>");
}
template <typename T>
std::string json(const std::vector<T>& values) {
  std::string text = "[";
  for (const T& value : values) {
    if (text.size() > 1) text += ',';
    text += json(value);
  }
  return text + "]";
}

std::vector<IRDecl> lower(std::string_view source) { return SwiftFrontend().parse(source, "App/A.swift").decls; }

IRDecl unsupported(std::string reason, std::string source) {
  return IRDecl::unsupported{std::move(reason), std::move(source)};
}

IRProperty prop(std::string name, IRType type, const std::function<void(IRProperty&)>& edit = {}) {
  IRProperty p = storedVar(std::move(name), std::move(type));
  if (edit) edit(p);
  return p;
}
IRFunction func(std::string name, const std::function<void(IRFunction&)>& edit = {}) {
  IRFunction f = function(std::move(name));
  if (edit) edit(f);
  return f;
}
IRTypeDecl type(IRTypeKind kind, std::string name, const std::function<void(IRTypeDecl&)>& edit = {}) {
  IRTypeDecl t = typeDecl(kind, std::move(name));
  if (edit) edit(t);
  return t;
}

TEST(SwiftFrontendDecl, KeepsThePathAsGiven) {
  IRFile file = SwiftFrontend().parse("", "Sources/Ä b/View.swift");
  EXPECT_EQ(file.path, "Sources/Ä b/View.swift");
  EXPECT_TRUE(file.decls.empty());
}

TEST(SwiftFrontendDecl, TopLevelItems) {
  const std::string longIf = [] {
    // "e" with a combining accent is one character of two code points.
    std::string body = "#if\tDEBUG\n";
    for (int i = 0; i < 50; ++i) body += "let e\xCC\x81" + std::to_string(i) + " = 1\n";
    return body + "#endif";
  }();
  // 200 characters: "#if\tDEBUG\n" (10), lines 0 to 9 (11 each), lines 10 to 15 (12 each),
  // then 8 characters of line 16. Counting bytes or code points would cut elsewhere.
  const std::string longIfCut = [] {
    std::string cut = "#if\tDEBUG\n";
    for (int i = 0; i < 16; ++i) cut += "let e\xCC\x81" + std::to_string(i) + " = 1\n";
    return cut + "let e\xCC\x81" "16 ";
  }();
  const struct {
    std::string source;
    std::vector<IRDecl> expected;
  } cases[] = {
      {"", {}},
      {"// only a comment\nimport SwiftUI\nimport struct Foundation.Date\n", {}},
      {"import SwiftUI\n\n#Preview {\n  ContentView()\n}\n", {}},
      {"#warning(\"later\")", {}},
      {"// say hello\nprint(x) // trailing", {unsupported("Top-Level-Ausdruck", "print(x)")}},
      {"42", {unsupported("Top-Level-Ausdruck", "42")}},
      {"/* c */ if flag { run() }", {unsupported("Top-Level-Anweisung", "if flag { run() }")}},
      {"for i in 0..<3 { print(i) }", {unsupported("Top-Level-Anweisung", "for i in 0..<3 { print(i) }")}},
      {"guard ok else { fatalError() }", {unsupported("Top-Level-Anweisung", "guard ok else { fatalError() }")}},
      {"let (a, b) = (1, 2)", {unsupported("Mehrfach-Variable", "let (a, b) = (1, 2)")}},
      {"let _ = setup()", {unsupported("Mehrfach-Variable", "let _ = setup()")}},
      {"var x = 1, y = 2", {unsupported("Mehrfach-Variable", "var x = 1, y = 2")}},
      {"infix operator <> : AdditionPrecedence", {unsupported("operatorDecl", "infix operator <> : AdditionPrecedence")}},
      {"precedencegroup Strong { higherThan: AdditionPrecedence }",
       {unsupported("precedenceGroupDecl", "precedencegroup Strong { higherThan: AdditionPrecedence }")}},
      {"macro m() = #externalMacro(module: \"M\", type: \"T\")",
       {unsupported("macroDecl", "macro m() = #externalMacro(module: \"M\", type: \"T\")")}},
      {"#sourceLocation(file: \"a.swift\", line: 1)",
       {unsupported("poundSourceLocation", "#sourceLocation(file: \"a.swift\", line: 1)")}},
      {"using @MainActor", {unsupported("usingDecl", "using @MainActor")}},
      {"init() {}", {unsupported("initializerDecl", "init() {}")}},
      {"deinit {}", {unsupported("deinitializerDecl", "deinit {}")}},
      {"subscript(i: Int) -> Int { i }", {unsupported("subscriptDecl", "subscript(i: Int) -> Int { i }")}},
      {"associatedtype Item", {unsupported("associatedTypeDecl", "associatedtype Item")}},
      {"@MainActor\n", {unsupported("missingDecl", "@MainActor")}},
      // The pre-pass does not see "#if" + tab as a directive, so the block reaches the parser.
      {"#if\tDEBUG\nlet a = 1\n#endif\n", {unsupported("#if-Block", "#if\tDEBUG\nlet a = 1\n#endif")}},
      {longIf, {unsupported("#if-Block", longIfCut)}},
      {"typealias Pair = (Int, name: String)",
       {IRDecl::typeAlias{"Pair", IRType::tuple{{named("Int"), named("String")}}}}},
      {"var title: String?", {IRDecl::variable{prop("title", optionalOf(named("String")))}}},
      {"func f() {}\nstruct S {}",
       {IRDecl::function{func("f", [](IRFunction& f) { f.body.emplace(); })},
        IRDecl::type{type(IRTypeKind::struct_, "S")}}},
  };
  for (const auto& c : cases) EXPECT_EQ(json(lower(c.source)), json(c.expected)) << c.source;
}

// The type of the one property declared by `source`.
IRType propertyType(const std::string& source) {
  std::vector<IRDecl> decls = lower(source);
  if (decls.size() != 1 || !decls[0].is<IRDecl::variable>()) return named("<no single property>");
  return decls[0].as<IRDecl::variable>()->property->type;
}

TEST(SwiftFrontendDecl, TypeSyntax) {
  IRType intType = named("Int");
  const struct {
    std::string spelling;
    IRType expected;
  } cases[] = {
      {"Int", intType},
      {"Set<Int>", named("Set", {intType})},
      {"Int?", optionalOf(intType)},
      {"Optional<Int>", optionalOf(intType)},
      {"Int!", optionalOf(intType)},
      {"Int??", optionalOf(optionalOf(intType))},
      {"[Int]", arrayOf(intType)},
      {"Array<Int>", arrayOf(intType)},
      {"Array<Int, Int>", named("Array", {intType, intType})},
      {"Optional<Int, Int>", named("Optional", {intType, intType})},
      {"[String: [Int]]", IRType::dictionary{named("String"), arrayOf(intType)}},
      {"Dictionary<String, Int>", IRType::dictionary{named("String"), intType}},
      {"Dictionary<String>", named("Dictionary", {named("String")})},
      // Value generic arguments are skipped.
      {"Vector<3, Int>", named("Vector", {intType})},
      {"()", named("Void")},
      {"(Int)", intType},
      {"(a: Int, b: String)", IRType::tuple{{intType, named("String")}}},
      {"(Int, String) async throws -> Bool", IRType::function{{intType, named("String")}, named("Bool")}},
      {"() -> Void", IRType::function{{}, named("Void")}},
      {"@MainActor @Sendable (Int) -> ()", IRType::function{{intType}, named("Void")}},
      {"Swift.Int", named("Swift.Int")},
      {"Foo.Bar<Int>", named("Foo.Bar<Int>")},
      {"some View", named("View")},
      {"any P & Q", named("P & Q")},
      {"P & Q", named("P & Q")},
      {"Int.Type", named("Int.Type")},
      {"[3 of Int]", named("[3 of Int]")},
      {"[Item]?", optionalOf(arrayOf(named("Item")))},
  };
  for (const auto& c : cases)
    EXPECT_EQ(json(propertyType("var v: " + c.spelling)), json(c.expected)) << c.spelling;
}

TEST(SwiftFrontendDecl, GuessesThePropertyTypeFromTheInitialValue) {
  const struct {
    std::string value;
    IRType expected;
  } cases[] = {
      {"0", named("Int")},
      {"0x1F", named("Int")},
      {"2.5", named("Double")},
      {"1e3", named("Double")},
      {"\"a\\(b)\"", named("String")},
      {"\"\"\"\n  text\n  \"\"\"", named("String")},
      {"false", named("Bool")},
      {"UUID()", named("UUID")},
      {"Date(timeIntervalSince1970: 0)", named("Date")},
      {"Ärger()", named("Ärger")},
      {"formatter()", inferred()},
      {"nil", inferred()},
      {"[1, 2]", inferred()},
      {"[:]", inferred()},
      {"Foo.bar()", inferred()},
      {"Foo<Int>()", inferred()},
      {"-3", named("Int")},
      {"-2.5", named("Double")},
      {"-x", inferred()},
      {"!flag", inferred()},
      {"1 + 2", inferred()},
      {"x", inferred()},
  };
  for (const auto& c : cases) EXPECT_EQ(json(propertyType("let v = " + c.value)), json(c.expected)) << c.value;
  // A written annotation wins; without annotation and value the type is left to inference.
  EXPECT_EQ(json(propertyType("let v: Double = 1")), json(named("Double")));
  EXPECT_EQ(json(propertyType("var v")), json(inferred()));
}

// The single type declaration of `source`.
IRTypeDecl onlyType(const std::string& source) {
  std::vector<IRDecl> decls = lower(source);
  if (decls.size() != 1 || !decls[0].is<IRDecl::type>()) return typeDecl(IRTypeKind::struct_, "<no single type>");
  return *decls[0].as<IRDecl::type>()->decl;
}

TEST(SwiftFrontendDecl, TypeDeclarations) {
  using K = IRTypeKind;
  const struct {
    std::string source;
    IRTypeDecl expected;
  } cases[] = {
      {"@MainActor @Observable\nfinal class Store: ObservableObject, Identifiable {}",
       type(K::class_, "Store", [](IRTypeDecl& t) {
         t.inherits = {"ObservableObject", "Identifiable"};
         t.attributes = {"MainActor", "Observable"};
       })},
      {"public struct Row: SwiftUI.View, Codable {}",
       type(K::struct_, "Row", [](IRTypeDecl& t) { t.inherits = {"SwiftUI.View", "Codable"}; })},
      {"actor Cache { var hits: Int }",
       type(K::actor, "Cache", [](IRTypeDecl& t) { t.properties = {prop("hits", named("Int"))}; })},
      {"protocol Named<ID>: AnyObject {\n  associatedtype ID\n  var name: String { get set }\n"
       "  func rename(to name: String) async throws -> Bool\n  init(name: String)\n}",
       type(K::protocol, "Named", [](IRTypeDecl& t) {
         t.inherits = {"AnyObject"};
         t.properties = {prop("name", named("String"))};
         t.functions = {func("rename", [](IRFunction& f) {
                          f.params = {param("to", "name", named("String"))};
                          f.returnType = named("Bool");
                          f.isAsync = true;
                          f.isThrows = true;
                        }),
                        func("init", [](IRFunction& f) {
                          f.params = {param("name", "name", named("String"))};
                          f.isInit = true;
                        })};
       })},
      {"extension Array: Identifiable where Element: Identifiable {\n  func ids() {}\n}",
       type(K::extension, "Array", [](IRTypeDecl& t) {
         t.inherits = {"Identifiable"};
         t.functions = {func("ids", [](IRFunction& f) { f.body.emplace(); })};
       })},
      {"extension Foo.Bar {}", type(K::extension, "Foo.Bar")},
      {"extension [Int] {}", type(K::extension, "[Int]")},
      // Members without IR form are dropped; nested types are kept in order.
      {"struct Outer {\n  typealias ID = Int\n  typealias ID = String\n  subscript(i: Int) -> Int { i }\n"
       "  deinit {}\n  #if DEBUG_EXTRA\n  var debug: Bool\n  #endif\n  #warning(\"x\")\n"
       "  enum Inner {}\n  extension Nope {}\n  class Deep { struct Deeper {} }\n}",
       type(K::struct_, "Outer", [](IRTypeDecl& t) {
         t.typealiases = {{"ID", named("String")}};
         t.nested = {type(K::enum_, "Inner"), type(K::extension, "Nope"),
                     type(K::class_, "Deep", [](IRTypeDecl& d) { d.nested = {type(K::struct_, "Deeper")}; })};
       })},
      {"enum Action {\n  case load(Int, String), move(to: Point)\n  case tap(_ point: Point)\n"
       "  case `default`, fill(color: Color = .red)\n  case pair(a b: Int, c: Int)\n}",
       type(K::enum_, "Action", [](IRTypeDecl& t) {
         t.cases = {
             IREnumCase{.name = "load",
                        .associated = {param(std::nullopt, "value0", named("Int")),
                                       param(std::nullopt, "value1", named("String"))}},
             IREnumCase{.name = "move", .associated = {param("to", "to", named("Point"))}},
             IREnumCase{.name = "tap", .associated = {param("_", "point", named("Point"))}},
             IREnumCase{.name = "`default`", .associated = {}},
             IREnumCase{.name = "fill", .associated = {param("color", "color", named("Color"))}},
             IREnumCase{.name = "pair",
                        .associated = {param("a", "b", named("Int")), param("c", "c", named("Int"))}},
         };
       })},
  };
  for (const auto& c : cases) EXPECT_EQ(json(onlyType(c.source)), json(c.expected)) << c.source;
}

TEST(SwiftFrontendDecl, ViewConstrainedGenericParametersOfStructs) {
  IRTypeDecl card = type(IRTypeKind::struct_, "Card", [](IRTypeDecl& t) {
    t.inherits = {"View"};
    t.properties = {prop("content", named("View"), [](IRProperty& p) { p.isLet = true; }),
                    prop("title", optionalOf(named("Content")), [](IRProperty& p) { p.isLet = true; }),
                    prop("make", IRType::function{{}, named("Content")}),
                    prop("label", named("Label")), prop("wrapped", named("View"))};
  });
  const std::string members =
      " { let content: Content; let title: Content?; var make: () -> Content; var label: Label; "
      "var wrapped: Content<Int> }";
  EXPECT_EQ(json(onlyType("struct Card<Content: View, Label>: View" + members)), json(card));
  EXPECT_EQ(json(onlyType("struct Card<Content, Label>: View where Content: View, Label == Text" + members)),
            json(card));

  // Only a struct gets the replacement, and only for a constraint spelled exactly "View".
  IRTypeDecl box = onlyType("class Box<Content: View> { let content: Content }");
  ASSERT_EQ(box.properties.size(), 1u);
  EXPECT_EQ(json(box.properties[0].type), json(named("Content")));
  IRTypeDecl other = onlyType("struct Box<Content: SwiftUI.View> { let content: Content }");
  ASSERT_EQ(other.properties.size(), 1u);
  EXPECT_EQ(json(other.properties[0].type), json(named("Content")));
}

TEST(SwiftFrontendDecl, Properties) {
  const struct {
    std::string source;
    std::vector<IRProperty> expected;
  } cases[] = {
      {"@State private var count: Int", {prop("count", named("Int"), [](IRProperty& p) {
         p.wrapper = "State";
         p.isPrivate = true;
       })}},
      {"@Environment(\\.dismiss) var dismiss", {prop("dismiss", inferred(), [](IRProperty& p) {
         p.wrapper = "Environment";
         p.wrapperArg = "\\.dismiss";
       })}},
      {"@AppStorage(\"count\", store: .standard) var c: Int", {prop("c", named("Int"), [](IRProperty& p) {
         p.wrapper = "AppStorage";
         p.wrapperArg = "\"count\", store: .standard";
       })}},
      {"@available(iOS 17, *) var v: Int", {prop("v", named("Int"), [](IRProperty& p) {
         p.wrapper = "available";
         p.wrapperArg = "iOS 17, *";
       })}},
      {"@MainActor @Published @objc var x: Double", {prop("x", named("Double"), [](IRProperty& p) {
         p.wrapper = "MainActor";
         p.otherAttributes = {"Published", "objc"};
       })}},
      {"@SwiftUI.State var on: Bool", {prop("on", named("Bool"), [](IRProperty& p) { p.wrapper = "SwiftUI.State"; })}},
      // An #if among the attributes that the pre-pass left in place ("#if" + tab) is no wrapper.
      {"#if\tDEBUG\n@available(*, deprecated)\n#endif\n@State var on: Bool",
       {prop("on", named("Bool"), [](IRProperty& p) { p.wrapper = "State"; })}},
      // Without arguments the query starts empty and the written initial value is not kept.
      {"@Query var items: [Item] = []", {prop("items", arrayOf(named("Item")), [](IRProperty& p) {
         p.wrapper = "Query";
         p.initializer = IRExpr::call{ident("__Query"), {}, {}};
       })}},
      {"static let shared: Store", {prop("shared", named("Store"), [](IRProperty& p) {
         p.isLet = true;
         p.isStatic = true;
       })}},
      {"class var kind: String", {prop("kind", named("String"), [](IRProperty& p) { p.isStatic = true; })}},
      {"override var title: String", {prop("title", named("String"), [](IRProperty& p) { p.isOverride = true; })}},
      // A setter-only restriction keeps the property readable from other types.
      {"private(set) var n: Int", {prop("n", named("Int"))}},
      {"public private(set) var n: Int", {prop("n", named("Int"))}},
      {"fileprivate(set) var n: Int", {prop("n", named("Int"))}},
      {"private private(set) var n: Int", {prop("n", named("Int"), [](IRProperty& p) { p.isPrivate = true; })}},
      {"fileprivate var n: Int", {prop("n", named("Int"), [](IRProperty& p) { p.isPrivate = true; })}},
      {"nonisolated(unsafe) public var n: Int", {prop("n", named("Int"))}},
      {"var a: Int, b: String, (c, d): (Int, Int), _: Int",
       {prop("a", named("Int")), prop("b", named("String"))}},
      {"let (c, d): (Int, Int)", {}},
      // Accessors: a plain block is a getter; get and set are found wherever they stand.
      {"var total: Int { }", {prop("total", named("Int"), [](IRProperty& p) { p.getter.emplace(); })}},
      {"var v: Int { set(nv) { } get { } }", {prop("v", named("Int"), [](IRProperty& p) {
         p.getter.emplace();
         p.setter.emplace();
         p.setterParam = "nv";
       })}},
      {"var v: Int { get { } set { } }", {prop("v", named("Int"), [](IRProperty& p) {
         p.getter.emplace();
         p.setter.emplace();
       })}},
      {"var v: Int { get { } }", {prop("v", named("Int"), [](IRProperty& p) { p.getter.emplace(); })}},
      {"var v: Int { get set }", {prop("v", named("Int"))}},
      {"var v: Int { set(nv) { } }", {prop("v", named("Int"))}},
      {"var v: Int { willSet { } didSet { } }", {prop("v", named("Int"))}},
      {"var v: Int { _read { } _modify { } }", {prop("v", named("Int"))}},
  };
  for (const auto& c : cases) {
    IRTypeDecl holder = onlyType("struct Holder {\n" + c.source + "\n}");
    EXPECT_EQ(json(holder.properties), json(c.expected)) << c.source;
  }
}

TEST(SwiftFrontendDecl, FunctionsAndInitializers) {
  const struct {
    std::string source;
    IRFunction expected;
  } cases[] = {
      {"static func make() -> Self", func("make", [](IRFunction& f) {
         f.returnType = named("Self");
         f.isStatic = true;
       })},
      {"class func make()", func("make", [](IRFunction& f) { f.isStatic = true; })},
      {"mutating func bump() {}", func("bump", [](IRFunction& f) {
         f.isMutating = true;
         f.body.emplace();
       })},
      {"fileprivate func hide()", func("hide", [](IRFunction& f) { f.isPrivate = true; })},
      {"override public func layout()", func("layout", [](IRFunction& f) { f.isOverride = true; })},
      {"@MainActor @discardableResult func run() async -> Int", func("run", [](IRFunction& f) {
         f.attributes = {"MainActor", "discardableResult"};
         f.isAsync = true;
         f.returnType = named("Int");
       })},
      {"func retry(_ body: () async -> Void) reasync", func("retry", [](IRFunction& f) {
         f.params = {param(std::nullopt, "body", IRType::function{{}, named("Void")})};
         f.isAsync = true;
       })},
      {"func load() throws(LoadError)", func("load", [](IRFunction& f) { f.isThrows = true; })},
      {"func each(_ body: () throws -> Void) rethrows", func("each", [](IRFunction& f) {
         f.params = {param(std::nullopt, "body", IRType::function{{}, named("Void")})};
         f.isThrows = true;
       })},
      {"static func == (lhs: Item, rhs: Item) -> Bool", func("==", [](IRFunction& f) {
         f.params = {param("lhs", "lhs", named("Item")), param("rhs", "rhs", named("Item"))};
         f.returnType = named("Bool");
         f.isStatic = true;
       })},
      {"func pick<T: View>(_ x: T, label y: inout [String], z: Int..., _ _: Int) -> T where T: Equatable",
       func("pick", [](IRFunction& f) {
         IRParam inout = param("label", "y", arrayOf(named("String")));
         inout.isInout = true;
         f.params = {param(std::nullopt, "x", named("T")), inout, param("z", "z", named("Int")),
                     param(std::nullopt, "unused", named("Int"))};
         f.returnType = named("T");
       })},
      {"func wrap(@ViewBuilder content: @escaping () -> Content)", func("wrap", [](IRFunction& f) {
         f.params = {param("content", "content", IRType::function{{}, named("Content")})};
       })},
      {"private init() {}", func("init", [](IRFunction& f) {
         f.isInit = true;
         f.isPrivate = true;
         f.body.emplace();
       })},
      // fileprivate keeps an initializer visible; override is not kept for initializers.
      {"fileprivate init()", func("init", [](IRFunction& f) { f.isInit = true; })},
      {"override init()", func("init", [](IRFunction& f) { f.isInit = true; })},
      {"@MainActor convenience required init?(id: Int) async throws", func("init", [](IRFunction& f) {
         f.params = {param("id", "id", named("Int"))};
         f.isInit = true;
         f.isAsync = true;
         f.isThrows = true;
         f.attributes = {"MainActor"};
       })},
      {"init!<T>(x: T)", func("init", [](IRFunction& f) {
         f.params = {param("x", "x", named("T"))};
         f.isInit = true;
       })},
  };
  for (const auto& c : cases) {
    IRTypeDecl holder = onlyType("class Holder {\n" + c.source + "\n}");
    ASSERT_EQ(holder.functions.size(), 1u) << c.source;
    EXPECT_EQ(json(holder.functions[0]), json(c.expected)) << c.source;
  }
}

TEST(SwiftFrontendDecl, InitialDefaultAndRawValuesAreLoweredAsExpressions) {
  IRTypeDecl holder = onlyType(
      "struct Holder {\n"
      "  @State private var count = 0\n"
      "  @Query(sort: \\Item.date) var items: [Item] = []\n"
      "  var saved: Int = 1 { didSet { save() } }\n"
      "  func f(label y: inout [String] = []) {}\n"
      "}");
  IRExpr keyPath = IRExpr::closure{IRClosure{
      .params = {"$0"}, .body = {IRStmt::ret{IRExpr::member{ident("$0"), "date"}}}}};
  std::vector<IRProperty> properties = {
      prop("count", named("Int"), [](IRProperty& p) {
        p.wrapper = "State";
        p.isPrivate = true;
        p.initializer = intLit("0");
      }),
      prop("items", arrayOf(named("Item")), [&](IRProperty& p) {
        p.wrapper = "Query";
        p.wrapperArg = "sort: \\Item.date";
        p.initializer = IRExpr::call{ident("__Query"), {arg("sort", keyPath)}, {}};
      }),
      prop("saved", named("Int"), [](IRProperty& p) { p.initializer = intLit("1"); }),
  };
  EXPECT_EQ(json(holder.properties), json(properties));
  ASSERT_EQ(holder.functions.size(), 1u);
  ASSERT_EQ(holder.functions[0].params.size(), 1u);
  IRParam expected = param("label", "y", arrayOf(named("String")));
  expected.isInout = true;
  expected.defaultValue = IRExpr::arrayLit{};
  EXPECT_EQ(json(holder.functions[0].params[0]), json(expected));

  IRTypeDecl raw = onlyType("enum E: String { case a = \"x\", b }");
  std::vector<IREnumCase> cases = {
      IREnumCase{.name = "a", .associated = {}, .rawValue = IRExpr::stringLit{{IRStringPart::text{"x"}}}},
      IREnumCase{.name = "b", .associated = {}},
  };
  EXPECT_EQ(json(raw.cases), json(cases));
}

TEST(SwiftFrontendDecl, FileWhoseFoldingFailsIsLoweredUnfolded) {
  // The custom operator is unknown to the standard table, so the whole file
  // keeps its flat operator sequences, the ordinary assignment included.
  std::vector<IRDecl> expected = {
      unsupported("operatorDecl", "infix operator <> : AdditionPrecedence"),
      IRDecl::variable{prop("z", inferred(), [](IRProperty& p) {
        p.isLet = true;
        p.initializer = IRExpr::unsupported{"a <> b"};
      })},
      IRDecl::function{func("f", [](IRFunction& f) {
        f.body = std::vector<IRStmt>{exprStmt(IRExpr::unsupported{"x = y + 1"})};
      })},
  };
  EXPECT_EQ(json(lower("infix operator <> : AdditionPrecedence\nlet z = a <> b\nfunc f() { x = y + 1 }\n")),
            json(expected));

  // Without the unknown operator the same assignment folds.
  std::vector<IRDecl> folded = lower("func f() { x = y + 1 }");
  ASSERT_EQ(folded.size(), 1u);
  const IRFunction& f = *folded[0].as<IRDecl::function>()->decl;
  ASSERT_TRUE(f.body && f.body->size() == 1);
  EXPECT_TRUE((*f.body)[0].is<IRStmt::assign>());
}

}  // namespace
}  // namespace tovrane
