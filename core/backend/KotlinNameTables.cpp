#include "core/backend/KotlinNameTables.hpp"

#include <array>
#include <string_view>

namespace tovrane {
namespace {

using std::string_view_literals::operator""sv;

template <std::size_t N>
NameSet setOf(const std::array<std::string_view, N>& entries) {
  NameSet set;
  for (std::string_view entry : entries) set.emplace(entry);
  return set;
}

constexpr std::array kotlinKeywordList = {
    "as"sv,  "break"sv,  "class"sv,  "continue"sv, "do"sv,        "else"sv,   "false"sv, "for"sv,   "fun"sv,   "if"sv,
    "in"sv,  "interface"sv, "is"sv,  "null"sv,     "object"sv,    "package"sv, "return"sv, "super"sv, "this"sv,
    "throw"sv, "true"sv, "try"sv,    "typealias"sv, "typeof"sv,   "val"sv,    "var"sv,   "when"sv,  "while"sv};
static_assert(kotlinKeywordList.size() == 28);

// Kotlin's modifier keywords, and the two soft keywords that open a
// constructor or an initializer block: an enum entry spelled like one is
// read as the start of a member declaration.
constexpr std::array enumEntryKeywordList = {
    "abstract"sv, "actual"sv,   "annotation"sv, "companion"sv, "const"sv,    "constructor"sv, "crossinline"sv,
    "data"sv,     "enum"sv,     "expect"sv,     "external"sv,  "final"sv,    "infix"sv,       "init"sv,
    "inline"sv,   "inner"sv,    "internal"sv,   "lateinit"sv,  "noinline"sv, "open"sv,        "operator"sv,
    "out"sv,      "override"sv, "private"sv,    "protected"sv, "public"sv,   "reified"sv,     "sealed"sv,
    "suspend"sv,  "tailrec"sv,  "value"sv,      "vararg"sv};
static_assert(enumEntryKeywordList.size() == 32);

constexpr std::array swiftColorNameList = {
    "red"sv,     "orange"sv,    "yellow"sv,      "green"sv,       "mint"sv,       "teal"sv,
    "cyan"sv,    "blue"sv,      "indigo"sv,      "purple"sv,      "pink"sv,       "brown"sv,
    "gray"sv,    "black"sv,     "white"sv,       "clear"sv,       "primary"sv,    "secondary"sv,
    "accentColor"sv, "background"sv, "ultraThinMaterial"sv, "thinMaterial"sv, "regularMaterial"sv,
    "thickMaterial"sv, "bar"sv, "tertiary"sv};
static_assert(swiftColorNameList.size() == 26);

constexpr std::array swiftFontNameList = {"largeTitle"sv, "title"sv,    "title2"sv,   "title3"sv,
                                          "headline"sv,   "subheadline"sv, "body"sv,   "callout"sv,
                                          "footnote"sv,   "caption"sv,  "caption2"sv};
static_assert(swiftFontNameList.size() == 11);

constexpr std::array fontWeightNameList = {"ultraLight"sv, "thin"sv, "light"sv, "regular"sv, "medium"sv,
                                           "semibold"sv,   "bold"sv, "heavy"sv, "black"sv};
static_assert(fontWeightNameList.size() == 9);

constexpr std::array knownGlobalList = {
    "Int"sv,          "Double"sv,        "Float"sv,          "CGFloat"sv,           "String"sv,
    "Bool"sv,         "Character"sv,     "Array"sv,          "Set"sv,               "Dictionary"sv,
    "UUID"sv,         "Date"sv,          "URL"sv,            "Color"sv,             "Font"sv,
    "Task"sv,         "print"sv,         "min"sv,            "max"sv,               "abs"sv,
    "sqrt"sv,         "pow"sv,           "round"sv,          "floor"sv,             "ceil"sv,
    "Binding"sv,      "zip"sv,           "stride"sv,         "true"sv,              "false"sv,
    "nil"sv,          "Double.pi"sv,     "FontWeight"sv,     "Alignment"sv,         "HorizontalAlignment"sv,
    "VerticalAlignment"sv, "Edge"sv,     "TextAlignment"sv,  "Axis"sv,              "ButtonRole"sv,
    "ColorScheme"sv,  "Int64"sv,         "Int32"sv,          "UInt"sv,              "TimeInterval"sv,
    "strideThrough"sv, "Error"sv,        "Result"sv,         "Optional"sv,          "super"sv,
    "type"sv,         "fatalError"sv,    "precondition"sv,   "assert"sv,            "withAnimation"sv,
    "Swift"sv,        "Math"sv,          "repeatElement"sv};
static_assert(knownGlobalList.size() == 58);

constexpr std::array mutatingMethodList = {
    "append"sv,      "insert"sv,      "remove"sv,    "removeAll"sv, "removeFirst"sv, "removeLast"sv,
    "sort"sv,        "shuffle"sv,     "reverse"sv,   "swapAt"sv,    "removeValue"sv, "updateValue"sv,
    "merge"sv,       "formUnion"sv,   "popLast"sv,   "move"sv,      "toggle"sv};
static_assert(mutatingMethodList.size() == 17);

constexpr std::array runtimeViewList = {
    "Text"sv,           "Button"sv,          "Image"sv,        "Spacer"sv,          "Divider"sv,
    "VStack"sv,         "HStack"sv,          "ZStack"sv,       "LazyVStack"sv,      "LazyHStack"sv,
    "ScrollView"sv,     "List"sv,            "ForEach"sv,      "Form"sv,            "Section"sv,
    "Group"sv,          "NavigationStack"sv, "NavigationView"sv, "NavigationLink"sv, "TextField"sv,
    "SecureField"sv,    "TextEditor"sv,      "Toggle"sv,       "Slider"sv,          "Stepper"sv,
    "Picker"sv,         "ProgressView"sv,    "Label"sv,        "TabView"sv,         "Circle"sv,
    "Ellipse"sv,        "Rectangle"sv,       "RoundedRectangle"sv, "Capsule"sv,     "Link"sv,
    "EmptyView"sv,      "ToolbarItem"sv,     "ToolbarItemGroup"sv, "Menu"sv,        "ContentUnavailableView"sv,
    "WindowGroup"sv,    "Color"sv};
static_assert(runtimeViewList.size() == 42);

constexpr std::array unsupportedViewList = {
    "GeometryReader"sv, "AsyncImage"sv,     "Map"sv,           "Chart"sv,           "LazyVGrid"sv,
    "LazyHGrid"sv,      "Grid"sv,           "ShareLink"sv,     "PhotosPicker"sv,    "VideoPlayer"sv,
    "Canvas"sv,         "TimelineView"sv,   "DatePicker"sv,    "ColorPicker"sv,     "Gauge"sv,
    "NavigationSplitView"sv, "ViewThatFits"sv, "SignInWithAppleButton"sv, "WebView"sv, "SpriteView"sv,
    "SceneView"sv,      "TableColumn"sv,    "Table"sv,         "OutlineGroup"sv,    "DisclosureGroup"sv,
    "ControlGroup"sv,   "LabeledContent"sv, "AnyView"sv,       "PhotosPickerItem"sv};
static_assert(unsupportedViewList.size() == 29);

constexpr std::array viewClosureLabelList = {"content"sv,     "label"sv,       "header"sv,
                                             "footer"sv,      "destination"sv, "description"sv,
                                             "message"sv,     "actions"sv,     "icon"sv};
static_assert(viewClosureLabelList.size() == 9);

constexpr std::array runtimeModifierList = {
    "padding"sv,         "frame"sv,           "offset"sv,        "background"sv,      "overlay"sv,
    "cornerRadius"sv,    "clipShape"sv,       "opacity"sv,       "shadow"sv,          "border"sv,
    "scaleEffect"sv,     "rotationEffect"sv,  "font"sv,          "fontWeight"sv,      "bold"sv,
    "italic"sv,          "strikethrough"sv,   "underline"sv,     "foregroundColor"sv, "foregroundStyle"sv,
    "tint"sv,            "accentColor"sv,     "multilineTextAlignment"sv, "lineLimit"sv, "fill"sv,
    "stroke"sv,          "onTapGesture"sv,    "onAppear"sv,      "onDisappear"sv,     "task"sv,
    "onChange"sv,        "disabled"sv,        "sheet"sv,         "fullScreenCover"sv, "alert"sv,
    "navigationTitle"sv, "navigationBarTitle"sv, "toolbar"sv,    "tag"sv,             "tabItem"sv,
    "environmentObject"sv, "environment"sv};
static_assert(runtimeModifierList.size() == 42);

constexpr std::array silentlyDroppedModifierList = {
    "resizable"sv,                 "scaledToFit"sv,                "scaledToFill"sv,
    "aspectRatio"sv,               "listStyle"sv,                  "buttonStyle"sv,
    "textFieldStyle"sv,            "pickerStyle"sv,                "toggleStyle"sv,
    "navigationBarTitleDisplayMode"sv, "navigationBarBackButtonHidden"sv, "keyboardType"sv,
    "autocapitalization"sv,        "textInputAutocapitalization"sv, "autocorrectionDisabled"sv,
    "disableAutocorrection"sv,     "scrollContentBackground"sv,    "listRowBackground"sv,
    "listRowInsets"sv,             "listRowSeparator"sv,           "animation"sv,
    "transition"sv,                "contentShape"sv,               "symbolRenderingMode"sv,
    "imageScale"sv,                "labelsHidden"sv,               "presentationDetents"sv,
    "presentationDragIndicator"sv, "interactiveDismissDisabled"sv, "submitLabel"sv,
    "onSubmit"sv,                  "focused"sv,                    "preferredColorScheme"sv,
    "statusBar"sv,                 "statusBarHidden"sv,            "controlSize"sv,
    "fixedSize"sv,                 "layoutPriority"sv,             "zIndex"sv,
    "id"sv,                        "help"sv,                       "hoverEffect"sv,
    "sensoryFeedback"sv,           "contentTransition"sv,          "scrollIndicators"sv,
    "scrollDismissesKeyboard"sv,   "toolbarBackground"sv,          "toolbarColorScheme"sv,
    "toolbarTitleDisplayMode"sv,   "minimumScaleFactor"sv,         "truncationMode"sv,
    "kerning"sv,                   "tracking"sv,                   "lineSpacing"sv,
    "textCase"sv,                  "privacySensitive"sv,           "redacted"sv,
    "allowsHitTesting"sv,          "blur"sv,                       "saturation"sv,
    "grayscale"sv,                 "brightness"sv,                 "contrast"sv,
    "colorMultiply"sv,             "mask"sv,                       "compositingGroup"sv,
    "drawingGroup"sv,              "ignoresSafeArea"sv,            "edgesIgnoringSafeArea"sv,
    "monospacedDigit"sv,           "monospaced"sv,                 "dynamicTypeSize"sv,
    "tabViewStyle"sv,              "indexViewStyle"sv,             "navigationViewStyle"sv,
    "datePickerStyle"sv,           "labelStyle"sv,                 "menuStyle"sv,
    "gaugeStyle"sv,                "progressViewStyle"sv,          "formStyle"sv,
    "presentationBackground"sv,    "presentationCornerRadius"sv,   "safeAreaInset"sv,
    "accessibilityLabel"sv,        "accessibilityHint"sv,          "accessibilityValue"sv,
    "accessibilityHidden"sv,       "accessibilityIdentifier"sv,    "accessibilityElement"sv,
    "accessibilityAddTraits"sv,    "textSelection"sv,              "badge"sv,
    "buttonBorderShape"sv,         "headerProspective"sv,          "frame3D"sv,
    "toolbarRole"sv,               "scrollTargetBehavior"sv,       "scrollTargetLayout"sv,
    "containerRelativeFrame"sv,    "symbolEffect"sv,               "renderingMode"sv,
    "interpolation"sv,             "antialiased"sv,                "foregroundStyleOpacity"sv,
    "listSectionSpacing"sv,        "environment\\"sv,              "navigationSplitViewStyle"sv,
    "defaultScrollAnchor"sv,       "scrollPosition"sv,             "scrollBounceBehavior"sv};
static_assert(silentlyDroppedModifierList.size() == 111);

constexpr std::array viewClosureModifierList = {"sheet"sv,      "fullScreenCover"sv, "alert"sv,  "overlay"sv,
                                                "background"sv, "toolbar"sv,         "tabItem"sv};
static_assert(viewClosureModifierList.size() == 7);

constexpr std::array modifierShapeNameList = {"RoundedRectangle"sv, "Circle"sv, "Capsule"sv, "Rectangle"sv};
static_assert(modifierShapeNameList.size() == 4);

constexpr std::array positionalModifierList = {"padding"sv,         "font"sv,    "foregroundColor"sv,
                                               "foregroundStyle"sv, "opacity"sv, "cornerRadius"sv,
                                               "navigationTitle"sv, "tag"sv};
static_assert(positionalModifierList.size() == 8);

}  // namespace

const NameSet& kotlinKeywords() {
  static const NameSet set = setOf(kotlinKeywordList);
  return set;
}
const NameSet& enumEntryKeywords() {
  static const NameSet set = setOf(enumEntryKeywordList);
  return set;
}
const NameSet& swiftColorNames() {
  static const NameSet set = setOf(swiftColorNameList);
  return set;
}
const NameSet& swiftFontNames() {
  static const NameSet set = setOf(swiftFontNameList);
  return set;
}
const NameSet& fontWeightNames() {
  static const NameSet set = setOf(fontWeightNameList);
  return set;
}
const NameSet& knownGlobals() {
  static const NameSet set = setOf(knownGlobalList);
  return set;
}
const NameSet& mutatingMethods() {
  static const NameSet set = setOf(mutatingMethodList);
  return set;
}
const NameSet& runtimeViews() {
  static const NameSet set = setOf(runtimeViewList);
  return set;
}
const NameSet& unsupportedViews() {
  static const NameSet set = setOf(unsupportedViewList);
  return set;
}
const NameSet& viewClosureLabels() {
  static const NameSet set = setOf(viewClosureLabelList);
  return set;
}
const NameSet& runtimeModifiers() {
  static const NameSet set = setOf(runtimeModifierList);
  return set;
}
const NameSet& silentlyDroppedModifiers() {
  static const NameSet set = setOf(silentlyDroppedModifierList);
  return set;
}
const NameSet& viewClosureModifiers() {
  static const NameSet set = setOf(viewClosureModifierList);
  return set;
}
const NameSet& modifierShapeNames() {
  static const NameSet set = setOf(modifierShapeNameList);
  return set;
}
const NameSet& positionalModifiers() {
  static const NameSet set = setOf(positionalModifierList);
  return set;
}

}  // namespace tovrane
