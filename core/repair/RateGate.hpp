#pragma once
// The gates that every model request of the process passes before it is
// sent, one per provider. When a provider answers "too many requests", the
// request that met it closes that provider's gate for the wait the provider
// asked for, and every request to it, from any run, holds back until it has
// passed; requests to other providers go on.
//
// Invariant: a gate's `until` only moves forward. Waiting never holds the
// mutex, so other requests can look at the gate or push it further
// meanwhile, and a waiter looks again after each sleep.
#include "core/repair/AIRepair.hpp"
#include "core/support/Clock.hpp"

#include <map>
#include <mutex>
#include <stop_token>

namespace tovrane {

class RateGate {
 public:
  // The gate measures and sleeps on `clock`, which must outlive it.
  explicit RateGate(const Clock& clock = Clock::system());
  RateGate(const RateGate&) = delete;
  RateGate& operator=(const RateGate&) = delete;

  // The gates of the process, on the machine's clock.
  static RateGate& shared();

  // Returns true once provider's gate is open; false as soon as stop is
  // requested.
  bool wait(AIProvider provider, std::stop_token stop = {});
  // Keeps provider's gate closed for at least `seconds` from now; a shorter
  // pause never shortens a longer one.
  void pause(AIProvider provider, double seconds);

 private:
  const Clock& clock_;
  std::mutex mutex_;
  std::map<AIProvider, Clock::TimePoint> until_;
};

}  // namespace tovrane
