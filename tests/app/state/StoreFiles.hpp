#pragma once
// What the store tests look at in the files of the application's folder.
#include "app/state/AppPaths.hpp"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

#include <csignal>
#include <memory>
#include <vector>
#include <sys/resource.h>
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

// Runs one app_store_writer per argument list, all at once, as that many
// further instances of the app; the exit codes (-1: crashed or hung), in order.
inline QList<int> runWriters(const QList<QStringList>& argumentLists) {
  std::vector<std::unique_ptr<QProcess>> writers;
  for (const QStringList& arguments : argumentLists) {
    auto& writer = writers.emplace_back(std::make_unique<QProcess>());
    writer->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    writer->start(QStringLiteral(TOVRANE_BINARY_DIR "/tests/app/app_store_writer"), arguments);
  }
  QList<int> codes;
  for (const auto& writer : writers) {
    // Ten minutes: a guard against a hang only, also on a loaded machine.
    const bool ended = writer->waitForFinished(600000) && writer->exitStatus() == QProcess::NormalExit;
    if (!ended) writer->kill();
    codes.append(ended ? writer->exitCode() : -1);
  }
  return codes;
}

// Puts something that is no history or key file at path: "fifo" (a named
// pipe without a writer), "device link" (a link to /dev/zero, endless),
// "huge" (a sparse regular file of 200 MiB) or "folder".
inline bool putSpecial(const QString& path, const QString& kind) {
  QDir().mkpath(AppPaths::folder());
  const QByteArray native = QFile::encodeName(path);
  if (kind == QLatin1String("fifo")) return ::mkfifo(native.constData(), 0644) == 0;
  if (kind == QLatin1String("device link")) return QFile::link(QStringLiteral("/dev/zero"), path);
  if (kind == QLatin1String("folder")) return QDir().mkdir(path);
  if (kind == QLatin1String("huge")) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(qint64(200) << 20);
  }
  return false;
}

// The column "kind" of a data-driven test, one row per kind putSpecial makes.
inline void specialKinds() {
  QTest::addColumn<QString>("kind");
  for (const char* kind : {"fifo", "device link", "huge", "folder"}) {
    QTest::newRow(kind) << QString::fromUtf8(kind);
  }
}

// What path itself is (links not followed): "fifo", "device link", "huge",
// "folder", "file" (any other regular file) or "missing".
inline QString kindOf(const QString& path) {
  struct stat info {};
  if (::lstat(QFile::encodeName(path).constData(), &info) != 0) return QStringLiteral("missing");
  if (S_ISFIFO(info.st_mode)) return QStringLiteral("fifo");
  if (S_ISLNK(info.st_mode)) {
    return QFile::symLinkTarget(path) == QLatin1String("/dev/zero") ? QStringLiteral("device link")
                                                                  : QStringLiteral("link");
  }
  if (S_ISDIR(info.st_mode)) return QStringLiteral("folder");
  return info.st_size >= (qint64(200) << 20) ? QStringLiteral("huge") : QStringLiteral("file");
}

// While it lives, no file of this process may grow beyond `bytes`: a save
// fails as on a full disk (with "Datei zu groß"), also for root, whom no
// folder permission stops.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) : previousHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
    ::getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limited = previous_;
    limited.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit previous_{};
  void (*previousHandler_)(int);
};

}  // namespace tovrane::app::test
