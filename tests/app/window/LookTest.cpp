#include "app/state/Brand.hpp"
#include "app/window/Look.hpp"
#include "app/window/MainWindow.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/AppFixture.hpp"

#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QImage>
#include <QSignalSpy>
#include <QVariantAnimation>
#include <QtTest>

using namespace tovrane::app;

namespace {
QPalette darkPalette() {
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(30, 30, 30));
  dark.setColor(QPalette::WindowText, Qt::white);
  dark.setColor(QPalette::Base, QColor(20, 20, 20));
  dark.setColor(QPalette::Text, Qt::white);
  dark.setColor(QPalette::Button, QColor(45, 45, 45));
  dark.setColor(QPalette::ButtonText, Qt::white);
  return dark;
}

// The symbol names of app/resources/Icons.txt.
QStringList tableSymbols() {
  QFile table(QStringLiteral(TOVRANE_SOURCE_DIR "/app/resources/Icons.txt"));
  if (!table.open(QIODevice::ReadOnly | QIODevice::Text)) {
    return {};
  }
  QStringList symbols;
  for (const QByteArray& line : table.readAll().split('\n')) {
    if (!line.isEmpty() && !line.startsWith('#')) {
      symbols.append(QString::fromUtf8(line.split(' ').constFirst()));
    }
  }
  return symbols;
}
}  // namespace

class LookTest : public QObject {
  Q_OBJECT

 private slots:
  // A dark system scheme changes nothing: the window stays on paper with ink text.
  void windowStaysLightUnderADarkSystemPalette() {
    const QPalette before = QApplication::palette();
    QApplication::setPalette(darkPalette());
    applyLook(*qApp);
    test::AppFixture fixture;
    MainWindow& window = fixture.app->start();
    QVERIFY(QTest::qWaitForWindowExposed(&window, test::patienceMs));
    test::capture(&window, QStringLiteral("main-window-dark-system"));
    QCOMPARE(window.palette().color(QPalette::Window), Brand::paper());
    QCOMPARE(window.palette().color(QPalette::WindowText), Brand::ink());
    const QImage picture = window.grab().toImage();
    const QPoint inDetail = window.findChild<QWidget*>(QStringLiteral("detailArea"))->mapTo(&window, QPoint(12, 12));
    QCOMPARE(picture.pixelColor(inDetail).rgb(), Brand::paper().rgb());
    QVERIFY(window.minimumSize().width() >= 980 && window.minimumSize().height() >= 680);
    QApplication::setPalette(before);
  }

  void everyTableSymbolDrawsInItsTint() {
    const QStringList symbols = tableSymbols();
    QVERIFY(symbols.size() >= 40);
    for (const QString& symbol : symbols) {
      const QImage picture = iconPixmap(symbol, 32, Brand::swift(), 2.0).toImage();
      QVERIFY2(!picture.isNull(), qPrintable(symbol));
      QCOMPARE(picture.size(), QSize(64, 64));
      int inked = 0;
      for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
          const QColor pixel = picture.pixelColor(x, y);
          if (pixel.alpha() == 255) {
            ++inked;
            QCOMPARE(pixel.rgb(), Brand::swift().rgb());
          }
        }
      }
      QVERIFY2(inked > 20, qPrintable(symbol));
    }
    QVERIFY(iconPixmap(QStringLiteral("no.such.symbol"), 16, Brand::ink()).isNull());

    // One sheet of all icons with their symbol names, for people to check the table.
    QWidget sheet;
    auto* grid = new QGridLayout(&sheet);
    for (int i = 0; i < symbols.size(); ++i) {
      auto* picture = new QLabel(&sheet);
      picture->setPixmap(iconPixmap(symbols[i], 24, i % 2 ? Brand::droidDeep() : Brand::ink()));
      grid->addWidget(picture, i / 3, (i % 3) * 2);
      grid->addWidget(new QLabel(symbols[i], &sheet), i / 3, (i % 3) * 2 + 1);
    }
    sheet.show();
    test::capture(&sheet, QStringLiteral("icons"));
    QVERIFY(QFile::exists(QStringLiteral(":/icons/LICENSE-tabler-icons.txt")));
  }

  // The test main switches animations off; then every kind ends at once, at its end.
  void animationsJumpToTheirEndWhileSwitchedOff_data() {
    QTest::addColumn<int>("loops");
    QTest::addColumn<bool>("backward");
    QTest::addColumn<double>("end");
    QTest::newRow("once") << 1 << false << 1.0;
    QTest::newRow("backward") << 1 << true << 0.0;
    QTest::newRow("three times") << 3 << false << 1.0;
    QTest::newRow("forever") << -1 << false << 1.0;
  }
  void animationsJumpToTheirEndWhileSwitchedOff() {
    QFETCH(int, loops);
    QFETCH(bool, backward);
    QFETCH(double, end);
    QVERIFY(!animationsEnabled());
    QVariantAnimation animation;
    animation.setStartValue(0.0);
    animation.setEndValue(1.0);
    animation.setDuration(400);
    animation.setLoopCount(loops);
    animation.setDirection(backward ? QAbstractAnimation::Backward : QAbstractAnimation::Forward);
    QSignalSpy finished(&animation, &QAbstractAnimation::finished);
    startAnimation(&animation);
    QCOMPARE(animation.state(), QAbstractAnimation::Stopped);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(animation.currentValue().toDouble(), end);
  }

  void animationsRunWhileSwitchedOn() {
    setAnimationsEnabled(true);
    QVariantAnimation animation;
    animation.setStartValue(0.0);
    animation.setEndValue(1.0);
    animation.setDuration(50);
    QSignalSpy finished(&animation, &QAbstractAnimation::finished);
    startAnimation(&animation);
    const bool running = animation.state() == QAbstractAnimation::Running;
    const bool ended = finished.wait(test::patienceMs);
    setAnimationsEnabled(false);
    QVERIFY(running);
    QVERIFY(ended);
    QCOMPARE(animation.currentValue().toDouble(), 1.0);
  }
};

TOVRANE_APP_TEST(LookTest)
#include "LookTest.moc"
