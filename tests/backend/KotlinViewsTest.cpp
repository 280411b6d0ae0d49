// View content from IR to Kotlin text, inside a view whose holder has just
// been written (so its members, view members and bindings are in scope):
// view calls, buttons, navigation, lists, modifier chains and placeholders.
#include <gtest/gtest.h>

#include "tests/backend/BackendFixtures.hpp"

namespace tovrane {
namespace {

using namespace testsupport;

// The view whose body the cases stand in, and the module around it.
std::vector<IRTypeDecl> module() {
  IRProperty content = asLet(storedVar("content", functionOf({}, named("Content"))));
  content.wrapper = "ViewBuilder";
  IRFunction save = function("save");
  save.body = std::vector<IRStmt>{};
  IRFunction pick = function("pick");
  pick.body = std::vector<IRStmt>{};
  pick.params = {IRParam{.name = "value", .type = named("String")}};
  IRFunction row = function("row");
  row.params = {IRParam{.name = "item", .type = named("String")}};
  row.attributes = {"ViewBuilder"};
  IRTypeDecl screen = viewNamed("Screen",
                                {asLet(storedVar("title", named("String"))),
                                 asLet(storedVar("items", arrayOf(named("String")))),
                                 asLet(storedVar("pairs", dictionaryOf(named("String"), named("Int")))),
                                 wrapped("Binding", storedVar("show", named("Bool"))), content,
                                 withGetter(storedVar("header", named("some View")), {})},
                                {save, pick, row});

  IRProperty cardContent = content;
  IRTypeDecl card = viewNamed("Card", {asLet(storedVar("title", named("String"))), cardContent});
  IRTypeDecl meter = viewNamed("Meter", {asLet(storedVar("value", named("Double")))});
  return {screen, card, meter, viewNamed("Detail"), viewNamed("Map")};
}

class ViewContent : public ::testing::Test {
 protected:
  ViewContent() : emitter(symbolsFor(module()), "com.example.app") {
    emitter.currentFile = "Screen.swift";
    Writer holder;
    emitter.emitType(module().front(), holder);
    emitter.warnings.clear();
    emitter.unsupportedCount = 0;
  }

  std::string viewText(const IRExpr& value) {
    Writer writer;
    emitter.emitView(value, writer);
    return written(writer);
  }

  KotlinEmitter emitter;
};

struct Case {
  std::string what;
  IRExpr value;
  std::string kotlin;
  // Warning messages in order, and how many of them are counted.
  std::vector<std::string> warnings{};
  int counted = 0;
};

void expectCases(KotlinEmitter& emitter, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    emitter.warnings.clear();
    emitter.unsupportedCount = 0;
    Writer writer;
    emitter.emitView(c.value, writer);
    EXPECT_EQ(written(writer), c.kotlin) << c.what;
    EXPECT_EQ(messages(emitter), c.warnings) << c.what;
    EXPECT_EQ(emitter.unsupportedCount, c.counted) << c.what;
  }
}

IRExpr text(std::string literal) { return view("Text", {arg(stringLit(std::move(literal)))}); }

TEST_F(ViewContent, ViewCalls) {
  expectCases(
      emitter,
      {
          {"Text keeps its first argument without label", view("Text", {arg("verbatim", ident("title"))}),
           "Text(title)"},
          {"an asset image", view("Image", {arg(stringLit("logo"))}), "AssetImage(\"logo\")"},
          {"a system image", view("Image", {arg("systemName", stringLit("star"))}), "Image(systemName = \"star\")"},
          {"another image variant", view("Image", {arg("uiImage", ident("title"))}), "Unsupported(\"Image\")",
           {"Image-Variante nicht unterstützt"}, 1},
          {"an image without arguments", view("Image"), "Unsupported(\"Image\")",
           {"Image-Variante nicht unterstützt"}, 1},
          {"a colour by name with an opacity", modifier(member(ident("Color"), "blue"), "opacity", {arg(floatLit("0.5"))}),
           "ColorView(Color.blue, mod = Mod().opacity(0.5))"},
          {"a colour from components",
           view("Color", {arg("red", intLit("1")), arg("green", intLit("0")), arg("blue", intLit("0"))}),
           "ColorView(Color(red = 1, green = 0, blue = 0))"},
          {"a stack with an empty closure", view("ZStack", {}, {arg(block())}), "ZStack { }"},
          {"a stack with content", view("VStack", {}, {arg(block({text("a"), text("b")}))}),
           "VStack {\n    Text(\"a\")\n    Text(\"b\")\n}"},
          {"a module view's trailing closure fills its content property",
           view("Card", {arg("title", stringLit("A"))}, {arg(block({text("x")}))}),
           "Card(title = \"A\", content = { Text(\"x\") })"},
          {"its chain moves after the content",
           modifier(view("Card", {arg("title", stringLit("A"))}, {arg(block({text("x")}))}), "padding"),
           "Card(title = \"A\", content = { Text(\"x\") }, mod = Mod().padding())"},
          {"a labelled argument takes the type of the property it names", view("Meter", {arg("value", intLit("2"))}),
           "Meter(value = 2.0)"},
          {"a link's destination loses its force unwrap",
           view("Link", {arg(stringLit("Docs")),
                         arg("destination", IRExpr::postfix{view("URL", {arg("string", ident("title"))}), "!"})}),
           "Link(\"Docs\", destination = URL(string = title))"},
          {"a view-valued argument becomes a lambda", view("Label", {arg("title", text("t")), arg("icon", text("i"))}),
           "Label(title = { Text(\"t\") }, icon = { Text(\"i\") })"},
      });
}

TEST_F(ViewContent, Placeholders) {
  expectCases(
      emitter,
      {
          {"an unsupported view keeps its chain and drops its closure",
           modifier(view("GeometryReader", {}, {arg(block({text("x")}, {"proxy"}))}), "padding"),
           "Unsupported(\"GeometryReader\", mod = Mod().padding())",
           {"GeometryReader wird noch nicht unterstützt (Platzhalter eingefügt)"}, 1},
          {"a module view named like an unsupported one", view("Map"), "Unsupported(\"Map\")",
           {"Map wird noch nicht unterstützt (Platzhalter eingefügt)"}, 1},
          {"an unknown view", view("Sparkline", {arg(ident("items"))}), "Unsupported(\"Sparkline\")",
           {"Unbekannter View Sparkline"}, 1},
          {"a method on a value that is no view", modifier(ident("title"), "padding"),
           "Unsupported(\"title.padding(\u2026)\")", {"Unbekannter View-Ausdruck"}, 1},
          {"an unsupported expression", IRExpr::unsupported{"#warning(\"x\")"}, "Unsupported(\"#warning(\\\"x\\\")\")",
           {"Unbekannter View-Ausdruck"}, 1},
          {"a literal", intLit("5"), "Unsupported(\"Ausdruck\")", {"Unbekannter View-Ausdruck"}, 1},
          {"a dropped modifier warns before the view's own placeholder",
           modifier(view("Sparkline"), "glow"), "Unsupported(\"Sparkline\")",
           {"Modifier .glow wird auf Android (noch) nicht unterstützt und entfällt", "Unbekannter View Sparkline"}, 1},
      });
  emitter.warnings.clear();
  viewText(view("Chart"));
  EXPECT_EQ(emitter.warnings.front().source, "Chart");
  EXPECT_EQ(emitter.warnings.front().file, "Screen.swift");
  EXPECT_EQ(emitter.describe(call(member(dot("red"), "mix"))), ".red.mix(\u2026)");
  EXPECT_EQ(emitter.describe(IRExpr::unsupported{std::string(100, 'x')}), std::string(80, 'x'));
}

TEST_F(ViewContent, TheViewsOwnMembers) {
  expectCases(
      emitter,
      {
          {"self.header with a chain ignores the chain", modifier(selfMember("header"), "padding"), "header()"},
          {"header with a chain is grouped", modifier(ident("header"), "padding"),
           "Group(mod = Mod().padding()) { header() }"},
          {"a bare view member", ident("header"), "header()"},
          {"a stored content closure", ident("content"), "content()"},
          {"the content closure called", call(ident("content")), "content()"},
          {"a view function without self", view("row", {arg(ident("title"))}), "row(title)"},
          {"a view function through self", call(selfMember("row"), {arg(ident("title"))}), "row(title)"},
          {"a view function with a chain", modifier(view("row", {arg(ident("title"))}), "padding"),
           "Group(mod = Mod().padding()) { row(title) }"},
          {"a dropped modifier still warns where the chain is unused",
           modifier(selfMember("header"), "cardStyle"), "header()",
           {"Modifier .cardStyle wird auf Android (noch) nicht unterstützt und entfällt"}},
      });
}

TEST_F(ViewContent, Buttons) {
  expectCases(emitter,
              {
                  {"a title and the action as trailing closure",
                   view("Button", {arg(stringLit("Save"))}, {arg(block({call(ident("save"))}))}),
                   "Button(\"Save\") { save() }"},
                  {"an action argument and a label closure",
                   view("Button", {arg("action", ident("save"))}, {arg(block({text("Save")}))}),
                   "Button(action = { save() }, label = { Text(\"Save\") })"},
                  {"action and label as two trailing closures",
                   view("Button", {}, {arg(block({call(ident("save"))})), arg("label", block({text("Save")}))}),
                   "Button(action = { save() }, label = { Text(\"Save\") })"},
              });
}

TEST_F(ViewContent, NavigationListsAndForEach) {
  expectCases(
      emitter,
      {
          {"ForEach drops its id", view("ForEach", {arg(ident("items")), arg("id", keyPath("self"))},
                                        {arg(block({view("Text", {arg(ident("item"))})}, {"item"}))}),
           "ForEach(items) { item -> Text(item) }"},
          {"ForEach over a binding iterates the values",
           view("ForEach", {arg(ident("$items"))}, {arg(block({view("Text", {arg(ident("item"))})}, {"$item"}))}),
           "ForEach(items) { item -> Text(item) }", {"ForEach über Bindings: Elemente werden als Werte übergeben"}},
          {"ForEach with two closure parameters destructures a pair",
           view("ForEach", {arg(ident("pairs"))}, {arg(block({view("Text", {arg(ident("key"))})}, {"key", "value"}))}),
           "ForEach(pairs) { (key, value) -> Text(key) }"},
          {"List drops its id", view("List", {arg(ident("items")), arg("id", keyPath("self"))},
                                     {arg(block({view("Text", {arg(ident("item"))})}, {"item"}))}),
           "List(items) { item -> Text(item) }"},
          {"a List's selection stays a binding",
           view("List", {arg("selection", ident("$picked"))}, {arg(block({text("x")}))}),
           "List(selection = Binding({ picked }, { picked = it })) { Text(\"x\") }"},
          {"a destination view becomes a lambda",
           view("NavigationLink", {arg("destination", view("Detail"))}, {arg(block({text("x")}))}),
           "NavigationLink(destination = { Detail() }) { Text(\"x\") }"},
          {"a value link is written and counted",
           view("NavigationLink", {arg("value", ident("title"))}, {arg(block({text("x")}))}),
           "NavigationLink(value = title) { Text(\"x\") }",
           {"NavigationLink(value:) + navigationDestination wird nicht unterstützt"}, 1},
          {"several closures become named content arguments",
           view("Section", {}, {arg(block({text("a")})), arg("header", block({text("h")}))}),
           "Section(content = { Text(\"a\") }, header = { Text(\"h\") })",
           {"Section mit mehreren Closures nur teilweise unterstützt"}},
          {"an unlabelled later closure is numbered",
           view("Menu", {}, {arg(block({text("a")})), arg(block({text("b")}))}),
           "Menu(content = { Text(\"a\") }, arg1 = { Text(\"b\") })", {"Menu mit mehreren Closures nur teilweise unterstützt"}},
      });
  EXPECT_EQ(emitter.warnings.empty() ? "" : emitter.warnings.front().source, "Menu");
  emitter.warnings.clear();
  viewText(view("ForEach", {arg(ident("$items"))}, {arg(block({}, {"$item"}))}));
  EXPECT_EQ(emitter.warnings.front().source, "ForEach($items)");
}

TEST_F(ViewContent, ViewStatements) {
  Writer writer;
  emitter.emitViewBlock({IRStmt::forIn{"word", ident("items"), {exprStmt(view("Text", {arg(ident("word"))}))}},
                         IRStmt::ret{IRExpr{text("end")}}},
                        writer);
  EXPECT_EQ(written(writer), "for (word in items) {\n    Text(word)\n}\nText(\"end\")");
  EXPECT_FALSE(emitter.scope.knows("word"));
  EXPECT_TRUE(emitter.warnings.empty());
}

// Chains as the view writer passes them on, one view per case.
TEST_F(ViewContent, ModifierChains) {
  const IRExpr hi = text("Hi");
  expectCases(
      emitter,
      {
          {"two modifiers in source order", modifier(modifier(hi, "padding"), "bold"),
           "Text(\"Hi\", mod = Mod().padding().bold())"},
          {"only silently dropped modifiers leave no mod",
           modifier(modifier(view("Image", {arg(stringLit("a"))}), "resizable"), "scaledToFit"), "AssetImage(\"a\")"},
          {"an edge and a length", modifier(hi, "padding", {arg(dot("horizontal")), arg(intLit("16"))}),
           "Text(\"Hi\", mod = Mod().padding(Edge.horizontal, 16))"},
          {"labelled arguments", modifier(hi, "frame", {arg("width", intLit("100")), arg("height", intLit("50"))}),
           "Text(\"Hi\", mod = Mod().frame(width = 100, height = 50))"},
          {"a positional modifier loses its labels",
           modifier(hi, "cornerRadius", {arg(intLit("8")), arg("antialiased", IRExpr::boolLit{true})}),
           "Text(\"Hi\", mod = Mod().cornerRadius(8, true))"},
          {"navigationBarTitle is navigationTitle", modifier(hi, "navigationBarTitle", {arg(stringLit("x"))}),
           "Text(\"Hi\", mod = Mod().navigationTitle(\"x\"))"},
          {"a tap action", modifier(hi, "onTapGesture", {}, {arg(block({call(ident("save"))}))}),
           "Text(\"Hi\", mod = Mod().onTapGesture(perform = { save() }))"},
          {"a task", modifier(hi, "task", {}, {arg(block({call(ident("save"))}))}),
           "Text(\"Hi\", mod = Mod().task(action = { save() }))"},
          {"onChange with two parameters",
           modifier(hi, "onChange", {arg("of", ident("title"))}, {arg(block({call(ident("save"))}, {"old", "new"}))}),
           "Text(\"Hi\", mod = Mod().onChange2(of = title, perform = { old, new -> save() }))"},
          {"onChange with one parameter",
           modifier(hi, "onChange", {arg("of", ident("title"))}, {arg(block({call(ident("save"))}, {"value"}))}),
           "Text(\"Hi\", mod = Mod().onChange1(of = title, perform = { value -> save() }))"},
          {"onChange without parameters", modifier(hi, "onChange", {arg("of", ident("title"))}, {arg(block())}),
           "Text(\"Hi\", mod = Mod().onChange0(of = title, perform = { }))"},
          {"onChange without closure",
           modifier(hi, "onChange", {arg("of", ident("title")), arg("perform", ident("save"))}),
           "Text(\"Hi\", mod = Mod().onChange0(of = title, perform = { save() }))"},
          {"onChange with a method that takes the value",
           modifier(hi, "onChange", {arg("of", ident("title")), arg("perform", ident("pick"))}),
           "Text(\"Hi\", mod = Mod().onChange1(of = title, perform = { p0 -> pick(p0) }))"},
          {"a sheet's content is a view",
           modifier(hi, "sheet", {arg("isPresented", ident("$show"))}, {arg(block({view("Detail")}))}),
           "Text(\"Hi\", mod = Mod().sheet(isPresented = _show, content = { Detail() }))"},
          {"an alert's closures are actions and message",
           modifier(hi, "alert", {arg(stringLit("Title")), arg("isPresented", ident("$show"))},
                    {arg(block({text("a")})), arg("message", block({text("m")}))}),
           "Text(\"Hi\", mod = Mod().alert(\"Title\", isPresented = _show, actions = { Text(\"a\") }, "
           "message = { Text(\"m\") }))"},
          {"an alert's single closure is its actions",
           modifier(hi, "alert", {arg(stringLit("T"))}, {arg(block({text("a")}))}),
           "Text(\"Hi\", mod = Mod().alert(\"T\", actions = { Text(\"a\") }))"},
          {"a tab label", modifier(hi, "tabItem", {}, {arg(block({text("t")}))}),
           "Text(\"Hi\", mod = Mod().tabItem(label = { Text(\"t\") }))"},
          {"a toolbar", modifier(hi, "toolbar", {}, {arg(block({text("t")}))}),
           "Text(\"Hi\", mod = Mod().toolbar(content = { Text(\"t\") }))"},
          {"background colour", modifier(hi, "background", {arg(member(ident("Color"), "blue"))}),
           "Text(\"Hi\", mod = Mod().background(Color.blue))"},
          {"background circle", modifier(hi, "background", {arg(view("Circle"))}),
           "Text(\"Hi\", mod = Mod().background(Shape.circle))"},
          {"background rounded rectangle",
           modifier(hi, "background", {arg(view("RoundedRectangle", {arg("cornerRadius", intLit("12"))}))}),
           "Text(\"Hi\", mod = Mod().background(RoundedRectangleShape(12)))"},
          {"background capsule without arguments", modifier(hi, "background", {arg(view("RoundedRectangle"))}),
           "Text(\"Hi\", mod = Mod().background(RoundedRectangleShape(8)))"},
          {"background view", modifier(hi, "background", {arg(text("x"))}),
           "Text(\"Hi\", mod = Mod().background({ Text(\"x\") }))"},
          {"an overlay view", modifier(hi, "overlay", {arg(text("x"))}), "Text(\"Hi\", mod = Mod().overlay({ Text(\"x\") }))"},
          {"a clip shape is a view", modifier(hi, "clipShape", {arg(view("Circle"))}),
           "Text(\"Hi\", mod = Mod().clipShape({ Circle() }))"},
          {"an environment value is left out silently",
           modifier(hi, "environment", {arg(keyPath("locale")), arg(ident("title"))}), "Text(\"Hi\")"},
          {"an environment object stays", modifier(hi, "environmentObject", {arg(ident("title"))}),
           "Text(\"Hi\", mod = Mod().environmentObject(title))"},
          {"a modifier without counterpart is dropped with a warning",
           modifier(hi, "matchedGeometryEffect", {arg("id", intLit("1")), arg("in", ident("title"))}),
           "Text(\"Hi\")", {"Modifier .matchedGeometryEffect wird auf Android (noch) nicht unterstützt und entfällt"}},
          {"source order", modifier(modifier(hi, "padding"), "background", {arg(member(ident("Color"), "red"))}),
           "Text(\"Hi\", mod = Mod().padding().background(Color.red))"},
          {"a colour given to a colour modifier stays a colour",
           modifier(hi, "foregroundColor", {arg(member(ident("Color"), "blue"))}),
           "Text(\"Hi\", mod = Mod().foregroundColor(Color.blue))"},
          {"a colour with opacity given to a shadow",
           modifier(hi, "shadow", {arg("color", modifier(member(ident("Color"), "black"), "opacity", {arg(floatLit("0.2"))})),
                                   arg("radius", intLit("4"))}),
           "Text(\"Hi\", mod = Mod().shadow(color = Color.black.opacity(0.2), radius = 4))"},
      });
  EXPECT_EQ(emitter.modString({}), "Mod()");
}

}  // namespace
}  // namespace tovrane
