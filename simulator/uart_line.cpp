#include "simulator/uart_line.h"

#include <algorithm>
#include <utility>

namespace sim {

namespace {

constexpr int kFrameBits = 10;

}  // namespace

UartLine::UartLine(std::uint32_t baud) : m_baud(baud) {}

void UartLine::Send(std::string bytes, std::uint32_t pause_after_ms, bool is_sentence) {
  m_queue.push_back({std::move(bytes), std::uint64_t{pause_after_ms} * m_baud / 1000, is_sentence});
}

void UartLine::Drop() {
  m_queue.clear();
  m_nextByte = 0;
  m_pauseBitsLeft = 0;
}

std::uint64_t UartLine::BacklogBits() const {
  std::uint64_t bits = static_cast<std::uint64_t>(m_frameBitsLeft) + m_pauseBitsLeft;
  bool front = true;
  for (const Chunk& chunk : m_queue) {
    const std::size_t bytes = chunk.bytes.size() - (front ? m_nextByte : 0);
    bits += bytes * kFrameBits + chunk.pause_bits;
    front = false;
  }
  return bits;
}

std::uint64_t UartLine::NextDeliveryMs() const {
  std::uint64_t bits = static_cast<std::uint64_t>(m_frameBitsLeft);
  std::size_t bytes = 0;
  bool found = false;
  if (m_frameBitsLeft > 0) {
    bytes = 1;
    // The frame under way was the last of its piece once the piece has left
    // the queue.
    found = m_nextByte == 0;
  }
  if (!found) {
    bits += m_pauseBitsLeft;
    bool front = true;
    for (const Chunk& chunk : m_queue) {
      const std::size_t left = chunk.bytes.size() - (front ? m_nextByte : 0);
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
  if (!found && m_sampler && m_sampler->InFrame()) {
    // A UART at another speed still finishes the frame it is in.
    bits = 2 * kFrameBits * m_baud / m_uartBaud + 1;
    found = true;
  }
  if (!found) return UINT64_MAX;
  const std::uint64_t bit = m_bitClock + bits;
  return (bit * 1000 + m_baud - 1) / m_baud;
}

std::string UartLine::Advance(std::uint64_t now_ms, std::uint32_t uart_baud) {
  if (uart_baud != m_uartBaud) {
    // A UART that has just been set to a new speed starts hunting afresh.
    m_uartBaud = uart_baud;
    m_sampler.reset();
    if (uart_baud != 0 && uart_baud != m_baud) m_sampler.emplace(m_baud, uart_baud);
  }
  std::string out;
  const std::uint64_t target = now_ms * m_baud / 1000;
  while (m_bitClock < target) {
    if (m_frameBitsLeft == 0) {
      if (m_pauseBitsLeft > 0) {
        const std::uint64_t idle = std::min(m_pauseBitsLeft, target - m_bitClock);
        m_pauseBitsLeft -= idle;
        EmitIdle(idle);
        continue;
      }
      if (m_queue.empty()) {
        EmitIdle(target - m_bitClock);
        break;
      }
      Chunk& chunk = m_queue.front();
      if (chunk.bytes.empty()) {
        m_pauseBitsLeft = chunk.pause_bits;
        m_queue.pop_front();
        continue;
      }
      const auto byte = static_cast<unsigned char>(chunk.bytes[m_nextByte++]);
      m_frame = (1u << 9) | (static_cast<unsigned>(byte) << 1);
      m_frameBitsLeft = kFrameBits;
      m_frameEndsSentence = false;
      if (m_nextByte == chunk.bytes.size()) {
        m_frameEndsSentence = chunk.is_sentence;
        m_pauseBitsLeft = chunk.pause_bits;
        m_queue.pop_front();
        m_nextByte = 0;
      }
    }
    const int level = static_cast<int>((m_frame >> (kFrameBits - m_frameBitsLeft)) & 1u);
    --m_frameBitsLeft;
    Emit(level, out);
  }
  if (m_sampler) out += m_sampler->Take();
  return out;
}

void UartLine::Emit(int level, std::string& out) {
  ++m_bitClock;
  if (m_sampler) m_sampler->Push(level);
  if (m_frameBitsLeft > 0) return;
  if (m_uartBaud == m_baud) out.push_back(static_cast<char>((m_frame >> 1) & 0xFFu));
  if (m_frameEndsSentence) ++m_sentencesSent;
}

void UartLine::EmitIdle(std::uint64_t count) {
  m_bitClock += count;
  if (m_sampler) m_sampler->PushIdle(count);
}

}  // namespace sim
