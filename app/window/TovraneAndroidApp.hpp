#pragma once
// The application object: makes the process-wide services once (the seams
// to the system, the one history, the job centre, the tool lookup, the
// updater), opens windows that all show them, starts one automatic update
// loop and the tool lookup, and owns quitting.
//
// Quitting ("Beenden", or closing the last window on Linux) first asks when
// jobs run; then it hides the windows, cancels the repairs, waits for the
// background calls at most five seconds, ends every tool still running
// (process::endAll), lets the calls' last reports reach the models (a
// repair's result is stored in the history) and ends. The updater's quit
// for a new version takes the same way. On macOS the application stays open
// without windows.
#include "app/state/JobCenter.hpp"
#include "app/state/OutputReservations.hpp"
#include "app/state/ProjectStore.hpp"
#include "app/state/Settings.hpp"
#include "app/state/ToolLookup.hpp"
#include "app/state/Updater.hpp"
#include "app/state/Workers.hpp"
#include "app/window/AppServices.hpp"

#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QApplication;
class QMenuBar;

namespace tovrane::app {

class MainWindow;

// The seams to the system that tests replace.
struct AppSeams {
  Engine& engine;
  Platform& platform;
  Dialogs& dialogs;
  Launcher& launcher;
  Clock& clock;
  UuidSource& uuids;
  // The release feed and installer; the application adds the running jobs and its quit.
  Updater::Setup updates;
};

class TovraneAndroidApp : public QObject {
  Q_OBJECT

 public:
  // The application as it runs: names and look of application, this
  // system's platform, dialogs, launcher and clock, the real engine and the
  // release feed.
  explicit TovraneAndroidApp(QApplication& application);
  explicit TovraneAndroidApp(const AppSeams& seams);
  ~TovraneAndroidApp() override;

  const AppServices& services() const { return services_; }

  // Opens the first window and starts the update loop and the tool lookup.
  MainWindow& start();
  // Runs the event loop until the application ends; returns its exit code.
  // Background calls that outlived the quit's deadline end with the process.
  int exec();

  MainWindow& openWindow();
  // The open windows, oldest first.
  std::vector<MainWindow*> windows() const;

  // Asks, when jobs run, whether to end them; then ends the application.
  // True when it ends.
  bool quit(QWidget* parent);
  // Whether window may close: yes, unless it is the last one on Linux and
  // the user keeps the application open.
  bool mayCloseWindow(MainWindow* window);
  // A check for updates whose outcome the banner reports.
  void checkForUpdates();
  void about(QWidget* parent);

  bool ending() const { return ending_; }
  // Every background call had returned when the application ended.
  bool endedCleanly() const { return clean_; }

 signals:
  void ended();

 private:
  struct System;
  explicit TovraneAndroidApp(std::unique_ptr<System>&& system);
  TovraneAndroidApp(std::unique_ptr<System>&& system, const AppSeams& seams);
  void end();

  std::unique_ptr<System> system_;
  Settings settings_;
  OutputReservations reservations_;
  ProjectStore store_;
  // After the services its calls use and before the models they report to.
  Workers workers_;
  ToolLookup tools_;
  JobCenter jobs_;
  Updater updater_;
  AppServices services_;
  std::vector<QPointer<MainWindow>> windows_;
#ifdef Q_OS_MACOS
  // The menus while no window is open.
  std::unique_ptr<QMenuBar> windowlessMenus_;
#endif
  bool ending_ = false;
  bool clean_ = true;
};

}  // namespace tovrane::app
