// Parser: the disambiguations Swift makes, the node shapes the frontend
// reads, and the design decisions of core/swift/README.md pinned by example. Every parse is also run
// through the verifier (round trip, node table, source order).
#include <gtest/gtest.h>

#include "core/swift/SwiftSyntax.hpp"
#include "tests/swift/SwiftVerifier.hpp"

namespace tovrane::swift {
namespace {

using testing::countErrors;
using testing::findFirst;

SyntaxTree checkedParse(std::string_view source, bool expectClean = true) {
  SyntaxTree tree = parse(source);
  std::string problems = testing::verify(tree);
  EXPECT_EQ(problems, "") << source;
  if (expectClean) {
    testing::ErrorCounts errors = countErrors(tree);
    EXPECT_EQ(errors.missingTokens, 0) << source << "\n" << tree.dump();
    EXPECT_EQ(errors.unexpectedNodes, 0) << source << "\n" << tree.dump();
  }
  return tree;
}

std::vector<NodeId> items(const SyntaxTree& tree) {
  std::vector<NodeId> out;
  for (NodeId item : tree.elements(tree.node(tree.root(), SourceFile::statements)))
    out.push_back(tree.node(item, CodeBlockItem::item));
  return out;
}

// "kind K appears first with src S" (S empty: K must not appear).
struct ShapeCase {
  const char* source;
  SyntaxKind kind;
  const char* src;
};

TEST(SwiftParser, Disambiguations) {
  using K = SyntaxKind;
  const ShapeCase cases[] = {
      // Generic arguments versus less-than.
      {"Foo<Int>(x)", K::genericSpecializationExpr, "Foo<Int>"},
      {"let s = Set<Set<Int>>()", K::genericSpecializationExpr, "Set<Set<Int>>"},
      {"a < b", K::genericSpecializationExpr, ""},
      {"if a<b, c>d { }", K::genericSpecializationExpr, ""},
      {"let x: Set<String>? = nil", K::optionalType, "Set<String>?"},
      {"let b: Binding<Optional<Int>>", K::genericArgumentClause, "<Optional<Int>>"},
      {"#Predicate<Item> { $0.isDone }", K::genericArgumentClause, "<Item>"},
      // Trailing closures versus bodies.
      {"if flag { run() }", K::functionCallExpr, "run()"},
      {"if xs.contains { $0 > 1 } { run() }", K::functionCallExpr, "xs.contains { $0 > 1 }"},
      {"for x in xs { }", K::closureExpr, ""},
      {"switch value { case 1: break\n default: break }", K::functionCallExpr, ""},
      {"Button(\"OK\") { save() }", K::functionCallExpr, "Button(\"OK\") { save() }"},
      {"VStack {\n  Text(\"a\")\n}", K::functionCallExpr, "VStack {\n  Text(\"a\")\n}"},
      {"Button { a() } label: { Text(\"x\") }", K::multipleTrailingClosureElement, "label: { Text(\"x\") }"},
      {"foo()\n{ x }", K::closureExpr, "{ x }"},
      // Leading "." continues a chain, "(" and "[" start a new expression.
      {"Text(\"x\")\n    .font(.title)\n    .padding()", K::codeBlockItemList, "Text(\"x\")\n    .font(.title)\n    .padding()"},
      {"foo()\n(a, b)", K::tupleExpr, "(a, b)"},
      {"foo()\n[1, 2]", K::arrayExpr, "[1, 2]"},
      {"items.sink { _ in }.store(in: &bag)", K::inOutExpr, "&bag"},
      // Postfix ? and ! versus ternary and !=.
      {"a?.b?.c()", K::optionalChainingExpr, "a?.b?"},
      {"a ? b : c", K::unresolvedTernaryExpr, "? b :"},
      {"x! != y", K::forceUnwrapExpr, "x!"},
      {"let v = -3", K::prefixOperatorExpr, "-3"},
      {"xs[2...]", K::postfixOperatorExpr, "2..."},
      {"swap(&a, &b)", K::inOutExpr, "&a"},
      {"a & b", K::inOutExpr, ""},
      // Regex literals only where an operand is expected.
      {"let r = /ab+c/", K::regexLiteralExpr, "/ab+c/"},
      {"let q = a / b / c", K::regexLiteralExpr, ""},
      {"let w = position.x / `in`.width", K::regexLiteralExpr, ""},
      // Property brace forms.
      {"var x: Int { get set }", K::accessorDecl, "get"},
      {"var v: Int = 0 { didSet { save() } }", K::accessorDecl, "didSet { save() }"},
      {"var total: Int { items.count }", K::accessorDecl, ""},
      {"var v: Int { get { a } set(nv) { a = nv } }", K::accessorParameters, "(nv)"},
      {"var body: some View { Text(\"\") }", K::someOrAnyType, "some View"},
      // Enum case parameters: a name only when ":" follows.
      {"enum E { case a(Int, String) }", K::enumCaseParameter, "Int,"},
      {"enum E { case move(to: Point) }", K::enumCaseParameter, "to: Point"},
      {"enum E { case tap(_ point: Point) }", K::enumCaseParameter, "_ point: Point"},
      // Closure signatures.
      {"f { a, b in a }", K::closureShorthandParameterList, "a, b"},
      {"f { $0 }", K::closureSignature, ""},
      {"f { [weak self] value in }", K::closureCaptureClause, "[weak self]"},
      {"f { (a: Int, b: Int) -> Int in a }", K::closureParameterClause, "(a: Int, b: Int)"},
      {"f { @MainActor in run() }", K::closureSignature, "@MainActor in"},
      {"ForEach($items) { $item in }", K::closureShorthandParameter, "$item"},
      // Labels, compound names, contextual keywords.
      {"outer: for x in xs { break outer }", K::labeledStmt, "outer: for x in xs { break outer }"},
      {"#selector(update(_:))", K::declNameArguments, "(_:)"},
      {"f(a: b)", K::declNameArguments, ""},
      {"var set = Set<Int>()", K::identifierPattern, "set"},
      {"let actor = makeActor()", K::actorDecl, ""},
      {"func get() {}", K::functionDecl, "func get() {}"},
      {"static func < (lhs: A, rhs: A) -> Bool { true }", K::functionDecl, "static func < (lhs: A, rhs: A) -> Bool { true }"},
      {"acc.last?.0 + item.1.value", K::memberAccessExpr, "acc.last?.0"},
      {"f(in: rect, for: x, default: 0)", K::labeledExpr, "in: rect,"},
      {"let t = (x: 1, 2)", K::tupleExpr, "(x: 1, 2)"},
      // Types in expression position.
      {"JSONDecoder().decode([Item].self, from: data)", K::arrayExpr, "[Item]"},
      {"let d = [String: Int]()", K::dictionaryExpr, "[String: Int]"},
      {"let e = [:]", K::dictionaryExpr, "[:]"},
      {"let grid = [[0, 1], [2, 3]]", K::arrayElement, "[0, 1],"},
      // Key paths: the root ends at the first period.
      {"\\Foo.Bar.baz", K::identifierType, "Foo"},
      {"\\Item.owner?.name", K::keyPathOptionalComponent, "?"},
      {"\\.items[0]", K::keyPathSubscriptComponent, "[0]"},
      {"xs.map(\\.name)", K::keyPathPropertyComponent, "name"},
      // Types.
      {"func f(_ x: Int, label y: inout [String] = [], z: Int...)", K::attributedType, "inout [String]"},
      {"let f: (Int) async throws -> some View", K::functionType, "(Int) async throws -> some View"},
      {"let a: any P & Q", K::compositionType, "P & Q"},
      {"let m: T.Type", K::metatypeType, "T.Type"},
      {"let i: [3 of Int]", K::inlineArrayType, "[3 of Int]"},
      {"struct S: ~Copyable {}", K::suppressedType, "~Copyable"},
      {"final class C: @unchecked Sendable {}", K::attributedType, "@unchecked Sendable"},
      {"extension Label where Title == Text, Icon == Image {}", K::sameTypeRequirement, "Title == Text"},
      {"func decode<T: Decodable>(_ type: T.Type) throws(E) -> T", K::throwsClause, "throws(E)"},
      // Statements.
      {"let f = DateFormatter(); f.dateStyle = .medium", K::codeBlockItem, "let f = DateFormatter();"},
      {"guard let self else { return }", K::optionalBindingCondition, "let self"},
      {"if #available(iOS 17, *), ok { }", K::conditionElement, "#available(iOS 17, *),"},
      {"for case let x? in xs { }", K::forStmt, "for case let x? in xs { }"},
      {"for try await line in url.lines { }", K::forStmt, "for try await line in url.lines { }"},
      {"repeat { x += 1 } while x < 3", K::repeatStmt, "repeat { x += 1 } while x < 3"},
      {"do { try f() } catch let e as MyError { a() } catch { b() }", K::catchClause, "catch let e as MyError { a() }"},
      {"func f() -> Int {\n  return\n    42\n}", K::returnStmt, "return\n    42"},
      {"func f() {\n  return\n  @MainActor func g() {}\n}", K::returnStmt, "return"},
      {"let v = if c { 1 } else { 2 }", K::ifExpr, "if c { 1 } else { 2 }"},
      {"static let formatter: DateFormatter = { DateFormatter() }()", K::functionCallExpr, "{ DateFormatter() }()"},
      {"async let a = load()", K::variableDecl, "async let a = load()"},
      {"repeat print(each value)", K::packExpansionExpr, "repeat print(each value)"},
      {"let (a, b) = await (first, second)", K::awaitExpr, "await (first, second)"},
      // A line break right after a generic "<".
      {"func f<\n  T\n>(x: T) {}", K::genericParameterClause, "<\n  T\n>"},
      {"struct S<\n  T\n> {}", K::genericParameterClause, "<\n  T\n>"},
      {"typealias A = Dictionary<\n  Int, String\n>", K::genericArgumentClause, "<\n  Int, String\n>"},
      {"func f(k: KeyPath<\n  A, B\n>) {}", K::genericArgumentClause, "<\n  A, B\n>"},
      {"let d = Dictionary<\n  Int, String\n>()", K::genericSpecializationExpr, "Dictionary<\n  Int, String\n>"},
      // ">?>" and ">!>" close two clauses around an optional.
      {"var v: P<Optional<Int>?>", K::optionalType, "Optional<Int>?"},
      {"let x = P<Optional<Int>?>(nil)", K::genericSpecializationExpr, "P<Optional<Int>?>"},
      {"var w: P<Q<R<Int>>!>", K::implicitlyUnwrappedOptionalType, "Q<R<Int>>!"},
      // Operator functions: generic parameters; "==<" is split only before a name.
      {"func + <T>(l: T, r: T) -> T { l }", K::genericParameterClause, "<T>"},
      {"func ==<T: Equatable>(l: T, r: T) -> Bool { true }", K::genericParameterClause, "<T: Equatable>"},
      {"func <<(l: Int, r: Int) -> Int { l }", K::genericParameterClause, ""},
      // Operators that start with a dot; an operator passed as a value.
      {"let m = a .== b", K::binaryOperatorExpr, ".=="},
      {"infix operator .==", K::operatorDecl, "infix operator .=="},
      {"let s = a[...]", K::subscriptCallExpr, "a[...]"},
      // Types as values.
      {"let t = (any Error).self", K::typeExpr, "any Error"},
      {"let t = [any Error]()", K::typeExpr, "any Error"},
      {"f(any, b)", K::typeExpr, ""},
      {"let t = (@convention(c) (Int) -> Void).self", K::typeExpr, "@convention(c) (Int) -> Void"},
      {"let t = (() throws -> Int).self", K::arrowExpr, "throws ->"},
      {"let t = (() async throws(E) -> Int).self", K::typeEffectSpecifiers, "async throws(E)"},
      // Closure signatures with a generic result; a member named "in".
      {"g.map { x -> A<B> in x }", K::closureSignature, "x -> A<B> in"},
      {"g.map { x -> A<B, C> in x }", K::returnClause, "-> A<B, C>"},
      {"f { x.in(y) }", K::closureSignature, ""},
      {"f { x.in(y) }", K::memberAccessExpr, "x.in"},
      // Parameter packs.
      {"func f<each T>(_ t: repeat (each T).Type) {}", K::packExpansionType, "repeat (each T).Type"},
      {"func f<each T>(_ t: repeat each T) where repeat (each T).Q: P {}", K::conformanceRequirement, "repeat (each T).Q: P"},
      {"let t = (repeat (each x).q)", K::packExpansionExpr, "repeat (each x).q"},
      {"for x in repeat ((each V).self, each v) { }\nlet y = 1", K::forStmt, "for x in repeat ((each V).self, each v) { }"},
      // A one-line raw string holding a quote.
      {"let q = #\"\"\"#\nlet r = 1", K::stringSegment, "\""},
      // Accessors: borrow, mutate, their modifiers, attributes before them.
      {"subscript(i: Int) -> Int { @inline(__always) borrow { 0 } }", K::accessorDecl, "@inline(__always) borrow { 0 }"},
      {"var x: Int { @_lifetime(borrow self) borrowing get { 0 } }", K::accessorDecl, "@_lifetime(borrow self) borrowing get { 0 }"},
      {"protocol P { subscript(i: Int) -> Int { borrow mutate } }", K::accessorDecl, "borrow"},
      {"protocol P { var options: Int { get nonmutating set } }", K::declModifier, "nonmutating"},
  };
  for (const ShapeCase& c : cases) {
    SyntaxTree tree = checkedParse(c.source);
    NodeId found = findFirst(tree, c.kind);
    if (std::string_view(c.src).empty()) {
      EXPECT_FALSE(found) << c.source << ": unexpected " << syntaxKindName(c.kind) << "\n" << tree.dump();
    } else {
      ASSERT_TRUE(found) << c.source << ": no " << syntaxKindName(c.kind) << "\n" << tree.dump();
      EXPECT_EQ(tree.src(found), c.src) << c.source << "\n" << tree.dump();
    }
  }
}

TEST(SwiftParser, ItemKindsAtTopLevel) {
  struct Case {
    const char* source;
    SyntaxCategory category;
    const char* kindName;
  };
  const Case cases[] = {
      {"print(x)", SyntaxCategory::expr, "functionCallExpr"},
      {"if flag { run() }", SyntaxCategory::stmt, "expressionStmt"},
      {"x = 1", SyntaxCategory::expr, "sequenceExpr"},
      {"#Preview { ContentView() }", SyntaxCategory::expr, "macroExpansionExpr"},
      {"@available(*, deprecated) #warning(\"x\")", SyntaxCategory::decl, "macroExpansionDecl"},
      {"infix operator <> : AdditionPrecedence", SyntaxCategory::decl, "operatorDecl"},
      {"precedencegroup P { higherThan: AdditionPrecedence }", SyntaxCategory::decl, "precedenceGroupDecl"},
      {"macro m() = #externalMacro(module: \"M\", type: \"T\")", SyntaxCategory::decl, "macroDecl"},
      {"#sourceLocation(file: \"a.swift\", line: 1)", SyntaxCategory::decl, "poundSourceLocation"},
      {"using @MainActor", SyntaxCategory::decl, "usingDecl"},
      {"init() {}", SyntaxCategory::decl, "initializerDecl"},
      {"deinit {}", SyntaxCategory::decl, "deinitializerDecl"},
      {"subscript(i: Int) -> Int { i }", SyntaxCategory::decl, "subscriptDecl"},
      {"associatedtype T", SyntaxCategory::decl, "associatedTypeDecl"},
      {"@MainActor", SyntaxCategory::decl, "missingDecl"},
      {"case x", SyntaxCategory::decl, "enumCaseDecl"},
      {"#if DEBUG\nlet a = 1\n#endif", SyntaxCategory::decl, "ifConfigDecl"},
      {"#if DEBUG\n@State var x = 0\n#endif", SyntaxCategory::decl, "ifConfigDecl"},
      {"#if os(iOS)\n@available(iOS 17, *)\n#endif\n@MainActor struct V {}", SyntaxCategory::decl, "structDecl"},
      {"typealias Map = [String: Int]", SyntaxCategory::decl, "typeAliasDecl"},
      {"import struct Foo.Bar", SyntaxCategory::decl, "importDecl"},
      {"defer { a() }", SyntaxCategory::stmt, "deferStmt"},
      {"try save()", SyntaxCategory::expr, "tryExpr"},
      {"await load()", SyntaxCategory::expr, "awaitExpr"},
  };
  for (const Case& c : cases) {
    bool clean = std::string_view(c.kindName) != "missingDecl";
    SyntaxTree tree = checkedParse(c.source, clean);
    std::vector<NodeId> all = items(tree);
    ASSERT_EQ(all.size(), 1u) << c.source << "\n" << tree.dump();
    EXPECT_EQ(tree.kindName(all[0]), c.kindName) << c.source;
    EXPECT_EQ(tree.category(all[0]), c.category) << c.source;
  }
}

TEST(SwiftParser, SrcLeavesOutSurroundingTriviaAndSemicolon) {
  SyntaxTree tree = checkedParse("/// doc\n@State private var count = 0 ; // note\n");
  NodeId decl = items(tree)[0];
  EXPECT_EQ(tree.src(decl), "@State private var count = 0");
  EXPECT_EQ(tree.src(tree.root()), "@State private var count = 0 ;");
}

TEST(SwiftParser, CasePatternShapes) {
  SyntaxTree tree = checkedParse(
      "switch s { case .a, .b: f() case .c(let v) where v > 0: g(v) case let .d(x, _): h(x) "
      "case _: break case let n: n case is String: 1 case (let a, let b): 2 case 1...5: 3 @unknown default: break }");
  std::vector<std::string> shapes;
  NodeId switchExpr = findFirst(tree, SyntaxKind::switchExpr);
  for (NodeId switchCase : tree.elements(tree.node(switchExpr, SwitchExpr::cases))) {
    NodeId label = tree.node(switchCase, SwitchCase::label);
    if (!tree.is(label, SyntaxKind::switchCaseLabel)) {
      shapes.push_back(std::string(tree.kindName(label)));
      continue;
    }
    std::string line;
    for (NodeId item : tree.elements(tree.node(label, SwitchCaseLabel::caseItems))) {
      NodeId pattern = tree.node(item, SwitchCaseItem::pattern);
      line += std::string(tree.kindName(pattern));
      NodeId inner = tree.is(pattern, SyntaxKind::valueBindingPattern) ? tree.node(pattern, ValueBindingPattern::pattern)
                     : tree.is(pattern, SyntaxKind::expressionPattern) ? tree.node(pattern, ExpressionPattern::expression)
                                                                        : NodeId{};
      if (inner) line.append("(").append(tree.kindName(inner)).append(")");
      line += " ";
    }
    shapes.push_back(line);
  }
  EXPECT_EQ(shapes, (std::vector<std::string>{
                        "expressionPattern(memberAccessExpr) expressionPattern(memberAccessExpr) ",
                        "expressionPattern(functionCallExpr) ",
                        "valueBindingPattern(expressionPattern) ",
                        "wildcardPattern ",
                        "valueBindingPattern(identifierPattern) ",
                        "isTypePattern ",
                        "expressionPattern(tupleExpr) ",
                        "expressionPattern(sequenceExpr) ",
                        "switchDefaultLabel",
                    }));
  // «.c(let v)»: the binding is a patternExpr inside the call's arguments.
  NodeId patternExpr = findFirst(tree, SyntaxKind::patternExpr);
  ASSERT_TRUE(patternExpr);
  EXPECT_EQ(tree.src(patternExpr), "let v");
  EXPECT_TRUE(findFirst(tree, SyntaxKind::whereClause));
}

TEST(SwiftParser, StringLiteralSegments) {
  struct Case {
    const char* source;
    std::vector<std::string> segments;  // "text:…" or "interp:…"
  };
  const Case cases[] = {
      {"\"\"", {}},
      {"\"\\(x)\"", {"interp:x"}},
      {"\"Hi \\(user.name)!\"", {"text:Hi ", "interp:user.name", "text:!"}},
      {"\"a\\nb\"", {"text:a\\nb"}},
      {"\"$\\(e.amount, specifier: \"%.2f\")\"", {"text:$", "interp:e.amount"}},
      {"\"\\(kind == .car ? \"Drive\" : \"Walk\") \\(d(m: r.steps[i]))\"", {"interp:kind == .car ? \"Drive\" : \"Walk\"", "text: ", "interp:d(m: r.steps[i])"}},
      {"#\"C:\\dir \\#(x)\"#", {"text:C:\\dir ", "interp:x"}},
      {"\"\"\"\n  Hello \"you\"\n  bye\n\"\"\"", {"text:  Hello \"you\"\n", "text:  bye"}},
  };
  for (const Case& c : cases) {
    SyntaxTree tree = checkedParse(c.source);
    NodeId literal = findFirst(tree, SyntaxKind::stringLiteralExpr);
    ASSERT_TRUE(literal) << c.source;
    std::vector<std::string> segments;
    for (NodeId segment : tree.elements(tree.node(literal, StringLiteralExpr::segments))) {
      if (tree.is(segment, SyntaxKind::stringSegment)) {
        segments.push_back("text:" + std::string(tree.tokenText(segment, StringSegment::content)));
      } else {
        NodeId first = tree.elements(tree.node(segment, ExpressionSegment::expressions))[0];
        segments.push_back("interp:" + std::string(tree.src(tree.node(first, LabeledExpr::expression))));
      }
    }
    EXPECT_EQ(segments, c.segments) << c.source;
  }
}

TEST(SwiftParser, AttributeArguments) {
  struct Case {
    const char* source;
    bool hasArguments;
    const char* argumentsKind;
    const char* argumentsSrc;
  };
  const Case cases[] = {
      {"@State var x = 0", false, "", ""},
      {"@Foo() var x = 0", true, "labeledExprList", ""},
      {"@Environment(\\.dismiss) var dismiss", true, "labeledExprList", "\\.dismiss"},
      {"@Query(sort: \\Item.date) var items: [Item]", true, "labeledExprList", "sort: \\Item.date"},
      {"@Query(filter: #Predicate<Item> { $0.done }) var items: [Item]", true, "labeledExprList", "filter: #Predicate<Item> { $0.done }"},
      {"@available(iOS 17, *) func f() {}", true, "tokenList", "iOS 17, *"},
      {"@objc(doThing:) func f() {}", true, "tokenList", "doThing:"},
      {"@SwiftUI.State var x = 0", false, "", ""},
  };
  for (const Case& c : cases) {
    SyntaxTree tree = checkedParse(c.source);
    NodeId attribute = findFirst(tree, SyntaxKind::attribute);
    ASSERT_TRUE(attribute) << c.source;
    NodeId arguments = tree.node(attribute, Attribute::arguments);
    EXPECT_EQ(static_cast<bool>(arguments), c.hasArguments) << c.source;
    if (arguments) {
      EXPECT_EQ(tree.kindName(arguments), c.argumentsKind) << c.source;
      EXPECT_EQ(tree.src(arguments), c.argumentsSrc) << c.source;
    }
  }
  SyntaxTree tree = checkedParse("@SwiftUI.State var x = 0");
  EXPECT_EQ(tree.src(tree.node(findFirst(tree, SyntaxKind::attribute), Attribute::attributeName)), "SwiftUI.State");
}

TEST(SwiftParser, FreestandingMacrosByPosition) {
  SyntaxTree tree = checkedParse("func f() { #warning(\"a\") }\nstruct S { #warning(\"b\") }\n#Preview { V() }");
  EXPECT_EQ(tree.src(findFirst(tree, SyntaxKind::macroExpansionExpr)), "#warning(\"a\")");
  EXPECT_EQ(tree.src(findFirst(tree, SyntaxKind::macroExpansionDecl)), "#warning(\"b\")");
  NodeId preview = items(tree)[2];
  EXPECT_EQ(tree.kindName(preview), "macroExpansionExpr");
  EXPECT_TRUE(tree.node(preview, MacroExpansionExpr::trailingClosure));
}

TEST(SwiftParser, IfConfigInEveryPosition) {
  SyntaxTree tree = checkedParse(
      "#if\tDEBUG\nlet a = 1\n#elseif os(iOS)\nlet b = 2\n#else\nlet c = 3\n#endif\n"
      "struct S {\n#if DEBUG\n  var x = 1\n#endif\n}\n"
      "func f() {\n  switch x {\n  #if DEBUG\n  case 1: break\n  #endif\n  default:\n    #if DEBUG\n    log()\n    #endif\n  }\n}\n");
  NodeId config = items(tree)[0];
  EXPECT_EQ(tree.kindName(config), "ifConfigDecl");
  EXPECT_EQ(tree.elements(tree.node(config, IfConfigDecl::clauses)).size(), 3u);
  EXPECT_TRUE(findFirst(tree, SyntaxKind::ifConfigDecl, findFirst(tree, SyntaxKind::memberBlock)));
  NodeId cases = tree.node(findFirst(tree, SyntaxKind::switchExpr), SwitchExpr::cases);
  ASSERT_EQ(tree.elements(cases).size(), 2u);
  EXPECT_EQ(tree.kindName(tree.elements(cases)[0]), "ifConfigDecl");
  // An #if among the statements of a case holds statements, not cases.
  NodeId statements = tree.node(tree.elements(cases)[1], SwitchCase::statements);
  NodeId inCase = tree.node(tree.elements(statements)[0], CodeBlockItem::item);
  NodeId clause = tree.elements(tree.node(inCase, IfConfigDecl::clauses))[0];
  EXPECT_EQ(tree.kindName(tree.node(clause, IfConfigClause::elements)), "codeBlockItemList");
}

// "(base | #if cond: suffix | #else: -)" for a postfix #if; a clause that
// holds a nested postfix #if shows it the same way.
std::string postfixShape(const SyntaxTree& tree, NodeId expr) {
  NodeId base = tree.node(expr, PostfixIfConfigExpr::base);
  std::string shape = "(";
  shape += base ? tree.src(base) : "-";
  for (NodeId clause : tree.elements(tree.node(tree.node(expr, PostfixIfConfigExpr::config), IfConfigDecl::clauses))) {
    shape.append(" | ").append(tree.tokenText(clause, IfConfigClause::poundKeyword));
    if (NodeId condition = tree.node(clause, IfConfigClause::condition)) shape.append(" ").append(tree.src(condition));
    NodeId elements = tree.node(clause, IfConfigClause::elements);
    shape += ": ";
    if (!elements) shape += "-";
    else if (tree.is(elements, SyntaxKind::postfixIfConfigExpr)) shape += postfixShape(tree, elements);
    else shape += tree.src(elements);
  }
  return shape + ")";
}

TEST(SwiftParser, PostfixIfConfigContinuesTheMemberChain) {
  struct Case {
    const char* source;
    const char* shape;
  };
  const Case cases[] = {
      {"Text(\"x\")\n#if os(iOS)\n    .padding()\n#endif\n    .bold()", "(Text(\"x\") | #if os(iOS): .padding())"},
      {"list\n#if os(iOS)\n.a()\n.b(1)\n#elseif DEBUG\n.c\n#else\n#endif",
       "(list | #if os(iOS): .a()\n.b(1) | #elseif DEBUG: .c | #else: -)"},
      {"x\n#if A\n#if B\n.b()\n#endif\n#endif", "(x | #if A: (- | #if B: .b()))"},
      {"VStack {\n  Text(\"a\")\n}\n#if os(iOS)\n.onTapGesture { tap() }\n#endif",
       "(VStack {\n  Text(\"a\")\n} | #if os(iOS): .onTapGesture { tap() })"},
      {"f(x\n  #if canImport(\n    UIKit)\n  .y\n  #endif\n)", "(x | #if canImport(\n    UIKit): .y)"},
      {"var body: some View {\n  Text(\"x\")\n  #if DEBUG\n  .border(.red)\n  #endif\n}", "(Text(\"x\") | #if DEBUG: .border(.red))"},
  };
  for (const Case& c : cases) {
    SyntaxTree tree = checkedParse(c.source);
    ASSERT_EQ(items(tree).size(), 1u) << c.source << "\n" << tree.dump();
    NodeId expr = findFirst(tree, SyntaxKind::postfixIfConfigExpr);
    ASSERT_TRUE(expr) << c.source << "\n" << tree.dump();
    EXPECT_EQ(postfixShape(tree, expr), c.shape) << c.source;
  }
  // What follows the #endif continues the chain from the whole #if.
  SyntaxTree tree = checkedParse("Text(\"x\")\n#if os(iOS)\n.padding()\n#endif\n.bold()");
  NodeId bold = tree.node(items(tree)[0], FunctionCallExpr::calledExpression);
  EXPECT_EQ(tree.kindName(tree.node(bold, MemberAccessExpr::base)), "postfixIfConfigExpr");
}

TEST(SwiftParser, IfConfigConditionEndsWithItsLine) {
  struct Case {
    const char* source;
    std::vector<std::string> conditions;
    std::size_t items;
  };
  const Case cases[] = {
      // Only a clause that starts with "." continues a chain.
      {"foo()\n#if DEBUG\nbar()\n#endif", {"DEBUG"}, 2},
      {"x\n#if A\n#else\n.b\n#endif", {"A"}, 2},
      {"#if DEBUG\n.foo()\n#elseif os(iOS)\n.bar()\n#endif", {"DEBUG", "os(iOS)"}, 1},
      {"#if A &&\n  B\nlet x = 1\n#endif", {"A &&\n  B"}, 1},
  };
  for (const Case& c : cases) {
    SyntaxTree tree = checkedParse(c.source);
    EXPECT_EQ(items(tree).size(), c.items) << c.source << "\n" << tree.dump();
    EXPECT_FALSE(findFirst(tree, SyntaxKind::postfixIfConfigExpr)) << c.source << "\n" << tree.dump();
    std::vector<std::string> conditions;
    for (NodeId clause : tree.elements(tree.node(findFirst(tree, SyntaxKind::ifConfigDecl), IfConfigDecl::clauses)))
      if (NodeId condition = tree.node(clause, IfConfigClause::condition)) conditions.emplace_back(tree.src(condition));
    EXPECT_EQ(conditions, c.conditions) << c.source;
  }
}

// "@A #if[@B | @C] @D": the elements of an attribute list, an #if block
// showing the attributes of each clause.
std::string attributeShape(const SyntaxTree& tree, NodeId list) {
  std::string shape;
  for (NodeId element : tree.elements(list)) {
    if (!shape.empty()) shape += " ";
    if (!tree.is(element, SyntaxKind::ifConfigDecl)) {
      shape += tree.src(element);
      continue;
    }
    shape += "#if[";
    bool first = true;
    for (NodeId clause : tree.elements(tree.node(element, IfConfigDecl::clauses))) {
      if (!first) shape += " | ";
      first = false;
      NodeId elements = tree.node(clause, IfConfigClause::elements);
      shape += tree.is(elements, SyntaxKind::attributeList) ? attributeShape(tree, elements) : "<not attributes>";
    }
    shape += "]";
  }
  return shape;
}

TEST(SwiftParser, IfConfigInAttributeLists) {
  struct Case {
    const char* source;
    const char* itemKinds;
    const char* attributes;  // of the first attribute list; "" for none
  };
  const Case cases[] = {
      {"#if os(iOS)\n@available(iOS 17, *)\n#endif\n@MainActor struct V {}", "structDecl",
       "#if[@available(iOS 17, *)] @MainActor"},
      {"@MainActor\n#if DEBUG\n@available(*, deprecated)\n#elseif os(iOS)\n#else\n@objc @discardableResult\n#endif\nfinal class C {}",
       "classDecl", "@MainActor #if[@available(*, deprecated) |  | @objc @discardableResult]"},
      {"struct S {\n  #if os(iOS)\n  @MainActor\n  #endif\n  func f() {}\n}", "structDecl", "#if[@MainActor]"},
      {"#if A\n#if B\n@a\n#endif\n@b\n#endif\nfunc f() {}", "functionDecl", "#if[#if[@a] @b]"},
      {"func g() {\n  #if DEBUG\n  @MainActor\n  #endif\n  func h() {}\n}", "functionDecl", "#if[@MainActor]"},
      // Blocks with anything but attributes stay blocks of their own.
      {"#if DEBUG\n#endif\nfunc f() {}", "ifConfigDecl functionDecl", ""},
      {"#if DEBUG\n@MainActor\nfunc f() {}\n#endif\nfunc g() {}", "ifConfigDecl functionDecl", "@MainActor"},
  };
  for (const Case& c : cases) {
    SyntaxTree tree = checkedParse(c.source);
    std::string kinds;
    for (NodeId item : items(tree)) kinds.append(kinds.empty() ? "" : " ").append(tree.kindName(item));
    EXPECT_EQ(kinds, c.itemKinds) << c.source << "\n" << tree.dump();
    NodeId list = findFirst(tree, SyntaxKind::attributeList);
    EXPECT_EQ(list ? attributeShape(tree, list) : "", c.attributes) << c.source << "\n" << tree.dump();
  }
}

TEST(SwiftParser, ParametersAndSignatures) {
  SyntaxTree tree = checkedParse("func f(_ x: Int, label y: inout [String] = [], z: Int...) async throws -> Bool {}");
  NodeId function = items(tree)[0];
  NodeId signature = tree.node(function, FunctionDecl::signature);
  NodeId parameters = tree.node(tree.node(signature, FunctionSignature::parameterClause), FunctionParameterClause::parameters);
  ASSERT_EQ(tree.elements(parameters).size(), 3u);
  NodeId z = tree.elements(parameters)[2];
  EXPECT_EQ(tree.src(tree.node(z, FunctionParameter::type)), "Int");
  EXPECT_EQ(tree.tokenText(z, FunctionParameter::ellipsis), "...");
  NodeId effects = tree.node(signature, FunctionSignature::effectSpecifiers);
  EXPECT_EQ(tree.tokenText(effects, FunctionEffectSpecifiers::asyncSpecifier), "async");
  EXPECT_TRUE(tree.node(effects, FunctionEffectSpecifiers::throwsClause));
  EXPECT_EQ(tree.src(tree.node(tree.node(signature, FunctionSignature::returnClause), ReturnClause::type)), "Bool");
  // A child asked through the wrong kind is absent, never another slot.
  EXPECT_FALSE(tree.child(function, StructDecl::memberBlock).isNode());
}

}  // namespace
}  // namespace tovrane::swift
