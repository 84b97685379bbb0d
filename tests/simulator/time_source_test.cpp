#include "simulator/manual_time_source.h"
#include "simulator/system_time_source.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(ManualTimeSource, AdvanceReturnsOnceTheWokenThreadWaitsAgain) {
  sim::ManualTimeSource clock(1000);
  std::atomic<int> wakes{0};
  std::jthread worker([&](std::stop_token stop) {
    while (clock.WaitFor(10, stop)) ++wakes;
  });
  clock.WaitForSleepers(1);

  clock.Advance(5);
  EXPECT_EQ(wakes, 0);
  clock.Advance(5);
  EXPECT_EQ(wakes, 1);
  // A long step wakes the thread once: it sees the new time, not each tick.
  clock.Advance(100);
  EXPECT_EQ(wakes, 2);
  EXPECT_EQ(clock.NowMs(), 1110u);

  worker.request_stop();
  worker.join();
  EXPECT_EQ(wakes, 2);
}

TEST(ManualTimeSource, AdvanceWithoutSleepersJustMovesTheTime) {
  sim::ManualTimeSource clock;
  clock.Advance(250);
  EXPECT_EQ(clock.NowMs(), 250u);
  std::stop_source stop;
  EXPECT_TRUE(clock.WaitFor(0, stop.get_token()));
  stop.request_stop();
  EXPECT_FALSE(clock.WaitFor(10, stop.get_token()));
}

TEST(SystemTimeSource, StopEndsAWaitAtOnce) {
  sim::SystemTimeSource clock;
  std::stop_source stop;
  EXPECT_TRUE(clock.WaitFor(1, stop.get_token()));
  std::atomic<bool> result{true};
  std::thread waiter([&] { result = clock.WaitFor(600'000, stop.get_token()); });
  stop.request_stop();
  waiter.join();
  EXPECT_FALSE(result);
}

}  // namespace
