#include "core/repair/AIRepairer.hpp"

#include "core/project/Converter.hpp"
#include "core/support/Files.hpp"
#include "core/support/Resources.hpp"
#include "core/support/Text.hpp"
#include "tests/support/TempDir.hpp"

#include <gtest/gtest.h>

namespace tovrane {
namespace {

namespace fs = std::filesystem;
using json::Json;
using testsupport::TempDir;

// A project folder with only what the prompts read.
struct PromptProject {
  TempDir root{"tovrane-prompts"};
  fs::path runtime = root / "app/src/main/java/tovrane/runtime";
  fs::path package = root / "app/src/main/java/com/example/app";

  void manifest(const std::string& packageName) const {
    files::writeFile(root / ".tovrane/manifest.json",
                     encodeManifest(ProjectManifest{packageName, "/Users/me/App", {}}));
  }
  AIRepairer repairer() const { return AIRepairer(root.path(), AIRepairOptions({}, std::nullopt, std::nullopt), {}); }
};

Json textBlock(const std::string& text) { return Json{{"type", "text"}, {"text", text}}; }

TEST(RepairPrompts, SystemPromptHoldsTheRulesThenTheRuntimeForCaching) {
  const std::vector<std::string> rules = {
      "You are finishing an automatic Swift/SwiftUI → Kotlin/Jetpack Compose port made by the tool \"tovrane\".",
      "Each generated Kotlin file mirrors one Swift file. The generated code uses a small runtime library (package "
      "tovrane.runtime, included below) that recreates SwiftUI's API on top of Compose: views are @Composable "
      "functions taking `mod: Mod` for modifiers, SwiftUI view structs become a @Composable function plus a "
      "state-holder class, @State fields use `by mutableStateOf(..., neverEqualPolicy())`, bindings use "
      "`Binding<T>`.",
      "",
      "Your job for each file you receive:",
      "- Replace every `TODO(\"tovrane: …\")` and every `Unsupported(\"…\")` placeholder with a real implementation "
      "that reproduces the Swift original's behavior and look as closely as Android allows. No placeholder may "
      "remain.",
      "- Fix the listed compiler errors, if any. The signatures of the other files in the package are listed so you "
      "can call them correctly; do not guess names that are not listed there or in the runtime.",
      "- Keep the file's package line, public names and signatures stable, because other generated files call them.",
      "- Prefer the tovrane runtime where it fits. You may also use Jetpack Compose, Material 3, "
      "material-icons-extended, kotlinx.coroutines and the Android/Java standard library directly (add the imports "
      "you need). Do not add Gradle dependencies.",
      "- For Apple-only frameworks without an Android equivalent (HealthKit, WidgetKit, StoreKit …) write a sensible "
      "stub that compiles and keeps the app usable, with a short `// tovrane-ai:` comment saying what is missing.",
      "- If something you need is missing from the runtime, implement a small private helper inside this file.",
      "",
      "Reply with the complete corrected Kotlin file in exactly one ```kotlin code block and nothing else. Never "
      "abbreviate unchanged parts.",
  };
  ASSERT_EQ(rules.size(), 12u);

  PromptProject p;
  files::writeFile(p.runtime / "SwiftStdlib.kt", "package tovrane.runtime\n\nfun swiftPrint(x: Any) {}\n");
  files::writeFile(p.runtime / "SwiftUI.kt", "package tovrane.runtime\n\nfun Text(s: String) {}");
  const AIRepairer repairer = p.repairer();
  Json runtime = textBlock(
      "tovrane runtime – SwiftStdlib.kt:\n```kotlin\npackage tovrane.runtime\n\nfun swiftPrint(x: Any) {}\n\n```\n\n"
      "tovrane runtime – SwiftUI.kt:\n```kotlin\npackage tovrane.runtime\n\nfun Text(s: String) {}\n```");
  runtime["cache_control"] = {{"type", "ephemeral"}};
  EXPECT_EQ(repairer.system(), (APIClient::SystemBlocks{textBlock(text::join(rules, "\n")), runtime}));
  // The compact prompt shares the rules block, without the cache mark on its signatures.
  ASSERT_EQ(repairer.compactSystem().size(), 2u);
  EXPECT_EQ(repairer.compactSystem()[0], repairer.system()[0]);
  EXPECT_FALSE(repairer.compactSystem()[1].contains("cache_control"));
}

TEST(RepairPrompts, MissingOrUnreadableRuntimeKeepsHeadersAndFences) {
  for (const bool undecodable : {false, true}) {
    SCOPED_TRACE(undecodable ? "not UTF-8" : "missing");
    PromptProject p;
    if (undecodable) {
      files::writeFile(p.runtime / "SwiftStdlib.kt", "fun a() {}\n\xFF\xFE");
      files::writeFile(p.runtime / "SwiftUI.kt", "\xC3(");
    }
    const AIRepairer repairer = p.repairer();
    EXPECT_EQ(repairer.system()[1]["text"],
              "tovrane runtime – SwiftStdlib.kt:\n```kotlin\n\n```\n\ntovrane runtime – SwiftUI.kt:\n```kotlin\n\n```");
    EXPECT_EQ(repairer.compactSystem()[1], textBlock("tovrane runtime API (signatures only):\n```kotlin\n```"));
  }
}

TEST(RepairPrompts, CompactPromptKeepsOnlyTheRuntimeSignatures) {
  PromptProject p;
  files::writeFile(p.runtime / "SwiftStdlib.kt",
                   "package tovrane.runtime\n"
                   "\n"
                   "// Swift's integer\n"
                   "typealias SwiftInt = Long\n"
                   "private fun hidden() = 1\n"
                   "internal val secret = 2\n"
                   "fun <T> swiftPrint(value: T) {\n"
                   "class Box<T>(var value: T) {\n"
                   "    val size: Int = 3\n"
                   "    fun get(): T = value\n"
                   "\tfun tabbed() = 1\n"
                   "    private var cache = 0\n"
                   "    // fun commented()\n"
                   "}\n"
                   "@Composable inline fun Row(mod: Mod = Mod, content: @Composable () -> Unit) {\n"
                   "operator fun Box<Int>.plus(other: Box<Int>): Box<Int> = Box(0)\n"
                   "data class Point(val x: Double, val y: Double)\n"
                   "enum class Edge { top, bottom }\n"
                   "object Screen {  \n"
                   "interface Shape\n"
                   "override fun toString(): String = \"x\"\n"
                   "valid = 3\n"
                   "return value\n");
  files::writeFile(p.runtime / "SwiftUI.kt", "@Composable\nfun Text(text: String, mod: Mod = Mod) {\n");
  const std::string signatures =
      "typealias SwiftInt\n"
      "fun <T> swiftPrint(value: T)\n"
      "class Box<T>(var value: T)\n"
      "  val size: Int\n"
      "  fun get(): T\n"
      "fun tabbed()\n"
      "@Composable inline fun Row(mod: Mod\n"
      "operator fun Box<Int>.plus(other: Box<Int>): Box<Int>\n"
      "data class Point(val x: Double, val y: Double)\n"
      "enum class Edge { top, bottom }\n"
      "object Screen\n"
      "interface Shape\n"
      "override fun toString(): String\n"
      "fun Text(text: String, mod: Mod\n";
  EXPECT_EQ(p.repairer().compactSystem()[1],
            textBlock("tovrane runtime API (signatures only):\n```kotlin\n" + signatures + "```"));
}

TEST(RepairPrompts, CompactPromptOfTheEmbeddedRuntimeFitsOneCommandLineArgument) {
  // The Claude Code rung passes the whole system text as one argument.
  PromptProject p;
  for (const char* name : {"SwiftStdlib.kt", "SwiftUI.kt"}) {
    const auto source = resources::find(std::string("runtime/") + name);
    ASSERT_TRUE(source) << name;
    files::writeFile(p.runtime / name, *source);
  }
  const AIRepairer repairer = p.repairer();
  const std::string compact = APIClient::systemText(repairer.compactSystem());
  EXPECT_LT(compact.size(), 64u * 1024);
  EXPECT_NE(compact.find("\nfun "), std::string::npos);
  EXPECT_LT(compact.size(), APIClient::systemText(repairer.system()).size());
}

TEST(RepairPrompts, OutlineListsTopLevelPublicDeclarationsFileByFile) {
  PromptProject p;
  p.manifest("com.example.app");
  std::string fifty;
  for (int i = 0; i < 50; ++i) fifty += "val a" + std::to_string(i) + " = " + std::to_string(i) + "\n";
  std::string umlauts;
  for (int i = 0; i < 190; ++i) umlauts += "ä";
  files::writeFile(p.package / "B.kt",
                   "package com.example.app\n"
                   "\n"
                   "@Composable fun BView(mod: Mod) {\n"
                   "    val inner = 1\n"
                   "private fun hidden() {}\n"
                   "internal fun shared() = 2\n"
                   "class B { val x = 1 }\n"
                   "import kotlin.math.max\n"
                   "sealed interface Route\n");
  files::writeFile(p.package / "A.kt", fifty);
  files::writeFile(p.package / "C.kt", "fun c() { " + umlauts + "\n");
  files::writeFile(p.package / ".Hidden.kt", "object Hidden\n");
  files::writeFile(p.package / "MainActivity.kt", "class MainActivity : ComponentActivity() {\n");
  files::writeFile(p.package / "Empty.kt", "package com.example.app\n");
  files::writeFile(p.package / "Sub/Deep.kt", "fun deep() {}\n");
  files::writeFile(p.package / "Upper.KT", "fun upper() {}\n");
  files::writeFile(p.package / "notes.txt", "fun notes() {}\n");
  files::writeFile(p.root / "app/src/main/java/Outside.kt", "fun outside() {}\n");

  std::string first40;
  for (int i = 0; i < 40; ++i) first40 += "val a" + std::to_string(i) + " = " + std::to_string(i) + "\n";
  // C.kt's line is cut to 160 characters before " {" goes: 158 remain.
  const std::string cLine = "fun c() " + std::string(text::prefixGraphemes(umlauts, 150));
  EXPECT_EQ(p.repairer().packageOutline(), "// .Hidden.kt\nobject Hidden\n"
                                           "// A.kt\n" + first40 +
                                           "// B.kt\n"
                                           "@Composable fun BView(mod: Mod)\n"
                                           "internal fun shared() = 2\n"
                                           "class B val x = 1 }\n"
                                           "sealed interface Route\n"
                                           "// C.kt\n" + cLine + "\n"
                                           "// MainActivity.kt\nclass MainActivity : ComponentActivity()\n");
  EXPECT_EQ(text::graphemeCount(cLine), 158u);
}

TEST(RepairPrompts, OutlineIsCutAtTwelveThousandCharacters) {
  PromptProject p;
  p.manifest("com.example.app");
  std::string whole;
  for (int f = 0; f < 40; ++f) {
    std::string name = "F";
    name += std::to_string(100 + f);
    name += ".kt";
    std::string text;
    for (int i = 0; i < 30; ++i) text += "val größe" + std::to_string(f) + "_" + std::to_string(i) + " = 1\n";
    files::writeFile(p.package / name, text);
    whole += "// " + name + "\n" + text;
  }
  const std::string outline = p.repairer().packageOutline();
  EXPECT_EQ(text::graphemeCount(outline), 12000u);
  EXPECT_EQ(outline, text::prefixGraphemes(whole, 12000));
  EXPECT_NE(outline.back(), '\n');  // the cut falls inside a line
}

TEST(RepairPrompts, PackageFolderComesOnlyFromATrustedPackageName) {
  struct Case {
    const char* name;
    std::optional<std::string> manifest;  // the package name written, none: no manifest
    const char* folder;
  };
  const std::vector<Case> cases = {
      {"dotted identifiers", "com.example.app", "app/src/main/java/com/example/app"},
      {"no manifest", std::nullopt, "app/src/main/java"},
      {"a path upwards", "../../..", "app/src/main/java"},
      {"a name with a slash", "com.example/../../../etc", "app/src/main/java"},
      {"a single identifier", "app", "app/src/main/java"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PromptProject p;
    if (c.manifest) p.manifest(*c.manifest);
    EXPECT_EQ(p.repairer().packageFolder(), p.root / c.folder);
  }
  PromptProject broken;
  files::writeFile(broken.root / ".tovrane/manifest.json", "{\"packageName\": ");
  EXPECT_EQ(broken.repairer().packageFolder(), broken.root / "app/src/main/java");
}

TEST(RepairPrompts, OutlineOfAMissingOrEmptyPackageIsEmpty) {
  PromptProject missing;
  missing.manifest("com.example.app");
  EXPECT_EQ(missing.repairer().packageOutline(), "");

  PromptProject withoutDeclarations;
  withoutDeclarations.manifest("com.example.app");
  files::writeFile(withoutDeclarations.package / "A.kt", "package com.example.app\n\n  fun indented() {}\n");
  EXPECT_EQ(withoutDeclarations.repairer().packageOutline(), "");
}

}  // namespace
}  // namespace tovrane
