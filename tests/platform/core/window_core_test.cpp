#include "platform/core/last_error.h"
#include "platform/core/window_core.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr UINT kPrivateMessage = WM_USER + 1;

struct RecordingWindow : CoreWindow {
  std::vector<std::pair<UINT, WPARAM>> received;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    received.emplace_back(msg, wParam);
    return static_cast<LRESULT>(wParam) + lParam;
  }
};

void DrainQueue() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

TEST(WindowCore, PostsFromAnotherThreadArriveInOrderOnTheOwner) {
  RecordingWindow window;
  HWND hwnd = CoreRegisterWindow(&window);
  std::atomic<int> wakes{0};
  CoreSetQueueWaker([&] { ++wakes; });
  std::thread poster([&] {
    for (WPARAM i = 0; i < 100; ++i) EXPECT_TRUE(PostMessageW(hwnd, kPrivateMessage, i, 0));
  });
  poster.join();
  EXPECT_EQ(wakes.load(), 100);
  DrainQueue();
  ASSERT_EQ(window.received.size(), 100u);
  for (WPARAM i = 0; i < 100; ++i) EXPECT_EQ(window.received[i].second, i);
  CoreSetQueueWaker(nullptr);
  CoreUnregisterWindow(hwnd);
}

TEST(WindowCore, MessagesToAGoneWindowAreDropped) {
  RecordingWindow window;
  HWND hwnd = CoreRegisterWindow(&window);
  EXPECT_TRUE(PostMessageW(hwnd, kPrivateMessage, 0, 0));
  CoreUnregisterWindow(hwnd);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(PostMessageW(hwnd, kPrivateMessage, 1, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_EQ(SendMessageW(hwnd, kPrivateMessage, 2, 0), 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(DispatchMessageW(&msg), 0);
  EXPECT_TRUE(window.received.empty());

  RecordingWindow next;
  HWND again = CoreRegisterWindow(&next);
  EXPECT_NE(again, hwnd) << "a fresh window never takes a gone window's handle";
  CoreUnregisterWindow(again);
}

TEST(WindowCore, SendCallsTheWindowDirectly) {
  RecordingWindow window;
  HWND hwnd = CoreRegisterWindow(&window);
  EXPECT_EQ(SendMessageW(hwnd, WM_USER, 40, 2), 42);
  EXPECT_EQ(window.received.size(), 1u);
  CoreUnregisterWindow(hwnd);
}

TEST(WindowCore, PeekFiltersAndLeavesOthersQueued) {
  RecordingWindow a, b;
  HWND ha = CoreRegisterWindow(&a);
  HWND hb = CoreRegisterWindow(&b);
  PostMessageW(ha, WM_USER + 1, 1, 0);
  PostMessageW(hb, WM_USER + 2, 2, 0);
  PostMessageW(ha, WM_USER + 3, 3, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, hb, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.wParam, 2u);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER + 3, WM_USER + 3, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER + 3, WM_USER + 3, PM_REMOVE));
  DrainQueue();
  EXPECT_EQ(a.received.size(), 1u);
  EXPECT_EQ(b.received.size(), 1u);
  CoreUnregisterWindow(ha);
  CoreUnregisterWindow(hb);
}

TEST(WindowCore, GetMessageBlocksUntilAPostAndEndsOnQuit) {
  DWORD self = GetCurrentThreadId();
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
  std::thread poster([&] {
    PostThreadMessageW(self, WM_USER, 7, 0);
    PostThreadMessageW(self, WM_QUIT, 3, 0);
  });
  EXPECT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_USER);
  EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.wParam, 3u);
  poster.join();
}

TEST(WindowCore, PostingToAThreadWithoutQueueFails) {
  DWORD ended = 0;
  std::thread([&] {
    MSG msg;
    ended = GetCurrentThreadId();
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
  }).join();
  EXPECT_FALSE(PostThreadMessageW(ended, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
}

}  // namespace
