// A kernel object a thread can wait on: an event, or a thread that signals
// when it ends. State changes under KernelLock; waits go through the clock.
#pragma once

#include "platform/core/clock.h"
#include "platform/core/handle_table.h"

#include <deque>

class WaitableObject : public KernelObject {
 public:
  WaitableObject(HandleType type, bool manualReset, bool initialState);

  // Signalled: a manual-reset object releases every waiter and stays
  // signalled; an auto-reset one releases the longest waiter, or stays
  // signalled until one comes.
  void Set();
  void Reset();
  // WAIT_OBJECT_0 when signalled within `timeoutMs` (INFINITE: no limit),
  // WAIT_TIMEOUT otherwise. An auto-reset object is reset by the wait it ends.
  DWORD Wait(DWORD timeoutMs);

 private:
  bool m_manualReset;
  bool m_signalled;
  std::deque<KernelWaiter*> m_waiters;
};
