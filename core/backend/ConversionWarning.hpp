#pragma once
// One problem met while translating, as the conversion result, the warnings
// file, the report and the project history carry it.
#include <cstddef>
#include <functional>
#include <string>

#include "core/support/Json.hpp"

namespace tovrane {

// The IR file (path relative to the project), a German message naming the
// problem and the Swift text concerned.
struct ConversionWarning {
  std::string file;
  std::string message;
  std::string source;
  bool operator==(const ConversionWarning&) const = default;
};

// {"file", "message", "source"}, in that (sorted) order.
json::OrderedJson toJson(const ConversionWarning& warning);
// Reads the object written by toJson; all three keys must be strings.
// Throws json::ReadError naming the offending path.
ConversionWarning readConversionWarning(const json::Reader& reader);

}  // namespace tovrane

// Over the same three fields as equality, so equal warnings hash alike: the
// history and the warnings list keep warnings in hashed sets.
template <>
struct std::hash<tovrane::ConversionWarning> {
  std::size_t operator()(const tovrane::ConversionWarning& warning) const noexcept;
};
