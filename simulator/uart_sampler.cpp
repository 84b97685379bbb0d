#include "simulator/uart_sampler.h"

#include <algorithm>

namespace sim {

namespace {

constexpr int kStopSample = 9;

}  // namespace

UartSampler::UartSampler(std::uint32_t line_baud, std::uint32_t uart_baud)
    : line_baud_(line_baud),
      uart_baud_(uart_baud),
      // Within about 5 % a UART reads the line correctly (its last sample
      // still falls into the stop bit); beyond that it reads garbage.
      garbage_(uart_baud_ * 100 < line_baud_ * 95 || uart_baud_ * 100 > line_baud_ * 105) {}

std::uint64_t UartSampler::SampleBit(int k) const {
  // In units of 1 / (2 * line_baud * uart_baud) seconds a line bit lasts
  // 2 * uart_baud and a UART bit 2 * line_baud; sample k sits in the middle
  // of UART bit k.
  const std::uint64_t at = 2 * edge_ * uart_baud_ + static_cast<std::uint64_t>(2 * k + 1) * line_baud_;
  return at / (2 * uart_baud_);
}

void UartSampler::Push(int level) {
  const std::uint64_t bit = next_bit_++;
  if (!in_frame_) {
    if (previous_level_ == 1 && level == 0) {
      in_frame_ = true;
      edge_ = bit;
      sample_ = 0;
      data_ = 0;
    }
    previous_level_ = level;
    if (!in_frame_) return;
  }
  while (in_frame_ && SampleBit(sample_) == bit) Sample(level);
  if (!in_frame_) previous_level_ = level;
}

void UartSampler::PushIdle(std::uint64_t count) {
  while (count > 0 && in_frame_) {
    // Let the frame in progress see idle bits up to its next sample.
    const std::uint64_t until = std::min(SampleBit(sample_), next_bit_ + count - 1);
    const std::uint64_t skip = until - next_bit_;
    next_bit_ += skip;
    count -= skip;
    Push(1);
    --count;
  }
  next_bit_ += count;
  if (count > 0) previous_level_ = 1;
}

void UartSampler::Sample(int level) {
  if (sample_ == 0 && level != 0) {
    // The start bit was a glitch: hunt for the next edge.
    in_frame_ = false;
    return;
  }
  if (sample_ >= 1 && sample_ <= 8) data_ |= static_cast<unsigned>(level) << (sample_ - 1);
  if (sample_ == kStopSample) {
    in_frame_ = false;
    // Linux hands up a byte with a framing error as NUL on a raw line.
    char byte = level == 1 ? static_cast<char>(data_) : '\0';
    // Garbage must never open a sentence: a scan that finds "$GP" or
    // "$PS" in it would take the wrong speed for the receiver's.
    if (garbage_ && byte == '$') byte = '\0';
    received_.push_back(byte);
    return;
  }
  ++sample_;
}

std::string UartSampler::Take() {
  std::string bytes;
  bytes.swap(received_);
  return bytes;
}

}  // namespace sim
