#pragma once
// The desktop facilities the application uses beyond its own window, one
// implementation per system (LinuxPlatform.cpp, MacPlatform.mm); tests use
// a fake that records every call.
#include <QString>

#include <memory>

class QWidget;

namespace tovrane::app {

class Launcher;

class Platform {
 public:
  virtual ~Platform() = default;

  // The number on the application's launcher icon; 0 hides it.
  virtual void setDockBadge(int count) = 0;
  // Asks for the user's attention while the application is not active.
  virtual void requestAttention(QWidget* window) = 0;
  // Shows the item in the file manager.
  virtual void reveal(const QString& path) = 0;
  // Moves a file or folder to the Trash; false when that failed.
  virtual bool moveToTrash(const QString& path) = 0;
  // Opens a folder in Android Studio, or its download page when it is not installed.
  virtual void openInAndroidStudio(const QString& folder) = 0;
  // The user asked the system for less motion.
  virtual bool reduceMotion() = 0;
  // Xcode's tools for the iOS simulator are present.
  virtual bool hasIosTooling() = 0;

  // The implementation for this system; programs and pages are opened through launcher.
  static std::unique_ptr<Platform> create(Launcher& launcher);
};

}  // namespace tovrane::app
