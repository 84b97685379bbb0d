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

struct StringTableEntry {
  UINT id;
  const wchar_t* text;
};

// The entries in ascending id order.
extern const StringTableEntry kStringTable[];
extern const std::size_t kStringTableSize;

// The text of string `id`, or nullptr when the table has no such entry.
const wchar_t* FindStringResource(UINT id);
