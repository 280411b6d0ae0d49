#include "app/platform/LinuxPlatform.hpp"
#include "app/platform/PlatformTexts.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/Fakes.hpp"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QThread>
#include <QtTest>

using namespace tovrane::app;

namespace {
// The desktop's settings portal, answering from its own thread as a separate
// process would (the platform's call blocks the UI thread).
class FakeSettingsPortal : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

 public:
  std::atomic<bool> animationsEnabled{true};

 public slots:
  Q_SCRIPTABLE QDBusVariant Read(const QString& nameSpace, const QString& key) {
    if (nameSpace != QLatin1String("org.gnome.desktop.interface") || key != QLatin1String("enable-animations")) {
      return QDBusVariant(QString());
    }
    // The portal's Read wraps the value in a second variant.
    return QDBusVariant(QVariant::fromValue(QDBusVariant(animationsEnabled.load())));
  }
};
}  // namespace

class LinuxPlatformTest : public QObject {
  Q_OBJECT

 private slots:
  void trashLandsInTheUsersTrash() {
    const QString folder = test::temporaryHome() + QStringLiteral("/Projekte/Demo-Android");
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/app")));
    test::RecordingLauncher launcher;
    LinuxPlatform platform(launcher);
    QVERIFY(platform.moveToTrash(folder));
    QVERIFY(!QFileInfo::exists(folder));
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
    QVERIFY(trash.startsWith(test::temporaryHome()));
    QVERIFY(QFileInfo(trash + QStringLiteral("/files/Demo-Android/app")).isDir());
    QVERIFY(QFileInfo::exists(trash + QStringLiteral("/info/Demo-Android.trashinfo")));
    QVERIFY(!platform.moveToTrash(folder));
  }

  // The real launcher: the program runs on its own with exactly the given arguments.
  void systemLauncherStartsDetachedPrograms() {
    const QString folder = test::temporaryHome() + QStringLiteral("/launcher");
    QVERIFY(QDir().mkpath(folder));
    const QString script = folder + QStringLiteral("/studio.sh");
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nprintf '%s|' \"$@\" > \"$(dirname \"$0\")/started.tmp\"\n"
               "mv \"$(dirname \"$0\")/started.tmp\" \"$(dirname \"$0\")/started\"\n");
    file.close();
    file.setPermissions(file.permissions() | QFile::ExeOwner);

    SystemLauncher launcher;
    QVERIFY(launcher.startDetached(script, {QStringLiteral("--wait"), QStringLiteral("/work/Meine App-Android")}));
    QFile started(folder + QStringLiteral("/started"));
    QTRY_VERIFY(started.exists());
    QVERIFY(started.open(QIODevice::ReadOnly));
    QCOMPARE(started.readAll(), QByteArray("--wait|/work/Meine App-Android|"));
    QVERIFY(!launcher.startDetached(folder + QStringLiteral("/missing.sh"), {}));
  }

  void revealOpensTheContainingFolder() {
    test::RecordingLauncher launcher;
    LinuxPlatform platform(launcher);
    platform.reveal(QStringLiteral("/home/ich/Projekte/Demo-Android"));
    QCOMPARE(launcher.calls, QStringList{"open file:///home/ich/Projekte"});
  }

  // Read once, then followed through the portal's change signal only: a
  // value that changes without the signal is not seen, so painting never
  // waits on the bus.
  void reduceMotionFollowsTheSettingsPortal() {
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no session bus: run under dbus-run-session");
    test::RecordingLauncher launcher;
    LinuxPlatform early(launcher);
    QSignalSpy earlyChanges(&early, &Platform::reduceMotionChanged);
    // No portal on the bus: motion as usual.
    QVERIFY(!early.reduceMotion());

    QThread portalThread;
    FakeSettingsPortal portal;
    portal.animationsEnabled = false;
    portal.moveToThread(&portalThread);
    portalThread.start();
    QDBusConnection portalBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fake-portal");
    QVERIFY(portalBus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
    QVERIFY(portalBus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                                     QDBusConnection::ExportScriptableSlots));
    LinuxPlatform late(launcher);
    QSignalSpy lateChanges(&late, &Platform::reduceMotionChanged);
    QVERIFY(late.reduceMotion());
    portal.animationsEnabled = true;
    QVERIFY(late.reduceMotion());
    QVERIFY(!early.reduceMotion());

    const auto settingChanged = [&portalBus](const char* nameSpace, const char* key, const QVariant& value) {
      QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/portal/desktop"),
                                                       QStringLiteral("org.freedesktop.portal.Settings"),
                                                       QStringLiteral("SettingChanged"));
      signal << QString::fromLatin1(nameSpace) << QString::fromLatin1(key) << QVariant::fromValue(QDBusVariant(value));
      QVERIFY(portalBus.send(signal));
    };
    // Other settings, a value of the wrong type and a repeated value change nothing.
    settingChanged("org.gnome.desktop.interface", "gtk-theme", false);
    settingChanged("org.gnome.desktop.a11y", "enable-animations", false);
    settingChanged("org.gnome.desktop.interface", "enable-animations", QStringLiteral("false"));
    settingChanged("org.gnome.desktop.interface", "enable-animations", false);
    settingChanged("org.gnome.desktop.interface", "enable-animations", false);
    settingChanged("org.gnome.desktop.interface", "enable-animations", true);
    QTRY_COMPARE(earlyChanges.size(), 2);
    QCOMPARE(earlyChanges.at(0).constFirst().toBool(), true);
    QCOMPARE(earlyChanges.at(1).constFirst().toBool(), false);
    QTRY_COMPARE(lateChanges.size(), 1);
    QCOMPARE(lateChanges.at(0).constFirst().toBool(), false);
    QVERIFY(!early.reduceMotion());
    QVERIFY(!late.reduceMotion());

    portalBus.unregisterObject(QStringLiteral("/org/freedesktop/portal/desktop"));
    portalBus.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-portal"));
    portalThread.quit();
    portalThread.wait();
  }

  void macWordsBecomeThisSystemsWords_data() {
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QString>("here");
    QTest::newRow("finder") << "Im Finder zeigen" << "Im Dateimanager zeigen";
    QTest::newRow("inside a sentence")
        << "Die Modelle laufen auf diesem Mac, kostenlos." << "Die Modelle laufen auf diesem Rechner, kostenlos.";
    QTest::newRow("your mac") << "Ollama ist auf deinem Mac nicht installiert."
                              << "Ollama ist auf deinem Rechner nicht installiert.";
    QTest::newRow("install folder") << "Keine Schreibrechte für /Programme." << "Keine Schreibrechte für /opt/tovrane.";
    QTest::newRow("guide's first step")
        << "Öffne im Finder den Ordner, in dem deine Datei mit der Endung .xcodeproj liegt. Tipp: In Xcode "
           "Rechtsklick auf das Projekt › „Show in Finder“."
        << "Öffne im Dateimanager den Ordner, in dem deine Datei mit der Endung .xcodeproj liegt. Tipp: Kopiere den "
           "ganzen Projektordner vom Mac auf diesen Rechner.";
    QTest::newRow("untouched") << "Macintosh-Zeichen bleiben" << "Macintosh-Zeichen bleiben";
  }
  void macWordsBecomeThisSystemsWords() {
    QFETCH(QString, mac);
    QFETCH(QString, here);
    QCOMPARE(platformText(mac, QStringLiteral("/opt/tovrane")), here);
  }
};

TOVRANE_APP_TEST(LinuxPlatformTest)
#include "LinuxPlatformTest.moc"
