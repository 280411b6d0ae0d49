#include "app/window/PageComponents.hpp"

#include "app/state/Brand.hpp"
#include "app/state/Clock.hpp"
#include "app/state/ProjectRecord.hpp"
#include "app/window/Formats.hpp"
#include "app/window/Labels.hpp"
#include "app/window/Look.hpp"
#include "core/support/Text.hpp"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <algorithm>
#include <string>
#include <string_view>

namespace tovrane::app {

namespace {
constexpr int panelInset = 18;
constexpr double panelRadius = 18;

// Symbols stand as tall as a line of the text style they go with.
int symbolSize(TextStyle style) { return QFontMetrics(app::font(style)).height(); }

// The project row: items 12 apart, the initial square, the coverage slot.
constexpr int rowSpacing = 12;
constexpr int initialSide = 38;
constexpr double initialRadius = 10;
constexpr int coverageSlot = 52;
constexpr int labelGap = 4;

QFont coverageFont() {
  QFont result = app::font(TextStyle::body);
  result.setWeight(QFont::Bold);
  return result;
}

int textColumnHeight() {
  return QFontMetrics(app::font(TextStyle::headline)).height() + 2 +
         QFontMetrics(app::font(TextStyle::callout)).height();
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
  QLabel* what = plainLabel(label, app::font(TextStyle::callout), secondaryText(), this);
  // A narrow tile wraps a long label rather than cutting it.
  what->setWordWrap(true);
  column()->addWidget(what);
  // In a row of taller tiles the content stays at the top, level with its neighbours'.
  column()->addStretch(1);
}

QString StatTile::value() const { return value_->text(); }

void StatTile::setValue(const QString& value) { value_->setText(value); }

Card::Card(const std::optional<QString>& title, QWidget* content, QWidget* parent) : Panel(12, parent) {
  if (title) {
    column()->addWidget(plainLabel(*title, app::font(TextStyle::headline), Brand::ink(), this));
  }
  column()->addWidget(content);
}

ProjectRowContent projectRowContent(const ProjectRecord& record, const QDateTime& now) {
  ProjectRowContent content;
  const std::string name = record.name.toStdString();
  const std::string_view first = text::prefixGraphemes(name, 1);
  // QString's upper case is Unicode's full mapping, whatever the locale: "ß" becomes "SS".
  content.initial = QString::fromUtf8(first.data(), static_cast<qsizetype>(first.size())).toUpper();
  content.compiled = record.ai && record.ai->compiled == true;
  content.name = record.name;
  content.detail = QString::number(record.swiftFiles) + QStringLiteral(" Dateien · ") + relativeDate(record.date, now);
  if (content.compiled) {
    content.status = ProjectRowContent::Status::compiled;
    content.statusText = QStringLiteral("kompiliert");
  } else if (record.convertedPlaceholders() >= 1) {
    // Placeholders, as every AI figure counts them: the conversion left some.
    content.status = ProjectRowContent::Status::open;
    content.statusText = QString::number(record.openPlaces()) + QStringLiteral(" offen");
  }
  content.coverage = wholePercent(record.effectiveCoverage());
  return content;
}

ProjectRow::ProjectRow(const ProjectRecord& record, const Clock& clock, QWidget* parent)
    : QAbstractButton(parent), content_(projectRowContent(record, clock.now().toLocalTime())) {
  setObjectName(QStringLiteral("projectRow"));
  setAccessibleName(content_.name);
  QStringList description{content_.detail};
  if (!content_.statusText.isEmpty()) {
    description.append(content_.statusText);
  }
  description.append(content_.coverage);
  setAccessibleDescription(description.join(QStringLiteral(", ")));
  setFocusPolicy(Qt::StrongFocus);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize ProjectRow::sizeHint() const { return {480, std::max(initialSide, textColumnHeight())}; }

QSize ProjectRow::minimumSizeHint() const { return {240, sizeHint().height()}; }

void ProjectRow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF bounds(rect());
  // A plain button: no chrome, a faint shade while pressed, a ring for keyboard focus.
  if (isDown()) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(withAlpha(Brand::ink(), 0.05));
    painter.drawRoundedRect(bounds, 8, 8);
  }
  if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
    painter.setPen(QPen(Brand::droidDeep(), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(bounds.adjusted(1, 1, -1, -1), 7, 7);
  }
  const double middle = bounds.center().y();

  const QRectF square(0, middle - initialSide / 2.0, initialSide, initialSide);
  painter.setPen(Qt::NoPen);
  painter.setBrush(content_.compiled ? withAlpha(Brand::droid(), 0.35) : withAlpha(Brand::swift(), 0.2));
  painter.drawRoundedRect(square, initialRadius, initialRadius);
  painter.setFont(heavyFont(17));
  painter.setPen(Brand::ink());
  painter.drawText(square, Qt::AlignCenter | Qt::TextSingleLine, content_.initial);

  // From the right: chevron, coverage slot, status; the text column takes what is left.
  double right = bounds.right();
  const int chevron = symbolSize(TextStyle::body);
  painter.drawPixmap(QPointF(right - chevron, middle - chevron / 2.0),
                     iconPixmap(QStringLiteral("chevron.right"), chevron, tertiaryText(), devicePixelRatioF()));
  right -= chevron + rowSpacing;
  painter.setFont(coverageFont());
  painter.drawText(QRectF(right - coverageSlot, 0, coverageSlot, bounds.height()),
                   Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, content_.coverage);
  right -= coverageSlot + rowSpacing;
  if (content_.status != ProjectRowContent::Status::none) {
    const bool compiled = content_.status == ProjectRowContent::Status::compiled;
    const QFont statusFont = semiboldFont(TextStyle::callout);
    const int textWidth = QFontMetrics(statusFont).horizontalAdvance(content_.statusText);
    const int symbol = compiled ? symbolSize(TextStyle::callout) : 0;
    const int labelWidth = textWidth + (compiled ? symbol + labelGap : 0);
    const QColor colour = compiled ? Brand::droidDeep() : Brand::swift();
    double left = right - labelWidth;
    if (compiled) {
      painter.drawPixmap(QPointF(left, middle - symbol / 2.0),
                         iconPixmap(QStringLiteral("checkmark.seal.fill"), symbol, colour, devicePixelRatioF()));
      left += symbol + labelGap;
    }
    painter.setFont(statusFont);
    painter.setPen(colour);
    painter.drawText(QRectF(left, 0, textWidth + 1, bounds.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, content_.statusText);
    right -= labelWidth + rowSpacing;
  }

  const double textLeft = initialSide + rowSpacing;
  const int textWidth = std::max(0, static_cast<int>(right - textLeft));
  const QFont nameFont = app::font(TextStyle::headline);
  const QFont detailFont = app::font(TextStyle::callout);
  const QFontMetrics nameMetrics(nameFont);
  const QFontMetrics detailMetrics(detailFont);
  const double top = middle - textColumnHeight() / 2.0;
  painter.setFont(nameFont);
  painter.setPen(Brand::ink());
  painter.drawText(QRectF(textLeft, top, textWidth, nameMetrics.height()),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   nameMetrics.elidedText(content_.name, Qt::ElideRight, textWidth));
  painter.setFont(detailFont);
  painter.setPen(secondaryText());
  painter.drawText(QRectF(textLeft, top + nameMetrics.height() + 2, textWidth, detailMetrics.height()),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   detailMetrics.elidedText(content_.detail, Qt::ElideRight, textWidth));
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
