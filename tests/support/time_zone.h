// A test's own time zone: TZ as the test sets it, and as it was once the
// test is over.
#pragma once

#include <optional>
#include <string>

class ScopedTimeZone {
 public:
  ScopedTimeZone();
  explicit ScopedTimeZone(const char* tz) : ScopedTimeZone() { Use(tz); }
  ~ScopedTimeZone();
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

  // Sets TZ to `tz` (a POSIX zone such as "UTC0" or "CST-8"). No tzset():
  // the code under test must follow TZ by itself.
  void Use(const char* tz);

 private:
  std::optional<std::string> m_saved;
};
