// Swift structs, classes and actors become one Kotlin class each: a data
// class with a primary constructor for plain structs, an open class for
// ordinary classes, a final class with Compose state for observable ones.
// Enumerations become an object (no cases), a sealed class (associated
// values) or an enum class; protocols become interfaces. Members are written
// by KotlinDeclsMembers.cpp.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <span>
#include <utility>

#include "core/backend/KotlinBackend.hpp"
#include "core/support/Text.hpp"

namespace tovrane {
namespace {

// An inheritance entry without the existential marker, so "any Shape" finds
// the module protocol Shape both as a supertype and for its member names.
std::string withoutAny(std::string_view entry) { return text::replaceAll(entry, "any ", ""); }

bool isStoredInstance(const IRProperty& property) { return !property.getter && !property.isStatic; }

// How many levels of supertypes lend their member names to a type: far more
// than class hierarchies have.
constexpr int maxInheritanceDepth = 16;

// Every property name, then every function name: the member frame of a type.
void declareMembers(EmitScope& scope, const IRTypeDecl& decl) {
  for (const IRProperty& property : decl.properties) scope.declare(property.name);
  for (const IRFunction& function : decl.functions) scope.declare(function.name);
}

void collectMethodNames(EmitScope& scope, const IRTypeDecl& decl) {
  for (const IRFunction& function : decl.functions) scope.methodNames.insert(function.name);
}

// An explicit raw value that is an integer literal, with its sign: Swift
// writes a negative raw value as a minus applied to the literal.
struct SignedLiteral {
  bool negative = false;
  std::string_view text;
};

std::optional<SignedLiteral> signedLiteral(const IRExpr& value) {
  bool negative = false;
  const IRExpr* literal = &value;
  if (const auto* prefix = value.as<IRExpr::prefix>(); prefix && (prefix->op == "-" || prefix->op == "+")) {
    negative = prefix->op == "-";
    literal = &*prefix->operand;
  }
  const auto* intLit = literal->as<IRExpr::intLit>();
  if (!intLit) return std::nullopt;
  return SignedLiteral{.negative = negative, .text = intLit->text};
}

// The literal's value in any Swift radix, underscores allowed; absent when
// it does not fit 64 bits.
std::optional<std::int64_t> integerValue(const SignedLiteral& literal) {
  std::string digits = text::replaceAll(literal.text, "_", "");
  int base = 10;
  if (digits.size() > 2 && digits[0] == '0') {
    const char marker = digits[1];
    base = marker == 'x' ? 16 : marker == 'o' ? 8 : marker == 'b' ? 2 : 10;
    if (base != 10) digits.erase(0, 2);
  }
  if (digits.empty() || digits.front() == '-' || digits.front() == '+') return std::nullopt;
  // from_chars takes a leading minus for signed types, so the most negative
  // value still fits.
  const std::string signedDigits = (literal.negative ? "-" : "") + digits;
  const char* last = signedDigits.data() + signedDigits.size();
  std::int64_t result = 0;
  const auto [end, error] = std::from_chars(signedDigits.data(), last, result, base);
  if (error != std::errc{} || end != last) return std::nullopt;
  return result;
}

// The raw value of one enum class entry. counter holds the value of the next
// entry that leaves its raw value out; explicit integer literals reset it.
std::string rawValueText(KotlinEmitter& emitter, const std::string& rawType, const IREnumCase& enumCase,
                         std::int64_t& counter) {
  constexpr std::int64_t largest = std::numeric_limits<std::int64_t>::max();
  if (!enumCase.rawValue) {
    if (rawType != "Int" && rawType != "Double") return stringLiteral(enumCase.name);
    std::string value = std::to_string(counter) + (rawType == "Double" ? ".0" : "");
    if (counter < largest) counter += 1;
    return value;
  }
  std::string value;
  if (const std::optional<SignedLiteral> literal = signedLiteral(*enumCase.rawValue)) {
    const std::optional<std::int64_t> number = integerValue(*literal);
    if (rawType == "Double") {
      // Written from the value, not the text: a hexadecimal, octal or
      // binary literal followed by ".0" is no Kotlin number.
      value = number ? std::to_string(*number) : (literal->negative ? "-" : "") + std::string(literal->text);
      value += ".0";
    } else {
      value = emitter.expr(*enumCase.rawValue);
    }
    if (number && *number < largest) counter = *number + 1;
  } else {
    value = emitter.expr(*enumCase.rawValue);
  }
  if (rawType == "Character") std::replace(value.begin(), value.end(), '"', '\'');
  return value;
}

// A method without body outside a protocol (an @NSManaged accessor) would
// have to be abstract in Kotlin; it is written with a placeholder body.
void emitMethod(KotlinEmitter& emitter, const IRFunction& function, Writer& writer, bool override,
                std::string_view open) {
  if (function.body) {
    emitter.emitFunction(function, writer, std::nullopt, override, open);
    return;
  }
  IRFunction placeholder = function;
  placeholder.body = std::vector<IRStmt>{IRStmt::unsupported{"func " + function.name}};
  emitter.emitFunction(placeholder, writer, std::nullopt, override, open);
}

// The call a statement makes of `self.init(…)`, also behind `try` or `!`;
// null for any other statement. forced: behind `!`.
const IRExpr::call* selfInitCall(const IRStmt& stmt, bool* forced = nullptr) {
  const auto* statement = stmt.as<IRStmt::expr>();
  const IRExpr* value = statement ? &*statement->value : nullptr;
  if (const auto* attempt = value ? value->as<IRExpr::tryExpr>() : nullptr) value = &*attempt->value;
  const auto* unwrapped = value ? value->as<IRExpr::postfix>() : nullptr;
  if (unwrapped && unwrapped->op == "!") value = &*unwrapped->operand;
  if (forced) *forced = unwrapped && unwrapped->op == "!";
  const auto* call = value ? value->as<IRExpr::call>() : nullptr;
  const auto* callee = call ? call->callee->as<IRExpr::member>() : nullptr;
  const bool delegates = callee && callee->base && (*callee->base)->is<IRExpr::selfRef>() && callee->name == "init";
  return delegates ? call : nullptr;
}

// A Swift enum initializer picks its case by assigning `self`. Kotlin enum
// and sealed classes have no such constructor, so the initializer becomes a
// factory in the companion object that builds the value in a local named
// "self". This rewrites the body for that: `self = v` assigns the local, a
// plain `return` returns it, and `self.init(…)` assigns what the other
// factory (or the raw-value constructor) makes. Closures and local functions
// keep their own returns. Returns whether some path returns nil (a failable
// initializer).
bool rewriteEnumInit(std::vector<IRStmt>& stmts) {
  bool failable = false;
  const auto nested = [&failable](std::vector<IRStmt>& body) { failable = rewriteEnumInit(body) || failable; };
  std::vector<IRStmt> rewritten;
  rewritten.reserve(stmts.size());
  for (IRStmt& stmt : stmts) {
    bool forced = false;
    if (const IRExpr::call* delegation = selfInitCall(stmt, &forced)) {
      IRExpr made = IRExpr::call{IRExpr::ident{"Self"}, delegation->args, delegation->trailing};
      const bool rawValue = delegation->args.size() == 1 && delegation->args.front().label == "rawValue";
      if (rawValue && !forced) {
        // The raw-value constructor finds no case for a foreign value; the
        // failable initializer then fails too.
        std::vector<IRCondition> found;
        found.emplace_back(IRCondition::optionalBinding{"delegated", std::move(made)});
        std::vector<IRStmt> fail;
        fail.emplace_back(IRStmt::ret{IRExpr::nilLit{}});
        rewritten.emplace_back(IRStmt::guardStmt{std::move(found), std::move(fail)});
        rewritten.emplace_back(IRStmt::assign{IRExpr::ident{"self"}, "=", IRExpr::ident{"delegated"}});
        failable = true;
        continue;
      }
      if (forced) made = IRExpr::postfix{std::move(made), "!"};
      rewritten.emplace_back(IRStmt::assign{IRExpr::ident{"self"}, "=", std::move(made)});
      continue;
    }
    if (auto* s = stmt.as<IRStmt::assign>()) {
      if (s->target->is<IRExpr::selfRef>()) s->target = IRExpr::ident{"self"};
    } else if (auto* s = stmt.as<IRStmt::ret>()) {
      if (!s->value) {
        s->value = Box<IRExpr>(IRExpr::ident{"self"});
      } else if ((*s->value)->is<IRExpr::nilLit>()) {
        failable = true;
      }
    } else if (auto* s = stmt.as<IRStmt::ifStmt>()) {
      nested(s->then);
      if (s->els) nested(*s->els);
    } else if (auto* s = stmt.as<IRStmt::guardStmt>()) {
      nested(s->els);
    } else if (auto* s = stmt.as<IRStmt::forIn>()) {
      nested(s->body);
    } else if (auto* s = stmt.as<IRStmt::whileLoop>()) {
      nested(s->body);
    } else if (auto* s = stmt.as<IRStmt::repeatWhile>()) {
      nested(s->body);
    } else if (auto* s = stmt.as<IRStmt::switchStmt>()) {
      for (IRSwitchCase& switchCase : s->cases) nested(switchCase.body);
    } else if (auto* s = stmt.as<IRStmt::doCatch>()) {
      nested(s->body);
      if (s->catchBody) nested(*s->catchBody);
    } else if (auto* s = stmt.as<IRStmt::defer_>()) {
      nested(s->body);
    }
    rewritten.push_back(std::move(stmt));
  }
  stmts = std::move(rewritten);
  return failable;
}

// Writes an enum initializer as the companion factory described above, so
// that `E(code = 1)` calls it.
void emitEnumFactory(KotlinEmitter& emitter, const std::string& enumName, const IRFunction& initializer,
                     Writer& writer) {
  std::vector<IRStmt> body = initializer.body ? *initializer.body : std::vector<IRStmt>{};
  const bool failable = rewriteEnumInit(body);
  EmitScope& scope = emitter.scope;
  scope.push();
  auto savedLabels = std::exchange(scope.returnLabels, {std::nullopt});
  const IRType result = IRType::named{enumName, {}};
  scope.returnTypes.push_back(failable ? IRType(IRType::optional{result}) : result);
  const std::string params = emitter.paramList(initializer);
  writer.line(std::string(initializer.isPrivate ? "private " : "") + "operator fun invoke(" + params + "): " +
              kwNested(enumName) + (failable ? "?" : "") + " {");
  writer.level += 1;
  for (const std::string& line : emitter.renameLines(initializer)) writer.line(line);
  scope.declare("self");
  scope.varClass["self"] = enumName;
  writer.line("lateinit var self: " + kwNested(enumName));
  for (const IRStmt& stmt : body) emitter.emitStmt(stmt, writer);
  writer.line("return self");
  writer.level -= 1;
  writer.line("}");
  scope.returnTypes.pop_back();
  scope.returnLabels = std::move(savedLabels);
  scope.varClass.erase("self");
  scope.pop();
}

}  // namespace

std::vector<std::string> KotlinEmitter::kotlinSupertypes(const IRTypeDecl& decl) {
  std::vector<std::string> supertypes;
  for (const std::string& entry : decl.inherits) {
    const std::optional<std::string> path = typePath(withoutAny(entry));
    if (!path) continue;
    if (symbols.protocols.contains(*path)) {
      supertypes.push_back(kwNested(*path));
    } else if (symbols.classes.contains(*path) && decl.kind == IRTypeKind::class_) {
      supertypes.push_back(kwNested(*path) + "()");
    }
  }
  return supertypes;
}

MemberNames KotlinEmitter::protocolMembers(const IRTypeDecl& decl) {
  MemberNames names;
  for (const std::string& entry : decl.inherits) {
    const std::optional<std::string> path = typePath(withoutAny(entry));
    const auto found = path ? symbols.protocols.find(*path) : symbols.protocols.end();
    if (found != symbols.protocols.end()) names.add(found->second);
  }
  return names;
}

MemberNames KotlinEmitter::inheritedMembers(const IRTypeDecl& decl) {
  MemberNames names;
  // Types already walked: a cycle of inheritance entries (a protocol that
  // names itself, two types naming each other) ends instead of going round.
  NameSet walked;
  if (scope.typeName) walked.insert(*scope.typeName);
  // Level by level and only so deep: in a long chain of classes each one
  // would otherwise walk the whole chain above it.
  std::vector<std::pair<const IRTypeDecl*, std::string>> level{{&decl, scope.typeName.value_or("")}};
  for (int depth = 0; depth < maxInheritanceDepth && !level.empty(); ++depth) {
    std::vector<std::pair<const IRTypeDecl*, std::string>> next;
    for (const auto& [type, context] : level) {
      for (const std::string& entry : type->inherits) {
        std::optional<std::string> path = symbols.typePath(entry, context);
        if (!path) continue;
        const auto found = symbols.types.find(*path);
        if (found == symbols.types.end() || !walked.insert(*path).second) continue;
        names.add(members.type(*path));
        next.emplace_back(&found->second, std::move(*path));
      }
    }
    level = std::move(next);
  }
  return names;
}

void KotlinEmitter::emitStructOrClass(const IRTypeDecl& decl, Writer& writer, bool isStruct, std::string_view path) {
  scope = EmitScope();
  scope.typeName = std::string(path);
  const std::string& own = *scope.typeName;
  const auto observed = symbols.observable.find(own);
  const bool observable = observed != symbols.observable.end();
  const MemberNames protocolNames = protocolMembers(decl);
  std::vector<const IRProperty*> stored;
  for (const IRProperty& property : decl.properties) {
    if (isStoredInstance(property)) stored.push_back(&property);
  }
  bool hasInit = false;
  for (const IRFunction& function : decl.functions) hasInit = hasInit || function.isInit;
  const std::vector<std::string> supertypes = kotlinSupertypes(decl);
  const std::string open = isStruct || observable ? "" : "open ";

  declareMembers(scope, decl);
  scope.inherited = inheritedMembers(decl);
  collectMethodNames(scope, decl);
  if (observable) scope.stateFields = observed->second;
  for (const IRProperty* property : stored) {
    if (std::optional<std::string> type = moduleTypeOf(property->type)) scope.varClass[property->name] = *type;
  }

  std::vector<const IRProperty*> constructorParams;
  if (!hasInit && !observable) {
    for (const IRProperty* property : stored) {
      if (!(property->isLet && property->initializer)) constructorParams.push_back(property);
    }
  }
  NameSet constructorNames;
  std::vector<std::string> paramTexts;
  for (const IRProperty* property : constructorParams) {
    constructorNames.insert(property->name);
    std::string text = protocolNames.contains(property->name) || property->isOverride ? "override " : "";
    text += property->isLet ? "val " : "var ";
    text += kw(property->name) + ": " + propType(*property);
    if (property->initializer) {
      text += " = " + coerced(*property->initializer, property->type);
    } else if (property->type.is<IRType::optional>()) {
      text += " = null";
    }
    paramTexts.push_back("    " + std::move(text));
  }

  std::string header = isStruct ? (paramTexts.empty() ? "" : "data ") : open;
  header += "class " + kwNested(own);
  if (!paramTexts.empty()) header += "(\n" + text::join(paramTexts, ",\n") + "\n)";
  if (!supertypes.empty()) header += " : " + text::join(supertypes, ", ");
  writer.line(header + " {");

  writer.level += 1;
  for (const IRProperty* property : stored) {
    if (constructorNames.contains(property->name)) continue;
    const bool state = observable && observed->second.contains(property->name);
    emitStoredProperty(*property, writer, state, protocolNames.contains(property->name) || property->isOverride, open);
  }
  for (const IRProperty& property : decl.properties) {
    if (property.getter && !property.isStatic) emitProperty(property, writer, protocolNames);
  }
  for (const IRFunction& function : decl.functions) {
    if (function.isInit) {
      emitInit(function, writer);
    } else if (!function.isStatic) {
      emitMethod(*this, function, writer, protocolNames.contains(function.name) || function.isOverride, open);
    }
  }
  for (const IRProperty& property : decl.properties) {
    if (property.name == "description" && property.getter) {
      writer.line("override fun toString(): String = description");
      break;
    }
  }
  emitCompanion(decl, writer);
  writer.level -= 1;
  writer.line("}");
}

void KotlinEmitter::emitInit(const IRFunction& initializer, Writer& writer) {
  scope.push();
  const std::string params = paramList(initializer);
  auto savedLabels = std::exchange(scope.returnLabels, {std::nullopt});
  std::span<const IRStmt> body;
  if (initializer.body) body = *initializer.body;
  // «self.init(…)» first delegates to the other constructor in the head.
  // Its arguments are written before the body's renaming lines, so they
  // name the parameters by their labels, as the head declares them.
  std::string delegation;
  if (const IRExpr::call* call = body.empty() ? nullptr : selfInitCall(body.front())) {
    std::map<std::string, std::string, std::less<>> labels;
    for (const IRParam& param : initializer.params) {
      if (param.label && *param.label != param.name) labels.emplace(param.name, kw(*param.label));
    }
    scope.closureRename.push_back(std::move(labels));
    const std::vector<std::optional<IRType>> types = paramTypes(*call->callee, call->args);
    delegation = " : this(" + text::join(argList(call->args, "init", types), ", ") + ")";
    scope.closureRename.pop_back();
    body = body.subspan(1);
  }
  writer.line("constructor(" + params + ")" + delegation + " {");
  writer.level += 1;
  for (const std::string& line : renameLines(initializer)) writer.line(line);
  for (const IRStmt& stmt : body) emitStmt(stmt, writer);
  writer.level -= 1;
  writer.line("}");
  scope.returnLabels = std::move(savedLabels);
  scope.pop();
}

void KotlinEmitter::emitCompanion(const IRTypeDecl& decl, Writer& writer) {
  std::vector<const IRProperty*> properties;
  for (const IRProperty& property : decl.properties) {
    if (property.isStatic) properties.push_back(&property);
  }
  std::vector<const IRFunction*> functions;
  std::vector<const IRFunction*> enumInits;
  for (const IRFunction& function : decl.functions) {
    if (function.isStatic) functions.push_back(&function);
    if (function.isInit && decl.kind == IRTypeKind::enum_) enumInits.push_back(&function);
  }
  const std::string own = scope.typeName.value_or(decl.name);
  std::optional<std::string> rawType;
  if (decl.kind == IRTypeKind::enum_) {
    const auto info = symbols.enums.find(own);
    if (info != symbols.enums.end() && !info->second.sealed) rawType = info->second.rawType;
  }
  if (properties.empty() && functions.empty() && enumInits.empty() && !rawType) return;

  writer.line("companion object {");
  writer.level += 1;
  if (rawType) {
    writer.line("operator fun invoke(rawValue: " + typeName(*rawType) + "): " + kwNested(own) +
                "? = entries.firstOrNull { it.rawValue == rawValue }");
  }
  for (const IRFunction* initializer : enumInits) emitEnumFactory(*this, own, *initializer, writer);
  for (const IRProperty* property : properties) emitProperty(*property, writer, {});
  for (const IRFunction* function : functions) emitMethod(*this, *function, writer, false, "");
  writer.level -= 1;
  writer.line("}");
}

void KotlinEmitter::emitEnum(const IRTypeDecl& decl, Writer& writer, std::string_view path) {
  const std::string own(path);
  const auto info = symbols.enums.find(own);
  if (info == symbols.enums.end()) return;
  const std::optional<std::string>& rawType = info->second.rawType;
  const std::string name = kwNested(own);

  scope = EmitScope();
  scope.typeName = own;
  if (rawType) scope.declare("rawValue");
  declareMembers(scope, decl);
  collectMethodNames(scope, decl);
  const MemberNames protocolNames = protocolMembers(decl);
  const std::vector<std::string> supertypes = kotlinSupertypes(decl);
  const std::string supertypeText = supertypes.empty() ? "" : " : " + text::join(supertypes, ", ");

  if (decl.cases.empty()) {
    writer.line("object " + name + supertypeText + " {");
    writer.level += 1;
    for (const IRProperty& property : decl.properties) emitProperty(property, writer, protocolNames);
    for (const IRFunction& function : decl.functions) emitMethod(*this, function, writer, false, "");
    writer.level -= 1;
    writer.line("}");
    return;
  }

  const auto writeInstanceMembers = [&] {
    for (const IRProperty& property : decl.properties) {
      if (!property.isStatic) emitProperty(property, writer, protocolNames);
    }
    for (const IRFunction& function : decl.functions) {
      if (!function.isStatic && !function.isInit) {
        emitMethod(*this, function, writer, protocolNames.contains(function.name), "");
      }
    }
  };

  if (info->second.sealed) {
    writer.line("sealed class " + name + supertypeText + " {");
    writer.level += 1;
    for (const IREnumCase& enumCase : decl.cases) {
      if (enumCase.associated.empty()) {
        writer.line("data object " + kw(enumCase.name) + " : " + name + "()");
        continue;
      }
      std::vector<std::string> values;
      for (const IRParam& value : enumCase.associated) {
        values.push_back("val " + kw(value.name) + ": " + kt(value.type));
      }
      writer.line("data class " + kw(enumCase.name) + "(" + text::join(values, ", ") + ") : " + name + "()");
    }
    writeInstanceMembers();
    emitCompanion(decl, writer);
    writer.level -= 1;
    writer.line("}");
    return;
  }

  std::string header = "enum class " + name;
  if (rawType) header += "(val rawValue: " + typeName(*rawType) + ")";
  writer.line(header + supertypeText + " {");
  writer.level += 1;
  std::int64_t counter = 0;
  std::vector<std::string> entries;
  for (const IREnumCase& enumCase : decl.cases) {
    std::string entry = kw(enumCase.name);
    if (enumEntryKeywords().contains(entry)) entry = "`" + entry + "`";
    if (rawType) entry += "(" + rawValueText(*this, *rawType, enumCase, counter) + ")";
    entries.push_back(std::move(entry));
  }
  writer.line(text::join(entries, ",\n") + ";");
  writeInstanceMembers();
  const bool identifiable =
      std::ranges::find(decl.inherits, "Identifiable") != decl.inherits.end() &&
      std::ranges::none_of(decl.properties, [](const IRProperty& property) { return property.name == "id"; });
  if (identifiable) writer.line("val id: " + name + " get() = this");
  emitCompanion(decl, writer);
  writer.level -= 1;
  writer.line("}");
}

void KotlinEmitter::emitProtocol(const IRTypeDecl& decl, Writer& writer, std::string_view path) {
  scope = EmitScope();
  const std::string own(path);
  declareMembers(scope, decl);
  collectMethodNames(scope, decl);
  std::vector<std::string> supertypes;
  for (const std::string& entry : decl.inherits) {
    const std::optional<std::string> inherited = symbols.typePath(entry, own);
    if (inherited && symbols.protocols.contains(*inherited)) supertypes.push_back(kwNested(*inherited));
  }
  writer.line("interface " + kwNested(own) + (supertypes.empty() ? "" : " : " + text::join(supertypes, ", ")) + " {");
  writer.level += 1;
  for (const IRProperty& property : decl.properties) {
    if (property.isStatic) continue;
    if (property.getter && !property.getter->empty()) {
      emitProperty(property, writer, {});
    } else {
      const std::string type = kt(property.type);
      writer.line("val " + kw(property.name) + ": " + (type.empty() ? "Any" : type));
    }
  }
  for (const IRFunction& function : decl.functions) {
    if (!function.isStatic) emitFunction(function, writer, std::nullopt, false, "");
  }
  writer.level -= 1;
  writer.line("}");
}

}  // namespace tovrane
