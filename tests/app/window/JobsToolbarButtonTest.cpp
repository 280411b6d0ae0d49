#include "app/state/AIRepairModel.hpp"
#include "app/state/DeviceTestModel.hpp"
#include "app/window/JobsToolbarButton.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/JobFixture.hpp"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <QtTest>

using namespace tovrane::app;
using namespace tovrane::app::test;

namespace {

// Each card of the popover as "title | detail | bar | buttons"; the bar as
// it describes itself ("25 %", or "läuft" when it counts nothing).
QStringList cards(const JobsPopover& popover) {
  QStringList lines;
  for (const QWidget* card : popover.findChildren<QWidget*>(QStringLiteral("jobCard"))) {
    const auto* bar = card->findChild<QWidget*>(QStringLiteral("jobProgress"));
    QStringList buttons;
    for (const QPushButton* button : card->findChildren<QPushButton*>()) {
      buttons << button->text();
    }
    lines << QStringList{labelText(*card, "jobTitle"),
                         card->findChild<QLabel*>(QStringLiteral("jobDetail"))->text(),
                         bar->accessibleDescription(),
                         buttons.join(QLatin1Char(' '))}
                 .join(QStringLiteral(" | "));
  }
  return lines;
}

QPushButton* cardButton(const JobsPopover& popover, int card, const char* name) {
  return popover.findChildren<QWidget*>(QStringLiteral("jobCard")).at(card)->findChild<QPushButton*>(
      QString::fromUtf8(name));
}

// The button in a window, as the toolbar holds it; `opened` collects the folders it asks to show.
struct Shown {
  explicit Shown(JobFixture& fixture) {
    auto* layout = new QVBoxLayout(&window);
    button = new JobsToolbarButton(fixture.jobs, fixture.platform,
                                   [this](const std::filesystem::path& folder) { opened << QString::fromStdString(folder); });
    layout->addWidget(button, 0, Qt::AlignRight | Qt::AlignTop);
    window.resize(600, 400);
    window.show();
  }
  QWidget window;
  JobsToolbarButton* button;
  QStringList opened;
};

void startDevice(JobFixture& fixture, const char* folder, bool android, const char* status,
                 const std::shared_ptr<Hold>& hold) {
  fixture.engine.deviceRuns.push_back({{{milliseconds(0), status}, {milliseconds(0), "Läuft", hold}}});
  DeviceTestModel& devices = fixture.jobs.devices(folder);
  if (android) {
    devices.setAndroidID(QStringLiteral("Pixel_8"));
    devices.startAndroid(folder);
  } else {
    devices.setIosID(QStringLiteral("UDID-1"));
    devices.startIOS("/p/Quelle");
  }
  const QString shown = QString::fromUtf8(status);
  QTRY_VERIFY(std::any_of(fixture.jobs.running().begin(), fixture.jobs.running().end(),
                          [&shown](const JobCenter::Job& job) { return job.detail == shown; }));
}

}  // namespace

class JobsToolbarButtonTest : public QObject {
  Q_OBJECT

 private slots:
  // From no job to three and back: label, tooltip, popover and the badge,
  // which changes with the count only.
  void showsTheRunningJobs() {
    JobFixture fixture;
    fixture.engine.iosSimulator = true;
    fixture.lookUpTools();
    Holds holds;
    Shown shown(fixture);
    JobsToolbarButton& button = *shown.button;
    QVERIFY(QTest::qWaitForWindowExposed(&shown.window, test::patienceMs));
    QCOMPARE(button.label(), QString());
    QCOMPARE(button.toolTip(), QStringLiteral("Keine laufenden Prozesse"));
    QTest::keyClick(&button, Qt::Key_Space);
    QVERIFY(button.popover() != nullptr);
    QCOMPARE(button.popover()->findChild<QLabel*>(QStringLiteral("jobsHeading"))->text(),
             QStringLiteral("Laufende Prozesse"));
    QCOMPARE(button.popover()->findChild<QLabel*>(QStringLiteral("jobsEmpty"))->text(),
             QStringLiteral("Gerade läuft nichts."));
    QCOMPARE(button.popover()->width(), 380);
    QVERIFY(button.popover()->geometry().top() >= button.mapToGlobal(QPoint(0, button.height())).y());
    QTest::keyClick(button.popover(), Qt::Key_Escape);
    QTRY_VERIFY(button.popover() == nullptr);

    // A repair at 3 of 12, then its progress moves without a new badge.
    const auto counted = holds.make();
    const auto moved = holds.make();
    const auto finish = holds.make();
    fixture.engine.repairs.push_back({{{milliseconds(0), repair_event::Status{"Repariert Main.kt …"}},
                                       {milliseconds(0), repair_event::Progress{3, 12}, counted},
                                       {milliseconds(0), repair_event::Progress{6, 12}, moved},
                                       {milliseconds(0), repair_event::Usage{}, finish}}});
    AIRepairModel& repair = fixture.jobs.repair("/p/Wetter-Android", "Wetter");
    repair.setBackend(Backend::api);
    repair.start();
    QTRY_VERIFY(counted->reached());
    QCOMPARE(button.label(), QStringLiteral("1 Prozess"));
    QCOMPARE(button.toolTip(), QStringLiteral("Laufende Prozesse anzeigen"));
    counted->release();
    QTRY_VERIFY(moved->reached());

    const auto android = holds.make();
    const auto ios = holds.make();
    startDevice(fixture, "/p/Wetter-Android", true, "Baue die Android-App …", android);
    startDevice(fixture, "/p/Wetter-Android", false, "Starte den iPhone-Simulator …", ios);
    QCOMPARE(button.label(), QStringLiteral("3 Prozesse"));
    QCOMPARE(fixture.platform.calls.filter(QStringLiteral("badge")), (QStringList{"badge 1", "badge 2", "badge 3"}));

    QTest::keyClick(&button, Qt::Key_Return);
    // Guarded: a popover opened after this one was deleted may take its address.
    QPointer<JobsPopover> popover = button.popover();
    QVERIFY(popover != nullptr);
    QCOMPARE(cards(*popover),
             (QStringList{"KI-Reparatur · Wetter | Repariert Main.kt … | 25 % | Öffnen Abbrechen",
                          "Android-Emulator | Baue die Android-App … | läuft | Öffnen",
                          "iPhone-Simulator | Starte den iPhone-Simulator … | läuft | Öffnen"}));
    test::capture(popover, QStringLiteral("jobs-popover"));
    test::capture(&shown.window, QStringLiteral("jobs-button-three"));

    // Its buttons take Tab.
    QCOMPARE(test::focusChain(popover),
             (QStringList{"jobOpen", "jobCancel", "jobOpen", "jobOpen"}));
    QVERIFY(test::unnamedInteractiveWidgets(popover).isEmpty());

    // "Abbrechen" stops the repair; the popover stays open and follows.
    cardButton(*popover, 0, "jobCancel")->click();
    moved->release();
    QTRY_COMPARE(cards(*popover).size(), 2);
    QVERIFY(popover);
    QCOMPARE(button.popover(), popover.data());
    QCOMPARE(button.label(), QStringLiteral("2 Prozesse"));

    // "Öffnen" closes it and hands over the job's folder.
    cardButton(*popover, 1, "jobOpen")->click();
    QTRY_VERIFY(button.popover() == nullptr);
    QCOMPARE(shown.opened, QStringList{"/p/Wetter-Android"});

    // Hidden, the button leaves the badge alone; shown, it removes it with the last job.
    shown.window.hide();
    android->release();
    QTRY_COMPARE(fixture.jobs.running().size(), std::size_t(1));
    shown.window.show();
    ios->release();
    QTRY_VERIFY(fixture.jobs.running().empty());
    QCOMPARE(fixture.platform.calls.filter(QStringLiteral("badge")),
             (QStringList{"badge 1", "badge 2", "badge 3", "badge 2", "badge 0"}));
    QCOMPARE(button.label(), QString());
    QCOMPARE(button.toolTip(), QStringLiteral("Keine laufenden Prozesse"));
  }

  // A title longer than the card ends in "…" within it; hovering shows it whole.
  void longTitlesEndInAnEllipsis() {
    JobFixture fixture;
    Shown shown(fixture);
    Holds holds;
    fixture.engine.repairs.push_back({{{milliseconds(0), repair_event::Status{"Repariert Main.kt …"}, holds.make()}}});
    AIRepairModel& repair = fixture.jobs.repair("/p/Trip-Android", "Trip Planner für lange Wochenenden am Meer");
    repair.setBackend(Backend::api);
    repair.start();
    QTRY_COMPARE(fixture.jobs.running().size(), std::size_t(1));
    shown.button->click();
    JobsPopover* popover = shown.button->popover();
    QVERIFY(popover);
    QVERIFY(QTest::qWaitForWindowExposed(popover, test::patienceMs));
    const QString title = QStringLiteral("KI-Reparatur · Trip Planner für lange Wochenenden am Meer");
    const auto* label = popover->findChild<QLabel*>(QStringLiteral("jobTitle"));
    QVERIFY(label->text().endsWith(QStringLiteral("…")));
    QVERIFY(title.startsWith(label->text().chopped(1)));
    QVERIFY(QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->width());
    // The buttons keep their room beside it.
    const QWidget* open = cardButton(*popover, 0, "jobOpen");
    QVERIFY(label->geometry().right() < open->geometry().left());
    QCOMPARE(label->toolTip(), title);
    test::capture(popover, QStringLiteral("jobs-popover-long-title"));
  }
};

TOVRANE_APP_TEST(JobsToolbarButtonTest)
#include "JobsToolbarButtonTest.moc"
