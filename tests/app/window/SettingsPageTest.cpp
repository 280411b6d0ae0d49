#include "app/state/Keychain.hpp"
#include "app/state/ToolLookup.hpp"
#include "app/state/Updater.hpp"
#include "app/window/LineLimitedLabel.hpp"
#include "app/window/SettingsPage.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/fakes/FakeUpdates.hpp"
#include "tests/app/fakes/PageServices.hpp"
#include "tests/app/state/StoreFiles.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include <fstream>

using namespace tovrane::app;
using namespace tovrane::app::test;
namespace fs = std::filesystem;

namespace {

QSettings stored() { return QSettings(QStringLiteral("TovraneAndroid")); }

// One settings page on fakes: the tool lookup asks the fake engine, the
// updater reads a loopback feed.
struct SettingsRig {
  explicit SettingsRig(std::optional<std::string> claudeCode = std::nullopt,
                       std::optional<std::string> codex = std::nullopt) {
    services.engine.claudeCodePath = std::move(claudeCode);
    services.engine.codexPath = std::move(codex);
  }

  std::unique_ptr<SettingsPage> page(const tovrane::Host& host = tovrane::Host::system()) {
    StudioSearch nowhere;
    auto made = std::make_unique<SettingsPage>(*services.store, services.settings, services.dialogs, *updates.updater,
                                               tools, services.engine, [this] { ++guides; }, host, nowhere);
    made->resize(760, 1200);
    made->show();
    return made;
  }

  PageServices services;
  UpdaterRig updates{std::make_shared<FakeInstaller>((temporaryHome() + QStringLiteral("/updates")).toStdString())};
  ToolLookup tools{services.engine, services.workers};
  int guides = 0;
};

template <typename Widget>
Widget* child(const QWidget& page, const char* name) {
  auto* widget = page.findChild<Widget*>(QString::fromUtf8(name));
  if (!widget) {
    qWarning("no widget %s", name);
  }
  return widget;
}

ToolStatus statusOf(const QWidget& page, const char* name) { return child<StatusRow>(page, name)->status(); }

QStringList labels(const QWidget& page) {
  QStringList texts;
  for (const QLabel* label : page.findChildren<QLabel*>()) {
    if (label->isVisibleTo(&page) && !label->text().isEmpty()) {
      texts.append(label->text());
    }
  }
  return texts;
}

// The page in reading order: every control the user can reach with Tab (of
// a radio group only the chosen button; the arrow keys move within it).
const QStringList readingOrder{"outputNextTo",     "openStudioAfter",   "defaultBackend",
                               "geminiKey",        "geminiKeySave",     "openAIKey",        "openAIKeySave",
                               "anthropicKey",     "anthropicKeySave",  "showGuide",        "checkForUpdates",
                               "autoUpdate",       "clearHistory"};

}  // namespace

class SettingsPageTest : public QObject {
  Q_OBJECT

 private slots:
  void firstStartWritesNothing() {
    SettingsRig rig;
    const auto page = rig.page();
    QTRY_VERIFY(rig.tools.known());
    QVERIFY(child<QRadioButton>(*page, "outputNextTo")->isChecked());
    QVERIFY(!child<QWidget>(*page, "outputFolder")->isVisibleTo(page.get()));
    QVERIFY(!child<QCheckBox>(*page, "openStudioAfter")->isChecked());
    QCOMPARE(child<QComboBox>(*page, "defaultBackend")->currentText(), QStringLiteral("OpenAI-Abo (Codex)"));
    QCOMPARE(child<QComboBox>(*page, "defaultBackend")->count(), 3);
    QVERIFY(!child<QCheckBox>(*page, "shareFixes")->isChecked());
    QVERIFY(child<QCheckBox>(*page, "autoUpdate")->isChecked());
    QCOMPARE(child<QLabel>(*page, "footer")->text().section(QLatin1Char(' '), 0, 1),
             QStringLiteral("TovraneAndroid ") + Updater::currentVersion());
    for (const char* key : {"geminiKey", "openAIKey", "anthropicKey"}) {
      QVERIFY(child<QLineEdit>(*page, key)->text().isEmpty());
      QVERIFY(!child<QPushButton>(*page, (std::string(key) + "Remove").c_str())->isVisibleTo(page.get()));
    }
    QCOMPARE(child<QLineEdit>(*page, "geminiKey")->placeholderText(), QStringLiteral("Gemini API-Schlüssel (AIza…)"));
    QCOMPARE(child<QLineEdit>(*page, "openAIKey")->placeholderText(), QStringLiteral("OpenAI API-Schlüssel (sk-…)"));
    QCOMPARE(child<QLineEdit>(*page, "anthropicKey")->placeholderText(),
             QStringLiteral("Claude API-Schlüssel (sk-ant-…)"));
    QVERIFY(labels(*page).contains(
        QStringLiteral("Schlüssel liegen nur auf diesem Rechner (geschützte Datei). Mit mehreren Schlüsseln springt "
                       "die KI-Reparatur bei Bedarf auf einen anderen Anbieter um.")));
    capturePage(page.get(), QStringLiteral("settings-default"));
    QCOMPARE(focusChain(page.get()), readingOrder);
    QCOMPARE(unnamedInteractiveWidgets(page.get()), QStringList());
    QCOMPARE(stored().allKeys(), QStringList());
    QVERIFY(!QFileInfo::exists(Keychain::file()));
  }

  void eachControlWritesOnlyItsKey() {
    struct Case {
      const char* name;
      std::function<void(QWidget&, SettingsRig&)> act;
      QString key;
      QString value;
    };
    const QString folder = temporaryHome() + QStringLiteral("/Android-Projekte");
    const Case cases[] = {
        {"fixed folder", [](QWidget& page, SettingsRig&) { child<QRadioButton>(page, "outputCustom")->click(); },
         "outputMode", "custom"},
        {"beside the project, as shown already",
         [](QWidget& page, SettingsRig&) { child<QRadioButton>(page, "outputNextTo")->click(); }, {}, {}},
        {"folder chosen",
         [&folder](QWidget& page, SettingsRig& rig) {
           child<QRadioButton>(page, "outputCustom")->click();
           stored().clear();
           rig.services.dialogs.folders = {folder};
           child<QPushButton>(page, "chooseOutputFolder")->click();
           QCOMPARE(child<LineLimitedLabel>(page, "outputFolder")->fullText(), folder);
         },
         "outputFolder", folder},
        {"folder panel cancelled",
         [](QWidget& page, SettingsRig&) {
           child<QRadioButton>(page, "outputCustom")->click();
           stored().clear();
           child<QPushButton>(page, "chooseOutputFolder")->click();
           QCOMPARE(child<LineLimitedLabel>(page, "outputFolder")->fullText(), QStringLiteral("Kein Ordner gewählt"));
         },
         {}, {}},
        {"open in Android Studio",
         [](QWidget& page, SettingsRig&) { child<QCheckBox>(page, "openStudioAfter")->click(); }, "openStudioAfter",
         "true"},
        {"back-end",
         [](QWidget& page, SettingsRig&) {
           auto* picker = child<QComboBox>(page, "defaultBackend");
           picker->setFocus();
           QTest::keyClick(picker, Qt::Key_Down);
           QTest::keyClick(picker, Qt::Key_Down);
           QCOMPARE(picker->currentText(), QStringLiteral("API-Schlüssel (Modell-Leiter)"));
         },
         "defaultBackend", "api"},
        {"sharing", [](QWidget& page, SettingsRig&) { child<QCheckBox>(page, "shareFixes")->click(); }, "shareFixes",
         "true"},
        {"automatic updates", [](QWidget& page, SettingsRig&) { child<QCheckBox>(page, "autoUpdate")->click(); },
         "autoUpdate", "false"},
        {"guide again",
         [](QWidget& page, SettingsRig& rig) {
           child<QPushButton>(page, "showGuide")->click();
           QCOMPARE(rig.guides, 1);
         },
         {}, {}},
        {"update check",
         [](QWidget& page, SettingsRig& rig) {
           child<QPushButton>(page, "checkForUpdates")->click();
           // A reported check: the banner shows it.
           QCOMPARE(rig.updates.state(), QStringLiteral("checking"));
           rig.updates.finish();
         },
         {}, {}},
    };
    for (const Case& c : cases) {
      SettingsRig rig;
      // A build with a fixes service, where sharing can be switched on.
      rig.services.engine.fixesURL = "https://fixes.example.org/tovraneandroid/api";
      const auto page = rig.page();
      c.act(*page, rig);
      const QStringList expected = c.key.isEmpty() ? QStringList() : QStringList{c.key};
      QVERIFY2(stored().allKeys() == expected, c.name);
      if (!c.key.isEmpty()) {
        QVERIFY2(stored().value(c.key).toString() == c.value, c.name);
      }
    }
  }

  void storedValuesShowWhatARunDoes() {
    struct Case {
      const char* key;
      const char* value;
    };
    SettingsRig rig;
    for (const Case& c : {Case{"outputMode", "daneben"}, Case{"defaultBackend", "claudeAPI"}, Case{"autoUpdate", "ja"},
                          Case{"outputFolder", "/srv/android"}}) {
      stored().setValue(QString::fromUtf8(c.key), QString::fromUtf8(c.value));
    }
    const QStringList before = stored().allKeys();
    {
      const auto page = rig.page();
      QVERIFY(child<QRadioButton>(*page, "outputNextTo")->isChecked());
      QCOMPARE(child<QComboBox>(*page, "defaultBackend")->currentText(),
               QStringLiteral("API-Schlüssel (Modell-Leiter)"));
      QVERIFY(child<QCheckBox>(*page, "autoUpdate")->isChecked());
      QCOMPARE(stored().allKeys(), before);
      QCOMPARE(stored().value("outputMode").toString(), QStringLiteral("daneben"));
      // One click stores a boolean.
      child<QCheckBox>(*page, "autoUpdate")->click();
      QCOMPARE(stored().value("autoUpdate").toString(), QStringLiteral("false"));
      QVERIFY(!rig.services.settings.autoUpdate());
    }
    stored().setValue(QStringLiteral("defaultBackend"), QStringLiteral("gpt"));
    stored().setValue(QStringLiteral("outputMode"), QStringLiteral("custom"));
    const auto page = rig.page();
    QCOMPARE(child<QComboBox>(*page, "defaultBackend")->currentText(), QStringLiteral("OpenAI-Abo (Codex)"));
    QVERIFY(child<QRadioButton>(*page, "outputCustom")->isChecked());
    QVERIFY(child<QWidget>(*page, "outputFolder")->isVisibleTo(page.get()));
    QCOMPARE(child<LineLimitedLabel>(*page, "outputFolder")->fullText(), QStringLiteral("/srv/android"));
    capturePage(page.get(), QStringLiteral("settings-custom-folder"));
    QCOMPARE(focusChain(page.get()).mid(0, 3), (QStringList{"outputCustom", "chooseOutputFolder", "openStudioAfter"}));
    // Back beside the project (by the arrow keys, as with Tab): the row goes, the folder stays stored.
    child<QRadioButton>(*page, "outputCustom")->setFocus();
    QTest::keyClick(child<QRadioButton>(*page, "outputCustom"), Qt::Key_Up);
    QVERIFY(child<QRadioButton>(*page, "outputNextTo")->isChecked());
    QCOMPARE(focusChain(page.get()).mid(0, 2), (QStringList{"outputNextTo", "openStudioAfter"}));
    QVERIFY(!child<QWidget>(*page, "outputFolder")->isVisibleTo(page.get()));
    QCOMPARE(stored().value("outputMode").toString(), QStringLiteral("nextTo"));
    QCOMPARE(stored().value("outputFolder").toString(), QStringLiteral("/srv/android"));
  }

  void keyRowsWriteOnlyOnTheirButtons() {
    SettingsRig rig;
    Keychain::save(QStringLiteral("AIza-gespeichert"), QString::fromUtf8(Keychain::geminiService));
    Keychain::save(QStringLiteral("sk-ant-gespeichert"), QString::fromUtf8(Keychain::anthropicService));
    const auto page = rig.page();
    auto* gemini = child<QLineEdit>(*page, "geminiKey");
    auto* openAI = child<QLineEdit>(*page, "openAIKey");
    auto* anthropic = child<QLineEdit>(*page, "anthropicKey");
    QCOMPARE(gemini->text(), QStringLiteral("AIza-gespeichert"));
    QCOMPARE(gemini->echoMode(), QLineEdit::Password);
    QVERIFY(child<QPushButton>(*page, "geminiKeyRemove")->isVisibleTo(page.get()));
    QVERIFY(!child<QPushButton>(*page, "openAIKeyRemove")->isVisibleTo(page.get()));

    // Typing alone stores nothing; "Speichern" stores the text without surrounding blanks.
    QTest::keyClicks(openAI, QStringLiteral(" sk-neu "));
    QVERIFY(child<QPushButton>(*page, "openAIKeyRemove")->isVisibleTo(page.get()));
    QVERIFY(!Keychain::load(QString::fromUtf8(Keychain::openAIService)));
    capturePage(page.get(), QStringLiteral("settings-keys"));
    child<QPushButton>(*page, "openAIKeySave")->click();
    QCOMPARE(Keychain::load(QString::fromUtf8(Keychain::openAIService)), QStringLiteral("sk-neu"));
    struct stat info {};
    QCOMPARE(::stat(Keychain::file().toLocal8Bit().constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, mode_t(0600));

    // "Entfernen" empties the field and removes the key; its button goes.
    child<QPushButton>(*page, "geminiKeyRemove")->click();
    QVERIFY(gemini->text().isEmpty());
    QVERIFY(!Keychain::load(QString::fromUtf8(Keychain::geminiService)));
    QVERIFY(!child<QPushButton>(*page, "geminiKeyRemove")->isVisibleTo(page.get()));
    // Emptied by hand and saved: removed as well.
    anthropic->clear();
    child<QPushButton>(*page, "anthropicKeySave")->click();
    QVERIFY(!Keychain::load(QString::fromUtf8(Keychain::anthropicService)));
    QCOMPARE(Keychain::load(QString::fromUtf8(Keychain::openAIService)), QStringLiteral("sk-neu"));
    QCOMPARE(stored().allKeys(), QStringList());
    QVERIFY(rig.services.dialogs.warnings.isEmpty());
  }

  // A key the store cannot write is told, naming the key file; it stays in the field.
  void aKeyThatCannotBeSavedIsTold() {
    SettingsRig rig;
    const auto page = rig.page();
    auto* openAI = child<QLineEdit>(*page, "openAIKey");
    QTest::keyClicks(openAI, QStringLiteral("sk-neu"));
    {
      const test::FileSizeLimit full(8);
      child<QPushButton>(*page, "openAIKeySave")->click();
    }
    QCOMPARE(rig.services.dialogs.warnings,
             QStringList{QStringLiteral("Schlüssel nicht gespeichert: „") + Keychain::file() +
                         QStringLiteral("“ konnte nicht gespeichert werden: Datei zu groß. Der Schlüssel bleibt im "
                                        "Feld, bis er gespeichert werden kann.")});
    QCOMPARE(openAI->text(), QStringLiteral("sk-neu"));
    QVERIFY(!Keychain::load(QString::fromUtf8(Keychain::openAIService)));
  }

  void clearingTheHistoryAsksFirst() {
    SettingsRig rig;
    QTemporaryDir android;
    ProjectRecord kept = record(QStringLiteral("Wetter"));
    kept.outputPath = android.path();
    rig.services.store->setProjects({kept});
    rig.services.store->save();
    const auto page = rig.page();
    rig.services.dialogs.confirmations = {false, true};
    child<QPushButton>(*page, "clearHistory")->click();
    QCOMPARE(rig.services.store->projects().size(), std::size_t(1));
    child<QPushButton>(*page, "clearHistory")->click();
    QVERIFY(rig.services.store->projects().empty());
    QCOMPARE(rig.services.dialogs.calls,
             QStringList(2, QStringLiteral("confirm Gesamten Verlauf löschen? / Löschen")));
    QCOMPARE(rig.services.dialogs.questions,
             QStringList(2, QStringLiteral("Die erzeugten Android-Projekte bleiben erhalten.")));
    // Saved at once, and the Android folder stays.
    QVERIFY(ProjectStore(rig.services.clock, rig.services.uuids).projects().empty());
    QVERIFY(QFileInfo::exists(android.path()));
  }

  void toolRowsFollowTheLookup() {
    SettingsRig rig(std::string("/home/ich/.local/bin/claude"));
    const auto page = rig.page();
    // Nothing known yet: the rows say they are looking.
    QCOMPARE(statusOf(*page, "codexStatus"), (ToolStatus{"Codex", std::nullopt, "wird gesucht …"}));
    QTRY_VERIFY(rig.tools.known());
    QCOMPARE(statusOf(*page, "claudeCodeStatus"), (ToolStatus{"Claude Code", true, "/home/ich/.local/bin/claude"}));
    QCOMPARE(statusOf(*page, "codexStatus"),
             (ToolStatus{"Codex", false, "nicht installiert – npm install -g @openai/codex"}));

    // A page made later shows the known answers at once and asks again.
    rig.services.engine.codexPath = "/usr/local/bin/codex";
    const auto again = rig.page();
    QCOMPARE(statusOf(*again, "claudeCodeStatus").found, std::optional<bool>(true));
    QTRY_COMPARE(statusOf(*again, "codexStatus"), (ToolStatus{"Codex", true, "/usr/local/bin/codex"}));
    QCOMPARE(statusOf(*page, "codexStatus").found, std::optional<bool>(true));
    rig.services.engine.codexPath.reset();
    rig.services.engine.claudeCodePath.reset();
    const auto none = rig.page();
    QTRY_COMPARE(statusOf(*none, "claudeCodeStatus"),
                 (ToolStatus{"Claude Code", false, "nicht installiert – docs.anthropic.com/claude-code"}));
    QVERIFY(rig.services.workers.waitForAll(test::patience));
  }

  // Sharing needs the fixes service: a build without its address offers no
  // toggle to switch on and says so; one with it names the service's host.
  void sharingFollowsTheFixesService() {
    SettingsRig rig;
    stored().setValue(QStringLiteral("shareFixes"), true);
    {
      const auto page = rig.page();
      auto* share = child<QCheckBox>(*page, "shareFixes");
      QVERIFY(!share->isChecked());
      QVERIFY(!share->isEnabled());
      QCOMPARE(child<QLabel>(*page, "sharingText")->text(),
               QStringLiteral("Dieser Build hat keinen Fix-Dienst: Es werden keine gelösten Stellen geteilt."));
      share->click();
      QCOMPARE(stored().value(QStringLiteral("shareFixes")).toString(), QStringLiteral("true"));
      capturePage(page.get(), QStringLiteral("settings-without-fixes-service"));
    }
    rig.services.engine.fixesURL = "https://fixes.example.org/tovraneandroid/api";
    const auto page = rig.page();
    auto* share = child<QCheckBox>(*page, "shareFixes");
    QVERIFY(share->isChecked());
    QVERIFY(share->isEnabled());
    const QString text = child<QLabel>(*page, "sharingText")->text();
    QVERIFY(text.contains(QStringLiteral("an den Fix-Dienst von Tovrane (fixes.example.org). ")));
    QVERIFY(text.contains(QStringLiteral("Es werden kein Swift-Code und keine Dateinamen gesendet.")));
    share->click();
    QCOMPARE(stored().value(QStringLiteral("shareFixes")).toString(), QStringLiteral("false"));
  }

#ifndef Q_OS_MACOS
  void linuxToolRows() {
    QTemporaryDir root;
    const fs::path home = fs::path(root.path().toStdString()) / "home";
    const fs::path elsewhere = fs::path(root.path().toStdString()) / "opt/sdk";
    const auto executable = [](const fs::path& path) {
      fs::create_directories(path.parent_path());
      std::ofstream(path) << "#!/bin/sh\n";
      fs::permissions(path, fs::perms::owner_all);
    };
    const auto host = [&home](tovrane::Environment extra) {
      extra["HOME"] = home.string();
      tovrane::Host::Options options;
      options.environment = std::move(extra);
      return tovrane::Host(options);
    };
    StudioSearch noStudio;
    StudioSearch studio;
    studio.pathFolders = {QString::fromStdString((home / "bin").string())};
    executable(home / "bin/studio.sh");
    const ToolStatus xcode{"Xcode", false, "nur unter macOS – für den iPhone-Simulator"};
    const QString devices = QStringLiteral("Geräte im Device Manager von Android Studio anlegen");

    // Nothing installed.
    QCOMPARE(SettingsPage::workshop(host({}), noStudio),
             (std::vector<ToolStatus>{{"Android Studio", false, "nicht gefunden – developer.android.com/studio"},
                                      {"Android SDK", false, "~/Android/Sdk"},
                                      {"Android-Emulator", false, devices},
                                      xcode}));
    // The SDK where Android Studio puts it, with its emulator.
    fs::create_directories(home / "Android/Sdk/platforms");
    executable(home / "Android/Sdk/emulator/emulator");
    QCOMPARE(SettingsPage::workshop(host({}), studio),
             (std::vector<ToolStatus>{{"Android Studio", true, "gefunden – Kompilierprüfung möglich"},
                                      {"Android SDK", true, "~/Android/Sdk"},
                                      {"Android-Emulator", true, devices},
                                      xcode}));
    // ANDROID_HOME without platforms gives way to the usual folder; a relative one counts for nothing.
    fs::create_directories(elsewhere);
    QCOMPARE(SettingsPage::workshop(host({{"ANDROID_HOME", elsewhere.string()}}), studio)[1],
             (ToolStatus{"Android SDK", true, "~/Android/Sdk"}));
    QCOMPARE(SettingsPage::workshop(host({{"ANDROID_HOME", "opt/sdk"}}), studio)[1],
             (ToolStatus{"Android SDK", true, "~/Android/Sdk"}));
    // With platforms it wins, shown as it is; its emulator is the one that counts.
    fs::create_directories(elsewhere / "platforms");
    const std::vector<ToolStatus> rows = SettingsPage::workshop(host({{"ANDROID_HOME", elsewhere.string()}}), studio);
    QCOMPARE(rows[1], (ToolStatus{"Android SDK", true, QString::fromStdString(elsewhere.string())}));
    QCOMPARE(rows[2].found, std::optional<bool>(false));
    // A missing ANDROID_HOME folder is where the SDK is looked for.
    fs::remove_all(home / "Android");
    QCOMPARE(SettingsPage::workshop(host({{"ANDROID_HOME", (home / "sdk").string()}}), studio)[1],
             (ToolStatus{"Android SDK", false, "~/sdk"}));

    // The page shows these rows.
    SettingsRig rig;
    const auto page = rig.page(host({}));
    QStringList shown;
    for (const StatusRow* row : page->findChildren<StatusRow*>(QStringLiteral("toolStatus"))) {
      shown.append(row->status().title + QStringLiteral(": ") + row->status().detail);
    }
    QCOMPARE(shown, (QStringList{"Android Studio: nicht gefunden – developer.android.com/studio",
                                 "Android SDK: ~/Android/Sdk", "Android-Emulator: " + devices,
                                 "Xcode: nur unter macOS – für den iPhone-Simulator"}));
  }
#endif
};

TOVRANE_APP_TEST(SettingsPageTest)
#include "SettingsPageTest.moc"
