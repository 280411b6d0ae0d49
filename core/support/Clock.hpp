#pragma once
// The one seam for time: everything that waits or measures goes through a
// Clock, so tests can replace pauses of seconds by instant, logged ones.
#include <chrono>
#include <functional>
#include <mutex>
#include <stop_token>
#include <vector>

namespace tovrane {

// A steady clock with an interruptible sleep. Implementations are safe to use
// from several threads at once.
class Clock {
 public:
  using Duration = std::chrono::steady_clock::duration;
  using TimePoint = std::chrono::steady_clock::time_point;

  virtual ~Clock() = default;
  virtual TimePoint now() const = 0;
  // Waits for duration; returns false as soon as stop is requested (also when
  // it was requested before the call), true when the whole duration passed.
  virtual bool sleepFor(Duration duration, std::stop_token stop = {}) const = 0;

  // The machine's steady clock with real sleeps.
  static const Clock& system();
};

// A clock for tests whose sleeps return at once: each one is logged with the
// duration asked for and moves the time forward by it.
class FakeClock final : public Clock {
 public:
  TimePoint now() const override;
  // Logs the request; when stop is requested, returns false without moving the time.
  bool sleepFor(Duration duration, std::stop_token stop = {}) const override;

  void advance(Duration duration);
  std::vector<Duration> sleeps() const;
  // Called after each logged sleep, outside the clock's lock (for example to
  // let a fake device boot after the third pause, or to request a stop).
  void onSleep(std::function<void(Duration)> hook);

 private:
  mutable std::mutex mutex_;
  mutable Duration elapsed_{};
  mutable std::vector<Duration> sleeps_;
  std::function<void(Duration)> hook_;
};

// Real time running `factor` times faster: sleeps last duration / factor, and
// now() advances by factor per real second. For loops with pauses of seconds
// that must interleave with real child processes in a test.
class ScaledClock final : public Clock {
 public:
  explicit ScaledClock(double factor);
  TimePoint now() const override;
  bool sleepFor(Duration duration, std::stop_token stop = {}) const override;

 private:
  double factor_;
  TimePoint start_;
};

}  // namespace tovrane
