#include "app/state/AIRepairModel.hpp"
#include "app/state/ConversionModel.hpp"
#include "app/state/CoreEngine.hpp"
#include "app/state/JobCenter.hpp"
#include "app/state/Keychain.hpp"
#include "app/state/OutputReservations.hpp"
#include "app/state/Settings.hpp"
#include "app/state/ToolLookup.hpp"
#include "app/state/Workers.hpp"
#include "core/support/Cancelled.hpp"
#include "core/support/Files.hpp"
#include "core/support/Http.hpp"
#include "core/support/Process.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/EngineWorld.hpp"
#include "tests/app/fakes/Fakes.hpp"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <fstream>
#include <mutex>

using namespace tovrane::app;
namespace fs = std::filesystem;

Q_DECLARE_METATYPE(std::exception_ptr)

namespace {
const fs::path counter = fs::path(TOVRANE_SOURCE_DIR) / "examples/Counter";

// The kind and text of the EngineError that call throws; "none" when it returns.
template <typename Call>
QString thrown(Call&& call) {
  try {
    call();
  } catch (const EngineError& error) {
    const char* kinds[] = {"failed", "missing", "cancelled"};
    return QString::fromUtf8(kinds[static_cast<int>(error.kind())]) + QStringLiteral(": ") +
           QString::fromStdString(error.what());
  }
  return QStringLiteral("none");
}

// What a repair or a device run reported, from any thread.
class Reports {
 public:
  RepairEvents events() {
    return [this](const AIRepairEvent& event) {
      const std::lock_guard lock(mutex_);
      events_.push_back(event);
    };
  }
  StatusCallback statuses() {
    return [this](const std::string& status) {
      const std::lock_guard lock(mutex_);
      statuses_.push_back(QString::fromStdString(status));
    };
  }
  template <typename Event>
  std::vector<Event> only() const {
    const std::lock_guard lock(mutex_);
    std::vector<Event> found;
    for (const AIRepairEvent& event : events_) {
      if (const auto* wanted = std::get_if<Event>(&event)) {
        found.push_back(*wanted);
      }
    }
    return found;
  }
  QStringList statusTexts() const {
    const std::lock_guard lock(mutex_);
    return statuses_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<AIRepairEvent> events_;
  QStringList statuses_;
};

// Trips converted below root: its AddTripView.kt holds two placeholders.
fs::path convertedTrips(CoreEngine& engine, const fs::path& root) {
  const fs::path output = root / "Trips-Android";
  engine.convert(fs::path(TOVRANE_SOURCE_DIR) / "examples/Trips", output, {}, [](const ConversionStage&) {});
  return output;
}
const fs::path addTripView = "app/src/main/java/com/example/trips_planner/AddTripView.kt";
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

  // What reaches the user from a failure of core is German: core's own
  // texts as they are, the system's message of a file error by its number,
  // and a German sentence around anything else.
  void coreFailuresReadInGerman_data() {
    QTest::addColumn<std::exception_ptr>("failure");
    QTest::addColumn<QString>("expected");
    using tovrane::files::FileError;
    QTest::newRow("disk full") << std::make_exception_ptr(FileError("/p/A.kt", ENOSPC))
                               << "failed: /p/A.kt: Kein Speicherplatz mehr frei";
    QTest::newRow("no rights") << std::make_exception_ptr(FileError("/p", EACCES))
                               << "failed: /p: Keine Berechtigung";
    QTest::newRow("a rare system error")
        << std::make_exception_ptr(FileError("/p", ENOTSOCK))
        << QStringLiteral("failed: /p: Systemfehler %1").arg(ENOTSOCK);
    QTest::newRow("core's own file text")
        << std::make_exception_ptr(FileError("/p", "ist keine gewöhnliche Datei", EINVAL))
        << "failed: /p: ist keine gewöhnliche Datei";
    QTest::newRow("a tool that cannot start")
        << std::make_exception_ptr(tovrane::process::StartError(ENOENT, "/usr/bin/codex"))
        << "failed: Das Programm /usr/bin/codex ließ sich nicht starten: Datei oder Ordner nicht gefunden.";
    QTest::newRow("a transport failure")
        << std::make_exception_ptr(tovrane::http::HttpError(tovrane::http::ErrorKind::timeout, "Zeitüberschreitung."))
        << "failed: Zeitüberschreitung.";
    QTest::newRow("a missing tool")
        << std::make_exception_ptr(tovrane::DeviceLauncher::LaunchError::missing("Kein SDK."))
        << "missing: Kein SDK.";
    QTest::newRow("cancelled") << std::make_exception_ptr(tovrane::Cancelled()) << "cancelled: Abgebrochen.";
    QTest::newRow("out of memory") << std::make_exception_ptr(std::bad_alloc())
                                   << "failed: Nicht genug Arbeitsspeicher.";
    QTest::newRow("a system error") << std::make_exception_ptr(std::system_error(EMFILE, std::generic_category(), "pipe"))
                                    << "failed: Zu viele offene Dateien.";
    QTest::newRow("anything else") << std::make_exception_ptr(std::out_of_range("vector::_M_range_check"))
                                   << "failed: Unerwarteter interner Fehler (vector::_M_range_check).";
  }
  void coreFailuresReadInGerman() {
    QFETCH(std::exception_ptr, failure);
    QFETCH(QString, expected);
    QCOMPARE(thrown([&] {
               try {
                 std::rethrow_exception(failure);
               } catch (const std::exception& error) {
                 throw engineError(error);
               }
             }),
             expected);
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

  // The ladder repairer on a generated project: the provider's answer is
  // written, the build checked, the report's section appended; a cancel
  // before the first model call and a refused key end as the model expects.
  void theLadderRepairerIsCores_data() {
    QTest::addColumn<QString>("outcome");
    QTest::newRow("repaired") << "none";
    QTest::newRow("cancelled") << "cancelled: Abgebrochen.";
    QTest::newRow("refused key")
        << "failed: Der API-Schlüssel ist ungültig oder hat keine Berechtigung.";
  }
  void theLadderRepairerIsCores() {
    QFETCH(QString, outcome);
    test::EngineWorld world;
    const fs::path project = convertedTrips(world.engine, world.machine.root());
    world.useBuilds(project, {});
    const std::string repaired = test::EngineWorld::repaired(tovrane::files::readFile(project / addTripView));
    tovrane::fakes::FakeReply answer = test::EngineWorld::geminiAnswer(repaired);
    if (outcome.startsWith("failed")) {
      answer.status = 401;
    }
    world.server.on(test::EngineWorld::flashPath, answer);
    world.server.on(test::EngineWorld::proPath, answer);
    Reports reports;
    std::unique_ptr<Repairer> repairer =
        world.engine.ladderRepairer(project, AIRepairOptions("g-key", AIProvider::gemini), reports.events());
    if (outcome.startsWith("cancelled")) {
      repairer->cancel();
    }
    AIRepairResult result;
    QCOMPARE(thrown([&] { result = repairer->run(); }), outcome);
    if (outcome != "none") {
      QVERIFY(world.gradleTasks().empty());
      return;
    }
    QCOMPARE(result.filesRepaired, 1);
    QCOMPARE(result.compiled, std::optional(true));
    QCOMPARE(tovrane::files::readFile(project / addTripView), repaired);
    const std::vector<std::string> builds = world.gradleTasks();
    QCOMPARE(builds.size(), std::size_t(1));
    QVERIFY2(builds.front().starts_with("compileDebugKotlin"), builds.front().c_str());
    QVERIFY((reports.only<repair_event::CompileRound>() == std::vector{repair_event::CompileRound{1, 0}}));
    QVERIFY(tovrane::files::readFile(project / "TOVRANE_BERICHT.md").find("KI-Reparatur") != std::string::npos);
  }

  // The Codex agent runs the located tool; its failures and a cancel before
  // its start reach the model as EngineError.
  void theCodexRepairerIsCores_data() {
    QTest::addColumn<int>("status");  // -1: the tool cannot start
    QTest::addColumn<bool>("cancelFirst");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("runs") << 0 << false << "none";
    QTest::newRow("fails") << 3 << false << "failed: KI-API-Fehler 3: kaputt";
    QTest::newRow("cancelled before its start") << 0 << true << "cancelled: Abgebrochen.";
    QTest::newRow("cannot start") << -1 << false
                                  << "failed: Das Programm {codex} ließ sich nicht starten: Datei oder Ordner nicht "
                                     "gefunden.";
  }
  void theCodexRepairerIsCores() {
    QFETCH(int, status);
    QFETCH(bool, cancelFirst);
    QFETCH(QString, outcome);
    test::EngineWorld world;
    const fs::path project = convertedTrips(world.engine, world.machine.root());
    world.useBuilds(project, {});
    const std::optional<std::string> codex = world.engine.locateCodex();
    QCOMPARE(codex, std::optional((world.machine.root() / "usr/local/bin/codex").string()));
    tovrane::testsupport::FakeTool tool;
    tool.status = std::max(status, 0);
    tool.errorOutput = "kaputt";
    tool.install(*codex);
    if (status < 0) {
      tovrane::files::writeAtomic(*codex, "#!/nonexistent/sh\n", 0755);
    }
    Reports reports;
    std::unique_ptr<Repairer> repairer =
        world.engine.codexRepairer(project, *codex, FixKnowledge(false, false, ""), reports.events());
    if (cancelFirst) {
      repairer->cancel();
    }
    QCOMPARE(thrown([&] { repairer->run(); }), outcome.replace("{codex}", QString::fromStdString(*codex)));
    QCOMPARE(world.gradleTasks().size(), std::size_t(outcome == "none" ? 1 : 0));
  }

  // Devices, the Android run with its statuses, a cancel that stops only the
  // runs under way, and no iOS simulator on Linux.
  void theDeviceLauncherIsCores() {
    test::EngineWorld world;
    const fs::path project = world.machine.root() / "Demo-Android";
    tovrane::files::writeFile(project / ".tovrane/manifest.json",
                              R"({"packageName": "com.example.demo", "sourceRoot": "/src/Demo", "files": {}})");
    world.useBuilds(project, {});
    QVERIFY((world.engine.androidDevices() ==
             std::vector{TestDevice{"Pixel_8_API_35", "Pixel 8 API 35", TestDevice::Kind::android, "API 35"}}));

    Reports first;
    QCOMPARE(thrown([&] { world.engine.runAndroid(project, world.avd, first.statuses()); }), QStringLiteral("none"));
    QCOMPARE(first.statusTexts(), (QStringList{"Starte Pixel 8 API 35 …", "Baue die Android-App …",
                                               "Installiere auf dem Emulator …", "Läuft auf Pixel 8 API 35"}));

    world.holdBoot();
    Workers workers;
    Reports held;
    QString heldOutcome;
    workers.run([&] { heldOutcome = thrown([&] { world.engine.runAndroid(project, world.avd, held.statuses()); }); });
    QTRY_VERIFY(held.statusTexts().contains("Baue die Android-App …"));
    world.engine.cancelDeviceRuns();
    QVERIFY(workers.waitForAll(test::patience));
    QCOMPARE(heldOutcome, QStringLiteral("cancelled: Abgebrochen."));

    // A run after the cancel is not stopped (and fails on a project that cannot be built).
    world.holdBoot(false);
    world.useBuilds(project, {{"FAILURE: Build failed.\n", 1}});
    QVERIFY(thrown([&] { world.engine.runAndroid(project, world.avd, [](const std::string&) {}); })
                .startsWith("failed: Build fehlgeschlagen:"));

    QVERIFY(!world.engine.canRunIOSSimulator());
    QVERIFY(world.engine.iosDevices().empty());
    QCOMPARE(thrown([&] { world.engine.runIOS(counter, "A1B2", [](const std::string&) {}); }),
             QStringLiteral("missing: Xcode wurde nicht gefunden – die iOS-App lässt sich nur auf einem Mac mit "
                            "installiertem Xcode im Simulator starten."));
  }

  // The tool look-ups and the local model runtime are core's.
  void toolsAndLocalModelsAreCores() {
    test::EngineWorld world;
    QCOMPARE(world.engine.locateClaudeCode(), std::optional((world.machine.root() / "usr/local/bin/claude").string()));
    QCOMPARE(world.engine.recommendedLocalModels().size(), std::size_t(3));
    QCOMPARE(world.engine.recommendedLocalModels().front().name, std::string_view("qwen2.5-coder:7b"));
    QVERIFY(!world.engine.localModelsInstalled());
    world.machine.tool("/usr/local/bin/ollama");
    QVERIFY(world.engine.localModelsInstalled());

    tovrane::fakes::FakeReply tags;
    tags.body = R"({"models": [{"name": "nomic-embed-text", "size": 1}, {"name": "qwen2.5-coder:7b", "size": 4700000000}]})";
    world.server.on("/api/tags", tags);
    QVERIFY(world.engine.ensureLocalModelsRunning());
    QVERIFY((world.engine.installedLocalModels() == std::vector{LocalModel{"qwen2.5-coder:7b", 4.7}}));

    tovrane::fakes::FakeReply pull;
    pull.body = "{\"status\": \"pulling\", \"total\": 10, \"completed\": 5}\n{\"error\": \"kein Platz\"}\n";
    world.server.on("/api/pull", pull);
    std::vector<double> fractions;
    QCOMPARE(thrown([&] {
               world.engine.pullLocalModel("qwen2.5-coder:14b",
                                           [&fractions](double fraction, const std::string&) { fractions.push_back(fraction); });
             }),
             QStringLiteral("failed: KI-API-Fehler 0: kein Platz"));
    QVERIFY((fractions == std::vector{0.5}));
  }
};

TOVRANE_APP_TEST(CoreEngineTest)
#include "CoreEngineTest.moc"
