#include "app/window/Controls.hpp"

#include "app/state/Brand.hpp"
#include "app/window/Look.hpp"

#include <QEvent>
#include <QFontMetricsF>

#include <cmath>

namespace tovrane::app {

namespace {
QPushButton* namedButton(const QString& text, const QString& objectName, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(objectName);
  button->setAccessibleName(text);
  return button;
}
}  // namespace

QFont monospacedFont(TextStyle style) {
  QFont result = app::font(style);
  result.setFamily(QStringLiteral("monospace"));
  result.setStyleHint(QFont::Monospace);
  return result;
}

QLabel* symbolLabel(const QString& symbol, int size, const QColor& tint, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setPixmap(iconPixmap(symbol, size, tint, parent->devicePixelRatioF()));
  return label;
}

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

namespace {
// White, a faint ink border, rounded; the text in the given colour.
QString borderedStyle(const QColor& text) {
  return QStringLiteral("QPushButton { color: %1; background: white; border: 1px solid %2; border-radius: 6px;"
                        " padding: 0 12px; min-height: 24px; }"
                        "QPushButton:hover { background: %3; }"
                        "QPushButton:pressed { background: %4; }"
                        "QPushButton:focus { border: 2px solid %5; }")
      .arg(text.name(), withAlpha(Brand::ink(), 0.18).name(QColor::HexArgb), Brand::paper().name(),
           Brand::paper().darker(106).name(), Brand::droidDeep().name());
}
}  // namespace

QPushButton* borderedButton(const QString& text, const QString& objectName, QWidget* parent) {
  QPushButton* button = namedButton(text, objectName, parent);
  button->setStyleSheet(borderedStyle(Brand::ink()));
  return button;
}

QPushButton* destructiveButton(const QString& text, const QString& objectName, QWidget* parent) {
  QPushButton* button = namedButton(text, objectName, parent);
  button->setStyleSheet(borderedStyle(Brand::swift()));
  return button;
}

ElidedLabel::ElidedLabel(const QString& text, const QFont& font, const QColor& colour, QWidget* parent)
    : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setFont(font);
  QPalette palette = this->palette();
  palette.setColor(QPalette::WindowText, colour);
  setPalette(palette);
  // As wide as the text where there is room, down to nothing where there is none.
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  setFullText(text);
}

void ElidedLabel::setFullText(const QString& text) {
  full_ = text;
  setToolTip(text);
  elide();
  updateGeometry();
}

QSize ElidedLabel::minimumSizeHint() const { return {0, fontMetrics().height()}; }

QSize ElidedLabel::sizeHint() const {
  // Eliding measures in fractions of a pixel: whole pixels might cut a text that fits.
  const int width = static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(full_))) + 1;
  return {width, fontMetrics().height()};
}

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
