// The members every kind of declaration shares: functions with their
// parameter lists and relabelling lines, properties with getters and
// setters, and the stored properties of types (plain, lateinit, or Compose
// state that never compares equal, so every assignment recomposes).
#include <utility>

#include "core/backend/KotlinBackend.hpp"
#include "core/support/Text.hpp"

namespace tovrane {
namespace {

// Saves the return labels and makes `return` inside the member plain,
// whatever lambda the member is written in; restores them when done.
class PlainReturns {
 public:
  explicit PlainReturns(EmitScope& scope)
      : scope_(scope), saved_(std::exchange(scope.returnLabels, {std::nullopt})) {}
  PlainReturns(const PlainReturns&) = delete;
  PlainReturns& operator=(const PlainReturns&) = delete;
  ~PlainReturns() { scope_.returnLabels = std::move(saved_); }

 private:
  EmitScope& scope_;
  std::vector<std::optional<std::string>> saved_;
};

// Swift operator names start with punctuation; every other function name
// starts like an identifier.
bool isOperatorName(std::string_view name) {
  if (name.empty()) return false;
  // Swift's operator characters all lie below U+10000; the emoji above it
  // start identifiers («func 🐶bark()»).
  if (text::firstScalar(name) >= 0x10000) return false;
  const char first = name.front();
  return first != '_' && first != '`' && !text::isLetter(text::prefixGraphemes(name, 1));
}

}  // namespace

std::string KotlinEmitter::paramList(const IRFunction& function) {
  std::vector<std::string> texts;
  for (const IRParam& param : function.params) {
    scope.declare(param.name);
    scope.declare(param.label.value_or(param.name));
    if (std::optional<std::string> type = moduleTypeOf(param.type)) scope.varClass[param.name] = *type;
    std::string type = kt(param.type);
    std::string text = kw(param.label.value_or(param.name)) + ": " + (type.empty() ? "Any?" : type);
    if (param.defaultValue) text += " = " + coerced(*param.defaultValue, param.type);
    texts.push_back(std::move(text));
  }
  return text::join(texts, ", ");
}

std::vector<std::string> KotlinEmitter::renameLines(const IRFunction& function) {
  std::vector<std::string> lines;
  for (const IRParam& param : function.params) {
    if (param.label && *param.label != param.name) lines.push_back("val " + kw(param.name) + " = " + kw(*param.label));
  }
  return lines;
}

void KotlinEmitter::emitFunction(const IRFunction& function, Writer& writer,
                                 const std::optional<std::string>& receiver, bool override, std::string_view open) {
  scope.push();
  const PlainReturns plainReturns(scope);
  scope.returnTypes.push_back(function.returnType);

  const std::string params = paramList(function);
  std::string modifiers = function.isPrivate ? "private " : "";
  if (override) {
    modifiers += "override ";
  } else if (!open.empty() && !function.isPrivate) {
    modifiers += open;
  }
  if (function.isAsync) modifiers += "suspend ";
  std::string suffix;
  if (function.returnType) {
    const std::string result = kt(*function.returnType);
    if (!result.empty() && result != "Unit") suffix = ": " + result;
  }
  // An operator function («static func < (lhs:rhs:)») has no Kotlin spelling
  // under its Swift name; it is written out as a comment for the repair.
  const bool isOperator = isOperatorName(function.name);
  std::string name = receiver ? *receiver + "." : "";
  name += isOperator ? function.name : kw(function.name);
  const std::string signature = modifiers + "fun " + name + "(" + params + ")" + suffix;

  Writer quoted;
  Writer& target = isOperator ? quoted : writer;
  if (function.body) {
    target.line(signature + " {");
    target.level += 1;
    for (const std::string& line : renameLines(function)) target.line(line);
    emitFunctionBody(*function.body, target, !suffix.empty(), function.returnType);
    target.level -= 1;
    target.line("}");
  } else {
    target.line(signature);
  }
  if (isOperator) {
    unsupportedCount += 1;
    warn("func " + function.name, "Nicht unterstützte Operatorfunktion " + function.name);
    writer.line("// tovrane: nicht übersetzt (Operatorfunktion " + function.name + "):");
    for (const std::string& line : quoted.lines) writer.line("// " + line);
  }

  scope.pop();
  scope.returnTypes.pop_back();
}

void KotlinEmitter::emitFunctionBody(const std::vector<IRStmt>& body, Writer& writer, bool returns,
                                     const std::optional<IRType>& returnType) {
  if (returns && body.size() == 1) {
    const IRStmt& only = body.front();
    if (only.is<IRStmt::ifStmt>() || only.is<IRStmt::switchStmt>()) {
      Writer expression;
      scope.valueType = returnType;
      emitStmtAsExpression(only, expression);
      if (!expression.lines.empty()) expression.lines.front().insert(0, "return ");
      for (const std::string& line : expression.lines) writer.line(line);
      return;
    }
    if (const auto* statement = only.as<IRStmt::expr>()) {
      writer.line("return " + (returnType ? coerced(*statement->value, *returnType) : expr(*statement->value)));
      return;
    }
  }
  for (const IRStmt& stmt : body) emitStmt(stmt, writer);
}

void KotlinEmitter::emitGetter(const std::vector<IRStmt>& getter, Writer& writer, const IRType& type) {
  const PlainReturns plainReturns(scope);
  const IRExpr* single = nullptr;
  if (getter.size() == 1) {
    if (const auto* ret = getter.front().as<IRStmt::ret>(); ret && ret->value) single = &**ret->value;
    if (const auto* statement = getter.front().as<IRStmt::expr>()) single = &*statement->value;
  }
  if (single) {
    writer.line("get() = " + (type.is<IRType::inferred>() ? expr(*single) : coerced(*single, type)));
    return;
  }
  // Values returned from inside the getter's branches are typed like the
  // property, so `return 0` in a Double getter becomes `return 0.0`.
  std::optional<IRType> returnType;
  if (!type.is<IRType::inferred>()) returnType = type;
  scope.returnTypes.push_back(returnType);
  writer.line("get() {");
  writer.level += 1;
  emitFunctionBody(getter, writer, true, returnType);
  writer.level -= 1;
  writer.line("}");
  scope.returnTypes.pop_back();
}

void KotlinEmitter::emitSetter(const IRProperty& property, Writer& writer) {
  if (!property.setter) return;
  scope.push();
  scope.declare(property.setterParam);
  {
    const PlainReturns plainReturns(scope);
    writer.line("set(" + kw(property.setterParam) + ") {");
    writer.level += 1;
    for (const IRStmt& stmt : *property.setter) emitStmt(stmt, writer);
    writer.level -= 1;
    writer.line("}");
  }
  scope.pop();
}

void KotlinEmitter::emitProperty(const IRProperty& property, Writer& writer, const MemberNames& protocolMembers) {
  std::string modifiers = property.isPrivate ? "private " : "";
  if (protocolMembers.contains(property.name) || property.isOverride) modifiers += "override ";
  const std::string type = kt(property.type);
  const std::string annotation = type.empty() ? "" : ": " + type;

  if (property.getter) {
    scope.push();
    writer.line(modifiers + (property.setter ? "var " : "val ") + kw(property.name) + annotation);
    writer.level += 1;
    emitGetter(*property.getter, writer, property.type);
    emitSetter(property, writer);
    writer.level -= 1;
    scope.pop();
    return;
  }

  scope.declare(property.name);
  if (property.initializer) {
    const std::string value =
        type.empty() ? expr(*property.initializer) : coerced(*property.initializer, property.type);
    writer.line(modifiers + (property.isLet ? "val " : "var ") + kw(property.name) + annotation + " = " + value);
  } else if (const std::optional<std::string> initial = defaultValue(property.type)) {
    writer.line(modifiers + "var " + kw(property.name) + annotation + " = " + *initial);
  } else {
    writer.line(modifiers + "lateinit var " + kw(property.name) + ": " + (type.empty() ? "Any" : type));
  }
}

void KotlinEmitter::emitStoredProperty(const IRProperty& property, Writer& writer, bool observable, bool override,
                                       std::string_view open) {
  std::string modifiers = property.isPrivate ? "private " : "";
  if (override) {
    modifiers += "override ";
  } else if (!open.empty() && !property.isPrivate) {
    modifiers += open;
  }
  const std::string guessed = propType(property);
  const std::string type = kt(property.type);
  // The written type, else the guessed one; "Any" is left for Kotlin to infer.
  const std::string shown = !type.empty() ? type : guessed == "Any" ? "" : guessed;

  std::string value;
  // A `let` without a value is set by the initializers, so the placeholder
  // value written here must stay assignable.
  bool isVal = property.isLet;
  if (property.initializer) {
    value = type.empty() ? expr(*property.initializer) : coerced(*property.initializer, property.type);
  } else if (std::optional<std::string> initial = defaultValue(property.type)) {
    value = std::move(*initial);
    isVal = false;
  } else {
    writer.line(modifiers + "lateinit var " + kw(property.name) + ": " + guessed);
    return;
  }

  if (!observable || property.isLet) {
    writer.line(modifiers + (isVal ? "val " : "var ") + kw(property.name) +
                (shown.empty() ? "" : ": " + shown) + " = " + value);
    return;
  }
  writer.line(modifiers + "var " + kw(property.name) + " by mutableStateOf" + (shown.empty() ? "" : "<" + shown + ">") +
              "(" + value + ", neverEqualPolicy())");
}

std::string KotlinEmitter::propType(const IRProperty& property) {
  std::string type = kt(property.type);
  if (type.empty() && property.initializer) type = guessKotlinType(*property.initializer);
  return type.empty() ? "Any" : type;
}

std::string KotlinEmitter::guessKotlinType(const IRExpr& value) {
  if (value.is<IRExpr::intLit>()) return "Int";
  if (value.is<IRExpr::floatLit>()) return "Double";
  if (value.is<IRExpr::stringLit>()) return "String";
  if (value.is<IRExpr::boolLit>()) return "Boolean";
  if (const auto* member = value.as<IRExpr::member>(); member && member->base) {
    const auto* base = (*member->base)->as<IRExpr::ident>();
    const std::optional<std::string> path = base ? typePath(base->name) : std::nullopt;
    if (path && symbols.enums.contains(*path)) return kwNested(*path);
  }
  if (const auto* call = value.as<IRExpr::call>()) {
    const auto* callee = call->callee->as<IRExpr::ident>();
    const std::optional<std::string> path = callee ? typePath(callee->name) : std::nullopt;
    if (path && symbols.types.contains(*path)) return kwNested(*path);
  }
  return "";
}

}  // namespace tovrane
