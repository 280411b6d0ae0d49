#include "core/backend/KotlinStringLiteral.hpp"

#include <gtest/gtest.h>

namespace tovrane {
namespace {

TEST(KotlinStringLiteral, EscapesExactlyWhatCouldEndTheLiteralOrStartATemplate) {
  const struct {
    std::string_view text;
    std::string_view literal;
  } cases[] = {
      {"", R"("")"},
      {"Brand Blue", R"("Brand Blue")"},
      {R"(say "hi")", R"("say \"hi\"")"},
      {R"(C:\path\)", R"("C:\\path\\")"},
      {"${name} costs $5", R"("\${name} costs \$5")"},
      {"one\ntwo", R"("one\ntwo")"},
      {"crlf\r\nend", R"("crlf\r\nend")"},
      // Tabs, non-ASCII letters and emoji pass through untouched.
      {"tab\there Café 🎨", "\"tab\there Café 🎨\""},
      // An escaped backslash before a quote must not un-escape the quote.
      {"\\\"", R"("\\\"")"},
  };
  for (const auto& c : cases) EXPECT_EQ(stringLiteral(c.text), c.literal) << c.text;
}

}  // namespace
}  // namespace tovrane
