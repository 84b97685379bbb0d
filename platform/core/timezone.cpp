#include "platform/core/timezone.h"

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace {

// What the zone says, computed at most once per second and TZ value: the
// answer can only change when TZ changes or a transition passes.
struct ZoneAnswer {
  std::optional<std::string> tz;
  std::time_t second = -1;
  DWORD id = TIME_ZONE_ID_INVALID;
  TIME_ZONE_INFORMATION info{};
};

void CopyName(WCHAR (&target)[32], const char* name) {
  std::size_t i = 0;
  for (; name != nullptr && name[i] != '\0' && i + 1 < 32; ++i) {
    target[i] = static_cast<unsigned char>(name[i]);
  }
  target[i] = L'\0';
}

ZoneAnswer Compute(std::optional<std::string> tz, std::time_t now) {
  ZoneAnswer answer;
  answer.tz = std::move(tz);
  answer.second = now;
  tzset();

  std::tm local{};
  localtime_r(&now, &local);
  const bool daylightNow = local.tm_isdst > 0;

  // The other kind of time, looked for over the coming year in steps of two
  // weeks; every transition rule in use keeps daylight time longer than that.
  std::optional<long> standardOffset;
  std::optional<long> daylightOffset;
  std::string standardName;
  std::string daylightName;
  (daylightNow ? daylightOffset : standardOffset) = local.tm_gmtoff;
  (daylightNow ? daylightName : standardName) = local.tm_zone != nullptr ? local.tm_zone : "";
  constexpr std::time_t kStep = 14 * 24 * 3600;
  for (int step = 1; step <= 27 && !(standardOffset && daylightOffset); ++step) {
    const std::time_t probe = now + step * kStep;
    std::tm other{};
    localtime_r(&probe, &other);
    if (other.tm_isdst > 0 && !daylightOffset) {
      daylightOffset = other.tm_gmtoff;
      daylightName = other.tm_zone != nullptr ? other.tm_zone : "";
    } else if (other.tm_isdst == 0 && !standardOffset) {
      standardOffset = other.tm_gmtoff;
      standardName = other.tm_zone != nullptr ? other.tm_zone : "";
    }
  }
  if (!standardOffset) {
    // Daylight time all year: the C library still knows the standard offset.
    standardOffset = -timezone;
    standardName = tzname[0];
  }

  answer.info.Bias = static_cast<LONG>(-*standardOffset / 60);
  answer.info.StandardBias = 0;
  answer.info.DaylightBias = daylightOffset ? static_cast<LONG>(-(*daylightOffset - *standardOffset) / 60) : 0;
  CopyName(answer.info.StandardName, standardName.c_str());
  CopyName(answer.info.DaylightName, daylightName.c_str());
  if (daylightNow) {
    answer.id = TIME_ZONE_ID_DAYLIGHT;
  } else {
    answer.id = daylightOffset ? TIME_ZONE_ID_STANDARD : TIME_ZONE_ID_UNKNOWN;
  }
  return answer;
}

}  // namespace

// Maps to tzset and localtime_r (tm_isdst, tm_gmtoff) for the zone named by
// TZ, or /etc/localtime when TZ is not set.
DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION lpTimeZoneInformation) {
  if (lpTimeZoneInformation == nullptr) {
    return TIME_ZONE_ID_INVALID;
  }
  thread_local ZoneAnswer cached;
  const char* tz = std::getenv("TZ");
  const bool sameZone = tz == nullptr ? !cached.tz.has_value() : (cached.tz.has_value() && *cached.tz == tz);
  const std::time_t now = std::time(nullptr);
  if (cached.second != now || !sameZone) {
    cached = Compute(tz == nullptr ? std::nullopt : std::optional<std::string>(tz), now);
  }
  *lpTimeZoneInformation = cached.info;
  return cached.id;
}
