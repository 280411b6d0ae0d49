#include "app/platform/PlatformTexts.hpp"
#include "app/state/Brand.hpp"
#include "app/window/UpdateBanner.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/FakeUpdates.hpp"
#include "tests/app/fakes/Fakes.hpp"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

using namespace tovrane::app;
using namespace tovrane::app::test;
using namespace std::chrono_literals;
namespace fakes = tovrane::fakes;

namespace {

const std::string longNotes =
    "Schnellere Umwandlung großer Projekte, neue Vorlagen für Listen und Formulare, bessere Fehlermeldungen "
    "bei fehlenden Android-Werkzeugen, ein überarbeiteter Assistent für den ersten Start, zahlreiche kleine "
    "Korrekturen an der Oberfläche und eine deutlich genauere Kostenschätzung der KI-Reparatur.";

// A stand-in for the sidebar's bottom area: the banner above the guide link,
// at the sidebar's width.
struct Sidebar {
  explicit Sidebar(UpdaterRig& rig) {
    widget.setFixedWidth(220);
    widget.setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(&widget);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(8);
    banner = new UpdateBanner(*rig.updater, dialogs, &widget);
    layout->addWidget(banner);
    below = new QLabel(QStringLiteral("Anleitung"), &widget);
    layout->addWidget(below);
    layout->addStretch();
    widget.resize(220, 260);
    widget.show();
  }
  template <typename T = QLabel>
  T* find(const char* name) const {
    return banner->findChild<T*>(QString::fromUtf8(name));
  }
  QString text(const char* name) const {
    const QLabel* label = find(name);
    return label && label->isVisible() ? label->text() : QStringLiteral("(none)");
  }

  FakeDialogs dialogs;
  QWidget widget;
  UpdateBanner* banner = nullptr;
  QLabel* below = nullptr;
};

}  // namespace

class UpdateBannerTest : public QObject {
  Q_OBJECT

  QTemporaryDir temp;
  const long long own = Updater::currentBuild();

  std::shared_ptr<FakeInstaller> newInstaller() {
    return std::make_shared<FakeInstaller>(temp.filePath(QStringLiteral("private")).toStdString());
  }

 private slots:
  // Each state, drawn at the sidebar's width and captured for people to look at.
  void showsEachState_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("label");     // objectName of the label that carries the text
    QTest::addColumn<QString>("expected");  // its text
    QTest::newRow("idle") << "idle" << "" << "";
    QTest::newRow("checking") << "checking" << "updateCheckingText" << "Suche Updates …";
    QTest::newRow("upToDate") << "upToDate" << "updateUpToDateText" << "Neueste Version installiert";
    QTest::newRow("available") << "available" << "updateOfferTitle" << "Update 0.2.0 verfügbar";
    QTest::newRow("available without notes") << "available without notes" << "updateOfferTitle"
                                             << "Update 0.2.0 verfügbar";
    QTest::newRow("available, managed elsewhere")
        << "managed elsewhere" << "updateManagedElsewhere"
        << "Diese Installation aktualisiert sich nicht selbst – bitte über die Paketverwaltung aktualisieren.";
    QTest::newRow("downloading") << "downloading" << "updateDownloadingText" << "Update wird geladen …";
    QTest::newRow("installing") << "installing" << "updateInstallingText" << "Wird installiert …";
    QTest::newRow("failed") << "failed" << "updateFailed" << "";
  }
  void showsEachState() {
    QFETCH(QString, state);
    QFETCH(QString, label);
    QFETCH(QString, expected);
    const auto installer = newInstaller();
    installer->selfUpdating = state != QLatin1String("managed elsewhere");
    // A fixed path, so that where the text wraps never depends on a random folder name.
    const QString failure =
        platformText(QStringLiteral("Keine Schreibrechte für /Programme."),
                     QStringLiteral("/home/nutzerin/.local/share/TovraneAndroid/versions"));
    if (state == QLatin1String("failed")) {
      installer->folderFailure = failure;
      expected = failure;
    }
    UpdaterRig rig(installer);
    Sidebar sidebar(rig);
    const std::string archive(4 * 1048576, 'a');
    const std::string sha = sha256Hex(archive);
    const std::string url = rig.serveArchive(archive);
    if (state == QLatin1String("downloading")) {
      // The first mebibyte at once, the rest only when the server is torn down.
      fakes::FakeReply slow;
      slow.chunks = {{0ms, archive.substr(0, 1048576)}, {fakes::FakeHttpServer::maxDelay, archive.substr(1048576)}};
      slow.announcedLength = archive.size();
      rig.server.on("/archive", slow);
    }
    const std::optional<std::string> notes =
        state == QLatin1String("available without notes") ? std::optional<std::string>("")
                                                          : std::optional<std::string>("Schnellere Umwandlung.");

    if (state == QLatin1String("checking")) {
      // Still checking when the banner is looked at, however slow the machine.
      rig.serveFeed(feed(own, url, sha), fakes::FakeHttpServer::maxDelay);
      rig.updater->check(false);
    } else if (state == QLatin1String("upToDate")) {
      rig.serveFeed(feed(own, url, sha));
      rig.updater->check(false);
      rig.finish();
    } else if (state != QLatin1String("idle")) {
      rig.offer(own + 1, url, sha, notes);
    }
    if (state == QLatin1String("installing")) installer->hold();
    if (state == QLatin1String("downloading") || state == QLatin1String("installing") ||
        state == QLatin1String("failed")) {
      rig.updater->install();
    }
    if (state == QLatin1String("downloading")) QTRY_COMPARE(rig.state(), QStringLiteral("downloading 0.25"));
    if (state == QLatin1String("installing")) QTRY_COMPARE(rig.state(), QStringLiteral("installing"));
    if (state == QLatin1String("failed")) rig.finish();
    QCoreApplication::processEvents();
    test::capture(&sidebar.widget, QStringLiteral("update-banner-") + QString(state).replace(QLatin1Char(' '), '-'));

    if (state == QLatin1String("idle")) {
      // Nothing, and no room: the next item starts at the top margin.
      QVERIFY(sidebar.banner->isHidden());
      QCOMPARE(sidebar.below->y(), 12);
    } else if (state == QLatin1String("failed")) {
      // A long path wraps, on at most three lines.
      const QLabel* message = sidebar.find("updateFailed");
      QCOMPARE(message->toolTip(), expected);
      QVERIFY(message->text().count(QLatin1Char('\n')) <= 2);
      QCOMPARE(message->text().remove(QLatin1Char('\n')).remove(QLatin1Char(' ')),
               expected.remove(QLatin1Char(' ')));
      QCOMPARE(message->palette().color(QPalette::WindowText), Brand::swift());
    } else {
      QVERIFY(sidebar.banner->isVisible());
      QCOMPARE(sidebar.text(label.toUtf8().constData()), expected);
    }
    const bool offer = state.startsWith(QLatin1String("available"));
    QCOMPARE(sidebar.find<QPushButton>("installUpdateButton") != nullptr, offer);
    const bool hasNotes = state == QLatin1String("available") || state == QLatin1String("managed elsewhere");
    QCOMPARE(sidebar.text("updateNotes"), hasNotes ? QStringLiteral("Schnellere Umwandlung.") : QStringLiteral("(none)"));
    if (state == QLatin1String("downloading")) QCOMPARE(sidebar.find<QProgressBar>("updateProgress")->value(), 250);
    installer->release();
  }

  void longTextsAreCutToThreeLines() {
    const auto installer = newInstaller();
    UpdaterRig rig(installer);
    Sidebar sidebar(rig);
    rig.offer(own + 1, "https://h/a.tar.gz", "00", longNotes);
    QCoreApplication::processEvents();
    test::capture(&sidebar.widget, QStringLiteral("update-banner-long-notes"));
    const QLabel* notes = sidebar.find("updateNotes");
    QVERIFY(notes);
    const QStringList lines = notes->text().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines.last().endsWith(QStringLiteral("…")), qPrintable(notes->text()));
    QCOMPARE(notes->toolTip(), QString::fromStdString(longNotes));
    QVERIFY(notes->height() < 4 * notes->fontMetrics().lineSpacing());
    // Every line fits the card.
    for (const QString& line : lines) QVERIFY(notes->fontMetrics().horizontalAdvance(line) <= notes->width());
  }

  // "Jetzt installieren" while jobs run asks first; only "Installieren" downloads.
  void installButtonAsksWhileJobsRun_data() {
    QTest::addColumn<int>("jobs");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("question");  // empty: none asked
    QTest::addColumn<bool>("installs");
    const QString one = QStringLiteral("Es läuft noch 1 Prozess. Beim Neustart wird er abgebrochen.");
    const QString three = QStringLiteral("Es laufen noch 3 Prozesse. Beim Neustart werden sie abgebrochen.");
    QTest::newRow("no job") << 0 << false << "" << true;
    QTest::newRow("one job, cancelled") << 1 << false << one << false;
    QTest::newRow("one job, confirmed") << 1 << true << one << true;
    QTest::newRow("three jobs, confirmed") << 3 << true << three << true;
  }
  void installButtonAsksWhileJobsRun() {
    QFETCH(int, jobs);
    QFETCH(bool, answer);
    QFETCH(QString, question);
    QFETCH(bool, installs);
    const auto installer = newInstaller();
    UpdaterRig rig(installer);
    Sidebar sidebar(rig);
    rig.offer(own + 1, rig.serveArchive("x"), sha256Hex("x"));
    rig.jobs = jobs;
    sidebar.dialogs.confirmations.push_back(answer);
    auto* button = sidebar.find<QPushButton>("installUpdateButton");
    QVERIFY(button);
    QCOMPARE(button->accessibleName(), QStringLiteral("Jetzt installieren"));
    QTest::mouseClick(button, Qt::LeftButton);
    rig.finish();

    QCOMPARE(sidebar.dialogs.questions, question.isEmpty() ? QStringList{} : QStringList{question});
    if (!question.isEmpty()) {
      QCOMPARE(sidebar.dialogs.calls, QStringList{"confirm Update jetzt installieren? / Installieren"});
    }
    QCOMPARE(rig.requestsTo("/archive"), installs ? 1 : 0);
    QCOMPARE(rig.state(), installs ? QStringLiteral("installing") : QStringLiteral("available"));
    // Confirmed, the restart ends the jobs; it does not wait for them.
    QCOMPARE(rig.quits, installs ? 1 : 0);
    // The offer gave way to the installation's row.
    QCOMPARE(sidebar.text("updateInstallingText"), installs ? QStringLiteral("Wird installiert …") : "(none)");
  }
};

TOVRANE_APP_TEST(UpdateBannerTest)
#include "UpdateBannerTest.moc"
