#pragma once
// A fresh folder for one test, removed with everything in it (read-only
// parts included) when the object goes.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tovrane::testsupport {

class TempDir {
 public:
  explicit TempDir(std::string_view prefix = "tovrane-test");
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();

  // Canonical (symbolic links resolved), so that it compares equal to what a
  // child's `pwd -P` prints.
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& relative) const { return path_ / relative; }
  // Writes a file below the folder, parent folders included; returns its path.
  std::filesystem::path put(const std::filesystem::path& relative, std::string_view bytes) const;
  // Every entry below the folder (links not followed), relative and sorted.
  std::vector<std::string> entries() const;

 private:
  std::filesystem::path path_;
};

}  // namespace tovrane::testsupport
