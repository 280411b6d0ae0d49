#pragma once
// The records that pass between the caller of a conversion and the driver:
// options, the stages reported while it works, the result and its own error.
#include "core/backend/ConversionWarning.hpp"

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace tovrane {

struct ConversionOptions {
  // Present values replace the scanned ones unchanged, even when empty.
  std::optional<std::string> appName{};
  std::optional<std::string> packageName{};
};

struct ConversionStage {
  struct parsing {
    std::string file;  // relative to the project folder
    int index = 0;     // 0-based position in the scan's Swift file list
    int total = 0;
    bool operator==(const parsing&) const = default;
  };
  struct scanning {
    bool operator==(const scanning&) const = default;
  };
  struct generating {
    bool operator==(const generating&) const = default;
  };
  struct writingProject {
    bool operator==(const writingProject&) const = default;
  };
  struct done {
    bool operator==(const done&) const = default;
  };
  std::variant<parsing, scanning, generating, writingProject, done> node;
  bool operator==(const ConversionStage&) const = default;
};

struct ConversionResult {
  std::filesystem::path outputDirectory;
  std::string appName;
  std::string packageName;
  int swiftFiles = 0;
  int swiftLines = 0;
  int kotlinFiles = 0;
  // Swift files whose content is missing from the conversion: unreadable or
  // not text, or named *.swift but no file of the project (a FIFO, a device,
  // a link leading out of the project). Each has its warning.
  int lostFiles = 0;
  std::vector<ConversionWarning> warnings;
  int unsupportedCount = 0;
  int images = 0;
  int colors = 0;
  double coverage = 1;
  bool operator==(const ConversionResult&) const = default;
};

// 1 without lines, else 1 - 3 × untranslated places / lines, never below 0;
// then scaled by the share of the foundFiles Swift files that were not lost,
// as nothing of a lost file was translated.
double coverageEstimate(int swiftLines, int unsupportedCount, int foundFiles = 0, int lostFiles = 0);

// The conversion's own failures; the message is the German text for the user.
class ConversionError : public std::runtime_error {
 public:
  enum class Kind { noSwiftFiles, projectTooLarge, outputExists };
  // The driver's: the scan found no Swift file in the project folder.
  static ConversionError noSwiftFiles(const std::filesystem::path& project);
  // The driver's: the Swift files together exceed what one run holds.
  static ConversionError projectTooLarge(const std::filesystem::path& project, std::size_t limitBytes);
  // Its callers': the chosen output folder exists already. The driver itself
  // never checks for that.
  static ConversionError outputExists(const std::filesystem::path& output);

  Kind kind() const { return kind_; }
  // The project folder (noSwiftFiles, projectTooLarge) or the output folder
  // (outputExists).
  const std::filesystem::path& folder() const { return folder_; }

 private:
  ConversionError(Kind kind, std::filesystem::path folder, const std::string& message)
      : std::runtime_error(message), kind_(kind), folder_(std::move(folder)) {}
  Kind kind_;
  std::filesystem::path folder_;
};

// The last path component of a folder, also when the path ends in "/".
std::string folderName(const std::filesystem::path& folder);

}  // namespace tovrane
