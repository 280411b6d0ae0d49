#include "core/backend/KotlinBackend.hpp"

#include <utility>

#include "core/support/Text.hpp"

namespace tovrane {
namespace {

// How many characters of the Swift text a warning keeps and a placeholder shows.
constexpr std::size_t warningSourceLength = 300;
constexpr std::size_t placeholderSourceLength = 120;

using std::string_view_literals::operator""sv;

// Swift type names with a Kotlin counterpart of another name.
constexpr std::pair<std::string_view, std::string_view> kotlinTypeNames[] = {
    {"Int"sv, "Int"sv},
    {"Int32"sv, "Int"sv},
    {"Int16"sv, "Int"sv},
    {"Int8"sv, "Int"sv},
    {"UInt"sv, "Int"sv},
    {"UInt32"sv, "Int"sv},
    {"UInt16"sv, "Int"sv},
    {"UInt8"sv, "Int"sv},
    {"Int64"sv, "Long"sv},
    {"UInt64"sv, "Long"sv},
    {"Double"sv, "Double"sv},
    {"CGFloat"sv, "Double"sv},
    {"TimeInterval"sv, "Double"sv},
    {"Decimal"sv, "Double"sv},
    {"Float"sv, "Float"sv},
    {"String"sv, "String"sv},
    {"Substring"sv, "String"sv},
    {"LocalizedStringKey"sv, "String"sv},
    {"URL"sv, "String"sv},
    {"Character"sv, "Char"sv},
    {"Bool"sv, "Boolean"sv},
    {"Void"sv, "Unit"sv},
    {"()"sv, "Unit"sv},
    {"Any"sv, "Any"sv},
    {"AnyObject"sv, "Any"sv},
    {"AnyHashable"sv, "Any"sv},
    {"Date"sv, "java.util.Date"sv},
    {"UUID"sv, "java.util.UUID"sv},
    {"Data"sv, "ByteArray"sv},
    {"Error"sv, "Throwable"sv},
    {"any Error"sv, "Throwable"sv},
    {"Set"sv, "MutableSet"sv},
    {"AnyView"sv, "@Composable () -> Unit"sv},
    {"View"sv, "@Composable () -> Unit"sv},
    {"some View"sv, "@Composable () -> Unit"sv},
};

// Where a one-character string literal is written as a Kotlin char.
const NameSet& characterNames() {
  static const NameSet names{"Character"};
  return names;
}

const NameSet& doubleNames() {
  static const NameSet names{"Double", "CGFloat", "TimeInterval"};
  return names;
}
const NameSet& floatNames() {
  static const NameSet names{"Float"};
  return names;
}
const NameSet& longNames() {
  static const NameSet names{"Int64"};
  return names;
}

// The one argument of a Swift Set type, if the type is one.
const IRType* setElement(const IRType& type) {
  const auto* named = type.as<IRType::named>();
  return named && named->name == "Set" && named->args.size() == 1 ? &named->args.front() : nullptr;
}

}  // namespace

void Writer::line(std::string_view text) {
  if (text.empty()) {
    lines.emplace_back();
    return;
  }
  // Each line is built in place at its final size: nested writers pass
  // whole blocks through here at every level, so this runs per output line
  // many times over.
  const std::size_t indent = static_cast<std::size_t>(level > 0 ? level : 0) * 4;
  text::forEachLine(text, text::LineEnds::lf, [&](std::string_view piece) {
    // A piece from a nested writer brings its own blanks; together they stay
    // within maxIndent, so lines deeper than that all stand at maxIndent.
    std::size_t own = 0;
    while (own < piece.size() && own < maxIndent && piece[own] == ' ') ++own;
    const std::size_t added = std::min(indent, maxIndent - own);
    std::string& line = lines.emplace_back();
    line.reserve(added + piece.size());
    line.append(added, ' ').append(piece);
  });
}

void EmitScope::declare(std::string name) {
  localTypes.back().erase(name);
  unsetLocals.back().erase(name);
  names.back().insert(std::move(name));
}

void EmitScope::declare(std::string name, const IRType& type, bool hasValue) {
  declare(name);
  if (!hasValue) unsetLocals.back().insert(name);
  if (!type.is<IRType::inferred>()) localTypes.back().insert_or_assign(std::move(name), type);
}

bool EmitScope::isUnsetLocal(std::string_view name) const {
  for (std::size_t i = names.size(); i-- > 0;) {
    if (names[i].contains(name)) return unsetLocals[i].contains(name);
  }
  return false;
}

std::optional<const IRType*> EmitScope::localType(std::string_view name) const {
  for (std::size_t i = names.size(); i-- > 1;) {
    if (!names[i].contains(name)) continue;
    const auto found = localTypes[i].find(name);
    return found == localTypes[i].end() ? nullptr : &found->second;
  }
  return std::nullopt;
}

void EmitScope::push() {
  names.emplace_back();
  localTypes.emplace_back();
  unsetLocals.emplace_back();
}

void EmitScope::pop() {
  if (names.size() > 1) {
    names.pop_back();
    localTypes.pop_back();
    unsetLocals.pop_back();
  }
}

bool EmitScope::knows(std::string_view name) const {
  for (const NameSet& frame : names) {
    if (frame.contains(name)) return true;
  }
  return inherited.contains(name);
}

KotlinEmitter::KotlinEmitter(ModuleSymbols symbols, std::string packageName)
    : module_(std::make_shared<const Module>(std::move(symbols))),
      symbols(module_->symbols),
      members(module_->members),
      packageName(std::move(packageName)) {}

void KotlinEmitter::warn(std::string_view source, std::string message) {
  warnings.push_back(ConversionWarning{.file = currentFile,
                                       .message = std::move(message),
                                       .source = std::string(text::prefixGraphemes(source, warningSourceLength))});
}

std::string KotlinEmitter::freshName(std::string_view prefix) {
  labelCounter += 1;
  return std::string(prefix) + std::to_string(labelCounter);
}

std::string KotlinEmitter::todo(std::string_view source, std::string_view message) {
  unsupportedCount += 1;
  warn(source, std::string(message));
  const std::string shown = "tovrane: " + std::string(text::prefixGraphemes(source, placeholderSourceLength));
  return "TODO(" + stringLiteral(shown) + ")";
}

namespace {

// Aliases that name aliases are followed this far; an alias that names
// itself («typealias ID = Node.ID») stops there.
constexpr int maxAliasDepth = 8;

std::string_view parentPath(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : path.substr(0, dot);
}

}  // namespace

std::optional<std::string> KotlinEmitter::typePath(std::string_view name) const {
  if (name == "Self" && scope.typeName && symbols.isTypePath(*scope.typeName)) return scope.typeName;
  return symbols.typePath(name, scope.typeName ? std::string_view(*scope.typeName) : std::string_view());
}

std::optional<std::string> KotlinEmitter::moduleTypeOf(const IRType& type) const {
  const auto* named = type.as<IRType::named>();
  return named ? typePath(named->name) : std::nullopt;
}

IRType KotlinEmitter::qualified(const IRType& type, std::string_view context) const {
  if (const auto* named = type.as<IRType::named>()) {
    IRType::named result{named->name, {}};
    if (named->name == "Self" && symbols.isTypePath(context)) {
      result.name = context;
    } else if (std::optional<std::string> path = symbols.typePath(named->name, context)) {
      result.name = std::move(*path);
    }
    for (const IRType& arg : named->args) result.args.push_back(qualified(arg, context));
    return result;
  }
  if (const auto* optional = type.as<IRType::optional>()) {
    return IRType::optional{qualified(*optional->wrapped, context)};
  }
  if (const auto* array = type.as<IRType::array>()) return IRType::array{qualified(*array->element, context)};
  if (const auto* dictionary = type.as<IRType::dictionary>()) {
    return IRType::dictionary{qualified(*dictionary->key, context), qualified(*dictionary->value, context)};
  }
  if (const auto* tuple = type.as<IRType::tuple>()) {
    std::vector<IRType> elements;
    for (const IRType& element : tuple->elements) elements.push_back(qualified(element, context));
    return IRType::tuple{std::move(elements)};
  }
  if (const auto* function = type.as<IRType::function>()) {
    std::vector<IRType> params;
    for (const IRType& param : function->params) params.push_back(qualified(param, context));
    return IRType::function{std::move(params), qualified(*function->result, context)};
  }
  return type;
}

std::optional<IRType> KotlinEmitter::memberType(std::string_view name) const {
  // The type that declares the member, and the member's name.
  std::optional<std::string> owner;
  std::string_view member = name;
  if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos) {
    owner = typePath(name.substr(0, dot));
    if (!owner) return std::nullopt;
    member = name.substr(dot + 1);
  }
  // A simple name is an alias of the type being written or of a type
  // around it, innermost first.
  std::string_view context = owner ? std::string_view(*owner)
                                   : scope.typeName ? std::string_view(*scope.typeName) : std::string_view();
  for (; !context.empty(); context = owner ? std::string_view() : parentPath(context)) {
    const auto type = symbols.types.find(context);
    if (type == symbols.types.end()) continue;
    if (const auto alias = type->second.typealiases.find(std::string(member));
        alias != type->second.typealiases.end()) {
      return qualified(alias->second, context);
    }
    // Identifiable's ID is the type of `id`.
    if (member == "ID") {
      if (const IRProperty* id = members.type(context).instanceProperty("id")) return qualified(id->type, context);
    }
  }
  return std::nullopt;
}

std::string KotlinEmitter::typeName(std::string_view name) const { return typeNameAt(name, 0); }

std::string KotlinEmitter::typeNameAt(std::string_view name, int depth) const {
  if (std::optional<std::string> path = typePath(name)) return kwNested(*path);
  if (name == "Self" && scope.typeName) return kwPath(*scope.typeName);
  if (depth < maxAliasDepth) {
    if (const std::optional<IRType> aliased = memberType(name)) return ktAt(*aliased, depth + 1);
  }
  for (const auto& [swift, kotlin] : kotlinTypeNames) {
    if (swift == name) return std::string(kotlin);
  }
  return kwPath(name);
}

std::string KotlinEmitter::kt(const IRType& type) const { return ktAt(type, 0); }

std::string KotlinEmitter::ktAt(const IRType& type, int depth) const {
  const auto kt = [this, depth](const IRType& inner) { return ktAt(inner, depth); };
  if (const auto* named = type.as<IRType::named>()) {
    if (const IRType* element = setElement(type)) return "MutableSet<" + kt(*element) + ">";
    if (named->name == "Result" && !named->args.empty()) return "Result<" + kt(named->args.front()) + ">";
    std::string text = typeNameAt(named->name, depth);
    if (named->args.empty()) return text;
    std::vector<std::string> args;
    for (const IRType& arg : named->args) args.push_back(kt(arg));
    return text + "<" + text::join(args, ", ") + ">";
  }
  if (const auto* optional = type.as<IRType::optional>()) {
    std::string wrapped = kt(*optional->wrapped);
    // An optional of an inferred type is still inferred: "?" alone would be
    // written as a type annotation.
    if (wrapped.empty() || text::endsWith(wrapped, "?")) return wrapped;
    if (wrapped.find("->") != std::string::npos) return "(" + wrapped + ")?";
    return wrapped + "?";
  }
  if (const auto* array = type.as<IRType::array>()) return "MutableList<" + kt(*array->element) + ">";
  if (const auto* dictionary = type.as<IRType::dictionary>()) {
    return "MutableMap<" + kt(*dictionary->key) + ", " + kt(*dictionary->value) + ">";
  }
  if (const auto* tuple = type.as<IRType::tuple>()) {
    const auto& e = tuple->elements;
    if (e.size() == 2) return "Pair<" + kt(e[0]) + ", " + kt(e[1]) + ">";
    if (e.size() == 3) return "Triple<" + kt(e[0]) + ", " + kt(e[1]) + ", " + kt(e[2]) + ">";
    return "Any";
  }
  if (const auto* function = type.as<IRType::function>()) {
    static const IRType voidType = IRType::named{"Void", {}};
    std::vector<std::string> params;
    for (const IRType& param : function->params) {
      if (param != voidType) params.push_back(kt(param));
    }
    std::string result = kt(*function->result);
    return "(" + text::join(params, ", ") + ") -> " + (result.empty() ? "Unit" : result);
  }
  return "";
}

bool KotlinEmitter::isNumeric(const IRType& type, const NameSet& names) const {
  if (const auto* named = type.as<IRType::named>()) return names.contains(named->name);
  if (const auto* optional = type.as<IRType::optional>()) return isNumeric(*optional->wrapped, names);
  return false;
}

std::optional<std::string> KotlinEmitter::charLiteral(const IRExpr& value) {
  const auto* literal = value.as<IRExpr::stringLit>();
  if (!literal || literal->parts.size() != 1) return std::nullopt;
  const auto* piece = literal->parts.front().as<IRStringPart::text>();
  if (!piece) return std::nullopt;
  const std::string escaped = escapeSwiftText(piece->value);
  if (escaped == "'") return "'\\''";
  // An escape that Kotlin's char literals know as well («\n», «\$» …).
  if (escaped.size() == 2 && escaped[0] == '\\' && std::string_view("\\\"ntr$b").find(escaped[1]) != std::string_view::npos) {
    return "'" + escaped + "'";
  }
  // One character of the basic plane: a Kotlin Char holds no more.
  const auto lead = static_cast<unsigned char>(escaped.empty() ? 0 : escaped[0]);
  const std::size_t width = lead < 0x80 ? 1 : lead >= 0xE0 && lead < 0xF0 ? 3 : lead >= 0xC0 && lead < 0xE0 ? 2 : 0;
  if (width == 0 || escaped.size() != width || escaped == "\\") return std::nullopt;
  return "'" + escaped + "'";
}

std::string KotlinEmitter::coerced(const IRExpr& value, const IRType& type) {
  if (isNumeric(type, characterNames())) {
    if (std::optional<std::string> character = charLiteral(value)) return *character;
  }
  const auto* intLit = value.as<IRExpr::intLit>();
  if (isNumeric(type, doubleNames())) {
    if (intLit) return intLit->text + ".0";
    if (const auto* prefix = value.as<IRExpr::prefix>(); prefix && prefix->op == "-") {
      if (const auto* operand = prefix->operand->as<IRExpr::intLit>()) return "-" + operand->text + ".0";
    }
  }
  if (isNumeric(type, floatNames())) {
    if (intLit) return intLit->text + "f";
    if (const auto* floatLit = value.as<IRExpr::floatLit>()) return floatLit->text + "f";
    // Kotlin converts no number to Float on its own, a negated one neither.
    if (const auto* prefix = value.as<IRExpr::prefix>(); prefix && prefix->op == "-" &&
                                                         isNumberLiteral(*prefix->operand)) {
      return "-" + coerced(*prefix->operand, type);
    }
  }
  if (intLit && isNumeric(type, longNames())) return intLit->text + "L";

  const auto coercedAll = [this](const std::vector<IRExpr>& elements, const IRType& elementType) {
    std::vector<std::string> texts;
    for (const IRExpr& element : elements) texts.push_back(coerced(element, elementType));
    return text::join(texts, ", ");
  };
  const auto* arrayLit = value.as<IRExpr::arrayLit>();
  if (const auto* array = type.as<IRType::array>(); arrayLit && array) {
    const std::string element = kt(*array->element);
    return "mutableListOf<" + element + ">(" + coercedAll(arrayLit->elements, *array->element) + ")";
  }
  const auto* dictLit = value.as<IRExpr::dictLit>();
  if (const auto* dictionary = type.as<IRType::dictionary>(); dictLit && dictionary) {
    std::vector<std::string> entries;
    for (const IRDictEntry& entry : dictLit->entries) {
      std::string key = coerced(entry.key, *dictionary->key);
      std::string mapped = coerced(entry.value, *dictionary->value);
      entries.push_back(std::move(key) + " to " + std::move(mapped));
    }
    return "mutableMapOf<" + kt(*dictionary->key) + ", " + kt(*dictionary->value) + ">(" +
           text::join(entries, ", ") + ")";
  }
  if (const IRType* element = setElement(type); element && arrayLit) {
    return "mutableSetOf<" + kt(*element) + ">(" + coercedAll(arrayLit->elements, *element) + ")";
  }
  // «0...1» where a range of doubles is expected: Kotlin builds the range
  // type from the bounds, so they are written as doubles.
  const auto* rangeType = type.as<IRType::named>();
  if (const auto* bounds = value.as<IRExpr::range>();
      bounds && bounds->lower && bounds->upper && bounds->op != "..<" && rangeType && rangeType->name == "ClosedRange" &&
      rangeType->args.size() == 1) {
    const IRType& bound = rangeType->args.front();
    std::string lower = coerced(**bounds->lower, bound);
    std::string upper = coerced(**bounds->upper, bound);
    return "(" + lower + ".." + upper + ")";
  }
  if (type.is<IRType::optional>() && value.is<IRExpr::nilLit>()) return "null";
  return expr(value, Hint{.type = type});
}

std::optional<std::string> KotlinEmitter::defaultValue(const IRType& type) const {
  if (const auto* named = type.as<IRType::named>()) {
    const std::string name = typeName(named->name);
    if (name == "Int") return "0";
    if (name == "Long") return "0L";
    if (name == "Double") return "0.0";
    if (name == "Float") return "0f";
    if (name == "String") return "\"\"";
    if (name == "Boolean") return "false";
    return std::nullopt;
  }
  if (type.is<IRType::optional>()) return "null";
  if (const auto* array = type.as<IRType::array>()) return "mutableListOf<" + kt(*array->element) + ">()";
  if (const auto* dictionary = type.as<IRType::dictionary>()) {
    return "mutableMapOf<" + kt(*dictionary->key) + ", " + kt(*dictionary->value) + ">()";
  }
  return std::nullopt;
}

}  // namespace tovrane
