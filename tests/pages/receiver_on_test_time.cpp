#include "receiver_on_test_time.h"

#include <mutex>

#include "platform/core/clock.h"
#include "platform/core/event.h"

CoreClockTimeSource::CoreClockTimeSource() : m_hWake(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CoreClockTimeSource::~CoreClockTimeSource() { CloseHandle(m_hWake); }

void CoreClockTimeSource::Reserve() {
  ResetEvent(m_hWake);
  m_bJoined = false;
  std::lock_guard lock(KernelLock());
  CurrentClock().ReserveThread();
}

void CoreClockTimeSource::Unreserve() {
  std::lock_guard lock(KernelLock());
  CurrentClock().UnreserveThread();
}

std::uint64_t CoreClockTimeSource::NowMs() {
  std::lock_guard lock(KernelLock());
  return CurrentClock().NowMs();
}

bool CoreClockTimeSource::WaitFor(std::uint32_t ms, std::stop_token stop) {
  if (!m_bJoined) {
    std::lock_guard lock(KernelLock());
    CurrentClock().JoinTime();
    m_bJoined = true;
  }
  std::stop_callback wake(stop, [this] { SetEvent(m_hWake); });
  if (!stop.stop_requested()) WaitForSingleObject(m_hWake, ms);
  if (stop.stop_requested()) {
    Leave();
    return false;
  }
  return true;
}

void CoreClockTimeSource::Leave() {
  std::lock_guard lock(KernelLock());
  CurrentClock().LeaveTime();
}

ReceiverOnTestTime::~ReceiverOnTestTime() { Stop(); }

bool ReceiverOnTestTime::Start(const sim::ReceiverOptions& options) {
  std::string error;
  time_.Reserve();
  if (receiver_.Start(options, &error)) return true;
  time_.Unreserve();
  return false;
}

void ReceiverOnTestTime::Stop() { receiver_.Stop(); }
