#include "app/cards/AIRepairCard.hpp"
#include "app/cards/DeviceTestCard.hpp"
#include "app/cards/GuideView.hpp"
#include "app/state/AIRepairModel.hpp"
#include "app/state/DeviceTestModel.hpp"
#include "app/state/ProjectStore.hpp"
#include "app/state/Settings.hpp"
#include "app/window/ContentView.hpp"
#include "app/window/ConvertView.hpp"
#include "app/window/MainWindow.hpp"
#include "app/window/ProjectDetailView.hpp"
#include "core/support/Files.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/AppFixture.hpp"
#include "tests/app/fakes/EngineWorld.hpp"

#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace tovrane::app;
using namespace tovrane::app::test;
namespace fs = std::filesystem;

namespace {

const fs::path addTripView = "app/src/main/java/com/example/trips_planner/AddTripView.kt";
const QString couldNotResolve = QStringLiteral("Could not resolve com.android.tools.build:gradle:8.7.3.");

QPushButton* button(const QWidget& root, const char* name) {
  auto* found = root.findChild<QPushButton*>(QString::fromUtf8(name));
  if (found == nullptr) {
    qWarning("no button %s", name);
  }
  return found;
}

// The screenshots of one window size, named after the platform (offscreen
// or a real X server) and the size, each checked to be written.
class Screens {
 public:
  explicit Screens(QString size)
      : prefix_(QStringLiteral("e2e-") + QGuiApplication::platformName() + QLatin1Char('-') + size +
                QLatin1Char('-')) {}

  void take(QWidget* widget, const QString& name) {
    QCoreApplication::processEvents();
    capture(widget, prefix_ + name);
    const QString path = QStringLiteral(TOVRANE_BINARY_DIR "/screens/") + prefix_ + name + QStringLiteral(".png");
    QVERIFY2(QFileInfo(path).size() > 0, qPrintable(path));
  }

 private:
  QString prefix_;
};

}  // namespace

// The application a user starts, on the real engine: only the programs it
// starts and the model provider are fakes (EngineWorld). A project is
// converted from the convert page, repaired from its detail page and started
// on the emulator; every page and card is captured on the way.
class EndToEndTest : public QObject {
  Q_OBJECT

 private slots:
  void convertRepairAndRunOnTheRealEngine_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("default") << QSize(1180, 780);
    QTest::newRow("narrow") << QSize(980, 680);
  }
  void convertRepairAndRunOnTheRealEngine() {
    QFETCH(QSize, size);
    Screens screens(QString::fromUtf8(QTest::currentDataTag()));
    EngineWorld world;
    const fs::path trips = world.machine.root() / "Projekte/Trips";
    fs::create_directories(trips);
    fs::copy(fs::path(TOVRANE_SOURCE_DIR) / "examples/Trips", trips, fs::copy_options::recursive);
    AppFixture fixture(world.engine, false);
    Settings settings;
    settings.setDefaultBackend(Backend::api);
    MainWindow& window = fixture.app->start();
    window.resize(size);
    QVERIFY(QTest::qWaitForWindowExposed(&window, test::patienceMs));
    ContentView& content = window.content();

    // The guide of a first start, every step.
    GuideView* guide = content.guide();
    QVERIFY(guide != nullptr);
    QTRY_VERIFY(guide->isVisible());
    for (int step = 1; step <= 3; ++step) {
      screens.take(guide, QStringLiteral("guide-%1").arg(step));
      button(*guide, "guidePrimary")->click();
    }
    QTRY_VERIFY(!guide->isVisible());
    screens.take(&window, QStringLiteral("overview-empty"));

    // Convert: the project is written beside its folder and recorded.
    content.navigation().setPage(Page::convert());
    auto* convert = qobject_cast<ConvertView*>(content.page());
    QVERIFY(convert != nullptr);
    screens.take(&window, QStringLiteral("convert"));
    dropFolder(convert->phaseView(), QString::fromStdString(trips.string()));
    QTRY_COMPARE(fixture.services().store.projects().size(), std::size_t(1));
    const ProjectRecord record = fixture.services().store.projects().front();
    const fs::path output = world.machine.root() / "Projekte/Trips-Android";
    QCOMPARE(record.outputPath.toStdString(), output.string());
    // Four places counted; two of them are placeholders in the files (the others leave none).
    QCOMPARE(record.unsupported, 4);
    QCOMPARE(record.placeholders, std::optional(2));
    QVERIFY(fs::is_regular_file(output / addTripView));
    QTRY_COMPARE(content.navigation().page(), Page::project(record.id));
    auto* detail = qobject_cast<ProjectDetailView*>(content.page());
    QVERIFY(detail != nullptr);
    screens.take(&window, QStringLiteral("detail"));

    // The repair with the fake provider: a first run cancelled while its
    // first answer (no code) is under way, so no rung is left to ask.
    AIRepairCard* repair = detail->repairCard();
    QVERIFY(repair != nullptr);
    AIRepairModel& repairModel = fixture.services().jobs.repair(output, record.name);
    QTest::keyClicks(repair->findChild<QLineEdit*>(QStringLiteral("geminiKeyField")), QStringLiteral("g-key"));
    button(*repair, "preferred_gemini")->click();
    screens.take(repair, QStringLiteral("repair-setup"));
    tovrane::fakes::FakeReply noCode = EngineWorld::geminiAnswer("");
    noCode.body = R"({"candidates": [{"content": {"parts": [{"text": "Geht nicht."}]}, "finishReason": "STOP"}]})";
    // Under way until the cancel ends it, however slow the machine.
    noCode.delay = tovrane::fakes::FakeHttpServer::maxDelay;
    world.server.on(EngineWorld::flashPath, noCode);
    button(*repair, "startRepairButton")->click();
    QVERIFY(world.server.awaitRequests(1));
    QVERIFY(shownIn(*repair, "repairRunning"));
    button(*repair, "cancelRepairButton")->click();
    QTRY_VERIFY(std::holds_alternative<repair_phase::Idle>(repairModel.phase()));
    QCOMPARE(world.server.requests().size(), std::size_t(1));
    QTRY_VERIFY(shownIn(*repair, "repairSetup"));

    // A second run fills the placeholders in; its build fails before
    // compiling (no network for Gradle), which the done view explains.
    const std::string repaired = EngineWorld::repaired(tovrane::files::readFile(output / addTripView));
    tovrane::fakes::FakeReply answer = EngineWorld::geminiAnswer(repaired);
    answer.delay = std::chrono::milliseconds(300);
    world.server.on(EngineWorld::flashPath, answer);
    world.server.on(EngineWorld::proPath, answer);
    world.useBuilds(output, {{"FAILURE: Build failed with an exception.\n\n* What went wrong:\n" +
                                  couldNotResolve.toStdString() + "\n",
                              1}});
    button(*repair, "startRepairButton")->click();
    QTRY_VERIFY(world.server.requests().size() == 2);
    screens.take(repair, QStringLiteral("repair-running"));
    QTRY_VERIFY(shownIn(*repair, "repairOutcome"));
    QCOMPARE(labelText(*repair, "repairOutcome"),
             QStringLiteral("0 Kompilierfehler übrig – nochmal starten oder in Android Studio ansehen."));
    QCOMPARE(labelText(*repair, "repairLastStatus"), QStringLiteral("Gradle-Build fehlgeschlagen: ") + couldNotResolve);
    QCOMPARE(tovrane::files::readFile(output / addTripView), repaired);
    screens.take(repair, QStringLiteral("repair-done"));
    QCOMPARE(fixture.services().store.projects().front().ai->compiled, std::optional(false));

    // Once more: the compile rounds find an error, the model mends it,
    // and the project compiles; the card gives way to the last repair's.
    world.useBuilds(output, {EngineWorld::failingIn(output / addTripView)});
    button(*repair, "runAgainButton")->click();
    QTRY_VERIFY(detail->repairCard() == nullptr);
    QCOMPARE(repairModel.compileRound(), 2);
    QCOMPARE(repairModel.compileErrors(), std::optional(0));
    QCOMPARE(world.server.requests().size(), std::size_t(3));  // the file with the compiler error, once more
    const std::optional<ProjectRecord::AIRecord> ai = fixture.services().store.projects().front().ai;
    QVERIFY(ai.has_value());
    QCOMPARE(ai->compiled, std::optional(true));
    QCOMPARE(ai->remaining, 0);
    QCOMPARE(ai->backend, QString::fromUtf8(label(Backend::api)));
    const std::string report = tovrane::files::readFile(output / "TOVRANE_BERICHT.md");
    // One section for each run that ended with a result.
    QVERIFY(report.find("## KI-Reparatur") != report.rfind("## KI-Reparatur"));
    QVERIFY(shownIn(*detail, "lastRepairCard"));
    QCOMPARE(ai->fixed, 2);
    QCOMPARE(labelText(*detail, "lastRepairSolved"), QStringLiteral("2 Stellen"));
    // Nothing makes the page wider than the window shows it, also at the narrow size.
    QCOMPARE(detail->widget()->width(), detail->viewport()->width());
    screens.take(&window, QStringLiteral("detail-repaired"));

    // The device test: the emulator is listed and the app started on it.
    DeviceTestCard* devices = detail->deviceCard();
    QVERIFY(devices != nullptr);
    DeviceTestModel& deviceModel = fixture.services().jobs.devices(output);
    QTRY_VERIFY(deviceModel.loaded());
    QCOMPARE(deviceModel.androidID(), QString::fromUtf8(EngineWorld::avd));
    QVERIFY(shownIn(*devices, "iosColumn"));
    screens.take(devices, QStringLiteral("devices"));
    QStringList states;
    connect(&deviceModel, &DeviceTestModel::androidChanged, this, [&deviceModel, &states] {
      if (const auto* running = std::get_if<device_run::Running>(&deviceModel.android())) states << running->text;
    });
    button(*devices, "compareButton")->click();
    QTRY_VERIFY(std::holds_alternative<device_run::Ok>(deviceModel.android()));
    QCOMPARE(labelText(*devices, "androidOk"), QStringLiteral("Läuft auf Pixel 8 API 35"));
    QCOMPARE(states, (QStringList{"Startet …", "Starte Pixel 8 API 35 …", "Baue die Android-App …",
                                  "Installiere auf dem Emulator …", "Läuft auf Pixel 8 API 35"}));
    QVERIFY(std::holds_alternative<device_run::Idle>(deviceModel.ios()));
    screens.take(devices, QStringLiteral("devices-running"));

    // The other pages with the project in the history.
    for (const auto& [page, name] : {std::pair{Page::overview(), "overview"}, std::pair{Page::projects(), "projects"},
                                     std::pair{Page::settings(), "settings"}}) {
      content.navigation().setPage(page);
      screens.take(&window, QString::fromUtf8(name));
    }

    // A second start waits for an emulator that does not finish booting;
    // quitting cancels it, and the application ends with every call returned.
    content.navigation().setPage(Page::project(record.id));
    world.holdBoot();
    devices = qobject_cast<ProjectDetailView*>(content.page())->deviceCard();
    button(*devices, "androidStart")->click();
    QTRY_COMPARE(states.count("Baue die Android-App …"), 2);
    fixture.dialogs.confirmations = {true};
    QVERIFY(fixture.app->quit(&window));
    QVERIFY(fixture.app->endedCleanly());
    QCOMPARE(deviceModel.android(), DeviceRunState(device_run::Failed{QStringLiteral("Abgebrochen.")}));

    // The history on disk holds the outcome for the next start.
    ProjectStore restarted(fixture.clock, fixture.uuids);
    QCOMPARE(restarted.projects().size(), std::size_t(1));
    QCOMPARE(restarted.projects().front().ai, ai);
  }
};

TOVRANE_APP_TEST(EndToEndTest)
#include "EndToEndTest.moc"
