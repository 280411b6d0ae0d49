#include "core/devices/DeviceLauncher.hpp"

#include "core/support/Cancelled.hpp"
#include "core/support/Files.hpp"
#include "core/support/Process.hpp"
#include "tests/support/FakeMachine.hpp"

#include <gtest/gtest.h>

#include <plist/plist.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <regex>
#include <thread>

namespace tovrane {
namespace {

namespace fs = std::filesystem;
using DeviceLauncher::LaunchError;
using testsupport::FakeMachine;
using testsupport::FakeTool;
using testsupport::InstalledTool;
using testsupport::leave;
using testsupport::Leftover;
using testsupport::shellQuote;
using testsupport::ToolCall;
using Args = std::vector<std::string>;

const std::string udid = "5F3A9C1E-7B2D-4E8F-9A61-0C4D2B7E8F13";
const std::string starting = "Starte den iPhone-Simulator …";
const std::string findingScheme = "Ermittle das Xcode-Schema …";
const std::string signing = "Signierung nicht möglich – baue mit lokaler Signatur …";
const std::string installing = "Installiere im Simulator …";
const std::string running = "Läuft im Simulator";
const std::string noProjectText = "Im Original-Ordner liegt kein Xcode-Projekt.";
const std::string noXcodeText =
    "Xcode wurde nicht gefunden – die iOS-App lässt sich nur auf einem Mac mit installiertem Xcode im Simulator "
    "starten.";
const std::string noSchemeText = "Kein Schema im Xcode-Projekt gefunden.";
const std::string unreadableIdText = "Bundle-ID nicht lesbar.";

std::string building(const std::string& scheme) { return "Baue die iOS-App (" + scheme + ") …"; }

std::string infoPlistXml(const std::string& entries) {
  return R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
)" + entries + R"(
</dict>
</plist>
)";
}

std::string binaryInfoPlist(const std::string& identifier) {
  plist_t root = plist_new_dict();
  plist_dict_set_item(root, "CFBundleIdentifier", plist_new_string(identifier.c_str()));
  plist_dict_set_item(root, "CFBundleName", plist_new_string("App"));
  char* data = nullptr;
  std::uint32_t length = 0;
  plist_to_bin(root, &data, &length);
  std::string bytes(data, length);
  // The buffer comes from malloc; the library's own free function for it was
  // renamed in version 2.3.
  std::free(data);
  plist_free(root);
  return bytes;
}

// Xcode's command runner as a state machine over files in a state folder:
//   find-status               of "--find xcodebuild" (default 0)
//   boot-status/-output, install-status/-output, launch-status/-output
//   schemes                   the output of "xcodebuild -list -json"
//   first-status/-output      of the build with automatic signing
//   unsigned-status/-output   of the build with local signing
//   Info.plist                copied into the built App.app (none: no copy)
//   no-app                    a successful build makes only App.app.dSYM
const char* const xcrunBody = R"sh(
value() { cat "$state/$1" 2>/dev/null || printf '%s' "$2"; }
case "$1 $2" in
  "--find xcodebuild") printf '/Applications/Xcode.app/Contents/Developer/usr/bin/xcodebuild\n'
                       exit "$(value find-status 0)" ;;
  "simctl boot") value boot-output ''; exit "$(value boot-status 0)" ;;
  "simctl install") value install-output ''; exit "$(value install-status 0)" ;;
  "simctl launch") value launch-output 'com.example.App: 4242
'; exit "$(value launch-status 0)" ;;
  "xcodebuild -list") value schemes '{"project":{"name":"App","schemes":["App"],"targets":["App"]}}'; exit 0 ;;
  "xcodebuild -scheme") ;;
  *) exit 64 ;;
esac
build=first; previous=; derived=
for argument in "$@"; do
  [ "$previous" = -derivedDataPath ] && derived=$argument
  [ "$argument" = CODE_SIGN_IDENTITY=- ] && build=unsigned
  previous=$argument
done
value "$build-output" 'CodeSign App.app (in target '"'App'"' from project '"'App'"')
    Signing Identity:     "Sign to Run Locally"
** BUILD SUCCEEDED **
'
status=$(value "$build-status" 0)
if [ "$status" = 0 ]; then
  products="$derived/Build/Products/Debug-iphonesimulator"
  mkdir -p "$products/App.app.dSYM"
  if [ ! -f "$state/no-app" ]; then
    mkdir -p "$products/App.app"
    if [ -f "$state/Info.plist" ]; then cp "$state/Info.plist" "$products/App.app/Info.plist"; fi
  fi
fi
exit "$status"
)sh";

// A Mac with Xcode (fake xcrun and open) and an Xcode project folder that
// holds App.xcodeproj.
struct IOSProject {
  explicit IOSProject(const std::string& folderName = "App", Platform platform = Platform::macOS)
      : machine(platform), folder(machine.root() / "work" / folderName) {
    files::createDirectories(state);
    files::createDirectories(folder / "App.xcodeproj");
    FakeTool xcrunTool;
    xcrunTool.body = "state=" + shellQuote(state.string()) + "\n" + xcrunBody;
    xcode = machine.xcode(xcrunTool);
    set("Info.plist", infoPlistXml("<key>CFBundleIdentifier</key>\n<string>com.example.App</string>"));
  }

  void set(const std::string& name, const std::string& value) const { files::writeFile(state / name, value); }

  void run() {
    DeviceLauncher::runIOS(folder, udid, [this](const std::string& text) { statuses.push_back(text); }, {},
                           machine.host());
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

  std::vector<Args> xcrunCalls() const {
    std::vector<Args> out;
    for (const ToolCall& call : xcode.xcrun.calls()) out.push_back(call.arguments);
    return out;
  }
  // The arguments of the xcrun call that begins with first and second; the
  // test fails when there is not exactly one.
  Args only(const std::string& first, const std::string& second) const {
    Args found;
    int count = 0;
    for (Args& call : xcrunCalls()) {
      if (call.size() >= 2 && call[0] == first && call[1] == second) {
        found = std::move(call);
        ++count;
      }
    }
    EXPECT_EQ(count, 1) << first << " " << second;
    return found;
  }
  std::vector<Args> builds() const {
    std::vector<Args> out;
    for (Args& call : xcrunCalls())
      if (call.size() > 1 && call[1] == "-scheme") out.push_back(std::move(call));
    return out;
  }
  // The derived-data folder that the builds were given.
  std::string derivedData() const {
    const std::vector<Args> all = builds();
    if (all.empty()) return {};
    const Args& build = all.front();
    const auto at = std::find(build.begin(), build.end(), "-derivedDataPath");
    return at == build.end() || at + 1 == build.end() ? std::string() : *(at + 1);
  }
  Args build(const std::string& scheme, const std::string& option = "-project",
             const std::string& container = "App.xcodeproj") const {
    return {"xcodebuild",       "-scheme",     scheme, "-configuration", "Debug", "-destination", "id=" + udid,
            "-derivedDataPath", derivedData(), option, container};
  }

  FakeMachine machine;
  fs::path folder;
  fs::path state = machine.root() / "state";
  FakeMachine::Xcode xcode;
  std::vector<std::string> statuses;
};

class IOSRun : public ::testing::Test, protected IOSProject {};

std::string physical(const fs::path& path) { return fs::canonical(path).string(); }

TEST_F(IOSRun, BootsBuildsInstallsAndLaunchesWithTheExactCommands) {
  run();
  EXPECT_EQ(statuses, (std::vector<std::string>{starting, findingScheme, building("App"), installing, running}));

  // The derived-data folder lies in the temporary folder and is named by a
  // decimal hash of the project folder's path.
  const std::string derived = derivedData();
  const fs::path temporary = machine.host().temporaryFolder();
  EXPECT_EQ(fs::path(derived).parent_path(), temporary);
  EXPECT_TRUE(std::regex_match(fs::path(derived).filename().string(), std::regex("tovrane-ios-[0-9]+"))) << derived;

  // Commands on the simulator inherit our working folder; the ones that name
  // the container run in the project folder, with the bare entry name.
  const std::string inherited = physical(fs::current_path());
  const std::string project = physical(folder);
  Args built = build("App");
  built.insert(built.end(), {"-allowProvisioningUpdates", "build"});
  const std::string app = derived + "/Build/Products/Debug-iphonesimulator/App.app";
  const std::vector<std::pair<std::string, Args>> expected = {
      {inherited, {"--find", "xcodebuild"}},
      {inherited, {"simctl", "boot", udid}},
      {project, {"xcodebuild", "-list", "-json", "-project", "App.xcodeproj"}},
      {project, built},
      {inherited, {"simctl", "install", udid, app}},
      {inherited, {"simctl", "launch", "--terminate-running-process", udid, "com.example.App"}},
  };
  std::vector<std::pair<std::string, Args>> calls;
  for (const ToolCall& call : xcode.xcrun.calls()) calls.emplace_back(call.workingFolder.string(), call.arguments);
  EXPECT_EQ(calls, expected);

  const std::vector<ToolCall> opened = xcode.open.calls();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].arguments, (Args{"-a", "Simulator", "--args", "-CurrentDeviceUDID", udid}));
  EXPECT_EQ(opened[0].workingFolder.string(), inherited);
  EXPECT_TRUE(xcode.osascript.calls().empty());
}

TEST_F(IOSRun, TheSameFolderBuildsIntoTheSameDerivedDataFolder) {
  run();
  const std::string first = derivedData();
  run();
  const std::vector<Args> both = builds();
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[0], both[1]);
  EXPECT_FALSE(first.empty());

  IOSProject other("Other");
  other.run();
  EXPECT_NE(fs::path(other.derivedData()).filename(), fs::path(first).filename());
}

TEST(IOSRunContainer, AWorkspaceWinsAndSuffixesAreExact) {
  struct Case {
    std::vector<std::string> entries;
    std::string option;
    std::string name;
  };
  // Both orders of name: wherever the workspace stands in the listing.
  const Case cases[] = {
      {{"App.xcodeproj", "App.xcworkspace"}, "-workspace", "App.xcworkspace"},
      {{"Zed.xcworkspace", "App.xcodeproj"}, "-workspace", "Zed.xcworkspace"},
      {{"App.xcodeproj", "0.xcworkspace"}, "-workspace", "0.xcworkspace"},
      {{"App.XCWORKSPACE", "App.xcworkspace.orig", "App.xcodeproj"}, "-project", "App.xcodeproj"},
  };
  for (const Case& c : cases) {
    IOSProject project("Entries");
    fs::remove_all(project.folder / "App.xcodeproj");
    for (const std::string& entry : c.entries) files::createDirectories(project.folder / entry);
    project.run();
    const Args list = {"xcodebuild", "-list", "-json", c.option, c.name};
    EXPECT_EQ(project.only("xcodebuild", "-list"), list) << c.name;
    Args built = project.build("App", c.option, c.name);
    built.insert(built.end(), {"-allowProvisioningUpdates", "build"});
    EXPECT_EQ(project.builds(), std::vector<Args>{built}) << c.name;
  }
}

TEST(IOSRunContainer, AFolderWithoutXcodeProjectFailsBeforeAnything) {
  const std::vector<std::string> entryLists[] = {{}, {"App.xcodeproj.zip", "App.XcodeProj", "Sources"}};
  for (Platform platform : {Platform::macOS, Platform::linuxOS}) {
    for (const std::vector<std::string>& entries : entryLists) {
      IOSProject project("App", platform);
      fs::remove_all(project.folder / "App.xcodeproj");
      for (const std::string& entry : entries) files::createDirectories(project.folder / entry);
      EXPECT_EQ(project.failure(LaunchError::Kind::missing), noProjectText);
      EXPECT_TRUE(project.statuses.empty());
      EXPECT_TRUE(project.xcrunCalls().empty());
    }
  }
  // A folder that is not there, and a file in place of the folder.
  IOSProject missing;
  fs::remove_all(missing.folder);
  EXPECT_EQ(missing.failure(LaunchError::Kind::missing), noProjectText);
  files::writeFile(missing.folder, "App.xcodeproj");
  EXPECT_EQ(missing.failure(LaunchError::Kind::missing), noProjectText);
  EXPECT_TRUE(missing.statuses.empty());
  EXPECT_TRUE(missing.xcrunCalls().empty());
}

TEST(IOSRunXcode, WithoutXcodeTheRunSaysSoAndRunsNothingElse) {
  enum class Machine { linux, noXcrun, xcrunNotExecutable, commandLineToolsOnly, xcrunCannotStart };
  for (Machine kind : {Machine::linux, Machine::noXcrun, Machine::xcrunNotExecutable, Machine::commandLineToolsOnly,
                       Machine::xcrunCannotStart}) {
    IOSProject project("App", kind == Machine::linux ? Platform::linuxOS : Platform::macOS);
    const fs::path xcrun = project.xcode.xcrun.program;
    std::vector<Args> expectedCalls;
    switch (kind) {
      case Machine::linux: break;
      case Machine::noXcrun: fs::remove(xcrun); break;
      case Machine::xcrunNotExecutable: fs::permissions(xcrun, fs::perms(0644)); break;
      case Machine::commandLineToolsOnly:
        project.set("find-status", "1");
        expectedCalls = {{"--find", "xcodebuild"}};
        break;
      case Machine::xcrunCannotStart: files::writeAtomic(xcrun, "#!/nonexistent/sh\n", 0755); break;
    }
    EXPECT_EQ(project.failure(LaunchError::Kind::missing), noXcodeText) << static_cast<int>(kind);
    EXPECT_TRUE(project.statuses.empty());
    EXPECT_EQ(project.xcrunCalls(), expectedCalls);
    EXPECT_TRUE(project.xcode.open.calls().empty());
    // The application asks the same question before it offers the simulator.
    EXPECT_FALSE(DeviceLauncher::hasXcode(project.machine.host())) << static_cast<int>(kind);
  }
  IOSProject withXcode;
  EXPECT_TRUE(DeviceLauncher::hasXcode(withXcode.machine.host()));
}

TEST(IOSRunScheme, ChoosesTheFolderNameElseTheFirstThatIsNoTestScheme) {
  struct Case {
    std::string folder;
    std::string listing;
    std::string scheme;
  };
  const Case cases[] = {
      {"App", R"({"project":{"schemes":["AppTests","App"]}})", "App"},
      {"Other", R"({"project":{"schemes":["Lib","App"]}})", "Lib"},
      {"Other", R"({"project":{"schemes":["OtherTests","OtherUITests"]}})", "OtherTests"},
      {"Other", R"({"project":{"schemes":["OtherTests","Othertests"]}})", "Othertests"},
      {"app", R"({"project":{"schemes":["AppTests","App","app"]}})", "app"},
      {"App", R"({"workspace":{"name":"W","schemes":["Shell"]},"project":{"schemes":["App"]}})", "Shell"},
      {"App",
       "2024-05-01 10:00:00.000 xcodebuild[123:4567] [MT] DVTAssertions: Warning in …\n"
       "Command line invocation:\n    xcodebuild -list -json\n"
       R"({ "project" : { "name" : "App", "schemes" : [ "Demo" ] } })"
       "\n",
       "Demo"},
  };
  for (const Case& c : cases) {
    IOSProject project(c.folder);
    project.set("schemes", c.listing);
    project.run();
    EXPECT_EQ(project.statuses.at(2), building(c.scheme)) << c.listing;
    ASSERT_EQ(project.builds().size(), 1u);
    EXPECT_EQ(project.builds()[0].at(2), c.scheme);
  }
}

TEST(IOSRunScheme, AnUnreadableSchemeListStopsBeforeTheBuild) {
  const std::string listings[] = {
      R"({"project":{"schemes":["App"]}})"
      "\nxcodebuild: done\n",
      "xcodebuild: error: 'App.xcodeproj' does not exist.\n",
      R"({"project":{"schemes":["App"]})",
      R"([{"project":{"schemes":["App"]}}])",
      R"({"workspace":{"name":"W"},"project":{"schemes":["App"]}})",
      R"({"project":{"schemes":["App",1]}})",
      R"({"project":{"schemes":[]}})",
      R"({"project":["App"]})",
      R"({"targets":["App"]})",
  };
  for (const std::string& listing : listings) {
    IOSProject project;
    project.set("schemes", listing);
    EXPECT_EQ(project.failure(), noSchemeText) << listing;
    EXPECT_EQ(project.statuses, (std::vector<std::string>{starting, findingScheme}));
    EXPECT_TRUE(project.builds().empty());
  }
}

TEST_F(IOSRun, ASigningFailureBuildsOnceMoreWithLocalSigning) {
  set("first-output",
      "error: Signing for \"App\" requires a development team. Select a development team in the Signing & "
      "Capabilities editor. (in target 'App' from project 'App')\n** BUILD FAILED **\n");
  set("first-status", "65");
  run();
  EXPECT_EQ(statuses,
            (std::vector<std::string>{starting, findingScheme, building("App"), signing, installing, running}));
  Args first = build("App");
  first.insert(first.end(), {"-allowProvisioningUpdates", "build"});
  Args second = build("App");
  second.insert(second.end(), {"CODE_SIGN_IDENTITY=-", "CODE_SIGN_STYLE=Manual", "DEVELOPMENT_TEAM=",
                               "PROVISIONING_PROFILE_SPECIFIER=", "build"});
  EXPECT_EQ(builds(), (std::vector<Args>{first, second}));
  EXPECT_EQ(only("simctl", "launch").back(), "com.example.App");
}

TEST(IOSRunBuild, OnlySigningWordsInTheFirstBuildRetryAndOnlyOnce) {
  struct Case {
    std::string output;
    bool retried;
  };
  const Case cases[] = {
      {"error: No profiles for 'com.example.App' were found: Xcode couldn't find any iOS App Development "
       "provisioning profiles matching 'com.example.App'.\n",
       true},
      {"error: Code signing is required for product type 'Application' in SDK 'iOS 17.5'\n", true},
      {"error: CODE SIGNING FAILED\n", false},
      {"View.swift:3:5: error: cannot find 'Foo' in scope\n", false},
  };
  for (const Case& c : cases) {
    IOSProject project;
    project.set("first-output", c.output);
    project.set("first-status", "65");
    // Its words do not lead to a third build.
    project.set("unsigned-output", "error: Signing still fails\n");
    project.set("unsigned-status", "65");
    const std::string text = project.failure();
    const std::vector<std::string> before = {starting, findingScheme, building("App")};
    if (c.retried) {
      EXPECT_EQ(text, "Xcode-Build fehlgeschlagen:\nerror: Signing still fails") << c.output;
      EXPECT_EQ(project.builds().size(), 2u);
      std::vector<std::string> expected = before;
      expected.push_back(signing);
      EXPECT_EQ(project.statuses, expected);
    } else {
      EXPECT_EQ(text, "Xcode-Build fehlgeschlagen:\n" + c.output.substr(0, c.output.size() - 1)) << c.output;
      EXPECT_EQ(project.builds().size(), 1u);
      EXPECT_EQ(project.statuses, before);
    }
    EXPECT_EQ(project.xcrunCalls().back()[1], "-scheme");
  }
}

TEST_F(IOSRun, AFailedBuildShowsItsFirstEightErrorLinesElseItsTail) {
  std::string output = "Build settings from command line:\n\n";
  std::vector<std::string> errors;
  for (int i = 1; i <= 20; ++i) {
    errors.push_back("/src/App/View" + std::to_string(i) + ".swift:" + std::to_string(i) +
                     ":5: error: cannot find 'x' in scope");
    output += errors.back() + "\r\n    let y = x\n        ^\n\n";
  }
  set("first-output", output + "** BUILD FAILED **\n");
  set("first-status", "65");
  std::string expected = "Xcode-Build fehlgeschlagen:";
  for (int i = 0; i < 8; ++i) expected += "\n" + errors[i];
  EXPECT_EQ(failure(), expected);
  EXPECT_EQ(statuses, (std::vector<std::string>{starting, findingScheme, building("App")}));

  // Without error lines: the last 1200 characters, each "é" one character of
  // two code points.
  std::string tail;
  for (int i = 0; i < 1200; ++i) tail += "e\u0301";
  set("first-output", "The following build commands failed:\n" + tail);
  EXPECT_EQ(failure(), "Xcode-Build fehlgeschlagen:\n" + tail);
  set("first-output", "** BUILD FAILED **\n");
  EXPECT_EQ(failure(), "Xcode-Build fehlgeschlagen:\n** BUILD FAILED **\n");
}

TEST(IOSRunApp, TheBundleIdentifierComesFromAnXmlOrBinaryInfoPlist) {
  struct Case {
    std::optional<std::string> infoPlist;  // none: the bundle has no Info.plist
    std::optional<std::string> identifier;  // none: not readable
  };
  const Case cases[] = {
      {infoPlistXml("<key>CFBundleName</key><string>App</string>\n"
                    "<key>CFBundleIdentifier</key><string>com.example.xml</string>"),
       "com.example.xml"},
      {binaryInfoPlist("com.example.binary"), "com.example.binary"},
      {infoPlistXml("<key>CFBundleName</key><string>App</string>"), std::nullopt},
      {infoPlistXml("<key>CFBundleIdentifier</key><integer>7</integer>"), std::nullopt},
      {R"(<?xml version="1.0"?><plist version="1.0"><array><string>com.example.App</string></array></plist>)",
       std::nullopt},
      {"CFBundleIdentifier = com.example.App", std::nullopt},
      {"", std::nullopt},
      {std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    IOSProject project;
    fs::remove(project.state / "Info.plist");
    if (c.infoPlist) project.set("Info.plist", *c.infoPlist);
    if (c.identifier) {
      project.run();
      EXPECT_EQ(project.only("simctl", "launch").back(), *c.identifier);
      EXPECT_EQ(project.statuses.back(), running);
    } else {
      EXPECT_EQ(project.failure(), unreadableIdText) << c.infoPlist.value_or("(none)");
      EXPECT_EQ(project.statuses, (std::vector<std::string>{starting, findingScheme, building("App")}));
      EXPECT_EQ(project.xcrunCalls().back()[1], "-scheme");
    }
  }
}

TEST_F(IOSRun, ABuildWithoutAppFails) {
  set("no-app", "");
  EXPECT_EQ(failure(), "Gebaute App nicht gefunden.");
  EXPECT_EQ(statuses, (std::vector<std::string>{starting, findingScheme, building("App")}));
  EXPECT_EQ(xcrunCalls().back()[1], "-scheme");
}

TEST_F(IOSRun, AFailedInstallShowsTheLastFourHundredCharacters) {
  std::string detail;
  for (int i = 0; i < 400; ++i) detail += (i % 2 ? "ü" : "u");
  set("install-output", "An error was encountered processing the command (domain=IXUserPresentableErrorDomain):\n" +
                            detail);
  set("install-status", "1");
  EXPECT_EQ(failure(), "Installation fehlgeschlagen: " + detail);
  EXPECT_EQ(statuses, (std::vector<std::string>{starting, findingScheme, building("App"), installing}));
  EXPECT_EQ(xcrunCalls().back()[1], "install");
}

// A booted simulator and a missing Simulator application do not stop the
// run; a launch that fails does, with the tool's words.
TEST_F(IOSRun, BootAndShowMayFailButALaunchMustNot) {
  set("boot-output", "An error was encountered processing the command (domain=com.apple.CoreSimulator.SimError, "
                     "code=405):\nUnable to boot device in current state: Booted\n");
  set("boot-status", "149");
  files::writeAtomic(xcode.open.program, "#!/bin/sh\necho 'Unable to find application named Simulator' >&2\nexit 1\n",
                     0755);
  run();
  EXPECT_EQ(statuses, (std::vector<std::string>{starting, findingScheme, building("App"), installing, running}));

  statuses.clear();
  set("launch-output", "An error was encountered processing the command (domain=FBSOpenApplicationServiceErrorDomain, "
                       "code=4):\nThe request to open \"com.example.App\" failed.\n");
  set("launch-status", "1");
  EXPECT_EQ(failure(), "Die App ließ sich im Simulator nicht starten: An error was encountered processing the "
                       "command (domain=FBSOpenApplicationServiceErrorDomain, code=4):\nThe request to open "
                       "\"com.example.App\" failed.");
  EXPECT_EQ(statuses, (std::vector<std::string>{starting, findingScheme, building("App"), installing}));
}

// A stop request ends the command under way, a hung build that ignores
// SIGTERM and what it started included.
TEST_F(IOSRun, AStopRequestEndsTheCommandUnderWay) {
  FakeTool hanging;
  hanging.ignoresTerminate = true;
  hanging.body = "state=" + shellQuote(state.string()) + "\nif [ \"$1 $2\" = 'xcodebuild -scheme' ]; then\n" +
                 leave(Leftover::ownSession) + ": > \"$state/building\"; sleep 600\nfi\n" + xcrunBody;
  const InstalledTool xcrun = hanging.install(xcode.xcrun.program);
  std::stop_source stop;
  std::jthread stopper([&] {
    if (testsupport::awaitFile(state / "building")) stop.request_stop();
  });
  EXPECT_THROW(DeviceLauncher::runIOS(folder, udid, [this](const std::string& text) { statuses.push_back(text); },
                                      stop.get_token(), machine.host()),
               Cancelled);
  EXPECT_EQ(statuses, (std::vector<std::string>{starting, findingScheme, building("App")}));
  EXPECT_TRUE(testsupport::allEnd(xcrun.pids()));
}

TEST_F(IOSRun, AProgramThatCannotStartEndsTheRunWithTheRunnersError) {
  fs::remove(xcode.open.program);
  EXPECT_THROW(run(), process::StartError);
  EXPECT_EQ(statuses, std::vector<std::string>{starting});
}

}  // namespace
}  // namespace tovrane
