#pragma once
// The process-wide services that the job centre hands to every model it
// makes. The entry makes each of them once; all outlive the job centre.
#include <functional>

class QWidget;

namespace tovrane::app {

class Clock;
class Engine;
class Platform;
class Settings;
class ToolLookup;
class Workers;

struct JobServices {
  Engine& engine;
  Workers& workers;
  Settings& settings;
  Platform& platform;
  ToolLookup& tools;
  const Clock& clock;
  // The window that asks for the user's attention: the first one open, or
  // nullptr when none is.
  std::function<QWidget*()> firstWindow;
};

}  // namespace tovrane::app
