// A simulated receiver whose thread takes part in the layer's simulated time
// (SimulatedClock), like the program's worker threads: time moves only when
// the test, the program's threads and the receiver all wait, so a session of
// minutes runs in a moment and in the same order every time.
#pragma once

#include <cstdint>
#include <stop_token>
#include <string>

#include "platform/core/win_types.h"
#include "simulator/simulated_receiver.h"
#include "simulator/time_source.h"

// The receiver's clock: the layer's clock in force. The thread that waits on
// it first joins the simulated time and leaves it when it is stopped.
class CoreClockTimeSource : public sim::TimeSource {
 public:
  CoreClockTimeSource();
  ~CoreClockTimeSource() override;

  // Holds time still until the thread about to start has joined; Unreserve
  // when it did not start.
  void Reserve();
  void Unreserve();

  std::uint64_t NowMs() override;
  bool WaitFor(std::uint32_t ms, std::stop_token stop) override;

 private:
  void Leave();

  HANDLE m_hWake;  // set when the thread is asked to stop
  bool m_bJoined = false;
};

class ReceiverOnTestTime {
 public:
  ReceiverOnTestTime() = default;
  ~ReceiverOnTestTime();

  bool Start(const sim::ReceiverOptions& options);
  void Stop();
  sim::SimulatedReceiver& Receiver() { return receiver_; }
  std::string SlavePath() const { return receiver_.SlavePath(); }

 private:
  CoreClockTimeSource time_;
  sim::SimulatedReceiver receiver_{time_};
};
