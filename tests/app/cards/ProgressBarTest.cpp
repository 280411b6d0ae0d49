#include "app/cards/ProgressBar.hpp"
#include "app/state/Brand.hpp"
#include "app/window/Look.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/Fakes.hpp"

#include <QFormLayout>
#include <QLabel>
#include <QPropertyAnimation>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace tovrane::app;

namespace {
// Counts the paints a widget receives.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    paints += event->type() == QEvent::Paint ? 1 : 0;
    return false;
  }
};

// Waits for the moment at which the band's left edge is at about 0.55 of the
// width, so that a picture of an active bar shows it.
bool bandInView() {
  const qint64 phase = QDateTime::currentMSecsSinceEpoch() % 1800;
  return phase >= 1150 && phase < 1230;
}
}  // namespace

class ProgressBarTest : public QObject {
  Q_OBJECT

 private slots:
  void fillWidth_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("track");
    QTest::addColumn<double>("expected");
    QTest::newRow("empty shows a stub") << 0.0 << 400.0 << 12.0;
    QTest::newRow("below the stub") << 0.01 << 400.0 << 12.0;
    QTest::newRow("half") << 0.5 << 400.0 << 200.0;
    QTest::newRow("full") << 1.0 << 400.0 << 400.0;
    QTest::newRow("above one") << 1.5 << 400.0 << 400.0;
    QTest::newRow("negative") << -0.2 << 400.0 << 12.0;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 400.0 << 12.0;
    QTest::newRow("track narrower than the stub") << 0.5 << 8.0 << 8.0;
  }
  void fillWidth() {
    QFETCH(double, value);
    QFETCH(double, track);
    QFETCH(double, expected);
    QCOMPARE(ProgressBar::fillWidth(value, track), expected);
  }

  void highlightSweepsOnceEvery1_8Seconds_data() {
    QTest::addColumn<double>("seconds");
    QTest::addColumn<double>("offset");
    QTest::newRow("start: wholly before the bar") << 0.0 << -30.0;
    QTest::newRow("half way") << 0.9 << 35.0;
    QTest::newRow("three quarters") << 1.35 << 67.5;
    QTest::newRow("just before the end") << 1.7999999 << 100.0;
    QTest::newRow("next sweep") << 1.8 << -30.0;
    QTest::newRow("long after the reference date") << 1800000000.9 << 35.0;
  }
  void highlightSweepsOnceEvery1_8Seconds() {
    QFETCH(double, seconds);
    QFETCH(double, offset);
    QVERIFY2(std::abs(ProgressBar::highlightOffset(seconds, 100) - offset) < 1e-3,
             qPrintable(QString::number(ProgressBar::highlightOffset(seconds, 100))));
  }

  // The frame timer runs only while the bar is shown, active and motion is
  // allowed, and follows the Reduce Motion setting as it changes.
  void highlightMovesOnlyWhenShownActiveAndMotionAllowed() {
    test::FakePlatform platform;
    QWidget window;
    auto* bar = new ProgressBar(platform, &window);
    bar->resize(300, 12);
    PaintCounter counter;
    bar->installEventFilter(&counter);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, test::patienceMs));
    QVERIFY(!bar->sweeping());

    bar->setActive(true);
    QVERIFY(bar->sweeping());
    const int before = counter.paints;
    QTRY_VERIFY(counter.paints >= before + 3);
    platform.setReducedMotion(true);
    QVERIFY(!bar->sweeping());
    platform.setReducedMotion(false);
    QVERIFY(bar->sweeping());
    window.hide();
    QVERIFY(!bar->sweeping());
    window.show();
    QVERIFY(bar->sweeping());
    bar->setActive(false);
    QVERIFY(!bar->sweeping());

    // A bar made while the user asks for less motion stays still when active.
    platform.setReducedMotion(true);
    auto* still = new ProgressBar(platform, &window);
    still->setActive(true);
    still->show();
    QVERIFY(!still->sweeping());
    platform.setReducedMotion(false);
    QVERIFY(still->sweeping());
  }

  // Half full: the fill ends in the middle, the track goes on; full: no track shows.
  void fillIsPaintedToItsWidth() {
    test::FakePlatform platform;
    ProgressBar bar(platform);
    bar.resize(400, 12);
    bar.setTint(Brand::droid());
    bar.setValue(0.5);
    QImage half = bar.grab().toImage();
    QCOMPARE(half.pixelColor(210, 6), half.pixelColor(390, 6));
    QVERIFY(half.pixelColor(190, 6) != half.pixelColor(210, 6));
    // Animated through the app's switch, which is off here: the value lands at once.
    auto* fill = new QPropertyAnimation(&bar, "value");
    fill->setEndValue(1.0);
    fill->setDuration(600);
    startAnimation(fill, QAbstractAnimation::DeleteWhenStopped);
    QCOMPARE(bar.value(), 1.0);
    QImage full = bar.grab().toImage();
    QVERIFY(full.pixelColor(390, 6) != half.pixelColor(390, 6));
  }

  void captures() {
    test::FakePlatform platform;
    QWidget sheet;
    sheet.setAutoFillBackground(true);
    auto* form = new QFormLayout(&sheet);
    form->setContentsMargins(28, 28, 28, 28);
    form->setVerticalSpacing(14);
    for (bool active : {false, true}) {
      for (double value : {0.0, 0.5, 1.0}) {
        auto* bar = new ProgressBar(platform, &sheet);
        bar->setValue(value);
        bar->setActive(active);
        bar->setMinimumWidth(420);
        const QString caption = QStringLiteral("%1 %2").arg(value).arg(active ? QStringLiteral("aktiv") : QString());
        form->addRow(new QLabel(caption, &sheet), bar);
      }
    }
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet, test::patienceMs));
    QTRY_VERIFY(bandInView());
    test::capture(&sheet, QStringLiteral("progress-bar"));
  }
};

TOVRANE_APP_TEST(ProgressBarTest)
#include "ProgressBarTest.moc"
