#pragma once
// A fresh folder for one test, removed with everything in it (read-only
// parts included) when the object goes.
#include <filesystem>
#include <string_view>

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

 private:
  std::filesystem::path path_;
};

}  // namespace tovrane::testsupport
