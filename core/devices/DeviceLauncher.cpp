#include "core/devices/DeviceLauncher.hpp"

#include "core/devices/LauncherText.hpp"
#include "core/project/ProjectScanner.hpp"
#include "core/repair/GradleRunner.hpp"
#include "core/support/Cancelled.hpp"
#include "core/support/Files.hpp"
#include "core/support/Json.hpp"
#include "core/support/Process.hpp"
#include "core/support/Text.hpp"

#include <algorithm>
#include <unistd.h>

namespace tovrane {

namespace fs = std::filesystem;

std::string_view rawValue(TestDevice::Kind kind) {
  switch (kind) {
    case TestDevice::Kind::android: return "android";
    case TestDevice::Kind::ios: return "ios";
  }
  return {};
}

std::optional<TestDevice::Kind> testDeviceKindFromRawValue(std::string_view text) {
  for (TestDevice::Kind kind : {TestDevice::Kind::android, TestDevice::Kind::ios})
    if (rawValue(kind) == text) return kind;
  return std::nullopt;
}

namespace DeviceLauncher {

namespace launcher {

std::vector<std::string_view> lines(std::string_view text) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t length = 1;
    const char32_t c = text::firstScalar(text.substr(at), &length);
    if (text::isNewline(c)) {
      if (at > start) pieces.push_back(text.substr(start, at - start));
      start = at + length;
    }
    at += length;
  }
  if (text.size() > start) pieces.push_back(text.substr(start));
  return pieces;
}

std::string_view tail(std::string_view text, std::size_t n) {
  const std::size_t count = text::graphemeCount(text);
  return count <= n ? text : text::dropGraphemes(text, count - n);
}

std::string displayName(std::string_view avd) { return text::replaceAll(avd, "_", " "); }

int exitCode(int status, bool signaled) { return signaled ? 128 + status : status; }

}  // namespace launcher

namespace {

constexpr std::string_view apiLevelPrefix = "target=android-";
// A listing that takes longer is not worth waiting for: the card shows no devices.
constexpr auto listTimeout = std::chrono::minutes(1);

std::optional<fs::path> executableIn(const Host& host, const char* relative) {
  const std::optional<fs::path> sdk = AndroidTools::sdk(host);
  if (!sdk) return std::nullopt;
  fs::path program = *sdk / relative;
  std::error_code error;
  if (!fs::is_regular_file(program, error) || ::access(program.c_str(), X_OK) != 0) return std::nullopt;
  return program;
}

// The "target=" line of the AVD's configuration, shown as "API 34"; empty
// when there is none. The name comes from tool output: one that is no plain
// file name would lead out of the configuration folder and is not read.
std::string apiLevel(const Host& host, const std::string& avd) {
  if (avd == "." || avd == ".." || avd.find_first_of(std::string_view("/\0", 2)) != std::string::npos) return {};
  const fs::path ini = host.home() / ".android/avd" / (avd + ".ini");
  std::string content;
  std::error_code error;
  // Only a regular file: a FIFO by that name would block the listing.
  if (!fs::is_regular_file(ini, error)) return {};
  try {
    content = files::readFile(ini);
  } catch (const files::FileError&) {
    return {};
  }
  if (!text::isValidUtf8(content)) return {};
  std::optional<std::string> detail;
  text::forEachLine(content, text::LineEnds::lf, [&](std::string_view line) {
    // A file written on Windows ends its lines with CR LF.
    line = text::trimWhitespaceAndNewlines(line);
    if (!detail && text::startsWith(line, "target=")) detail = text::replaceAll(line, apiLevelPrefix, "API ");
  });
  return detail.value_or(std::string());
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// What the emulator accepts as a configuration name; anything else in its
// listing (log lines, errors, stray bytes) is no device.
bool isAvdName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || isDigit(c) || c == '.' || c == '_' || c == '-';
  });
}

std::string_view withoutLeadingZeros(std::string_view digits) {
  while (!digits.empty() && digits.front() == '0') digits.remove_prefix(1);
  return digits;
}

// A text comparison in which each run of ASCII digits compares by its value
// ("17.10" after "17.9"), byte by byte otherwise (code point order, no
// locale). Runs of any length compare without conversion.
int compareNumerically(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (isDigit(a[i]) && isDigit(b[j])) {
      std::size_t endA = i;
      std::size_t endB = j;
      while (endA < a.size() && isDigit(a[endA])) ++endA;
      while (endB < b.size() && isDigit(b[endB])) ++endB;
      const std::string_view x = withoutLeadingZeros(a.substr(i, endA - i));
      const std::string_view y = withoutLeadingZeros(b.substr(j, endB - j));
      if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
      if (const int order = x.compare(y); order != 0) return order < 0 ? -1 : 1;
      i = endA;
      j = endB;
      continue;
    }
    if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]) ? -1 : 1;
    ++i;
    ++j;
  }
  const std::size_t restA = a.size() - i;
  const std::size_t restB = b.size() - j;
  return restA == restB ? 0 : (restA < restB ? -1 : 1);
}

// "com.apple.CoreSimulator.SimRuntime.iOS-17-5" → "17.5".
std::string runtimeVersion(std::string_view runtime) {
  const std::size_t marker = runtime.rfind("iOS-");
  const std::string_view version = marker == std::string_view::npos ? runtime : runtime.substr(marker + 4);
  return text::replaceAll(version, "-", ".");
}

// "devices" must map every runtime to an array of objects.
bool isDeviceTable(const json::OrderedJson& devices) {
  if (!devices.is_object()) return false;
  return std::all_of(devices.begin(), devices.end(), [](const json::OrderedJson& simulators) {
    return simulators.is_array() && std::all_of(simulators.begin(), simulators.end(),
                                                [](const json::OrderedJson& entry) { return entry.is_object(); });
  });
}

}  // namespace

ShellResult shell(const fs::path& program, const std::vector<std::string>& args, const std::optional<fs::path>& cwd,
                  const std::optional<Environment>& env, const Host& host, std::stop_token stop,
                  std::chrono::milliseconds timeout) {
  process::Spec spec;
  spec.program = program;
  spec.arguments = args;
  spec.environment = env ? *env : host.environment();
  spec.workingFolder = cwd;
  spec.outputs = process::Outputs::merged;
  // adb forwards its input to the device: it must never read the terminal.
  spec.input = process::Input::null;
  spec.timeout = timeout;
  spec.stop = std::move(stop);
  const process::Result result = process::run(spec);
  if (result.cancelled) throw Cancelled();
  ShellResult shellResult{launcher::exitCode(result.status, result.signaled), process::decodeOutput(result.output),
                          result.timedOut};
  // Said where each caller shows a failed command: in its output.
  if (result.timedOut) {
    const process::TimeoutError timedOut("„" + program.filename().string() + "“", timeout);
    shellResult.out += '\n';
    shellResult.out += timedOut.what();
  }
  return shellResult;
}

std::optional<fs::path> adb(const Host& host) { return executableIn(host, "platform-tools/adb"); }
std::optional<fs::path> emulator(const Host& host) { return executableIn(host, "emulator/emulator"); }

std::vector<TestDevice> androidDevices(const Host& host) {
  const std::optional<fs::path> program = emulator(host);
  if (!program) return {};
  ShellResult listing;
  try {
    listing = shell(*program, {"-list-avds"}, std::nullopt, std::nullopt, host, {}, listTimeout);
  } catch (const std::exception&) {
    return {};
  }
  std::vector<TestDevice> devices;
  text::forEachLine(listing.out, text::LineEnds::lf, [&](std::string_view line) {
    line = text::trimWhitespaceAndNewlines(line);
    if (!isAvdName(line) || text::startsWith(line, "INFO")) return;
    const std::string avd(line);
    devices.push_back(TestDevice{avd, launcher::displayName(avd), TestDevice::Kind::android, apiLevel(host, avd)});
  });
  std::stable_sort(devices.begin(), devices.end(),
                   [](const TestDevice& a, const TestDevice& b) { return score(a.name) > score(b.name); });
  return devices;
}

std::vector<TestDevice> iosDevices(const Host& host) {
  if (host.platform() != Platform::macOS) return {};
  ShellResult listing;
  try {
    listing = shell(host.path("/usr/bin/xcrun"), {"simctl", "list", "devices", "available", "-j"}, std::nullopt,
                    std::nullopt, host, {}, listTimeout);
  } catch (const std::exception&) {
    return {};
  }
  const std::optional<json::OrderedJson> document = json::tryParseOrdered(listing.out);
  if (!document || !document->is_object() || !document->contains("devices")) return {};
  const json::OrderedJson& table = document->at("devices");
  if (!isDeviceTable(table)) return {};

  struct Entry {
    std::string version;
    int score;
    TestDevice device;
  };
  std::vector<Entry> entries;
  for (const auto& [runtime, simulators] : table.items()) {
    if (runtime.find("iOS") == std::string::npos) continue;
    const std::string version = runtimeVersion(runtime);
    for (const json::OrderedJson& simulator : simulators) {
      const auto name = simulator.find("name");
      const auto udid = simulator.find("udid");
      if (name == simulator.end() || !name->is_string() || udid == simulator.end() || !udid->is_string()) continue;
      TestDevice device{udid->get<std::string>(), name->get<std::string>(), TestDevice::Kind::ios, "iOS " + version};
      entries.push_back(Entry{version, score(device.name), std::move(device)});
    }
  }
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    const int order = compareNumerically(a.version, b.version);
    return order != 0 ? order > 0 : a.score > b.score;
  });
  std::vector<TestDevice> devices;
  devices.reserve(entries.size());
  for (Entry& entry : entries) devices.push_back(std::move(entry.device));
  return devices;
}

int score(std::string_view name) {
  const std::string lower = project::lowercased(name);
  const auto has = [&lower](std::string_view part) { return lower.find(part) != std::string::npos; };
  int rank = has("pixel") || has("iphone") ? 1000 : 0;
  if (has("pro")) rank += 5;
  if (has("max") || has("fold") || has("xl")) rank -= 2;

  // Pieces of numeric characters; only those of ASCII digits are numbers.
  // A piece of three or more significant digits is 100 or more and passed
  // over, so no piece is ever converted (a run beyond 64 bits cannot overflow).
  std::string piece;
  std::optional<int> generation;
  const auto endPiece = [&] {
    if (!piece.empty() && std::all_of(piece.begin(), piece.end(), isDigit)) {
      const std::string_view digits = withoutLeadingZeros(piece);
      if (digits.size() <= 2) generation = digits.empty() ? 0 : std::stoi(std::string(digits));
    }
    piece.clear();
    return !generation;
  };
  text::forEachGrapheme(lower, [&](std::string_view character) {
    if (text::isNumber(character)) {
      piece += character;
      return true;
    }
    return endPiece();
  });
  endPiece();
  return rank + 10 * generation.value_or(0);
}

}  // namespace DeviceLauncher

}  // namespace tovrane

std::size_t std::hash<tovrane::TestDevice>::operator()(const tovrane::TestDevice& device) const noexcept {
  return tovrane::text::hashOfParts({device.id, device.name, tovrane::rawValue(device.kind), device.detail});
}
