// The program's string table (language 1028): every user-visible text that
// is not part of a dialog template.
#pragma once

#include <cstddef>

#include "platform/core/win_types.h"

constexpr UINT IDS_TITLE = 128;  // program title
constexpr UINT IDS_START_GPS = 129;
constexpr UINT IDS_STOP_GPS = 130;
constexpr UINT IDS_COMPASS_LETTERS = 131;  // sky plot letters N, W, S, E
constexpr UINT IDS_DMS_FORMAT = 132;       // degrees, minutes, seconds
constexpr UINT IDS_SPEED_FORMAT = 133;
constexpr UINT IDS_COURSE_FORMAT = 134;
constexpr UINT IDS_COMPASS_POINTS = 135;  // eight names joined by line feeds
constexpr UINT IDS_DEMO_GGA = 151;
constexpr UINT IDS_DEMO_GSA = 152;
constexpr UINT IDS_DEMO_GSV1 = 153;
constexpr UINT IDS_DEMO_GSV2 = 154;
constexpr UINT IDS_DEMO_GSV3 = 155;
constexpr UINT IDS_DEMO_RMC = 156;
constexpr UINT IDS_CANNOT_OPEN_PORT = 5010;
constexpr UINT IDS_GPS_NOT_FOUND = 5011;
constexpr UINT IDS_TRY_AGAIN = 5012;
// The second line of "Can not open port.": the system's reason in plain words.
constexpr UINT IDS_OPEN_NO_DEVICE = 5013;
constexpr UINT IDS_OPEN_DENIED = 5014;
constexpr UINT IDS_OPEN_BUSY = 5015;
constexpr UINT IDS_OPEN_NOT_SERIAL = 5016;
constexpr UINT IDS_OPEN_FAILED = 5017;  // any other error: its number
// The raw box's lines while a scan runs.
constexpr UINT IDS_SCAN_STARTED = 5018;
constexpr UINT IDS_SCAN_TRYING = 5019;  // device name, speed
constexpr UINT IDS_SCAN_FOUND = 5020;   // device name, speed
constexpr UINT IDS_SCAN_CANCELLED = 5021;
// The raw box's line after a family's own cold start: family, byte count.
constexpr UINT IDS_COLD_START_SENT = 5022;
constexpr UINT IDS_TTFF_SIRF_STARTS = 5023;
// The TTFF page.
constexpr UINT IDS_START_TEST = 5030;
constexpr UINT IDS_STOP_TEST = 5031;
constexpr UINT IDS_TTFF_NO_SESSION = 5032;
constexpr UINT IDS_TTFF_IDENTIFYING = 5033;
constexpr UINT IDS_TTFF_PLAIN_NMEA = 5034;
constexpr UINT IDS_TTFF_NO_START = 5035;   // family, start kind
constexpr UINT IDS_TTFF_SAVED = 5036;      // the file's place on two lines
constexpr UINT IDS_TTFF_NOT_SAVED = 5037;  // the reason
constexpr UINT IDS_TTFF_READY = 5038;
constexpr UINT IDS_TTFF_WRITE_FAILED = 5039;
// Network sources: the second line of "Can not open port.", ...
constexpr UINT IDS_OPEN_REFUSED = 5040;
constexpr UINT IDS_OPEN_NO_HOST = 5041;
constexpr UINT IDS_OPEN_TIMED_OUT = 5042;
constexpr UINT IDS_OPEN_NOT_GPSD = 5043;
constexpr UINT IDS_OPEN_GPSD_NO_DEVICE = 5044;  // gpsd's devices
constexpr UINT IDS_OPEN_GPSD_SEVERAL = 5045;    // gpsd's devices
// ... the raw box's line after a write a read-only source refused, the TTFF
// page's message then, ...
constexpr UINT IDS_READ_ONLY_SENT_NOTHING = 5046;
constexpr UINT IDS_TTFF_READ_ONLY = 5047;
// ... and the scan's lines for a port without speeds.
constexpr UINT IDS_SCAN_TRYING_NETWORK = 5048;  // device name
constexpr UINT IDS_SCAN_FOUND_NETWORK = 5049;   // device name
// The Setup page's recording: the button's two captions, and the messages
// when a recording cannot start or ends on its own.
constexpr UINT IDS_RECORD = 5050;
constexpr UINT IDS_STOP_RECORD = 5051;
constexpr UINT IDS_RECORD_FAILED = 5054;        // the file, the reason
constexpr UINT IDS_RECORD_CANNOT_START = 5055;  // the reason
// The Accuracy page.
constexpr UINT IDS_ACC_SAVED = 5070;      // the file's place on two lines
constexpr UINT IDS_ACC_NOT_SAVED = 5071;  // the reason

// The reference point box: the message when its text is no point (the
// text), and the hint an empty box shows.
constexpr UINT IDS_ACC_BAD_REFERENCE = 5072;
constexpr UINT IDS_ACC_REFERENCE_HINT = 5073;

struct StringTableEntry {
  UINT id;
  const wchar_t* text;
};

// The entries in ascending id order.
extern const StringTableEntry kStringTable[];
extern const std::size_t kStringTableSize;

// The text of string `id`, or nullptr when the table has no such entry.
const wchar_t* FindStringResource(UINT id);
