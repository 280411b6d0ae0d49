#include "core/project/StagedConversion.hpp"

#include "core/support/Files.hpp"
#include "core/support/LargeStack.hpp"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tovrane {
namespace {

namespace fs = std::filesystem;

bool standsThere(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

// An open folder, which can be locked exclusively; the lock goes when the
// object goes, or when the process ends, however it ends.
class FolderHandle {
 public:
  // The folder at path if it is a real folder (no link).
  explicit FolderHandle(const fs::path& path)
      : fd_(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)) {}
  FolderHandle() = default;
  FolderHandle(FolderHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FolderHandle& operator=(FolderHandle&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  ~FolderHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  explicit operator bool() const { return fd_ >= 0; }

  enum class Lock { taken, heldElsewhere, unsupported };
  // Takes the lock without waiting. Some network and user-space file
  // systems have no locks at all: a run there works unprotected, and its
  // folder is never taken for abandoned.
  Lock tryLock() const {
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return Lock::taken;
    return errno == EWOULDBLOCK || errno == EINTR ? Lock::heldElsewhere : Lock::unsupported;
  }
  // Whether path still names the open folder: one removed and made again
  // under the same name is another folder.
  bool isAt(const fs::path& path) const {
    struct stat open {}, named {};
    return ::fstat(fd_, &open) == 0 && ::lstat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
  }

 private:
  int fd_ = -1;
};

// Removes the hidden siblings of output that runs killed outright left: a
// sibling whose lock can be taken belongs to no live run. Failures are
// passed over; they only leave a folder for the next run to try again.
void removeAbandonedStagingFolders(const fs::path& output) {
  std::error_code ec;
  for (fs::directory_iterator it(output.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
    if (!files::isTemporarySibling(it->path(), output, "tovrane")) continue;
    const FolderHandle abandoned(it->path());
    if (abandoned && abandoned.tryLock() == FolderHandle::Lock::taken) {
      std::error_code ignored;
      fs::remove_all(it->path(), ignored);
    }
  }
}

// A fresh hidden folder beside output, made exclusively and locked. Between
// making and locking it another run's clean-up may take it for abandoned and
// remove it; then the lock is held elsewhere or the folder is gone, and a new
// name is tried. A failure names output: that is the folder the user gave.
std::pair<fs::path, FolderHandle> makeStagingFolder(const fs::path& output) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path staging = files::temporarySibling(output, "tovrane");
    if (::mkdir(staging.c_str(), 0777) != 0) {
      if (errno == EEXIST) continue;
      throw files::FileError(output, errno);
    }
    FolderHandle folder(staging);
    if (folder && folder.tryLock() != FolderHandle::Lock::heldElsewhere && folder.isAt(staging))
      return {std::move(staging), std::move(folder)};
  }
  throw files::FileError(output, EEXIST);
}

// path with the staging folder replaced by the output folder.
fs::path inPlaceOf(const fs::path& path, const fs::path& staging, const fs::path& target) {
  if (staging.empty() || !files::isWithin(staging, path)) return path;
  const fs::path inside = path.lexically_relative(staging);
  return inside == "." ? target : target / inside;
}

}  // namespace

ConversionResult convertIntoNewFolder(const fs::path& project, const fs::path& output,
                                      const ConversionOptions& options, const TovraneConverter::Progress& progress,
                                      std::stop_token stop) {
  const fs::path target = files::normalPath(output);
  if (standsThere(target)) throw ConversionError::outputExists(target);

  // The parent folders this run makes, outermost first.
  std::vector<fs::path> madeParents;
  for (fs::path parent = target.parent_path(); !standsThere(parent) && parent.has_relative_path();
       parent = parent.parent_path())
    madeParents.push_back(parent);
  std::reverse(madeParents.begin(), madeParents.end());

  // Held until the folder is renamed into place or removed.
  fs::path staging;
  FolderHandle lock;
  try {
    try {
      files::createDirectories(target.parent_path());
    } catch (const files::FileError& e) {
      // Named as the folder the caller asked for: that is what cannot be made.
      throw files::FileError(target, e.reason(), e.error());
    }
    removeAbandonedStagingFolders(target);
    std::tie(staging, lock) = makeStagingFolder(target);
    ConversionResult result;
    runWithLargeStack([&] { result = TovraneConverter().convert(project, staging, options, progress, stop); });
    if (!files::renameIfAbsent(staging, target)) throw ConversionError::outputExists(target);
    result.outputDirectory = target;
    return result;
  } catch (...) {
    std::error_code ec;
    if (!staging.empty()) fs::remove_all(staging, ec);
    // Innermost first; a folder that someone else filled meanwhile stays.
    for (auto parent = madeParents.rbegin(); parent != madeParents.rend(); ++parent) fs::remove(*parent, ec);
    try {
      throw;
    } catch (const files::FileError& e) {
      // The hidden folder is gone: name the file as the user will look for it.
      throw files::FileError(inPlaceOf(e.path(), staging, target), e.reason(), e.error());
    }
  }
}

}  // namespace tovrane
