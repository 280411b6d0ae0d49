#include "core/support/Files.hpp"

#include "core/support/Text.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace tovrane::files {
namespace {

class Files : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tovrane-files-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir, ec);
  }
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir)) names.push_back(fs::relative(e.path(), dir).string());
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path dir;
};

TEST_F(Files, AtomicWriteCreatesParentsAndLeavesNoTemporaryFile) {
  writeAtomic(dir / "a/b/c.txt", "one");
  writeAtomic(dir / "a/b/c.txt", "two");
  EXPECT_EQ(readFile(dir / "a/b/c.txt"), "two");
  EXPECT_EQ(entries(), (std::vector<std::string>{"a", "a/b", "a/b/c.txt"}));
}

TEST_F(Files, AtomicWriteHasItsModeFromTheFirstByte) {
  const mode_t old = ::umask(0);
  writeAtomic(dir / "secret.json", std::string(1 << 20, 'k'), 0600);
  ::umask(old);
  struct stat st {};
  ASSERT_EQ(::stat((dir / "secret.json").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// A failure the system reports names the path, its error number and a
// German reason, never the C library's English.
TEST_F(Files, SystemFailuresReadInGerman) {
  writeFile(dir / "file", "x");
  const struct {
    const char* name;
    std::function<void()> call;
    fs::path path;
    int error;
    std::string reason;
  } cases[] = {
      {"a missing file", [&] { readFile(dir / "missing"); }, dir / "missing", ENOENT, "Datei oder Ordner nicht gefunden"},
      {"a folder read as a file", [&] { readFile(dir); }, dir, EISDIR, "Ist ein Ordner"},
      {"a folder below a file", [&] { createDirectories(dir / "file/sub"); }, dir / "file/sub", ENOTDIR,
       "Ist kein Ordner"},
      {"a missing folder listed", [&] { listChildren(dir / "missing"); }, dir / "missing", ENOENT,
       "Datei oder Ordner nicht gefunden"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      c.call();
      ADD_FAILURE() << "no failure";
    } catch (const FileError& error) {
      EXPECT_EQ(error.error(), c.error);
      EXPECT_EQ(error.reason(), c.reason);
      EXPECT_EQ(error.what(), c.path.string() + ": " + c.reason);
    }
  }
}

TEST_F(Files, FailedAtomicWriteKeepsTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
  writeAtomic(dir / "keep.txt", "old");
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_THROW(writeAtomic(dir / "keep.txt", "new"), FileError);
  fs::permissions(dir, fs::perms::owner_all);
  EXPECT_EQ(readFile(dir / "keep.txt"), "old");
  EXPECT_EQ(entries(), (std::vector<std::string>{"keep.txt"}));
}

TEST_F(Files, FailedAtomicWriteIntoAFolderPathKeepsItAndCleansUp) {
  // Renaming a file over a non-empty folder fails for root too.
  fs::create_directories(dir / "target/inner");
  EXPECT_THROW(writeAtomic(dir / "target", "x"), FileError);
  EXPECT_TRUE(fs::is_directory(dir / "target/inner"));
  EXPECT_EQ(entries(), (std::vector<std::string>{"target", "target/inner"}));
}

// A legal name stays legal: the temporary name of an atomic write, or of a
// work folder, is shortened to the file-system limit, the target never.
TEST_F(Files, TemporaryNamesFitTheNameLimit) {
  for (const std::size_t length : {1, 200, 242, 250, 255}) {
    const std::string name(length, 'n');
    writeAtomic(dir / name, "x");
    EXPECT_EQ(readFile(dir / name), "x") << length;
    const fs::path sibling = temporarySibling(dir / name, "tovrane");
    EXPECT_LE(sibling.filename().string().size(), 255u);
    EXPECT_EQ(sibling.parent_path(), dir);
    EXPECT_TRUE(sibling.filename().string().starts_with(".")) << sibling;
  }
  // A cut never splits a character: 127 two-byte letters are 254 bytes.
  std::string umlauts;
  for (int i = 0; i < 127; ++i) umlauts += "\xC3\xA4";
  const std::string cut = temporarySibling(dir / umlauts, "tmp").filename().string();
  EXPECT_TRUE(text::isValidUtf8(cut)) << cut;
  EXPECT_EQ(entries().size(), 5u);  // the five files, no temporary one
}

TEST(FilesNames, FittedNamesKeepTheirSuffixAndWholeCharacters) {
  const struct {
    std::string name;
    std::string suffix;
    std::string fitted;
  } cases[] = {
      {"Item", ".kt", "Item.kt"},
      {std::string(252, 'n'), ".kt", std::string(252, 'n') + ".kt"},
      {std::string(253, 'n'), ".kt", std::string(252, 'n') + ".kt"},
      {std::string(300, 'n'), "_100.kt", std::string(248, 'n') + "_100.kt"},
      // 127 two-byte letters are 254 bytes: the cut backs up to a whole one.
      {[] { std::string s; for (int i = 0; i < 127; ++i) s += "\xC3\xA4"; return s; }(), ".kt",
       [] { std::string s; for (int i = 0; i < 126; ++i) s += "\xC3\xA4"; return s + ".kt"; }()},
      {"n", std::string(300, 's'), std::string(300, 's')},
  };
  for (const auto& c : cases) EXPECT_EQ(fittedName(c.name, c.suffix), c.fitted) << c.name.size();
}

TEST(FilesNames, TemporarySiblingsAreKnownByTheirName) {
  for (const std::string& name : {std::string("Out"), std::string(255, 'o')}) {
    const fs::path target = fs::path("/p") / name;
    const fs::path sibling = temporarySibling(target, "tovrane");
    EXPECT_TRUE(isTemporarySibling(sibling, target, "tovrane")) << sibling;
    EXPECT_FALSE(isTemporarySibling(sibling, target, "tmp"));
  }
  for (const char* other : {".Out.tovrane-short", ".Out.tovrane-0123456789AB", ".Out.tovrane-0123456789abc",
                            "Out.tovrane-0123456789ab", ".Outer.tovrane-0123456789ab"})
    EXPECT_FALSE(isTemporarySibling(fs::path("/p") / other, "/p/Out", "tovrane")) << other;
  EXPECT_TRUE(isTemporarySibling("/p/.Out.tovrane-0123456789ab", "/p/Out", "tovrane"));
}

TEST_F(Files, RegularFileReadsRefuseSpecialAndHugeFiles) {
  writeFile(dir / "small.swift", "struct A {}");
  EXPECT_EQ(readRegularFile(dir / "small.swift", 11), "struct A {}");
  ASSERT_EQ(::mkfifo((dir / "fifo.swift").c_str(), 0644), 0);
  // A sparse file claims a gigabyte without holding it.
  ASSERT_EQ(::truncate((writeFile(dir / "sparse.png", ""), dir / "sparse.png").c_str(), off_t{1} << 30), 0);
  const struct {
    fs::path path;
    std::size_t limit;
    int error;
  } refused[] = {
      {dir / "small.swift", 10, EFBIG},
      {dir / "fifo.swift", 1 << 20, EINVAL},  // no writer: a blocking open would wait forever
      {"/dev/zero", 1 << 20, EINVAL},         // endless
      {dir / "sparse.png", 64 << 20, EFBIG},
      {dir / "missing.swift", 1 << 20, ENOENT},
      {dir, 1 << 20, EINVAL},
  };
  for (const auto& c : refused) {
    try {
      readRegularFile(c.path, c.limit);
      ADD_FAILURE() << c.path << " was read";
    } catch (const FileError& e) {
      EXPECT_EQ(e.error(), c.error) << c.path << ": " << e.what();
      EXPECT_EQ(e.path(), c.path);
    }
  }
}

TEST_F(Files, RenameIfAbsentNeverReplaces) {
  fs::create_directories(dir / "work/inner");
  fs::create_directories(dir / "empty");
  writeFile(dir / "file", "kept");
  EXPECT_FALSE(renameIfAbsent(dir / "work", dir / "empty"));
  EXPECT_FALSE(renameIfAbsent(dir / "work", dir / "file"));
  EXPECT_EQ(readFile(dir / "file"), "kept");
  EXPECT_TRUE(renameIfAbsent(dir / "work", dir / "done"));
  EXPECT_EQ(entries(), (std::vector<std::string>{"done", "done/inner", "empty", "file"}));
  EXPECT_THROW(renameIfAbsent(dir / "gone", dir / "other"), FileError);
}

TEST(FilesPaths, NormalPathDropsDotsAndTrailingSeparators) {
  EXPECT_EQ(normalPath("/a/b/"), "/a/b");
  EXPECT_EQ(normalPath("/a/./b/../c//"), "/a/c");
  EXPECT_EQ(normalPath("/"), "/");
  EXPECT_EQ(normalPath("rel/"), fs::current_path() / "rel");
}

TEST_F(Files, AppendNeverCreatesAndErrorsNameThePath) {
  try {
    appendToExisting(dir / "missing.md", "x");
    FAIL();
  } catch (const FileError& e) {
    EXPECT_EQ(e.path(), dir / "missing.md");
    EXPECT_NE(std::string(e.what()).find("missing.md"), std::string::npos);
  }
  EXPECT_FALSE(fs::exists(dir / "missing.md"));
  writeFile(dir / "r.md", "a");
  appendToExisting(dir / "r.md", "b");
  EXPECT_EQ(readFile(dir / "r.md"), "ab");
  EXPECT_THROW(readFile(dir / "nope"), FileError);
  EXPECT_THROW(readFile(dir), FileError);
}

TEST_F(Files, CopyIsBinarySafe) {
  const std::string bytes("a\0b\xFF\r\n", 6);
  writeFile(dir / "in.bin", bytes);
  copyFile(dir / "in.bin", dir / "out/copy.bin");
  EXPECT_EQ(readFile(dir / "out/copy.bin"), bytes);
}

TEST_F(Files, ListingSkipsHiddenEntriesLinksAndChosenFolders) {
  writeFile(dir / "b.swift", "");
  writeFile(dir / "a/x.swift", "");
  writeFile(dir / ".hidden/y.swift", "");
  writeFile(dir / "Pods/z.swift", "");
  fs::create_directory_symlink("/usr", dir / "link");
  auto files = listFiles(dir, {}, [](const fs::path& p) { return p.filename() == "Pods"; });
  std::vector<std::string> rel;
  for (const auto& f : files) rel.push_back(fs::relative(f, dir).string());
  EXPECT_EQ(rel, (std::vector<std::string>{"a/x.swift", "b.swift"}));
  auto children = listChildren(dir);
  EXPECT_EQ(children.size(), 3u);  // Pods, a, b.swift
}

TEST(FilesPaths, IsWithin) {
  EXPECT_TRUE(isWithin("/a/b", "/a/b/c/d"));
  EXPECT_TRUE(isWithin("/a/b/", "/a/b/c"));
  EXPECT_TRUE(isWithin("/a/b", "/a/b"));
  EXPECT_FALSE(isWithin("/a/b", "/a/b/../c"));
  EXPECT_FALSE(isWithin("/a/b", "/a/bc"));
}

}  // namespace
}  // namespace tovrane::files
