#pragma once
// Starting other programs and opening addresses, the two ways the platform
// layer hands something to the desktop. A seam so that tests record instead
// of launching.
#include <QString>
#include <QStringList>
#include <QUrl>

namespace tovrane::app {

class Launcher {
 public:
  virtual ~Launcher() = default;
  // Starts program with arguments, not waited for and outliving the application.
  virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
  // Opens a web page or a local file or folder with its default application.
  virtual bool openUrl(const QUrl& url) = 0;
};

// Programs start through core's child-process runner, detached in a session of
// their own; pages and files open through the desktop's URL handler.
class SystemLauncher final : public Launcher {
 public:
  bool startDetached(const QString& program, const QStringList& arguments) override;
  bool openUrl(const QUrl& url) override;
};

}  // namespace tovrane::app
