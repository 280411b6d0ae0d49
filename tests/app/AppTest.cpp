#include "tests/app/AppTest.hpp"

#include "app/state/Brand.hpp"
#include "app/window/LineLimitedLabel.hpp"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QMimeData>
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

bool shownIn(const QWidget& root, const char* name) {
  const QWidget* widget = root.findChild<QWidget*>(QString::fromUtf8(name));
  return widget != nullptr && widget->isVisibleTo(&root);
}

int visibleCount(const QWidget& root, const QString& name) {
  int count = 0;
  for (const QWidget* widget : root.findChildren<QWidget*>(name)) {
    count += widget->isVisibleTo(&root) ? 1 : 0;
  }
  return count;
}

QString labelText(const QWidget& root, const char* name) {
  const auto* label = root.findChild<QLabel*>(QString::fromUtf8(name));
  if (label == nullptr) {
    return QStringLiteral("(none)");
  }
  if (const auto* cut = dynamic_cast<const LineLimitedLabel*>(label)) {
    return cut->fullText();
  }
  return label->text();
}

void dropFolder(QWidget* zone, const QString& folder) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(folder)});
  QDragEnterEvent enter(QPoint(40, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(zone, &enter);
  QDropEvent drop(QPointF(40, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(zone, &drop);
}

void showAtWidth(QWidget& widget, int width) {
  widget.show();
  // Wrapped and cut texts settle their height after a resize or two.
  for (int round = 0; round < 3; ++round) {
    widget.resize(width, widget.layout()->totalHeightForWidth(width));
    QCoreApplication::processEvents();
  }
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
    // A picker's pop-up list is a window of its own, outside the Tab order.
    if (takesTabFocus(widget) && widget->window() == root->window() &&
        (widget->objectName().isEmpty() || widget->accessibleName().isEmpty())) {
      unnamed.append(QString::fromUtf8(widget->metaObject()->className()) + QLatin1Char(' ') + widget->objectName());
    }
  }
  return unnamed;
}

bool markedDestructive(const QAction& action) {
  const QImage symbol = action.icon().pixmap(16, 16).toImage();
  for (int y = 0; y < symbol.height(); ++y) {
    for (int x = 0; x < symbol.width(); ++x) {
      const QColor pixel = symbol.pixelColor(x, y);
      if (pixel.alpha() > 200 && pixel.rgb() == Brand::swift().rgb()) return true;
    }
  }
  return false;
}

QString temporaryHome() { return QDir::homePath(); }

QDateTime fixedNow() {
  return QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53), Qt::UTC);
}

}  // namespace tovrane::app::test
