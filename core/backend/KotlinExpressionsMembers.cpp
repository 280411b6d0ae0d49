// Identifiers, member accesses and what the emitter infers about names: the
// module enumeration an expression has, the element class of an array
// property, whether a name is known. Leading-dot members get their
// qualifier from one ordered rule table.
#include <algorithm>
#include <cctype>

#include "core/backend/KotlinBackend.hpp"
#include "core/support/Text.hpp"

namespace tovrane {
namespace {

bool startsLowercase(std::string_view name) {
  const std::vector<std::string_view> characters = text::graphemes(text::prefixGraphemes(name, 1));
  return !characters.empty() && text::isLowercase(characters.front());
}

// The module enumeration that a property of the type at `owner` has by its
// declared type or by an initializer such as Mode.light.
std::optional<std::string> enumOfProperty(const ModuleSymbols& symbols, const IRProperty& property,
                                          std::string_view owner) {
  const auto enumPath = [&](const std::string& name) -> std::optional<std::string> {
    std::optional<std::string> path = symbols.typePath(name, owner);
    if (path && symbols.enums.contains(*path)) return path;
    return std::nullopt;
  };
  const IRType* type = &property.type;
  if (const auto* optional = type->as<IRType::optional>()) type = &*optional->wrapped;
  if (const auto* named = type->as<IRType::named>()) {
    if (std::optional<std::string> path = enumPath(named->name)) return path;
  }
  if (property.initializer) {
    if (const auto* member = property.initializer->as<IRExpr::member>(); member && member->base) {
      if (const auto* base = (*member->base)->as<IRExpr::ident>()) return enumPath(base->name);
    }
  }
  return std::nullopt;
}

// The enumeration of the first of these properties of the type at `owner`
// that has one.
std::optional<std::string> firstEnumOf(const ModuleSymbols& symbols, std::span<const IRProperty* const> properties,
                                       std::string_view owner) {
  for (const IRProperty* property : properties) {
    if (std::optional<std::string> found = enumOfProperty(symbols, *property, owner)) return found;
  }
  return std::nullopt;
}

// What a leading-dot member rule sees: the member name (without Swift's
// backquotes), the context of the argument it stands in and the emitter,
// which knows the module's enumerations and where it is writing.
struct ImplicitContext {
  std::string_view name;
  std::string_view callee;
  std::string_view label;
  const std::optional<IRType>& type;
  const ModuleSymbols& symbols;
  const KotlinEmitter& emitter;
};

template <std::size_t N>
bool in(const std::string_view (&names)[N], std::string_view name) {
  return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

constexpr std::string_view shapeNames[] = {"circle", "capsule", "rectangle"};
constexpr std::string_view roundingRules[] = {
    "up", "down", "toNearestOrEven", "toNearestOrAwayFromZero", "towardZero", "awayFromZero"};
constexpr std::string_view numberStyles[] = {"number", "percent", "currency"};
constexpr std::string_view symbolWidths[] = {"wide",          "narrow",        "twoDigits",
                                                           "defaultDigits", "twoDigitsHour", "abbreviated"};
constexpr std::string_view dateFields[] = {"month", "weekday", "day", "year", "hour", "minute"};
constexpr std::string_view styleLevels[] = {"omitted", "numeric",   "abbreviated", "long",
                                                          "complete", "shortened", "standard"};
constexpr std::string_view calendarComponents[] = {
    "era", "year", "month", "day", "hour", "minute", "second", "weekday", "weekOfYear", "nanosecond"};
constexpr std::string_view matchingPolicies[] = {
    "nextTime", "strict", "previousTimePreservingSmallerComponents", "nextTimePreservingSmallerComponents"};
constexpr std::string_view alignmentNames[] = {"leading", "trailing", "center", "top", "bottom"};
constexpr std::string_view edgeNames[] = {"horizontal", "vertical", "all"};
constexpr std::string_view stackNames[] = {"VStack", "HStack", "ZStack", "LazyVStack", "LazyHStack"};

// The enumeration named by the expected type, plain or optional, when it has
// the member as a case.
std::optional<std::string> expectedEnum(const ImplicitContext& c, bool optional) {
  if (!c.type) return std::nullopt;
  const IRType* type = &*c.type;
  if (optional) {
    const auto* wrapper = type->as<IRType::optional>();
    if (!wrapper) return std::nullopt;
    type = &*wrapper->wrapped;
  }
  const auto* named = type->as<IRType::named>();
  const std::optional<std::string> path = named ? c.emitter.typePath(named->name) : std::nullopt;
  if (!path || !c.emitter.members.enumCase(*path, c.name)) return std::nullopt;
  return kwNested(*path) + "." + kw(c.name);
}

std::string prefixed(std::string_view prefix, std::string_view name) { return std::string(prefix) + std::string(name); }

// The rules in the order they are tried; the first with a result wins.
// Overlaps are settled by this order: a module enumeration named by the
// expected type beats every SwiftUI table, a stack's unlabelled argument is
// an alignment even when its name is also a colour.
using ImplicitRule = std::optional<std::string> (*)(const ImplicitContext&);
constexpr ImplicitRule implicitRules[] = {
    [](const ImplicitContext& c) -> std::optional<std::string> {
      if (c.name == "infinity") return "Double.infinity";
      if (c.name == "now") return "java.util.Date()";
      if (c.name == "zero") return "0";
      // When a module enumeration has a case "none", it is that case.
      if (c.name == "none" && !c.symbols.caseIndex.contains("none")) return "null";
      return std::nullopt;
    },
    [](const ImplicitContext& c) { return expectedEnum(c, false); },
    [](const ImplicitContext& c) { return expectedEnum(c, true); },
    [](const ImplicitContext& c) -> std::optional<std::string> {
      if (c.label == "placement" || c.callee == "ToolbarItem") return "null";
      return std::nullopt;
    },
    [](const ImplicitContext& c) -> std::optional<std::string> {
      if (c.label != "alignment" && !(in(stackNames, c.callee) && c.label.empty())) return std::nullopt;
      if (c.callee == "VStack" || c.callee == "LazyVStack") return prefixed("HorizontalAlignment.", c.name);
      if (c.callee == "HStack" || c.callee == "LazyHStack") return prefixed("VerticalAlignment.", c.name);
      return prefixed("Alignment.", c.name);
    },
    [](const ImplicitContext& c) -> std::optional<std::string> {
      if (c.callee == "multilineTextAlignment") return prefixed("TextAlignment.", c.name);
      return std::nullopt;
    },
    [](const ImplicitContext& c) -> std::optional<std::string> {
      if (c.label != "weight" && c.callee != "fontWeight" && c.callee != "weight") return std::nullopt;
      return fontWeightNames().contains(c.name) ? prefixed("FontWeight.", c.name) : "FontWeight.regular";
    },
    [](const ImplicitContext& c) -> std::optional<std::string> {
      if (c.label == "design") return prefixed("FontDesign.", c.name);
      if (c.label == "role") return prefixed("ButtonRole.", c.name);
      if (c.label == "axes" || c.label == "axis" || c.callee == "ScrollView") return prefixed("Axis.", c.name);
      if (c.callee == "padding" || c.label == "edges") return prefixed("Edge.", c.name);
      return std::nullopt;
    },
    [](const ImplicitContext& c) -> std::optional<std::string> {
      const bool shapeContext = c.callee == "clipShape" || (c.label == "in" && c.name != "whitespaces");
      if (shapeContext && in(shapeNames, c.name)) return prefixed("Shape.", c.name);
      const bool fontContext = c.callee == "font" || c.label == "font";
      if (fontContext && swiftFontNames().contains(c.name)) return prefixed("Font.", c.name);
      if (c.callee == "trimmingCharacters") return "null";
      return std::nullopt;
    },
    [](const ImplicitContext& c) -> std::optional<std::string> {
      if (swiftColorNames().contains(c.name)) return prefixed("Color.", c.name);
      if (swiftFontNames().contains(c.name)) return prefixed("Font.", c.name);
      return std::nullopt;
    },
    [](const ImplicitContext& c) -> std::optional<std::string> {
      const auto found = c.symbols.caseIndex.find(c.name);
      if (found == c.symbols.caseIndex.end() || found->second.empty()) return std::nullopt;
      return kwNested(found->second.front()) + "." + kw(c.name);
    },
    [](const ImplicitContext& c) -> std::optional<std::string> {
      if (c.name == "dateTime") return "DateFormatStyle.dateTime";
      if ((c.callee == "rounded" || c.label == "rule") && in(roundingRules, c.name)) {
        return prefixed("RoundingRule.", c.name);
      }
      if (c.callee == "Calendar" || c.label == "identifier") return "null";
      if (c.callee == "formatted" && in(numberStyles, c.name)) return "null";
      if (in(symbolWidths, c.name) && in(dateFields, c.callee)) return stringLiteral(c.name);
      if ((c.label == "date" || c.label == "time") && in(styleLevels, c.name)) {
        return prefixed("FormatStyleLevel.", c.name);
      }
      return std::nullopt;
    },
    [](const ImplicitContext& c) -> std::optional<std::string> {
      if (in(calendarComponents, c.name)) return prefixed("SwiftCalendar.Component.", c.name);
      if (in(matchingPolicies, c.name)) return prefixed("SwiftCalendar.MatchingPolicy.", c.name);
      if (c.name == "distantFuture" || c.name == "distantPast") return std::string(c.name);
      if (in(alignmentNames, c.name)) return prefixed("Alignment.", c.name);
      if (in(edgeNames, c.name)) return prefixed("Edge.", c.name);
      return std::nullopt;
    },
};

}  // namespace

bool isBindingReference(std::string_view name) {
  if (name.size() < 2 || name.front() != '$') return false;
  for (std::string_view character : text::graphemes(name.substr(1))) {
    if (!text::isNumber(character)) return true;
  }
  return false;
}

std::string KotlinEmitter::identExpr(std::string_view name) {
  for (auto frame = scope.closureRename.rbegin(); frame != scope.closureRename.rend(); ++frame) {
    if (const auto found = frame->find(name); found != frame->end()) return found->second;
  }
  if (name == "+" || name == "-" || name == "*" || name == "/" || name == "<" || name == ">") {
    return "{ a, b -> a " + std::string(name) + " b }";
  }
  if (isBindingReference(name)) {
    const std::string_view rest = name.substr(1);
    const std::string field = kwMade("_", rest);
    if (scope.bindingFields.contains(rest)) return field;
    if (scope.appStorageFields.contains(rest)) return field + ".binding()";
    const std::string value = kw(rest);
    return "Binding({ " + value + " }, { " + value + " = it })";
  }
  if (name == "print") return "swiftPrint";
  const bool isMethod = scope.methodNames.contains(name);
  if (!isMethod && startsLowercase(name) && !isKnownIdent(name)) {
    return todo(name, "Unbekannter Bezeichner '" + std::string(name) + "'");
  }
  // A method used as a value becomes a lambda that passes its parameters
  // on, unless a parameter or local of the same name hides it.
  if (isMethod && !(scope.knows(name) && isPropertyOfCurrentType(name))) {
    const IRFunction* method = currentTypeMethod(name);
    std::vector<std::string> params;
    for (std::size_t i = 0; method && i < method->params.size(); ++i) {
      params.push_back(std::string(1, 'p').append(std::to_string(i)));
    }
    if (params.empty()) return "{ " + kw(name) + "() }";
    const std::string list = text::join(params, ", ");
    return "{ " + list + " -> " + kw(name) + "(" + list + ") }";
  }
  // A module type by its Swift name; a nested one has a Kotlin name of its own.
  if (!scope.knows(name)) {
    if (std::optional<std::string> path = typePath(name)) return kwNested(*path);
  }
  return kw(name);
}

namespace {

// The next link inward of a member and subscript chain, or null at its root.
const IRExpr* innerLink(const IRExpr& link) {
  if (const auto* access = link.as<IRExpr::member>(); access && access->base) return &**access->base;
  if (const auto* subscript = link.as<IRExpr::subscriptExpr>()) return &*subscript->base;
  return nullptr;
}

}  // namespace

std::optional<std::string> KotlinEmitter::bindingTo(const IRExpr& chain, std::string_view member) {
  // Every link of a chain asks this of the links inside it while it is
  // written, so a chain whose root is no binding reference is remembered
  // link by link: a chain of n links costs n steps in all, not n².
  std::vector<const IRExpr*> links;
  const IRExpr* innermost = &chain;
  for (const IRExpr* inner; (inner = innerLink(*innermost));) {
    if (plainLinkSet_.contains(innermost)) return std::nullopt;
    links.push_back(innermost);
    innermost = inner;
  }
  const auto* ident = innermost->as<IRExpr::ident>();
  if (!ident || !isBindingReference(ident->name)) {
    if (memoScopes_ > 0)
      for (const IRExpr* link : links)
        if (plainLinkSet_.insert(link).second) plainLinks_.push_back(link);
    return std::nullopt;
  }
  if (links.empty() && member.empty()) return identExpr(ident->name);
  const std::string_view root = std::string_view(ident->name).substr(1);
  std::optional<std::string> target = writtenTwice([&] {
    // From the outside in, so the pieces arrive last first.
    std::vector<std::string> pieces;
    for (const IRExpr* link : links) {
      if (const auto* access = link->as<IRExpr::member>()) {
        pieces.push_back(std::string(".").append(kw(access->name)));
      } else if (const auto* subscript = link->as<IRExpr::subscriptExpr>()) {
        std::vector<std::string> indices;
        for (const IRArg& arg : subscript->args) indices.push_back(expr(arg.value, Hint{}));
        pieces.push_back(std::string("[").append(text::join(indices, ", ")).append("]"));
      }
    }
    std::string written = kw(root);
    for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece) written += *piece;
    if (!member.empty()) written.append(".").append(kw(member));
    return written;
  });
  if (!target) return todo(ident->name, "Nicht unterstützter Ausdruck");
  // Setting the member changes the view's state or its parent's in place;
  // assigning the root to itself is what tells Compose about it.
  const bool held = scope.stateFields.contains(root) || scope.bindingFields.contains(root);
  const std::string touch = held ? "; " + kw(root) + " = " + kw(root) : "";
  return "Binding({ " + *target + " }, { " + *target + " = it" + touch + " })";
}

std::optional<std::string> KotlinEmitter::writtenTwice(const std::function<std::string()>& translate) {
  if (writingTwice_) return std::nullopt;
  writingTwice_ = true;
  std::string text = translate();
  writingTwice_ = false;
  return text;
}

KotlinEmitter::ChainMemoScope::~ChainMemoScope() {
  for (std::size_t i = mark_; i < emitter_.plainLinks_.size(); ++i) emitter_.plainLinkSet_.erase(emitter_.plainLinks_[i]);
  emitter_.plainLinks_.resize(mark_);
  --emitter_.memoScopes_;
}

bool KotlinEmitter::isKnownIdent(std::string_view name) {
  if (!name.empty() && name.front() == '$') {
    return name == "$0" || name == "$1" || name == "$2" || isKnownIdent(name.substr(1));
  }
  if (scope.knows(name) || knownGlobals().contains(name)) return true;
  if (runtimeGlobals().contains(std::string(name)) || typePath(name)) return true;
  if (symbols.topLevelFunctions.contains(name) || symbols.topLevelVars.contains(name)) return true;
  for (const auto& renames : scope.closureRename) {
    if (renames.contains(name)) return true;
  }
  return false;
}

std::string KotlinEmitter::memberExpr(const IRExpr& base, std::string_view name, const Hint&) {
  const auto* ident = base.as<IRExpr::ident>();
  const auto* postfix = base.as<IRExpr::postfix>();
  const bool chained = postfix && postfix->op == "?";
  if (name == "none" && (chained || (ident && (text::endsWith(ident->name, "?") || ident->name == "Optional")))) {
    return "null";
  }
  const ChainMemoScope memo(*this);
  if (std::optional<std::string> binding = bindingTo(base, name)) return *binding;
  if (ident) {
    const std::string& type = ident->name;
    // The module qualifier of the standard library («Swift.min»): the
    // runtime declares those names at top level.
    if (type == "Swift") return kw(name);
    const std::optional<std::string> path = typePath(type);
    // «String.init» passed as a function: a lambda of its one argument.
    if (name == "init" && !type.empty() && std::isupper(static_cast<unsigned char>(type.front()))) {
      return "{ " + (path ? kwNested(*path) : kw(type)) + "(it) }";
    }
    if (const auto found = path ? symbols.enums.find(*path) : symbols.enums.end(); found != symbols.enums.end()) {
      const std::string enumName = kwNested(*path);
      if (name != "allCases") return enumName + "." + kw(name);
      return found->second.sealed ? "listOf<" + enumName + ">()" : enumName + ".entries.toMutableList()";
    }
    if (type == "Color" && swiftColorNames().contains(name)) return "Color." + std::string(name);
    if (type == "Font") return "Font." + std::string(name);
    if (type == "Double" && name == "pi") return "Math.PI";
    if (type == "Double" && name == "infinity") return "Double.POSITIVE_INFINITY";
    if (type == "Int" && name == "max") return "Int.MAX_VALUE";
    if (type == "Int" && name == "min") return "Int.MIN_VALUE";
    if (type == "Date" && name == "now") return "java.util.Date()";
    // A nested type named through its parent.
    if (path) {
      const std::string nested = *path + "." + std::string(name);
      if (symbols.isTypePath(nested)) return kwNested(nested);
    }
  }
  std::string baseText = expr(chained ? *postfix->operand : base, Hint{});
  // One unknown name gives one warning: the placeholder stands for the chain.
  if (text::startsWith(baseText, "TODO(")) return baseText;
  if (name == "self") return baseText;
  static const std::map<std::string, std::string, std::less<>> memberNames{
      {"0", "first"},      {"1", "second"},      {"2", "third"},
      {"keys", "keys_"},   {"values", "values_"}, {"localizedDescription", "message"},
  };
  const auto mapped = memberNames.find(name);
  return baseText + (chained ? "?." : ".") + (mapped != memberNames.end() ? mapped->second : kw(name));
}

std::vector<std::string> KotlinEmitter::path(const IRExpr& value) {
  if (const auto* e = value.as<IRExpr::ident>()) return {e->name};
  if (value.is<IRExpr::selfRef>()) return {"self"};
  std::vector<std::string> segments;
  if (const auto* e = value.as<IRExpr::member>()) {
    if (!e->base) return {};
    segments = path(**e->base);
    segments.push_back(e->name);
  } else if (const auto* e = value.as<IRExpr::call>()) {
    segments = path(*e->callee);
    segments.emplace_back("()");
  } else if (const auto* e = value.as<IRExpr::subscriptExpr>()) {
    segments = path(*e->base);
    segments.emplace_back("[]");
  } else if (const auto* e = value.as<IRExpr::postfix>()) {
    segments = path(*e->operand);
  }
  return segments;
}

std::optional<std::string> KotlinEmitter::implicitTypeFor(const IRExpr& value) {
  const auto enumClassOf = [this](const std::string& name) -> std::optional<std::string> {
    const auto found = scope.varClass.find(name);
    if (found != scope.varClass.end() && symbols.enums.contains(found->second)) return found->second;
    return std::nullopt;
  };
  if (const auto* e = value.as<IRExpr::member>()) {
    if (std::optional<std::string> known = enumClassOf(e->name)) return known;
    if (e->base && (*e->base)->is<IRExpr::selfRef>() && scope.typeName) {
      if (std::optional<std::string> found = enumType(e->name, *scope.typeName)) return found;
    } else if (const auto* base = e->base ? (*e->base)->as<IRExpr::ident>() : nullptr) {
      if (const auto owner = scope.varClass.find(base->name); owner != scope.varClass.end()) {
        if (std::optional<std::string> found = enumType(e->name, owner->second)) return found;
      }
    }
    return enumTypeOfProperty(e->name);
  }
  if (const auto* e = value.as<IRExpr::ident>()) {
    if (std::optional<std::string> known = enumClassOf(e->name)) return known;
    if (scope.typeName) {
      if (std::optional<std::string> found = enumType(e->name, *scope.typeName)) return found;
    }
    return enumTypeOfProperty(e->name);
  }
  return std::nullopt;
}

std::optional<std::string> KotlinEmitter::enumType(std::string_view ofProperty, std::string_view in) {
  for (const std::string& candidate : {std::string(in), text::replaceAll(in, "View", "")}) {
    const std::span<const IRProperty* const> named = members.type(candidate).properties.find(ofProperty);
    if (named.empty()) continue;
    // Asked at every comparison with a case; a name declared many times
    // over is looked through once.
    std::string key = candidate;
    key.append(1, '\0').append(ofProperty);
    auto known = enumTypes_.find(key);
    if (known == enumTypes_.end()) {
      known = enumTypes_.emplace(std::move(key), firstEnumOf(symbols, named, candidate)).first;
    }
    if (known->second) return known->second;
  }
  return std::nullopt;
}

std::optional<std::string> KotlinEmitter::enumTypeOfProperty(std::string_view name) {
  // Every type's properties of the name, looked through once per name.
  if (const auto known = propertyEnums_.find(name); known != propertyEnums_.end()) return known->second;
  NameSet found;
  for (const MemberIndex::OwnedProperty& owned : members.propertiesNamed(name)) {
    if (std::optional<std::string> enumName = enumOfProperty(symbols, *owned.property, *owned.owner)) {
      found.insert(*enumName);
    }
  }
  std::optional<std::string> result = found.size() == 1 ? std::optional(*found.begin()) : std::nullopt;
  propertyEnums_.emplace(name, result);
  return result;
}

const IRFunction* KotlinEmitter::currentTypeMethod(std::string_view name) const {
  return scope.typeName ? members.type(*scope.typeName).method(name) : nullptr;
}

const IRProperty* KotlinEmitter::currentTypeProperty(std::string_view name) const {
  return scope.typeName ? members.type(*scope.typeName).properties.first(name) : nullptr;
}

namespace {

// The name that `value` refers to as «x» or «self.x»; empty otherwise.
std::string_view ownName(const IRExpr& value) {
  if (const auto* ident = value.as<IRExpr::ident>()) return ident->name;
  if (const auto* member = value.as<IRExpr::member>(); member && member->base && (*member->base)->is<IRExpr::selfRef>()) {
    return member->name;
  }
  return {};
}

}  // namespace

std::optional<std::string> KotlinEmitter::elementClass(const IRExpr& value) {
  const std::string_view name = ownName(value);
  const IRProperty* property = name.empty() ? nullptr : currentTypeProperty(name);
  if (!property) return std::nullopt;
  const IRType* propertyType = &property->type;
  if (const auto* optional = propertyType->as<IRType::optional>()) propertyType = &*optional->wrapped;
  const auto* array = propertyType->as<IRType::array>();
  const auto* element = array ? array->element->as<IRType::named>() : nullptr;
  const std::optional<std::string> path = element ? typePath(element->name) : std::nullopt;
  if (path && symbols.types.contains(*path)) return path;
  return std::nullopt;
}

bool isNumberLiteral(const IRExpr& value) {
  if (const auto* prefix = value.as<IRExpr::prefix>(); prefix && prefix->op == "-") {
    return isNumberLiteral(*prefix->operand);
  }
  return value.is<IRExpr::intLit>() || value.is<IRExpr::floatLit>();
}

const IRType* KotlinEmitter::assignedType(const IRExpr& target) {
  const std::string_view name = ownName(target);
  if (name.empty()) return nullptr;
  if (target.is<IRExpr::ident>()) {
    if (const std::optional<const IRType*> local = scope.localType(name)) return *local;
  }
  const IRProperty* property = currentTypeProperty(name);
  if (!property || property->getter || property->type.is<IRType::inferred>()) return nullptr;
  return &property->type;
}

bool KotlinEmitter::isPropertyOfCurrentType(std::string_view name) {
  for (std::size_t i = 1; i < scope.names.size(); ++i) {
    if (scope.names[i].contains(name)) return true;
  }
  if (!scope.typeName || !symbols.types.contains(*scope.typeName)) return true;
  return currentTypeProperty(name) != nullptr;
}

std::optional<std::string> KotlinEmitter::implicitMember(std::string_view name, const Hint& hint) {
  const ImplicitContext context{.name = withoutBackquotes(name),
                                .callee = hint.callee ? std::string_view(*hint.callee) : std::string_view(),
                                .label = hint.label ? std::string_view(*hint.label) : std::string_view(),
                                .type = hint.type,
                                .symbols = symbols,
                                .emitter = *this};
  for (const ImplicitRule rule : implicitRules) {
    if (std::optional<std::string> result = rule(context)) return result;
  }
  return std::nullopt;
}

}  // namespace tovrane
