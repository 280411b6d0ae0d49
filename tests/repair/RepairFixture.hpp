#pragma once
// The world of the ladder repairer's tests: a generated Android project
// written by the project writer, answers of the fake model providers, a
// thread-safe record of the repair's events, and a machine with Java, an SDK
// and a scripted "gradlew" whose builds change from call to call.
#include "core/project/AndroidProjectWriter.hpp"
#include "core/repair/AIRepairer.hpp"
#include "tests/support/FakeHttpServer.hpp"
#include "tests/support/FakeMachine.hpp"
#include "tests/support/TempDir.hpp"

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace tovrane {

// Reaches the repairer's guarded state, for tests that need a remembered rung.
struct AIRepairerPeer {
  static void remember(AIRepairer& repairer, const std::string& file, int rung) {
    std::lock_guard lock(repairer.mutex_);
    repairer.level_[file] = rung;
  }
};

namespace testsupport {

inline constexpr const char* packageName = "com.example.app";
inline constexpr const char* packageLine = "package com.example.app";

// A project as the conversion leaves it, in root/"My App-Android": the
// package's Kotlin files, the runtime, "MainActivity.kt" (with its one view
// placeholder), the manifest and the report. Each Kotlin file named in
// `swift` gets a Swift source in root/"App" and a manifest entry.
struct RepairProject {
  TempDir root{"tovrane-repair"};
  std::filesystem::path project = root / "My App-Android";

  explicit RepairProject(const std::vector<KotlinSourceFile>& kotlin,
                         const std::map<std::string, std::string>& swift = {});

  std::filesystem::path packageFolder() const;
  std::filesystem::path file(const std::string& name) const { return packageFolder() / name; }
  std::string read(const std::string& name) const;
  std::filesystem::path report() const { return project / "TOVRANE_BERICHT.md"; }
  std::filesystem::path swiftFile(const std::string& kotlinName) const;
};

// A Kotlin file of the package whose body holds `placeholders` TODOs.
KotlinSourceFile placeholderFile(const std::string& name, int placeholders);

// The reply of each cloud API carrying text, with token counts (input
// without the cached part).
struct Tokens {
  long long input = 1000;
  long long output = 100;
  long long cached = 0;
  long long cacheWrites = 0;  // Claude only, besides input
};
fakes::FakeReply geminiReply(const std::string& text, Tokens tokens = {});
fakes::FakeReply claudeReply(const std::string& text, Tokens tokens = {});
fakes::FakeReply openAIReply(const std::string& text, Tokens tokens = {});
// A code block around a Kotlin text.
std::string fenced(const std::string& kotlin);
// A short answer that passes every check against placeholderFile's files.
std::string repairedKotlin();

inline constexpr const char* flashPath = "/v1beta/models/gemini-flash-latest:generateContent";
inline constexpr const char* proPath = "/v1beta/models/gemini-pro-latest:generateContent";
inline constexpr const char* claudePath = "/v1/messages";
inline constexpr const char* openAIPath = "/v1/responses";

// A reply that is no answer: the connection closed, or a stall.
fakes::FakeReply withMode(fakes::FakeReply::Mode mode);
// A Linux machine with nothing in it but its clock.
Host hostWith(const Clock& clock);

// Every provider at the one fake server.
Endpoints endpointsAt(const fakes::FakeHttpServer& server);
// The user text of a recorded request to any cloud API.
std::string userTextOf(const fakes::RecordedRequest& request);
// Recorded requests to one path.
std::vector<fakes::RecordedRequest> requestsTo(const fakes::FakeHttpServer& server, const std::string& path);

// The events of a repair, in arrival order; `hook` (set before the run) sees
// each event after it was recorded, on the repairing thread.
class EventLog {
 public:
  AIRepairer::Events callback();
  std::vector<AIRepairEvent> events() const;
  template <class Event>
  std::vector<Event> only() const {
    std::vector<Event> found;
    for (const auto& event : events())
      if (const auto* e = std::get_if<Event>(&event)) found.push_back(*e);
    return found;
  }
  std::vector<std::string> statuses() const;

  std::function<void(const AIRepairEvent&)> hook;

 private:
  mutable std::mutex mutex_;
  std::vector<AIRepairEvent> events_;
};

// A Linux machine with Android Studio's Java and an SDK, and the builds that
// a project's fake "gradlew" prints, one per call (a call past the last one
// prints nothing and succeeds).
struct BuildMachine {
  struct Build {
    std::string output;
    int status = 0;
  };

  FakeMachine machine{Platform::linuxOS};
  Host host;

  explicit BuildMachine(bool withAndroidStudio = true);
  void install(const std::filesystem::path& project, const std::vector<Build>& builds) const;
  int builds() const;  // how many times gradlew ran

  // A failed build with `count` compiler errors in each file, as Gradle prints them.
  static Build failing(const std::map<std::filesystem::path, int>& errors);

 private:
  std::filesystem::path state() const { return machine.root() / "gradle-state"; }
};

}  // namespace testsupport
}  // namespace tovrane
