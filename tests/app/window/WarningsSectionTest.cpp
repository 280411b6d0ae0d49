#include "app/window/WarningsSection.hpp"
#include "tests/app/AppTest.hpp"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QListView>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtTest>

using namespace tovrane::app;

namespace {
ConversionWarning warning(std::string message, std::string file = "ContentView.swift",
                          std::string source = "Text(\"Hallo\")") {
  return {std::move(file), std::move(message), std::move(source)};
}

std::vector<ConversionWarning> repeated(const std::string& message, int count) {
  std::vector<ConversionWarning> result;
  for (int i = 0; i < count; ++i) {
    result.push_back(warning(message + " " + std::to_string(i)));
  }
  return result;
}

QListView* listOf(WarningsSection& section) { return section.findChild<QListView*>(QStringLiteral("warningList")); }

QStringList messages(const QAbstractItemModel& model) {
  QStringList result;
  for (int row = 0; row < model.rowCount(); ++row) {
    result.append(model.index(row, 0).data().toString());
  }
  return result;
}

QStringList chipTexts(WarningsSection& section, bool onlyChecked = false) {
  QStringList result;
  for (QAbstractButton* chip : section.findChildren<QAbstractButton*>()) {
    if (!onlyChecked || chip->isChecked()) {
      result.append(chip->text());
    }
  }
  return result;
}

// What a converted project typically reports, with one long message and one long source.
std::vector<ConversionWarning> typicalWarnings() {
  return {
      warning("Modifier .symbolEffect wird nicht übersetzt", "Views/StartView.swift",
              ".symbolEffect(.bounce, value: tapped)"),
      warning("Unbekannter View 'ShareLink' (Platzhalter eingefügt)", "Views/DetailView.swift",
              "ShareLink(item: url)"),
      warning("Unbekannte Funktion 'withAnimation'", "Model/Store.swift",
              "withAnimation(.spring) { items.append(item) }"),
      warning("@Environment(\\.modelContext) wird noch nicht unterstützt", "Views/ListView.swift",
              "@Environment(\\.modelContext) private var context"),
      warning("Unbekannter impliziter Member .insetGrouped", "Views/ListView.swift", ".listStyle(.insetGrouped)"),
      warning("Nicht unterstützter Ausdruck", "Model/Parser.swift",
              "let pattern = /(?<year>\\d{4})-(?<month>\\d{2})-(?<day>\\d{2})T(?<hour>\\d{2}):(?<minute>\\d{2})/\n"
              "    .ignoresCase()\n    .anchorsMatchLineEndings()"),
      warning("Unbekannter View-Ausdruck: Ein sehr langer Hinweis, der über mehrere Zeilen umbricht, weil er die "
              "ganze Breite der Karte braucht und noch mehr, damit man sieht, wie der Text weiterläuft",
              "Views/Charts/ChartView.swift", "Chart(data) { BarMark(x: .value(\"Tag\", $0.day)) }"),
      warning("Unbekannter Bezeichner 'UIApplication'", "App/AppDelegate.swift", "UIApplication.shared.open(url)"),
      warning("Modifier .toolbarBackground wird nicht übersetzt", "Views/StartView.swift",
              ".toolbarBackground(.visible)"),
  };
}
}  // namespace

class WarningsSectionTest : public QObject {
  Q_OBJECT

 private slots:
  void classifier_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("category");
    const auto row = [](const char* message, const char* category) {
      QTest::newRow(message) << QString::fromUtf8(message) << QString::fromUtf8(category);
    };
    row("Modifier .onHover mit View und Funktion", "Modifier");
    row("Unbekannter View 'Gauge'", "Views");
    row("Unbekannter View-Ausdruck", "Views");
    row("TabView wird noch nicht unterstützt (Platzhalter eingefügt)", "Views");
    row("Canvas wird noch nicht unterstützt (Platzhalter eingefügt)", "Views");
    row("Unbekannte Funktion 'withAnimation'", "Unbekannte APIs");
    row("Unbekannter Bezeichner 'UIApplication'", "Unbekannte APIs");
    row("SwiftData-Modell wird nicht übersetzt", "Apple-Frameworks");
    row("@Environment(\\.dismiss) wird nicht übersetzt", "Apple-Frameworks");
    row("@Query ohne Gegenstück", "Apple-Frameworks");
    row("Unbekannter impliziter Member .insetGrouped", "Implizite Werte");
    row("Unbekannter impliziter Aufruf .init(x:)", "Implizite Werte");
    row("Nicht unterstützter Ausdruck", "Sonstiges");
    row("view und modifier nur klein geschrieben", "Sonstiges");
    row("modifier .padding", "Sonstiges");
    row("Ein Modifier nicht am Anfang", "Sonstiges");
    row("Ein Modifier ruft eine Funktion", "Unbekannte APIs");
    row("Member einer View", "Views");
    row("@Environment in einer View", "Views");
    row("", "Sonstiges");
  }
  void classifier() {
    QFETCH(QString, message);
    QFETCH(QString, category);
    QCOMPARE(WarningsSection::category(message.toStdString()), category);
  }

  // Largest first; equal counts in the classifier's order, whatever order the warnings came in.
  void categoriesAreCountedAndOrdered() {
    std::vector<ConversionWarning> warnings = repeated("Nicht unterstützter Ausdruck", 3);
    for (const auto& batch : {repeated("Modifier .a", 3), repeated("Unbekannter View", 5)}) {
      warnings.insert(warnings.end(), batch.begin(), batch.end());
    }
    using Count = WarningsSection::CategoryCount;
    const std::vector<Count> expected{{"Views", 5}, {"Modifier", 3}, {"Sonstiges", 3}};
    QVERIFY(WarningsSection::categories(warnings) == expected);
    QVERIFY(WarningsSection::categories({}).empty());

    WarningsSection section(warnings);
    QCOMPARE(chipTexts(section), (QStringList{"Alle 11", "Views 5", "Modifier 3", "Sonstiges 3"}));
  }

  // 350 warnings: all counted, 300 listed; a category lists all of its own in
  // stored order; the chips are reached with Tab and chosen with Space.
  void chipsFilterTheList() {
    std::vector<ConversionWarning> warnings;
    for (int i = 0; i < 350; ++i) {
      warnings.push_back(warning(i % 10 == 3 && i < 200 ? "Unbekannte Funktion 'f" + std::to_string(i) + "'"
                                                        : "Nicht unterstützter Ausdruck " + std::to_string(i)));
    }
    WarningsSection section(warnings);
    section.resize(640, 400);
    section.show();
    QVERIFY(QTest::qWaitForWindowExposed(&section, test::patienceMs));
    QAbstractItemModel& model = *listOf(section)->model();
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    QCOMPARE(chipTexts(section), (QStringList{"Alle 350", "Sonstiges 330", "Unbekannte APIs 20"}));
    QCOMPARE(chipTexts(section, true), QStringList{"Alle 350"});
    QCOMPARE(model.rowCount(), 300);
    QCOMPARE(model.index(299, 0).data().toString(), "Nicht unterstützter Ausdruck 299");
    QCOMPARE(test::focusChain(&section),
             (QStringList{"chip Alle", "chip Sonstiges", "chip Unbekannte APIs"}));
    QVERIFY(test::unnamedInteractiveWidgets(&section).isEmpty());

    QAbstractButton* all = section.findChild<QAbstractButton*>(QStringLiteral("chip Alle"));
    all->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), "chip Unbekannte APIs");
    for (int press = 0; press < 2; ++press) {
      // Choosing the chosen chip again changes nothing.
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
      QCOMPARE(section.filter(), std::optional<QString>("Unbekannte APIs"));
      QCOMPARE(chipTexts(section, true), QStringList{"Unbekannte APIs 20"});
      QCOMPARE(model.rowCount(), 20);
    }
    const QStringList chosen = messages(model);
    QCOMPARE(chosen.first(), "Unbekannte Funktion 'f3'");
    QCOMPARE(chosen.last(), "Unbekannte Funktion 'f193'");

    QTest::mouseClick(all, Qt::LeftButton);
    QCOMPARE(section.filter(), std::nullopt);
    QCOMPARE(model.rowCount(), 300);
    QCOMPARE(chipTexts(section, true), QStringList{"Alle 350"});
  }

  // On a scrolling page the list is as tall as its rows and never scrolls
  // itself; long messages wrap, long sources stay on one line.
  void rowsWrapTheMessageAndCutTheSource() {
    QScrollArea page;
    page.setWidgetResizable(true);
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(28, 28, 28, 28);
    auto* section = new WarningsSection(typicalWarnings());
    layout->addWidget(section);
    layout->addStretch();
    page.setWidget(column);
    page.resize(680, 420);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page, test::patienceMs));
    QListView* list = listOf(*section);
    QAbstractItemModel& model = *list->model();
    QTRY_VERIFY(list->visualRect(model.index(model.rowCount() - 1, 0)).bottom() < list->height());
    QCOMPARE(list->verticalScrollBar()->maximum(), 0);
    const int plain = list->visualRect(model.index(0, 0)).height();
    QCOMPARE(list->visualRect(model.index(5, 0)).height(), plain);
    QVERIFY(list->visualRect(model.index(6, 0)).height() > plain);
    QCOMPARE(model.index(5, 0).data(Qt::UserRole).toString(),
             "Model/Parser.swift · let pattern = /(?<year>\\d{4})-(?<month>\\d{2})-(?<day>\\d{2})T(?<hour>\\d{2}):"
             "(?<minute>\\d{2})/ .ignoresCase() .anchorsMatchLineEndings()");
    QVERIFY(page.verticalScrollBar()->maximum() > 0);
    test::capture(section, QStringLiteral("warnings-section"));

    const int unfiltered = section->height();
    section->findChild<QAbstractButton*>(QStringLiteral("chip Views"))->click();
    QCOMPARE(messages(model).size(), 2);
    // The section shrinks to its two rows.
    QTRY_VERIFY(section->height() < unfiltered - 100);
    QVERIFY(list->visualRect(model.index(1, 0)).bottom() < list->height());
    test::capture(section, QStringLiteral("warnings-section-filtered"));
  }

  // On a narrow page the chips of many categories go on in further lines,
  // each whole within the card, in their order; none hides beyond its edge.
  void chipsWrapWhereTheCardEnds() {
    WarningsSection section(typicalWarnings());
    test::showAtWidth(section, 520);
    QVERIFY(QTest::qWaitForWindowExposed(&section, test::patienceMs));
    const QList<QAbstractButton*> chips = section.findChildren<QAbstractButton*>();
    QCOMPARE(chips.size(), 7);
    int lines = 1;
    QPoint previous;
    for (const QAbstractButton* chip : chips) {
      QVERIFY2(chip->isVisibleTo(&section), qPrintable(chip->text()));
      const QRect placed(chip->mapTo(&section, QPoint()), chip->size());
      QVERIFY2(placed.left() >= 0 && placed.right() < section.width(), qPrintable(chip->text()));
      // The chip is drawn whole: no ancestor cuts it off.
      QCOMPARE(chip->visibleRegion().boundingRect(), chip->rect());
      if (chip != chips.first()) {
        QVERIFY(placed.top() > previous.y() || (placed.top() == previous.y() && placed.left() > previous.x()));
        lines += placed.top() > previous.y() ? 1 : 0;
      }
      previous = placed.topLeft();
    }
    QVERIFY(lines >= 2);
    // The list starts below the last line of chips.
    const QWidget* list = listOf(section);
    QVERIFY(list->mapTo(&section, QPoint()).y() > previous.y() + chips.last()->height());
    test::capture(&section, QStringLiteral("warnings-section-narrow"));
  }
};

TOVRANE_APP_TEST(WarningsSectionTest)
#include "WarningsSectionTest.moc"
