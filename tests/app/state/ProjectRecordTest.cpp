#include "app/state/ProjectHistoryFile.hpp"
#include "app/state/ProjectRecord.hpp"
#include "tests/app/AppTest.hpp"

#include <QtTest>

using namespace tovrane::app;

namespace {
// -1 stands for "absent" in the tables below.
ProjectRecord record(double coverage, int unsupported, int placeholders, int remaining, int compiled) {
  ProjectRecord made{.id = QUuid(QStringLiteral("00000000-0000-0000-0000-00000000000a")),
                     .name = QStringLiteral("Trip Planner"),
                     .date = test::fixedNow(),
                     .coverage = coverage,
                     .unsupported = unsupported};
  if (placeholders >= 0) made.placeholders = placeholders;
  if (remaining >= 0) {
    made.ai = ProjectRecord::AIRecord{.date = test::fixedNow(), .backend = QStringLiteral("Codex"),
                                      .remaining = remaining};
    if (compiled >= 0) made.ai->compiled = compiled == 1;
  }
  return made;
}
}  // namespace

// The AI figures of one record count placeholders in the files: those the
// conversion left and those the last repair left.
class ProjectRecordTest : public QObject {
  Q_OBJECT

 private slots:
  void aiFiguresCountPlaceholders_data() {
    QTest::addColumn<double>("coverage");
    QTest::addColumn<int>("unsupported");
    QTest::addColumn<int>("placeholders");
    QTest::addColumn<int>("remaining");
    QTest::addColumn<int>("compiled");
    QTest::addColumn<long long>("solved");
    QTest::addColumn<int>("open");
    QTest::addColumn<double>("effective");
    // Trips: 4 places counted, 2 of them placeholders in the files.
    QTest::newRow("converted, not repaired") << 0.96 << 4 << 2 << -1 << -1 << 0LL << 2 << 0.96;
    QTest::newRow("a repair that changed no file") << 0.96 << 4 << 2 << 2 << 0 << 0LL << 2 << 0.96;
    QTest::newRow("both placeholders filled, not compiled") << 0.96 << 4 << 2 << 0 << 0 << 2LL << 0 << 0.98;
    QTest::newRow("both filled and compiled") << 0.96 << 4 << 2 << 0 << 1 << 2LL << 0 << 1.0;
    QTest::newRow("a repair that added a placeholder") << 0.96 << 4 << 2 << 3 << 0 << -1LL << 3 << 0.96;
    // More placeholders than counted places (the activity's, when no entry view exists).
    QTest::newRow("more placeholders than places") << 0.9 << 1 << 3 << 0 << 0 << 3LL << 0 << 1.0;
    // Records made before the placeholders were counted: their places stand in, as they always did.
    QTest::newRow("older record, not repaired") << 0.6 << 10 << -1 << -1 << -1 << 0LL << 10 << 0.6;
    QTest::newRow("older record, four left") << 0.6 << 10 << -1 << 4 << 0 << 6LL << 4 << 0.84;
    QTest::newRow("older record, more left than there were") << 0.6 << 10 << -1 << 12 << 1 << -2LL << 12 << 0.6;
  }
  void aiFiguresCountPlaceholders() {
    QFETCH(double, coverage);
    QFETCH(int, unsupported);
    QFETCH(int, placeholders);
    QFETCH(int, remaining);
    QFETCH(int, compiled);
    const ProjectRecord made = record(coverage, unsupported, placeholders, remaining, compiled);
    QTEST(made.aiSolved(), "solved");
    QTEST(made.openPlaces(), "open");
    QTEST(made.effectiveCoverage(), "effective");
  }

  // The count is kept in the history beside the places; a history written
  // before it was counted still loads, without it.
  void historyKeepsTheCount() {
    const std::vector<ProjectRecord> records{record(0.96, 4, 2, 2, 0), record(0.6, 10, -1, 4, 0)};
    const std::optional<std::string> text = encodeProjectHistory(records);
    QVERIFY(text);
    const std::string& written = *text;
    QVERIFY(written.find("\"unsupported\": 4,\n    \"placeholders\": 2,\n    \"images\"") != std::string::npos);
    QCOMPARE(written.find("\"placeholders\"", written.find("\"placeholders\"") + 1), std::string::npos);
    const std::optional<std::vector<ProjectRecord>> read = decodeProjectHistory(written);
    QVERIFY(read && *read == records);

    const char* older = R"([{"id": "00000000-0000-0000-0000-00000000000A", "name": "Alt", "inputPath": "/a",
      "outputPath": "/a-Android", "date": 0, "swiftFiles": 1, "swiftLines": 10, "kotlinFiles": 2, "coverage": 0.5,
      "unsupported": 3, "images": 0, "colors": 0, "warnings": [],
      "ai": {"date": 0, "backend": "Codex", "fixed": 2, "remaining": 1, "remainingErrors": 0, "costUSD": 0}}])";
    const std::optional<std::vector<ProjectRecord>> old = decodeProjectHistory(older);
    QVERIFY(old && old->size() == 1);
    QCOMPARE(old->front().placeholders, std::nullopt);
    QCOMPARE(old->front().aiSolved(), 2LL);
  }
};

TOVRANE_APP_TEST(ProjectRecordTest)
#include "ProjectRecordTest.moc"
