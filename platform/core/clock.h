// Time for the whole layer: GetTickCount, Sleep and every blocking wait
// (events, thread ends, message queues) go through one replaceable clock, so
// that tests can run the program's timing on simulated time.
#pragma once

#include "platform/core/win_types.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>

// The lock under which every kernel-like object (event, thread end, message
// queue) and the clock change state. Held only for short bookkeeping, never
// across a device call or a window procedure.
std::mutex& KernelLock();

// One thread blocked in the kernel. The object it waits on sets it through
// WakeWaiter; the clock sets `timedOut`. The remaining fields are the clock's.
struct KernelWaiter {
  std::condition_variable cv;
  bool signalled = false;
  bool timedOut = false;
  bool countedBlocked = false;
  bool timed = false;
  std::uint64_t deadline = 0;
  std::uint64_t sequence = 0;
};

// The time source. Every member is called with KernelLock held.
class Clock {
 public:
  virtual ~Clock();
  // Milliseconds on a monotonic scale.
  virtual std::uint64_t NowMs() = 0;
  // Blocks until `waiter.signalled` is set or `timeoutMs` (INFINITE: never)
  // has passed on this clock; returns waiter.signalled. `lock` holds KernelLock.
  virtual bool Block(std::unique_lock<std::mutex>& lock, KernelWaiter& waiter, DWORD timeoutMs) = 0;
  // The object `waiter` waits on has set it; called before it is notified.
  virtual void Released(KernelWaiter& waiter);
  // A worker thread about to be started from the calling thread; it calls
  // JoinTime first thing and LeaveTime last thing.
  virtual void ReserveThread();
  // The reserved thread could not be started.
  virtual void UnreserveThread();
  virtual void JoinTime();
  virtual void LeaveTime();
};

// The clock in force (the system's monotonic clock unless a test installed
// another). Called with KernelLock held.
Clock& CurrentClock();
// Replaces the clock in force; nullptr restores the system clock. Only while
// no thread is blocked on the old one.
void InstallClock(Clock* clock);

// Sets `waiter.signalled` and wakes its thread. Called with KernelLock held.
void WakeWaiter(KernelWaiter& waiter);

// Maps to CLOCK_MONOTONIC milliseconds truncated to 32 bits (wraps after 49.7 days).
DWORD GetTickCount();
// Maps to CLOCK_REALTIME: milliseconds since 1970-01-01 UTC, for the times
// written into saved files (not the replaceable clock: a file's name and rows
// tell the wall-clock time even under simulated time).
std::int64_t UtcNowMs();
// Maps to a timed wait on the clock in force (sched_yield for 0).
void Sleep(DWORD milliseconds);
