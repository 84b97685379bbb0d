#include "simulator/system_time_source.h"

#include <chrono>

namespace sim {

std::uint64_t SystemTimeSource::NowMs() {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

bool SystemTimeSource::WaitFor(std::uint32_t ms, std::stop_token stop) {
  std::unique_lock lock(m_mutex);
  // Nothing ever notifies this variable except a stop request, so the wait
  // ends either at the time-out or at the stop.
  m_wake.wait_for(lock, stop, std::chrono::milliseconds(ms), [] { return false; });
  return !stop.stop_requested();
}

}  // namespace sim
