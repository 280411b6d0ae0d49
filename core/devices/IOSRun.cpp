// The iOS run: boot the simulator, pick the Xcode scheme, build the Swift app
// for the simulator, install and launch it.
//
// Xcode exists only on macOS, and with only the command-line tools installed
// "xcrun" cannot find xcodebuild: both are checked once the folder is known to
// hold an Xcode project, so the user reads that Xcode is missing instead of a
// failed start of some tool halfway through. Every command has a time limit
// and ends on a stop request; the simulator, the Simulator application and
// the app outlive the run.
#include "core/devices/DeviceLauncher.hpp"
#include "core/devices/LauncherText.hpp"
#include "core/repair/ToolLookup.hpp"
#include "core/support/Files.hpp"
#include "core/support/Json.hpp"
#include "core/support/Text.hpp"

#include <plist/plist.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <type_traits>

namespace tovrane::DeviceLauncher {

namespace {

namespace fs = std::filesystem;

using namespace std::chrono_literals;

constexpr std::size_t shownErrorLines = 8;
// A build of a large app takes long; everything else is quick or hung.
constexpr auto buildTimeout = std::chrono::milliseconds(1h);
constexpr auto simulatorTimeout = std::chrono::milliseconds(5min);
constexpr std::size_t buildTailCharacters = 1200;
// Of a failed install or launch.
constexpr std::size_t toolTailCharacters = 400;

const char* const noXcodeText =
    "Xcode wurde nicht gefunden – die iOS-App lässt sich nur auf einem Mac mit installiertem Xcode im Simulator "
    "starten.";

// The build tool's option and the bare entry name: every command that names
// the container runs in the project folder.
struct Container {
  std::string option;  // "-workspace" or "-project"
  std::string name;
};

// The entry names of a folder in the file system's order; none when it
// cannot be listed.
std::vector<std::string> entryNames(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
    names.push_back(entry->path().filename().string());
  if (error) return {};
  return names;
}

std::optional<std::string> firstEndingWith(const std::vector<std::string>& names, std::string_view suffix) {
  for (const std::string& name : names)
    if (text::endsWith(name, suffix)) return name;
  return std::nullopt;
}

// A workspace wins over a project wherever both stand in the listing.
std::optional<Container> findContainer(const fs::path& folder) {
  const std::vector<std::string> names = entryNames(folder);
  if (std::optional<std::string> workspace = firstEndingWith(names, ".xcworkspace"))
    return Container{"-workspace", std::move(*workspace)};
  if (std::optional<std::string> project = firstEndingWith(names, ".xcodeproj"))
    return Container{"-project", std::move(*project)};
  return std::nullopt;
}

// The schemes of "xcodebuild -list -json": the output from its first "{" is
// one JSON document (log lines may come before it); the workspace's list if
// there is a workspace, else the project's. Empty on any other shape.
std::vector<std::string> schemeList(std::string_view output) {
  const std::size_t brace = output.find('{');
  if (brace == std::string_view::npos) return {};
  const std::optional<json::Json> document = json::tryParse(output.substr(brace));
  if (!document || !document->is_object()) return {};
  const auto container = document->contains("workspace") ? document->find("workspace") : document->find("project");
  if (container == document->end() || !container->is_object()) return {};
  const auto schemes = container->find("schemes");
  if (schemes == container->end() || !schemes->is_array()) return {};
  std::vector<std::string> names;
  for (const json::Json& scheme : *schemes) {
    if (!scheme.is_string()) return {};
    names.push_back(scheme.get<std::string>());
  }
  return names;
}

// The scheme named like the project folder, else the first that is no test
// scheme, else the first.
std::optional<std::string> chooseScheme(const std::vector<std::string>& schemes, const std::string& folderName) {
  for (const std::string& scheme : schemes)
    if (scheme == folderName) return scheme;
  for (const std::string& scheme : schemes)
    if (scheme.find("Tests") == std::string::npos) return scheme;
  if (schemes.empty()) return std::nullopt;
  return schemes.front();
}

// The folder's own name, also when the path ends with a separator or ".".
std::string folderName(const fs::path& folder) { return files::normalPath(folder).filename().string(); }

// The same folder for the same project while this process runs, so that
// later builds are incremental, and a new one after the next start: the hash
// is keyed with bytes drawn once per process.
fs::path derivedDataFolder(const fs::path& project, const Host& host) {
  static const std::string key = [] {
    std::random_device device;
    std::string bytes;
    for (int i = 0; i < 4; ++i) {
      const std::uint32_t word = device();
      bytes.append(reinterpret_cast<const char*>(&word), sizeof word);
    }
    return bytes;
  }();
  const std::uint64_t hash = std::hash<std::string>{}(key + project.string());
  return host.temporaryFolder() / ("tovrane-ios-" + std::to_string(hash));
}

bool isSigningFailure(std::string_view output) {
  for (std::string_view word : {"sign", "provision", "Signing"})
    if (output.find(word) != std::string_view::npos) return true;
  return false;
}

// The first error lines of a failed build, else the tail of its output.
std::string buildFailure(std::string_view output) {
  std::vector<std::string> errors;
  for (std::string_view line : launcher::lines(output)) {
    if (line.find("error:") == std::string_view::npos) continue;
    errors.emplace_back(line);
    if (errors.size() == shownErrorLines) break;
  }
  const std::string detail =
      errors.empty() ? std::string(launcher::tail(output, buildTailCharacters)) : text::join(errors, "\n");
  return "Xcode-Build fehlgeschlagen:\n" + detail;
}

struct PlistFree {
  void operator()(plist_t node) const { plist_free(node); }
};
using PlistNode = std::unique_ptr<std::remove_pointer_t<plist_t>, PlistFree>;

// "CFBundleIdentifier" of the bundle's Info.plist, XML or binary.
std::optional<std::string> bundleIdentifier(const fs::path& app) {
  std::string bytes;
  try {
    // Only a regular file (a FIFO by that name would block the run), and no
    // more than libplist takes.
    bytes = files::readRegularFile(app / "Info.plist", std::numeric_limits<std::uint32_t>::max());
  } catch (const files::FileError&) {
    return std::nullopt;
  }
  const auto length = static_cast<std::uint32_t>(bytes.size());
  plist_t parsed = nullptr;
  // plist_from_memory gained a parameter in libplist 2.3; these kept theirs.
  if (plist_is_binary(bytes.data(), length)) plist_from_bin(bytes.data(), length, &parsed);
  else plist_from_xml(bytes.data(), length, &parsed);
  const PlistNode root(parsed);
  if (!root || plist_get_node_type(root.get()) != PLIST_DICT) return std::nullopt;
  const plist_t value = plist_dict_get_item(root.get(), "CFBundleIdentifier");
  if (!value || plist_get_node_type(value) != PLIST_STRING) return std::nullopt;
  std::uint64_t size = 0;
  const char* identifier = plist_get_string_ptr(value, &size);
  if (!identifier) return std::nullopt;
  return std::string(identifier, size);
}

}  // namespace

// Xcode itself, not only its command-line tools: they bring an xcrun that
// cannot find xcodebuild.
bool hasXcode(const Host& host) {
  const fs::path xcrun = host.path("/usr/bin/xcrun");
  if (host.platform() != Platform::macOS || !toollookup::isExecutableFile(xcrun.string())) return false;
  try {
    return shell(xcrun, {"--find", "xcodebuild"}, std::nullopt, std::nullopt, host).code == 0;
  } catch (const std::exception&) {
    return false;
  }
}

void runIOS(const fs::path& xcodeProjectFolder, const std::string& udid, const StatusCallback& status,
            std::stop_token stop, const Host& host) {
  const std::optional<Container> container = findContainer(xcodeProjectFolder);
  if (!container) throw LaunchError::missing("Im Original-Ordner liegt kein Xcode-Projekt.");
  if (!hasXcode(host)) throw LaunchError::missing(noXcodeText);
  const fs::path xcrun = host.path("/usr/bin/xcrun");
  const auto run = [&](const fs::path& program, const std::vector<std::string>& args,
                       const std::optional<fs::path>& cwd = std::nullopt,
                       std::chrono::milliseconds timeout = simulatorTimeout) {
    return shell(program, args, cwd, std::nullopt, host, stop, timeout);
  };

  // An already booted simulator answers the boot with an error: no matter.
  status("Starte den iPhone-Simulator …");
  run(xcrun, {"simctl", "boot", udid});
  run(host.path("/usr/bin/open"), {"-a", "Simulator", "--args", "-CurrentDeviceUDID", udid});

  status("Ermittle das Xcode-Schema …");
  const ShellResult listing =
      run(xcrun, {"xcodebuild", "-list", "-json", container->option, container->name}, xcodeProjectFolder);
  const std::optional<std::string> scheme = chooseScheme(schemeList(listing.out), folderName(xcodeProjectFolder));
  if (!scheme) throw LaunchError::failed("Kein Schema im Xcode-Projekt gefunden.");

  status("Baue die iOS-App (" + *scheme + ") …");
  const fs::path derivedData = derivedDataFolder(xcodeProjectFolder, host);
  const std::vector<std::string> build = {"xcodebuild",       "-scheme",          *scheme,
                                          "-configuration",   "Debug",            "-destination",
                                          "id=" + udid,       "-derivedDataPath", derivedData.string(),
                                          container->option,  container->name};
  std::vector<std::string> signedBuild = build;
  signedBuild.insert(signedBuild.end(), {"-allowProvisioningUpdates", "build"});
  ShellResult built = run(xcrun, signedBuild, xcodeProjectFolder, buildTimeout);
  if (built.code != 0 && isSigningFailure(built.out)) {
    // A project signed for a development team the user does not have still
    // builds for the simulator with the local ad-hoc identity.
    status("Signierung nicht möglich – baue mit lokaler Signatur …");
    std::vector<std::string> unsignedBuild = build;
    unsignedBuild.insert(unsignedBuild.end(), {"CODE_SIGN_IDENTITY=-", "CODE_SIGN_STYLE=Manual", "DEVELOPMENT_TEAM=",
                                               "PROVISIONING_PROFILE_SPECIFIER=", "build"});
    built = run(xcrun, unsignedBuild, xcodeProjectFolder, buildTimeout);
  }
  if (built.code != 0) throw LaunchError::failed(buildFailure(built.out));

  const fs::path products = derivedData / "Build/Products/Debug-iphonesimulator";
  const std::optional<std::string> appName = firstEndingWith(entryNames(products), ".app");
  if (!appName) throw LaunchError::failed("Gebaute App nicht gefunden.");
  const fs::path app = products / *appName;
  const std::optional<std::string> bundleId = bundleIdentifier(app);
  if (!bundleId) throw LaunchError::failed("Bundle-ID nicht lesbar.");

  status("Installiere im Simulator …");
  const ShellResult install = run(xcrun, {"simctl", "install", udid, app.string()});
  if (install.code != 0) {
    throw LaunchError::failed("Installation fehlgeschlagen: " +
                              std::string(launcher::tail(install.out, toolTailCharacters)));
  }

  const ShellResult launch = run(xcrun, {"simctl", "launch", "--terminate-running-process", udid, *bundleId});
  if (launch.code != 0) {
    throw LaunchError::failed("Die App ließ sich im Simulator nicht starten: " +
                              std::string(launcher::tail(text::trimWhitespaceAndNewlines(launch.out),
                                                         toolTailCharacters)));
  }
  status("Läuft im Simulator");
}

}  // namespace tovrane::DeviceLauncher
