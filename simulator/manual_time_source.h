// A clock that only moves when told to, for tests. Threads that wait on it
// sleep until Advance has moved the time past their deadline; Advance returns
// once every thread it woke has gone back to waiting, so a test sees the work
// done for the new time as soon as Advance returns.
#pragma once

#include "simulator/time_source.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <set>

namespace sim {

class ManualTimeSource : public TimeSource {
 public:
  explicit ManualTimeSource(std::uint64_t start_ms = 0);

  std::uint64_t NowMs() override;
  bool WaitFor(std::uint32_t ms, std::stop_token stop) override;

  // Moves the time on by ms, then waits until every thread that was
  // waiting before the move waits again for a later time. A thread must
  // not be stopped while Advance runs: it would never come back.
  void Advance(std::uint32_t ms);

  // Waits until count threads wait for a time still to come.
  void WaitForSleepers(std::size_t count);

 private:
  std::size_t SleepersLocked() const;

  std::mutex m_mutex;
  std::condition_variable_any m_changed;
  std::uint64_t m_nowMs;
  std::multiset<std::uint64_t> m_deadlines;
};

}  // namespace sim
