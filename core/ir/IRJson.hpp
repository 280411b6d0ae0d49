#pragma once
// The JSON form of the IR, as left in ".tovrane/ir.json": records are objects
// keyed by field name, absent optionals are left out, a union is an object
// with one key (the case name) whose value holds the payload keyed by label or
// by "_" and the payload position. The text is compact UTF-8 without a final
// newline. The reader is strict: it requires every key the writer always
// writes, fills in no defaults and stops at the first failure, naming the
// path of keys and indices that leads to the offending value.
#include "core/ir/IR.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tovrane {

// Deepest nesting of IR values (unions and records) that is written or read.
// Far beyond real source files; it bounds the recursion of both directions so
// that a pathological tree or a hostile file ends in a failure, not a crash.
inline constexpr std::size_t irJsonMaxDepth = 10000;

// Why a text could not be read back into an IR value.
struct IRJsonError {
  enum class Kind {
    keyNotFound,    // a required key is missing
    valueNotFound,  // a required value is null
    typeMismatch,   // a value of the wrong JSON kind, or a union without exactly one case key
    dataCorrupted,  // not JSON at all, an unknown type kind, or nesting beyond irJsonMaxDepth
  };
  Kind kind = Kind::dataCorrupted;
  // "$" is the document; ".key" and "[index]" lead down to the failing value.
  std::string path;
  std::string message;
};

// Compact JSON text of any IR value (IRModule for the ir.json file). Fails,
// giving nullopt, only for a tree nested deeper than irJsonMaxDepth.
template <typename T>
std::optional<std::string> encodeIRJson(const T& value);

// Reads an IR value of type T from JSON text (IRModule for a whole ir.json).
template <typename T>
std::variant<T, IRJsonError> decodeIRJson(std::string_view text);

}  // namespace tovrane
