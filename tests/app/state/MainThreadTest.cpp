#include "app/state/MainThread.hpp"
#include "tests/app/AppTest.hpp"

#include <QtTest>

#include <thread>
#include <vector>

using namespace tovrane::app;

namespace {
// A model stand-in: posts append to its own list, so a post that outlived
// its guard would write into freed memory (which ASan reports).
class Receiver : public QObject {
 public:
  std::vector<int> received;
};
}  // namespace

class MainThreadTest : public QObject {
  Q_OBJECT

 private slots:
  void postsFromAWorkerArriveInOrder() {
    Receiver receiver;
    QPointer<QObject> guard(&receiver);
    constexpr int count = 10000;
    std::thread worker([guard, &receiver] {
      for (int i = 0; i < count; ++i) {
        postToMain(guard, [&receiver, i] {
          QCOMPARE(QThread::currentThread(), QCoreApplication::instance()->thread());
          receiver.received.push_back(i);
        });
      }
    });
    worker.join();
    QTRY_COMPARE(receiver.received.size(), size_t(count));
    for (int i = 0; i < count; ++i) {
      QCOMPARE(receiver.received[size_t(i)], i);
    }
  }

  // Posts from two workers keep each worker's order.
  void postsOfEachWorkerStayInOrder() {
    Receiver receiver;
    QPointer<QObject> guard(&receiver);
    auto post = [guard, &receiver](int offset) {
      for (int i = 0; i < 2000; ++i) {
        postToMain(guard, [&receiver, value = offset + i] { receiver.received.push_back(value); });
      }
    };
    std::thread first(post, 0);
    std::thread second(post, 100000);
    first.join();
    second.join();
    QTRY_COMPARE(receiver.received.size(), size_t(4000));
    int lastFirst = -1;
    int lastSecond = 99999;
    for (int value : receiver.received) {
      int& last = value < 100000 ? lastFirst : lastSecond;
      QCOMPARE(value, last + 1);
      last = value;
    }
  }

  void postsToAGuardDestroyedMidwayAreDropped() {
    auto* receiver = new Receiver;
    QPointer<QObject> guard(receiver);
    int delivered = 0;
    constexpr int destroyAfter = 500;
    std::thread worker([guard, receiver, &delivered] {
      for (int i = 0; i < 5000; ++i) {
        postToMain(guard, [receiver, &delivered] {
          receiver->received.push_back(++delivered);
          if (delivered == destroyAfter) {
            delete receiver;
          }
        });
      }
    });
    // Keep the event loop turning while the worker posts, so deletion happens midway.
    while (worker.joinable() && delivered < destroyAfter) {
      QCoreApplication::processEvents();
    }
    worker.join();
    QCoreApplication::processEvents();
    QTest::qWait(50);
    QVERIFY(guard.isNull());
    QCOMPARE(delivered, destroyAfter);
  }
};

TOVRANE_APP_TEST(MainThreadTest)
#include "MainThreadTest.moc"
