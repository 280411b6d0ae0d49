#include "core/support/Json.hpp"

#include <gtest/gtest.h>

namespace tovrane::json {
namespace {

TEST(Json, DumpsKeepOrderAndIndentByTwo) {
  OrderedJson o;
  o["z"] = 1;
  o["a"] = {true, nullptr};
  EXPECT_EQ(dumpCompact(o), R"({"z":1,"a":[true,null]})");
  EXPECT_EQ(dumpPretty(o), "{\n  \"z\": 1,\n  \"a\": [\n    true,\n    null\n  ]\n}");
  // Invalid UTF-8 in a string does not fail the whole document.
  EXPECT_EQ(dumpCompact(OrderedJson("a\xFF")), "\"a\xEF\xBF\xBD\"");
}

TEST(Json, TryParse) {
  EXPECT_TRUE(tryParse(R"({"a":[1,2]})"));
  EXPECT_FALSE(tryParse("{"));
  EXPECT_FALSE(tryParse("{} x"));
}

TEST(Json, ReaderNamesThePathOfBadValues) {
  const Json doc = Json::parse(R"({"files":[{"path":"a.swift","n":1.5}],"flag":"yes"})");
  const Reader root(doc);
  EXPECT_EQ(root.at("files").at(0).at("path").string(), "a.swift");
  EXPECT_FALSE(root.optional("missing"));
  const struct {
    std::function<void()> read;
    std::string path;
  } cases[] = {
      {[&] { root.at("files").at(0).at("name"); }, "$.files[0].name"},
      {[&] { root.at("files").at(0).at("n").integer(); }, "$.files[0].n"},
      {[&] { root.at("flag").boolean(); }, "$.flag"},
      {[&] { root.at("files").at(3); }, "$.files[3]"},
      {[&] { root.at("flag").at("x"); }, "$.flag"},
  };
  for (const auto& c : cases) {
    try {
      c.read();
      ADD_FAILURE() << c.path;
    } catch (const ReadError& e) {
      EXPECT_EQ(e.path(), c.path);
    }
  }
}

}  // namespace
}  // namespace tovrane::json
