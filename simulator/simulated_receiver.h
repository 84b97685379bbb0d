// The simulated GPS receiver: a ReceiverEngine behind a pseudo-terminal, run
// by its own thread on the layer's clock (platform/core/clock.h). The thread
// sleeps until the engine's next byte or epoch is due, or until the program
// writes; under a simulated clock it takes part in simulated time like the
// program's own threads. Any program opens SlavePath() like a serial port.
#pragma once

#include "platform/core/waitable_object.h"
#include "simulator/pseudo_terminal.h"
#include "simulator/receiver_engine.h"
#include "simulator/receiver_options.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace sim {

class SimulatedReceiver {
 public:
  SimulatedReceiver();
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
  void Run();
  void WatchInput();
  std::uint64_t Now() const;

  mutable std::mutex m_mutex;
  // Set when the program has written, and to stop the thread.
  WaitableObject m_wake{HandleType::Event, false, false};
  // The pointers change only while no thread runs; the terminal's reads
  // belong to the input watcher, its writes to the receiver's thread; the
  // engine is shared under m_mutex.
  std::unique_ptr<PseudoTerminal> m_pty;
  std::unique_ptr<ReceiverEngine> m_engine;
  std::string m_slavePath;
  std::string m_input;  // what the program wrote and the engine has not heard
  bool m_running = false;
  bool m_stopping = false;
  int m_stopFd = -1;  // an eventfd that ends the input watcher
  std::uint64_t m_startMs = 0;
  std::uint64_t m_bytesSent = 0;
  std::uint32_t m_lineSpeed = 0;
  // Last, so that they are joined before anything they use goes away.
  std::thread m_watcher;
  std::thread m_thread;
};

}  // namespace sim
