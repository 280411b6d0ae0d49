#include "app/state/Settings.hpp"
#include "tests/app/AppTest.hpp"

#include <QSettings>
#include <QtTest>

#include <functional>

using namespace tovrane::app;

namespace {

QString text(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }

QString backendText(std::optional<Backend> backend) {
  if (!backend) {
    return QStringLiteral("absent");
  }
  switch (*backend) {
    case Backend::codex: return QStringLiteral("codex");
    case Backend::claudeCode: return QStringLiteral("claudeCode");
    case Backend::api: return QStringLiteral("api");
  }
  return {};
}

// Each key read through its own getter, as text.
QString readKey(const Settings& settings, const QString& key, bool localRuntimeInstalled) {
  const std::map<QString, std::function<QString()>> getters{
      {"guideSeen", [&] { return text(settings.guideSeen()); }},
      {"outputMode", [&] { return settings.outputMode() == OutputMode::custom ? "custom" : "nextTo"; }},
      {"outputFolder", [&] { return settings.outputFolder(); }},
      {"openStudioAfter", [&] { return text(settings.openStudioAfter()); }},
      {"defaultBackend", [&] { return backendText(settings.defaultBackend()); }},
      {"preferredProvider", [&] { return QString::fromUtf8(rawValue(settings.preferredProvider())); }},
      {"useLocalModel", [&] { return text(settings.useLocalModel(localRuntimeInstalled)); }},
      {"localModel", [&] { return settings.localModel(); }},
      {"shareFixes", [&] { return text(settings.shareFixes()); }},
      {"androidDevice", [&] { return settings.androidDevice(); }},
      {"iosDevice", [&] { return settings.iosDevice(); }},
      {"autoUpdate", [&] { return text(settings.autoUpdate()); }},
  };
  return getters.at(key)();
}

void clearStore() {
  QSettings store(QStringLiteral("TovraneAndroid"));
  store.clear();
  store.sync();
}

}  // namespace

class SettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void readsEveryKeyWithItsDefaults_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("stored");  // invalid: key absent
    QTest::addColumn<bool>("localRuntimeInstalled");
    QTest::addColumn<QString>("expected");
    const QVariant absent;
    const auto row = [](const char* name, const char* key, QVariant stored, bool local, const char* expected) {
      QTest::newRow(name) << QString::fromUtf8(key) << stored << local << QString::fromUtf8(expected);
    };
    row("guideSeen absent", "guideSeen", absent, false, "false");
    row("guideSeen boolean", "guideSeen", true, false, "true");
    row("guideSeen text true", "guideSeen", "true", false, "true");
    row("guideSeen ja", "guideSeen", "ja", false, "false");
    row("outputMode absent", "outputMode", absent, false, "nextTo");
    row("outputMode custom", "outputMode", "custom", false, "custom");
    row("outputMode unknown", "outputMode", "elsewhere", false, "nextTo");
    row("outputFolder absent", "outputFolder", absent, false, "");
    row("outputFolder with comma", "outputFolder", "/home/ich/Android, fertig", false, "/home/ich/Android, fertig");
    row("openStudioAfter absent", "openStudioAfter", absent, false, "false");
    row("openStudioAfter text false", "openStudioAfter", "false", false, "false");
    row("openStudioAfter ja", "openStudioAfter", "ja", false, "false");
    row("defaultBackend absent", "defaultBackend", absent, false, "absent");
    row("defaultBackend codex", "defaultBackend", "codex", false, "codex");
    row("defaultBackend claudeCode", "defaultBackend", "claudeCode", false, "claudeCode");
    row("defaultBackend legacy claudeAPI", "defaultBackend", "claudeAPI", false, "api");
    row("defaultBackend legacy apiKey", "defaultBackend", "apiKey", false, "api");
    row("defaultBackend legacy openAIAPI", "defaultBackend", "openAIAPI", false, "api");
    row("defaultBackend unknown", "defaultBackend", "gpt", false, "absent");
    row("preferredProvider absent", "preferredProvider", absent, false, "gemini");
    row("preferredProvider openAI", "preferredProvider", "openAI", false, "openAI");
    row("preferredProvider unknown", "preferredProvider", "mistral", false, "gemini");
    row("useLocalModel absent, runtime missing", "useLocalModel", absent, false, "false");
    row("useLocalModel absent, runtime installed", "useLocalModel", absent, true, "true");
    row("useLocalModel ja counts as absent", "useLocalModel", "ja", true, "true");
    row("useLocalModel false beats runtime", "useLocalModel", false, true, "false");
    row("useLocalModel text true", "useLocalModel", "true", false, "true");
    row("localModel absent", "localModel", absent, false, "");
    row("localModel set", "localModel", "qwen2.5-coder:7b", false, "qwen2.5-coder:7b");
    row("shareFixes absent", "shareFixes", absent, false, "false");
    row("shareFixes boolean", "shareFixes", true, false, "true");
    row("shareFixes number", "shareFixes", 1, false, "false");
    row("androidDevice absent", "androidDevice", absent, false, "");
    row("androidDevice set", "androidDevice", "Pixel_8_API_35", false, "Pixel_8_API_35");
    row("iosDevice absent", "iosDevice", absent, false, "");
    row("iosDevice set", "iosDevice", "6F1E-22", false, "6F1E-22");
    row("autoUpdate absent", "autoUpdate", absent, false, "true");
    row("autoUpdate false", "autoUpdate", false, false, "false");
    row("autoUpdate text false", "autoUpdate", "false", false, "false");
    row("autoUpdate ja counts as true", "autoUpdate", "ja", false, "true");
  }

  void readsEveryKeyWithItsDefaults() {
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    QFETCH(bool, localRuntimeInstalled);
    QFETCH(QString, expected);
    clearStore();
    if (stored.isValid()) {
      QSettings store(QStringLiteral("TovraneAndroid"));
      store.setValue(key, stored);
      store.sync();
    }
    const Settings settings;
    QCOMPARE(readKey(settings, key, localRuntimeInstalled), expected);
  }

  // Reading leaves the store untouched; each setter writes its key and no other,
  // and what it writes survives the round trip through the file.
  void settersWriteOnlyTheirKey() {
    struct Case {
      const char* key;
      std::function<void(Settings&)> set;
      const char* expected;
    };
    const std::vector<Case> cases{
        {"guideSeen", [](Settings& s) { s.setGuideSeen(true); }, "true"},
        {"outputMode", [](Settings& s) { s.setOutputMode(OutputMode::custom); }, "custom"},
        {"outputFolder", [](Settings& s) { s.setOutputFolder("/srv/android"); }, "/srv/android"},
        {"openStudioAfter", [](Settings& s) { s.setOpenStudioAfter(true); }, "true"},
        {"defaultBackend", [](Settings& s) { s.setDefaultBackend(Backend::api); }, "api"},
        {"preferredProvider", [](Settings& s) { s.setPreferredProvider(AIProvider::claudeCode); }, "claudeCode"},
        {"useLocalModel", [](Settings& s) { s.setUseLocalModel(false); }, "false"},
        {"localModel", [](Settings& s) { s.setLocalModel("qwen3-coder:30b"); }, "qwen3-coder:30b"},
        {"shareFixes", [](Settings& s) { s.setShareFixes(true); }, "true"},
        {"androidDevice", [](Settings& s) { s.setAndroidDevice("Pixel_8"); }, "Pixel_8"},
        {"iosDevice", [](Settings& s) { s.setIosDevice("UDID-1"); }, "UDID-1"},
        {"autoUpdate", [](Settings& s) { s.setAutoUpdate(false); }, "false"},
    };
    QCOMPARE(cases.size(), size_t(12));
    for (const Case& c : cases) {
      clearStore();
      {
        Settings settings;
        for (const Case& other : cases) {
          readKey(settings, QString::fromUtf8(other.key), true);
        }
        QVERIFY2(QSettings(QStringLiteral("TovraneAndroid")).allKeys().isEmpty(), c.key);
        c.set(settings);
      }
      const QString iniText = [] {
        QSettings store(QStringLiteral("TovraneAndroid"));
        store.sync();
        QFile file(store.fileName());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
      }();
      QCOMPARE(QSettings(QStringLiteral("TovraneAndroid")).allKeys(), QStringList{QString::fromUtf8(c.key)});
      QVERIFY2(iniText.contains(QStringLiteral("%1=%2").arg(c.key, c.expected)), qPrintable(iniText));
      QCOMPARE(readKey(Settings(), QString::fromUtf8(c.key), true), QString::fromUtf8(c.expected));
    }
  }
};

TOVRANE_APP_TEST(SettingsTest)
#include "SettingsTest.moc"
