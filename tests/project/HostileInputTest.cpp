// Conversions of projects that a hostile or unlucky user brings: names that
// could become code, files that are no files, chains no person writes, too
// much source, and runs that fail, are stopped or were killed. One table per
// family.
#include "core/backend/KotlinNames.hpp"
#include "core/ir/IRJson.hpp"
#include "core/project/AndroidProjectWriter.hpp"
#include "core/project/StagedConversion.hpp"
#include "core/support/Files.hpp"
#include "core/support/LargeStack.hpp"
#include "core/support/Text.hpp"
#include "tests/support/TempDir.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/fsuid.h>
#endif

namespace tovrane {
namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

// While it lives, the file-system access of this thread, and of the threads
// it starts, is that of another user: root passes every mode bit, so only
// thus can a test meet an unreadable folder or a read-only parent.
class AsOtherUser {
 public:
  AsOtherUser() { setFsUser(65534); }
  ~AsOtherUser() { setFsUser(0); }
  AsOtherUser(const AsOtherUser&) = delete;
  AsOtherUser& operator=(const AsOtherUser&) = delete;

 private:
  void setFsUser([[maybe_unused]] uid_t user) {
#if defined(__linux__)
    if (root_) ::setfsuid(user);
#endif
  }
  bool root_ = ::geteuid() == 0;
};

// Folders named `name` below `base`, nested `depth` times, with a Swift file
// at the bottom; made by descriptors, so that the whole may pass the
// system's path limit.
void makeDeepFolders(const fs::path& base, int depth, const std::string& name) {
  int parent = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (int level = 0; level < depth && parent >= 0; ++level) {
    ::mkdirat(parent, name.c_str(), 0755);
    const int child = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(parent);
    parent = child;
  }
  if (parent >= 0) {
    const int file = ::openat(parent, "Deep.swift", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (file >= 0) ::close(file);
    ::close(parent);
  }
}

// Removes a tree by descriptors, as a removal by path stops at the limit.
void removeTree(int parent, const char* name) {
  const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string_view child = entry->d_name;
      if (child == "." || child == "..") continue;
      if (::unlinkat(::dirfd(dir), entry->d_name, 0) != 0) removeTree(::dirfd(dir), entry->d_name);
    }
    ::closedir(dir);
  }
  ::unlinkat(parent, name, AT_REMOVEDIR);
}

std::string repeated(std::string_view piece, std::size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

// Kotlin text without the contents of its string literals (escapes
// honoured), so a search for code finds only code.
std::string outsideStrings(std::string_view kotlin) {
  std::string out;
  bool inString = false;
  for (std::size_t i = 0; i < kotlin.size(); ++i) {
    const char c = kotlin[i];
    if (inString && c == '\\') {
      ++i;
    } else if (c == '"') {
      inString = !inString;
      out += c;
    } else if (!inString) {
      out += c;
    }
  }
  return out;
}

struct Converted {
  ConversionResult result;
  fs::path output;
  std::string kotlin(const std::string& name) const {
    return files::readFile(output / "app/src/main/java/com/example/app" / name);
  }
  std::vector<std::string> messages() const {
    std::vector<std::string> out;
    for (const ConversionWarning& warning : result.warnings) out.push_back(warning.message);
    return out;
  }
};

// Converts a project of the given Swift files (path → text) in a fresh folder.
Converted convert(const TempDir& temp, const std::vector<std::pair<std::string, std::string>>& sources,
                  const std::function<void(const fs::path&)>& prepare = {}) {
  const fs::path project = temp / "App";
  files::writeFile(project / "App.xcodeproj/project.pbxproj", "PRODUCT_BUNDLE_IDENTIFIER = com.example.app;\n");
  for (const auto& [path, text] : sources) files::writeFile(project / path, text);
  if (prepare) prepare(project);
  const fs::path output = temp / "Out";
  return {convertIntoNewFolder(project, output, {}, {}), output};
}

// --- Names

TEST(HostileInput, NamesNeverBecomeCode) {
  TempDir temp;
  const Converted run = convert(
      temp, {{"Model.swift",
              "struct Model {\n"
              "    let `a: Int = 1; init { println(\"X\") }; val b` = 2\n"
              "    func f() -> Int { `a: Int = 1; init { println(\"X\") }; val b` }\n"
              "}\n"}});
  const std::string kotlin = run.kotlin("Model.kt");
  EXPECT_EQ(outsideStrings(kotlin).find("println"), std::string::npos) << kotlin;
  // Declaration and use agree, and a warning names the replacement.
  const std::string name = kw("`a: Int = 1; init { println(\"X\") }; val b`");
  EXPECT_NE(kotlin.find("val " + name + ": Int = 2"), std::string::npos) << kotlin;
  EXPECT_NE(kotlin.find("return " + name), std::string::npos) << kotlin;
  EXPECT_EQ(run.messages(),
            std::vector<std::string>{"Der Name ist in Kotlin nicht m\xC3\xB6glich und hei\xC3\x9Ft dort " + name});
}

TEST(HostileInput, NamesInCommentsHeadingsAndTheActivityStayInPlace) {
  TempDir temp;
  const Converted run = convert(temp, {{"Odd\nFolder/MainActivity.swift", "struct MainActivity {}\nlet x = y\n"}});
  const std::string kotlin = run.kotlin("MainActivity_2.kt");
  // The folder's line break does not end the header comment.
  EXPECT_TRUE(kotlin.starts_with("// Automatisch aus Odd\xEF\xBF\xBD" "Folder/MainActivity.swift erzeugt von tovrane.\n"))
      << kotlin;
  // …nor the report's heading of the file.
  const std::string report = files::readFile(run.output / "TOVRANE_BERICHT.md");
  EXPECT_NE(report.find("\n### Odd\xEF\xBF\xBD" "Folder/MainActivity.swift\n"), std::string::npos) << report;
  // A module type named MainActivity keeps its name; the activity yields.
  EXPECT_NE(kotlin.find("class MainActivity"), std::string::npos);
  EXPECT_NE(run.kotlin("MainActivity.kt").find("class TovraneMainActivity : ComponentActivity()"), std::string::npos);
  EXPECT_NE(files::readFile(run.output / "app/src/main/AndroidManifest.xml").find("android:name=\".TovraneMainActivity\""),
            std::string::npos);
}

// --- Files

// Whatever holds part of the app but cannot be read is reported, and a Swift
// file among it counts as lost: against the coverage, and in the summary.
TEST(HostileInput, SpecialUnreadableAndForeignFiles) {
  const std::string notTaken = " \xE2\x80\x93 nicht \xC3\xBC" "bernommen";
  const std::string missing = " \xE2\x80\x93 ihr Inhalt fehlt in der Konvertierung";
  const std::string tooLong(250, 'd');
  const struct Row {
    const char* name;
    std::function<void(const fs::path& project)> prepare;
    std::vector<std::string> kotlinFiles;   // besides MainActivity.kt
    std::vector<std::string> messages;      // warnings, in order
    int swiftLines;
    int lostFiles;
    bool asOtherUser = false;
  } rows[] = {
      {"a FIFO named like a Swift file", [](const fs::path& p) { ASSERT_EQ(::mkfifo((p / "X.swift").c_str(), 0644), 0); },
       {"A.kt"},
       {"Swift-Datei ist keine gew\xC3\xB6hnliche Datei (FIFO, Socket oder Ger\xC3\xA4t)" + notTaken}, 1, 1},
      {"a huge sparse Swift file is passed over with a warning",
       [](const fs::path& p) { fs::resize_file((files::writeFile(p / "Big.swift", ""), p / "Big.swift"), 17 << 20); },
       {"A.kt", "Big.kt"}, {"Swift-Datei nicht lesbar" + missing}, 1, 1},
      {"not UTF-8", [](const fs::path& p) { files::writeFile(p / "Latin.swift", "let s = \"\xE9\"\n"); },
       {"A.kt", "Latin.kt"}, {"Swift-Datei ist weder UTF-8 noch UTF-16 mit Byte-Order-Mark" + missing}, 1, 1},
      {"UTF-16 with a byte order mark is decoded",
       [](const fs::path& p) {
         files::writeFile(p / "Wide.swift", std::string("\xFF\xFEl\0e\0t\0 \0w\0 \0=\0 \0""1\0\n\0", 22));
       },
       {"A.kt", "Wide.kt"}, {}, 2, 0},
      {"a link to another Swift file is converted once",
       [](const fs::path& p) { fs::create_symlink(p / "A.swift", p / "Alias.swift"); }, {"A.kt"}, {}, 1, 0},
      {"a link to a Swift file outside the project",
       [](const fs::path& p) {
         files::writeFile(p.parent_path() / "Elsewhere.swift", "struct Secret {}\n");
         fs::create_symlink(p.parent_path() / "Elsewhere.swift", p / "Leak.swift");
       },
       {"A.kt"}, {"Link f\xC3\xBChrt aus dem Projekt hinaus" + notTaken}, 1, 1},
      {"a link to a folder outside the project",
       [](const fs::path& p) {
         files::writeFile(p.parent_path() / "Shared/S.swift", "struct S {}\n");
         fs::create_directory_symlink(p.parent_path() / "Shared", p / "Shared");
       },
       {"A.kt"}, {"Link f\xC3\xBChrt aus dem Projekt hinaus" + notTaken}, 1, 0},
      {"a link into nothing", [](const fs::path& p) { fs::create_symlink(p / "Gone.swift", p / "Dangling.swift"); },
       {"A.kt"}, {"Link ohne erreichbares Ziel" + notTaken}, 1, 1},
      {"an unreadable folder",
       [](const fs::path& p) {
         files::writeFile(p / "Locked/L.swift", "struct L {}\n");
         fs::permissions(p / "Locked", fs::perms::none);
       },
       {"A.kt"}, {"Ordner nicht lesbar \xE2\x80\x93 sein Inhalt fehlt in der Konvertierung"}, 1, 0, true},
      {"a folder deeper than the path limit",
       [&](const fs::path& p) { makeDeepFolders(p, 4096 / tooLong.size() + 1, tooLong); },
       {"A.kt"}, {"Pfad ist l\xC3\xA4nger, als das System erlaubt \xE2\x80\x93 der Ordner fehlt in der Konvertierung"},
       1, 0},
      {"a name at the file-name limit", [](const fs::path& p) { files::writeFile(p / (std::string(242, 'L') + ".swift"), ""); },
       {"A.kt", std::string(242, 'L') + ".kt"}, {}, 1, 0},
      {"a sparse gigabyte image is not copied",
       [](const fs::path& p) {
         const fs::path image = p / "Assets.xcassets/Huge.imageset/huge.png";
         files::writeFile(image, "");
         fs::resize_file(image, std::uintmax_t{1} << 30);
       },
       {"A.kt"}, {"Bild ist gr\xC3\xB6\xC3\x9F" "er als 64 MB und wurde nicht \xC3\xBC" "bernommen"}, 1, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir temp;
    // Another user must reach the project and make the output beside it.
    fs::permissions(temp.path(), fs::perms::all);
    std::optional<Converted> converted;
    if (row.asOtherUser) {
      const AsOtherUser other;
      converted = convert(temp, {{"A.swift", "struct A {}\n"}}, row.prepare);
    } else {
      converted = convert(temp, {{"A.swift", "struct A {}\n"}}, row.prepare);
    }
    const Converted& run = *converted;
    std::vector<std::string> kotlinFiles;
    for (const auto& entry : fs::directory_iterator(run.output / "app/src/main/java/com/example/app"))
      if (entry.path().filename() != "MainActivity.kt") kotlinFiles.push_back(entry.path().filename().string());
    std::sort(kotlinFiles.begin(), kotlinFiles.end());
    EXPECT_EQ(kotlinFiles, row.kotlinFiles);
    EXPECT_EQ(run.messages(), row.messages);
    EXPECT_EQ(run.result.swiftLines, row.swiftLines);
    EXPECT_EQ(run.result.lostFiles, row.lostFiles);
    // A.swift translates whole: what is lost is what the coverage misses.
    const int found = row.lostFiles + 1;
    EXPECT_DOUBLE_EQ(run.result.coverage, 1.0 / found);
    EXPECT_FALSE(fs::exists(run.output / "app/src/main/res/drawable-nodpi"));
    const int project = ::open((temp / "App").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    removeTree(project, tooLong.c_str());
    ::close(project);
  }
}

// The system's word on a folder or a Swift file that cannot be read stays
// with its warning, in German, for the report and ".tovrane/warnings.json".
TEST(HostileInput, WhyAFolderOrFileCannotBeReadIsGerman) {
  TempDir temp;
  fs::permissions(temp.path(), fs::perms::all);
  std::optional<Converted> run;
  {
    const AsOtherUser other;
    run = convert(temp, {{"A.swift", "struct A {}\n"}, {"Locked/L.swift", "struct L {}\n"}, {"S.swift", "struct S {}\n"}},
                  [](const fs::path& p) {
                    fs::permissions(p / "Locked", fs::perms::none);
                    fs::permissions(p / "S.swift", fs::perms::none);
                  });
  }
  ASSERT_EQ(run->result.warnings.size(), 2u);
  for (const ConversionWarning& warning : run->result.warnings) EXPECT_EQ(warning.source, "Keine Berechtigung");
}

// The only real file lost: nothing was translated, and the summary says so.
TEST(HostileInput, ALostFileIsNoFullCoverage) {
  TempDir temp;
  const Converted run = convert(temp, {{"Only.swift", "let \xFF = 1\n"}});
  EXPECT_EQ(run.result.swiftLines, 0);
  EXPECT_EQ(run.result.unsupportedCount, 0);
  EXPECT_EQ(run.result.lostFiles, 1);
  EXPECT_EQ(run.result.coverage, 0.0);
  const std::string report = files::readFile(run.output / "TOVRANE_BERICHT.md");
  EXPECT_NE(report.find("\n| Verlorene Swift-Dateien | 1 |\n"), std::string::npos) << report;
  EXPECT_NE(report.find("\n| Gesch\xC3\xA4tzte Abdeckung | 0 % |\n"), std::string::npos) << report;
}

// What one run holds is bounded: a project whose sources together pass the
// bound is refused before anything is read or written. The files are
// sparse: they claim their size without taking it.
TEST(HostileInput, TooMuchSourceIsRefusedUpFront) {
  TempDir temp;
  const std::size_t each = TovraneConverter::maxProjectSourceBytes / 3 + 1;
  ASSERT_LE(each, ProjectScanner::maxSwiftFileBytes);
  std::vector<std::string> stages;
  try {
    convert(temp, {{"A.swift", ""}, {"B.swift", ""}, {"C.swift", ""}}, [&](const fs::path& project) {
      for (const char* name : {"A.swift", "B.swift", "C.swift"}) fs::resize_file(project / name, each);
    });
    ADD_FAILURE() << "converted";
  } catch (const ConversionError& e) {
    EXPECT_EQ(e.kind(), ConversionError::Kind::projectTooLarge);
    EXPECT_STREQ(e.what(), "Die Swift-Dateien im Ordner App sind zusammen gr\xC3\xB6\xC3\x9F" "er als 32 MB \xE2\x80\x93 "
                           "so viel Quelltext kann eine Konvertierung nicht auf einmal bearbeiten.");
  }
  EXPECT_FALSE(fs::exists(temp / "Out"));
}

// 101 Swift files of one name that takes the whole limit: the Kotlin names
// are shortened where the number needs room, and all stay distinct.
TEST(HostileInput, GeneratedNamesStayWithinTheNameLimit) {
  TempDir temp;
  const std::string name(249, 'N');
  std::vector<std::pair<std::string, std::string>> sources;
  for (int i = 0; i < 101; ++i) sources.emplace_back(std::string("F").append(std::to_string(i)) + "/" + name + ".swift", "");
  const Converted run = convert(temp, sources);
  const auto manifest = readManifest(run.output);
  ASSERT_TRUE(manifest);
  EXPECT_EQ(manifest->files.size(), 101u);
  for (const auto& [kotlin, swift] : manifest->files) {
    EXPECT_LE(kotlin.size(), files::maxNameBytes) << kotlin;
    EXPECT_TRUE(fs::exists(run.output / "app/src/main/java/com/example/app" / kotlin)) << kotlin;
  }
  EXPECT_EQ(manifest->files.count(std::string(248, 'N').append("_100.kt")), 1u);
}

// --- Chains

// Chains no person writes must neither crash nor take quadratic time: each
// becomes translated code or, beyond the lowering's cap, one placeholder.
TEST(HostileInput, LongChainsConvert) {
  const struct Row {
    const char* kind;
    std::string swift;
    int placeholders;
  } rows[] = {
      {"300000 operators", "let x = 0" + repeated(" + 1", 300000) + "\n", 1},
      {"300000 calls", "func a() -> A { A() }\nstruct A { func f() -> A { self } }\nlet y = a()" +
                           repeated(".f()", 300000) + "\n", 1},
      {"200000 modifiers", "import SwiftUI\nstruct V: View {\n  var body: some View {\n    Text(\"x\")" +
                               repeated("\n      .padding()", 200000) + "\n  }\n}\n", 1},
      {"16000 members", "struct S { var m: S? }\nlet z = S()" + repeated(".m", 16000) + "\n", 1},
      {"2000 modifiers", "import SwiftUI\nstruct V: View {\n  var body: some View {\n    Text(\"x\")" +
                             repeated("\n      .padding()", 2000) + "\n  }\n}\n", 0},
      {"4000 members", "struct S { var m: S? }\nlet z = S()" + repeated(".m", 4000) + "\n", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.kind);
    TempDir temp;
    const Converted run = convert(temp, {{"Chain.swift", row.swift}});
    EXPECT_EQ(run.result.unsupportedCount, row.placeholders);
    // Placeholders as the repair counts them.
    const std::string kotlin = run.kotlin("Chain.kt");
    int placeholders = 0;
    for (const std::string_view marker : {"TODO(\"tovrane", "Unsupported(\""})
      for (std::size_t at = kotlin.find(marker); at != std::string::npos; at = kotlin.find(marker, at + 1)) ++placeholders;
    EXPECT_EQ(placeholders, row.placeholders);
  }
}

// --- Runs that fail or stop

TEST(HostileInput, RunsThatFailOrStopLeaveNothing) {
  const struct Row {
    const char* name;
    std::string output;  // relative to the test folder
    std::function<void(const fs::path& temp)> before;
    std::function<void(const ConversionStage&, const fs::path& temp)> progress;
    std::string error;   // expected message
    bool asOtherUser = false;
  } rows[] = {
      {"stopped while parsing", "Out", {},
       [](const ConversionStage& stage, const fs::path&) {
         if (std::holds_alternative<ConversionStage::parsing>(stage.node)) throw std::runtime_error("stop");
       },
       "stop"},
      {"stopped at the end, parents made for it go too", "new/deeper/Out", {},
       [](const ConversionStage& stage, const fs::path&) {
         if (std::holds_alternative<ConversionStage::done>(stage.node)) throw std::runtime_error("stop");
       },
       "stop"},
      {"the folder appeared meanwhile", "Out", {},
       [](const ConversionStage& stage, const fs::path& temp) {
         if (std::holds_alternative<ConversionStage::done>(stage.node)) fs::create_directories(temp / "Out/mine");
       },
       "Der Zielordner @/Out existiert bereits."},
      {"the folder exists", "Out/", [](const fs::path& temp) { fs::create_directories(temp / "Out/mine"); }, {},
       "Der Zielordner @/Out existiert bereits."},
      {"a file stands where a parent should be", "file/Out",
       [](const fs::path& temp) { files::writeFile(temp / "file", "x"); }, {}, "@/file/Out: "},
      // The hidden work folder cannot be made: the error names the folder
      // the user gave, not the hidden one.
      {"a read-only parent", "ReadOnly/Out",
       [](const fs::path& temp) {
         fs::create_directories(temp / "ReadOnly");
         fs::permissions(temp, fs::perms::all);
         fs::permissions(temp / "ReadOnly", fs::perms::owner_read | fs::perms::owner_exec);
       },
       {}, "@/ReadOnly/Out: Keine Berechtigung", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir temp;
    files::writeFile(temp / "App/A.swift", "struct A {}\n");
    if (row.before) row.before(temp.path());
    std::vector<std::string> before = temp.entries();
    std::erase_if(before, [](const std::string& entry) { return entry.starts_with("Out/mine"); });
    try {
      std::optional<AsOtherUser> other;
      if (row.asOtherUser) other.emplace();
      convertIntoNewFolder(temp / "App", temp / row.output, {},
                           [&](const ConversionStage& stage) { if (row.progress) row.progress(stage, temp.path()); });
      ADD_FAILURE() << "no failure";
    } catch (const std::exception& e) {
      std::string expected = row.error;
      if (const auto at = expected.find('@'); at != std::string::npos) expected.replace(at, 1, temp.path().string());
      EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
      EXPECT_EQ(std::string(e.what()).find(".tovrane-"), std::string::npos) << e.what();
    }
    std::vector<std::string> after = temp.entries();
    std::erase_if(after, [](const std::string& entry) { return entry.starts_with("Out/mine"); });
    std::erase(after, "Out");
    std::erase(before, "Out");
    EXPECT_EQ(after, before);
  }
}

TEST(HostileInput, ConvertedFolderAppearsWholeUnderItsNormalPath) {
  TempDir temp;
  files::writeFile(temp / "App/A.swift", "struct A {}\n");
  std::vector<std::string> seenDuring;
  const ConversionResult result =
      convertIntoNewFolder(temp / "App", temp.path().string() + "/x/../Out/", {}, [&](const ConversionStage& stage) {
        if (std::holds_alternative<ConversionStage::done>(stage.node)) seenDuring = temp.entries();
      });
  EXPECT_EQ(result.outputDirectory, temp / "Out");
  EXPECT_TRUE(fs::exists(temp / "Out/.tovrane/manifest.json"));
  // While the run worked, only a hidden folder stood beside the target.
  EXPECT_TRUE(std::none_of(seenDuring.begin(), seenDuring.end(),
                           [](const std::string& entry) { return entry == "Out" || entry.starts_with("Out/"); }));
  EXPECT_TRUE(std::any_of(seenDuring.begin(), seenDuring.end(),
                          [](const std::string& entry) { return entry.starts_with(".Out.tovrane-"); }));
  EXPECT_EQ(std::count_if(fs::directory_iterator(temp.path()), fs::directory_iterator(), [](const auto&) { return true; }),
            2);
}

// A run killed outright leaves its hidden work folder; the next run into
// the same folder removes it, and only it: a live run holds a lock on its
// own, and names that are not such work folders are not touched.
TEST(HostileInput, AbandonedWorkFoldersAreRemovedLiveOnesKept) {
  TempDir temp;
  files::writeFile(temp / "App/A.swift", "struct A {}\n");
  const std::vector<std::string> abandoned = {".Out.tovrane-0123456789ab", ".Out.tovrane-zzzzzzzzzzzz"};
  const std::vector<std::string> kept = {".Out.tovrane-live00000000", ".Out.tovrane-short", ".Outer.tovrane-0123456789ab",
                                         ".Out.tmp-0123456789ab", ".Out.tovrane-0123456789AB"};
  for (const std::string& name : abandoned) files::writeFile(temp / name / "app/src/Half.kt", "half");
  for (const std::string& name : kept) files::writeFile(temp / name / "mine", "keep");
  // A live run's folder: its lock is held (here by this process, through a
  // descriptor of its own, as another run would hold it).
  const int live = ::open((temp / ".Out.tovrane-live00000000").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(live, 0);
  ASSERT_EQ(::flock(live, LOCK_EX | LOCK_NB), 0);

  convertIntoNewFolder(temp / "App", temp / "Out", {}, {});
  ::close(live);
  std::vector<std::string> beside;
  for (const auto& entry : fs::directory_iterator(temp.path())) beside.push_back(entry.path().filename().string());
  std::sort(beside.begin(), beside.end());
  std::vector<std::string> expected = kept;
  expected.insert(expected.end(), {"App", "Out"});
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(beside, expected);
}

// A tree too deep for the IR's JSON form: the file that holds it is named.
TEST(HostileInput, TooDeepForIrJsonIsAWarning) {
  runWithLargeStack([] {
    IRExpr deep = IRExpr::ident{"x"};
    for (std::size_t i = 0; i < irJsonMaxDepth; ++i) deep = IRExpr::postfix{std::move(deep), "!"};
    IRModule module;
    module.files.push_back(IRFile{.path = "Fine.swift", .decls = {}});
    IRProperty property{.name = "x", .type = IRType::inferred{}, .initializer = std::move(deep)};
    module.files.push_back(IRFile{.path = "Deep.swift", .decls = {}});
    module.files.back().decls.emplace_back(IRDecl::variable{std::move(property)});
    std::vector<ConversionWarning> warnings;
    EXPECT_EQ(TovraneConverter::irJson(module, warnings), std::nullopt);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].file, "Deep.swift");
    EXPECT_NE(warnings[0].message.find(".tovrane/ir.json"), std::string::npos);
  });
}

}  // namespace
}  // namespace tovrane
