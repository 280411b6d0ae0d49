#pragma once
// The application on fakes, made as the entry makes it: the scripted
// engine (or one the test brings), a recording platform and launcher, dialogs that answer from a
// queue, a clock that stands still, sequential ids, a loopback release feed
// that offers nothing newer, and a recording installer. Settings, key file
// and history are emptied first, and "guideSeen" set as asked.
#include "app/window/TovraneAndroidApp.hpp"
#include "tests/app/fakes/FakeEngine.hpp"
#include "tests/app/fakes/FakeUpdates.hpp"
#include "tests/app/fakes/Fakes.hpp"
#include "tests/support/FakeHttpServer.hpp"

#include <memory>
#include <vector>

namespace tovrane::app::test {

// Empties the settings, the key file and the history file.
void clearStoredState();

struct AppFixture {
  explicit AppFixture(bool guideSeen = true);
  // The application on another engine (the real one); `engine` goes unused.
  AppFixture(Engine& runOn, bool guideSeen);
  ~AppFixture();

  const AppServices& services() const { return app->services(); }

  FakeEngine engine;
  FakePlatform platform;
  FakeDialogs dialogs;
  RecordingLauncher launcher;
  FakeClock clock;
  SequentialUuids uuids;
  fakes::FakeHttpServer feed;
  std::shared_ptr<FakeInstaller> installer;
  std::unique_ptr<TovraneAndroidApp> app;
};

// A record of the history: its output folder is <output>; ai set when given.
ProjectRecord historyRecord(const QString& name, const QString& output,
                            std::optional<ProjectRecord::AIRecord> ai = std::nullopt);
// n records "App 1" … "App n", newest ("App 1") first, on one output folder each below the temporary home.
std::vector<ProjectRecord> history(int n);

}  // namespace tovrane::app::test
