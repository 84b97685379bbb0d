// CDecodeSink: told, on the reader's thread, of every line the reader
// decoded into its record, with the record as that line left it. The
// reader tells the window what changed at most once a second; a sink sees
// every line, so it can count every epoch whatever the receiver's rate.
#pragma once

#include "acquisition/gps_record_data.h"
#include "platform/core/win_types.h"

class CDecodeSink {
 public:
  virtual ~CDecodeSink() = default;
  // `nGroup`: the GpsUpdateGroup the line changed; `tick`: GetTickCount
  // when it was decoded. Runs on the reader's thread: keep it short.
  virtual void Decoded(int nGroup, const GPSRecordData& record, DWORD tick) = 0;
};
