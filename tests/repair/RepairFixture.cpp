#include "tests/repair/RepairFixture.hpp"

#include "core/project/Converter.hpp"
#include "core/support/Files.hpp"
#include "core/support/Json.hpp"
#include "core/support/Text.hpp"

namespace tovrane::testsupport {

namespace fs = std::filesystem;
using fakes::FakeReply;
using json::Json;

RepairProject::RepairProject(const std::vector<KotlinSourceFile>& kotlin,
                             const std::map<std::string, std::string>& swift) {
  AndroidProjectWriter(std::string("Notizen"), packageName, project).write(kotlin, std::nullopt, false, ProjectScan{});
  ProjectManifest manifest{packageName, (root / "App").string(), {}};
  for (const auto& [name, text] : swift) {
    const fs::path source = swiftFile(name);
    files::writeFile(source, text);
    manifest.files[name] = source.string();
  }
  files::writeFile(project / ".tovrane/manifest.json", encodeManifest(manifest));
  files::writeFile(report(), "# Konvertierungsbericht – Notizen\n");
}

fs::path RepairProject::packageFolder() const { return project / "app/src/main/java/com/example/app"; }

std::string RepairProject::read(const std::string& name) const { return files::readFile(file(name)); }

fs::path RepairProject::swiftFile(const std::string& kotlinName) const {
  return root / "App" / (kotlinName.substr(0, kotlinName.size() - 3) + ".swift");
}

KotlinSourceFile placeholderFile(const std::string& name, int placeholders) {
  std::string text = std::string(packageLine) + "\n\nfun screen() = listOf(";
  for (int i = 0; i < placeholders; ++i) text += (i ? ", " : "") + std::string("TODO(\"tovrane: x") + std::to_string(i) + "\")";
  return {name, text + ")\n"};
}

std::string fenced(const std::string& kotlin) { return "Here you go:\n```kotlin\n" + kotlin + "```\n"; }

std::string repairedKotlin() {
  return std::string(packageLine) + "\n\n// Repaired: every value computed in place.\nfun screen() = listOf(1, 2, 3)\n";
}

namespace {

FakeReply ok(const Json& body) {
  FakeReply reply;
  reply.body = json::dumpCompact(body);
  return reply;
}

}  // namespace

FakeReply geminiReply(const std::string& text, Tokens tokens) {
  return ok({{"candidates", Json::array({{{"content", {{"parts", Json::array({{{"text", text}}})}}},
                                          {"finishReason", "STOP"}}})},
             {"usageMetadata",
              {{"promptTokenCount", tokens.input + tokens.cached},
               {"cachedContentTokenCount", tokens.cached},
               {"candidatesTokenCount", tokens.output}}}});
}

FakeReply claudeReply(const std::string& text, Tokens tokens) {
  return ok({{"content", Json::array({{{"type", "text"}, {"text", text}}})},
             {"stop_reason", "end_turn"},
             {"usage",
              {{"input_tokens", tokens.input},
               {"cache_creation_input_tokens", tokens.cacheWrites},
               {"cache_read_input_tokens", tokens.cached},
               {"output_tokens", tokens.output}}}});
}

FakeReply openAIReply(const std::string& text, Tokens tokens) {
  return ok({{"status", "completed"},
             {"output", Json::array({{{"content", Json::array({{{"type", "output_text"}, {"text", text}}})}}})},
             {"usage",
              {{"input_tokens", tokens.input},
               {"input_tokens_details", {{"cached_tokens", tokens.cached}}},
               {"output_tokens", tokens.output}}}});
}

FakeReply withMode(FakeReply::Mode mode) {
  FakeReply reply;
  reply.mode = mode;
  return reply;
}

Host hostWith(const Clock& clock) {
  return Host(Host::Options{.environment = {}, .platform = Platform::linuxOS, .root = {}, .clock = &clock,
                            .loginShell = std::nullopt});
}

Endpoints endpointsAt(const fakes::FakeHttpServer& server) {
  const std::string base = server.url("");
  return Endpoints{.anthropic = base, .openAI = base, .gemini = base, .local = base};
}

std::string userTextOf(const fakes::RecordedRequest& request) {
  const Json body = Json::parse(request.body);
  if (body.contains("contents")) return body["contents"][0]["parts"][0]["text"];
  if (body.contains("input")) return body["input"][1]["content"][0]["text"];
  return body["messages"][0]["content"];
}

std::vector<fakes::RecordedRequest> requestsTo(const fakes::FakeHttpServer& server, const std::string& path) {
  std::vector<fakes::RecordedRequest> found;
  for (auto& request : server.requests())
    if (request.path == path) found.push_back(std::move(request));
  return found;
}

AIRepairer::Events EventLog::callback() {
  return [this](const AIRepairEvent& event) {
    {
      std::lock_guard lock(mutex_);
      events_.push_back(event);
    }
    if (hook) hook(event);
  };
}

std::vector<AIRepairEvent> EventLog::events() const {
  std::lock_guard lock(mutex_);
  return events_;
}

std::vector<std::string> EventLog::statuses() const {
  std::vector<std::string> texts;
  for (const auto& status : only<repair_event::Status>()) texts.push_back(status.text);
  return texts;
}

BuildMachine::BuildMachine(bool withAndroidStudio) : host(machine.host()) {
  machine.environment()["PATH"] = "/usr/bin:/bin";
  if (withAndroidStudio) {
    machine.javaRuntime(machine.home() / "android-studio/jbr");
    machine.androidSdk(machine.homeSdk());
  }
  host = machine.host();
  files::createDirectories(state());
}

void BuildMachine::install(const fs::path& project, const std::vector<Build>& builds) const {
  for (std::size_t i = 0; i < builds.size(); ++i) {
    files::writeFile(state() / (std::to_string(i + 1) + ".out"), builds[i].output);
    files::writeFile(state() / (std::to_string(i + 1) + ".status"), std::to_string(builds[i].status));
  }
  FakeTool gradlew;
  gradlew.body = "state=" + shellQuote(state().string()) + R"sh(
n=$(( $(cat "$state/count" 2>/dev/null || echo 0) + 1 ))
echo "$n" > "$state/count"
[ -f "$state/$n.out" ] || exit 0
cat "$state/$n.out"
exit "$(cat "$state/$n.status")")sh";
  gradlew.install(project / "gradlew");
}

int BuildMachine::builds() const {
  try {
    return std::stoi(files::readFile(state() / "count"));
  } catch (const files::FileError&) {
    return 0;
  }
}

BuildMachine::Build BuildMachine::failing(const std::map<fs::path, int>& errors) {
  Build build{"> Task :app:compileDebugKotlin FAILED\n", 1};
  for (const auto& [file, count] : errors)
    for (int i = 1; i <= count; ++i)
      build.output += "e: file://" + text::replaceAll(file.string(), " ", "%20") + ":" + std::to_string(i) + ":5 Unresolved reference 'value" +
                      std::to_string(i) + "'.\n";
  build.output += "\nFAILURE: Build failed with an exception.\n";
  return build;
}

}  // namespace tovrane::testsupport
