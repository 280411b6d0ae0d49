#include "core/support/Text.hpp"

#include <algorithm>

#include <utf8proc.h>

namespace tovrane::text {
namespace {

constexpr char32_t replacement = 0xFFFD;

// Decodes one scalar at text[pos]. Returns its byte length, or 0 when the
// bytes there do not start a valid sequence; `invalidLength` then receives
// the length of the maximal invalid subpart (at least 1).
std::size_t decodeAt(std::string_view text, std::size_t pos, char32_t& out, std::size_t& invalidLength) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char b0 = byte(pos);
  invalidLength = 1;
  if (b0 < 0x80) {
    out = b0;
    return 1;
  }
  std::size_t need;
  char32_t value;
  unsigned char lo = 0x80, hi = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 1;
    value = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 2;
    value = b0 & 0x0F;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 3;
    value = b0 & 0x07;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  for (std::size_t i = 1; i <= need; ++i) {
    if (pos + i >= text.size()) return 0;
    const unsigned char b = byte(pos + i);
    if (b < lo || b > hi) return 0;
    lo = 0x80;
    hi = 0xBF;
    value = (value << 6) | (b & 0x3F);
    invalidLength = i + 1;
  }
  out = value;
  return need + 1;
}

utf8proc_category_t category(std::string_view text) {
  if (text.empty()) return UTF8PROC_CATEGORY_CN;
  return utf8proc_category(static_cast<utf8proc_int32_t>(firstScalar(text)));
}

}  // namespace

void forEachGrapheme(std::string_view text, const std::function<bool(std::string_view)>& fn) {
  std::size_t start = 0, pos = 0;
  utf8proc_int32_t state = 0;
  char32_t previous = 0;
  bool previousValid = false;
  while (pos < text.size()) {
    char32_t c;
    std::size_t invalid;
    const std::size_t length = decodeAt(text, pos, c, invalid);
    if (length == 0) {
      // An invalid sequence stands alone, as if it were its own cluster.
      if (pos > start && !fn(text.substr(start, pos - start))) return;
      if (!fn(text.substr(pos, invalid))) return;
      pos += invalid;
      start = pos;
      previousValid = false;
      state = 0;
      continue;
    }
    if (previousValid && pos > start &&
        utf8proc_grapheme_break_stateful(static_cast<utf8proc_int32_t>(previous),
                                         static_cast<utf8proc_int32_t>(c), &state)) {
      if (!fn(text.substr(start, pos - start))) return;
      start = pos;
    } else if (!previousValid) {
      state = 0;
    }
    previous = c;
    previousValid = true;
    pos += length;
  }
  if (pos > start) fn(text.substr(start, pos - start));
}

std::vector<std::string_view> graphemes(std::string_view text) {
  std::vector<std::string_view> out;
  forEachGrapheme(text, [&](std::string_view g) {
    out.push_back(g);
    return true;
  });
  return out;
}

std::size_t graphemeCount(std::string_view text) {
  std::size_t n = 0;
  forEachGrapheme(text, [&](std::string_view) {
    ++n;
    return true;
  });
  return n;
}

std::string_view prefixGraphemes(std::string_view text, std::size_t n) {
  if (n == 0) return text.substr(0, 0);
  // ASCII without carriage returns (the common case): every byte is a
  // grapheme of its own. The byte after the prefix is checked too, since a
  // combining mark there would extend the last grapheme.
  const std::size_t look = n < text.size() ? n + 1 : text.size();
  if (std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(look),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80 && c != '\r'; }))
    return text.substr(0, n);
  std::size_t end = 0;
  std::size_t taken = 0;
  forEachGrapheme(text, [&](std::string_view g) {
    end += g.size();
    return ++taken < n;
  });
  return text.substr(0, end);
}

std::string_view dropGraphemes(std::string_view text, std::size_t n) {
  return text.substr(prefixGraphemes(text, n).size());
}

bool isValidUtf8(std::string_view bytes) {
  for (std::size_t pos = 0; pos < bytes.size();) {
    char32_t c;
    std::size_t invalid;
    const std::size_t length = decodeAt(bytes, pos, c, invalid);
    if (length == 0) return false;
    pos += length;
  }
  return true;
}

namespace {

// Decodes bytes as UTF-8; each maximal invalid subsequence and each scalar
// for which `replaced` holds becomes U+FFFD.
template <typename Replaced>
std::string decodeReplacing(std::string_view bytes, Replaced replaced) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t pos = 0; pos < bytes.size();) {
    char32_t c;
    std::size_t invalid;
    const std::size_t length = decodeAt(bytes, pos, c, invalid);
    if (length == 0 || replaced(c)) {
      appendUtf8(out, replacement);
      pos += length == 0 ? invalid : length;
    } else {
      out.append(bytes.substr(pos, length));
      pos += length;
    }
  }
  return out;
}

}  // namespace

std::string decodeLossy(std::string_view bytes) {
  return decodeReplacing(bytes, [](char32_t) { return false; });
}

std::string printable(std::string_view bytes) {
  return decodeReplacing(bytes, [](char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069) || c == 0xFFFE || c == 0xFFFF;
  });
}

std::optional<std::string> utf8FromUtf16(std::string_view bytes) {
  if (bytes.size() < 2 || bytes.size() % 2 != 0) return std::nullopt;
  const auto byte = [&](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(bytes[i])); };
  bool bigEndian;
  if (byte(0) == 0xFF && byte(1) == 0xFE) {
    bigEndian = false;
  } else if (byte(0) == 0xFE && byte(1) == 0xFF) {
    bigEndian = true;
  } else {
    return std::nullopt;
  }
  const auto unit = [&](std::size_t i) { return bigEndian ? (byte(i) << 8) | byte(i + 1) : (byte(i + 1) << 8) | byte(i); };
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 2; i < bytes.size(); i += 2) {
    char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 2 >= bytes.size()) return std::nullopt;
      const char32_t low = unit(i + 2);
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return std::nullopt;
    }
    appendUtf8(out, c);
  }
  return out;
}

bool appendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return true;
}

char32_t firstScalar(std::string_view text, std::size_t* length) {
  if (text.empty()) {
    if (length) *length = 0;
    return replacement;
  }
  char32_t c;
  std::size_t invalid;
  std::size_t n = decodeAt(text, 0, c, invalid);
  if (n == 0) {
    c = replacement;
    n = invalid;
  }
  if (length) *length = n;
  return c;
}

bool isLetter(std::string_view text) {
  switch (category(text)) {
    case UTF8PROC_CATEGORY_LU:
    case UTF8PROC_CATEGORY_LL:
    case UTF8PROC_CATEGORY_LT:
    case UTF8PROC_CATEGORY_LM:
    case UTF8PROC_CATEGORY_LO:
      return true;
    default:
      return false;
  }
}

bool isNumber(std::string_view text) {
  const auto c = category(text);
  return c == UTF8PROC_CATEGORY_ND || c == UTF8PROC_CATEGORY_NL || c == UTF8PROC_CATEGORY_NO;
}

bool isLowercase(std::string_view text) {
  if (text.empty()) return false;
  const auto c = static_cast<utf8proc_int32_t>(firstScalar(text));
  return utf8proc_category(c) == UTF8PROC_CATEGORY_LL || utf8proc_islower(c);
}

bool isUppercase(std::string_view text) {
  const auto c = category(text);
  return c == UTF8PROC_CATEGORY_LU || c == UTF8PROC_CATEGORY_LT;
}

bool isBlank(char32_t c) {
  return c == U'\t' || (c >= 0x20 && utf8proc_category(static_cast<utf8proc_int32_t>(c)) == UTF8PROC_CATEGORY_ZS);
}

bool isNewline(char32_t c) {
  return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool isWhitespace(std::string_view text) {
  if (text.empty()) return false;
  const char32_t c = firstScalar(text);
  return isBlank(c) || isNewline(c);
}

namespace {

template <typename Keep>
std::string_view trimBy(std::string_view text, Keep isTrimmed) {
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t length;
    const char32_t c = firstScalar(text.substr(begin), &length);
    if (!isTrimmed(c)) break;
    begin += length;
  }
  std::size_t end = text.size();
  while (end > begin) {
    // Step back to the start of the last scalar.
    std::size_t start = end - 1;
    while (start > begin && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80 && end - start < 4) --start;
    std::size_t length;
    const char32_t c = firstScalar(text.substr(start, end - start), &length);
    if (length != end - start || !isTrimmed(c)) break;
    end = start;
  }
  return text.substr(begin, end - begin);
}

}  // namespace

std::string_view trimBlanks(std::string_view text) {
  return trimBy(text, [](char32_t c) { return isBlank(c); });
}

std::string_view trimWhitespaceAndNewlines(std::string_view text) {
  return trimBy(text, [](char32_t c) { return isBlank(c) || isNewline(c); });
}

std::string_view trimNewlines(std::string_view text) {
  return trimBy(text, [](char32_t c) { return isNewline(c); });
}

std::vector<std::string_view> splitLines(std::string_view text, LineEnds ends) {
  std::vector<std::string_view> lines;
  forEachLine(text, ends, [&](std::string_view line) { lines.push_back(line); });
  return lines;
}

std::size_t lineCount(std::string_view text) {
  std::size_t n = 1;
  for (char c : text) n += c == '\n';
  return n;
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.starts_with(prefix); }
bool endsWith(std::string_view text, std::string_view suffix) { return text.ends_with(suffix); }

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  if (from.empty()) return std::string(text);
  std::size_t pos = 0;
  while (true) {
    const std::size_t hit = text.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

std::string join(const std::vector<std::string>& parts, std::string_view separator) {
  std::string out;
  std::size_t size = parts.empty() ? 0 : separator.size() * (parts.size() - 1);
  for (const std::string& part : parts) size += part.size();
  out.reserve(size);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) out.append(separator);
    out.append(parts[i]);
  }
  return out;
}

std::size_t hashOfParts(std::initializer_list<std::string_view> parts) noexcept {
  std::size_t seed = 0;
  for (std::string_view part : parts)
    seed ^= std::hash<std::string_view>{}(part) + static_cast<std::size_t>(0x9e3779b97f4a7c15ULL) + (seed << 6) +
            (seed >> 2);
  return seed;
}

}  // namespace tovrane::text
