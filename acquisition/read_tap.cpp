#include "acquisition/read_tap.h"

void CReadTap::Enable(bool enable) {
  std::lock_guard<std::mutex> guard(m_lock);
  m_bEnabled = enable;
  if (!enable) {
    m_reads.clear();
    m_bytes = 0;
  }
}

void CReadTap::Push(std::string_view bytes, DWORD tick) {
  if (bytes.empty() || !Enabled()) return;
  std::lock_guard<std::mutex> guard(m_lock);
  if (!m_bEnabled) return;
  m_reads.push_back({std::string(bytes), tick});
  m_bytes += bytes.size();
  while (m_bytes > kMaxBytes && m_reads.size() > 1) {
    m_bytes -= m_reads.front().bytes.size();
    m_reads.pop_front();
  }
}

std::vector<TappedRead> CReadTap::Take() {
  std::lock_guard<std::mutex> guard(m_lock);
  std::vector<TappedRead> reads(std::make_move_iterator(m_reads.begin()), std::make_move_iterator(m_reads.end()));
  m_reads.clear();
  m_bytes = 0;
  return reads;
}
