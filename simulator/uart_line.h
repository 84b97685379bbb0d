// The receiver's transmit line: bytes leave one frame at a time (start bit,
// 8 data bits, stop bit, so baud / 10 bytes per second), pauses keep the line
// idle, and the UART at the program's end delivers them as sent when it runs
// at the same speed, or garbage when it does not.
#pragma once

#include "simulator/uart_sampler.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace sim {

class UartLine {
 public:
  // The most bytes handed over at once: more than a sentence, so that a
  // sentence arrives in one piece at its last bit, and a long piece without
  // pauses (noise, a replayed line) still arrives as it goes.
  static constexpr std::size_t kBatchBytes = 96;

  explicit UartLine(std::uint32_t baud);

  // Queues bytes; after them the line stays idle for pause_after_ms.
  // A chunk marked as a sentence counts as sent once its last bit is out.
  void Send(std::string bytes, std::uint32_t pause_after_ms, bool is_sentence);

  // Forgets everything not yet started; a frame under way is finished.
  void Drop();

  // Bit times still needed for what is queued, pauses included.
  std::uint64_t BacklogBits() const;

  // Runs the line up to now_ms (milliseconds since the line started) and
  // returns what a UART set to uart_baud received meanwhile (nothing when
  // uart_baud is 0).
  std::string Advance(std::uint64_t now_ms, std::uint32_t uart_baud);

  // When the line next hands the program something (milliseconds since the
  // line started, never before now): the end of the next sentence or piece,
  // or of its next kBatchBytes bytes if that comes first. Nothing arrives
  // before its last bit is out. UINT64_MAX while nothing is queued.
  std::uint64_t NextDeliveryMs() const;

  std::uint32_t Baud() const { return m_baud; }
  std::uint64_t SentencesSent() const { return m_sentencesSent; }

 private:
  struct Chunk {
    std::string bytes;
    std::uint64_t pause_bits = 0;
    bool is_sentence = false;
  };

  void Emit(int level, std::string& out);
  void EmitIdle(std::uint64_t count);

  std::uint32_t m_baud;
  std::deque<Chunk> m_queue;
  std::size_t m_nextByte = 0;    // in m_queue.front()
  std::uint64_t m_bitClock = 0;  // bits that have left since the start
  unsigned m_frame = 0;          // the frame under way, LSB first
  int m_frameBitsLeft = 0;
  std::uint64_t m_pauseBitsLeft = 0;
  bool m_frameEndsSentence = false;
  std::uint64_t m_sentencesSent = 0;
  std::uint32_t m_uartBaud = 0;
  std::optional<UartSampler> m_sampler;  // only while the speeds differ
};

}  // namespace sim
