// Peers on the loopback interface for the tests of network sources: a TCP
// server that runs one session on a thread, a stand-in for gpsd speaking its
// client protocol, and the small socket chores around them.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// Listens on 127.0.0.1 at a port of the system's choosing and runs `session`
// on its own thread with the first connection it accepts (the descriptor is
// closed after it). The destructor stops waiting and joins the thread.
class TcpPeer {
 public:
  explicit TcpPeer(std::function<void(int fd, const std::atomic<bool>& stop)> session, int backlog = 1,
                   bool accept = true);
  ~TcpPeer();
  TcpPeer(const TcpPeer&) = delete;
  TcpPeer& operator=(const TcpPeer&) = delete;

  unsigned Port() const { return m_port; }
  int Listener() const { return m_listener; }

 private:
  int m_listener = -1;
  unsigned m_port = 0;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

// The whole of a file (the logs of tests/data).
std::string ReadWholeFile(const std::string& path);
// tests/data/<name>.
std::string TestLog(const std::string& name);
// Sends every byte, waiting as needed; false when the peer has gone.
bool SendAll(int fd, std::string_view bytes);
// One line (up to its "\n", which is not returned) or what came before the
// connection ended or `stop` was set.
std::string ReceiveLine(int fd, const std::atomic<bool>& stop);
// Reads until the other end closes or `stop` is set; what came.
std::string ReceiveUntilClosed(int fd, const std::atomic<bool>& stop);
// A TCP port on 127.0.0.1 that refuses connections for as long as the object
// lives: bound, and not listening.
class RefusingPort {
 public:
  RefusingPort();
  ~RefusingPort();
  RefusingPort(const RefusingPort&) = delete;
  RefusingPort& operator=(const RefusingPort&) = delete;
  unsigned Port() const { return m_port; }

 private:
  int m_fd = -1;
  unsigned m_port = 0;
};

// A TCP port on 127.0.0.1 that was free a moment ago.
unsigned FreeTcpPort();
// A UDP port on 127.0.0.1 that was free a moment ago.
unsigned FreeUdpPort();
// Sends `bytes` to 127.0.0.1:`port` in datagrams of at most `size` bytes.
void SendDatagrams(unsigned port, std::string_view bytes, std::size_t size);

// A session that speaks gpsd's client protocol (gpsd_json(5)): VERSION on
// connect, a DEVICES answer to ?DEVICES; listing `devices`, then, after the
// ?WATCH request (kept in `*watch`), the WATCH answer, a DEVICE notice, and
// `stream` (the device's bytes) with one of gpsd's reports in its middle.
std::function<void(int, const std::atomic<bool>&)> GpsdStandIn(std::vector<std::string> devices, std::string stream,
                                                               std::string* watch);
