#include "app/state/DeviceTestModel.hpp"
#include "app/state/Settings.hpp"
#include "app/state/ToolLookup.hpp"
#include "app/state/Workers.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/FakeEngine.hpp"
#include "tests/app/fakes/Fakes.hpp"

#include <QScopeGuard>
#include <QSettings>
#include <QtTest>

using namespace tovrane::app;
using namespace tovrane::app::test;

namespace {

const TestDevice pixel{"Pixel_8_API_35", "Pixel 8 API 35", TestDevice::Kind::android, "API 35"};
const TestDevice tablet{"Tablet_API_34", "Tablet API 34", TestDevice::Kind::android, "API 34"};
const TestDevice iphone{"A1B2-UDID", "iPhone 16", TestDevice::Kind::ios, "iOS 18.1"};

QString describe(const DeviceRunState& state) {
  if (const auto* running = std::get_if<device_run::Running>(&state)) {
    return QStringLiteral("running ") + running->text;
  }
  if (const auto* ok = std::get_if<device_run::Ok>(&state)) {
    return QStringLiteral("ok ") + ok->text;
  }
  if (const auto* failed = std::get_if<device_run::Failed>(&state)) {
    return QStringLiteral("failed ") + failed->text;
  }
  return QStringLiteral("idle");
}

std::vector<TestDevice> devicesNamed(const QStringList& ids) {
  std::vector<TestDevice> devices;
  for (const QString& id : ids) {
    for (const TestDevice& device : {pixel, tablet, iphone}) {
      if (device.id == id.toStdString()) {
        devices.push_back(device);
      }
    }
  }
  return devices;
}

// The services a model needs and a log of its change signals with the values they announce.
struct Fixture {
  Fixture() { QSettings(QStringLiteral("TovraneAndroid")).clear(); }

  void watch(DeviceTestModel& model) {
    const std::pair<void (DeviceTestModel::*)(), std::function<QString()>> notes[] = {
        {&DeviceTestModel::androidDevicesChanged,
         [&model] { return QStringLiteral("androidDevices %1").arg(model.androidDevices().size()); }},
        {&DeviceTestModel::iosDevicesChanged,
         [&model] { return QStringLiteral("iosDevices %1").arg(model.iosDevices().size()); }},
        {&DeviceTestModel::androidIDChanged, [&model] { return "androidID " + model.androidID(); }},
        {&DeviceTestModel::iosIDChanged, [&model] { return "iosID " + model.iosID(); }},
        {&DeviceTestModel::androidChanged, [&model] { return "android " + describe(model.android()); }},
        {&DeviceTestModel::iosChanged, [&model] { return "ios " + describe(model.ios()); }},
        {&DeviceTestModel::loadedChanged, [&model] { return QStringLiteral("loaded %1").arg(model.loaded()); }},
    };
    for (const auto& [signal, text] : notes) {
      QObject::connect(&model, signal, [this, text = text] { log << text(); });
    }
  }

  // This machine runs the iOS simulator, as the tool lookup has heard from the engine.
  void withIosSimulator() {
    engine.iosSimulator = true;
    tools.refresh();
    QTRY_VERIFY(tools.known());
  }

  FakeEngine engine;
  Settings settings;
  // It waits for the runs, which use the services above.
  Workers workers;
  ToolLookup tools{engine, workers};
  QStringList log;
};

}  // namespace

class DeviceTestModelTest : public QObject {
  Q_OBJECT

 private slots:
  void loadsOnceUnlessForced() {
    Fixture fixture;
    fixture.withIosSimulator();
    fixture.engine.android = {pixel};
    fixture.engine.ios = {iphone};
    DeviceTestModel model(fixture.engine, fixture.workers, fixture.settings, fixture.tools);
    model.load(false);
    QTRY_VERIFY(model.loaded());
    QCOMPARE(model.androidDevices(), fixture.engine.android);
    QCOMPARE(model.iosDevices(), fixture.engine.ios);

    model.load(false);
    QCOMPARE(fixture.workers.running(), 0);
    QCOMPARE(fixture.engine.calls().filter("Devices").size(), 2);

    fixture.engine.android = {tablet};
    model.load(true);
    QVERIFY(fixture.workers.waitForAll(test::patience));
    QCOMPARE(fixture.engine.calls().filter("Devices").size(), 4);
    QTRY_COMPARE(model.androidID(), QStringLiteral("Tablet_API_34"));
    QCOMPARE(model.androidDevices(), fixture.engine.android);
  }

  // The remembered choice stays while listed; a load never writes the settings.
  void loadRepairsTheChoice_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("still listed, not first") << "Pixel_8_API_35" << QStringList{"Tablet_API_34", "Pixel_8_API_35"}
                                             << "Pixel_8_API_35";
    QTest::newRow("gone") << "Old_Phone" << QStringList{"Tablet_API_34", "Pixel_8_API_35"} << "Tablet_API_34";
    QTest::newRow("nothing remembered") << "" << QStringList{"Pixel_8_API_35"} << "Pixel_8_API_35";
    QTest::newRow("empty list") << "Pixel_8_API_35" << QStringList{} << "";
  }
  void loadRepairsTheChoice() {
    QFETCH(QString, stored);
    QFETCH(QStringList, listed);
    QFETCH(QString, chosen);
    Fixture fixture;
    fixture.withIosSimulator();
    fixture.settings.setAndroidDevice(stored);
    fixture.settings.setIosDevice(stored);
    fixture.engine.android = devicesNamed(listed);
    fixture.engine.ios = devicesNamed(listed);
    DeviceTestModel model(fixture.engine, fixture.workers, fixture.settings, fixture.tools);
    model.load(false);
    QTRY_VERIFY(model.loaded());
    QCOMPARE(model.androidID(), chosen);
    QCOMPARE(model.iosID(), chosen);
    QCOMPARE(fixture.settings.androidDevice(), stored);
    QCOMPARE(fixture.settings.iosDevice(), stored);
  }

  // The card may load before the tool lookup has answered whether the iOS
  // simulator runs here: the answer loads again when it changes what the
  // load assumed, and only then.
  void theToolLookupsAnswerLoadsAgain_data() {
    QTest::addColumn<bool>("simulator");
    QTest::newRow("the simulator runs") << true;
    QTest::newRow("no simulator") << false;
  }
  void theToolLookupsAnswerLoadsAgain() {
    QFETCH(bool, simulator);
    Fixture fixture;
    fixture.engine.android = {pixel};
    fixture.engine.ios = {iphone};
    DeviceTestModel model(fixture.engine, fixture.workers, fixture.settings, fixture.tools);
    model.load(false);
    QTRY_VERIFY(model.loaded());
    QVERIFY(model.iosDevices().empty());

    fixture.engine.iosSimulator = simulator;
    fixture.tools.refresh();
    QTRY_VERIFY(fixture.tools.known());
    QVERIFY(fixture.workers.waitForAll(test::patience));
    QCoreApplication::processEvents();
    QCOMPARE(model.iosDevices(), simulator ? fixture.engine.ios : std::vector<TestDevice>{});
    QCOMPARE(model.iosID(), simulator ? QStringLiteral("A1B2-UDID") : QString());
    QCOMPARE(fixture.engine.calls().filter("androidDevices").size(), simulator ? 2 : 1);
  }

  void androidListIsAssignedFirst() {
    Fixture fixture;
    fixture.withIosSimulator();
    fixture.engine.android = {pixel};
    fixture.engine.ios = {iphone};
    fixture.engine.androidListingHold = std::make_shared<Hold>();
    const auto releaseOnExit = qScopeGuard([&fixture] { fixture.engine.androidListingHold->release(); });
    DeviceTestModel model(fixture.engine, fixture.workers, fixture.settings, fixture.tools);
    fixture.watch(model);

    model.load(false);
    // The iOS worker has posted its list (it ends after posting); the post has run.
    QTRY_COMPARE(fixture.workers.running(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(fixture.log, QStringList{});
    fixture.engine.androidListingHold->release();
    QTRY_VERIFY(model.loaded());
    QCOMPARE(fixture.log, (QStringList{"androidDevices 1", "iosDevices 1", "androidID Pixel_8_API_35",
                                       "iosID A1B2-UDID", "loaded 1"}));
  }

  // The choice is saved before the run starts; each status replaces the one before.
  void androidRunShowsEachStatus() {
    Fixture fixture;
    const auto hold = std::make_shared<Hold>();
    const auto releaseOnExit = qScopeGuard([hold] { hold->release(); });
    fixture.engine.deviceRuns.push_back({{{milliseconds(0), "Starte Pixel 8 API 35 …", hold},
                                          {milliseconds(0), "Baue die Android-App …"},
                                          {milliseconds(0), "Installiere auf dem Emulator …"},
                                          {milliseconds(0), "Läuft auf Pixel 8 API 35"}}});
    DeviceTestModel model(fixture.engine, fixture.workers, fixture.settings, fixture.tools);
    fixture.watch(model);
    model.setAndroidID(QStringLiteral("Pixel_8_API_35"));

    model.startAndroid("/p/Demo-Android");
    QTRY_VERIFY(hold->reached());
    QCOMPARE(fixture.settings.androidDevice(), QStringLiteral("Pixel_8_API_35"));
    QCOMPARE(DeviceTestModel(fixture.engine, fixture.workers, fixture.settings, fixture.tools).androidID(),
             QStringLiteral("Pixel_8_API_35"));
    hold->release();
    QTRY_VERIFY(std::holds_alternative<device_run::Ok>(model.android()));
    QCOMPARE(fixture.log, (QStringList{"androidID Pixel_8_API_35", "android running Startet …",
                                       "android running Starte Pixel 8 API 35 …",
                                       "android running Baue die Android-App …",
                                       "android running Installiere auf dem Emulator …",
                                       "android running Läuft auf Pixel 8 API 35", "android ok Läuft auf Pixel 8 API 35"}));
    QCOMPARE(fixture.engine.calls(), QStringList{"runAndroid /p/Demo-Android Pixel_8_API_35"});
    QCOMPARE(describe(model.ios()), QStringLiteral("idle"));
  }

  void runsEndInTheirSidesState_data() {
    QTest::addColumn<bool>("ios");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("error");  // empty: the run succeeds
    QTest::addColumn<QString>("expected");
    QTest::newRow("listed simulator") << true << "A1B2-UDID" << "" << "ok Läuft auf iPhone 16";
    QTest::newRow("simulator not listed") << true << "FFFF-UDID" << "" << "ok Läuft auf Simulator";
    QTest::newRow("iOS build fails") << true << "A1B2-UDID" << "Kein Schema im Xcode-Projekt gefunden."
                                     << "failed Kein Schema im Xcode-Projekt gefunden.";
    QTest::newRow("Android SDK missing") << false << "Pixel_8_API_35"
                                         << "Android Studio bzw. das Android-SDK wurde nicht gefunden."
                                         << "failed Android Studio bzw. das Android-SDK wurde nicht gefunden.";
  }
  void runsEndInTheirSidesState() {
    QFETCH(bool, ios);
    QFETCH(QString, id);
    QFETCH(QString, error);
    QFETCH(QString, expected);
    Fixture fixture;
    fixture.withIosSimulator();
    fixture.engine.android = {pixel};
    fixture.engine.ios = {iphone};
    DeviceRunScript script{{{milliseconds(0), ios ? "Läuft im Simulator" : "Baue die Android-App …"}}};
    if (!error.isEmpty()) {
      script.error = EngineError(EngineError::Kind::failed, error.toStdString());
    }
    fixture.engine.deviceRuns.push_back(script);
    DeviceTestModel model(fixture.engine, fixture.workers, fixture.settings, fixture.tools);
    model.load(false);
    QTRY_VERIFY(model.loaded());

    if (ios) {
      model.setIosID(id);
      model.startIOS("/p/Demo");
    } else {
      model.setAndroidID(id);
      model.startAndroid("/p/Demo-Android");
    }
    const DeviceRunState& side = ios ? model.ios() : model.android();
    QTRY_COMPARE(describe(side), expected);
    QCOMPARE(describe(ios ? model.android() : model.ios()), QStringLiteral("idle"));
  }

  // An empty choice, or an iOS run where this machine has no iOS tools, changes nothing at all.
  void startsThatDoNothing() {
    Fixture fixture;
    fixture.settings.setAndroidDevice(QStringLiteral("Pixel_8_API_35"));
    fixture.settings.setIosDevice(QStringLiteral("A1B2-UDID"));
    fixture.engine.ios = {iphone};
    DeviceTestModel model(fixture.engine, fixture.workers, fixture.settings, fixture.tools);
    fixture.watch(model);

    model.startIOS("/p/Demo");  // no iOS tools
    model.setAndroidID(QString());
    model.startAndroid("/p/Demo-Android");
    model.load(false);
    QTRY_VERIFY(model.loaded());
    QCOMPARE(fixture.workers.running(), 0);

    QCOMPARE(fixture.engine.calls(), QStringList{"androidDevices"});
    QCOMPARE(fixture.log, (QStringList{"androidID ", "iosID ", "loaded 1"}));
    QCOMPARE(fixture.settings.androidDevice(), QStringLiteral("Pixel_8_API_35"));
    QCOMPARE(fixture.settings.iosDevice(), QStringLiteral("A1B2-UDID"));
  }
};

TOVRANE_APP_TEST(DeviceTestModelTest)
#include "DeviceTestModelTest.moc"
