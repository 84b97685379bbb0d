#include "simulator/manual_time_source.h"

#include <iterator>

namespace sim {

ManualTimeSource::ManualTimeSource(std::uint64_t start_ms) : m_nowMs(start_ms) {}

std::uint64_t ManualTimeSource::NowMs() {
  std::lock_guard lock(m_mutex);
  return m_nowMs;
}

bool ManualTimeSource::WaitFor(std::uint32_t ms, std::stop_token stop) {
  std::unique_lock lock(m_mutex);
  const std::uint64_t deadline = m_nowMs + ms;
  const auto entry = m_deadlines.insert(deadline);
  m_changed.notify_all();
  const bool reached = m_changed.wait(lock, stop, [&] { return m_nowMs >= deadline; });
  m_deadlines.erase(entry);
  m_changed.notify_all();
  return reached;
}

void ManualTimeSource::Advance(std::uint32_t ms) {
  std::unique_lock lock(m_mutex);
  const std::size_t sleepers = m_deadlines.size();
  m_nowMs += ms;
  m_changed.notify_all();
  m_changed.wait(lock, [&] { return SleepersLocked() >= sleepers; });
}

void ManualTimeSource::WaitForSleepers(std::size_t count) {
  std::unique_lock lock(m_mutex);
  m_changed.wait(lock, [&] { return SleepersLocked() >= count; });
}

std::size_t ManualTimeSource::SleepersLocked() const {
  return static_cast<std::size_t>(std::distance(m_deadlines.upper_bound(m_nowMs), m_deadlines.end()));
}

}  // namespace sim
