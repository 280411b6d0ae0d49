#include "tests/support/TempDir.hpp"

#include "core/support/Files.hpp"

#include <algorithm>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace tovrane::testsupport {

namespace fs = std::filesystem;

TempDir::TempDir(std::string_view prefix) {
  std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed for " + pattern);
  path_ = fs::canonical(pattern);
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests take permissions away to provoke failures; give them back first,
  // each folder before the iterator descends into it.
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  for (auto it = fs::recursive_directory_iterator(path_, fs::directory_options::skip_permission_denied, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::error_code ignored;
    if (it->is_directory(ignored) && !it->is_symlink(ignored))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(path_, ec);
}

fs::path TempDir::put(const fs::path& relative, std::string_view bytes) const {
  files::writeFile(path_ / relative, bytes);
  return path_ / relative;
}

std::vector<std::string> TempDir::entries() const {
  std::vector<std::string> out;
  for (const auto& entry : fs::recursive_directory_iterator(path_))
    out.push_back(fs::relative(entry.path(), path_).string());
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace tovrane::testsupport
