#pragma once
// The one gate that every model request of the process passes before it is
// sent. When a provider answers "too many requests", the request that met it
// closes the gate for the wait the provider asked for, and every request to
// any provider (the local server's included) holds back until it has passed.
//
// Invariant: `until` only moves forward. Waiting never holds the mutex, so
// other requests can look at the gate or push it further meanwhile, and a
// waiter looks again after each sleep.
#include "core/support/Clock.hpp"

#include <mutex>

namespace tovrane {

class RateGate {
 public:
  // The gate measures and sleeps on `clock`, which must outlive it.
  explicit RateGate(const Clock& clock = Clock::system());
  RateGate(const RateGate&) = delete;
  RateGate& operator=(const RateGate&) = delete;

  // The gate of the process, on the machine's clock.
  static RateGate& shared();

  // Returns once the gate is open. Nothing ends the wait early.
  void wait();
  // Keeps the gate closed for at least `seconds` from now; a shorter pause
  // never shortens a longer one.
  void pause(double seconds);

 private:
  const Clock& clock_;
  std::mutex mutex_;
  Clock::TimePoint until_ = Clock::TimePoint::min();
};

}  // namespace tovrane
