#include "core/support/Json.hpp"

namespace tovrane::json {
namespace {

template <typename J>
std::string dump(const J& value, int indent) {
  return value.dump(indent, ' ', false, nlohmann::detail::error_handler_t::replace);
}

template <typename J>
std::optional<J> parse(std::string_view text) {
  J value = J::parse(text.begin(), text.end(), nullptr, false);
  if (value.is_discarded()) return std::nullopt;
  return value;
}

const char* typeName(const Json& value) {
  switch (value.type()) {
    case Json::value_t::null: return "null";
    case Json::value_t::object: return "Objekt";
    case Json::value_t::array: return "Liste";
    case Json::value_t::string: return "Text";
    case Json::value_t::boolean: return "Wahrheitswert";
    case Json::value_t::number_float: return "Zahl";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned: return "ganze Zahl";
    default: return "unbekannter Wert";
  }
}

}  // namespace

std::string dumpCompact(const OrderedJson& value) { return dump(value, -1); }
std::string dumpPretty(const OrderedJson& value) { return dump(value, 2); }
std::string dumpCompact(const Json& value) { return dump(value, -1); }
std::string dumpPretty(const Json& value) { return dump(value, 2); }

std::optional<Json> tryParse(std::string_view text) { return parse<Json>(text); }
std::optional<OrderedJson> tryParseOrdered(std::string_view text) { return parse<OrderedJson>(text); }

ReadError::ReadError(std::string path, std::string message)
    : std::runtime_error(path + ": " + message), path_(std::move(path)) {}

void Reader::fail(const std::string& message) const { throw ReadError(path_, message); }

void Reader::typeError(const char* expected) const {
  fail(std::string("erwartet ") + expected + ", gefunden " + typeName(*value_));
}

bool Reader::has(std::string_view key) const {
  return value_->is_object() && value_->find(key) != value_->end();
}

Reader Reader::at(std::string_view key) const {
  if (!value_->is_object()) typeError("Objekt");
  auto it = value_->find(key);
  const std::string path = path_ + "." + std::string(key);
  if (it == value_->end()) throw ReadError(path, "Wert fehlt");
  return Reader(*it, path);
}

std::optional<Reader> Reader::optional(std::string_view key) const {
  if (!value_->is_object()) typeError("Objekt");
  auto it = value_->find(key);
  if (it == value_->end() || it->is_null()) return std::nullopt;
  return Reader(*it, path_ + "." + std::string(key));
}

Reader Reader::at(std::size_t index) const {
  if (!value_->is_array()) typeError("Liste");
  const std::string path = path_ + "[" + std::to_string(index) + "]";
  if (index >= value_->size()) throw ReadError(path, "Wert fehlt");
  return Reader((*value_)[index], path);
}

std::size_t Reader::size() const {
  if (!value_->is_array() && !value_->is_object()) typeError("Liste");
  return value_->size();
}

std::string Reader::string() const {
  if (!value_->is_string()) typeError("Text");
  return value_->get<std::string>();
}

bool Reader::boolean() const {
  if (!value_->is_boolean()) typeError("Wahrheitswert");
  return value_->get<bool>();
}

long long Reader::integer() const {
  if (value_->is_number_integer()) {
    if (value_->is_number_unsigned() && value_->get<unsigned long long>() > 9223372036854775807ULL)
      fail("Zahl zu groß");
    return value_->get<long long>();
  }
  typeError("ganze Zahl");
}

double Reader::number() const {
  if (!value_->is_number()) typeError("Zahl");
  return value_->get<double>();
}

const Json& Reader::object() const {
  if (!value_->is_object()) typeError("Objekt");
  return *value_;
}

const Json& Reader::array() const {
  if (!value_->is_array()) typeError("Liste");
  return *value_;
}

}  // namespace tovrane::json
