#include "app/cards/GuideView.hpp"
#include "app/state/AIRepairModel.hpp"
#include "app/state/JobCenter.hpp"
#include "app/state/ProjectStore.hpp"
#include "app/window/ContentView.hpp"
#include "app/window/JobsToolbarButton.hpp"
#include "app/window/MainWindow.hpp"
#include "app/window/Sidebar.hpp"
#include "app/window/SidebarModel.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/AppFixture.hpp"
#include "tests/app/state/StoreFiles.hpp"

#include <QListView>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

using namespace tovrane::app;
using namespace tovrane::app::test;

namespace {

QAction* action(const QWidget& window, const char* name) {
  return window.findChild<QAction*>(QString::fromUtf8(name));
}

// "text (shortcut)" for each item of a menu, "—" for a separator.
QStringList items(const QMenuBar& bar, const char* menu) {
  QStringList lines;
  for (const QAction* item : bar.findChild<QMenu*>(QString::fromUtf8(menu))->actions()) {
    if (item->isSeparator()) {
      lines << QStringLiteral("—");
      continue;
    }
    const QString keys = item->shortcut().toString();
    lines << (keys.isEmpty() ? item->text() : item->text() + QStringLiteral(" (") + keys + QLatin1Char(')'));
  }
  return lines;
}

QStringList recentNames(const MainWindow& window) {
  QStringList names;
  const SidebarModel& model = window.content().sidebar().model();
  for (int row = 0; row < model.rowCount(); ++row) {
    if (model.pageAt(row) && model.pageAt(row)->kind == Page::Kind::project) {
      names << model.index(row).data().toString();
    }
  }
  return names;
}

bool guideShown(const MainWindow& window) {
  return window.content().guide() != nullptr && window.content().guide()->isVisible();
}

void finishGuide(const MainWindow& window) {
  GuideView* guide = window.content().guide();
  for (int step = 0; step < 3; ++step) {
    QTest::keyClick(guide, Qt::Key_Return);
  }
}

// A repair of folder that checks for a cancel between many short steps, for
// far longer than any test waits (ten minutes).
AIRepairModel& startRepair(AppFixture& fixture, const char* folder) {
  RepairScript script;
  script.events.assign(120000, {milliseconds(5), repair_event::Usage{}});
  fixture.engine.repairs.push_back(script);
  AIRepairModel& repair = fixture.services().jobs.repair(folder, QStringLiteral("Wetter"));
  repair.setBackend(Backend::api);
  repair.start();
  return repair;
}

}  // namespace

class TovraneAndroidAppTest : public QObject {
  Q_OBJECT

 private slots:
  void windowKeepsItsMinimumSize() {
    AppFixture fixture;
    MainWindow& window = fixture.app->start();
    QVERIFY(QTest::qWaitForWindowExposed(&window, test::patienceMs));
    window.resize(700, 500);
    QCOMPARE(window.size(), QSize(980, 680));
    test::capture(&window, QStringLiteral("main-window-smallest"));
  }

  void menusOfTheWindow() {
    AppFixture fixture;
    // Without the automatic checks, whose silent result could come last.
    MainWindow& window = fixture.app->openWindow();
    QCOMPARE(items(*window.menuBar(), "fileMenu"),
             (QStringList{"Neues Fenster (Ctrl+N)", "Fenster schließen (Ctrl+W)", "—", "Beenden (Ctrl+Q)"}));
    QCOMPARE(items(*window.menuBar(), "helpMenu"), (QStringList{"Über TovraneAndroid", "Nach Updates suchen …"}));

    // The check's outcome is reported: checking, then what the feed said.
    Updater& updater = fixture.services().updater;
    QStringList states;
    connect(&updater, &Updater::stateChanged, &updater, [&] { states << describe(updater.state()); });
    action(window, "checkForUpdatesAction")->trigger();
    QCOMPARE(states, QStringList{"checking"});
    QTRY_COMPARE(states, (QStringList{"checking", "upToDate"}));
  }

  // Every window shows the one history; each has its own selection.
  void windowsShareTheHistoryNotTheSelection() {
    AppFixture fixture;
    MainWindow& first = fixture.app->start();
    action(first, "newWindowAction")->trigger();
    QCOMPARE(fixture.app->windows().size(), std::size_t(2));
    MainWindow& second = *fixture.app->windows().back();

    const ProjectRecord record = historyRecord(QStringLiteral("Wetter"), QStringLiteral("/p/Wetter-Android"));
    fixture.services().store.setProjects({record});
    first.content().navigation().setPage(Page::project(record.id));
    QCOMPARE(recentNames(second), QStringList{"Wetter"});
    QCOMPARE(second.content().navigation().page(), Page::overview());

    second.content().remove(record, false);
    QCOMPARE(recentNames(first), QStringList{});
    QCOMPARE(first.content().navigation().page(), Page::project(record.id));
  }

  // A history that cannot be saved is told once, over the window, naming the
  // file; the records stay in the window and the next change saves them.
  void aFailedSaveIsToldOverTheWindow() {
    AppFixture fixture;
    MainWindow& window = fixture.app->start();
    ProjectStore& store = fixture.services().store;
    {
      const FileSizeLimit full(16);
      store.setProjects({historyRecord(QStringLiteral("Wetter"), QStringLiteral("/p/Wetter-Android"))});
      store.save();
      store.save();
    }
    QCOMPARE(fixture.dialogs.warnings.size(), 1);
    QVERIFY2(fixture.dialogs.warnings[0].startsWith(QStringLiteral("Speichern fehlgeschlagen: „") +
                                                     appFile("projekte.json") + QStringLiteral("“")),
             qPrintable(fixture.dialogs.warnings[0]));
    QCOMPARE(recentNames(window), QStringList{"Wetter"});

    emit fixture.services().jobs.keysNotSaved(QStringLiteral("Schlüssel nicht gespeichert."));
    QCOMPARE(fixture.dialogs.warnings.size(), 2);
    QCOMPARE(fixture.dialogs.warnings[1], QStringLiteral("Speichern fehlgeschlagen: Schlüssel nicht gespeichert."));
  }

  // A repair started from a window goes on when that window closes, and its
  // result reaches the history.
  void aRepairOutlivesItsWindow() {
    AppFixture fixture;
    Holds holds;
    MainWindow& first = fixture.app->start();
    MainWindow& second = fixture.app->openWindow();
    const ProjectRecord record = historyRecord(QStringLiteral("Wetter"), QStringLiteral("/p/Wetter-Android"));
    ProjectStore& store = fixture.services().store;
    store.setProjects({record});

    const auto hold = holds.make();
    RepairScript script;
    script.events = {{milliseconds(0), repair_event::Usage{}, hold}};
    AIRepairResult result;
    result.remainingPlaceholders = 1;
    result.compiled = true;
    script.outcome = result;
    fixture.engine.repairs.push_back(script);
    AIRepairModel& repair = fixture.services().jobs.repair("/p/Wetter-Android", record.name);
    // As the detail page's card hands it over: it writes to the store, not to the page.
    repair.setOnFinish([&store, id = record.id](const AIRepairResult& result, Backend, int resolved) {
      store.updateAI(id, ProjectRecord::AIRecord{.fixed = resolved, .remaining = result.remainingPlaceholders,
                                                 .compiled = result.compiled});
    });
    repair.setBackend(Backend::api);
    repair.start();
    QTRY_VERIFY(hold->reached());

    action(first, "closeWindowAction")->trigger();
    QVERIFY(!first.isVisible());
    QCOMPARE(fixture.app->windows(), std::vector<MainWindow*>{&second});
    hold->release();
    QTRY_VERIFY(store.projects().front().ai.has_value());
    QCOMPARE(store.projects().front().ai->compiled, std::optional<bool>(true));
    QCOMPARE(recentNames(second), QStringList{"Wetter"});
    QCOMPARE(second.content().sidebar().model().index(4).data(SidebarModel::SymbolRole).toString(),
             QStringLiteral("checkmark.seal"));
  }

  // The guide opens in every window until it is finished once; "Anleitung" opens it again.
  void guideOpensUntilFinishedOnce() {
    AppFixture fixture(false);
    MainWindow& first = fixture.app->start();
    QTRY_VERIFY(guideShown(first));
    MainWindow& second = fixture.app->openWindow();
    QTRY_VERIFY(guideShown(second));

    // Closing a window over its open guide leaves it unseen.
    first.close();
    QVERIFY(!Settings().guideSeen());
    finishGuide(second);
    QVERIFY(!guideShown(second));
    QVERIFY(Settings().guideSeen());

    MainWindow& third = fixture.app->openWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&third, test::patienceMs));
    QTest::qWait(20);
    QVERIFY(!guideShown(third));
    third.findChild<QToolButton*>(QStringLiteral("guideButton"))->click();
    QVERIFY(guideShown(third));
    QCOMPARE(third.content().guide()->step(), 0);
    QCOMPARE(third.content().guide()->parentWidget(), &third);
    finishGuide(third);
    QVERIFY(!guideShown(third));
    QVERIFY(Settings().guideSeen());
  }

  // Quitting while jobs run asks first; keeping the app changes nothing,
  // quitting cancels the repairs and ends.
  void quitAsksWhileJobsRun() {
    AppFixture fixture;
    MainWindow& window = fixture.app->start();
    QSignalSpy ended(fixture.app.get(), &TovraneAndroidApp::ended);
    JobCenter& jobs = fixture.services().jobs;
    startRepair(fixture, "/p/Wetter-Android");
    QTRY_COMPARE(jobs.running().size(), std::size_t(1));

    fixture.dialogs.confirmations = {false};
    action(window, "quitAction")->trigger();
    // Closing the last window is quitting too.
    fixture.dialogs.confirmations = {false};
    window.close();
    QCOMPARE(fixture.dialogs.calls, (QStringList{"confirm TovraneAndroid beenden? / Beenden",
                                                 "confirm TovraneAndroid beenden? / Beenden"}));
    QCOMPARE(fixture.dialogs.questions.first(),
             QStringLiteral("Es läuft noch 1 Prozess. Beim Beenden wird er abgebrochen."));
    QCOMPARE(ended.count(), 0);
    QVERIFY(window.isVisible());
    QCOMPARE(jobs.running().size(), std::size_t(1));

    startRepair(fixture, "/p/Notizen-Android");
    QTRY_COMPARE(jobs.running().size(), std::size_t(2));
    fixture.dialogs.confirmations = {true};
    QVERIFY(fixture.app->quit(&window));
    QCOMPARE(fixture.dialogs.questions.last(),
             QStringLiteral("Es laufen noch 2 Prozesse. Beim Beenden werden sie abgebrochen."));
    QCOMPARE(ended.count(), 1);
    QVERIFY(fixture.app->endedCleanly());
    QVERIFY(!window.isVisible());
    QCOMPARE(fixture.engine.calls().filter(QStringLiteral("cancel")),
             (QStringList{"cancel", "cancel", "cancelDeviceRuns"}));
    QVERIFY(jobs.running().empty());
  }

  // Without jobs nothing is asked: closing the last window ends the app, another one does not.
  void closingTheLastWindowEnds() {
    AppFixture fixture;
    MainWindow& first = fixture.app->start();
    MainWindow& second = fixture.app->openWindow();
    QSignalSpy ended(fixture.app.get(), &TovraneAndroidApp::ended);
    first.close();
    QCOMPARE(ended.count(), 0);
    second.close();
    QCOMPARE(ended.count(), 1);
    QVERIFY(fixture.dialogs.calls.isEmpty());
  }

  // Tab goes through the sidebar (list, the banner's button, "Anleitung"),
  // the toolbar's jobs button, then the page, also when they were made later.
  void focusGoesSidebarToolbarPage() {
    AppFixture fixture;
    Settings().setAutoUpdate(false);
    tovrane::fakes::FakeReply newer;
    newer.body = feed(999, "http://127.0.0.1:9/none", "00");
    fixture.feed.on("/version.json", newer);
    MainWindow& window = fixture.app->start();
    fixture.services().updater.check(false);
    QTRY_COMPARE(describe(fixture.services().updater.state()), QStringLiteral("available"));
    window.content().navigation().setPage(Page::settings());
    auto* pageButton = new QPushButton(QStringLiteral("Prüfen"), window.content().page());
    pageButton->setObjectName(QStringLiteral("pageButton"));
    pageButton->setAccessibleName(pageButton->text());
    pageButton->show();
    // The page's own controls (the settings page's), then the button made after them.
    const QStringList page = test::focusChain(window.content().page());
    QCOMPARE(page.last(), QStringLiteral("pageButton"));
    QCOMPARE(test::focusChain(&window),
             (QStringList{"sidebarList", "installUpdateButton", "guideButton", "jobsButton"} + page));
    QCOMPARE(test::unnamedInteractiveWidgets(&window), QStringList{});
  }

  void capturesTheWindow() {
    AppFixture fixture;
    MainWindow& window = fixture.app->start();
    QVERIFY(QTest::qWaitForWindowExposed(&window, test::patienceMs));
    test::capture(&window, QStringLiteral("main-window-empty-history"));
    std::vector<ProjectRecord> records = history(10);
    records[0].name = QStringLiteral("Wetter – ein Name, der für die Seitenleiste zu lang ist");
    records[1].ai = ProjectRecord::AIRecord{.compiled = true};
    fixture.services().store.setProjects(records);
    window.content().navigation().setPage(Page::project(records[1].id));
    test::capture(&window, QStringLiteral("main-window-full-history"));
  }
};

TOVRANE_APP_TEST(TovraneAndroidAppTest)
#include "TovraneAndroidAppTest.moc"
