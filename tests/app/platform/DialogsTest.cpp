#include "app/platform/Dialogs.hpp"
#include "app/state/Brand.hpp"
#include "tests/app/AppTest.hpp"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <functional>

using namespace tovrane::app;

namespace {
// Asks the confirmation of clearing the history over a window; once it is
// active, `answer` looks at it and answers. Sets `answered` when it could.
bool askToClear(const std::function<void(QMessageBox&)>& answer, bool& answered) {
  QWidget window;
  window.resize(600, 400);
  window.show();
  QTimer::singleShot(0, &window, [&answer, &answered] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    if (QTest::qWaitForWindowActive(box, test::patienceMs)) {
      answered = true;
      answer(*box);
    }
    // A dialog still open here was not answered (or a check failed): closed, so the test goes on.
    if (box->isVisible()) box->reject();
  });
  WidgetDialogs dialogs;
  return dialogs.confirm(&window, QStringLiteral("Gesamten Verlauf löschen?"),
                         QStringLiteral("Die erzeugten Android-Projekte bleiben erhalten."), QStringLiteral("Löschen"));
}

QPushButton* button(const QMessageBox& box, const QString& text) {
  for (QAbstractButton* each : box.buttons()) {
    if (each->text() == text) return qobject_cast<QPushButton*>(each);
  }
  return nullptr;
}
}  // namespace

// A confirmation of something that destroys: the question in the dialog
// itself, the destructive button marked, and every key keeps things as they are.
class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void keysKeepWhatADestructiveConfirmationWouldDestroy_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Enter") << int(Qt::Key_Enter);
    QTest::newRow("Space") << int(Qt::Key_Space);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
  }
  void keysKeepWhatADestructiveConfirmationWouldDestroy() {
    QFETCH(int, key);
    bool answered = false;
    const bool confirmed = askToClear([key](QMessageBox& box) {
      QPushButton* keep = button(box, QStringLiteral("Abbrechen"));
      QPushButton* destroy = button(box, QStringLiteral("Löschen"));
      QVERIFY(keep && destroy);
      QCOMPARE(box.defaultButton(), keep);
      QVERIFY(!destroy->isDefault());
      // The question stands in the dialog, not only in a title bar that a Linux desktop may not draw.
      QVERIFY(box.text().contains(QStringLiteral("Gesamten Verlauf löschen?")));
      QCOMPARE(box.informativeText(), QStringLiteral("Die erzeugten Android-Projekte bleiben erhalten."));
      // The destructive button in the Swift colour.
      QCOMPARE(destroy->palette().color(QPalette::ButtonText).rgb(), Brand::swift().rgb());
      if (QTest::currentDataTag() == QByteArray("Return")) {
        test::capture(&box, QStringLiteral("confirm-clear-history"));
      }
      // The key goes where the user's would: to the button with the focus.
      QVERIFY(QApplication::focusWidget());
      QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    }, answered);
    QVERIFY(answered);
    QVERIFY(!confirmed);
  }

  void onlyTheDestructiveButtonConfirms() {
    bool answered = false;
    QVERIFY(askToClear([](QMessageBox& box) { button(box, QStringLiteral("Löschen"))->click(); }, answered));
    QVERIFY(answered);
  }
};

TOVRANE_APP_TEST(DialogsTest)
#include "DialogsTest.moc"
