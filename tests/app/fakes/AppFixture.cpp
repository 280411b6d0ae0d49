#include "tests/app/fakes/AppFixture.hpp"

#include "app/state/AppPaths.hpp"
#include "app/state/Keychain.hpp"

#include <QFile>
#include <QSettings>
#include <QUuid>

namespace tovrane::app::test {

void clearStoredState() {
  QSettings(QStringLiteral("TovraneAndroid")).clear();
  QFile::remove(Keychain::file());
  QFile::remove(AppPaths::folder() + QStringLiteral("/projekte.json"));
}

AppFixture::AppFixture(bool guideSeen) : AppFixture(engine, guideSeen) {}

AppFixture::AppFixture(Engine& runOn, bool guideSeen)
    : installer(std::make_shared<FakeInstaller>((temporaryHome() + QStringLiteral("/updates")).toStdString())) {
  clearStoredState();
  Settings().setGuideSeen(guideSeen);
  fakes::FakeReply reply;
  // Build 0: never newer than the running one.
  reply.body = R"({"version":"0.0","build":0,"url":"http://127.0.0.1:9/none","sha256":"00"})";
  feed.on("/version.json", reply);
  Updater::Setup updates;
  updates.feedURL = QString::fromStdString(feed.url("/version.json"));
  updates.installer = installer;
  app = std::make_unique<TovraneAndroidApp>(
      AppSeams{runOn, platform, dialogs, launcher, clock, uuids, std::move(updates)});
}

AppFixture::~AppFixture() { app.reset(); }

ProjectRecord historyRecord(const QString& name, const QString& output, std::optional<ProjectRecord::AIRecord> ai) {
  ProjectRecord record;
  record.id = QUuid::createUuid();
  record.name = name;
  record.inputPath = output + QStringLiteral("-source");
  record.outputPath = output;
  record.date = fixedNow();
  record.swiftFiles = 3;
  record.coverage = 0.8;
  record.ai = std::move(ai);
  return record;
}

std::vector<ProjectRecord> history(int n) {
  std::vector<ProjectRecord> records;
  for (int i = 1; i <= n; ++i) {
    records.push_back(historyRecord(QStringLiteral("App %1").arg(i),
                                    temporaryHome() + QStringLiteral("/App%1-Android").arg(i)));
  }
  return records;
}

}  // namespace tovrane::app::test
