#pragma once
// The platform layer on Linux desktops: the launcher badge over the session
// bus's Unity launcher-entry signal, the window system's urgency hint, the
// file manager, the XDG Trash, Android Studio found by StudioLocator, and the
// GNOME animation setting read through the settings portal.
#include "app/platform/Platform.hpp"
#include "app/platform/StudioLocator.hpp"

#include <optional>

namespace tovrane::app {

class LinuxPlatform final : public Platform {
 public:
  // Without a search, Android Studio is looked for in the environment of each call.
  explicit LinuxPlatform(Launcher& launcher, std::optional<StudioSearch> studioSearch = std::nullopt);

  void setDockBadge(int count) override;
  void requestAttention(QWidget* window) override;
  void reveal(const QString& path) override;
  bool moveToTrash(const QString& path) override;
  void openInAndroidStudio(const QString& folder) override;
  bool reduceMotion() override;
  bool hasIosTooling() override;

 private:
  Launcher& launcher_;
  std::optional<StudioSearch> studioSearch_;
};

}  // namespace tovrane::app
