// Time in one type: a moment is a UtcTime, UTC inside, seconds since
// 1970-01-01T00:00:00Z. A calendar breakdown (CivilTime) is made from it
// only where a date is shown or its year counts: in UTC, or at an offset
// the system gave. The calendar arithmetic (proleptic Gregorian) is written
// here and nowhere else.
#pragma once

#include <cstdint>

namespace lnf {

// A calendar date and time to the second. It holds no zone: the name it goes
// by says which (LocalDateTime, platform/CalendarDateTime.h).
struct CivilTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

bool operator==(const CivilTime& a, const CivilTime& b);
inline bool operator!=(const CivilTime& a, const CivilTime& b) { return !(a == b); }

// The days from 1970-01-01 to a date (negative before it).
std::int64_t DaysFromCivil(int year, int month, int day);

// The seconds from 1970-01-01T00:00:00 to `t`, both in the same zone, and
// back.
std::int64_t SecondsSince1970(const CivilTime& t);
CivilTime CivilFromSeconds(std::int64_t seconds);

class UtcTime {
 public:
  // 1970-01-01T00:00:00Z.
  UtcTime() = default;
  // The moment a date and time in UTC names; a braced UTC date
  // ({2026, 12, 7, 8, 43, 50}) converts to it.
  UtcTime(int year, int month, int day, int hour, int minute, int second);

  static UtcTime FromSeconds(std::int64_t secondsSince1970);
  static UtcTime FromUtc(const CivilTime& utc);
  // The moment of `local`, a time `utcOffsetMinutes` ahead of UTC.
  static UtcTime FromLocal(const CivilTime& local, int utcOffsetMinutes);

  std::int64_t SecondsSince1970() const { return seconds_; }
  CivilTime Utc() const;
  // The calendar of a zone `utcOffsetMinutes` ahead of UTC (+60 in Central
  // European winter, -300 in New York); the system says which offset holds.
  CivilTime AtOffset(int utcOffsetMinutes) const;

  friend bool operator==(UtcTime a, UtcTime b) { return a.seconds_ == b.seconds_; }
  friend bool operator!=(UtcTime a, UtcTime b) { return a.seconds_ != b.seconds_; }
  friend bool operator<(UtcTime a, UtcTime b) { return a.seconds_ < b.seconds_; }

 private:
  std::int64_t seconds_ = 0;
};

}  // namespace lnf
