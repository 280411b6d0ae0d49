#include "app/window/Animations.hpp"

#include <cmath>
#include <numbers>

namespace tovrane::app {

namespace {
// The spring counts as settled once its swing has decayed to this share.
constexpr double settled = 0.001;

double angularFrequency(double response) { return 2 * std::numbers::pi / response; }
}  // namespace

SpringAnimation::SpringAnimation(double response, double damping, QObject* parent)
    : QVariantAnimation(parent), response_(response), damping_(damping) {
  // The envelope of the swing, e^(−damping · ω · t), falls to `settled`.
  const double seconds = -std::log(settled) / (damping_ * angularFrequency(response_));
  setDuration(static_cast<int>(std::ceil(seconds * 1000)));
}

double SpringAnimation::position(double t, double response, double damping) {
  const double omega = angularFrequency(response);
  if (damping >= 1) {
    return 1 - std::exp(-omega * t) * (1 + omega * t);
  }
  const double damped = omega * std::sqrt(1 - damping * damping);
  return 1 - std::exp(-damping * omega * t) *
                 (std::cos(damped * t) + damping * omega / damped * std::sin(damped * t));
}

QVariant SpringAnimation::interpolated(const QVariant& from, const QVariant& to, qreal progress) const {
  const double way = progress >= 1 ? 1.0 : position(progress * duration() / 1000.0, response_, damping_);
  return QVariantAnimation::interpolated(from, to, way);
}

QVariant ReversingAnimation::interpolated(const QVariant& from, const QVariant& to, qreal progress) const {
  return QVariantAnimation::interpolated(from, to, currentLoop() % 2 == 1 ? 1 - progress : progress);
}

}  // namespace tovrane::app
