#pragma once
// A fresh folder under /tmp for one test, removed with everything in it.
#include "core/support/Files.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace tovrane::testsupport {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tovrane-project-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& relative) const { return path_ / relative; }

  // Writes a file below the folder, parent folders included.
  std::filesystem::path put(const std::filesystem::path& relative, std::string_view bytes) const {
    files::writeFile(path_ / relative, bytes);
    return path_ / relative;
  }

  // Every entry below the folder (links not followed), relative and sorted.
  std::vector<std::string> entries() const {
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_))
      out.push_back(std::filesystem::relative(entry.path(), path_).string());
    std::sort(out.begin(), out.end());
    return out;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace tovrane::testsupport
