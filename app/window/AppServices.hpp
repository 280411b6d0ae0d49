#pragma once
// The process-wide services, made once by the application object and handed
// by reference to every window and page. All of them outlive every window.
namespace tovrane::app {

class Clock;
class Dialogs;
class Engine;
class JobCenter;
class Launcher;
class OutputReservations;
class Platform;
class ProjectStore;
class Settings;
class ToolLookup;
class Updater;
class UuidSource;
class Workers;

struct AppServices {
  Engine& engine;
  Platform& platform;
  Dialogs& dialogs;
  Launcher& launcher;
  Clock& clock;
  UuidSource& uuids;
  Settings& settings;
  Workers& workers;
  OutputReservations& reservations;
  // The one history of the process: every window shows it.
  ProjectStore& store;
  ToolLookup& tools;
  JobCenter& jobs;
  Updater& updater;
};

}  // namespace tovrane::app
