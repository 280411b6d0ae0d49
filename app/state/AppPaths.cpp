#include "app/state/AppPaths.hpp"

#include "core/support/Files.hpp"

#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>

namespace tovrane::app {

QString AppPaths::folder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/TovraneAndroid");
}

QString AppPaths::ensureFolder() {
  const QString path = folder();
  const std::filesystem::path native = path.toStdString();
  files::createDirectories(native.parent_path());
  // mkdir with the mode itself, so the folder is never visible with wider rights.
  if (::mkdir(native.c_str(), 0700) != 0 && errno != EEXIST) {
    throw files::FileError(native, errno);
  }
  return path;
}

}  // namespace tovrane::app
