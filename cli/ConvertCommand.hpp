#pragma once
// `tovrane convert <project> [--out <folder>]`: the conversion on a terminal.
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tovrane::cli {

class OutputFolderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The project folder for a dropped or named item: a .xcodeproj or
// .xcworkspace stands for the folder that holds it. nullopt when the result
// is not an existing folder.
std::optional<std::filesystem::path> projectFolder(const std::filesystem::path& item);

// Creates and returns a fresh output folder beside the project: its name with
// "-Android", else "-Android-2", "-Android-3", … Creation is exclusive, so two
// runs never share a folder. Throws OutputFolderError.
std::filesystem::path reserveOutputFolder(const std::filesystem::path& project);
// Creates `folder` exclusively (parents as needed). Throws OutputFolderError
// when it exists already or cannot be made.
void reserveFolder(const std::filesystem::path& folder);

// Runs the command with the arguments after "convert"; returns the exit code.
int runConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool terminal);

}  // namespace tovrane::cli
