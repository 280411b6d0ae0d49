#include "app/state/StoreFile.hpp"

#include "app/state/AppPaths.hpp"
#include "core/support/Files.hpp"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace tovrane::app {

namespace {
QString ensuredFolder() {
  try {
    return AppPaths::ensureFolder();
  } catch (const files::FileError&) {
    return AppPaths::folder();
  }
}
}  // namespace

StoreFile::StoreFile(const QString& name)
    : path_((ensuredFolder() + QLatin1Char('/') + name).toStdString()) {}

std::optional<std::string> StoreFile::read() {
  try {
    return files::readFile(path_);
  } catch (const files::FileError&) {
    std::error_code error;
    damaged_ = std::filesystem::symlink_status(path_, error).type() != std::filesystem::file_type::not_found;
    return std::nullopt;
  }
}

void StoreFile::write(std::string_view bytes, mode_t mode) {
  if (damaged_) {
    if (!moveAside()) {
      return;
    }
    damaged_ = false;
  }
  try {
    files::writeAtomic(path_, bytes, mode);
  } catch (const files::FileError&) {
  }
}

bool StoreFile::moveAside() const {
  std::filesystem::path backup = path_;
  backup += ".bak";
  if (std::rename(path_.c_str(), backup.c_str()) != 0) {
    // Gone in the meantime: nothing left to keep.
    return errno == ENOENT;
  }
  // The key file's backup holds keys too; the owner alone may read it.
  ::chmod(backup.c_str(), 0600);
  return true;
}

}  // namespace tovrane::app
