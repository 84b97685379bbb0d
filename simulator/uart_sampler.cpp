#include "simulator/uart_sampler.h"

#include <algorithm>

namespace sim {

namespace {

constexpr int kStopSample = 9;

}  // namespace

UartSampler::UartSampler(std::uint32_t line_baud, std::uint32_t uart_baud)
    : m_lineBaud(line_baud),
      m_uartBaud(uart_baud),
      // Within about 5 % a UART reads the line correctly (its last sample
      // still falls into the stop bit); beyond that it reads garbage.
      m_garbage(m_uartBaud * 100 < m_lineBaud * 95 || m_uartBaud * 100 > m_lineBaud * 105) {}

std::uint64_t UartSampler::SampleBit(int k) const {
  // In units of 1 / (2 * line_baud * uart_baud) seconds a line bit lasts
  // 2 * uart_baud and a UART bit 2 * line_baud; sample k sits in the middle
  // of UART bit k.
  const std::uint64_t at = 2 * m_edge * m_uartBaud + static_cast<std::uint64_t>(2 * k + 1) * m_lineBaud;
  return at / (2 * m_uartBaud);
}

void UartSampler::Push(int level) {
  const std::uint64_t bit = m_nextBit++;
  if (!m_inFrame) {
    if (m_previousLevel == 1 && level == 0) {
      m_inFrame = true;
      m_edge = bit;
      m_sample = 0;
      m_data = 0;
    }
    m_previousLevel = level;
    if (!m_inFrame) return;
  }
  while (m_inFrame && SampleBit(m_sample) == bit) Sample(level);
  if (!m_inFrame) m_previousLevel = level;
}

void UartSampler::PushIdle(std::uint64_t count) {
  while (count > 0 && m_inFrame) {
    // Let the frame in progress see idle bits up to its next sample.
    const std::uint64_t until = std::min(SampleBit(m_sample), m_nextBit + count - 1);
    const std::uint64_t skip = until - m_nextBit;
    m_nextBit += skip;
    count -= skip;
    Push(1);
    --count;
  }
  m_nextBit += count;
  if (count > 0) m_previousLevel = 1;
}

void UartSampler::Sample(int level) {
  if (m_sample == 0 && level != 0) {
    // The start bit was a glitch: hunt for the next edge.
    m_inFrame = false;
    return;
  }
  if (m_sample >= 1 && m_sample <= 8) m_data |= static_cast<unsigned>(level) << (m_sample - 1);
  if (m_sample == kStopSample) {
    m_inFrame = false;
    // Linux hands up a byte with a framing error as NUL on a raw line.
    char byte = level == 1 ? static_cast<char>(m_data) : '\0';
    // Garbage must never open a sentence: a scan that finds "$GP" or
    // "$PS" in it would take the wrong speed for the receiver's.
    if (m_garbage && byte == '$') byte = '\0';
    m_received.push_back(byte);
    return;
  }
  ++m_sample;
}

std::string UartSampler::Take() {
  std::string bytes;
  bytes.swap(m_received);
  return bytes;
}

}  // namespace sim
