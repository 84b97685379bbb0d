#include "acquisition/session_recorder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/core/utf8.h"

std::string NewRecordingPath(const std::string& folder, std::time_t start, const std::wstring& port) {
  std::tm local{};
  localtime_r(&start, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d_%H%M", &local);
  // "COM1: cdc_acm" -> "COM1"; only what is safe in a file name.
  std::string name;
  for (char c : WideToUtf8(port.substr(0, port.find(L':')))) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) name += c;
  }
  const std::string base = folder + "/" + stamp + "_" + (name.empty() ? "port" : name);
  std::string path = base + ".log";
  std::error_code ignored;
  for (int n = 2; std::filesystem::exists(path, ignored); ++n) path = base + "-" + std::to_string(n) + ".log";
  return path;
}

CSessionRecorder::~CSessionRecorder() { Stop(); }

bool CSessionRecorder::Start(const std::string& path, const RecordingHeader& header, DWORD startTick,
                             std::string* error) {
  Stop();
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  std::error_code ignored;
  if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  std::lock_guard<std::mutex> guard(m_lock);
  m_fd = fd;
  m_path = path;
  m_failure.clear();
  m_format = CRecordingFormat();
  m_pending = CRecordingFormat::HeaderText(header);
  m_startTick = startTick;
  m_bStopping = false;
  m_bRecording = true;
  m_writer = std::thread([this] { Write(); });
  return true;
}

void CSessionRecorder::Stop() {
  {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_writer.joinable()) return;
    m_bStopping = true;
  }
  m_wake.notify_one();
  m_writer.join();
  std::lock_guard<std::mutex> guard(m_lock);
  m_bRecording = false;
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

void CSessionRecorder::Push(std::string_view bytes, DWORD tick) {
  if (bytes.empty() || !Recording()) return;
  std::lock_guard<std::mutex> guard(m_lock);
  if (!m_bRecording) return;
  // The tick wraps as a DWORD; the difference does not.
  m_format.AppendRead(m_pending, bytes, static_cast<DWORD>(tick - m_startTick));
  if (m_pending.size() > kMaxPendingBytes) Fail("the disk does not take the recording fast enough");
  m_wake.notify_one();
}

std::string CSessionRecorder::TakeFailure() {
  std::lock_guard<std::mutex> guard(m_lock);
  std::string failure;
  failure.swap(m_failure);
  return failure;
}

std::string CSessionRecorder::Path() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_path;
}

void CSessionRecorder::Fail(const std::string& why) {
  m_failure = why;
  m_bRecording = false;
  m_pending.clear();
}

void CSessionRecorder::Write() {
  using Clock = std::chrono::steady_clock;
  const auto interval = std::chrono::milliseconds(kSyncIntervalMs);
  std::unique_lock<std::mutex> lock(m_lock);
  Clock::time_point lastSync = Clock::now();
  bool unsynced = false;
  for (;;) {
    // Reads are written as they come; the disk is asked to keep them at
    // most once a second, and a second after the last write at the latest.
    const auto wake = [this] { return m_bStopping || (!m_pending.empty() && m_bRecording); };
    if (unsynced) {
      m_wake.wait_until(lock, lastSync + interval, wake);
    } else {
      m_wake.wait(lock, wake);
    }
    const bool stopping = m_bStopping;
    std::string bytes;
    bytes.swap(m_pending);
    const int fd = m_fd;
    const bool syncDue = stopping || Clock::now() - lastSync >= interval;
    if (!m_bRecording) {
      if (stopping) return;
      unsynced = false;
      continue;
    }
    // The disk is waited for without the lock, so reads keep coming in.
    lock.unlock();
    std::size_t done = 0;
    int failed = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        failed = n < 0 ? errno : ENOSPC;
        break;
      }
      done += static_cast<std::size_t>(n);
    }
    unsynced = unsynced || !bytes.empty();
    bool removed = false;
    if (failed == 0 && unsynced && syncDue) {
      // fdatasync: the data and the file's size, without its times (a
      // device such as /dev/full cannot be synced and need not be).
      if (::fdatasync(fd) != 0 && errno != EINVAL) failed = errno;
      // A file whose folder was removed still takes writes, into nothing.
      struct stat info {};
      removed = failed == 0 && ::fstat(fd, &info) == 0 && info.st_nlink == 0;
      lastSync = Clock::now();
      unsynced = false;
    }
    lock.lock();
    if (failed != 0) Fail(std::strerror(failed));
    if (removed) Fail("the file or its folder was removed");
    if (stopping) return;
  }
}
