// Calls: Swift library calls with a Kotlin or runtime form, leading-dot
// calls, unknown functions, renamed collection methods, named arguments,
// typed memberwise initialiser arguments and trailing lambdas. The callee is
// settled first, then the arguments, then the trailing closures, which is
// the order their warnings and closure labels arise in.
#include <algorithm>
#include <cctype>
#include <utility>

#include "core/backend/KotlinBackend.hpp"
#include "core/support/Text.hpp"

namespace tovrane {
namespace {

// Methods after which a two-parameter trailing closure receives one pair or
// map entry that Kotlin destructures.
const NameSet& tupleCallees() {
  static const NameSet names{"map",   "forEach",  "filter",     "compactMap", "flatMap",
                             "first", "contains", "allSatisfy", "map_",       "filter_"};
  return names;
}

// Collection methods the runtime provides under another name, so that they
// keep Swift's result types (mutable lists).
std::string kotlinMethodName(const std::string& name, bool hasArgs, bool hasTrailing) {
  static const std::map<std::string, std::string, std::less<>> renamed{
      {"filter", "filter_"},     {"map", "map_"},           {"reversed", "reversed_"},
      {"flatMap", "flatMap_"},   {"shuffled", "shuffled_"}, {"dropLast", "dropLast_"},
  };
  if (const auto found = renamed.find(name); found != renamed.end()) return found->second;
  if (name == "sorted" && !hasArgs && !hasTrailing) return "sorted_";
  if (name == "contains" && hasTrailing) return "any";
  return name;
}

const IRClosure* closureOf(const IRArg& arg) {
  const auto* closure = arg.value.as<IRExpr::closure>();
  return closure ? &*closure->value : nullptr;
}

bool isIdent(const IRExpr& value, std::string_view name) {
  const auto* ident = value.as<IRExpr::ident>();
  return ident && ident->name == name;
}

// The type an expression spells as a type: «Item», «Outer.Item», «[Item]»,
// «[String: Int]», «Item?».
std::optional<IRType> spelledType(const IRExpr& value) {
  if (const auto* ident = value.as<IRExpr::ident>()) return IRType::named{ident->name, {}};
  if (const auto* access = value.as<IRExpr::member>(); access && access->base) {
    std::optional<IRType> owner = spelledType(**access->base);
    const auto* named = owner ? owner->as<IRType::named>() : nullptr;
    if (!named || !named->args.empty()) return std::nullopt;
    return IRType::named{named->name + "." + access->name, {}};
  }
  if (const auto* array = value.as<IRExpr::arrayLit>(); array && array->elements.size() == 1) {
    std::optional<IRType> element = spelledType(array->elements.front());
    if (element) return IRType::array{std::move(*element)};
  }
  if (const auto* dictionary = value.as<IRExpr::dictLit>(); dictionary && dictionary->entries.size() == 1) {
    std::optional<IRType> key = spelledType(dictionary->entries.front().key);
    std::optional<IRType> mapped = spelledType(dictionary->entries.front().value);
    if (key && mapped) return IRType::dictionary{std::move(*key), std::move(*mapped)};
  }
  if (const auto* postfix = value.as<IRExpr::postfix>(); postfix && postfix->op == "?") {
    std::optional<IRType> wrapped = spelledType(*postfix->operand);
    if (wrapped) return IRType::optional{std::move(*wrapped)};
  }
  return std::nullopt;
}

}  // namespace

std::string KotlinEmitter::callExpr(const IRExpr& callee, const std::vector<IRArg>& args,
                                    const std::vector<IRArg>& trailing, const Hint& hint) {
  const Hint none;
  std::string calleeText;
  std::optional<std::string> calleeName;
  if (const auto* member = callee.as<IRExpr::member>()) {
    const std::string& n = member->name;
    calleeName = n;
    const IRExpr* base = member->base ? &**member->base : nullptr;
    if (base && n == "toggle" && args.empty()) {
      const std::optional<std::string> target = writtenTwice([&] { return expr(*base, none); });
      if (!target) return todo(".toggle()", "Nicht unterstützter Ausdruck");
      return "(" + *target + " = !" + *target + ")";
    }
    if (base && isIdent(*base, "Task") && n == "sleep" && !args.empty()) {
      const IRArg& first = args.front();
      if (first.label == "for") {
        // Durations are written .seconds(s) or .milliseconds(ms); the delay
        // takes whole milliseconds.
        const auto* duration = first.value.as<IRExpr::call>();
        const auto* unit = duration ? duration->callee->as<IRExpr::member>() : nullptr;
        if (unit && !unit->base && duration->args.size() == 1 && duration->trailing.empty()) {
          std::string amount = expr(duration->args.front().value, none);
          if (unit->name == "seconds") return "kotlinx.coroutines.delay((" + amount + " * 1000).toLong())";
          if (unit->name == "milliseconds") return "kotlinx.coroutines.delay((" + amount + ").toLong())";
        }
        return todo("Task.sleep(for: …)", "Nicht unterstützter Ausdruck");
      }
      std::string nanoseconds = expr(first.value, none);
      if (first.value.is<IRExpr::intLit>()) return "TaskStatic.sleep(" + nanoseconds + "L)";
      return "TaskStatic.sleep((" + nanoseconds + ").toLong())";
    }
    if (base && base->is<IRExpr::selfRef>() && n == "init") {
      // A constructor delegates in its head, before its body runs; only a
      // first statement can move there.
      return todo("self.init(...)", "self.init(...) ist nur als erste Anweisung eines Initialisierers übersetzbar");
    }
    if (base && isIdent(*base, "DispatchQueue")) {
      return todo("DispatchQueue", "DispatchQueue: bitte durch Task/Coroutine ersetzen");
    }
    if (!base) {
      if (n == "constant") {
        calleeText = "Binding.constant";
      } else if (n == "system" && (hint.callee == "font" || hint.label == "font")) {
        calleeText = "Font.system";
      } else if (std::optional<std::string> qualified = implicitMember(n, hint)) {
        calleeText = std::move(*qualified);
      } else {
        return todo("." + n + "(...)", "Unbekannter impliziter Aufruf ." + n);
      }
    } else if (const std::optional<std::string> binding = bindingTo(*base)) {
      // A method of the binding itself («$isOn.animation()»); a member
      // access on a binding reference without a call is a binding to that
      // property instead.
      calleeText = *binding + "." + kw(n);
    } else if (const std::optional<std::string> type = n == "init" ? typePathOf(*base) : std::nullopt) {
      // «Item.init(…)» is the initialiser called by its type's name.
      calleeText = kwNested(*type);
    } else if (const auto* type = base->as<IRExpr::ident>(); type && n == "init" && !type->name.empty() &&
               std::isupper(static_cast<unsigned char>(type->name.front()))) {
      calleeText = kw(type->name);
    } else {
      calleeText = memberExpr(*base, kotlinMethodName(n, !args.empty(), !trailing.empty()), none);
    }
  } else if (const auto* ident = callee.as<IRExpr::ident>()) {
    const std::string& f = ident->name;
    calleeName = f;
    const IRClosure* firstClosure = trailing.empty() ? nullptr : closureOf(trailing.front());
    if (f == "Array" && args.empty() && trailing.empty()) return "mutableListOf()";
    if (f == "Set" && args.empty()) return "mutableSetOf()";
    if (f == "Dictionary" && args.empty()) return "mutableMapOf()";
    if (f == "fatalError" || f == "preconditionFailure") {
      return "error(" + (args.empty() ? stringLiteral("fatalError") : expr(args.front().value, none)) + ")";
    }
    if (f == "precondition" || f == "assert") {
      return "check(" + (args.empty() ? std::string("true") : expr(args.front().value, none)) + ")";
    }
    if (f == "withAnimation" && firstClosure) return "run " + closureExpr(*firstClosure, false);
    if (f == "Task" && firstClosure) return "Task " + closureExpr(*firstClosure, false);
    if (f == "Optional" && args.size() == 1) return expr(args.front().value, hint);
    const bool strideThrough =
        f == "stride" && std::any_of(args.begin(), args.end(), [](const IRArg& arg) { return arg.label == "through"; });
    if (f == "print") {
      calleeText = "swiftPrint";
    } else if (strideThrough) {
      calleeText = "strideThrough";
    } else if (!isKnownIdent(f) && !scope.methodNames.contains(f)) {
      return todo(f + "(...)", "Unbekannte Funktion '" + f + "'");
    } else if (const std::optional<std::string> type = typePathOf(callee)) {
      calleeText = kwNested(*type);
      // Inside an enum class its constructor, which takes the raw value, is
      // visible and would be chosen over the companion's factory.
      const auto info = symbols.enums.find(*type);
      const bool rawValue = args.size() == 1 && args.front().label == "rawValue";
      if (rawValue && info != symbols.enums.end() && info->second.rawType && scope.typeName == *type) {
        calleeText += ".invoke";
      }
    } else {
      calleeText = kw(f);
    }
  } else if (const std::optional<IRType> collection =
                 args.empty() && trailing.empty() ? spelledType(callee) : std::nullopt) {
    // «[Item]()», «[String: Int]()»: an empty collection of the written type.
    if (std::optional<std::string> empty = defaultValue(*collection)) return *empty;
    calleeText = expr(callee, none);
  } else {
    calleeText = expr(callee, none);
  }
  if (text::startsWith(calleeText, "TODO(")) return calleeText;

  const std::vector<std::optional<IRType>> types = paramTypes(callee, args, hint);
  std::vector<std::string> argTexts = argList(args, calleeName, types);

  if (trailing.size() >= 2) {
    for (std::size_t i = 0; i < trailing.size(); ++i) {
      const IRClosure* closure = closureOf(trailing[i]);
      if (!closure) continue;
      const std::string label = trailing[i].label ? *trailing[i].label : i == 0 ? "content" : "arg" + std::to_string(i);
      argTexts.push_back(kw(label) + " = " + closureExpr(*closure, false));
    }
    return calleeText + "(" + text::join(argTexts, ", ") + ")";
  }
  const IRClosure* closure = trailing.size() == 1 ? closureOf(trailing.front()) : nullptr;
  if (!closure) return calleeText + "(" + text::join(argTexts, ", ") + ")";

  std::optional<std::pair<std::string, std::optional<std::string>>> savedClass;
  if (const auto* member = callee.as<IRExpr::member>()) {
    const auto& params = closure->params;
    if (tupleCallees().contains(member->name) && params.size() == 2 &&
        std::find(params.begin(), params.end(), "$0") == params.end()) {
      scope.tupleClosure = true;
    }
    if (member->base) {
      if (std::optional<std::string> element = elementClass(**member->base)) {
        // The closure's element is known as an instance of that class while
        // the closure is translated.
        std::string param = params.empty() ? "$0" : params.front();
        const auto old = scope.varClass.find(param);
        savedClass.emplace(param, old == scope.varClass.end() ? std::nullopt : std::optional(old->second));
        scope.varClass[std::move(param)] = std::move(*element);
      }
    }
  }
  const std::string lambda = closureExpr(*closure, false);
  std::string result = argTexts.empty() ? calleeText + " " + lambda
                                        : calleeText + "(" + text::join(argTexts, ", ") + ") " + lambda;
  if (savedClass) {
    if (savedClass->second) {
      scope.varClass[savedClass->first] = *savedClass->second;
    } else {
      scope.varClass.erase(savedClass->first);
    }
  }
  return result;
}

std::vector<std::string> KotlinEmitter::argList(const std::vector<IRArg>& args, const std::optional<std::string>& callee,
                                                const std::vector<std::optional<IRType>>& typeHints) {
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const IRArg& arg = args[i];
    std::string text;
    if (const IRClosure* closure = closureOf(arg)) {
      text = closureExpr(*closure, false);
    } else if (i < typeHints.size() && typeHints[i]) {
      text = coerced(arg.value, *typeHints[i]);
    } else {
      text = expr(arg.value, Hint{.callee = callee, .label = arg.label, .type = std::nullopt});
    }
    texts.push_back(arg.label ? kw(*arg.label) + " = " + text : text);
  }
  return texts;
}

std::optional<std::string> KotlinEmitter::typePathOf(const IRExpr& value) const {
  if (const auto* ident = value.as<IRExpr::ident>()) {
    // A local or parameter hides a type of its name.
    return scope.localType(ident->name) ? std::nullopt : typePath(ident->name);
  }
  const auto* access = value.as<IRExpr::member>();
  if (!access || !access->base) return std::nullopt;
  std::optional<std::string> owner = typePathOf(**access->base);
  if (!owner) return std::nullopt;
  *owner += '.';
  *owner += access->name;
  return symbols.isTypePath(*owner) ? owner : std::nullopt;
}

namespace {

// How many overloads and parameters a call's arguments are matched against
// before their types are given up: a callee has a handful of short
// overloads, while a name declared thousands of times would otherwise be
// searched at every one of its calls.
constexpr std::size_t maxMatchedParams = 1024;

// One way a callee can be called: its parameters and the path of the type
// whose declaration names their types (empty: file level).
struct Signature {
  const std::vector<IRParam>* params;
  std::string context;
};

// The argument list's parameters in Swift's way: every argument takes the
// next parameter of its label, and only parameters with a default value may
// be passed over. nullopt when the labels do not fit.
std::optional<std::vector<const IRParam*>> matchArgs(const std::vector<IRParam>& params,
                                                      const std::vector<IRArg>& args) {
  std::vector<const IRParam*> matched;
  std::size_t next = 0;
  for (const IRArg& arg : args) {
    while (next < params.size() && params[next].label != arg.label && params[next].defaultValue) ++next;
    if (next == params.size() || params[next].label != arg.label) return std::nullopt;
    matched.push_back(&params[next++]);
  }
  return matched;
}

}  // namespace

std::vector<std::optional<IRType>> KotlinEmitter::paramTypes(const IRExpr& callee, const std::vector<IRArg>& args,
                                                             const Hint& hint) {
  // What the callee may be: initializers of a module type, the cases of a
  // module enumeration, methods of a module type, top-level functions.
  std::optional<std::string> constructed = typePathOf(callee);
  std::vector<Signature> signatures;
  // Every overload looked at and every parameter it has spends the budget;
  // once it is spent the call's arguments are written without types.
  std::size_t budget = maxMatchedParams;
  bool exhausted = false;
  const auto spend = [&](std::size_t cost) {
    exhausted = exhausted || cost > budget;
    budget = exhausted ? 0 : budget - cost;
    return !exhausted;
  };
  const auto add = [&](const std::vector<IRParam>& params, const std::string& context) {
    if (!spend(1 + params.size())) return false;
    signatures.push_back(Signature{&params, context});
    return true;
  };
  const auto methods = [&](const std::string& owner, std::string_view name, bool statics) {
    for (const IRFunction* function : members.type(owner).functions.find(name)) {
      const bool fits = !function->isInit && function->isStatic == statics;
      if (fits ? !add(function->params, owner) : !spend(1)) return;
    }
  };
  // The associated values of the case `name` of the enumeration at owner.
  const auto enumCase = [&](const std::string& owner, std::string_view name) {
    for (const IREnumCase* c : members.type(owner).cases.find(withoutBackquotes(name))) {
      if (!add(c->associated, owner)) return;
    }
  };
  if (const auto* access = callee.as<IRExpr::member>()) {
    const IRExpr* base = access->base ? &**access->base : nullptr;
    if (!base) {
      // «.circle(radius: 2)» where the expected type is the enumeration.
      const IRType* expected = hint.type ? &*hint.type : nullptr;
      if (const auto* optional = expected ? expected->as<IRType::optional>() : nullptr) expected = &*optional->wrapped;
      if (std::optional<std::string> owner = expected ? moduleTypeOf(*expected) : std::nullopt) {
        enumCase(*owner, access->name);
      }
    } else if (std::optional<std::string> owner = typePathOf(*base)) {
      if (access->name == "init") {
        constructed = owner;
      } else {
        enumCase(*owner, access->name);
        methods(*owner, access->name, true);
      }
    } else if (base->is<IRExpr::selfRef>() && scope.typeName) {
      if (access->name == "init") {
        constructed = scope.typeName;
      } else {
        methods(*scope.typeName, access->name, false);
      }
    } else if (const auto* variable = base->as<IRExpr::ident>()) {
      if (const auto owner = scope.varClass.find(variable->name); owner != scope.varClass.end()) {
        methods(owner->second, access->name, false);
      }
    }
  } else if (const auto* ident = callee.as<IRExpr::ident>(); ident && !constructed) {
    if (scope.methodNames.contains(ident->name) && scope.typeName) {
      methods(*scope.typeName, ident->name, false);
      methods(*scope.typeName, ident->name, true);
    } else if (const auto found = symbols.functionParams.find(ident->name); found != symbols.functionParams.end()) {
      for (const std::vector<IRParam>& params : found->second) {
        if (!add(params, "")) break;
      }
    }
  }

  std::vector<std::optional<IRType>> types;
  if (constructed) {
    const auto type = symbols.types.find(*constructed);
    if (type == symbols.types.end()) return types;
    const auto info = symbols.enums.find(*constructed);
    if (info != symbols.enums.end() && info->second.rawType && args.size() == 1 && args.front().label == "rawValue") {
      types.emplace_back(IRType::named{*info->second.rawType, {}});
      return types;
    }
    const MemberIndex::TypeMembers& constructedMembers = members.type(*constructed);
    for (const IRFunction* initializer : constructedMembers.initializers) {
      if (!add(initializer->params, *constructed)) break;
    }
    if (signatures.empty() && !exhausted && info == symbols.enums.end()) {
      // The memberwise initializer: an argument takes the type of the stored
      // property its label names.
      for (const IRArg& arg : args) {
        const IRProperty* property = arg.label ? constructedMembers.storedProperty(*arg.label) : nullptr;
        types.push_back(property ? std::optional(qualified(property->type, *constructed)) : std::nullopt);
      }
      return types;
    }
  }
  for (const Signature& signature : signatures) {
    const std::optional<std::vector<const IRParam*>> matched = matchArgs(*signature.params, args);
    if (!matched) continue;
    for (const IRParam* param : *matched) types.push_back(qualified(param->type, signature.context));
    return types;
  }
  return types;
}

}  // namespace tovrane
