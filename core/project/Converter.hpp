#pragma once
// The conversion driver: one Xcode project folder in, one Android Studio
// project folder out, in a single synchronous call that reports its stages.
// Keeps nothing between calls; two conversions may run at once as long as
// they write to different output folders.
#include "core/ir/IR.hpp"
#include "core/project/ConversionContract.hpp"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <stop_token>
#include <string>

namespace tovrane {

class TovraneConverter {
 public:
  using Progress = std::function<void(const ConversionStage&)>;

  // What one run holds of a project's sources in all. The trees and Kotlin
  // texts of every file stay in memory until the project is written, about
  // a hundred bytes for each byte of source; this bound keeps a run within a
  // few gigabytes, far above the size of real apps.
  static constexpr std::size_t maxProjectSourceBytes = std::size_t{32} << 20;

  // Throws ConversionError when the project holds no Swift file or more
  // source than maxProjectSourceBytes (nothing is written then), the writer's
  // files::FileError unchanged, and Cancelled when `stop` is requested: it is
  // checked before each file is read, emitted and written and between the
  // stages, and the code generator looks at it before each declaration.
  ConversionResult convert(const std::filesystem::path& project, const std::filesystem::path& output,
                           const ConversionOptions& options, const Progress& progress,
                           std::stop_token stop = {}) const;

  // The non-empty lines of a text; a CR LF pair ends a line like a lone LF.
  static int countLines(std::string_view text);
  // The text of ".tovrane/ir.json" for the module as parsed; nullopt, with a
  // warning for each file whose tree is nested too deeply for the IR's JSON
  // form, when it cannot be written.
  static std::optional<std::string> irJson(const IRModule& module, std::vector<ConversionWarning>& warnings);
  // The Kotlin file name for a Swift file's relative path, unique among
  // `taken` without regard to letter case ("MainActivity.kt" is always taken:
  // the writer generates it).
  static std::string kotlinFileName(std::string_view swiftPath, const std::vector<std::string>& taken);
};

// The content of ".tovrane/manifest.json".
struct ProjectManifest {
  std::string packageName;
  std::string sourceRoot;
  std::map<std::string, std::string> files;  // Kotlin file name → Swift file's absolute path
  bool operator==(const ProjectManifest&) const = default;
};

std::string encodeManifest(const ProjectManifest& manifest);
// The manifest of an Android project folder, or nullopt when the file is
// missing, unreadable, not JSON or lacks a member of the right type.
std::optional<ProjectManifest> readManifest(const std::filesystem::path& androidProject);
std::optional<ProjectManifest> decodeManifest(std::string_view text);

// A manifest is untrusted input: only what passes these guards is ever read,
// copied, sent to a model or passed to a device tool.
// The package name when it is dotted Java identifiers ("com.example.app").
std::optional<std::string> trustedPackageName(const ProjectManifest& manifest);
// The entries whose key is a plain ".kt" file name and whose value is the
// absolute path of an existing regular ".swift" file.
std::map<std::string, std::string> trustedFiles(const ProjectManifest& manifest);

}  // namespace tovrane
