#include "platform/core/event.h"
#include "platform/core/last_error.h"
#include "platform/core/simulated_clock.h"
#include "platform/core/win_thread.h"
#include "platform/core/window_core.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

// A worker that owns a window and records the thread each message arrives on.
class WindowThread : public CWinThread, public CoreWindow {
 public:
  BOOL InitInstance() override {
    hwnd = CoreRegisterWindow(this);
    ready.Set();
    return TRUE;
  }
  int ExitInstance() override {
    CoreUnregisterWindow(hwnd);
    return CWinThread::ExitInstance();
  }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM) override {
    received.push_back(msg);
    receivedOn = GetCurrentThreadId();
    return static_cast<LRESULT>(wParam);
  }

  struct Ready {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~Ready() { CloseHandle(event); }
    void Set() { SetEvent(event); }
  } ready;
  HWND hwnd = nullptr;
  std::vector<UINT> received;
  DWORD receivedOn = 0;
};

TEST(WinThread, MessageLoopDeliversOnTheThreadAndEndsOnQuitWithItsCode) {
  WindowThread thread;
  ASSERT_TRUE(thread.CreateThread());
  EXPECT_NE(thread.m_hThread, nullptr);
  EXPECT_NE(thread.m_nThreadID, GetCurrentThreadId());
  ASSERT_EQ(WaitForSingleObject(thread.ready.event, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(PostMessageW(thread.hwnd, WM_USER, 0, 0));
  EXPECT_TRUE(PostThreadMessageW(thread.m_nThreadID, WM_QUIT, 7, 0));
  EXPECT_EQ(thread.Join(), 7);
  EXPECT_EQ(thread.received, std::vector<UINT>{WM_USER});
  EXPECT_EQ(thread.receivedOn, thread.m_nThreadID);
  EXPECT_EQ(WaitForSingleObject(thread.m_hThread, 0), WAIT_OBJECT_0);
  EXPECT_FALSE(PostThreadMessageW(thread.m_nThreadID, WM_USER, 0, 0)) << "an ended thread has no queue";
  EXPECT_EQ(thread.Join(), 7);
}

TEST(WinThread, QuitPostedRightAfterCreationIsNotLost) {
  CWinThread thread;
  ASSERT_TRUE(thread.CreateThread());
  EXPECT_TRUE(PostThreadMessageW(thread.m_nThreadID, WM_QUIT, 3, 0));
  EXPECT_EQ(thread.Join(), 3);
}

class FailingInit : public CWinThread {
 public:
  BOOL InitInstance() override { return FALSE; }
  int Run() override {
    ran = true;
    return 99;
  }
  int ExitInstance() override {
    exited = true;
    return CWinThread::ExitInstance();
  }
  std::atomic<bool> ran{false}, exited{false};
};

TEST(WinThread, FailedInitInstanceSkipsRunAndExits) {
  FailingInit thread;
  ASSERT_TRUE(thread.CreateThread());
  EXPECT_EQ(thread.Join(), 0);
  EXPECT_FALSE(thread.ran);
  EXPECT_TRUE(thread.exited);
}

TEST(WinThread, CreationFailureIsReportedAndLeavesTheObjectUnstarted) {
  CWinThread::SimulateCreationFailure(true);
  CWinThread thread;
  EXPECT_FALSE(thread.CreateThread());
  CWinThread::SimulateCreationFailure(false);
  EXPECT_NE(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(thread.m_hThread, nullptr);
  EXPECT_EQ(thread.m_nThreadID, 0u);
  EXPECT_EQ(thread.Join(), 0);

  CWinThread suspended;
  EXPECT_FALSE(suspended.CreateThread(4));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

// A 200 ms poller, like the receiver's reader: records the tick of each poll.
class Poller : public CWinThread {
 public:
  int Run() override {
    while (!stop) {
      ticks.push_back(GetTickCount());
      Sleep(200);
    }
    return 0;
  }
  std::atomic<bool> stop{false};
  std::vector<DWORD> ticks;
};

TEST(SimulatedTime, TestThreadSleepRunsAWorkerThroughItsPolls) {
  SimulatedClock clock(1000);
  Poller poller;
  ASSERT_TRUE(poller.CreateThread());
  Sleep(5300);
  EXPECT_EQ(GetTickCount(), 6300u);
  poller.stop = true;
  poller.Join();
  ASSERT_EQ(poller.ticks.size(), 27u);
  for (size_t i = 0; i < poller.ticks.size(); ++i) EXPECT_EQ(poller.ticks[i], 1000 + 200 * i);
}

// A worker that ends without sleeping takes no simulated time, however long
// its end takes in real time, even while another thread ticks in short sleeps:
// the owner's wait for the end must not let time run on.
TEST(SimulatedTime, JoiningAWorkerLetsNoTimePass) {
  SimulatedClock clock(1000);
  struct Ticker : CWinThread {
    int Run() override {
      while (!stop) Sleep(1);
      return 0;
    }
    std::atomic<bool> stop{false};
  } ticker;
  ASSERT_TRUE(ticker.CreateThread());
  Sleep(5);
  for (int i = 0; i < 200; ++i) {
    struct Quick : CWinThread {
      BOOL InitInstance() override { return FALSE; }
    } quick;
    const DWORD before = GetTickCount();
    if (!quick.CreateThread()) break;
    quick.Join();
    const DWORD after = GetTickCount();
    EXPECT_EQ(after, before) << "round " << i;
    if (after != before) break;
  }
  ticker.stop = true;
  ticker.Join();
}

TEST(SimulatedTime, EqualDeadlinesWakeInTheOrderTheySlept) {
  SimulatedClock clock;
  std::vector<int> order;
  class Sleeper : public CWinThread {
   public:
    Sleeper(std::vector<int>& order, int id, std::vector<DWORD> sleeps) : order_(order), id_(id), sleeps_(sleeps) {}
    int Run() override {
      for (DWORD ms : sleeps_) Sleep(ms);
      order_.push_back(id_);
      return 0;
    }
    std::vector<int>& order_;
    int id_;
    std::vector<DWORD> sleeps_;
  };
  // Both are due at 500 ms; the first went to sleep first and wakes first.
  Sleeper first(order, 1, {500}), second(order, 2, {100, 400});
  ASSERT_TRUE(second.CreateThread());
  ASSERT_TRUE(first.CreateThread());
  first.Join();
  second.Join();
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  EXPECT_EQ(GetTickCount(), 500u);
}

TEST(SimulatedTime, ManualAdvanceStepsThroughEveryDeadline) {
  SimulatedClock clock(0, SimulatedClock::kManual);
  Poller poller;
  ASSERT_TRUE(poller.CreateThread());
  clock.WaitUntilBlocked(1);
  clock.Advance(1000);
  EXPECT_EQ(GetTickCount(), 1000u);
  EXPECT_EQ(poller.ticks, (std::vector<DWORD>{0, 200, 400, 600, 800, 1000}));
  poller.stop = true;
  clock.Advance(200);
  poller.Join();
}

TEST(SimulatedTime, TickCountWrapsAsADword) {
  SimulatedClock clock(0xFFFFFF00u);
  Sleep(0x200);
  EXPECT_EQ(GetTickCount(), 0x100u);
}

}  // namespace
