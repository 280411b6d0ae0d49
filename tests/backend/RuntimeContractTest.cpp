// The Kotlin runtime must declare every name that generated code calls. Bare
// calls are checked through runtimeGlobals, the way the backend learns them;
// members (collection extensions, colour names, the Mod chain) by their
// declaration text. That the runtime also compiles is the Kotlin check's job
// (tests/kotlin).
#include "core/backend/RuntimeGlobals.hpp"

#include "core/support/Regex.hpp"
#include "core/support/Resources.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tovrane {
namespace {

// Names the generated code calls by their bare name: the runtime's own views,
// values and helpers, the views Compose gets under SwiftUI's names, the
// Swift globals written unchanged that Kotlin lacks, and what the generated
// activity needs.
const std::vector<std::string> bareCalledNames = {
    // view layer
    "Mod", "Apply", "Unsupported", "ColorView", "AssetImage", "RoundedRectangleShape", "Shape", "Binding",
    "environmentObject", "LocalDismiss", "DismissAction", "currentColorScheme", "ColorScheme", "currentOpenURL",
    "OpenURLAction", "ModelContext", "rememberAppStorage", "ModelStore",
    // the views of SwiftUI that the runtime provides
    "Text", "Button", "Image", "Spacer", "Divider", "VStack", "HStack", "ZStack", "LazyVStack", "LazyHStack",
    "ScrollView", "List", "ForEach", "Form", "Section", "Group", "NavigationStack", "NavigationView",
    "NavigationLink", "TextField", "SecureField", "TextEditor", "Toggle", "Slider", "Stepper", "Picker",
    "ProgressView", "Label", "TabView", "Circle", "Ellipse", "Rectangle", "RoundedRectangle", "Capsule", "Link",
    "EmptyView", "ToolbarItem", "ToolbarItemGroup", "Menu", "ContentUnavailableView", "WindowGroup", "Color",
    // language and library
    "SwiftError", "swiftPrint", "swiftRangeFrom", "swiftRangeUpTo", "swiftRangeThrough", "strideThrough", "Task",
    "TaskStatic",
    // values and styles
    "Font", "FontWeight", "FontDesign", "Alignment", "HorizontalAlignment", "VerticalAlignment", "TextAlignment",
    "ButtonRole", "Axis", "Edge", "DateFormatStyle", "FormatStyleLevel", "SwiftCalendar", "RoundingRule",
    // Swift globals that are accepted as known and written unchanged
    "Int", "Double", "Float", "CGFloat", "String", "Bool", "Character", "Array", "Set", "Dictionary", "UUID",
    "Date", "URL", "min", "max", "abs", "sqrt", "pow", "round", "floor", "ceil", "zip", "stride", "Int64",
    "Int32", "UInt", "TimeInterval", "withAnimation", "repeatElement", "type",
    // the generated activity
    "SwiftApp", "TovraneTheme",
};

// Extension members that the backend writes instead of Swift's own.
const std::vector<std::string> extensionMembers = {
    "filter_", "map_", "flatMap_", "reversed_", "shuffled_", "dropLast_", "sorted_", "keys_", "values_", "infinity",
};

// Colour names written as members of Color.
const std::vector<std::string> colorNames = {
    "red", "orange", "yellow", "green", "mint", "teal", "cyan", "blue", "indigo", "purple", "pink", "brown", "gray",
    "black", "white", "clear", "primary", "secondary", "accentColor", "background", "ultraThinMaterial",
    "thinMaterial", "regularMaterial", "thickMaterial", "bar", "tertiary",
};

// Methods of the modifier chain, as the chain writer names them.
const std::vector<std::string> modMethods = {
    "padding", "frame", "offset", "background", "overlay", "cornerRadius", "clipShape", "opacity", "shadow",
    "border", "scaleEffect", "rotationEffect", "font", "fontWeight", "bold", "italic", "strikethrough",
    "underline", "foregroundColor", "foregroundStyle", "tint", "accentColor", "multilineTextAlignment",
    "lineLimit", "fill", "stroke", "onTapGesture", "onAppear", "onDisappear", "task", "onChange0", "onChange1",
    "onChange2", "disabled", "sheet", "fullScreenCover", "alert", "navigationTitle", "toolbar", "tag", "tabItem",
    "environmentObject", "environment",
};

std::string embeddedSource(std::string_view name) {
  const auto bytes = resources::find(name);
  return bytes ? std::string(*bytes) : std::string();
}

std::vector<std::string> embeddedSources() {
  std::vector<std::string> out;
  for (const auto name : runtimeSourceNames) out.push_back(embeddedSource(name));
  return out;
}

std::vector<std::string> missingFrom(const std::set<std::string>& declared) {
  std::vector<std::string> missing;
  for (const auto& name : bareCalledNames)
    if (!declared.contains(name)) missing.push_back(name);
  return missing;
}

std::set<std::string> globalsOf(const std::vector<std::string>& texts) {
  return runtimeGlobals(std::vector<std::string_view>(texts.begin(), texts.end()));
}

bool declares(const std::vector<std::string>& texts, const std::string& pattern) {
  const Regex regex(pattern, RegexOptions{.multiLine = true});
  for (const auto& text : texts)
    if (regex.search(text)) return true;
  return false;
}

TEST(RuntimeContract, BothSourcesAreEmbedded) {
  for (const auto name : runtimeSourceNames) EXPECT_FALSE(embeddedSource(name).empty()) << name;
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
  for (const auto& name : colorNames)
    EXPECT_TRUE(declares(texts, "^val androidx\\.compose\\.ui\\.graphics\\.Color\\.Companion\\." + name + ":")) << name;
  // The chain's methods, looked up inside the body of class Mod only.
  const auto& ui = texts[1];
  const auto start = ui.find("\nclass Mod ");
  ASSERT_NE(start, std::string::npos);
  const std::vector<std::string> modBody = {ui.substr(start, ui.find("\n}\n", start) - start)};
  for (const auto& name : modMethods)
    EXPECT_TRUE(declares(modBody, "^    fun (?:<[^>]+> )?" + name + "\\(")) << name;
  EXPECT_TRUE(declares(texts, "^\\s+fun constant\\(|^\\s+fun <T> constant\\(")) << "Binding.constant";
  EXPECT_TRUE(declares(texts, "^\\s+var context: android\\.content\\.Context\\?")) << "SwiftApp.context";
}

TEST(RuntimeContract, AssetColorsAreLeftToTheProjectWriter) {
  EXPECT_FALSE(runtimeGlobals().contains("assetColors"));
}

TEST(RuntimeGlobals, FindsOnlyUnindentedDeclarations) {
  struct Case {
    const char* source;
    std::set<std::string> names;
  };
  const std::vector<Case> cases = {
      {"fun foo() {}", {"foo"}},
      {"    fun indented() {}", {}},
      {"@Composable\nfun OnTheLineBelow() {}", {"OnTheLineBelow"}},
      {"@Composable fun SameLine() {}", {"SameLine"}},
      {"@Composable\ninline fun <reified T : Any> env(): T = x", {"env"}},
      {"fun <T> List<T>.filter_(p: (T) -> Boolean) = this", {"List"}},
      {"private fun hidden() {}\nsuspend fun work() {}\nconst val LIMIT = 1", {}},
      {"fun <K, V : Comparable<V>> nested() {}", {}},
      {"fun interface Callback { fun run() }", {"interface"}},
      {"enum class Edge { top }\ndata class P(val x: Int)\ntypealias Color = Int", {"Edge", "P", "Color"}},
      {"object X\ninterface Y\nval z = 1\nvar w = 2\nclass Outer<T>", {"X", "Y", "z", "w", "Outer"}},
  };
  for (const auto& c : cases) EXPECT_EQ(runtimeGlobals({c.source}), c.names) << c.source;
}

TEST(RuntimeGlobals, MissingOrUnreadableSourcesAddNoNames) {
  {
    resources::Override empty({});
    EXPECT_TRUE(readRuntimeGlobals().empty());
  }
  resources::Override partial({{"runtime/SwiftStdlib.kt", "fun fromStdlib() {}"}, {"runtime/SwiftUI.kt", "fun \xff\xfe() {}\nfun Broken() {}"}});
  EXPECT_EQ(readRuntimeGlobals(), std::set<std::string>{"fromStdlib"});
}

}  // namespace
}  // namespace tovrane
