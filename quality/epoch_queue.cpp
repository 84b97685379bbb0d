#include "quality/epoch_queue.h"

void CEpochQueue::Decoded(int nGroup, const GPSRecordData& record, DWORD tick) {
  {
    std::lock_guard lock(m_lock);
    if (!m_feed.EndsEpoch(nGroup)) return;
  }
  QueuedEpoch queued{EpochOfRecord(record), static_cast<std::uint32_t>(tick)};
  std::lock_guard lock(m_lock);
  if (m_epochs.size() >= kMaxQueued) m_epochs.pop_front();
  m_epochs.push_back(std::move(queued));
}

std::vector<QueuedEpoch> CEpochQueue::Take() {
  std::lock_guard lock(m_lock);
  std::vector<QueuedEpoch> taken(m_epochs.begin(), m_epochs.end());
  m_epochs.clear();
  return taken;
}

void CEpochQueue::Reset() {
  std::lock_guard lock(m_lock);
  m_feed = CEpochFeed();
  m_epochs.clear();
}
