#include "app/state/ProjectStore.hpp"
#include "app/window/ContentView.hpp"
#include "app/window/ConvertView.hpp"
#include "app/window/MainWindow.hpp"
#include "app/window/OverviewView.hpp"
#include "app/window/PageComponents.hpp"
#include "app/window/ProjectsView.hpp"
#include "app/window/SettingsPage.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/PageServices.hpp"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace tovrane::app;
using namespace tovrane::app::test;
namespace fs = std::filesystem;

// The pages as the windows route them: each made afresh when selected, all
// windows showing the one history.
class PagesInWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void conversionFinishedInOneWindowShowsInAll() {
    AppFixture fixture;
    QTemporaryDir projects;
    QDir(projects.path()).mkdir(QStringLiteral("Wetter"));
    MainWindow& first = fixture.app->start();
    MainWindow& second = fixture.app->openWindow();
    QVERIFY(qobject_cast<OverviewView*>(second.content().page()));
    first.content().navigation().setPage(Page::convert());
    // Guarded: once the page is deleted, a new one may take its address.
    QPointer<ConvertView> convert = qobject_cast<ConvertView*>(first.content().page());
    QVERIFY(convert);
    dropFolder(convert->phaseView(), projects.filePath(QStringLiteral("Wetter")));
    QTRY_COMPARE(fixture.services().store.projects().size(), std::size_t(1));
    const ProjectRecord added = fixture.services().store.projects().front();
    QCOMPARE(first.content().navigation().page(), Page::project(added.id));
    QCOMPARE(added.outputPath, projects.filePath(QStringLiteral("Wetter-Android")));
    // The other window's overview has it at once.
    QCOMPARE(rowNames(*second.content().page()), QStringList{added.name});

    // The page of the finished run went with the navigation; back to "Neue
    // Umwandlung", a new page stands idle.
    QTRY_VERIFY(convert.isNull());
    first.content().navigation().setPage(Page::convert());
    auto* again = qobject_cast<ConvertView*>(first.content().page());
    QVERIFY(again);
    QVERIFY(qobject_cast<DropZone*>(again->phaseView()));
  }

  void projectsSearchStartsAfreshAndFollowsTheToolbar() {
    AppFixture fixture;
    fixture.services().store.setProjects(history(10));
    MainWindow& window = fixture.app->start();
    ContentView& content = window.content();
    content.navigation().setPage(Page::projects());
    auto* search = content.page()->findChild<QLineEdit*>(QStringLiteral("search"));
    QTest::keyClicks(search, QStringLiteral("App 1"));
    QCOMPARE(rowNames(*content.page()), (QStringList{"App 1", "App 10"}));
    // Rows made while typing still come right after the field.
    const QStringList chain = focusChain(&window);
    const qsizetype field = chain.indexOf(QStringLiteral("search"));
    QCOMPARE(chain.at(field - 1), QStringLiteral("jobsButton"));
    QCOMPARE(chain.mid(field + 1, 2), QStringList(2, QStringLiteral("projectRow")));
    QCOMPARE(unnamedInteractiveWidgets(&window), QStringList());

    content.navigation().setPage(Page::overview());
    content.navigation().setPage(Page::projects());
    QVERIFY(content.page()->findChild<QLineEdit*>(QStringLiteral("search"))->text().isEmpty());
    QCOMPARE(rowNames(*content.page()).size(), 10);
    window.resize(1100, 760);
    capture(&window, QStringLiteral("window-projects"));
    content.navigation().setPage(Page::overview());
    capture(&window, QStringLiteral("window-overview"));
  }

  void settingsActOnEveryWindow() {
    AppFixture fixture;
    fixture.services().store.setProjects(history(3));
    MainWindow& first = fixture.app->start();
    MainWindow& second = fixture.app->openWindow();
    second.content().navigation().setPage(Page::projects());
    first.content().navigation().setPage(Page::settings());
    QWidget* settings = first.content().page();
    QVERIFY(qobject_cast<SettingsPage*>(settings));

    settings->findChild<QPushButton*>(QStringLiteral("showGuide"))->click();
    QVERIFY(first.content().guide());
    QVERIFY(!second.content().guide());
    first.content().guide()->close();

    fixture.dialogs.confirmations = {true};
    settings->findChild<QPushButton*>(QStringLiteral("clearHistory"))->click();
    QVERIFY(fixture.services().store.projects().empty());
    QCOMPARE(rowNames(*second.content().page()), QStringList());
    capture(&first, QStringLiteral("window-settings"));
  }
};

TOVRANE_APP_TEST(PagesInWindowTest)
#include "PagesInWindowTest.moc"
