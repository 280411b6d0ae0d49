#include "app/window/CoverageChart.hpp"
#include "app/window/OverviewView.hpp"
#include "app/window/PageComponents.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/PageServices.hpp"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QLabel>
#include <QLegend>
#include <QPushButton>
#include <QStackedBarSeries>
#include <QtTest>

#include <limits>

using namespace tovrane::app;
using namespace tovrane::app::test;

namespace {

using AI = ProjectRecord::AIRecord;

AI repair(int remaining, std::optional<bool> compiled) {
  AI ai;
  ai.remaining = remaining;
  ai.compiled = compiled;
  return ai;
}

// A record with places left, so that a repair can raise its coverage.
ProjectRecord withPlaces(const QString& name, double coverage, std::optional<AI> ai = std::nullopt) {
  ProjectRecord made = record(name, coverage, 100, ai);
  made.unsupported = 4;
  return made;
}

// The page builds its blocks anew on every change; the old ones are hidden until they go.
template <typename Widget>
const Widget* shown(const QWidget& page, const QString& name) {
  for (const Widget* widget : page.findChildren<Widget*>(name)) {
    if (widget->isVisibleTo(&page)) {
      return widget;
    }
  }
  return nullptr;
}

QString tileValue(const QWidget& page, const QString& name) {
  const auto* tile = shown<StatTile>(page, name);
  return tile ? tile->value() : QStringLiteral("(none)");
}

QString shownLabelText(const QWidget& page, const QString& name) {
  const auto* label = shown<QLabel>(page, name);
  return label ? label->text() : QStringLiteral("(none)");
}

// "Stellen von KI gelöst", "Projekte, die kompilieren", "Kotlin-Dateien erzeugt".
QStringList aiTotals(const QWidget& page) {
  return {shownLabelText(page, "aiFixed"), shownLabelText(page, "compiledCount"), shownLabelText(page, "kotlinFiles")};
}

QStringList visibleTexts(const QWidget& page) {
  QStringList texts;
  for (const QLabel* label : page.findChildren<QLabel*>()) {
    if (label->isVisibleTo(&page) && !label->text().isEmpty()) {
      texts.append(label->text());
    }
  }
  return texts;
}

int rowCount(const QWidget& page) { return int(rowNames(page).size()); }

struct ChartSeen {
  QStringList categories;
  QList<qreal> rule;
  QList<qreal> ai;
};

ChartSeen chartOf(const QWidget& page) {
  ChartSeen seen;
  const auto* view = page.findChild<CoverageChart*>();
  if (!view) {
    return seen;
  }
  const QChart* chart = view->chart();
  const auto* series = qobject_cast<QStackedBarSeries*>(chart->series().value(0));
  auto* axis = qobject_cast<QBarCategoryAxis*>(chart->axes(Qt::Horizontal).value(0));
  if (!series || !axis || series->count() != 2) {
    return seen;
  }
  seen.categories = axis->categories();
  for (int i = 0; i < series->barSets()[0]->count(); ++i) {
    seen.rule.append(series->barSets()[0]->at(i));
    seen.ai.append(series->barSets()[1]->at(i));
  }
  return seen;
}

}  // namespace

class OverviewViewTest : public QObject {
  Q_OBJECT

 private slots:
  void greetsByTheLocalHour() {
    struct Case {
      QTime time;
      const char* greeting;
    };
    for (const Case& c : {Case{QTime(10, 59), "Guten Morgen"}, Case{QTime(11, 0), "Hallo"},
                          Case{QTime(17, 59), "Hallo"}, Case{QTime(18, 0), "Guten Abend"},
                          Case{QTime(0, 30), "Guten Morgen"}}) {
      PageServices services;
      // The clock answers in UTC, like the system clock; the greeting follows the local hour.
      services.clock.set(QDateTime(QDate(2026, 3, 14), c.time, Qt::LocalTime).toUTC());
      OverviewView page(*services.store, services.navigation, services.clock);
      QVERIFY2(visibleTexts(page).contains(QString::fromUtf8(c.greeting)), c.greeting);
    }
  }

  void emptyHistoryInvitesTheFirstConversion() {
    PageServices services;
    services.navigation.setPage(Page::overview());
    OverviewView page(*services.store, services.navigation, services.clock);
    page.resize(760, 900);
    page.show();
    QVERIFY(visibleTexts(page).contains(QStringLiteral("Starte mit deiner ersten Umwandlung.")));
    QCOMPARE((QStringList{tileValue(page, "projectsTile"), tileValue(page, "linesTile"),
                          tileValue(page, "coverageTile"), tileValue(page, "hoursTile")}),
             (QStringList{"0", "0", "0 %", "≈ 0 h"}));
    QCOMPARE(shownLabelText(page, "chartEmpty"), QStringLiteral("Noch keine Daten."));
    QVERIFY(!page.findChild<CoverageChart*>());
    QCOMPARE(aiTotals(page), (QStringList{"0", "0", "0"}));
    QVERIFY(visibleTexts(page).contains(QStringLiteral("Hier erscheinen deine Projekte.")));
    QCOMPARE(rowCount(page), 0);
    capturePage(&page, QStringLiteral("overview-empty"));
    QCOMPARE(focusChain(&page), QStringList{QStringLiteral("firstConversion")});
    QCOMPARE(unnamedInteractiveWidgets(&page), QStringList());

    auto* first = page.findChild<QPushButton*>(QStringLiteral("firstConversion"));
    QCOMPARE(first->text(), QStringLiteral("Erstes Projekt umwandeln"));
    first->click();
    QCOMPARE(services.navigation.page(), Page::convert());
  }

  void tilesAndTotals() {
    PageServices services;
    // 12 345 lines; coverage averaging 0.999; one compiled repair that solved 3 of 4 places.
    std::vector<ProjectRecord> history{record(QStringLiteral("A"), 0.999, 12000),
                                       record(QStringLiteral("B"), 0.999, 300),
                                       withPlaces(QStringLiteral("C"), 0.999, repair(1, true))};
    history[2].swiftLines = 45;
    // The effective coverage of a compiled repair with places left stays the conversion's raised share.
    services.store->setProjects(history);
    OverviewView page(*services.store, services.navigation, services.clock);
    QCOMPARE(tileValue(page, "projectsTile"), QStringLiteral("3"));
    QCOMPARE(tileValue(page, "linesTile"), QStringLiteral("12.345"));
    QCOMPARE(tileValue(page, "hoursTile"), QStringLiteral("≈ 308 h"));
    QCOMPARE(tileValue(page, "coverageTile"), QStringLiteral("99 %"));
    QCOMPARE(aiTotals(page), (QStringList{"3", "1", "12"}));
    QVERIFY(visibleTexts(page).contains(QStringLiteral("Das hast du bisher nach Android gebracht.")));

    // The page follows the store: a record added elsewhere shows at once.
    services.store->setProjects({record(QStringLiteral("Solo"), 1.0, 39)});
    QCOMPARE(tileValue(page, "projectsTile"), QStringLiteral("1"));
    QCOMPARE(tileValue(page, "hoursTile"), QStringLiteral("≈ 0 h"));
    QCOMPARE(tileValue(page, "coverageTile"), QStringLiteral("100 %"));
  }

  // "Stellen von KI gelöst" and the "KI" bar count placeholders in the files:
  // a repair that left the conversion's two adds nothing, whatever number of
  // places the conversion counted. Older records keep their figures.
  void aiFiguresCountPlaceholders() {
    PageServices services;
    const auto trips = [](const char* name, AI ai) {
      ProjectRecord made = withPlaces(QString::fromUtf8(name), 0.96, ai);
      made.placeholders = 2;
      return made;
    };
    services.store->setProjects({trips("Unverändert", repair(2, false)), trips("Gefüllt", repair(0, false)),
                                 withPlaces("Alt", 0.6, repair(2, false))});
    OverviewView page(*services.store, services.navigation, services.clock);
    // 0 + 2 + (4 − 2).
    QCOMPARE(aiTotals(page), (QStringList{"4", "0", "12"}));
    const ChartSeen seen = chartOf(page);
    QCOMPARE(seen.categories, (QStringList{"Alt", "Gefüllt", "Unverändert"}));
    const QList<qreal> ai{20, 2, 0};
    for (int i = 0; i < ai.size(); ++i) {
      QVERIFY2(qFuzzyCompare(1 + seen.ai[i], 1 + ai[i]), qPrintable(seen.categories[i]));
    }
  }

  void chartShowsTheNewestOfEachName() {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
      const char* name;
      std::vector<ProjectRecord> history;  // newest first
      QStringList categories;              // left to right
      QList<qreal> rule;
      QList<qreal> ai;
    };
    std::vector<ProjectRecord> eleven;
    QStringList newestEight;
    for (int i = 1; i <= 11; ++i) {
      eleven.push_back(record(QStringLiteral("P%1").arg(i), 0.5));
    }
    for (int i = 8; i >= 1; --i) {
      newestEight.append(QStringLiteral("P%1").arg(i));
    }
    const Case cases[] = {
        {"one project converted three times, another once",
         {record("Wetter", 0.9), record("Notizen", 0.4), record("Wetter", 0.3), record("Wetter", 0.2)},
         {"Notizen", "Wetter"},
         {40, 90},
         {0, 0}},
        {"names equal in canonical form, case counts",
         {record(QString::fromUtf8("Cafe\xcc\x81"), 0.7), record(QString::fromUtf8("Caf\xc3\xa9"), 0.1),
          record("café", 0.2)},
         {"café", QString::fromUtf8("Cafe\xcc\x81")},
         {20, 70},
         {0, 0}},
        {"eleven names: the eight newest, newest at the right", eleven, newestEight, QList<qreal>(8, 50),
         QList<qreal>(8, 0)},
        {"values clamped, not a number as 0",
         {record("Negativ", -0.2), record("Zuviel", 1.7), record("NaN", nan)},
         {"NaN", "Zuviel", "Negativ"},
         {0, 100, 0},
         {0, 0, 0}},
        {"AI share on top of the rule share",
         {withPlaces("Alles", 0.6, repair(0, true)), withPlaces("Halb", 0.6, repair(2, false)),
          withPlaces("Nichts", 0.6, repair(4, false)), withPlaces("Ohne", 0.6)},
         {"Ohne", "Nichts", "Halb", "Alles"},
         {60, 60, 60, 60},
         {0, 0, 20, 40}},
    };
    for (const Case& c : cases) {
      PageServices services;
      services.store->setProjects(c.history);
      OverviewView page(*services.store, services.navigation, services.clock);
      const ChartSeen seen = chartOf(page);
      QVERIFY2(seen.categories == c.categories, c.name);
      QCOMPARE(seen.rule.size(), c.rule.size());
      for (int i = 0; i < c.rule.size(); ++i) {
        QVERIFY2(qFuzzyCompare(1 + seen.rule[i], 1 + c.rule[i]), c.name);
        QVERIFY2(qFuzzyCompare(1 + seen.ai[i], 1 + c.ai[i]), c.name);
      }
    }
  }

  void chartScaleAndLegend() {
    PageServices services;
    services.store->setProjects({record("Klein", 0.1), withPlaces("Gross", 0.5, repair(0, true))});
    OverviewView page(*services.store, services.navigation, services.clock);
    const QChart* chart = page.findChild<CoverageChart*>()->chart();
    const auto* series = qobject_cast<QStackedBarSeries*>(chart->series().value(0));
    QVERIFY(series);
    QCOMPARE(series->barSets()[0]->label(), QStringLiteral("Regel"));
    QCOMPARE(series->barSets()[1]->label(), QStringLiteral("KI"));
    QVERIFY(!chart->legend()->isVisible());
    auto* percent = qobject_cast<QCategoryAxis*>(chart->axes(Qt::Vertical).value(0));
    QVERIFY(percent);
    // Fixed, whatever the data.
    QCOMPARE(percent->min(), 0.0);
    QCOMPARE(percent->max(), 100.0);
    QCOMPARE(percent->categoriesLabels(), (QStringList{"0 %", "50 %", "100 %"}));
    QCOMPARE(percent->labelsPosition(), QCategoryAxis::AxisLabelsPositionOnValue);
    for (const char* mark : {"0 %", "50 %", "100 %"}) {
      QCOMPARE(percent->endValue(QString::fromUtf8(mark)), QString::fromUtf8(mark).split(' ').first().toDouble());
    }
    const QWidget* legend = page.findChild<QWidget*>(QStringLiteral("chartLegend"));
    QVERIFY(legend);
    QCOMPARE(visibleTexts(*legend), (QStringList{"Regelbasiert", "Durch KI"}));
  }

  void recentProjects() {
    PageServices services;
    std::vector<ProjectRecord> history;
    for (int i = 1; i <= 7; ++i) {
      const std::optional<AI> ai = i % 2 ? std::optional(repair(0, true)) : std::nullopt;
      history.push_back(withPlaces(QStringLiteral("Projekt %1").arg(i), 0.1 * i, ai));
    }
    history[0].name = history[1].name;  // not de-duplicated here
    services.store->setProjects(history);
    OverviewView page(*services.store, services.navigation, services.clock);
    page.resize(760, 1000);
    page.show();
    QCOMPARE(rowCount(page), 5);
    QCOMPARE(visibleCount(page, QStringLiteral("divider")), 4);
    capturePage(&page, QStringLiteral("overview-full"));
    QCOMPARE(focusChain(&page), QStringList(5, QStringLiteral("projectRow")));
    QCOMPARE(unnamedInteractiveWidgets(&page), QStringList());
    qobject_cast<QAbstractButton*>(page.findChildren<QWidget*>(QStringLiteral("projectRow")).at(3))->click();
    QCOMPARE(services.navigation.page(), Page::project(history[3].id));

    services.store->setProjects({history[6]});
    QCOMPARE(rowCount(page), 1);
    QCOMPARE(visibleCount(page, QStringLiteral("divider")), 0);
  }
};

TOVRANE_APP_TEST(OverviewViewTest)
#include "OverviewViewTest.moc"
