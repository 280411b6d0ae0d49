#include "app/cards/PhaseChip.hpp"

#include "app/state/Brand.hpp"
#include "app/window/Animations.hpp"
#include "app/window/Labels.hpp"
#include "app/window/Look.hpp"

#include <QEasingCurve>
#include <QPainter>
#include <QPainterPath>

namespace tovrane::app {

namespace {
constexpr int horizontalPadding = 10;
constexpr int verticalPadding = 5;
constexpr int gap = 6;
// The pulse's faintest moment.
constexpr double faintest = 0.3;

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
    : QWidget(parent), title_(title), state_(state), pulse_(new ReversingAnimation(this)) {
  setAccessibleName(title);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  // Full to faint and back, a second each way; with animations off it rests full.
  pulse_->setStartValue(faintest);
  pulse_->setEndValue(1.0);
  pulse_->setDuration(1000);
  pulse_->setEasingCurve(QEasingCurve::InOutSine);
  connect(pulse_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
    symbolOpacity_ = value.toDouble();
    update();
  });
}

void PhaseChip::setState(State state) {
  if (state != state_) {
    state_ = state;
    followState();
    update();
  }
}

bool PhaseChip::pulsing() const { return pulse_->state() == QAbstractAnimation::Running; }

void PhaseChip::followState() {
  const bool wanted = state_ == State::active && isVisible();
  if (wanted && !pulsing()) {
    // Each start runs for ever again (startAnimation cuts it to one loop while animations are off).
    pulse_->setLoopCount(-1);
    startAnimation(pulse_);
  } else if (!wanted) {
    pulse_->stop();
    symbolOpacity_ = 1;
  }
}

void PhaseChip::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  followState();
}

void PhaseChip::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  followState();
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
  painter.setOpacity(symbolOpacity_);
  painter.drawPixmap(QPointF(horizontalPadding, top),
                     iconPixmap(QString::fromUtf8(look.symbol), line, look.content, devicePixelRatioF()));
  painter.setOpacity(1);
  painter.setFont(chipFont());
  painter.setPen(look.content);
  painter.drawText(QRectF(horizontalPadding + line + gap, top, bounds.width(), line),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title_);
}

}  // namespace tovrane::app
