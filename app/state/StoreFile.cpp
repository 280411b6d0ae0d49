#include "app/state/StoreFile.hpp"

#include "app/state/AppPaths.hpp"
#include "core/support/Files.hpp"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovrane::app {

namespace fs = std::filesystem;

namespace {

// Backups beyond "<name>.bak" are numbered up to this; then the damaged
// file stays where it is and the save fails.
constexpr int maxBackups = 100;

QString ensuredFolder() {
  try {
    return AppPaths::ensureFolder();
  } catch (const files::FileError&) {
    return AppPaths::folder();
  }
}

// Sets mode on what path names when that is a regular file or folder
// (`folder`), never on what a link points to.
void narrow(const fs::path& path, mode_t mode, bool folder) {
  const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (folder ? O_DIRECTORY : 0);
  const int fd = ::open(path.c_str(), flags);
  if (fd < 0) {
    return;
  }
  struct stat info {};
  if (::fstat(fd, &info) == 0 && (folder ? S_ISDIR(info.st_mode) : S_ISREG(info.st_mode)) &&
      (info.st_mode & 07777) != mode) {
    ::fchmod(fd, mode);
  }
  ::close(fd);
}

}  // namespace

StoreError::StoreError(const fs::path& path, const std::string& reason)
    : std::runtime_error("„" + path.string() + "“ konnte nicht gespeichert werden: " + reason + ".") {}

StoreFile::StoreFile(const QString& name, std::size_t maxBytes)
    : path_((ensuredFolder() + QLatin1Char('/') + name).toStdString()), maxBytes_(maxBytes) {}

StoreFile::Lock::Lock(const StoreFile& file) {
  folder_ = ::open(file.path_.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_ < 0) {
    return;
  }
  while (::flock(folder_, LOCK_EX) != 0 && errno == EINTR) {
  }
  // Every writer holds the lock, so no save of ours is under way now.
  file.removeLeftovers();
}

StoreFile::Lock::~Lock() {
  // Closing the folder releases its lock.
  if (folder_ >= 0) {
    ::close(folder_);
  }
}

std::optional<std::string> StoreFile::readText() {
  try {
    return files::readRegularFile(path_, maxBytes_);
  } catch (const files::FileError&) {
    std::error_code error;
    damaged_ = fs::symlink_status(path_, error).type() != fs::file_type::not_found;
    return std::nullopt;
  }
}

void StoreFile::write(std::string_view bytes, mode_t mode) {
  if (damaged_) {
    moveAside();
    damaged_ = false;
  }
  try {
    files::writeAtomic(path_, bytes, mode);
  } catch (const files::FileError& error) {
    throw StoreError(path_, error.reason());
  }
}

void StoreFile::restrictToOwner() const {
  narrow(path_.parent_path(), 0700, true);
  narrow(path_, 0600, false);
}

void StoreFile::moveAside() const {
  for (int number = 0; number < maxBackups; ++number) {
    fs::path backup = path_;
    backup += number == 0 ? std::string(".bak") : ".bak." + std::to_string(number);
    try {
      if (!files::renameIfAbsent(path_, backup)) {
        continue;
      }
    } catch (const files::FileError& error) {
      // Gone in the meantime: nothing left to keep.
      if (error.error() == ENOENT) {
        return;
      }
      throw StoreError(path_, error.reason());
    }
    // The key file's backup holds keys too; the owner alone may read it.
    narrow(backup, 0600, false);
    return;
  }
  throw StoreError(path_, "Die beschädigte Datei ließ sich nicht beiseitelegen, es gibt schon " +
                              std::to_string(maxBackups) + " Sicherungen");
}

void StoreFile::removeLeftovers() const {
  std::error_code error;
  for (fs::directory_iterator it(path_.parent_path(), error), end; !error && it != end; it.increment(error)) {
    std::error_code entryError;
    // The temporary files of files::writeAtomic.
    if (files::isTemporarySibling(it->path(), path_, "tmp") &&
        it->symlink_status(entryError).type() != fs::file_type::directory) {
      fs::remove(it->path(), entryError);
    }
  }
}

}  // namespace tovrane::app
