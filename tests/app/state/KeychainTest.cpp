#include "app/state/AppPaths.hpp"
#include "app/state/Keychain.hpp"
#include "app/state/StoreFile.hpp"
#include "tests/app/AppTest.hpp"
#include "tests/app/state/StoreFiles.hpp"

#include <QTemporaryDir>
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

    // A second damage keeps the first backup and takes the next name.
    QVERIFY(test::putFile(keyPath(), "kaputt"));
    Keychain::save(QStringLiteral("sk-neuer"), openAI);
    QCOMPARE(contentOf(keyPath() + QStringLiteral(".bak")), content);
    QCOMPARE(contentOf(keyPath() + QStringLiteral(".bak.1")), QByteArray("kaputt"));
    QCOMPARE(stampOf(keyPath() + QStringLiteral(".bak.1")).mode, mode_t(0600));
  }

  // Whatever stands in the key file's place, reading neither blocks nor
  // fills the memory; the thing is kept aside, never overwritten.
  void aSpecialFileIsRefusedAndKeptAside_data() { test::specialKinds(); }
  void aSpecialFileIsRefusedAndKeptAside() {
    QFETCH(QString, kind);
    QVERIFY(test::putSpecial(keyPath(), kind));
    QVERIFY(!Keychain::load(gemini));
    Keychain::save(QStringLiteral("AIza-neu"), gemini);
    QCOMPARE(Keychain::load(gemini), QStringLiteral("AIza-neu"));
    QCOMPARE(test::kindOf(keyPath()), QStringLiteral("file"));
    QCOMPARE(test::kindOf(keyPath() + QStringLiteral(".bak")), kind);
  }

  // A key pasted or typed with blanks or a line break, or a file edited by
  // hand, gives the bare key.
  void keysAreTrimmed_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("trailing line feed") << "sk-abc\n";
    QTest::newRow("CR LF") << "sk-abc\r\n";
    QTest::newRow("blanks and a tab") << "  sk-abc\t ";
    QTest::newRow("no-break space") << QStringLiteral("\u00a0sk-abc");
  }
  void keysAreTrimmed() {
    QFETCH(QString, typed);
    Keychain::save(typed, openAI);
    QCOMPARE(contentOf(keyPath()), QByteArray(R"({"de.tovrane.TovraneAndroid.openai":"sk-abc"})"));
    // Saving the bare key again changes nothing.
    const test::FileStamp written = stampOf(keyPath());
    Keychain::save(QStringLiteral("sk-abc"), openAI);
    QVERIFY(stampOf(keyPath()) == written);

    // The same key as a hand-edited file holds it: the control characters escaped.
    const QByteArray escaped = typed.toUtf8().replace("\n", "\\n").replace("\r", "\\r").replace("\t", "\\t");
    QVERIFY(test::putFile(keyPath(), "{\"de.tovrane.TovraneAndroid.openai\":\"" + escaped + "\"}"));
    QCOMPARE(Keychain::load(openAI), QStringLiteral("sk-abc"));
    // Blanks alone remove it.
    Keychain::save(QStringLiteral(" \n"), openAI);
    QVERIFY(!Keychain::load(openAI));
  }

  // A key file (and folder) that others can read is the owner's alone once read.
  void aReadableKeyFileIsNarrowedWhenRead() {
    const OpenUmask openUmask;
    QVERIFY(test::putFile(keyPath(), R"({"de.tovrane.TovraneAndroid.gemini":"g"})"));
    QVERIFY(::chmod(QFile::encodeName(keyPath()).constData(), 0666) == 0);
    QVERIFY(::chmod(QFile::encodeName(AppPaths::folder()).constData(), 0755) == 0);
    QCOMPARE(Keychain::load(gemini), QStringLiteral("g"));
    QCOMPARE(stampOf(keyPath()).mode, mode_t(0600));
    QCOMPARE(stampOf(AppPaths::folder()).mode, mode_t(0700));
  }

  // The backup is made by a rename; a link in the key file's place stays a
  // link, and what it points to keeps its rights.
  void aLinkedKeyFileIsKeptAsALink() {
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("notizen.txt"));
    QVERIFY(test::putFile(target, "kein JSON"));
    QVERIFY(::chmod(QFile::encodeName(target).constData(), 0644) == 0);
    QVERIFY(QFile::link(target, keyPath()));
    Keychain::save(QStringLiteral("sk-neu"), openAI);
    QCOMPARE(QFile::symLinkTarget(keyPath() + QStringLiteral(".bak")), target);
    QCOMPARE(stampOf(target).mode, mode_t(0644));
    QCOMPARE(contentOf(target), QByteArray("kein JSON"));
    QCOMPARE(test::kindOf(keyPath()), QStringLiteral("file"));
  }

  // A save that was interrupted (the app killed) left its temporary file,
  // which holds keys; the next use of the store removes it.
  void leftoversOfAnInterruptedSaveAreRemoved() {
    Keychain::save(QStringLiteral("g"), gemini);
    const QString leftover = AppPaths::folder() + QStringLiteral("/.schluessel.json.tmp-abcdefghijkl");
    const QString foreign = AppPaths::folder() + QStringLiteral("/.anderes.json.tmp-abcdefghijkl");
    QVERIFY(test::putFile(leftover, R"({"de.tovrane.TovraneAndroid.openai":"sk-halb"})"));
    QVERIFY(test::putFile(foreign, "x"));
    QCOMPARE(Keychain::load(gemini), QStringLiteral("g"));
    QVERIFY(!QFile::exists(leftover));
    QVERIFY(QFile::exists(foreign));
  }

  // Two instances saving keys at the same moment lose none of them.
  void concurrentSavesKeepEveryKey() {
    const int perWriter = 150;
    QCOMPARE(test::runWriters({{"keys", "first.", QString::number(perWriter)},
                               {"keys", "second.", QString::number(perWriter)}}),
             (QList<int>{0, 0}));
    for (const char* writer : {"first.", "second."}) {
      for (int i = 0; i < perWriter; ++i) {
        QCOMPARE(Keychain::load(QLatin1String(writer) + QString::number(i)), QStringLiteral("key-%1").arg(i));
      }
    }
  }

  // A key that cannot be written fails with the file's name; the file stays as it was.
  void aFailedSaveNamesTheFile() {
    Keychain::save(QStringLiteral("g"), gemini);
    const QByteArray before = contentOf(keyPath());
    QString failure;
    {
      const test::FileSizeLimit full(8);
      try {
        Keychain::save(QStringLiteral("sk-neu"), openAI);
      } catch (const StoreError& error) {
        failure = QString::fromUtf8(error.what());
      }
    }
    QCOMPARE(failure,
             QStringLiteral("„") + keyPath() + QStringLiteral("“ konnte nicht gespeichert werden: Datei zu groß."));
    QCOMPARE(contentOf(keyPath()), before);
    QCOMPARE(QDir(AppPaths::folder()).entryList(QDir::Hidden | QDir::Files), QStringList{"schluessel.json"});
  }
};

TOVRANE_APP_TEST(KeychainTest)
#include "KeychainTest.moc"
