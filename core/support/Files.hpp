#pragma once
// File-system helpers. Errors are FileError with the path and the system's
// message; nothing here swallows a failure.
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace tovrane::files {

namespace fs = std::filesystem;

class FileError : public std::runtime_error {
 public:
  FileError(fs::path path, const std::string& message);
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// When the bytes of an atomic write reach the disk: before the rename
// (`now`), or with the caller's one syncFileSystem after a batch of writes
// (`deferred`): a whole generated project then costs one flush, not one per file.
enum class Flush { now, deferred };

// Writes bytes so that a reader sees either the old file or the new one whole:
// a temporary file in the same folder, created with `mode` before any byte is
// written, flushed (see Flush), then renamed over path. Parent folders are
// created. On failure the temporary file is removed and an existing file stays
// as it was.
void writeAtomic(const fs::path& path, std::string_view bytes, mode_t mode = 0644, Flush flush = Flush::now);
// Flushes every pending write of the file system that holds path.
void syncFileSystem(const fs::path& path);
// Creates or truncates path (parent folders created) and writes bytes.
void writeFile(const fs::path& path, std::string_view bytes);
// Appends to a file that must already exist; never creates one.
void appendToExisting(const fs::path& path, std::string_view bytes);
std::string readFile(const fs::path& path);
// Copies bytes of a regular file (destination folders created, destination replaced).
void copyFile(const fs::path& from, const fs::path& to);
void createDirectories(const fs::path& path);

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

// True when `inner` lies inside `outer` after both are made absolute and
// normalised lexically (no file-system access).
bool isWithin(const fs::path& outer, const fs::path& inner);

}  // namespace tovrane::files
