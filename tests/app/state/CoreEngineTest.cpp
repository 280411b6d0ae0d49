#include "app/state/AIRepairModel.hpp"
#include "app/state/ConversionModel.hpp"
#include "app/state/CoreEngine.hpp"
#include "app/state/JobCenter.hpp"
#include "app/state/Keychain.hpp"
#include "app/state/OutputReservations.hpp"
#include "app/state/Settings.hpp"
#include "app/state/ToolLookup.hpp"
#include "app/state/Workers.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/Fakes.hpp"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using namespace tovrane::app;
namespace fs = std::filesystem;

namespace {
const fs::path counter = fs::path(TOVRANE_SOURCE_DIR) / "examples/Counter";
}  // namespace

class CoreEngineTest : public QObject {
  Q_OBJECT

 private slots:
  void convertReportsCoresStagesInOrder() {
    QTemporaryDir dir;
    CoreEngine engine;
    std::vector<ConversionStage> stages;
    const fs::path output = fs::path(dir.path().toStdString()) / "Counter-Android";
    const ConversionResult result =
        engine.convert(counter, output, {}, [&stages](const ConversionStage& stage) { stages.push_back(stage); });

    const std::vector<ConversionStage> expected{
        {ConversionStage::scanning{}},
        {ConversionStage::parsing{"Counter/ContentView.swift", 0, 4}},
        {ConversionStage::parsing{"Counter/CounterApp.swift", 1, 4}},
        {ConversionStage::parsing{"Counter/CounterTheme.swift", 2, 4}},
        {ConversionStage::parsing{"Counter/SettingsView.swift", 3, 4}},
        {ConversionStage::generating{}},
        {ConversionStage::writingProject{}},
        {ConversionStage::done{}},
    };
    QVERIFY(stages == expected);
    QCOMPARE(result.outputDirectory, output);
    QVERIFY(fs::is_regular_file(output / "settings.gradle.kts"));
  }

  void failuresBecomeEngineErrorsWithTheirText_data() {
    QTest::addColumn<QString>("project");  // relative to the temporary folder, or "Counter"
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("message");  // {dir} stands for the temporary folder
    QTest::newRow("no Swift files") << "Leer" << "Leer-Android"
                                    << "Im Ordner Leer wurden keine Swift-Dateien gefunden.";
    QTest::newRow("output below a file") << "Counter" << "Datei/Counter-Android" << "{dir}/Datei/Counter-Android: ";
  }
  void failuresBecomeEngineErrorsWithTheirText() {
    QFETCH(QString, project);
    QFETCH(QString, output);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    fs::create_directory(root / "Leer");
    std::ofstream(root / "Datei") << "x";
    CoreEngine engine;
    try {
      engine.convert(project == "Counter" ? counter : root / project.toStdString(), root / output.toStdString(), {},
                     [](const ConversionStage&) {});
      QFAIL("no error");
    } catch (const EngineError& error) {
      QCOMPARE(error.kind(), EngineError::Kind::failed);
      QVERIFY2(QString::fromStdString(error.what()).startsWith(message.replace("{dir}", dir.path())), error.what());
    }
    QVERIFY(!fs::exists(root / output.toStdString()));
  }

  // The whole road on the real engine: a dropped project package, the
  // conversion on a worker, the project written, the model finished.
  void theConversionModelRunsOnIt() {
    QSettings(QStringLiteral("TovraneAndroid")).clear();
    QTemporaryDir dir;
    Settings settings;
    settings.setOutputMode(OutputMode::custom);
    settings.setOutputFolder(dir.path());
    CoreEngine engine;
    OutputReservations reservations;
    Workers workers;
    ConversionModel model(engine, workers, settings, reservations);
    QStringList steps;
    connect(&model, &ConversionModel::phaseChanged, [&model, &steps] {
      if (const auto* running = std::get_if<conversion_phase::Running>(&model.phase())) {
        steps << running->step;
      }
    });

    model.start(counter / "Counter.xcodeproj");
    QTRY_VERIFY(std::holds_alternative<conversion_phase::Finished>(model.phase()));
    const fs::path output = fs::path(dir.path().toStdString()) / "Counter-Android";
    QCOMPARE(model.result()->outputDirectory, output);
    QCOMPARE(model.result()->swiftFiles, 4);
    QVERIFY(fs::is_regular_file(output / "TOVRANE_BERICHT.md"));
    QCOMPARE(steps.size(), 9);
    QCOMPARE(steps[2], QStringLiteral("Übersetze ContentView.swift"));
    QCOMPARE(steps.last(), QStringLiteral("Fertig"));
  }

  // The repair card's fields through core's rules: blank keys and an unnamed
  // local model give no rung, and then no start.
  void theRepairLadderFollowsCoresRules_data() {
    QTest::addColumn<QString>("geminiKey");
    QTest::addColumn<bool>("useLocal");
    QTest::addColumn<QString>("localModel");
    QTest::addColumn<QStringList>("ladder");
    QTest::newRow("nothing") << "" << false << "qwen2.5-coder:7b" << QStringList{};
    QTest::newRow("local model on, none chosen") << "" << true << "" << QStringList{};
    QTest::newRow("local model") << "" << true << "qwen2.5-coder:7b" << QStringList{"Lokal qwen2.5-coder:7b"};
    QTest::newRow("a blank key") << " \t" << false << "" << QStringList{};
    QTest::newRow("a Gemini key") << "g-key" << false << ""
                                  << QStringList{"Gemini gemini-flash-latest", "Gemini gemini-pro-latest"};
  }
  void theRepairLadderFollowsCoresRules() {
    QFETCH(QString, geminiKey);
    QFETCH(bool, useLocal);
    QFETCH(QString, localModel);
    QFETCH(QStringList, ladder);
    QSettings(QStringLiteral("TovraneAndroid")).clear();
    QFile::remove(Keychain::file());
    CoreEngine engine;
    test::FakePlatform platform;
    Settings settings;
    test::FakeClock clock;
    Workers workers;
    ToolLookup tools(engine, workers);
    JobCenter jobs(JobServices{engine, workers, settings, platform, tools, clock, [] { return nullptr; }});
    AIRepairModel& model = jobs.repair("/p/Demo-Android", "Demo");
    model.setBackend(Backend::api);
    model.setGeminiKey(geminiKey);
    model.setPreferred(AIProvider::openAI);
    model.setUseLocal(useLocal);
    model.setLocalModel(localModel);
    QStringList labels;
    for (const ModelTier& tier : engine.ladder(model.apiOptions())) {
      labels << QString::fromStdString(tier.label());
    }
    QCOMPARE(labels, ladder);
    QCOMPARE(model.canStart(), !ladder.isEmpty());
  }
};

TOVRANE_APP_TEST(CoreEngineTest)
#include "CoreEngineTest.moc"
