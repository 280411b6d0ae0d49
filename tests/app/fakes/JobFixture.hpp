#pragma once
// A job centre on fakes, as the entry would make it: the scripted engine, a
// recording platform, the user's settings and key file (both emptied), a
// clock that stands still, the tool lookup and the workers.
#include "app/state/JobCenter.hpp"
#include "app/state/Settings.hpp"
#include "app/state/ToolLookup.hpp"
#include "app/state/Workers.hpp"
#include "tests/app/fakes/FakeEngine.hpp"
#include "tests/app/fakes/Fakes.hpp"

#include <QWidget>

namespace tovrane::app::test {

struct JobFixture {
  JobFixture();

  // Looks the tools up and waits for the answer.
  void lookUpTools();

  FakeEngine engine;
  FakePlatform platform;
  Settings settings;
  FakeClock clock;
  // The window that asks for attention.
  QWidget window;
  // After the services its calls use, so it waits for those calls before
  // they go; posts to the models below that arrive after them are dropped.
  Workers workers;
  ToolLookup tools{engine, workers};
  JobCenter jobs{JobServices{engine, workers, settings, platform, tools, clock, [this] { return &window; }}};
};

}  // namespace tovrane::app::test
