#pragma once
// The real engine on a made-up Linux machine, faked only at its edges: a
// loopback server answers as every model provider and as the local model
// runtime; Android Studio's Java, an SDK whose adb and emulator are scripts,
// and the Claude Code and Codex tools lie below the machine's root; a
// project's gradlew is replaced by a script whose builds the test chooses.
//
// The emulator lists one device, Pixel_8_API_35 (API 35). Started, it shows
// up as emulator-5554 and reports a finished boot unless the boot is held;
// it keeps running until the world goes.
#include "app/state/CoreEngine.hpp"
#include "tests/support/FakeHttpServer.hpp"
#include "tests/support/FakeMachine.hpp"

#include <filesystem>
#include <string>
#include <vector>

namespace tovrane::app::test {

struct EngineWorld {
  // One build of a project: what gradlew prints and its exit status.
  struct Build {
    std::string output;
    int status = 0;
  };

  EngineWorld();
  ~EngineWorld();
  EngineWorld(const EngineWorld&) = delete;
  EngineWorld& operator=(const EngineWorld&) = delete;

  // Replaces the project's gradlew: its call n from now on prints and exits
  // as builds[n-1]; calls past the last succeed without output.
  void useBuilds(const std::filesystem::path& project, const std::vector<Build>& builds) const;
  // A failed build with one compiler error in the file, as Gradle prints it.
  static Build failingIn(const std::filesystem::path& file);
  // The arguments of each gradlew call, in order, joined by blanks.
  std::vector<std::string> gradleTasks() const;
  // While held, a started emulator never reports a finished boot.
  void holdBoot(bool held = true) const;

  // A Kotlin text with every placeholder filled in and one final line feed,
  // as a model would answer.
  static std::string repaired(std::string kotlin);
  // Gemini's answer carrying the text in a code block, 1000 tokens in, 100 out.
  static fakes::FakeReply geminiAnswer(const std::string& text);
  // The path of each model of the Gemini ladder, cheaper first.
  static constexpr const char* flashPath = "/v1beta/models/gemini-flash-latest:generateContent";
  static constexpr const char* proPath = "/v1beta/models/gemini-pro-latest:generateContent";

  static constexpr const char* avd = "Pixel_8_API_35";

  testsupport::FakeMachine machine{tovrane::Platform::linuxOS};
  fakes::FakeHttpServer server;
  Host host;
  CoreEngine engine;

 private:
  std::filesystem::path state() const { return machine.root() / "state"; }
};

}  // namespace tovrane::app::test
