// A relay between the simulated receiver's pseudo-terminal and a second one
// that the program opens: it passes every byte on at once and notes when the
// last byte of each sentence arrived, so that a benchmark can tell how long
// the program took to show it.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class NmeaRelay {
 public:
  using Clock = std::chrono::steady_clock;
  struct Sentence {
    std::string text;  // without CR LF
    Clock::time_point arrived;
  };

  NmeaRelay() = default;
  ~NmeaRelay();
  NmeaRelay(const NmeaRelay&) = delete;
  NmeaRelay& operator=(const NmeaRelay&) = delete;

  // Opens the receiver's side at `receiverPath` (raw, `baud`) and a new
  // pseudo-terminal for the program; false with `error` set on failure.
  bool Start(const std::string& receiverPath, unsigned baud, std::string* error);
  void Stop();

  // The tty the program opens.
  const std::string& ProgramPath() const { return programPath_; }
  // Every sentence passed on so far.
  std::vector<Sentence> Sentences();
  // Processor time the relay's own thread has used so far.
  double CpuSeconds();

 private:
  void Run(std::stop_token stop);

  int receiverFd_ = -1;
  int programMaster_ = -1;
  std::string programPath_;
  std::mutex lock_;
  std::vector<Sentence> sentences_;
  std::jthread thread_;
};
