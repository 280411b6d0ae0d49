#include "core/project/ProjectScanner.hpp"

#include "tests/support/TempDir.hpp"

#include <gtest/gtest.h>

namespace tovrane {
namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

const fs::path fixtures = fs::path(TOVRANE_SOURCE_DIR) / "tests/project/fixtures";

std::vector<fs::path> under(const fs::path& root, std::initializer_list<const char*> relative) {
  std::vector<fs::path> out;
  for (const char* r : relative) out.push_back(root / r);
  return out;
}

TEST(ProjectScanner, ScansATypicalProject) {
  const fs::path root = fixtures / "Notes";
  const ProjectScan scan = ProjectScanner().scan(root);
  EXPECT_EQ(scan.root, root);
  // Test folders, Package.swift, *Tests.swift, hidden entries, build output,
  // dependencies and frameworks are left out; a lower-case "tests" is not.
  EXPECT_EQ(scan.swiftFiles, under(root, {"Notes/ContentView.swift", "Notes/Model/Note.swift", "Notes/NotesApp.swift",
                                          "Notes/ViewTest.swift", "Notes/tests/Helper.swift"}));
  EXPECT_EQ(scan.appName, "Meine Notizen");
  EXPECT_EQ(scan.packageName, "com.example.my_app");
  const fs::path assets = root / "Notes/Assets.xcassets";
  // Decimal strings, hexadecimal strings, a dark variant before the light one
  // with 0…255 numbers, and a nested group with missing components; the
  // unreadable set is passed over.
  EXPECT_EQ(scan.colors, (std::vector<ScannedColor>{{"AccentColor", 0xFF007AFF},
                                                    {"Brand", 0xFFFF8000},
                                                    {"Ink", 0x80123456},
                                                    {"Sheet", 0xFF80FFFF}}));
  // The largest file of the set; the set holding only a PDF gives nothing.
  EXPECT_EQ(scan.images, (std::vector<ScannedImage>{{"Logo", assets / "Logo.imageset/logo@3x.png"}}));
  EXPECT_EQ(scan.appIcon, assets / "AppIcon.appiconset/icon-1024.png");
}

TEST(ProjectScanner, WithoutXcodeProjectNamesTheAppAfterTheFolder) {
  const fs::path root = fixtures / "Café Finder";
  const ProjectScan scan = ProjectScanner().scan(root);
  EXPECT_EQ(scan.swiftFiles, under(root, {"Sources/App.swift", "Sources/tests/Fixture.swift"}));
  EXPECT_EQ(scan.appName, "Café Finder");
  EXPECT_EQ(scan.packageName, "com.tovrane.cafe_finder");
  EXPECT_EQ(scan.colors, (std::vector<ScannedColor>{{"Clear", 0x000C0B0A}}));
  EXPECT_EQ(scan.images,
            (std::vector<ScannedImage>{{"Hero Image", root / "Sources/Media.xcassets/Hero Image.imageset/hero.PNG"}}));
  // The later app icon set has no raster image and still decides.
  EXPECT_EQ(scan.appIcon, std::nullopt);
}

TEST(ProjectScanner, FirstProjectFileWinsAndBuildSettingReferencesAreIgnored) {
  const fs::path root = fixtures / "Settings";
  const ProjectScan scan = ProjectScanner().scan(root);
  // Alpha.xcodeproj holds no project file; "My App" comes before Zulu.
  EXPECT_TRUE(scan.swiftFiles.empty());
  EXPECT_EQ(scan.appName, "My App");
  EXPECT_EQ(scan.packageName, "com.tovrane.my_app");
  EXPECT_TRUE(scan.colors.empty());
  EXPECT_TRUE(scan.images.empty());
}

TEST(ProjectScanner, MissingFolderOrUnreadableProjectFileGivesDefaults) {
  TempDir temp;
  EXPECT_EQ(ProjectScanner().scan(temp / "missing").swiftFiles, std::vector<fs::path>{});
  EXPECT_EQ(ProjectScanner().scan(temp / "missing/").appName, "missing");
  EXPECT_EQ(ProjectScanner().scan(temp / "missing/.").appName, "missing");

  // A project file that is not UTF-8 keeps the folder's name and no identifier.
  temp.put("Shop/Shop.xcodeproj/project.pbxproj", "PRODUCT_BUNDLE_IDENTIFIER = org.shop\xff;\n");
  temp.put("Shop/Shop/App.swift", "");
  const ProjectScan scan = ProjectScanner().scan(temp / "Shop");
  EXPECT_EQ(scan.appName, "Shop");
  EXPECT_EQ(scan.packageName, "com.tovrane.shop");
  EXPECT_EQ(scan.swiftFiles, std::vector<fs::path>{temp / "Shop/Shop/App.swift"});
}

TEST(ProjectScanner, SwiftFilesAreSortedByTheirWholePathText) {
  TempDir temp;
  // As text "Kit.Core/" comes before "Kit/" ("." < "/"); compared folder by
  // folder it would come after.
  for (const char* file : {"P/Kit/B.swift", "P/Kit.Core/A.swift", "P/Kit-2/C.swift", "P/kit/D.swift", "P/Ä/E.swift"})
    temp.put(file, "");
  EXPECT_EQ(ProjectScanner().scan(temp / "P").swiftFiles,
            under(temp / "P", {"Kit-2/C.swift", "Kit.Core/A.swift", "Kit/B.swift", "kit/D.swift", "Ä/E.swift"}));
}

TEST(ProjectScanner, TheModuleNameIsTheProjectsNameAsXcodeDerivesIt) {
  TempDir temp;
  temp.put("P/My App 2.xcodeproj/project.pbxproj", "INFOPLIST_KEY_CFBundleDisplayName = Mein Planer;\n");
  EXPECT_EQ(ProjectScanner().scan(temp / "P").moduleName, "My_App_2");
  temp.put("Q/Tool.xcodeproj/project.pbxproj", "PRODUCT_MODULE_NAME = ToolKit;\n");
  EXPECT_EQ(ProjectScanner().scan(temp / "Q").moduleName, "ToolKit");
  // A build setting reference is no name; the project's own counts then.
  temp.put("R/Café-Bar.xcodeproj/project.pbxproj", "PRODUCT_MODULE_NAME = $(PRODUCT_NAME:c99extidentifier);\n");
  EXPECT_EQ(ProjectScanner().scan(temp / "R").moduleName, "Café_Bar");
  temp.put("3D Viewer/Sources/A.swift", "");
  EXPECT_EQ(ProjectScanner().scan(temp / "3D Viewer").moduleName, "_3D_Viewer");
}

TEST(ProjectScanner, EmptyDisplayNameIsTakenAsIs) {
  TempDir temp;
  temp.put("P/Tool.xcodeproj/project.pbxproj",
           "INFOPLIST_KEY_CFBundleDisplayName = \"\";\nPRODUCT_BUNDLE_IDENTIFIER = tool;\n");
  const ProjectScan scan = ProjectScanner().scan(temp / "P");
  EXPECT_EQ(scan.appName, "");
  EXPECT_EQ(scan.packageName, "com.tovrane.tool");
}

TEST(ProjectScanner, LinksAreFollowedOnlyInsideTheProject) {
  TempDir temp;
  const fs::path outside = temp / "outside";
  temp.put("outside/Secret.swift", "secret");
  temp.put("outside/secret.png", std::string(100, 's'));
  temp.put("outside/Contents.json", R"({"colors":[{"color":{"components":{"red":"0x12"}}}]})");
  temp.put("outside/project.pbxproj", "PRODUCT_BUNDLE_IDENTIFIER = org.secret;\n");
  const fs::path root = temp / "App";
  temp.put("App/App/Real.swift", "");
  fs::create_directories(root / "App.xcodeproj");
  fs::create_symlink(outside / "project.pbxproj", root / "App.xcodeproj/project.pbxproj");
  fs::create_symlink(outside / "Secret.swift", root / "App/Leak.swift");
  fs::create_symlink(root / "App/Real.swift", root / "App/Alias.swift");
  fs::create_symlink(outside, root / "App/Linked");
  fs::create_symlink("../../outside/Secret.swift", root / "App/Relative.swift");
  const fs::path assets = root / "App/Assets.xcassets";
  fs::create_directories(assets / "Tint.colorset");
  fs::create_symlink(outside / "Contents.json", assets / "Tint.colorset/Contents.json");
  temp.put("App/App/Assets.xcassets/Logo.imageset/small.png", "png");
  fs::create_symlink(outside / "secret.png", assets / "Logo.imageset/large.png");
  fs::create_directories(assets / "AppIcon.appiconset");
  fs::create_symlink(outside / "secret.png", assets / "AppIcon.appiconset/icon.png");
  fs::create_symlink(outside, assets / "Outer.imageset");

  const ProjectScan scan = ProjectScanner().scan(root);
  // A link to another Swift file of the project names the same source: converted once.
  EXPECT_EQ(scan.swiftFiles, under(root, {"App/Real.swift"}));
  EXPECT_EQ(scan.appName, "App");
  EXPECT_EQ(scan.packageName, "com.tovrane.app");
  EXPECT_TRUE(scan.colors.empty());
  EXPECT_EQ(scan.images, (std::vector<ScannedImage>{{"Logo", assets / "Logo.imageset/small.png"}}));
  EXPECT_EQ(scan.appIcon, std::nullopt);
  // Each link leading out is reported, with where it leads; the two links
  // named like Swift sources are lost to the conversion.
  std::vector<std::string> reported;
  for (const ConversionWarning& warning : scan.warnings) {
    EXPECT_EQ(warning.message, "Link f\xC3\xBChrt aus dem Projekt hinaus \xE2\x80\x93 nicht \xC3\xBC" "bernommen");
    reported.push_back(warning.file + " -> " + warning.source);
  }
  EXPECT_EQ(reported, (std::vector<std::string>{
                          "App/Leak.swift -> " + (outside / "Secret.swift").string(),
                          "App/Linked -> " + outside.string(),
                          "App/Relative.swift -> ../../outside/Secret.swift",
                          "App.xcodeproj/project.pbxproj -> " + (outside / "project.pbxproj").string(),
                          "App/Assets.xcassets/AppIcon.appiconset/icon.png -> " + (outside / "secret.png").string(),
                          "App/Assets.xcassets/Logo.imageset/large.png -> " + (outside / "secret.png").string(),
                          "App/Assets.xcassets/Outer.imageset -> " + outside.string(),
                          "App/Assets.xcassets/Tint.colorset/Contents.json -> " + (outside / "Contents.json").string(),
                      }));
  EXPECT_EQ(scan.lostSwiftFiles, 2);
}

TEST(ProjectScanner, FirstMatchReadsTheFirstSettingValue) {
  const struct {
    std::string_view text;
    std::optional<std::string> value;
  } cases[] = {
      {"PRODUCT_BUNDLE_IDENTIFIER = \"com.x\";", "com.x"},
      {"\t\tPRODUCT_BUNDLE_IDENTIFIER = com.a;\n\t\tPRODUCT_BUNDLE_IDENTIFIER = com.b;", "com.a"},
      // The key may end a longer word.
      {"MY_PRODUCT_BUNDLE_IDENTIFIER = inner;", "inner"},
      {"PRODUCT_BUNDLE_IDENTIFIER = \"\";", ""},
      // Unquoted, only quotes and blanks are trimmed; tabs stay.
      {"PRODUCT_BUNDLE_IDENTIFIER = \tx\t\" ;", "\tx\t"},
      // A quoted value ends at its closing quote and has its escapes decoded.
      {R"(PRODUCT_BUNDLE_IDENTIFIER = "Say \"Hi\"";)", "Say \"Hi\""},
      {R"(PRODUCT_BUNDLE_IDENTIFIER = "A;B \\ C";)", "A;B \\ C"},
      {R"(PRODUCT_BUNDLE_IDENTIFIER = " Tab\there\nLine ";)", " Tab\there\nLine "},
      {R"(PRODUCT_BUNDLE_IDENTIFIER = "Caf\U00e9 \UD83D\UDE00 \UDE00 \101\q";)",
       "Caf\xC3\xA9 \xF0\x9F\x98\x80 \xEF\xBF\xBD A" "q"},
      {R"(PRODUCT_BUNDLE_IDENTIFIER = "unterminated;)", std::nullopt},
      // The value runs to the first ";", across lines.
      {"PRODUCT_BUNDLE_IDENTIFIER = a\nb;", "a\nb"},
      {"PRODUCT_BUNDLE_IDENTIFIER = com.x", std::nullopt},
      {"PRODUCT_BUNDLE_IDENTIFIER=com.x;", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ProjectScanner::firstMatch(c.text, "PRODUCT_BUNDLE_IDENTIFIER"), c.value) << c.text;
}

TEST(ProjectScanner, PackageNameIsAlwaysAValidAndroidPackage) {
  const struct {
    std::optional<std::string> bundleIdentifier;
    std::string_view appName;
    std::string_view packageName;
  } cases[] = {
      {"com.Example.My-App", "X", "com.example.my_app"},
      {std::nullopt, "My App", "com.tovrane.my_app"},
      {"", "Notes", "com.tovrane.notes"},
      {"$(PRODUCT_BUNDLE_IDENTIFIER)", "My App", "com.tovrane.my_app"},
      {"com.2go.class", "X", "com.a2go.class_"},
      {"com.日本語.app", "X", "com.app.app"},
      {"com.Müller.Über", "X", "com.muller.uber"},
      {"de.straße.x", "X", "de.strae.x"},
      {"single", "X", "com.tovrane.single"},
      {"...", "X", "com.tovrane"},
      {"com..example.", "X", "com.example"},
      {std::nullopt, "", "com.tovrane"},
      {std::nullopt, "1st", "com.tovrane.a1st"},
      {"org.when.Is.fun", "X", "org.when_.is_.fun_"},
      {"com.a b.🙂", "X", "com.a_b._"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ProjectScanner::packageName(c.bundleIdentifier, c.appName), c.packageName)
        << c.bundleIdentifier.value_or("(absent)") << " / " << c.appName;
}

// Built by appending: GCC 12 warns falsely (-Wrestrict) about "literal" + a
// temporary string.
std::string colorSetName(int index) {
  std::string name = "C";
  return name.append(std::to_string(index)).append(".colorset");
}

TEST(ProjectScanner, ReadColorUnderstandsEveryComponentNotation) {
  TempDir temp;
  const struct {
    std::string_view components;
    std::optional<std::uint32_t> argb;
  } cases[] = {
      {R"({"red":"0xFF","green":"0x80","blue":"0x00","alpha":"1.000"})", 0xFFFF8000},
      {R"({"red":"0xff","green":"0x0","blue":"0xA"})", 0xFFFF000A},
      {R"({"red":0.5,"green":0,"blue":1,"alpha":0})", 0x008000FF},
      {R"({"red":"0.5","green":"0.000","blue":"1"})", 0xFF8000FF},
      {R"({"red":255,"green":2,"blue":"128"})", 0xFFFF0280},
      {R"({"red":"+0.5","green":"1e-3","blue":"2.55e2"})", 0xFF8000FF},
      {"{}", 0xFFFFFFFF},
      // Unreadable texts count as full intensity.
      {R"({"red":"abc","green":" 0.5","blue":"0x","alpha":"0xZZ"})", 0xFFFFFFFF},
      {R"({"red":true,"green":null,"blue":[0]})", 0xFFFFFFFF},
      // No byte can stand for these; the set is passed over.
      {R"({"red":-0.5})", std::nullopt},
      {R"({"red":300})", std::nullopt},
      {R"({"red":"0x1FF"})", std::nullopt},
      {R"({"red":"nan"})", std::nullopt},
      {R"({"red":"inf"})", std::nullopt},
  };
  int index = 0;
  for (const auto& c : cases) {
    const fs::path set = temp / colorSetName(index++);
    temp.put(set / "Contents.json", R"({"colors":[{"color":{"components":)" + std::string(c.components) + "}}]}");
    EXPECT_EQ(ProjectScanner::readColor(set), c.argb) << c.components;
  }
}

TEST(ProjectScanner, ReadColorChoosesTheVariantWithoutAppearances) {
  TempDir temp;
  const auto variant = [](std::string_view red, std::string_view appearances) {
    return std::string(R"({"color":{"components":{"red":")") + std::string(red) + "\"}}" +
           std::string(appearances) + "}";
  };
  const std::string dark = R"(,"appearances":[{"appearance":"luminosity","value":"dark"}])";
  const struct {
    std::string document;
    std::optional<std::uint32_t> argb;
  } cases[] = {
      {"{\"colors\":[" + variant("0x01", dark) + "," + variant("0x02", "") + "]}", 0xFF02FFFF},
      {"{\"colors\":[" + variant("0x01", dark) + "," + variant("0x02", dark) + "]}", 0xFF01FFFF},
      // Appearances that are not an array count as none.
      {"{\"colors\":[" + variant("0x03", R"(,"appearances":"dark")") + "," + variant("0x04", "") + "]}",
       0xFF03FFFF},
      {R"({"colors":[]})", std::nullopt},
      {R"({"colors":[{"color":{"components":{}}}, 1]})", std::nullopt},
      {R"({"colors":{}})", std::nullopt},
      {R"({"colors":[{"color":{"components":[]}}]})", std::nullopt},
      {R"({"colors":[{"color":"red"}]})", std::nullopt},
      {R"([1])", std::nullopt},
      {"not json", std::nullopt},
  };
  int index = 0;
  for (const auto& c : cases) {
    const fs::path set = temp / colorSetName(index++);
    temp.put(set / "Contents.json", c.document);
    EXPECT_EQ(ProjectScanner::readColor(set), c.argb) << c.document;
  }
  EXPECT_EQ(ProjectScanner::readColor(temp / "Missing.colorset"), std::nullopt);
}

TEST(ProjectScanner, BestImageTakesTheFirstLargestRasterFile) {
  TempDir temp;
  temp.put("Set.imageset/a.png", std::string(10, 'a'));
  temp.put("Set.imageset/b@2x.png", std::string(30, 'b'));
  temp.put("Set.imageset/c@3x.png", std::string(30, 'c'));
  temp.put("Set.imageset/d.pdf", std::string(99, 'd'));
  temp.put("Set.imageset/Contents.json", std::string(99, 'j'));
  fs::create_directories(temp / "Set.imageset/folder.png");
  EXPECT_EQ(ProjectScanner::bestImage(temp / "Set.imageset"), temp / "Set.imageset/b@2x.png");

  temp.put("Upper.imageset/photo.JPEG", "");
  temp.put("Upper.imageset/.png", std::string(50, 'x'));
  EXPECT_EQ(ProjectScanner::bestImage(temp / "Upper.imageset"), temp / "Upper.imageset/photo.JPEG");

  temp.put("Webp.imageset/a.webp", "w");
  temp.put("Webp.imageset/b.jpg", "jj");
  EXPECT_EQ(ProjectScanner::bestImage(temp / "Webp.imageset"), temp / "Webp.imageset/b.jpg");

  temp.put("Vector.imageset/logo.pdf", "%PDF");
  EXPECT_EQ(ProjectScanner::bestImage(temp / "Vector.imageset"), std::nullopt);
  EXPECT_EQ(ProjectScanner::bestImage(temp / "Missing.imageset"), std::nullopt);
}

}  // namespace
}  // namespace tovrane
