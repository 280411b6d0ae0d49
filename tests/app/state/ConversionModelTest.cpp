#include "app/state/ConversionModel.hpp"
#include "app/state/OutputReservations.hpp"
#include "app/state/Settings.hpp"
#include "app/state/Workers.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/FakeEngine.hpp"

#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using namespace tovrane::app;
using namespace tovrane::app::test;
namespace fs = std::filesystem;

namespace {

const QString notAFolder = QStringLiteral("Bitte einen Ordner reinziehen – nicht eine einzelne Datei.");

QString describe(const ConversionPhase& phase) {
  if (const auto* running = std::get_if<conversion_phase::Running>(&phase)) {
    return QStringLiteral("running ") + running->step + QLatin1Char(' ') + QString::number(running->progress);
  }
  if (const auto* failed = std::get_if<conversion_phase::Failed>(&phase)) {
    return QStringLiteral("failed ") + failed->message;
  }
  return std::holds_alternative<conversion_phase::Idle>(phase) ? QStringLiteral("idle") : QStringLiteral("finished");
}

// What the driver reports for a project with these Swift files.
std::vector<Step<ConversionStage>> stagesFor(const QStringList& files) {
  std::vector<Step<ConversionStage>> steps{{milliseconds(0), ConversionStage{ConversionStage::scanning{}}}};
  for (int index = 0; index < files.size(); ++index) {
    steps.push_back({milliseconds(0), ConversionStage{ConversionStage::parsing{files[index].toStdString(), index,
                                                                               static_cast<int>(files.size())}}});
  }
  for (ConversionStage stage : {ConversionStage{ConversionStage::generating{}},
                                ConversionStage{ConversionStage::writingProject{}}, ConversionStage{ConversionStage::done{}}}) {
    steps.push_back({milliseconds(0), stage});
  }
  return steps;
}

// A project tree in a temporary folder, the services a model needs, and a
// log of the model's change signals with the values they announce.
struct Fixture {
  Fixture() {
    QSettings(QStringLiteral("TovraneAndroid")).clear();
    for (const char* folder : {"Demo/Demo.xcodeproj/project.xcworkspace", "Demo/Demo.xcworkspace", "Empty"}) {
      fs::create_directories(root / folder);
    }
    std::ofstream(root / "Demo/ContentView.swift") << "struct ContentView {}\n";
    std::ofstream(root / "Blocker") << "a file, not a folder\n";
  }

  QString relative(const fs::path& path) const {
    return QString::fromStdString(path.lexically_relative(root).generic_string());
  }

  void watch(ConversionModel& model) {
    QObject::connect(&model, &ConversionModel::phaseChanged, [this, &model] { log << describe(model.phase()); });
    QObject::connect(&model, &ConversionModel::inputChanged, [this, &model] {
      log << QStringLiteral("input ") + (model.input() ? relative(*model.input()) : QStringLiteral("none"));
    });
    QObject::connect(&model, &ConversionModel::lastInputChanged, [this, &model] {
      log << QStringLiteral("lastInput ") + (model.lastInput() ? relative(*model.lastInput()) : QStringLiteral("none"));
    });
    QObject::connect(&model, &ConversionModel::resultChanged, [this, &model] {
      log << QStringLiteral("result ") +
                 (model.result() ? QString::fromStdString(model.result()->appName) : QStringLiteral("none"));
    });
  }

  QTemporaryDir dir;
  fs::path root = dir.path().toStdString();
  FakeEngine engine;
  OutputReservations reservations;
  Settings settings;
  // Last, so it is destroyed first: it waits for the runs, which use the services above.
  Workers workers;
  QStringList log;
};

bool isFinished(const ConversionModel& model) {
  return std::holds_alternative<conversion_phase::Finished>(model.phase()) ||
         std::holds_alternative<conversion_phase::Failed>(model.phase());
}

}  // namespace

class ConversionModelTest : public QObject {
  Q_OBJECT

 private slots:
  void reportsEachStageThenTheResult_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("translating");
    QTest::newRow("one file") << QStringList{"ContentView.swift"}
                              << QStringList{"running Übersetze ContentView.swift 0.1"};
    QTest::newRow("three files") << QStringList{"Sources/App.swift", "Sources/Views/List.swift", "Model.swift"}
                                 << QStringList{"running Übersetze App.swift 0.1", "running Übersetze List.swift 0.35",
                                                "running Übersetze Model.swift 0.6"};
  }
  void reportsEachStageThenTheResult() {
    QFETCH(QStringList, files);
    QFETCH(QStringList, translating);
    Fixture fixture;
    ConversionResult result;
    result.appName = "Demo";
    fixture.engine.conversions.push_back({stagesFor(files), result});
    ConversionModel model(fixture.engine, fixture.workers, fixture.settings, fixture.reservations);
    fixture.watch(model);

    model.start(fixture.root / "Demo");
    QTRY_VERIFY(isFinished(model));
    const QStringList expected = QStringList{"input Demo", "lastInput Demo", "running Projekt wird gelesen … 0.02",
                                             "running Projekt wird gelesen … 0.05"} +
                                 translating +
                                 QStringList{"running Kotlin-Code wird erzeugt … 0.88",
                                             "running Android-Studio-Projekt wird geschrieben … 0.95",
                                             "running Fertig 1", "result Demo", "finished"};
    QCOMPARE(fixture.log, expected);
    QCOMPARE(model.result()->outputDirectory, fixture.root / "Demo-Android");

    fixture.log.clear();
    model.reset();
    QCOMPARE(fixture.log, (QStringList{"idle", "result none", "input none"}));
    QCOMPARE(model.lastInput(), std::optional(fixture.root / "Demo"));
    model.reset();
    QCOMPARE(fixture.log.size(), 3);  // nothing changed, nobody notified
  }

  // Every way a start can go: the folder it converts, what it shows, what it leaves.
  void startsOnTheProjectFolder_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("outputFolderSetting");
    QTest::addColumn<QString>("engineError");  // empty: the conversion succeeds
    QTest::addColumn<QString>("input");        // "none" when refused
    QTest::addColumn<QString>("phase");        // {root} stands for the fixture's folder
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("outputLeft");  // empty: no output folder remains
    const auto row = [](const char* name, const char* item, const char* setting, const QString& error,
                        const char* input, const QString& phase, const QStringList& calls, const char* left) {
      QTest::newRow(name) << QString::fromUtf8(item) << QString::fromUtf8(setting) << error << QString::fromUtf8(input)
                          << phase << calls << QString::fromUtf8(left);
    };
    row("folder", "Demo", "", "", "Demo", "finished", {"convert {root}/Demo -> {root}/Demo-Android"}, "Demo-Android");
    row("folder with a trailing slash", "Demo/", "", "", "Demo", "finished",
        {"convert {root}/Demo -> {root}/Demo-Android"}, "Demo-Android");
    row("project package", "Demo/Demo.xcodeproj", "", "", "Demo", "finished",
        {"convert {root}/Demo -> {root}/Demo-Android"}, "Demo-Android");
    row("workspace package", "Demo/Demo.xcworkspace", "", "", "Demo", "finished",
        {"convert {root}/Demo -> {root}/Demo-Android"}, "Demo-Android");
    row("workspace inside a project package", "Demo/Demo.xcodeproj/project.xcworkspace", "", "", "Demo/Demo.xcodeproj",
        "finished", {"convert {root}/Demo/Demo.xcodeproj -> {root}/Demo/Demo.xcodeproj-Android"},
        "Demo/Demo.xcodeproj-Android");
    row("a Swift file", "Demo/ContentView.swift", "", "", "none", "failed " + notAFolder, {}, "");
    row("a missing path", "Gone", "", "", "none", "failed " + notAFolder, {}, "");
    row("no Swift files", "Empty", "", "Im Ordner Empty wurden keine Swift-Dateien gefunden.", "Empty",
        "failed Im Ordner Empty wurden keine Swift-Dateien gefunden.", {"convert {root}/Empty -> {root}/Empty-Android"},
        "");
    row("base folder cannot hold folders", "Demo", "Blocker", "", "Demo", "failed {root}/Blocker: ", {}, "");
  }
  void startsOnTheProjectFolder() {
    QFETCH(QString, item);
    QFETCH(QString, outputFolderSetting);
    QFETCH(QString, engineError);
    QFETCH(QString, input);
    QFETCH(QString, phase);
    QFETCH(QStringList, calls);
    QFETCH(QString, outputLeft);
    Fixture fixture;
    const QString root = QString::fromStdString(fixture.root.string());
    if (!outputFolderSetting.isEmpty()) {
      fixture.settings.setOutputMode(OutputMode::custom);
      fixture.settings.setOutputFolder(root + QLatin1Char('/') + outputFolderSetting);
    }
    if (!engineError.isEmpty()) {
      fixture.engine.conversions.push_back(
          {stagesFor({}), EngineError(EngineError::Kind::failed, engineError.toStdString())});
    }
    ConversionModel model(fixture.engine, fixture.workers, fixture.settings, fixture.reservations);

    model.start(fixture.root / item.toStdString());
    QTRY_VERIFY(isFinished(model));
    QVERIFY(fixture.workers.waitForAll(test::patience));
    QCoreApplication::processEvents();

    QVERIFY2(describe(model.phase()).startsWith(phase.replace("{root}", root)), qPrintable(describe(model.phase())));
    QCOMPARE(model.input() ? fixture.relative(*model.input()) : QStringLiteral("none"), input);
    QCOMPARE(model.lastInput() ? fixture.relative(*model.lastInput()) : QStringLiteral("none"), input);
    QCOMPARE(fixture.engine.calls(), calls.replaceInStrings("{root}", root));
    QStringList outputs;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(fixture.root)) {
      if (entry.path().filename().string().ends_with("-Android")) {
        outputs << fixture.relative(entry.path());
      }
    }
    QCOMPARE(outputs, outputLeft.isEmpty() ? QStringList{} : QStringList{outputLeft});
  }

  // Refusals and failures change only the phase: the last good result stays shown to the convert page.
  void failuresKeepTheLastResult() {
    Fixture fixture;
    ConversionResult first;
    first.appName = "Demo";
    fixture.engine.conversions.push_back({stagesFor({}), first});
    fixture.engine.conversions.push_back(
        {stagesFor({}), EngineError(EngineError::Kind::failed, "/x/Demo-Android-2/build.gradle.kts: No space left on device")});
    ConversionModel model(fixture.engine, fixture.workers, fixture.settings, fixture.reservations);
    model.start(fixture.root / "Demo");
    QTRY_VERIFY(isFinished(model));
    first.outputDirectory = fixture.root / "Demo-Android";
    QCOMPARE(model.result(), std::optional(first));
    fixture.watch(model);

    model.start(fixture.root / "Demo/ContentView.swift");
    QCOMPARE(fixture.log, QStringList{"failed " + notAFolder});
    model.start(fixture.root / "Demo");
    QTRY_COMPARE(fixture.log.last(), QStringLiteral("failed /x/Demo-Android-2/build.gradle.kts: No space left on device"));
    QVERIFY(!fixture.log.join('\n').contains("result"));
    QCOMPARE(model.result(), std::optional(first));
  }

  void freeOutputURL_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("folder");      // relative to the fixture; empty: none set
    QTest::addColumn<QStringList>("taken");   // folders, a file ("file:") or a dangling link ("link:")
    QTest::addColumn<QStringList>("reserved");
    QTest::addColumn<QString>("expected");
    QTest::newRow("beside the project") << "nextTo" << "" << QStringList{} << QStringList{} << "Demo-Android";
    QTest::newRow("next to, with a folder set") << "nextTo" << "Out" << QStringList{} << QStringList{} << "Demo-Android";
    QTest::newRow("custom folder") << "custom" << "Out" << QStringList{"Demo-Android"} << QStringList{}
                                   << "Out/Demo-Android";
    QTest::newRow("custom folder not there yet") << "custom" << "New/Out" << QStringList{} << QStringList{}
                                                 << "New/Out/Demo-Android";
    QTest::newRow("custom without a folder") << "custom" << "" << QStringList{} << QStringList{} << "Demo-Android";
    QTest::newRow("taken") << "nextTo" << "" << QStringList{"Demo-Android"} << QStringList{} << "Demo-Android-2";
    QTest::newRow("taken twice, once by a file")
        << "nextTo" << "" << QStringList{"Demo-Android", "file:Demo-Android-2"} << QStringList{} << "Demo-Android-3";
    QTest::newRow("a dangling link") << "nextTo" << "" << QStringList{"link:Demo-Android"} << QStringList{}
                                     << "Demo-Android-2";
    QTest::newRow("reserved by a run") << "nextTo" << "" << QStringList{"Demo-Android"}
                                       << QStringList{"Demo-Android-2"} << "Demo-Android-3";
    QTest::newRow("custom folder, numbered inside it")
        << "custom" << "Out" << QStringList{"Out/Demo-Android", "Demo-Android-2"} << QStringList{}
        << "Out/Demo-Android-2";
  }
  void freeOutputURL() {
    QFETCH(QString, mode);
    QFETCH(QString, folder);
    QFETCH(QStringList, taken);
    QFETCH(QStringList, reserved);
    QFETCH(QString, expected);
    Fixture fixture;
    fixture.settings.setOutputMode(mode == "custom" ? OutputMode::custom : OutputMode::nextTo);
    fixture.settings.setOutputFolder(folder.isEmpty() ? QString()
                                                      : QString::fromStdString((fixture.root / folder.toStdString()).string()));
    for (const QString& entry : taken) {
      if (entry.startsWith("file:")) {
        std::ofstream(fixture.root / entry.mid(5).toStdString()) << "x";
      } else if (entry.startsWith("link:")) {
        fs::create_symlink(fixture.root / "nowhere", fixture.root / entry.mid(5).toStdString());
      } else {
        fs::create_directories(fixture.root / entry.toStdString());
      }
    }
    for (const QString& entry : reserved) {
      fixture.reservations.reserve(fixture.root / entry.toStdString());
    }
    const auto before = std::distance(fs::recursive_directory_iterator(fixture.root), {});

    const fs::path output = ConversionModel::freeOutputURL(fixture.root / "Demo", fixture.settings, fixture.reservations);
    QCOMPARE(fixture.relative(output), expected);
    QCOMPARE(std::distance(fs::recursive_directory_iterator(fixture.root), {}), before);
  }

  // Two pages converting one project at once must not write into one folder.
  void concurrentRunsGetTheirOwnFolders() {
    Fixture fixture;
    const auto hold = std::make_shared<Hold>();
    const auto releaseOnExit = qScopeGuard([hold] { hold->release(); });
    auto held = stagesFor({});
    held.front().hold = hold;
    fixture.engine.conversions = {{held}, {held}, {stagesFor({})}};
    ConversionModel first(fixture.engine, fixture.workers, fixture.settings, fixture.reservations);
    ConversionModel second(fixture.engine, fixture.workers, fixture.settings, fixture.reservations);
    ConversionModel third(fixture.engine, fixture.workers, fixture.settings, fixture.reservations);

    first.start(fixture.root / "Demo");
    second.start(fixture.root / "Demo/Demo.xcodeproj");
    // Both calls are under way at once (their workers may reach the engine in either order).
    QTRY_COMPARE(fixture.engine.calls().size(), 2);
    QStringList calls = fixture.engine.calls();
    calls.sort();
    const QString demo = QString::fromStdString((fixture.root / "Demo").string());
    QCOMPARE(calls, (QStringList{"convert " + demo + " -> " + demo + "-Android",
                                 "convert " + demo + " -> " + demo + "-Android-2"}));
    hold->release();
    QTRY_VERIFY(isFinished(first) && isFinished(second));
    QCOMPARE(first.result()->outputDirectory, fixture.root / "Demo-Android");
    QCOMPARE(second.result()->outputDirectory, fixture.root / "Demo-Android-2");

    third.start(fixture.root / "Demo");
    QTRY_VERIFY(isFinished(third));
    QCOMPARE(third.result()->outputDirectory, fixture.root / "Demo-Android-3");
  }

  // A page left during a run: the run ends, nothing reaches the gone model
  // (the sanitizer build would report a post that did), the folder is free again.
  void aModelDestroyedDuringItsRunHearsNothing() {
    Fixture fixture;
    const auto hold = std::make_shared<Hold>();
    const auto releaseOnExit = qScopeGuard([hold] { hold->release(); });
    auto held = stagesFor({"ContentView.swift"});
    held.front().hold = hold;
    fixture.engine.conversions.push_back({held});
    auto* model = new ConversionModel(fixture.engine, fixture.workers, fixture.settings, fixture.reservations);
    model->start(fixture.root / "Demo");
    QTRY_VERIFY(hold->reached());
    QVERIFY(fixture.reservations.isReserved(fixture.root / "Demo-Android"));

    delete model;
    hold->release();
    QVERIFY(fixture.workers.waitForAll(test::patience));
    QTRY_VERIFY(!fixture.reservations.isReserved(fixture.root / "Demo-Android"));
    QVERIFY(fs::is_directory(fixture.root / "Demo-Android"));
  }
};

TOVRANE_APP_TEST(ConversionModelTest)
#include "ConversionModelTest.moc"
