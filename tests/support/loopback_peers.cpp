#include "tests/support/loopback_peers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>

namespace {

constexpr int kStepMs = 50;

sockaddr_in Loopback(unsigned port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

unsigned PortOf(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

// Waits for `events` on `fd` in steps, until `stop`; false then.
bool WaitFor(int fd, short events, const std::atomic<bool>& stop) {
  while (!stop) {
    pollfd pfd{fd, events, 0};
    if (poll(&pfd, 1, kStepMs) > 0) return true;
  }
  return false;
}

}  // namespace

TcpPeer::TcpPeer(std::function<void(int, const std::atomic<bool>&)> session, int backlog, bool accept) {
  m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_in address = Loopback(0);
  bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  listen(m_listener, backlog);
  m_port = PortOf(m_listener);
  if (!accept) return;
  m_thread = std::thread([this, session = std::move(session)] {
    if (!WaitFor(m_listener, POLLIN, m_stop)) return;
    const int fd = ::accept(m_listener, nullptr, nullptr);
    if (fd < 0) return;
    session(fd, m_stop);
    close(fd);
  });
}

TcpPeer::~TcpPeer() {
  m_stop = true;
  if (m_thread.joinable()) m_thread.join();
  close(m_listener);
}

RefusingPort::RefusingPort() : m_fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  const sockaddr_in address = Loopback(0);
  bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  m_port = PortOf(m_fd);
}

RefusingPort::~RefusingPort() { close(m_fd); }

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string TestLog(const std::string& name) {
  return ReadWholeFile(std::string(ZELMORA_SOURCE_DIR) + "/tests/data/" + name);
}

bool SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string ReceiveLine(int fd, const std::atomic<bool>& stop) {
  std::string line;
  char c = 0;
  while (WaitFor(fd, POLLIN, stop) && recv(fd, &c, 1, 0) == 1) {
    if (c == '\n') break;
    line.push_back(c);
  }
  return line;
}

std::string ReceiveUntilClosed(int fd, const std::atomic<bool>& stop) {
  std::string bytes;
  char chunk[4096];
  while (WaitFor(fd, POLLIN, stop)) {
    const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
    if (n <= 0) break;
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  return bytes;
}

namespace {

unsigned FreePort(int type) {
  const int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
  const sockaddr_in address = Loopback(0);
  bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  const unsigned port = PortOf(fd);
  close(fd);
  return port;
}

}  // namespace

unsigned FreeTcpPort() { return FreePort(SOCK_STREAM); }

unsigned FreeUdpPort() { return FreePort(SOCK_DGRAM); }

void SendDatagrams(unsigned port, std::string_view bytes, std::size_t size) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  const sockaddr_in address = Loopback(port);
  while (!bytes.empty()) {
    const std::size_t n = std::min(size, bytes.size());
    sendto(fd, bytes.data(), n, 0, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    bytes.remove_prefix(n);
  }
  close(fd);
}

std::function<void(int, const std::atomic<bool>&)> GpsdStandIn(std::vector<std::string> devices, std::string stream,
                                                               std::string* watch) {
  return [devices = std::move(devices), stream = std::move(stream), watch](int fd, const std::atomic<bool>& stop) {
    // The objects as gpsd 3.22 writes them, each ended by CR LF.
    SendAll(fd,
            "{\"class\":\"VERSION\",\"release\":\"3.22\",\"rev\":\"3.22\",\"proto_major\":3,\"proto_minor\":14}\r\n");
    if (ReceiveLine(fd, stop) != "?DEVICES;") return;
    std::string list;
    for (const std::string& path : devices) {
      list += (list.empty() ? "" : ",") + std::string("{\"class\":\"DEVICE\",\"path\":\"") + path +
              "\",\"driver\":\"NMEA0183\",\"activated\":\"2026-12-08T08:00:00.000Z\",\"flags\":1,\"native\":0,"
              "\"bps\":4800,\"parity\":\"N\",\"stopbits\":1,\"cycle\":1.00}";
    }
    SendAll(fd, "{\"class\":\"DEVICES\",\"devices\":[" + list + "]}\r\n");
    const std::string request = ReceiveLine(fd, stop);
    if (watch != nullptr) *watch = request;
    SendAll(fd,
            "{\"class\":\"WATCH\",\"enable\":true,\"json\":false,\"nmea\":false,\"raw\":2,\"scaled\":false,"
            "\"timing\":false,\"split24\":false,\"pps\":false}\r\n");
    SendAll(fd, "{\"class\":\"DEVICE\",\"path\":\"" + devices.front() + "\",\"driver\":\"NMEA0183\"}\r\n");
    const std::size_t half = stream.find('\n', stream.size() / 2) + 1;
    SendAll(fd, std::string_view(stream).substr(0, half));
    SendAll(fd, "{\"class\":\"ERROR\",\"message\":\"a report amid the stream\"}\r\n");
    SendAll(fd, std::string_view(stream).substr(half));
  };
}
