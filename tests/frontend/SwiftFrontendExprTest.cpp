// Expressions and closures: one row per expression kind, from a Swift
// snippet to the IR it lowers to (notation in LoweringNotation.hpp).
#include "tests/frontend/LoweringNotation.hpp"

#include <gtest/gtest.h>

#include <string_view>

namespace tovrane::test {
namespace {

void expectRows(std::initializer_list<LoweringCase> rows, bool folded = true) {
  for (const LoweringCase& row : rows) EXPECT_EQ(lowerExprNotation(row.swift, folded), row.ir) << row.swift;
}

TEST(SwiftFrontendExpr, NamesLiteralsAndStrings) {
  expectRows({
      {"x", R"~(ident("x"))~"},
      {"self", "selfRef"},
      {"Self", "selfRef"},
      {"f(a:b:)", R"~(ident("f"))~"},
      {"super.init()", R"~(call(member(ident("super"), "init"), [], trailing: []))~"},
      {"1_000", R"~(intLit("1000"))~"},
      {"0b1010", R"~(intLit("0b1010"))~"},
      {"0xFF", R"~(intLit("0xFF"))~"},
      {"2.5e-3", R"~(floatLit("2.5e-3"))~"},
      {"1_000.5", R"~(floatLit("1000.5"))~"},
      {"-1", R"~(prefix("-", intLit("1")))~"},
      {"true", "boolLit(true)"},
      {"false", "boolLit(false)"},
      {"nil", "nilLit"},
      {R"~("Hi \(user.name)!")~",
       R"~(stringLit([text("Hi "), interp(member(ident("user"), "name")), text("!")]))~"},
      {R"~("a\nb \"q\" \u{1F600}")~", R"~(stringLit([text("a\\nb \\\"q\\\" \\u{1F600}")]))~"},
      {R"~("\(a, b) \()")~", R"~(stringLit([interp(ident("a")), text(" ")]))~"},
      // In a raw string a backslash stands for itself, so it reaches the IR
      // escaped; «\#n» is the raw form of the line-feed escape.
      {R"~(#"raw \(x)"#)~", R"~(stringLit([text("raw \\\\(x)")]))~"},
      {R"~(#"\d+\#n"#)~", R"~(stringLit([text("\\\\d+\\n")]))~"},
      {R"~(#"raw \#(x)"#)~", R"~(stringLit([text("raw "), interp(ident("x"))]))~"},
      {R"~("")~", "stringLit([])"},
  });
}

TEST(SwiftFrontendExpr, MultiLineStringKeepsEverySegment) {
  std::string ir = lowerExprNotation("\"\"\"\n  line \\(n)\n  next\n  \"\"\"");
  EXPECT_NE(ir.find(R"(interp(ident("n")))"), std::string::npos) << ir;
  EXPECT_EQ(ir.rfind("stringLit([text(", 0), 0u) << ir;
}

TEST(SwiftFrontendExpr, MembersCallsAndSubscripts) {
  expectRows({
      {"self.name", R"~(member(selfRef, "name"))~"},
      {"Self.shared", R"~(member(selfRef, "shared"))~"},
      {".red", R"~(member(nil, "red"))~"},
      {"t.0", R"~(member(ident("t"), "0"))~"},
      {"a.f(x:)", R"~(member(ident("a"), "f"))~"},
      {"Color.red.opacity(0.5)",
       R"~(call(member(member(ident("Color"), "red"), "opacity"), [{value: floatLit("0.5")}], trailing: []))~"},
      {"a?.b", R"~(member(postfix(ident("a"), "?"), "b"))~"},
      {"a!.b", R"~(member(postfix(ident("a"), "!"), "b"))~"},
      {R"~(Button("OK") { save() })~",
       R"~(call(ident("Button"), [{value: stringLit([text("OK")])}], trailing: [{value: closure({params: [], body: [expr(call(ident("save"), [], trailing: []))]})}]))~"},
      {R"~(Button { a() } label: { Text("x") })~",
       R"~(call(ident("Button"), [], trailing: [{value: closure({params: [], body: [expr(call(ident("a"), [], trailing: []))]})}, {label: "label", value: closure({params: [], body: [expr(call(ident("Text"), [{value: stringLit([text("x")])}], trailing: []))]})}]))~"},
      {"items[0]", R"~(subscriptExpr(ident("items"), [{value: intLit("0")}]))~"},
      {R"~(d["k", default: 0])~",
       R"~(subscriptExpr(ident("d"), [{value: stringLit([text("k")])}, {label: "default", value: intLit("0")}]))~"},
      {"m[k] { 1 }", R"~(subscriptExpr(ident("m"), [{value: ident("k")}]))~"},
      {"Foo<Int>(x)", R"~(call(ident("Foo"), [{value: ident("x")}], trailing: []))~"},
      {"xs[2...]", R"~(subscriptExpr(ident("xs"), [{value: range(intLit("2"), "...")}]))~"},
  });
}

TEST(SwiftFrontendExpr, OperatorsCastsAndEffects) {
  expectRows({
      {"a + b * c", R"~(binary(ident("a"), "+", binary(ident("b"), "*", ident("c"))))~"},
      {"a == b", R"~(binary(ident("a"), "==", ident("b")))~"},
      {"x += 1", R"~(binary(ident("x"), "+=", intLit("1")))~"},
      {"0..<n", R"~(range(intLit("0"), "..<", ident("n")))~"},
      {"1...5", R"~(range(intLit("1"), "...", intLit("5")))~"},
      {"...5", R"~(range(nil, "...", intLit("5")))~"},
      {"..<5", R"~(range(nil, "..<", intLit("5")))~"},
      {"!done", R"~(prefix("!", ident("done")))~"},
      {"c ? a : b", R"~(ternary(ident("c"), ident("a"), ident("b")))~"},
      {"x as? Int", R"~(cast(ident("x"), "as?", named("Int", [])))~"},
      {"x as! Int", R"~(cast(ident("x"), "as!", named("Int", [])))~"},
      {"x as Double", R"~(cast(ident("x"), "as", named("Double", [])))~"},
      {"x is String", R"~(cast(ident("x"), "is", named("String", [])))~"},
      {"try? load()", R"~(tryExpr(call(ident("load"), [], trailing: []), "try?"))~"},
      {"try load()", R"~(tryExpr(call(ident("load"), [], trailing: []), "try"))~"},
      {"try! load()", R"~(tryExpr(call(ident("load"), [], trailing: []), "try!"))~"},
      {"await fetch()", R"~(awaitExpr(call(ident("fetch"), [], trailing: [])))~"},
      {"try await a + b",
       R"~(tryExpr(awaitExpr(binary(ident("a"), "+", ident("b"))), "try"))~"},
      {"f(x = 1)", R"~(call(ident("f"), [{value: binary(ident("x"), "=", intLit("1"))}], trailing: []))~"},
  });
}

TEST(SwiftFrontendExpr, CollectionsAndTuples) {
  expectRows({
      {"[1, 2]", R"~(arrayLit([intLit("1"), intLit("2")]))~"},
      {"[]", "arrayLit([])"},
      {R"~(["a": 1, "b": 2])~",
       R"~(dictLit([{key: stringLit([text("a")]), value: intLit("1")}, {key: stringLit([text("b")]), value: intLit("2")}]))~"},
      {"[:]", "dictLit([])"},
      {"(x)", R"~(ident("x"))~"},
      {"(x: 1)", R"~(tuple([{label: "x", value: intLit("1")}]))~"},
      {"()", "tuple([])"},
      {"(a, b)", R"~(tuple([{value: ident("a")}, {value: ident("b")}]))~"},
  });
}

TEST(SwiftFrontendExpr, KeyPathsMacrosAndTypes) {
  expectRows({
      {R"~(\.name)~", R"~(closure({params: ["$0"], body: [ret(member(ident("$0"), "name"))]}))~"},
      {R"~(\.self)~", R"~(closure({params: ["$0"], body: [ret(member(ident("$0"), "self"))]}))~"},
      {R"~(\Item.owner?.name)~",
       R"~(closure({params: ["$0"], body: [ret(member(postfix(member(ident("$0"), "owner"), "?"), "name"))]}))~"},
      {R"~(\Item.owner!.name)~",
       R"~(closure({params: ["$0"], body: [ret(member(postfix(member(ident("$0"), "owner"), "?"), "name"))]}))~"},
      {R"~(\.items[0])~", R"~(unsupported("\\.items[0]"))~"},
      {"#Predicate<Item> { $0.isDone }",
       R"~(closure({params: ["$0"], body: [expr(member(ident("$0"), "isDone"))]}))~"},
      {"#selector(tap)", R"~(unsupported("#selector(tap)"))~"},
      {"#file", R"~(unsupported("#file"))~"},
      {"#Predicate<Item>(x)", R"~(unsupported("#Predicate<Item>(x)"))~"},
      {"[Int].self", R"~(member(arrayLit([ident("Int")]), "self"))~"},
      {"_ = 1", R"~(binary(ident("_"), "=", intLit("1")))~"},
  });
}

TEST(SwiftFrontendExpr, ConstructsWithoutIRFormKeepTheirText) {
  expectRows({
      {"swap(&a, &b)",
       R"~(call(ident("swap"), [{value: unsupported("&a")}, {value: unsupported("&b")}], trailing: []))~"},
      {"consume x", R"~(unsupported("consume x"))~"},
      {"copy x", R"~(unsupported("copy x"))~"},
      {"<#value#>", R"~(unsupported("<#value#>"))~"},
      {"a -> b", R"~(unsupported("a -> b"))~"},
      // An #if in a member chain that the pre-pass left in place; the chain goes on after it.
      {"x\n#if DEBUG\n.a()\n#endif\n.b", R"~(member(unsupported("x\n#if DEBUG\n.a()\n#endif"), "b"))~"},
  });
}

TEST(SwiftFrontendExpr, IfAndSwitchAsValues) {
  expectRows({
      {"if c { 1 } else { 2 }",
       R"~(ifExpr(ifStmt(conds: [bool(ident("c"))], then: [expr(intLit("1"))], els: [expr(intLit("2"))])))~"},
  });
  EXPECT_EQ(lowerBodyNotation("let v = switch k { case .a: 1\ndefault: 2 }"),
            R"~(local(name: "v", type: inferred, isLet: true, value: ifExpr(switchStmt(ident("k"), [{patterns: [enumCase("a", bindings: [])], body: [expr(intLit("1"))]}, {patterns: [], body: [expr(intLit("2"))]}]))))~");
}

// Without a successful fold, every operator sequence stays flat and has no
// IR form, wherever it stands.
TEST(SwiftFrontendExpr, UnfoldedFileKeepsOperatorSequencesAsText) {
  expectRows(
      {
          {"a + b", R"~(unsupported("a + b"))~"},
          {"f(a + b, c)", R"~(call(ident("f"), [{value: unsupported("a + b")}, {value: ident("c")}], trailing: []))~"},
          {"c ? a : b", R"~(unsupported("c ? a : b"))~"},
          {"x as? Int", R"~(unsupported("x as? Int"))~"},
          {"0..<n", R"~(unsupported("0..<n"))~"},
          {"-1", R"~(prefix("-", intLit("1")))~"},
      },
      false);
}

TEST(SwiftFrontendExpr, ClosureParameters) {
  expectRows({
      {"{ $1 }", R"~(closure({params: ["$0", "$1"], body: [expr(ident("$1"))]}))~"},
      {"{ $0 }", R"~(closure({params: ["$0"], body: [expr(ident("$0"))]}))~"},
      {"{ $2 + 1 }", R"~(closure({params: ["$0", "$1", "$2"], body: [expr(binary(ident("$2"), "+", intLit("1")))]}))~"},
      // A nested closure's `$n` belongs to that closure, not to the outer one.
      {"{ items.map { $0 * 2 } }",
       R"~(closure({params: [], body: [expr(call(member(ident("items"), "map"), [], trailing: [{value: closure({params: ["$0"], body: [expr(binary(ident("$0"), "*", intLit("2")))]})}]))]}))~"},
      {"{ f($0) { $1 }; g($0) }",
       R"~(closure({params: ["$0"], body: [expr(call(ident("f"), [{value: ident("$0")}], trailing: [{value: closure({params: ["$0", "$1"], body: [expr(ident("$1"))]})}])), expr(call(ident("g"), [{value: ident("$0")}], trailing: []))]}))~"},
      {"{ x, y in x + y }", R"~(closure({params: ["x", "y"], body: [expr(binary(ident("x"), "+", ident("y")))]}))~"},
      {"{ (_, v) in v }", R"~(closure({params: ["_", "v"], body: [expr(ident("v"))]}))~"},
      {"{ (a: Int, b c: String) -> Int in 1 }",
       R"~(closure({params: ["a", "c"], body: [expr(intLit("1"))]}))~"},
      {"{ [weak self] in self?.run() }",
       R"~(closure({params: [], body: [expr(call(member(postfix(selfRef, "?"), "run"), [], trailing: []))]}))~"},
      {"{ () in $0 }", R"~(closure({params: ["$0"], body: [expr(ident("$0"))]}))~"},
      {"{ print($name) }",
       R"~(closure({params: [], body: [expr(call(ident("print"), [{value: ident("$name")}], trailing: []))]}))~"},
      {"{ x = 1 }", R"~(closure({params: [], body: [assign(ident("x"), op: "=", intLit("1"))]}))~"},
      {"{ }", "closure({params: [], body: []})"},
  });
}

// A reference far beyond any real closure is not taken as a parameter
// count, so the lowering cannot be made to produce millions of names.
TEST(SwiftFrontendExpr, AbsurdAnonymousIndexIsIgnored) {
  EXPECT_EQ(lowerExprNotation("{ $1 + $99999999999999999999 }"),
            R"~(closure({params: ["$0", "$1"], body: [expr(binary(ident("$1"), "+", ident("$99999999999999999999")))]}))~");
}

}  // namespace
}  // namespace tovrane::test
