#include "app/cards/ProgressBar.hpp"

#include "app/platform/Platform.hpp"
#include "app/state/Brand.hpp"
#include "app/window/Look.hpp"

#include <QDateTime>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace tovrane::app {

namespace {
constexpr int barHeight = 12;
constexpr double minimumFill = 12;
constexpr double sweepSeconds = 1.8;
constexpr double bandShare = 0.3;
// About one display frame.
constexpr int frameMs = 16;

QPainterPath capsule(const QRectF& rect) {
  QPainterPath path;
  const double radius = std::min(rect.width(), rect.height()) / 2;
  path.addRoundedRect(rect, radius, radius);
  return path;
}
}  // namespace

ProgressBar::ProgressBar(Platform& platform, QWidget* parent)
    : QWidget(parent), tint_(Brand::droid()), reduceMotion_(platform.reduceMotion()) {
  setFixedHeight(barHeight);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  frameTimer_.setInterval(frameMs);
  frameTimer_.setTimerType(Qt::PreciseTimer);
  connect(&frameTimer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
  connect(&platform, &Platform::reduceMotionChanged, this, [this](bool reduced) {
    reduceMotion_ = reduced;
    updateSweep();
    update();
  });
}

void ProgressBar::setValue(double value) {
  if (value != value_) {
    value_ = value;
    update();
  }
}

void ProgressBar::setTint(const QColor& tint) {
  if (tint != tint_) {
    tint_ = tint;
    update();
  }
}

void ProgressBar::setActive(bool active) {
  if (active != active_) {
    active_ = active;
    updateSweep();
    update();
  }
}

bool ProgressBar::sweeping() const { return frameTimer_.isActive(); }

QSize ProgressBar::sizeHint() const { return {200, barHeight}; }

QSize ProgressBar::minimumSizeHint() const { return {barHeight, barHeight}; }

double ProgressBar::fillWidth(double value, double width) {
  const double share = std::isnan(value) ? 0 : std::clamp(value, 0.0, 1.0);
  return std::min(std::max(width * share, minimumFill), width);
}

double ProgressBar::highlightOffset(double seconds, double width) {
  double phase = std::fmod(seconds, sweepSeconds);
  if (phase < 0) {
    phase += sweepSeconds;
  }
  return phase / sweepSeconds * (1 + bandShare) * width - bandShare * width;
}

void ProgressBar::updateSweep() {
  if (shown_ && active_ && !reduceMotion_) {
    frameTimer_.start();
  } else {
    frameTimer_.stop();
  }
}

void ProgressBar::showEvent(QShowEvent*) {
  shown_ = true;
  updateSweep();
}

void ProgressBar::hideEvent(QHideEvent*) {
  shown_ = false;
  updateSweep();
}

void ProgressBar::paintEvent(QPaintEvent*) {
  const QRectF track(rect());
  const double width = track.width();
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPainterPath trackShape = capsule(track);
  painter.fillPath(trackShape, withAlpha(Brand::ink(), 0.08));

  if (sweeping()) {
    const double seconds = static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000;
    const QRectF band(highlightOffset(seconds, width), 0, bandShare * width, track.height());
    QLinearGradient sheen(band.topLeft(), band.topRight());
    sheen.setColorAt(0, withAlpha(tint_, 0));
    sheen.setColorAt(0.5, withAlpha(tint_, 0.35));
    sheen.setColorAt(1, withAlpha(tint_, 0));
    // Clipped to the whole bar, so the band never spills past its ends.
    painter.save();
    painter.setClipPath(trackShape);
    painter.fillPath(capsule(band), sheen);
    painter.restore();
  }

  const QRectF fill(0, 0, fillWidth(value_, width), track.height());
  QLinearGradient colours(fill.topLeft(), fill.topRight());
  colours.setColorAt(0, Brand::swift());
  colours.setColorAt(1, tint_);
  painter.fillPath(capsule(fill), colours);
}

}  // namespace tovrane::app
