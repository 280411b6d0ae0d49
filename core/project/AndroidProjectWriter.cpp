#include "core/project/AndroidProjectWriter.hpp"

#include "core/backend/KotlinStringLiteral.hpp"
#include "core/support/Cancelled.hpp"
#include "core/support/Files.hpp"
#include "core/support/Resources.hpp"
#include "core/support/Text.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>

namespace tovrane {
namespace fs = std::filesystem;

namespace {

// The fixed parts of the generated project. Versions are pinned together:
// the Android Gradle plugin 8.7.3 needs Gradle 8.9 or later, and Kotlin's
// Compose compiler plugin ships with Kotlin itself from 2.0 on.
constexpr std::string_view rootBuildGradle = R"(plugins {
    id("com.android.application") version "8.7.3" apply false
    id("org.jetbrains.kotlin.android") version "2.1.0" apply false
    id("org.jetbrains.kotlin.plugin.compose") version "2.1.0" apply false
}
)";

constexpr std::string_view gradleProperties = R"(org.gradle.jvmargs=-Xmx4g -Dfile.encoding=UTF-8
android.useAndroidX=true
kotlin.code.style=official
android.nonTransitiveRClass=true
)";

constexpr std::string_view wrapperProperties = R"(distributionBase=GRADLE_USER_HOME
distributionPath=wrapper/dists
distributionUrl=https\://services.gradle.org/distributions/gradle-8.11.1-bin.zip
networkTimeout=10000
validateDistributionUrl=true
zipStoreBase=GRADLE_USER_HOME
zipStorePath=wrapper/dists
)";

constexpr std::string_view gitignore = R"(.gradle/
build/
app/build/
local.properties
.idea/
*.iml
.DS_Store
)";

constexpr std::string_view appBuildGradleHead = R"(plugins {
    id("com.android.application")
    id("org.jetbrains.kotlin.android")
    id("org.jetbrains.kotlin.plugin.compose")
}

android {
)";

constexpr std::string_view appBuildGradleTail = R"(        versionCode = 1
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
)";

struct CopiedResource {
  std::string_view resource;
  std::string_view destination;
  mode_t mode;
};

// The wrapper files come from the core library's store. "gradlew" is made
// executable as it is written, so it is never visible without its mode.
constexpr std::array<CopiedResource, 3> wrapperFiles{{
    {"gradle/gradle-wrapper.jar", "gradle/wrapper/gradle-wrapper.jar", 0644},
    {"gradle/gradlew", "gradlew", 0755},
    {"gradle/gradlew.bat", "gradlew.bat", 0644},
}};

constexpr std::array<std::string_view, 2> runtimeSources{"SwiftStdlib.kt", "SwiftUI.kt"};
constexpr std::string_view runtimeFolder = "app/src/main/java/tovrane/runtime/";

// Words that are no Java identifier, which Android's resource compiler
// refuses as resource names: the keywords, the literals, and "_".
constexpr std::array<std::string_view, 54> javaReservedWords{
    "abstract", "assert", "boolean", "break", "byte", "case", "catch", "char", "class", "const",
    "continue", "default", "do", "double", "else", "enum", "extends", "final", "finally", "float",
    "for", "goto", "if", "implements", "import", "instanceof", "int", "interface", "long", "native",
    "new", "package", "private", "protected", "public", "return", "short", "static", "strictfp", "super",
    "switch", "synchronized", "this", "throw", "throws", "transient", "try", "void", "volatile", "while",
    "true", "false", "null", "_"};

// Letters, numbers, blanks and hyphens, so the name needs no escaping inside
// the Kotlin string of settings.gradle.kts.
std::string rootProjectName(std::string_view appName) {
  std::string name;
  text::forEachGrapheme(appName, [&](std::string_view character) {
    if (text::isLetter(character) || text::isNumber(character) || character == " " || character == "-")
      name += character;
    return true;
  });
  return name.empty() ? "App" : name;
}

std::string settingsGradle(std::string_view appName) {
  std::string out = R"(pluginManagement {
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
rootProject.name = )";
  return out.append(stringLiteral(rootProjectName(appName))).append("\ninclude(\":app\")\n");
}

std::string appBuildGradle(std::string_view packageName) {
  // A package name given by the caller is not checked: as a Kotlin string
  // of the build script it can still neither end the string nor start a
  // template, and holds no control character.
  const std::string package = stringLiteral(text::printable(packageName));
  std::string out(appBuildGradleHead);
  out += "    namespace = " + package + "\n";
  out += "    compileSdk = 35\n\n    defaultConfig {\n";
  out += "        applicationId = " + package + "\n";
  out += "        minSdk = 26\n        targetSdk = 35\n";
  out += appBuildGradleTail;
  return out;
}

std::string manifest(bool hasIcon, std::string_view activityName) {
  std::string out = R"(<?xml version="1.0" encoding="utf-8"?>
<manifest xmlns:android="http://schemas.android.com/apk/res/android">
    <uses-permission android:name="android.permission.INTERNET" />
    <application
        android:allowBackup="true"
        android:label="@string/app_name"
)";
  if (hasIcon) out += "        android:icon=\"@mipmap/ic_launcher\"\n";
  out += R"(        android:supportsRtl="true"
        android:theme="@android:style/Theme.Material.Light.NoActionBar">
        <activity
            android:name=".)";
  out.append(activityName).append(R"("
            android:exported="true"
            android:windowSoftInputMode="adjustResize">
            <intent-filter>
                <action android:name="android.intent.action.MAIN" />
                <category android:name="android.intent.category.LAUNCHER" />
            </intent-filter>
        </activity>
    </application>
</manifest>
)");
  return out;
}

// The app name as the text of an Android string resource: XML-escaped, and
// with the characters that Android's resource compiler reads as escapes,
// quoting or references taken literally. Control characters and bytes that
// are not UTF-8 have no place in XML; they become U+FFFD, which shows the
// user that something was there. Backslashes go first so the backslashes
// added afterwards are not doubled.
std::string stringResource(std::string_view appName) {
  std::string out = text::replaceAll(text::printable(appName), "\\", "\\\\");
  out = text::replaceAll(out, "&", "&amp;");
  out = text::replaceAll(out, "<", "&lt;");
  // ">" is fine in XML text except as the end of "]]>".
  out = text::replaceAll(out, "]]>", "]]&gt;");
  out = text::replaceAll(out, "'", "\\'");
  out = text::replaceAll(out, "\"", "\\\"");
  if (!out.starts_with('@') && !out.starts_with('?')) return out;
  std::string escaped(1, '\\');
  return escaped.append(out);
}

std::string stringsXml(std::string_view appName) {
  std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<resources>\n    <string name=\"app_name\">";
  return out.append(stringResource(appName)).append("</string>\n</resources>\n");
}

std::string activity(std::string_view packageName, std::string_view activityName,
                     const std::optional<std::string>& entryComposable, bool entryIsApp) {
  std::string body;
  if (!entryComposable)
    body = "Unsupported(\"Kein SwiftUI-Einstieg gefunden\")";
  else if (entryIsApp)
    body = *entryComposable + "()";
  else
    body = "NavigationStack { " + *entryComposable + "() }";
  std::string out = "package ";
  out.append(packageName).append(R"(

import android.os.Bundle
import androidx.activity.ComponentActivity
import androidx.activity.compose.setContent
import androidx.activity.enableEdgeToEdge
import tovrane.runtime.*

class )").append(activityName).append(R"( : ComponentActivity() {
    override fun onCreate(savedInstanceState: Bundle?) {
        super.onCreate(savedInstanceState)
        tovrane.runtime.SwiftApp.context = applicationContext
        enableEdgeToEdge()
        setContent {
            TovraneTheme {
                )").append(body).append(R"(
            }
        }
    }
}
)");
  return out;
}

// One image set written as a drawable: its set, its resource name and the
// extension of its file.
struct ImageResource {
  const ScannedImage* image;
  std::string name;
  std::string extension;  // lowercased, "jpeg" as "jpg"
};

// The drawable name of every image set, in scan order. Android allows one
// resource per name whatever the extension, so when two sets clean to the
// same name (Logo and logo, or two names of only non-Latin letters) the later
// one gets the first free "_2", "_3", … and a warning names both. A name is
// shortened so that the file's name fits the file system's limit.
std::vector<ImageResource> imageResources(const ProjectScan& scan, std::vector<ConversionWarning>& warnings) {
  std::vector<ImageResource> resources;
  std::map<std::string, const ScannedImage*> taken;
  for (const ScannedImage& image : scan.images) {
    std::string extension = image.file.extension().string();
    if (!extension.empty()) extension = project::lowercased(extension.substr(1));
    if (extension == "jpeg") extension = "jpg";
    const std::string base = AndroidProjectWriter::assetName(image.name);
    const auto withSuffix = [&](const std::string& suffix) {
      std::string name = files::fittedName(base, suffix + "." + extension);
      return name.erase(name.size() - extension.size() - 1);
    };
    const std::string first = withSuffix("");
    std::string name = first;
    for (int k = 2; taken.contains(name); ++k) name = withSuffix(std::string("_").append(std::to_string(k)));
    if (name != first) {
      warnings.push_back(ConversionWarning{
          .file = image.file.parent_path().lexically_relative(scan.root).string(),
          .message = "Bildname ergibt denselben Android-Namen «" + first + "» wie «" + taken.at(first)->name +
                     "»; dieses Bild hei\xC3\x9Ft daher «" + name + "»",
          .source = image.name});
    }
    taken.emplace(name, &image);
    resources.push_back({&image, std::move(name), std::move(extension)});
  }
  return resources;
}

// The colours of the asset catalogues, and the drawable of every image set
// by its name, which the runtime's image lookup goes by.
std::string assetCatalog(const std::vector<ScannedColor>& colors, const std::vector<ImageResource>& images) {
  std::vector<std::string> lines;
  for (const ScannedColor& color : colors) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(color.argb));
    std::string line = "    ";
    line.append(stringLiteral(color.name)).append(" to androidx.compose.ui.graphics.Color(0x");
    lines.push_back(line.append(hex).append("),"));
  }
  std::string out =
      "// Farben aus dem Xcode-Asset-Katalog (erzeugt von tovrane)\npackage tovrane.runtime\n\n"
      "val assetColors: Map<String, androidx.compose.ui.graphics.Color> = mapOf(\n";
  out.append(text::join(lines, "\n")).append("\n)\n");
  lines.clear();
  for (const ImageResource& image : images) {
    std::string line = "    ";
    line.append(stringLiteral(image.image->name)).append(" to ").append(stringLiteral(image.name));
    lines.push_back(line.append(","));
  }
  out.append("\nval assetImages: Map<String, String> = mapOf(\n");
  return out.append(text::join(lines, "\n")).append("\n)\n");
}

}  // namespace

AndroidProjectWriter::AndroidProjectWriter(std::string appName, std::string packageName, fs::path output,
                                           std::string activityName)
    : appName_(std::move(appName)),
      packageName_(std::move(packageName)),
      output_(std::move(output)),
      activityName_(std::move(activityName)) {}

// The embedded store is the resource folder itself, so a name is looked up
// as it is.
std::optional<std::string_view> AndroidProjectWriter::resource(std::string_view name) {
  return resources::find(name);
}

std::string AndroidProjectWriter::assetName(std::string_view name) {
  std::string out;
  text::forEachGrapheme(project::lowercased(name), [&](std::string_view character) {
    const bool keep = character.size() == 1 && ((character[0] >= 'a' && character[0] <= 'z') ||
                                                 (character[0] >= '0' && character[0] <= '9'));
    out += keep ? character[0] : '_';
    return true;
  });
  // A resource name becomes a field of the generated R class: it must be a
  // Java identifier.
  const bool reserved = std::find(javaReservedWords.begin(), javaReservedWords.end(), out) != javaReservedWords.end();
  if (out.empty() || (out[0] >= '0' && out[0] <= '9') || reserved) out.insert(0, "img_");
  return out;
}

fs::path AndroidProjectWriter::packageFolder() const {
  // Joined as text: a package name starting with "." must not turn into an
  // absolute path.
  return fs::path("app/src/main/java/" + text::replaceAll(packageName_, ".", "/"));
}

fs::path AndroidProjectWriter::target(const fs::path& relativePath, bool isFolder) const {
  const fs::path relative = relativePath.lexically_normal();
  const fs::path full = output_ / relative;
  if (relative.empty() || relative.is_absolute() || relative.has_root_name() || *relative.begin() == ".." ||
      relative == ".")
    throw files::FileError(full, "liegt außerhalb des Ausgabeordners");
  // A link among the existing folders on the way would lead the write out of
  // the output folder; a link as the file itself is harmless, the atomic
  // rename replaces it.
  fs::path current = output_;
  const fs::path folders = isFolder ? relative : relative.parent_path();
  for (const fs::path& part : folders) {
    current /= part;
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(current, ec);
    if (ec || !fs::exists(status)) break;
    if (fs::is_symlink(status))
      throw files::FileError(current,
                             "ist ein symbolischer Link – das Android-Projekt wird nur in echte Ordner geschrieben");
  }
  return full;
}

void AndroidProjectWriter::writeBytes(std::string_view bytes, const fs::path& relativePath, mode_t mode,
                                      files::Flush flush) const {
  files::writeAtomic(target(relativePath), bytes, mode, flush);
}

void AndroidProjectWriter::write(std::string_view text, std::string_view relativePath) const {
  writeBytes(text, fs::path(relativePath), 0644, files::Flush::now);
}

std::vector<ConversionWarning> AndroidProjectWriter::write(const std::vector<KotlinSourceFile>& kotlinFiles,
                                                           const std::optional<std::string>& entryComposable,
                                                           bool entryIsApp, const ProjectScan& scan,
                                                           std::stop_token stop) const {
  const auto checkStop = [&] {
    if (stop.stop_requested()) throw Cancelled();
  };
  std::vector<ConversionWarning> warnings;
  files::createDirectories(output_);
  // The project's files are flushed together at the end.
  const auto write = [this](std::string_view text, std::string_view relativePath) {
    writeBytes(text, fs::path(relativePath), 0644);
  };
  write(settingsGradle(appName_), "settings.gradle.kts");
  write(rootBuildGradle, "build.gradle.kts");
  write(gradleProperties, "gradle.properties");
  write(wrapperProperties, "gradle/wrapper/gradle-wrapper.properties");
  // A wrapper file missing from the store is left out of the project.
  for (const CopiedResource& file : wrapperFiles)
    if (const auto bytes = resource(file.resource)) writeBytes(*bytes, file.destination, file.mode);
  write(gitignore, ".gitignore");
  write(appBuildGradle(packageName_), "app/build.gradle.kts");
  write(manifest(scan.appIcon.has_value(), activityName_), "app/src/main/AndroidManifest.xml");
  write(stringsXml(appName_), "app/src/main/res/values/strings.xml");

  const fs::path package = packageFolder();
  writeBytes(activity(packageName_, activityName_, entryComposable, entryIsApp), package / "MainActivity.kt", 0644);
  // In list order, so a later file of the same name (MainActivity.kt
  // included) replaces an earlier one.
  for (const KotlinSourceFile& file : kotlinFiles) {
    checkStop();
    writeBytes(file.text, package / file.name, 0644);
  }

  for (const std::string_view name : runtimeSources) {
    auto source = resource(std::string("runtime/").append(name));
    if (!source) source = resource(name);
    if (!source || !text::isValidUtf8(*source)) continue;
    writeBytes(*source, fs::path(runtimeFolder).append(name), 0644);
  }
  const std::vector<ImageResource> images = imageResources(scan, warnings);
  write(assetCatalog(scan.colors, images), std::string(runtimeFolder) + "AssetCatalog.kt");

  for (const ImageResource& image : images) {
    checkStop();
    writeBytes(files::readRegularFile(image.image->file, ProjectScanner::maxImageBytes),
               fs::path("app/src/main/res/drawable-nodpi") / (image.name + "." + image.extension), 0644);
  }
  // The icon's bytes are copied unchanged, whatever its format.
  if (scan.appIcon)
    writeBytes(files::readRegularFile(*scan.appIcon, ProjectScanner::maxImageBytes),
               "app/src/main/res/mipmap-xxxhdpi/ic_launcher.png", 0644);

  files::createDirectories(target(".tovrane", true));
  files::syncFileSystem(output_);
  return warnings;
}

}  // namespace tovrane
