// The texts of the GPS Info page, made from a copy of the GPS data record.
// Whole numbers shown are truncated, never rounded; one-decimal values are
// "%.1f". Date and time are shown in the device's local time.
#pragma once

#include <string>

#include "acquisition/gps_record_data.h"

// Degrees, minutes and seconds of a value, each truncated: 24.18605 gives
// 24°11'9". The sign is not split off; the hemisphere tells it.
std::wstring FormatDms(double dValue);

// Shifts a linear time in seconds from UTC to the device's local time.
long long UtcToLocal(long long nTime);

// Date "yyyy/mm/dd" and time "hh:mm:ss", local, from the packed UTC ddmmyy
// and hhmmss; both empty when a field is out of range.
struct DateTimeTexts {
  std::wstring strDate;
  std::wstring strTime;
};
DateTimeTexts FormatDateTime(int nDate, int nTime);

// "6.1 km/h" from knots; empty when the speed in km/h exceeds a double.
std::wstring FormatSpeed(double dKnots);

// Compass point, a blank and the whole degrees: "E 101°".
std::wstring FormatCourse(double dCourse);

// "No Fix", "2D" or "3D".
std::wstring FormatFix(int nFixMode);

// The hemisphere (or `pszDefault` when none was received), a blank and the
// degrees-minutes-seconds text.
std::wstring FormatCoordinate(double dDegrees, const std::wstring& strHemisphere, const wchar_t* pszDefault);

// The texts of each announced group, as the page shows them.
std::wstring AltitudeText(const GPSRecordData& record);  // group 1

struct FixTexts {  // group 2
  std::wstring strFix;
  std::wstring strPdop;
};
FixTexts FixGroupTexts(const GPSRecordData& record);

struct PositionTexts {  // group 4
  std::wstring strDate;
  std::wstring strTime;
  std::wstring strSpeed;
  std::wstring strCourse;
  std::wstring strLatitude;
  std::wstring strLongitude;
};
PositionTexts PositionGroupTexts(const GPSRecordData& record);
