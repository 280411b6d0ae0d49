// SwiftUI views and apps as a composable function plus holder class: one
// case per kind of stored property, the parameter order around `mod`, view
// members, and the warnings a view type raises.
#include <gtest/gtest.h>

#include "tests/backend/BackendFixtures.hpp"

namespace tovrane {
namespace {

using namespace testsupport;

IRTypeDecl store() { return typeDecl(IRTypeKind::class_, "Store"); }
IRTypeDecl item() { return typeDecl(IRTypeKind::struct_, "Item"); }

struct Emitted {
  std::string kotlin;
  KotlinEmitter emitter;
};

Emitted emitView(const IRTypeDecl& decl, std::vector<IRTypeDecl> others = {}) {
  others.insert(others.begin(), decl);
  Emitted result{"", KotlinEmitter(symbolsFor(others), "com.example.app")};
  result.emitter.currentFile = "V.swift";
  Writer writer;
  result.emitter.emitType(decl, writer);
  result.kotlin = written(writer);
  return result;
}

// A view V holding one stored property and no body: what the property
// contributes to the function (parameters, body lines) and to the holder.
std::string withOne(const IRProperty& property) {
  return emitView(viewNamed("V", {property}), {store(), item()}).kotlin;
}

std::string shell(const std::string& params, const std::vector<std::string>& functionLines,
                  const std::string& constructor, const std::vector<std::string>& classLines) {
  std::string text = "@Composable @NonSkippableComposable\nfun V(" + params + ") {\n";
  for (const std::string& line : functionLines) text += "    " + line + "\n";
  text += "    Apply(mod) { self.body() }\n}\n\nclass VView(" + constructor + ") {\n";
  for (const std::string& line : classLines) text += "    " + line + "\n";
  return text + "}";
}

TEST(KotlinViewTypes, TheCounterExampleIsWrittenLineForLine) {
  IRTypeDecl counter = viewNamed(
      "CounterView",
      {asLet(storedVar("title", named("String"))),
       wrapped("State", withInit(storedVar("count", inferred()), intLit("0"))),
       wrapped("Binding", storedVar("isOn", named("Bool"))),
       withGetter(storedVar("body", named("some View")), {exprStmt(view("Text", {arg(ident("title"))}))})});
  counter.properties[1].isPrivate = true;
  counter.properties[1].type = named("Int");
  Emitted out = emitView(counter);
  EXPECT_EQ(out.kotlin,
            "@Composable @NonSkippableComposable\n"
            "fun CounterView(title: String, isOn: Binding<Boolean>, mod: Mod = Mod()) {\n"
            "    val self = remember { CounterViewView(title, isOn) }\n"
            "    self.title = title\n"
            "    self._isOn = isOn\n"
            "    Apply(mod) { self.body() }\n"
            "}\n"
            "\n"
            "class CounterViewView(var title: String, var _isOn: Binding<Boolean>) {\n"
            "    var count by mutableStateOf<Int>(0, neverEqualPolicy())\n"
            "    var isOn: Boolean\n"
            "        get() = _isOn.value\n"
            "        set(v) { _isOn.value = v }\n"
            "    @Composable @NonSkippableComposable\n"
            "    fun body() {\n"
            "        Text(title)\n"
            "    }\n"
            "}");
  EXPECT_EQ(out.emitter.scope.stateFields, (NameSet{"count"}));
  EXPECT_EQ(out.emitter.scope.bindingFields, (NameSet{"isOn"}));
  EXPECT_EQ(out.emitter.scope.typeName, "CounterView");
  EXPECT_TRUE(out.emitter.scope.isViewHolder);
  EXPECT_TRUE(out.emitter.warnings.empty());
}

TEST(KotlinViewTypes, EachKindOfStoredProperty) {
  struct Case {
    std::string what;
    IRProperty property;
    std::string kotlin;
  };
  const std::vector<Case> cases = {
      {"@State without initial value is a parameter that only seeds the state", wrapped("State", storedVar("selected")),
       shell("selected: Int, mod: Mod = Mod()", {"val self = remember { VView(selected) }"}, "selected: Int",
             {"var selected by mutableStateOf<Int>(selected, neverEqualPolicy())"})},
      {"a plain var with initial value is a parameter with a default",
       withInit(storedVar("ratio", named("Double")), intLit("2")),
       shell("ratio: Double = 2.0, mod: Mod = Mod()", {"val self = remember { VView(ratio) }", "self.ratio = ratio"},
             "var ratio: Double", {})},
      {"an optional without initial value defaults to null", storedVar("note", optionalOf(named("String"))),
       shell("note: String? = null, mod: Mod = Mod()", {"val self = remember { VView(note) }", "self.note = note"},
             "var note: String?", {})},
      {"a keyword name is escaped", asLet(storedVar("in", named("String"))),
       shell("`in`: String, mod: Mod = Mod()", {"val self = remember { VView(`in`) }", "self.`in` = `in`"},
             "var `in`: String", {})},
      {"@ObservedObject is a parameter", wrapped("ObservedObject", storedVar("store", named("Store"))),
       shell("store: Store, mod: Mod = Mod()", {"val self = remember { VView(store) }", "self.store = store"},
             "var store: Store", {})},
      {"@FocusState of Bool starts false", wrapped("FocusState", storedVar("focused", named("Bool"))),
       shell("mod: Mod = Mod()", {"val self = remember { VView() }"}, "",
             {"var focused by mutableStateOf<Boolean>(false, neverEqualPolicy())"})},
      {"@FocusState of another type is nullable", wrapped("FocusState", storedVar("field", named("String"))),
       shell("mod: Mod = Mod()", {"val self = remember { VView() }"}, "",
             {"var field by mutableStateOf<String?>(null, neverEqualPolicy())"})},
      {"@FocusState of an optional stays singly nullable",
       wrapped("FocusState", storedVar("field", optionalOf(named("String")))),
       shell("mod: Mod = Mod()", {"val self = remember { VView() }"}, "",
             {"var field by mutableStateOf<String?>(null, neverEqualPolicy())"})},
      {"@StateObject creates its object", wrapped("StateObject", withInit(storedVar("model", inferred()),
                                                                             view("Store"))),
       shell("mod: Mod = Mod()", {"val self = remember { VView() }"}, "",
             {"var model by mutableStateOf(Store(), neverEqualPolicy())"})},
      {"@Environment(\\.dismiss)", wrapped("Environment", storedVar("dismiss", inferred()), "\\.dismiss"),
       shell("mod: Mod = Mod()", {"val self = remember { VView() }", "self.dismiss = LocalDismiss.current"}, "",
             {"var dismiss = DismissAction {}"})},
      {"@Environment(\\.presentationMode)",
       wrapped("Environment", storedVar("mode", inferred()), "\\.presentationMode"),
       shell("mod: Mod = Mod()", {"val self = remember { VView() }", "self.mode = LocalDismiss.current"}, "",
             {"var mode = DismissAction {}"})},
      {"@Environment(\\.colorScheme)", wrapped("Environment", storedVar("scheme", inferred()), "\\.colorScheme"),
       shell("mod: Mod = Mod()", {"val self = remember { VView() }", "self.scheme = currentColorScheme()"}, "",
             {"var scheme = ColorScheme.light"})},
      {"@Environment(\\.openURL)", wrapped("Environment", storedVar("openURL", inferred()), "\\.openURL"),
       shell("mod: Mod = Mod()", {"val self = remember { VView() }", "self.openURL = currentOpenURL()"}, "",
             {"lateinit var openURL: OpenURLAction"})},
      {"@Environment(\\.modelContext) only in the holder",
       wrapped("Environment", storedVar("context", inferred()), "\\.modelContext"),
       shell("mod: Mod = Mod()", {"val self = remember { VView() }"}, "", {"val context = ModelContext"})},
      {"@Environment(Store.self)", wrapped("Environment", storedVar("store", named("Store")), "Store.self"),
       shell("mod: Mod = Mod()", {"val self = remember { VView() }", "self.store = environmentObject<Store>()"}, "",
             {"lateinit var store: Store"})},
      {"@EnvironmentObject", wrapped("EnvironmentObject", storedVar("store", named("Store"))),
       shell("mod: Mod = Mod()", {"val self = remember { VView() }", "self.store = environmentObject<Store>()"}, "",
             {"lateinit var store: Store"})},
      {"@AppStorage with key and initial value",
       wrapped("AppStorage", withInit(storedVar("name", named("String")), stringLit("x")), "\"name\""),
       shell("mod: Mod = Mod()",
             {"val self = remember { VView() }", "self._name = rememberAppStorage(\"name\", \"x\")"}, "",
             {"lateinit var _name: MutableState<String>", "var name: String", "    get() = _name.value",
              "    set(v) { _name.value = v }"})},
      {"@SceneStorage without key or initial value",
       wrapped("SceneStorage", storedVar("count", named("Int"))),
       shell("mod: Mod = Mod()",
             {"val self = remember { VView() }", "self._count = rememberAppStorage(\"count\", 0)"}, "",
             {"lateinit var _count: MutableState<Int>", "var count: Int", "    get() = _count.value",
              "    set(v) { _count.value = v }"})},
      {"@AppStorage of a type without default value", wrapped("AppStorage", storedVar("when", named("Date")), "\"w\""),
       shell("mod: Mod = Mod()",
             {"val self = remember { VView() }", "self._when = rememberAppStorage(\"w\", \"\")"}, "",
             {"lateinit var _when: MutableState<java.util.Date>", "var `when`: java.util.Date",
              "    get() = _when.value", "    set(v) { _when.value = v }"})},
      {"@Namespace", wrapped("Namespace", storedVar("ns", inferred())),
       shell("mod: Mod = Mod()", {"val self = remember { VView() }"}, "", {"val ns = Any()"})},
      {"@Query without arguments", wrapped("Query", withInit(storedVar("items", arrayOf(named("Item"))),
                                                                view("__Query"))),
       shell("mod: Mod = Mod()", {"val self = remember { VView() }"}, "",
             {"val items: MutableList<Item>", "    get() = ModelStore.fetch(Item::class).toMutableList()"})},
      {"@Query sorted by a key path in reverse",
       wrapped("Query", withInit(storedVar("items", arrayOf(named("Item"))),
                                    view("__Query", {arg("sort", keyPath("date")), arg("order", dot("reverse"))}))),
       shell("mod: Mod = Mod()", {"val self = remember { VView() }"}, "",
             {"val items: MutableList<Item>",
              "    get() = ModelStore.fetch(Item::class, sort = { it.date }, reverse = true).toMutableList()"})},
      {"@Query sorted by the first of several descriptors",
       wrapped("Query",
               withInit(storedVar("items", arrayOf(named("Item"))),
                           view("__Query", {arg("sort", arrayLit({view("SortDescriptor", {arg(keyPath("date")),
                                                                                          arg("order", dot("reverse"))}),
                                                                    view("SortDescriptor", {arg(keyPath("name"))})}))}))),
       shell("mod: Mod = Mod()", {"val self = remember { VView() }"}, "",
             {"val items: MutableList<Item>",
              "    get() = ModelStore.fetch(Item::class, sort = { it.date }, reverse = true).toMutableList()"})},
      {"@Query with an empty descriptor list and an untyped element",
       wrapped("Query", withInit(storedVar("items", inferred()), view("__Query", {arg("sort", arrayLit({}))}))),
       shell("mod: Mod = Mod()", {"val self = remember { VView() }"}, "",
             {"val items: MutableList<Any>", "    get() = ModelStore.fetch(Any::class).toMutableList()"})},
      {"an unknown environment key is kept as a nullable value",
       wrapped("Environment", storedVar("locale", inferred()), "\\.locale"),
       shell("mod: Mod = Mod()", {"val self = remember { VView() }"}, "", {"var locale: Any? = null"})},
  };
  for (const Case& c : cases) EXPECT_EQ(withOne(c.property), c.kotlin) << c.what;
}

TEST(KotlinViewTypes, ModStaysBeforeATrailingContentLambda) {
  IRProperty content = asLet(storedVar("content", functionOf({}, named("Content"))));
  content.wrapper = "ViewBuilder";
  IRProperty titled = asLet(storedVar("title", named("String")));
  EXPECT_NE(withOne(content).find("fun V(mod: Mod = Mod(), content: @Composable () -> Unit)"), std::string::npos);

  const std::string card = emitView(viewNamed("Card", {titled, content})).kotlin;
  EXPECT_NE(card.find("fun Card(title: String, mod: Mod = Mod(), content: @Composable () -> Unit) {"),
            std::string::npos)
      << card;
  EXPECT_NE(card.find("class CardView(var title: String, var content: @Composable () -> Unit) {"), std::string::npos);

  // A content lambda with a default need not come last.
  IRProperty optionalContent = content;
  optionalContent.isLet = false;
  optionalContent.initializer = block();
  EXPECT_NE(emitView(viewNamed("Card", {titled, optionalContent})).kotlin.find(", mod: Mod = Mod()) {"),
            std::string::npos);
  // Another ViewBuilder attribute position counts too.
  IRProperty later = asLet(storedVar("content", functionOf({}, named("Content"))));
  later.otherAttributes = {"ViewBuilder"};
  EXPECT_NE(withOne(later).find("fun V(mod: Mod = Mod(), content: @Composable () -> Unit)"), std::string::npos);
}

TEST(KotlinViewTypes, AppsHaveARootHolderAndNoMod) {
  IRTypeDecl app = typeDecl(IRTypeKind::struct_, "Main");
  app.inherits = {"App"};
  app.properties = {
      withGetter(storedVar("body", named("some Scene")), {exprStmt(view("WindowGroup", {}, {arg(block())}))})};
  EXPECT_EQ(emitView(app).kotlin,
            "@Composable @NonSkippableComposable\n"
            "fun Main() {\n"
            "    val self = remember { MainRoot() }\n"
            "    self.body()\n"
            "}\n"
            "\n"
            "class MainRoot() {\n"
            "    @Composable @NonSkippableComposable\n"
            "    fun body() {\n"
            "        WindowGroup { }\n"
            "    }\n"
            "}");
}

TEST(KotlinViewTypes, ViewMembersAreComposableOtherMembersOrdinary) {
  IRFunction row = function("row");
  row.params = {IRParam{.name = "item", .type = named("String")}};
  row.returnType = named("some View");
  row.body = std::vector<IRStmt>{exprStmt(view("Text", {arg(ident("item"))}))};
  IRFunction builder = function("footer");
  builder.attributes = {"ViewBuilder"};
  IRFunction init = function("init");
  init.isInit = true;
  IRFunction secondInit = init;
  IRTypeDecl list = viewNamed(
      "ItemList",
      {withGetter(storedVar("header", named("some View")), {exprStmt(view("Text", {arg(stringLit("Items"))}))}),
       withGetter(storedVar("body", named("some View")), {exprStmt(call(ident("header")))})},
      {row, builder, init, secondInit});
  Emitted out = emitView(list);
  EXPECT_EQ(out.kotlin,
            "@Composable @NonSkippableComposable\n"
            "fun ItemList(mod: Mod = Mod()) {\n"
            "    val self = remember { ItemListView() }\n"
            "    Apply(mod) { self.body() }\n"
            "}\n"
            "\n"
            "class ItemListView() {\n"
            "    @Composable @NonSkippableComposable\n"
            "    fun header() {\n"
            "        Text(\"Items\")\n"
            "    }\n"
            "    @Composable @NonSkippableComposable\n"
            "    fun body() {\n"
            "        header()\n"
            "    }\n"
            "    @Composable @NonSkippableComposable\n"
            "    fun row(item: String) {\n"
            "        Text(item)\n"
            "    }\n"
            "    @Composable @NonSkippableComposable\n"
            "    fun footer() {\n"
            "    }\n"
            "}");
  // The function's parameter lived in its own frame only.
  EXPECT_FALSE(out.emitter.scope.knows("item"));
  ASSERT_EQ(out.emitter.warnings.size(), 1u);
  EXPECT_EQ(out.emitter.warnings[0].message, "Eigene init() in View ItemList wird ignoriert – bitte prüfen");
  EXPECT_EQ(out.emitter.warnings[0].source, "init(...)");
  EXPECT_EQ(out.emitter.warnings[0].file, "V.swift");
  EXPECT_EQ(out.emitter.unsupportedCount, 0);
}

TEST(KotlinViewTypes, UnknownEnvironmentKeysWarnOncePerFieldInFieldOrder) {
  Emitted out = emitView(viewNamed("V", {wrapped("Environment", storedVar("locale", inferred()), "\\.locale"),
                                         wrapped("Environment", storedVar("zone", inferred()), "\\.timeZone")}));
  EXPECT_EQ(messages(out.emitter), (std::vector<std::string>{"@Environment(\\.locale) wird nicht unterstützt",
                                                             "@Environment(\\.timeZone) wird nicht unterstützt"}));
  EXPECT_EQ(out.emitter.warnings[1].source, "@Environment(\\.timeZone)");
  EXPECT_EQ(out.emitter.unsupportedCount, 0);
}

TEST(KotlinViewTypes, ReturnInAViewMemberIsPlainAndTheOuterLabelsComeBack) {
  KotlinEmitter emitter(ModuleSymbols{}, "com.example.app");
  emitter.scope.returnLabels = {std::nullopt, "c7"};
  Writer writer;
  emitter.emitViewBody({IRStmt::ret{}}, writer);
  EXPECT_EQ(written(writer), "return");
  EXPECT_EQ(emitter.scope.returnLabels, (std::vector<std::optional<std::string>>{std::nullopt, "c7"}));
}

TEST(KotlinViewTypes, ModuleTypesOfFieldsAreRemembered) {
  Emitted out = emitView(viewNamed("V", {wrapped("ObservedObject", storedVar("model", named("Store"))),
                                         wrapped("StateObject", withInit(storedVar("made", inferred()), view("Store"))),
                                         wrapped("Binding", storedVar("chosen", named("Item"))),
                                         wrapped("Environment", storedVar("shared", inferred()), "Store.self")}),
                         {store(), item()});
  EXPECT_EQ(out.emitter.scope.varClass,
            (std::map<std::string, std::string, std::less<>>{
                {"model", "Store"}, {"made", "Store"}, {"chosen", "Item"}, {"shared", "Store"}}));
  EXPECT_EQ(out.emitter.scope.stateFields, (NameSet{"made"}));
}

}  // namespace
}  // namespace tovrane
