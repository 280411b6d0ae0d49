#pragma once
// Writes one conversion's Android Studio project: Gradle build files and
// wrapper, manifest, string resource, the launcher activity, the Kotlin files
// of the code generator, the runtime library, the asset catalogue's colours,
// images and launcher icon, and the empty ".tovrane" metadata folder.
//
// Invariants: every path the writer touches lies inside `output` (checked
// lexically, and no existing folder on the way may be a symbolic link), so no
// name from the source project or the backend can make it write elsewhere.
// Text files are replaced atomically; a failed step throws files::FileError and
// leaves what was written before in place. The writer holds no state besides
// its inputs and no handle between calls.
#include "core/project/ConversionContract.hpp"
#include "core/project/ProjectScanner.hpp"
#include "core/support/Files.hpp"

#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace tovrane {

// One Kotlin source made by the code generator: the file name with its ".kt"
// extension and no folder, and the whole text.
struct KotlinSourceFile {
  std::string name;
  std::string text;
};

class AndroidProjectWriter {
 public:
  // activityName: the class of the generated launcher activity, renamed by
  // the driver when the module declares a MainActivity of its own.
  AndroidProjectWriter(std::string appName, std::string packageName, std::filesystem::path output,
                       std::string activityName = "MainActivity");

  // Writes the whole project. entryComposable names the Kotlin function of the
  // first screen (nullopt: the project has none); entryIsApp tells whether it
  // is the app declaration itself or a view. Of the scan, only colors, images
  // and appIcon are read. Returns warnings about what it had to change: image
  // sets whose resource names collided. Throws Cancelled when stop is
  // requested, checked before each Kotlin file and image.
  std::vector<ConversionWarning> write(const std::vector<KotlinSourceFile>& kotlinFiles,
                                       const std::optional<std::string>& entryComposable, bool entryIsApp,
                                       const ProjectScan& scan, std::stop_token stop = {}) const;

  // Writes text as UTF-8 to a path relative to the output folder, atomically,
  // creating missing parent folders.
  void write(std::string_view text, std::string_view relativePath) const;

  // Writes "TOVRANE_BERICHT.md" (atomically) and ".tovrane/warnings.json"
  // (plainly) from the finished result. Throws files::FileError.
  void writeReport(const ConversionResult& result) const;
  // The report's text for a given date text ("2025-03-01T14:05:09Z").
  static std::string reportText(const ConversionResult& result, std::string_view date);

  // The bytes of a resource of the core library's store, or nullopt.
  static std::optional<std::string_view> resource(std::string_view name);
  // The Android resource name for an image set's name.
  static std::string assetName(std::string_view name);

  const std::string& appName() const { return appName_; }
  const std::string& packageName() const { return packageName_; }
  const std::filesystem::path& output() const { return output_; }

 private:
  // The absolute target of a path relative to the output folder, after
  // making sure that writing there stays inside it. For a folder, the folder
  // itself must not be a link either.
  std::filesystem::path target(const std::filesystem::path& relativePath, bool isFolder = false) const;
  void writeBytes(std::string_view bytes, const std::filesystem::path& relativePath, mode_t mode,
                  files::Flush flush = files::Flush::deferred) const;
  std::filesystem::path packageFolder() const;

  std::string appName_;
  std::string packageName_;
  std::filesystem::path output_;
  std::string activityName_;
};

}  // namespace tovrane
