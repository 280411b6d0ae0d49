// Expressions, string literals and closures. Every generated binary
// operation, conditional, type test, written cast and two-sided range gets
// its own parentheses, so no Kotlin precedence rule can regroup what Swift
// grouped. Sub-results are computed into named locals in output order where
// that order decides warnings or label numbers.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <utility>

#include "core/backend/KotlinBackend.hpp"
#include "core/support/Text.hpp"

namespace tovrane {
namespace {

constexpr std::string_view unsupportedExpression = "Nicht unterstützter Ausdruck";

std::string mappedOperator(const std::string& op) {
  static const std::map<std::string, std::string, std::less<>> kotlinOperators{
      {"??", "?:"}, {"&", "and"}, {"|", "or"}, {"^", "xor"}, {"<<", "shl"}, {">>", "shr"},
  };
  const auto found = kotlinOperators.find(op);
  return found == kotlinOperators.end() ? op : found->second;
}

// Parses hexadecimal digits without exceptions; nullopt for an empty,
// malformed or overflowing number.
std::optional<std::uint32_t> hexNumber(std::string_view digits) {
  std::uint32_t value = 0;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, value, 16);
  if (digits.empty() || error != std::errc{} || stop != end) return std::nullopt;
  return value;
}

// The Kotlin text of one character given as a Unicode escape: the
// characters that would end or break the literal keep an escaped form.
std::optional<std::string> scalarText(std::uint32_t scalar) {
  switch (scalar) {
    case 0x22: return "\\\"";
    case 0x24: return "\\$";
    case 0x5C: return "\\\\";
    case 0x0A: return "\\n";
    case 0x0D: return "\\r";
    default: break;
  }
  std::string text;
  if (!text::appendUtf8(text, static_cast<char32_t>(scalar))) return std::nullopt;
  return text;
}

// Length of a Swift line continuation starting at a backslash (backslash,
// blanks, then a line break), or 0 when there is none.
std::size_t continuationLength(std::string_view text, std::size_t backslash) {
  std::size_t i = backslash + 1;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < text.size() && text[i] == '\n') return i + 1 - backslash;
  if (i < text.size() && text[i] == '\r') return i + (i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1) - backslash;
  return 0;
}

bool allNumbers(std::string_view text) {
  for (std::string_view character : text::graphemes(text)) {
    if (!text::isNumber(character)) return false;
  }
  return true;
}

// "$word" becomes "word"; "$0", "$12" and plain names stay.
std::string normalisedParam(const std::string& name) {
  if (name.size() >= 2 && name.front() == '$' && !allNumbers(std::string_view(name).substr(1))) {
    return name.substr(1);
  }
  return name;
}

std::string trimmedLine(std::string_view line) {
  std::size_t begin = 0;
  std::size_t end = line.size();
  while (begin < end && (line[begin] == ' ' || line[begin] == '\t')) ++begin;
  while (end > begin && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
  return std::string(line.substr(begin, end - begin));
}

}  // namespace

std::string KotlinEmitter::expr(const IRExpr& value, const Hint& hint) {
  const Hint none;
  if (const auto* e = value.as<IRExpr::ident>()) return identExpr(e->name);
  if (const auto* e = value.as<IRExpr::intLit>()) return e->text;
  if (const auto* e = value.as<IRExpr::floatLit>()) return e->text;
  if (const auto* e = value.as<IRExpr::stringLit>()) return stringExpr(e->parts);
  if (const auto* e = value.as<IRExpr::boolLit>()) return e->value ? "true" : "false";
  if (value.is<IRExpr::nilLit>()) return "null";
  if (value.is<IRExpr::selfRef>()) return "this";
  if (const auto* e = value.as<IRExpr::member>()) {
    if (e->base) return memberExpr(**e->base, e->name, none);
    if (std::optional<std::string> qualified = implicitMember(e->name, hint)) return *qualified;
    return todo("." + e->name, "Unbekannter impliziter Member ." + e->name);
  }
  if (const auto* e = value.as<IRExpr::call>()) return callExpr(*e->callee, e->args, e->trailing, hint);
  if (const auto* e = value.as<IRExpr::subscriptExpr>()) {
    // An element of a bound collection («$items[i]») is a binding to it.
    const ChainMemoScope memo(*this);
    if (std::optional<std::string> binding = bindingTo(value)) return *binding;
    std::string base = expr(*e->base, none);
    if (e->args.size() == 2 && e->args[1].label == "default") {
      std::string key = expr(e->args[0].value, none);
      std::string fallback = expr(e->args[1].value, none);
      return "(" + base + "[" + key + "] ?: " + fallback + ")";
    }
    std::vector<std::string> indices;
    for (const IRArg& arg : e->args) indices.push_back(expr(arg.value, none));
    return base + "[" + text::join(indices, ", ") + "]";
  }
  if (const auto* e = value.as<IRExpr::binary>()) {
    std::string right = expr(*e->rhs, hint);
    std::string left = expr(*e->lhs, hint);
    const auto* dotMember = e->rhs->as<IRExpr::member>();
    if ((e->op == "==" || e->op == "!=") && dotMember && !dotMember->base) {
      const std::optional<std::string> enumName = implicitTypeFor(*e->lhs);
      if (enumName && members.enumCase(*enumName, dotMember->name)) {
        right = kwNested(*enumName) + "." + kw(dotMember->name);
      }
      if (dotMember->name == "none") right = "null";
    }
    return "(" + left + " " + mappedOperator(e->op) + " " + right + ")";
  }
  if (const auto* e = value.as<IRExpr::prefix>()) {
    const std::string operand = expr(*e->operand, e->op == "!" ? none : hint);
    return e->op + operand;
  }
  if (const auto* e = value.as<IRExpr::postfix>()) {
    std::string operand = expr(*e->operand, none);
    return e->op == "!" ? operand + "!!" : operand;
  }
  if (const auto* e = value.as<IRExpr::ternary>()) {
    std::string condition = expr(*e->cond, none);
    std::string thenText = expr(*e->thenValue, hint);
    std::string elseText = expr(*e->elseValue, hint);
    return "(if (" + condition + ") " + thenText + " else " + elseText + ")";
  }
  if (const auto* e = value.as<IRExpr::closure>()) return closureExpr(*e->value, false);
  if (const auto* e = value.as<IRExpr::arrayLit>()) {
    std::vector<std::string> elements;
    if (const IRType::array* typed = hint.type ? hint.type->as<IRType::array>() : nullptr) {
      for (const IRExpr& element : e->elements) elements.push_back(coerced(element, *typed->element));
      return "mutableListOf<" + kt(*typed->element) + ">(" + text::join(elements, ", ") + ")";
    }
    for (const IRExpr& element : e->elements) elements.push_back(expr(element, none));
    return "mutableListOf(" + text::join(elements, ", ") + ")";
  }
  if (const auto* e = value.as<IRExpr::dictLit>()) {
    std::vector<std::string> entries;
    for (const IRDictEntry& entry : e->entries) {
      std::string key = expr(entry.key, none);
      std::string mapped = expr(entry.value, none);
      entries.push_back(std::move(key) + " to " + std::move(mapped));
    }
    return "mutableMapOf(" + text::join(entries, ", ") + ")";
  }
  if (const auto* e = value.as<IRExpr::tuple>()) {
    std::vector<std::string> elements;
    const std::size_t count = e->elements.size();
    if (count == 0) return "Unit";
    if (count != 2 && count != 3) return todo("Tupel mit " + std::to_string(count) + " Elementen", unsupportedExpression);
    for (const IRArg& element : e->elements) elements.push_back(expr(element.value, none));
    std::string tupleText = count == 2 ? "Pair(" : "Triple(";
    tupleText += text::join(elements, ", ");
    return tupleText + ")";
  }
  if (const auto* e = value.as<IRExpr::cast>()) {
    // A cast gives Kotlin no type to learn a lambda's parameters from: the
    // lambda is written with them.
    const auto* function = e->type->as<IRType::function>();
    const auto* lambda = e->value->as<IRExpr::closure>();
    std::string operand = function && lambda && e->keyword == "as"
                              ? closureExpr(*lambda->value, false, &function->params)
                              : expr(*e->value, none);
    const std::string type = kt(*e->type);
    if (e->keyword == "is") return "(" + operand + " is " + type + ")";
    if (e->keyword == "as?") return "(" + operand + " as? " + type + ")";
    // Swift's numeric conversions by cast are no-ops for the numbers Kotlin
    // already holds in these types.
    if (type == "Double" || type == "Int" || type == "Float") return operand;
    return "(" + operand + " as " + type + ")";
  }
  if (const auto* e = value.as<IRExpr::tryExpr>()) {
    if (e->keyword == "try?") return "runCatching { " + expr(*e->value, none) + " }.getOrNull()";
    return expr(*e->value, hint);
  }
  if (const auto* e = value.as<IRExpr::awaitExpr>()) return expr(*e->value, hint);
  if (const auto* e = value.as<IRExpr::range>()) {
    const bool halfOpen = e->op == "..<";
    if (e->lower && e->upper) {
      const Hint& boundHint = halfOpen ? none : hint;
      std::string lower = expr(**e->lower, boundHint);
      std::string upper = expr(**e->upper, boundHint);
      return "(" + lower + (halfOpen ? " until " : "..") + upper + ")";
    }
    if (e->lower) return "swiftRangeFrom(" + expr(**e->lower, hint) + ")";
    if (e->upper) return (halfOpen ? "swiftRangeUpTo(" : "swiftRangeThrough(") + expr(**e->upper, hint) + ")";
    return todo("einseitiger Bereich", unsupportedExpression);
  }
  if (const auto* e = value.as<IRExpr::ifExpr>()) {
    Writer writer;
    emitStmtAsExpression(*e->stmt, writer);
    return text::join(writer.lines, "\n");
  }
  const auto* unsupported = value.as<IRExpr::unsupported>();
  return todo(unsupported ? std::string_view(unsupported->source) : std::string_view(), unsupportedExpression);
}

std::string KotlinEmitter::stringExpr(const std::vector<IRStringPart>& parts) {
  std::string literal = "\"";
  for (const IRStringPart& part : parts) {
    if (const auto* piece = part.as<IRStringPart::text>()) literal += escapeSwiftText(piece->value);
    if (const auto* piece = part.as<IRStringPart::interp>()) literal += "${" + expr(*piece->value, Hint{}) + "}";
  }
  return literal + "\"";
}

// Works on bytes: every character the rules look at is ASCII, and the bytes
// of every other character are copied unchanged, which is the same as
// copying that character.
std::string KotlinEmitter::escapeSwiftText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\' && i + 1 < text.size()) {
      const char next = text[i + 1];
      if (const std::size_t length = continuationLength(text, i)) {
        i += length - 1;
      } else if (next == 'u' && i + 2 < text.size() && text[i + 2] == '{') {
        const std::size_t close = text.find('}', i + 3);
        const std::size_t end = close == std::string_view::npos ? text.size() : close;
        const std::optional<std::uint32_t> scalar = hexNumber(text.substr(i + 3, end - (i + 3)));
        if (scalar) {
          if (std::optional<std::string> written = scalarText(*scalar)) out += *written;
        }
        i = close == std::string_view::npos ? text.size() : close;
      } else if (next == '\'') {
        out += '\'';
        ++i;
      } else if (next == '0') {
        out += "\\u0000";
        ++i;
      } else {
        out += c;
        out += next;
        ++i;
      }
    } else if (c == '$') {
      out += "\\$";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      // Swift reads a line break written as CR LF as one line feed.
      out += i + 1 < text.size() && text[i + 1] == '\n' ? (++i, "\\n") : "\\r";
    } else if (c == '"') {
      out += "\\\"";
    } else {
      out += c;
    }
  }
  return out;
}

std::string KotlinEmitter::closureExpr(const IRClosure& closure, bool viewMode, const std::vector<IRType>* paramTypes) {
  const bool destructure = std::exchange(scope.tupleClosure, false);
  scope.returnTypes.emplace_back(std::nullopt);
  // Typed parameters need a head, so a lone "$0" is named there too.
  const bool typed = paramTypes && paramTypes->size() == closure.params.size() && !paramTypes->empty();

  std::vector<std::string> names;
  for (const std::string& name : closure.params) names.push_back(normalisedParam(name));
  std::map<std::string, std::string, std::less<>> renames;
  std::vector<std::string> params;
  if (names.size() == 1 && names.front() == "$0" && !typed) {
    renames.emplace("$0", "it");
  } else if (std::find(names.begin(), names.end(), "$0") != names.end()) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      params.push_back("p" + std::to_string(i));
      renames.emplace(names[i], params.back());
    }
  } else {
    params = names;
  }
  scope.closureRename.push_back(std::move(renames));
  scope.push();
  for (const std::string& param : params) scope.declare(param);
  const std::string label = freshName("c");
  scope.returnLabels.emplace_back(label);

  Writer writer;
  writer.level = 1;
  if (viewMode) {
    emitViewBlock(closure.body, writer);
  } else {
    std::size_t statements = closure.body.size();
    const IRExpr* result = nullptr;
    if (statements > 0) {
      const auto* last = closure.body.back().as<IRStmt::ret>();
      if (last && last->value) {
        result = &**last->value;
        statements -= 1;
      }
    }
    for (std::size_t i = 0; i < statements; ++i) emitStmt(closure.body[i], writer);
    if (result) writer.line(expr(*result, Hint{}));
  }
  writer.level = 0;

  std::string header;
  if (!params.empty()) {
    std::vector<std::string> written;
    for (std::size_t i = 0; i < params.size(); ++i) {
      written.push_back(params[i] == "_" ? params[i] : kw(params[i]));
      if (typed) written.back() += ": " + kt((*paramTypes)[i]);
    }
    header = destructure && written.size() == 2 ? " (" + written[0] + ", " + written[1] + ") ->"
                                                 : " " + text::join(written, ", ") + " ->";
  }
  const std::string body = text::join(writer.lines, "\n");
  const std::string prefix = body.find("@" + label) != std::string::npos ? label + "@" : "";
  std::string lambda;
  if (writer.lines.empty()) {
    lambda = prefix + "{" + header + " }";
  } else if (const std::string single = trimmedLine(writer.lines.front());
             writer.lines.size() == 1 && !text::startsWith(single, "//")) {
    lambda = prefix + "{" + header + " " + single + " }";
  } else {
    // A lone comment line goes on its own line too: on the brace's line it
    // would swallow the closing brace.
    lambda = prefix + "{" + header + "\n" + body + "\n}";
  }

  scope.returnLabels.pop_back();
  scope.pop();
  scope.closureRename.pop_back();
  scope.returnTypes.pop_back();
  return lambda;
}

}  // namespace tovrane
