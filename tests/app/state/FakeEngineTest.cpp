#include "app/state/MainThread.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/FakeEngine.hpp"

#include <QtTest>

#include <thread>

using namespace tovrane::app;
using namespace tovrane::app::test;

// The pattern every run model follows, with the scripted engine: the run on a
// worker, its events hopping to the UI thread, a cancel from the UI thread.
class FakeEngineTest : public QObject {
  Q_OBJECT

 private slots:
  void repairEventsReachTheUiThreadAndCancelStopsTheRun() {
    FakeEngine engine;
    Holds holds;
    const auto third = holds.make();
    RepairScript script;
    script.events = {{milliseconds(0), repair_event::Progress{0, 4}},
                     {milliseconds(0), repair_event::FileStarted{"ContentView.kt"}},
                     {milliseconds(0), repair_event::FileFinished{"ContentView.kt"}, third}};
    engine.repairs.push_back(script);

    QObject model;
    QStringList seen;
    std::unique_ptr<Repairer> repairer =
        engine.ladderRepairer("/p/Demo-Android", AIRepairOptions({}, std::nullopt, std::nullopt), [&model, &seen](const AIRepairEvent& event) {
          postToMain(&model, [&seen, index = event.index()] { seen.append(QString::number(index)); });
        });
    std::string failure;
    std::thread worker([&] {
      try {
        repairer->run();
      } catch (const EngineError& error) {
        failure = error.kind() == EngineError::Kind::cancelled ? "cancelled" : error.what();
      }
    });
    QTRY_COMPARE(seen, (QStringList{"7", "1"}));
    // Cancelled while the third step is under way.
    QTRY_VERIFY(third->reached());
    repairer->cancel();
    third->release();
    worker.join();
    QCOMPARE(failure, std::string("cancelled"));
    QTRY_COMPARE(seen.size(), 3);  // the step under way when cancelled still reports
    QCOMPARE(engine.calls(), (QStringList{"ladderRepairer /p/Demo-Android", "run", "cancel"}));
  }

  void conversionErrorsAndDeviceErrorsAreThrown() {
    FakeEngine engine;
    engine.conversions.push_back(
        {{{milliseconds(0), ConversionStage{ConversionStage::scanning{}}}},
         EngineError(EngineError::Kind::failed, "Im Ordner Demo wurden keine Swift-Dateien gefunden.")});
    int stages = 0;
    QVERIFY_THROWS_EXCEPTION(EngineError, engine.convert("/p/Demo", "/p/Demo-Android", {}, [&](const ConversionStage&) {
      ++stages;
    }));
    QCOMPARE(stages, 1);
    // Without a script a conversion succeeds into the folder it was given.
    QCOMPARE(engine.convert("/p/Demo", "/p/Demo-Android", {}, [](const ConversionStage&) {}).outputDirectory,
             std::filesystem::path("/p/Demo-Android"));

    engine.deviceRuns.push_back({{{milliseconds(0), "Baue die Android-App …"}},
                                 EngineError(EngineError::Kind::missing, "Android Studio bzw. das Android-SDK wurde nicht gefunden.")});
    std::vector<std::string> statuses;
    QVERIFY_THROWS_EXCEPTION(EngineError, engine.runAndroid("/p/Demo-Android", "Pixel_8", [&](const std::string& s) {
      statuses.push_back(s);
    }));
    QCOMPARE(statuses.size(), size_t(1));
  }
};

TOVRANE_APP_TEST(FakeEngineTest)
#include "FakeEngineTest.moc"
