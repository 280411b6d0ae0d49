#include "tests/support/FakeMachine.hpp"

#include "core/support/Files.hpp"

namespace tovrane::testsupport {

namespace fs = std::filesystem;

FakeMachine::FakeMachine(Platform platform) : root_("tovrane-machine"), platform_(platform) {
  files::createDirectories(home());
  files::createDirectories(root() / "tmp");
  environment_ = {{"HOME", home().string()}, {"TMPDIR", (root() / "tmp").string()}};
}

fs::path FakeMachine::home() const { return root() / "Users/tester"; }

Host FakeMachine::host(const Clock* clock) const {
  return Host(Host::Options{
      .environment = environment_,
      .platform = platform_,
      .root = root(),
      .clock = clock,
      .loginShell = std::nullopt,
  });
}

InstalledTool FakeMachine::tool(const fs::path& absolute, const FakeTool& tool) const {
  return tool.install(root() / absolute.relative_path());
}

fs::path FakeMachine::javaRuntime(const fs::path& folder) const {
  FakeTool{}.install(folder / "bin/java");
  return folder;
}

fs::path FakeMachine::androidStudio(bool preview) const {
  const fs::path app = preview ? "Android Studio Preview.app" : "Android Studio.app";
  return javaRuntime(root() / "Applications" / app / "Contents/jbr/Contents/Home");
}

FakeMachine::AndroidSdk FakeMachine::androidSdk(const fs::path& folder, const FakeTool& adb,
                                                const FakeTool& emulator) const {
  files::createDirectories(folder / "platforms");
  return AndroidSdk{folder, adb.install(folder / "platform-tools/adb"), emulator.install(folder / "emulator/emulator")};
}

fs::path FakeMachine::homeSdk() const {
  return home() / (platform_ == Platform::macOS ? "Library/Android/sdk" : "Android/Sdk");
}

FakeMachine::Xcode FakeMachine::xcode(const FakeTool& xcrun, const FakeTool& open, const FakeTool& osascript) const {
  return Xcode{tool("/usr/bin/xcrun", xcrun), tool("/usr/bin/open", open), tool("/usr/bin/osascript", osascript)};
}

}  // namespace tovrane::testsupport
