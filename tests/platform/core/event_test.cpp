#include "platform/core/clock.h"
#include "platform/core/event.h"
#include "platform/core/handle_table.h"
#include "platform/core/last_error.h"
#include "platform/core/simulated_clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(Event, AutoResetReleasesOneWaitThenResets) {
  SimulatedClock clock;
  HANDLE event = CreateEventW(nullptr, FALSE, TRUE, nullptr);
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(SetEvent(event));
  EXPECT_EQ(WaitForSingleObject(event, 100), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 100), WAIT_TIMEOUT);
  EXPECT_EQ(GetTickCount(), 100u);
  EXPECT_TRUE(CloseHandle(event));
}

TEST(Event, ManualResetStaysSignalledUntilReset) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(EventModify(event, EVENT_SET));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(EventModify(event, EVENT_RESET));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  CloseHandle(event);
}

TEST(Event, TimedWaitEndsAtItsDeadlineOnSimulatedTime) {
  SimulatedClock clock(5000);
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, 1500), WAIT_TIMEOUT);
  EXPECT_EQ(GetTickCount(), 6500u);
  CloseHandle(event);
}

TEST(Event, AutoResetSetReleasesOneWaiterAtATime) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  std::atomic<int> woken{0};
  auto waiter = [&] {
    if (WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0) ++woken;
  };
  std::thread a(waiter), b(waiter);
  SetEvent(event);
  while (woken.load() == 0) std::this_thread::yield();
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT) << "the released wait reset the event";
  EXPECT_EQ(woken.load(), 1);
  SetEvent(event);
  a.join();
  b.join();
  EXPECT_EQ(woken.load(), 2);
  CloseHandle(event);
}

TEST(Event, InfiniteWaitIsReleasedFromAnotherThread) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  std::thread setter([&] { SetEvent(event); });
  EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
  setter.join();
  CloseHandle(event);
}

TEST(Handles, ClosedOrWrongKindOfHandleIsRefused) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  EXPECT_NE(event, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(event));
  EXPECT_FALSE(CloseHandle(event));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(SetEvent(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
  EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
  HANDLE other = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  EXPECT_NE(other, event) << "handle values are not reused";
  CloseHandle(other);
}

TEST(Handles, NamedEventsAreNotSupported) {
  EXPECT_EQ(CreateEventW(nullptr, FALSE, FALSE, L"shared"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

}  // namespace
