#pragma once
// `tovrane convert <project> [--out <folder>]`: the conversion on a terminal.
#include <atomic>
#include <exception>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace tovrane::cli {

// The project folder for a dropped or named item: a .xcodeproj or
// .xcworkspace stands for the folder that holds it. nullopt when the result
// is not an existing folder; FileError when a relative item cannot be made
// absolute (the current folder is gone).
std::optional<std::filesystem::path> projectFolder(const std::filesystem::path& item);

// The output folder beside the project when none is given: its name with
// "-Android", else "-Android-2", "-Android-3", … the first whose name is
// free, the project's name shortened where the whole would pass the file
// system's limit. Creates nothing; the conversion makes the folder appear
// complete.
std::filesystem::path freeOutputFolder(const std::filesystem::path& project);

// The German text for a failed run: the conversion's own errors as they are,
// file-system errors as a sentence around their German reason (saying so
// when permission was missing), never a bare exception name nor the C
// library's English.
std::string failureText(const std::exception_ptr& failure);

// How a signal reaches a running command: the stop request that the
// conversion checks at every step, and the signal's number.
struct Interruption {
  std::stop_source stop;
  std::atomic<int> signal{0};
  // The first signal counts; later ones change nothing.
  void request(int number) {
    int none = 0;
    if (signal.compare_exchange_strong(none, number)) stop.request_stop();
  }
};

// Runs the command with the arguments after "convert"; returns the exit code
// (0 done or help shown, 1 failed, 2 usage). When `interruption` is requested
// the run stops at its next step, removes what it wrote and returns 128 + the
// signal's number.
int runConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool terminal,
               Interruption* interruption = nullptr);

}  // namespace tovrane::cli
