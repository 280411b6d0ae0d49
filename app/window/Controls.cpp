#include "app/window/Controls.hpp"

#include "app/state/Brand.hpp"
#include "app/window/Look.hpp"


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

}  // namespace tovrane::app
