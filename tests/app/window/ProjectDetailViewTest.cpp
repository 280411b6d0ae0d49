#include "app/cards/AIRepairCard.hpp"
#include "app/cards/DeviceTestCard.hpp"
#include "app/platform/PlatformTexts.hpp"
#include "app/state/Brand.hpp"
#include "app/state/JobCenter.hpp"
#include "app/state/ProjectStore.hpp"
#include "app/window/AppServices.hpp"
#include "app/window/Formats.hpp"
#include "app/window/Page.hpp"
#include "app/window/PageComponents.hpp"
#include "app/window/ProjectDetailView.hpp"
#include "app/window/WarningsSection.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/AppFixture.hpp"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollBar>
#include <QtTest>

using namespace tovrane::app;
using namespace tovrane::app::test;

namespace {

using AI = ProjectRecord::AIRecord;

AI repair(int remaining, std::optional<bool> compiled, int errors, double cost) {
  AI ai;
  ai.date = fixedNow().addSecs(-600);
  ai.backend = QStringLiteral("Claude-Abo (Claude Code)");
  ai.remaining = remaining;
  ai.compiled = compiled;
  ai.remainingErrors = errors;
  ai.costUSD = cost;
  return ai;
}

// "Wetter": 12 Swift files with 12.345 lines, 99.9 % covered, 4 places open,
// 7 images and 5 colours, one warning; its Android folder is made now
// (removed when told).
ProjectRecord wetter(std::optional<AI> ai, bool outputExists = true, int unsupported = 4) {
  const QString output = temporaryHome() + QStringLiteral("/Wetter-Android");
  QDir(output).removeRecursively();
  if (outputExists) QDir().mkpath(output);
  ProjectRecord record = historyRecord(QStringLiteral("Wetter"), output, std::move(ai));
  record.swiftFiles = 12;
  record.swiftLines = 12345;
  record.coverage = 0.999;
  record.unsupported = unsupported;
  record.images = 7;
  record.colors = 5;
  record.warnings = {{"Wetter/ContentView.swift", "Modifier .symbolEffect wird ignoriert", ".symbolEffect(.pulse)"}};
  return record;
}

// The page of one record, on its own as the window shows it, with the record in the history.
struct DetailPage {
  explicit DetailPage(AppFixture& fixture, const ProjectRecord& record) : fixture(fixture) {
    fixture.services().store.setProjects({record});
    view = std::make_unique<ProjectDetailView>(fixture.services(), navigation, record);
    view->resize(900, 700);
  }
  QWidget& content() const { return *view->widget(); }
  bool shown(const char* name) const { return shownIn(content(), name); }
  // "(none)" also for a label of a hidden section.
  QString text(const char* name) const { return shown(name) ? labelText(content(), name) : QStringLiteral("(none)"); }
  QPushButton* button(const char* name) const { return content().findChild<QPushButton*>(QString::fromUtf8(name)); }
  // A tile's value and label.
  QString tile(const char* name) const {
    const auto* tile = content().findChild<StatTile*>(QString::fromUtf8(name));
    QStringList texts;
    for (const QLabel* label : tile->findChildren<QLabel*>()) {
      if (!label->text().isEmpty()) texts.append(label->text());
    }
    return texts.join(QStringLiteral(" / "));
  }
  void snap(const QString& name) const {
    view->show();
    showAtWidth(content(), 900);
    capture(&content(), name);
  }

  AppFixture& fixture;
  Navigation navigation;
  std::unique_ptr<ProjectDetailView> view;
};

// A ladder of one rung, and a repair on it that waits until the test ends.
void holdTheNextRepair(AppFixture& fixture, Holds& holds) {
  fixture.engine.ladderTiers = {ModelTier::ladder(AIProvider::gemini).front()};
  fixture.engine.repairs.push_back({{{milliseconds(0), repair_event::Usage{}, holds.make()}}});
}

// Each case's record is made (and its folder set up) when the case runs.
using MakeRecord = std::function<ProjectRecord()>;
struct CaseRow {
  const char* name;
  MakeRecord record;
  const char* symbol;
  const char* coverage;
  const char* open;
  const char* solved;
  const char* compiled;
  const char* cost;
  bool repairCard;
};

std::vector<CaseRow> recordCases() {
  return {
      {"no AI record", [] { return wetter(std::nullopt); }, "app.badge.checkmark",
       "99 % / automatisch übersetzt", "4", "(none)", "(none)", "(none)", true},
      {"compiled with 0 left", [] { return wetter(repair(0, true, 0, 1.5)); }, "checkmark.seal.fill",
       "100 % / inkl. KI", "0", "4 Stellen", "ja", "≈ 1.50 $", false},
      {"0 left without compile check", [] { return wetter(repair(0, std::nullopt, 0, 0.004)); },
       "app.badge.checkmark", "100 % / inkl. KI", "0", "4 Stellen", "–", "≈ 0.00 $", true},
      {"2 left with 3 errors", [] { return wetter(repair(2, false, 3, 0)); }, "app.badge.checkmark",
       "99 % / inkl. KI", "2", "2 Stellen", "nein (3)", "(none)", true},
      {"output missing", [] { return wetter(std::nullopt, false); }, "app.badge.checkmark",
       "99 % / automatisch übersetzt", "4", "(none)", "(none)", "(none)", false},
      {"5 places with 7 remaining", [] { return wetter(repair(7, false, 0, 0), true, 5); }, "app.badge.checkmark",
       "99 % / inkl. KI", "7", "0 Stellen", "nein (0)", "(none)", true},
  };
}

}  // namespace

class ProjectDetailViewTest : public QObject {
  Q_OBJECT

 private slots:
  // The places solved are never below 0; the result's figures pass as they are.
  void aiRecordFromAResult() {
    AIRepairResult result;
    result.remainingPlaceholders = 7;
    result.remainingErrors = 2;
    result.costUSD = 0.25;
    const AI ai = aiRecordFor(result, Backend::api, 5, fixedNow());
    QCOMPARE(ai.date, fixedNow());
    QCOMPARE(ai.backend, "Modell-Leiter (Lokal · Gemini · Claude · OpenAI)");
    QCOMPARE(ai.fixed, 0);
    QCOMPARE(ai.remaining, 7);
    QCOMPARE(ai.compiled, std::nullopt);
    QCOMPARE(ai.remainingErrors, 2);
    QCOMPARE(ai.costUSD, 0.25);
    result.remainingPlaceholders = 1;
    result.compiled = false;
    QCOMPARE(aiRecordFor(result, Backend::codex, 5, fixedNow()).fixed, 4);
    QCOMPARE(aiRecordFor(result, Backend::codex, 5, fixedNow()).compiled, std::optional<bool>(false));
  }

  void sections_data() {
    QTest::addColumn<int>("index");
    const std::vector<CaseRow> cases = recordCases();
    for (std::size_t index = 0; index < cases.size(); ++index) {
      QTest::newRow(cases[index].name) << static_cast<int>(index);
    }
  }
  void sections() {
    QFETCH(int, index);
    AppFixture fixture;
    const CaseRow expected = recordCases()[static_cast<std::size_t>(index)];
    const ProjectRecord record = expected.record();
    const DetailPage page(fixture, record);
    const bool exists = QString::fromUtf8(expected.name) != QLatin1String("output missing");

    QCOMPARE(page.text("projectName"), "Wetter");
    QCOMPARE(page.text("outputPath"), record.outputPath);
    QCOMPARE(page.content().findChild<QLabel*>("headerSymbol")->property("symbol").toString(), expected.symbol);
    QCOMPARE(page.shown("missingOutput"), !exists);
    QCOMPARE(page.tile("filesTile"), "12 / Swift-Dateien");
    QCOMPARE(page.tile("linesTile"), "12.345 / Zeilen");
    QCOMPARE(page.tile("coverageTile"), expected.coverage);
    QCOMPARE(page.tile("openTile"), QString::fromUtf8(expected.open) + " / Stellen offen");
    QCOMPARE(page.tile("assetsTile"), "12 / Assets übernommen");
    for (const char* action : {"openInStudioButton", "revealButton", "reportButton", "convertAgainButton"}) {
      QCOMPARE(page.button(action)->isEnabled(), exists);
    }
    QCOMPARE(page.shown("lastRepairCard"), record.ai.has_value());
    if (record.ai) {
      QCOMPARE(page.text("lastRepairDate"), abbreviatedDateTime(record.ai->date));
      QCOMPARE(page.text("lastRepairBackend"), "Claude-Abo (Claude Code)");
    }
    QCOMPARE(page.text("lastRepairSolved"), expected.solved);
    QCOMPARE(page.text("lastRepairCompiled"), expected.compiled);
    QCOMPARE(page.text("lastRepairCost"), expected.cost);
    QCOMPARE(page.view->repairCard() != nullptr, expected.repairCard);
    if (expected.repairCard) {
      QCOMPARE(page.view->repairCard()->placeholders(), QString::fromUtf8(expected.open).toInt());
      QVERIFY(page.shown("aiRepairCard"));
    }
    QCOMPARE(page.view->deviceCard() != nullptr, exists);
    QCOMPARE(page.shown("deviceTestCard"), exists);
    QVERIFY(page.content().findChild<WarningsSection*>() != nullptr);
    page.snap("detail-" + QString::fromUtf8(expected.name).replace(' ', '-'));
  }

  // Trips as it was measured: 4 places counted, 2 placeholders in the files.
  // A repair that changed no file solves nothing and raises no coverage;
  // every figure counts placeholders. A record from before they were
  // counted keeps its figures.
  void aiFiguresCountPlaceholders() {
    AppFixture fixture;
    fixture.engine.ladderTiers = {ModelTier::ladder(AIProvider::gemini).front()};
    AIRepairResult unchanged;
    unchanged.remainingPlaceholders = 2;
    unchanged.compiled = false;
    fixture.engine.repairs.push_back({{}, unchanged});
    ProjectRecord trips = wetter(std::nullopt);
    trips.coverage = 0.96;
    trips.placeholders = 2;
    DetailPage page(fixture, trips);
    page.view->show();
    QCOMPARE(page.tile("openTile"), "2 / Stellen offen");
    QCOMPARE(page.tile("coverageTile"), "96 % / automatisch übersetzt");
    QCOMPARE(page.view->repairCard()->title(), "Restliche 2 Stellen mit KI lösen");

    fixture.services().jobs.repair(trips.outputPath.toStdString(), trips.name).setBackend(Backend::api);
    page.button("startRepairButton")->click();
    QTRY_VERIFY(fixture.services().store.project(trips.id)->ai.has_value());
    QCOMPARE(fixture.services().store.project(trips.id)->ai->fixed, 0);
    QCOMPARE(page.text("lastRepairSolved"), "0 Stellen");
    QCOMPARE(page.tile("coverageTile"), "96 % / inkl. KI");
    QCOMPARE(page.tile("openTile"), "2 / Stellen offen");
    page.snap(QStringLiteral("detail-repair-that-changed-no-file"));

    // The same outcome in a history written before placeholders were counted.
    ProjectRecord older = *fixture.services().store.project(trips.id);
    older.placeholders.reset();
    const DetailPage before(fixture, older);
    QCOMPARE(before.text("lastRepairSolved"), "2 Stellen");
    QCOMPARE(before.tile("coverageTile"), "98 % / inkl. KI");
  }

  // The actions reach the platform, the launcher and the window's selection.
  void actions() {
    AppFixture fixture;
    const ProjectRecord record = wetter(std::nullopt);
    DetailPage page(fixture, record);
    page.button("openInStudioButton")->click();
    page.button("revealButton")->click();
    QCOMPARE(fixture.platform.calls.filter(QRegularExpression("^(studio|reveal)")),
             (QStringList{"studio " + record.outputPath, "reveal " + record.outputPath}));
    page.button("reportButton")->click();
    QCOMPARE(fixture.launcher.calls.last(),
             "open " + QUrl::fromLocalFile(record.outputPath + "/TOVRANE_BERICHT.md").toString());
    QCOMPARE(page.button("revealButton")->text(), platformText(QStringLiteral("Im Finder zeigen")));
    page.button("convertAgainButton")->click();
    QCOMPARE(page.navigation.page(), Page::convert());
  }

  // Tab goes through the action row, then the cards' controls and the
  // warnings in reading order, also after the repair card changed its view.
  void focusFollowsReadingOrder() {
    AppFixture fixture;
    Holds holds;
    holdTheNextRepair(fixture, holds);
    const ProjectRecord record = wetter(std::nullopt);
    DetailPage page(fixture, record);
    fixture.services().jobs.repair(record.outputPath.toStdString(), record.name).setBackend(Backend::codex);
    page.view->show();
    const QStringList actions{"openInStudioButton", "revealButton", "reportButton", "convertAgainButton"};
    const QStringList last{"reloadDevicesButton", "chip Alle", "chip Modifier"};
    QCOMPARE(focusChain(page.view.get()), actions + QStringList{"backendPicker"} + last);

    fixture.services().jobs.repair(record.outputPath.toStdString(), record.name).setBackend(Backend::api);
    const QStringList setup{"backendPicker",    "useLocalModel",    "geminiKeyField",   "anthropicKeyField",
                            "openAIKeyField",   "preferred_gemini", "preferred_claude", "preferred_openAI",
                            "preferred_local",  "preferred_claudeCode", "startRepairButton"};
    QCOMPARE(focusChain(page.view.get()), actions + setup + last);
    page.content().findChild<QPushButton*>("startRepairButton")->click();
    QCOMPARE(focusChain(page.view.get()), actions + QStringList{"cancelRepairButton"} + last);
    QCOMPARE(unnamedInteractiveWidgets(page.view.get()), QStringList{});
  }

  // The header's symbol stands centred on the title's capitals, whatever the
  // font's line box (the math font's is far taller than its letters).
  void headerSymbolCentredOnTheTitle_data() {
    QTest::addColumn<QString>("family");
    QTest::newRow("application font") << QString();
    QTest::newRow("tall line box") << QStringLiteral("DejaVu Math TeX Gyre");
  }
  void headerSymbolCentredOnTheTitle() {
    QFETCH(QString, family);
    const QFont before = QApplication::font();
    if (!family.isEmpty()) {
      QFont other = before;
      other.setFamilies({family});
      QApplication::setFont(other);
    }
    const auto restore = qScopeGuard([&before] { QApplication::setFont(before); });
    AppFixture fixture;
    for (const std::optional<AI>& ai : {std::optional<AI>(), std::optional<AI>(repair(0, true, 0, 0))}) {
      DetailPage page(fixture, wetter(ai));
      page.snap(QStringLiteral("detail-header-") + (family.isEmpty() ? "app-font" : "tall-line-box") +
                (ai ? "-compiled" : ""));
      const auto* symbol = page.content().findChild<QLabel*>("headerSymbol");
      const auto* name = page.content().findChild<QLabel*>("projectName");
      // The rows painted in the symbol's column, and in the name's first letter "W" (no descender).
      const QImage shot = page.content().grab().toImage();
      const auto paintedRows = [&shot](QRect area, const QColor& colour) {
        int top = shot.height(), bottom = -1;
        for (int y = area.top(); y <= area.bottom(); ++y) {
          for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = shot.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green()) +
                    std::abs(pixel.blue() - colour.blue()) < 60) {
              top = std::min(top, y);
              bottom = std::max(bottom, y);
            }
          }
        }
        return (top + bottom) / 2.0;
      };
      const QRect symbolArea(symbol->mapTo(&page.content(), QPoint()), symbol->size());
      const QPoint nameAt = name->mapTo(&page.content(), QPoint());
      const QRect firstLetter(nameAt, QSize(QFontMetrics(name->font()).horizontalAdvance(QLatin1Char('W')),
                                            QFontMetrics(name->font()).height()));
      const double symbolCentre = paintedRows(symbolArea.adjusted(0, -8, 0, 8), Brand::droidDeep());
      const double capitalsCentre = paintedRows(firstLetter, Brand::ink());
      QVERIFY2(std::abs(symbolCentre - capitalsCentre) <= 1,
               qPrintable(QStringLiteral("symbol %1, capitals %2").arg(symbolCentre).arg(capitalsCentre)));
    }
  }

  // Starting a repair from the keyboard leaves the focus in the card, on
  // its "Abbrechen", and the card's header in view: the next Space or Return
  // reaches nothing outside the card.
  void startingKeepsTheFocusInTheCard() {
    AppFixture fixture;
    Holds holds;
    holdTheNextRepair(fixture, holds);
    const ProjectRecord record = wetter(std::nullopt);
    DetailPage page(fixture, record);
    fixture.services().jobs.repair(record.outputPath.toStdString(), record.name).setBackend(Backend::api);
    // As low as the page of the smallest window.
    page.view->resize(760, 560);
    page.view->show();
    page.view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(page.view.get(), test::patienceMs));
    QPushButton* start = page.button("startRepairButton");
    start->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), start);
    // As Tab scrolls to it: the start button at the bottom of the view, the card's header above it.
    QTRY_VERIFY(page.view->verticalScrollBar()->maximum() > 0);
    page.view->ensureWidgetVisible(start, 0, 0);
    QTest::keyClick(start, Qt::Key_Space);
    QTRY_VERIFY(page.shown("repairRunning"));
    QTRY_COMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cancelRepairButton"));
    QVERIFY(page.view->repairCard()->isAncestorOf(QApplication::focusWidget()));
    const auto inView = [&page](const char* name) {
      const QWidget* widget = page.content().findChild<QWidget*>(QString::fromUtf8(name));
      const QRect placed(widget->mapTo(page.view->viewport(), QPoint()), widget->size());
      return page.view->viewport()->rect().contains(placed);
    };
    QTRY_VERIFY(inView("repairTitle"));
    QVERIFY(inView("cancelRepairButton"));
    capture(page.view.get(), QStringLiteral("detail-repair-started"));
  }

  // The folder deleted while the page is shown: at the next redraw (a store
  // change, the window's activation, the page shown again) the notice shows,
  // the actions are off and the cards go.
  void outputDeletedWhileShown_data() {
    QTest::addColumn<QString>("redraw");
    QTest::newRow("store change") << "store";
    QTest::newRow("window activation") << "activation";
    QTest::newRow("shown again") << "show";
  }
  void outputDeletedWhileShown() {
    QFETCH(QString, redraw);
    AppFixture fixture;
    const ProjectRecord record = wetter(std::nullopt);
    DetailPage page(fixture, record);
    page.view->show();
    QVERIFY(page.view->repairCard() != nullptr);
    QDir(record.outputPath).removeRecursively();
    QVERIFY(!page.shown("missingOutput"));
    if (redraw == "store") {
      // Another project joins the history.
      fixture.services().store.setProjects(
          {record, historyRecord(QStringLiteral("Notizen"), temporaryHome() + QStringLiteral("/Notizen-Android"))});
    } else if (redraw == "activation") {
      QEvent activate(QEvent::WindowActivate);
      QCoreApplication::sendEvent(page.view->window(), &activate);
    } else {
      page.view->hide();
      page.view->show();
    }
    QVERIFY(page.shown("missingOutput"));
    QVERIFY(!page.button("reportButton")->isEnabled());
    QCOMPARE(page.view->repairCard(), nullptr);
    QCOMPARE(page.view->deviceCard(), nullptr);
    QVERIFY(!page.shown("aiRepairCard"));
    QVERIFY(!page.shown("deviceTestCard"));
  }

  // A repair that ends compiled with nothing left is stored, and the card is
  // gone before the next turn of the event loop: its done view is never seen.
  void finishedRepairIsStored() {
    AppFixture fixture;
    fixture.engine.ladderTiers = {ModelTier::ladder(AIProvider::gemini).front()};
    AIRepairResult result;
    result.compiled = true;
    result.costUSD = 0.5;
    fixture.engine.repairs.push_back({{}, result});
    const ProjectRecord record = wetter(std::nullopt);
    DetailPage page(fixture, record);
    page.view->show();
    AIRepairModel& model = fixture.services().jobs.repair(record.outputPath.toStdString(), record.name);
    model.setBackend(Backend::api);
    QStringList seenAfterDone;
    QObject::connect(
        &model, &AIRepairModel::phaseChanged, page.view.get(),
        [&] {
          if (std::holds_alternative<repair_phase::Done>(model.phase())) {
            seenAfterDone << (page.view->repairCard() == nullptr ? "no card" : "card");
          }
        },
        Qt::QueuedConnection);
    page.content().findChild<QPushButton*>("startRepairButton")->click();
    QTRY_COMPARE(seenAfterDone, QStringList{"no card"});
    const std::optional<ProjectRecord> stored = fixture.services().store.project(record.id);
    QVERIFY(stored->ai.has_value());
    QCOMPARE(stored->ai->backend, "Modell-Leiter (Lokal · Gemini · Claude · OpenAI)");
    QCOMPARE(stored->ai->fixed, 4);
    QCOMPARE(stored->ai->date, fixedNow());
    QCOMPARE(page.content().findChild<QLabel*>("headerSymbol")->property("symbol").toString(), "checkmark.seal.fill");
    QCOMPARE(page.tile("coverageTile"), "100 % / inkl. KI");
    QCOMPARE(page.text("lastRepairCompiled"), "ja");
    QVERIFY(!page.shown("aiRepairCard"));
  }

  // The page (and its window) gone while the repair runs: the outcome is
  // still stored; a record removed meanwhile gets nothing and stays removed.
  void repairOutlivesThePage_data() {
    QTest::addColumn<bool>("recordRemoved");
    QTest::newRow("record kept") << false;
    QTest::newRow("record removed") << true;
  }
  void repairOutlivesThePage() {
    QFETCH(bool, recordRemoved);
    AppFixture fixture;
    Holds holds;
    const std::shared_ptr<Hold> hold = holds.make();
    AIRepairResult result;
    result.remainingPlaceholders = 1;
    result.compiled = false;
    result.remainingErrors = 2;
    fixture.engine.repairs.push_back({{{milliseconds(0), repair_event::Progress{1, 4}, hold}}, result});
    fixture.engine.ladderTiers = {ModelTier::ladder(AIProvider::gemini).front()};
    const ProjectRecord record = wetter(std::nullopt);
    auto page = std::make_unique<DetailPage>(fixture, record);
    page->view->show();
    AIRepairModel& model = fixture.services().jobs.repair(record.outputPath.toStdString(), record.name);
    model.setBackend(Backend::api);
    page->content().findChild<QPushButton*>("startRepairButton")->click();
    QTRY_VERIFY(hold->reached());
    page.reset();
    if (recordRemoved) {
      fixture.services().store.remove(record.id);
    }
    hold->release();
    QTRY_VERIFY(std::holds_alternative<repair_phase::Done>(model.phase()));
    if (recordRemoved) {
      QVERIFY(fixture.services().store.projects().empty());
      return;
    }
    const AI stored = *fixture.services().store.project(record.id)->ai;
    QCOMPARE(stored.remaining, 1);
    QCOMPARE(stored.fixed, 3);
    QCOMPARE(stored.compiled, std::optional<bool>(false));
    QCOMPARE(stored.remainingErrors, 2);
  }
};

TOVRANE_APP_TEST(ProjectDetailViewTest)
#include "ProjectDetailViewTest.moc"
