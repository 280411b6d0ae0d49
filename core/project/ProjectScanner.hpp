#pragma once
// Reads an Xcode project folder once per conversion: the Swift sources to
// convert, the app and package names, and the colours, images and app icon of
// its asset catalogues. The scan only reads and never fails; whatever cannot be
// read leaves its part of the result empty or at its default.
//
// Symbolic links are followed only while their target stays inside the
// project folder, so a project cannot make the conversion read (and the writer
// then copy) files from elsewhere on the machine. Only regular files count:
// a FIFO or a device never becomes a Swift file, an image or a description,
// and every file read from the project has a size limit. What it passes over
// that could hold part of the app (an unreadable folder, a link leading out,
// a special file named like a Swift source) it reports as a warning.
#include "core/backend/ConversionWarning.hpp"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace tovrane {

struct ScannedColor {
  std::string name;       // the colour set's folder name without ".colorset"
  std::uint32_t argb = 0;  // alpha, red, green, blue from the highest byte down
  bool operator==(const ScannedColor&) const = default;
};

struct ScannedImage {
  std::string name;             // the image set's folder name without ".imageset"
  std::filesystem::path file;   // the chosen image file inside the set
  bool operator==(const ScannedImage&) const = default;
};

struct ProjectScan {
  std::filesystem::path root;
  std::vector<std::filesystem::path> swiftFiles;  // sorted by path
  std::string appName;
  std::string packageName;
  // The Swift module the sources form, as the code names it («Notes.Item»):
  // the build setting PRODUCT_MODULE_NAME when it is written out, else the
  // Xcode project's name (the folder's without one) with every character a
  // module name cannot hold replaced by "_", as Xcode derives it.
  std::string moduleName;
  std::vector<ScannedColor> colors;   // in the order found
  std::vector<ScannedImage> images;   // in the order found
  std::optional<std::filesystem::path> appIcon;
  // What the scan passed over that the user should know of (folders it could
  // not read, links leading out of the project, Swift files that are no
  // regular files, images above the size limit); `file` is relative to root.
  std::vector<ConversionWarning> warnings;
  // Entries named like Swift sources that the scan could not take (a FIFO
  // or device, a link leading out of the project or nowhere): their content
  // is lost to the conversion. Each has its warning.
  int lostSwiftFiles = 0;
};

class ProjectScanner {
 public:
  // Size limits of the files read from a project: far above real ones, low
  // enough that a huge or sparse file cannot take the run's memory.
  static constexpr std::size_t maxSwiftFileBytes = std::size_t{16} << 20;
  static constexpr std::size_t maxImageBytes = std::size_t{64} << 20;
  static constexpr std::size_t maxProjectFileBytes = std::size_t{64} << 20;
  static constexpr std::size_t maxDescriptionBytes = std::size_t{1} << 20;

  // Folders the walk never enters.
  static constexpr std::array<std::string_view, 12> skippedDirs{
      "build", "DerivedData", ".build", "Pods", "Carthage", ".git",
      "node_modules", ".swiftpm", "xcuserdata", "Tests", "UITests", "fastlane"};

  // Ends early, with what it has found, when stop is requested.
  ProjectScan scan(const std::filesystem::path& root, std::stop_token stop = {}) const;

  // The first value of a build setting in a project.pbxproj text: a quoted
  // value with its escapes decoded (\" gives a quote), an unquoted one
  // without surrounding quotes and blanks; nullopt when the key or its ";" is
  // missing.
  static std::optional<std::string> firstMatch(std::string_view text, std::string_view key);
  // A name as Xcode makes a module name of it: letters, digits and "_" stay,
  // anything else becomes "_", and a leading digit gets a "_" before it.
  static std::string moduleIdentifier(std::string_view name);
  // A valid Android package name from the bundle identifier, falling back to
  // "com.tovrane." + appName.
  static std::string packageName(const std::optional<std::string>& bundleIdentifier,
                                 std::string_view appName);
  // The colour of a colour set folder, or nullopt when its description cannot
  // be read or understood. Files reached through a link that leaves `boundary`
  // are not read (an empty boundary means the colour set folder itself).
  static std::optional<std::uint32_t> readColor(const std::filesystem::path& colorSet,
                                                const std::filesystem::path& boundary = {});
  // The largest raster image directly inside an image or app icon set; among
  // equal sizes the first in listing order. Same boundary rule as readColor.
  // Images above maxImageBytes are passed over and added to `oversized`.
  static std::optional<std::filesystem::path> bestImage(const std::filesystem::path& set,
                                                        const std::filesystem::path& boundary = {},
                                                        std::vector<std::filesystem::path>* oversized = nullptr);
};

namespace project {
// Locale-independent Unicode lower-casing, scalar by scalar.
std::string lowercased(std::string_view text);
}  // namespace project

}  // namespace tovrane
