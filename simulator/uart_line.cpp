#include "simulator/uart_line.h"

#include <algorithm>
#include <utility>

namespace sim {

namespace {

constexpr int kFrameBits = 10;

}  // namespace

UartLine::UartLine(std::uint32_t baud) : baud_(baud) {}

void UartLine::Send(std::string bytes, std::uint32_t pause_after_ms, bool is_sentence) {
  queue_.push_back({std::move(bytes), std::uint64_t{pause_after_ms} * baud_ / 1000, is_sentence});
}

void UartLine::Drop() {
  queue_.clear();
  next_byte_ = 0;
  pause_bits_left_ = 0;
}

std::uint64_t UartLine::BacklogBits() const {
  std::uint64_t bits = static_cast<std::uint64_t>(frame_bits_left_) + pause_bits_left_;
  bool front = true;
  for (const Chunk& chunk : queue_) {
    const std::size_t bytes = chunk.bytes.size() - (front ? next_byte_ : 0);
    bits += bytes * kFrameBits + chunk.pause_bits;
    front = false;
  }
  return bits;
}

std::uint64_t UartLine::NextDeliveryMs() const {
  std::uint64_t bits = static_cast<std::uint64_t>(frame_bits_left_);
  std::size_t bytes = 0;
  bool found = false;
  if (frame_bits_left_ > 0) {
    bytes = 1;
    // The frame under way was the last of its piece once the piece has left
    // the queue.
    found = next_byte_ == 0;
  }
  if (!found) {
    bits += pause_bits_left_;
    bool front = true;
    for (const Chunk& chunk : queue_) {
      const std::size_t left = chunk.bytes.size() - (front ? next_byte_ : 0);
      front = false;
      if (left == 0) {
        bits += chunk.pause_bits;
        continue;
      }
      const std::size_t take = std::min(kBatchBytes - bytes, left);
      bits += take * kFrameBits;
      bytes += take;
      found = true;
      break;
    }
    if (!found && bytes > 0) found = true;  // the frame under way ends a piece
  }
  if (!found && sampler_ && sampler_->InFrame()) {
    // A UART at another speed still finishes the frame it is in.
    bits = 2 * kFrameBits * baud_ / uart_baud_ + 1;
    found = true;
  }
  if (!found) return UINT64_MAX;
  const std::uint64_t bit = bit_clock_ + bits;
  return (bit * 1000 + baud_ - 1) / baud_;
}

std::string UartLine::Advance(std::uint64_t now_ms, std::uint32_t uart_baud) {
  if (uart_baud != uart_baud_) {
    // A UART that has just been set to a new speed starts hunting afresh.
    uart_baud_ = uart_baud;
    sampler_.reset();
    if (uart_baud != 0 && uart_baud != baud_) sampler_.emplace(baud_, uart_baud);
  }
  std::string out;
  const std::uint64_t target = now_ms * baud_ / 1000;
  while (bit_clock_ < target) {
    if (frame_bits_left_ == 0) {
      if (pause_bits_left_ > 0) {
        const std::uint64_t idle = std::min(pause_bits_left_, target - bit_clock_);
        pause_bits_left_ -= idle;
        EmitIdle(idle);
        continue;
      }
      if (queue_.empty()) {
        EmitIdle(target - bit_clock_);
        break;
      }
      Chunk& chunk = queue_.front();
      if (chunk.bytes.empty()) {
        pause_bits_left_ = chunk.pause_bits;
        queue_.pop_front();
        continue;
      }
      const auto byte = static_cast<unsigned char>(chunk.bytes[next_byte_++]);
      frame_ = (1u << 9) | (static_cast<unsigned>(byte) << 1);
      frame_bits_left_ = kFrameBits;
      frame_ends_sentence_ = false;
      if (next_byte_ == chunk.bytes.size()) {
        frame_ends_sentence_ = chunk.is_sentence;
        pause_bits_left_ = chunk.pause_bits;
        queue_.pop_front();
        next_byte_ = 0;
      }
    }
    const int level = static_cast<int>((frame_ >> (kFrameBits - frame_bits_left_)) & 1u);
    --frame_bits_left_;
    Emit(level, out);
  }
  if (sampler_) out += sampler_->Take();
  return out;
}

void UartLine::Emit(int level, std::string& out) {
  ++bit_clock_;
  if (sampler_) sampler_->Push(level);
  if (frame_bits_left_ > 0) return;
  if (uart_baud_ == baud_) out.push_back(static_cast<char>((frame_ >> 1) & 0xFFu));
  if (frame_ends_sentence_) ++sentences_sent_;
}

void UartLine::EmitIdle(std::uint64_t count) {
  bit_clock_ += count;
  if (sampler_) sampler_->PushIdle(count);
}

}  // namespace sim
