#include "tests/app/fakes/EngineWorld.hpp"

#include "core/support/Files.hpp"
#include "core/support/Json.hpp"
#include "core/support/Text.hpp"
#include "tests/support/FakeTool.hpp"

#include <csignal>

namespace tovrane::app::test {

namespace fs = std::filesystem;
using testsupport::FakeTool;
using testsupport::shellQuote;

namespace {

// The debug bridge over files in the state folder: "devices" lists the
// running emulators, "avd-<serial>" names each one's configuration, and the
// boot is complete unless "boot-held" exists.
const char* const adbBody = R"sh(
case "$1" in
  start-server) exit 0 ;;
  devices) printf 'List of devices attached\n'; cat "$state/devices" 2>/dev/null; printf '\n'; exit 0 ;;
  -s) serial=$2; shift 2 ;;
  *) exit 1 ;;
esac
case "$*" in
  "emu avd name") cat "$state/avd-$serial" 2>/dev/null || exit 1; printf '\r\nOK\r\n' ;;
  "shell getprop sys.boot_completed") [ -f "$state/boot-held" ] && printf '\n' || printf '1\n' ;;
  install*) printf 'Performing Streamed Install\nSuccess\n' ;;
  "shell am start"*) printf 'Status: ok\n' ;;
esac
exit 0
)sh";

// Lists its one configuration; started, it comes up as emulator-5554 and
// stays in its own process group until the world ends it.
const char* const emulatorBody = R"sh(
if [ "$1" = -list-avds ]; then printf 'Pixel_8_API_35\n'; exit 0; fi
echo $$ > "$state/emulator.pid"
printf '%s' "$2" > "$state/avd-emulator-5554"
printf 'emulator-5554\tdevice\n' > "$state/devices"
exec sleep 600
)sh";

const char* const gradlewBody = R"sh(
n=$(( $(cat "$state/gradle-count" 2>/dev/null || echo 0) + 1 ))
echo "$n" > "$state/gradle-count"
echo "$*" >> "$state/gradle-tasks"
[ -f "$state/build-$n.out" ] || exit 0
cat "$state/build-$n.out"
exit "$(cat "$state/build-$n.status")"
)sh";

FakeTool scripted(const fs::path& state, const char* body) {
  FakeTool tool;
  tool.body = "state=" + shellQuote(state.string()) + "\n" + body;
  return tool;
}

}  // namespace

EngineWorld::EngineWorld()
    : host([this] {
        files::createDirectories(state());
        machine.environment()["PATH"] = "/usr/bin:/bin";
        machine.javaRuntime(machine.home() / "android-studio/jbr");
        machine.androidSdk(machine.homeSdk(), scripted(state(), adbBody), scripted(state(), emulatorBody));
        files::writeFile(machine.home() / ".android/avd/Pixel_8_API_35.ini", "target=android-35\n");
        machine.tool("/usr/local/bin/claude");
        machine.tool("/usr/local/bin/codex");
        return machine.host();
      }()),
      engine(host, Endpoints{.anthropic = server.url(""),
                             .openAI = server.url(""),
                             .gemini = server.url(""),
                             .local = server.url("")}) {}

EngineWorld::~EngineWorld() {
  // The emulator outlives its run by design; it ends with the world.
  try {
    ::kill(-std::stoi(files::readFile(state() / "emulator.pid")), SIGKILL);
  } catch (const std::exception&) {
  }
}

void EngineWorld::useBuilds(const fs::path& project, const std::vector<Build>& builds) const {
  fs::remove(state() / "gradle-count");
  for (std::size_t i = 0; i < builds.size(); ++i) {
    files::writeFile(state() / ("build-" + std::to_string(i + 1) + ".out"), builds[i].output);
    files::writeFile(state() / ("build-" + std::to_string(i + 1) + ".status"), std::to_string(builds[i].status));
  }
  scripted(state(), gradlewBody).install(project / "gradlew");
}

EngineWorld::Build EngineWorld::failingIn(const fs::path& file) {
  return {"> Task :app:compileDebugKotlin FAILED\ne: file://" + text::replaceAll(file.string(), " ", "%20") +
              ":3:5 Unresolved reference 'value'.\n\nFAILURE: Build failed with an exception.\n",
          1};
}

std::vector<std::string> EngineWorld::gradleTasks() const {
  std::vector<std::string> tasks;
  std::string log;
  try {
    log = files::readFile(state() / "gradle-tasks");
  } catch (const files::FileError&) {
  }
  for (std::string_view line : text::splitLines(log)) {
    if (!line.empty()) tasks.emplace_back(line);
  }
  return tasks;
}

std::string EngineWorld::repaired(std::string kotlin) {
  std::string filled = text::replaceAll(text::replaceAll(kotlin, "TODO(\"tovrane", "TODO(\"done"), "Unsupported(\"", "Text(\"");
  // As the repairer writes an answer's code: with one final line feed.
  while (!filled.empty() && filled.back() == '\n') filled.pop_back();
  return filled + "\n";
}

fakes::FakeReply EngineWorld::geminiAnswer(const std::string& text) {
  fakes::FakeReply reply;
  reply.body = json::Json{{"candidates", json::Json::array({{{"content", {{"parts", json::Json::array({{{"text", "```kotlin\n" + text + "```\n"}}})}}},
                                                              {"finishReason", "STOP"}}})},
                          {"usageMetadata", {{"promptTokenCount", 1000}, {"candidatesTokenCount", 100}}}}
                   .dump();
  return reply;
}

void EngineWorld::holdBoot(bool held) const {
  if (held) {
    files::writeFile(state() / "boot-held", "");
  } else {
    fs::remove(state() / "boot-held");
  }
}

}  // namespace tovrane::app::test
