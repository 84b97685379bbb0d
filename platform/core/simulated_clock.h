// Simulated time for tests: GetTickCount, Sleep and every timed wait of the
// layer run on a clock that moves only when the test lets it, so 200 ms polls,
// one-second windows and 26 empty polls take milliseconds of real time and
// happen in the same order on every run.
//
// Threads that take part in simulated time: the thread that constructs the
// clock in kAutoAdvance mode, and every CWinThread started while the clock is
// installed. Threads that take no part still see the simulated tick count and
// sleep on it, but time does not wait for them.
//
// kAutoAdvance: whenever every participating thread is blocked in the kernel
// (Sleep, WaitForSingleObject, GetMessageW), time jumps to the earliest
// deadline and wakes that one waiter. Waiters due at the same instant wake
// one at a time in the order they went to sleep. The test thread lets time
// pass by sleeping: `Sleep(5300)` runs a 200 ms polling worker through its
// 26 polls and returns at tick start + 5300. A thread blocked outside the
// kernel (in a read, in a Qt event loop) holds time still.
//
// kManual: time moves only through Advance, for tests whose driving thread
// does not block in the kernel (a Qt event loop). Advance wakes the due waiters
// in deadline order and, after each, waits until every participating thread
// is blocked again before going on.
//
// Install the clock before starting the threads that use it, and destroy it
// only after they have been joined.
#pragma once

#include "platform/core/clock.h"

#include <map>
#include <utility>

class SimulatedClock final : public Clock {
 public:
  enum Mode { kAutoAdvance, kManual };

  // Installs the clock, at tick `startTick`; in kAutoAdvance mode the calling
  // thread becomes a participant.
  explicit SimulatedClock(DWORD startTick = 0, Mode mode = kAutoAdvance);
  ~SimulatedClock() override;
  SimulatedClock(const SimulatedClock&) = delete;
  SimulatedClock& operator=(const SimulatedClock&) = delete;

  // Moves time forward by `milliseconds` (kManual; in kAutoAdvance mode the
  // participants' own blocking moves time).
  void Advance(DWORD milliseconds);
  // Blocks (in real time) until `count` participants other than the caller
  // are blocked in the kernel; lets a kManual test wait for workers to settle.
  void WaitUntilBlocked(int count);

  std::uint64_t NowMs() override;
  bool Block(std::unique_lock<std::mutex>& lock, KernelWaiter& waiter, DWORD timeoutMs) override;
  void Released(KernelWaiter& waiter) override;
  void ReserveThread() override;
  void UnreserveThread() override;
  void JoinTime() override;
  void LeaveTime() override;

 private:
  using Key = std::pair<std::uint64_t, std::uint64_t>;
  void Unblock(KernelWaiter& waiter);
  void AdvanceIfAllBlocked();
  bool FireEarliest(std::uint64_t limit);

  Mode m_mode;
  std::uint64_t m_now;
  std::uint64_t m_sequence = 0;
  int m_participants = 0;
  int m_blocked = 0;
  std::map<Key, KernelWaiter*> m_timed;
  std::condition_variable m_settled;
};
