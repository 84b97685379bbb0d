#include "tests/support/time_zone.h"

#include <cstdlib>
#include <ctime>

ScopedTimeZone::ScopedTimeZone() {
  if (const char* old = std::getenv("TZ")) m_saved = old;
}

ScopedTimeZone::~ScopedTimeZone() {
  if (m_saved) {
    setenv("TZ", m_saved->c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

void ScopedTimeZone::Use(const char* tz) { setenv("TZ", tz, 1); }
