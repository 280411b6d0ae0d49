#include "cli/ConvertCommand.hpp"

#include "core/project/ConversionContract.hpp"
#include "core/support/Files.hpp"
#include "tests/support/TempDir.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
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
  EXPECT_EQ(projectFolder(temp / "App/App.xcodeproj/"), temp / "App");
  EXPECT_EQ(projectFolder(temp / "App/App.xcworkspace"), temp / "App");
  EXPECT_FALSE(projectFolder(temp / "App/App.xcodeproj/project.pbxproj"));
  EXPECT_FALSE(projectFolder(temp / "Missing"));
}

TEST(ConvertCommand, FreeOutputFolderBesideTheProjectCreatesNothing) {
  TempDir temp;
  fs::create_directories(temp / "App");
  EXPECT_EQ(freeOutputFolder(temp / "App"), temp / "App-Android");
  EXPECT_EQ(freeOutputFolder(temp / "App/"), temp / "App-Android");
  EXPECT_FALSE(fs::exists(temp / "App-Android"));
  fs::create_directories(temp / "App-Android");
  files::writeFile(temp / "App-Android-2", "a file takes the name too");
  EXPECT_EQ(freeOutputFolder(temp / "App"), temp / "App-Android-3");
  // A project name that takes the whole limit is shortened to make room.
  const std::string longest(255, 'P');
  fs::create_directories(temp / longest);
  EXPECT_EQ(freeOutputFolder(temp / longest), temp / (std::string(247, 'P') + "-Android"));
  fs::create_directories(temp / (std::string(247, 'P') + "-Android"));
  EXPECT_EQ(freeOutputFolder(temp / longest), temp / (std::string(245, 'P') + "-Android-2"));
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
  EXPECT_EQ(first.err, "");
  EXPECT_NE(first.out.find("nach " + (temp / "Counter-Android").string()), std::string::npos) << first.out;
  EXPECT_NE(first.out.find("Kotlin-Dateien:"), std::string::npos);
  EXPECT_NE(first.out.find("\n  Verlorene Swift-Dateien:  0\n"), std::string::npos) << first.out;
  EXPECT_TRUE(fs::exists(temp / "Counter-Android/TOVRANE_BERICHT.md"));
  EXPECT_EQ(run({(temp / "Counter").string()}).code, 0);
  EXPECT_TRUE(fs::exists(temp / "Counter-Android-2/.tovrane/manifest.json"));
  // Nothing but the two projects beside the source: no hidden work folders.
  std::vector<std::string> beside;
  for (const auto& entry : fs::directory_iterator(temp.path())) beside.push_back(entry.path().filename().string());
  std::sort(beside.begin(), beside.end());
  EXPECT_EQ(beside, (std::vector<std::string>{"Counter", "Counter-Android", "Counter-Android-2"}));
}

// Every row runs in a fresh folder holding App/A.swift, Empty/notes.txt,
// a file note.txt and an existing folder Taken; "@" in an argument stands for
// that folder's path.
TEST(ConvertCommand, PathsAndArgumentsTable) {
  const struct Row {
    const char* name;
    std::vector<std::string> args;
    int code;
    const char* err;              // expected in standard error ("" for none)
    std::vector<std::string> exist;   // paths below the folder that must exist afterwards
    std::vector<std::string> absent;  // … and must not
  } rows[] = {
      {"trailing slash", {"@/App", "--out", "@/Out/"}, 0, "", {"Out/TOVRANE_BERICHT.md"}, {}},
      {"dot segments", {"@/App/.", "--out", "@/x/../Out"}, 0, "", {"Out/TOVRANE_BERICHT.md"}, {"x"}},
      {"options end at --", {"--out", "@/Out", "--", "@/App"}, 0, "", {"Out/TOVRANE_BERICHT.md"}, {}},
      {"empty project", {""}, 2, "Aufruf:", {}, {}},
      {"empty output", {"@/App", "--out", ""}, 2, "Aufruf:", {}, {}},
      {"output twice", {"@/App", "--out", "@/A", "--out", "@/B"}, 2, "Aufruf:", {}, {"A", "B"}},
      {"output without folder", {"@/App", "--out"}, 2, "Aufruf:", {}, {}},
      {"two projects", {"@/App", "@/Empty"}, 2, "Aufruf:", {}, {}},
      {"unknown option", {"-x", "@/App"}, 2, "Aufruf:", {}, {}},
      {"missing folder", {"@/Nope"}, 1, "Den Ordner @/Nope gibt es nicht.", {}, {"Nope-Android"}},
      {"a file", {"@/note.txt"}, 1, "nicht eine einzelne Datei", {}, {}},
      {"output exists", {"@/App", "--out", "@/Taken/"}, 1, "Der Zielordner @/Taken existiert bereits.", {"Taken"},
       {"Taken/TOVRANE_BERICHT.md"}},
      {"made parents go again", {"@/Empty", "--out", "@/new/deeper/Out"}, 1, "keine Swift-Dateien", {}, {"new"}},
      {"output below a file", {"@/App", "--out", "@/note.txt/Out"}, 1,
       "Dateifehler bei @/note.txt/Out: Ist kein Ordner.", {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir temp;
    files::writeFile(temp / "App/A.swift", "struct A {}\n");
    files::writeFile(temp / "Empty/notes.txt", "");
    files::writeFile(temp / "note.txt", "");
    fs::create_directories(temp / "Taken");
    const auto expand = [&](std::string text) {
      for (std::size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, temp.path().string());
      return text;
    };
    std::vector<std::string> args;
    for (const std::string& arg : row.args) args.push_back(expand(arg));
    const CommandRun result = run(args);
    EXPECT_EQ(result.code, row.code) << result.err;
    if (*row.err) {
      EXPECT_NE(result.err.find(expand(row.err)), std::string::npos) << result.err;
    } else {
      EXPECT_EQ(result.err, "");
    }
    for (const std::string& path : row.exist) EXPECT_TRUE(fs::exists(temp / path)) << path;
    for (const std::string& path : row.absent) EXPECT_FALSE(fs::exists(temp / path)) << path;
    // No hidden work folder stays beside the output.
    for (const auto& entry : fs::directory_iterator(temp.path()))
      EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << "left behind: " << entry.path();
  }
}

// Asked for help anywhere among the options, the command shows its usage
// on standard output and succeeds, and converts nothing; after "--" the word
// is a folder's name.
TEST(ConvertCommand, HelpAmongTheArgumentsShowsTheUsage) {
  TempDir temp;
  files::writeFile(temp / "App/A.swift", "struct A {}\n");
  const std::string app = (temp / "App").string();
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {app, "--help"}, {"--help"}, {"-h", app}, {app, "--out", (temp / "Out").string(), "--help"}}) {
    const CommandRun result = run(args);
    EXPECT_EQ(result.code, 0) << args.front();
    EXPECT_TRUE(result.out.starts_with("Aufruf: tovrane convert")) << result.out;
    EXPECT_EQ(result.err, "");
  }
  EXPECT_EQ(temp.entries(), (std::vector<std::string>{"App", "App/A.swift"}));
  const CommandRun afterEnd = run({"--", "--help"});
  EXPECT_EQ(afterEnd.code, 1);
  EXPECT_NE(afterEnd.err.find("--help gibt es nicht"), std::string::npos) << afterEnd.err;
}

TEST(ConvertCommand, ProjectDataReachesTheTerminalWithoutControlCharacters) {
  TempDir temp;
  const std::string name = "Evil\x1B]0;owned\x07\nApp";
  files::writeFile(temp / name / "A.swift", "struct A {}\n");
  const CommandRun result = run({(temp / name).string(), "--out", (temp / "Out").string()});
  ASSERT_EQ(result.code, 0) << result.err;
  for (const char control : {'\x1B', '\x07'}) EXPECT_EQ(result.out.find(control), std::string::npos);
  EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 7) << result.out;
}

TEST(ConvertCommand, FailuresAreGermanSentences) {
  const auto text = [](auto error) { return failureText(std::make_exception_ptr(error)); };
  EXPECT_EQ(text(files::FileError("/p/Out", EACCES)), "Keine Berechtigung f\xC3\xBCr /p/Out.");
  EXPECT_EQ(text(files::FileError("/p/Out/a.kt", ENOSPC)), "Dateifehler bei /p/Out/a.kt: Kein Speicherplatz mehr frei.");
  EXPECT_EQ(text(std::bad_alloc()), "Nicht genug Arbeitsspeicher f\xC3\xBCr diese Konvertierung.");
  EXPECT_EQ(text(ConversionError::outputExists("/p/Out")), "Der Zielordner /p/Out existiert bereits.");
  EXPECT_EQ(text(fs::filesystem_error("x", "/p/\x1B[2J", std::make_error_code(std::errc::read_only_file_system))),
            "Keine Berechtigung f\xC3\xBCr /p/\xEF\xBF\xBD[2J (Das Laufwerk ist schreibgesch\xC3\xBCtzt).");
  EXPECT_EQ(text(std::system_error(EMFILE, std::generic_category(), "pipe")),
            "Die Konvertierung ist fehlgeschlagen: Zu viele offene Dateien");
}

// Relative paths need the current folder: one removed meanwhile is a German
// failure, not an abort.
TEST(ConvertCommand, RelativePathsWithoutACurrentFolderFailInGerman) {
  TempDir temp;
  struct Back {
    fs::path to = fs::current_path();
    ~Back() { fs::current_path(to); }
  } back;
  fs::create_directories(temp / "App");
  fs::create_directories(temp / "gone");
  fs::current_path(temp / "gone");
  fs::remove(temp / "gone");
  for (const auto& args : {std::vector<std::string>{"App"}, {(temp / "App").string(), "--out", "App-Android"}}) {
    const CommandRun result = run(args);
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err, "Dateifehler bei " + args.back() + ": Datei oder Ordner nicht gefunden.\n");
  }
}

TEST(ConvertCommand, InterruptedRunLeavesNothing) {
  TempDir temp;
  files::writeFile(temp / "App/A.swift", "struct A {}\n");
  Interruption interruption;
  interruption.request(SIGINT);
  interruption.request(SIGTERM);  // the first signal counts
  std::ostringstream out, err;
  EXPECT_EQ(runConvert({(temp / "App").string(), "--out", (temp / "a/b/Out").string()}, out, err, false, &interruption),
            128 + SIGINT);
  EXPECT_NE(err.str().find("Abgebrochen"), std::string::npos);
  EXPECT_EQ(temp.entries(), (std::vector<std::string>{"App", "App/A.swift"}));
}

}  // namespace
}  // namespace tovrane::cli
