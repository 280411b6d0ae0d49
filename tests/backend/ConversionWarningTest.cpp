#include "core/backend/ConversionWarning.hpp"

#include <gtest/gtest.h>

#include <unordered_set>

namespace tovrane {
namespace {

TEST(ConversionWarning, JsonHasExactlyItsThreeKeys) {
  const ConversionWarning warning{.file = "A.swift", .message = "Nicht unterstützte Deklaration (x)", .source = "ä\n"};
  const json::OrderedJson object = toJson(warning);
  EXPECT_EQ(json::dumpCompact(object),
            R"json({"file":"A.swift","message":"Nicht unterstützte Deklaration (x)","source":"ä\n"})json");
  const json::Json parsed = json::Json::parse(json::dumpCompact(object));
  EXPECT_EQ(readConversionWarning(json::Reader(parsed)), warning);

  const char* broken[] = {R"({"file":"a","message":"m"})", R"({"file":"a","message":"m","source":3})",
                          R"(["a","m","s"])"};
  for (const char* text : broken) {
    const json::Json value = json::Json::parse(text);
    EXPECT_THROW(readConversionWarning(json::Reader(value)), json::ReadError) << text;
  }
}

TEST(ConversionWarning, HashesOverAllThreeFieldsLikeEquality) {
  const ConversionWarning warning{.file = "A.swift", .message = "Unbekannter Bezeichner 'x'", .source = "x"};
  const std::hash<ConversionWarning> hash;
  EXPECT_EQ(hash(warning), hash(ConversionWarning(warning)));
  // Text moved from one field to the next, or one field changed, is another warning.
  const ConversionWarning others[] = {
      {.file = "A.swiftU", .message = "nbekannter Bezeichner 'x'", .source = "x"},
      {.file = "B.swift", .message = warning.message, .source = warning.source},
      {.file = warning.file, .message = "Unbekannter Bezeichner 'y'", .source = warning.source},
      {.file = warning.file, .message = warning.message, .source = "y"},
      {.file = warning.source, .message = warning.message, .source = warning.file},
  };
  std::unordered_set<ConversionWarning> set{warning, warning};
  for (const ConversionWarning& other : others) {
    EXPECT_NE(hash(other), hash(warning)) << other.file << " " << other.message << " " << other.source;
    set.insert(other);
  }
  EXPECT_EQ(set.size(), std::size(others) + 1);
  EXPECT_TRUE(set.contains(warning));
}

}  // namespace
}  // namespace tovrane
