#include "core/devices/DeviceLauncher.hpp"

#include "core/support/Cancelled.hpp"
#include "core/support/Files.hpp"
#include "core/support/Process.hpp"
#include "tests/support/FakeMachine.hpp"
#include "tests/support/ManualClock.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <thread>

namespace tovrane {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using DeviceLauncher::LaunchError;
using testsupport::FakeMachine;
using testsupport::FakeTool;
using testsupport::InstalledTool;
using testsupport::leave;
using testsupport::Leftover;
using testsupport::shellQuote;
using testsupport::ToolCall;
using Args = std::vector<std::string>;

const std::string avd = "Pixel_8_API_35";
const std::string packageFile = "app/build/outputs/apk/debug/app-debug.apk";
const std::string starting = "Starte Pixel 8 API 35 …";
const std::string building = "Baue die Android-App …";
const std::string installing = "Installiere auf dem Emulator …";
const std::string running = "Läuft auf Pixel 8 API 35";
const std::string missingText = "Android Studio bzw. das Android-SDK wurde nicht gefunden.";

// The debug bridge as a state machine over files in a state folder:
//   devices            the lines of the device listing
//   avd-<serial>       the configuration name that emulator answers
//   boot-after         getprop answers "1" from this call on (default 1)
//   getprop-hangs      getprop hangs, with a child in a session of its own,
//                      after creating "getprop-hung"
//   install-status/-output, start-status/-output, monkey-status/-output
// Every decision that tells the order of events appends to "events". It
// ignores SIGTERM, as a hung adb may.
const char* const adbBody = R"sh(
value() { cat "$state/$1" 2>/dev/null || printf '%s' "$2"; }
case "$1" in
  start-server) exit 0 ;;
  devices) printf 'List of devices attached\n'; value devices ''; printf '\n'; exit 0 ;;
  -s) serial=$2; shift 2 ;;
  *) exit 1 ;;
esac
case "$*" in
  "emu avd name")
    if [ -f "$state/avd-$serial" ]; then printf '%s\r\nOK\r\n' "$(cat "$state/avd-$serial")"
    else printf 'error: could not connect to TCP port\n'; exit 1; fi ;;
  "shell getprop sys.boot_completed")
    if [ -f "$state/getprop-hangs" ]; then
      setsid sleep 600 & echo $! >> "$0.pids"
      : > "$state/getprop-hung"; sleep 600
    fi
    calls=$(( $(value getprop-calls 0) + 1 )); echo $calls > "$state/getprop-calls"
    if [ $calls -lt "$(value boot-after 1)" ]; then printf '\n'; exit 0; fi
    echo booted >> "$state/events"; printf '1\n' ;;
  install*)
    echo install >> "$state/events"; value install-output 'Performing Streamed Install
Success
'; exit "$(value install-status 0)" ;;
  "shell am start"*)
    value start-output 'Starting: Intent { cmp=x/.MainActivity }
Status: ok
'; exit "$(value start-status 0)" ;;
  "shell monkey"*) value monkey-output 'Events injected: 1
'; exit "$(value monkey-status 0)" ;;
esac
exit 0
)sh";

enum class Emulator {
  boots,        // its device shows up after a moment and boots; it keeps running
  fails,        // exits 1 at once
  hangs,        // keeps running, never shows up
  unstartable,  // executable, but its interpreter is missing
};

// A machine with Android Studio's Java, an SDK with fake adb and emulator,
// and a converted project whose gradlew is a fake too.
struct AndroidProject {
  explicit AndroidProject(Platform platform = Platform::linuxOS) : machine(platform) {
    files::createDirectories(state);
    if (platform == Platform::macOS) machine.androidStudio();
    else machine.javaRuntime(machine.home() / "android-studio/jbr");
    FakeTool adbTool;
    adbTool.ignoresTerminate = true;
    adbTool.body = "state=" + shellQuote(state.string()) + "\n" + adbBody;
    sdk = machine.androidSdk(machine.homeSdk(), adbTool);
    useEmulator(Emulator::boots);
    useGradle(FakeTool{});
    writeManifest(R"({"packageName": "com.example.demo", "sourceRoot": "/src/Demo", "files": {}})");
  }
  AndroidProject(const AndroidProject&) = delete;
  AndroidProject& operator=(const AndroidProject&) = delete;
  // The emulator is left running by design; end it and its children here.
  ~AndroidProject() { endEmulator(); }

  void endEmulator() const {
    if (!fs::exists(state / "emulator.pid")) return;
    ::kill(-emulatorPid(), SIGKILL);
    fs::remove(state / "emulator.pid");
  }

  void useEmulator(Emulator kind) {
    FakeTool tool;
    const std::string at = shellQuote(state.string());
    switch (kind) {
      case Emulator::boots:
        tool.body = "echo $$ > " + at + "/emulator.pid; sleep 0.3; printf '%s' " + shellQuote(avd) + " > " + at +
                    "/avd-emulator-5554; printf 'emulator-5554\\tdevice' > " + at + "/devices.new; mv " + at +
                    "/devices.new " + at + "/devices; sleep 600";
        break;
      case Emulator::fails: tool.body = "echo $$ > " + at + "/emulator.pid; exit 1"; break;
      case Emulator::hangs: tool.body = "echo $$ > " + at + "/emulator.pid; sleep 600"; break;
      case Emulator::unstartable: break;
    }
    emulator = tool.install(sdk.emulator.program);
    if (kind == Emulator::unstartable) files::writeAtomic(emulator.program, "#!/nonexistent/sh\n", 0755);
  }

  // A build that ends after its body and delay and says so in the events.
  void useGradle(FakeTool tool, const std::string& delay = "0") {
    tool.body += "\nsleep " + delay + "; echo 'build end' >> " + shellQuote((state / "events").string());
    gradlew = tool.install(project / "gradlew");
  }

  void writeManifest(const std::string& text) const { files::writeFile(project / ".tovrane/manifest.json", text); }
  void set(const std::string& name, const std::string& value) const { files::writeFile(state / name, value); }

  // An emulator of the chosen configuration that runs already (and has booted
  // unless boot-after says otherwise).
  void alreadyRunning() const {
    set("devices", "emulator-5554\tdevice");
    set("avd-emulator-5554", avd);
  }

  void run(std::stop_token stop = {}) {
    DeviceLauncher::runAndroid(project, avd, [this](const std::string& text) { statuses.push_back(text); },
                               std::move(stop), machine.host(&clock));
  }

  // The error text of a run that must fail with LaunchError of kind.
  std::string failure(LaunchError::Kind kind = LaunchError::Kind::failed) {
    try {
      run();
    } catch (const LaunchError& error) {
      EXPECT_EQ(error.kind(), kind);
      return error.what();
    }
    ADD_FAILURE() << "the run did not fail";
    return {};
  }

  std::vector<Args> adbCalls() const {
    std::vector<Args> out;
    for (const ToolCall& call : sdk.adb.calls()) out.push_back(call.arguments);
    return out;
  }
  // As adbCalls, with each run of equal calls (the polls) as one.
  std::vector<Args> adbSteps() const {
    std::vector<Args> out;
    for (Args& call : adbCalls())
      if (out.empty() || out.back() != call) out.push_back(std::move(call));
    return out;
  }
  std::vector<std::string> events() const {
    std::vector<std::string> out;
    if (!fs::exists(state / "events")) return out;
    const std::string text = files::readFile(state / "events");
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
      out.push_back(text.substr(start, end - start));
    return out;
  }
  pid_t emulatorPid() const { return static_cast<pid_t>(std::stoi(files::readFile(state / "emulator.pid"))); }

  Args install() const { return {"-s", "emulator-5554", "install", "-r", (project / packageFile).string()}; }
  Args start(const std::string& package = "com.example.demo") const {
    return {"-s", "emulator-5554", "shell", "am", "start", "-W", "-n", package + "/.MainActivity"};
  }
  Args monkey(const std::string& package = "com.example.demo") const {
    return {"-s", "emulator-5554", "shell", "monkey", "-p", package, "-c", "android.intent.category.LAUNCHER", "1"};
  }
  static Args getprop(const std::string& serial = "emulator-5554") {
    return {"-s", serial, "shell", "getprop", "sys.boot_completed"};
  }
  static Args avdName(const std::string& serial = "emulator-5554") { return {"-s", serial, "emu", "avd", "name"}; }

  FakeMachine machine;
  fs::path state = machine.root() / "state";
  fs::path project = machine.root() / "work/Demo-Android";
  FakeMachine::AndroidSdk sdk;
  InstalledTool emulator;
  InstalledTool gradlew;
  // Pauses of 2 s last 0.2 s; the boot deadline lies 42 s ahead, far beyond
  // what a boot of the fake emulator takes on a loaded machine.
  ScaledClock clock{10};
  std::vector<std::string> statuses;
};

class AndroidRun : public ::testing::Test, protected AndroidProject {};

TEST_F(AndroidRun, StartsTheEmulatorBuildsMeanwhileInstallsAndStartsTheApp) {
  run();
  EXPECT_EQ(statuses, (std::vector<std::string>{starting, building, installing, running}));
  EXPECT_EQ(adbSteps(), (std::vector<Args>{{"start-server"}, {"devices"}, avdName(), getprop(), install(), start()}));
  ASSERT_EQ(emulator.calls().size(), 1u);
  EXPECT_EQ(emulator.calls()[0].arguments, (Args{"-avd", avd, "-no-snapshot-save", "-no-boot-anim"}));
  ASSERT_EQ(gradlew.calls().size(), 1u);
  EXPECT_EQ(gradlew.calls()[0].arguments, (Args{"assembleDebug", "--console=plain", "-q"}));
  // The emulator outlives the run.
  EXPECT_EQ(::kill(emulatorPid(), 0), 0);
}

TEST_F(AndroidRun, UsesTheRunningEmulatorOfTheConfiguration) {
  // An offline emulator of the same name, another configuration, then ours.
  set("devices", "emulator-5550\toffline\nemulator-5552\tdevice\nemulator-5554\tdevice\nemulator-5556\tdevice");
  for (const char* serial : {"emulator-5550", "emulator-5554"}) set(std::string("avd-") + serial, avd);
  set("avd-emulator-5552", "Pixel_7_Pro");
  run();

  EXPECT_EQ(statuses, (std::vector<std::string>{building, installing, running}));
  EXPECT_EQ(adbCalls(), (std::vector<Args>{{"start-server"}, {"devices"}, avdName("emulator-5552"),
                                           avdName("emulator-5554"), getprop(), install(), start()}));
  EXPECT_EQ(emulator.calls().size(), 0u);
}

TEST_F(AndroidRun, AnEmulatorThatExitsFailsTheRunOnceTheBuildHasEnded) {
  useEmulator(Emulator::fails);
  useGradle(FakeTool{}, "0.5");
  EXPECT_EQ(failure(), "Der Emulator „Pixel_8_API_35“ ließ sich nicht starten (Code 1). Läuft er schon in Android "
                       "Studio? Dann dort schließen und erneut versuchen.");
  EXPECT_EQ(statuses, (std::vector<std::string>{starting, building}));
  EXPECT_EQ(events(), std::vector<std::string>{"build end"});

  // The exited emulator was collected: no zombie stays behind.
  const pid_t pid = emulatorPid();
  EXPECT_TRUE(testsupport::eventually([pid] { return ::kill(pid, 0) != 0 && errno == ESRCH; }));
  fs::remove(state / "emulator.pid");
}

TEST_F(AndroidRun, TheBootWaitEndsAtItsDeadlineOrAStopRequest) {
  // Seven minutes pass in about half a second.
  ScaledClock fast(1000);
  useEmulator(Emulator::hangs);
  useGradle(FakeTool{}, "0.3");
  try {
    DeviceLauncher::runAndroid(project, avd, [](const std::string&) {}, {}, machine.host(&fast));
    ADD_FAILURE() << "the run did not fail";
  } catch (const LaunchError& error) {
    EXPECT_EQ(std::string(error.what()), "Der Emulator ist nach 7 Minuten noch nicht hochgefahren.");
  }
  EXPECT_EQ(events(), std::vector<std::string>{"build end"});
  endEmulator();
  fs::remove(state / "events");

  // A stop request as the build starts: the build never runs; the found
  // emulator never boots.
  alreadyRunning();
  set("boot-after", "1000000");
  std::stop_source stop;
  const auto requestStopWhileBuilding = [&](const std::string& text) {
    statuses.push_back(text);
    if (text == building) stop.request_stop();
  };
  EXPECT_THROW(
      DeviceLauncher::runAndroid(project, avd, requestStopWhileBuilding, stop.get_token(), machine.host(&clock)),
      Cancelled);
  EXPECT_EQ(statuses, std::vector<std::string>{building});
  EXPECT_EQ(events(), std::vector<std::string>{});
  EXPECT_EQ(gradlew.calls().size(), 1u);
}

// A debug bridge that hangs in the boot wait, ignoring SIGTERM, neither
// outlasts the boot's deadline nor a stop request, and leaves nothing behind.
TEST_F(AndroidRun, AHungDebugBridgeEndsAtTheBootDeadlineOrAStopRequest) {
  for (const bool stopRequested : {false, true}) {
    SCOPED_TRACE(stopRequested ? "stop request" : "deadline");
    fs::remove(state / "events");
    fs::remove(state / "getprop-hung");
    alreadyRunning();
    set("getprop-hangs", "");
    // The seven minutes pass once the debug bridge hangs.
    testsupport::ManualClock manual;
    std::stop_source stop;
    std::jthread stopper([&] {
      if (!testsupport::awaitFile(state / "getprop-hung")) return;
      if (stopRequested) stop.request_stop();
      else manual.advance(8min);
    });
    try {
      DeviceLauncher::runAndroid(project, avd, [](const std::string&) {}, stop.get_token(),
                                 machine.host(stopRequested ? static_cast<const Clock*>(&clock) : &manual));
      ADD_FAILURE() << "the run did not fail";
    } catch (const Cancelled&) {
      EXPECT_TRUE(stopRequested);
    } catch (const LaunchError& error) {
      EXPECT_FALSE(stopRequested);
      EXPECT_EQ(std::string(error.what()), "Der Emulator ist nach 7 Minuten noch nicht hochgefahren.");
    }
    EXPECT_TRUE(fs::exists(state / "getprop-hung"));
    EXPECT_TRUE(testsupport::allEnd(sdk.adb.pids()));
  }
}

// A build that has failed is reported at once, not after a boot that may
// never come; an emulator that failed meanwhile is reported after it.
TEST_F(AndroidRun, AFailedBuildIsReportedFirstAndWithoutWaitingForTheBoot) {
  const std::string buildText = "Build fehlgeschlagen:\nBUILD FAILED\n";
  const std::string emulatorText = "Der Emulator „Pixel_8_API_35“ ließ sich nicht starten (Code 1). Läuft er schon in "
                                   "Android Studio? Dann dort schließen und erneut versuchen.";
  const std::string deadlineText = "Der Emulator ist nach 7 Minuten noch nicht hochgefahren.";
  // Ends once the launched emulator has been collected by the run, so the run
  // has seen its exit before it sees the build's.
  const std::string pidFile = shellQuote((state / "emulator.pid").string());
  const std::string afterTheEmulator =
      "until [ -s " + pidFile + " ] && ! kill -0 $(cat " + pidFile + ") 2>/dev/null; do sleep 0.05; done";
  struct Case {
    const char* name;
    std::optional<Emulator> emulator;  // none: one runs already and never boots
    bool fast;                         // seven minutes in half a second
    std::string buildDelay;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"the boot never comes", std::nullopt, false, "0", buildText},
      {"the emulator fails first", Emulator::fails, false, "0", buildText + "\n\n" + emulatorText},
      {"the deadline passes first", Emulator::hangs, true, "2", buildText + "\n\n" + deadlineText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    endEmulator();
    fs::remove(state / "devices");
    fs::remove(state / "events");
    if (c.emulator) useEmulator(*c.emulator);
    else alreadyRunning();
    set("boot-after", "1000000");
    FakeTool build;
    build.output = "BUILD FAILED\n";
    build.status = 1;
    if (c.emulator == Emulator::fails) build.body = afterTheEmulator;
    useGradle(build, c.buildDelay);
    ScaledClock fast(1000);
    try {
      DeviceLauncher::runAndroid(project, avd, [](const std::string&) {}, {},
                                 machine.host(c.fast ? static_cast<const Clock*>(&fast) : &clock));
      ADD_FAILURE() << "the run did not fail";
    } catch (const LaunchError& error) {
      EXPECT_EQ(std::string(error.what()), c.message);
    }
    EXPECT_EQ(events(), std::vector<std::string>{"build end"});
  }
}

// A stop request ends the build under way with everything it started, and
// the run with it.
TEST_F(AndroidRun, AStopRequestEndsTheBuild) {
  alreadyRunning();
  FakeTool build;
  build.ignoresTerminate = true;
  build.body = leave(Leftover::ownSession) + "sleep 600";
  gradlew = build.install(project / "gradlew");
  std::stop_source stop;
  std::jthread stopper([&] {
    if (gradlew.awaitPids(2)) stop.request_stop();
  });
  EXPECT_THROW(run(stop.get_token()), Cancelled);
  EXPECT_EQ(statuses, std::vector<std::string>{building});
  EXPECT_TRUE(testsupport::allEnd(gradlew.pids()));
}

TEST_F(AndroidRun, BuildAndBootFinishInEitherOrder) {
  struct Case {
    const char* name;
    const char* bootAfter;  // boot checks until "1"
    int buildStatus;
    std::vector<std::string> events;
  };
  const std::vector<Case> cases = {
      {"a build slower than the boot", "1", 0, {"booted", "build end", "install"}},
      {"a build that fails after the boot", "1", 1, {"booted", "build end"}},
  };
  // The build ends once the boot is seen.
  const std::string afterTheBoot =
      "until grep -qx booted " + shellQuote((state / "events").string()) + " 2>/dev/null; do sleep 0.05; done";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(state / "events");
    fs::remove(state / "getprop-calls");
    statuses.clear();
    alreadyRunning();
    set("boot-after", c.bootAfter);
    FakeTool build;
    build.output = "BUILD FAILED\n";
    build.status = c.buildStatus;
    build.body = afterTheBoot;
    useGradle(build);
    if (c.buildStatus == 0) {
      run();
      EXPECT_EQ(statuses, (std::vector<std::string>{building, installing, running}));
    } else {
      EXPECT_EQ(failure(), "Build fehlgeschlagen:\nBUILD FAILED\n");
    }
    EXPECT_EQ(events(), c.events);
  }
}

TEST_F(AndroidRun, AFailedBuildShowsItsFirstCompilerErrorsOrItsTail) {
  // 1500 characters of three bytes each ("a" and a combining diaeresis) after a head that is cut off.
  std::string tail;
  for (int i = 0; i < 1500; ++i) tail += "a\xCC\x88";
  struct Case {
    std::string output;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"> Task :app:compileDebugKotlin FAILED\r\n"
       "e: file:///Users/u/P-Android/app/src/main/java/com/example/app/Main.kt:12:5 Unresolved reference: foo\r\n"
       "e: file:///Users/u/P-Android/app/src/main/java/com/example/app/Other.kt:3:1 Expecting member declaration\r\n"
       "w: file:///Users/u/P-Android/app/src/main/java/Warn.kt:1:1 unused\n"
       "e: Main.kt:1:1 plain\u2028"
       "e: file:///a/b/Fourth.kt:4:4 fourth\n"
       "e: file:///a/b/Fifth.kt:5:5 fifth\n",
       "Die Android-App kompiliert noch nicht (5 Fehler). Lass zuerst die KI-Reparatur laufen.\n"
       "Main.kt:12:5 Unresolved reference: foo\nOther.kt:3:1 Expecting member declaration\ne: Main.kt:1:1 plain"},
      {"Starting a Gradle Daemon\n" + tail, "Build fehlgeschlagen:\n" + tail},
      {"", "Build fehlgeschlagen:\n"},
  };
  alreadyRunning();
  for (const Case& c : cases) {
    FakeTool build;
    build.output = c.output;
    build.status = 1;
    useGradle(build);
    EXPECT_EQ(failure(), c.message);
  }
  // No install was tried.
  for (const Args& call : adbCalls()) EXPECT_NE(call, install());
}

TEST_F(AndroidRun, AFailedInstallShowsTheTailOfItsOutput) {
  alreadyRunning();
  std::string output = "Performing Streamed Install\n";
  for (int i = 0; i < 100; ++i) output += "adb: failed to install: INSTALL_FAILED_INSUFFICIENT_STORAGE ";
  set("install-output", output);
  set("install-status", "1");
  const std::string message = failure();
  EXPECT_EQ(message, "Installation fehlgeschlagen: " + output.substr(output.size() - 400));
  EXPECT_EQ(adbCalls().back(), install());
  EXPECT_EQ(statuses, (std::vector<std::string>{building, installing}));
}

// The start, else the launcher intent; a start that fails both ways, or for
// want of a package name adb can take, fails the run with adb's words.
TEST_F(AndroidRun, StartsTheAppOrFallsBackToTheLauncherIntent) {
  const std::string noPackage =
      "Die App ließ sich nicht starten: In „.tovrane/manifest.json“ steht kein gültiger Paketname.";
  struct Case {
    const char* name;
    std::optional<std::string> manifest;
    std::string startOutput;
    int startStatus;
    bool fallback;
    std::string monkeyOutput = "Events injected: 1\n";
    int monkeyStatus = 0;
    std::optional<std::string> failure = std::nullopt;
  };
  const std::string good = R"({"packageName": "com.example.demo", "sourceRoot": "/s", "files": {}})";
  const std::string hostile = R"({"packageName": "com.example.demo; reboot", "sourceRoot": "/s", "files": {}})";
  const std::vector<Case> cases = {
      {"started", good, "Status: ok\n", 0, false},
      {"an error line with status 0", good, "Error type 3\nError: Activity class does not exist.\n", 0, true},
      {"a failed start", good, "", 255, true},
      {"both fail", good, "Error: Activity class {com.example.demo/.MainActivity} does not exist.\n", 0, true,
       "** No activities found to run, monkey aborted.\n", 0,
       "Die App ließ sich nicht starten: Error: Activity class {com.example.demo/.MainActivity} does not exist.\n"
       "** No activities found to run, monkey aborted."},
      {"both fail without a word", good, "", 1, true, "", 252, "Die App ließ sich nicht starten (Code 252)."},
      {"no manifest", std::nullopt, "Status: ok\n", 0, false, "", 0, noPackage},
      {"a manifest that is no JSON", "{", "Status: ok\n", 0, false, "", 0, noPackage},
      {"a package name that is more than one word", hostile, "Status: ok\n", 0, false, "", 0, noPackage},
  };
  alreadyRunning();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(project / ".tovrane/manifest.json");
    if (c.manifest) writeManifest(*c.manifest);
    set("start-output", c.startOutput);
    set("start-status", std::to_string(c.startStatus));
    set("monkey-output", c.monkeyOutput);
    set("monkey-status", std::to_string(c.monkeyStatus));
    fs::remove(sdk.adb.log);
    statuses.clear();
    if (c.failure) {
      EXPECT_EQ(failure(), *c.failure);
      EXPECT_EQ(statuses.back(), installing);
    } else {
      run();
      EXPECT_EQ(statuses.back(), running);
    }
    std::vector<Args> expected = {install()};
    if (c.manifest && c.failure != noPackage) expected.push_back(start());
    if (c.fallback) expected.push_back(monkey());
    const std::vector<Args> calls = adbCalls();
    ASSERT_GE(calls.size(), expected.size());
    EXPECT_EQ(std::vector<Args>(calls.end() - static_cast<std::ptrdiff_t>(expected.size()), calls.end()), expected);
  }
}

TEST(AndroidRunTools, MissingToolsFailBeforeAnything) {
  struct Case {
    const char* name;
    void (*spoil)(AndroidProject&);
  };
  const std::vector<Case> cases = {
      {"no adb", [](AndroidProject& t) { fs::remove(t.sdk.adb.program); }},
      {"no emulator", [](AndroidProject& t) { fs::permissions(t.sdk.emulator.program, fs::perms(0644)); }},
      {"no Java", [](AndroidProject& t) { fs::remove_all(t.machine.home() / "android-studio"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AndroidProject t;
    c.spoil(t);
    EXPECT_EQ(t.failure(LaunchError::Kind::missing), missingText);
    EXPECT_EQ(t.statuses, std::vector<std::string>{});
    EXPECT_EQ(t.sdk.adb.calls().size(), 0u);
    EXPECT_EQ(t.emulator.calls().size(), 0u);
    EXPECT_EQ(t.gradlew.calls().size(), 0u);
  }
}

TEST(AndroidRunTools, OnMacOSTheEmulatorWindowIsRaisedIfItCanBe) {
  struct Case {
    const char* name;
    Platform platform;
    bool scripting;  // "/usr/bin/osascript" present (and failing)
    bool raised;
  };
  const std::vector<Case> cases = {
      {"macOS", Platform::macOS, true, true},
      {"macOS without osascript", Platform::macOS, false, false},
      {"Linux", Platform::linuxOS, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AndroidProject t(c.platform);
    t.alreadyRunning();
    FakeTool failing;
    failing.status = 1;
    const InstalledTool osascript = c.scripting ? t.machine.tool("/usr/bin/osascript", failing)
                                                : InstalledTool{"", t.machine.root() / "no-osascript.log"};
    t.run();
    EXPECT_EQ(t.statuses.back(), running);
    std::vector<Args> expected;
    if (c.raised)
      expected.push_back({"-e", "tell application \"System Events\" to set frontmost of (first process whose name "
                                "contains \"qemu\") to true"});
    std::vector<Args> calls;
    for (const ToolCall& call : osascript.calls()) calls.push_back(call.arguments);
    EXPECT_EQ(calls, expected);
  }
}

TEST_F(AndroidRun, AnEmulatorThatCannotStartEndsTheRunBeforeTheBuild) {
  useEmulator(Emulator::unstartable);
  try {
    run();
    ADD_FAILURE() << "the run did not fail";
  } catch (const process::StartError& error) {
    EXPECT_EQ(error.what(), "Das Programm " + emulator.program.string() +
                                " ließ sich nicht starten: Datei oder Ordner nicht gefunden.");
  }
  EXPECT_EQ(statuses, std::vector<std::string>{starting});
  EXPECT_EQ(gradlew.calls().size(), 0u);
}

}  // namespace
}  // namespace tovrane
