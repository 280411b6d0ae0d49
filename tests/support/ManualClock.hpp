#pragma once
// Time that moves only when the test moves it: sleepers block until then, or
// until their sleep is stopped. Waits are bounded, so that a fault fails a
// test instead of hanging it.
#include "core/support/Clock.hpp"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tovrane::testsupport {

class ManualClock final : public Clock {
 public:
  TimePoint now() const override {
    std::lock_guard lock(mutex_);
    return TimePoint{} + elapsed_;
  }
  bool sleepFor(Duration duration, std::stop_token stop) const override {
    std::unique_lock lock(mutex_);
    const Duration end = elapsed_ + duration;
    ++sleepers_;
    changed_.notify_all();
    changed_.wait_for(lock, stop, std::chrono::seconds(60), [&] { return elapsed_ >= end; });
    --sleepers_;
    changed_.notify_all();
    return elapsed_ >= end;
  }
  void advance(Duration duration) {
    std::lock_guard lock(mutex_);
    elapsed_ += duration;
    changed_.notify_all();
  }
  // Waits until count threads sleep; false when they do not within half a minute.
  bool awaitSleepers(int count) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(30), [&] { return sleepers_ == count; });
  }

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable_any changed_;
  mutable Duration elapsed_{};
  mutable int sleepers_ = 0;
};

}  // namespace tovrane::testsupport
