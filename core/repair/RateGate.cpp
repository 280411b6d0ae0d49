#include "core/repair/RateGate.hpp"

#include <chrono>
#include <cmath>

namespace tovrane {

RateGate::RateGate(const Clock& clock) : clock_(clock) {}

RateGate& RateGate::shared() {
  static RateGate gate;
  return gate;
}

bool RateGate::wait(AIProvider provider, std::stop_token stop) {
  for (;;) {
    Clock::Duration remaining{};
    {
      std::lock_guard lock(mutex_);
      const auto found = until_.find(provider);
      const auto now = clock_.now();
      if (found == until_.end() || now >= found->second) return !stop.stop_requested();
      remaining = found->second - now;
    }
    // One tick more, so that the look after the sleep finds the time passed.
    if (!clock_.sleepFor(remaining + Clock::Duration(1), stop)) return false;
  }
}

void RateGate::pause(AIProvider provider, double seconds) {
  if (!(seconds > 0) || !std::isfinite(seconds)) return;
  const auto length = std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double>(seconds));
  std::lock_guard lock(mutex_);
  const auto end = clock_.now() + length;
  const auto [found, added] = until_.try_emplace(provider, end);
  if (!added && end > found->second) found->second = end;
}

}  // namespace tovrane
