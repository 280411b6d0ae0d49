#include "core/repair/FixKnowledge.hpp"

#include "core/support/Json.hpp"
#include "core/support/Text.hpp"
#include "tests/support/FakeHttpServer.hpp"

#include <gtest/gtest.h>

namespace tovrane {
namespace {

using namespace std::chrono_literals;
using fakes::FakeHttpServer;
using fakes::FakeReply;
using Fix = FixKnowledge::Fix;

constexpr std::string_view header =
    "Proven fixes for the same problems from earlier tovrane ports (adapt names to this file; they compiled):\n";

FakeReply answer(int status, std::string body) {
  FakeReply reply;
  reply.status = status;
  reply.body = std::move(body);
  return reply;
}

FakeReply closedWithoutAnswer() {
  FakeReply reply;
  reply.mode = FakeReply::Mode::closeWithoutAnswer;
  return reply;
}

FixKnowledge knowledge(const FakeHttpServer& server, bool share = false) {
  return FixKnowledge(share, true, server.url("/tovraneandroid/api"));
}

std::string entry(const std::string& label, const std::string& before, const std::string& after) {
  return "\n### " + label + "\nbefore:\n```kotlin\n" + before + "\n```\nafter:\n```kotlin\n" + after + "\n```\n";
}

TEST(FixKnowledgeExamples, OneRequestWithTheDistinctKeys) {
  FakeHttpServer server;
  server.on("/tovraneandroid/api/fixes", answer(200, "{}"));
  const FixKnowledge fixes = knowledge(server);

  fixes.examples({"ph:a + b", "ph:a + b", "err:x & y", "ph:a + b", "ph:Grüße", "ph:a + b", "ph:a + b"}, 6000);
  // 60 distinct keys: the first 40 in sorted order.
  std::vector<std::string> many;
  for (int i = 60; i-- > 0;) many.push_back("err:" + std::to_string(100 + i));
  fixes.examples(many, 6000);

  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].path, "/tovraneandroid/api/fixes");
  std::vector<std::string> sent;
  for (const auto& item : requests[0].query) {
    EXPECT_EQ(item.name, "key");
    sent.push_back(item.value);
  }
  EXPECT_EQ(sent, (std::vector<std::string>{"err:x & y", "ph:Grüße", "ph:a + b"}));
  ASSERT_EQ(requests[1].query.size(), 40u);
  EXPECT_EQ(requests[1].query.front().value, "err:100");
  EXPECT_EQ(requests[1].query.back().value, "err:139");
}

TEST(FixKnowledgeExamples, AnythingButAUsableAnswerGivesNothing) {
  struct Case {
    const char* name;
    FakeReply reply;
    std::string expected;
  };
  const std::string fix = R"({"before":"b","after":"a"})";
  const std::vector<Case> cases = {
      {"created", answer(201, R"({"ph:a":[)" + fix + "]}"), ""},
      {"not modified", answer(304, ""), ""},
      {"server error", answer(500, R"({"ph:a":[)" + fix + "]}"), ""},
      {"malformed JSON", answer(200, R"({"ph:a":[)"), ""},
      {"an empty object", answer(200, "{}"), ""},
      {"an array", answer(200, "[" + fix + "]"), ""},
      {"a value that is no array of objects", answer(200, R"({"ph:a":[)" + fix + R"(],"ph:b":"x"})"), ""},
      {"the only key without fixes", answer(200, R"({"ph:a":[]})"), std::string(header) + "\n"},
      {"a first fix without text members", answer(200, R"({"ph:a":[{"before":"b"},)" + fix + "]}"),
       std::string(header) + "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHttpServer server;
    server.enqueue(c.reply);
    EXPECT_EQ(knowledge(server).examples({"ph:a"}, 6000), c.expected);
  }
  FakeHttpServer server;
  server.enqueue(closedWithoutAnswer());
  EXPECT_EQ(knowledge(server).examples({"ph:a"}, 6000), "");
}

TEST(FixKnowledgeExamples, EntriesInKeyOrderUntilTheFirstThatDoesNotFit) {
  FakeHttpServer server;
  const std::string body = R"~({
    "err:b": [{"before": "old()", "after": "new()", "swift": "ignored"}],
    "ph:a": [{"before": "TODO(\"tovrane: a\")", "after": "a()"}, {"before": "x", "after": "y"}],
    "ph:Unsupported:Grüße": [{"before": "Unsupported(\"Grüße\")", "after": "Text(\"Grüße\")"}],
    "ph:zz": [{"before": "1", "after": "2"}]
  })~";
  server.on("/tovraneandroid/api/fixes", answer(200, body));
  const FixKnowledge fixes = knowledge(server);
  const std::string grusse = entry("placeholder Unsupported:Grüße", R"~(Unsupported("Grüße"))~", R"~(Text("Grüße"))~");
  const std::string a = entry("placeholder a", R"~(TODO("tovrane: a"))~", "a()");
  const std::string b = entry("error b", "old()", "new()");
  const std::string zz = entry("placeholder zz", "1", "2");
  const std::vector<std::string> keys = {"ph:a"};

  EXPECT_EQ(fixes.examples(keys, 100000), std::string(header) + b + grusse + a + zz + "\n");
  // Characters, not bytes: a budget of exactly the two first entries takes them.
  const std::size_t two = text::graphemeCount(std::string(header) + b + grusse);
  EXPECT_EQ(fixes.examples(keys, two), std::string(header) + b + grusse + "\n");
  // The third entry does not fit; the smaller fourth is not tried.
  ASSERT_GT(text::graphemeCount(a), text::graphemeCount(zz));
  EXPECT_EQ(fixes.examples(keys, two + text::graphemeCount(a) - 1), std::string(header) + b + grusse + "\n");
  // The header stands even when nothing fits.
  EXPECT_EQ(fixes.examples(keys, 10), std::string(header) + "\n");
}

TEST(FixKnowledgeExamples, NothingIsAskedWithoutExamplesKeysOrAddress) {
  FakeHttpServer server;
  server.on("/tovraneandroid/api/fixes", answer(200, R"({"ph:a":[{"before":"b","after":"a"}]})"));
  FixKnowledge off = knowledge(server);
  off.useExamples = false;
  EXPECT_EQ(off.examples({"ph:a"}, 6000), "");
  EXPECT_EQ(knowledge(server).examples({}, 6000), "");
  for (const char* address : {"", "not an address", "ftp://127.0.0.1/x"})
    EXPECT_EQ(FixKnowledge(false, true, address).examples({"ph:a"}, 6000), "") << address;
  EXPECT_TRUE(server.requests().empty());

  // No service is built in unless the build names one.
  const std::string defaultURL = FixKnowledge::defaultURL();
  EXPECT_TRUE(defaultURL.empty() || (text::startsWith(defaultURL, "https://") &&
                                     text::endsWith(defaultURL, "/tovraneandroid/api")))
      << defaultURL;
  EXPECT_EQ(FixKnowledge().baseURL, defaultURL);
}

std::vector<Fix> numberedFixes(int count) {
  std::vector<Fix> fixes;
  for (int i = 0; i < count; ++i)
    fixes.push_back({"placeholder", "ph:" + std::to_string(i), "before\n" + std::to_string(i), "after", "", "m"});
  return fixes;
}

TEST(FixKnowledgeUpload, BatchesOfFortyOneAtATime) {
  FakeHttpServer server;
  // Slow answers, and the second batch fails: the next still follows, never overlapping.
  FakeReply slow = answer(201, "");
  slow.delay = 50ms;
  server.enqueue(slow);
  server.enqueue(closedWithoutAnswer());
  server.enqueue(slow);
  const std::vector<Fix> fixes = numberedFixes(81);
  knowledge(server, true).upload(fixes);

  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(server.maxInFlight(), 1);
  const std::size_t sizes[] = {40, 40, 1};
  std::size_t first = 0;
  for (std::size_t r = 0; r < 3; ++r) {
    SCOPED_TRACE(r);
    EXPECT_EQ(requests[r].method, "POST");
    EXPECT_EQ(requests[r].path, "/tovraneandroid/api/fixes");
    EXPECT_EQ(requests[r].header("content-type"), "application/json");
    json::OrderedJson batch = json::OrderedJson::array();
    for (std::size_t i = first; i < first + sizes[r]; ++i) batch.push_back(fixes[i].toJson());
    json::OrderedJson body;
    body["fixes"] = batch;
    EXPECT_EQ(requests[r].body, json::dumpCompact(body));
    first += sizes[r];
  }
}

TEST(FixKnowledgeUpload, NothingIsSentWithoutSharingFixesOrAddress) {
  FakeHttpServer server;
  knowledge(server, false).upload(numberedFixes(3));
  knowledge(server, true).upload({});
  FixKnowledge(true, true, "").upload(numberedFixes(3));
  EXPECT_TRUE(server.requests().empty());
}

}  // namespace
}  // namespace tovrane
