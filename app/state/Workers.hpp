#pragma once
// Runs the application's background calls (conversions, device runs, repairs)
// each on a thread of its own and counts those still running, so the entry can
// wait for them before it quits. The count lives in state shared with every
// thread: a thread never touches freed memory, even when it outlives this object.
//
// Destroying Workers waits for every running call; the entry instead waits
// with a deadline (waitForAll) and ends the process, since a call that never
// returns (a stuck tool) must not keep the application open forever.
#include <chrono>
#include <functional>
#include <memory>

namespace tovrane::app {

class Workers {
 public:
  Workers();
  ~Workers();
  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;

  // Starts fn on a new detached thread. fn must not throw: a run model
  // catches its call's failures and shows them.
  void run(std::function<void()> fn);
  // The number of calls started and not yet returned.
  int running() const;
  // Waits until no call runs or the timeout has passed; true when none runs.
  bool waitForAll(std::chrono::milliseconds timeout);

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace tovrane::app
