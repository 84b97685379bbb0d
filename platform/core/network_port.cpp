#include "platform/core/network_port.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/core/diagnostics.h"
#include "platform/core/last_error.h"
#include "platform/core/utf8.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

// How long one slice of a wait through the window's hook lasts.
constexpr DWORD kWaitSliceMs = 20;
// gpsd's lines during the handshake: its documented limit for a report is
// 1536 characters (gpsd_json(5)); a device list may be longer in newer
// versions, so a little more is allowed before the server is given up.
constexpr std::size_t kLongestGpsdLine = 16 * 1024;
// gpsd_json(5): a request line may be no more than 80 characters long,
// without its newline.
constexpr std::size_t kLongestGpsdRequest = 80;
// The largest datagram UDP carries.
constexpr std::size_t kLargestDatagram = 65535;
// A read takes at most this much from the socket at a time.
constexpr std::size_t kReceiveChunk = 16 * 1024;

std::atomic<DWORD> g_openTimeout{0};

struct WaitHook {
  std::mutex lock;
  NetworkOpenWait wait;
  std::thread::id thread;
};
WaitHook& Hook() {
  static WaitHook hook;
  return hook;
}

thread_local std::string t_openDetail;

// The calling thread's hook, or an empty one.
NetworkOpenWait HookOfThisThread() {
  WaitHook& hook = Hook();
  std::lock_guard lock(hook.lock);
  return hook.thread == std::this_thread::get_id() ? hook.wait : NetworkOpenWait{};
}

int MillisecondsUntil(SteadyClock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
  return left <= 0 ? 0 : left > INT32_MAX ? INT32_MAX : static_cast<int>(left);
}

// Waits until `ready` says yes or the deadline passes, through the window's
// hook when this thread has one (else in poll on `fd` for `events`).
// ERROR_SUCCESS, ERROR_TIMEOUT or ERROR_OPERATION_ABORTED.
DWORD WaitUntil(SteadyClock::time_point deadline, int fd, short events, const std::function<bool()>& ready) {
  const NetworkOpenWait hook = HookOfThisThread();
  for (;;) {
    if (ready && ready()) return ERROR_SUCCESS;
    const int left = MillisecondsUntil(deadline);
    if (fd >= 0) {
      pollfd pfd{fd, events, 0};
      const int n = poll(&pfd, 1, hook ? 0 : left);
      if (n > 0) return ERROR_SUCCESS;
      if (n < 0 && errno != EINTR) return ErrorFromErrno(errno);
    }
    if (left == 0) return ERROR_TIMEOUT;
    if (hook) {
      if (!hook(std::min<DWORD>(static_cast<DWORD>(left), kWaitSliceMs))) return ERROR_OPERATION_ABORTED;
    } else if (fd < 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::min<DWORD>(static_cast<DWORD>(left), kWaitSliceMs)));
    }
  }
}

std::unique_ptr<CommPort> Fail(DWORD error, int fd, const std::string& what) {
  ZELMORA_DEBUG_LOG("network: %s (error %u)", what.c_str(), static_cast<unsigned>(error));
  if (fd >= 0) close(fd);
  SetLastError(error);
  return nullptr;
}

DWORD ConnectError(int err) {
  switch (err) {
    case ECONNREFUSED:
      return ERROR_CONNECTION_REFUSED;
    case ETIMEDOUT:
      return ERROR_TIMEOUT;
    case EHOSTUNREACH:
    case ENETUNREACH:
      return ERROR_HOST_UNREACHABLE;
    case EADDRINUSE:
      return ERROR_SHARING_VIOLATION;
    default:
      return ErrorFromErrno(err);
  }
}

// The addresses of a name, resolved on a thread of its own so that a slow
// resolver never holds the caller beyond its deadline.
struct Resolution {
  std::mutex lock;
  bool done = false;
  int status = 0;
  addrinfo* result = nullptr;
  ~Resolution() {
    if (result != nullptr) freeaddrinfo(result);
  }
};

std::shared_ptr<Resolution> Resolve(const std::string& host, unsigned port, int socketType, bool passive,
                                    SteadyClock::time_point deadline, DWORD* error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = socketType;
  hints.ai_flags = AI_NUMERICSERV | (passive ? AI_PASSIVE : 0);
  const std::string service = std::to_string(port);
  // RFC 6761, section 6.4: names under "invalid." never resolve, and name
  // resolution should say so at once rather than ask a name server.
  std::string lower;
  for (char c : host) lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  if (lower.ends_with(".")) lower.pop_back();
  if (lower == "invalid" || lower.ends_with(".invalid")) {
    *error = WSAHOST_NOT_FOUND;
    return nullptr;
  }
  auto resolution = std::make_shared<Resolution>();
  // A numeric address needs no resolver: answered at once, here.
  addrinfo numeric = hints;
  numeric.ai_flags |= AI_NUMERICHOST;
  if (getaddrinfo(host.c_str(), service.c_str(), &numeric, &resolution->result) == 0) {
    resolution->done = true;
    return resolution;
  }
  resolution->result = nullptr;
  std::thread([resolution, host, service, hints] {
    addrinfo* result = nullptr;
    const int status = getaddrinfo(host.c_str(), service.c_str(), &hints, &result);
    std::lock_guard lock(resolution->lock);
    resolution->status = status;
    resolution->result = result;
    resolution->done = true;
  }).detach();
  *error = WaitUntil(deadline, -1, 0, [&] {
    std::lock_guard lock(resolution->lock);
    return resolution->done;
  });
  if (*error != ERROR_SUCCESS) return nullptr;
  std::lock_guard lock(resolution->lock);
  if (resolution->status != 0) {
    ZELMORA_DEBUG_LOG("network: %s: %s", host.c_str(), gai_strerror(resolution->status));
    *error = resolution->status == EAI_SYSTEM ? ErrorFromErrno(errno) : WSAHOST_NOT_FOUND;
    return nullptr;
  }
  return resolution;
}

void BoundReceiveBuffer(int fd) {
  const int size = kNetworkReceiveBuffer;
  setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
}

// Tries each address of `resolution` in turn: a non-blocking socket with
// the bounded receive buffer, handed to `use` (ERROR_SUCCESS keeps it).
// The socket, or -1 with `error` set by the last address tried.
int FirstThatWorks(const Resolution& resolution, DWORD* error, const std::function<DWORD(int, const addrinfo&)>& use) {
  *error = WSAHOST_NOT_FOUND;
  for (const addrinfo* address = resolution.result; address != nullptr; address = address->ai_next) {
    const int fd = socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
      *error = ErrorFromErrno(errno);
      continue;
    }
    BoundReceiveBuffer(fd);
    if ((*error = use(fd, *address)) == ERROR_SUCCESS) return fd;
    close(fd);
    // Out of time (or cancelled): the next address would be too.
    if (*error == ERROR_TIMEOUT || *error == ERROR_OPERATION_ABORTED) return -1;
  }
  return -1;
}

// A connected TCP socket to host:port, or -1 with `error` set. Every
// address of the name is tried in turn within the deadline.
int Connect(const NetworkSource& source, SteadyClock::time_point deadline, DWORD* error) {
  const auto resolution = Resolve(source.host, source.port, SOCK_STREAM, false, deadline, error);
  if (!resolution) return -1;
  return FirstThatWorks(*resolution, error, [&](int fd, const addrinfo& address) {
    int err = connect(fd, address.ai_addr, address.ai_addrlen) == 0 ? 0 : errno;
    if (err == EINPROGRESS) {
      if (const DWORD waited = WaitUntil(deadline, fd, POLLOUT, {}); waited != ERROR_SUCCESS) return waited;
      socklen_t length = sizeof err;
      if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &length) != 0) err = errno;
    }
    if (err != 0) {
      ZELMORA_DEBUG_LOG("network: connecting to %s port %u: %s", source.host.c_str(), source.port, std::strerror(err));
    }
    return err == 0 ? ERROR_SUCCESS : ConnectError(err);
  });
}

// A UDP socket bound to the source's address (the loopback address when it
// has none), or -1 with `error` set.
int Bind(const NetworkSource& source, SteadyClock::time_point deadline, DWORD* error) {
  const auto resolution =
      Resolve(source.host.empty() ? "127.0.0.1" : source.host, source.port, SOCK_DGRAM, true, deadline, error);
  if (!resolution) return -1;
  return FirstThatWorks(*resolution, error, [](int fd, const addrinfo& address) {
    return bind(fd, address.ai_addr, address.ai_addrlen) == 0 ? ERROR_SUCCESS : ConnectError(errno);
  });
}

// One line from gpsd during the handshake, without its line end; the bytes
// after it stay in `buffer`. ERROR_BAD_NET_RESP for a line too long or a
// connection closed before it ended.
DWORD ReadLine(int fd, SteadyClock::time_point deadline, std::string& buffer, std::string* line) {
  for (;;) {
    if (const std::size_t end = buffer.find('\n'); end != std::string::npos) {
      *line = buffer.substr(0, end);
      if (!line->empty() && line->back() == '\r') line->pop_back();
      buffer.erase(0, end + 1);
      return ERROR_SUCCESS;
    }
    if (buffer.size() > kLongestGpsdLine) return ERROR_BAD_NET_RESP;
    if (const DWORD error = WaitUntil(deadline, fd, POLLIN, {}); error != ERROR_SUCCESS) return error;
    char chunk[4096];
    const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
    if (n == 0) return ERROR_BAD_NET_RESP;
    if (n < 0 && errno != EAGAIN && errno != EINTR) return ConnectError(errno);
    if (n > 0) buffer.append(chunk, static_cast<std::size_t>(n));
  }
}

bool SendAll(int fd, const std::string& text, SteadyClock::time_point deadline, DWORD* error) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
      *error = ConnectError(errno);
      return false;
    }
    if ((*error = WaitUntil(deadline, fd, POLLOUT, {})) != ERROR_SUCCESS) return false;
  }
  return true;
}

// The value of the JSON string that follows `at` (just after its opening
// quote), with gpsd's escapes undone; `at` ends after the closing quote.
std::string JsonString(const std::string& text, std::size_t& at) {
  std::string value;
  while (at < text.size() && text[at] != '"') {
    if (text[at] == '\\' && at + 1 < text.size()) ++at;
    value.push_back(text[at++]);
  }
  ++at;
  return value;
}

// The string values of every "key":"..." in a JSON line (gpsd writes no
// spaces around the colon).
std::vector<std::string> JsonStrings(const std::string& line, const std::string& key) {
  std::vector<std::string> values;
  const std::string pattern = "\"" + key + "\":\"";
  for (std::size_t at = line.find(pattern); at != std::string::npos; at = line.find(pattern, at)) {
    at += pattern.size();
    values.push_back(JsonString(line, at));
  }
  return values;
}

std::string JsonClass(const std::string& line) {
  const std::vector<std::string> classes = JsonStrings(line, "class");
  return classes.empty() ? std::string() : classes.front();
}

std::string JsonQuoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted.push_back('\\');
    quoted.push_back(c);
  }
  return quoted + "\"";
}

// gpsd's client protocol, as gpsd_json(5) ("gpsd request/response
// protocol", gpsd 3.22) describes it: on connect gpsd sends a VERSION
// object; ?DEVICES; is answered with a DEVICES object whose "devices" list
// has one DEVICE object per device, each with its "path"; ?WATCH= with
// "enable":true and "raw":2 has gpsd send the device's data verbatim (binary
// packets not hex-dumped), and "device" restricts it to that one device.
// Report lines ({"class":"WATCH"...}, DEVICE notices, ERROR) may still come
// in the stream: the port drops them. gpsd offers no way to send a device
// bytes over this socket (its ?DEVICE command sets speed and mode only), so
// the port is read-only. On success `buffer` holds what came after the
// handshake's lines.
DWORD GpsdHandshake(int fd, const NetworkSource& source, SteadyClock::time_point deadline, std::string& buffer) {
  std::string line;
  if (const DWORD error = ReadLine(fd, deadline, buffer, &line); error != ERROR_SUCCESS) return error;
  if (JsonClass(line) != "VERSION") {
    ZELMORA_DEBUG_LOG("network: %s port %u does not greet as gpsd does: %.80s", source.host.c_str(), source.port,
                      line.c_str());
    return ERROR_BAD_NET_RESP;
  }
  DWORD error = ERROR_SUCCESS;
  if (!SendAll(fd, "?DEVICES;\n", deadline, &error)) return error;
  do {
    if ((error = ReadLine(fd, deadline, buffer, &line)) != ERROR_SUCCESS) return error;
  } while (JsonClass(line) != "DEVICES");
  const std::vector<std::string> paths = JsonStrings(line, "path");
  std::string list;
  for (const std::string& path : paths) list += (list.empty() ? "" : ", ") + path;
  std::string device = source.device;
  if (device.empty()) {
    if (paths.size() != 1) {
      t_openDetail = list;
      return paths.empty() ? ERROR_DEV_NOT_EXIST : ERROR_AMBIGUOUS_SYSTEM_DEVICE;
    }
    device = paths.front();
  } else if (std::find(paths.begin(), paths.end(), device) == paths.end()) {
    t_openDetail = list;
    return ERROR_DEV_NOT_EXIST;
  }
  const std::string watch = "?WATCH={\"enable\":true,\"raw\":2,\"device\":" + JsonQuoted(device) + "}";
  if (watch.size() > kLongestGpsdRequest) return ERROR_BAD_PATHNAME;
  if (!SendAll(fd, watch + "\n", deadline, &error)) return error;
  ZELMORA_DEBUG_LOG("network: gpsd at %s port %u sends %s's bytes", source.host.c_str(), source.port, device.c_str());
  return ERROR_SUCCESS;
}

}  // namespace

void SetNetworkOpenWait(NetworkOpenWait wait) {
  WaitHook& hook = Hook();
  std::lock_guard lock(hook.lock);
  hook.wait = std::move(wait);
  hook.thread = std::this_thread::get_id();
}

void SetNetworkOpenTimeout(DWORD milliseconds) { g_openTimeout = milliseconds; }

std::string NetworkOpenDetail() { return t_openDetail; }

std::unique_ptr<CommPort> NetworkPort::Open(const NetworkSource& source, DWORD access) {
  t_openDetail.clear();
  if ((access & (GENERIC_READ | GENERIC_WRITE)) == 0) return Fail(ERROR_INVALID_PARAMETER, -1, "no access asked");
  const DWORD timeout = g_openTimeout.load() != 0 ? g_openTimeout.load() : kNetworkOpenTimeoutMs;
  const SteadyClock::time_point deadline = SteadyClock::now() + std::chrono::milliseconds(timeout);
  const std::string what = WideToUtf8(NetworkSourceDescription(source));
  DWORD error = ERROR_SUCCESS;
  if (source.kind == NetworkKind::Udp) {
    const int fd = Bind(source, deadline, &error);
    if (fd < 0) return Fail(error, -1, "cannot listen on " + what);
    ZELMORA_DEBUG_LOG("network: listening on %s (descriptor %d)", what.c_str(), fd);
    return std::unique_ptr<CommPort>(new NetworkPort(fd, source.kind, {}));
  }
  const int fd = Connect(source, deadline, &error);
  if (fd < 0) return Fail(error, -1, "cannot connect to " + what);
  std::string after;
  if (source.kind == NetworkKind::Gpsd) {
    if ((error = GpsdHandshake(fd, source, deadline, after)) != ERROR_SUCCESS) {
      return Fail(error, fd, "gpsd at " + what + " refused");
    }
  }
  ZELMORA_DEBUG_LOG("network: connected to %s (descriptor %d)", what.c_str(), fd);
  auto* port = new NetworkPort(fd, source.kind, {});
  if (!after.empty()) port->FilterGpsd(after.data(), after.size());
  return std::unique_ptr<CommPort>(port);
}

NetworkPort::NetworkPort(int fd, NetworkKind kind, std::string pending)
    : m_fd(fd), m_kind(kind), m_pending(std::move(pending)) {
  m_dcb.DCBlength = sizeof(DCB);
  m_dcb.fBinary = 1;
  m_dcb.ByteSize = 8;
}

NetworkPort::~NetworkPort() {
  ZELMORA_DEBUG_LOG("network: closing descriptor %d", m_fd);
  close(m_fd);
}

BOOL NetworkPort::GetState(DCB* dcb) {
  std::lock_guard lock(m_lock);
  *dcb = m_dcb;
  dcb->BaudRate = 0;
  return TRUE;
}

BOOL NetworkPort::SetState(const DCB& dcb) {
  std::lock_guard lock(m_lock);
  m_dcb = dcb;
  return TRUE;
}

BOOL NetworkPort::SetTimeouts(const COMMTIMEOUTS& timeouts) {
  std::lock_guard lock(m_lock);
  m_timeouts = timeouts;
  return TRUE;
}

BOOL NetworkPort::Purge(DWORD flags) {
  if (flags & PURGE_RXCLEAR) {
    std::lock_guard lock(m_readLock);
    m_pending.clear();
  }
  return TRUE;
}

BOOL NetworkPort::Escape(DWORD) { return TRUE; }

BOOL NetworkPort::SetMask(DWORD) { return TRUE; }

void NetworkPort::FilterGpsd(const char* data, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    const char c = data[i];
    if (m_holding) {
      m_held.push_back(c);
      if (c == '\n') {
        if (m_held.starts_with("{\"class\":")) {
          if (m_held.starts_with("{\"class\":\"ERROR\"")) {
            ZELMORA_DEBUG_LOG("network: gpsd says %.200s", m_held.c_str());
          }
        } else {
          m_pending += m_held;
        }
        m_held.clear();
        m_holding = false;
        m_atLineStart = true;
      } else if (m_held.size() > kLongestGpsdLine) {
        // No report is this long: the device's own bytes.
        m_pending += m_held;
        m_held.clear();
        m_holding = false;
        m_atLineStart = false;
      }
    } else if (m_atLineStart && c == '{') {
      m_holding = true;
      m_held.push_back(c);
    } else {
      m_pending.push_back(c);
      m_atLineStart = c == '\n';
    }
  }
}

bool NetworkPort::Fill(std::size_t atMost) {
  if (m_closed) {
    SetLastError(ERROR_DEVICE_NOT_CONNECTED);
    return false;
  }
  // A datagram is taken whole: a shorter receive would cut off its end.
  std::vector<char> chunk(m_kind == NetworkKind::Udp ? kLargestDatagram : std::min(atMost, kReceiveChunk));
  for (;;) {
    const ssize_t n = recv(m_fd, chunk.data(), chunk.size(), MSG_DONTWAIT);
    if (n > 0) {
      if (m_kind == NetworkKind::Gpsd) {
        FilterGpsd(chunk.data(), static_cast<std::size_t>(n));
      } else {
        m_pending.append(chunk.data(), static_cast<std::size_t>(n));
      }
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    if (n == 0 && m_kind == NetworkKind::Udp) return true;  // an empty datagram
    ZELMORA_DEBUG_LOG("network: descriptor %d: the connection has ended (%s)", m_fd,
                      n == 0 ? "closed by the peer" : std::strerror(errno));
    m_closed = true;
    SetLastError(ERROR_DEVICE_NOT_CONNECTED);
    return false;
  }
}

BOOL NetworkPort::Read(void* buffer, DWORD toRead, DWORD* read) {
  COMMTIMEOUTS t;
  {
    std::lock_guard lock(m_lock);
    t = m_timeouts;
  }
  const ReadTimeoutPlan plan = PlanRead(t, toRead);
  const SteadyClock::time_point deadline = SteadyClock::now() + std::chrono::milliseconds(plan.totalMs);

  std::lock_guard lock(m_readLock);
  auto* bytes = static_cast<char*>(buffer);
  DWORD got = 0;
  for (;;) {
    const std::size_t take = std::min<std::size_t>(m_pending.size(), toRead - got);
    std::memcpy(bytes + got, m_pending.data(), take);
    m_pending.erase(0, take);
    got += static_cast<DWORD>(take);
    if (got == toRead) break;
    const std::size_t before = m_pending.size();
    if (!Fill(toRead - got)) {
      // What came before the end is still handed out.
      *read = got;
      return got > 0 ? TRUE : FALSE;
    }
    if (m_pending.size() > before) continue;
    // Nothing more has arrived.
    if (plan.immediate || (plan.firstByteOnly && got > 0)) break;
    const int wait = plan.hasTotal ? MillisecondsUntil(deadline) : -1;
    if (wait == 0) break;
    pollfd pfd{m_fd, POLLIN, 0};
    if (poll(&pfd, 1, wait) < 0 && errno != EINTR) {
      *read = got;
      return FailWithErrno(errno);
    }
  }
  *read = got;
  return TRUE;
}

BOOL NetworkPort::Write(const void* buffer, DWORD toWrite, DWORD* written) {
  *written = 0;
  if (m_kind != NetworkKind::Tcp) {
    SetLastError(ERROR_WRITE_PROTECT);
    return FALSE;
  }
  COMMTIMEOUTS t;
  {
    std::lock_guard lock(m_lock);
    t = m_timeouts;
  }
  const bool hasTotal = t.WriteTotalTimeoutMultiplier != 0 || t.WriteTotalTimeoutConstant != 0;
  const SteadyClock::time_point deadline =
      SteadyClock::now() +
      std::chrono::milliseconds(std::uint64_t{t.WriteTotalTimeoutMultiplier} * toWrite + t.WriteTotalTimeoutConstant);
  const auto* bytes = static_cast<const char*>(buffer);
  DWORD done = 0;
  while (done < toWrite) {
    const ssize_t n = send(m_fd, bytes + done, toWrite - done, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      done += static_cast<DWORD>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      *written = done;
      SetLastError(ERROR_DEVICE_NOT_CONNECTED);
      return FALSE;
    }
    const int wait = hasTotal ? MillisecondsUntil(deadline) : -1;
    if (wait == 0) break;
    pollfd pfd{m_fd, POLLOUT, 0};
    poll(&pfd, 1, wait);
  }
  *written = done;
  return TRUE;
}
