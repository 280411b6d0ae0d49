#include "app/platform/LinuxPlatform.hpp"

#include "app/platform/Launcher.hpp"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tovrane::app {

namespace {
// The desktop file the launcher entry belongs to: "tovrane-android.desktop".
const QString launcherEntryUri = QStringLiteral("application://tovrane-android.desktop");
const QString studioDownloadPage = QStringLiteral("https://developer.android.com/studio");
// The portal answers at once when it runs; a missing one must not hang the window.
constexpr int portalTimeoutMs = 1000;
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString portalSettings = QStringLiteral("org.freedesktop.portal.Settings");
const QString interfaceNamespace = QStringLiteral("org.gnome.desktop.interface");
const QString animationsKey = QStringLiteral("enable-animations");

// The portal wraps the value in one variant, older versions of Read in two.
std::optional<bool> unwrapBool(QVariant value) {
  while (value.typeId() == qMetaTypeId<QDBusVariant>()) {
    value = qvariant_cast<QDBusVariant>(value).variant();
  }
  if (value.typeId() != QMetaType::Bool) {
    return std::nullopt;
  }
  return value.toBool();
}
}  // namespace

// On macOS MacPlatform.mm provides the platform; this class still builds there for its tests.
#ifndef Q_OS_MACOS
std::unique_ptr<Platform> Platform::create(Launcher& launcher) {
  return std::make_unique<LinuxPlatform>(launcher);
}
#endif

LinuxPlatform::LinuxPlatform(Launcher& launcher, std::optional<StudioSearch> studioSearch)
    : launcher_(launcher), studioSearch_(std::move(studioSearch)) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (bus.isConnected()) {
    // Bound to the portal's name, so a portal that starts later is heard too.
    bus.connect(portalService, portalPath, portalSettings, QStringLiteral("SettingChanged"), this,
                SLOT(portalSettingChanged(QString, QString, QDBusVariant)));
  }
}

void LinuxPlatform::setDockBadge(int count) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    return;
  }
  QDBusMessage update = QDBusMessage::createSignal(QStringLiteral("/com/canonical/unity/launcherentry/tovrane_android"),
                                                   QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                                   QStringLiteral("Update"));
  const QVariantMap properties{{QStringLiteral("count"), QVariant::fromValue(qint64(count))},
                               {QStringLiteral("count-visible"), count > 0}};
  update << launcherEntryUri << properties;
  bus.send(update);
}

void LinuxPlatform::requestAttention(QWidget* window) {
  if (QGuiApplication::applicationState() != Qt::ApplicationActive) {
    QApplication::alert(window);
  }
}

void LinuxPlatform::reveal(const QString& path) {
  launcher_.openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

bool LinuxPlatform::moveToTrash(const QString& path) {
  // The user's Trash lies in the data folder, which Qt does not create (a
  // fresh account may lack it); without it Qt 6.4 would write the trash
  // records relative to the current folder, so give up instead.
  if (!QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))) {
    return false;
  }
  return QFile::moveToTrash(path);
}

void LinuxPlatform::openInAndroidStudio(const QString& folder) {
  const std::optional<StudioCommand> studio =
      locateStudio(studioSearch_ ? *studioSearch_ : StudioSearch::fromEnvironment());
  if (studio && launcher_.startDetached(studio->program, studio->arguments + QStringList{folder})) {
    return;
  }
  launcher_.openUrl(QUrl(studioDownloadPage));
}

bool LinuxPlatform::reduceMotion() {
  if (reduceMotion_) {
    return *reduceMotion_;
  }
  reduceMotion_ = false;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    return false;
  }
  QDBusMessage read = QDBusMessage::createMethodCall(portalService, portalPath, portalSettings, QStringLiteral("Read"));
  read << interfaceNamespace << animationsKey;
  const QDBusMessage reply = bus.call(read, QDBus::Block, portalTimeoutMs);
  if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
    const std::optional<bool> animations = unwrapBool(reply.arguments().constFirst());
    reduceMotion_ = animations && !*animations;
  }
  return *reduceMotion_;
}

void LinuxPlatform::portalSettingChanged(const QString& nameSpace, const QString& key, const QDBusVariant& value) {
  if (nameSpace != interfaceNamespace || key != animationsKey) {
    return;
  }
  if (const std::optional<bool> animations = unwrapBool(value.variant())) {
    setReduceMotion(!*animations);
  }
}

void LinuxPlatform::setReduceMotion(bool reduced) {
  // Before the first read nobody holds a value that could be stale.
  const bool changed = reduceMotion_ && *reduceMotion_ != reduced;
  reduceMotion_ = reduced;
  if (changed) {
    emit reduceMotionChanged(reduced);
  }
}

}  // namespace tovrane::app
