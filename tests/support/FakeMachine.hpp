#pragma once
// A made-up machine under a temporary root for tests of the tool lookups and
// runners: fixed paths such as "/usr/bin/xcrun" or "/Applications/Android
// Studio.app/…" lie below the root, the home and temporary folders too, and
// host() describes it as a Host. Nothing outside the root is touched.
#include "core/support/Host.hpp"
#include "tests/support/FakeTool.hpp"
#include "tests/support/TempDir.hpp"

#include <filesystem>

namespace tovrane::testsupport {

class FakeMachine {
 public:
  // The environment starts with HOME (root + "/Users/tester") and TMPDIR
  // (root + "/tmp"), both created, and nothing else: not even PATH.
  explicit FakeMachine(Platform platform = Platform::macOS);

  const std::filesystem::path& root() const { return root_.path(); }
  std::filesystem::path home() const;
  // Change before host(); a Host copies it.
  Environment& environment() { return environment_; }
  // The Host of this machine; clock null means the machine's real clock.
  Host host(const Clock* clock = nullptr) const;

  // A fake tool at a fixed absolute path of this machine ("/usr/bin/xcrun").
  InstalledTool tool(const std::filesystem::path& absolute, const FakeTool& tool = {}) const;

  // A Java runtime: folder + "/bin/java" (a fake tool). Returns folder.
  std::filesystem::path javaRuntime(const std::filesystem::path& folder) const;
  // Android Studio (or its Preview edition) in "/Applications", with its
  // runtime. Returns the runtime's home folder as it lies on this machine.
  std::filesystem::path androidStudio(bool preview = false) const;

  struct AndroidSdk {
    std::filesystem::path folder;
    InstalledTool adb;       // folder + "/platform-tools/adb"
    InstalledTool emulator;  // folder + "/emulator/emulator"
  };
  // An SDK folder holding "platforms" and the two tools. Point ANDROID_HOME at
  // it, or place it at homeSdk().
  AndroidSdk androidSdk(const std::filesystem::path& folder, const FakeTool& adb = {},
                        const FakeTool& emulator = {}) const;
  // Where Android Studio puts the SDK: home + "/Library/Android/sdk" on
  // macOS, home + "/Android/Sdk" on Linux.
  std::filesystem::path homeSdk() const;

  struct Xcode {
    InstalledTool xcrun;      // "/usr/bin/xcrun"
    InstalledTool open;       // "/usr/bin/open"
    InstalledTool osascript;  // "/usr/bin/osascript"
  };
  Xcode xcode(const FakeTool& xcrun = {}, const FakeTool& open = {}, const FakeTool& osascript = {}) const;

 private:
  TempDir root_;
  Platform platform_;
  Environment environment_;
};

}  // namespace tovrane::testsupport
