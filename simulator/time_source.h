// The clock the simulated receiver runs on. Production uses the system's
// monotonic clock; tests move a manual one so that cadence and pacing are
// checked without sleeping.
#pragma once

#include <cstdint>
#include <stop_token>

namespace sim {

class TimeSource {
 public:
  virtual ~TimeSource() = default;

  // Milliseconds on a monotonic scale; only differences mean anything.
  virtual std::uint64_t NowMs() = 0;

  // Waits ms milliseconds of this clock's time. Returns false as soon as
  // stop is requested, true when the time has passed.
  virtual bool WaitFor(std::uint32_t ms, std::stop_token stop) = 0;
};

}  // namespace sim
