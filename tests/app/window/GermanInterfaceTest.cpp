#include "app/window/GermanInterface.hpp"
#include "tests/app/AppTest.hpp"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTranslator>
#include <QtTest>

#include <memory>

using namespace tovrane::app;

// Qt's own dialogs, as the application starts on a machine set to English.
class GermanInterfaceTest : public QObject {
  Q_OBJECT

 private slots:
  void standardDialogsSpeakGerman() {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    // The translations go with the test; the other tests see Qt as it comes.
    std::unique_ptr<QTranslator> translations(useGermanInterface(*qApp));
    const auto restore = qScopeGuard([&before] { QLocale::setDefault(before); });
    QVERIFY2(translations, "Qt's German translations are missing: scripts/setup installs them");
    QCOMPARE(QLocale().language(), QLocale::German);

    QMessageBox box(QMessageBox::Question, QStringLiteral("Frage"), QStringLiteral("Text"),
                    QMessageBox::Yes | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Ja"));

    // The folder dialog of "Ordner auswählen …" and "Wählen …".
    QFileDialog dialog(nullptr, QStringLiteral("Ordner für Android-Projekte"), test::temporaryHome());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.resize(640, 420);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog, test::patienceMs));
    const auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    QVERIFY(buttons);
    QCOMPARE(buttons->button(QDialogButtonBox::Open)->text(), QStringLiteral("&Auswählen"));
    QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"))->text(), QStringLiteral("Suchen in:"));
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("fileNameLabel"))->text(), QStringLiteral("Verzeichnis:"));
    test::capture(&dialog, QStringLiteral("folder-dialog"));
  }
};

TOVRANE_APP_TEST(GermanInterfaceTest)
#include "GermanInterfaceTest.moc"
