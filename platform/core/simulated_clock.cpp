#include "platform/core/simulated_clock.h"

#include <cassert>
#include <limits>

namespace {
// Whether the calling thread takes part in the installed simulated time.
thread_local bool t_participant = false;
}  // namespace

SimulatedClock::SimulatedClock(DWORD startTick, Mode mode) : m_mode(mode), m_now(startTick) {
  if (m_mode == kAutoAdvance) {
    m_participants = 1;
    t_participant = true;
  }
  InstallClock(this);
}

SimulatedClock::~SimulatedClock() {
  {
    std::lock_guard lock(KernelLock());
    assert(m_timed.empty() && m_blocked == 0);
    if (m_mode == kAutoAdvance) t_participant = false;
  }
  InstallClock(nullptr);
}

std::uint64_t SimulatedClock::NowMs() { return m_now; }

void SimulatedClock::Advance(DWORD milliseconds) {
  std::unique_lock lock(KernelLock());
  std::uint64_t target = m_now + milliseconds;
  while (FireEarliest(target)) {
    m_settled.wait(lock, [&] { return m_blocked == m_participants; });
  }
  m_now = target;
}

void SimulatedClock::WaitUntilBlocked(int count) {
  std::unique_lock lock(KernelLock());
  m_settled.wait(lock, [&] { return m_blocked >= count; });
}

bool SimulatedClock::Block(std::unique_lock<std::mutex>& lock, KernelWaiter& waiter, DWORD timeoutMs) {
  if (waiter.signalled) return true;
  if (timeoutMs == 0) return false;
  waiter.timedOut = false;
  if (timeoutMs != INFINITE) {
    waiter.timed = true;
    waiter.deadline = m_now + timeoutMs;
    waiter.sequence = ++m_sequence;
    m_timed.emplace(Key{waiter.deadline, waiter.sequence}, &waiter);
  }
  if (t_participant) {
    waiter.countedBlocked = true;
    ++m_blocked;
    m_settled.notify_all();
  }
  AdvanceIfAllBlocked();
  waiter.cv.wait(lock, [&] { return waiter.signalled || waiter.timedOut; });
  Unblock(waiter);
  return waiter.signalled;
}

void SimulatedClock::Released(KernelWaiter& waiter) { Unblock(waiter); }

void SimulatedClock::ReserveThread() { ++m_participants; }

void SimulatedClock::UnreserveThread() {
  --m_participants;
  m_settled.notify_all();
  AdvanceIfAllBlocked();
}

void SimulatedClock::JoinTime() { t_participant = true; }

void SimulatedClock::LeaveTime() {
  if (!t_participant) return;
  t_participant = false;
  --m_participants;
  m_settled.notify_all();
  AdvanceIfAllBlocked();
}

void SimulatedClock::Unblock(KernelWaiter& waiter) {
  if (waiter.timed) {
    m_timed.erase(Key{waiter.deadline, waiter.sequence});
    waiter.timed = false;
  }
  if (waiter.countedBlocked) {
    waiter.countedBlocked = false;
    --m_blocked;
  }
}

void SimulatedClock::AdvanceIfAllBlocked() {
  if (m_mode != kAutoAdvance) return;
  while (m_participants > 0 && m_blocked == m_participants) {
    if (!FireEarliest(std::numeric_limits<std::uint64_t>::max())) return;
  }
}

bool SimulatedClock::FireEarliest(std::uint64_t limit) {
  if (m_timed.empty() || m_timed.begin()->first.first > limit) return false;
  KernelWaiter& waiter = *m_timed.begin()->second;
  if (waiter.deadline > m_now) m_now = waiter.deadline;
  waiter.timedOut = true;
  Unblock(waiter);
  waiter.cv.notify_one();
  return true;
}
