#include "core/repair/RateGate.hpp"

#include <chrono>
#include <cmath>

namespace tovrane {

RateGate::RateGate(const Clock& clock) : clock_(clock) {}

RateGate& RateGate::shared() {
  static RateGate gate;
  return gate;
}

void RateGate::wait() {
  for (;;) {
    Clock::Duration remaining{};
    {
      std::lock_guard lock(mutex_);
      const auto now = clock_.now();
      if (now >= until_) return;
      remaining = until_ - now;
    }
    // One tick more, so that the look after the sleep finds the time passed.
    clock_.sleepFor(remaining + Clock::Duration(1));
  }
}

void RateGate::pause(double seconds) {
  if (!(seconds > 0) || !std::isfinite(seconds)) return;
  const auto length = std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double>(seconds));
  std::lock_guard lock(mutex_);
  const auto end = clock_.now() + length;
  if (end > until_) until_ = end;
}

}  // namespace tovrane
