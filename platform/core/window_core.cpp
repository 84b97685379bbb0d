#include "platform/core/window_core.h"

#include "platform/core/last_error.h"
#include "platform/core/message_queue.h"

#include <unordered_map>

namespace {

struct WindowEntry {
  CoreWindow* window;
  DWORD thread;
};

struct WindowTable {
  std::unordered_map<std::uintptr_t, WindowEntry> windows;
  // Steps by 2 from an even start: never NULL, never reused.
  std::uintptr_t next = 0x10010;
};

// Guarded by KernelLock.
WindowTable& Windows() {
  static auto* table = new WindowTable;
  return *table;
}

std::uintptr_t Key(HWND hwnd) { return reinterpret_cast<std::uintptr_t>(hwnd); }

BOOL PostToQueue(std::unique_lock<std::mutex>& lock, MessageQueue& queue, const MSG& msg) {
  std::function<void()> waker = queue.Post(msg);
  lock.unlock();
  if (waker) waker();
  return TRUE;
}

MSG MakeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return MSG{hwnd, message, wParam, lParam, static_cast<DWORD>(CurrentClock().NowMs()), POINT{0, 0}};
}

}  // namespace

CoreWindow::~CoreWindow() = default;

HWND CoreRegisterWindow(CoreWindow* window) {
  DWORD thread = GetCurrentThreadId();
  std::lock_guard lock(KernelLock());
  CoreThreadQueue(thread, true);
  WindowTable& table = Windows();
  std::uintptr_t value = table.next;
  table.next += 2;
  table.windows.emplace(value, WindowEntry{window, thread});
  return reinterpret_cast<HWND>(value);
}

void CoreUnregisterWindow(HWND hwnd) {
  std::lock_guard lock(KernelLock());
  Windows().windows.erase(Key(hwnd));
}

CoreWindow* CoreLookupWindow(HWND hwnd) {
  std::lock_guard lock(KernelLock());
  auto& windows = Windows().windows;
  auto it = windows.find(Key(hwnd));
  return it == windows.end() ? nullptr : it->second.window;
}

BOOL IsWindow(HWND hwnd) { return CoreLookupWindow(hwnd) != nullptr ? TRUE : FALSE; }

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd == nullptr) return PostThreadMessageW(GetCurrentThreadId(), message, wParam, lParam);
  std::unique_lock lock(KernelLock());
  auto& windows = Windows().windows;
  auto it = windows.find(Key(hwnd));
  std::shared_ptr<MessageQueue> queue;
  if (it != windows.end()) queue = CoreThreadQueue(it->second.thread, false);
  if (!queue) {
    lock.unlock();
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return PostToQueue(lock, *queue, MakeMessage(hwnd, message, wParam, lParam));
}

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CoreWindow* window = CoreLookupWindow(hwnd);
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return window->WindowProc(message, wParam, lParam);
}

BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  std::unique_lock lock(KernelLock());
  std::shared_ptr<MessageQueue> queue = CoreThreadQueue(threadId, false);
  if (!queue) {
    lock.unlock();
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  return PostToQueue(lock, *queue, MakeMessage(nullptr, message, wParam, lParam));
}

BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  DWORD thread = GetCurrentThreadId();
  std::unique_lock lock(KernelLock());
  std::shared_ptr<MessageQueue> queue = CoreThreadQueue(thread, true);
  while (!queue->Take(msg, hwnd, filterMin, filterMax, true)) queue->Wait(lock);
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
  DWORD thread = GetCurrentThreadId();
  std::lock_guard lock(KernelLock());
  std::shared_ptr<MessageQueue> queue = CoreThreadQueue(thread, true);
  return queue->Take(msg, hwnd, filterMin, filterMax, (removeMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (msg->hwnd == nullptr) return 0;
  CoreWindow* window = CoreLookupWindow(msg->hwnd);
  if (window == nullptr) return 0;
  return window->WindowProc(msg->message, msg->wParam, msg->lParam);
}

void CoreSetQueueWaker(std::function<void()> waker) {
  DWORD thread = GetCurrentThreadId();
  std::lock_guard lock(KernelLock());
  CoreThreadQueue(thread, true)->SetWaker(std::move(waker));
}
