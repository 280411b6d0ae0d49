#pragma once
// Builds of the generated Android project and the lookup of the tools they
// need. AndroidTools finds the Java runtime and the Android SDK that Android
// Studio installs, anew on every call (a tool installed while the program
// runs is found at the next use). GradleRunner runs the project's own
// "gradlew" with them; Gradle itself is never searched: the wrapper fetches
// its distribution on the first build, and the SDK needs platform 35, which
// the generated project compiles against.
#include "core/support/Host.hpp"

#include <filesystem>
#include <map>
#include <chrono>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace tovrane {

namespace AndroidTools {
// The first candidate folder that holds "bin/java": Android Studio's bundled
// runtime (on macOS the application and its Preview edition, on Linux the
// usual install folders), then JAVA_HOME when it is an absolute path.
std::optional<std::filesystem::path> javaHome(const Host& host = Host::system());
// ANDROID_HOME when it is an absolute path holding "platforms", else the
// folder where Android Studio puts the SDK in the home folder
// ("Library/Android/sdk" on macOS, "Android/Sdk" on Linux) when it holds
// "platforms".
std::optional<std::filesystem::path> sdk(const Host& host = Host::system());
}  // namespace AndroidTools

// Kotlin file path, as the compiler printed it with percent escapes decoded →
// that file's errors in output order, each "line " + line + ":" + column +
// " " + message.
using CompileErrors = std::map<std::string, std::vector<std::string>>;

struct GradleRun {
  bool ok = false;  // exit status 0
  // The exit status; 128 + the signal number for a wrapper ended by a signal.
  int status = 0;
  std::string output;  // standard output and error interleaved, as UTF-8 (invalid bytes replaced)
  bool timedOut = false;   // ended at GradleRunner::buildTimeout
  bool cancelled = false;  // ended by a stop request
};

struct CompileCheck {
  CompileErrors errors;
  GradleRun run;
  // Only a successful build is a clean compile: a build that fails without
  // Kotlin error lines (a dependency that cannot be fetched, a missing SDK
  // platform) has an empty map too.
  bool compiled() const { return run.ok && errors.empty(); }
};

// A plain value: the project folder and the two tool folders found when it
// was made, and the environment its builds get. Holds no process between
// calls; runs on the same project are not serialised here (Gradle locks).
class GradleRunner {
 public:
  // None when no Java runtime or no Android SDK is found. Does not look for "gradlew".
  static std::optional<GradleRunner> create(const std::filesystem::path& project, const Host& host = Host::system());

  const std::filesystem::path& project() const { return project_; }
  const std::filesystem::path& javaHome() const { return javaHome_; }
  const std::filesystem::path& sdk() const { return sdk_; }

  // The longest a build may take, a first one that downloads Gradle and
  // the libraries included.
  static constexpr std::chrono::milliseconds buildTimeout = std::chrono::hours(1);

  // Runs "gradlew" with arguments + "--console=plain", "-q" in the project
  // folder, with JAVA_HOME and ANDROID_HOME set and the rest of the host's
  // environment and with input from the null device, and waits for it to
  // end. The build and everything it started are ended at buildTimeout or
  // when stop is requested; such a build is a failed one. A failed build is
  // no error; a wrapper that cannot start throws process::StartError, output
  // beyond the runner's limit process::OutputLimitError.
  GradleRun run(const std::vector<std::string>& arguments, std::stop_token stop = {}) const;
  // Runs the Kotlin compile of the debug variant ("compileDebugKotlin") and
  // reads its error lines. Throws as run().
  CompileCheck compileErrors(std::stop_token stop = {}) const;

  // The error lines ("e: file://…") of a compiler output.
  static CompileErrors parseCompileErrors(std::string_view output);
  // One line that says why a build failed: for a build ended at its time
  // limit the German sentence that says so; else the first non-empty line
  // after "* What went wrong:", else the last non-empty line, cut to 300
  // characters, control characters dropped; "Code " + status without output.
  static std::string failureReason(const GradleRun& run);

 private:
  GradleRunner(std::filesystem::path project, std::filesystem::path javaHome, std::filesystem::path sdk,
               Environment environment)
      : project_(std::move(project)),
        javaHome_(std::move(javaHome)),
        sdk_(std::move(sdk)),
        environment_(std::move(environment)) {}

  std::filesystem::path project_;
  std::filesystem::path javaHome_;
  std::filesystem::path sdk_;
  Environment environment_;
};

}  // namespace tovrane
