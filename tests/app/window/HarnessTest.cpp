#include "tests/app/AppTest.hpp"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

using namespace tovrane::app;

// The harness checks later screens rely on: Tab order and names.
class HarnessTest : public QObject {
  Q_OBJECT

 private slots:
  void focusChainFollowsTabOrderAndFindsUnnamedWidgets() {
    QWidget form;
    auto* layout = new QVBoxLayout(&form);
    auto* name = new QLineEdit(&form);
    auto* hidden = new QPushButton(QStringLiteral("Versteckt"), &form);
    auto* save = new QPushButton(QStringLiteral("Sichern"), &form);
    layout->addWidget(name);
    layout->addWidget(hidden);
    layout->addWidget(save);
    name->setObjectName(QStringLiteral("name"));
    name->setAccessibleName(QStringLiteral("Name"));
    save->setObjectName(QStringLiteral("save"));
    hidden->setObjectName(QStringLiteral("hidden"));
    hidden->hide();
    form.show();
    QCOMPARE(test::focusChain(&form), (QStringList{"name", "save"}));
    QCOMPARE(test::unnamedInteractiveWidgets(&form), QStringList{"QPushButton save"});
    test::capture(&form, QStringLiteral("harness-form"));
    QVERIFY(QFile::exists(QStringLiteral(TOVRANE_BINARY_DIR "/screens/harness-form.png")));
    QCOMPARE(QLocale().name(), QStringLiteral("de_DE"));
  }
};

TOVRANE_APP_TEST(HarnessTest)
#include "HarnessTest.moc"
