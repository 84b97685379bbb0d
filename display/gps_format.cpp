#include "display/gps_format.h"

#include <cmath>

#include "acquisition/field_array.h"
#include "platform/core/numbers.h"
#include "platform/core/timezone.h"
#include "resources/string_table.h"

namespace {

const wchar_t* StringResource(UINT id) {
  const wchar_t* text = FindStringResource(id);
  return text != nullptr ? text : L"";
}

// Days since 1970-01-01 of a proleptic Gregorian date. A day past the end of
// its month simply runs on into the next month.
long long DaysFromCivil(long long year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yearOfEra = year - era * 400;
  const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

struct CivilDate {
  long long year;
  int month;
  int day;
};

CivilDate CivilFromDays(long long days) {
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long dayOfEra = days - era * 146097;
  const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long monthIndex = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  const int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

// The three two-digit numbers of a packed ddmmyy or hhmmss value, read from
// its "%.6d" text. Only 0 to 999999 has such a text of six digits.
bool SplitSixDigits(int nPacked, int (&parts)[3]) {
  if (nPacked < 0 || nPacked > 999999) {
    return false;
  }
  parts[0] = nPacked / 10000;
  parts[1] = nPacked / 100 % 100;
  parts[2] = nPacked % 100;
  return true;
}

// The compass point of a course: each of the eight covers 45° centred on it,
// a course on a boundary belongs to the next point clockwise. A negative
// course is first taken modulo 360 (floored, so -60 is 300).
int CompassIndex(double dCourse) {
  if (dCourse < 0) {
    dCourse = std::fmod(dCourse, 360.0) + 360.0;
  }
  return TruncateToInt((dCourse + 22.5) * (1.0 / 45.0)) % 8;
}

}  // namespace

std::wstring FormatDms(double dValue) {
  const int d = TruncateToInt(dValue);
  const double mf = (dValue - d) * 60;
  const int m = TruncateToInt(mf);
  const double sf = (mf - m) * 60;
  const int s = TruncateToInt(sf);
  return FormatText(StringResource(IDS_DMS_FORMAT), {d, m, s});
}

long long UtcToLocal(long long nTime) {
  TIME_ZONE_INFORMATION zone{};
  const DWORD id = GetTimeZoneInformation(&zone);
  long long bias = zone.Bias;
  if (id == TIME_ZONE_ID_STANDARD) {
    bias += zone.StandardBias;
  } else if (id == TIME_ZONE_ID_DAYLIGHT) {
    bias += zone.DaylightBias;
  }
  return nTime - bias * 60;
}

DateTimeTexts FormatDateTime(int nDate, int nTime) {
  int date[3];
  int time[3];
  if (!SplitSixDigits(nDate, date) || !SplitSixDigits(nTime, time)) {
    return {};
  }
  const int day = date[0];
  const int month = date[1];
  const int year = 2000 + date[2];
  const int hour = time[0];
  const int minute = time[1];
  const int second = time[2];
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) {
    return {};
  }
  const long long utc = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
  const long long local = UtcToLocal(utc);
  long long days = local / 86400;
  long long seconds = local % 86400;
  if (seconds < 0) {
    seconds += 86400;
    --days;
  }
  const CivilDate civil = CivilFromDays(days);
  const int secondOfDay = static_cast<int>(seconds);
  return {FormatText(L"%.4d/%.2d/%.2d", {static_cast<int>(civil.year), civil.month, civil.day}),
          FormatText(L"%.2d:%.2d:%.2d", {secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60})};
}

std::wstring FormatSpeed(double dKnots) {
  // A speed too large to convert is no speed: blank, not "inf km/h".
  const double kmh = dKnots * 1.852;
  return std::isfinite(kmh) ? FormatText(StringResource(IDS_SPEED_FORMAT), {kmh}) : std::wstring();
}

std::wstring FormatCourse(double dCourse) {
  const std::wstring degrees = FormatText(StringResource(IDS_COURSE_FORMAT), {TruncateToInt(dCourse)});
  CFieldArray names;
  SplitFields(StringResource(IDS_COMPASS_POINTS), L'\n', names);
  const auto index = static_cast<std::size_t>(CompassIndex(dCourse));
  const std::wstring& name = index < names.GetSize() ? names[index] : std::wstring();
  return FormatText(L"%s %s", {name, degrees});
}

std::wstring FormatFix(int nFixMode) {
  if (nFixMode == 3) {
    return L"3D";
  }
  return nFixMode == 2 ? L"2D" : L"No Fix";
}

std::wstring FormatCoordinate(double dDegrees, const std::wstring& strHemisphere, const wchar_t* pszDefault) {
  const std::wstring hemisphere = strHemisphere.empty() ? std::wstring(pszDefault) : strHemisphere;
  return FormatText(L"%s %s", {hemisphere, FormatDms(dDegrees)});
}

std::wstring AltitudeText(const GPSRecordData& record) { return FormatText(L"%.1f", {record.m_dAltitude}); }

FixTexts FixGroupTexts(const GPSRecordData& record) {
  return {FormatFix(record.m_nFixMode), FormatText(L"%.1f", {record.m_dPDOP})};
}

PositionTexts PositionGroupTexts(const GPSRecordData& record) {
  DateTimeTexts dateTime = FormatDateTime(record.m_nDate, record.m_nTime);
  return {std::move(dateTime.strDate),
          std::move(dateTime.strTime),
          FormatSpeed(record.m_dSpeed),
          FormatCourse(record.m_dCourse),
          FormatCoordinate(record.m_dLatitude, record.m_strNS, L"N"),
          FormatCoordinate(record.m_dLongitude, record.m_strEW, L"E")};
}
