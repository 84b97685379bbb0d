// Records a session: the reader thread hands every read here with its tick,
// and a writer thread of the recorder's own puts it in the file as it comes
// (CRecordingFormat says how), and syncs the file to the disk a second
// after a write at the latest but not more often than once a second, so
// that a crash or a power loss costs at most the last second and the
// reader's 200 ms polls never wait for the disk. A write that fails (a full disk, a folder that went away, a
// recording that falls too far behind) ends the recording with a message;
// the session goes on.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "acquisition/recording_format.h"
#include "platform/core/win_types.h"

// A new file in `folder` named from the start's local date and time and the
// port, "20261208_0941_COM1.log" (short enough for the smallest screen to
// show), or "20261208_0941_COM1-2.log" when that one exists.
std::string NewRecordingPath(const std::string& folder, std::time_t start, const std::wstring& port);

class CSessionRecorder {
 public:
  // How far the writer may fall behind before the recording ends, and how
  // often the file is synced.
  static constexpr std::size_t kMaxPendingBytes = 4 * 1024 * 1024;
  static constexpr unsigned kSyncIntervalMs = 1000;

  CSessionRecorder() = default;
  ~CSessionRecorder();
  CSessionRecorder(const CSessionRecorder&) = delete;
  CSessionRecorder& operator=(const CSessionRecorder&) = delete;

  // Creates `path` (and its folder), replacing a file of that name, writes
  // the header and starts the writer; reads count their time from
  // `startTick`. False, with the reason in `error`, when the file cannot be
  // made; a recording already running is stopped first.
  bool Start(const std::string& path, const RecordingHeader& header, DWORD startTick, std::string* error);
  // Writes what is held, syncs and closes the file.
  void Stop();

  // From the reader thread: one read and the tick at which it returned.
  // Costs one atomic load while no recording runs.
  void Push(std::string_view bytes, DWORD tick);

  bool Recording() const { return m_bRecording.load(std::memory_order_relaxed); }
  // Why the recording ended on its own ("No space left on device"), once;
  // empty when it has not.
  std::string TakeFailure();
  // The file of the running or last recording.
  std::string Path() const;

 private:
  void Write();
  // Under m_lock: ends the recording with `why`.
  void Fail(const std::string& why);

  std::atomic<bool> m_bRecording{false};
  mutable std::mutex m_lock;
  std::condition_variable m_wake;
  std::string m_pending;  // formatted, not yet written
  std::string m_failure;
  std::string m_path;
  CRecordingFormat m_format;
  DWORD m_startTick = 0;
  int m_fd = -1;
  bool m_bStopping = false;
  std::thread m_writer;
};
