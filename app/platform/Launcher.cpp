#include "app/platform/Launcher.hpp"

#include "core/support/Host.hpp"
#include "core/support/Process.hpp"

#include <QDesktopServices>
#include <QFileInfo>

namespace tovrane::app {

bool SystemLauncher::startDetached(const QString& program, const QStringList& arguments) {
  process::Spec spec;
  spec.program = QFileInfo(program).absoluteFilePath().toStdString();
  for (const QString& argument : arguments) {
    spec.arguments.push_back(argument.toStdString());
  }
  spec.environment = Host::system().environment();
  try {
    // The handle may go at once: core's reaper collects the child when it exits.
    process::startDetached(spec);
    return true;
  } catch (const process::StartError&) {
    return false;
  }
}

bool SystemLauncher::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

}  // namespace tovrane::app
