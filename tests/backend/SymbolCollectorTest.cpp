#include "core/backend/SymbolCollector.hpp"

#include <gtest/gtest.h>

#include <stop_token>

#include "tests/support/IRBuilders.hpp"

namespace tovrane {
namespace {

using namespace testsupport;

IRTypeDecl withFunctions(IRTypeDecl decl, std::vector<std::string> names) {
  for (std::string& name : names) decl.functions.push_back(function(std::move(name)));
  return decl;
}

std::vector<std::string> functionNames(const IRTypeDecl& decl) {
  std::vector<std::string> names;
  for (const IRFunction& f : decl.functions) names.push_back(f.name);
  return names;
}

std::vector<std::string> declNames(const IRFile& file) {
  std::vector<std::string> names;
  for (const IRDecl& decl : file.decls) {
    if (const auto* type = decl.as<IRDecl::type>()) names.push_back(std::string(rawValue(type->decl->kind)) + " " + type->decl->name);
  }
  return names;
}

const IRTypeDecl& typeAt(const IRModule& module, std::size_t file, std::size_t decl) {
  return module.files.at(file).decls.at(decl).as<IRDecl::type>()->decl.get();
}

TEST(SymbolCollectorMerge, MovesExtensionsIntoTheirTypeInEncounterOrder) {
  IRTypeDecl foo = withFunctions(typeDecl(IRTypeKind::struct_, "Foo"), {"own"});
  foo.properties.push_back(storedVar("a"));
  foo.inherits = {"Hashable"};
  foo.nested.push_back(typeDecl(IRTypeKind::struct_, "Bar"));

  IRTypeDecl early = withFunctions(typeDecl(IRTypeKind::extension, "Foo"), {"early"});
  IRTypeDecl rich = withFunctions(typeDecl(IRTypeKind::extension, "Foo"), {"rich"});
  rich.properties.push_back(computed("b"));
  rich.inherits = {"Codable"};
  rich.nested.push_back(typeDecl(IRTypeKind::enum_, "Baz"));
  // Not carried over: attributes, cases and type aliases of an extension.
  rich.attributes = {"MainActor"};
  rich.cases.push_back(IREnumCase{.name = "stray", .associated = {}});
  rich.typealiases.emplace("Alias", named("Int"));
  IRTypeDecl second = withFunctions(typeDecl(IRTypeKind::extension, "Foo"), {"second"});
  IRTypeDecl last = withFunctions(typeDecl(IRTypeKind::extension, "Foo"), {"last"});

  IRModule module{.files = {
                      IRFile{.path = "A.swift", .decls = {declOf(early), declOf(foo)}},
                      IRFile{.path = "B.swift", .decls = {declOf(rich), declOf(second)}},
                      IRFile{.path = "C.swift", .decls = {declOf(function("helper")), declOf(last)}},
                  }};
  const IRModule merged = SymbolCollector::mergeExtensions(module);

  ASSERT_EQ(merged.files.size(), 3u);
  EXPECT_EQ(merged.files[0].path, "A.swift");
  EXPECT_EQ(declNames(merged.files[0]), std::vector<std::string>{"struct Foo"});
  EXPECT_TRUE(merged.files[1].decls.empty());
  ASSERT_EQ(merged.files[2].decls.size(), 1u);
  EXPECT_TRUE(merged.files[2].decls[0].is<IRDecl::function>());

  const IRTypeDecl& result = typeAt(merged, 0, 0);
  EXPECT_EQ(functionNames(result), (std::vector<std::string>{"own", "early", "rich", "second", "last"}));
  ASSERT_EQ(result.properties.size(), 2u);
  EXPECT_EQ(result.properties[1].name, "b");
  EXPECT_EQ(result.inherits, (std::vector<std::string>{"Hashable", "Codable"}));
  ASSERT_EQ(result.nested.size(), 2u);
  EXPECT_EQ(result.nested[1].name, "Baz");
  EXPECT_TRUE(result.attributes.empty());
  EXPECT_TRUE(result.cases.empty());
  EXPECT_TRUE(result.typealiases.empty());
  EXPECT_EQ(result.kind, IRTypeKind::struct_);

  // The module as parsed is left alone (it is what ir.json records).
  EXPECT_EQ(module.files[1].decls.size(), 2u);
  EXPECT_EQ(functionNames(typeAt(module, 0, 1)), std::vector<std::string>{"own"});
}

TEST(SymbolCollectorMerge, LeavesExtensionsOfForeignTypesInPlace) {
  IRModule module{.files = {IRFile{.path = "Ext.swift",
                                   .decls = {declOf(withFunctions(typeDecl(IRTypeKind::extension, "Array"), {"sum"})),
                                             declOf(typeDecl(IRTypeKind::struct_, "Item")),
                                             declOf(withFunctions(typeDecl(IRTypeKind::extension, "View"), {"card"})),
                                             declOf(withFunctions(typeDecl(IRTypeKind::extension, "String"), {"t"}))}}}};
  const IRModule merged = SymbolCollector::mergeExtensions(module);
  EXPECT_EQ(declNames(merged.files[0]),
            (std::vector<std::string>{"extension Array", "struct Item", "extension View", "extension String"}));
  const ModuleSymbols symbols = SymbolCollector::collect(merged);
  EXPECT_EQ(symbols.types.size(), 1u);
  EXPECT_TRUE(symbols.types.contains("Item"));
}

TEST(SymbolCollectorMerge, MatchesNestedTypesByTheirQualifiedPath) {
  IRTypeDecl outer = typeDecl(IRTypeKind::struct_, "Outer");
  outer.nested.push_back(typeDecl(IRTypeKind::struct_, "Inner"));
  IRTypeDecl other = typeDecl(IRTypeKind::class_, "Other");
  other.nested.push_back(typeDecl(IRTypeKind::struct_, "Inner"));
  IRModule module{.files = {IRFile{
                      .path = "A.swift",
                      .decls = {declOf(outer), declOf(typeDecl(IRTypeKind::struct_, "Inner")), declOf(other),
                                declOf(withFunctions(typeDecl(IRTypeKind::extension, "Outer.Inner"), {"viaOuter"})),
                                declOf(withFunctions(typeDecl(IRTypeKind::extension, "Inner"), {"viaTop"}))}}}};
  const IRModule merged = SymbolCollector::mergeExtensions(module);
  ASSERT_EQ(merged.files[0].decls.size(), 3u);
  EXPECT_EQ(functionNames(typeAt(merged, 0, 0).nested[0]), std::vector<std::string>{"viaOuter"});
  EXPECT_EQ(functionNames(typeAt(merged, 0, 1)), std::vector<std::string>{"viaTop"});
  EXPECT_TRUE(typeAt(merged, 0, 2).nested[0].functions.empty());
}

TEST(SymbolCollectorMerge, AModuleQualifiedExtensionReachesTheModulesOwnType) {
  IRTypeDecl counter = typeDecl(IRTypeKind::struct_, "Counter");
  counter.nested.push_back(typeDecl(IRTypeKind::enum_, "Foo"));
  const auto extending = [](std::string name, std::string function) {
    return declOf(withFunctions(typeDecl(IRTypeKind::extension, std::move(name)), {std::move(function)}));
  };
  IRModule module{.files = {IRFile{.path = "A.swift",
                                   .decls = {declOf(typeDecl(IRTypeKind::struct_, "Foo")), declOf(counter),
                                             extending("Planner.Foo", "top"), extending("Planner.Counter.Foo", "nested"),
                                             extending("Counter.Foo", "inner"), extending("Swift.Array", "sum")}}}};
  const IRModule merged = SymbolCollector::mergeExtensions(module, "Planner");
  EXPECT_EQ(declNames(merged.files[0]),
            (std::vector<std::string>{"struct Foo", "struct Counter", "extension Swift.Array"}));
  EXPECT_EQ(functionNames(typeAt(merged, 0, 0)), std::vector<std::string>{"top"});
  EXPECT_EQ(functionNames(typeAt(merged, 0, 1).nested[0]), (std::vector<std::string>{"nested", "inner"}));
  // Without the module's name its first piece is taken for a type.
  EXPECT_EQ(declNames(SymbolCollector::mergeExtensions(module).files[0]).size(), 5u);
  // A type named like the module is what its name means, as in Swift.
  const IRModule named = SymbolCollector::mergeExtensions(module, "Counter");
  EXPECT_EQ(functionNames(typeAt(named, 0, 1).nested[0]), std::vector<std::string>{"inner"});
}

TEST(SymbolCollectorMerge, ReachesTypesDeclaredInsideExtensions) {
  IRTypeDecl declaring = typeDecl(IRTypeKind::extension, "Foo");
  declaring.nested.push_back(typeDecl(IRTypeKind::enum_, "Mode"));
  IRModule module{
      .files = {IRFile{.path = "A.swift",
                       .decls = {declOf(withFunctions(typeDecl(IRTypeKind::extension, "Foo.Mode"), {"next"})),
                                 declOf(typeDecl(IRTypeKind::struct_, "Foo"))}},
                IRFile{.path = "B.swift", .decls = {declOf(declaring)}}}};
  const IRModule merged = SymbolCollector::mergeExtensions(module);
  ASSERT_EQ(merged.files[0].decls.size(), 1u);
  EXPECT_TRUE(merged.files[1].decls.empty());
  const IRTypeDecl& foo = typeAt(merged, 0, 0);
  ASSERT_EQ(foo.nested.size(), 1u);
  EXPECT_EQ(foo.nested[0].name, "Mode");
  EXPECT_EQ(functionNames(foo.nested[0]), std::vector<std::string>{"next"});
}

TEST(SymbolCollectorMerge, ATypeNamedLikeItsExtensionIsNotMergedIntoItself) {
  IRTypeDecl extension = withFunctions(typeDecl(IRTypeKind::extension, "Foo"), {"g"});
  extension.nested.push_back(typeDecl(IRTypeKind::struct_, "Foo"));
  IRModule module{.files = {IRFile{.path = "A.swift",
                                   .decls = {declOf(typeDecl(IRTypeKind::struct_, "Foo")), declOf(extension)}}}};
  const IRModule merged = SymbolCollector::mergeExtensions(module);
  const IRTypeDecl& foo = typeAt(merged, 0, 0);
  EXPECT_EQ(functionNames(foo), std::vector<std::string>{"g"});
  ASSERT_EQ(foo.nested.size(), 1u);
  EXPECT_TRUE(foo.nested[0].functions.empty());
  EXPECT_TRUE(foo.nested[0].nested.empty());
}

// Swift lets two files each declare a private type of one name; an
// extension extends the one its file declares, or else the module's. Each
// extension is merged into one declaration only, so a type declared many
// times over does not receive every extension again and again.
TEST(SymbolCollectorMerge, EachExtensionReachesOneDeclarationOfItsType) {
  const auto extending = [](std::string function) {
    return declOf(withFunctions(typeDecl(IRTypeKind::extension, "Foo"), {std::move(function)}));
  };
  const IRDecl foo = declOf(typeDecl(IRTypeKind::struct_, "Foo"));
  IRModule module{.files = {
                      IRFile{.path = "Early.swift", .decls = {extending("early")}},
                      IRFile{.path = "A.swift", .decls = {foo, extending("a"), foo}},
                      IRFile{.path = "B.swift", .decls = {extending("b"), foo}},
                      IRFile{.path = "C.swift", .decls = {extending("c")}},
                  }};
  const IRModule merged = SymbolCollector::mergeExtensions(module);
  EXPECT_EQ(functionNames(typeAt(merged, 1, 0)), (std::vector<std::string>{"early", "a", "c"}));
  EXPECT_TRUE(typeAt(merged, 1, 1).functions.empty());
  EXPECT_EQ(functionNames(typeAt(merged, 2, 0)), std::vector<std::string>{"b"});
  for (const std::size_t file : {0u, 3u}) EXPECT_TRUE(merged.files[file].decls.empty());
}

// The merge stops when the run is asked to stop; the caller drops what it gets.
TEST(SymbolCollectorMerge, StopsWhenTheRunIsStopped) {
  IRModule module{.files = {IRFile{.path = "A.swift",
                                   .decls = {declOf(typeDecl(IRTypeKind::struct_, "Foo")),
                                             declOf(withFunctions(typeDecl(IRTypeKind::extension, "Foo"), {"f"}))}}}};
  std::stop_source stop;
  stop.request_stop();
  const IRModule stopped = SymbolCollector::mergeExtensions(module, {}, stop.get_token());
  EXPECT_TRUE(typeAt(stopped, 0, 0).functions.empty());
  EXPECT_EQ(functionNames(typeAt(SymbolCollector::mergeExtensions(module), 0, 0)), std::vector<std::string>{"f"});
}

TEST(SymbolCollectorMerge, ProtocolExtensionsJoinTheProtocolEntry) {
  IRTypeDecl protocol = withFunctions(typeDecl(IRTypeKind::protocol, "Store"), {"load"});
  protocol.properties.push_back(computed("count"));
  IRTypeDecl extension = withFunctions(typeDecl(IRTypeKind::extension, "Store"), {"reload"});
  extension.properties.push_back(computed("isEmpty"));
  IRModule module{.files = {IRFile{.path = "A.swift", .decls = {declOf(protocol), declOf(extension)}}}};
  const ModuleSymbols symbols = SymbolCollector::collect(SymbolCollector::mergeExtensions(module));
  EXPECT_EQ(symbols.protocols.at("Store"), (NameSet{"count", "isEmpty", "load", "reload"}));
}

IRTypeDecl enumDecl(std::string name, std::vector<std::string> inherits, std::vector<IREnumCase> cases) {
  IRTypeDecl decl = typeDecl(IRTypeKind::enum_, std::move(name));
  decl.inherits = std::move(inherits);
  decl.cases = std::move(cases);
  return decl;
}

IREnumCase plainCase(std::string name) { return IREnumCase{.name = std::move(name), .associated = {}}; }

TEST(SymbolCollectorCollect, EnumerationsGetRawTypeSealedFlagAndCaseIndex) {
  IREnumCase withValue{.name = "value",
                       .associated = {IRParam{.name = "x", .type = named("Int")}}};
  IRTypeDecl holder = typeDecl(IRTypeKind::struct_, "Holder");
  holder.nested.push_back(enumDecl("Inner", {}, {plainCase("none")}));
  IRModule module{.files = {IRFile{.path = "A.swift",
                                   .decls = {declOf(enumDecl("Named", {"String", "Codable"}, {plainCase("none")})),
                                             declOf(enumDecl("Coded", {"Codable", "String"}, {plainCase("a")})),
                                             declOf(enumDecl("Payload", {"String"}, {plainCase("b"), withValue})),
                                             declOf(enumDecl("Empty", {"Int"}, {})),
                                             declOf(enumDecl("Small", {"Int16", "CaseIterable"}, {plainCase("a")})),
                                             declOf(enumDecl("Wide", {"Int64"}, {plainCase("a")})),
                                             declOf(holder)}},
                            IRFile{.path = "B.swift", .decls = {declOf(enumDecl("Other", {}, {plainCase("none")}))}}}};
  const ModuleSymbols symbols = SymbolCollector::collect(module);
  const struct {
    const char* name;
    bool sealed;
    std::optional<std::string> rawType;
  } cases[] = {
      {"Named", false, "String"}, {"Coded", false, std::nullopt}, {"Payload", true, std::nullopt},
      {"Empty", false, "Int"},    {"Holder.Inner", false, std::nullopt},
      // Sized integers that Kotlin writes as Int count as Int; Long ones do not.
      {"Small", false, "Int"},    {"Wide", false, std::nullopt},
  };
  for (const auto& c : cases) {
    const ModuleSymbols::EnumInfo& info = symbols.enums.at(c.name);
    EXPECT_EQ(info.name, c.name);
    EXPECT_EQ(info.sealed, c.sealed) << c.name;
    EXPECT_EQ(info.rawType, c.rawType) << c.name;
  }
  EXPECT_EQ(symbols.enums.at("Payload").cases.size(), 2u);
  EXPECT_EQ(symbols.caseIndex.at("none"), (std::vector<std::string>{"Named", "Holder.Inner", "Other"}));
  EXPECT_EQ(symbols.caseIndex.at("value"), std::vector<std::string>{"Payload"});
  EXPECT_TRUE(symbols.types.contains("Holder.Inner"));
}

TEST(SymbolCollectorCollect, TypesOfOneSimpleNameNestedInDifferentTypesKeepApart) {
  // struct A { enum Kind: String { case x, y } }, struct B { enum Kind { case p(Int), `default` } },
  // struct Outer { struct Item }, a top-level Item and Kind.
  IRTypeDecl a = typeDecl(IRTypeKind::struct_, "A");
  a.nested.push_back(enumDecl("Kind", {"String"}, {plainCase("x"), plainCase("y")}));
  IRTypeDecl b = typeDecl(IRTypeKind::struct_, "B");
  b.nested.push_back(enumDecl(
      "Kind", {}, {IREnumCase{.name = "p", .associated = {IRParam{.name = "value0", .type = named("Int")}}},
                   plainCase("`default`")}));
  IRTypeDecl outer = typeDecl(IRTypeKind::struct_, "Outer");
  outer.nested.push_back(typeDecl(IRTypeKind::class_, "Item"));
  IRModule module{.files = {IRFile{.path = "A.swift",
                                   .decls = {declOf(a), declOf(b), declOf(outer),
                                             declOf(typeDecl(IRTypeKind::struct_, "Item")),
                                             declOf(enumDecl("Kind", {}, {plainCase("z")}))}}}};
  const ModuleSymbols symbols = SymbolCollector::collect(module);
  EXPECT_EQ(symbols.enums.at("A.Kind").rawType, "String");
  EXPECT_EQ(symbols.enums.at("A.Kind").cases.size(), 2u);
  EXPECT_TRUE(symbols.enums.at("B.Kind").sealed);
  EXPECT_EQ(symbols.enums.at("Kind").cases.front().name, "z");
  EXPECT_EQ(symbols.types.at("Outer.Item").kind, IRTypeKind::class_);
  EXPECT_EQ(symbols.types.at("Item").kind, IRTypeKind::struct_);
  EXPECT_EQ(symbols.classes, NameSet{"Outer.Item"});
  // Case names are kept bare: uses write them so (`.default`).
  EXPECT_EQ(symbols.enums.at("B.Kind").cases.back().name, "default");
  EXPECT_EQ(symbols.caseIndex.at("default"), std::vector<std::string>{"B.Kind"});

  // A name resolves from the innermost enclosing type outwards, as in Swift;
  // the module's own name in front starts at the top level.
  ModuleSymbols named = symbols;
  named.moduleName = "Planner";
  const struct {
    const char* name;
    const char* context;
    std::optional<std::string> path;
  } lookups[] = {
      {"Kind", "", "Kind"},          {"Kind", "A", "A.Kind"},        {"Kind", "A.Kind", "A.Kind"},
      {"Kind", "B", "B.Kind"},       {"Kind", "Outer", "Kind"},      {"Kind", "Outer.Item", "Kind"},
      {"Item", "Outer", "Outer.Item"}, {"Item", "A", "Item"},         {"Outer.Item", "B.Kind", "Outer.Item"},
      {"B.Kind", "A", "B.Kind"},     {"Planner.Item", "Outer", "Item"}, {"Planner.Kind", "A", "Kind"},
      {"Outer.Kind", "", std::nullopt}, {"Missing", "A", std::nullopt}, {"", "", std::nullopt},
  };
  for (const auto& lookup : lookups) {
    EXPECT_EQ(named.typePath(lookup.name, lookup.context), lookup.path) << lookup.name << " in " << lookup.context;
  }
  // A type named like the module is what the name means; only where no
  // type fits does the module's name lead to the top level.
  named.types.emplace("Planner", typeDecl(IRTypeKind::struct_, "Planner"));
  named.types.emplace("Planner.Item", typeDecl(IRTypeKind::struct_, "Item"));
  EXPECT_EQ(named.typePath("Planner.Item", "A"), "Planner.Item");
  EXPECT_EQ(named.typePath("Planner.Kind", "A"), "Kind");
}

TEST(SymbolCollectorCollect, SortsStructsViewsAppsClassesAndTopLevelMembers) {
  const auto inheriting = [](IRTypeKind kind, std::string name, std::vector<std::string> inherits) {
    IRTypeDecl decl = typeDecl(kind, std::move(name));
    decl.inherits = std::move(inherits);
    return declOf(decl);
  };
  // A nested type of the same simple name keeps an entry of its own.
  IRTypeDecl outer = typeDecl(IRTypeKind::struct_, "Outer");
  outer.nested.push_back(typeDecl(IRTypeKind::class_, "Item"));
  IRModule module{.files = {IRFile{.path = "A.swift",
                                   .decls = {inheriting(IRTypeKind::struct_, "Both", {"App", "View"}),
                                             inheriting(IRTypeKind::struct_, "Main", {"App"}),
                                             inheriting(IRTypeKind::struct_, "Row", {"Identifiable", "View"}),
                                             inheriting(IRTypeKind::struct_, "Item", {"Codable"}),
                                             inheriting(IRTypeKind::actor, "Cache", {}),
                                             declOf(outer),
                                             declOf(function("format")),
                                             declOf(storedVar("counter")),
                                             IRDecl{IRDecl::typeAlias{"Id", named("String")}},
                                             IRDecl{IRDecl::unsupported{"operatorDecl", "infix operator **"}}}}}};
  const ModuleSymbols symbols = SymbolCollector::collect(module);
  EXPECT_EQ(symbols.views, (NameSet{"Both", "Row"}));
  EXPECT_EQ(symbols.apps, NameSet{"Main"});
  EXPECT_EQ(symbols.structs, (NameSet{"Item", "Outer"}));
  EXPECT_EQ(symbols.classes, (NameSet{"Cache", "Outer.Item"}));
  EXPECT_EQ(symbols.types.at("Item").kind, IRTypeKind::struct_);
  EXPECT_EQ(symbols.types.size(), 7u);
  EXPECT_EQ(symbols.topLevelFunctions, NameSet{"format"});
  EXPECT_EQ(symbols.topLevelVars, NameSet{"counter"});
  EXPECT_TRUE(symbols.observable.empty());
}

TEST(SymbolCollectorCollect, MutatingMethodsOfTypesNestedTypesAndForeignExtensions) {
  const auto mutating = [](std::string name) {
    IRFunction f = function(std::move(name));
    f.isMutating = true;
    return f;
  };
  IRTypeDecl item = withFunctions(typeDecl(IRTypeKind::struct_, "Item"), {"describe"});
  item.functions.push_back(mutating("markDone"));
  IRTypeDecl inner = typeDecl(IRTypeKind::enum_, "Phase");
  inner.functions.push_back(mutating("advance"));
  item.nested.push_back(inner);
  IRTypeDecl array = typeDecl(IRTypeKind::extension, "Array");
  array.functions.push_back(mutating("resetAll"));
  IRModule module{.files = {IRFile{.path = "A.swift", .decls = {declOf(item), declOf(array)}}}};
  EXPECT_EQ(SymbolCollector::collect(module).mutatingFunctions, (NameSet{"advance", "markDone", "resetAll"}));
}

TEST(SymbolCollectorCollect, ObservableClassesObserveTheirStoredState) {
  IRProperty count = storedVar("count");
  IRProperty id = storedVar("id");
  id.isLet = true;
  IRProperty shared = storedVar("shared");
  shared.isStatic = true;
  IRProperty total = computed("total");
  IRProperty cache = storedVar("cache");
  cache.wrapper = "ObservationIgnored";
  IRProperty late = storedVar("late");
  late.otherAttributes = {"ObservationIgnored"};

  IRTypeDecl observation = typeDecl(IRTypeKind::class_, "Model1");
  observation.attributes = {"MainActor", "Observable"};
  observation.properties = {count, id, shared, total, cache, late};
  IRTypeDecl swiftData = typeDecl(IRTypeKind::class_, "Record");
  swiftData.attributes = {"Model"};
  swiftData.properties = {count, id};

  IRProperty published = storedVar("items");
  published.wrapper = "Published";
  IRProperty publishedLet = published;
  publishedLet.name = "fixed";
  publishedLet.isLet = true;
  IRTypeDecl combine = typeDecl(IRTypeKind::actor, "Store");
  combine.inherits = {"ObservableObject"};
  combine.properties = {published, count, publishedLet};

  IRTypeDecl plain = typeDecl(IRTypeKind::class_, "Plain");
  plain.properties = {count};
  IRTypeDecl empty = typeDecl(IRTypeKind::class_, "Empty");
  empty.attributes = {"Observable"};

  IRModule module{.files = {IRFile{.path = "A.swift",
                                   .decls = {declOf(observation), declOf(swiftData), declOf(combine), declOf(plain),
                                             declOf(empty)}}}};
  const ModuleSymbols symbols = SymbolCollector::collect(module);
  EXPECT_EQ(symbols.observable.at("Model1"), (NameSet{"count", "late"}));
  EXPECT_EQ(symbols.observable.at("Record"), NameSet{"count"});
  EXPECT_EQ(symbols.observable.at("Store"), (NameSet{"fixed", "items"}));
  EXPECT_EQ(symbols.observable.at("Empty"), NameSet{});
  EXPECT_FALSE(symbols.observable.contains("Plain"));
}

TEST(SymbolCollectorCollect, ViewFunctionsAreTheMembersThatProduceViews) {
  IRTypeDecl view = typeDecl(IRTypeKind::struct_, "CardView");
  view.inherits = {"View"};
  IRProperty body = computed("body", named("some View"));
  IRProperty header = computed("header", named("Badge"));
  IRProperty optionalView = computed("maybe", optionalOf(named("View")));
  IRProperty markedComputed = computed("caption", named("String"));
  markedComputed.otherAttributes = {"ViewBuilder"};
  IRProperty content = storedVar("content", functionOf({}, named("Content")));
  content.wrapper = "ViewBuilder";
  IRProperty action = storedVar("action", functionOf({}, named("Void")));
  IRProperty title = storedVar("title", named("String"));
  IRProperty markedString = storedVar("label", named("String"));
  markedString.wrapper = "ViewBuilder";
  view.properties = {body, header, optionalView, markedComputed, content, action, title, markedString};

  IRFunction row = function("row");
  row.returnType = named("AnyView");
  IRFunction built = function("built");
  built.returnType = named("String");
  built.attributes = {"ViewBuilder"};
  IRFunction text = function("text");
  text.returnType = named("Text", {named("View")});
  IRFunction generic = function("wrapped");
  generic.returnType = arrayOf(named("View"));
  IRFunction plain = function("tap");
  view.functions = {row, built, text, generic, plain};

  IRTypeDecl badge = typeDecl(IRTypeKind::struct_, "Badge");
  badge.inherits = {"View"};
  IRTypeDecl app = typeDecl(IRTypeKind::struct_, "MainApp");
  app.inherits = {"App"};
  app.properties = {computed("body", named("Scene"))};

  IRModule module{
      .files = {IRFile{.path = "A.swift", .decls = {declOf(view), declOf(badge), declOf(app)}}}};
  const ModuleSymbols symbols = SymbolCollector::collect(module);
  EXPECT_EQ(symbols.viewFunctions.at("CardView"), (NameSet{"body", "built", "caption", "content", "header", "row"}));
  EXPECT_EQ(symbols.viewFunctions.at("Badge"), NameSet{});
  EXPECT_EQ(symbols.viewFunctions.at("MainApp"), NameSet{"body"});
  EXPECT_EQ(symbols.viewFunctions.size(), 3u);
}

}  // namespace
}  // namespace tovrane
