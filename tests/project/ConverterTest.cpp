#include "core/project/Converter.hpp"

#include "core/ir/IRJson.hpp"
#include "core/project/AndroidProjectWriter.hpp"
#include "core/support/Cancelled.hpp"
#include "core/support/Files.hpp"
#include "core/support/Text.hpp"
#include "tests/support/TempDir.hpp"

#include <gtest/gtest.h>

#include <map>

namespace tovrane {
namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

TEST(Converter, CountsNonEmptyLinesWithCrLfAsOneLineEnd) {
  const struct {
    const char* text;
    int lines;
  } cases[] = {
      {"a\n\nb\n", 2}, {"", 0}, {"   ", 1}, {"a\r\nb\r\n", 2}, {"a\nb", 2}, {"a\r\n\r\nb", 2}, {"a\rb", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(TovraneConverter::countLines(c.text), c.lines) << c.text;
}

TEST(Converter, NamesKotlinFilesUniquelyIgnoringCase) {
  const struct {
    std::vector<std::string> taken;
    const char* swift;
    const char* kotlin;
  } cases[] = {
      {{}, "Views/Item+Style.swift", "Item_Style.kt"},
      {{}, "A.b.swift", "A.b.kt"},
      {{}, "My View.swift", "My_View.kt"},
      {{"Item.kt"}, "B/Item.swift", "Item_2.kt"},
      {{"Item.kt", "Item_2.kt"}, "C/Item.swift", "Item_3.kt"},
      {{"Item_Style.kt"}, "Item+Style.swift", "Item_Style_2.kt"},
      {{"item.kt"}, "Item.swift", "Item_2.kt"},  // one file on a case-insensitive disk
      {{}, "MainActivity.swift", "MainActivity_2.kt"},
      {{}, "mainactivity.swift", "mainactivity_2.kt"},
      {{}, "Makefile", "Makefile.kt"},
  };
  for (const auto& c : cases) EXPECT_EQ(TovraneConverter::kotlinFileName(c.swift, c.taken), c.kotlin) << c.swift;
  // Shortened where a name would pass the file system's limit, still unique.
  const std::string longest(252, 'L');
  EXPECT_EQ(TovraneConverter::kotlinFileName(longest + ".swift", {}), longest + ".kt");
  EXPECT_EQ(TovraneConverter::kotlinFileName(longest + "L.swift", {}), longest + ".kt");
  EXPECT_EQ(TovraneConverter::kotlinFileName("B/" + longest + ".swift", {longest + ".kt"}),
            std::string(250, 'L') + "_2.kt");
}

TEST(Converter, CoverageAndErrorText) {
  EXPECT_DOUBLE_EQ(coverageEstimate(100, 10), 0.7);
  EXPECT_EQ(coverageEstimate(100, 40), 0.0);
  EXPECT_EQ(coverageEstimate(0, 7), 1.0);
  // A lost file counts as wholly untranslated.
  EXPECT_DOUBLE_EQ(coverageEstimate(100, 10, 4, 1), 0.7 * 0.75);
  EXPECT_EQ(coverageEstimate(0, 0, 1, 1), 0.0);
  EXPECT_EQ(coverageEstimate(0, 0, 2, 0), 1.0);
  EXPECT_STREQ(ConversionError::noSwiftFiles("/x/MyApp/").what(), "Im Ordner MyApp wurden keine Swift-Dateien gefunden.");
}

TEST(ConversionReport, WithoutWarningsHasTwentyOneLines) {
  ConversionResult result;
  result.appName = "My *App*";
  result.packageName = "com.example.app";
  result.swiftFiles = 3;
  result.swiftLines = 120;
  result.kotlinFiles = 3;
  result.images = 2;
  result.colors = 4;
  result.unsupportedCount = 1;
  result.coverage = 0.29;
  const std::string text = AndroidProjectWriter::reportText(result, "2025-03-01T14:05:09Z");
  const auto lines = text::splitLines(text);
  ASSERT_EQ(lines.size(), 22u);  // 21 lines and the empty piece after the last line feed
  EXPECT_EQ(lines[0], "# Konvertierungsbericht \xE2\x80\x93 My *App*");
  EXPECT_EQ(lines[2], "Erzeugt von **tovrane** am 2025-03-01T14:05:09Z.");
  EXPECT_EQ(lines[6], "| Swift-Dateien | 3 (120 Zeilen) |");
  EXPECT_EQ(lines[8], "| Paketname | `com.example.app` |");
  EXPECT_EQ(lines[9], "| Bilder / Farben | 2 / 4 |");
  EXPECT_EQ(lines[11], "| Gesch\xC3\xA4tzte Abdeckung | 28 % |");
  EXPECT_EQ(lines[17], "3. Oben einen Emulator oder ein Ger\xC3\xA4t w\xC3\xA4hlen und auf \xE2\x96\xB6\xEF\xB8\x8E klicken.");
  EXPECT_TRUE(text.ends_with("in der App markiert.\n"));
  for (double coverage : {1.0, 0.0}) {
    result.coverage = coverage;
    EXPECT_NE(AndroidProjectWriter::reportText(result, "d").find(coverage == 1 ? "| 100 % |" : "| 0 % |"),
              std::string::npos);
  }
}

TEST(ConversionReport, GroupsWarningsByFileAndSkipsRepeatsWithinAGroup) {
  ConversionResult result;
  const std::string longSource(200, 'x');
  result.warnings = {
      {"Views/List.swift", "M1", "a\nb `c`\nd"},
      {"ContentView.swift", "M2", longSource},
      {"Views/List.swift", "M3", "s"},
      {"Views/List.swift", "M3", "s"},
      {"ContentView.swift", "M3", "s"},
  };
  const std::string text = AndroidProjectWriter::reportText(result, "d");
  const std::string expected = "\n## Hinweise\n\n### ContentView.swift\n\n- M2: `" + std::string(140, 'x') +
                               "`\n- M3: `s`\n\n### Views/List.swift\n\n- M1: `a b 'c' d`\n- M3: `s`\n\n";
  EXPECT_TRUE(text.ends_with("in der App markiert.\n" + expected)) << text;
}

TEST(ProjectManifest, DecodesOnlyCompleteManifests) {
  const ProjectManifest manifest{"com.a", "/p", {{"A.kt", "/p/A.swift"}, {"Item_2.kt", "/p/B/Item.swift"}}};
  EXPECT_EQ(decodeManifest(encodeManifest(manifest)), manifest);
  const struct {
    const char* text;
    bool decodes;
  } cases[] = {
      {R"({"packageName":"a","sourceRoot":"/p","files":{}})", true},
      {R"({"packageName":"a","sourceRoot":"/p","files":{},"extra":1})", true},
      {R"({"packageName":"a","sourceRoot":"/p"})", false},
      {R"({"packageName":"a","sourceRoot":"/p","files":{"A.kt":1}})", false},
      {R"({"packageName":1,"sourceRoot":"/p","files":{}})", false},
      {R"([1])", false},
      {R"({"packageName":"a",)", false},
  };
  for (const auto& c : cases) EXPECT_EQ(decodeManifest(c.text).has_value(), c.decodes) << c.text;
}

// Every file below a folder with its bytes, to see that a conversion leaves
// the source project as it was.
std::map<std::string, std::string> snapshot(const fs::path& root) {
  std::map<std::string, std::string> out;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file()) out[fs::relative(entry.path(), root).string()] = files::readFile(entry.path());
  return out;
}

std::string stageName(const ConversionStage& stage) {
  if (const auto* p = std::get_if<ConversionStage::parsing>(&stage.node))
    return "parsing " + p->file + " " + std::to_string(p->index) + "/" + std::to_string(p->total);
  return std::visit(
      [](const auto& s) -> std::string {
        using S = std::decay_t<decltype(s)>;
        if constexpr (std::is_same_v<S, ConversionStage::scanning>) return "scanning";
        if constexpr (std::is_same_v<S, ConversionStage::generating>) return "generating";
        if constexpr (std::is_same_v<S, ConversionStage::writingProject>) return "writingProject";
        return "done";
      },
      stage.node);
}

TEST(Converter, ConvertsAProjectEndToEnd) {
  TempDir temp;
  const fs::path project = temp / "Shop";
  files::writeFile(project / "Shop.xcodeproj/project.pbxproj",
                   "PRODUCT_BUNDLE_IDENTIFIER = com.example.shop;\nPRODUCT_NAME = Shop;\n");
  files::writeFile(project / "Shop/ShopApp.swift",
                   "import SwiftUI\n\n@main\nstruct ShopApp: App {\n    var body: some Scene { WindowGroup { ContentView() } }\n}\n");
  files::writeFile(project / "Shop/ContentView.swift",
                   "struct ContentView: View {\r\n    var body: some View { Text(\"Hi\") }\r\n}\r\n");
  files::writeFile(project / "Shop/Item+Style.swift", "extension Item {\n    var style: Int { 1 }\n}\n");
  files::writeFile(project / "Shop/Model/Item.swift", "struct Item {\n    var name: String\n}\n");
  files::writeFile(project / "Shop/Broken.swift", "let x = \"\xFF\"\n");
  const auto before = snapshot(project);

  std::vector<std::string> stages;
  const fs::path output = temp / "Shop-Android";
  const ConversionResult result =
      TovraneConverter().convert(project, output, {}, [&](const ConversionStage& s) { stages.push_back(stageName(s)); });

  EXPECT_EQ(stages, (std::vector<std::string>{"scanning", "parsing Shop/Broken.swift 0/5",
                                              "parsing Shop/ContentView.swift 1/5", "parsing Shop/Item+Style.swift 2/5",
                                              "parsing Shop/Model/Item.swift 3/5", "parsing Shop/ShopApp.swift 4/5",
                                              "generating", "writingProject", "done"}));
  EXPECT_EQ(result.outputDirectory, output);
  EXPECT_EQ(result.appName, "Shop");
  EXPECT_EQ(result.packageName, "com.example.shop");
  EXPECT_EQ(result.swiftFiles, 5);
  EXPECT_EQ(result.swiftLines, 0 + 3 + 3 + 3 + 5);
  EXPECT_EQ(result.kotlinFiles, 5);
  EXPECT_EQ(snapshot(project), before);

  const fs::path package = output / "app/src/main/java/com/example/shop";
  for (const char* name : {"Broken.kt", "ContentView.kt", "Item_Style.kt", "Item.kt", "ShopApp.kt", "MainActivity.kt"})
    EXPECT_TRUE(fs::exists(package / name)) << name;
  EXPECT_TRUE(files::readFile(output / "TOVRANE_BERICHT.md").starts_with("# Konvertierungsbericht \xE2\x80\x93 Shop\n"));
  EXPECT_TRUE(json::tryParse(files::readFile(output / ".tovrane/warnings.json"))->is_array());

  const auto manifest = readManifest(output);
  ASSERT_TRUE(manifest);
  EXPECT_EQ(manifest->packageName, "com.example.shop");
  EXPECT_EQ(manifest->sourceRoot, project.string());
  EXPECT_EQ(manifest->files.size(), 5u);
  EXPECT_EQ(manifest->files.at("Item_Style.kt"), (project / "Shop/Item+Style.swift").string());

  // ir.json is the module as parsed: the extension still stands in its own file.
  const std::string ir = files::readFile(output / ".tovrane/ir.json");
  auto module = decodeIRJson<IRModule>(ir);
  ASSERT_TRUE(std::holds_alternative<IRModule>(module));
  const IRModule& parsed = std::get<IRModule>(module);
  ASSERT_EQ(parsed.files.size(), 5u);
  EXPECT_EQ(parsed.files[0].path, "Shop/Broken.swift");
  EXPECT_TRUE(parsed.files[0].decls.empty());  // not UTF-8: converted as an empty file
  EXPECT_EQ(parsed.files[2].decls.size(), 1u);
  EXPECT_EQ(encodeIRJson(parsed), ir);
}

TEST(Converter, TheAppMarkedMainIsTheEntryAndTheModuleNameQualifiesItsTypes) {
  TempDir temp;
  const fs::path project = temp / "Shop";
  files::writeFile(project / "Shop.xcodeproj/project.pbxproj", "PRODUCT_BUNDLE_IDENTIFIER = com.example.shop;\n");
  files::writeFile(project / "Shop/Apps.swift",
                   "import SwiftUI\n"
                   "struct AlphaApp: App {\n    var body: some Scene { WindowGroup { Text(\"A\") } }\n}\n"
                   "@main\nstruct ZedApp: App {\n    var body: some Scene { WindowGroup { Text(\"Z\") } }\n}\n");
  files::writeFile(project / "Shop/Item.swift",
                   "struct Item {\n    var name: String\n}\n"
                   "extension Shop.Item {\n    var label: String { name }\n}\n");
  const fs::path output = temp / "Out";
  TovraneConverter().convert(project, output, {}, nullptr);
  const fs::path package = output / "app/src/main/java/com/example/shop";
  const std::string activity = files::readFile(package / "MainActivity.kt");
  EXPECT_NE(activity.find("ZedApp()"), std::string::npos) << activity;
  EXPECT_EQ(activity.find("AlphaApp()"), std::string::npos) << activity;
  // The extension is merged: its property is the type's own, not an
  // extension property of a type named «Shop.Item».
  const std::string item = files::readFile(package / "Item.kt");
  EXPECT_NE(item.find("\n    val label: String\n"), std::string::npos) << item;
  EXPECT_EQ(item.find("Shop.Item"), std::string::npos) << item;
}

TEST(Converter, ProjectWithoutSwiftFilesFailsBeforeWriting) {
  TempDir temp;
  files::writeFile(temp / "Empty/readme.txt", "");
  std::vector<std::string> stages;
  try {
    TovraneConverter().convert(temp / "Empty", temp / "Out", {},
                               [&](const ConversionStage& s) { stages.push_back(stageName(s)); });
    FAIL();
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "Im Ordner Empty wurden keine Swift-Dateien gefunden.");
  }
  EXPECT_EQ(stages, (std::vector<std::string>{"scanning"}));
  EXPECT_FALSE(fs::exists(temp / "Out"));
}

TEST(Converter, WriterFailureEndsTheRunWithoutMetadataOrDone) {
  TempDir temp;
  files::writeFile(temp / "App/A.swift", "struct A {}\n");
  files::writeFile(temp / "Out", "a file where the project folder should go");
  std::vector<std::string> stages;
  EXPECT_THROW(TovraneConverter().convert(temp / "App", temp / "Out", {},
                                          [&](const ConversionStage& s) { stages.push_back(stageName(s)); }),
               files::FileError);
  EXPECT_EQ(stages.back(), "writingProject");
}

// A stop asked for while a stage works takes effect inside that stage: no
// later stage is reported, and no file of the project is written after it.
TEST(Converter, AStopTakesEffectInsideTheStage) {
  const struct {
    const char* stopAt;
    std::vector<std::string> stages;
  } cases[] = {
      {"scanning", {"scanning"}},
      {"parsing A.swift 0/2", {"scanning", "parsing A.swift 0/2"}},
      {"generating", {"scanning", "parsing A.swift 0/2", "parsing B.swift 1/2", "generating"}},
      {"writingProject", {"scanning", "parsing A.swift 0/2", "parsing B.swift 1/2", "generating", "writingProject"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stopAt);
    TempDir temp;
    files::writeFile(temp / "App/A.swift", "struct A {}\n");
    files::writeFile(temp / "App/B.swift", "struct B {}\n");
    std::stop_source stop;
    std::vector<std::string> stages;
    EXPECT_THROW(TovraneConverter().convert(temp / "App", temp / "Out", {},
                                            [&](const ConversionStage& s) {
                                              stages.push_back(stageName(s));
                                              if (stages.back() == c.stopAt) stop.request_stop();
                                            },
                                            stop.get_token()),
                 Cancelled);
    EXPECT_EQ(stages, c.stages);
    EXPECT_FALSE(fs::exists(temp / "Out/app/src/main/java/com/tovrane/app/A.kt"));
  }
}

TEST(Converter, OptionsOverrideNamesUnchanged) {
  TempDir temp;
  files::writeFile(temp / "App/A.swift", "struct A {}\n");
  ConversionOptions options;
  options.appName = "";
  options.packageName = "com.with blank";
  const auto result = TovraneConverter().convert(temp / "App", temp / "Out", options, nullptr);
  EXPECT_EQ(result.appName, "");
  EXPECT_EQ(result.packageName, "com.with blank");
  EXPECT_EQ(readManifest(temp / "Out")->packageName, "com.with blank");
}

}  // namespace
}  // namespace tovrane
