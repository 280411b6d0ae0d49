#include "app/window/Controls.hpp"

#include "app/state/Brand.hpp"
#include "app/window/Look.hpp"

#include <QMenu>

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
  label->setPixmap(iconPixmap(symbol, size, tint, label->devicePixelRatioF()));
  return label;
}

QPushButton* prominentButton(const QString& text, const QString& objectName, QWidget* parent) {
  return prominentButton(text, objectName, Brand::ink(), parent);
}

QPushButton* prominentButton(const QString& text, const QString& objectName, const QColor& tint, QWidget* parent) {
  QPushButton* button = namedButton(text, objectName, parent);
  // Pressing lightens a dark fill further and darkens a bright one.
  const bool dark = tint.lightnessF() < 0.3;
  const QColor hover = dark ? tint.lighter(160) : tint.lighter(115);
  const QColor pressed = dark ? tint.lighter(220) : tint.darker(120);
  // A ring in the Android green marks keyboard focus on the fill.
  button->setStyleSheet(
      QStringLiteral("QPushButton { color: white; background: %1; border: 2px solid %1; border-radius: 8px;"
                     " padding: 0 18px; min-height: 32px; font-size: %6px; }"
                     "QPushButton:hover { background: %2; border-color: %2; }"
                     "QPushButton:pressed { background: %3; border-color: %3; }"
                     "QPushButton:focus { border-color: %4; }"
                     "QPushButton:disabled { background: %5; border-color: transparent; }")
          .arg(tint.name(), hover.name(), pressed.name(), Brand::droid().name(),
               withAlpha(tint, 0.35).name(QColor::HexArgb))
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
                        "QPushButton:focus { border: 2px solid %5; }"
                        "QPushButton:disabled { color: %6; }"
                        // A button with a menu shows its arrow on the text's line, not in the corner.
                        "QPushButton::menu-indicator { subcontrol-origin: padding;"
                        " subcontrol-position: center right; right: 6px; }")
      .arg(text.name(), withAlpha(Brand::ink(), 0.18).name(QColor::HexArgb), Brand::paper().name(),
           Brand::paper().darker(106).name(), Brand::droidDeep().name(), tertiaryText().name(QColor::HexArgb));
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

QAction* addDestructiveAction(QMenu* menu, const QString& text) {
  return menu->addAction(icon(QStringLiteral("trash"), Brand::swift()), text);
}

}  // namespace tovrane::app
