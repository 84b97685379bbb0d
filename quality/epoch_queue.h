// CEpochQueue: the session's epochs as the reader decodes them, handed to
// the window's thread. The reader's thread sees every decoded line (through
// CDecodeSink), ends an epoch at each RMC as CEpochFeed says, and queues
// what the figures read of it with its tick; the window's thread takes them
// out and counts them. So every epoch is counted at any rate, although the
// window hears of the record at most once a second.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "acquisition/decode_sink.h"
#include "quality/quality_statistics.h"
#include "quality/record_epoch.h"

struct QueuedEpoch {
  QualityEpoch epoch;
  std::uint32_t nTickMs = 0;  // GetTickCount when its RMC was decoded
};

class CEpochQueue : public CDecodeSink {
 public:
  // Seven minutes at 10 Hz: a window thread that takes none for that long
  // has hung; the oldest go first.
  static constexpr std::size_t kMaxQueued = 4096;

  void Decoded(int nGroup, const GPSRecordData& record, DWORD tick) override;
  // The epochs queued since the last call, oldest first.
  std::vector<QueuedEpoch> Take();
  // Forgets the queued epochs and whether an altitude came: a new session.
  void Reset();

 private:
  std::mutex m_lock;
  CEpochFeed m_feed;
  std::deque<QueuedEpoch> m_epochs;
};
