// SwiftUI views and apps as Compose: a composable function that plays the
// role of the view's initialiser, and a holder class that keeps the view's
// stored properties, state and body across recompositions. The function
// creates the holder once, copies the caller's current values into it on
// every recomposition, connects environment values and stored preferences,
// and runs the holder's body. State is held with a never-equal policy so an
// assignment always recomposes, as a SwiftUI state write always re-renders.
#include <algorithm>
#include <utility>

#include "core/backend/KotlinBackend.hpp"
#include "core/backend/KotlinViewSupport.hpp"
#include "core/support/Text.hpp"

namespace tovrane {
namespace {

using ViewField = KotlinEmitter::ViewField;

const NameSet& ownedStateWrappers() {
  static const NameSet names{"StateObject", "FocusState", "GestureState", "Namespace", "ScaledMetric"};
  return names;
}

// The environment values the runtime provides: the holder's member is
// declaration + name + rest; the function assigns `current` to it on every
// recomposition unless it is empty.
struct EnvironmentKey {
  std::string_view key;
  std::string_view declaration;
  std::string_view rest;
  std::string_view current;
};

constexpr EnvironmentKey environmentKeys[] = {
    {"dismiss", "var ", " = DismissAction {}", "LocalDismiss.current"},
    {"presentationMode", "var ", " = DismissAction {}", "LocalDismiss.current"},
    {"colorScheme", "var ", " = ColorScheme.light", "currentColorScheme()"},
    {"openURL", "lateinit var ", ": OpenURLAction", "currentOpenURL()"},
    {"modelContext", "val ", " = ModelContext", ""},
};

const EnvironmentKey* environmentKey(std::string_view key) {
  for (const EnvironmentKey& known : environmentKeys) {
    if (known.key == key) return &known;
  }
  return nullptr;
}

// A property read and written through a holder field: "var name: Y" with
// accessors on "_name.value".
void writeDelegatingProperty(Writer& writer, const IRProperty& property, const std::string& type) {
  writer.line("var " + kw(property.name) + ": " + type);
  writer.level += 1;
  const std::string field = kwMade("_", property.name);
  writer.line("get() = " + field + ".value");
  writer.line("set(v) { " + field + ".value = v }");
  writer.level -= 1;
}

void writeComposableHead(Writer& writer, const std::string& signature) {
  writer.line("@Composable @NonSkippableComposable");
  writer.line(signature + " {");
}

}  // namespace

KotlinEmitter::ViewField KotlinEmitter::classify(const IRProperty& property) {
  const std::string wrapper = property.wrapper.value_or("");
  if (wrapper == "Binding") return ViewField::binding{property};
  if (wrapper == "State") {
    if (property.initializer) return ViewField::state{property};
    return ViewField::param{property};
  }
  if (ownedStateWrappers().contains(wrapper)) return ViewField::state{property};
  if (wrapper == "EnvironmentObject") {
    return ViewField::envObject{property, kt(property.type), moduleTypeOf(property.type)};
  }
  if (wrapper == "Environment") {
    const std::string argument = property.wrapperArg.value_or("");
    if (text::endsWith(argument, ".self")) {
      const std::string type = argument.substr(0, argument.size() - 5);
      return ViewField::envObject{property, typeName(type), typePath(type)};
    }
    return ViewField::envValue{property, text::replaceAll(argument, "\\.", "")};
  }
  if (wrapper == "AppStorage" || wrapper == "SceneStorage") {
    return ViewField::appStorage{property, property.wrapperArg.value_or(stringLiteral(withoutBackquotes(property.name)))};
  }
  if (wrapper == "Query") return ViewField::state{property};
  if (wrapper == "ObservedObject" || wrapper == "Bindable") return ViewField::param{property};
  if (property.isLet && property.initializer) return ViewField::constant{property};
  return ViewField::param{property};
}

void KotlinEmitter::emitViewType(const IRTypeDecl& decl, Writer& writer, std::string_view path) {
  const std::string own(path);
  const bool isApp = symbols.apps.contains(own);
  const std::string holder = kwMade("", kwNested(own), isApp ? "Root" : "View");

  // Installed first: the fields' types are named from inside the view.
  scope = EmitScope();
  scope.typeName = own;
  scope.isViewHolder = true;

  std::vector<ViewField> fields;
  std::vector<const IRProperty*> computedMembers;
  for (const IRProperty& property : decl.properties) {
    if (property.isStatic) continue;
    if (property.getter) {
      computedMembers.push_back(&property);
    } else {
      fields.push_back(classify(property));
    }
  }

  for (const IRProperty& property : decl.properties) scope.declare(property.name);
  for (const IRFunction& function : decl.functions) {
    scope.declare(function.name);
    scope.methodNames.insert(function.name);
  }
  if (const auto members = symbols.viewFunctions.find(own); members != symbols.viewFunctions.end()) {
    scope.viewMembers = members->second;
  }

  // What the caller passes in: composable parameters, holder constructor
  // parameters, the arguments that create the holder and the lines that
  // refresh it on every recomposition.
  std::vector<std::string> params;
  std::vector<std::string> constructorParams;
  std::vector<std::string> constructorArgs;
  std::vector<std::string> updateLines;
  for (const ViewField& field : fields) {
    const IRProperty& p = field.property();
    const std::string name = kw(p.name);
    if (field.is<ViewField::param>()) {
      const bool content = p.type.is<IRType::function>() && isViewBuilder(p);
      const std::string type = content ? "@Composable () -> Unit" : propType(p);
      std::string fallback;
      if (p.initializer) {
        fallback = " = " + coerced(*p.initializer, p.type);
      } else if (p.type.is<IRType::optional>()) {
        fallback = " = null";
      }
      params.push_back(name + ": " + type + fallback);
      constructorArgs.push_back(name);
      if (std::optional<std::string> owner = moduleTypeOf(p.type)) scope.varClass[p.name] = *owner;
      if (p.wrapper == "State") {
        // The argument only seeds the state, as in SwiftUI: the holder keeps
        // it observable, and a parent's recomposition does not overwrite
        // what the user has changed since.
        constructorParams.push_back(name + ": " + type);
        scope.stateFields.insert(p.name);
      } else {
        constructorParams.push_back("var " + name + ": " + type);
        updateLines.push_back("self." + name + " = " + name);
      }
    } else if (field.is<ViewField::binding>()) {
      const std::string type = propType(p);
      params.push_back(name + ": Binding<" + type + ">");
      constructorParams.push_back("var " + kwMade("_", p.name) + ": Binding<" + type + ">");
      constructorArgs.push_back(name);
      updateLines.push_back("self." + kwMade("_", p.name) + " = " + name);
      scope.bindingFields.insert(p.name);
      if (std::optional<std::string> owner = moduleTypeOf(p.type)) scope.varClass[p.name] = *owner;
    }
  }
  if (!isApp) {
    // A trailing content lambda stays last, so callers can still pass it
    // after the parentheses.
    const bool trailingContent = !params.empty() &&
                                 params.back().find(": @Composable () -> Unit") != std::string::npos &&
                                 params.back().find(" = ") == std::string::npos;
    params.insert(trailingContent ? params.end() - 1 : params.end(), "mod: Mod = Mod()");
  }

  writeComposableHead(writer, "fun " + kwNested(own) + "(" + text::join(params, ", ") + ")");
  writer.level += 1;
  writer.line("val self = remember { " + holder + "(" + text::join(constructorArgs, ", ") + ") }");
  for (const std::string& line : updateLines) writer.line(line);
  for (const ViewField& field : fields) {
    const IRProperty& p = field.property();
    if (const auto* object = field.as<ViewField::envObject>()) {
      writer.line("self." + kw(p.name) + " = environmentObject<" + object->typeName + ">()");
    } else if (const auto* value = field.as<ViewField::envValue>()) {
      const EnvironmentKey* known = environmentKey(value->key);
      if (known && !known->current.empty()) writer.line("self." + kw(p.name) + " = " + std::string(known->current));
    } else if (const auto* storage = field.as<ViewField::appStorage>()) {
      std::string fallback;
      if (p.initializer) {
        fallback = coerced(*p.initializer, p.type);
      } else {
        fallback = defaultValue(p.type).value_or("\"\"");
      }
      writer.line("self." + kwMade("_", p.name) + " = rememberAppStorage(" + storage->key + ", " + fallback + ")");
    }
  }
  writer.line(isApp ? "self.body()" : "Apply(mod) { self.body() }");
  writer.level -= 1;
  writer.line("}");

  writer.line("");
  writer.line("class " + holder + "(" + text::join(constructorParams, ", ") + ") {");
  writer.level += 1;
  for (const ViewField& field : fields) {
    const IRProperty& p = field.property();
    const std::string name = kw(p.name);
    if (field.is<ViewField::binding>()) {
      writeDelegatingProperty(writer, p, propType(p));
    } else if (field.is<ViewField::param>() && p.wrapper == "State") {
      writer.line("var " + name + " by mutableStateOf<" + propType(p) + ">(" + name + ", neverEqualPolicy())");
    } else if (field.is<ViewField::state>()) {
      scope.stateFields.insert(p.name);
      if (const auto* call = p.initializer ? p.initializer->as<IRExpr::call>() : nullptr) {
        const std::optional<std::string> type = typePathOf(*call->callee);
        if (type && symbols.types.contains(*type)) scope.varClass[p.name] = *type;
      }
      if (std::optional<std::string> owner = moduleTypeOf(p.type)) scope.varClass[p.name] = *owner;
      const std::string wrapper = p.wrapper.value_or("");
      if (wrapper == "Namespace") {
        writer.line("val " + name + " = Any()");
        continue;
      }
      if (wrapper == "Query") {
        emitQuery(p, writer);
        continue;
      }
      const std::string type = kt(p.type);
      const bool focus = wrapper == "FocusState";
      std::string initial;
      if (p.initializer) {
        initial = type.empty() ? expr(*p.initializer, Hint{}) : coerced(*p.initializer, p.type);
      } else if (focus) {
        initial = type == "Boolean" ? "false" : "null";
      } else {
        initial = defaultValue(p.type).value_or("null");
      }
      std::string typeArg;
      // The focus of an optional field («Field?») is already nullable.
      const bool nullable = focus && type != "Boolean" && !text::endsWith(type, "?");
      if (!type.empty()) typeArg = "<" + type + (nullable ? "?>" : ">");
      writer.line("var " + name + " by mutableStateOf" + typeArg + "(" + initial + ", neverEqualPolicy())");
    } else if (const auto* object = field.as<ViewField::envObject>()) {
      writer.line("lateinit var " + name + ": " + object->typeName);
      if (object->path) scope.varClass[p.name] = *object->path;
    } else if (const auto* value = field.as<ViewField::envValue>()) {
      if (const EnvironmentKey* known = environmentKey(value->key)) {
        writer.line(std::string(known->declaration) + name + std::string(known->rest));
      } else {
        const std::string source = "@Environment(\\." + value->key + ")";
        warn(source, source + " wird nicht unterstützt");
        writer.line("var " + name + ": Any? = null");
      }
    } else if (field.is<ViewField::appStorage>()) {
      scope.appStorageFields.insert(p.name);
      const std::string type = propType(p);
      writer.line("lateinit var " + kwMade("_", p.name) + ": MutableState<" + type + ">");
      writeDelegatingProperty(writer, p, type);
    } else if (field.is<ViewField::constant>()) {
      emitStoredProperty(p, writer, false, false, "");
    }
  }

  for (const IRProperty* property : computedMembers) {
    if (property->name == "body" || scope.viewMembers.contains(property->name)) {
      writeComposableHead(writer, "fun " + kw(property->name) + "()");
      writer.level += 1;
      emitViewBody(*property->getter, writer);
      writer.level -= 1;
      writer.line("}");
    } else {
      emitProperty(*property, writer, {});
    }
  }

  for (const IRFunction& function : decl.functions) {
    if (function.isStatic || function.isInit) continue;
    if (!scope.viewMembers.contains(function.name)) {
      emitFunction(function, writer, std::nullopt, false, "");
      continue;
    }
    scope.push();
    const std::string functionParams = paramList(function);
    writeComposableHead(writer, "fun " + kw(function.name) + "(" + functionParams + ")");
    writer.level += 1;
    for (const std::string& line : renameLines(function)) writer.line(line);
    emitViewBody(function.body.value_or(std::vector<IRStmt>{}), writer);
    writer.level -= 1;
    writer.line("}");
    scope.pop();
  }

  if (std::any_of(decl.functions.begin(), decl.functions.end(), [](const IRFunction& f) { return f.isInit; })) {
    warn("init(...)", "Eigene init() in View " + own + " wird ignoriert – bitte prüfen");
  }
  emitCompanion(decl, writer);
  writer.level -= 1;
  writer.line("}");
}

void KotlinEmitter::emitQuery(const IRProperty& property, Writer& writer) {
  const auto* array = property.type.as<IRType::array>();
  const std::string element = array ? kt(*array->element) : "Any";
  std::vector<std::string> args{element + "::class"};
  const auto isReverse = [](const IRExpr& value) {
    const auto* member = value.as<IRExpr::member>();
    return member && !member->base && member->name == "reverse";
  };
  bool reverse = false;
  if (const auto* call = property.initializer ? property.initializer->as<IRExpr::call>() : nullptr) {
    for (const IRArg& arg : call->args) {
      if (arg.label == "filter") {
        args.push_back("filter = " + expr(arg.value, Hint{}));
      } else if (arg.label == "sort") {
        const auto* descriptors = arg.value.as<IRExpr::arrayLit>();
        if (!descriptors) {
          args.push_back("sort = " + expr(arg.value, Hint{}));
          continue;
        }
        // Only the first sort descriptor is kept: the store sorts by one key.
        const auto* first = descriptors->elements.empty() ? nullptr : descriptors->elements.front().as<IRExpr::call>();
        if (!first || first->args.empty()) continue;
        args.push_back("sort = " + expr(first->args.front().value, Hint{}));
        if (std::any_of(first->args.begin(), first->args.end(), [&](const IRArg& a) { return isReverse(a.value); })) {
          reverse = true;
        }
      } else if (arg.label == "order" && isReverse(arg.value)) {
        reverse = true;
      }
    }
  }
  if (reverse) args.emplace_back("reverse = true");
  writer.line("val " + kw(property.name) + ": MutableList<" + element + ">");
  writer.level += 1;
  writer.line("get() = ModelStore.fetch(" + text::join(args, ", ") + ").toMutableList()");
  writer.level -= 1;
}

void KotlinEmitter::emitViewBody(const std::vector<IRStmt>& stmts, Writer& writer) {
  // A `return` in a view member leaves the member itself, whatever lambda
  // encloses the member's text.
  std::vector<std::optional<std::string>> saved = std::exchange(scope.returnLabels, {std::nullopt});
  for (const IRStmt& stmt : stmts) emitViewStmt(stmt, writer);
  scope.returnLabels = std::move(saved);
}

}  // namespace tovrane
