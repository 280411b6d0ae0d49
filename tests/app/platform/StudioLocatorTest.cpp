#include "app/platform/LinuxPlatform.hpp"
#include "app/platform/StudioLocator.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/Fakes.hpp"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace tovrane::app;

namespace {
void writeFile(const QString& path, const QByteArray& content, bool executable) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(content);
  file.close();
  if (executable) {
    file.setPermissions(file.permissions() | QFile::ExeOwner);
  }
}

// A fixture machine below root: PATH folder, install folders and application menus.
struct Machine {
  QTemporaryDir root;
  QString path(const char* relative) const { return root.path() + QLatin1Char('/') + QLatin1String(relative); }
  StudioSearch search() const {
    return {{path("bin")}, {path("opt/android-studio/bin/studio.sh")}, {path("home-apps"), path("system-apps")}};
  }
};
}  // namespace

class StudioLocatorTest : public QObject {
  Q_OBJECT

 private slots:
  void splitsExecLikeTheDesktopEntryRules_data() {
    QTest::addColumn<QString>("exec");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("plain with file code") << "/opt/studio/bin/studio.sh %f" << QStringList{"/opt/studio/bin/studio.sh"};
    QTest::newRow("quoted program with blank")
        << "\"/home/ich/Android Studio/bin/studio.sh\" %U" << QStringList{"/home/ich/Android Studio/bin/studio.sh"};
    QTest::newRow("escapes inside quotes")
        << "\"/opt/a\\\\\\\\b/\\\"studio\\\".sh\" --x" << QStringList{"/opt/a\\b/\"studio\".sh", "--x"};
    QTest::newRow("percent sign and quoted code")
        << "studio 100%% \"%f\" --open=%F" << QStringList{"studio", "100%", "%f", "--open="};
    QTest::newRow("all field codes dropped")
        << "studio %f %F %u %U %i %c %k %d %D %n %N %v %m" << QStringList{"studio"};
    QTest::newRow("string escape for blank") << "\"/opt/My\\sStudio/studio.sh\" -a" << QStringList{"/opt/My Studio/studio.sh", "-a"};
    QTest::newRow("unterminated quote") << "\"/opt/studio.sh %f" << QStringList{};
    QTest::newRow("empty") << "" << QStringList{};
  }
  void splitsExecLikeTheDesktopEntryRules() {
    QFETCH(QString, exec);
    QFETCH(QStringList, words);
    QCOMPARE(splitDesktopExec(exec), words);
  }

  // PATH first, then the install folders, then the application menus.
  void findsLaunchersInOrder() {
    Machine machine;
    QVERIFY(!locateStudio(machine.search()));

    writeFile(machine.path("system-apps/jetbrains-studio.desktop"),
              "[Desktop Entry]\nType=Application\nName=Android Studio\n"
              "Exec=\"" + machine.path("Android Studio/bin/studio.sh").toUtf8() + "\" --wait %f\n",
              false);
    writeFile(machine.path("Android Studio/bin/studio.sh"), "#!/bin/sh\n", true);
    // An entry for another program and a deleted one are passed over.
    writeFile(machine.path("home-apps/editor.desktop"),
              "[Desktop Entry]\nType=Application\nName=Editor\nExec=" + machine.path("Android Studio/bin/studio.sh").toUtf8() + "\n",
              false);
    writeFile(machine.path("home-apps/android-studio.desktop"),
              "[Desktop Entry]\nType=Application\nName=Android Studio\nHidden=true\nExec=/nowhere %f\n", false);
    QCOMPARE(locateStudio(machine.search()),
             (StudioCommand{machine.path("Android Studio/bin/studio.sh"), {"--wait"}}));

    writeFile(machine.path("opt/android-studio/bin/studio.sh"), "#!/bin/sh\n", true);
    QCOMPARE(locateStudio(machine.search()), (StudioCommand{machine.path("opt/android-studio/bin/studio.sh"), {}}));

    // Not executable: not a launcher.
    writeFile(machine.path("bin/studio.sh"), "#!/bin/sh\n", false);
    QCOMPARE(locateStudio(machine.search())->program, machine.path("opt/android-studio/bin/studio.sh"));
    writeFile(machine.path("bin/android-studio"), "#!/bin/sh\n", true);
    QCOMPARE(locateStudio(machine.search()), (StudioCommand{machine.path("bin/android-studio"), {}}));
  }

  // A desktop entry may name its program without a folder; PATH resolves it.
  void resolvesBareProgramNamesOnPath() {
    Machine machine;
    writeFile(machine.path("system-apps/studio-flavour.desktop"),
              "[Desktop Entry]\nName=Android Studio Canary\nType=Application\nExec=studio-canary %F\n", false);
    QVERIFY(!locateStudio(machine.search()));
    writeFile(machine.path("bin/studio-canary"), "#!/bin/sh\n", true);
    QCOMPARE(locateStudio(machine.search()), (StudioCommand{machine.path("bin/studio-canary"), {}}));
  }

  void opensTheFolderOrTheDownloadPage() {
    Machine machine;
    test::RecordingLauncher launcher;
    LinuxPlatform platform(launcher, machine.search());
    platform.openInAndroidStudio(QStringLiteral("/work/Meine App-Android"));
    QCOMPARE(launcher.calls, QStringList{"open https://developer.android.com/studio"});

    writeFile(machine.path("bin/studio.sh"), "#!/bin/sh\n", true);
    launcher.calls.clear();
    platform.openInAndroidStudio(QStringLiteral("/work/Meine App-Android"));
    QCOMPARE(launcher.calls, QStringList{"start " + machine.path("bin/studio.sh") + " /work/Meine App-Android"});

    // A launcher that cannot be started still leads somewhere.
    launcher.calls.clear();
    launcher.startSucceeds = false;
    platform.openInAndroidStudio(QStringLiteral("/work/X"));
    QCOMPARE(launcher.calls.size(), 2);
    QCOMPARE(launcher.calls[1], QStringLiteral("open https://developer.android.com/studio"));
  }
};

TOVRANE_APP_TEST(StudioLocatorTest)
#include "StudioLocatorTest.moc"
