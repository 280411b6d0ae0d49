#include "app/state/ConversionModel.hpp"
#include "app/state/CoreEngine.hpp"
#include "app/window/ConvertView.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/PageServices.hpp"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using namespace tovrane::app;
using namespace tovrane::app::test;
namespace fs = std::filesystem;

namespace {

const QString notAFolder = QStringLiteral("Bitte einen Ordner reinziehen – nicht eine einzelne Datei.");

// Folders "Alpha", "Beta", "Gamma" and a file "Main.swift" in a temporary folder.
struct Projects {
  Projects() {
    for (const char* name : {"Alpha", "Beta", "Gamma"}) {
      fs::create_directories(root / name);
    }
    std::ofstream(root / "Main.swift") << "print(1)\n";
  }
  QUrl url(const char* name) const { return QUrl::fromLocalFile(QString::fromStdString((root / name).string())); }

  QTemporaryDir dir;
  fs::path root = dir.path().toStdString();
};

std::unique_ptr<ConvertView> convertPage(PageServices& services) {
  auto page = std::make_unique<ConvertView>(*services.store, services.navigation, services.engine, services.workers,
                                            services.settings, services.reservations, services.dialogs,
                                            services.platform);
  page->resize(760, 640);
  page->show();
  return page;
}

DropZone* zoneOf(const ConvertView& page) { return qobject_cast<DropZone*>(page.phaseView()); }

QString dropTitle(const DropZone& zone) { return zone.findChild<QLabel*>(QStringLiteral("dropTitle"))->text(); }

QMimeData* urls(const QList<QUrl>& list) {
  auto* data = new QMimeData;
  data->setUrls(list);
  return data;
}

// The platform's drag over the zone and away again, and a drop on it.
bool dragEnter(QWidget* zone, const QMimeData& data) {
  QDragEnterEvent event(QPoint(40, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(zone, &event);
  return event.isAccepted();
}
void dragLeave(QWidget* zone) {
  QDragLeaveEvent event;
  QApplication::sendEvent(zone, &event);
}
// A drop comes after the drag entered, as with a real drag.
bool drop(QWidget* zone, const QMimeData& data) {
  dragEnter(zone, data);
  QDropEvent event(QPointF(40, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(zone, &event);
  return event.isAccepted();
}

QString failureMessage(const ConvertView& page) {
  const auto* view = page.phaseView();
  const auto* label = view ? view->findChild<QLabel*>(QStringLiteral("failureMessage")) : nullptr;
  return label ? label->text() : QString();
}

std::vector<Step<ConversionStage>> oneFileStages(const std::shared_ptr<Hold>& beforeParsing,
                                                 const std::shared_ptr<Hold>& beforeDone) {
  return {{milliseconds(0), ConversionStage{ConversionStage::scanning{}}},
          {milliseconds(0), ConversionStage{ConversionStage::parsing{"Sources/App/ContentView.swift", 0, 1}},
           beforeParsing},
          {milliseconds(0), ConversionStage{ConversionStage::generating{}}},
          {milliseconds(0), ConversionStage{ConversionStage::writingProject{}}},
          {milliseconds(0), ConversionStage{ConversionStage::done{}}, beforeDone}};
}

ConversionResult alphaResult() {
  ConversionResult result;
  result.appName = "Alpha";
  result.packageName = "com.example.alpha";
  result.swiftFiles = 1;
  result.swiftLines = 12;
  result.kotlinFiles = 2;
  result.coverage = 1;
  return result;
}

}  // namespace

class ConvertViewTest : public QObject {
  Q_OBJECT

 private slots:
  void dragOverTheZoneTargetsIt() {
    PageServices services;
    const auto page = convertPage(services);
    DropZone* zone = zoneOf(*page);
    QVERIFY(zone);
    QCOMPARE(dropTitle(*zone), QStringLiteral("Projektordner hier reinziehen"));
    capturePage(page.get(), QStringLiteral("convert-idle"));
    QCOMPARE(focusChain(page.get()), QStringList{QStringLiteral("chooseFolder")});
    QCOMPARE(unnamedInteractiveWidgets(page.get()), QStringList());

    // Text alone is nothing to drop.
    QMimeData text;
    text.setText(QStringLiteral("Alpha"));
    QVERIFY(!dragEnter(zone, text));
    QVERIFY(!zone->targeted());

    const std::unique_ptr<QMimeData> folder(urls({QUrl::fromLocalFile(QStringLiteral("/tmp"))}));
    QVERIFY(dragEnter(zone, *folder));
    QVERIFY(zone->targeted());
    QCOMPARE(dropTitle(*zone), QStringLiteral("Loslassen!"));
    QCOMPARE(zone->badgeScale(), 1.12);
    capturePage(page.get(), QStringLiteral("convert-targeted"));
    dragLeave(zone);
    QVERIFY(!zone->targeted());
    QCOMPARE(dropTitle(*zone), QStringLiteral("Projektordner hier reinziehen"));
    QCOMPARE(zone->badgeScale(), 1.0);
    QCOMPARE(services.engine.calls(), QStringList());
  }

  void dropStartsTheFirstItemOnly() {
    PageServices services;
    Projects projects;
    const auto hold = std::make_shared<Hold>();
    const auto releaseOnExit = qScopeGuard([hold] { hold->release(); });
    services.engine.conversions.push_back({oneFileStages(hold, nullptr), alphaResult()});
    const auto page = convertPage(services);
    DropZone* zone = zoneOf(*page);
    const std::unique_ptr<QMimeData> three(urls({projects.url("Alpha"), projects.url("Beta"), projects.url("Gamma")}));
    QVERIFY(drop(zone, *three));
    QTRY_VERIFY(hold->reached());
    const QString alpha = QString::fromStdString((projects.root / "Alpha").string());
    QCOMPARE(services.engine.calls(), QStringList{QStringLiteral("convert %1 -> %1-Android").arg(alpha)});
    QVERIFY(qobject_cast<RunningView*>(page->phaseView()));
  }

  void refusedItemsShowTheFailureAndTryAgain() {
    PageServices services;
    Projects projects;
    const auto page = convertPage(services);
    // A single file, and an address that names nothing on this machine.
    for (const QUrl& item : {projects.url("Main.swift"), QUrl(QStringLiteral("https://example.com/App"))}) {
      const std::unique_ptr<QMimeData> data(urls({item}));
      QVERIFY(drop(zoneOf(*page), *data));
      QCOMPARE(failureMessage(*page), notAFolder);
      if (item.isLocalFile()) {
        capturePage(page.get(), QStringLiteral("convert-failed"));
        QCOMPARE(focusChain(page.get()), QStringList{QStringLiteral("retry")});
        QCOMPARE(unnamedInteractiveWidgets(page.get()), QStringList());
      }
      page->phaseView()->findChild<QPushButton*>(QStringLiteral("retry"))->click();
      QVERIFY(zoneOf(*page));
    }
    QVERIFY(services.store->projects().empty());
    QCOMPARE(services.engine.calls(), QStringList());
    // A drop without URLs is not taken and changes nothing.
    QMimeData empty;
    QVERIFY(!drop(zoneOf(*page), empty));
    QVERIFY(zoneOf(*page));
  }

  void folderPanel() {
    PageServices services;
    Projects projects;
    services.engine.conversions.push_back({{}, alphaResult()});
    const auto page = convertPage(services);
    services.dialogs.folders = {QString(), QString::fromStdString((projects.root / "Beta").string())};
    auto* choose = page->phaseView()->findChild<QPushButton*>(QStringLiteral("chooseFolder"));
    QCOMPARE(choose->text(), QStringLiteral("Ordner auswählen …"));
    // Cancelled: nothing happens.
    choose->click();
    QVERIFY(zoneOf(*page));
    QCOMPARE(services.engine.calls(), QStringList());
    page->phaseView()->findChild<QPushButton*>(QStringLiteral("chooseFolder"))->click();
    QTRY_VERIFY(!services.store->projects().empty());
    QCOMPARE(services.store->projects().front().inputPath, QString::fromStdString((projects.root / "Beta").string()));
    QCOMPARE(services.dialogs.calls.size(), 2);
  }

  void finishedRunIsRecordedAndShown() {
    for (const bool openStudio : {false, true}) {
      PageServices services;
      Projects projects;
      services.settings.setOpenStudioAfter(openStudio);
      const ProjectRecord older = record(QStringLiteral("Älter"));
      services.store->setProjects({older});
      const auto parsing = std::make_shared<Hold>();
      const auto done = std::make_shared<Hold>();
      const auto releaseOnExit = qScopeGuard([parsing, done] {
        parsing->release();
        done->release();
      });
      // Two placeholders in the package's Kotlin, where the repairers look; none counts elsewhere.
      services.engine.conversions.push_back(
          {oneFileStages(parsing, done), alphaResult(),
           {{"app/src/main/java/com/example/alpha/ContentView.kt",
             "fun load() = TODO(\"tovrane: fetch()\")\n@Composable fun Map() { Unsupported(\"Map()\") }\n"},
            {"app/src/main/java/tovrane/runtime/SwiftUI.kt", "// TODO(\"tovrane: example\")\n"}}});
      const auto page = convertPage(services);
      const std::unique_ptr<QMimeData> alpha(urls({projects.url("Alpha")}));
      drop(zoneOf(*page), *alpha);

      // The running view follows every step in place, the logo swinging.
      // Guarded: a view made after this one was deleted may take its address.
      QPointer<RunningView> running = qobject_cast<RunningView*>(page->phaseView());
      QVERIFY(running);
      QTRY_VERIFY(parsing->reached());
      QCOMPARE(running->step(), QStringLiteral("Projekt wird gelesen …"));
      QTRY_COMPARE(running->progress(), 0.05);
      QCOMPARE(running->spread(), 1.0);
      if (!openStudio) {
        capturePage(page.get(), QStringLiteral("convert-running"));
      }
      parsing->release();
      QTRY_COMPARE(running->step(), QStringLiteral("Android-Studio-Projekt wird geschrieben …"));
      QCOMPARE(running->progress(), 0.95);
      QVERIFY(running);
      QCOMPARE(page->phaseView(), running.data());
      done->release();

      QTRY_COMPARE(services.store->projects().size(), std::size_t(2));
      const ProjectRecord& added = services.store->projects().front();
      QCOMPARE(added.name, QStringLiteral("Alpha"));
      QCOMPARE(added.placeholders, std::optional(2));
      const QString output = QString::fromStdString((projects.root / "Alpha-Android").string());
      QCOMPARE(added.outputPath, output);
      QCOMPARE(services.platform.calls.filter(QStringLiteral("studio")),
               openStudio ? QStringList{QStringLiteral("studio ") + output} : QStringList());
      QCOMPARE(services.navigation.page(), Page::project(added.id));
      // The model is reset: the page would show the drop zone again.
      QVERIFY(std::holds_alternative<conversion_phase::Idle>(page->model().phase()));
      QVERIFY(zoneOf(*page));
    }
  }

  void leavingDuringARunAddsNoRecord() {
    PageServices services;
    Projects projects;
    const auto hold = std::make_shared<Hold>();
    const auto releaseOnExit = qScopeGuard([hold] { hold->release(); });
    services.engine.conversions.push_back({oneFileStages(hold, nullptr), alphaResult()});
    auto page = convertPage(services);
    const std::unique_ptr<QMimeData> alpha(urls({projects.url("Alpha")}));
    drop(zoneOf(*page), *alpha);
    QTRY_VERIFY(hold->reached());
    page.reset();
    hold->release();
    QVERIFY(services.workers.waitForAll(test::patience));
    QCoreApplication::processEvents();
    QVERIFY(services.store->projects().empty());
    QCOMPARE(services.navigation.page(), Page::overview());
    QCOMPARE(services.platform.calls.filter(QStringLiteral("studio")), QStringList());
  }

  void convertsAnExampleOnTheRealEngine() {
    PageServices services;
    CoreEngine engine;
    QTemporaryDir dir;
    const fs::path project = fs::path(dir.path().toStdString()) / "Counter";
    fs::copy(fs::path(TOVRANE_SOURCE_DIR) / "examples/Counter", project, fs::copy_options::recursive);
    ConvertView page(*services.store, services.navigation, engine, services.workers, services.settings,
                     services.reservations, services.dialogs, services.platform);
    page.show();
    // Its ".xcodeproj" package stands for the folder that holds it.
    const std::unique_ptr<QMimeData> dropped(
        urls({QUrl::fromLocalFile(QString::fromStdString((project / "Counter.xcodeproj").string()))}));
    QVERIFY(drop(zoneOf(page), *dropped));
    QTRY_VERIFY(!services.store->projects().empty());
    const ProjectRecord& added = services.store->projects().front();
    QCOMPARE(added.inputPath, QString::fromStdString(project.string()));
    QCOMPARE(added.outputPath, QString::fromStdString(project.string() + "-Android"));
    QVERIFY(fs::exists(project.string() + "-Android/TOVRANE_BERICHT.md"));
    QVERIFY(added.swiftFiles > 0);
    QCOMPARE(services.navigation.page(), Page::project(added.id));
    QVERIFY(services.workers.waitForAll(test::patience));
  }
};

TOVRANE_APP_TEST(ConvertViewTest)
#include "ConvertViewTest.moc"
