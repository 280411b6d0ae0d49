// Statements, conditions and patterns: Swift statements lowered as a body,
// one line of IR per statement (notation in LoweringNotation.hpp).
#include "tests/frontend/LoweringNotation.hpp"

#include "core/frontend/SwiftFrontend.hpp"

#include <gtest/gtest.h>

#include <string_view>

namespace tovrane::test {
namespace {

void expectRows(std::initializer_list<LoweringCase> rows, bool folded = true) {
  for (const LoweringCase& row : rows) EXPECT_EQ(lowerBodyNotation(row.swift, folded), row.ir) << row.swift;
}

TEST(SwiftFrontendStmt, LocalVariables) {
  expectRows({
      {"", ""},
      {"let a = 1, b: String",
       "local(name: \"a\", type: inferred, isLet: true, value: intLit(\"1\"))\n"
       "local(name: \"b\", type: named(\"String\", []), isLet: true)"},
      {"var c", R"~(local(name: "c", type: named("Any", []), isLet: false))~"},
      {"lazy var d: Int = 2", R"~(local(name: "d", type: named("Int", []), isLet: false, value: intLit("2")))~"},
      {"weak var e: T?", R"~(local(name: "e", type: optional(named("T", [])), isLet: false))~"},
      {"var f: Int { 3 }", R"~(local(name: "f", type: named("Int", []), isLet: false))~"},
      {"var g = 0 { willSet { print(1) } }", R"~(local(name: "g", type: inferred, isLet: false, value: intLit("0")))~"},
      {"let (x, _) = pair", R"~(destructure(names: ["x", "_"], value: ident("pair")))~"},
      {"let (x, (y, z)): (Int, (Int, Int)) = t", R"~(destructure(names: ["x", "_"], value: ident("t")))~"},
      {"let (x, y): (Int, Int)", R"~(unsupported("let (x, y): (Int, Int)"))~"},
      {"let _ = load()", R"~(unsupported("let _ = load()"))~"},
      {"let _ = a, _ = b", "unsupported(\"let _ = a, _ = b\")\nunsupported(\"let _ = a, _ = b\")"},
  });
}

TEST(SwiftFrontendStmt, LocalDeclarations) {
  std::string ir = lowerBodyNotation("func helper() { }\nstruct Local { }\ntypealias N = Int\n#warning(\"x\")");
  std::vector<std::string> lines;
  for (std::string_view rest = ir; !rest.empty();) {
    std::size_t end = rest.find('\n');
    lines.emplace_back(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  ASSERT_EQ(lines.size(), 4u) << ir;
  EXPECT_EQ(lines[0].rfind("localFunc(", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find("\"helper\""), std::string::npos) << lines[0];
  EXPECT_EQ(lines[1].rfind("localType(", 0), 0u) << lines[1];
  EXPECT_NE(lines[1].find("\"Local\""), std::string::npos) << lines[1];
  EXPECT_EQ(lines[2], R"~(unsupported("typealias N = Int"))~");
  // A freestanding macro in a body is an expression item of the parser.
  EXPECT_EQ(lines[3], R"~(expr(unsupported("#warning(\"x\")")))~");
}

TEST(SwiftFrontendStmt, Assignments) {
  expectRows({
      {"x = 1", R"~(assign(ident("x"), op: "=", intLit("1")))~"},
      {"count += 1", R"~(assign(ident("count"), op: "+=", intLit("1")))~"},
      {"a.b -= 2", R"~(assign(member(ident("a"), "b"), op: "-=", intLit("2")))~"},
      {"a *= 2\na /= 2\na %= 2",
       "assign(ident(\"a\"), op: \"*=\", intLit(\"2\"))\nassign(ident(\"a\"), op: \"/=\", intLit(\"2\"))\n"
       "assign(ident(\"a\"), op: \"%=\", intLit(\"2\"))"},
      {"mask |= 4", R"~(expr(binary(ident("mask"), "|=", intLit("4"))))~"},
      {"mask <<= 1", R"~(expr(binary(ident("mask"), "<<=", intLit("1"))))~"},
      {"_ = try? f()", R"~(assign(ident("_"), op: "=", tryExpr(call(ident("f"), [], trailing: []), "try?")))~"},
      {"a == b", R"~(expr(binary(ident("a"), "==", ident("b"))))~"},
  });
}

TEST(SwiftFrontendStmt, UnfoldedFileHasNoAssignments) {
  expectRows({{"x = 1", R"~(expr(unsupported("x = 1")))~"},
              {"count += 1", R"~(expr(unsupported("count += 1")))~"},
              {"f()", R"~(expr(call(ident("f"), [], trailing: [])))~"}},
             false);
}

// An operator the standard table does not know stops folding; the whole
// file, this body included, is then lowered from the flat sequences.
TEST(SwiftFrontendStmt, FileWhoseFoldingFailsKeepsBodiesUnfolded) {
  IRFile file = SwiftFrontend().parse("func f() {\n  x = 1\n  let y = a <~> b\n  g(c)\n}\n", "F.swift");
  ASSERT_EQ(file.decls.size(), 1u);
  const auto* function = file.decls[0].as<IRDecl::function>();
  ASSERT_NE(function, nullptr);
  ASSERT_TRUE(function->decl->body);
  std::string lines;
  for (const IRStmt& stmt : *function->decl->body) lines += notation(stmt) + "\n";
  EXPECT_EQ(lines,
            "expr(unsupported(\"x = 1\"))\n"
            "local(name: \"y\", type: inferred, isLet: true, value: unsupported(\"a <~> b\"))\n"
            "expr(call(ident(\"g\"), [{value: ident(\"c\")}], trailing: []))\n");
}

TEST(SwiftFrontendStmt, IfAndGuard) {
  expectRows({
      {"if let user { a() } else if x > 1 { b() } else { c() }",
       R"~(ifStmt(conds: [optionalBinding(name: "user", value: ident("user"))], then: [expr(call(ident("a"), [], trailing: []))], els: [ifStmt(conds: [bool(binary(ident("x"), ">", intLit("1")))], then: [expr(call(ident("b"), [], trailing: []))], els: [expr(call(ident("c"), [], trailing: []))])]))~"},
      {"if a, var b = c, case .some(let d) = e { }",
       R"~(ifStmt(conds: [bool(ident("a")), optionalBinding(name: "b", value: ident("c")), casePattern(enumCase("some", bindings: ["d"]), ident("e"))], then: []))~"},
      {"if let x: Int = y { }", R"~(ifStmt(conds: [optionalBinding(name: "x", value: ident("y"))], then: []))~"},
      {"guard let url = URL(string: s) else { return nil }",
       R"~(guardStmt(conds: [optionalBinding(name: "url", value: call(ident("URL"), [{label: "string", value: ident("s")}], trailing: []))], els: [ret(nilLit)]))~"},
      {"if #available(iOS 17, *) { }", R"~(ifStmt(conds: [bool(unsupported("#available(iOS 17, *)"))], then: []))~"},
      {"if #available(iOS 17, *), ready { }",
       R"~(ifStmt(conds: [bool(unsupported("#available(iOS 17, *),")), bool(ident("ready"))], then: []))~"},
      {"if #unavailable(iOS 17) { }", R"~(ifStmt(conds: [bool(unsupported("#unavailable(iOS 17)"))], then: []))~"},
      {"if case let n? = opt { }",
       R"~(ifStmt(conds: [casePattern(expr(postfix(ident("n"), "?")), ident("opt"))], then: []))~"},
  });
}

TEST(SwiftFrontendStmt, Loops) {
  expectRows({
      {"for (i, item) in items.enumerated() where i > 0 { use(item) }",
       R"~(forIn(name: "(i,item)", seq: call(member(ident("items"), "enumerated"), [], trailing: []), body: [ifStmt(conds: [bool(binary(ident("i"), ">", intLit("0")))], then: [expr(call(ident("use"), [{value: ident("item")}], trailing: []))])]))~"},
      {"for _ in 0..<3 { }", R"~(forIn(name: "unused", seq: range(intLit("0"), "..<", intLit("3")), body: []))~"},
      {"for (key, value) in d { }", R"~(forIn(name: "(key,value)", seq: ident("d"), body: []))~"},
      {"for x: Int in xs { }", R"~(forIn(name: "x", seq: ident("xs"), body: []))~"},
      {"for case let x? in xs { }", R"~(forIn(name: "let x?", seq: ident("xs"), body: []))~"},
      {"for try await line in lines { }", R"~(forIn(name: "line", seq: ident("lines"), body: []))~"},
      {"while let next = it.next(), ok { }",
       R"~(whileLoop(conds: [optionalBinding(name: "next", value: call(member(ident("it"), "next"), [], trailing: [])), bool(ident("ok"))], body: []))~"},
      {"repeat { n -= 1 } while n > 0",
       R"~(repeatWhile(body: [assign(ident("n"), op: "-=", intLit("1"))], cond: binary(ident("n"), ">", intLit("0"))))~"},
      {"for x in xs { break outer\ncontinue outer\nbreak\ncontinue }",
       R"~(forIn(name: "x", seq: ident("xs"), body: [breakStmt, continueStmt, breakStmt, continueStmt]))~"},
      {"outer: for x in xs { break outer }", R"~(unsupported("outer: for x in xs { break outer }"))~"},
  });
}

TEST(SwiftFrontendStmt, JumpsAndErrors) {
  expectRows({
      {"return", "ret"},
      {"return x", R"~(ret(ident("x")))~"},
      {"throw E.bad", R"~(throwStmt(member(ident("E"), "bad")))~"},
      {"defer { close() }", R"~(defer_([expr(call(ident("close"), [], trailing: []))]))~"},
      {"do { try f() } catch let e as MyError { a() } catch { b() }",
       R"~(doCatch(body: [expr(tryExpr(call(ident("f"), [], trailing: []), "try"))], catchBody: [expr(call(ident("a"), [], trailing: []))]))~"},
      {"do { f() }", R"~(doCatch(body: [expr(call(ident("f"), [], trailing: []))]))~"},
      {"do throws(E) { f() } catch { }", R"~(doCatch(body: [expr(call(ident("f"), [], trailing: []))], catchBody: []))~"},
      {"switch x { case 1: fallthrough\ndefault: break }",
       R"~(switchStmt(ident("x"), [{patterns: [expr(intLit("1"))], body: [unsupported("fallthrough")]}, {patterns: [], body: [breakStmt]}]))~"},
  });
}

TEST(SwiftFrontendStmt, SwitchCasesAndPatterns) {
  expectRows({
      {"switch s { case .a, .b: f() case .c(let v) where v > 0: g(v) case let .d(x, _): h(x) @unknown default: break }",
       R"~(switchStmt(ident("s"), [{patterns: [enumCase("a", bindings: []), enumCase("b", bindings: [])], body: [expr(call(ident("f"), [], trailing: []))]}, {patterns: [guarded(enumCase("c", bindings: ["v"]), where: binary(ident("v"), ">", intLit("0")))], body: [expr(call(ident("g"), [{value: ident("v")}], trailing: []))]}, {patterns: [enumCase("d", bindings: ["x", null])], body: [expr(call(ident("h"), [{value: ident("x")}], trailing: []))]}, {patterns: [], body: [breakStmt]}]))~"},
      {"switch n { case 1...5: a() case let n: b(n) case is String: c() case _: d() }",
       R"~(switchStmt(ident("n"), [{patterns: [expr(range(intLit("1"), "...", intLit("5")))], body: [expr(call(ident("a"), [], trailing: []))]}, {patterns: [binding("n")], body: [expr(call(ident("b"), [{value: ident("n")}], trailing: []))]}, {patterns: [wildcard], body: [expr(call(ident("c"), [], trailing: []))]}, {patterns: [wildcard], body: [expr(call(ident("d"), [], trailing: []))]}]))~"},
      {"switch r { case .success(let (a, b)): x() case Result.failure(var e): y() case .c(label: 1, .none, z): w() }",
       R"~(switchStmt(ident("r"), [{patterns: [enumCase("success", bindings: ["(a, b)"])], body: [expr(call(ident("x"), [], trailing: []))]}, {patterns: [enumCase("failure", bindings: ["e"])], body: [expr(call(ident("y"), [], trailing: []))]}, {patterns: [enumCase("c", bindings: ["1", ".none", "z"])], body: [expr(call(ident("w"), [], trailing: []))]}]))~"},
      {"switch p { case (let a, 1): x() case Kind.plain: y() case name: z() }",
       R"~(switchStmt(ident("p"), [{patterns: [expr(tuple([{value: ident("let a")}, {value: intLit("1")}]))], body: [expr(call(ident("x"), [], trailing: []))]}, {patterns: [expr(member(ident("Kind"), "plain"))], body: [expr(call(ident("y"), [], trailing: []))]}, {patterns: [expr(ident("name"))], body: [expr(call(ident("z"), [], trailing: []))]}]))~"},
      // A binding with its condition, and a condition on every item of its own.
      {"switch n { case let x where x > 5, 0: a(x) case var y: b(y) }",
       R"~(switchStmt(ident("n"), [{patterns: [guarded(binding("x"), where: binary(ident("x"), ">", intLit("5"))), expr(intLit("0"))], body: [expr(call(ident("a"), [{value: ident("x")}], trailing: []))]}, {patterns: [binding("y")], body: [expr(call(ident("b"), [{value: ident("y")}], trailing: []))]}]))~"},
      {"if case let v = f() { g(v) }",
       R"~(ifStmt(conds: [casePattern(binding("v"), call(ident("f"), [], trailing: []))], then: [expr(call(ident("g"), [{value: ident("v")}], trailing: []))]))~"},
      {"switch k {\ncase .a: f()\n#if DEBUG\ncase .b: g()\n#endif\ndefault: break\n}",
       R"~(switchStmt(ident("k"), [{patterns: [enumCase("a", bindings: [])], body: [expr(call(ident("f"), [], trailing: []))]}, {patterns: [], body: [breakStmt]}]))~"},
  });
}

}  // namespace
}  // namespace tovrane::test
