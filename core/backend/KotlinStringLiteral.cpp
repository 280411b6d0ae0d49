#include "core/backend/KotlinStringLiteral.hpp"

namespace tovrane {

std::string stringLiteral(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  // All escaped characters are ASCII, so a byte-wise pass cannot split a
  // multi-byte UTF-8 sequence.
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '$': out += "\\$"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  out += '"';
  return out;
}

}  // namespace tovrane
