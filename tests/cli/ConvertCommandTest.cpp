#include "cli/ConvertCommand.hpp"

#include "core/support/Files.hpp"
#include "tests/support/TempDir.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace tovrane::cli {
namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

TEST(ConvertCommand, ProjectFolderFromItem) {
  TempDir temp;
  files::writeFile(temp / "App/App.xcodeproj/project.pbxproj", "");
  files::writeFile(temp / "App/App.xcworkspace/contents.xcworkspacedata", "");
  EXPECT_EQ(projectFolder(temp / "App"), temp / "App");
  EXPECT_EQ(projectFolder(temp / "App/"), temp / "App");
  EXPECT_EQ(projectFolder(temp / "App/App.xcodeproj"), temp / "App");
  EXPECT_EQ(projectFolder(temp / "App/App.xcworkspace"), temp / "App");
  EXPECT_FALSE(projectFolder(temp / "App/App.xcodeproj/project.pbxproj"));
  EXPECT_FALSE(projectFolder(temp / "Missing"));
}

TEST(ConvertCommand, ReservesAFreshOutputFolderBesideTheProject) {
  TempDir temp;
  fs::create_directories(temp / "App");
  EXPECT_EQ(reserveOutputFolder(temp / "App"), temp / "App-Android");
  EXPECT_EQ(reserveOutputFolder(temp / "App/"), temp / "App-Android-2");
  files::writeFile(temp / "App-Android-3", "a file takes the name too");
  EXPECT_EQ(reserveOutputFolder(temp / "App"), temp / "App-Android-4");
  EXPECT_THROW(reserveFolder(temp / "App-Android"), OutputFolderError);
}

struct CommandRun {
  int code;
  std::string out, err;
};

CommandRun run(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int code = runConvert(args, out, err, false);
  return {code, out.str(), err.str()};
}

TEST(ConvertCommand, ConvertsAnExampleAndSummarises) {
  TempDir temp;
  fs::copy(fs::path(TOVRANE_SOURCE_DIR) / "examples/Counter", temp / "Counter", fs::copy_options::recursive);
  const CommandRun first = run({(temp / "Counter/Counter.xcodeproj").string()});
  ASSERT_EQ(first.code, 0) << first.err;
  EXPECT_NE(first.out.find("nach " + (temp / "Counter-Android").string()), std::string::npos) << first.out;
  EXPECT_NE(first.out.find("Kotlin-Dateien:"), std::string::npos);
  EXPECT_TRUE(fs::exists(temp / "Counter-Android/TOVRANE_BERICHT.md"));
  EXPECT_EQ(run({(temp / "Counter").string()}).code, 0);
  EXPECT_TRUE(fs::exists(temp / "Counter-Android-2/.tovrane/manifest.json"));
}

TEST(ConvertCommand, FailuresExplainThemselvesAndLeaveNoFolder) {
  TempDir temp;
  files::writeFile(temp / "Empty/notes.txt", "");
  const CommandRun empty = run({(temp / "Empty").string()});
  EXPECT_EQ(empty.code, 1);
  EXPECT_EQ(empty.err, "Im Ordner Empty wurden keine Swift-Dateien gefunden.\n");
  EXPECT_FALSE(fs::exists(temp / "Empty-Android"));

  EXPECT_EQ(run({(temp / "Empty/notes.txt").string()}).err,
            "Bitte einen Ordner angeben \xE2\x80\x93 nicht eine einzelne Datei.\n");
  files::writeFile(temp / "App/A.swift", "struct A {}\n");
  fs::create_directories(temp / "Taken");
  const CommandRun taken = run({(temp / "App").string(), "--out", (temp / "Taken").string()});
  EXPECT_EQ(taken.code, 1);
  EXPECT_NE(taken.err.find("existiert bereits"), std::string::npos);
  EXPECT_EQ(run({}).code, 2);
  EXPECT_EQ(run({"a", "b"}).code, 2);
}

}  // namespace
}  // namespace tovrane::cli
