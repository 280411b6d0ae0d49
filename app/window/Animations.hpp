#pragma once
// Two kinds of animation that Qt lacks: one that moves like a damped
// spring, and a looping one that runs back on every second loop. Both are
// value animations: the caller applies valueChanged() to what it draws.
// Start them with startAnimation (Look.hpp) like every animation of the app.
#include <QVariantAnimation>

namespace tovrane::app {

// Follows a spring released from the start value towards the end value:
// `response` is the period of the undamped spring in seconds, `damping` its
// damping fraction (below 1 it overshoots a little before it settles). The
// animation lasts until the spring is within a thousandth of its rest, and
// its last value is exactly the end value.
class SpringAnimation : public QVariantAnimation {
 public:
  SpringAnimation(double response, double damping, QObject* parent = nullptr);

  // The spring's way from 0 towards 1 after t seconds.
  static double position(double t, double response, double damping);

 protected:
  QVariant interpolated(const QVariant& from, const QVariant& to, qreal progress) const override;

 private:
  double response_;
  double damping_;
};

// Runs from the start to the end value on even loops (the first is loop 0)
// and back on odd ones, so that a repeating pulse has no jump. Stopped after
// one loop (as startAnimation does with animations off), it rests at the end
// value. Its easing curve should be symmetric (as InOutSine is), so that the
// way back mirrors the way there.
class ReversingAnimation : public QVariantAnimation {
 public:
  using QVariantAnimation::QVariantAnimation;

 protected:
  QVariant interpolated(const QVariant& from, const QVariant& to, qreal progress) const override;
};

}  // namespace tovrane::app
