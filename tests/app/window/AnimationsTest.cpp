#include "app/window/Animations.hpp"
#include "tests/app/AppTest.hpp"

#include <QtTest>

#include <algorithm>

using namespace tovrane::app;

class AnimationsTest : public QObject {
  Q_OBJECT

 private slots:
  // Stepped by hand: a spring starts at its start value, swings past the end
  // when damped below 1, and its last value is exactly the end value.
  void springSwingsAndEndsExactly_data() {
    QTest::addColumn<double>("response");
    QTest::addColumn<double>("damping");
    QTest::addColumn<bool>("overshoots");
    QTest::newRow("page change") << 0.5 << 0.85 << true;
    QTest::newRow("drop") << 1.1 << 0.75 << true;
    QTest::newRow("critically damped") << 0.5 << 1.0 << false;
  }
  void springSwingsAndEndsExactly() {
    QFETCH(double, response);
    QFETCH(double, damping);
    QFETCH(bool, overshoots);
    SpringAnimation spring(response, damping);
    spring.setStartValue(10.0);
    spring.setEndValue(110.0);
    QVERIFY(spring.duration() > 0);
    spring.setCurrentTime(0);
    QCOMPARE(spring.currentValue().toDouble(), 10.0);
    double highest = 0;
    for (int t = 0; t < spring.duration(); t += 5) {
      spring.setCurrentTime(t);
      highest = std::max(highest, spring.currentValue().toDouble());
    }
    QCOMPARE(highest > 110.0, overshoots);
    QVERIFY(highest < 130.0);
    spring.setCurrentTime(spring.duration());
    QCOMPARE(spring.currentValue().toDouble(), 110.0);
  }

  // The second loop runs back: a pulse with no jump between loops.
  void reversingRunsBackOnOddLoops() {
    ReversingAnimation pulse;
    pulse.setStartValue(0.0);
    pulse.setEndValue(1.0);
    pulse.setDuration(100);
    pulse.setLoopCount(3);
    const struct {
      int time;
      double value;
    } samples[] = {{0, 0.0}, {25, 0.25}, {99, 0.99}, {125, 0.75}, {175, 0.25}, {225, 0.25}, {300, 1.0}};
    for (const auto& sample : samples) {
      pulse.setCurrentTime(sample.time);
      QVERIFY2(qAbs(pulse.currentValue().toDouble() - sample.value) < 1e-9, qPrintable(QString::number(sample.time)));
    }
  }
};

TOVRANE_APP_TEST(AnimationsTest)
#include "AnimationsTest.moc"
