#include "app/state/Workers.hpp"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace tovrane::app {

struct Workers::State {
  std::mutex mutex;
  std::condition_variable idle;
  int running = 0;

  void finished() {
    const std::lock_guard lock(mutex);
    --running;
    idle.notify_all();
  }
};

Workers::Workers() : state_(std::make_shared<State>()) {}

Workers::~Workers() {
  std::unique_lock lock(state_->mutex);
  state_->idle.wait(lock, [this] { return state_->running == 0; });
}

void Workers::run(std::function<void()> fn) {
  {
    const std::lock_guard lock(state_->mutex);
    ++state_->running;
  }
  try {
    std::thread([state = state_, fn = std::move(fn)]() mutable {
      fn();
      // Its captures go before the count says the call is over.
      fn = nullptr;
      state->finished();
    }).detach();
  } catch (...) {
    state_->finished();
    throw;
  }
}

int Workers::running() const {
  const std::lock_guard lock(state_->mutex);
  return state_->running;
}

bool Workers::waitForAll(std::chrono::milliseconds timeout) {
  std::unique_lock lock(state_->mutex);
  return state_->idle.wait_for(lock, timeout, [this] { return state_->running == 0; });
}

}  // namespace tovrane::app
