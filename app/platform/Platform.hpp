#pragma once
// The desktop facilities the application uses beyond its own window, one
// implementation per system (LinuxPlatform.cpp, MacPlatform.mm); tests use
// a fake that records every call.
#include <QObject>
#include <QString>

#include <memory>

class QWidget;

namespace tovrane::app {

class Launcher;

class Platform : public QObject {
  Q_OBJECT

 public:
  ~Platform() override = default;

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
  // The user asked the system for less motion. Kept up to date from the
  // system's change notices, so that asking while painting costs nothing.
  virtual bool reduceMotion() = 0;

  // The implementation for this system; programs and pages are opened through launcher.
  static std::unique_ptr<Platform> create(Launcher& launcher);

 signals:
  // The Reduce Motion setting changed to reduced; sent on the UI thread.
  void reduceMotionChanged(bool reduced);
};

}  // namespace tovrane::app
