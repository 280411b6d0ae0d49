#include "core/project/StagedConversion.hpp"

#include "core/support/Files.hpp"
#include "core/support/LargeStack.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <vector>

namespace tovrane {
namespace {

namespace fs = std::filesystem;

bool standsThere(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

// A fresh hidden folder beside output, made exclusively.
fs::path makeStagingFolder(const fs::path& output) {
  for (int attempt = 0;; ++attempt) {
    fs::path staging = files::temporarySibling(output, "tovrane");
    if (::mkdir(staging.c_str(), 0777) == 0) return staging;
    if (errno != EEXIST || attempt == 100) throw files::FileError(staging, std::strerror(errno), errno);
  }
}

// path with the staging folder replaced by the output folder.
fs::path inPlaceOf(const fs::path& path, const fs::path& staging, const fs::path& target) {
  if (staging.empty() || !files::isWithin(staging, path)) return path;
  const fs::path inside = path.lexically_relative(staging);
  return inside == "." ? target : target / inside;
}

}  // namespace

ConversionResult convertIntoNewFolder(const fs::path& project, const fs::path& output,
                                      const ConversionOptions& options, const TovraneConverter::Progress& progress) {
  const fs::path target = files::normalPath(output);
  if (standsThere(target)) throw ConversionError::outputExists(target);

  // The parent folders this run makes, outermost first.
  std::vector<fs::path> madeParents;
  for (fs::path parent = target.parent_path(); !standsThere(parent) && parent.has_relative_path();
       parent = parent.parent_path())
    madeParents.push_back(parent);
  std::reverse(madeParents.begin(), madeParents.end());

  fs::path staging;
  try {
    try {
      files::createDirectories(target.parent_path());
    } catch (const files::FileError& e) {
      // Named as the folder the caller asked for: that is what cannot be made.
      throw files::FileError(target, e.reason(), e.error());
    }
    staging = makeStagingFolder(target);
    ConversionResult result;
    runWithLargeStack([&] { result = TovraneConverter().convert(project, staging, options, progress); });
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
