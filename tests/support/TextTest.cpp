#include "core/support/Text.hpp"

#include <gtest/gtest.h>

namespace tovrane::text {
namespace {

struct CutCase {
  const char* name;
  std::string text;
  std::size_t n;
  std::string expected;
};

TEST(Text, PrefixGraphemesCutsUserPerceivedCharacters) {
  const std::string family = "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7";  // 👩‍👩‍👧
  const std::string germanFlag = "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA";                                      // 🇩🇪
  const std::string eAcute = "e\xCC\x81";                                                                   // e + U+0301
  const CutCase cases[] = {
      {"ascii", "hello", 3, "hel"},
      {"shorter than n", "hi", 10, "hi"},
      {"zero", "abc", 0, ""},
      {"combining mark stays with its base", eAcute + eAcute + "x", 1, eAcute},
      {"combining mark right after an ASCII prefix", "ab" + eAcute.substr(1), 2, "ab" + eAcute.substr(1)},
      {"zwj sequence is one character", family + "ab", 1, family},
      {"flags pair up", germanFlag + germanFlag, 1, germanFlag},
      {"CR LF is one character", "a\r\nb", 2, "a\r\n"},
      {"invalid byte counts alone", "\xFF" "ab", 2, "\xFF" "a"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(prefixGraphemes(c.text, c.n), c.expected) << c.name;
    EXPECT_EQ(std::string(prefixGraphemes(c.text, c.n)) + std::string(dropGraphemes(c.text, c.n)), c.text) << c.name;
  }
  EXPECT_EQ(graphemeCount(family + germanFlag + eAcute + "\r\n"), 4u);
}

TEST(Text, Utf8ValidityAndLossyDecoding) {
  const std::string fffd = "\xEF\xBF\xBD";
  const struct {
    std::string bytes;
    bool valid;
    std::string decoded;
  } cases[] = {
      {"plain", true, "plain"},
      {"Gr\xC3\xBC\xC3\x9F" "e", true, "Gr\xC3\xBC\xC3\x9F" "e"},
      {"a\xFF" "b", false, "a" + fffd + "b"},
      {"\xC3", false, fffd},                                  // truncated sequence
      {"\xE2\x82" "x", false, fffd + "x"},                   // maximal subpart is one U+FFFD
      {"\xED\xA0\x80", false, fffd + fffd + fffd},           // surrogate: each byte invalid
      {"\xC0\xAF", false, fffd + fffd},                      // overlong
      {"\xF4\x90\x80\x80", false, fffd + fffd + fffd + fffd},  // above U+10FFFF
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.bytes;
    EXPECT_EQ(decodeLossy(c.bytes), c.decoded) << c.bytes;
  }
}

// Names from a project shown on a terminal or in one line of a comment or
// Markdown: nothing that moves the cursor, ends the line or turns text round.
TEST(Text, PrintableReplacesEveryControlCharacter) {
  const std::string fffd = "\xEF\xBF\xBD";
  const struct {
    std::string text;
    std::string shown;
  } cases[] = {
      {"Caf\xC3\xA9 \xF0\x9F\x90\xB6", "Caf\xC3\xA9 \xF0\x9F\x90\xB6"},
      {"a\nb\rc\td", "a" + fffd + "b" + fffd + "c" + fffd + "d"},
      {"\x1B[2J\x07", fffd + "[2J" + fffd},
      {"del\x7F c1\xC2\x9B", "del" + fffd + " c1" + fffd},
      {"line\xE2\x80\xA8sep", "line" + fffd + "sep"},
      {"abc\xE2\x80\xAE" "evil", "abc" + fffd + "evil"},  // right-to-left override
      {std::string("nul\0", 4), "nul" + fffd},
      {"bad\xFF", "bad" + fffd},
      {"non\xEF\xBF\xBE\xEF\xBF\xBF", "non" + fffd + fffd},  // noncharacters, no XML characters either
  };
  for (const auto& c : cases) EXPECT_EQ(printable(c.text), c.shown) << c.text;
}

TEST(Text, Utf16WithByteOrderMarkBecomesUtf8) {
  const struct {
    std::string bytes;
    std::optional<std::string> text;
  } cases[] = {
      {std::string("\xFF\xFE" "a\0\xE4\0", 6), "a\xC3\xA4"},                        // little-endian, "aä"
      {std::string("\xFE\xFF\0a\xD8\x3D\xDC\x36", 8), "a\xF0\x9F\x90\xB6"},         // big-endian, a surrogate pair
      {std::string("\xFF\xFE", 2), ""},
      {std::string("a\0b\0", 4), std::nullopt},                                      // no byte order mark
      {std::string("\xFF\xFE" "a", 3), std::nullopt},                                 // odd length
      {std::string("\xFF\xFE\x3D\xD8" "a\0", 6), std::nullopt},                     // unpaired high surrogate
      {std::string("\xFF\xFE\x36\xDC", 4), std::nullopt},                            // lone low surrogate
  };
  for (const auto& c : cases) EXPECT_EQ(utf8FromUtf16(c.bytes), c.text) << c.bytes.size();
}

TEST(Text, CharacterClassesOfTheFirstCharacter) {
  EXPECT_TRUE(isLetter("\xC3\xA4x"));  // ä
  EXPECT_FALSE(isLetter("1"));
  EXPECT_FALSE(isLetter(""));
  EXPECT_TRUE(isNumber("\xD9\xA3"));  // Arabic-Indic three
  EXPECT_TRUE(isLowercase("\xC3\xA4"));
  EXPECT_FALSE(isLowercase("A"));
  EXPECT_TRUE(isUppercase("\xC3\x84"));  // Ä
  EXPECT_TRUE(isWhitespace("\xE2\x80\xA8"));  // line separator
}

TEST(Text, TrimmingBlanksAndNewlines) {
  const std::string nbsp = "\xC2\xA0";
  EXPECT_EQ(trimBlanks("\t " + nbsp + "x y" + nbsp + " "), "x y");
  EXPECT_EQ(trimBlanks("\nx\n"), "\nx\n");  // newlines are not blanks
  EXPECT_EQ(trimWhitespaceAndNewlines("\r\n\t x \xE2\x80\xA9"), "x");
  EXPECT_EQ(trimWhitespaceAndNewlines(" \n "), "");
  EXPECT_EQ(trimNewlines("\r\n\xE2\x80\xA9 x\t\n"), " x\t");  // blanks are not newlines
  EXPECT_EQ(trimBlanks("\xC3\xA4"), "\xC3\xA4");
}

TEST(Text, SplitLines) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(splitLines("a\nb\n"), (V{"a", "b", ""}));
  EXPECT_EQ(splitLines(""), (V{""}));
  EXPECT_EQ(splitLines("a\r\nb"), (V{"a\r", "b"}));
  EXPECT_EQ(splitLines("a\r\nb\rc\r\n", LineEnds::crlfAsOne), (V{"a", "b\rc", ""}));
  EXPECT_EQ(lineCount("a\r\nb\r\nc"), 3u);
  EXPECT_EQ(lineCount(""), 1u);
}

TEST(Text, ReplaceAndJoin) {
  EXPECT_EQ(replaceAll("a.b.c", ".", "::"), "a::b::c");
  EXPECT_EQ(replaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(join({"a", "b", "c"}, ", "), "a, b, c");
  EXPECT_EQ(join({}, ", "), "");
  std::string out;
  EXPECT_FALSE(appendUtf8(out, 0xD800));
  EXPECT_TRUE(appendUtf8(out, 0x1F600));
  EXPECT_EQ(out, "\xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace tovrane::text
