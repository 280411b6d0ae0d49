#include "core/repair/APIClient.hpp"

#include "core/support/Cancelled.hpp"
#include "tests/repair/RepairFixture.hpp"
#include "tests/repair/Thrown.hpp"
#include "tests/support/FakeHttpServer.hpp"
#include "tests/support/ManualClock.hpp"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <set>
#include <thread>

namespace tovrane {
namespace {

using namespace std::chrono_literals;
using fakes::FakeHttpServer;
using fakes::FakeReply;
using json::Json;
using testsupport::hostWith;
using testsupport::ManualClock;
using testsupport::thrown;
using testsupport::withMode;

FakeReply answer(int status, std::string body, http::Headers headers = {}) {
  FakeReply reply;
  reply.status = status;
  reply.body = std::move(body);
  reply.headers = std::move(headers);
  return reply;
}

Endpoints at(const std::string& base) { return Endpoints{base, base, base, base}; }


const std::map<AIProvider, std::string> allKeys = {
    {AIProvider::claude, "sk-ant-key"}, {AIProvider::openAI, "sk-openai-key"}, {AIProvider::gemini, "gemini-key"}};

const ModelTier localTier{AIProvider::local, "qwen2.5-coder:7b", "", {}};
const ModelTier claudeTier{AIProvider::claude, "claude-sonnet-5", "medium", {}};
const ModelTier openAITier{AIProvider::openAI, "gpt-6-luna", "low", {}};
const ModelTier geminiTier{AIProvider::gemini, "gemini-flash-latest", "low", {}};

const APIClient::SystemBlocks systemBlocks = {
    {{"type", "text"}, {"text", "Rules"}, {"cache_control", {{"type", "ephemeral"}}}},
    {{"type", "text"}},
    {{"type", "text"}, {"text", "Runtime"}},
};

// The retry tests' world: a private gate and instant, logged sleeps.
struct Retrying {
  FakeHttpServer server;
  FakeClock clock;
  RateGate gate{clock};
  Host host = hostWith(clock);
  APIClient client{allKeys, std::nullopt, at(server.url("")), gate, host};
};

// A port that is bound but not listening: connecting to it is refused.
class RefusedPort {
 public:
  RefusedPort() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    EXPECT_EQ(::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length), 0);
    url_ = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
  }
  ~RefusedPort() { ::close(socket_); }
  const std::string& url() const { return url_; }

 private:
  int socket_;
  std::string url_;
};

std::vector<Clock::Duration> secondsList(std::initializer_list<int> values, Clock::Duration extra = {}) {
  std::vector<Clock::Duration> list;
  for (int value : values) list.push_back(std::chrono::seconds(value) + extra);
  return list;
}
// A gate wait sleeps for the time left plus one tick.
constexpr Clock::Duration tick{1};

TEST(APIClient, SendsEachProviderItsExactRequest) {
  struct Case {
    ModelTier tier;
    std::string path;
    std::map<std::string, std::string> headers;  // every header we set, and no other
    Json body;
  };
  const std::vector<Case> cases = {
      {localTier,
       "/api/chat",
       {{"content-type", "application/json"}},
       {{"model", "qwen2.5-coder:7b"},
        {"stream", false},
        {"messages",
         {{{"role", "system"}, {"content", "Rules\n\nRuntime"}}, {{"role", "user"}, {"content", "Fix ü\n"}}}},
        {"options", {{"temperature", 0.2}, {"num_ctx", 16384}}}}},
      {claudeTier,
       "/v1/messages",
       {{"content-type", "application/json"}, {"x-api-key", "sk-ant-key"}, {"anthropic-version", "2023-06-01"}},
       {{"model", "claude-sonnet-5"},
        {"max_tokens", 32000},
        {"thinking", {{"type", "adaptive"}}},
        {"output_config", {{"effort", "medium"}}},
        {"system", Json(systemBlocks)},
        {"messages", {{{"role", "user"}, {"content", "Fix ü\n"}}}}}},
      {openAITier,
       "/v1/responses",
       {{"content-type", "application/json"}, {"authorization", "Bearer sk-openai-key"}},
       {{"model", "gpt-6-luna"},
        {"reasoning", {{"effort", "low"}}},
        {"max_output_tokens", 32000},
        {"input",
         {{{"role", "developer"}, {"content", {{{"type", "input_text"}, {"text", "Rules\n\nRuntime"}}}}},
          {{"role", "user"}, {"content", {{{"type", "input_text"}, {"text", "Fix ü\n"}}}}}}}}},
      {geminiTier,
       "/v1beta/models/gemini-flash-latest:generateContent",
       {{"content-type", "application/json"}, {"x-goog-api-key", "gemini-key"}},
       {{"systemInstruction", {{"parts", {{{"text", "Rules\n\nRuntime"}}}}}},
        {"contents", {{{"role", "user"}, {"parts", {{{"text", "Fix ü\n"}}}}}}},
        {"generationConfig", {{"maxOutputTokens", 65536}, {"temperature", 0.2}}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    FakeHttpServer server;
    server.enqueue(answer(200, "{}"));
    const APIClient client(allKeys, std::nullopt, at(server.url("")));
    EXPECT_EQ(client.send(c.tier, systemBlocks, "Fix ü\n"), APIClient::Reply{});

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& request = requests[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, c.path);
    EXPECT_TRUE(request.query.empty());
    std::map<std::string, std::string> headers;
    for (const auto& header : request.headers) {
      std::string name = header.name;
      for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      if (name != "host" && name != "accept" && name != "content-length") headers[name] = header.value;
    }
    EXPECT_EQ(headers, c.headers);
    EXPECT_EQ(Json::parse(request.body), c.body);
    // Compact: no blank outside strings.
    EXPECT_EQ(request.body, json::dumpCompact(Json::parse(request.body)));
  }
}

TEST(APIClient, CloudRungWithoutKeySendsNothing) {
  FakeHttpServer server;
  const APIClient client({{AIProvider::local, "ignored"}}, std::nullopt, at(server.url("")));
  for (const auto& tier : {claudeTier, openAITier, geminiTier}) {
    const auto error = thrown<AIRepairError>([&] { client.send(tier, systemBlocks, "x"); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), AIRepairError::Kind::noProvider);
  }
  EXPECT_TRUE(server.requests().empty());
}

TEST(APIClient, KeyWithAControlCharacterFailsAtOnceAndIsNeverSent) {
  struct Case {
    ModelTier tier;
    std::string key;
    const char* provider;
  };
  const std::vector<Case> cases = {
      {claudeTier, "sk-ant\nkey", "Claude"},
      {geminiTier, "gem\rini", "Gemini"},
      {openAITier, "sk-\x01open", "OpenAI"},
      {claudeTier, "sk-\x7f", "Claude"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    Retrying world;
    world.client =
        APIClient({{c.tier.provider, c.key}}, std::nullopt, at(world.server.url("")), world.gate, world.host);
    const auto error = thrown<AIRepairError>([&] { world.client.send(c.tier, systemBlocks, "x"); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), AIRepairError::Kind::http);
    EXPECT_EQ(error->status(), 401);  // the provider is given up for the run
    EXPECT_EQ(error->what(), "Der API-Schlüssel für " + std::string(c.provider) +
                                 " enthält ein Steuerzeichen (etwa einen Zeilenumbruch). Bitte den Schlüssel in "
                                 "den Einstellungen neu eintragen.");
    EXPECT_TRUE(world.server.requests().empty());
    EXPECT_TRUE(world.clock.sleeps().empty());
  }
}

TEST(APIClient, ErrorBodyEchoingTheRequestLosesEveryConfiguredKey) {
  FakeHttpServer server;
  const std::map<AIProvider, std::string> keys = {{AIProvider::gemini, "AIzaSecretGeminiKey123"},
                                                  {AIProvider::claude, "sk-ant-secret-claude"}};
  // Echoes another provider's key too, as a misconfigured proxy might.
  server.enqueue(answer(400, "bad request from key AIzaSecretGeminiKey123 (also had sk-ant-secret-claude)"));
  const APIClient client(keys, std::nullopt, at(server.url("")));
  const auto error = thrown<AIRepairError>([&] { client.send(geminiTier, systemBlocks, "x"); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->status(), 400);
  EXPECT_STREQ(error->what(), "KI-API-Fehler 400: bad request from key [entfernt] (also had [entfernt])");

  // A key the client does not know is removed once, by the header it follows.
  server.enqueue(answer(400, "request had x-goog-api-key: AIzaUnknownKey456"));
  const auto echoed = thrown<AIRepairError>([&] { client.send(geminiTier, systemBlocks, "x"); });
  ASSERT_TRUE(echoed);
  EXPECT_STREQ(echoed->what(), "KI-API-Fehler 400: request had x-goog-api-key: [entfernt]");
}

TEST(APIClient, ReadsEachProvidersAnswer) {
  using Kind = AIRepairError::Kind;
  struct Case {
    const char* name;
    ModelTier tier;
    std::string body;
    APIClient::Reply reply;             // when no error is expected
    std::optional<Kind> error = std::nullopt;
  };
  const std::vector<Case> cases = {
      {"claude text blocks", claudeTier,
       R"({"content":[{"type":"thinking","thinking":"hm"},{"type":"text","text":"A"},{"type":"text","text":"B"}],
           "stop_reason":"end_turn",
           "usage":{"input_tokens":12,"output_tokens":34,"cache_read_input_tokens":56}})",
       {"AB", 12, 34, 56}},
      {"claude cache writes count as input", claudeTier,
       R"({"content":[{"type":"text","text":"A"}],
           "usage":{"input_tokens":12,"cache_creation_input_tokens":7000,"output_tokens":34}})",
       {"A", 7012, 34, 0, 7000}},
      {"claude cut off", claudeTier, R"({"content":[{"type":"text","text":"lots"}],"stop_reason":"max_tokens"})", {},
       Kind::truncated},
      {"claude refusal", claudeTier, R"({"content":[],"stop_reason":"refusal"})", {}, Kind::refusal},
      {"claude mistyped fields", claudeTier, R"({"content":"text","usage":{"input_tokens":"12"}})", {}},
      {"counts below zero are none", claudeTier,
       R"({"usage":{"input_tokens":-68000000,"output_tokens":-1,"cache_read_input_tokens":-5,
                    "cache_creation_input_tokens":-7}})",
       {}},
      {"counts beyond reason are capped", openAITier,
       R"({"usage":{"input_tokens":18446744073709551615,"output_tokens":9223372036854775807}})",
       {"", 1'000'000'000'000, 1'000'000'000'000, 0}},
      {"gemini cache larger than the prompt", geminiTier,
       R"({"usageMetadata":{"promptTokenCount":10,"cachedContentTokenCount":400}})", {"", 0, 0, 400}},
      {"openai output items", openAITier,
       R"({"status":"completed","output":[{"type":"reasoning","summary":[]},
           {"type":"message","content":[{"type":"output_text","text":"A"},{"type":"refusal","refusal":"no"},
                                        {"type":"output_text","text":"B"}]}],
           "usage":{"input_tokens":100,"output_tokens":20,"input_tokens_details":{"cached_tokens":80}}})",
       {"AB", 100, 20, 80}},
      {"openai cut off", openAITier, R"({"status":"incomplete","output":[]})", {}, Kind::truncated},
      {"gemini counts and thoughts", geminiTier,
       R"({"candidates":[{"content":{"parts":[{"text":"plan","thought":true},{"text":"A"},{"text":"B"}]},
                          "finishReason":"STOP"},{"content":{"parts":[{"text":"other"}]}}],
           "usageMetadata":{"promptTokenCount":1000,"cachedContentTokenCount":400,"candidatesTokenCount":200,
                            "thoughtsTokenCount":50}})",
       {"AB", 600, 250, 400}},
      {"gemini no candidates", geminiTier, R"({"candidates":[]})", {}},
      {"gemini max tokens", geminiTier, R"({"candidates":[{"finishReason":"MAX_TOKENS"}]})", {}, Kind::truncated},
      {"gemini safety", geminiTier, R"({"candidates":[{"finishReason":"SAFETY"}]})", {}, Kind::refusal},
      {"gemini prohibited", geminiTier, R"({"candidates":[{"finishReason":"PROHIBITED_CONTENT"}]})", {},
       Kind::refusal},
      {"gemini recitation", geminiTier, R"({"candidates":[{"finishReason":"RECITATION"}]})", {}, Kind::refusal},
      {"local without counts", localTier, R"({"message":{"role":"assistant","content":"fun f() {}"}})",
       {"fun f() {}", 0, 0, 0}},
      {"local counts", localTier, R"({"message":{"content":"x"},"prompt_eval_count":7,"eval_count":3})",
       {"x", 7, 3, 0}},
      {"local cut off", localTier, R"({"message":{"content":"x"},"done_reason":"length"})", {}, Kind::truncated},
      {"not an object", claudeTier, R"([{"type":"text","text":"A"}])", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHttpServer server;
    server.enqueue(answer(200, c.body));
    const APIClient client(allKeys, std::nullopt, at(server.url("")));
    if (c.error) {
      const auto error = thrown<AIRepairError>([&] { client.send(c.tier, systemBlocks, "x"); });
      ASSERT_TRUE(error);
      EXPECT_EQ(error->kind(), *c.error);
    } else {
      EXPECT_EQ(client.send(c.tier, systemBlocks, "x"), c.reply);
    }
  }
}

TEST(APIClient, AnswerThatIsNotJsonIsARejectedAnswer) {
  FakeHttpServer server;
  server.enqueue(answer(200, "<html>gateway</html>"));
  const APIClient client(allKeys, std::nullopt, at(server.url("")));
  const auto error = thrown<AIRepairError>([&] { client.send(claudeTier, systemBlocks, "x"); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind(), AIRepairError::Kind::invalid);
  EXPECT_STREQ(error->what(), "Antwort verworfen: die Antwort ist kein JSON");
}

TEST(APIClient, NineTooManyRequestsPauseTheGateThenFail) {
  Retrying world;
  for (int i = 0; i < 9; ++i) world.server.enqueue(answer(429, "slow down"));
  const auto error = thrown<AIRepairError>([&] { world.client.send(claudeTier, systemBlocks, "x"); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind(), AIRepairError::Kind::http);
  EXPECT_EQ(error->status(), 429);
  EXPECT_EQ(error->detail(), "slow down");
  EXPECT_EQ(world.server.requests().size(), 9u);
  EXPECT_EQ(world.clock.sleeps(), secondsList({4, 8, 16, 32, 64, 90, 90, 90}, tick));
}

TEST(APIClient, TooManyRequestsHonoursTheProvidersWait) {
  struct Case {
    http::Headers headers;
    std::string body;
    std::chrono::milliseconds pause;
  };
  const std::vector<Case> cases = {
      {{{"retry-after", "5"}}, "{}", 6s},
      {{{"Retry-After", "2.5"}}, "{}", 3500ms},
      {{{"retry-after", "500"}}, "{}", 90s},
      {{{"retry-after", "-3"}}, "{}", 4s},
      {{{"retry-after", "Wed, 21 Oct 2015 07:28:00 GMT"}}, "{}", 4s},
      {{{"retry-after", "nan"}}, "{}", 4s},
      // The body's hint beats the header.
      {{{"retry-after", "5"}},
       R"({"error":{"details":[{"@type":"type.googleapis.com/google.rpc.RetryInfo","retryDelay": "37s"}]}})", 38s},
      {{}, R"({"retryDelay":"12s","later":{"retryDelay":"50s"}})", 13s},
      {{}, R"({"retryDelay": 37, "next": {"retryDelay":"7s"}})", 8s},
      {{}, R"({"retryDelay":"s"})", 4s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    Retrying world;
    world.server.enqueue(answer(429, c.body, c.headers));
    world.server.enqueue(answer(200, "{}"));
    world.client.send(geminiTier, systemBlocks, "x");
    const auto sleeps = world.clock.sleeps();
    ASSERT_EQ(sleeps.size(), 1u);
    EXPECT_EQ(sleeps[0], c.pause + tick);
  }
}

TEST(APIClient, TooManyRequestsHoldBackTheirProviderAlone) {
  FakeHttpServer server;
  // Gemini's answers come from the queue, Claude's from its path.
  server.enqueue(answer(429, R"({"error":{"details":[{"retryDelay": "37s"}]}})"));
  server.enqueue(answer(200, "{}"));
  server.enqueue(answer(200, "{}"));
  server.on("/v1/messages", answer(200, R"({"content":[{"type":"text","text":"claude"}]})"));
  ManualClock clock;
  RateGate gate(clock);
  const Host host = hostWith(clock);
  // Two runs' clients, sharing the process's gates.
  const APIClient client(allKeys, std::nullopt, at(server.url("")), gate, host);
  const APIClient otherRun(allKeys, std::nullopt, at(server.url("")), gate, host);

  // Gemini meets the 429 (from the queue) and waits at its gate.
  std::thread gemini([&] { EXPECT_EQ(client.send(geminiTier, systemBlocks, "x").text, ""); });
  ASSERT_TRUE(clock.awaitSleepers(1));
  // Another run's Claude request goes out at once; its Gemini request waits too.
  EXPECT_EQ(otherRun.send(claudeTier, systemBlocks, "x").text, "claude");
  std::thread geminiOfTheOtherRun([&] { EXPECT_EQ(otherRun.send(geminiTier, systemBlocks, "x").text, ""); });
  ASSERT_TRUE(clock.awaitSleepers(2));
  EXPECT_EQ(server.requests().size(), 2u);
  clock.advance(37s);
  EXPECT_EQ(server.requests().size(), 2u);
  clock.advance(1s + tick);
  gemini.join();
  geminiOfTheOtherRun.join();
  EXPECT_EQ(server.requests().size(), 4u);
}

TEST(APIClient, StopWakesARequestWaitingAtTheGate) {
  Retrying world;
  ManualClock clock;  // never moved: only the stop ends the wait
  RateGate gate(clock);
  const Host host = hostWith(clock);
  const APIClient client(allKeys, std::nullopt, at(world.server.url("")), gate, host);
  world.server.enqueue(answer(429, "", {{"retry-after", "89"}}));
  std::stop_source stop;
  std::thread waiting([&] {
    EXPECT_TRUE(thrown<Cancelled>([&] { client.send(geminiTier, systemBlocks, "x", stop.get_token()); }));
  });
  ASSERT_TRUE(clock.awaitSleepers(1));
  stop.request_stop();
  waiting.join();
  EXPECT_EQ(world.server.requests().size(), 1u);
}

TEST(APIClient, ServerFaultsBackOffAloneThenFail) {
  Retrying world;
  for (int i = 0; i < 5; ++i) world.server.enqueue(answer(503, "busy", {{"retry-after", "5"}}));
  const auto error = thrown<AIRepairError>([&] { world.client.send(openAITier, systemBlocks, "x"); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->status(), 503);
  EXPECT_EQ(error->detail(), "busy");
  EXPECT_EQ(world.server.requests().size(), 5u);
  // Slept on the request's own clock; the gate stayed open.
  EXPECT_EQ(world.clock.sleeps(), secondsList({6, 6, 6, 6}));
}

TEST(APIClient, LostConnectionsAreRetriedThreeTimes) {
  Retrying world;
  for (int i = 0; i < 4; ++i) world.server.enqueue(withMode(FakeReply::Mode::closeWithoutAnswer));
  const auto error = thrown<http::HttpError>([&] { world.client.send(claudeTier, systemBlocks, "x"); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind(), http::ErrorKind::network);
  EXPECT_EQ(world.server.requests().size(), 4u);
  EXPECT_EQ(world.clock.sleeps(), secondsList({2, 4, 8}));
}

TEST(APIClient, OneCounterForEveryKindOfRetry) {
  Retrying world;
  for (int i = 0; i < 3; ++i) world.server.enqueue(withMode(FakeReply::Mode::closeWithoutAnswer));
  world.server.enqueue(answer(503, ""));
  for (int i = 0; i < 6; ++i) world.server.enqueue(answer(429, ""));
  const auto error = thrown<AIRepairError>([&] { world.client.send(geminiTier, systemBlocks, "x"); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->status(), 429);
  // Nine sends at most: three lost, one fault, four 429 retries, the fifth 429 thrown.
  EXPECT_EQ(world.server.requests().size(), 9u);
  auto expected = secondsList({2, 4, 8, 32});
  for (auto pause : secondsList({64, 90, 90, 90}, tick)) expected.push_back(pause);
  EXPECT_EQ(world.clock.sleeps(), expected);
}

TEST(APIClient, FailuresThatAreNotRetried) {
  struct Case {
    const char* name;
    ModelTier tier;
    FakeReply reply;
    int status;  // of the AIRepairError, or -1 for a time-out
  };
  FakeReply invalidUtf8 = answer(400, "bad \xff body");
  const std::vector<Case> cases = {
      {"created is no success", claudeTier, answer(201, "{}"), 201},
      {"not found", geminiTier, answer(404, "no such model"), 404},
      {"body that is not UTF-8", openAITier, invalidUtf8, 400},
      {"local server's 429", localTier, answer(429, "busy"), 429},
      // Following it would hand the key to another address.
      {"redirect", geminiTier, answer(302, "moved", {{"location", "/elsewhere"}}), 302},
      {"stalled cloud answer", claudeTier, withMode(FakeReply::Mode::stall), -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Retrying world;
    // Only the stalled answer meets the time-out; a loaded machine may take
    // longer than any short one to answer the others.
    world.client = APIClient(allKeys, std::nullopt, [&] {
      auto endpoints = at(world.server.url(""));
      if (c.status < 0) endpoints.cloudTimeout = 1s;
      return endpoints;
    }(), world.gate, world.host);
    world.server.enqueue(c.reply);
    world.server.enqueue(answer(200, "{}"));
    auto send = [&] { world.client.send(c.tier, systemBlocks, "x"); };
    if (c.status < 0) {
      const auto error = thrown<http::HttpError>(send);
      ASSERT_TRUE(error);
      EXPECT_EQ(error->kind(), http::ErrorKind::timeout);
    } else {
      const auto error = thrown<AIRepairError>(send);
      ASSERT_TRUE(error);
      EXPECT_EQ(error->status(), c.status);
      EXPECT_EQ(error->detail(), c.reply.body == invalidUtf8.body ? "" : c.reply.body);
    }
    EXPECT_TRUE(world.server.awaitRequests(1));
    EXPECT_EQ(world.server.requests().size(), 1u);
    // Neither slept nor closed the gate.
    world.gate.wait(c.tier.provider);
    EXPECT_TRUE(world.clock.sleeps().empty());
  }
}

TEST(APIClient, SilentOrMissingLocalServerIsTooSlow) {
  auto expectTooSlow = [](const APIClient& client) {
    const auto error = thrown<AIRepairError>([&] { client.send(localTier, systemBlocks, "x"); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), AIRepairError::Kind::invalid);
    EXPECT_EQ(error->detail(), "lokales Modell zu langsam");
  };
  {
    SCOPED_TRACE("refused");
    RefusedPort port;
    FakeClock clock;
    RateGate gate(clock);
    const Host host = hostWith(clock);
    expectTooSlow(APIClient({}, std::nullopt, at(port.url()), gate, host));
    EXPECT_EQ(clock.sleeps(), secondsList({2, 4, 8}));
  }
  {
    SCOPED_TRACE("stalled");
    Retrying world;
    auto endpoints = at(world.server.url(""));
    endpoints.localTimeout = 1s;
    world.server.enqueue(withMode(FakeReply::Mode::stall));
    expectTooSlow(APIClient({}, std::nullopt, endpoints, world.gate, world.host));
    EXPECT_TRUE(world.server.awaitRequests(1));
    EXPECT_EQ(world.server.requests().size(), 1u);
    EXPECT_TRUE(world.clock.sleeps().empty());
  }
}

TEST(RateGate, ALaterShorterPauseKeepsTheLongerOneOfItsProvider) {
  FakeClock clock;
  RateGate gate(clock);
  EXPECT_TRUE(gate.wait(AIProvider::gemini));
  EXPECT_TRUE(clock.sleeps().empty());
  gate.pause(AIProvider::gemini, 10);
  clock.advance(1s);
  gate.pause(AIProvider::gemini, 5);
  EXPECT_TRUE(gate.wait(AIProvider::claude));
  EXPECT_TRUE(clock.sleeps().empty());
  EXPECT_TRUE(gate.wait(AIProvider::gemini));
  EXPECT_EQ(clock.sleeps(), std::vector<Clock::Duration>{9s + tick});
  EXPECT_TRUE(gate.wait(AIProvider::gemini));
  EXPECT_EQ(clock.sleeps().size(), 1u);
}

TEST(RateGate, WaitLooksAgainAfterEachSleep) {
  FakeClock clock;
  RateGate gate(clock);
  gate.pause(AIProvider::openAI, 4);
  // Another request pushes the gate further while this one sleeps.
  bool pushed = false;
  clock.onSleep([&](Clock::Duration) {
    if (!std::exchange(pushed, true)) gate.pause(AIProvider::openAI, 6);
  });
  EXPECT_TRUE(gate.wait(AIProvider::openAI));
  EXPECT_EQ(clock.sleeps(), (std::vector<Clock::Duration>{4s + tick, 6s + tick}));
}

}  // namespace
}  // namespace tovrane
