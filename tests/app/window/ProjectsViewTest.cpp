#include "app/window/PageComponents.hpp"
#include "app/window/ProjectsView.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/PageServices.hpp"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

using namespace tovrane::app;
using namespace tovrane::app::test;

namespace {

QString emptyText(const QWidget& page) {
  for (const QLabel* label : page.findChildren<QLabel*>(QStringLiteral("emptyText"))) {
    if (label->isVisibleTo(&page)) {
      return label->text();
    }
  }
  return {};
}

bool showsLabel(const QWidget& page, const QString& text) {
  for (const QLabel* label : page.findChildren<QLabel*>()) {
    if (label->isVisibleTo(&page) && label->text() == text) {
      return true;
    }
  }
  return false;
}

QAction* menuItem(QMenu& menu, const QString& text) {
  for (QAction* action : menu.actions()) {
    if (action->text() == text) {
      return action;
    }
  }
  return nullptr;
}

// History order: App (newest), Appendix, Shop, Café.
std::vector<ProjectRecord> shopHistory() {
  return {record(QStringLiteral("App")), record(QStringLiteral("Appendix")), record(QStringLiteral("Shop")),
          record(QStringLiteral("Café"))};
}

}  // namespace

class ProjectsViewTest : public QObject {
  Q_OBJECT

 private slots:
  void searchFiltersOnEveryKeystroke() {
    PageServices services;
    services.store->setProjects(shopHistory());
    ProjectsView page(*services.store, services.navigation, services.platform, services.clock);
    page.resize(760, 600);
    page.show();
    auto* search = page.findChild<QLineEdit*>(QStringLiteral("search"));
    QVERIFY(search);
    QCOMPARE(search->placeholderText(), QStringLiteral("Suchen"));
    QCOMPARE(search->width(), 220);

    struct Case {
      const char* typed;
      QStringList rows;
    };
    const Case cases[] = {
        {"", {"App", "Appendix", "Shop", "Café"}},
        {"app", {"App", "Appendix"}},
        {"APP", {"App", "Appendix"}},
        {"pPe", {"Appendix"}},
        // Blanks take part: no name holds " app".
        {" app", {}},
        {"shop ", {}},
        // Case is ignored, accents are not.
        {"CAFÉ", {"Café"}},
        {"cafe", {}},
        {"xyz", {}},
    };
    for (const Case& c : cases) {
      search->clear();
      QTest::keyClicks(search, QString::fromUtf8(c.typed));
      QCOMPARE(rowNames(page), c.rows);
      QCOMPARE(emptyText(page), c.rows.isEmpty() ? QStringLiteral("Nichts gefunden.") : QString());
      // One divider fewer than rows, none under the last.
      QCOMPARE(visibleCount(page, QStringLiteral("divider")), std::max(0, int(c.rows.size()) - 1));
      // The subtitle counts the whole history, not the matches.
      QVERIFY(showsLabel(page, QStringLiteral("4 Umwandlungen")));
    }
    search->clear();
    QTest::keyClicks(search, QStringLiteral("app"));
    capturePage(&page, QStringLiteral("projects-search"));
    search->clear();
    QTest::keyClicks(search, QStringLiteral("xyz"));
    capturePage(&page, QStringLiteral("projects-no-match"));
  }

  void emptyHistoryWhateverTheSearch() {
    PageServices services;
    ProjectsView page(*services.store, services.navigation, services.platform, services.clock);
    page.resize(760, 500);
    page.show();
    QCOMPARE(emptyText(page), QStringLiteral("Noch keine Projekte."));
    QVERIFY(showsLabel(page, QStringLiteral("0 Umwandlungen")));
    capturePage(&page, QStringLiteral("projects-empty"));
    QTest::keyClicks(page.findChild<QLineEdit*>(QStringLiteral("search")), QStringLiteral("app"));
    QCOMPARE(emptyText(page), QStringLiteral("Noch keine Projekte."));
    // One plural for every count.
    services.store->setProjects({record(QStringLiteral("Solo"))});
    QVERIFY(showsLabel(page, QStringLiteral("1 Umwandlungen")));
  }

  void rowsOpenRevealAndLeaveTheHistory() {
    PageServices services;
    std::vector<ProjectRecord> history = shopHistory();
    // The same project converted twice: both listed, the newer first.
    ProjectRecord again = record(QStringLiteral("Shop"));
    again.outputPath += QStringLiteral("-2");
    history.insert(history.begin(), again);
    services.store->setProjects(history);
    ProjectsView page(*services.store, services.navigation, services.platform, services.clock);
    page.resize(760, 700);
    page.show();
    QCOMPARE(rowNames(page), (QStringList{"Shop", "App", "Appendix", "Shop", "Café"}));
    capturePage(&page, QStringLiteral("projects-full"));
    QCOMPARE(focusChain(&page),
             (QStringList{"search", "projectRow", "projectRow", "projectRow", "projectRow", "projectRow"}));
    QCOMPARE(unnamedInteractiveWidgets(&page), QStringList());

    QTest::mouseClick(page.findChildren<ProjectRow*>(QStringLiteral("projectRow")).at(2), Qt::LeftButton);
    QCOMPARE(services.navigation.page(), Page::project(history[2].id));

    const std::unique_ptr<QMenu> menu(page.rowMenu(history[1], &page));
    QCOMPARE(menu->actions().size(), 2);
    QVERIFY(!markedDestructive(*menuItem(*menu, QStringLiteral("Im Dateimanager zeigen"))));
    QVERIFY(markedDestructive(*menuItem(*menu, QStringLiteral("Aus Verlauf entfernen"))));
    menu->popup(page.mapToGlobal(QPoint(200, 200)));
    QVERIFY(QTest::qWaitForWindowExposed(menu.get(), test::patienceMs));
    capture(menu.get(), QStringLiteral("projects-row-menu"));
    menu->hide();
    menuItem(*menu, QStringLiteral("Im Dateimanager zeigen"))->trigger();
    QCOMPARE(services.platform.calls, QStringList{QStringLiteral("reveal ") + history[1].outputPath});

    // Removing asks nothing and leaves the page where it is.
    QTest::keyClicks(page.findChild<QLineEdit*>(QStringLiteral("search")), QStringLiteral("app"));
    services.navigation.setPage(Page::projects());
    menuItem(*menu, QStringLiteral("Aus Verlauf entfernen"))->trigger();
    QCOMPARE(services.store->projects().size(), std::size_t(4));
    QVERIFY(!services.store->project(history[1].id));
    QTRY_COMPARE(rowNames(page), QStringList{QStringLiteral("Appendix")});
    QVERIFY(showsLabel(page, QStringLiteral("4 Umwandlungen")));
    QCOMPARE(services.navigation.page(), Page::projects());
    QCOMPARE(services.dialogs.calls, QStringList());

    const std::unique_ptr<QMenu> last(page.rowMenu(history[2], &page));
    menuItem(*last, QStringLiteral("Aus Verlauf entfernen"))->trigger();
    QCOMPARE(emptyText(page), QStringLiteral("Nichts gefunden."));
    services.store->setProjects({});
    QCOMPARE(emptyText(page), QStringLiteral("Noch keine Projekte."));
  }
};

TOVRANE_APP_TEST(ProjectsViewTest)
#include "ProjectsViewTest.moc"
