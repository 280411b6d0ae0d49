// The Android run: find or start the emulator, build the debug app while it
// boots, install and start the app.
//
// The build runs on a thread of its own from the moment "Baue die
// Android-App …" is sent and is always joined before the run leaves, also
// when the boot wait fails or is cancelled (a cancel ends the build): an
// error reaches the caller only once Gradle has ended, so a user who tries
// again never starts a second build over a running one. A build that fails
// ends the boot wait at once. The boot's deadline is kept by a watchdog on
// the host's clock that stops the debug bridge's commands under way, so a
// hung adb cannot outlast it. The emulator is started detached and only
// polled; it outlives the run either way.
#include "core/devices/DeviceLauncher.hpp"
#include "core/devices/LauncherText.hpp"
#include "core/project/Converter.hpp"
#include "core/repair/GradleRunner.hpp"
#include "core/support/Cancelled.hpp"
#include "core/support/Process.hpp"
#include "core/support/Regex.hpp"
#include "core/support/Text.hpp"

#include <future>
#include <stop_token>
#include <thread>

namespace tovrane::DeviceLauncher {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using launcher::lines;

constexpr auto bootDeadline = 420s;
constexpr auto bootPollPause = 2s;
constexpr auto installPause = 1s;
// Copying a large package onto a slow emulator.
constexpr auto installTimeout = std::chrono::milliseconds(10min);
constexpr std::size_t shownCompileErrors = 3;
constexpr std::size_t buildTailCharacters = 1500;
// Of a failed install or start.
constexpr std::size_t toolTailCharacters = 400;

const char* const missingToolsText = "Android Studio bzw. das Android-SDK wurde nicht gefunden.";
const char* const raiseScript =
    "tell application \"System Events\" to set frontmost of (first process whose name contains \"qemu\") to true";

// The error text of a failed build: the compiler's first error lines without
// their folders, else the tail of the output (with the time limit's sentence
// for a build that passed it).
std::string buildFailure(const GradleRun& build) {
  const std::string& output = build.output;
  std::vector<std::string_view> errors;
  for (std::string_view line : lines(output))
    if (text::startsWith(line, "e: ")) errors.push_back(line);
  if (errors.empty()) {
    std::string failure = "Build fehlgeschlagen:\n";
    failure += launcher::tail(output, buildTailCharacters);
    if (build.timedOut) {
      failure += '\n';
      failure += GradleRunner::failureReason(build);
    }
    return failure;
  }

  // "e: file:///…/app/src/main/java/…/Main.kt:12:5 msg" → "Main.kt:12:5 msg".
  static const Regex fileLocation(R"(e: file://\S*/)");
  std::vector<std::string> shown;
  for (std::size_t i = 0; i < errors.size() && i < shownCompileErrors; ++i)
    shown.push_back(fileLocation.replace(errors[i], [](const RegexMatch&) { return std::string(); }));
  return "Die Android-App kompiliert noch nicht (" + std::to_string(errors.size()) +
         " Fehler). Lass zuerst die KI-Reparatur laufen.\n" + text::join(shown, "\n");
}

// The manifest's package name when it is one a device shell can take as a
// single word; adb joins its arguments into one command line on the device.
std::string packageName(const fs::path& project) {
  const std::optional<ProjectManifest> manifest = readManifest(project);
  if (!manifest) return {};
  return trustedPackageName(*manifest).value_or(std::string());
}

// A start of the app failed when adb says so or reports an error (am start
// answers a missing activity with status 0 and "Error:" lines; monkey with
// "monkey aborted").
bool startFailed(const ShellResult& start) {
  return start.code != 0 || start.out.find("Error") != std::string::npos ||
         start.out.find("monkey aborted") != std::string::npos;
}

}  // namespace

std::optional<std::string> runningSerial(const fs::path& adb, const std::string& avd, const Host& host,
                                         std::stop_token stop) {
  const ShellResult listing = shell(adb, {"devices"}, std::nullopt, std::nullopt, host, stop);
  std::vector<std::string> serials;
  for (std::string_view line : lines(listing.out)) {
    // Offline and unauthorized emulators do not say "device".
    if (!text::startsWith(line, "emulator-") || line.find("device") == std::string_view::npos) continue;
    serials.emplace_back(line.substr(0, line.find('\t')));
  }
  for (const std::string& serial : serials) {
    const ShellResult name = shell(adb, {"-s", serial, "emu", "avd", "name"}, std::nullopt, std::nullopt, host, stop);
    const std::vector<std::string_view> answer = lines(name.out);
    if (!answer.empty() && text::trimWhitespaceAndNewlines(answer.front()) == avd) return serial;
  }
  return std::nullopt;
}

bool booted(const fs::path& adb, const std::string& serial, const Host& host, std::stop_token stop) {
  const ShellResult answer =
      shell(adb, {"-s", serial, "shell", "getprop", "sys.boot_completed"}, std::nullopt, std::nullopt, host, stop);
  return text::trimWhitespaceAndNewlines(answer.out) == "1";
}

void runAndroid(const fs::path& project, const std::string& avd, const StatusCallback& status, std::stop_token stop,
                const Host& host) {
  const std::optional<fs::path> adbProgram = adb(host);
  const std::optional<fs::path> emulatorProgram = emulator(host);
  const std::optional<GradleRunner> gradle = GradleRunner::create(project, host);
  if (!adbProgram || !emulatorProgram || !gradle) throw LaunchError::missing(missingToolsText);
  const fs::path& adbPath = *adbProgram;
  const auto runAdb = [&](const std::vector<std::string>& args, std::chrono::milliseconds timeout = commandTimeout) {
    return shell(adbPath, args, std::nullopt, std::nullopt, host, stop, timeout);
  };
  const std::string shownName = launcher::displayName(avd);

  try {
    runAdb({"start-server"});
  } catch (const Cancelled&) {
    throw;
  } catch (const std::exception&) {
    // A server that fails to start shows in the steps that need it.
  }

  std::optional<std::string> serial = runningSerial(adbPath, avd, host, stop);
  std::optional<process::Detached> launched;
  if (!serial) {
    status("Starte " + shownName + " …");
    process::Spec spec;
    spec.program = *emulatorProgram;
    spec.arguments = {"-avd", avd, "-no-snapshot-save", "-no-boot-anim"};
    spec.environment = host.environment();
    launched.emplace(process::startDetached(spec));
  }

  status("Baue die Android-App …");
  std::future<GradleRun> build =
      std::async(std::launch::async, [&gradle, stop] { return gradle->run({"assembleDebug"}, stop); });
  std::optional<GradleRun> built;
  // Why the emulator is not there for the app; none once it has booted, or
  // when the wait ended because the build failed.
  std::optional<std::string> bootFailure;
  const Clock& clock = host.clock();
  const Clock::TimePoint deadline = clock.now() + bootDeadline;
  try {
    // The boot's commands and pauses end at the deadline or a stop request.
    std::stop_source bootStop;
    const std::stop_callback forwardStop(stop, [&bootStop] { bootStop.request_stop(); });
    const std::jthread watchdog([&clock, &bootStop, deadline](std::stop_token done) {
      if (clock.sleepFor(deadline - clock.now(), done)) bootStop.request_stop();
    });
    while (true) {
      try {
        if (!serial) serial = runningSerial(adbPath, avd, host, bootStop.get_token());
        if (serial && booted(adbPath, *serial, host, bootStop.get_token())) break;
      } catch (const Cancelled&) {
        if (stop.stop_requested()) throw;
        // The deadline ended a command that hung; the test below says so.
      }
      if (!serial && launched) {
        if (const std::optional<process::ExitStatus> exit = launched->exited()) {
          bootFailure = "Der Emulator „" + avd + "“ ließ sich nicht starten (Code " +
                        std::to_string(launcher::exitCode(exit->status, exit->signaled)) +
                        "). Läuft er schon in Android Studio? Dann dort schließen und erneut versuchen.";
          break;
        }
      }
      if (clock.now() > deadline) {
        bootFailure = "Der Emulator ist nach 7 Minuten noch nicht hochgefahren.";
        break;
      }
      if (!built && build.wait_for(0s) == std::future_status::ready) {
        built = build.get();
        if (!built->ok) break;
      }
      if (!clock.sleepFor(bootPollPause, bootStop.get_token()) && stop.stop_requested()) throw Cancelled();
    }
  } catch (...) {
    if (build.valid()) build.wait();
    throw;
  }

  if (!built) built = build.get();
  if (built->cancelled) throw Cancelled();
  if (!built->ok) {
    std::string failure = buildFailure(*built);
    if (bootFailure) failure += "\n\n" + *bootFailure;
    throw LaunchError::failed(failure);
  }
  if (bootFailure) throw LaunchError::failed(*bootFailure);

  status("Installiere auf dem Emulator …");
  if (!clock.sleepFor(installPause, stop)) throw Cancelled();
  const fs::path package = project / "app/build/outputs/apk/debug/app-debug.apk";
  const ShellResult install = runAdb({"-s", *serial, "install", "-r", package.string()}, installTimeout);
  if (install.code != 0) {
    throw LaunchError::failed("Installation fehlgeschlagen: " +
                              std::string(launcher::tail(install.out, toolTailCharacters)));
  }

  const std::string app = packageName(project);
  // Without it adb would be asked for "/.MainActivity" and a monkey of every package.
  if (app.empty()) {
    throw LaunchError::failed(
        "Die App ließ sich nicht starten: In „.tovrane/manifest.json“ steht kein gültiger Paketname.");
  }
  const ShellResult start = runAdb({"-s", *serial, "shell", "am", "start", "-W", "-n", app + "/.MainActivity"});
  if (startFailed(start)) {
    const ShellResult fallback =
        runAdb({"-s", *serial, "shell", "monkey", "-p", app, "-c", "android.intent.category.LAUNCHER", "1"});
    if (startFailed(fallback)) {
      const std::string both = std::string(text::trimWhitespaceAndNewlines(start.out)) + "\n" +
                               std::string(text::trimWhitespaceAndNewlines(fallback.out));
      const std::string_view said = text::trimWhitespaceAndNewlines(both);
      if (said.empty())
        throw LaunchError::failed("Die App ließ sich nicht starten (Code " + std::to_string(fallback.code) + ").");
      throw LaunchError::failed("Die App ließ sich nicht starten: " +
                                std::string(launcher::tail(said, toolTailCharacters)));
    }
  }

  // Only macOS has a common way to bring another program's window forward;
  // on Linux the emulator's window stays where the window manager put it.
  if (host.platform() == Platform::macOS) {
    try {
      shell(host.path("/usr/bin/osascript"), {"-e", raiseScript}, std::nullopt, std::nullopt, host, stop);
    } catch (const Cancelled&) {
      throw;
    } catch (const std::exception&) {
      // No scripting tool: the window stays where it is.
    }
  }

  status("Läuft auf " + shownName);
}

}  // namespace tovrane::DeviceLauncher
