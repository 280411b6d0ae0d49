#pragma once
// The device launcher: the Android emulators and iOS simulators of the
// machine, and the runs that put the converted app and the Swift app on them.
// A namespace of operations without state: program locations and lists are
// worked out anew on every call, so a tool installed while we run is found.
//
// Every command except the emulator itself goes through shell(): started by
// absolute path with exact arguments, both output streams in one pipe read to
// its end, then the exit status. Exit statuses are judged by each caller; only
// a program that cannot start is an error (process::StartError), and so is
// output beyond the runner's limit (process::OutputLimitError). Every command
// has a time limit and ends, with everything it started, when its run is
// cancelled.
#include "core/support/Host.hpp"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace tovrane {

// One emulator or simulator as the user picks it. `id` identifies it (the AVD
// name, or the simulator's UDID); `name` and `detail` are shown.
struct TestDevice {
  enum class Kind { android, ios };

  std::string id;
  std::string name;
  Kind kind = Kind::android;
  std::string detail;  // "API 34", "iOS 18.1", or empty

  bool operator==(const TestDevice&) const = default;
};

// "android", "ios".
std::string_view rawValue(TestDevice::Kind kind);
// Exactly the two raw values give a kind.
std::optional<TestDevice::Kind> testDeviceKindFromRawValue(std::string_view text);

namespace DeviceLauncher {

// A run's failure; what() is the complete German text for the user.
class LaunchError : public std::runtime_error {
 public:
  enum class Kind {
    missing,  // a program the run needs is not installed
    failed,   // a step of the run failed
  };
  static LaunchError missing(const std::string& text) { return LaunchError(Kind::missing, text); }
  static LaunchError failed(const std::string& text) { return LaunchError(Kind::failed, text); }
  Kind kind() const { return kind_; }

 private:
  LaunchError(Kind kind, const std::string& text) : std::runtime_error(text), kind_(kind) {}
  Kind kind_;
};

struct ShellResult {
  // The exit status; 128 + the signal number for a child ended by a signal.
  int code = 0;
  std::string out;  // standard output and error interleaved, as UTF-8 (invalid bytes replaced)
  // The command passed its time limit and was ended: its code is the
  // signal's, and out ends with a German line that says so.
  bool timedOut = false;
};

// The time limit of a command unless its caller sets one.
inline constexpr std::chrono::milliseconds commandTimeout = std::chrono::minutes(2);

// Runs program with args and waits for it: standard input from the null
// device, both outputs into one pipe read to its end, then the status. cwd
// absent: ours; env absent: host.environment(). The command and everything
// it started are ended after timeout, or when stop is requested, which
// throws Cancelled. Throws process::StartError when the program cannot
// start and process::OutputLimitError for a flood of output.
ShellResult shell(const std::filesystem::path& program, const std::vector<std::string>& args,
                  const std::optional<std::filesystem::path>& cwd = std::nullopt,
                  const std::optional<Environment>& env = std::nullopt, const Host& host = Host::system(),
                  std::stop_token stop = {}, std::chrono::milliseconds timeout = commandTimeout);

// The SDK's "platform-tools/adb" and "emulator/emulator" when they are
// executable files; none without an SDK (AndroidTools::sdk).
std::optional<std::filesystem::path> adb(const Host& host = Host::system());
std::optional<std::filesystem::path> emulator(const Host& host = Host::system());

// The emulator configurations (AVDs) that "emulator -list-avds" names, with
// the API level from each one's ".ini", best score first; equal scores keep
// the listing order. Only lines that are a valid configuration name count
// (letters, digits, ".", "_", "-"), line ends and blanks around them aside:
// log lines, errors and stray bytes are no devices. Empty when the emulator
// program is missing or fails.
std::vector<TestDevice> androidDevices(const Host& host = Host::system());
// The available iOS simulators from "xcrun simctl list devices available -j",
// newest iOS version first, then by score. Empty on any failure, and on a
// host without Xcode's platform (nothing is started there).
std::vector<TestDevice> iosDevices(const Host& host = Host::system());
// The rank of a device name, higher is better: phones of the two big lines
// first, "pro" up, "max"/"fold"/"xl" slightly down, then the first number
// below 100 (the model generation) times ten.
int score(std::string_view name);

using StatusCallback = std::function<void(const std::string&)>;

// Puts the converted Android project on the emulator of configuration avd:
// finds it running or starts it (left running afterwards), builds
// "assembleDebug" while it boots, installs and starts the app. status gets
// "Starte …" (only when it starts the emulator), "Baue die Android-App …",
// "Installiere auf dem Emulator …" and "Läuft auf …", on this thread. A
// build that fails is reported as soon as it has, without waiting for the
// boot, and before an emulator failure that came meanwhile; a start of the
// app that fails (also for want of a usable package name) is a failure.
// Throws LaunchError, process::StartError for a program that cannot start,
// or Cancelled when stop is requested: the command or build under way is
// ended, and the run returns once the build has ended.
void runAndroid(const std::filesystem::path& project, const std::string& avd, const StatusCallback& status,
                std::stop_token stop = {}, const Host& host = Host::system());
// Whether this machine can run the iOS simulator: macOS with Xcode itself,
// whose xcrun finds xcodebuild (the command-line tools alone do not do).
// Starts nothing elsewhere; never throws.
bool hasXcode(const Host& host = Host::system());
// Puts the Swift app of the Xcode project in xcodeProjectFolder on the iOS
// simulator udid: boots the simulator and shows the Simulator application
// (both left running), picks a scheme, builds the app for the simulator (once
// more with local signing when signing stops the build), installs and
// launches it. status gets "Starte den iPhone-Simulator …", "Ermittle das
// Xcode-Schema …", "Baue die iOS-App (…) …", possibly "Signierung nicht
// möglich – …", "Installiere im Simulator …" and "Läuft im Simulator", on this
// thread. Throws LaunchError (missing: no Xcode container in the folder, or no
// Xcode on this machine, which is always so outside macOS; failed: also a
// launch that fails), process::StartError for a program that cannot start,
// or Cancelled when stop is requested (the command under way is ended).
void runIOS(const std::filesystem::path& xcodeProjectFolder, const std::string& udid, const StatusCallback& status,
            std::stop_token stop = {}, const Host& host = Host::system());
// The serial ("emulator-5554") of a running emulator whose configuration is avd.
std::optional<std::string> runningSerial(const std::filesystem::path& adb, const std::string& avd,
                                         const Host& host = Host::system(), std::stop_token stop = {});
// Whether the emulator with serial reports a completed boot.
bool booted(const std::filesystem::path& adb, const std::string& serial, const Host& host = Host::system(),
            std::stop_token stop = {});

}  // namespace DeviceLauncher

}  // namespace tovrane

template <>
struct std::hash<tovrane::TestDevice> {
  std::size_t operator()(const tovrane::TestDevice& device) const noexcept;
};
