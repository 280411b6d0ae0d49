#include "core/repair/GradleRunner.hpp"

#include "core/support/Process.hpp"
#include "core/support/Text.hpp"


namespace tovrane {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view errorPrefix = "e: file://";
constexpr std::size_t maxReasonCharacters = 300;

// An environment variable that names a folder: set, not empty and absolute
// (a relative one would mean something else in Gradle's working folder).
std::optional<fs::path> folderVariable(const Host& host, std::string_view name) {
  const std::optional<std::string> value = host.variable(name);
  if (!value || value->empty() || !fs::path(*value).is_absolute()) return std::nullopt;
  return fs::path(*value);
}

bool holds(const fs::path& folder, const char* entry) {
  std::error_code error;
  return fs::exists(folder / entry, error);
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The compiler prints file URIs: blanks and non-ASCII bytes as "%XX". A
// decoding that would give a NUL byte or invalid UTF-8 is no path of ours;
// such a text stays as printed.
std::string decodePercentEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  if (out.find('\0') != std::string::npos || !text::isValidUtf8(out)) return std::string(text);
  return out;
}

bool isBlankLine(std::string_view line) { return text::trimWhitespaceAndNewlines(line).empty(); }

// The reason goes into German messages and logs: no terminal escapes.
std::string withoutControlCharacters(std::string_view line) {
  std::string out;
  for (char c : line)
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) out += c;
    else if (c == '\t') out += ' ';
  return out;
}

}  // namespace

namespace AndroidTools {

std::optional<fs::path> javaHome(const Host& host) {
  std::vector<fs::path> candidates;
  if (host.platform() == Platform::macOS) {
    candidates = {host.path("/Applications/Android Studio.app/Contents/jbr/Contents/Home"),
                  host.path("/Applications/Android Studio Preview.app/Contents/jbr/Contents/Home")};
  } else {
    const fs::path home = host.home();
    candidates = {home / "android-studio/jbr", host.path("/opt/android-studio/jbr"),
                  host.path("/usr/local/android-studio/jbr"),
                  home / ".local/share/JetBrains/Toolbox/apps/android-studio/jbr",
                  host.path("/snap/android-studio/current/android-studio/jbr")};
  }
  if (auto fromEnvironment = folderVariable(host, "JAVA_HOME")) candidates.push_back(*fromEnvironment);
  for (const fs::path& candidate : candidates)
    if (holds(candidate, "bin/java")) return candidate;
  return std::nullopt;
}

std::optional<fs::path> sdk(const Host& host) {
  std::vector<fs::path> candidates;
  if (auto fromEnvironment = folderVariable(host, "ANDROID_HOME")) candidates.push_back(*fromEnvironment);
  candidates.push_back(host.home() / (host.platform() == Platform::macOS ? "Library/Android/sdk" : "Android/Sdk"));
  for (const fs::path& candidate : candidates)
    if (holds(candidate, "platforms")) return candidate;
  return std::nullopt;
}

}  // namespace AndroidTools

std::optional<GradleRunner> GradleRunner::create(const fs::path& project, const Host& host) {
  std::optional<fs::path> java = AndroidTools::javaHome(host);
  if (!java) return std::nullopt;
  std::optional<fs::path> sdk = AndroidTools::sdk(host);
  if (!sdk) return std::nullopt;
  Environment environment = host.environment();
  environment["JAVA_HOME"] = java->string();
  environment["ANDROID_HOME"] = sdk->string();
  return GradleRunner(project, std::move(*java), std::move(*sdk), std::move(environment));
}

GradleRun GradleRunner::run(const std::vector<std::string>& arguments, std::stop_token stop) const {
  process::Spec spec;
  spec.program = project_ / "gradlew";
  spec.arguments = arguments;
  spec.arguments.insert(spec.arguments.end(), {"--console=plain", "-q"});
  spec.environment = environment_;
  spec.workingFolder = project_;
  spec.outputs = process::Outputs::merged;
  spec.input = process::Input::null;
  spec.timeout = buildTimeout;
  spec.stop = std::move(stop);
  const process::Result result = process::run(spec);
  GradleRun run;
  run.status = result.signaled ? 128 + result.status : result.status;
  run.timedOut = result.timedOut;
  run.cancelled = result.cancelled;
  run.ok = run.status == 0 && !run.timedOut && !run.cancelled;
  run.output = process::decodeOutput(result.output);
  return run;
}

CompileCheck GradleRunner::compileErrors(std::stop_token stop) const {
  CompileCheck check;
  check.run = run({"compileDebugKotlin"}, std::move(stop));
  check.errors = parseCompileErrors(check.run.output);
  return check;
}

CompileErrors GradleRunner::parseCompileErrors(std::string_view output) {
  CompileErrors errors;
  text::forEachLine(output, text::LineEnds::lf, [&](std::string_view line) {
    if (!text::startsWith(line, errorPrefix)) return;
    const std::string_view rest = line.substr(errorPrefix.size());
    const auto end = rest.find(".kt:");
    if (end == std::string_view::npos) return;
    const std::string file = decodePercentEscapes(rest.substr(0, end)) + ".kt";
    errors[file].push_back("line " + std::string(rest.substr(end + 4)));
  });
  return errors;
}

std::string GradleRunner::failureReason(const GradleRun& run) {
  if (run.timedOut) return process::TimeoutError("Gradle", buildTimeout).what();
  std::string_view last;
  std::string_view afterHeading;
  bool sawHeading = false;
  text::forEachLine(run.output, text::LineEnds::crlfAsOne, [&](std::string_view line) {
    if (isBlankLine(line)) return;
    if (sawHeading && afterHeading.empty()) afterHeading = line;
    if (text::trimWhitespaceAndNewlines(line) == "* What went wrong:") sawHeading = true;
    last = line;
  });
  const std::string_view reason = afterHeading.empty() ? last : afterHeading;
  if (reason.empty()) return "Code " + std::to_string(run.status);
  const std::string clean = withoutControlCharacters(text::trimWhitespaceAndNewlines(reason));
  return std::string(text::prefixGraphemes(clean, maxReasonCharacters));
}

}  // namespace tovrane
