// Drives a ReceiverEngine on simulated time and keeps what it delivered.
#pragma once

#include "simulator/receiver_engine.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim_test {

struct Delivery {
  std::string bytes;                 // everything delivered, in order
  std::vector<std::uint64_t> times;  // the step (end time, ms) each byte came in

  std::size_t Find(std::string_view text, std::size_t from = 0) const { return bytes.find(text, from); }

  // Bytes that came in steps ending after from_ms and before to_ms.
  std::size_t CountBetween(std::uint64_t from_ms, std::uint64_t to_ms) const {
    std::size_t count = 0;
    for (std::uint64_t t : times) count += t > from_ms && t < to_ms ? 1 : 0;
    return count;
  }
};

// Runs engine from from_ms (exclusive) to to_ms in steps of step_ms with the
// program's side at line_speed, appending to delivery.
inline void Drive(sim::ReceiverEngine& engine, std::uint64_t from_ms, std::uint64_t to_ms, std::uint32_t line_speed,
                  Delivery& delivery, std::uint64_t step_ms = 10) {
  for (std::uint64_t t = from_ms + step_ms; t <= to_ms; t += step_ms) {
    const std::string bytes = engine.Advance(t, line_speed);
    delivery.bytes += bytes;
    delivery.times.insert(delivery.times.end(), bytes.size(), t);
  }
}

}  // namespace sim_test
