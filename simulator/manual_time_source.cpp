#include "simulator/manual_time_source.h"

#include <iterator>

namespace sim {

ManualTimeSource::ManualTimeSource(std::uint64_t start_ms) : now_ms_(start_ms) {}

std::uint64_t ManualTimeSource::NowMs() {
  std::lock_guard lock(mutex_);
  return now_ms_;
}

bool ManualTimeSource::WaitFor(std::uint32_t ms, std::stop_token stop) {
  std::unique_lock lock(mutex_);
  const std::uint64_t deadline = now_ms_ + ms;
  const auto entry = deadlines_.insert(deadline);
  changed_.notify_all();
  const bool reached = changed_.wait(lock, stop, [&] { return now_ms_ >= deadline; });
  deadlines_.erase(entry);
  changed_.notify_all();
  return reached;
}

void ManualTimeSource::Advance(std::uint32_t ms) {
  std::unique_lock lock(mutex_);
  const std::size_t sleepers = deadlines_.size();
  now_ms_ += ms;
  changed_.notify_all();
  changed_.wait(lock, [&] { return SleepersLocked() >= sleepers; });
}

void ManualTimeSource::WaitForSleepers(std::size_t count) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return SleepersLocked() >= count; });
}

std::size_t ManualTimeSource::SleepersLocked() const {
  return static_cast<std::size_t>(std::distance(deadlines_.upper_bound(now_ms_), deadlines_.end()));
}

}  // namespace sim
