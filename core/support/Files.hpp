#pragma once
// File-system helpers. Errors are FileError with the path and a German
// reason; nothing here swallows a failure.
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <system_error>
#include <vector>

namespace tovrane::files {

namespace fs = std::filesystem;

class FileError : public std::runtime_error {
 public:
  // A reason of our own; error: the system's error number behind it, if any.
  FileError(fs::path path, const std::string& message, int error = 0);
  // The system reported the failure: the reason is the German text for its
  // error number (errortext::systemText), never the C library's message.
  FileError(fs::path path, int error);
  FileError(fs::path path, const std::error_code& error);
  const fs::path& path() const { return path_; }
  // The message without the path.
  const std::string& reason() const { return reason_; }
  int error() const { return error_; }

 private:
  fs::path path_;
  std::string reason_;
  int error_;
};

// When the bytes of an atomic write reach the disk: before the rename
// (`now`), or with the caller's one syncFileSystem after a batch of writes
// (`deferred`): a whole generated project then costs one flush, not one per file.
enum class Flush { now, deferred };

// The file systems' limit for one name (one path component), in bytes.
inline constexpr std::size_t maxNameBytes = 255;
// name + suffix, name shortened (between two UTF-8 characters) so that the
// whole fits maxNameBytes; suffix is kept whole. Names made from project
// data go through it, so that no generated name is refused by the system.
std::string fittedName(std::string_view name, std::string_view suffix);

// A hidden name beside path for work that is renamed onto it later:
// "." + path's name + "." + tag + "-" + random letters. The name part is
// shortened (fittedName) so that the whole stays within maxNameBytes.
fs::path temporarySibling(const fs::path& path, std::string_view tag);
// Whether candidate is a name that temporarySibling(path, tag) could give.
bool isTemporarySibling(const fs::path& candidate, const fs::path& path, std::string_view tag);

// Writes bytes so that a reader sees either the old file or the new one whole:
// a temporary sibling (temporarySibling), created with `mode` before any byte
// is written, flushed (see Flush), then renamed over path. Parent folders are
// created. On failure the temporary file is removed and an existing file stays
// as it was.
void writeAtomic(const fs::path& path, std::string_view bytes, mode_t mode = 0644, Flush flush = Flush::now);
// Flushes every pending write of the file system that holds path.
void syncFileSystem(const fs::path& path);
// Creates or truncates path (parent folders created) and writes bytes.
void writeFile(const fs::path& path, std::string_view bytes);
// Appends to a file that must already exist; never creates one, and never
// follows a link in path's last component (error ELOOP).
void appendToExisting(const fs::path& path, std::string_view bytes);
std::string readFile(const fs::path& path);
// Reads a file from a source that is not ours: only a regular file (a FIFO or
// a device is refused without blocking on it, error EINVAL), and at most
// maxBytes (a larger or growing file is refused, error EFBIG), so that
// neither a special file nor a huge or sparse one can hold up the run or
// take its memory.
std::string readRegularFile(const fs::path& path, std::size_t maxBytes);
// Copies bytes of a regular file (destination folders created, destination replaced).
void copyFile(const fs::path& from, const fs::path& to);
void createDirectories(const fs::path& path);
// Renames from to to unless something (even an empty folder) stands at to:
// false then, and nothing changed. Atomic where the system offers it
// (renameat2 with RENAME_NOREPLACE, renamex_np); throws FileError otherwise.
bool renameIfAbsent(const fs::path& from, const fs::path& to);

struct ListOptions {
  bool includeHidden = false;     // entries whose name starts with "."
  bool followSymlinks = false;    // descend into linked folders
};
// Regular files below root, recursively, sorted by path. Skipped folders are
// not entered when skip(folder) returns true.
std::vector<fs::path> listFiles(const fs::path& root, const ListOptions& options = {},
                                bool (*skip)(const fs::path& folder) = nullptr);
// Direct children (files and folders) of a folder, sorted by name.
std::vector<fs::path> listChildren(const fs::path& folder, const ListOptions& options = {});

// path made absolute and normalised lexically, without a trailing separator
// ("out/" and "./out" name the same folder as "out"). No file-system access
// beyond the current folder; a relative path when that is gone (removed
// meanwhile) throws FileError.
fs::path normalPath(const fs::path& path);

// True when `inner` lies inside `outer` after both are made absolute and
// normalised lexically (no file-system access); false when a relative one
// cannot be made absolute.
bool isWithin(const fs::path& outer, const fs::path& inner);

}  // namespace tovrane::files
