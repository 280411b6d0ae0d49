#include "core/repair/LocalModels.hpp"

#include "tests/repair/Thrown.hpp"
#include "tests/support/FakeHttpServer.hpp"
#include "tests/support/FakeMachine.hpp"

#include <gtest/gtest.h>


namespace tovrane {
namespace {

using namespace std::chrono_literals;
using fakes::FakeHttpServer;
using fakes::FakeReply;
using testsupport::FakeMachine;
using testsupport::InstalledTool;
using testsupport::thrown;
namespace fs = std::filesystem;

FakeReply answer(int status, std::string body) {
  FakeReply reply;
  reply.status = status;
  reply.body = std::move(body);
  return reply;
}

const FakeReply emptyList = answer(200, R"({"models":[]})");

// A machine, its server (silent unless told otherwise) and instant pauses.
struct Local {
  explicit Local(Platform platform = Platform::linuxOS) : machine(platform) {}
  FakeMachine machine;
  FakeHttpServer server;
  FakeClock clock;
  Host host = machine.host(&clock);
  Endpoints endpoints = [this] {
    auto endpoints = Endpoints::standard();
    endpoints.local = server.url("");
    return endpoints;
  }();
  LocalModels models{endpoints, host};
};

// The calls of a program started in the background, once it has logged count of them.
std::vector<testsupport::ToolCall> callsOnceLogged(const InstalledTool& tool, std::size_t count) {
  testsupport::eventually([&] { return tool.calls().size() >= count; });
  return tool.calls();
}

struct Pulled {
  double fraction;
  std::string status;
  bool operator==(const Pulled&) const = default;
};

TEST(LocalModels, InstalledAtTheInstallersPlaces) {
  struct Case {
    Platform platform;
    const char* path;
    bool installed;
  };
  const std::vector<Case> cases = {
      {Platform::macOS, "/Applications/Ollama.app/", true},
      {Platform::macOS, "/usr/local/bin/ollama", true},
      {Platform::macOS, "/opt/homebrew/bin/ollama", true},
      {Platform::macOS, "/usr/bin/ollama", false},
      {Platform::linuxOS, "/usr/local/bin/ollama", true},
      {Platform::linuxOS, "/usr/bin/ollama", true},
      {Platform::linuxOS, "/Applications/Ollama.app/", false},
      {Platform::linuxOS, "/opt/homebrew/bin/ollama", false},
      {Platform::linuxOS, "/usr/bin/ollama-not", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    Local local(c.platform);
    const fs::path placed = local.machine.root() / fs::path(c.path).relative_path();
    if (std::string_view(c.path).ends_with('/')) fs::create_directories(placed);
    else local.machine.tool(c.path);
    EXPECT_EQ(local.models.isInstalled(), c.installed);
  }
}

TEST(LocalModels, AnsweringServerIsNotStarted) {
  Local local;
  const auto ollama = local.machine.tool("/usr/bin/ollama");
  local.server.on("/api/tags", emptyList);
  EXPECT_TRUE(local.models.isRunning());
  EXPECT_TRUE(local.models.ensureRunning());
  EXPECT_TRUE(local.clock.sleeps().empty());
  EXPECT_TRUE(ollama.calls().empty());
}

TEST(LocalModels, SilentServerIsStartedThenPolled) {
  struct Case {
    Platform platform;
    const char* installed;
    const char* starter;
    std::vector<std::string> arguments;
  };
  const std::vector<Case> cases = {
      {Platform::linuxOS, "/usr/local/bin/ollama", "/usr/local/bin/ollama", {"serve"}},
      {Platform::linuxOS, "/usr/bin/ollama", "/usr/bin/ollama", {"serve"}},
      {Platform::macOS, "/Applications/Ollama.app/Contents/MacOS/Ollama", "/usr/bin/open", {"-g", "-a", "Ollama"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.installed);
    Local local(c.platform);
    const auto installed = local.machine.tool(c.installed);
    const auto starter = local.machine.tool(c.starter);
    // On Linux "/usr/bin/open" may be another program: it must not run.
    const auto open = c.platform == Platform::linuxOS ? local.machine.tool("/usr/bin/open") : starter;
    for (int i = 0; i < 3; ++i) local.server.enqueue(answer(503, ""));
    local.server.enqueue(emptyList);
    EXPECT_TRUE(local.models.ensureRunning());
    EXPECT_EQ(local.clock.sleeps(), (std::vector<Clock::Duration>{500ms, 500ms, 500ms}));
    const auto calls = callsOnceLogged(starter, 1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].arguments, c.arguments);
    if (c.platform == Platform::linuxOS) {
      EXPECT_TRUE(open.calls().empty());
    }
  }
}

TEST(LocalModels, ServerThatNeverAnswers) {
  {
    SCOPED_TRACE("installed: thirty polls, half a second apart");
    Local local;
    local.machine.tool("/usr/bin/ollama");
    EXPECT_FALSE(local.models.ensureRunning());
    EXPECT_EQ(local.clock.sleeps(), std::vector<Clock::Duration>(30, 500ms));
  }
  {
    SCOPED_TRACE("not installed: at once");
    Local local;
    EXPECT_FALSE(local.models.ensureRunning());
    EXPECT_TRUE(local.models.installed().empty());
    const auto error = thrown<AIRepairError>(
        [&] { local.models.pull("qwen2.5-coder:7b", [](double, const std::string&) { ADD_FAILURE(); }); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->status(), 0);
    EXPECT_EQ(error->detail(), "Ollama läuft nicht");
    EXPECT_TRUE(local.clock.sleeps().empty());
    // Only the model-list checks reached the server.
    for (const auto& request : local.server.requests()) EXPECT_EQ(request.path, "/api/tags");
  }
}

TEST(LocalModels, ListsCoderModelsWithTheirSizes) {
  Local local;
  local.server.on("/api/tags", answer(200, R"({"models":[
      {"name":"qwen2.5-coder:7b","size":4700000000,"digest":"abc"},
      {"name":"nomic-embed-text:latest","size":274302450},
      {"name":"whisper:large","size":1},
      {"size":12},
      {"name":"llama3:8b"},
      {"name":"Embedded-Coder:1b","size":1500000000}]})"));
  EXPECT_EQ(local.models.installed(), (std::vector<LocalModels::Model>{
                                          {"qwen2.5-coder:7b", 4.7}, {"llama3:8b", 0}, {"Embedded-Coder:1b", 1.5}}));
}

TEST(LocalModels, UnreadableListIsEmpty) {
  for (const std::string body : {"not json", "[]", R"({"models":{}})", R"({"models":[{"name":"a"},3]})"}) {
    SCOPED_TRACE(body);
    Local local;
    local.server.on("/api/tags", answer(200, body));
    EXPECT_TRUE(local.models.installed().empty());
  }
}

TEST(LocalModels, PullReportsEachLineOfTheStream) {
  struct Case {
    const char* name;
    FakeReply reply;
    std::vector<Pulled> progress;
    std::optional<std::pair<int, std::string>> error = std::nullopt;  // status and detail
  };
  const std::vector<Case> cases = {
      {"progress lines",
       answer(200, R"({"status":"pulling manifest"})"
                   "\n"
                   R"({"status":"pulling 6a0746a1ec1a","digest":"sha256:6a07","total":200,"completed":50})"
                   "\n"
                   "not json\n"
                   R"(["a list"])"
                   "\n"
                   R"({"status":"success"})"),
       {{0, "pulling manifest"}, {0.25, "pulling 6a0746a1ec1a"}, {0, "success"}}},
      {"mistyped fields", answer(200, R"({"status":7,"total":"200","completed":50})"), {{0, ""}}},
      {"error line", answer(200, R"({"status":"pulling manifest"})" "\n" R"({"error":"pull model manifest: file does not exist"})" "\n" R"({"status":"never read"})"),
       {{0, "pulling manifest"}}, std::pair<int, std::string>{0, "pull model manifest: file does not exist"}},
      {"refused with an error text", answer(404, R"({"error":"model \"nope\" not found"})"), {},
       std::pair<int, std::string>{0, "model \"nope\" not found"}},
      {"refused without one", answer(502, "Bad Gateway\n<html>"), {},
       std::pair<int, std::string>{502, "Bad Gateway\n<html>"}},
      {"refused with an empty body", answer(500, ""), {}, std::pair<int, std::string>{500, ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Local local;
    local.server.on("/api/tags", emptyList);
    local.server.on("/api/pull", c.reply);
    std::vector<Pulled> progress;
    auto record = [&](double fraction, const std::string& status) { progress.push_back({fraction, status}); };
    const auto error = thrown<AIRepairError>([&] { local.models.pull("qwen2.5-coder:7b", record); });
    if (c.error) {
      ASSERT_TRUE(error);
      EXPECT_EQ(error->kind(), AIRepairError::Kind::http);
      EXPECT_EQ(std::pair(error->status(), error->detail()), *c.error);
    } else {
      EXPECT_FALSE(error);
    }
    EXPECT_EQ(progress, c.progress);

    const auto requests = local.server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].method, "POST");
    EXPECT_EQ(requests[1].path, "/api/pull");
    EXPECT_EQ(json::Json::parse(requests[1].body), (json::Json{{"model", "qwen2.5-coder:7b"}, {"stream", true}}));
  }
}

}  // namespace
}  // namespace tovrane
