// The one main of every app test program.
#include "app/window/Look.hpp"
#include "tests/app/AppTest.hpp"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdlib>
#include <vector>

namespace tovrane::app::test {

namespace {
struct Registration {
  const char* name;
  TestFactory factory;
};
std::vector<Registration>& registrations() {
  static std::vector<Registration> all;
  return all;
}

// Everything a test might write goes below one temporary folder.
void isolate(const QString& root) {
  const auto set = [&root](const char* name, const char* relative) {
    const QString path = root + QLatin1Char('/') + QLatin1String(relative);
    QDir().mkpath(path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv(name, path.toLocal8Bit());
  };
  set("HOME", "home");
  set("XDG_CONFIG_HOME", "home/.config");
  set("XDG_DATA_HOME", "home/.local/share");
  set("XDG_CACHE_HOME", "home/.cache");
  set("XDG_STATE_HOME", "home/.local/state");
  set("XDG_RUNTIME_DIR", "runtime");
}
}  // namespace

int registerTest(const char* name, TestFactory factory) {
  registrations().push_back({name, std::move(factory)});
  return static_cast<int>(registrations().size());
}

}  // namespace tovrane::app::test

int main(int argc, char** argv) {
  using namespace tovrane::app;
  std::signal(SIGPIPE, SIG_IGN);
  QTemporaryDir root;
  if (!root.isValid()) {
    return 2;
  }
  test::isolate(root.path());
  QStandardPaths::setTestModeEnabled(true);
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

  QApplication application(argc, argv);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, root.path() + QStringLiteral("/home/.config"));
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root.path() + QStringLiteral("/home/.config"));
  // Animations off: every transition of the app and of Qt's own widgets ends at once.
  setAnimationsEnabled(false);
  QApplication::setEffectEnabled(Qt::UI_General, false);
  applyLook(application);

  // TOVRANE_TEST_CLASS picks one class (the remaining arguments then select its functions).
  const QByteArray only = qgetenv("TOVRANE_TEST_CLASS");
  int failures = 0;
  for (const auto& registration : test::registrations()) {
    if (!only.isEmpty() && only != registration.name) {
      continue;
    }
    const std::unique_ptr<QObject> testObject = registration.factory();
    failures += QTest::qExec(testObject.get(), only.isEmpty() ? 1 : argc, argv);
  }
  return failures == 0 ? 0 : 1;
}
