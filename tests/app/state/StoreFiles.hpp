#pragma once
// What the store tests look at in the files of the application's folder.
#include "app/state/AppPaths.hpp"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <sys/stat.h>

namespace tovrane::app::test {

inline QString appFile(const char* name) { return AppPaths::folder() + QLatin1Char('/') + QLatin1String(name); }

inline QByteArray contentOf(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline bool putFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(AppPaths::folder());
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Mode bits, inode and modification time; all zero for a missing file. An
// atomic replacement gets a new inode.
struct FileStamp {
  mode_t mode = 0;
  ino_t inode = 0;
  long long modifiedNs = 0;
  bool operator==(const FileStamp&) const = default;
};

inline FileStamp stampOf(const QString& path) {
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
    return {};
  }
  return {info.st_mode & 07777, info.st_ino, info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec};
}

}  // namespace tovrane::app::test
