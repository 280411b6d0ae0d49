#include "app/cards/DeviceTestCard.hpp"
#include "app/state/DeviceTestModel.hpp"
#include "app/state/Settings.hpp"
#include "app/state/ToolLookup.hpp"
#include "app/state/Workers.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/FakeEngine.hpp"
#include "tests/app/fakes/Fakes.hpp"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace tovrane::app;
using namespace tovrane::app::test;

namespace {

const TestDevice pixel{"Pixel_8_API_35", "Pixel 8", TestDevice::Kind::android, "API 35"};
const TestDevice noLevel{"Pixel_8", "Pixel 8", TestDevice::Kind::android, ""};
const TestDevice iphone{"A1B2-UDID", "iPhone 16", TestDevice::Kind::ios, "iOS 18.1"};

// A converted project on disk: its Android folder and the Xcode folder it came from.
struct Fixture {
  Fixture() {
    QSettings(QStringLiteral("TovraneAndroid")).clear();
    QDir(folder.path()).mkpath(QStringLiteral("Demo-Android"));
    QDir(folder.path()).mkpath(QStringLiteral("Demo"));
  }

  std::filesystem::path android() const { return (folder.path() + QStringLiteral("/Demo-Android")).toStdString(); }
  std::filesystem::path xcode() const { return (folder.path() + QStringLiteral("/Demo")).toStdString(); }
  void removeXcodeFolder() { QDir(folder.path() + QStringLiteral("/Demo")).removeRecursively(); }

  DeviceTestModel& model() {
    if (!model_) {
      model_ = std::make_unique<DeviceTestModel>(engine, workers, settings, tools);
    }
    return *model_;
  }
  std::unique_ptr<DeviceTestCard> card() {
    return std::make_unique<DeviceTestCard>(model(), tools, android(), xcode());
  }
  // Whether the engine says this machine runs the iOS simulator, as the tool lookup has heard it.
  void iosSimulator(bool can) {
    engine.iosSimulator = can;
    tools.refresh();
    QTRY_VERIFY(tools.known());
  }
  // The device runs and listings the card started, without the listings.
  QStringList runs() const { return engine.calls().filter(QStringLiteral("run")); }

  QTemporaryDir folder;
  FakeEngine engine;
  Settings settings;
  Workers workers;
  ToolLookup tools{engine, workers};
  std::unique_ptr<DeviceTestModel> model_;
  // Released before the workers wait for the held runs.
  Holds holds;
};

QStringList entries(const QWidget& card, const char* name) {
  QStringList items;
  const auto* picker = card.findChild<QComboBox*>(QString::fromUtf8(name));
  for (int index = 0; index < picker->count(); ++index) items.append(picker->itemText(index));
  return items;
}

void place(QWidget& card) { showAtWidth(card, 720); }

void snap(QWidget& card, const QString& name) {
  place(card);
  capture(&card, name);
}

QPushButton* button(const QWidget& card, const char* name) {
  return card.findChild<QPushButton*>(QString::fromUtf8(name));
}

}  // namespace

class DeviceTestCardTest : public QObject {
  Q_OBJECT

 private slots:
  // Until the lists arrive both columns show the indicator, yet the
  // remembered choices already let both sides start.
  void loadingKeepsTheRememberedChoices() {
    Fixture fixture;
    fixture.iosSimulator(true);
    fixture.settings.setAndroidDevice(QStringLiteral("Pixel_8_API_35"));
    fixture.settings.setIosDevice(QStringLiteral("A1B2-UDID"));
    fixture.engine.android = {pixel};
    fixture.engine.ios = {iphone};
    fixture.engine.androidListingHold = fixture.holds.make();
    const auto card = fixture.card();
    place(*card);

    QVERIFY(shownIn(*card, "androidLoading"));
    QVERIFY(shownIn(*card, "iosLoading"));
    QVERIFY(!shownIn(*card, "androidPicker"));
    QVERIFY(!shownIn(*card, "iosEmpty"));
    QVERIFY(button(*card, "compareButton")->isEnabled());
    snap(*card, QStringLiteral("device-card-loading"));

    fixture.engine.androidListingHold->release();
    QTRY_VERIFY(shownIn(*card, "androidPicker"));
    QVERIFY(!shownIn(*card, "androidLoading"));
    QCOMPARE(entries(*card, "androidPicker"), QStringList{"Pixel 8 · API 35"});
    QCOMPARE(entries(*card, "iosPicker"), QStringList{"iPhone 16 · iOS 18.1"});
    snap(*card, QStringLiteral("device-card-listed"));

    button(*card, "compareButton")->click();
    QTRY_COMPARE(fixture.runs().size(), 2);
    QVERIFY(fixture.runs().contains("runAndroid " + QString::fromStdString(fixture.android().string()) +
                                    " Pixel_8_API_35"));
    QVERIFY(fixture.runs().contains("runIOS " + QString::fromStdString(fixture.xcode().string()) + " A1B2-UDID"));
  }

  // What a column shows in place of its picker once the lists are loaded.
  void emptyTexts_data() {
    QTest::addColumn<bool>("tools");
    QTest::addColumn<bool>("xcodeFolder");
    QTest::addColumn<bool>("simulators");
    QTest::addColumn<QString>("ios");
    QTest::newRow("no simulator") << true << true << false << "Kein iOS-Simulator gefunden – Xcode installieren.";
    QTest::newRow("original gone, simulators listed")
        << true << false << true << "Das Original-Projekt existiert nicht mehr.";
    QTest::newRow("no iOS tools")
        << false << true << true
        << "Der iPhone-Simulator braucht einen Mac mit Xcode. Hier startet nur die Android-App.";
  }
  void emptyTexts() {
    QFETCH(bool, tools);
    QFETCH(bool, xcodeFolder);
    QFETCH(bool, simulators);
    QFETCH(QString, ios);
    Fixture fixture;
    fixture.iosSimulator(tools);
    if (simulators) fixture.engine.ios = {iphone};
    if (!xcodeFolder) fixture.removeXcodeFolder();
    const auto card = fixture.card();
    place(*card);
    QTRY_VERIFY(fixture.model().loaded());

    QVERIFY(shownIn(*card, "androidEmpty"));
    QCOMPARE(labelText(*card, "androidEmpty"),
             "Kein Emulator gefunden. In Android Studio unter Device Manager ein Pixel-Gerät anlegen.");
    QVERIFY(shownIn(*card, "iosEmpty"));
    QCOMPARE(labelText(*card, "iosEmpty"), ios);
    for (const char* name : {"androidPicker", "androidStart", "iosPicker", "iosStart", "iosLoading"}) {
      QVERIFY2(!shownIn(*card, name), name);
    }
    QVERIFY(!button(*card, "compareButton")->isEnabled());
    if (!tools) snap(*card, QStringLiteral("device-card-empty-without-ios-tools"));
    if (tools && !simulators) snap(*card, QStringLiteral("device-card-empty"));
  }

  // An emulator without an API level keeps the separator; choosing an entry sets the model's choice.
  void pickerEntriesAndChoice() {
    Fixture fixture;
    fixture.engine.android = {noLevel, pixel};
    const auto card = fixture.card();
    card->show();
    QTRY_VERIFY(fixture.model().loaded());
    QCOMPARE(entries(*card, "androidPicker"), (QStringList{"Pixel 8 · ", "Pixel 8 · API 35"}));
    auto* picker = card->findChild<QComboBox*>(QStringLiteral("androidPicker"));
    QCOMPARE(picker->currentIndex(), 0);
    emit picker->activated(1);
    QCOMPARE(fixture.model().androidID(), QStringLiteral("Pixel_8_API_35"));
    QCOMPARE(picker->currentIndex(), 1);
  }

  // Whether "Beide starten und vergleichen" can be pressed, and which sides it starts.
  void compareButton_data() {
    QTest::addColumn<bool>("androidRuns");
    QTest::addColumn<bool>("iosRuns");
    QTest::addColumn<QString>("androidID");
    QTest::addColumn<QString>("iosID");
    QTest::addColumn<bool>("xcodeFolder");
    QTest::addColumn<bool>("tools");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QStringList>("starts");
    const QStringList both{"runAndroid", "runIOS"};
    const QStringList android{"runAndroid"};
    QTest::newRow("both chosen") << false << false << "Pixel_8_API_35" << "A1B2-UDID" << true << true << true << both;
    QTest::newRow("Android runs") << true << false << "Pixel_8_API_35" << "A1B2-UDID" << true << true << false
                                  << QStringList{};
    QTest::newRow("iPhone runs") << false << true << "Pixel_8_API_35" << "A1B2-UDID" << true << true << false
                                 << QStringList{};
    QTest::newRow("no emulator chosen") << false << false << "" << "A1B2-UDID" << true << true << false
                                        << QStringList{};
    QTest::newRow("no simulator chosen") << false << false << "Pixel_8_API_35" << "" << true << true << false
                                         << QStringList{};
    QTest::newRow("original gone, no simulator chosen")
        << false << false << "Pixel_8_API_35" << "" << false << true << true << android;
    QTest::newRow("original gone, simulator chosen")
        << false << false << "Pixel_8_API_35" << "A1B2-UDID" << false << true << true << android;
    QTest::newRow("no iOS tools") << false << false << "Pixel_8_API_35" << "" << true << false << true << android;
  }
  void compareButton() {
    QFETCH(bool, androidRuns);
    QFETCH(bool, iosRuns);
    QFETCH(QString, androidID);
    QFETCH(QString, iosID);
    QFETCH(bool, xcodeFolder);
    QFETCH(bool, tools);
    QFETCH(bool, enabled);
    QFETCH(QStringList, starts);
    Fixture fixture;
    fixture.iosSimulator(tools);
    if (!xcodeFolder) fixture.removeXcodeFolder();
    DeviceTestModel& model = fixture.model();
    // A running side stays running until the end of the test.
    const auto startHeld = [&fixture, &model](bool ios) {
      fixture.engine.deviceRuns.push_back({{{milliseconds(0), "Baue …", fixture.holds.make()}}});
      if (ios) {
        model.setIosID(QStringLiteral("A1B2-UDID"));
        model.startIOS(fixture.xcode());
      } else {
        model.setAndroidID(QStringLiteral("Pixel_8_API_35"));
        model.startAndroid(fixture.android());
      }
    };
    if (androidRuns) startHeld(false);
    if (iosRuns) startHeld(true);
    model.setAndroidID(androidID);
    model.setIosID(iosID);
    // Not shown, so the card lists no devices and the choices stay as set.
    const auto card = fixture.card();
    QPushButton* compare = button(*card, "compareButton");
    QCOMPARE(compare->isEnabled(), enabled);
    if (!enabled) return;

    compare->click();
    QTRY_COMPARE(fixture.runs().size(), starts.size());
    QVERIFY(fixture.workers.waitForAll(test::patience));
    QStringList started;
    for (const QString& call : fixture.runs()) started.append(call.section(QLatin1Char(' '), 0, 0));
    // The two workers reach the engine in either order.
    started.sort();
    QCOMPARE(started, starts);
  }

  // The reload is forced (the lists were loaded already) and shows no indicator meanwhile.
  void reloadForcesALoad() {
    Fixture fixture;
    fixture.engine.android = {pixel};
    const auto card = fixture.card();
    card->show();
    QTRY_VERIFY(fixture.model().loaded());
    card->hide();
    card->show();
    QVERIFY(fixture.workers.waitForAll(test::patience));
    QCOMPARE(fixture.engine.calls(), QStringList{"androidDevices"});

    fixture.engine.android = {noLevel, pixel};
    fixture.engine.androidListingHold = fixture.holds.make();
    button(*card, "reloadDevicesButton")->click();
    QTRY_VERIFY(fixture.engine.androidListingHold->reached());
    QVERIFY(shownIn(*card, "androidPicker"));
    QVERIFY(!shownIn(*card, "androidLoading"));
    fixture.engine.androidListingHold->release();
    QTRY_COMPARE(entries(*card, "androidPicker").size(), 2);
    QCOMPARE(fixture.engine.calls(), (QStringList{"androidDevices", "androidDevices"}));
  }

  // Each side's state line: running on one line, success in green, failure in
  // the Swift colour, selectable and cut to eight lines.
  void stateLines() {
    Fixture fixture;
    fixture.iosSimulator(true);
    fixture.engine.android = {pixel};
    fixture.engine.ios = {iphone};
    const auto hold = fixture.holds.make();
    fixture.engine.deviceRuns.push_back(
        {{{milliseconds(0), "Installiere app-debug.apk auf dem Emulator Pixel 8 API 35 und warte auf den Start …"},
          {milliseconds(0), "Läuft auf dem Emulator", hold}}});
    QString error = QStringLiteral("Der Build ist fehlgeschlagen:");
    for (int line = 1; line <= 12; ++line) error += QStringLiteral("\nerror: Zeile %1 passt nicht").arg(line);
    fixture.engine.deviceRuns.push_back({{}, EngineError(EngineError::Kind::failed, error.toStdString())});
    const auto card = fixture.card();
    place(*card);
    QTRY_VERIFY(fixture.model().loaded());

    button(*card, "androidStart")->click();
    QTRY_VERIFY(hold->reached());
    QTRY_VERIFY(labelText(*card, "androidRunning").startsWith(QStringLiteral("Installiere")));
    QVERIFY(shownIn(*card, "androidRunning"));
    QVERIFY(!button(*card, "androidStart")->isEnabled());
    QVERIFY(button(*card, "iosStart")->isEnabled());
    QVERIFY(!button(*card, "compareButton")->isEnabled());
    QVERIFY(!card->findChild<QLabel*>(QStringLiteral("androidRunning"))->text().contains(QLatin1Char('\n')));
    snap(*card, QStringLiteral("device-card-running"));

    button(*card, "iosStart")->click();
    QTRY_VERIFY(shownIn(*card, "iosFailed"));
    QCOMPARE(labelText(*card, "iosFailed"), error);
    const auto* failed = card->findChild<QLabel*>(QStringLiteral("iosFailed"));
    QCOMPARE(failed->text().count(QLatin1Char('\n')), 7);
    // The eighth line ends in "…" and does not run into the lines left out.
    QCOMPARE(failed->text().section(QLatin1Char('\n'), -1), "error: Zeile 7 passt nicht …");
    QVERIFY(failed->textInteractionFlags() & Qt::TextSelectableByMouse);
    snap(*card, QStringLiteral("device-card-failed"));

    hold->release();
    QTRY_VERIFY(shownIn(*card, "androidOk"));
    QCOMPARE(labelText(*card, "androidOk"), "Läuft auf Pixel 8 API 35");
    QVERIFY(button(*card, "compareButton")->isEnabled());
    snap(*card, QStringLiteral("device-card-ok"));
    QCOMPARE(focusChain(card.get()),
             (QStringList{"androidPicker", "androidStart", "iosPicker", "iosStart", "compareButton",
                          "reloadDevicesButton"}));
    QCOMPARE(unnamedInteractiveWidgets(card.get()), QStringList{});
  }
};

TOVRANE_APP_TEST(DeviceTestCardTest)
#include "DeviceTestCardTest.moc"
