#include "core/support/Clock.hpp"

#include <condition_variable>

namespace tovrane {

namespace {

class SystemClock final : public Clock {
 public:
  TimePoint now() const override { return std::chrono::steady_clock::now(); }

  bool sleepFor(Duration duration, std::stop_token stop) const override {
    // A private mutex and condition per call: the stop token wakes exactly this sleeper.
    std::mutex mutex;
    std::condition_variable_any woken;
    std::unique_lock lock(mutex);
    woken.wait_for(lock, stop, duration, [] { return false; });
    return !stop.stop_requested();
  }
};

}  // namespace

const Clock& Clock::system() {
  static const SystemClock clock;
  return clock;
}

Clock::TimePoint FakeClock::now() const {
  std::lock_guard lock(mutex_);
  return TimePoint{} + elapsed_;
}

bool FakeClock::sleepFor(Duration duration, std::stop_token stop) const {
  std::function<void(Duration)> hook;
  {
    std::lock_guard lock(mutex_);
    sleeps_.push_back(duration);
    if (stop.stop_requested()) return false;
    elapsed_ += duration;
    hook = hook_;
  }
  if (hook) hook(duration);
  return !stop.stop_requested();
}

void FakeClock::advance(Duration duration) {
  std::lock_guard lock(mutex_);
  elapsed_ += duration;
}

std::vector<Clock::Duration> FakeClock::sleeps() const {
  std::lock_guard lock(mutex_);
  return sleeps_;
}

void FakeClock::onSleep(std::function<void(Duration)> hook) {
  std::lock_guard lock(mutex_);
  hook_ = std::move(hook);
}

ScaledClock::ScaledClock(double factor) : factor_(factor), start_(std::chrono::steady_clock::now()) {}

Clock::TimePoint ScaledClock::now() const {
  const auto real = std::chrono::steady_clock::now() - start_;
  return start_ + std::chrono::duration_cast<Duration>(real * factor_);
}

bool ScaledClock::sleepFor(Duration duration, std::stop_token stop) const {
  return Clock::system().sleepFor(std::chrono::duration_cast<Duration>(duration / factor_), std::move(stop));
}

}  // namespace tovrane
