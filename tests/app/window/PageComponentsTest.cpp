#include "app/state/Brand.hpp"
#include "app/state/ProjectRecord.hpp"
#include "app/window/Look.hpp"
#include "app/window/PageComponents.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/Fakes.hpp"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QFrame>
#include <QSignalSpy>
#include <QtTest>

#include <limits>

using namespace tovrane::app;

namespace {
QStringList labelTexts(const QWidget& widget) {
  QStringList texts;
  for (const QLabel* label : widget.findChildren<QLabel*>()) {
    if (!label->text().isEmpty()) {
      texts.append(label->text());
    }
  }
  return texts;
}

using AI = ProjectRecord::AIRecord;
using Status = ProjectRowContent::Status;

// "Wetter": 12 Swift files, converted two hours before the fake clock's now,
// 87 % covered with 4 untranslated places; each case changes a little of it.
ProjectRecord wetter(std::optional<AI> ai = std::nullopt, int unsupported = 4, double coverage = 0.87) {
  ProjectRecord record;
  record.name = QStringLiteral("Wetter");
  record.date = test::fixedNow().addSecs(-2 * 3600);
  record.swiftFiles = 12;
  record.coverage = coverage;
  record.unsupported = unsupported;
  record.ai = ai;
  return record;
}

AI repair(int remaining, std::optional<bool> compiled) {
  AI ai;
  ai.remaining = remaining;
  ai.compiled = compiled;
  return ai;
}

// Wetter whose 4 places left 2 placeholders in the files.
ProjectRecord withTwoPlaceholders(std::optional<AI> ai = std::nullopt) {
  ProjectRecord record = wetter(std::move(ai));
  record.placeholders = 2;
  return record;
}

struct RowCase {
  const char* name;
  ProjectRecord record;
  bool compiled;
  Status status;
  const char* statusText;
  const char* coverage;
};

const std::vector<RowCase>& rowCases() {
  static const std::vector<RowCase> cases = {
      {"no AI record", wetter(), false, Status::open, "4 offen", "87 %"},
      {"compiled, places left", wetter(repair(3, true)), true, Status::compiled, "kompiliert", "90 %"},
      {"compiled, nothing left", wetter(repair(0, true)), true, Status::compiled, "kompiliert", "100 %"},
      {"repair left 1", wetter(repair(1, false)), false, Status::open, "1 offen", "96 %"},
      {"repair left 0 without compiling", wetter(repair(0, false)), false, Status::open, "0 offen", "100 %"},
      {"repair left 0, no compile check", wetter(repair(0, std::nullopt)), false, Status::open, "0 offen", "100 %"},
      {"no places", wetter(std::nullopt, 0), false, Status::none, "", "87 %"},
      // Open places are placeholders in the files: the conversion's until a repair left its own.
      {"two of four places are placeholders", withTwoPlaceholders(), false, Status::open, "2 offen", "87 %"},
      {"a repair that changed no file", withTwoPlaceholders(repair(2, false)), false, Status::open, "2 offen",
       "87 %"},
      {"places without placeholders", [] {
         ProjectRecord record = wetter();
         record.placeholders = 0;
         return record;
       }(), false, Status::none, "", "87 %"},
      {"99.9 % is 99 %", wetter(std::nullopt, 0, 0.999), false, Status::none, "", "99 %"},
      {"full", wetter(std::nullopt, 0, 1.0), false, Status::none, "", "100 %"},
      {"not a number", wetter(std::nullopt, 0, std::numeric_limits<double>::quiet_NaN()), false, Status::none, "",
       "– %"},
      {"infinite", wetter(std::nullopt, 0, std::numeric_limits<double>::infinity()), false, Status::none, "", "– %"},
      {"beyond whole numbers", wetter(std::nullopt, 0, 1e30), false, Status::none, "", "– %"},
  };
  return cases;
}

// A sheet on the page background with the page's margin, for captures.
class Sheet : public QWidget {
 public:
  explicit Sheet(int width) {
    setAutoFillBackground(true);
    column = new QVBoxLayout(this);
    column->setContentsMargins(28, 28, 28, 28);
    column->setSpacing(18);
    setFixedWidth(width);
  }
  QVBoxLayout* column;
};
}  // namespace

class PageComponentsTest : public QObject {
  Q_OBJECT

 private slots:
  void logoGeometry_data() {
    QTest::addColumn<double>("width");
    QTest::addColumn<QRectF>("square");
    QTest::addColumn<double>("radius");
    QTest::addColumn<QRectF>("circle");
    QTest::newRow("40 wide") << 40.0 << QRectF(QPointF(2, 2), QPointF(24, 24)) << 7.0
                             << QRectF(QPointF(16, 16), QPointF(38, 38));
    QTest::newRow("sidebar, 24 wide") << 24.0 << QRectF(QPointF(1.2, 1.2), QPointF(14.4, 14.4)) << 4.2
                                      << QRectF(QPointF(9.6, 9.6), QPointF(22.8, 22.8));
  }
  void logoGeometry() {
    QFETCH(double, width);
    QFETCH(QRectF, square);
    QFETCH(double, radius);
    QFETCH(QRectF, circle);
    const LogoGeometry geometry = tovrane::app::logoGeometry(width);
    QCOMPARE(geometry.square, square);
    QCOMPARE(geometry.squareRadius, radius);
    QCOMPARE(geometry.circle, circle);
  }

  // Only the width scales the mark: painted into 40 × 60 the circle still ends at 38.
  void logoIsPaintedFromItsGeometry() {
    LogoMark logo;
    logo.resize(40, 60);
    const QImage picture = logo.grab().toImage();
    QCOMPARE(picture.pixelColor(5, 5).rgb(), Brand::swift().rgb());
    QCOMPARE(picture.pixelColor(27, 27).rgb(), Brand::droid().rgb());
    QCOMPARE(picture.pixelColor(20, 20).rgb(), Brand::droid().rgb());
    QVERIFY(picture.pixelColor(27, 39).rgb() != Brand::droid().rgb());
    QVERIFY(picture.pixelColor(33, 5).rgb() != Brand::swift().rgb());
  }

  void projectRowTexts_data() {
    QTest::addColumn<int>("index");
    for (std::size_t index = 0; index < rowCases().size(); ++index) {
      QTest::newRow(rowCases()[index].name) << static_cast<int>(index);
    }
  }
  void projectRowTexts() {
    QFETCH(int, index);
    const RowCase& expected = rowCases()[static_cast<std::size_t>(index)];
    const ProjectRowContent content = projectRowContent(expected.record, test::fixedNow());
    QCOMPARE(content.name, "Wetter");
    QCOMPARE(content.initial, "W");
    QCOMPARE(content.detail, "12 Dateien · vor 2 Stunden");
    QCOMPARE(content.compiled, expected.compiled);
    QCOMPARE(content.status, expected.status);
    QCOMPARE(content.statusText, QString::fromUtf8(expected.statusText));
    QCOMPARE(content.coverage, QString::fromUtf8(expected.coverage));
  }

  void projectRowInitials_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("initial");
    QTest::newRow("sharp s") << "ßpiel" << "SS";
    QTest::newRow("lower case") << "wetter" << "W";
    QTest::newRow("combining accent") << "e\u0301clair" << "E\u0301";
    QTest::newRow("emoji with skin tone") << "\U0001F44D\U0001F3FD Daumen" << "\U0001F44D\U0001F3FD";
    QTest::newRow("family emoji") << "\U0001F468\u200D\U0001F469\u200D\U0001F467 App"
                                  << "\U0001F468\u200D\U0001F469\u200D\U0001F467";
    QTest::newRow("flag") << "\U0001F1E9\U0001F1EA Berlin" << "\U0001F1E9\U0001F1EA";
    QTest::newRow("empty") << "" << "";
  }
  void projectRowInitials() {
    QFETCH(QString, name);
    QFETCH(QString, initial);
    ProjectRecord record = wetter();
    record.name = name;
    QCOMPARE(projectRowContent(record, test::fixedNow()).initial, initial);
  }

  // The whole row is one button: a click on its empty middle and Space both press it.
  void projectRowIsOneButton() {
    test::FakeClock clock;
    QWidget page;
    auto* layout = new QVBoxLayout(&page);
    auto* row = new ProjectRow(wetter(), clock);
    layout->addWidget(row);
    page.resize(600, 80);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page, test::patienceMs));
    QSignalSpy clicked(row, &QAbstractButton::clicked);
    QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(row->width() / 2, row->height() - 2));
    row->setFocus();
    QTest::keyClick(row, Qt::Key_Space);
    QCOMPARE(clicked.size(), 2);
    QCOMPARE(row->height(), 38);
    QCOMPARE(row->accessibleName(), "Wetter");
    QCOMPARE(row->accessibleDescription(), "12 Dateien · vor 2 Stunden, 4 offen, 87 %");
    QVERIFY(test::unnamedInteractiveWidgets(&page).isEmpty());
  }

  void projectRowCaptures() {
    test::FakeClock clock;
    std::vector<ProjectRecord> records = {wetter(repair(2, true)), wetter(), wetter(repair(1, false)),
                                          wetter(std::nullopt, 0, 0.999)};
    records[0].name = QStringLiteral("ßpiel & Spaß");
    records[0].date = test::fixedNow().addDays(-1);
    records[1].name = QStringLiteral("wetter");
    records[2].name =
        QStringLiteral("<b>Notizen</b> mit einem sehr langen Namen, der nicht in die Zeile passt und abgeschnitten wird");
    records[2].date = test::fixedNow().addDays(-40);
    records[3].name = QStringLiteral("\U0001F44D\U0001F3FD Daumen");
    records.push_back(wetter(std::nullopt, 0, std::numeric_limits<double>::quiet_NaN()));
    records.back().name = QStringLiteral("Kaputt");
    records.back().swiftFiles = 1;
    records.back().date = test::fixedNow().addSecs(-20);

    auto* rows = new QWidget;
    auto* column = new QVBoxLayout(rows);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    for (std::size_t at = 0; at < records.size(); ++at) {
      column->addWidget(new ProjectRow(records[at], clock));
      if (at + 1 < records.size()) {
        auto* divider = new QFrame;
        divider->setFrameShape(QFrame::HLine);
        divider->setStyleSheet(QStringLiteral("color: rgba(0, 0, 0, 20)"));
        column->addWidget(divider);
      }
    }
    Sheet sheet(700);
    sheet.column->addWidget(new Card(QStringLiteral("Zuletzt umgewandelt"), rows));
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet, test::patienceMs));
    test::capture(&sheet, QStringLiteral("project-rows"));
  }

  void headerTileAndCard() {
    Sheet sheet(640);
    auto* withSubtitle = new PageHeader(QStringLiteral("Projekte"), QStringLiteral("3 Umwandlungen"));
    auto* titleOnly = new PageHeader(QStringLiteral("Einstellungen"), std::nullopt);
    QCOMPARE(labelTexts(*withSubtitle), (QStringList{"Projekte", "3 Umwandlungen"}));
    QCOMPARE(labelTexts(*titleOnly), QStringList{"Einstellungen"});

    auto* tiles = new QWidget;
    auto* grid = new QGridLayout(tiles);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(14);
    auto* lines = new StatTile(QStringLiteral("12.345"), QStringLiteral("Zeilen Swift übersetzt"),
                               QStringLiteral("text.alignleft"), Brand::ink());
    grid->addWidget(lines, 0, 0);
    grid->addWidget(new StatTile(QStringLiteral("87 %"), QStringLiteral("Abdeckung"),
                                 QStringLiteral("gauge.with.dots.needle.67percent"), Brand::droidDeep()),
                    0, 1);
    grid->addWidget(new StatTile(QStringLiteral("4"), QStringLiteral("Swift-Dateien"), QStringLiteral("swift"),
                                 Brand::swift()),
                    0, 2);
    lines->setValue(QStringLiteral("12.400"));
    QCOMPARE(lines->value(), "12.400");

    auto* titled = new Card(QStringLiteral("KI-Reparatur"), new QLabel(QStringLiteral("Stellen von KI gelöst   7")));
    auto* untitled = new Card(std::nullopt, new QLabel(QStringLiteral("Noch keine Daten.")));
    QCOMPARE(labelTexts(*titled), (QStringList{"KI-Reparatur", "Stellen von KI gelöst   7"}));
    QCOMPARE(labelTexts(*untitled), QStringList{"Noch keine Daten."});

    for (QWidget* widget : std::initializer_list<QWidget*>{withSubtitle, titleOnly, tiles, titled, untitled}) {
      sheet.column->addWidget(widget);
    }
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet, test::patienceMs));
    // The panel's content sits 18 inside its edge; the card's content follows the title.
    const QWidget* cardContent = untitled->findChild<QLabel*>();
    QCOMPARE(cardContent->geometry().topLeft(), QPoint(18, 18));
    QVERIFY(titled->findChildren<QLabel*>().at(1)->y() > 18 + 12);
    test::capture(&sheet, QStringLiteral("page-components"));

    Sheet logos(320);
    auto* row = new QHBoxLayout;
    for (int size : {24, 120}) {
      auto* logo = new LogoMark;
      logo->setFixedSize(size, size);
      row->addWidget(logo, 0, Qt::AlignTop);
    }
    row->addStretch();
    logos.column->addLayout(row);
    logos.show();
    test::capture(&logos, QStringLiteral("logo-mark"));
  }
};

TOVRANE_APP_TEST(PageComponentsTest)
#include "PageComponentsTest.moc"
