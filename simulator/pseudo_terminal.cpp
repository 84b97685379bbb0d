#include "simulator/pseudo_terminal.h"

#include "simulator/line_settings.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace sim {

namespace {

std::string Failure(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

std::unique_ptr<PseudoTerminal> PseudoTerminal::Open(std::uint32_t baud, std::string* error) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master < 0) {
    *error = Failure("posix_openpt");
    return nullptr;
  }
  char path[128];
  if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, path, sizeof path) != 0) {
    *error = Failure("pseudo-terminal slave");
    close(master);
    return nullptr;
  }
  const int slave = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave < 0) {
    *error = Failure(path);
    close(master);
    return nullptr;
  }
  // Raw from the start: the program must read the bytes as sent and must
  // never see its own writes echoed back.
  if (!SetRawLine(slave, baud)) {
    *error = Failure("raw line settings");
    close(slave);
    close(master);
    return nullptr;
  }
  return std::unique_ptr<PseudoTerminal>(new PseudoTerminal(master, slave, path));
}

PseudoTerminal::PseudoTerminal(int master, int slave, std::string slave_path)
    : m_master(master), m_slave(slave), m_slavePath(std::move(slave_path)) {}

PseudoTerminal::~PseudoTerminal() {
  close(m_slave);
  close(m_master);
}

std::string PseudoTerminal::Read() {
  std::string bytes;
  char buffer[512];
  for (;;) {
    const ssize_t count = read(m_master, buffer, sizeof buffer);
    if (count > 0) {
      bytes.append(buffer, static_cast<std::size_t>(count));
      continue;
    }
    if (count < 0 && errno == EINTR) continue;
    return bytes;
  }
}

std::size_t PseudoTerminal::Write(std::string_view bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t count = write(m_master, bytes.data() + written, bytes.size() - written);
    if (count > 0) {
      written += static_cast<std::size_t>(count);
      continue;
    }
    if (count < 0 && errno == EINTR) continue;
    break;
  }
  return written;
}

std::uint32_t PseudoTerminal::LineSpeed() const { return ReadLineSpeed(m_slave); }

}  // namespace sim
