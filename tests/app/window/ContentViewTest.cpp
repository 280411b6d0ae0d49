#include "app/state/AIRepairModel.hpp"
#include "app/state/JobCenter.hpp"
#include "app/state/ProjectStore.hpp"
#include "app/window/ContentView.hpp"
#include "app/window/MainWindow.hpp"
#include "app/window/Pages.hpp"
#include "app/window/Sidebar.hpp"
#include "app/window/SidebarModel.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/AppFixture.hpp"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QListView>
#include <QMenu>
#include <QPointer>
#include <QtTest>

using namespace tovrane::app;
using namespace tovrane::app::test;

Q_DECLARE_METATYPE(std::vector<ProjectRecord>)

namespace {

using AI = ProjectRecord::AIRecord;

// Each row as "text symbol (badge)", "# header", or "" for the gap.
QStringList rows(const SidebarModel& model) {
  QStringList lines;
  for (int row = 0; row < model.rowCount(); ++row) {
    const QModelIndex index = model.index(row);
    const QString text = index.data().toString();
    if (index.data(SidebarModel::HeaderRole).toBool()) {
      lines << QStringLiteral("# ") + text;
      continue;
    }
    QString line = text.isEmpty() ? QString() : text + QLatin1Char(' ') + index.data(SidebarModel::SymbolRole).toString();
    if (const int badge = index.data(SidebarModel::BadgeRole).toInt()) {
      line += QStringLiteral(" (%1)").arg(badge);
    }
    lines << line;
  }
  return lines;
}

QString placeholderTitle(const ContentView& content) {
  const auto* placeholder = qobject_cast<const PagePlaceholder*>(content.page());
  return placeholder == nullptr ? QString() : placeholder->title();
}

QAction* menuItem(QMenu& menu, const char* name) { return menu.findChild<QAction*>(QString::fromUtf8(name)); }

// A record whose output folder exists.
ProjectRecord present(const QString& name) {
  ProjectRecord record = historyRecord(name, temporaryHome() + QStringLiteral("/present/") + name + "-Android");
  QDir().mkpath(record.outputPath);
  return record;
}

// Starts a repair of record's folder that runs until hold is released.
void startHeldRepair(AppFixture& fixture, const ProjectRecord& record, const std::shared_ptr<Hold>& hold) {
  fixture.engine.repairs.push_back({{{milliseconds(0), repair_event::Usage{}, hold}}});
  AIRepairModel& repair = fixture.services().jobs.repair(record.outputPath.toStdString(), record.name);
  repair.setBackend(Backend::api);
  repair.start();
  QTRY_VERIFY(hold->reached());
}

}  // namespace

class ContentViewTest : public QObject {
  Q_OBJECT

 private slots:
  void sidebarFollowsTheHistory_data() {
    QTest::addColumn<std::vector<ProjectRecord>>("records");
    QTest::addColumn<QStringList>("expected");
    const QStringList top{QStringLiteral("Übersicht square.grid.2x2"),
                          QStringLiteral("Neue Umwandlung plus.square.on.square")};
    const QStringList bottom{QString(), QStringLiteral("Einstellungen gearshape")};
    QTest::newRow("empty: no section, no badge") << std::vector<ProjectRecord>{}
                                                 << top + QStringList{"Projekte folder"} + bottom;
    QTest::newRow("one record") << history(1)
                                << top + QStringList{"Projekte folder (1)", "# Zuletzt", "App 1 app.dashed"} + bottom;
    QTest::newRow("ten records: the six newest")
        << history(10)
        << top +
               QStringList{"Projekte folder (10)", "# Zuletzt", "App 1 app.dashed", "App 2 app.dashed",
                           "App 3 app.dashed", "App 4 app.dashed", "App 5 app.dashed", "App 6 app.dashed"} +
               bottom;
    const auto withAI = [](const char* name, std::optional<bool> compiled) {
      return historyRecord(QString::fromUtf8(name), QStringLiteral("/nirgends"), AI{.compiled = compiled});
    };
    QTest::newRow("a seal only for a compiled project")
        << std::vector<ProjectRecord>{withAI("Kompiliert", true), withAI("Fehler", false),
                                      withAI("Ohne Prüfung", std::nullopt),
                                      historyRecord(QStringLiteral("Ohne KI"), QStringLiteral("/nirgends"))}
        << top +
               QStringList{"Projekte folder (4)", "# Zuletzt", "Kompiliert checkmark.seal", "Fehler app.dashed",
                           "Ohne Prüfung app.dashed", "Ohne KI app.dashed"} +
               bottom;
  }
  void sidebarFollowsTheHistory() {
    QFETCH(std::vector<ProjectRecord>, records);
    QFETCH(QStringList, expected);
    AppFixture fixture;
    MainWindow& window = fixture.app->start();
    const SidebarModel& model = window.content().sidebar().model();
    QAbstractItemModelTester tester(const_cast<SidebarModel*>(&model),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    fixture.services().store.setProjects(records);
    QCOMPARE(rows(model), expected);
    // Headers and the gap cannot be chosen.
    for (int row = 0; row < model.rowCount(); ++row) {
      QCOMPARE(model.flags(model.index(row)) == Qt::NoItemFlags, !model.pageAt(row).has_value());
    }
  }

  // The detail area shows the selected page, the placeholder for an unknown
  // record, and keeps its page while the history changes under it.
  void routesTheSelection() {
    AppFixture fixture;
    std::vector<ProjectRecord> records = history(10);
    fixture.services().store.setProjects(records);
    ContentView& content = fixture.app->start().content();
    QListView& list = *content.sidebar().list();
    const auto selectedRow = [&list] {
      const QModelIndexList chosen = list.selectionModel()->selectedIndexes();
      return chosen.isEmpty() ? -1 : chosen.constFirst().row();
    };
    QCOMPARE(content.navigation().page(), Page::overview());
    QCOMPARE(selectedRow(), 0);

    // Guarded pages: a page made after another was deleted may take its address.
    QPointer<QWidget> overview = content.page();
    fixture.services().store.remove(records[9].id);
    QVERIFY(overview);
    QCOMPARE(content.page(), overview.data());

    content.navigation().setPage(Page::project(records[1].id));
    QTRY_VERIFY(overview.isNull());
    QPointer<QWidget> detail = content.page();
    QVERIFY(placeholderTitle(content) != QStringLiteral("Projekt nicht gefunden"));
    QCOMPARE(selectedRow(), 5);
    fixture.services().store.remove(records[0].id);
    QVERIFY(detail);
    QCOMPARE(content.page(), detail.data());
    QCOMPARE(selectedRow(), 4);

    // A record older than the six newest has no row, but its page.
    content.navigation().setPage(Page::project(records[8].id));
    QCOMPARE(selectedRow(), -1);
    QVERIFY(placeholderTitle(content) != QStringLiteral("Projekt nicht gefunden"));

    // Gone from the history: the placeholder; back again: the page.
    fixture.services().store.setProjects({});
    QCOMPARE(placeholderTitle(content), QStringLiteral("Projekt nicht gefunden"));
    QCOMPARE(qobject_cast<PagePlaceholder*>(content.page())->symbol(), QStringLiteral("questionmark.folder"));
    fixture.services().store.setProjects(records);
    QVERIFY(placeholderTitle(content) != QStringLiteral("Projekt nicht gefunden"));
    content.navigation().setPage(Page::project(QUuid::createUuid()));
    QCOMPARE(placeholderTitle(content), QStringLiteral("Projekt nicht gefunden"));

    // A click on a row selects its page.
    list.selectionModel()->setCurrentIndex(list.model()->index(2, 0), QItemSelectionModel::ClearAndSelect);
    QCOMPARE(content.navigation().page(), Page::projects());
  }

  // Up and down walk the rows that can be chosen, past the header and the gap.
  void arrowKeysWalkTheList() {
    AppFixture fixture;
    const std::vector<ProjectRecord> records = history(2);
    fixture.services().store.setProjects(records);
    ContentView& content = fixture.app->start().content();
    QListView& list = *content.sidebar().list();
    list.setFocus();
    const std::vector<Page> down{Page::convert(), Page::projects(), Page::project(records[0].id),
                                 Page::project(records[1].id), Page::settings()};
    for (const Page& page : down) {
      QTest::keyClick(&list, Qt::Key_Down);
      QCOMPARE(content.navigation().page(), page);
    }
    QTest::keyClick(&list, Qt::Key_Up);
    QCOMPARE(content.navigation().page(), Page::project(records[1].id));
  }

  // A right-click on a recent project opens its menu and nothing else; a left-click opens its page.
  void rightClickOpensOnlyTheMenu() {
    AppFixture fixture;
    const std::vector<ProjectRecord> records = history(2);
    fixture.services().store.setProjects(records);
    MainWindow& window = fixture.app->start();
    QVERIFY(QTest::qWaitForWindowExposed(&window, test::patienceMs));
    ContentView& content = window.content();
    QListView& list = *content.sidebar().list();
    const QModelIndex row = list.model()->index(*content.sidebar().model().rowOf(Page::project(records[1].id)), 0);
    // Through the window, as the system delivers a click: the press, then the menu request.
    const QPoint at = list.viewport()->mapTo(&window, list.visualRect(row).center());
    QTest::mouseClick(window.windowHandle(), Qt::RightButton, {}, at);
    QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
    QCOMPARE(QApplication::activePopupWidget()->objectName(), QStringLiteral("recentMenu"));
    QCOMPARE(content.navigation().page(), Page::overview());
    QVERIFY(!list.selectionModel()->isSelected(row));
    QApplication::activePopupWidget()->close();

    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, at);
    QCOMPARE(content.navigation().page(), Page::project(records[1].id));
  }

  void recentMenuStates_data() {
    QTest::addColumn<bool>("folderExists");
    QTest::addColumn<bool>("jobRuns");
    QTest::addColumn<bool>("revealEnabled");
    QTest::addColumn<bool>("trashEnabled");
    QTest::newRow("output present") << true << false << true << true;
    QTest::newRow("output missing") << false << false << false << false;
    QTest::newRow("a job works on it") << true << true << true << false;
  }
  void recentMenuStates() {
    QFETCH(bool, folderExists);
    QFETCH(bool, jobRuns);
    QFETCH(bool, revealEnabled);
    QFETCH(bool, trashEnabled);
    AppFixture fixture;
    Holds holds;
    const ProjectRecord record =
        folderExists ? present(QStringLiteral("Wetter")) : historyRecord(QStringLiteral("Wetter"), "/nirgends/W-Android");
    fixture.services().store.setProjects({record});
    Sidebar& sidebar = fixture.app->start().content().sidebar();
    if (jobRuns) {
      startHeldRepair(fixture, record, holds.make());
    }
    std::unique_ptr<QMenu> menu(sidebar.recentMenu(record));
    QStringList items;
    for (const QAction* action : menu->actions()) {
      items << (action->isSeparator() ? QStringLiteral("—") : action->text());
    }
    QCOMPARE(items, (QStringList{"Im Dateimanager zeigen", "—", "Aus Liste entfernen",
                                 "Entfernen und Android-Ordner in den Papierkorb"}));
    QCOMPARE(menuItem(*menu, "revealAction")->isEnabled(), revealEnabled);
    QVERIFY(menuItem(*menu, "removeAction")->isEnabled());
    QCOMPARE(menuItem(*menu, "trashAction")->isEnabled(), trashEnabled);
    QVERIFY(markedDestructive(*menuItem(*menu, "trashAction")));
    QVERIFY(!markedDestructive(*menuItem(*menu, "removeAction")));
    menuItem(*menu, "revealAction")->trigger();
    QCOMPARE(fixture.platform.calls.filter(QStringLiteral("reveal")),
             revealEnabled ? QStringList{"reveal " + record.outputPath} : QStringList{});
  }

  // Removing keeps the page unless the record's own page was showing; the
  // folder goes to the Trash only when asked, present and free of jobs.
  void removeFromTheMenu_data() {
    QTest::addColumn<bool>("trash");
    QTest::addColumn<bool>("showing");
    QTest::addColumn<bool>("folderExists");
    QTest::addColumn<bool>("jobRuns");
    QTest::addColumn<bool>("trashed");
    QTest::newRow("from the list, its page showing") << false << true << true << false << false;
    QTest::newRow("to the Trash, another page showing") << true << false << true << false << true;
    QTest::newRow("to the Trash, its page showing") << true << true << true << false << true;
    QTest::newRow("to the Trash, folder gone") << true << false << false << false << false;
    QTest::newRow("to the Trash while a job runs") << true << false << true << true << false;
  }
  void removeFromTheMenu() {
    QFETCH(bool, trash);
    QFETCH(bool, showing);
    QFETCH(bool, folderExists);
    QFETCH(bool, jobRuns);
    QFETCH(bool, trashed);
    AppFixture fixture;
    Holds holds;
    const ProjectRecord other = historyRecord(QStringLiteral("Notizen"), QStringLiteral("/nirgends/N-Android"));
    const ProjectRecord record =
        folderExists ? present(QStringLiteral("Wetter")) : historyRecord(QStringLiteral("Wetter"), "/nirgends/W-Android");
    fixture.services().store.setProjects({record, other});
    ContentView& content = fixture.app->start().content();
    const Page before = showing ? Page::project(record.id) : Page::project(other.id);
    content.navigation().setPage(before);
    if (jobRuns) {
      startHeldRepair(fixture, record, holds.make());
    }
    content.remove(record, trash);
    QCOMPARE(fixture.platform.calls.filter(QStringLiteral("trash")),
             trashed ? QStringList{"trash " + record.outputPath} : QStringList{});
    QCOMPARE(content.navigation().page(), showing ? Page::projects() : before);
    QCOMPARE(fixture.services().store.projects(), std::vector<ProjectRecord>{other});
    QCOMPARE(rows(content.sidebar().model()).filter(QStringLiteral("Wetter")), QStringList{});
  }

  // A failed move to the Trash still removes the record.
  void aFailedTrashStillRemoves() {
    AppFixture fixture;
    fixture.platform.trashSucceeds = false;
    const ProjectRecord record = present(QStringLiteral("Wetter"));
    fixture.services().store.setProjects({record});
    ContentView& content = fixture.app->start().content();
    std::unique_ptr<QMenu> menu(content.sidebar().recentMenu(record));
    menuItem(*menu, "trashAction")->trigger();
    QCOMPARE(fixture.platform.calls.filter(QStringLiteral("trash")).size(), 1);
    QVERIFY(fixture.services().store.projects().empty());
  }

  // A job's folder opens the newest record written there; an unknown one nothing.
  void openingAJobsProjectPicksTheNewest() {
    AppFixture fixture;
    const ProjectRecord newer = historyRecord(QStringLiteral("Wetter"), QStringLiteral("/p/Wetter-Android"));
    const ProjectRecord older = historyRecord(QStringLiteral("Wetter alt"), QStringLiteral("/p/Wetter-Android"));
    fixture.services().store.setProjects({historyRecord(QStringLiteral("Andere"), QStringLiteral("/p/A-Android")),
                                          newer, older});
    ContentView& content = fixture.app->start().content();
    content.openJobProject("/p/Wetter-Android");
    QCOMPARE(content.navigation().page(), Page::project(newer.id));
    content.openJobProject("/p/Entfernt-Android");
    QCOMPARE(content.navigation().page(), Page::project(newer.id));
  }
};

TOVRANE_APP_TEST(ContentViewTest)
#include "ContentViewTest.moc"
