#include "core/support/Clock.hpp"

#include <gtest/gtest.h>

#include <thread>

namespace tovrane {
namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

TEST(FakeClock, LogsExactlyTheRequestedSleepsAndAdvancesByThem) {
  FakeClock clock;
  const auto start = clock.now();
  std::vector<Clock::Duration> seen;
  clock.onSleep([&](Clock::Duration d) { seen.push_back(d); });
  EXPECT_TRUE(clock.sleepFor(2s));
  EXPECT_TRUE(clock.sleepFor(500ms));
  clock.advance(1s);
  EXPECT_EQ(clock.now() - start, 3500ms);
  EXPECT_EQ(clock.sleeps(), (std::vector<Clock::Duration>{2s, 500ms}));
  EXPECT_EQ(seen, clock.sleeps());

  // A stopped sleep is logged but takes no time.
  std::stop_source stop;
  stop.request_stop();
  EXPECT_FALSE(clock.sleepFor(2s, stop.get_token()));
  EXPECT_EQ(clock.now() - start, 3500ms);
  EXPECT_EQ(clock.sleeps().size(), 3u);
}

TEST(FakeClock, HookThatRequestsAStopEndsTheSleepWithFalse) {
  FakeClock clock;
  std::stop_source stop;
  int pauses = 0;
  clock.onSleep([&](Clock::Duration) {
    if (++pauses == 3) stop.request_stop();
  });
  int completed = 0;
  while (clock.sleepFor(2s, stop.get_token())) ++completed;
  EXPECT_EQ(completed, 2);
  EXPECT_EQ(clock.sleeps().size(), 3u);
}

TEST(FakeClock, SleepsFromSeveralThreadsAreAllLogged) {
  FakeClock clock;
  std::vector<std::jthread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 100; ++i) clock.sleepFor(1ms);
    });
  threads.clear();
  EXPECT_EQ(clock.sleeps().size(), 400u);
  EXPECT_EQ(clock.now() - FakeClock().now(), 400ms);
}

TEST(SystemClock, SleepEndsEarlyOnStopRequest) {
  const Clock& clock = Clock::system();
  EXPECT_TRUE(clock.sleepFor(5ms));

  std::stop_source stop;
  std::jthread stopper([&] {
    std::this_thread::sleep_for(50ms);
    stop.request_stop();
  });
  // Well before the sleep's end, however loaded the machine.
  const auto start = SteadyClock::now();
  EXPECT_FALSE(clock.sleepFor(10min, stop.get_token()));
  EXPECT_LT(SteadyClock::now() - start, 200s);
  EXPECT_FALSE(clock.sleepFor(10min, stop.get_token())) << "already stopped";
}

TEST(ScaledClock, RunsFactorTimesFaster) {
  const ScaledClock clock(10000);
  const auto start = clock.now();
  const auto realStart = SteadyClock::now();
  EXPECT_TRUE(clock.sleepFor(10min));  // 60 ms of real time
  EXPECT_LT(SteadyClock::now() - realStart, 200s);
  EXPECT_GE(clock.now() - start, 10min);
}

}  // namespace
}  // namespace tovrane
