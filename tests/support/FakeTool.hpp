#pragma once
// Stand-ins for the external programs the system starts (Gradle, adb, the
// emulator, xcrun, login shells, coding tools): a POSIX sh script that logs
// how it was called, prints canned output and exits with a chosen status.
//
// Each call appends one record to the log beside the script: the working
// folder, every argument, the chosen environment variables as the caller set
// them and, when asked, all of standard input. Every value is written with
// its byte length, so empty arguments, line feeds and odd bytes survive;
// readToolLog parses it.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tovrane::testsupport {

struct ToolCall {
  std::filesystem::path workingFolder;  // physical, as `pwd -P` prints it
  std::vector<std::string> arguments;
  // Each logged variable: its value, or none when it was not set.
  std::map<std::string, std::optional<std::string>> variables;
  std::string input;  // empty unless the tool reads its input
};

// The calls recorded in a log, in order; none when the log does not exist.
std::vector<ToolCall> readToolLog(const std::filesystem::path& log);

struct InstalledTool {
  std::filesystem::path program;
  std::filesystem::path log;
  std::vector<ToolCall> calls() const { return readToolLog(log); }
};

struct FakeTool {
  std::string output;       // written to standard output, byte for byte
  std::string errorOutput;  // written to standard error after it
  int status = 0;
  std::vector<std::string> variables;  // environment variables to log
  // Read standard input to its end and log it. Off by default: an inherited
  // standard input may never end.
  bool readsInput = false;
  // Shell commands run after the canned output and before the exit, with the
  // caller's PATH (sleeps, state files, counters, background children).
  std::string body;

  // Writes the script at path (folders created, mode 0755), its canned output
  // and an empty log beside it (path + ".log"). Replaces an earlier one.
  InstalledTool install(const std::filesystem::path& path) const;
};

// Quotes text for a POSIX shell (single quotes).
std::string shellQuote(const std::string& text);

}  // namespace tovrane::testsupport
