#include "app/cards/PhaseChip.hpp"

#include "app/state/Brand.hpp"
#include "app/window/Labels.hpp"
#include "app/window/Look.hpp"

#include <QPainter>
#include <QPainterPath>

namespace tovrane::app {

namespace {
constexpr int horizontalPadding = 10;
constexpr int verticalPadding = 5;
constexpr int gap = 6;

struct ChipLook {
  const char* symbol;
  QColor fill;
  QColor content;
};

ChipLook chipLook(PhaseChip::State state) {
  switch (state) {
    case PhaseChip::State::pending:
      return {"circle", withAlpha(Brand::ink(), 0.05), withAlpha(Brand::ink(), 0.45)};
    case PhaseChip::State::active:
      return {"circle.dotted.circle", withAlpha(Brand::swift(), 0.15), Brand::ink()};
    case PhaseChip::State::done:
      break;
  }
  return {"checkmark.circle.fill", withAlpha(Brand::droid(), 0.25), Brand::ink()};
}

QFont chipFont() {
  QFont result = font(TextStyle::callout);
  result.setWeight(QFont::Medium);
  return result;
}
}  // namespace

PhaseChip::PhaseChip(const QString& title, State state, QWidget* parent)
    : QWidget(parent), title_(title), state_(state) {
  setAccessibleName(title);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PhaseChip::setState(State state) {
  if (state != state_) {
    state_ = state;
    update();
  }
}

QSize PhaseChip::sizeHint() const {
  const QFontMetrics metrics(chipFont());
  const int line = metrics.height();
  return {horizontalPadding + line + gap + metrics.horizontalAdvance(title_) + horizontalPadding,
          verticalPadding + line + verticalPadding};
}

QSize PhaseChip::minimumSizeHint() const { return sizeHint(); }

void PhaseChip::paintEvent(QPaintEvent*) {
  const ChipLook look = chipLook(state_);
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF bounds(rect());
  QPainterPath capsule;
  capsule.addRoundedRect(bounds, bounds.height() / 2, bounds.height() / 2);
  painter.fillPath(capsule, look.fill);
  const QFontMetrics metrics(chipFont());
  const int line = metrics.height();
  const double top = (bounds.height() - line) / 2;
  painter.drawPixmap(QPointF(horizontalPadding, top),
                     iconPixmap(QString::fromUtf8(look.symbol), line, look.content, devicePixelRatioF()));
  painter.setFont(chipFont());
  painter.setPen(look.content);
  painter.drawText(QRectF(horizontalPadding + line + gap, top, bounds.width(), line),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title_);
}

}  // namespace tovrane::app
