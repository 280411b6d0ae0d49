#include "core/project/AndroidProjectWriter.hpp"

#include "core/support/Files.hpp"
#include "core/support/Resources.hpp"
#include "core/support/Text.hpp"
#include "tests/support/TempDir.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <regex>
#include <sys/stat.h>

namespace tovrane {
namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

constexpr std::string_view settingsHead = R"(pluginManagement {
    repositories {
        google()
        mavenCentral()
        gradlePluginPortal()
    }
}
dependencyResolutionManagement {
    repositoriesMode.set(RepositoriesMode.FAIL_ON_PROJECT_REPOS)
    repositories {
        google()
        mavenCentral()
    }
}
)";

constexpr std::string_view manifestHead = R"(<?xml version="1.0" encoding="utf-8"?>
<manifest xmlns:android="http://schemas.android.com/apk/res/android">
    <uses-permission android:name="android.permission.INTERNET" />
    <application
        android:allowBackup="true"
        android:label="@string/app_name"
)";

constexpr std::string_view manifestTail = R"(        android:supportsRtl="true"
        android:theme="@android:style/Theme.Material.Light.NoActionBar">
        <activity
            android:name=".MainActivity"
            android:exported="true"
            android:windowSoftInputMode="adjustResize">
            <intent-filter>
                <action android:name="android.intent.action.MAIN" />
                <category android:name="android.intent.category.LAUNCHER" />
            </intent-filter>
        </activity>
    </application>
</manifest>
)";

constexpr std::string_view assetCatalogHead = R"(// Farben aus dem Xcode-Asset-Katalog (erzeugt von tovrane)
package tovrane.runtime

val assetColors: Map<String, androidx.compose.ui.graphics.Color> = mapOf(
)";

std::string concat(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (const auto part : parts) out.append(part);
  return out;
}

std::string activity(std::string_view package, std::string_view body) {
  return concat({"package ", package, R"(

import android.os.Bundle
import androidx.activity.ComponentActivity
import androidx.activity.compose.setContent
import androidx.activity.enableEdgeToEdge
import tovrane.runtime.*

class MainActivity : ComponentActivity() {
    override fun onCreate(savedInstanceState: Bundle?) {
        super.onCreate(savedInstanceState)
        tovrane.runtime.SwiftApp.context = applicationContext
        enableEdgeToEdge()
        setContent {
            TovraneTheme {
                )", body, R"(
            }
        }
    }
}
)"});
}

std::string read(const fs::path& path) { return files::readFile(path); }

// Runs a shell command line and returns what it printed (both streams).
std::string run(const std::string& command) {
  FILE* pipe = ::popen(("(" + command + ") 2>&1").c_str(), "r");
  if (!pipe) return {};
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  ::pclose(pipe);
  return output;
}

std::string sha256(const fs::path& path) { return run("sha256sum '" + path.string() + "'").substr(0, 64); }

class AndroidProjectWriterTest : public ::testing::Test {
 protected:
  fs::path out() const { return temp / "Notes-Android"; }
  AndroidProjectWriter writer(std::string appName = "Notizen", std::string package = "com.example.notes") const {
    return AndroidProjectWriter(std::move(appName), std::move(package), out());
  }
  TempDir temp;
};

TEST_F(AndroidProjectWriterTest, WritesEveryFileOfTheProject) {
  const fs::path logo = temp.put("src/Logo.imageset/logo@3x.PNG", "png bytes");
  const fs::path hero = temp.put("src/Hero.imageset/hero.jpeg", "jpeg bytes");
  const fs::path icon = temp.put("src/AppIcon.appiconset/icon.jpg", "icon bytes");
  ProjectScan scan;
  scan.colors = {{"Brand", 0xFFFF8000}, {"Clear", 0x0000000A}, {"Say \"$hi\"\\", 0x12ABCDEF}};
  scan.images = {{"Logo", logo}, {"Hero Image", hero}};
  scan.appIcon = icon;
  writer().write({{"ContentView.kt", "// ContentView\n"}, {"Model.kt", "// Model\n"}}, "ContentView", false, scan);

  const std::string package = "app/src/main/java/com/example/notes/";
  const struct {
    std::string path;
    std::string content;
  } expected[] = {
      {"settings.gradle.kts", concat({settingsHead, "rootProject.name = \"Notizen\"\ninclude(\":app\")\n"})},
      {"build.gradle.kts", R"(plugins {
    id("com.android.application") version "8.7.3" apply false
    id("org.jetbrains.kotlin.android") version "2.1.0" apply false
    id("org.jetbrains.kotlin.plugin.compose") version "2.1.0" apply false
}
)"},
      {"gradle.properties", R"(org.gradle.jvmargs=-Xmx4g -Dfile.encoding=UTF-8
android.useAndroidX=true
kotlin.code.style=official
android.nonTransitiveRClass=true
)"},
      {"gradle/wrapper/gradle-wrapper.properties", R"(distributionBase=GRADLE_USER_HOME
distributionPath=wrapper/dists
distributionUrl=https\://services.gradle.org/distributions/gradle-8.11.1-bin.zip
networkTimeout=10000
validateDistributionUrl=true
zipStoreBase=GRADLE_USER_HOME
zipStorePath=wrapper/dists
)"},
      {".gitignore", ".gradle/\nbuild/\napp/build/\nlocal.properties\n.idea/\n*.iml\n.DS_Store\n"},
      {"app/build.gradle.kts", R"(plugins {
    id("com.android.application")
    id("org.jetbrains.kotlin.android")
    id("org.jetbrains.kotlin.plugin.compose")
}

android {
    namespace = "com.example.notes"
    compileSdk = 35

    defaultConfig {
        applicationId = "com.example.notes"
        minSdk = 26
        targetSdk = 35
        versionCode = 1
        versionName = "1.0"
    }

    buildTypes {
        release {
            isMinifyEnabled = false
        }
    }
    compileOptions {
        sourceCompatibility = JavaVersion.VERSION_17
        targetCompatibility = JavaVersion.VERSION_17
    }
    kotlinOptions {
        jvmTarget = "17"
    }
    buildFeatures {
        compose = true
    }
}

dependencies {
    val composeBom = platform("androidx.compose:compose-bom:2024.12.01")
    implementation(composeBom)
    implementation("androidx.activity:activity-compose:1.9.3")
    implementation("androidx.compose.ui:ui")
    implementation("androidx.compose.foundation:foundation")
    implementation("androidx.compose.material3:material3")
    implementation("androidx.compose.material:material-icons-extended")
    implementation("androidx.compose.ui:ui-tooling-preview")
    debugImplementation("androidx.compose.ui:ui-tooling")
}
)"},
      {"app/src/main/AndroidManifest.xml",
       concat({manifestHead, "        android:icon=\"@mipmap/ic_launcher\"\n", manifestTail})},
      {"app/src/main/res/values/strings.xml", R"(<?xml version="1.0" encoding="utf-8"?>
<resources>
    <string name="app_name">Notizen</string>
</resources>
)"},
      {package + "MainActivity.kt", activity("com.example.notes", "NavigationStack { ContentView() }")},
      {package + "ContentView.kt", "// ContentView\n"},
      {package + "Model.kt", "// Model\n"},
      // Names are Kotlin string literals; the digits are upper-case, eight of them.
      {"app/src/main/java/tovrane/runtime/AssetCatalog.kt",
       concat({assetCatalogHead, R"(    "Brand" to androidx.compose.ui.graphics.Color(0xFFFF8000),
    "Clear" to androidx.compose.ui.graphics.Color(0x0000000A),
    "Say \"\$hi\"\\" to androidx.compose.ui.graphics.Color(0x12ABCDEF),
)

val assetImages: Map<String, String> = mapOf(
    "Logo" to "logo",
    "Hero Image" to "hero_image",
)
)"})},
      {"app/src/main/res/drawable-nodpi/logo.png", "png bytes"},
      {"app/src/main/res/drawable-nodpi/hero_image.jpg", "jpeg bytes"},
      {"app/src/main/res/mipmap-xxxhdpi/ic_launcher.png", "icon bytes"},
  };
  for (const auto& file : expected) EXPECT_EQ(read(out() / file.path), file.content) << file.path;
  EXPECT_TRUE(fs::is_directory(out() / ".tovrane"));
  EXPECT_TRUE(fs::is_empty(out() / ".tovrane"));
}

TEST_F(AndroidProjectWriterTest, CarriesTheVerifiedGradleWrapper) {
  writer().write({}, std::nullopt, false, {});
  const fs::path resources = fs::path(TOVRANE_SOURCE_DIR) / "core/resources/gradle";
  EXPECT_EQ(read(out() / "gradlew"), read(resources / "gradlew"));
  EXPECT_EQ(read(out() / "gradlew.bat"), read(resources / "gradlew.bat"));
  struct stat st {};
  ASSERT_EQ(::stat((out() / "gradlew").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0755u);
  ASSERT_EQ(::stat((out() / "gradlew.bat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0111, 0u);

  // Windows reads the batch file line by line only with CR LF.
  const std::string bat = read(out() / "gradlew.bat");
  ASSERT_TRUE(bat.ends_with("\r\n"));
  for (std::size_t at = bat.find('\n'); at != std::string::npos; at = bat.find('\n', at + 1))
    EXPECT_EQ(bat[at - 1], '\r') << "line feed without carriage return at byte " << at;
  EXPECT_EQ(read(out() / "gradlew").find('\r'), std::string::npos);

  if (!AndroidProjectWriter::resource("gradle/gradle-wrapper.jar"))
    GTEST_SKIP() << "gradle-wrapper.jar is fetched by scripts/setup; this build has none";
  EXPECT_EQ(sha256(out() / "gradle/wrapper/gradle-wrapper.jar"),
            "2db75c40782f5e8ba1fc278a5574bab070adccb2d21ca5a6e5ed840888448046");
}

TEST_F(AndroidProjectWriterTest, GradlewFindsJavaAndPassesEveryArgumentOn) {
  writer().write({}, std::nullopt, false, {});
  // A stand-in "java" that prints its arguments, one per line.
  const fs::path java = temp.put("jdk/bin/java", "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done\n");
  fs::permissions(java, fs::perms::owner_all);
  const std::string gradlew = "'" + (out() / "gradlew").string() + "'";
  const std::string jar = "[-classpath]\n[" + (out() / "gradle/wrapper/gradle-wrapper.jar").string() + "]\n";
  const std::string tail = "[org.gradle.wrapper.GradleWrapperMain]\n[compileDebugKotlin]\n[--arg with  blanks]\n";

  const std::string viaJavaHome =
      run("cd / && JAVA_HOME='" + (temp / "jdk").string() + "' " + gradlew + " compileDebugKotlin '--arg with  blanks'");
  EXPECT_THAT(viaJavaHome, ::testing::HasSubstr(jar + tail));
  EXPECT_THAT(viaJavaHome, ::testing::HasSubstr("[-Dorg.gradle.appname=gradlew]"));

  const std::string viaPath = run("cd / && unset JAVA_HOME; PATH='" + (temp / "jdk/bin").string() + ":/usr/bin:/bin' " +
                                  gradlew + " compileDebugKotlin '--arg with  blanks'");
  EXPECT_THAT(viaPath, ::testing::HasSubstr(jar + tail));

  EXPECT_THAT(run("JAVA_HOME=/nonexistent " + gradlew + "; echo \"exit $?\""),
              ::testing::AllOf(::testing::HasSubstr("JAVA_HOME"), ::testing::EndsWith("exit 1\n")));
}

TEST_F(AndroidProjectWriterTest, ActivityShowsTheEntry) {
  const struct {
    std::optional<std::string> entry;
    bool isApp;
    std::string_view body;
  } cases[] = {
      {"NotesApp", true, "NotesApp()"},
      {"ContentView", false, "NavigationStack { ContentView() }"},
      {std::nullopt, false, R"(Unsupported("Kein SwiftUI-Einstieg gefunden"))"},
      {std::nullopt, true, R"(Unsupported("Kein SwiftUI-Einstieg gefunden"))"},
  };
  for (const auto& c : cases) {
    writer().write({}, c.entry, c.isApp, {});
    EXPECT_EQ(read(out() / "app/src/main/java/com/example/notes/MainActivity.kt"),
              activity("com.example.notes", c.body))
        << c.body;
  }
}

TEST_F(AndroidProjectWriterTest, AppNameIsEscapedForEachFile) {
  const struct {
    std::string appName;
    std::string_view rootProjectName;
    std::string_view stringResource;
  } cases[] = {
      {"Mein Café & Co's <App>", "Mein Café  Cos App", R"(Mein Café &amp; Co\'s &lt;App>)"},
      {"Notes+ (Beta)", "Notes Beta", "Notes+ (Beta)"},
      {"!!!", "App", "!!!"},
      {"", "App", ""},
      {"Say \"Hi\"", "Say Hi", R"(Say \"Hi\")"},
      {R"(C:\Apps $x)", "CApps x", R"(C:\\Apps $x)"},
      {"@string/evil", "stringevil", R"(\@string/evil)"},
      {"?attr", "attr", R"(\?attr)"},
      {"a]]>b", "ab", "a]]&gt;b"},
      {"日本語 2-go", "日本語 2-go", "日本語 2-go"},
  };
  for (const auto& c : cases) {
    writer(c.appName).write({}, std::nullopt, false, {});
    const std::string settings = read(out() / "settings.gradle.kts");
    EXPECT_THAT(text::splitLines(settings),
                ::testing::Contains(concat({"rootProject.name = \"", c.rootProjectName, "\""})))
        << c.appName;
    EXPECT_EQ(text::splitLines(read(out() / "app/src/main/res/values/strings.xml"))[2],
              concat({"    <string name=\"app_name\">", c.stringResource, "</string>"}))
        << c.appName;
  }
}

// Whether text may stand as the content of an XML element: valid UTF-8 of
// XML characters only, no "<", and "&" only as a predefined or character
// reference.
bool isXmlCharacterData(std::string_view text) {
  if (!text::isValidUtf8(text)) return false;
  for (std::string_view rest = text; !rest.empty();) {
    std::size_t length = 0;
    const char32_t c = text::firstScalar(rest, &length);
    if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE || c == 0xFFFF) return false;
    rest.remove_prefix(length);
  }
  static const std::regex reference("&(amp|lt|gt|quot|apos|#[0-9]+|#x[0-9A-Fa-f]+);");
  const std::string without = std::regex_replace(std::string(text), reference, "");
  return without.find_first_of("&<") == std::string::npos;
}

// Names from the project, and a package name given by the caller, end up in
// XML and in Gradle's Kotlin scripts: whatever they hold, those files stay
// well-formed and no text leaves its string.
TEST_F(AndroidProjectWriterTest, TextsFromOutsideStayValidInXmlAndGradle) {
  const struct {
    std::string appName;
    std::string packageName;
    std::string_view stringResource;
  } cases[] = {
      {"Evil\x01\x1B[2JApp", "com.example.notes", "Evil\xEF\xBF\xBD\xEF\xBF\xBD[2JApp"},
      {"Tab\tNew\nLine", "com.example.notes", "Tab\xEF\xBF\xBDNew\xEF\xBF\xBDLine"},
      {"Broken \xFF\xFE UTF-8", "com.example.notes", "Broken \xEF\xBF\xBD\xEF\xBF\xBD UTF-8"},
      {"Nonchar \xEF\xBF\xBF", "com.example.notes", "Nonchar \xEF\xBF\xBD"},
      {"</string><string name=\"x\">", "com.example.notes", "&lt;/string>&lt;string name=\\\"x\\\">"},
      {"Notes", "com.x\"\n}\nval y = \"${System.exit(1)}", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.appName);
    fs::remove_all(out());
    writer(c.appName, c.packageName).write({}, std::nullopt, false, {});
    // The one element whose content comes from outside holds XML text.
    const std::string strings = read(out() / "app/src/main/res/values/strings.xml");
    constexpr std::string_view head = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<resources>\n"
                                      "    <string name=\"app_name\">";
    constexpr std::string_view tail = "</string>\n</resources>\n";
    ASSERT_TRUE(strings.starts_with(head) && strings.ends_with(tail)) << strings;
    const std::string_view content = std::string_view(strings).substr(head.size(), strings.size() - head.size() - tail.size());
    EXPECT_TRUE(isXmlCharacterData(content)) << content;
    if (!c.stringResource.empty()) {
      EXPECT_EQ(content, c.stringResource);
    }
    // The build scripts keep their shape: every inserted text stays on its
    // line and inside its string, with no template in it.
    const std::string gradleText = read(out() / "app/build.gradle.kts");
    const auto gradle = text::splitLines(gradleText);
    ASSERT_EQ(gradle.size(), 47u);
    for (const std::size_t line : {7, 11}) {
      const std::string_view value = gradle[line].substr(gradle[line].find('"'));
      EXPECT_TRUE(value.ends_with('"') && value.size() >= 2) << gradle[line];
      const std::string_view inner = value.substr(1, value.size() - 2);
      for (std::size_t i = 0; i < inner.size(); ++i) {
        if (inner[i] == '\\') ++i;
        else EXPECT_TRUE(inner[i] != '"' && inner[i] != '$') << gradle[line];
      }
    }
    EXPECT_EQ(text::splitLines(read(out() / "settings.gradle.kts")).size(), 17u);
  }
}

TEST_F(AndroidProjectWriterTest, AssetNamesAreAndroidResourceNames) {
  const struct {
    std::string_view name;
    std::string_view asset;
  } cases[] = {
      {"AppLogo", "applogo"}, {"hero-image 2", "hero_image_2"}, {"1st place", "img_1st_place"},
      {"Café", "caf_"},       {"", "img_"},                    {"🙂x", "_x"},
      {"../../etc", "______etc"}, {"Straße", "stra_e"},
      // Names that are no Java identifier, as the R class needs them.
      {"★", "img__"}, {"_", "img__"}, {"Class", "img_class"}, {"null", "img_null"}, {"__", "__"},
  };
  for (const auto& c : cases) EXPECT_EQ(AndroidProjectWriter::assetName(c.name), c.asset) << c.name;
}

TEST_F(AndroidProjectWriterTest, EmptyScanWritesNoResourceFolders) {
  writer().write({}, std::nullopt, false, {});
  EXPECT_EQ(read(out() / "app/src/main/java/tovrane/runtime/AssetCatalog.kt"),
            concat({assetCatalogHead, "\n)\n\nval assetImages: Map<String, String> = mapOf(\n\n)\n"}));
  EXPECT_EQ(read(out() / "app/src/main/AndroidManifest.xml"), concat({manifestHead, manifestTail}));
  EXPECT_FALSE(fs::exists(out() / "app/src/main/res/drawable-nodpi"));
  EXPECT_FALSE(fs::exists(out() / "app/src/main/res/mipmap-xxxhdpi"));
}

TEST_F(AndroidProjectWriterTest, LaterFilesOfTheSameNameWin) {
  writer().write({{"MainActivity.kt", "// own activity\n"}, {"A.kt", "one"}, {"A.kt", "two"}}, "ContentView",
                 false, {});
  const fs::path package = out() / "app/src/main/java/com/example/notes";
  EXPECT_EQ(read(package / "MainActivity.kt"), "// own activity\n");
  EXPECT_EQ(read(package / "A.kt"), "two");
}

// Android keeps one drawable per name whatever the extension: image sets
// whose names clean alike all stay, the later ones under a numbered name that
// the asset catalogue maps them to, and a warning names each pair.
TEST_F(AndroidProjectWriterTest, ImageSetsWhoseNamesCleanAlikeAllStay) {
  ProjectScan scan;
  scan.root = temp.path();
  scan.images = {{"Logo", temp.put("A.xcassets/Logo.imageset/a.png", "first")},
                 {"logo", temp.put("A.xcassets/logo.imageset/b.PNG", "second")},
                 {"..", temp.put("A.xcassets/...imageset/c.jpg", "third")},
                 {"\xE6\x97\xA5\xE6\x9C\xAC", temp.put("A.xcassets/x.imageset/d.webp", "fourth")},   // 日本
                 {"\xF0\x9F\x90\xB6", temp.put("A.xcassets/y.imageset/e.png", "fifth")}};              // 🐶
  const std::vector<ConversionWarning> warnings = writer().write({}, std::nullopt, false, scan);
  const fs::path drawables = out() / "app/src/main/res/drawable-nodpi";
  EXPECT_EQ(read(drawables / "logo.png"), "first");
  EXPECT_EQ(read(drawables / "logo_2.png"), "second");
  EXPECT_EQ(read(drawables / "__.jpg"), "third");
  EXPECT_EQ(read(drawables / "___2.webp"), "fourth");
  EXPECT_EQ(read(drawables / "img__.png"), "fifth");
  EXPECT_THAT(read(out() / "app/src/main/java/tovrane/runtime/AssetCatalog.kt"),
              ::testing::EndsWith("val assetImages: Map<String, String> = mapOf(\n"
                                  "    \"Logo\" to \"logo\",\n"
                                  "    \"logo\" to \"logo_2\",\n"
                                  "    \"..\" to \"__\",\n"
                                  "    \"\xE6\x97\xA5\xE6\x9C\xAC\" to \"___2\",\n"
                                  "    \"\xF0\x9F\x90\xB6\" to \"img__\",\n"
                                  ")\n"));
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_EQ(warnings[0].file, "A.xcassets/logo.imageset");
  EXPECT_EQ(warnings[0].source, "logo");
  EXPECT_THAT(warnings[0].message, ::testing::HasSubstr("«Logo»"));
  EXPECT_THAT(warnings[1].message, ::testing::HasSubstr("«..»"));
}

// Image set names that take the whole name limit: the drawable's name is
// shortened so that its file can be written, and still differs from the
// other's.
TEST_F(AndroidProjectWriterTest, LongImageNamesFitTheNameLimit) {
  ProjectScan scan;
  scan.root = temp.path();
  std::string name(246, 'a');
  name[0] = '1';
  scan.images = {{name, temp.put("A.xcassets/a.imageset/a.webp", "first")},
                 {name, temp.put("A.xcassets/b.imageset/b.webp", "second")}};
  writer().write({}, std::nullopt, false, scan);
  std::vector<std::string> drawables;
  for (const auto& entry : fs::directory_iterator(out() / "app/src/main/res/drawable-nodpi"))
    drawables.push_back(entry.path().filename().string());
  std::sort(drawables.begin(), drawables.end());
  EXPECT_EQ(drawables, (std::vector<std::string>{std::string("img_1").append(243, 'a').append("_2.webp"),
                                                 std::string("img_1").append(245, 'a').append(".webp")}));
}

TEST_F(AndroidProjectWriterTest, RuntimeSourcesComeFromTheStoreWhenPresent) {
  const std::string invalid = "val broken = \"\xff\"\n";
  {
    // One source under runtime/, the other only at the top level.
    resources::Override store({{"SwiftUI.kt", "package tovrane.runtime // ui\n"},
                               {"runtime/SwiftStdlib.kt", "package tovrane.runtime // stdlib\n"}});
    writer().write({}, std::nullopt, false, {});
  }
  const fs::path runtime = out() / "app/src/main/java/tovrane/runtime";
  EXPECT_EQ(read(runtime / "SwiftStdlib.kt"), "package tovrane.runtime // stdlib\n");
  EXPECT_EQ(read(runtime / "SwiftUI.kt"), "package tovrane.runtime // ui\n");

  // A source that is not UTF-8 is left out.
  fs::remove_all(out());
  resources::Override store({{"runtime/SwiftUI.kt", invalid}});
  writer().write({}, std::nullopt, false, {});
  EXPECT_FALSE(fs::exists(runtime / "SwiftUI.kt"));
  EXPECT_FALSE(fs::exists(runtime / "SwiftStdlib.kt"));
}

TEST_F(AndroidProjectWriterTest, EmptyStoreStillGivesAProject) {
  resources::Override empty({});
  writer().write({}, std::nullopt, false, {});
  for (const char* missing : {"gradlew", "gradlew.bat", "gradle/wrapper/gradle-wrapper.jar",
                              "app/src/main/java/tovrane/runtime/SwiftStdlib.kt",
                              "app/src/main/java/tovrane/runtime/SwiftUI.kt"})
    EXPECT_FALSE(fs::exists(out() / missing)) << missing;
  EXPECT_TRUE(fs::exists(out() / "gradle/wrapper/gradle-wrapper.properties"));
  EXPECT_TRUE(fs::exists(out() / "app/src/main/java/tovrane/runtime/AssetCatalog.kt"));
}

TEST_F(AndroidProjectWriterTest, RewritingReplacesGeneratedFilesAndKeepsOthers) {
  const fs::path icon = temp.put("icon.png", "icon");
  ProjectScan scan;
  scan.appIcon = icon;
  scan.colors = {{"Old", 1}};
  writer("Alt").write({{"Old.kt", "old"}}, std::nullopt, false, scan);
  const auto firstRun = temp.entries();
  temp.put("Notes-Android/local.properties", "sdk.dir=/sdk\n");
  temp.put("Notes-Android/.tovrane/manifest.json", "{}");

  scan.colors = {{"New", 2}};
  writer("Neu").write({{"Old.kt", "new"}}, std::nullopt, false, scan);
  EXPECT_EQ(read(out() / "app/src/main/res/values/strings.xml"),
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<resources>\n    <string name=\"app_name\">Neu</string>\n"
            "</resources>\n");
  EXPECT_EQ(read(out() / "app/src/main/java/com/example/notes/Old.kt"), "new");
  EXPECT_THAT(read(out() / "app/src/main/java/tovrane/runtime/AssetCatalog.kt"),
              ::testing::HasSubstr("\"New\" to androidx.compose.ui.graphics.Color(0x00000002),"));
  EXPECT_EQ(read(out() / "local.properties"), "sdk.dir=/sdk\n");
  EXPECT_EQ(read(out() / ".tovrane/manifest.json"), "{}");
  // Exactly the files of the first run and the two added ones: no
  // temporary file is left behind.
  auto expected = firstRun;
  expected.push_back("Notes-Android/local.properties");
  expected.push_back("Notes-Android/.tovrane/manifest.json");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(temp.entries(), expected);
}

TEST_F(AndroidProjectWriterTest, NeverWritesOutsideTheOutputFolder) {
  const std::vector<std::string> before = temp.entries();
  const auto outside = [&] {
    std::vector<std::string> added;
    for (const auto& entry : temp.entries())
      if (!entry.starts_with("Notes-Android") && std::find(before.begin(), before.end(), entry) == before.end())
        added.push_back(entry);
    return added;
  };
  EXPECT_THROW(writer().write({{"../../../../../../../../../escape.kt", "x"}}, std::nullopt, false, {}),
               files::FileError);
  EXPECT_THROW(writer().write({{"/tmp/escape.kt", "x"}}, std::nullopt, false, {}), files::FileError);
  EXPECT_THROW(writer().write("x", "/etc/escape"), files::FileError);
  EXPECT_THROW(writer().write("x", "a/../../escape"), files::FileError);
  EXPECT_EQ(outside(), std::vector<std::string>{});

  // A link placed in an earlier output must not lead the writer elsewhere.
  fs::remove_all(out());
  fs::create_directories(temp / "elsewhere");
  fs::create_directories(out());
  fs::create_symlink(temp / "elsewhere", out() / "app");
  EXPECT_THROW(writer().write({}, std::nullopt, false, {}), files::FileError);
  fs::remove(out() / "app");
  fs::create_symlink(temp / "elsewhere", out() / ".tovrane");
  EXPECT_THROW(writer().write({}, std::nullopt, false, {}), files::FileError);
  EXPECT_TRUE(fs::is_empty(temp / "elsewhere"));

  // A link as the target file itself is replaced, not followed.
  fs::remove(out() / ".tovrane");
  fs::remove(out() / "gradle.properties");
  const fs::path victim = temp.put("victim.txt", "keep");
  fs::create_symlink(victim, out() / "gradle.properties");
  writer().write({}, std::nullopt, false, {});
  EXPECT_EQ(read(victim), "keep");
  EXPECT_FALSE(fs::is_symlink(out() / "gradle.properties"));

  // Dots of the package name become folders, so no package name climbs up.
  writer("App", "..etc....passwd").write({}, std::nullopt, false, {});
  EXPECT_TRUE(fs::exists(out() / "app/src/main/java/etc/passwd/MainActivity.kt"));
  EXPECT_EQ(outside(), (std::vector<std::string>{"elsewhere", "victim.txt"}));
}

TEST_F(AndroidProjectWriterTest, FileSystemErrorsStopTheWrite) {
  temp.put("blocker", "a file where the output folder should be");
  EXPECT_THROW(AndroidProjectWriter("A", "a.b", temp / "blocker/out").write({}, std::nullopt, false, {}),
               files::FileError);
  ProjectScan scan;
  scan.images = {{"Gone", temp / "missing.png"}};
  EXPECT_THROW(writer().write({}, std::nullopt, false, scan), files::FileError);
  // Steps before the failing copy stay; the metadata folder comes last.
  EXPECT_TRUE(fs::exists(out() / "app/src/main/java/tovrane/runtime/AssetCatalog.kt"));
  EXPECT_FALSE(fs::exists(out() / ".tovrane"));
}

}  // namespace
}  // namespace tovrane
