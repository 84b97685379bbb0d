// What a recording holds for each read (nmea/recording.h names the comment
// lines and where they may go): the read's bytes unchanged, and before the
// first line that starts in the read, the "#t MS" line of its time. A read
// that ends mid-line or mid-frame gives its time to the next line that
// starts in it, or to none.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "nmea/recording.h"

struct RecordingHeader {
  std::string date;     // UTC, "2026-12-08T08:44:23Z"
  std::string port;     // as the Setup page shows it: "COM1: cdc_acm"
  unsigned speed = 0;   // bits per second; 0 for a network source, "none" in the file
  std::string program;  // "Zelmora 1.0.0"
};

class CRecordingFormat {
 public:
  // The header's comment lines.
  static std::string HeaderText(const RecordingHeader& header);

  // Appends to `out` the read `bytes`, returned `ms` after the recording
  // started, with its time comment where a line starts in it.
  void AppendRead(std::string& out, std::string_view bytes, std::uint64_t ms);

 private:
  RecordingScanner m_scanner;
};
