// Dates: the time zone the drive plays, and the conversions between the
// universal time a file holds and the local time the platform shows. The
// calendar arithmetic is the product's own (time/Time.h).
#include "support/MemoryPlatform.h"

namespace lnf {

namespace {

// 01:00 UTC on the last Sunday of `month`.
std::int64_t LastSundayAtOne(int year, int month) {
  const std::int64_t last = DaysFromCivil(year, month + 1, 1) - 1;
  const std::int64_t weekday = ((last + 4) % 7 + 7) % 7;  // 0 is Sunday
  return (last - weekday) * 86400 + 3600;
}

}  // namespace

int MemoryPlatform::OffsetAt(const LocalDateTime& utc) const {
  if (!summerTime_) return standardOffset_;
  const std::int64_t at = SecondsSince1970(utc);
  const bool summer = at >= LastSundayAtOne(utc.year, 3) && at < LastSundayAtOne(utc.year, 10);
  return standardOffset_ + (summer ? 60 : 0);
}

LocalDateTime MemoryPlatform::ToLocal(const LocalDateTime& utc) const {
  return UtcTime::FromUtc(utc).AtOffset(OffsetAt(windows9x_ ? nowUtc_ : utc));
}

// The inverse, as a file made with that local time would be stamped.
LocalDateTime MemoryPlatform::ToUtc(const LocalDateTime& local) const {
  if (windows9x_) return UtcTime::FromLocal(local, OffsetAt(nowUtc_)).Utc();
  const LocalDateTime standard = UtcTime::FromLocal(local, standardOffset_).Utc();
  const LocalDateTime summer = UtcTime::FromLocal(local, standardOffset_ + 60).Utc();
  return OffsetAt(summer) != standardOffset_ ? summer : standard;
}

ClockReading MemoryPlatform::ReadClock() {
  if (clockSet_) return clockReading_;
  return {UtcTime::FromUtc(nowUtc_), OffsetAt(nowUtc_)};
}

}  // namespace lnf
