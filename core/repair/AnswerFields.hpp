#pragma once
// Lenient reading of the JSON that models, tools and the local server send
// back: a missing field, or one of another type than expected, counts as
// absent (an empty text, a count of 0, an empty list). Answers are untrusted
// and vary between versions; none of these readers throws.
#include "core/support/Json.hpp"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace tovrane::answer {

// The member `key` of an object; a null value when value is no object or lacks it.
inline const json::Json& field(const json::Json& value, std::string_view key) {
  static const json::Json absent;
  if (!value.is_object()) return absent;
  const auto found = value.find(key);
  return found == value.end() ? absent : *found;
}

inline std::string textOf(const json::Json& value) {
  return value.is_string() ? value.get<std::string>() : std::string();
}

// More than any answer reports; sums of many such counts stay far from overflow.
inline constexpr long long maxCount = 1'000'000'000'000;

// A count below zero is none, one above maxCount is maxCount.
inline long long countOf(const json::Json& value) {
  if (value.is_number_unsigned())
    return static_cast<long long>(std::min<std::uint64_t>(value.get<std::uint64_t>(), maxCount));
  if (value.is_number_integer()) return std::clamp<long long>(value.get<long long>(), 0, maxCount);
  return 0;
}

// The value when it is a list, else an empty list.
inline const json::Json& elements(const json::Json& value) {
  static const json::Json empty = json::Json::array();
  return value.is_array() ? value : empty;
}

}  // namespace tovrane::answer
