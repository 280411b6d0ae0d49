#include <gtest/gtest.h>

#include "core/backend/KotlinBackend.hpp"
#include "core/backend/SymbolCollector.hpp"
#include "core/support/Text.hpp"
#include "tests/support/IRBuilders.hpp"

namespace tovrane {
namespace {

using namespace testsupport;

std::string header(const std::string& path) {
  return "// Automatisch aus " + path +
         " erzeugt von tovrane.\n"
         R"(@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", )"
         R"("UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", )"
         R"("ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", )"
         R"("UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION"))"
         "\n\npackage com.example.app\n\nimport androidx.compose.runtime.*\nimport tovrane.runtime.*\n";
}

// The lines this file's spine writes itself: everything at file level. The
// members below them belong to the member emitters.
std::string fileLevelLines(const std::string& kotlin) {
  std::string kept;
  for (std::string_view line : text::splitLines(kotlin)) {
    if (!line.empty() && line.front() != ' ') {
      kept += line;
      kept += '\n';
    }
  }
  return kept;
}

// An extension of a type the module does not declare, with one computed
// property: its spine line names where it was written.
IRTypeDecl marker(std::string receiver, std::string property, std::vector<IRTypeDecl> nested = {}) {
  IRTypeDecl decl = typeDecl(IRTypeKind::extension, std::move(receiver));
  decl.properties.push_back(computed(std::move(property)));
  decl.nested = std::move(nested);
  return decl;
}

TEST(KotlinDecls, AFileWithoutDeclarationsIsTheHeaderAndOneEmptyLine) {
  KotlinEmitter emitter(ModuleSymbols{}, "com.example.app");
  EXPECT_EQ(emitter.emitFile(IRFile{.path = "Sources/Empty.swift", .decls = {}}),
            header("Sources/Empty.swift") + "\n");
  EXPECT_EQ(emitter.currentFile, "Sources/Empty.swift");
  EXPECT_TRUE(emitter.warnings.empty());
}

TEST(KotlinDecls, WritesTypeAliasesAndSkipsPreviewProviders) {
  IRTypeDecl preview = typeDecl(IRTypeKind::struct_, "ContentView_Previews");
  preview.inherits = {"PreviewProvider"};
  preview.nested.push_back(typeDecl(IRTypeKind::struct_, "Hidden"));
  IRFile file{.path = "Aliases.swift",
              .decls = {IRDecl{IRDecl::typeAlias{"Lookup", dictionaryOf(named("String"), arrayOf(named("UInt8")))}},
                        declOf(preview),
                        IRDecl{IRDecl::typeAlias{"when", named("Outer.Thing")}}}};
  KotlinEmitter emitter(ModuleSymbols{}, "com.example.app");
  EXPECT_EQ(emitter.emitFile(file), header("Aliases.swift") +
                                        "typealias Lookup = MutableMap<String, MutableList<Int>>\n"
                                        "\n"
                                        "\n"
                                        "typealias `when` = Outer.Thing\n"
                                        "\n");
  EXPECT_EQ(emitter.unsupportedCount, 0);
}

TEST(KotlinDecls, UnsupportedDeclarationsBecomeACountedCommentBlock) {
  std::string source;
  for (int i = 1; i <= 45; ++i) source += "line " + std::to_string(i) + (i % 10 == 0 ? "\n\n" : "\n");
  IRFile file{.path = "Ops.swift", .decls = {IRDecl{IRDecl::unsupported{"operatorDecl", source}}}};
  KotlinEmitter emitter(ModuleSymbols{}, "com.example.app");
  std::string expected = header("Ops.swift") + "// tovrane: nicht übersetzt (operatorDecl):\n";
  for (int i = 1; i <= 30; ++i) expected += "// line " + std::to_string(i) + "\n";
  EXPECT_EQ(emitter.emitFile(file), expected + "\n");

  ASSERT_EQ(emitter.warnings.size(), 1u);
  EXPECT_EQ(emitter.warnings[0].file, "Ops.swift");
  EXPECT_EQ(emitter.warnings[0].message, "Nicht unterstützte Deklaration (operatorDecl)");
  EXPECT_EQ(emitter.warnings[0].source, source.substr(0, 300));
  EXPECT_EQ(emitter.unsupportedCount, 1);
}

TEST(KotlinDecls, RunStateAccumulatesOverFilesWhileFileStateIsReset) {
  KotlinEmitter emitter(ModuleSymbols{}, "com.example.app");
  emitter.labelCounter = 5;
  emitter.emitFile(IRFile{.path = "A.swift", .decls = {IRDecl{IRDecl::unsupported{"macroDecl", "#a"}}}});
  emitter.emitFile(IRFile{.path = "B.swift", .decls = {IRDecl{IRDecl::unsupported{"macroDecl", "#b"}}}});
  ASSERT_EQ(emitter.warnings.size(), 2u);
  EXPECT_EQ(emitter.warnings[0].file, "A.swift");
  EXPECT_EQ(emitter.warnings[1].file, "B.swift");
  EXPECT_EQ(emitter.unsupportedCount, 2);
  // Generated names stay unique within the run.
  EXPECT_EQ(emitter.labelCounter, 5);
}

TEST(KotlinDecls, EveryLineEndOfAnUnsupportedSourceEndsItsCommentLine) {
  // Kotlin ends a line comment at a lone CR too; what follows it must not
  // become code.
  const struct {
    const char* name;
    std::string source;
  } cases[] = {
      {"LF", "a\nb"}, {"CR LF", "a\r\nb\r\n"}, {"lone CR", "a\rb"}, {"blank lines of each kind", "a\r\n\r\n\n\r\rb"},
  };
  for (const auto& c : cases) {
    KotlinEmitter emitter(ModuleSymbols{}, "com.example.app");
    IRFile file{.path = "X.swift", .decls = {IRDecl{IRDecl::unsupported{"macroDecl", c.source}}}};
    EXPECT_EQ(emitter.emitFile(file), header("X.swift") + "// tovrane: nicht übersetzt (macroDecl):\n// a\n// b\n\n")
        << c.name;
  }
}

TEST(KotlinDecls, NestedTypesAreHoistedPassByPassAfterTheFileLevel) {
  IRFile file{.path = "Nested.swift",
              .decls = {declOf(marker("Color", "top", {marker("First", "one", {marker("Deep", "three")}),
                                                       marker("Second", "two")})),
                        IRDecl{IRDecl::typeAlias{"Id", named("String")}}}};
  KotlinEmitter emitter(ModuleSymbols{}, "com.example.app");
  EXPECT_EQ(fileLevelLines(emitter.emitFile(file)), fileLevelLines(header("Nested.swift")) +
                                                        "val Color.top: Int\n"
                                                        "typealias Id = String\n"
                                                        "val First.one: Int\n"
                                                        "val Second.two: Int\n"
                                                        "val Deep.three: Int\n");
}

TEST(KotlinDecls, NestedTypesOfOneSimpleNameAreWrittenUnderTheirOwnNames) {
  // struct A { enum Kind: String { case x, y }; var kind: Kind = .x }
  // struct B { enum Kind { case p(Int), q }; var kind: Kind = .q }
  // struct Outer { struct Item { var count: Int }; var items: [Item] }, struct Item { var title: String }
  IRTypeDecl kindA = typeDecl(IRTypeKind::enum_, "Kind");
  kindA.inherits = {"String"};
  kindA.cases = {IREnumCase{.name = "x", .associated = {}}, IREnumCase{.name = "y", .associated = {}}};
  IRTypeDecl a = typeDecl(IRTypeKind::struct_, "A", {withInit(storedVar("kind", named("Kind")), dot("x"))});
  a.nested = {kindA};
  IRTypeDecl kindB = typeDecl(IRTypeKind::enum_, "Kind");
  kindB.cases = {IREnumCase{.name = "p", .associated = {IRParam{.name = "value0", .type = named("Int")}}},
                 IREnumCase{.name = "q", .associated = {}}};
  IRTypeDecl b = typeDecl(IRTypeKind::struct_, "B", {withInit(storedVar("kind", named("Kind")), dot("q"))});
  b.nested = {kindB};
  IRTypeDecl outer = typeDecl(IRTypeKind::struct_, "Outer", {storedVar("items", arrayOf(named("Item")))});
  outer.nested = {typeDecl(IRTypeKind::struct_, "Item", {storedVar("count")})};
  IRFile file{.path = "Kinds.swift",
              .decls = {declOf(a), declOf(b), declOf(outer),
                        declOf(typeDecl(IRTypeKind::struct_, "Item", {storedVar("title", named("String"))}))}};
  KotlinEmitter emitter(SymbolCollector::collect(IRModule{.files = {file}}), "com.example.app");
  const std::string kotlin = emitter.emitFile(file);
  EXPECT_EQ(fileLevelLines(kotlin), fileLevelLines(header("Kinds.swift")) +
                                        "data class A(\n) {\n}\n"
                                        "data class B(\n) {\n}\n"
                                        "data class Outer(\n) {\n}\n"
                                        "data class Item(\n) {\n}\n"
                                        "enum class A_Kind(val rawValue: String) {\n}\n"
                                        "sealed class B_Kind {\n}\n"
                                        "data class Outer_Item(\n) {\n}\n");
  for (const char* line : {"\n    var kind: A_Kind = A_Kind.x", "\n    var kind: B_Kind = B_Kind.q",
                           "\n    data class p(val value0: Int) : B_Kind()", "\n    data object q : B_Kind()",
                           "\n    var items: MutableList<Outer_Item>\n", "\n    var title: String\n"}) {
    EXPECT_NE(kotlin.find(line), std::string::npos) << line;
  }
  EXPECT_TRUE(emitter.warnings.empty());
}

TEST(KotlinDecls, HoistingStopsAfterTwentyPassesAndForgetsTheRest) {
  IRTypeDecl chain = marker("Level21", "p21");
  for (int level = 20; level >= 0; --level) {
    chain = marker("Level" + std::to_string(level), "p" + std::to_string(level), {chain});
  }
  KotlinEmitter emitter(ModuleSymbols{}, "com.example.app");
  std::string expected = fileLevelLines(header("Chain.swift"));
  for (int level = 0; level <= 20; ++level) {
    expected += "val Level" + std::to_string(level) + ".p" + std::to_string(level) + ": Int\n";
  }
  EXPECT_EQ(fileLevelLines(emitter.emitFile(IRFile{.path = "Chain.swift", .decls = {declOf(chain)}})), expected);
  EXPECT_EQ(emitter.hoisted.size(), 1u);
  EXPECT_EQ(emitter.emitFile(IRFile{.path = "Next.swift", .decls = {}}), header("Next.swift") + "\n");
}

TEST(KotlinDecls, ExtensionsOfForeignTypesBecomeExtensionProperties) {
  IRTypeDecl extension = typeDecl(IRTypeKind::extension, "Color");
  IRProperty shade = computed("shade", named("CGFloat"));
  shade.setter = std::vector<IRStmt>{};
  extension.properties = {storedVar("dropped"), shade, computed("in", inferred())};
  IRFunction initializer = function("init");
  initializer.isInit = true;
  extension.functions = {initializer};
  IRTypeDecl nestedQualified = typeDecl(IRTypeKind::extension, "Foundation.Date");
  nestedQualified.properties = {computed("year")};

  KotlinEmitter emitter(ModuleSymbols{}, "com.example.app");
  const std::string kotlin =
      emitter.emitFile(IRFile{.path = "Ext.swift", .decls = {declOf(extension), declOf(nestedQualified)}});
  EXPECT_EQ(fileLevelLines(kotlin), fileLevelLines(header("Ext.swift")) +
                                        "var Color.shade: Double\n"
                                        "val Color.`in`: Any\n"
                                        "val Foundation.Date.year: Int\n");
}

TEST(KotlinDecls, TypesNamedLikeAViewGoToTheViewEmitterWhateverTheirKind) {
  ModuleSymbols symbols;
  symbols.views.insert("Card");
  symbols.apps.insert("Main");
  KotlinEmitter emitter(std::move(symbols), "com.example.app");
  const std::string kotlin = emitter.emitFile(
      IRFile{.path = "V.swift", .decls = {declOf(marker("Card", "asExtension")), declOf(marker("Main", "alsoNot")),
                                          declOf(marker("Plain", "written"))}});
  EXPECT_EQ(kotlin.find("val Card.asExtension"), std::string::npos);
  EXPECT_EQ(kotlin.find("val Main.alsoNot"), std::string::npos);
  EXPECT_NE(kotlin.find("fun Card(mod: Mod = Mod()) {"), std::string::npos);
  EXPECT_NE(kotlin.find("fun Main() {"), std::string::npos);
  EXPECT_NE(kotlin.find("val Plain.written: Int"), std::string::npos);
}

TEST(KotlinDecls, TopLevelMembersStartFromAFreshScope) {
  IRFile file{.path = "Top.swift", .decls = {declOf(function("helper")), declOf(storedVar("counter"))}};
  for (const IRDecl& decl : file.decls) {
    KotlinEmitter emitter(ModuleSymbols{}, "com.example.app");
    emitter.scope.typeName = "EarlierType";
    emitter.scope.stateFields = {"counter"};
    emitter.scope.isViewHolder = true;
    emitter.emitFile(IRFile{.path = file.path, .decls = {decl}});
    EXPECT_FALSE(emitter.scope.typeName.has_value());
    EXPECT_TRUE(emitter.scope.stateFields.empty());
    EXPECT_FALSE(emitter.scope.isViewHolder);
  }
}

}  // namespace
}  // namespace tovrane
