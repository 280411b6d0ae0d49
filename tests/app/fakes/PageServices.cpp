#include "tests/app/fakes/PageServices.hpp"

#include "app/state/AppPaths.hpp"
#include "app/state/Keychain.hpp"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>

namespace tovrane::app::test {

void clearStoredState() {
  QSettings(QStringLiteral("TovraneAndroid")).clear();
  QFile::remove(Keychain::file());
  QFile::remove(AppPaths::folder() + QStringLiteral("/projekte.json"));
}

PageServices::PageServices() {
  clearStoredState();
  store = std::make_unique<ProjectStore>(clock, uuids);
}

ProjectRecord record(const QString& name, double coverage, int swiftLines, std::optional<ProjectRecord::AIRecord> ai) {
  ProjectRecord made;
  made.id = QUuid::createUuid();
  made.name = name;
  made.inputPath = temporaryHome() + QStringLiteral("/") + name;
  made.outputPath = made.inputPath + QStringLiteral("-Android");
  made.date = fixedNow().addSecs(-3600);
  made.swiftFiles = 3;
  made.swiftLines = swiftLines;
  made.kotlinFiles = 4;
  made.coverage = coverage;
  made.ai = std::move(ai);
  return made;
}

void capturePage(QWidget* page, const QString& name) {
  QCoreApplication::processEvents();
  capture(page, name);
}

}  // namespace tovrane::app::test
