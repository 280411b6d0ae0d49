#include "core/support/Resources.hpp"

#include <gtest/gtest.h>

namespace tovrane::resources {
namespace {

TEST(Resources, EmbeddedStoreIsSortedAndUnique) {
  const auto& entries = embeddedEntries();
  for (std::size_t i = 1; i < entries.size(); ++i) EXPECT_LT(entries[i - 1].name, entries[i].name);
}

TEST(Resources, OverrideReplacesAndRestoresTheStore) {
  const auto before = names();
  {
    const std::string bytes("\0\x01" "binary", 8);
    Override custom({{"runtime/A.kt", "fun a() {}"}, {"bin", bytes}});
    EXPECT_EQ(find("runtime/A.kt"), "fun a() {}");
    EXPECT_EQ(find("bin")->size(), 8u);
    EXPECT_EQ(names("runtime/"), (std::vector<std::string>{"runtime/A.kt"}));
    {
      Override empty({});
      EXPECT_FALSE(find("runtime/A.kt"));
    }
    EXPECT_TRUE(find("runtime/A.kt"));
  }
  EXPECT_EQ(names(), before);
}

}  // namespace
}  // namespace tovrane::resources
