#include "app/platform/LinuxPlatform.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/Fakes.hpp"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QtTest>

using namespace tovrane::app;

namespace {
class BadgeListener : public QObject {
  Q_OBJECT

 public slots:
  void update(const QString& uri, const QVariantMap& properties) { updates.append({uri, properties}); }

 public:
  QList<QPair<QString, QVariantMap>> updates;
};
}  // namespace

class DockBadgeTest : public QObject {
  Q_OBJECT

 private slots:
  // Runs under dbus-run-session: a second connection hears the launcher entry.
  void signalOnBus() {
    QDBusConnection listenerBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "badge-listener");
    QVERIFY2(listenerBus.isConnected(), "no session bus: run under dbus-run-session");
    BadgeListener listener;
    QVERIFY(listenerBus.connect(QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                QStringLiteral("Update"), &listener, SLOT(update(QString, QVariantMap))));
    // A round trip makes sure the bus has the match rule before anything is sent.
    QVERIFY(listenerBus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus")));

    test::RecordingLauncher launcher;
    LinuxPlatform platform(launcher);
    platform.setDockBadge(3);
    QTRY_COMPARE(listener.updates.size(), 1);
    QCOMPARE(listener.updates[0].first, QStringLiteral("application://tovrane-android.desktop"));
    QCOMPARE(listener.updates[0].second.value(QStringLiteral("count")).toLongLong(), 3);
    QCOMPARE(listener.updates[0].second.value(QStringLiteral("count-visible")).toBool(), true);

    platform.setDockBadge(0);
    QTRY_COMPARE(listener.updates.size(), 2);
    QCOMPARE(listener.updates[1].second.value(QStringLiteral("count-visible")), QVariant(false));
    QDBusConnection::disconnectFromBus(QStringLiteral("badge-listener"));
  }

  // Runs with an unreachable bus address: nothing is sent and nothing fails.
  void withoutBus() {
    if (QDBusConnection::sessionBus().isConnected()) {
      QSKIP("a session bus is present; app_platform_without_bus covers this");
    }
    test::RecordingLauncher launcher;
    LinuxPlatform platform(launcher);
    platform.setDockBadge(3);
    platform.setDockBadge(0);
    QVERIFY(!platform.reduceMotion());
    QVERIFY(launcher.calls.isEmpty());
  }
};

TOVRANE_APP_TEST(DockBadgeTest)
#include "DockBadgeTest.moc"
