#include "core/ir/IRJson.hpp"

#include "core/ir/IRJsonKeys.hpp"
#include "tests/support/IRBuilders.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <typeindex>

namespace tovrane {
namespace {

using namespace testsupport;

// Records which case of which union a tree uses, walking the same key
// tables as the coder, so every case added to a union must show up here.
class CaseCoverage {
 public:
  template <typename T>
  void walk(const T& value) {
    if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, bool> || std::is_same_v<T, IRTypeKind>) {
    } else if constexpr (requires { value.has_value(); }) {
      if (value) walk(*value);
    } else if constexpr (requires { value.get(); }) {
      walk(value.get());
    } else if constexpr (requires { value.begin()->second; }) {
      for (const auto& entry : value) walk(entry.second);
    } else if constexpr (requires { value.begin(); }) {
      for (const auto& element : value) walk(element);
    } else if constexpr (requires { typename T::Node; }) {
      seen_[typeid(T)].insert(value.node.index());
      std::visit([&](const auto& payload) { fields(payload); }, value.node);
    } else {
      fields(value);
    }
  }

  template <typename U>
  std::set<std::size_t> missing() const {
    std::set<std::size_t> result;
    const auto it = seen_.find(typeid(U));
    for (std::size_t i = 0; i < std::variant_size_v<typename U::Node>; ++i)
      if (it == seen_.end() || !it->second.count(i)) result.insert(i);
    return result;
  }

 private:
  template <typename S>
  void fields(const S& value) {
    std::apply([&](const auto&... field) { (walk(value.*(field.member)), ...); }, irjson::Keys<S>::shape.fields);
  }

  std::map<std::type_index, std::set<std::size_t>> seen_;
};

// One IR value with its exact JSON text.
struct Golden {
  std::string label;
  std::string expected;
  std::function<std::optional<std::string>()> encode;
  // Reads the text back and encodes the result again.
  std::function<std::optional<std::string>(const std::string&)> reencode;
  std::function<void(CaseCoverage&)> cover;
};

// Reads text as a T and encodes the result again; a failure gives its path and message.
template <typename T>
std::optional<std::string> reencode(const std::string& text) {
  auto read = decodeIRJson<T>(text);
  if (const auto* error = std::get_if<IRJsonError>(&read)) return error->path + ": " + error->message;
  return encodeIRJson(std::get<T>(read));
}

template <typename T>
Golden golden(std::string label, T value, std::string expected) {
  auto shared = std::make_shared<T>(std::move(value));
  return Golden{std::move(label), std::move(expected), [shared] { return encodeIRJson(*shared); }, reencode<T>,
                [shared](CaseCoverage& coverage) { coverage.walk(*shared); }};
}

const std::string X = R"({"ident":{"_0":"x"}})";
const std::string ONE = R"({"intLit":{"_0":"1"}})";
const std::string INT = R"({"named":{"_0":"Int","_1":[]}})";
const std::string VOID = R"({"named":{"_0":"Void","_1":[]}})";
const std::string MIN_FUNCTION =
    R"({"name":"f","params":[],"isStatic":false,"isMutating":false,"isAsync":false,"isThrows":false,"isInit":false,"isPrivate":false,"attributes":[],"isOverride":false})";

IRStmt ifWithoutElse() { return IRStmt::ifStmt{{IRCondition::bool_{ident("x")}}, {}, std::nullopt}; }

std::vector<Golden> goldenCases() {
  IRProperty fullProperty = storedVar("title", IRType::optional{named("String")});
  fullProperty.isLet = true;
  fullProperty.isStatic = true;
  fullProperty.wrapper = "Environment";
  fullProperty.wrapperArg = "\\.dismiss";
  fullProperty.isOverride = true;
  fullProperty.otherAttributes = {"MainActor"};
  fullProperty.initializer = IRExpr::nilLit{};
  fullProperty.getter = std::vector<IRStmt>{IRStmt::ret{ident("x")}};
  fullProperty.setter = std::vector<IRStmt>{};
  fullProperty.setterParam = "v";
  fullProperty.isPrivate = true;

  IRProperty computed = storedVar("n", named("Int"));
  computed.getter.emplace();

  IRFunction fullFunction{.name = "init",
                          .params = {IRParam{.label = "to", .name = "x", .type = named("Int"),
                                             .defaultValue = intLit("1"), .isInout = true}},
                          .returnType = named("Void"),
                          .body = std::vector<IRStmt>{},
                          .isStatic = true,
                          .isMutating = true,
                          .isAsync = true,
                          .isThrows = true,
                          .isInit = true,
                          .isPrivate = true,
                          .attributes = {"MainActor", "discardableResult"},
                          .isOverride = true};

  IRTypeDecl enumDecl = typeDecl(IRTypeKind::enum_, "Shape");
  enumDecl.inherits = {"String", "Codable"};
  enumDecl.attributes = {"frozen"};
  enumDecl.properties = {storedVar("p", IRType::inferred{})};
  enumDecl.functions = {function("f")};
  enumDecl.cases = {IREnumCase{.name = "circle", .associated = {IRParam{.name = "value0", .type = named("Int")}}},
                    IREnumCase{.name = "none", .associated = {}, .rawValue = IRExpr::stringLit{}}};
  enumDecl.nested = {typeDecl(IRTypeKind::class_, "Inner")};
  enumDecl.typealiases = {{"Id", named("Int")}, {"Name", named("String")}};

  IRStmt elseIf = IRStmt::ifStmt{{IRCondition::bool_{ident("x")}}, {}, std::vector<IRStmt>{ifWithoutElse()}};
  const std::string ifNoElse = R"({"ifStmt":{"conds":[{"bool":{"_0":)" + X + R"(}}],"then":[]}})";
  const std::string closure = R"({"closure":{"_0":{"params":["$0"],"body":[{"expr":{"_0":)" + X + "}}]}}}";

  return {
      // IRType
      golden("named", named("Array", {named("Int")}),
             R"({"named":{"_0":"Array","_1":[)" + INT + "]}}"),
      golden("optional", IRType(IRType::optional{named("Int")}), R"({"optional":{"_0":)" + INT + "}}"),
      golden("array", IRType(IRType::array{named("Int")}), R"({"array":{"_0":)" + INT + "}}"),
      golden("dictionary", IRType(IRType::dictionary{named("String"), named("Int")}),
             R"({"dictionary":{"_0":{"named":{"_0":"String","_1":[]}},"_1":)" + INT + "}}"),
      golden("tuple type", IRType(IRType::tuple{{named("Int"), named("Void")}}),
             R"({"tuple":{"_0":[)" + INT + "," + VOID + "]}}"),
      golden("function type", IRType(IRType::function{{named("Int")}, named("Void")}),
             R"({"function":{"_0":[)" + INT + R"(],"_1":)" + VOID + "}}"),
      golden("inferred", IRType(IRType::inferred{}), R"({"inferred":{}})"),

      // IRExpr
      golden("ident", ident("x"), X),
      golden("intLit", intLit("0x1F"), R"({"intLit":{"_0":"0x1F"}})"),
      golden("floatLit", IRExpr(IRExpr::floatLit{"1.5e3"}), R"({"floatLit":{"_0":"1.5e3"}})"),
      golden("stringLit with escapes kept",
             IRExpr(IRExpr::stringLit{{IRStringPart::text{"say \"hi\"\\n\t\xC3\xBC"}, IRStringPart::interp{ident("x")}}}),
             R"({"stringLit":{"_0":[{"text":{"_0":"say \"hi\"\\n\t)" "\xC3\xBC" R"("}},{"interp":{"_0":)" + X +
                 "}}]}}"),
      golden("boolLit", IRExpr(IRExpr::boolLit{true}), R"({"boolLit":{"_0":true}})"),
      golden("nilLit", IRExpr(IRExpr::nilLit{}), R"({"nilLit":{}})"),
      golden("selfRef", IRExpr(IRExpr::selfRef{}), R"({"selfRef":{}})"),
      golden("implicit member", IRExpr(IRExpr::member{std::nullopt, "red"}), R"({"member":{"_1":"red"}})"),
      golden("member", IRExpr(IRExpr::member{ident("x"), "count"}),
             R"({"member":{"_0":)" + X + R"(,"_1":"count"}})"),
      golden("call with trailing closures",
             IRExpr(IRExpr::call{ident("f"),
                                 {arg("a", intLit("1")), arg(ident("x"))},
                                 {arg(IRExpr::closure{IRClosure{{"$0"}, {exprStmt(ident("x"))}}}),
                                  arg("bar", IRExpr::closure{IRClosure{{}, {}}})}}),
             R"({"call":{"_0":{"ident":{"_0":"f"}},"_1":[{"label":"a","value":)" + ONE + R"(},{"value":)" + X +
                 R"(}],"trailing":[{"value":)" + closure +
                 R"(},{"label":"bar","value":{"closure":{"_0":{"params":[],"body":[]}}}}]}})"),
      golden("subscriptExpr", IRExpr(IRExpr::subscriptExpr{ident("x"), {arg(intLit("1"))}}),
             R"({"subscriptExpr":{"_0":)" + X + R"(,"_1":[{"value":)" + ONE + "}]}}"),
      golden("binary", IRExpr(IRExpr::binary{ident("x"), "+=", intLit("1")}),
             R"({"binary":{"_0":)" + X + R"(,"_1":"+=","_2":)" + ONE + "}}"),
      golden("prefix", IRExpr(IRExpr::prefix{"!", ident("x")}), R"({"prefix":{"_0":"!","_1":)" + X + "}}"),
      golden("postfix", IRExpr(IRExpr::postfix{ident("x"), "?"}), R"({"postfix":{"_0":)" + X + R"(,"_1":"?"}})"),
      golden("ternary", IRExpr(IRExpr::ternary{ident("x"), intLit("1"), IRExpr::nilLit{}}),
             R"({"ternary":{"_0":)" + X + R"(,"_1":)" + ONE + R"(,"_2":{"nilLit":{}}}})"),
      golden("arrayLit", IRExpr(IRExpr::arrayLit{{intLit("1"), ident("x")}}),
             R"({"arrayLit":{"_0":[)" + ONE + "," + X + "]}}"),
      golden("dictLit", IRExpr(IRExpr::dictLit{{IRDictEntry{ident("x"), intLit("1")}}}),
             R"({"dictLit":{"_0":[{"key":)" + X + R"(,"value":)" + ONE + "}]}}"),
      golden("empty dictLit", IRExpr(IRExpr::dictLit{}), R"({"dictLit":{"_0":[]}})"),
      golden("tuple", IRExpr(IRExpr::tuple{{arg("label", ident("x"))}}),
             R"({"tuple":{"_0":[{"label":"label","value":)" + X + "}]}}"),
      golden("cast", IRExpr(IRExpr::cast{ident("x"), "as?", named("Int")}),
             R"({"cast":{"_0":)" + X + R"(,"_1":"as?","_2":)" + INT + "}}"),
      golden("tryExpr", IRExpr(IRExpr::tryExpr{ident("x"), "try!"}), R"({"tryExpr":{"_0":)" + X + R"(,"_1":"try!"}})"),
      golden("awaitExpr", IRExpr(IRExpr::awaitExpr{ident("x")}), R"({"awaitExpr":{"_0":)" + X + "}}"),
      golden("prefix range", IRExpr(IRExpr::range{std::nullopt, "...", intLit("5")}),
             R"({"range":{"_1":"...","_2":{"intLit":{"_0":"5"}}}})"),
      golden("postfix range", IRExpr(IRExpr::range{intLit("2"), "...", std::nullopt}),
             R"({"range":{"_0":{"intLit":{"_0":"2"}},"_1":"..."}})"),
      golden("closed range", IRExpr(IRExpr::range{intLit("1"), "..<", ident("x")}),
             R"({"range":{"_0":)" + ONE + R"(,"_1":"..<","_2":)" + X + "}}"),
      golden("ifExpr", IRExpr(IRExpr::ifExpr{ifWithoutElse()}), R"({"ifExpr":{"_0":)" + ifNoElse + "}}"),
      golden("unsupported expr", IRExpr(IRExpr::unsupported{"#selector(tap)"}),
             R"j({"unsupported":{"_0":"#selector(tap)"}})j"),

      // IRStmt
      golden("expr", exprStmt(ident("x")), R"({"expr":{"_0":)" + X + "}}"),
      golden("local without value", IRStmt(IRStmt::local{"n", named("Int"), false}),
             R"({"local":{"name":"n","type":)" + INT + R"(,"isLet":false}})"),
      golden("local", IRStmt(IRStmt::local{"n", IRType::inferred{}, true, intLit("1")}),
             R"({"local":{"name":"n","type":{"inferred":{}},"isLet":true,"value":)" + ONE + "}}"),
      golden("destructure", IRStmt(IRStmt::destructure{{"a", "_"}, ident("x")}),
             R"({"destructure":{"names":["a","_"],"value":)" + X + "}}"),
      golden("assign", IRStmt(IRStmt::assign{ident("x"), "+=", intLit("1")}),
             R"({"assign":{"_0":{"ident":{"_0":"x"}},"op":"+=","_2":{"intLit":{"_0":"1"}}}})"),
      golden("bare return", IRStmt(IRStmt::ret{}), R"({"ret":{}})"),
      golden("return", IRStmt(IRStmt::ret{ident("x")}), R"({"ret":{"_0":)" + X + "}}"),
      golden("if without else", ifWithoutElse(), ifNoElse),
      golden("if with empty else", IRStmt(IRStmt::ifStmt{{}, {exprStmt(ident("x"))}, std::vector<IRStmt>{}}),
             R"({"ifStmt":{"conds":[],"then":[{"expr":{"_0":)" + X + R"(}}],"els":[]}})"),
      golden("else if", elseIf,
             R"({"ifStmt":{"conds":[{"bool":{"_0":)" + X + R"(}}],"then":[],"els":[)" + ifNoElse + "]}}"),
      golden("guardStmt", IRStmt(IRStmt::guardStmt{{IRCondition::optionalBinding{"v", ident("x")}}, {IRStmt::ret{}}}),
             R"({"guardStmt":{"conds":[{"optionalBinding":{"name":"v","value":)" + X +
                 R"(}}],"els":[{"ret":{}}]}})"),
      golden("forIn", IRStmt(IRStmt::forIn{"(k,v)", ident("x"), {IRStmt::continueStmt{}}}),
             R"j({"forIn":{"name":"(k,v)","seq":)j" + X + R"(,"body":[{"continueStmt":{}}]}})"),
      golden("whileLoop",
             IRStmt(IRStmt::whileLoop{{IRCondition::casePattern{IRPattern::enumCase{"pair", {std::nullopt, "y"}},
                                                                 ident("x")}},
                                      {IRStmt::breakStmt{}}}),
             R"({"whileLoop":{"conds":[{"casePattern":{"_0":{"enumCase":{"_0":"pair","bindings":[null,"y"]}},"_1":)" +
                 X + R"(}}],"body":[{"breakStmt":{}}]}})"),
      golden("repeatWhile", IRStmt(IRStmt::repeatWhile{{}, ident("x")}),
             R"({"repeatWhile":{"body":[],"cond":)" + X + "}}"),
      golden("switchStmt",
             IRStmt(IRStmt::switchStmt{
                 ident("x"),
                 {IRSwitchCase{{IRPattern::expr{intLit("1")}, IRPattern::enumCase{"done", {}}}, {exprStmt(ident("x"))}},
                  IRSwitchCase{{IRPattern::wildcard{}}, {}}, IRSwitchCase{{}, {IRStmt::breakStmt{}}}}}),
             R"({"switchStmt":{"_0":)" + X + R"(,"_1":[{"patterns":[{"expr":{"_0":)" + ONE +
                 R"(}},{"enumCase":{"_0":"done","bindings":[]}}],"body":[{"expr":{"_0":)" + X +
                 R"(}}]},{"patterns":[{"wildcard":{}}],"body":[]},{"patterns":[],"body":[{"breakStmt":{}}]}]}})"),
      golden("switch with a binding and a where condition",
             IRStmt(IRStmt::switchStmt{
                 ident("x"), {IRSwitchCase{{IRPattern::guarded{IRPattern::binding{"n"}, ident("x")}}, {}}}}),
             R"({"switchStmt":{"_0":)" + X + R"(,"_1":[{"patterns":[{"guarded":{"_0":{"binding":{"_0":"n"}},"where":)" +
                 X + R"(}}],"body":[]}]}})"),
      golden("do without catch", IRStmt(IRStmt::doCatch{{}, std::nullopt}), R"({"doCatch":{"body":[]}})"),
      golden("do catch", IRStmt(IRStmt::doCatch{{}, std::vector<IRStmt>{}}), R"({"doCatch":{"body":[],"catchBody":[]}})"),
      golden("throwStmt", IRStmt(IRStmt::throwStmt{ident("x")}), R"({"throwStmt":{"_0":)" + X + "}}"),
      golden("defer_", IRStmt(IRStmt::defer_{{exprStmt(ident("x"))}}),
             R"({"defer_":{"_0":[{"expr":{"_0":)" + X + "}}]}}"),
      golden("localFunc", IRStmt(IRStmt::localFunc{function("f")}), R"({"localFunc":{"_0":)" + MIN_FUNCTION + "}}"),
      golden("localType", IRStmt(IRStmt::localType{typeDecl(IRTypeKind::actor, "A")}),
             R"({"localType":{"_0":{"kind":"actor","name":"A","inherits":[],"attributes":[],"properties":[],"functions":[],"cases":[],"nested":[],"typealiases":{}}}})"),
      golden("unsupported stmt", IRStmt(IRStmt::unsupported{"fallthrough"}), R"({"unsupported":{"_0":"fallthrough"}})"),

      // IRDecl and the records
      golden("type decl", IRDecl(IRDecl::type{enumDecl}),
             R"({"type":{"_0":{"kind":"enum","name":"Shape","inherits":["String","Codable"],"attributes":["frozen"],"properties":[{"name":"p","type":{"inferred":{}},"isLet":false,"isStatic":false,"isOverride":false,"otherAttributes":[],"setterParam":"newValue","isPrivate":false}],"functions":[)" +
                 MIN_FUNCTION +
                 R"(],"cases":[{"name":"circle","associated":[{"name":"value0","type":)" + INT +
                 R"(,"isInout":false}]},{"name":"none","associated":[],"rawValue":{"stringLit":{"_0":[]}}}],"nested":[{"kind":"class","name":"Inner","inherits":[],"attributes":[],"properties":[],"functions":[],"cases":[],"nested":[],"typealiases":{}}],"typealiases":{"Id":)" +
                 INT + R"(,"Name":{"named":{"_0":"String","_1":[]}}}}}})"),
      golden("function decl without body", IRDecl(IRDecl::function{function("f")}),
             R"({"function":{"_0":)" + MIN_FUNCTION + "}}"),
      golden("function with everything", fullFunction,
             R"({"name":"init","params":[{"label":"to","name":"x","type":)" + INT + R"(,"defaultValue":)" + ONE +
                 R"(,"isInout":true}],"returnType":)" + VOID +
                 R"(,"body":[],"isStatic":true,"isMutating":true,"isAsync":true,"isThrows":true,"isInit":true,"isPrivate":true,"attributes":["MainActor","discardableResult"],"isOverride":true})"),
      golden("variable", IRDecl(IRDecl::variable{storedVar("n", named("Int"))}),
             R"({"variable":{"_0":{"name":"n","type":)" + INT +
                 R"(,"isLet":false,"isStatic":false,"isOverride":false,"otherAttributes":[],"setterParam":"newValue","isPrivate":false}}})"),
      golden("property with everything", fullProperty,
             R"({"name":"title","type":{"optional":{"_0":{"named":{"_0":"String","_1":[]}}}},"isLet":true,"isStatic":true,"wrapper":"Environment","wrapperArg":"\\.dismiss","isOverride":true,"otherAttributes":["MainActor"],"initializer":{"nilLit":{}},"getter":[{"ret":{"_0":)" +
                 X + R"(}}],"setter":[],"setterParam":"v","isPrivate":true})"),
      golden("computed property with empty getter", computed,
             R"({"name":"n","type":)" + INT +
                 R"(,"isLet":false,"isStatic":false,"isOverride":false,"otherAttributes":[],"getter":[],"setterParam":"newValue","isPrivate":false})"),
      golden("unlabeled param", IRParam{.name = "x", .type = named("Int")},
             R"({"name":"x","type":)" + INT + R"(,"isInout":false})"),
      golden("typeAlias", IRDecl(IRDecl::typeAlias{"Id", named("Int")}),
             R"({"typeAlias":{"_0":"Id","_1":)" + INT + "}}"),
      golden("unsupported decl", IRDecl(IRDecl::unsupported{"operatorDecl", "infix operator <>"}),
             R"({"unsupported":{"_0":"operatorDecl","source":"infix operator <>"}})"),
      golden("file", IRFile{"Sources/A b.swift", {}}, R"({"path":"Sources/A b.swift","decls":[]})"),
  };
}

TEST(IRJson, EveryCaseEncodesExactlyAndReadsBack) {
  for (const auto& c : goldenCases()) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(c.encode(), c.expected);
    EXPECT_EQ(c.reencode(c.expected), c.expected);
  }
}

TEST(IRJson, CaseTableCoversEveryUnionCase) {
  CaseCoverage coverage;
  for (const auto& c : goldenCases()) c.cover(coverage);
  EXPECT_EQ(coverage.missing<IRDecl>(), std::set<std::size_t>{});
  EXPECT_EQ(coverage.missing<IRType>(), std::set<std::size_t>{});
  EXPECT_EQ(coverage.missing<IRStmt>(), std::set<std::size_t>{});
  EXPECT_EQ(coverage.missing<IRCondition>(), std::set<std::size_t>{});
  EXPECT_EQ(coverage.missing<IRPattern>(), std::set<std::size_t>{});
  EXPECT_EQ(coverage.missing<IRExpr>(), std::set<std::size_t>{});
  EXPECT_EQ(coverage.missing<IRStringPart>(), std::set<std::size_t>{});
}

TEST(IRJson, CounterModuleIsWrittenExactly) {
  IRProperty count = storedVar("count", named("Int"));
  count.initializer = intLit("0");
  IRTypeDecl counter = typeDecl(IRTypeKind::struct_, "Counter");
  counter.properties = {count};
  const IRModule module{{IRFile{"Counter.swift", {IRDecl::type{counter}}}}};

  const std::string expected =
      R"({"files":[{"path":"Counter.swift","decls":[{"type":{"_0":{"kind":"struct","name":"Counter","inherits":[],"attributes":[],"properties":[{"name":"count","type":{"named":{"_0":"Int","_1":[]}},"isLet":false,"isStatic":false,"isOverride":false,"otherAttributes":[],"initializer":{"intLit":{"_0":"0"}},"setterParam":"newValue","isPrivate":false}],"functions":[],"cases":[],"nested":[],"typealiases":{}}}}]}]})";
  EXPECT_EQ(encodeIRJson(module), expected);

  const auto read = decodeIRJson<IRModule>(expected);
  ASSERT_TRUE(std::holds_alternative<IRModule>(read));
  const auto& decl = *std::get<IRModule>(read).files.at(0).decls.at(0).as<IRDecl::type>()->decl;
  EXPECT_EQ(decl.kind, IRTypeKind::struct_);
  EXPECT_EQ(decl.properties.at(0).type, named("Int"));
  EXPECT_EQ(decl.properties.at(0).setterParam, "newValue");
  EXPECT_EQ(encodeIRJson(std::get<IRModule>(read)), expected);
}

TEST(IRJson, TextsStayValidJson) {
  // Control characters are escaped; everything else above them is written as is.
  const IRExpr controls = IRExpr::unsupported{"a\x01\x1f\x7f\b\f\r/"};
  EXPECT_EQ(encodeIRJson(controls), R"({"unsupported":{"_0":"a\u0001\u001f)" "\x7f" R"(\b\f\r/"}})");
  EXPECT_EQ(reencode<IRExpr>(*encodeIRJson(controls)), encodeIRJson(controls));

  // Bytes that are not UTF-8 cannot be written as JSON text; they become U+FFFD.
  const auto repaired = encodeIRJson(IRExpr(IRExpr::ident{"x\xFFy"}));
  EXPECT_EQ(repaired, "{\"ident\":{\"_0\":\"x\xEF\xBF\xBDy\"}}");
  EXPECT_EQ(reencode<IRExpr>(*repaired), repaired);
}

// Inputs the writer never produces but the reader accepts, with the text
// the value is written as afterwards.
TEST(IRJson, ReaderToleratesNullOptionalsUnknownKeysAndAnyKeyOrder) {
  const struct {
    std::function<std::optional<std::string>(const std::string&)> reencode;
    std::string input;
    std::string written;
  } cases[] = {
      {reencode<IRStmt>, R"({"ret":{"_0":null}})", R"({"ret":{}})"},
      {reencode<IRExpr>, R"({"member":{"_1":"red","_0":null}})", R"({"member":{"_1":"red"}})"},
      {reencode<IRType>, R"({"inferred":{"note":1}})", R"({"inferred":{}})"},
      {reencode<IRExpr>, R"({"ident":{"_0":"x"},"note":"y"})", X},
      {reencode<IRExpr>, R"({"note":{"_0":"y"},"ident":{"_0":"x","_1":5}})", X},
      {reencode<IRParam>, R"({"isInout":false,"type":{"inferred":{}},"name":"x","label":null})",
       R"({"name":"x","type":{"inferred":{}},"isInout":false})"},
      {reencode<IRArg>, R"({"value":{"nilLit":{}},"extra":[1,2]})", R"({"value":{"nilLit":{}}})"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.reencode(c.input), c.written) << c.input;
}

template <typename T>
std::optional<IRJsonError> readError(const std::string& text) {
  auto read = decodeIRJson<T>(text);
  if (auto* error = std::get_if<IRJsonError>(&read)) return *error;
  return std::nullopt;
}

using Kind = IRJsonError::Kind;
const std::string oneKey = "Invalid number of keys found, expected one.";
const std::string minimalParam = R"("name":"x","type":{"inferred":{}})";
const std::string minimalProperty =
    R"("name":"n","type":{"inferred":{}},"isLet":false,"isStatic":false,"isPrivate":false,"isOverride":false)";

TEST(IRJson, ReaderFailsWithKindAndPath) {
  const struct {
    std::function<std::optional<IRJsonError>(const std::string&)> read;
    std::string input;
    Kind kind;
    std::string path;
    std::string message = {};  // checked when given
  } cases[] = {
      // Not JSON at all.
      {readError<IRModule>, "{", Kind::dataCorrupted, "$"},
      {readError<IRModule>, "{} x", Kind::dataCorrupted, "$"},
      {readError<IRModule>, "", Kind::dataCorrupted, "$"},
      // Records.
      {readError<IRModule>, "[]", Kind::typeMismatch, "$", "Erwartet: Objekt, gefunden: Liste."},
      {readError<IRModule>, "{}", Kind::keyNotFound, "$.files", "Schlüssel „files“ fehlt."},
      {readError<IRModule>, R"({"files":null})", Kind::valueNotFound, "$.files", "Wert für „files“ ist null."},
      {readError<IRModule>, R"({"files":{}})", Kind::typeMismatch, "$.files"},
      {readError<IRModule>, R"({"files":[{"path":"a.swift"}]})", Kind::keyNotFound, "$.files[0].decls"},
      {readError<IRModule>, R"({"files":[{"path":"a.swift","decls":[]},{"path":7,"decls":[]}]})", Kind::typeMismatch,
       "$.files[1].path", "Erwartet: Text, gefunden: Zahl."},
      {readError<IRFile>, R"({"path":"a","decls":[{"typeAlias":{"_0":"A","_1":{"inferred":{}}}},{"type":{"_0":5}}]})",
       Kind::typeMismatch, "$.decls[1].type._0"},
      {readError<IRParam>, "{" + minimalParam + "}", Kind::keyNotFound, "$.isInout"},
      {readError<IRParam>, "{" + minimalParam + R"(,"isInout":"no"})", Kind::typeMismatch, "$.isInout"},
      {readError<IRProperty>, "{" + minimalProperty + R"(,"otherAttributes":[]})", Kind::keyNotFound, "$.setterParam"},
      {readError<IRProperty>, "{" + minimalProperty + R"(,"setterParam":"newValue"})", Kind::keyNotFound,
       "$.otherAttributes"},
      {readError<IRProperty>, "{" + minimalProperty + R"(,"setterParam":"v","otherAttributes":[],"getter":{}})",
       Kind::typeMismatch, "$.getter"},
      {readError<IRFunction>, R"({"name":"f"})", Kind::keyNotFound, "$.params"},
      {readError<IRTypeDecl>, R"({"kind":"Struct"})", Kind::dataCorrupted, "$.kind", "Unbekannte Typart „Struct“."},
      {readError<IRTypeDecl>, R"({"kind":{"struct":{}}})", Kind::typeMismatch, "$.kind"},
      {readError<IRTypeDecl>,
       R"({"kind":"actor","name":"A","inherits":[],"attributes":[],"properties":[],"functions":[],"cases":[],"nested":[],"typealiases":{"Id":5}})",
       Kind::typeMismatch, "$.typealiases.Id"},
      {readError<IRTypeDecl>,
       R"({"kind":"actor","name":"A","inherits":["View",null],"attributes":[],"properties":[],"functions":[],"cases":[],"nested":[],"typealiases":{}})",
       Kind::typeMismatch, "$.inherits[1]"},
      // Unions.
      {readError<IRExpr>, R"({"ident":{"_0":"x"},"intLit":{"_0":"1"}})", Kind::typeMismatch, "$", oneKey},
      {readError<IRExpr>, "{}", Kind::typeMismatch, "$", oneKey},
      {readError<IRExpr>, R"({"Ident":{"_0":"x"}})", Kind::typeMismatch, "$", oneKey},
      {readError<IRCondition>, R"({"bool_":{"_0":{"nilLit":{}}}})", Kind::typeMismatch, "$", oneKey},
      {readError<IRExpr>, R"("x")", Kind::typeMismatch, "$"},
      {readError<IRType>, R"({"inferred":[]})", Kind::typeMismatch, "$.inferred"},
      {readError<IRStmt>, R"({"breakStmt":null})", Kind::typeMismatch, "$.breakStmt"},
      {readError<IRExpr>, R"({"intLit":{"_0":1}})", Kind::typeMismatch, "$.intLit._0"},
      {readError<IRExpr>, R"({"boolLit":{"_0":"true"}})", Kind::typeMismatch, "$.boolLit._0"},
      {readError<IRExpr>, R"({"member":{"_0":null}})", Kind::keyNotFound, "$.member._1"},
      {readError<IRExpr>, R"({"binary":{"_0":{"ident":{"_0":"a"}},"_1":"+","_2":{"ident":{}}}})", Kind::keyNotFound,
       "$.binary._2.ident._0"},
      {readError<IRStmt>, R"({"assign":{"_0":{"ident":{"_0":"x"}},"_2":{"ident":{"_0":"y"}}}})", Kind::keyNotFound,
       "$.assign.op"},
      {readError<IRStmt>, R"({"ifStmt":{"conds":[],"then":null}})", Kind::valueNotFound, "$.ifStmt.then"},
      {readError<IRPattern>, R"({"enumCase":{"_0":"some","bindings":[1]}})", Kind::typeMismatch,
       "$.enumCase.bindings[0]"},
      {readError<IRPattern>, R"({"enumCase":{"_0":"some"}})", Kind::keyNotFound, "$.enumCase.bindings"},
      {readError<IRExpr>, R"({"call":{"_0":{"selfRef":{}},"_1":[{"label":3,"value":{"nilLit":{}}}],"trailing":[]}})",
       Kind::typeMismatch, "$.call._1[0].label"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const auto error = c.read(c.input);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, c.kind);
    EXPECT_EQ(error->path, c.path);
    if (!c.message.empty()) {
      EXPECT_EQ(error->message, c.message);
    }
  }
}

// A chain of `depth` prefix operations around one identifier, as JSON text.
std::string prefixChainJson(std::size_t depth) {
  std::string text;
  text.reserve(depth * 32);
  for (std::size_t i = 0; i < depth; ++i) text += R"({"prefix":{"_0":"-","_1":)";
  text += X;
  for (std::size_t i = 0; i < depth; ++i) text += "}}";
  return text;
}

TEST(IRJson, DeepChainsRoundTripUpToTheLimitAndFailBeyondIt) {
  // A left-deep operator chain as long operator sequences fold into.
  IRExpr chain = ident("x");
  for (std::size_t i = 1; i < irJsonMaxDepth; ++i) chain = IRExpr::binary{std::move(chain), "+", intLit("1")};
  const auto text = encodeIRJson(chain);
  ASSERT_TRUE(text);
  auto read = decodeIRJson<IRExpr>(*text);
  ASSERT_TRUE(std::holds_alternative<IRExpr>(read));
  EXPECT_EQ(encodeIRJson(std::get<IRExpr>(read)), text);

  chain = IRExpr::binary{std::move(chain), "+", intLit("1")};
  EXPECT_EQ(encodeIRJson(chain), std::nullopt);

  EXPECT_TRUE(std::holds_alternative<IRExpr>(decodeIRJson<IRExpr>(prefixChainJson(irJsonMaxDepth - 1))));
  const auto error = readError<IRExpr>(prefixChainJson(irJsonMaxDepth));
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind, Kind::dataCorrupted);
  EXPECT_EQ(error->path.size(), std::string("$").size() + irJsonMaxDepth * std::string(".prefix._1").size());
}

TEST(IRJson, HostileNestingGivesAnErrorNotACrash) {
  const std::size_t depth = 200'000;
  EXPECT_EQ(readError<IRExpr>(prefixChainJson(depth))->kind, Kind::dataCorrupted);
  EXPECT_EQ(readError<IRModule>(std::string(depth, '[') + std::string(depth, ']'))->kind, Kind::typeMismatch);
  std::string nestedTypes;
  for (std::size_t i = 0; i < depth; ++i) nestedTypes += R"({"optional":{"_0":)";
  EXPECT_EQ(readError<IRType>(nestedTypes)->kind, Kind::dataCorrupted);  // truncated, not even JSON
}

}  // namespace
}  // namespace tovrane
