#include "core/backend/KotlinNames.hpp"

#include "core/backend/KotlinNameTables.hpp"
#include "core/support/Text.hpp"

#include <array>
#include <cstdint>
#include <cstdio>
#include <utf8proc.h>

namespace tovrane {
namespace {

// Longest part of the original name kept in a replaced one.
constexpr std::size_t keptPrefixBytes = 24;

// Letters as Kotlin counts them (Lu, Ll, Lt, Lm, Lo, Nl) and "_".
bool isIdentifierStart(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
  switch (utf8proc_category(static_cast<utf8proc_int32_t>(c))) {
    case UTF8PROC_CATEGORY_LU:
    case UTF8PROC_CATEGORY_LL:
    case UTF8PROC_CATEGORY_LT:
    case UTF8PROC_CATEGORY_LM:
    case UTF8PROC_CATEGORY_LO:
    case UTF8PROC_CATEGORY_NL: return true;
    default: return false;
  }
}

bool isIdentifierPart(char32_t c) {
  if (c < 0x80) return isIdentifierStart(c) || (c >= '0' && c <= '9');
  return isIdentifierStart(c) || utf8proc_category(static_cast<utf8proc_int32_t>(c)) == UTF8PROC_CATEGORY_ND;
}

// Characters that Kotlin takes between backquotes on the JVM and that the
// dex format of Android apps takes in names before its version 040, which
// apps for minimum SDK 26 are built with: no blanks, no control or format
// characters, none of ".;[]/<>:\\`", no line or paragraph separators.
bool isQuotable(char32_t c) {
  if (c < 0x80) return isIdentifierPart(c) || c == '-';
  return (c >= 0xA1 && c <= 0x1FFF) || (c >= 0x2010 && c <= 0x2027) || (c >= 0x2030 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFEF) || c >= 0x10000;
}

// Calls visit(scalar, byteLength) for each scalar; false when the text is no valid UTF-8.
template <typename Visit>
bool forEachScalar(std::string_view text, Visit visit) {
  if (!text::isValidUtf8(text)) return false;
  while (!text.empty()) {
    std::size_t length = 0;
    const char32_t c = text::firstScalar(text, &length);
    if (!visit(c, length)) return true;
    text.remove_prefix(length);
  }
  return true;
}

bool isKeyword(std::string_view name) {
  // Keywords are few and short: the first and last byte for each length
  // settle nearly every other name without a set lookup.
  struct Filter {
    std::array<std::array<bool, 256>, 16> first{};
    std::array<std::array<bool, 256>, 16> last{};
  };
  static const Filter filter = [] {
    Filter f;
    for (const std::string& keyword : kotlinKeywords()) {
      f.first.at(keyword.size())[static_cast<unsigned char>(keyword.front())] = true;
      f.last.at(keyword.size())[static_cast<unsigned char>(keyword.back())] = true;
    }
    return f;
  }();
  return !name.empty() && name.size() < filter.first.size() &&
         filter.first[name.size()][static_cast<unsigned char>(name.front())] &&
         filter.last[name.size()][static_cast<unsigned char>(name.back())] && kotlinKeywords().contains(name);
}

KotlinNameForm formOf(std::string_view name) {
  // "_" is Kotlin's own placeholder in destructuring and lambda parameters,
  // where Swift's `_` lands; longer names of underscores only are reserved.
  if (name == "_") return KotlinNameForm::plain;
  if (name.empty() || name.find_first_not_of('_') == std::string_view::npos) return KotlinNameForm::replaced;
  bool plain = true;
  bool quotable = true;
  bool first = true;
  const bool valid = forEachScalar(name, [&](char32_t c, std::size_t) {
    plain = plain && (first ? isIdentifierStart(c) : isIdentifierPart(c));
    quotable = quotable && isQuotable(c);
    first = false;
    return quotable;
  });
  if (!valid || !quotable) return KotlinNameForm::replaced;
  return plain && !isKeyword(name) ? KotlinNameForm::plain : KotlinNameForm::quoted;
}

// FNV-1a over the name's bytes: stable across runs and machines.
std::uint32_t nameHash(std::string_view name) {
  std::uint32_t hash = 2166136261u;
  for (const char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

std::string replacement(std::string_view name) {
  std::string kept;
  forEachScalar(name, [&](char32_t c, std::size_t length) {
    if (!isIdentifierPart(c) || kept.size() + length > keptPrefixBytes) return false;
    text::appendUtf8(kept, c);
    return true;
  });
  char hash[10];
  std::snprintf(hash, sizeof hash, "_%08x", nameHash(name));
  // A name must start with a letter or "_".
  std::string made(kept.empty() || !isIdentifierStart(text::firstScalar(kept)) ? "n" : "");
  return made.append(kept).append(hash);
}

}  // namespace

std::string_view withoutBackquotes(std::string_view name) {
  if (name.size() >= 2 && name.front() == '`' && name.back() == '`') name = name.substr(1, name.size() - 2);
  return name;
}

KotlinNameForm kotlinNameForm(std::string_view name) { return formOf(withoutBackquotes(name)); }

std::string kw(std::string_view name) {
  name = withoutBackquotes(name);
  switch (formOf(name)) {
    case KotlinNameForm::plain: return std::string(name);
    case KotlinNameForm::quoted: {
      std::string quoted(1, '`');
      return quoted.append(name).append(1, '`');
    }
    case KotlinNameForm::replaced: break;
  }
  return replacement(name);
}

std::string kwMade(std::string_view prefix, std::string_view swiftName, std::string_view suffix) {
  std::string made(prefix);
  return kw(made.append(withoutBackquotes(swiftName)).append(suffix));
}

std::string kwPath(std::string_view name) {
  std::string path;
  if (name.empty()) return path;
  for (std::size_t start = 0;;) {
    const std::size_t dot = name.find('.', start);
    path += kw(name.substr(start, dot - start));  // substr clamps npos - start
    if (dot == std::string_view::npos) return path;
    path += '.';
    start = dot + 1;
  }
}

std::string kwNested(std::string_view path) {
  std::string joined;
  for (std::size_t start = 0;;) {
    const std::size_t dot = path.find('.', start);
    joined += withoutBackquotes(path.substr(start, dot - start));
    if (dot == std::string_view::npos) return kw(joined);
    joined += '_';
    start = dot + 1;
  }
}

}  // namespace tovrane
