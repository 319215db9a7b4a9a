// Dates: the time zone the drive plays, and the conversions between the
// universal time a file holds and the local time the platform shows.
#include "support/MemoryPlatform.h"

namespace lnf {

namespace {

// --- Calendar arithmetic, in seconds since 1 January 1970 (proleptic
// Gregorian), enough for the time zone rules below.

long long DaysFromCivil(int year, int month, int day) {
  year -= month <= 2;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yoe = year - era * 400;
  const long long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

long long Seconds(const LocalDateTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

LocalDateTime FromSeconds(long long seconds) {
  long long days = seconds / 86400;
  long long rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long doe = days - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yoe + era * 400 + (month <= 2));
  return {year,
          month,
          day,
          static_cast<int>(rest / 3600),
          static_cast<int>(rest / 60 % 60),
          static_cast<int>(rest % 60)};
}

// 01:00 UTC on the last Sunday of `month`.
long long LastSundayAtOne(int year, int month) {
  const long long last = DaysFromCivil(year, month + 1, 1) - 1;
  const long long weekday = ((last + 4) % 7 + 7) % 7;  // 0 is Sunday
  return (last - weekday) * 86400 + 3600;
}

}  // namespace

int MemoryPlatform::OffsetAt(const LocalDateTime& utc) const {
  if (!summerTime_) return standardOffset_;
  const long long at = Seconds(utc);
  const bool summer = at >= LastSundayAtOne(utc.year, 3) && at < LastSundayAtOne(utc.year, 10);
  return standardOffset_ + (summer ? 60 : 0);
}

LocalDateTime MemoryPlatform::ToLocal(const LocalDateTime& utc) const {
  const int offset = OffsetAt(windows9x_ ? nowUtc_ : utc);
  return FromSeconds(Seconds(utc) + offset * 60LL);
}

// The inverse, as a file made with that local time would be stamped.
LocalDateTime MemoryPlatform::ToUtc(const LocalDateTime& local) const {
  if (windows9x_) return FromSeconds(Seconds(local) - OffsetAt(nowUtc_) * 60LL);
  const LocalDateTime standard = FromSeconds(Seconds(local) - standardOffset_ * 60LL);
  const LocalDateTime summer = FromSeconds(Seconds(local) - (standardOffset_ + 60) * 60LL);
  return OffsetAt(summer) != standardOffset_ ? summer : standard;
}

}  // namespace lnf
