#include "app/window/TovraneAndroidApp.hpp"

#include "app/platform/Dialogs.hpp"
#include "app/platform/Launcher.hpp"
#include "app/platform/Platform.hpp"
#include "app/state/Clock.hpp"
#include "app/state/CoreEngine.hpp"
#include "app/window/GermanInterface.hpp"
#include "app/window/Look.hpp"
#include "app/window/MainWindow.hpp"
#include "core/support/Process.hpp"

#include <QApplication>
#include <QIcon>
#include <QMenuBar>
#include <QMessageBox>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace tovrane::app {

namespace {
// How long quitting waits for the background calls before the process ends anyway.
constexpr std::chrono::seconds quitDeadline(5);

QString quitQuestion(std::size_t jobs) {
  if (jobs == 1) {
    return QStringLiteral("Es läuft noch 1 Prozess. Beim Beenden wird er abgebrochen.");
  }
  return QStringLiteral("Es laufen noch %1 Prozesse. Beim Beenden werden sie abgebrochen.").arg(jobs);
}
}  // namespace

// The seams of the running application.
struct TovraneAndroidApp::System {
  SystemLauncher launcher;
  std::unique_ptr<Platform> platform = Platform::create(launcher);
  WidgetDialogs dialogs;
  SystemClock clock;
  RandomUuidSource uuids;
  CoreEngine engine;

  AppSeams seams() {
    Updater::Setup updates;
    updates.installer = Installer::forThisSystem(QCoreApplication::applicationFilePath().toStdString());
    return {engine, *platform, dialogs, launcher, clock, uuids, std::move(updates)};
  }

  static std::unique_ptr<System> make(QApplication& application) {
    QApplication::setApplicationName(QStringLiteral("TovraneAndroid"));
    QApplication::setDesktopFileName(QStringLiteral("tovrane-android"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app/tovrane-android.svg")));
    useGermanInterface(application);
    applyLook(application);
    return std::make_unique<System>();
  }
};

TovraneAndroidApp::TovraneAndroidApp(QApplication& application)
    : TovraneAndroidApp(System::make(application)) {}

TovraneAndroidApp::TovraneAndroidApp(std::unique_ptr<System>&& system)
    : TovraneAndroidApp(std::move(system), system->seams()) {}

TovraneAndroidApp::TovraneAndroidApp(const AppSeams& seams) : TovraneAndroidApp(nullptr, seams) {}

TovraneAndroidApp::TovraneAndroidApp(std::unique_ptr<System>&& system, const AppSeams& seams)
    : system_(std::move(system)),
      store_(seams.clock, seams.uuids),
      tools_(seams.engine, workers_),
      jobs_(JobServices{seams.engine, workers_, settings_, seams.platform, tools_, seams.clock,
                        [this]() -> QWidget* {
                          const std::vector<MainWindow*> open = windows();
                          return open.empty() ? nullptr : open.front();
                        }}),
      updater_(
          [&seams, this] {
            Updater::Setup setup = seams.updates;
            setup.runningJobs = [this] { return static_cast<int>(jobs_.running().size()); };
            // The banner asked already when jobs run; the relaunch waits for this process.
            setup.quit = [this] { end(); };
            return setup;
          }(),
          workers_, settings_),
      services_{seams.engine, seams.platform, seams.dialogs, seams.launcher, seams.clock, seams.uuids, settings_,
                workers_,     reservations_,   store_,        tools_,         jobs_,       updater_} {
  // Quitting is ours: it asks first when jobs run.
  QApplication::setQuitOnLastWindowClosed(false);
  // What could not be saved is told, whichever window is open.
  const auto warnNotSaved = [this](const QString& text) {
    const std::vector<MainWindow*> open = windows();
    services_.dialogs.warn(open.empty() ? nullptr : open.front(), QStringLiteral("Speichern fehlgeschlagen"), text);
  };
  connect(&store_, &ProjectStore::saveFailed, this, warnNotSaved);
  connect(&jobs_, &JobCenter::keysNotSaved, this, warnNotSaved);
#ifdef Q_OS_MACOS
  windowlessMenus_ = std::make_unique<QMenuBar>(nullptr);
  MainWindow::addMenus(*windowlessMenus_, *this, nullptr);
#endif
}

TovraneAndroidApp::~TovraneAndroidApp() {
  for (const QPointer<MainWindow>& window : windows_) {
    delete window.data();
  }
}

MainWindow& TovraneAndroidApp::start() {
  MainWindow& window = openWindow();
  updater_.startAutomaticChecks();
  tools_.refresh();
  return window;
}

int TovraneAndroidApp::exec() {
  connect(this, &TovraneAndroidApp::ended, qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
  const int code = QApplication::exec();
  if (!ending_) {
    end();
  }
  if (!clean_) {
    // A call that ignored its cancellation (a stuck tool) must not keep the
    // process alive, and destroying what it uses would pull the ground from under it.
    std::fflush(nullptr);
    std::_Exit(code);
  }
  return code;
}

MainWindow& TovraneAndroidApp::openWindow() {
  auto* window = new MainWindow(*this);
  windows_.emplace_back(window);
  window->show();
  return *window;
}

std::vector<MainWindow*> TovraneAndroidApp::windows() const {
  std::vector<MainWindow*> open;
  for (const QPointer<MainWindow>& window : windows_) {
    // A closed window is hidden until it is deleted.
    if (window != nullptr && window->isVisible()) {
      open.push_back(window.data());
    }
  }
  return open;
}

bool TovraneAndroidApp::quit(QWidget* parent) {
  if (ending_) {
    return true;
  }
  const std::size_t running = jobs_.running().size();
  if (running > 0 && !services_.dialogs.confirm(parent, QStringLiteral("TovraneAndroid beenden?"),
                                                quitQuestion(running), QStringLiteral("Beenden"))) {
    return false;
  }
  end();
  return true;
}

bool TovraneAndroidApp::mayCloseWindow(MainWindow* window) {
#ifdef Q_OS_MACOS
  Q_UNUSED(window);
  return true;
#else
  if (ending_) {
    return true;
  }
  for (MainWindow* open : windows()) {
    if (open != window) {
      return true;
    }
  }
  return quit(window);
#endif
}

void TovraneAndroidApp::checkForUpdates() { updater_.check(false); }

void TovraneAndroidApp::about(QWidget* parent) {
  QMessageBox::about(parent, QStringLiteral("Über TovraneAndroid"),
                     QStringLiteral("TovraneAndroid\nVersion %1 (%2)")
                         .arg(Updater::currentVersion(), QString::number(Updater::currentBuild())));
}

void TovraneAndroidApp::end() {
  if (ending_) {
    return;
  }
  ending_ = true;
  for (MainWindow* window : windows()) {
    window->hide();
  }
  clean_ = jobs_.shutdown(quitDeadline);
  // No tool may outlive the application, also one whose call ignored its
  // cancellation; the updater's relaunch, started detached, is not one of them.
  process::endAll();
  if (clean_) {
    // The runs' last reports, posted before they returned: a repair's result reaches the history.
    QCoreApplication::sendPostedEvents();
  }
  for (const QPointer<MainWindow>& window : windows_) {
    if (window != nullptr) {
      window->deleteLater();
    }
  }
  emit ended();
}

}  // namespace tovrane::app
