#include "app/window/Labels.hpp"

#include "app/window/Controls.hpp"

#include <QHBoxLayout>

namespace tovrane::app {

void setTextColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  widget->setPalette(palette);
}

QLabel* symbolLabel(const QString& symbol, TextStyle style, const QColor& tint, QWidget* parent) {
  return symbolLabel(symbol, QFontMetrics(font(style)).height(), tint, parent);
}

QWidget* symbolRow(QWidget* symbol, QWidget* text, QWidget* parent) {
  auto* row = new QWidget(parent);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(6);
  layout->addWidget(symbol, 0, Qt::AlignTop);
  layout->addWidget(text, 1);
  return row;
}

}  // namespace tovrane::app
