#include "app/state/AppPaths.hpp"
#include "app/state/Keychain.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/state/StoreFiles.hpp"

#include <QtTest>

#include <sys/stat.h>

using namespace tovrane::app;
using test::contentOf;
using test::stampOf;

namespace {

QString keyPath() { return test::appFile("schluessel.json"); }

const QString anthropic = QString::fromLatin1(Keychain::anthropicService);
const QString openAI = QString::fromLatin1(Keychain::openAIService);
const QString gemini = QString::fromLatin1(Keychain::geminiService);

// Runs with the process umask at 000, so that only explicit modes count.
class OpenUmask {
 public:
  OpenUmask() : previous_(::umask(0)) {}
  ~OpenUmask() { ::umask(previous_); }

 private:
  mode_t previous_;
};

}  // namespace

class KeychainTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QDir(AppPaths::folder()).removeRecursively(); }

  // Keys stored by any earlier version are found by these names alone.
  void serviceNamesNeverChange() {
    QCOMPARE(anthropic, QStringLiteral("de.tovrane.TovraneAndroid.anthropic"));
    QCOMPARE(openAI, QStringLiteral("de.tovrane.TovraneAndroid.openai"));
    QCOMPARE(gemini, QStringLiteral("de.tovrane.TovraneAndroid.gemini"));
  }

  void keysAreTheOwnersAloneAndWrittenOnlyWhenChanged() {
    const OpenUmask openUmask;
    for (const QString& service : {anthropic, openAI, gemini}) {
      QVERIFY(!Keychain::load(service));
    }
    Keychain::save(QString(), gemini);
    QVERIFY(!QFile::exists(keyPath()));

    QCOMPARE(Keychain::file(), keyPath());
    QCOMPARE(stampOf(AppPaths::folder()).mode, mode_t(0700));
    QDir(AppPaths::folder()).removeRecursively();

    Keychain::save(QStringLiteral("AIza-eins"), gemini);
    QCOMPARE(stampOf(AppPaths::folder()).mode, mode_t(0700));
    QCOMPARE(stampOf(keyPath()).mode, mode_t(0600));
    QCOMPARE(contentOf(keyPath()), QByteArray(R"({"de.tovrane.TovraneAndroid.gemini":"AIza-eins"})"));
    QCOMPARE(Keychain::load(gemini), QStringLiteral("AIza-eins"));

    const test::FileStamp written = stampOf(keyPath());
    Keychain::save(QStringLiteral("AIza-eins"), gemini);
    Keychain::save(QString(), anthropic);
    QVERIFY(stampOf(keyPath()) == written);

    Keychain::save(QStringLiteral("sk-ant-zwei"), anthropic);
    Keychain::save(QString(), gemini);
    QCOMPARE(contentOf(keyPath()), QByteArray(R"({"de.tovrane.TovraneAndroid.anthropic":"sk-ant-zwei"})"));
    QCOMPARE(stampOf(keyPath()).mode, mode_t(0600));
    QVERIFY(!Keychain::load(gemini));
    QCOMPARE(Keychain::load(anthropic), QStringLiteral("sk-ant-zwei"));
  }

  void anEmptyValueCountsAsAbsent() {
    QVERIFY(test::putFile(keyPath(), R"({"de.tovrane.TovraneAndroid.openai":"","de.tovrane.TovraneAndroid.gemini":"g"})"));
    QVERIFY(!Keychain::load(openAI));
    QCOMPARE(Keychain::load(gemini), QStringLiteral("g"));
  }

  void aMalformedFileAnswersNothingAndIsKeptAsBackup_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not JSON") << QByteArray(R"({"de.tovrane.TovraneAndroid.gemini":)");
    QTest::newRow("an array") << QByteArray(R"(["de.tovrane.TovraneAndroid.gemini"])");
    QTest::newRow("a member that is a number")
        << QByteArray(R"({"de.tovrane.TovraneAndroid.gemini":"g","de.tovrane.TovraneAndroid.openai":42})");
    QTest::newRow("a member that is an object") << QByteArray(R"({"de.tovrane.TovraneAndroid.gemini":{"key":"g"}})");
    QTest::newRow("empty file") << QByteArray();
  }

  void aMalformedFileAnswersNothingAndIsKeptAsBackup() {
    QFETCH(QByteArray, content);
    QVERIFY(test::putFile(keyPath(), content));
    for (const QString& service : {anthropic, openAI, gemini}) {
      QVERIFY(!Keychain::load(service));
    }
    Keychain::save(QStringLiteral("sk-neu"), openAI);
    QCOMPARE(contentOf(keyPath()), QByteArray(R"({"de.tovrane.TovraneAndroid.openai":"sk-neu"})"));
    QCOMPARE(contentOf(keyPath() + QStringLiteral(".bak")), content);
    QCOMPARE(stampOf(keyPath() + QStringLiteral(".bak")).mode, mode_t(0600));
  }
};

TOVRANE_APP_TEST(KeychainTest)
#include "KeychainTest.moc"
