// A second instance of the application, as far as its stores go: adds
// records to the history or keys to the key file from a process of its own,
// in the data folder the environment names (the test's, in test mode).
//   app_store_writer history <name prefix> <count>
//   app_store_writer keys <service prefix> <count>
// Each record and each key is saved on its own, as the app saves each change.
#include "app/state/Clock.hpp"
#include "app/state/Keychain.hpp"
#include "app/state/ProjectStore.hpp"

#include <QCoreApplication>
#include <QStandardPaths>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  using namespace tovrane::app;
  QCoreApplication application(argc, argv);
  QStandardPaths::setTestModeEnabled(true);
  const QStringList arguments = QCoreApplication::arguments();
  bool counted = false;
  const int count = arguments.value(3).toInt(&counted);
  if (arguments.size() != 4 || !counted) {
    std::fprintf(stderr, "usage: app_store_writer history|keys <prefix> <count>\n");
    return 2;
  }
  const QString kind = arguments[1];
  const QString prefix = arguments[2];
  if (kind == QLatin1String("history")) {
    SystemClock clock;
    RandomUuidSource uuids;
    ProjectStore store(clock, uuids);
    bool failed = false;
    QObject::connect(&store, &ProjectStore::saveFailed, [&failed] { failed = true; });
    for (int i = 0; i < count; ++i) {
      tovrane::ConversionResult result;
      result.appName = (prefix + QString::number(i)).toStdString();
      result.outputDirectory = "/tmp/" + result.appName + "-Android";
      store.add(result, "/tmp/" + result.appName);
    }
    return failed ? 1 : 0;
  }
  if (kind == QLatin1String("keys")) {
    try {
      for (int i = 0; i < count; ++i) {
        Keychain::save(QStringLiteral("key-%1").arg(i), prefix + QString::number(i));
      }
    } catch (const StoreError& error) {
      std::fprintf(stderr, "%s\n", error.what());
      return 1;
    }
    return 0;
  }
  return 2;
}
