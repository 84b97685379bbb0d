// A thread's queue of posted messages. Every member is called with
// KernelLock held; the window and thread functions of window_core.h and
// CWinThread are its only users.
#pragma once

#include "platform/core/clock.h"

#include <deque>
#include <functional>
#include <memory>
#include <vector>

class MessageQueue {
 public:
  // Appends `msg` and wakes a thread blocked in Wait. Returns the waker to
  // call once KernelLock is released (empty when none is set).
  std::function<void()> Post(const MSG& msg);
  // Copies the first message for `hwnd` (NULL: any) within [first, last]
  // (both 0: any) to `out`, removing it when `remove`.
  bool Take(MSG* out, HWND hwnd, UINT first, UINT last, bool remove);
  // Blocks until the next post. `lock` holds KernelLock.
  void Wait(std::unique_lock<std::mutex>& lock);
  void SetWaker(std::function<void()> waker) { m_waker = std::move(waker); }

 private:
  std::deque<MSG> m_messages;
  std::vector<KernelWaiter*> m_waiters;
  std::function<void()> m_waker;
};

// Thread identities and their queues, with KernelLock held.
// A fresh thread id, for a thread about to be started (CWinThread).
DWORD CoreAllocateThreadId();
// The queue of thread `id`, created when `create` and missing; nullptr when
// the thread has none.
std::shared_ptr<MessageQueue> CoreThreadQueue(DWORD id, bool create);
// Removes the queue of thread `id`: later posts to it fail.
void CoreRemoveThreadQueue(DWORD id);
// Gives the calling thread the id allocated for it (call without the lock).
void CoreAdoptThreadId(DWORD id);
