// The device's time zone, answered from the C library's time zone (TZ).
#pragma once

#include "platform/core/win_types.h"

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

// Biases are in minutes, UTC = local time + bias: a zone east of Greenwich
// has a negative bias.
struct TIME_ZONE_INFORMATION {
  LONG Bias;
  WCHAR StandardName[32];
  SYSTEMTIME StandardDate;
  LONG StandardBias;
  WCHAR DaylightName[32];
  SYSTEMTIME DaylightDate;
  LONG DaylightBias;
};
using LPTIME_ZONE_INFORMATION = TIME_ZONE_INFORMATION*;

constexpr DWORD TIME_ZONE_ID_UNKNOWN = 0;  // the zone has no daylight time
constexpr DWORD TIME_ZONE_ID_STANDARD = 1;
constexpr DWORD TIME_ZONE_ID_DAYLIGHT = 2;
constexpr DWORD TIME_ZONE_ID_INVALID = 0xFFFFFFFFu;

// Fills Bias with the zone's standard offset, StandardBias with 0 and
// DaylightBias with the difference of its daylight time (0 for a zone without
// one), and the names from the zone's abbreviations. Returns whether standard
// or daylight time is in force now, or TIME_ZONE_ID_UNKNOWN for a zone that
// keeps no daylight time in the coming year. StandardDate and DaylightDate,
// the transition rules, stay zero: the program does not read them.
DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION lpTimeZoneInformation);
