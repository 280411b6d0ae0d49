#include "core/backend/ConversionWarning.hpp"

namespace tovrane {

json::OrderedJson toJson(const ConversionWarning& warning) {
  json::OrderedJson object = json::OrderedJson::object();
  object["file"] = warning.file;
  object["message"] = warning.message;
  object["source"] = warning.source;
  return object;
}

ConversionWarning readConversionWarning(const json::Reader& reader) {
  return ConversionWarning{.file = reader.at("file").string(),
                           .message = reader.at("message").string(),
                           .source = reader.at("source").string()};
}

}  // namespace tovrane

std::size_t std::hash<tovrane::ConversionWarning>::operator()(
    const tovrane::ConversionWarning& warning) const noexcept {
  // Each field's hash is mixed into the running value, so moving text from
  // one field to the next changes the result.
  constexpr auto golden = static_cast<std::size_t>(0x9e3779b97f4a7c15ULL);
  std::size_t seed = 0;
  for (const std::string* field : {&warning.file, &warning.message, &warning.source}) {
    seed ^= std::hash<std::string>{}(*field) + golden + (seed << 6) + (seed >> 2);
  }
  return seed;
}
