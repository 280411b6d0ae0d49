#include "app/state/AppPaths.hpp"
#include "app/state/ProjectStore.hpp"
#include "core/support/Json.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/Fakes.hpp"
#include "tests/app/state/StoreFiles.hpp"

#include <QSet>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

using namespace tovrane::app;
using test::contentOf;

Q_DECLARE_METATYPE(std::vector<ProjectRecord>)

namespace {

QString historyPath() { return test::appFile("projekte.json"); }
QString backupPath() { return test::appFile("projekte.json.bak"); }

QDateTime at(qint64 msecsAfterFixedNow) { return test::fixedNow().addMSecs(msecsAfterFixedNow); }

ProjectRecord record(double coverage, int unsupported, std::optional<ProjectRecord::AIRecord> ai = std::nullopt) {
  return ProjectRecord{.id = QUuid::createUuid(), .name = QStringLiteral("App"), .date = at(0),
                       .coverage = coverage, .unsupported = unsupported, .ai = std::move(ai)};
}

ProjectRecord::AIRecord aiRecord(int remaining, std::optional<bool> compiled) {
  return ProjectRecord::AIRecord{.date = at(0), .backend = QStringLiteral("Gemini gemini-2.5-pro"),
                                 .remaining = remaining, .compiled = compiled};
}

// Three records that use every field: newest with a compiled AI record and
// two warnings out of alphabetical order, one whose AI record made no compile
// check, and one without AI record.
std::vector<ProjectRecord> fixtureRecords() {
  return {
      ProjectRecord{
          .id = QUuid(QStringLiteral("6f9619ff-8b86-d011-b42d-00c04fc964ff")),
          .name = QStringLiteral("Wetter Übersicht"),
          .inputPath = QStringLiteral("/home/ich/Projekte/Wetter"),
          .outputPath = QStringLiteral("/home/ich/Projekte/Wetter-Android"),
          .date = at(250),
          .swiftFiles = 12,
          .swiftLines = 3400,
          .kotlinFiles = 14,
          .coverage = 0.6,
          .unsupported = 10,
          .images = 5,
          .colors = 3,
          .warnings = {{"Views/Zeit.swift", "Nicht übersetzt: Modifikator .task", "Text(zeit).task { }"},
                       {"App.swift", "Nicht übersetzt: @main", "@main struct WetterApp: App"}},
          .ai = ProjectRecord::AIRecord{.date = at(3600000),
                                        .backend = QStringLiteral("Claude claude-sonnet-4"),
                                        .fixed = 6,
                                        .remaining = 4,
                                        .compiled = true,
                                        .remainingErrors = 0,
                                        .costUSD = 0.125},
      },
      ProjectRecord{
          .id = QUuid(QStringLiteral("00000000-0000-0000-0000-0000000000a2")),
          .name = QStringLiteral("Notizen"),
          .inputPath = QStringLiteral("/home/ich/Notizen"),
          .outputPath = QStringLiteral("/home/ich/Notizen-Android"),
          .date = at(-86400000),
          .swiftFiles = 2,
          .swiftLines = 80,
          .kotlinFiles = 3,
          .coverage = 0.9,
          .unsupported = 1,
          .images = 0,
          .colors = 1,
          .warnings = {},
          .ai = ProjectRecord::AIRecord{.date = at(-86000000),
                                        .backend = QStringLiteral("Codex"),
                                        .fixed = 1,
                                        .remaining = 0,
                                        .compiled = std::nullopt,
                                        .remainingErrors = 2,
                                        .costUSD = 0},
      },
      ProjectRecord{
          .id = QUuid(QStringLiteral("00000000-0000-0000-0000-000000000003")),
          .name = QStringLiteral("Leer"),
          .inputPath = QStringLiteral("/tmp/Leer"),
          .outputPath = QStringLiteral("/tmp/Leer-Android"),
          .date = at(0),
          .coverage = 1,
      },
  };
}

// fixtureRecords() as the store must write them.
const char* const fixtureText = R"([
  {
    "id": "6F9619FF-8B86-D011-B42D-00C04FC964FF",
    "name": "Wetter Übersicht",
    "inputPath": "/home/ich/Projekte/Wetter",
    "outputPath": "/home/ich/Projekte/Wetter-Android",
    "date": 795173213.25,
    "swiftFiles": 12,
    "swiftLines": 3400,
    "kotlinFiles": 14,
    "coverage": 0.6,
    "unsupported": 10,
    "images": 5,
    "colors": 3,
    "warnings": [
      {
        "file": "Views/Zeit.swift",
        "message": "Nicht übersetzt: Modifikator .task",
        "source": "Text(zeit).task { }"
      },
      {
        "file": "App.swift",
        "message": "Nicht übersetzt: @main",
        "source": "@main struct WetterApp: App"
      }
    ],
    "ai": {
      "date": 795176813.0,
      "backend": "Claude claude-sonnet-4",
      "fixed": 6,
      "remaining": 4,
      "compiled": true,
      "remainingErrors": 0,
      "costUSD": 0.125
    }
  },
  {
    "id": "00000000-0000-0000-0000-0000000000A2",
    "name": "Notizen",
    "inputPath": "/home/ich/Notizen",
    "outputPath": "/home/ich/Notizen-Android",
    "date": 795086813.0,
    "swiftFiles": 2,
    "swiftLines": 80,
    "kotlinFiles": 3,
    "coverage": 0.9,
    "unsupported": 1,
    "images": 0,
    "colors": 1,
    "warnings": [],
    "ai": {
      "date": 795087213.0,
      "backend": "Codex",
      "fixed": 1,
      "remaining": 0,
      "remainingErrors": 2,
      "costUSD": 0.0
    }
  },
  {
    "id": "00000000-0000-0000-0000-000000000003",
    "name": "Leer",
    "inputPath": "/tmp/Leer",
    "outputPath": "/tmp/Leer-Android",
    "date": 795173213.0,
    "swiftFiles": 0,
    "swiftLines": 0,
    "kotlinFiles": 0,
    "coverage": 1.0,
    "unsupported": 0,
    "images": 0,
    "colors": 0,
    "warnings": []
  }
])";

// One valid record as an earlier version or another writer may have left it:
// keys in another order, lower-case id, escaped slashes, a whole-number date,
// keys we do not know, null for the optional values.
const char* const foreignRecord = R"({"unknown": {"x": [1]}, "warnings": [], "colors": 1, "images": 0,
  "unsupported": 1, "coverage": 0.9, "kotlinFiles": 3, "swiftLines": 80, "swiftFiles": 2, "date": 795086813,
  "outputPath": "\/home\/ich\/Notizen-Android", "inputPath": "/home/ich/Notizen", "name": "Notizen",
  "id": "00000000-0000-0000-0000-0000000000a2",
  "ai": {"costUSD": 0, "remainingErrors": 2, "compiled": null, "remaining": 0, "fixed": 1, "backend": "Codex",
         "date": 795087213.0, "note": "ignored"}})";

tovrane::ConversionResult conversion(const char* appName, int lines) {
  return tovrane::ConversionResult{
      .outputDirectory = std::string("/work/") + appName + "-Android",
      .appName = appName,
      .packageName = "de.beispiel.app",
      .swiftFiles = 3,
      .swiftLines = lines,
      .kotlinFiles = 4,
      .warnings = {{"A.swift", "Nicht übersetzt", "x"}},
      .unsupportedCount = 2,
      .images = 1,
      .colors = 2,
      .coverage = 0.75,
  };
}

// Stands in for one window showing the shared store: records what it saw
// each time the store announced a change.
struct Window {
  explicit Window(ProjectStore& store) : store(store) {
    QObject::connect(&store, &ProjectStore::projectsChanged, [this] {
      QStringList names;
      for (const ProjectRecord& record : this->store.projects()) {
        names.append(record.name);
      }
      seen.append(names.join(QLatin1Char(',')));
    });
  }
  ProjectStore& store;
  QStringList seen;
};

}  // namespace

class ProjectStoreTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QDir(AppPaths::folder()).removeRecursively(); }

  void writesTheHistoryFileAndReadsItBack() {
    test::FakeClock clock;
    test::SequentialUuids uuids;
    {
      ProjectStore store(clock, uuids);
      store.setProjects(fixtureRecords());
      store.save();
    }
    QCOMPARE(contentOf(historyPath()), QByteArray(fixtureText));
    ProjectStore reopened(clock, uuids);
    QVERIFY(reopened.projects() == fixtureRecords());
  }

  void readsKeysInAnyOrderAndIdsInEitherCase() {
    test::FakeClock clock;
    test::SequentialUuids uuids;
    QVERIFY(test::putFile(historyPath(), QByteArray("[") + foreignRecord + "]"));
    ProjectStore store(clock, uuids);
    QCOMPARE(store.projects().size(), size_t(1));
    QVERIFY(store.projects()[0] == fixtureRecords()[1]);
  }

  void aDamagedFileGivesAnEmptyHistoryAndIsKeptAsBackup_data() {
    QTest::addColumn<QByteArray>("content");
    const tovrane::json::Json valid = *tovrane::json::tryParse(foreignRecord);
    // The file holds a valid record and then the changed one: one faulty record empties the history.
    const auto withChanged = [&valid](const char* name, auto change) {
      tovrane::json::Json changed = valid;
      change(changed);
      const tovrane::json::Json file = tovrane::json::Json::array({valid, changed});
      QTest::newRow(name) << QByteArray::fromStdString(file.dump());
    };
    using Json = tovrane::json::Json;
    withChanged("record without swiftLines", [](Json& r) { r.erase("swiftLines"); });
    withChanged("text where a number belongs", [](Json& r) { r["swiftFiles"] = "12"; });
    withChanged("fraction where a count belongs", [](Json& r) { r["images"] = 1.5; });
    withChanged("ai of the wrong type", [](Json& r) { r["ai"] = "keine"; });
    withChanged("compiled of the wrong type", [](Json& r) { r["ai"]["compiled"] = 1; });
    withChanged("warning without source", [](Json& r) { r["warnings"] = Json::parse(R"([{"file":"a","message":"b"}])"); });
    withChanged("id with braces", [](Json& r) { r["id"] = "{00000000-0000-0000-0000-0000000000a2}"; });
    withChanged("id that is no UUID", [](Json& r) { r["id"] = "Wetter"; });
    withChanged("date beyond any calendar", [](Json& r) { r["date"] = 1e300; });
    withChanged("count beyond 32 bits", [](Json& r) { r["swiftLines"] = 4294967296LL; });
    QTest::newRow("not an array") << QByteArray(foreignRecord);
    QTest::newRow("not JSON") << QByteArray("[{\"id\": ");
    QTest::newRow("empty file") << QByteArray();
  }

  void aDamagedFileGivesAnEmptyHistoryAndIsKeptAsBackup() {
    test::FakeClock clock;
    test::SequentialUuids uuids;
    QFETCH(QByteArray, content);
    QVERIFY(test::putFile(historyPath(), content));
    QVERIFY(test::putFile(backupPath(), "an older backup"));
    ProjectStore store(clock, uuids);
    QVERIFY(store.projects().empty());
    QCOMPARE(contentOf(historyPath()), content);

    // The older backup stays; the damaged file takes the next free name.
    store.add(conversion("Neu", 10), "/work/Neu");
    QCOMPARE(contentOf(backupPath()), QByteArray("an older backup"));
    QCOMPARE(contentOf(backupPath() + QStringLiteral(".1")), content);
    QCOMPARE(test::stampOf(backupPath() + QStringLiteral(".1")).mode, mode_t(0600));
    QVERIFY(ProjectStore(clock, uuids).projects() == store.projects());

    // Only the damaged file is kept; later saves leave the backups alone.
    store.remove(store.projects()[0].id);
    QCOMPARE(contentOf(backupPath() + QStringLiteral(".1")), content);
    QVERIFY(!QFile::exists(backupPath() + QStringLiteral(".2")));
  }

  // Whatever stands in the history's place, the window appears: reading
  // neither blocks nor fills the memory, and the thing is kept aside.
  void aSpecialFileIsRefusedAndKeptAside_data() { test::specialKinds(); }
  void aSpecialFileIsRefusedAndKeptAside() {
    QFETCH(QString, kind);
    test::FakeClock clock;
    test::SequentialUuids uuids;
    QVERIFY(test::putSpecial(historyPath(), kind));
    ProjectStore store(clock, uuids);
    QVERIFY(store.projects().empty());
    store.add(conversion("Neu", 10), "/work/Neu");
    QVERIFY(!store.saveError());
    QCOMPARE(test::kindOf(historyPath()), QStringLiteral("file"));
    QCOMPARE(test::kindOf(backupPath()), kind);
    QVERIFY(ProjectStore(clock, uuids).projects() == store.projects());
  }

  // Two instances of the app adding records at the same moment keep all of them.
  void twoInstancesKeepEachOthersRecords() {
    const int perWriter = 200;
    QCOMPARE(test::runWriters({{"history", "Erste ", QString::number(perWriter)},
                               {"history", "Zweite ", QString::number(perWriter)}}),
             (QList<int>{0, 0}));
    test::FakeClock clock;
    test::SequentialUuids uuids;
    QSet<QString> names;
    QSet<QUuid> ids;
    const ProjectStore reopened(clock, uuids);
    for (const ProjectRecord& record : reopened.projects()) {
      names.insert(record.name);
      ids.insert(record.id);
    }
    QCOMPARE(names.size(), 2 * perWriter);
    QCOMPARE(ids.size(), 2 * perWriter);
    QVERIFY(names.contains(QStringLiteral("Erste 199")) && names.contains(QStringLiteral("Zweite 0")));
  }

  // Each save applies this store's changes to the file as it is now: what
  // another instance added, changed or removed meanwhile is kept, and shows.
  void savesMergeWhatAnotherInstanceWrote() {
    test::FakeClock clock;
    test::SequentialUuids uuids;
    ProjectStore first(clock, uuids);
    ProjectStore second(clock, uuids);
    const ProjectRecord wetter = first.add(conversion("Wetter", 10), "/work/Wetter");
    const ProjectRecord notizen = second.add(conversion("Notizen", 20), "/work/Notizen");
    const auto names = [](const ProjectStore& store) {
      QStringList list;
      for (const ProjectRecord& record : store.projects()) list.append(record.name);
      return list;
    };
    QCOMPARE(names(second), (QStringList{"Notizen", "Wetter"}));
    QCOMPARE(names(ProjectStore(clock, uuids)), (QStringList{"Notizen", "Wetter"}));
    first.save();
    QCOMPARE(names(first), (QStringList{"Notizen", "Wetter"}));

    // A removal there and a change here: neither undoes the other.
    second.remove(wetter.id);
    first.updateAI(notizen.id, aiRecord(0, true));
    QCOMPARE(names(first), (QStringList{"Notizen"}));
    const std::vector<ProjectRecord> stored = ProjectStore(clock, uuids).projects();
    QCOMPARE(stored.size(), std::size_t(1));
    QVERIFY(stored[0].ai == aiRecord(0, true));

    // Clearing removes what this store has seen, not what it has not.
    first.add(conversion("Später", 5), "/work/Später");
    second.setProjects({});
    second.save();
    QCOMPARE(names(second), (QStringList{"Später"}));
    QCOMPARE(names(ProjectStore(clock, uuids)), (QStringList{"Später"}));
  }

  // A save that fails (here: the file may not grow, as on a full disk) is
  // told once, with the file's name; the list stays in memory and the next
  // change saves all of it.
  void aFailedSaveIsToldAndRepeatedWithTheNextChange() {
    test::FakeClock clock;
    test::SequentialUuids uuids;
    ProjectStore store(clock, uuids);
    store.add(conversion("Erste", 10), "/work/Erste");
    QSignalSpy failures(&store, &ProjectStore::saveFailed);
    {
      const test::FileSizeLimit full(64);
      store.add(conversion("Zweite", 20), "/work/Zweite");
      store.add(conversion("Dritte", 30), "/work/Dritte");
    }
    const QString expected = QStringLiteral("„") + historyPath() +
                             QStringLiteral("“ konnte nicht gespeichert werden: Datei zu groß. Die Einträge bleiben "
                                            "in der App erhalten und werden bei der nächsten Änderung erneut "
                                            "gespeichert.");
    QCOMPARE(failures.size(), 1);
    QCOMPARE(failures[0][0].toString(), expected);
    QCOMPARE(store.saveError(), std::optional(expected));
    QCOMPARE(store.projects().size(), std::size_t(3));
    QCOMPARE(ProjectStore(clock, uuids).projects().size(), std::size_t(1));
    QCOMPARE(QDir(AppPaths::folder()).entryList(QDir::Hidden | QDir::Files), QStringList{"projekte.json"});

    store.add(conversion("Vierte", 40), "/work/Vierte");
    QVERIFY(!store.saveError());
    QCOMPARE(failures.size(), 1);
    QVERIFY(ProjectStore(clock, uuids).projects() == store.projects());
    QCOMPARE(store.projects().size(), std::size_t(4));
  }

  void everyChangeIsSavedAtOnceAndSeenByEveryWindow() {
    test::FakeClock clock;
    test::SequentialUuids uuids;
    ProjectStore store(clock, uuids);
    QVERIFY(QFileInfo(AppPaths::folder()).isDir());
    QVERIFY(!QFile::exists(historyPath()));
    Window first(store);
    Window second(store);

    const ProjectRecord added = first.store.add(conversion("Erste", 100), "/home/ich/Erste");
    clock.advance(60);
    second.store.add(conversion("Zweite", 50), "/home/ich/Zweite");
    const ProjectRecord expected{
        .id = QUuid(QStringLiteral("00000000-0000-0000-0000-000000000001")),
        .name = QStringLiteral("Erste"),
        .inputPath = QStringLiteral("/home/ich/Erste"),
        .outputPath = QStringLiteral("/work/Erste-Android"),
        .date = test::fixedNow(),
        .swiftFiles = 3,
        .swiftLines = 100,
        .kotlinFiles = 4,
        .coverage = 0.75,
        .unsupported = 2,
        .images = 1,
        .colors = 2,
        .warnings = {{"A.swift", "Nicht übersetzt", "x"}},
    };
    QVERIFY(added == expected);
    QCOMPARE(first.seen, QStringList({"Erste", "Zweite,Erste"}));
    QCOMPARE(second.seen, first.seen);
    QVERIFY(ProjectStore(clock, uuids).projects() == store.projects());

    // An unknown id changes nothing and writes nothing.
    const test::FileStamp before = test::stampOf(historyPath());
    store.updateAI(QUuid::createUuid(), aiRecord(0, true));
    QVERIFY(test::stampOf(historyPath()) == before);

    store.updateAI(added.id, aiRecord(1, false));
    store.updateAI(added.id, aiRecord(0, true));
    QVERIFY(store.project(added.id)->ai == aiRecord(0, true));
    QVERIFY(ProjectStore(clock, uuids).projects() == store.projects());

    // Removing an unknown id changes nothing but still writes the file.
    const test::FileStamp unchanged = test::stampOf(historyPath());
    store.remove(QUuid::createUuid());
    QVERIFY(test::stampOf(historyPath()).inode != unchanged.inode);
    QVERIFY(ProjectStore(clock, uuids).projects() == store.projects());

    first.store.remove(added.id);
    QVERIFY(!store.project(added.id));
    QVERIFY(!store.project(std::nullopt));
    QCOMPARE(second.seen, QStringList({"Erste", "Zweite,Erste", "Zweite,Erste", "Zweite,Erste", "Zweite"}));
    QCOMPARE(first.seen, second.seen);
    QCOMPARE(ProjectStore(clock, uuids).projects().size(), size_t(1));

    // Clearing: an equal list announces nothing; the file changes with save().
    store.setProjects(store.projects());
    QCOMPARE(first.seen.size(), 5);
    store.setProjects({});
    QCOMPARE(first.seen.size(), 6);
    QCOMPARE(ProjectStore(clock, uuids).projects().size(), size_t(1));
    store.save();
    QCOMPARE(contentOf(historyPath()), QByteArray("[]"));
  }

  // A number JSON cannot hold would turn the file into one that no longer
  // reads; the save is dropped instead and the file stays as it was.
  void aRecordThatCannotBeWrittenLeavesTheFileAlone() {
    test::FakeClock clock;
    test::SequentialUuids uuids;
    ProjectStore store(clock, uuids);
    store.add(conversion("Erste", 100), "/home/ich/Erste");
    const QByteArray saved = contentOf(historyPath());
    ProjectRecord::AIRecord broken = aiRecord(0, true);
    broken.costUSD = std::nan("");
    store.updateAI(store.projects()[0].id, broken);
    QCOMPARE(contentOf(historyPath()), saved);
  }

  void effectiveCoverage_data() {
    QTest::addColumn<double>("coverage");
    QTest::addColumn<int>("unsupported");
    QTest::addColumn<int>("remaining");  // -1: no AI record
    QTest::addColumn<int>("compiled");   // -1: absent
    QTest::addColumn<double>("expected");
    QTest::addColumn<bool>("exact");
    QTest::newRow("four places left, not compiled") << 0.6 << 10 << 4 << 0 << 0.84 << false;
    QTest::newRow("none left and compiled") << 0.6 << 10 << 0 << 1 << 1.0 << true;
    QTest::newRow("none left, not compiled") << 0.6 << 10 << 0 << 0 << 1.0 << false;
    QTest::newRow("none left, no compile check") << 0.6 << 10 << 0 << -1 << 1.0 << false;
    QTest::newRow("more left than there were") << 0.6 << 10 << 12 << 1 << 0.6 << true;
    QTest::newRow("nothing untranslated") << 0.3 << 0 << 0 << 1 << 0.3 << true;
    QTest::newRow("no AI record") << 0.6 << 10 << -1 << -1 << 0.6 << true;
  }

  void effectiveCoverage() {
    QFETCH(double, coverage);
    QFETCH(int, unsupported);
    QFETCH(int, remaining);
    QFETCH(int, compiled);
    QFETCH(double, expected);
    QFETCH(bool, exact);
    std::optional<ProjectRecord::AIRecord> ai;
    if (remaining >= 0) {
      ai = aiRecord(remaining, compiled < 0 ? std::nullopt : std::optional<bool>(compiled == 1));
    }
    const double actual = record(coverage, unsupported, ai).effectiveCoverage();
    if (exact) {
      QVERIFY2(actual == expected, qPrintable(QString::number(actual, 'g', 17)));
    } else {
      QCOMPARE(actual, expected);
    }
  }

  void statistics_data() {
    QTest::addColumn<std::vector<ProjectRecord>>("records");
    QTest::addColumn<long long>("lines");
    QTest::addColumn<long long>("files");
    QTest::addColumn<double>("average");
    QTest::addColumn<long long>("aiFixed");
    QTest::addColumn<int>("compiled");
    const auto sized = [](ProjectRecord r, int lines, int files) {
      r.swiftLines = lines;
      r.kotlinFiles = files;
      return r;
    };
    QTest::newRow("empty") << std::vector<ProjectRecord>{} << 0LL << 0LL << 0.0 << 0LL << 0;
    QTest::newRow("no AI records") << std::vector<ProjectRecord>{sized(record(0.5, 3), 40, 2),
                                                                  sized(record(1, 0), 10, 1)}
                                   << 50LL << 3LL << 0.75 << 0LL << 0;
    // 0.84 + 0.9 + 1 + 1 + 0.3; fixed 6 − 3 + 4 + 0; compiled: the second and the last.
    QTest::newRow("mixed") << std::vector<ProjectRecord>{sized(record(0.6, 10, aiRecord(4, false)), 100, 3),
                                                         sized(record(0.9, 2, aiRecord(5, true)), 50, 2),
                                                         sized(record(0.5, 4, aiRecord(0, std::nullopt)), 30, 1),
                                                         sized(record(1, 0), 20, 4),
                                                         sized(record(0.3, 0, aiRecord(0, true)), 10, 0)}
                           << 210LL << 10LL << 0.808 << 7LL << 2;
    QTest::newRow("more left than there were") << std::vector<ProjectRecord>{record(0.9, 2, aiRecord(5, true))}
                                               << 0LL << 0LL << 0.9 << -3LL << 1;
  }

  void statistics() {
    test::FakeClock clock;
    test::SequentialUuids uuids;
    QFETCH(std::vector<ProjectRecord>, records);
    ProjectStore store(clock, uuids);
    store.setProjects(records);
    QTEST(store.totalLines(), "lines");
    QTEST(store.totalFiles(), "files");
    QTEST(store.averageCoverage(), "average");
    QTEST(store.aiFixed(), "aiFixed");
    QTEST(store.compiledCount(), "compiled");
  }
};

TOVRANE_APP_TEST(ProjectStoreTest)
#include "ProjectStoreTest.moc"
