#include "core/backend/ConversionWarning.hpp"

#include "core/support/Text.hpp"

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
  return tovrane::text::hashOfParts({warning.file, warning.message, warning.source});
}
