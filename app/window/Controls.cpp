#include "app/window/Controls.hpp"

#include "app/state/Brand.hpp"
#include "app/window/Look.hpp"

#include <QEvent>

namespace tovrane::app {

namespace {
QPushButton* namedButton(const QString& text, const QString& objectName, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(objectName);
  button->setAccessibleName(text);
  return button;
}
}  // namespace

QPushButton* prominentButton(const QString& text, const QString& objectName, QWidget* parent) {
  QPushButton* button = namedButton(text, objectName, parent);
  const QColor ink = Brand::ink();
  // A ring in the Android green marks keyboard focus on the dark fill.
  button->setStyleSheet(
      QStringLiteral("QPushButton { color: white; background: %1; border: 2px solid %1; border-radius: 8px;"
                     " padding: 0 18px; min-height: 32px; font-size: %5px; }"
                     "QPushButton:hover { background: %2; border-color: %2; }"
                     "QPushButton:pressed { background: %3; border-color: %3; }"
                     "QPushButton:focus { border-color: %4; }")
          .arg(ink.name(), ink.lighter(160).name(), ink.lighter(220).name(), Brand::droid().name())
          .arg(app::font(TextStyle::body).pixelSize() + 1));
  return button;
}

QPushButton* borderedButton(const QString& text, const QString& objectName, QWidget* parent) {
  return namedButton(text, objectName, parent);
}

QPushButton* destructiveButton(const QString& text, const QString& objectName, QWidget* parent) {
  QPushButton* button = namedButton(text, objectName, parent);
  QPalette palette = button->palette();
  palette.setColor(QPalette::ButtonText, Brand::swift());
  button->setPalette(palette);
  return button;
}

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  setFullText(text);
}

void ElidedLabel::setFullText(const QString& text) {
  full_ = text;
  setToolTip(text);
  elide();
  updateGeometry();
}

QSize ElidedLabel::minimumSizeHint() const { return {0, fontMetrics().height()}; }

QSize ElidedLabel::sizeHint() const { return {fontMetrics().horizontalAdvance(full_), fontMetrics().height()}; }

void ElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  elide();
}

void ElidedLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    elide();
    updateGeometry();
  }
}

void ElidedLabel::elide() {
  // Line breaks would make a second line; they count as blanks here.
  QString line = full_;
  line.replace(QLatin1Char('\n'), QLatin1Char(' '));
  setText(fontMetrics().elidedText(line, Qt::ElideRight, width()));
}

}  // namespace tovrane::app
