#include "app/state/Brand.hpp"
#include "app/window/Look.hpp"
#include "app/window/PageComponents.hpp"
#include "tests/app/AppTest.hpp"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QtTest>

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
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));
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
