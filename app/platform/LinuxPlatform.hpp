#pragma once
// The platform layer on Linux desktops: the launcher badge over the session
// bus's Unity launcher-entry signal, the window system's urgency hint, the
// file manager, the XDG Trash, Android Studio found by StudioLocator, and the
// GNOME animation setting read through the settings portal: read once, on
// first use, then followed through the portal's change signal.
#include "app/platform/Platform.hpp"
#include "app/platform/StudioLocator.hpp"

#include <optional>

class QDBusVariant;

namespace tovrane::app {

class LinuxPlatform final : public Platform {
  Q_OBJECT

 public:
  // Without a search, Android Studio is looked for in the environment of each call.
  explicit LinuxPlatform(Launcher& launcher, std::optional<StudioSearch> studioSearch = std::nullopt);

  void setDockBadge(int count) override;
  void requestAttention(QWidget* window) override;
  void reveal(const QString& path) override;
  bool moveToTrash(const QString& path) override;
  void openInAndroidStudio(const QString& folder) override;
  bool reduceMotion() override;

 private slots:
  void portalSettingChanged(const QString& nameSpace, const QString& key, const QDBusVariant& value);

 private:
  void setReduceMotion(bool reduced);

  Launcher& launcher_;
  std::optional<StudioSearch> studioSearch_;
  // Empty until the first read or change signal.
  std::optional<bool> reduceMotion_;
};

}  // namespace tovrane::app
