#include "simulator/uart_sampler.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace std::string_literals;

// Drives a text onto a line at line_baud, idle for a while between bytes
// when gap_bits is non-zero, and returns what a UART at uart_baud makes of it.
std::string Receive(const std::string& text, std::uint32_t line_baud, std::uint32_t uart_baud, int gap_bits = 0) {
  sim::UartSampler uart(line_baud, uart_baud);
  uart.PushIdle(20);
  for (char c : text) {
    uart.Push(0);
    for (int bit = 0; bit < 8; ++bit) uart.Push((static_cast<unsigned char>(c) >> bit) & 1);
    uart.Push(1);
    if (gap_bits > 0) uart.PushIdle(static_cast<std::uint64_t>(gap_bits));
  }
  uart.PushIdle(2000);
  return uart.Take();
}

TEST(UartSampler, ReadsTheLineWithinAUartsTolerance) {
  const std::string text = "$GPRMC,013348.00,A,2411.1630,N*7F\r\n\x00\xff\x55\xaa"s;
  struct Case {
    std::uint32_t line;
    std::uint32_t uart;
  };
  // Sampling in the middle of each bit holds up to about 5 % off.
  const Case cases[] = {{4800, 4800}, {4800, 4944}, {4800, 4656}, {115200, 112000}, {9600, 9900}};
  for (const Case& c : cases) {
    EXPECT_EQ(Receive(text, c.line, c.uart), text) << c.line << " read at " << c.uart;
    EXPECT_EQ(Receive(text, c.line, c.uart, 37), text) << c.line << " read at " << c.uart << " with gaps";
  }
}

TEST(UartSampler, GarbageNeverCarriesADollar) {
  // A 9600 line read at 14400 turns about one byte in fifty into "$" on a
  // real UART; the receiver's garbage must never open a sentence.
  std::mt19937 rng(7);
  std::string text;
  for (int i = 0; i < 5000; ++i) text += static_cast<char>(rng() & 0xFF);
  struct Case {
    std::uint32_t line;
    std::uint32_t uart;
  };
  for (const Case& c : {Case{9600, 14400}, Case{38400, 57600}, Case{14400, 9600}, Case{4800, 1200}}) {
    const std::string garbage = Receive(text, c.line, c.uart, 3);
    EXPECT_GT(garbage.size(), 500u);
    EXPECT_EQ(garbage.find('$'), std::string::npos) << c.line << " read at " << c.uart;
  }
}

}  // namespace
