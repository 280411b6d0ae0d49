#include "app/state/Updater.hpp"
#include "core/support/Json.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/FakeUpdates.hpp"

#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>

using namespace tovrane::app;
using namespace tovrane::app::test;
using namespace std::chrono_literals;
namespace fakes = tovrane::fakes;

namespace {

const QString checkFailed = QStringLiteral("failed: Update-Prüfung fehlgeschlagen: ");

fakes::FakeReply noAnswer() {
  fakes::FakeReply reply;
  reply.mode = fakes::FakeReply::Mode::closeWithoutAnswer;
  return reply;
}

// The decoded release as one line, or the error's text.
QString decoded(const QByteArray& body) {
  try {
    const Updater::Release release = Updater::Release::decode(body.toStdString());
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(release.version)
        .arg(release.build)
        .arg(release.url, release.sha256, release.notes.value_or(QStringLiteral("-")));
  } catch (const std::exception& error) {
    return QStringLiteral("error: ") + QString::fromStdString(error.what());
  }
}

}  // namespace

class UpdaterTest : public QObject {
  Q_OBJECT

  QTemporaryDir temp;
  std::shared_ptr<FakeInstaller> installer;
  const long long own = Updater::currentBuild();

 private slots:
  void init() { installer = std::make_shared<FakeInstaller>(temp.filePath(QStringLiteral("private")).toStdString()); }

  void versionInformationComesFromTheBuild() {
    QVERIFY(Updater::currentBuild() >= 1);
    QVERIFY(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(Updater::currentVersion()).hasMatch());
    const QString url = Updater::feedURL();
    QVERIFY2(url.startsWith(QStringLiteral("https://")), qPrintable(url));
#ifdef Q_OS_MACOS
    QVERIFY(url.endsWith(QStringLiteral("/tovraneandroid/download/version.json")));
#else
    QVERIFY2(url.endsWith(QStringLiteral("/tovraneandroid/download/version-linux-") +
                          QSysInfo::buildCpuArchitecture() + QStringLiteral(".json")),
             qPrintable(url));
#endif
  }

  void decodesTheFeedStrictly_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");
    const QByteArray start = "{\"version\":\"0.2.0\",\"build\":7,\"url\":\"https://h/a.tar.gz\",\"sha256\":\"AB12\"";
    QTest::newRow("notes missing") << start + "}" << "0.2.0 7 https://h/a.tar.gz AB12 -";
    QTest::newRow("notes null") << start + ",\"notes\":null}" << "0.2.0 7 https://h/a.tar.gz AB12 -";
    QTest::newRow("notes and unknown keys") << start + ",\"notes\":\"Neu\",\"channel\":\"beta\"}"
                                            << "0.2.0 7 https://h/a.tar.gz AB12 Neu";
    QTest::newRow("notes not text") << start + ",\"notes\":3}" << "error: $.notes: erwartet Text, gefunden ganze Zahl";
    QTest::newRow("build as text") << QByteArray("{\"version\":\"1\",\"build\":\"7\",\"url\":\"u\",\"sha256\":\"s\"}")
                                   << "error: $.build: erwartet ganze Zahl, gefunden Text";
    QTest::newRow("build 1.5") << QByteArray("{\"version\":\"1\",\"build\":1.5,\"url\":\"u\",\"sha256\":\"s\"}")
                               << "error: $.build: erwartet ganze Zahl, gefunden Zahl";
    QTest::newRow("build above 64 bits signed")
        << QByteArray("{\"version\":\"1\",\"build\":9223372036854775808,\"url\":\"u\",\"sha256\":\"s\"}")
        << "error: $.build: Zahl zu groß";
    QTest::newRow("build above 64 bits")
        << QByteArray("{\"version\":\"1\",\"build\":18446744073709551616,\"url\":\"u\",\"sha256\":\"s\"}")
        << "error: $.build: erwartet ganze Zahl, gefunden Zahl";
    QTest::newRow("url missing") << QByteArray("{\"version\":\"1\",\"build\":7,\"sha256\":\"s\"}")
                                 << "error: $.url: Wert fehlt";
    QTest::newRow("error page") << QByteArray("<html><body>502 Bad Gateway</body></html>")
                                << "error: Die Antwort ist kein JSON-Dokument.";
    QTest::newRow("a list") << QByteArray("[]") << "error: $: erwartet Objekt, gefunden Liste";
  }
  void decodesTheFeedStrictly() {
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);
    QCOMPARE(decoded(body), expected);
  }

  // Part of the decision table: silent and reported checks, from a state a
  // failed reported check left behind, so "unchanged" can be told apart.
  void checkDecides_data() {
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("expected");  // "unchanged", a state, or a state's beginning ending in "…"
    for (const bool silent : {true, false}) {
      const auto row = [silent](const char* situation, const QString& expected) {
        QTest::addRow("%s, %s", silent ? "silent" : "reported", situation) << silent << QString::fromUtf8(situation)
                                                                           << expected;
      };
      row("unreachable", silent ? QStringLiteral("unchanged")
                                : checkFailed + QStringLiteral("Keine Verbindung zum Server (127.0.0.1)"));
      row("not a release", silent ? QStringLiteral("unchanged")
                                  : checkFailed + QStringLiteral("$.build: erwartet ganze Zahl, gefunden Text"));
      row("same build", silent ? QStringLiteral("idle") : QStringLiteral("upToDate"));
      row("older build", silent ? QStringLiteral("idle") : QStringLiteral("upToDate"));
      row("newer, automatic updates off", QStringLiteral("available"));
      row("newer, a job running", QStringLiteral("available"));
      row("newer, allowed", QStringLiteral("installing"));
    }
  }
  void checkDecides() {
    QFETCH(bool, silent);
    QFETCH(QString, situation);
    QFETCH(QString, expected);
    UpdaterRig rig(installer);
    const std::string archive = "archive bytes";
    const std::string url = rig.serveArchive(archive);

    rig.server.on("/feed", noAnswer());
    rig.updater->check(false);
    rig.finish();
    const QString before = rig.state();
    QCOMPARE(before, checkFailed + QStringLiteral("Keine Verbindung zum Server (127.0.0.1)"));
    rig.states.clear();

    long long build = own + 1;
    if (situation == QLatin1String("unreachable")) {
      rig.server.on("/feed", noAnswer());
    } else if (situation == QLatin1String("not a release")) {
      rig.serveFeed("{\"version\":\"0.2.0\",\"build\":\"8\",\"url\":\"https://h/a\",\"sha256\":\"00\"}");
    } else {
      if (situation == QLatin1String("same build")) build = own;
      if (situation == QLatin1String("older build")) build = own - 1;
      if (situation.contains(QLatin1String("off"))) rig.settings.setAutoUpdate(false);
      if (situation.contains(QLatin1String("job"))) rig.jobs = 1;
      rig.serveFeed(feed(build, url, sha256Hex(archive)));
    }
    rig.updater->check(silent);
    rig.finish();

    const QString actual = rig.state();
    if (expected == QLatin1String("unchanged")) {
      QCOMPARE(actual, before);
      QVERIFY(rig.states.isEmpty());
    } else if (expected.endsWith(QStringLiteral("…"))) {
      QVERIFY2(actual.startsWith(expected.chopped(1)), qPrintable(actual));
    } else {
      QCOMPARE(actual, expected);
    }
    // Only a reported check shows that it is looking.
    QCOMPARE(rig.states.value(0) == QLatin1String("checking"), !silent);
    const bool installs = expected == QLatin1String("installing");
    QCOMPARE(rig.requestsTo("/archive"), installs ? 1 : 0);
    QCOMPARE(rig.quits, installs ? 1 : 0);
    if (installs) {
      QCOMPARE(installer->installations().size(), 1u);
      QCOMPARE(installer->installations()[0].archive, archive);
      QCOMPARE(installer->installations()[0].build, build);
    }
    // The release is kept whenever the feed could be read, newer or not.
    QCOMPARE(rig.updater->release().has_value(), situation != QLatin1String("unreachable") &&
                                                     situation != QLatin1String("not a release"));
  }

  // The download's progress rule, the digest comparison and a broken stream.
  void downloadsVerifiesAndReports_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("announceLength");
    QTest::addColumn<QString>("digest");  // "exact", "capitals" or "trailing blank"
    QTest::addColumn<bool>("breakOff");
    QTest::addColumn<QStringList>("expected");  // the last may end in "…": a beginning
    const int mebibyte = 1048576;
    const QString checksum = QStringLiteral("failed: Prüfsumme stimmt nicht – Download beschädigt.");
    QTest::newRow("2.5 MiB with length") << mebibyte * 5 / 2 << true << "exact" << false
                                         << QStringList{"downloading 0", "downloading 0.4", "downloading 0.8",
                                                        "installing"};
    QTest::newRow("2.5 MiB without length") << mebibyte * 5 / 2 << false << "exact" << false
                                            << QStringList{"downloading 0", "installing"};
    QTest::newRow("exactly 1 MiB with length") << mebibyte << true << "exact" << false
                                               << QStringList{"downloading 0", "downloading 1", "installing"};
    QTest::newRow("empty archive") << 0 << true << "exact" << false << QStringList{"downloading 0", "installing"};
    QTest::newRow("digest in capitals") << 1000 << true << "capitals" << false
                                        << QStringList{"downloading 0", "installing"};
    QTest::newRow("digest with a trailing blank") << 1000 << true << "trailing blank" << false
                                                  << QStringList{"downloading 0", checksum};
    QTest::newRow("broken stream") << mebibyte * 2 << false << "exact" << true
                                   << QStringList{"downloading 0", "failed: Keine Verbindung zum Server (127.0.0.1)"};
    QTest::newRow("broken stream with length")
        << mebibyte * 2 << true << "exact" << true
        << QStringList{"downloading 0", "downloading 0.5", "failed: Keine Verbindung zum Server (127.0.0.1)"};
  }
  void downloadsVerifiesAndReports() {
    QFETCH(int, size);
    QFETCH(bool, announceLength);
    QFETCH(QString, digest);
    QFETCH(bool, breakOff);
    QFETCH(QStringList, expected);
    UpdaterRig rig(installer);
    std::string archive(static_cast<std::size_t>(size), '\0');
    for (std::size_t i = 0; i < archive.size(); ++i) archive[i] = static_cast<char>((i * 31) ^ (i >> 9));
    std::string url = rig.serveArchive(archive, announceLength);
    if (breakOff) {
      // Three quarters arrive, then the server goes away.
      fakes::FakeReply broken;
      broken.chunks = {{0ms, archive.substr(0, archive.size() * 3 / 4)}};
      broken.breakOff = true;
      if (announceLength) broken.announcedLength = archive.size();
      rig.server.on("/archive", broken);
    }
    std::string sha = sha256Hex(archive);
    if (digest == QLatin1String("capitals")) sha = QString::fromStdString(sha).toUpper().toStdString();
    if (digest == QLatin1String("trailing blank")) sha += " ";
    rig.offer(own + 1, url, sha);

    rig.updater->install();
    rig.finish();

    QCOMPARE(rig.states.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
      if (expected[i].endsWith(QStringLiteral("…"))) {
        QVERIFY2(rig.states[i].startsWith(expected[i].chopped(1)), qPrintable(rig.states[i]));
      } else {
        QCOMPARE(rig.states[i], expected[i]);
      }
    }
    const bool installed = expected.last() == QLatin1String("installing");
    QCOMPARE(rig.quits, installed ? 1 : 0);
    QCOMPARE(installer->installations().size(), installed ? 1u : 0u);
    if (installed) QVERIFY(installer->installations()[0].archive == archive);
    // A failed download leaves no private folder behind.
    QCOMPARE(installer->privateFolders().size(), 1u);
    QCOMPARE(std::filesystem::exists(installer->privateFolders()[0]), installed);
  }

  void refusedPrivateFolderEndsInItsText() {
    installer->folderFailure = QStringLiteral("Keine Schreibrechte für /irgendwo.");
    UpdaterRig rig(installer);
    rig.offer(own + 1, rig.serveArchive("x"), sha256Hex("x"));
    rig.updater->install();
    rig.finish();
    QCOMPARE(rig.states, (QStringList{"downloading 0", "failed: Keine Schreibrechte für /irgendwo."}));
    QCOMPARE(rig.requestsTo("/archive"), 0);
  }

  // Checks, repeated clicks and a second loop never start a second installation.
  void oneInstallationAtATime() {
    UpdaterRig rig(installer);
    const std::string archive = "slow archive";
    fakes::FakeReply slow;
    slow.chunks = {{0ms, archive.substr(0, 4)}, {600ms, archive.substr(4)}};
    rig.server.on("/archive", slow);
    const std::string url = rig.server.url("/archive");
    rig.offer(own + 1, url, sha256Hex(archive));

    // A silent check that is still waiting for the feed when the installation starts.
    rig.serveFeed(feed(own + 1, url, sha256Hex(archive)), 300ms);
    rig.settings.setAutoUpdate(true);
    rig.updater->check(true);
    rig.updater->install();
    QCOMPARE(rig.state(), QStringLiteral("downloading 0"));
    rig.updater->check(false);
    rig.updater->install();
    rig.updater->startAutomaticChecks();
    QCOMPARE(rig.state(), QStringLiteral("downloading 0"));

    installer->hold();
    QTRY_COMPARE(rig.state(), QStringLiteral("installing"));
    rig.updater->check(false);
    rig.updater->install();
    installer->release();
    rig.finish();

    QCOMPARE(rig.states, (QStringList{"downloading 0", "installing"}));
    QCOMPARE(rig.requestsTo("/archive"), 1);
    QCOMPARE(installer->installations().size(), 1u);
    QCOMPARE(rig.quits, 1);
    // The offer's check and the silent one: nothing started while installing.
    QCOMPARE(rig.requestsTo("/feed"), 2);
  }

  void automaticChecksRunOnceAndRepeat() {
    {
      // An interval no run reaches: the second start adds neither a check nor a tidying.
      UpdaterRig rig(installer);
      rig.serveFeed(feed(own, "https://h/a", "00"));
      rig.updater->startAutomaticChecks();
      rig.updater->startAutomaticChecks();
      rig.finish();
      QCOMPARE(rig.requestsTo("/feed"), 1);
      QCOMPARE(installer->tidied(), 1);
    }
    // A short one: the checks repeat, the tidying does not.
    UpdaterRig rig(installer, 100ms);
    rig.serveFeed(feed(own, "https://h/a", "00"));
    rig.updater->startAutomaticChecks();
    rig.updater->startAutomaticChecks();
    QTRY_VERIFY(rig.requestsTo("/feed") >= 3);
    rig.finish();
    QCOMPARE(installer->tidied(), 2);
    QCOMPARE(rig.state(), QStringLiteral("idle"));
  }

  // Installed by a package or run from a build folder: offered, never installed.
  void installationManagedElsewhereOnlyOffers() {
    installer->selfUpdating = false;
    UpdaterRig rig(installer);
    const std::string url = rig.serveArchive("x");
    rig.serveFeed(feed(own + 1, url, sha256Hex("x")));
    rig.updater->check(true);
    rig.finish();
    QCOMPARE(rig.state(), QStringLiteral("available"));
    rig.updater->install();
    rig.finish();
    QCOMPARE(rig.state(), QStringLiteral("available"));
    QCOMPARE(rig.requestsTo("/archive"), 0);
    QVERIFY(installer->privateFolders().empty());
  }

  // An address the archive may not come from is refused before anything is
  // fetched, and the banner says why.
  void archiveAddressMustBeSecure_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("expected");
    const QString invalid = QStringLiteral("failed: Update nicht geladen: Die Adresse des Archivs ist ungültig.");
    QTest::newRow("plain http elsewhere")
        << "http://example.org/a.tar.gz"
        << "failed: Update nicht geladen: Das Archiv liegt auf einer unverschlüsselten http-Adresse.";
    QTest::newRow("file") << "file:///etc/passwd" << invalid;
    QTest::newRow("no address") << "Download" << invalid;
    QTest::newRow("loopback http") << "" << "installing";
  }
  void archiveAddressMustBeSecure() {
    QFETCH(QString, url);
    QFETCH(QString, expected);
    UpdaterRig rig(installer);
    const std::string loopback = rig.serveArchive("x");
    rig.offer(own + 1, url.isEmpty() ? loopback : url.toStdString(), sha256Hex("x"));
    rig.updater->install();
    rig.finish();
    QCOMPARE(rig.state(), expected);
    const bool installs = expected == QLatin1String("installing");
    QCOMPARE(installer->privateFolders().size(), installs ? 1u : 0u);
    QCOMPARE(rig.requestsTo("/archive"), installs ? 1 : 0);
  }

  // A feed or an archive that answers with an error status says so, rather
  // than that the document is no JSON or the download is damaged.
  void errorStatusesAreReported_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("expected");
    QTest::newRow("feed not found") << "/feed" << 404 << "<html>Not Found</html>"
                                    << checkFailed + QStringLiteral("Der Server antwortet mit Fehler 404.");
    QTest::newRow("feed with a JSON error document")
        << "/feed" << 500 << R"({"version":"9","build":999999,"url":"https://h/a","sha256":"00"})"
        << checkFailed + QStringLiteral("Der Server antwortet mit Fehler 500.");
    QTest::newRow("archive not found")
        << "/archive" << 404 << "<html>Not Found</html>"
        << "failed: Update-Download fehlgeschlagen: Der Server antwortet mit Fehler 404.";
    QTest::newRow("archive without a body")
        << "/archive" << 503 << "" << "failed: Update-Download fehlgeschlagen: Der Server antwortet mit Fehler 503.";
  }
  void errorStatusesAreReported() {
    QFETCH(QString, path);
    QFETCH(int, status);
    QFETCH(QString, body);
    QFETCH(QString, expected);
    UpdaterRig rig(installer);
    fakes::FakeReply failure;
    failure.status = status;
    failure.body = body.toStdString();
    if (path == QLatin1String("/feed")) {
      rig.server.on("/feed", failure);
      rig.updater->check(false);
      rig.finish();
      QVERIFY(!rig.updater->release());
    } else {
      rig.offer(own + 1, rig.server.url("/archive"), sha256Hex(body.toStdString()));
      rig.server.on("/archive", failure);
      rig.updater->install();
      rig.finish();
      QCOMPARE(installer->installations().size(), 0u);
      QVERIFY(!std::filesystem::exists(installer->privateFolders().at(0)));
    }
    QCOMPARE(rig.state(), expected);
  }

  // A job that starts while an update is under way is not ended by it:
  // right before the app is changed and again right before it restarts, the
  // update goes back to being offered, unless the user agreed to end jobs.
  void anUpdateWaitsForAJobStartedMeanwhile_data() {
    QTest::addColumn<QString>("jobStarts");
    QTest::addColumn<QStringList>("states");
    QTest::addColumn<int>("installations");
    QTest::newRow("no job") << "never" << QStringList{"downloading 0", "installing"} << 1;
    QTest::newRow("during the download") << "downloading" << QStringList{"downloading 0", "available"} << 0;
    QTest::newRow("while it is put in place")
        << "installing" << QStringList{"downloading 0", "installing", "available"} << 1;
    QTest::newRow("the user agreed to end jobs") << "agreed" << QStringList{"downloading 0", "installing"} << 1;
  }
  void anUpdateWaitsForAJobStartedMeanwhile() {
    QFETCH(QString, jobStarts);
    QFETCH(QStringList, states);
    QFETCH(int, installations);
    UpdaterRig rig(installer);
    rig.offer(own + 1, rig.serveArchive("archive"), sha256Hex("archive"));
    if (jobStarts == QLatin1String("agreed")) {
      rig.jobs = 1;
      rig.updater->install(Updater::RunningJobs::end);
    } else {
      installer->hold();
      rig.updater->install();
      // The download's result is only taken on this thread, after this.
      if (jobStarts == QLatin1String("downloading")) rig.jobs = 1;
      if (jobStarts == QLatin1String("installing")) {
        QTRY_COMPARE(rig.state(), QStringLiteral("installing"));
        rig.jobs = 1;
      }
      installer->release();
    }
    rig.finish();
    QCOMPARE(rig.states, states);
    QCOMPARE(rig.quits, states.last() == QLatin1String("installing") ? 1 : 0);
    QCOMPARE(static_cast<int>(installer->installations().size()), installations);
    QCOMPARE(rig.requestsTo("/archive"), 1);
    if (states.last() == QLatin1String("available")) {
      // Offered again; nothing of the download is kept.
      QVERIFY(!std::filesystem::exists(installer->privateFolders().at(0)));
    }
  }
};

TOVRANE_APP_TEST(UpdaterTest)
#include "UpdaterTest.moc"
