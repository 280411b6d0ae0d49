// Both directions are driven by one key table per record and per union case
// (IRJsonKeys.hpp): the encoder and the reader walk the same member list, so a
// key can only be spelled once.
#include "core/ir/IRJson.hpp"

#include "core/ir/IRJsonKeys.hpp"
#include "core/ir/IRJsonTree.hpp"
#include "core/support/LargeStack.hpp"
#include "core/support/Text.hpp"

#include <algorithm>
#include <array>
#include <map>
#include <utility>

namespace tovrane {
namespace {

using Value = irjson::JsonTree::Ref;

template <typename T>
inline constexpr bool isOptional = false;
template <typename T>
inline constexpr bool isOptional<std::optional<T>> = true;

template <typename T>
inline constexpr bool isVector = false;
template <typename T>
inline constexpr bool isVector<std::vector<T>> = true;

template <typename T>
inline constexpr bool isBox = false;
template <typename T>
inline constexpr bool isBox<Box<T>> = true;

template <typename T>
concept Union = requires { typename T::Node; };

template <typename T>
struct UnionCases;
template <typename... Cases>
struct UnionCases<std::variant<Cases...>> {
  static constexpr std::array<std::string_view, sizeof...(Cases)> names{irjson::Keys<Cases>::shape.name...};
};

// Thrown inside the encoder when the tree nests too deeply; caught at the entry.
struct TooDeep {};

// Raises the nesting depth for one IR value and lowers it again on the way out.
class DepthGuard {
 public:
  template <typename OnTooDeep>
  DepthGuard(std::size_t& depth, OnTooDeep onTooDeep) : depth_(depth) {
    if (++depth_ > irJsonMaxDepth) {
      --depth_;
      onTooDeep();
    }
  }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  std::size_t& depth_;
};

// ---------------------------------------------------------------- writing

// Literals are appended as string views: their length is known, so no
// strlen runs for every bracket and key of a large module.
using std::string_view_literals::operator""sv;

// Writes the compact text straight into one string. Building a JSON document
// first costs allocations per object and key; on a module of 675k nodes it
// took ten times as long.
class Encoder {
 public:
  std::string take() { return std::move(out_); }

  template <typename T>
  void encode(const T& value) {
    if constexpr (std::is_same_v<T, std::string>) {
      string(value);
    } else if constexpr (std::is_same_v<T, bool>) {
      out_ += value ? "true" : "false";
    } else if constexpr (std::is_same_v<T, IRTypeKind>) {
      string(rawValue(value));
    } else if constexpr (isOptional<T>) {
      // Only list elements reach here (the bindings of enumCase): absent is null.
      if (value)
        encode(*value);
      else
        out_ += "null"sv;
    } else if constexpr (isBox<T>) {
      encode(*value);
    } else if constexpr (isVector<T>) {
      out_ += '[';
      for (std::size_t i = 0; i < value.size(); ++i) {
        if (i) out_ += ',';
        encode(value[i]);
      }
      out_ += ']';
    } else if constexpr (std::is_same_v<T, std::map<std::string, IRType>>) {
      out_ += '{';
      bool first = true;
      for (const auto& [name, type] : value) {
        if (!first) out_ += ',';
        first = false;
        string(name);
        out_ += ':';
        encode(type);
      }
      out_ += '}';
    } else if constexpr (Union<T>) {
      const DepthGuard guard(depth_, [] { throw TooDeep{}; });
      std::visit(
          [&](const auto& payload) {
            using Case = std::remove_cvref_t<decltype(payload)>;
            out_ += "{\""sv;
            out_ += irjson::Keys<Case>::shape.name;
            out_ += "\":"sv;
            fields(payload);
            out_ += '}';
          },
          value.node);
    } else {
      const DepthGuard guard(depth_, [] { throw TooDeep{}; });
      fields(value);
    }
  }

 private:
  // One key per member in table order; absent optionals are left out.
  template <typename S>
  void fields(const S& value) {
    out_ += '{';
    bool first = true;
    std::apply(
        [&](const auto&... field) {
          (
              [&] {
                const auto& member = value.*(field.member);
                using M = std::remove_cvref_t<decltype(member)>;
                if constexpr (isOptional<M>) {
                  if (!member) return;
                }
                if (!first) out_ += ',';
                first = false;
                // Keys are plain identifiers and need no escaping.
                out_ += '"';
                out_ += field.key;
                out_ += "\":"sv;
                if constexpr (isOptional<M>)
                  encode(*member);
                else
                  encode(member);
              }(),
              ...);
        },
        irjson::Keys<S>::shape.fields);
    out_ += '}';
  }

  // A JSON string: quotation mark, backslash and control characters escaped;
  // bytes that are not UTF-8 become U+FFFD so the file stays valid JSON.
  void string(std::string_view value) {
    std::string repaired;
    if (!text::isValidUtf8(value)) {
      repaired = text::decodeLossy(value);
      value = repaired;
    }
    out_ += '"';
    // Runs of characters that need no escape are appended whole.
    std::size_t run = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
      const char c = value[i];
      if (static_cast<unsigned char>(c) >= 0x20 && c != '"' && c != '\\') continue;
      out_.append(value.substr(run, i - run));
      run = i + 1;
      switch (c) {
        case '"': out_ += "\\\""sv; break;
        case '\\': out_ += "\\\\"sv; break;
        case '\n': out_ += "\\n"sv; break;
        case '\r': out_ += "\\r"sv; break;
        case '\t': out_ += "\\t"sv; break;
        case '\b': out_ += "\\b"sv; break;
        case '\f': out_ += "\\f"sv; break;
        default: {
          static constexpr char hex[] = "0123456789abcdef";
          out_ += "\\u00"sv;
          out_ += hex[(c >> 4) & 0xF];
          out_ += hex[c & 0xF];
        }
      }
    }
    out_.append(value.substr(run));
    out_ += '"';
  }

  std::string out_;
  std::size_t depth_ = 0;
};

// ---------------------------------------------------------------- reading

// One step of the path from the document to a value. Kept on the C++ stack
// and only turned into text when reading fails, so deep trees stay linear.
struct PathStep {
  const PathStep* parent = nullptr;
  std::string_view key;  // empty for an array index
  std::size_t index = 0;
};

std::string pathText(const PathStep* step) {
  std::vector<const PathStep*> steps;
  for (; step; step = step->parent) steps.push_back(step);
  std::string text = "$";
  for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
    if ((*it)->key.empty())
      text += "[" + std::to_string((*it)->index) + "]";
    else
      text += "." + std::string((*it)->key);
  }
  return text;
}

struct DecodeFailure {
  IRJsonError error;
};

const char* kindName(Value value) {
  switch (value.kind()) {
    case irjson::JsonTree::Kind::null: return "null";
    case irjson::JsonTree::Kind::object: return "Objekt";
    case irjson::JsonTree::Kind::array: return "Liste";
    case irjson::JsonTree::Kind::string: return "Text";
    case irjson::JsonTree::Kind::boolean: return "Wahrheitswert";
    case irjson::JsonTree::Kind::number: return "Zahl";
  }
  return "Zahl";
}

class Decoder {
 public:
  template <typename T>
  T decode(Value value, const PathStep* path) {
    if constexpr (std::is_same_v<T, std::string>) {
      if (!value.isString()) mismatch(value, path, "Text");
      return std::string(value.text());
    } else if constexpr (std::is_same_v<T, bool>) {
      if (!value.isBoolean()) mismatch(value, path, "Wahrheitswert");
      return value.boolean();
    } else if constexpr (std::is_same_v<T, IRTypeKind>) {
      const auto& text = decode<std::string>(value, path);
      const auto kind = irTypeKindFromRawValue(text);
      if (!kind) fail(IRJsonError::Kind::dataCorrupted, path, "Unbekannte Typart „" + text + "“.");
      return *kind;
    } else if constexpr (isOptional<T>) {
      // Only list elements reach here (the bindings of enumCase): null is absent.
      if (value.isNull()) return std::nullopt;
      return decode<typename T::value_type>(value, path);
    } else if constexpr (isBox<T>) {
      return T(decode<typename T::element_type>(value, path));
    } else if constexpr (isVector<T>) {
      if (!value.isArray()) mismatch(value, path, "Liste");
      T list;
      list.reserve(value.childCount());
      value.forEachChild([&](Value element) {
        const PathStep step{path, {}, list.size()};
        list.push_back(decode<typename T::value_type>(element, &step));
      });
      return list;
    } else if constexpr (std::is_same_v<T, std::map<std::string, IRType>>) {
      if (!value.isObject()) mismatch(value, path, "Objekt");
      T map;
      value.forEachChild([&](Value type) {
        const PathStep step{path, type.key(), 0};
        map.insert_or_assign(std::string(type.key()), decode<IRType>(type, &step));
      });
      return map;
    } else if constexpr (Union<T>) {
      const DepthGuard guard(depth_, [&] { tooDeep(path); });
      return decodeUnion<T>(value, path);
    } else {
      const DepthGuard guard(depth_, [&] { tooDeep(path); });
      return fields<T>(value, path);
    }
  }

 private:
  template <typename U>
  U decodeUnion(Value value, const PathStep* path) {
    if (!value.isObject()) mismatch(value, path, "Objekt");
    constexpr auto& names = UnionCases<typename U::Node>::names;
    // Keys that name no case are ignored; exactly one must name a case.
    std::size_t count = 0;
    std::size_t found = 0;
    std::optional<Value> payload;
    value.forEachChild([&](Value member) {
      const auto index = static_cast<std::size_t>(std::find(names.begin(), names.end(), member.key()) - names.begin());
      if (index == names.size()) return;
      ++count;
      found = index;
      payload = member;
    });
    if (count != 1) fail(IRJsonError::Kind::typeMismatch, path, "Invalid number of keys found, expected one.");
    const PathStep step{path, payload->key(), 0};
    return caseReaders<U>(std::make_index_sequence<names.size()>{})[found](*this, *payload, &step);
  }

  template <typename U, std::size_t... I>
  static constexpr auto caseReaders(std::index_sequence<I...>) {
    using Reader = U (*)(Decoder&, Value, const PathStep*);
    return std::array<Reader, sizeof...(I)>{[](Decoder& self, Value payload, const PathStep* path) {
      return U(self.fields<std::variant_alternative_t<I, typename U::Node>>(payload, path));
    }...};
  }

  // Builds S from its members in table order, so the first failing member
  // (in declaration order) is the one reported.
  template <typename S>
  S fields(Value value, const PathStep* path) {
    if (!value.isObject()) mismatch(value, path, "Objekt");
    return std::apply([&](const auto&... field) { return S{member(value, path, field)...}; },
                      irjson::Keys<S>::shape.fields);
  }

  template <typename Field>
  typename Field::Type member(Value object, const PathStep* path, const Field& field) {
    using M = typename Field::Type;
    const auto value = object.find(field.key);
    const PathStep step{path, field.key, 0};
    if constexpr (isOptional<M>) {
      if (!value || value->isNull()) return std::nullopt;
      return decode<typename M::value_type>(*value, &step);
    } else {
      if (!value) fail(IRJsonError::Kind::keyNotFound, &step, "Schlüssel „" + std::string(field.key) + "“ fehlt.");
      if (value->isNull())
        fail(IRJsonError::Kind::valueNotFound, &step, "Wert für „" + std::string(field.key) + "“ ist null.");
      return decode<M>(*value, &step);
    }
  }

  [[noreturn]] static void fail(IRJsonError::Kind kind, const PathStep* path, std::string message) {
    throw DecodeFailure{{kind, pathText(path), std::move(message)}};
  }

  [[noreturn]] static void mismatch(Value value, const PathStep* path, const char* expected) {
    fail(IRJsonError::Kind::typeMismatch, path,
         std::string("Erwartet: ") + expected + ", gefunden: " + kindName(value) + ".");
  }

  [[noreturn]] static void tooDeep(const PathStep* path) {
    fail(IRJsonError::Kind::dataCorrupted, path,
         "Zu tief verschachtelt (mehr als " + std::to_string(irJsonMaxDepth) + " Ebenen).");
  }

  std::size_t depth_ = 0;
};

}  // namespace

// Both directions recurse once per nesting level; running them on a large
// stack lets the depth limit, not the caller's thread, decide how deep a tree
// may go.
template <typename T>
std::optional<std::string> encodeIRJson(const T& value) {
  std::optional<std::string> text;
  runWithLargeStack([&] {
    try {
      Encoder encoder;
      encoder.encode(value);
      text = encoder.take();
    } catch (const TooDeep&) {
    }
  });
  return text;
}

template <typename T>
std::variant<T, IRJsonError> decodeIRJson(std::string_view text) {
  std::optional<std::variant<T, IRJsonError>> result;
  runWithLargeStack([&] {
    const auto document = irjson::JsonTree::parse(text);
    if (!document) {
      result = IRJsonError{IRJsonError::Kind::dataCorrupted, "$", "Kein gültiges JSON."};
      return;
    }
    try {
      result = Decoder().decode<T>(document->root(), nullptr);
    } catch (const DecodeFailure& failure) {
      result = failure.error;
    }
  });
  return std::move(*result);
}

#define TOVRANE_IR_JSON_INSTANTIATE(T)                                  \
  template std::optional<std::string> encodeIRJson<T>(const T& value); \
  template std::variant<T, IRJsonError> decodeIRJson<T>(std::string_view text);
TOVRANE_IR_JSON_INSTANTIATE(IRModule)
TOVRANE_IR_JSON_INSTANTIATE(IRFile)
TOVRANE_IR_JSON_INSTANTIATE(IRDecl)
TOVRANE_IR_JSON_INSTANTIATE(IRTypeDecl)
TOVRANE_IR_JSON_INSTANTIATE(IRProperty)
TOVRANE_IR_JSON_INSTANTIATE(IRFunction)
TOVRANE_IR_JSON_INSTANTIATE(IRParam)
TOVRANE_IR_JSON_INSTANTIATE(IREnumCase)
TOVRANE_IR_JSON_INSTANTIATE(IRType)
TOVRANE_IR_JSON_INSTANTIATE(IRStmt)
TOVRANE_IR_JSON_INSTANTIATE(IRCondition)
TOVRANE_IR_JSON_INSTANTIATE(IRPattern)
TOVRANE_IR_JSON_INSTANTIATE(IRSwitchCase)
TOVRANE_IR_JSON_INSTANTIATE(IRExpr)
TOVRANE_IR_JSON_INSTANTIATE(IRArg)
TOVRANE_IR_JSON_INSTANTIATE(IRClosure)
TOVRANE_IR_JSON_INSTANTIATE(IRStringPart)
TOVRANE_IR_JSON_INSTANTIATE(IRDictEntry)
#undef TOVRANE_IR_JSON_INSTANTIATE

}  // namespace tovrane
