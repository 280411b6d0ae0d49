#include "app/state/Workers.hpp"
#include "tests/app/AppTest.hpp"

#include <QtTest>

#include <condition_variable>
#include <mutex>

using namespace tovrane::app;

class WorkersTest : public QObject {
  Q_OBJECT

 private slots:
  // The entry's wait on quitting: it ends when the last call returns, or at its deadline.
  void countsRunningCallsAndWaitsForThem() {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    const auto blocked = [&] {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return open; });
    };
    Workers workers;
    workers.run(blocked);
    workers.run(blocked);
    QCOMPARE(workers.running(), 2);
    QVERIFY(!workers.waitForAll(std::chrono::milliseconds(10)));
    {
      const std::lock_guard lock(mutex);
      open = true;
    }
    changed.notify_all();
    QVERIFY(workers.waitForAll(test::patience));
    QCOMPARE(workers.running(), 0);
  }
};

TOVRANE_APP_TEST(WorkersTest)
#include "WorkersTest.moc"
