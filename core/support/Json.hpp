#pragma once
// The project's JSON conventions over nlohmann-json. Documents whose key
// order is written as given use OrderedJson; compact dumps have no spaces,
// pretty dumps indent by two blanks. Invalid UTF-8 in strings is replaced
// by U+FFFD on output rather than failing the whole document.
#include <nlohmann/json.hpp>

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tovrane::json {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

std::string dumpCompact(const OrderedJson& value);
std::string dumpPretty(const OrderedJson& value);
std::string dumpCompact(const Json& value);
std::string dumpPretty(const Json& value);

// Parses text; nullopt when it is not one JSON document.
std::optional<Json> tryParse(std::string_view text);
std::optional<OrderedJson> tryParseOrdered(std::string_view text);

// A missing or mistyped value met by a strict reader; the message names the
// JSON path of the value (for example "$.files[2].decls").
class ReadError : public std::runtime_error {
 public:
  ReadError(std::string path, std::string message);
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A strict, typed view of one value together with its path. Accessors throw
// ReadError naming the path when a value is missing or of another type.
class Reader {
 public:
  Reader(const Json& value, std::string path = "$") : value_(&value), path_(std::move(path)) {}

  const Json& value() const { return *value_; }
  const std::string& path() const { return path_; }

  bool has(std::string_view key) const;
  Reader at(std::string_view key) const;                  // object member, required
  std::optional<Reader> optional(std::string_view key) const;  // absent or null → nullopt
  Reader at(std::size_t index) const;                     // array element
  std::size_t size() const;                               // array or object size

  std::string string() const;
  bool boolean() const;
  long long integer() const;
  double number() const;
  const Json& object() const;
  const Json& array() const;

  [[noreturn]] void fail(const std::string& message) const;

 private:
  [[noreturn]] void typeError(const char* expected) const;
  const Json* value_;
  std::string path_;
};

}  // namespace tovrane::json
