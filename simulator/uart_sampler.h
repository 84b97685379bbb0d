// A UART receiving a line driven at another speed than its own: it waits for
// a falling edge, samples the middle of each of its own bit times and
// delivers whatever byte that makes. This is the garbage a program reads when
// its port is set to the wrong speed.
#pragma once

#include <cstdint>
#include <string>

namespace sim {

class UartSampler {
 public:
  // line_baud: the speed the line is driven at; uart_baud: the speed this
  // UART samples at. Both must be non-zero.
  UartSampler(std::uint32_t line_baud, std::uint32_t uart_baud);

  // The next bit on the line (0 or 1).
  void Push(int level);
  // count idle (1) bits on the line.
  void PushIdle(std::uint64_t count);

  // Whether a frame has started and is not yet complete.
  bool InFrame() const { return m_inFrame; }

  // The bytes received since the last call.
  std::string Take();

 private:
  // Line bit index under sample number k (0 start, 1-8 data, 9 stop) of a
  // frame whose start edge is at line bit m_edge.
  std::uint64_t SampleBit(int k) const;
  void Sample(int level);

  std::uint64_t m_lineBaud;
  std::uint64_t m_uartBaud;
  bool m_garbage;               // the speeds are too far apart to read anything
  std::uint64_t m_nextBit = 0;  // index of the next line bit
  int m_previousLevel = 1;
  bool m_inFrame = false;
  std::uint64_t m_edge = 0;
  int m_sample = 0;  // next sample of the frame
  unsigned m_data = 0;
  std::string m_received;
};

}  // namespace sim
