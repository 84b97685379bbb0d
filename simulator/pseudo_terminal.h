// The receiver's end of a pseudo-terminal. The program opens the slave path
// like a serial port; the receiver writes what the program should read to
// the master and reads the program's writes from it. The receiver also holds
// the slave open itself, never reading from it: that keeps the master alive
// while the program has the port closed, and lets the receiver read the line
// settings the program chose.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace sim {

class PseudoTerminal {
 public:
  // A new pseudo-terminal whose slave is raw at baud; null with a reason
  // in error on failure.
  static std::unique_ptr<PseudoTerminal> Open(std::uint32_t baud, std::string* error);

  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  const std::string& SlavePath() const { return m_slavePath; }

  // What the program has written, without waiting.
  std::string Read();

  // Hands bytes to the program's side; returns how many the terminal took.
  // When its buffer is full (nobody reads) the rest is lost, as bytes are
  // on a serial line nobody listens to.
  std::size_t Write(std::string_view bytes);

  // The master's descriptor, to wait for the program's writes.
  int MasterFd() const { return m_master; }

  // The speed the slave is set to.
  std::uint32_t LineSpeed() const;

 private:
  PseudoTerminal(int master, int slave, std::string slave_path);

  int m_master;
  int m_slave;
  std::string m_slavePath;
};

}  // namespace sim
