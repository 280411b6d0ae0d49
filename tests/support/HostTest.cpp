#include "core/support/Host.hpp"

#include "tests/support/FakeMachine.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace tovrane {
namespace {

namespace fs = std::filesystem;

std::string passwordHome() {
  const passwd* entry = ::getpwuid(::getuid());
  return entry ? entry->pw_dir : "";
}

TEST(Host, FoldersComeFromTheEnvironmentFirst) {
  struct Case {
    const char* name;
    Environment environment;
    fs::path home;
    fs::path temporary;
  };
  const std::vector<Case> cases = {
      {"both set", {{"HOME", "/Users/a"}, {"TMPDIR", "/var/folders/x/T/"}}, "/Users/a", "/var/folders/x/T/"},
      {"neither set", {}, passwordHome(), "/tmp"},
      {"both empty", {{"HOME", ""}, {"TMPDIR", ""}}, passwordHome(), "/tmp"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Host::Options options;
    options.environment = c.environment;
    const Host host(options);
    EXPECT_EQ(host.home(), c.home);
    EXPECT_EQ(host.temporaryFolder(), c.temporary);
  }
}

TEST(Host, RootPrefixesEveryFixedPath) {
  Host::Options options;
  const Host plain(options);
  options.root = "/tmp/machine";
  const Host rooted(options);
  for (const char* path : {"/usr/bin/xcrun", "/Applications/Android Studio.app/Contents/jbr/Contents/Home"}) {
    EXPECT_EQ(plain.path(path), fs::path(path));
    EXPECT_EQ(rooted.path(path), fs::path("/tmp/machine") / fs::path(path).relative_path());
  }
}

TEST(Host, SystemHostDescribesThisProcess) {
  const Host& host = Host::system();
  EXPECT_EQ(&host, &Host::system());
  if (const char* path = std::getenv("PATH")) {
    EXPECT_EQ(host.variable("PATH"), std::string(path));
  }
  EXPECT_EQ(host.variable("TOVRANE_SURELY_UNSET"), std::nullopt);
  EXPECT_TRUE(host.loginShell().is_absolute());
  EXPECT_EQ(&host.clock(), &Clock::system());
  EXPECT_EQ(host.path("/bin/zsh"), fs::path("/bin/zsh"));
}

TEST(Host, TestHostCarriesItsOwnClockAndShell) {
  FakeClock clock;
  Host::Options options;
  options.clock = &clock;
  options.loginShell = "/bin/fakeshell";
  const Host host(options);
  EXPECT_EQ(&host.clock(), &clock);
  EXPECT_EQ(host.loginShell(), "/bin/fakeshell");
}

TEST(FakeMachine, LaysOutTheToolsUnderItsRoot) {
  testsupport::FakeMachine machine(Platform::macOS);
  const fs::path java = machine.androidStudio();
  const fs::path preview = machine.androidStudio(true);
  const auto sdk = machine.androidSdk(machine.homeSdk());
  const auto xcode = machine.xcode();
  machine.environment()["ANDROID_HOME"] = "/elsewhere";
  const Host host = machine.host();

  EXPECT_EQ(java, host.path("/Applications/Android Studio.app/Contents/jbr/Contents/Home"));
  EXPECT_EQ(preview, host.path("/Applications/Android Studio Preview.app/Contents/jbr/Contents/Home"));
  EXPECT_EQ(::access((java / "bin/java").c_str(), X_OK), 0);
  EXPECT_TRUE(fs::is_directory(host.home() / "Library/Android/sdk/platforms"));
  EXPECT_EQ(::access(sdk.adb.program.c_str(), X_OK), 0);
  EXPECT_EQ(sdk.emulator.program, host.home() / "Library/Android/sdk/emulator/emulator");
  EXPECT_EQ(xcode.xcrun.program, host.path("/usr/bin/xcrun"));
  EXPECT_EQ(host.variable("ANDROID_HOME"), "/elsewhere");
  EXPECT_EQ(host.variable("PATH"), std::nullopt);
  EXPECT_TRUE(fs::is_directory(host.temporaryFolder()));
  EXPECT_EQ(host.platform(), Platform::macOS);
}

}  // namespace
}  // namespace tovrane
