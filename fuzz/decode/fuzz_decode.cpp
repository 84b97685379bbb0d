// Line cutting, decoding and the display texts over any byte stream.
// The first byte steers the run: bit 0 demo mode, bit 1 repair each line's
// checksum (so that the decoders themselves are reached), bits 2 to 7 the
// size of the reads.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "acquisition/field_array.h"
#include "acquisition/gps_record.h"
#include "acquisition/line_cutter.h"
#include "display/gps_format.h"
#include "nmea/checksum.h"

namespace {

void RepairChecksum(std::wstring& line) {
  const std::size_t length = line.size();
  if (length < 9 || line[length - 3] != L'*') {
    return;
  }
  const std::uint8_t sum = NmeaChecksum(std::wstring_view(line).substr(1, length - 4));
  line[length - 2] = NmeaHexDigit(sum >> 4);
  line[length - 1] = NmeaHexDigit(sum);
}

void Require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

}  // namespace

// Every input allocates and frees many small strings; a smaller quarantine
// of freed memory keeps the run well below the fuzzer's memory limit, which
// is there to catch our growth, not the sanitizer's.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=64"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const std::uint8_t control = data[0];
  const auto* bytes = reinterpret_cast<const char*>(data + 1);
  const std::size_t count = size - 1;

  CGPSRecord record;
  if ((control & 1) != 0) {
    record.m_bDemo = TRUE;
    record.LoadDemoSentences();
  }
  CFieldArray fields;
  std::wstring repaired;
  CLineCutter cutter([&](const std::wstring& line) {
    Require(line.size() <= CLineCutter::kMaxLine);
    record.AppendRawText(line, 1024);
    const std::wstring* decoded = &line;
    if ((control & 2) != 0) {
      repaired = line;
      RepairChecksum(repaired);
      decoded = &repaired;
    }
    const int result = record.DecodeLine(*decoded, fields);
    Require(result >= kLineDroppedFields && result <= 4);
    const GPSRecordData snapshot = record.Snapshot();
    Require(snapshot.m_strRawText.size() <= 1024);
    switch (result) {
      case 1:
        AltitudeText(snapshot);
        break;
      case 2:
        FixGroupTexts(snapshot);
        break;
      case 4:
        PositionGroupTexts(snapshot);
        break;
      default:
        break;
    }
  });

  const std::size_t readSize = 1 + (static_cast<std::size_t>(control >> 2) * 17) % 1024;
  for (std::size_t pos = 0; pos < count; pos += readSize) {
    cutter.Feed(bytes + pos, count - pos < readSize ? count - pos : readSize);
  }
  return 0;
}
