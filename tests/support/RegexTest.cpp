#include "core/support/Regex.hpp"

#include <gtest/gtest.h>

#include <thread>

namespace tovrane {
namespace {

TEST(Regex, SearchCapturesAndAbsentGroups) {
  Regex re(R"((\w+)(?:=(\d+))?)");
  auto m = re.search("  näme=42");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->group(0), "näme=42");
  EXPECT_EQ(m->group(1), "näme");
  EXPECT_EQ(m->group(2), "42");
  auto n = re.search("flag");
  ASSERT_TRUE(n);
  EXPECT_FALSE(n->has(2));
  EXPECT_EQ(n->group(2), "");
  EXPECT_FALSE(re.search("!!"));
}

TEST(Regex, MultiLineAnchorsAndWholeMatch) {
  Regex lines("^fun (\\w+)", {.multiLine = true});
  auto all = lines.allMatches("fun a()\n  fun b()\nfun c()");
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].group(1), "a");
  EXPECT_EQ(all[1].group(1), "c");
  EXPECT_TRUE(Regex("a+b").matches("aab"));
  EXPECT_FALSE(Regex("a+b").matches("aabc"));
}

TEST(Regex, EmptyMatchesAdvanceByWholeCharacters) {
  Regex empty("x*");
  EXPECT_EQ(empty.allMatches("äx").size(), 3u);  // before ä, "x", at the end
  EXPECT_EQ(Regex("\\s+").replace("a \t b\n\nc", [](const RegexMatch&) { return " "; }), "a b c");
}

TEST(Regex, InvalidPatternThrowsWithPosition) {
  try {
    Regex bad("a(b");
    FAIL();
  } catch (const RegexError& e) {
    EXPECT_NE(std::string(e.what()).find("Position 3"), std::string::npos) << e.what();
  }
}

TEST(Regex, InvalidUtf8SubjectDoesNotFail) {
  Regex re("b");
  EXPECT_TRUE(re.search("a\xFF" "b"));
}

TEST(Regex, SharedAcrossThreads) {
  const Regex re("(\\d+)-(\\d+)");
  std::vector<std::thread> threads;
  std::atomic<int> hits{0};
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 1000; ++i)
        if (re.search("x 12-34 y")->group(2) == "34") ++hits;
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(hits, 8000);
}

}  // namespace
}  // namespace tovrane
