#include "core/devices/DeviceLauncher.hpp"

#include "core/support/Files.hpp"
#include "core/support/Process.hpp"
#include "tests/support/FakeMachine.hpp"

#include <gtest/gtest.h>

#include <csignal>

namespace tovrane {
namespace {

namespace fs = std::filesystem;
using DeviceLauncher::score;
using testsupport::FakeMachine;
using testsupport::FakeTool;
using Kind = TestDevice::Kind;

std::vector<std::string> ids(const std::vector<TestDevice>& devices) {
  std::vector<std::string> out;
  for (const TestDevice& device : devices) out.push_back(device.id);
  return out;
}

TEST(TestDevice, KindsByRawValueAndIdentityOverAllFourFields) {
  EXPECT_EQ(testDeviceKindFromRawValue("android"), Kind::android);
  EXPECT_EQ(testDeviceKindFromRawValue("ios"), Kind::ios);
  for (const char* other : {"", "Android", "iOS", "ios "}) EXPECT_EQ(testDeviceKindFromRawValue(other), std::nullopt);

  const TestDevice pixel{"Pixel_8", "Pixel 8", Kind::android, "API 35"};
  TestDevice older = pixel;
  older.detail = "API 34";
  EXPECT_NE(pixel, older);
  EXPECT_EQ(std::hash<TestDevice>{}(pixel), std::hash<TestDevice>{}(TestDevice(pixel)));
  // The fields are hashed in order: swapping two texts gives another hash.
  EXPECT_NE(std::hash<TestDevice>{}(TestDevice{"a", "b", Kind::ios, ""}),
            std::hash<TestDevice>{}(TestDevice{"b", "a", Kind::ios, ""}));
}

TEST(DeviceLauncherShell, MergesBothStreamsWithTheHostsEnvironment) {
  FakeMachine machine;
  machine.environment()["TOVRANE_SIDE"] = "host";
  FakeTool fake;
  fake.body = "printf 'out %s\\n' \"$TOVRANE_SIDE\"; printf 'err\\n' >&2; printf 'cwd %s\\n' \"$(pwd -P)\"";
  fake.status = 3;
  const auto tool = machine.tool("/opt/tool", fake);

  // No environment given: the host's, not this process's.
  DeviceLauncher::ShellResult result = DeviceLauncher::shell(tool.program, {"a b", ""}, std::nullopt, std::nullopt,
                                                             machine.host());
  EXPECT_EQ(result.code, 3);
  EXPECT_EQ(result.out, "out host\nerr\ncwd " + fs::current_path().string() + "\n");
  EXPECT_EQ(tool.calls().at(0).arguments, (std::vector<std::string>{"a b", ""}));

  // A given environment replaces the whole one; a given folder is the child's.
  result = DeviceLauncher::shell(tool.program, {}, machine.home(), Environment{{"TOVRANE_SIDE", "given"}},
                                 machine.host());
  EXPECT_EQ(result.out, "out given\nerr\ncwd " + machine.home().string() + "\n");
}

TEST(DeviceLauncherShell, StatusesAndUndecodableOutputAreNoError) {
  const std::string line = "0123456789012345678901234567890123456789\n";
  std::string flood;
  for (int i = 0; i < 4000; ++i) flood += line + line;
  struct Case {
    const char* body;
    int code;
    std::string out;
  };
  const std::vector<Case> cases = {
      // One stray byte is replaced; the lines around it stay.
      {"printf 'first\\n\\377\\nlast\\n'; exit 7", 7, "first\n\xEF\xBF\xBD\nlast\n"},
      // Far more than a pipe holds, from both streams in turn.
      {"i=0; while [ $i -lt 4000 ]; do echo 0123456789012345678901234567890123456789; "
       "echo 0123456789012345678901234567890123456789 >&2; i=$((i+1)); done",
       0, flood},
      {"kill -TERM $$", 128 + SIGTERM, ""},
  };
  FakeMachine machine;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    FakeTool fake;
    fake.body = c.body;
    const auto tool = machine.tool("/opt/tool", fake);
    const DeviceLauncher::ShellResult result =
        DeviceLauncher::shell(tool.program, {}, std::nullopt, std::nullopt, machine.host());
    EXPECT_EQ(result.code, c.code);
    EXPECT_EQ(result.out, c.out);
  }
  EXPECT_THROW(DeviceLauncher::shell(machine.root() / "missing", {}, std::nullopt, std::nullopt, machine.host()),
               process::StartError);
}

// An Android SDK under ANDROID_HOME whose emulator lists canned output.
struct AndroidListMachine {
  explicit AndroidListMachine(const std::string& listing, int status = 0) {
    FakeTool emulator;
    emulator.output = listing;
    emulator.status = status;
    sdk = machine.androidSdk(machine.root() / "opt/android-sdk", {}, emulator);
    machine.environment()["ANDROID_HOME"] = sdk.folder.string();
  }
  void configure(const std::string& avd, const std::string& ini) const {
    files::writeFile(machine.home() / ".android/avd" / (avd + ".ini"), ini);
  }
  std::vector<TestDevice> list() const { return DeviceLauncher::androidDevices(machine.host()); }

  FakeMachine machine{Platform::linuxOS};
  FakeMachine::AndroidSdk sdk;
};

// Only lines that are configuration names count, line ends (CR LF too) and
// blanks around them aside: log lines, errors, stray bytes and names that
// would lead out of the configuration folder are no devices.
TEST(AndroidDevices, ListedAvdsWithTheirApiLevelBestFirst) {
  AndroidListMachine android(
      "INFO    | Storing crashdata in: /tmp/android/emu-crash.db\n"
      "Medium_Phone_API_35\r\nTablet_B\nPixel_7_Pro\n\n  Pixel_8\r\nTablet_A\n../escape\n"
      "emulator: ERROR: Unknown AVD name [Pixel_9]\n\x01\xff\xfe\x1b[2J\n.\n",
      1);
  android.configure("Pixel_8",
                    "avd.ini.encoding=UTF-8\r\npath=/x/Pixel_8.avd\r\ntarget=android-34\r\ntarget=android-35\r\n");
  android.configure("Pixel_7_Pro", "target=Google Inc.:Google APIs:24\n");
  android.configure("Tablet_B", "path=/x/Tablet_B.avd\n");
  files::writeFile(android.machine.home() / ".android/escape.ini", "target=android-99\n");

  const std::vector<TestDevice> expected = {
      {"Pixel_8", "Pixel 8", Kind::android, "API 34"},
      {"Pixel_7_Pro", "Pixel 7 Pro", Kind::android, "target=Google Inc.:Google APIs:24"},
      {"Medium_Phone_API_35", "Medium Phone API 35", Kind::android, ""},
      // Equal scores keep the listing order.
      {"Tablet_B", "Tablet B", Kind::android, ""},
      {"Tablet_A", "Tablet A", Kind::android, ""},
  };
  EXPECT_EQ(android.list(), expected);
  const auto calls = android.sdk.emulator.calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].arguments, std::vector<std::string>{"-list-avds"});
}

TEST(AndroidDevices, AnEndlessListingGivesNoDevicesAndEnds) {
  AndroidListMachine android("");
  FakeTool flooding;
  flooding.body = "yes Pixel_8";
  const auto emulator = flooding.install(android.sdk.emulator.program);
  EXPECT_EQ(android.list(), std::vector<TestDevice>{});
  EXPECT_TRUE(testsupport::allEnd(emulator.pids()));
}

TEST(AndroidDevices, EmptyWithoutSdkOrRunnableEmulator) {
  struct Case {
    const char* name;
    void (*spoil)(AndroidListMachine&);
  };
  const std::vector<Case> cases = {
      {"no ANDROID_HOME and no SDK in the home folder",
       [](AndroidListMachine& m) { m.machine.environment().erase("ANDROID_HOME"); }},
      {"emulator not executable",
       [](AndroidListMachine& m) { fs::permissions(m.sdk.emulator.program, fs::perms(0644)); }},
      {"emulator is a folder",
       [](AndroidListMachine& m) {
         fs::remove(m.sdk.emulator.program);
         files::createDirectories(m.sdk.emulator.program);
       }},
      // Executable, but its interpreter is missing: it cannot start.
      {"emulator cannot start",
       [](AndroidListMachine& m) { files::writeAtomic(m.sdk.emulator.program, "#!/nonexistent/sh\n", 0755); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AndroidListMachine android("Pixel_8\n");
    c.spoil(android);
    EXPECT_EQ(android.list(), std::vector<TestDevice>{});
    EXPECT_EQ(android.sdk.emulator.calls().size(), 0u);
  }
}

// Two runtimes whose versions differ only past a digit-by-digit compare, a
// watchOS runtime, an entry without "udid", members in an unusual order.
const char* const simulatorList = R"json({
  "devices": {
    "com.apple.CoreSimulator.SimRuntime.iOS-17-5": [
      {"name": "iPhone 15", "udid": "U-175-15", "state": "Shutdown"}
    ],
    "com.apple.CoreSimulator.SimRuntime.watchOS-11-0": [
      {"name": "Apple Watch Series 10", "udid": "U-WATCH"}
    ],
    "com.apple.CoreSimulator.SimRuntime.iOS-17-9": [
      {"udid": "U-179-SE", "name": "iPhone SE"}
    ],
    "com.apple.CoreSimulator.SimRuntime.iOS-18-1": [
      {"name": "iPad Pro 13-inch (M4)", "udid": "U-181-IPAD"},
      {"name": "iPhone 16", "udid": "U-181-16"},
      {"name": "iPhone 16 Pro Max", "udid": "U-181-16PM"},
      {"name": "iPhone 16 Plus"},
      {"name": "iPhone 16 Pro", "udid": "U-181-16P", "isAvailable": false}
    ],
    "com.apple.CoreSimulator.SimRuntime.iOS-17-10": [
      {"name": "iPhone 15 Pro", "udid": "U-1710-15P"},
      {"name": 15, "udid": "U-NAME-NOT-TEXT"}
    ]
  }
})json";

TEST(IosDevices, NewestVersionFirstThenByScore) {
  FakeMachine machine(Platform::macOS);
  FakeTool xcrun;
  xcrun.output = simulatorList;
  xcrun.status = 1;
  const auto xcode = machine.xcode(xcrun);
  const std::vector<TestDevice> devices = DeviceLauncher::iosDevices(machine.host());
  EXPECT_EQ(ids(devices), (std::vector<std::string>{"U-181-16P", "U-181-16PM", "U-181-16", "U-181-IPAD", "U-1710-15P",
                                                    "U-179-SE", "U-175-15"}));
  ASSERT_FALSE(devices.empty());
  EXPECT_EQ(devices.front(), (TestDevice{"U-181-16P", "iPhone 16 Pro", Kind::ios, "iOS 18.1"}));
  EXPECT_EQ(devices[4].detail, "iOS 17.10");
  EXPECT_EQ(xcode.xcrun.calls().at(0).arguments,
            (std::vector<std::string>{"simctl", "list", "devices", "available", "-j"}));
}

TEST(IosDevices, EmptyForAnyOutputThatIsNotTheSimulatorTable) {
  const std::vector<std::string> outputs = {
      "xcrun: error: unable to find utility \"simctl\"\n" + std::string(simulatorList),
      std::string(simulatorList) + "\nwarning: something",
      "",
      "[]",
      R"({"runtimes": {}})",
      R"({"devices": []})",
      R"({"devices": {"com.apple.CoreSimulator.SimRuntime.iOS-18-1": {"name": "iPhone 16", "udid": "U"}}})",
      R"({"devices": {"com.apple.CoreSimulator.SimRuntime.iOS-18-1": [{"name": "iPhone 16", "udid": "U"}, 3]}})",
  };
  FakeMachine machine(Platform::macOS);
  for (const std::string& output : outputs) {
    SCOPED_TRACE(output);
    FakeTool xcrun;
    xcrun.output = output;
    machine.xcode(xcrun);
    EXPECT_EQ(DeviceLauncher::iosDevices(machine.host()), std::vector<TestDevice>{});
  }
}

TEST(IosDevices, NothingRunsWithoutXcodesPlatform) {
  // On Linux even an "xcrun" at the fixed path is not asked.
  FakeMachine linux(Platform::linuxOS);
  FakeTool xcrun;
  xcrun.output = simulatorList;
  const auto xcode = linux.xcode(xcrun);
  EXPECT_EQ(DeviceLauncher::iosDevices(linux.host()), std::vector<TestDevice>{});
  EXPECT_EQ(xcode.xcrun.calls().size(), 0u);
  // On macOS without Xcode the list is empty too.
  FakeMachine mac(Platform::macOS);
  EXPECT_EQ(DeviceLauncher::iosDevices(mac.host()), std::vector<TestDevice>{});
}

TEST(DeviceScore, RanksNamesByLineModelAndGeneration) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"Pixel 7 Pro", 1075},
      {"Pixel 8", 1080},
      {"Pixel 9 Pro XL", 1093},
      {"Pixel Fold", 998},
      {"Pixel 2024 Edition 7", 1070},
      {"Medium Phone API 35", 350},
      {"iPhone 15 Pro Max", 1153},
      {"iPhone 16", 1160},
      {"iPad Pro 13-inch (M4)", 135},
      {"PIXEL_8_PRO", 1085},
      // Max, fold and xl together still count once.
      {"Pixel Max Fold XL", 998},
      // "pro" inside a longer word counts too.
      {"Product Tester", 5},
      // The first number below 100 counts, 0 and leading zeros included.
      {"Pixel 0 8", 1000},
      {"Pixel 007", 1070},
      // A run far beyond 64 bits is passed over like any number of 100 and more.
      {"Pixel 123456789012345678901234567890 5", 1050},
      // Numerals that are not ASCII digits form no number (fullwidth seven).
      {"Pixel \xEF\xBC\x97 8", 1080},
      {"Pixel 7\xEF\xBC\x97 8", 1080},
      {"", 0},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(score(name), expected) << name;
}

}  // namespace
}  // namespace tovrane
