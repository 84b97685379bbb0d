#include "platform/core/waitable_object.h"

#include <algorithm>

WaitableObject::WaitableObject(HandleType type, bool manualReset, bool initialState)
    : KernelObject(type), manualReset_(manualReset), signalled_(initialState) {}

void WaitableObject::Set() {
  std::lock_guard lock(KernelLock());
  if (manualReset_) {
    signalled_ = true;
    for (KernelWaiter* waiter : waiters_) WakeWaiter(*waiter);
    waiters_.clear();
  } else if (!waiters_.empty()) {
    KernelWaiter* waiter = waiters_.front();
    waiters_.pop_front();
    WakeWaiter(*waiter);
  } else {
    signalled_ = true;
  }
}

void WaitableObject::Reset() {
  std::lock_guard lock(KernelLock());
  signalled_ = false;
}

DWORD WaitableObject::Wait(DWORD timeoutMs) {
  std::unique_lock lock(KernelLock());
  if (signalled_) {
    if (!manualReset_) signalled_ = false;
    return WAIT_OBJECT_0;
  }
  if (timeoutMs == 0) return WAIT_TIMEOUT;
  KernelWaiter waiter;
  waiters_.push_back(&waiter);
  bool released = CurrentClock().Block(lock, waiter, timeoutMs);
  if (!released) waiters_.erase(std::find(waiters_.begin(), waiters_.end(), &waiter));
  return released ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
