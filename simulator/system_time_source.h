// The real clock: std::chrono::steady_clock and a condition variable wait.
#pragma once

#include "simulator/time_source.h"

#include <condition_variable>
#include <mutex>

namespace sim {

class SystemTimeSource : public TimeSource {
 public:
  std::uint64_t NowMs() override;
  bool WaitFor(std::uint32_t ms, std::stop_token stop) override;

 private:
  std::mutex m_mutex;
  std::condition_variable_any m_wake;
};

}  // namespace sim
