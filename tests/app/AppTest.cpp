#include "tests/app/AppTest.hpp"

#include <QDir>
#include <QPixmap>
#include <QWidget>
#include <QtTest>

namespace tovrane::app::test {

void capture(QWidget* widget, const QString& name) {
  const QString folder = QStringLiteral(TOVRANE_BINARY_DIR "/screens");
  QDir().mkpath(folder);
  const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
  QVERIFY2(widget->grab().save(path), qPrintable(QStringLiteral("could not save ") + path));
}

namespace {
bool takesTabFocus(const QWidget* widget) {
  return (widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(widget->window()) && widget->isEnabled();
}
}  // namespace

QStringList focusChain(QWidget* root) {
  QStringList chain;
  QWidget* first = root;
  while (first && !takesTabFocus(first)) {
    first = first->nextInFocusChain();
    if (first == root) {
      return chain;
    }
  }
  QWidget* widget = first;
  do {
    if (takesTabFocus(widget) && root->isAncestorOf(widget)) {
      chain.append(widget->objectName());
    }
    widget = widget->nextInFocusChain();
  } while (widget && widget != first);
  return chain;
}

QStringList unnamedInteractiveWidgets(QWidget* root) {
  QStringList unnamed;
  for (QWidget* widget : root->findChildren<QWidget*>()) {
    if (takesTabFocus(widget) && (widget->objectName().isEmpty() || widget->accessibleName().isEmpty())) {
      unnamed.append(QString::fromUtf8(widget->metaObject()->className()) + QLatin1Char(' ') + widget->objectName());
    }
  }
  return unnamed;
}

QString temporaryHome() { return QDir::homePath(); }

QDateTime fixedNow() {
  return QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53), Qt::UTC);
}

}  // namespace tovrane::app::test
