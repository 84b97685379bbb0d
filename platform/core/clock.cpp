#include "platform/core/clock.h"

#include <chrono>
#include <thread>

namespace {

// The system's monotonic clock: waits are condition-variable waits with a
// steady_clock deadline.
class SystemClock final : public Clock {
 public:
  std::uint64_t NowMs() override {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
  }

  bool Block(std::unique_lock<std::mutex>& lock, KernelWaiter& waiter, DWORD timeoutMs) override {
    if (timeoutMs == INFINITE) {
      waiter.cv.wait(lock, [&] { return waiter.signalled; });
      return true;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    return waiter.cv.wait_until(lock, deadline, [&] { return waiter.signalled; });
  }
};

SystemClock& TheSystemClock() {
  static SystemClock* clock = new SystemClock;
  return *clock;
}

Clock* g_clock = nullptr;

}  // namespace

std::mutex& KernelLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}

Clock::~Clock() = default;
void Clock::Released(KernelWaiter&) {}
void Clock::ReserveThread() {}
void Clock::UnreserveThread() {}
void Clock::JoinTime() {}
void Clock::LeaveTime() {}

Clock& CurrentClock() { return g_clock ? *g_clock : TheSystemClock(); }

void InstallClock(Clock* clock) {
  std::lock_guard lock(KernelLock());
  g_clock = clock;
}

void WakeWaiter(KernelWaiter& waiter) {
  if (waiter.signalled) return;
  waiter.signalled = true;
  CurrentClock().Released(waiter);
  waiter.cv.notify_one();
}

DWORD GetTickCount() {
  std::lock_guard lock(KernelLock());
  return static_cast<DWORD>(CurrentClock().NowMs());
}

std::int64_t UtcNowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

void Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  std::unique_lock lock(KernelLock());
  KernelWaiter waiter;
  CurrentClock().Block(lock, waiter, milliseconds);
}
