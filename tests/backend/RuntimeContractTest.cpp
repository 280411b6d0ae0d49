// The Kotlin runtime must declare every name that generated code calls. Bare
// calls are checked through the runtime-name scan, the way the backend learns
// them; members (collection extensions, colour names, the Mod chain) by their
// declaration text. That the runtime also compiles is the Kotlin check's job
// (tests/kotlin).
#include "core/backend/KotlinNameTables.hpp"
#include "core/backend/RuntimeGlobals.hpp"

#include "core/support/Regex.hpp"
#include "core/support/Resources.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace tovrane {
namespace {

// Runtime names the generated code calls by their bare name, besides the
// views and globals of the backend's tables.
const std::vector<std::string> runtimeNames = {
    // view layer
    "Mod", "Apply", "Unsupported", "ColorView", "AssetImage", "RoundedRectangleShape", "Shape", "Binding",
    "environmentObject", "LocalDismiss", "DismissAction", "currentColorScheme", "ColorScheme", "currentOpenURL",
    "OpenURLAction", "ModelContext", "rememberAppStorage", "ModelStore",
    // language and library
    "SwiftError", "swiftPrint", "swiftRangeFrom", "swiftRangeUpTo", "swiftRangeThrough", "strideThrough", "Task",
    "TaskStatic",
    // values and styles
    "Font", "FontWeight", "FontDesign", "Alignment", "HorizontalAlignment", "VerticalAlignment", "TextAlignment",
    "ButtonRole", "Axis", "Edge", "DateFormatStyle", "FormatStyleLevel", "SwiftCalendar", "RoundingRule",
    // the generated activity
    "SwiftApp", "TovraneTheme", "NavigationStack",
};

// Known globals that need no runtime declaration: Kotlin keywords and types,
// names the backend always rewrites, and what Kotlin on the JVM provides.
const std::set<std::string> globalsWithoutDeclaration = {
    "true", "false", "nil", "super", "print", "fatalError", "precondition", "assert", "Double.pi", "Error",
    "Result", "Optional", "Swift", "Math",
};

// Extension members that the backend writes instead of Swift's own.
const std::vector<std::string> extensionMembers = {
    "filter_", "map_", "flatMap_", "reversed_", "shuffled_", "dropLast_", "sorted_", "keys_", "values_", "infinity",
};

const std::vector<std::string_view> sourceNames = {"runtime/SwiftStdlib.kt", "runtime/SwiftUI.kt"};

std::vector<std::string> requiredBareNames() {
  std::vector<std::string> names = runtimeNames;
  names.insert(names.end(), runtimeViews().begin(), runtimeViews().end());
  for (const auto& name : knownGlobals())
    if (!globalsWithoutDeclaration.contains(name)) names.push_back(name);
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

// The chain writer's renames: a kept modifier can become another method name.
std::vector<std::string> modMethodNames() {
  std::vector<std::string> names;
  for (const auto& name : runtimeModifiers()) {
    if (name == "navigationBarTitle") {
      names.push_back("navigationTitle");
    } else if (name == "onChange") {
      for (const char* variant : {"onChange0", "onChange1", "onChange2"}) names.push_back(variant);
    } else {
      names.push_back(name);
    }
  }
  return names;
}

std::vector<std::string> embeddedSources() {
  std::vector<std::string> out;
  for (const auto name : sourceNames) {
    const auto bytes = resources::find(name);
    out.push_back(bytes ? std::string(*bytes) : std::string());
  }
  return out;
}

std::vector<std::string> missingFrom(const std::set<std::string>& declared) {
  std::vector<std::string> missing;
  for (const auto& name : requiredBareNames())
    if (!declared.contains(name)) missing.push_back(name);
  return missing;
}

std::set<std::string> globalsOf(const std::vector<std::string>& texts) {
  return runtimeGlobalsIn(std::vector<std::string_view>(texts.begin(), texts.end()));
}

bool declares(const std::vector<std::string>& texts, const std::string& pattern) {
  const Regex regex(pattern, RegexOptions{.multiLine = true});
  for (const auto& text : texts)
    if (regex.search(text)) return true;
  return false;
}

TEST(RuntimeContract, BothSourcesAreEmbedded) {
  const auto texts = embeddedSources();
  for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_FALSE(texts[i].empty()) << sourceNames[i];
}

TEST(RuntimeContract, EveryBareCalledNameIsDeclaredAtTheStartOfALine) {
  EXPECT_EQ(missingFrom(runtimeGlobals()), std::vector<std::string>{});
}

TEST(RuntimeContract, RemovingADeclarationIsNoticed) {
  // Renaming a declaration stands for deleting it.
  for (const std::string name : {"Unsupported", "swiftPrint", "TovraneTheme"}) {
    auto texts = embeddedSources();
    const Regex declaration("^fun " + name + "\\(", RegexOptions{.multiLine = true});
    bool changed = false;
    for (auto& text : texts) {
      const auto replaced = declaration.replace(text, [&](const RegexMatch&) { return "fun " + name + "Gone("; });
      changed = changed || replaced != text;
      text = replaced;
    }
    ASSERT_TRUE(changed) << name;
    EXPECT_EQ(missingFrom(globalsOf(texts)), std::vector<std::string>{name});
  }
}

TEST(RuntimeContract, MembersThatGeneratedCodeCallsAreDeclared) {
  const auto texts = embeddedSources();
  for (const auto& name : extensionMembers)
    EXPECT_TRUE(declares(texts, "^(?:fun|val) .*\\." + name + "\\b")) << name;
  for (const auto& name : swiftColorNames())
    EXPECT_TRUE(declares(texts, "^val androidx\\.compose\\.ui\\.graphics\\.Color\\.Companion\\." + name + ":")) << name;
  // The chain's methods, looked up inside the body of class Mod only.
  const auto& ui = texts[1];
  const auto start = ui.find("\nclass Mod ");
  ASSERT_NE(start, std::string::npos);
  const std::vector<std::string> modBody = {ui.substr(start, ui.find("\n}\n", start) - start)};
  for (const auto& name : modMethodNames())
    EXPECT_TRUE(declares(modBody, "^    fun (?:<[^>]+> )?" + name + "\\(")) << name;
  EXPECT_TRUE(declares(texts, "^\\s+fun <T> constant\\(")) << "Binding.constant";
  EXPECT_TRUE(declares(texts, "^\\s+var context: android\\.content\\.Context\\?")) << "SwiftApp.context";
}

TEST(RuntimeContract, AssetColorsAreLeftToTheProjectWriter) {
  EXPECT_FALSE(runtimeGlobals().contains("assetColors"));
}

}  // namespace
}  // namespace tovrane
