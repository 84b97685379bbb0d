// Windows as the kernel knows them, and the message queues that feed them.
// A window belongs to the thread that registers it; messages posted to it
// from any thread are queued on that thread, in the order posted, and
// delivered by that thread's message loop. Handles are checked on every use,
// so a message for a window that has gone is dropped, never delivered to
// freed memory. The user-interface layer registers its windows here and
// drains its thread's queue from its own event loop (CoreSetQueueWaker).
#pragma once

#include "platform/core/win_types.h"

#include <functional>

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// A window object known to the core; receives messages on the thread that
// registered it.
class CoreWindow {
 public:
  virtual ~CoreWindow();
  virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
};

// Maps to an entry in the window table; the calling thread owns the window.
// The handle value is never handed out again in this process.
HWND CoreRegisterWindow(CoreWindow* window);
// Maps to removing the entry: later posts fail, queued messages are dropped
// when dispatched, SendMessageW returns 0.
void CoreUnregisterWindow(HWND hwnd);
// The window behind `hwnd`, or nullptr when it has gone.
CoreWindow* CoreLookupWindow(HWND hwnd);
// Maps to a window-table lookup.
BOOL IsWindow(HWND hwnd);

// Maps to appending to the owner thread's queue (hwnd NULL: the calling
// thread's queue); any thread. FALSE with ERROR_INVALID_WINDOW_HANDLE when the
// window has gone.
BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Maps to a direct call of the window's WindowProc on the calling thread (the
// owner); 0 when the window has gone.
LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Maps to appending to thread `threadId`'s queue; FALSE with
// ERROR_INVALID_THREAD_ID when that thread has no queue (not started, ended).
BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
// Maps to a per-thread number handed out by the layer (never reused).
DWORD GetCurrentThreadId();

// Maps to a blocking wait on the calling thread's queue (through the clock in
// force). FALSE when the message taken is WM_QUIT, TRUE otherwise.
BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
// Maps to a non-blocking look at the calling thread's queue.
BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);
// Maps to a window-table lookup and a call of WindowProc; a message for a
// window that has gone (or for no window) is dropped and gives 0.
LRESULT DispatchMessageW(const MSG* msg);

// Sets the calling thread's queue waker: called on the posting thread after
// every post to this queue, so a GUI event loop can schedule a drain with
// PeekMessageW. It must be safe to call from any thread. An empty function
// removes it; a call already under way finishes on its own copy.
void CoreSetQueueWaker(std::function<void()> waker);
