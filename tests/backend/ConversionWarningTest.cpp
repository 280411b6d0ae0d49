#include "core/backend/ConversionWarning.hpp"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tovrane
