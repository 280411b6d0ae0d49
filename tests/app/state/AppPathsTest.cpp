#include "app/state/AppPaths.hpp"
#include "tests/app/AppTest.hpp"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtTest>

using namespace tovrane::app;

class AppPathsTest : public QObject {
  Q_OBJECT

 private slots:
  void folderIsCreatedForTheUserAlone() {
    const QString expected =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/TovraneAndroid");
    QCOMPARE(AppPaths::folder(), expected);
    QVERIFY(expected.startsWith(test::temporaryHome()));
    QDir(expected).removeRecursively();

    QCOMPARE(AppPaths::ensureFolder(), expected);
    const QFileInfo info(expected);
    QVERIFY(info.isDir());
    QCOMPARE(info.permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
             QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // An existing folder keeps the mode its owner gave it.
    QFile::setPermissions(expected, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::ExeGroup);
    AppPaths::ensureFolder();
    QVERIFY(QFileInfo(expected).permissions() & QFile::ReadGroup);
  }
};

TOVRANE_APP_TEST(AppPathsTest)
#include "AppPathsTest.moc"
