// A tap on the session's reads: while enabled, the reader thread leaves a
// copy of every read here with the tick at which it was taken, and another
// thread takes them out. Held reads are bounded (the oldest go first), and
// a disabled tap costs the reader one atomic load a read.
#pragma once

#include <atomic>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/win_types.h"

struct TappedRead {
  std::string bytes;
  DWORD tick = 0;  // GetTickCount when the read returned
};

class CReadTap {
 public:
  static constexpr std::size_t kMaxBytes = 256 * 1024;

  // Enabling starts keeping reads; disabling drops what is held.
  void Enable(bool enable);
  bool Enabled() const { return m_bEnabled.load(std::memory_order_relaxed); }
  // Keeps a copy of `bytes` while enabled.
  void Push(std::string_view bytes, DWORD tick);
  // The reads kept since the last call, oldest first.
  std::vector<TappedRead> Take();

 private:
  std::atomic<bool> m_bEnabled{false};
  std::mutex m_lock;
  std::deque<TappedRead> m_reads;
  std::size_t m_bytes = 0;
};
