#include "app/state/AIRepairModel.hpp"
#include "app/state/DeviceTestModel.hpp"
#include "app/state/JobCenter.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/JobFixture.hpp"

#include <QSignalSpy>
#include <QtTest>

using namespace tovrane::app;
using namespace tovrane::app::test;

namespace {

// One line per job: id, title, detail, progress or "-", and "cancel" when it has the action.
QStringList describe(const std::vector<JobCenter::Job>& jobs) {
  QStringList lines;
  for (const JobCenter::Job& job : jobs) {
    lines << QStringList{QString::fromStdString(job.id), job.title, job.detail,
                         job.progress ? QString::number(*job.progress) : QStringLiteral("-"),
                         job.cancel ? QStringLiteral("cancel") : QString()}
                 .join(QStringLiteral(" | "));
  }
  return lines;
}

// A scripted run that reports its first step and then waits for `hold`.
template <typename Value>
std::vector<Step<Value>> heldAfter(Value first, std::shared_ptr<Hold> hold, Value second) {
  return {{milliseconds(0), std::move(first)}, {milliseconds(0), std::move(second), std::move(hold)}};
}

}  // namespace

class JobCenterTest : public QObject {
  Q_OBJECT

 private slots:
  void listsTheRunningJobs() {
    JobFixture fixture;
    fixture.engine.iosSimulator = true;
    fixture.lookUpTools();
    Holds holds;
    QCOMPARE(describe(fixture.jobs.running()), QStringList{});

    // A repair that has counted nothing shows no progress; 3 of 12 show a quarter.
    const auto counted = holds.make();
    const auto progressed = holds.make();
    RepairScript repair;
    repair.events = {{milliseconds(0), repair_event::Status{"Lese das Projekt …"}},
                     {milliseconds(0), repair_event::Progress{3, 12}, counted},
                     {milliseconds(0), repair_event::Usage{}, progressed}};
    fixture.engine.repairs.push_back(repair);
    AIRepairModel& beta = fixture.jobs.repair("/p/Beta-Android", "Beta");
    beta.setBackend(Backend::api);
    beta.start();
    QTRY_VERIFY(counted->reached());
    QTRY_COMPARE(describe(fixture.jobs.running()),
                 QStringList{"ai-/p/Beta-Android | KI-Reparatur · Beta | Lese das Projekt … | - | cancel"});
    counted->release();
    QTRY_VERIFY(progressed->reached());
    QTRY_COMPARE(describe(fixture.jobs.running()),
                 QStringList{"ai-/p/Beta-Android | KI-Reparatur · Beta | Lese das Projekt … | 0.25 | cancel"});

    // Both sides of Beta's device test, and Alpha's Android run; one at a time, so each takes its own script.
    const auto startDevice = [&](DeviceTestModel& model, bool android, const char* status,
                                 const std::shared_ptr<Hold>& hold) {
      fixture.engine.deviceRuns.push_back({heldAfter<std::string>(status, hold, "Läuft")});
      if (android) {
        model.setAndroidID(QStringLiteral("Pixel_8"));
        model.startAndroid("/p/ignored");
      } else {
        model.setIosID(QStringLiteral("UDID-1"));
        model.startIOS("/p/Beta");
      }
    };
    DeviceTestModel& betaDevices = fixture.jobs.devices("/p/Beta-Android");
    const auto betaAndroid = holds.make();
    const auto betaIOS = holds.make();
    const auto alphaAndroid = holds.make();
    startDevice(betaDevices, true, "Baue die Android-App …", betaAndroid);
    QTRY_VERIFY(betaAndroid->reached());
    startDevice(betaDevices, false, "Baue die iOS-App (Beta) …", betaIOS);
    QTRY_VERIFY(betaIOS->reached());
    startDevice(fixture.jobs.devices("/p/Alpha-Android"), true, "Starte Pixel 8 …", alphaAndroid);
    QTRY_VERIFY(alphaAndroid->reached());
    QTRY_COMPARE(describe(fixture.jobs.running()),
                 (QStringList{"ai-/p/Beta-Android | KI-Reparatur · Beta | Lese das Projekt … | 0.25 | cancel",
                              "and-/p/Alpha-Android | Android-Emulator | Starte Pixel 8 … | - | ",
                              "and-/p/Beta-Android | Android-Emulator | Baue die Android-App … | - | ",
                              "ios-/p/Beta-Android | iPhone-Simulator | Baue die iOS-App (Beta) … | - | "}));

    // A side whose app runs and a finished repair leave the list.
    betaAndroid->release();
    progressed->release();
    QTRY_COMPARE(describe(fixture.jobs.running()),
                 (QStringList{"and-/p/Alpha-Android | Android-Emulator | Starte Pixel 8 … | - | ",
                              "ios-/p/Beta-Android | iPhone-Simulator | Baue die iOS-App (Beta) … | - | "}));
    QCOMPARE(fixture.jobs.running().back().project, std::filesystem::path("/p/Beta-Android"));
  }

  void aFailedSideLeavesTheOtherRunning() {
    JobFixture fixture;
    fixture.engine.iosSimulator = true;
    fixture.lookUpTools();
    Holds holds;
    const auto ios = holds.make();
    fixture.engine.deviceRuns.push_back(
        {{}, EngineError(EngineError::Kind::missing, "Android Studio bzw. das Android-SDK wurde nicht gefunden.")});
    fixture.engine.deviceRuns.push_back({heldAfter<std::string>("Starte den iPhone-Simulator …", ios, "Läuft")});
    DeviceTestModel& devices = fixture.jobs.devices("/p/Demo-Android");
    devices.setAndroidID(QStringLiteral("Pixel_8"));
    devices.startAndroid("/p/Demo-Android");
    QTRY_VERIFY(std::holds_alternative<device_run::Failed>(devices.android()));
    devices.setIosID(QStringLiteral("UDID-1"));
    devices.startIOS("/p/Demo");
    QTRY_VERIFY(ios->reached());
    QTRY_COMPARE(describe(fixture.jobs.running()),
                 QStringList{"ios-/p/Demo-Android | iPhone-Simulator | Starte den iPhone-Simulator … | - | "});
  }

  // One model per folder as passed, keeping its first name; only repairs can be cancelled.
  void oneModelPerFolder() {
    JobFixture fixture;
    AIRepairModel& first = fixture.jobs.repair("/p/Demo-Android", "Demo");
    QCOMPARE(&fixture.jobs.repair("/p/Demo-Android", "Anders"), &first);
    QCOMPARE(first.name(), QStringLiteral("Demo"));
    QVERIFY(&fixture.jobs.repair("/p//Demo-Android", "Demo") != &first);
    DeviceTestModel& devices = fixture.jobs.devices("/p/Demo-Android");
    QCOMPARE(&fixture.jobs.devices("/p/Demo-Android"), &devices);
  }

  void theCancelActionStopsTheRepair() {
    JobFixture fixture;
    Holds holds;
    const auto hold = holds.make();
    fixture.engine.repairs.push_back({{{milliseconds(0), repair_event::Usage{}, hold}}});
    AIRepairModel& model = fixture.jobs.repair("/p/Demo-Android", "Demo");
    model.setBackend(Backend::api);
    model.start();
    QTRY_VERIFY(hold->reached());
    QCOMPARE(fixture.jobs.running().size(), size_t(1));
    fixture.jobs.running().front().cancel();
    hold->release();
    QTRY_VERIFY(fixture.jobs.running().empty());
    QVERIFY(std::holds_alternative<repair_phase::Idle>(model.phase()));
    QVERIFY(fixture.engine.calls().contains("cancel"));
  }

  // The list changes, and is announced, only when a job's phase, text or progress does.
  void runningChangedFollowsTheList() {
    JobFixture fixture;
    Holds holds;
    const auto hold = holds.make();
    fixture.engine.repairs.push_back({{{milliseconds(0), repair_event::FileFinished{"Main.kt"}},
                                       {milliseconds(0), repair_event::Cost{0.5}},
                                       {milliseconds(0), repair_event::Status{"Behebt 3 Kompilierfehler …"}},
                                       {milliseconds(0), repair_event::Usage{}, hold}}});
    QSignalSpy changed(&fixture.jobs, &JobCenter::runningChanged);
    AIRepairModel& model = fixture.jobs.repair("/p/Demo-Android", "Demo");
    model.setBackend(Backend::api);
    QCOMPARE(changed.count(), 0);
    model.start();
    QCOMPARE(changed.count(), 1);
    QTRY_COMPARE(model.status(), QStringLiteral("Behebt 3 Kompilierfehler …"));
    QCOMPARE(model.filesDone(), 1);
    QCOMPARE(changed.count(), 2);
    hold->release();
    QTRY_VERIFY(fixture.jobs.running().empty());
    QCOMPARE(changed.count(), 3);
  }

  // Quitting cancels the repairs and the device runs and waits for the
  // workers, but no longer than the deadline.
  void shutdownCancelsRepairsAndWaitsUntilTheDeadline() {
    JobFixture fixture;
    Holds holds;
    const auto stuck = holds.make();
    // Checks for a cancel between its many short steps, for far longer than
    // the test waits (ten minutes).
    RepairScript obliging;
    obliging.events.assign(120000, {milliseconds(5), repair_event::Usage{}});
    fixture.engine.repairs.push_back(obliging);
    // Sits in a call that ignores the cancel until the test lets it go.
    fixture.engine.repairs.push_back({{{milliseconds(0), repair_event::Usage{}, stuck}}});
    AIRepairModel& first = fixture.jobs.repair("/p/A-Android", "A");
    AIRepairModel& second = fixture.jobs.repair("/p/B-Android", "B");
    for (AIRepairModel* model : {&first, &second}) {
      model->setBackend(Backend::api);
      model->start();
    }
    QTRY_VERIFY(stuck->reached());

    QVERIFY(!fixture.jobs.shutdown(milliseconds(50)));
    QCOMPARE(fixture.engine.calls().filter("cancel"), (QStringList{"cancel", "cancel", "cancelDeviceRuns"}));
    QTRY_COMPARE(fixture.workers.running(), 1);
    stuck->release();
    QVERIFY(fixture.jobs.shutdown(std::chrono::seconds(30)));
  }
};

TOVRANE_APP_TEST(JobCenterTest)
#include "JobCenterTest.moc"
