#pragma once
// UTF-8 text helpers. Every "first N characters" in this system means N
// extended grapheme clusters (what a user sees as one character), never bytes
// or code points; every cut goes through prefixGraphemes.
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrane::text {

// Calls fn with each extended grapheme cluster of text, in order, until fn
// returns false. Bytes that are not valid UTF-8 form a cluster of one byte each.
void forEachGrapheme(std::string_view text, const std::function<bool(std::string_view)>& fn);
std::vector<std::string_view> graphemes(std::string_view text);
std::size_t graphemeCount(std::string_view text);
// The first n grapheme clusters of text (all of it when it has fewer).
std::string_view prefixGraphemes(std::string_view text, std::size_t n);
// The grapheme clusters after the first n.
std::string_view dropGraphemes(std::string_view text, std::size_t n);

bool isValidUtf8(std::string_view bytes);
// Decodes bytes as UTF-8, replacing each maximal invalid subsequence by U+FFFD.
std::string decodeLossy(std::string_view bytes);
// Text from outside (a file or folder name, an app name) made safe to show
// on a terminal or inside one line of a comment or Markdown: as decodeLossy,
// and every control character (C0 with line breaks and tabs, DEL, C1), the
// Unicode line and paragraph separators, the bidirectional overrides and
// isolates and the noncharacters U+FFFE and U+FFFF are replaced by U+FFFD.
// What remains is also valid XML character data once "&" and "<" are escaped.
std::string printable(std::string_view bytes);
// The UTF-8 form of UTF-16 text that starts with its byte order mark
// (FF FE little-endian, FE FF big-endian), without the mark; nullopt when
// there is no mark, the length is odd or a surrogate is unpaired.
std::optional<std::string> utf8FromUtf16(std::string_view bytes);
// Appends the UTF-8 encoding of a Unicode scalar value; returns false (and
// appends nothing) for surrogates and values above U+10FFFF.
bool appendUtf8(std::string& out, char32_t scalar);

// The first Unicode scalar of text, or U+FFFD when text is empty or starts
// with an invalid sequence; length receives its byte length (0 when empty).
char32_t firstScalar(std::string_view text, std::size_t* length = nullptr);
// Character classes of the first character (false for empty text).
bool isLetter(std::string_view text);       // general category L*
bool isNumber(std::string_view text);       // general category N*
bool isLowercase(std::string_view text);    // Ll, or a letter with a lowercase property
bool isUppercase(std::string_view text);    // Lu / Lt
bool isWhitespace(std::string_view text);   // blanks and newlines, see below

// Blanks: tab and the Unicode space separators (Zs).
bool isBlank(char32_t c);
// Newlines: LF, VT, FF, CR, NEL, LINE SEPARATOR, PARAGRAPH SEPARATOR.
bool isNewline(char32_t c);
std::string_view trimBlanks(std::string_view text);
std::string_view trimWhitespaceAndNewlines(std::string_view text);
std::string_view trimNewlines(std::string_view text);

enum class LineEnds { lf, crlfAsOne };
// Splits at line ends; n line ends give n + 1 lines (a final line end gives a
// final empty line). With crlfAsOne, CR LF counts as one line end and is not
// part of either line; a lone CR stays in its line either way.
std::vector<std::string_view> splitLines(std::string_view text, LineEnds ends = LineEnds::lf);
// Calls visit(line) for each line as splitLines gives them, without building
// the list.
template <class Visit>
void forEachLine(std::string_view text, LineEnds ends, Visit&& visit) {
  std::size_t start = 0;
  for (std::size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n', start)) {
    const bool crlf = ends == LineEnds::crlfAsOne && end > start && text[end - 1] == '\r';
    visit(text.substr(start, end - start - (crlf ? 1 : 0)));
    start = end + 1;
  }
  visit(text.substr(start));
}
// Number of lines as splitLines counts them (a CR LF pair holds one LF, so
// both conventions agree), without building the list.
std::size_t lineCount(std::string_view text);

bool startsWith(std::string_view text, std::string_view prefix);
bool endsWith(std::string_view text, std::string_view suffix);
// Replaces every non-overlapping occurrence of from (non-empty) with to.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);
std::string join(const std::vector<std::string>& parts, std::string_view separator);
// One hash over several texts, each mixed into the running value in turn, so
// moving text from one part to the next changes the result.
std::size_t hashOfParts(std::initializer_list<std::string_view> parts) noexcept;

}  // namespace tovrane::text
