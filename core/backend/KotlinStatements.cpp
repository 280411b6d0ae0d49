// Statements: Swift statements become Kotlin statement lines. Condition lists
// are split into value lines, tests and payload bindings (CondParts) because
// an optional binding or a case pattern both tests a value and introduces
// names, which a Kotlin `if` cannot do in its head. Switches become `when`
// statements or expressions; if statements whose conditions bind names are
// wrapped in a block of their own so the bound values stay local.
//
// Blocks follow the Writer convention: write the opening line, then raise
// `level`; lower `level`, then write "}". Lines that continue a block
// ("} else {") stand one level lower between the two halves.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/backend/KotlinBackend.hpp"
#include "core/support/Text.hpp"

namespace tovrane {
namespace {

void open(Writer& writer, const std::string& text) {
  writer.line(text);
  writer.level += 1;
}

void close(Writer& writer) {
  writer.level -= 1;
  writer.line("}");
}

void writeAll(Writer& writer, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) writer.line(line);
}

// A pattern without its `where` condition.
const IRPattern& unguarded(const IRPattern& pattern) {
  const auto* guarded = pattern.as<IRPattern::guarded>();
  return guarded ? *guarded->pattern : pattern;
}

// The member call `base.name(...)`: its base and name, when the callee has
// that shape with a written base.
struct MemberCall {
  const IRExpr* base;
  const std::string* name;
  const IRExpr::call* call;
};

std::optional<MemberCall> memberCall(const IRExpr& value) {
  const auto* call = value.as<IRExpr::call>();
  if (!call) return std::nullopt;
  const auto* member = call->callee->as<IRExpr::member>();
  if (!member || !member->base) return std::nullopt;
  return MemberCall{.base = &member->base->get(), .name = &member->name, .call = call};
}

// The value that an assignment or toggle through `target` changes in place:
// the base of a subscript or of a member with a written base.
const IRExpr* mutatedContainer(const IRExpr& target) {
  if (const auto* subscript = target.as<IRExpr::subscriptExpr>()) return &subscript->base.get();
  if (const auto* member = target.as<IRExpr::member>(); member && member->base) return &member->base->get();
  return nullptr;
}

bool isBooleanOnly(const std::vector<IRCondition>& conds) {
  for (const IRCondition& cond : conds) {
    if (!cond.is<IRCondition::bool_>()) return false;
  }
  return true;
}

// The top-level elements of a tuple pattern such as "(i,(a,b))": the text
// between the outer parentheses, split at the commas outside inner ones.
std::vector<std::string_view> tupleElements(std::string_view pattern) {
  std::vector<std::string_view> elements;
  const std::string_view inner = pattern.substr(1, pattern.size() - 2);
  int depth = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= inner.size(); ++i) {
    const char c = i < inner.size() ? inner[i] : ',';
    if (c == '(') depth += 1;
    if (c == ')') depth -= 1;
    if (c != ',' || depth > 0) continue;
    const std::string_view element = text::trimBlanks(inner.substr(start, i - start));
    if (!element.empty()) elements.push_back(element);
    start = i + 1;
  }
  return elements;
}

// The loop variable of a for-in: a tuple pattern such as "(key,value)"
// becomes a Kotlin destructuring declaration. Kotlin cannot nest them, so
// an inner tuple is bound to a generated name that `unpacking` destructures
// at the top of the body.
std::string loopVariable(KotlinEmitter& emitter, const std::string& name, std::vector<std::string>& unpacking) {
  if (!text::startsWith(name, "(") || !text::endsWith(name, ")") || name.size() < 2) {
    emitter.scope.declare(name);
    return kw(name);
  }
  std::vector<std::string> pieces;
  for (const std::string_view element : tupleElements(name)) {
    if (!text::startsWith(element, "(")) {
      emitter.scope.declare(std::string(element));
      pieces.push_back(kw(element));
      continue;
    }
    const std::string holder = emitter.freshName("tuple");
    pieces.push_back(holder);
    std::vector<std::string> deeper;
    unpacking.push_back("val " + loopVariable(emitter, std::string(element), deeper) + " = " + holder);
    unpacking.insert(unpacking.end(), deeper.begin(), deeper.end());
  }
  return "(" + text::join(pieces, ", ") + ")";
}

// The name a payload binding introduces: an optional pattern («let unit?»)
// binds the unwrapped name, a tuple pattern is kept for destructuring, and
// an expression pattern («.everyNDays(1)», «.some(.none)») binds nothing.
std::optional<std::string> bindingName(std::string_view binding) {
  binding = text::trimBlanks(binding);
  if (text::endsWith(binding, "?")) binding = text::trimBlanks(binding.substr(0, binding.size() - 1));
  if (binding.empty()) return std::nullopt;
  const bool identifier = binding.front() == '_' || binding.front() == '`' || binding.front() == '(' ||
                          text::isLetter(text::prefixGraphemes(binding, 1));
  if (!identifier) return std::nullopt;
  return std::string(binding);
}

}  // namespace

void KotlinEmitter::emitStmt(const IRStmt& stmt, Writer& writer) {
  const auto writeTouch = [&](const IRExpr* container) {
    if (!container) return;
    if (std::optional<std::string> touch = touchLine(*container)) writer.line(*touch);
  };

  if (const auto* s = stmt.as<IRStmt::expr>()) {
    const IRExpr& value = s->value.get();
    const std::optional<MemberCall> call = memberCall(value);
    if (call && *call->name == "toggle" && call->call->args.empty()) {
      const std::optional<std::string> base = writtenTwice([&] { return expr(*call->base); });
      if (!base) {
        writer.line(todo(".toggle()", "Nicht unterstützte Anweisung"));
        return;
      }
      writer.line(*base + " = !" + *base);
      writeTouch(mutatedContainer(*call->base));
      return;
    }
    writer.line(expr(value));
    if (call && (mutatingMethods().contains(*call->name) || symbols.mutatingFunctions.contains(*call->name))) {
      writeTouch(call->base);
    }
  } else if (const auto* s = stmt.as<IRStmt::local>()) {
    const std::string keyword = s->isLet ? "val" : "var";
    if (s->value) {
      const auto* call = (*s->value)->as<IRExpr::call>();
      const std::optional<std::string> type = call ? typePathOf(*call->callee) : std::nullopt;
      if (type && symbols.types.contains(*type)) scope.varClass[s->name] = *type;
    }
    if (std::optional<std::string> type = moduleTypeOf(*s->type)) scope.varClass[s->name] = *type;
    scope.declare(s->name, *s->type, s->value.has_value());
    const std::string type = kt(*s->type);
    if (s->value) {
      const std::string value = s->type->is<IRType::inferred>() ? expr(**s->value) : coerced(**s->value, *s->type);
      writer.line(keyword + " " + kw(s->name) + (type.empty() ? "" : ": " + type) + " = " + value);
    } else {
      writer.line(keyword + " " + kw(s->name) + ": " + (type.empty() ? "Any?" : type));
    }
  } else if (const auto* s = stmt.as<IRStmt::destructure>()) {
    std::vector<std::string> names;
    for (const std::string& name : s->names) {
      scope.declare(name);
      names.push_back(kw(name));
    }
    writer.line("val (" + text::join(names, ", ") + ") = " + expr(*s->value));
  } else if (const auto* s = stmt.as<IRStmt::assign>()) {
    const IRExpr& target = s->target.get();
    const auto* ident = target.as<IRExpr::ident>();
    if (ident && ident->name == "_") {
      writer.line(expr(*s->value));
      return;
    }
    // Kotlin cannot assign to a tuple of variables: the value is held once
    // and each variable takes its component.
    if (const auto* tuple = target.as<IRExpr::tuple>(); tuple && s->op == "=") {
      const std::string holder = freshName("tuple");
      writer.line("val " + holder + " = " + expr(*s->value));
      for (std::size_t i = 0; i < tuple->elements.size(); ++i) {
        const IRExpr& element = tuple->elements[i].value;
        const auto* name = element.as<IRExpr::ident>();
        if (name && name->name == "_") continue;
        writer.line(expr(element) + " = " + holder + ".component" + std::to_string(i + 1) + "()");
      }
      return;
    }
    Hint hint;
    if (ident) {
      if (const auto found = scope.varClass.find(ident->name); found != scope.varClass.end()) {
        hint.type = IRType::named{found->second, {}};
      }
    }
    const std::string lhs = expr(target);
    // A number or collection literal takes the written type of the variable
    // or property it is assigned to, as in a declaration: `amount = 0` for a
    // Double, `tags = []` for a set.
    const bool literal =
        isNumberLiteral(*s->value) || s->value->is<IRExpr::arrayLit>() || s->value->is<IRExpr::dictLit>();
    const IRType* declared = s->op == "=" && literal ? assignedType(target) : nullptr;
    const std::string rhs = declared ? coerced(*s->value, *declared) : expr(*s->value, hint);
    writer.line(lhs + " " + s->op + " " + rhs);
    writeTouch(mutatedContainer(target));
  } else if (const auto* s = stmt.as<IRStmt::ret>()) {
    // Copies: a closure inside the value pushes onto these lists.
    const std::optional<std::string> label = scope.returnLabels.back();
    const std::optional<IRType> type = scope.returnTypes.back();
    if (label) {
      writer.line("return@" + *label + (s->value ? " " + expr(**s->value) : ""));
    } else if (!s->value) {
      writer.line("return");
    } else if (type) {
      writer.line("return " + coerced(**s->value, *type));
    } else {
      writer.line("return " + expr(**s->value));
    }
  } else if (const auto* s = stmt.as<IRStmt::ifStmt>()) {
    emitIf(s->conds, s->then, s->els, writer, false, false);
  } else if (const auto* s = stmt.as<IRStmt::guardStmt>()) {
    const CondParts parts = conditionParts(s->conds);
    writeAll(writer, parts.prelude);
    std::vector<std::string> negated;
    for (const std::string& predicate : parts.predicates) negated.push_back("!(" + predicate + ")");
    open(writer, "if (" + (negated.empty() ? std::string("false") : text::join(negated, " || ")) + ") {");
    for (const IRStmt& inner : s->els) emitStmt(inner, writer);
    close(writer);
    writeAll(writer, parts.bindingLines);
  } else if (const auto* s = stmt.as<IRStmt::forIn>()) {
    scope.push();
    std::vector<std::string> unpacking;
    const std::string variable = loopVariable(*this, s->name, unpacking);
    open(writer, "for (" + variable + " in " + expr(*s->seq) + ") {");
    writeAll(writer, unpacking);
    for (const IRStmt& inner : s->body) emitStmt(inner, writer);
    close(writer);
    scope.pop();
  } else if (const auto* s = stmt.as<IRStmt::whileLoop>()) {
    const CondParts parts = conditionParts(s->conds);
    const std::string test = text::join(parts.predicates, " && ");
    if (parts.prelude.empty()) {
      open(writer, "while (" + test + ") {");
    } else {
      open(writer, "while (true) {");
      writeAll(writer, parts.prelude);
      writer.line("if (!(" + test + ")) break");
      writeAll(writer, parts.bindingLines);
    }
    for (const IRStmt& inner : s->body) emitStmt(inner, writer);
    close(writer);
  } else if (const auto* s = stmt.as<IRStmt::repeatWhile>()) {
    open(writer, "do {");
    for (const IRStmt& inner : s->body) emitStmt(inner, writer);
    writer.level -= 1;
    writer.line("} while (" + expr(*s->cond) + ")");
  } else if (const auto* s = stmt.as<IRStmt::switchStmt>()) {
    emitSwitch(*s->subject, s->cases, writer, false, false);
  } else if (const auto* s = stmt.as<IRStmt::doCatch>()) {
    open(writer, "try {");
    for (const IRStmt& inner : s->body) emitStmt(inner, writer);
    writer.level -= 1;
    open(writer, "} catch (error: Exception) {");
    scope.push();
    scope.declare("error");
    if (s->catchBody) {
      for (const IRStmt& inner : *s->catchBody) emitStmt(inner, writer);
    }
    scope.pop();
    close(writer);
  } else if (stmt.is<IRStmt::breakStmt>()) {
    writer.line("break");
  } else if (stmt.is<IRStmt::continueStmt>()) {
    writer.line("continue");
  } else if (const auto* s = stmt.as<IRStmt::throwStmt>()) {
    writer.line("throw SwiftError(" + expr(*s->value) + ")");
  } else if (const auto* s = stmt.as<IRStmt::defer_>()) {
    warn("defer", "defer wird am Ende des Blocks nicht automatisch ausgeführt");
    writer.line("// tovrane: defer-Block (bitte prüfen)");
    for (const IRStmt& inner : s->body) emitStmt(inner, writer);
  } else if (const auto* s = stmt.as<IRStmt::localFunc>()) {
    scope.declare(s->function->name);
    emitFunction(*s->function, writer, std::nullopt, false, "");
  } else if (const auto* s = stmt.as<IRStmt::localType>()) {
    hoisted.push_back(HoistedType{*s->decl, s->decl->name});
  } else if (const auto* s = stmt.as<IRStmt::unsupported>()) {
    writer.line(todo(s->source, "Nicht unterstützte Anweisung"));
  }
}

std::optional<std::string> KotlinEmitter::touchLine(const IRExpr& mutated) {
  std::vector<std::string> components;
  for (std::string& component : path(mutated)) {
    if (component != "()") components.push_back(std::move(component));
  }
  if (!components.empty() && components.front() == "self") components.erase(components.begin());
  if (components.empty()) return std::nullopt;

  const std::string& first = components.front();
  // A bound value changed in place reaches the state that owns it only
  // through the binding's setter.
  if (scope.stateFields.contains(first) || scope.bindingFields.contains(first)) {
    return "this." + kw(first) + " = this." + kw(first);
  }
  if (components.size() < 2) return std::nullopt;
  const auto owner = scope.varClass.find(first);
  if (owner == scope.varClass.end()) return std::nullopt;
  const auto observed = symbols.observable.find(owner->second);
  if (observed == symbols.observable.end() || !observed->second.contains(components[1])) return std::nullopt;
  const std::string held = kw(first) + "." + kw(components[1]);
  return held + " = " + held;
}

// --- Conditions, patterns and switch

KotlinEmitter::CondParts KotlinEmitter::conditionParts(const std::vector<IRCondition>& conds) {
  CondParts parts;
  for (const IRCondition& cond : conds) {
    if (const auto* c = cond.as<IRCondition::bool_>()) {
      parts.predicates.push_back(expr(*c->value));
    } else if (const auto* c = cond.as<IRCondition::optionalBinding>()) {
      const std::string name = kw(c->name);
      parts.prelude.push_back("val " + name + " = " + expr(*c->value));
      scope.declare(c->name);
      parts.predicates.push_back(name + " != null");
    } else if (const auto* c = cond.as<IRCondition::casePattern>()) {
      const std::string subject = freshName("sw");
      parts.prelude.push_back("val " + subject + " = " + expr(*c->value));
      PatternTest pattern = patternCondition(*c->pattern, subject, std::nullopt);
      parts.predicates.push_back(std::move(pattern.test));
      for (std::string& line : pattern.bindingLines) parts.bindingLines.push_back(std::move(line));
    }
  }
  return parts;
}

KotlinEmitter::PatternTest KotlinEmitter::patternCondition(const IRPattern& pattern, const std::string& subject,
                                                           const std::optional<std::string>& enumHint) {
  if (const auto* p = pattern.as<IRPattern::guarded>()) {
    PatternTest inner = patternCondition(*p->pattern, subject, enumHint);
    // The condition reads the values the pattern binds, so it computes
    // them first, in a block of its own.
    std::string condition = expr(*p->condition);
    if (!inner.bindingLines.empty()) {
      condition = "run { " + text::join(inner.bindingLines, "; ") + "; " + condition + " }";
    }
    inner.test = inner.test == "true" ? condition : "(" + inner.test + " && " + condition + ")";
    return inner;
  }
  // `case _ = v` and `case let x = v` match every value; a `when`
  // else-branch has no counterpart in an ordinary test.
  if (pattern.is<IRPattern::wildcard>() || pattern.is<IRPattern::binding>()) {
    return PatternTest{.test = "true", .bindingLines = patternTest(pattern, subject, enumHint).bindingLines};
  }
  PatternTest result = patternTest(pattern, subject, enumHint);
  const bool keyworded = text::startsWith(result.test, "is ") || text::startsWith(result.test, "in ");
  result.test = subject + (keyworded ? " " : " == ") + result.test;
  return result;
}

KotlinEmitter::PatternTest KotlinEmitter::patternTest(const IRPattern& pattern, const std::string& subject,
                                                      const std::optional<std::string>& enumHint) {
  if (const auto* p = pattern.as<IRPattern::expr>()) {
    if (p->value->is<IRExpr::range>()) return PatternTest{.test = "in " + expr(*p->value), .bindingLines = {}};
    return PatternTest{.test = expr(*p->value), .bindingLines = {}};
  }
  if (const auto* p = pattern.as<IRPattern::binding>()) {
    scope.declare(p->name);
    return PatternTest{.test = "else", .bindingLines = {"val " + kw(p->name) + " = " + subject}};
  }
  if (const auto* p = pattern.as<IRPattern::guarded>()) return patternTest(*p->pattern, subject, enumHint);
  const auto* p = pattern.as<IRPattern::enumCase>();
  if (!p) return PatternTest{.test = "else", .bindingLines = {}};

  const std::string_view caseName = withoutBackquotes(p->name);
  // The enumeration the case is of, and its path.
  const ModuleSymbols::EnumInfo* info = nullptr;
  std::string_view path;
  if (enumHint && members.enumCase(*enumHint, caseName)) {
    path = *enumHint;
    info = &symbols.enums.find(path)->second;
  }
  if (!info) {
    const auto declaring = symbols.caseIndex.find(caseName);
    if (declaring != symbols.caseIndex.end() && !declaring->second.empty()) {
      const auto found = symbols.enums.find(declaring->second.front());
      if (found != symbols.enums.end()) {
        path = found->first;
        info = &found->second;
      }
    }
  }
  if (!info) {
    // A case of no module enumeration (.some(let x), a case of a library
    // enumeration) has no Kotlin test we could name; the repair must see it.
    std::vector<std::string> arguments;
    for (const std::optional<std::string>& binding : p->bindings) arguments.push_back(binding.value_or("_"));
    const std::string source = "." + p->name + (arguments.empty() ? "" : "(" + text::join(arguments, ", ") + ")");
    return PatternTest{.test = todo(source, "Unbekannter Enum-Fall ." + p->name), .bindingLines = {}};
  }

  const std::string caseText = kwNested(info->name) + "." + kw(p->name);
  const IREnumCase* declared = members.enumCase(path, caseName);
  if (!info->sealed || !declared || declared->associated.empty()) {
    return PatternTest{.test = caseText, .bindingLines = {}};
  }
  PatternTest result{.test = "is " + caseText, .bindingLines = {}};
  for (std::size_t j = 0; j < p->bindings.size() && j < declared->associated.size(); ++j) {
    const std::optional<std::string> binding = p->bindings[j] ? bindingName(*p->bindings[j]) : std::nullopt;
    if (!binding) continue;
    result.bindingLines.push_back("val " + kw(*binding) + " = (" + subject + " as " + caseText + ")." +
                                  kw(declared->associated[j].name));
    scope.declare(*binding);
  }
  return result;
}

std::optional<std::string> KotlinEmitter::switchEnum(const IRExpr& subject, const std::vector<IRSwitchCase>& cases) {
  if (subject.is<IRExpr::selfRef>() && scope.typeName && symbols.enums.contains(*scope.typeName)) {
    return scope.typeName;
  }
  if (std::optional<std::string> implicit = implicitTypeFor(subject)) return implicit;

  NameSet caseNames;
  for (const IRSwitchCase& c : cases) {
    for (const IRPattern& pattern : c.patterns) {
      if (const auto* p = unguarded(pattern).as<IRPattern::enumCase>()) {
        caseNames.insert(std::string(withoutBackquotes(p->name)));
      }
    }
  }
  // The one enumeration that has every case name of the switch. Only the
  // enumerations with its rarest name can be it, so a name that many
  // enumerations share costs nothing when another name is rarer.
  std::span<const std::string* const> candidates;
  for (const std::string& name : caseNames) {
    const std::span<const std::string* const> declaring = members.enumsWithCase(name);
    if (declaring.empty()) return std::nullopt;
    if (candidates.empty() || declaring.size() < candidates.size()) candidates = declaring;
  }
  std::optional<std::string> match;
  for (const std::string* path : candidates) {
    const bool all = std::all_of(caseNames.begin(), caseNames.end(),
                                 [&](const std::string& name) { return members.enumCase(*path, name) != nullptr; });
    if (!all) continue;
    if (match) return std::nullopt;
    match = *path;
  }
  return match;
}

namespace {

// Whether a Kotlin `when` written for these cases must not simply run on
// when no case matches: because every case leaves (so code after it would
// be reached where Swift's cannot be, and a function would lack its
// result), or because a case assigns a local declared without a value,
// which Kotlin must see assigned on every path.
bool needsDefiniteEnd(const EmitScope& scope, const std::vector<IRSwitchCase>& cases) {
  const auto leaves = [](const std::vector<IRStmt>& body) {
    if (body.empty()) return false;
    const IRStmt& last = body.back();
    if (last.is<IRStmt::ret>() || last.is<IRStmt::throwStmt>()) return true;
    const auto* statement = last.as<IRStmt::expr>();
    const auto* call = statement ? statement->value->as<IRExpr::call>() : nullptr;
    const auto* callee = call ? call->callee->as<IRExpr::ident>() : nullptr;
    return callee && (callee->name == "fatalError" || callee->name == "preconditionFailure");
  };
  if (!cases.empty() && std::ranges::all_of(cases, [&](const IRSwitchCase& c) { return leaves(c.body); })) return true;
  const auto assignsUnset = [&scope](const auto& self, const std::vector<IRStmt>& body) -> bool {
    for (const IRStmt& stmt : body) {
      if (const auto* s = stmt.as<IRStmt::assign>()) {
        const auto* target = s->target->as<IRExpr::ident>();
        if (target && s->op == "=" && scope.isUnsetLocal(target->name)) return true;
      } else if (const auto* s = stmt.as<IRStmt::ifStmt>()) {
        if (self(self, s->then) || (s->els && self(self, *s->els))) return true;
      } else if (const auto* s = stmt.as<IRStmt::switchStmt>()) {
        for (const IRSwitchCase& c : s->cases) {
          if (self(self, c.body)) return true;
        }
      }
    }
    return false;
  };
  return std::ranges::any_of(cases, [&](const IRSwitchCase& c) { return assignsUnset(assignsUnset, c.body); });
}

}  // namespace

void KotlinEmitter::emitSwitch(const IRExpr& subject, const std::vector<IRSwitchCase>& cases, Writer& writer,
                               bool view, bool asExpression) {
  const std::optional<IRType> valueType = std::exchange(scope.valueType, std::nullopt);
  bool bindsValue = false;
  bool guarded = false;
  for (const IRSwitchCase& c : cases) {
    for (const IRPattern& pattern : c.patterns) {
      guarded = guarded || pattern.is<IRPattern::guarded>();
      const IRPattern& inner = unguarded(pattern);
      bindsValue = bindsValue || inner.is<IRPattern::binding>();
      const auto* p = inner.as<IRPattern::enumCase>();
      if (!p) continue;
      for (const std::optional<std::string>& binding : p->bindings) bindsValue = bindsValue || binding.has_value();
    }
  }

  const std::string holder = freshName("sw");
  const std::string subjectText = expr(subject);
  const std::optional<std::string> enumName = switchEnum(subject, cases);
  const bool definiteEnd = asExpression || (!view && needsDefiniteEnd(scope, cases));
  if (guarded) {
    // A `when` with a subject compares values only: cases with a `where`
    // condition need the form without one, on the subject held before.
    if (asExpression) open(writer, "run {");
    writer.line("val " + holder + " = " + subjectText);
    open(writer, "when {");
  } else {
    open(writer, bindsValue ? "when (val " + holder + " = " + subjectText + ") {" : "when (" + subjectText + ") {");
  }
  const std::string& tested = bindsValue || guarded ? holder : subjectText;

  bool hasElse = false;
  // Made once: a long subject is not copied again for each unreachable case.
  std::string unreachableSource;
  for (const IRSwitchCase& c : cases) {
    // A case matches everything when it has no pattern (default), or one
    // that is a wildcard or a plain binding without a condition.
    bool isElse = c.patterns.empty();
    for (const IRPattern& pattern : c.patterns) {
      isElse = isElse || pattern.is<IRPattern::wildcard>() || pattern.is<IRPattern::binding>();
    }
    // Kotlin allows one else branch, as the last one. A case after it can
    // never be reached, in Swift neither.
    if (hasElse) {
      if (unreachableSource.empty()) unreachableSource = "switch " + subjectText;
      warn(unreachableSource, "Nicht erreichbarer Fall nach einem Fall, der alles trifft, weggelassen");
      continue;
    }
    scope.push();
    std::vector<std::string> tests;
    std::vector<std::string> bindingLines;
    if (isElse) {
      tests.push_back("else");
      hasElse = true;
      for (const IRPattern& pattern : c.patterns) {
        if (pattern.is<IRPattern::binding>()) {
          bindingLines = patternTest(pattern, tested, enumName).bindingLines;
          break;
        }
      }
    } else {
      for (const IRPattern& pattern : c.patterns) {
        PatternTest test =
            guarded ? patternCondition(pattern, tested, enumName) : patternTest(pattern, tested, enumName);
        tests.push_back(std::move(test.test));
        for (std::string& line : test.bindingLines) bindingLines.push_back(std::move(line));
      }
    }
    const bool onlyBreak = c.body.size() == 1 && c.body.front().is<IRStmt::breakStmt>();
    const std::vector<IRStmt> noStatements;
    const std::vector<IRStmt>& body = onlyBreak ? noStatements : c.body;

    open(writer, text::join(tests, guarded ? " || " : ", ") + " -> {");
    writeAll(writer, bindingLines);
    if (view) {
      for (const IRStmt& stmt : body) emitViewStmt(stmt, writer);
    } else if (asExpression) {
      scope.valueType = valueType;
      emitExpressionBody(body, writer);
    } else {
      for (const IRStmt& stmt : body) emitStmt(stmt, writer);
    }
    close(writer);
    scope.pop();
  }
  // A Swift switch without default covers every value, so the else branch
  // is never taken unless a case was resolved wrongly; then running on is
  // kinder than failing. Failing is right where Kotlin has to see the
  // `when` end in every case: a value, a definite assignment, a return.
  if (!hasElse) writer.line(definiteEnd ? "else -> error(\"unerwarteter Fall\")" : "else -> {}");
  close(writer);
  if (guarded && asExpression) close(writer);
}

// --- If, else chains and expression bodies

void KotlinEmitter::emitIf(const std::vector<IRCondition>& conds, const std::vector<IRStmt>& then,
                           const std::optional<std::vector<IRStmt>>& els, Writer& writer, bool view, bool) {
  const auto emitBranch = [&](const std::vector<IRStmt>& stmts) {
    for (const IRStmt& stmt : stmts) view ? emitViewStmt(stmt, writer) : emitStmt(stmt, writer);
  };

  scope.push();
  const CondParts parts = conditionParts(conds);
  const std::string test = parts.predicates.empty() ? "true" : text::join(parts.predicates, " && ");
  if (isBooleanOnly(conds)) {
    open(writer, "if (" + test + ") {");
    writeAll(writer, parts.bindingLines);
    emitBranch(then);
    writer.level -= 1;
    emitElse(els, writer, view);
  } else {
    // A break or continue cannot leave a `run` lambda, so a branch holding
    // one is wrapped in a block that is a plain statement.
    const bool jumps = containsLoopJump(then) || (els && containsLoopJump(*els));
    open(writer, jumps ? "if (true) {" : "run {");
    writeAll(writer, parts.prelude);
    open(writer, "if (" + test + ") {");
    writeAll(writer, parts.bindingLines);
    emitBranch(then);
    writer.level -= 1;
    emitElse(els, writer, view);
    close(writer);
  }
  scope.pop();
}

void KotlinEmitter::emitElse(const std::optional<std::vector<IRStmt>>& els, Writer& writer, bool view) {
  if (!els) {
    writer.line("}");
    return;
  }
  const auto* elseIf = els->size() == 1 ? els->front().as<IRStmt::ifStmt>() : nullptr;
  if (elseIf && isBooleanOnly(elseIf->conds)) {
    Writer chained;
    emitIf(elseIf->conds, elseIf->then, elseIf->els, chained, view, true);
    chained.lines.front() = "} else " + std::string(text::trimWhitespaceAndNewlines(chained.lines.front()));
    writeAll(writer, chained.lines);
    return;
  }
  open(writer, "} else {");
  for (const IRStmt& stmt : *els) view ? emitViewStmt(stmt, writer) : emitStmt(stmt, writer);
  close(writer);
}

bool KotlinEmitter::containsLoopJump(const std::vector<IRStmt>& stmts) {
  for (const IRStmt& stmt : stmts) {
    if (stmt.is<IRStmt::breakStmt>() || stmt.is<IRStmt::continueStmt>()) return true;
    if (const auto* s = stmt.as<IRStmt::ifStmt>()) {
      if (containsLoopJump(s->then) || (s->els && containsLoopJump(*s->els))) return true;
    } else if (const auto* s = stmt.as<IRStmt::guardStmt>()) {
      if (containsLoopJump(s->els)) return true;
    } else if (const auto* s = stmt.as<IRStmt::switchStmt>()) {
      for (const IRSwitchCase& c : s->cases) {
        if (containsLoopJump(c.body)) return true;
      }
    }
  }
  return false;
}

void KotlinEmitter::emitStmtAsExpression(const IRStmt& stmt, Writer& writer) {
  // Taken at once, so that expressions written on the way never see it.
  const std::optional<IRType> valueType = std::exchange(scope.valueType, std::nullopt);
  if (const auto* s = stmt.as<IRStmt::switchStmt>()) {
    scope.valueType = valueType;
    emitSwitch(*s->subject, s->cases, writer, false, true);
    return;
  }
  const auto* s = stmt.as<IRStmt::ifStmt>();
  if (!s) {
    emitStmt(stmt, writer);
    return;
  }
  const CondParts parts = conditionParts(s->conds);
  const bool wrapped = !parts.prelude.empty();
  if (wrapped) {
    open(writer, "run {");
    writeAll(writer, parts.prelude);
  }
  open(writer, "if (" + text::join(parts.predicates, " && ") + ") {");
  writeAll(writer, parts.bindingLines);
  scope.valueType = valueType;
  emitExpressionBody(s->then, writer);
  writer.level -= 1;
  open(writer, "} else {");
  const std::vector<IRStmt> noStatements;
  scope.valueType = valueType;
  emitExpressionBody(s->els ? *s->els : noStatements, writer);
  close(writer);
  if (wrapped) close(writer);
}

void KotlinEmitter::emitExpressionBody(const std::vector<IRStmt>& stmts, Writer& writer) {
  const std::optional<IRType> valueType = std::exchange(scope.valueType, std::nullopt);
  if (stmts.empty()) {
    writer.line("Unit");
    return;
  }
  for (std::size_t i = 0; i + 1 < stmts.size(); ++i) emitStmt(stmts[i], writer);
  const IRStmt& last = stmts.back();
  const auto value = [&](const IRExpr& e) { return valueType ? coerced(e, *valueType) : expr(e); };
  if (const auto* s = last.as<IRStmt::expr>()) {
    writer.line(value(*s->value));
  } else if (const auto* s = last.as<IRStmt::ret>(); s && s->value) {
    writer.line(value(**s->value));
  } else if (last.is<IRStmt::ifStmt>() || last.is<IRStmt::switchStmt>()) {
    scope.valueType = valueType;
    emitStmtAsExpression(last, writer);
  } else {
    emitStmt(last, writer);
  }
}

}  // namespace tovrane
