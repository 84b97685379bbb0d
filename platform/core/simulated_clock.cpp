#include "platform/core/simulated_clock.h"

#include <cassert>
#include <limits>

namespace {
// Whether the calling thread takes part in the installed simulated time.
thread_local bool t_participant = false;
}  // namespace

SimulatedClock::SimulatedClock(DWORD startTick, Mode mode) : mode_(mode), now_(startTick) {
  if (mode_ == kAutoAdvance) {
    participants_ = 1;
    t_participant = true;
  }
  InstallClock(this);
}

SimulatedClock::~SimulatedClock() {
  {
    std::lock_guard lock(KernelLock());
    assert(timed_.empty() && blocked_ == 0);
    if (mode_ == kAutoAdvance) t_participant = false;
  }
  InstallClock(nullptr);
}

std::uint64_t SimulatedClock::NowMs() { return now_; }

void SimulatedClock::Advance(DWORD milliseconds) {
  std::unique_lock lock(KernelLock());
  std::uint64_t target = now_ + milliseconds;
  while (FireEarliest(target)) {
    settled_.wait(lock, [&] { return blocked_ == participants_; });
  }
  now_ = target;
}

void SimulatedClock::WaitUntilBlocked(int count) {
  std::unique_lock lock(KernelLock());
  settled_.wait(lock, [&] { return blocked_ >= count; });
}

bool SimulatedClock::Block(std::unique_lock<std::mutex>& lock, KernelWaiter& waiter, DWORD timeoutMs) {
  if (waiter.signalled) return true;
  if (timeoutMs == 0) return false;
  waiter.timedOut = false;
  if (timeoutMs != INFINITE) {
    waiter.timed = true;
    waiter.deadline = now_ + timeoutMs;
    waiter.sequence = ++sequence_;
    timed_.emplace(Key{waiter.deadline, waiter.sequence}, &waiter);
  }
  if (t_participant) {
    waiter.countedBlocked = true;
    ++blocked_;
    settled_.notify_all();
  }
  AdvanceIfAllBlocked();
  waiter.cv.wait(lock, [&] { return waiter.signalled || waiter.timedOut; });
  Unblock(waiter);
  return waiter.signalled;
}

void SimulatedClock::Released(KernelWaiter& waiter) { Unblock(waiter); }

void SimulatedClock::ReserveThread() { ++participants_; }

void SimulatedClock::UnreserveThread() {
  --participants_;
  settled_.notify_all();
  AdvanceIfAllBlocked();
}

void SimulatedClock::JoinTime() { t_participant = true; }

void SimulatedClock::LeaveTime() {
  if (!t_participant) return;
  t_participant = false;
  --participants_;
  settled_.notify_all();
  AdvanceIfAllBlocked();
}

void SimulatedClock::Unblock(KernelWaiter& waiter) {
  if (waiter.timed) {
    timed_.erase(Key{waiter.deadline, waiter.sequence});
    waiter.timed = false;
  }
  if (waiter.countedBlocked) {
    waiter.countedBlocked = false;
    --blocked_;
  }
}

void SimulatedClock::AdvanceIfAllBlocked() {
  if (mode_ != kAutoAdvance) return;
  while (participants_ > 0 && blocked_ == participants_) {
    if (!FireEarliest(std::numeric_limits<std::uint64_t>::max())) return;
  }
}

bool SimulatedClock::FireEarliest(std::uint64_t limit) {
  if (timed_.empty() || timed_.begin()->first.first > limit) return false;
  KernelWaiter& waiter = *timed_.begin()->second;
  if (waiter.deadline > now_) now_ = waiter.deadline;
  waiter.timedOut = true;
  Unblock(waiter);
  waiter.cv.notify_one();
  return true;
}
