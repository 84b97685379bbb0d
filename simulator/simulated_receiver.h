// The simulated GPS receiver: a ReceiverEngine behind a pseudo-terminal, run
// by its own thread every 10 ms of its clock. Any program opens SlavePath()
// like a serial port.
#pragma once

#include "simulator/pseudo_terminal.h"
#include "simulator/receiver_engine.h"
#include "simulator/receiver_options.h"
#include "simulator/time_source.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace sim {

class SimulatedReceiver {
 public:
  // On the system's monotonic clock.
  SimulatedReceiver();
  // On time, which must outlive the receiver.
  explicit SimulatedReceiver(TimeSource& time);
  // Stops the receiver if it runs.
  ~SimulatedReceiver();

  SimulatedReceiver(const SimulatedReceiver&) = delete;
  SimulatedReceiver& operator=(const SimulatedReceiver&) = delete;

  // Creates the pseudo-terminal and starts the thread, which sends the
  // first epoch at once. False with a reason in error when the receiver
  // runs already, the speed is 0, the replay log cannot be read or the
  // pseudo-terminal cannot be made. Start and Stop belong to the owner's
  // thread; every other member may be called from any thread.
  bool Start(const ReceiverOptions& options, std::string* error);

  // Joins the thread and closes the pseudo-terminal: to a program that
  // still has the port open, the receiver has been unplugged. The stats
  // stay readable until the next Start.
  void Stop();

  bool IsRunning() const;

  // The path a program opens; empty while the receiver is stopped.
  std::string SlavePath() const;

  // Replaces the faults of a running receiver.
  void SetFaults(const Faults& faults);

  // Makes a running receiver fall silent for ms milliseconds from now.
  void GoSilent(std::uint32_t ms);

  ReceiverStats Stats() const;

 private:
  void Run(std::stop_token stop);
  std::uint64_t NowLocked() const;

  TimeSource& m_time;
  mutable std::mutex m_mutex;
  // The pointers change only while no thread runs; the thread alone uses
  // the terminal, the engine is shared under m_mutex.
  std::unique_ptr<PseudoTerminal> m_pty;
  std::unique_ptr<ReceiverEngine> m_engine;
  std::string m_slavePath;
  bool m_running = false;
  std::uint64_t m_startMs = 0;
  std::uint64_t m_bytesSent = 0;
  std::uint32_t m_lineSpeed = 0;
  // Last, so that it is joined before anything it uses goes away.
  std::jthread m_thread;
};

}  // namespace sim
