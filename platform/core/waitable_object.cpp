#include "platform/core/waitable_object.h"

#include <algorithm>

WaitableObject::WaitableObject(HandleType type, bool manualReset, bool initialState)
    : KernelObject(type), m_manualReset(manualReset), m_signalled(initialState) {}

void WaitableObject::Set() {
  std::lock_guard lock(KernelLock());
  if (m_manualReset) {
    m_signalled = true;
    for (KernelWaiter* waiter : m_waiters) WakeWaiter(*waiter);
    m_waiters.clear();
  } else if (!m_waiters.empty()) {
    KernelWaiter* waiter = m_waiters.front();
    m_waiters.pop_front();
    WakeWaiter(*waiter);
  } else {
    m_signalled = true;
  }
}

void WaitableObject::Reset() {
  std::lock_guard lock(KernelLock());
  m_signalled = false;
}

DWORD WaitableObject::Wait(DWORD timeoutMs) {
  std::unique_lock lock(KernelLock());
  if (m_signalled) {
    if (!m_manualReset) m_signalled = false;
    return WAIT_OBJECT_0;
  }
  if (timeoutMs == 0) return WAIT_TIMEOUT;
  KernelWaiter waiter;
  m_waiters.push_back(&waiter);
  bool released = CurrentClock().Block(lock, waiter, timeoutMs);
  if (!released) m_waiters.erase(std::find(m_waiters.begin(), m_waiters.end(), &waiter));
  return released ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
