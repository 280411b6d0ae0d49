#include "app/platform/PlatformTexts.hpp"
#include "app/state/UpdaterInstall.hpp"
#include "core/support/Files.hpp"
#include "core/support/Host.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/FakeUpdates.hpp"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

using namespace tovrane;
using namespace tovrane::app;
using namespace tovrane::app::test;
namespace fs = std::filesystem;

namespace {

void writeProgram(const fs::path& path, const std::string& text, mode_t mode = 0755) {
  files::writeFile(path, text);
  fs::permissions(path, static_cast<fs::perms>(mode));
}

// An installed layout below a temporary folder: "TovraneAndroid/versions/<n>/…".
struct Layout {
  QTemporaryDir temp;
  fs::path root = temp.path().toStdString();
  fs::path app = root / "TovraneAndroid";
  fs::path versions = app / "versions";

  void addVersion(const std::string& name) {
    writeProgram(versions / name / "bin" / "tovrane-android", "#!/bin/sh\nexit 0\n");
    files::writeFile(versions / name / "BUILD", name + "\n");
  }
  void pointCurrentAt(const std::string& name) {
    fs::remove(versions / "current");
    fs::create_directory_symlink(name, versions / "current");
  }
  fs::path program(const std::string& version) const { return versions / version / "bin" / "tovrane-android"; }

  // What an installation may change: the entries of versions/, where the
  // link points, and every file of every version.
  QStringList snapshot() const {
    QStringList lines;
    for (const fs::directory_entry& entry : fs::directory_iterator(versions)) {
      lines.append(QString::fromStdString(entry.path().filename().string()));
    }
    lines.append(QStringLiteral("current -> ") + QString::fromStdString(fs::read_symlink(versions / "current").string()));
    for (const fs::path& file : files::listFiles(versions, {.includeHidden = true})) {
      lines.append(QString::fromStdString(file.lexically_relative(versions).string()));
    }
    lines.sort();
    return lines;
  }
};

struct ArchiveContent {
  std::string build;
  bool program = true;
  bool executable = true;
  bool secondFolder = false;
};

// A .tar.gz of one app folder "tovrane-android-0.2.0" as a release carries it.
std::string makeArchive(const fs::path& scratch, const ArchiveContent& content) {
  const fs::path folder = scratch / "tovrane-android-0.2.0";
  fs::remove_all(scratch);
  if (content.program) {
    writeProgram(folder / "bin" / "tovrane-android", "#!/bin/sh\nexit 0\n", content.executable ? 0755 : 0644);
  }
  files::writeFile(folder / "BUILD", content.build + "\n");
  files::writeFile(folder / "share" / "icons" / "tovrane-android.svg", "<svg/>");
  std::vector<std::string> arguments{"-c", "-z", "-f", (scratch / "app.tar.gz").string(), "-C", scratch.string(),
                                     "tovrane-android-0.2.0"};
  if (content.secondFolder) {
    files::writeFile(scratch / "extra" / "README", "x");
    arguments.push_back("extra");
  }
  process::Spec tar;
  tar.program = "/usr/bin/tar";
  tar.arguments = arguments;
  tar.environment = Host::system().environment();
  const process::Result result = process::run(tar);
  if (result.status != 0) qFatal("tar failed: %s", result.output.c_str());
  return files::readFile(scratch / "app.tar.gz");
}

// Runs the wrapped installer's folder step as another user, as a machine's
// root cannot be kept out of a folder by its mode bits.
class AsOtherUser final : public Installer {
 public:
  explicit AsOtherUser(std::shared_ptr<Installer> inner) : inner_(std::move(inner)) {}
  bool updatesItself() const override { return inner_->updatesItself(); }
  std::string archiveName() const override { return inner_->archiveName(); }
  fs::path makePrivateFolder() override {
    const bool root = ::geteuid() == 0;
    if (root) ::setfsuid(65534);
    try {
      fs::path folder = inner_->makePrivateFolder();
      if (root) ::setfsuid(0);
      return folder;
    } catch (...) {
      if (root) ::setfsuid(0);
      throw;
    }
  }
  process::Spec install(const fs::path& archive, const fs::path& folder, long long build) override {
    return inner_->install(archive, folder, build);
  }
  void tidy() override { inner_->tidy(); }

 private:
  std::shared_ptr<Installer> inner_;
};

}  // namespace

class UpdaterInstallTest : public QObject {
  Q_OBJECT

  const long long own = Updater::currentBuild();
  const std::string ownName = std::to_string(own);
  const std::string newName = std::to_string(own + 1);

 private slots:
  void recognisesItsOwnLayout_data() {
    QTest::addColumn<QString>("program");  // below the temporary folder, or absolute
    QTest::addColumn<bool>("updatesItself");
    QTest::newRow("a version's program") << "TovraneAndroid/versions/V/bin/tovrane-android" << true;
    QTest::newRow("through current") << "TovraneAndroid/versions/current/bin/tovrane-android" << true;
    QTest::newRow("not in bin") << "TovraneAndroid/versions/V/tovrane-android" << false;
    QTest::newRow("beside versions") << "TovraneAndroid/bin/tovrane-android" << false;
    QTest::newRow("a build folder") << "build/release/app/tovrane-android" << false;
    QTest::newRow("a package") << "/usr/bin/tovrane-android" << false;
  }
  void recognisesItsOwnLayout() {
    QFETCH(QString, program);
    QFETCH(bool, updatesItself);
    Layout layout;
    layout.addVersion(ownName);
    layout.pointCurrentAt(ownName);
    program.replace(QStringLiteral("/V/"), QStringLiteral("/%1/").arg(own));
    for (const char* other : {"TovraneAndroid/versions/1/tovrane-android", "TovraneAndroid/bin/tovrane-android",
                              "build/release/app/tovrane-android"}) {
      writeProgram(layout.root / other, "#!/bin/sh\n");
    }
    const fs::path path = program.startsWith(QLatin1Char('/')) ? fs::path(program.toStdString())
                                                               : layout.root / program.toStdString();
    QCOMPARE(LinuxLayoutInstaller(layout.app, path).updatesItself(), updatesItself);
  }

  void privateFoldersAreNewAndPrivate() {
    Layout layout;
    layout.addVersion(ownName);
    LinuxLayoutInstaller installer(layout.app, layout.program(ownName));
    const fs::path first = installer.makePrivateFolder();
    const fs::path second = installer.makePrivateFolder();
    QVERIFY(first != second);
    for (const fs::path& folder : {first, second}) {
      QCOMPARE(folder.parent_path(), layout.versions);
      QVERIFY(folder.filename().string().rfind(".update-", 0) == 0);
      struct stat info {};
      QCOMPARE(::stat(folder.c_str(), &info), 0);
      QCOMPARE(info.st_mode & 07777, 0700u);
    }
  }

  // The whole road on a real layout: download, unpack, check, rename, link.
  void installsANewVersionBesideTheRunningOne() {
    Layout layout;
    layout.addVersion(ownName);
    layout.pointCurrentAt(ownName);
    // Left by an interrupted earlier attempt; current does not name it.
    files::writeFile(layout.versions / newName / "half-written", "x");
    UpdaterRig rig(std::make_shared<LinuxLayoutInstaller>(layout.app, layout.program(ownName)));
    const std::string archive = makeArchive(layout.root / "scratch", {.build = newName});
    rig.offer(own + 1, rig.serveArchive(archive), sha256Hex(archive));

    rig.updater->install();
    rig.finish();

    QCOMPARE(rig.states, (QStringList{"downloading 0", "installing"}));
    QCOMPARE(rig.quits, 1);
    QCOMPARE(fs::read_symlink(layout.versions / "current"), fs::path(newName));
    QCOMPARE(files::readFile(layout.versions / "current" / "BUILD"), newName + "\n");
    QVERIFY(::access(layout.program(newName).c_str(), X_OK) == 0);
    QVERIFY(fs::exists(layout.versions / newName / "share" / "icons" / "tovrane-android.svg"));
    QVERIFY(!fs::exists(layout.versions / newName / "half-written"));
    // The previous version stays, and no private folder is left.
    QVERIFY(fs::exists(layout.program(ownName)));
    QStringList expected{QString::fromStdString(ownName), QString::fromStdString(newName), "current"};
    expected.sort();
    QStringList entries;
    for (const fs::directory_entry& entry : fs::directory_iterator(layout.versions)) {
      entries.append(QString::fromStdString(entry.path().filename().string()));
    }
    entries.sort();
    QCOMPARE(entries, expected);
  }

  void failuresLeaveTheInstallationAlone_data() {
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("expected");  // "%1": the versions folder, "%2": the new build
    const QString noApp = QStringLiteral("failed: Im Update steckt keine App.");
    QTest::newRow("no program") << "no program" << noApp;
    QTest::newRow("program not executable") << "not executable" << noApp;
    QTest::newRow("two folders") << "two folders" << noApp;
    QTest::newRow("another build") << "another build" << "failed: Das Update enthält nicht Build %2.";
    QTest::newRow("tar fails") << "not an archive" << "failed: /usr/bin/tar fehlgeschlagen (2)";
    QTest::newRow("digest mismatch") << "digest" << "failed: Prüfsumme stimmt nicht – Download beschädigt.";
    QTest::newRow("unwritable") << "unwritable" << "failed: Keine Schreibrechte für %1.";
  }
  void failuresLeaveTheInstallationAlone() {
    QFETCH(QString, failure);
    QFETCH(QString, expected);
    Layout layout;
    layout.addVersion(ownName);
    layout.pointCurrentAt(ownName);
    std::shared_ptr<Installer> installer = std::make_shared<LinuxLayoutInstaller>(layout.app, layout.program(ownName));
    if (failure == QLatin1String("unwritable")) {
      fs::permissions(layout.versions, fs::perms::owner_read | fs::perms::owner_exec);
      installer = std::make_shared<AsOtherUser>(installer);
    }
    UpdaterRig rig(installer);
    ArchiveContent content{.build = newName};
    content.program = failure != QLatin1String("no program");
    content.executable = failure != QLatin1String("not executable");
    content.secondFolder = failure == QLatin1String("two folders");
    if (failure == QLatin1String("another build")) content.build = std::to_string(own + 2);
    std::string archive = makeArchive(layout.root / "scratch", content);
    if (failure == QLatin1String("not an archive")) archive = "<html>Not Found</html>";
    std::string sha = sha256Hex(archive);
    if (failure == QLatin1String("digest")) sha = sha256Hex("something else");
    const QStringList before = layout.snapshot();
    rig.offer(own + 1, rig.serveArchive(archive), sha);

    rig.updater->install();
    rig.finish();
    fs::permissions(layout.versions, fs::perms::owner_all);

    expected.replace(QStringLiteral("%1"), QString::fromStdString(layout.versions.string()));
    expected.replace(QStringLiteral("%2"), QString::number(own + 1));
    QCOMPARE(rig.state(), expected);
    QCOMPARE(layout.snapshot(), before);
    QCOMPARE(rig.quits, 0);
  }

  void tidyKeepsCurrentRunningAndPrevious() {
    Layout layout;
    for (const char* name : {"3", "4", "5", "6", "11"}) layout.addVersion(name);
    files::writeFile(layout.versions / "notes" / "keep", "x");
    layout.pointCurrentAt("11");
    files::writeFile(layout.versions / ".update-old" / "TovraneAndroid-update.tar.gz", "x");
    files::writeFile(layout.versions / ".update-new" / "TovraneAndroid-update.tar.gz", "x");
    fs::last_write_time(layout.versions / ".update-old",
                        fs::file_time_type::clock::now() - std::chrono::hours(48));
    LinuxLayoutInstaller(layout.app, layout.program("5")).tidy();
    QStringList left;
    for (const fs::directory_entry& entry : fs::directory_iterator(layout.versions)) {
      left.append(QString::fromStdString(entry.path().filename().string()));
    }
    left.sort();
    // 11 is current, 5 runs, 6 is the newest other one; numbers compare as numbers.
    QCOMPARE(left, (QStringList{".update-new", "11", "5", "6", "current", "notes"}));

    // Outside the layout nothing is touched.
    LinuxLayoutInstaller(layout.app, "/usr/bin/tovrane-android").tidy();
    QVERIFY(fs::exists(layout.versions / "6"));
  }

  void relaunchWaitsAndStartsExactlyTheProgram() {
    QTemporaryDir temp;
    const fs::path root = temp.path().toStdString();
    const fs::path folder = root / "it's \"a\" $HOME $(touch pwned) `touch pwned2` \\ x";
    const fs::path record = root / "record";
    process::Spec shortLived;
    shortLived.program = "/bin/sleep";
    shortLived.arguments = {"0.3"};
    // The handle goes at once, so the reaper collects the child when it ends.
    const pid_t pid = process::startDetached(shortLived).pid();
    writeProgram(folder / "tovrane android",
                 "#!/bin/sh\n{ if kill -0 " + std::to_string(pid) +
                     " 2>/dev/null; then echo alive; else echo gone; fi; echo \"$#\"; } > '" + record.string() + "'\n");

    process::Spec relaunch = relaunchAfterExit(pid, folder / "tovrane android");
    relaunch.workingFolder = root;
    process::startDetached(relaunch);

    QTRY_VERIFY(fs::exists(record));
    QTRY_COMPARE(QString::fromStdString(files::readFile(record)), QStringLiteral("gone\n0\n"));
    QVERIFY(!fs::exists(root / "pwned") && !fs::exists(root / "pwned2"));
    QVERIFY(!fs::exists(folder / "pwned") && !fs::exists(folder / "pwned2"));
  }

  void bundleSwapTakesPathsOnlyAsParameters() {
    const fs::path odd = "/Users/a b/it's \"x\" $(touch y) `z`";
    const process::Spec plain = swapBundleAfterExit(42, "/tmp/u/unpacked/TovraneAndroid.app",
                                                    "/Applications/TovraneAndroid.app",
                                                    "/Applications/TovraneAndroid.app", "/tmp/u");
    const process::Spec strange = swapBundleAfterExit(7, odd / "new.app", odd / "target.app", odd / "old.app", odd);
    QCOMPARE(strange.program, fs::path("/bin/sh"));
    QCOMPARE(strange.arguments.size(), 8u);
    QCOMPARE(strange.arguments[0], std::string("-c"));
    // The script's text is one and the same whatever the paths.
    QCOMPARE(strange.arguments[1], plain.arguments[1]);
    QCOMPARE(std::vector<std::string>(strange.arguments.begin() + 2, strange.arguments.end()),
             (std::vector<std::string>{"sh", "7", (odd / "new.app").string(), (odd / "target.app").string(),
                                       (odd / "old.app").string(), odd.string()}));
    process::Spec syntax;
    syntax.program = "/bin/sh";
    syntax.arguments = {"-n", "-c", strange.arguments[1]};
    QCOMPARE(process::run(syntax).status, 0);

    QCOMPARE(MacBundleInstaller::target("/Applications/Tools/TovraneAndroid.app"),
             fs::path("/Applications/Tools/TovraneAndroid.app"));
    QCOMPARE(MacBundleInstaller::target("/Users/a/Downloads/TovraneAndroid.app"),
             fs::path("/Applications/TovraneAndroid.app"));
    QCOMPARE(MacBundleInstaller::target("/ApplicationsOld/TovraneAndroid.app"),
             fs::path("/Applications/TovraneAndroid.app"));
    QVERIFY(MacBundleInstaller("/Users/a/TovraneAndroid.app/Contents/MacOS/TovraneAndroid").updatesItself());
    QVERIFY(!MacBundleInstaller("/usr/local/bin/TovraneAndroid").updatesItself());
  }

  void readsTheBundleBuildFromItsPropertyList() {
    // Values of other types, and the key inside a nested dictionary, come first.
    const fs::path plist = TOVRANE_SOURCE_DIR "/tests/app/fixtures/updates/Info.plist";
    QCOMPARE(propertyListString(plist, "CFBundleVersion"), std::optional<std::string>("7"));
    QCOMPARE(propertyListString(plist, "LSMinimumSystemVersion"), std::nullopt);
    QCOMPARE(propertyListString(plist, "CFBundleShortVersionString"), std::nullopt);
    QCOMPARE(propertyListString(plist.parent_path() / "Missing.plist", "CFBundleVersion"), std::nullopt);
  }
};

TOVRANE_APP_TEST(UpdaterInstallTest)
#include "UpdaterInstallTest.moc"
