#include "app/platform/Launcher.hpp"

#include <QDesktopServices>
#include <QProcess>

namespace tovrane::app {

bool SystemLauncher::startDetached(const QString& program, const QStringList& arguments) {
  return QProcess::startDetached(program, arguments);
}

bool SystemLauncher::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

}  // namespace tovrane::app
