#include "app/window/PageComponents.hpp"

#include "app/state/Brand.hpp"
#include "app/window/Look.hpp"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace tovrane::app {

namespace {
constexpr int panelInset = 18;
constexpr double panelRadius = 18;

// The large numbers and titles: the body family, heavy.
QFont heavyFont(int pixelSize) {
  QFont result = QApplication::font();
  result.setPixelSize(pixelSize);
  result.setWeight(QFont::ExtraBold);
  return result;
}

// Texts are shown as they are: a record's name is never read as markup.
QLabel* plainLabel(const QString& text, const QFont& font, const QColor& colour, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setText(text);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
  return label;
}

// A symbol as tall as a line of the given text style.
QLabel* symbolLabel(const QString& symbol, TextStyle style, const QColor& tint, QWidget* parent) {
  auto* label = new QLabel(parent);
  const int size = QFontMetrics(app::font(style)).height();
  label->setPixmap(iconPixmap(symbol, size, tint, parent->devicePixelRatioF()));
  return label;
}
}  // namespace

Panel::Panel(int spacing, QWidget* parent) : QWidget(parent), column_(new QVBoxLayout(this)) {
  column_->setContentsMargins(panelInset, panelInset, panelInset, panelInset);
  column_->setSpacing(spacing);
}

void Panel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath shape;
  shape.addRoundedRect(QRectF(rect()), panelRadius, panelRadius);
  painter.fillPath(shape, withAlpha(Qt::white, 0.75));
  // The border lies inside the shape: a 1-pixel line on a rectangle inset by half a pixel.
  painter.setPen(QPen(withAlpha(Brand::ink(), 0.06), 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), panelRadius - 0.5, panelRadius - 0.5);
}

PageHeader::PageHeader(const QString& title, const std::optional<QString>& subtitle, QWidget* parent)
    : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(4);
  column->addWidget(plainLabel(title, heavyFont(32), Brand::ink(), this));
  if (subtitle) {
    column->addWidget(plainLabel(*subtitle, app::font(TextStyle::title3), secondaryText(), this));
  }
}

StatTile::StatTile(const QString& value, const QString& label, const QString& icon, const QColor& tint,
                   QWidget* parent)
    : Panel(10, parent), value_(plainLabel(value, heavyFont(30), Brand::ink(), this)) {
  column()->addWidget(symbolLabel(icon, TextStyle::title3, tint, this));
  column()->addWidget(value_);
  column()->addWidget(plainLabel(label, app::font(TextStyle::callout), secondaryText(), this));
}

QString StatTile::value() const { return value_->text(); }

void StatTile::setValue(const QString& value) { value_->setText(value); }

Card::Card(const std::optional<QString>& title, QWidget* content, QWidget* parent) : Panel(12, parent) {
  if (title) {
    column()->addWidget(plainLabel(*title, app::font(TextStyle::headline), Brand::ink(), this));
  }
  column()->addWidget(content);
}

LogoGeometry logoGeometry(double width) {
  const double unit = width / 40;
  return {QRectF(2 * unit, 2 * unit, 22 * unit, 22 * unit), 7 * unit,
          QRectF(16 * unit, 16 * unit, 22 * unit, 22 * unit)};
}

LogoMark::LogoMark(QWidget* parent) : QWidget(parent) {}

QSize LogoMark::sizeHint() const { return {24, 24}; }

void LogoMark::paintEvent(QPaintEvent*) {
  const LogoGeometry geometry = logoGeometry(width());
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Brand::swift());
  painter.drawRoundedRect(geometry.square, geometry.squareRadius, geometry.squareRadius);
  painter.setBrush(Brand::droid());
  painter.drawEllipse(geometry.circle);
}

}  // namespace tovrane::app
