#pragma once
// One of the JSON files the application keeps in its folder (AppPaths): the
// history and the key file. Reading never fails loudly; a missing file is
// simply absent. A file that exists but cannot be read, or whose content the
// owner could not decode, is "damaged": the next write first moves it aside
// to "<name>.bak" (owner-only, replacing an older backup), so that a store
// that starts empty never silently destroys what the user had.
#include <QString>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace tovrane::app {

class StoreFile {
 public:
  // The file `name` in the application's folder, which is created (owner
  // only) when missing; a failure to create it is ignored here and shows
  // later as a failed read or write.
  explicit StoreFile(const QString& name);

  const std::filesystem::path& path() const { return path_; }

  // The whole content; nullopt when the file is missing or unreadable (the
  // latter marks it damaged).
  std::optional<std::string> read();
  // The content read could not be decoded.
  void markDamaged() { damaged_ = true; }

  // Replaces the file atomically with `bytes`, created with exactly `mode`.
  // Failures are ignored: the file then stays as it was, and a damaged file
  // that could not be moved aside is never overwritten.
  void write(std::string_view bytes, mode_t mode);

 private:
  bool moveAside() const;

  std::filesystem::path path_;
  bool damaged_ = false;
};

}  // namespace tovrane::app
