#include "time/Time.h"

namespace lnf {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

}  // namespace

bool operator==(const CivilTime& a, const CivilTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
         a.minute == b.minute && a.second == b.second;
}

// The well-known era arithmetic: a 400-year era starting on 1 March, so that
// the leap day comes last in its year.
std::int64_t DaysFromCivil(int year, int month, int day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

std::int64_t SecondsSince1970(const CivilTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * kSecondsPerDay + t.hour * 3600LL +
         t.minute * 60LL + t.second;
}

CivilTime CivilFromSeconds(std::int64_t seconds) {
  std::int64_t days = seconds / kSecondsPerDay;
  std::int64_t rest = seconds % kSecondsPerDay;
  // Division rounds toward zero; a moment before 1970 belongs to the day before.
  if (rest < 0) {
    rest += kSecondsPerDay;
    --days;
  }
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t mp = (5 * dayOfYear + 2) / 153;
  CivilTime t;
  t.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(yearOfEra + era * 400 + (t.month <= 2));
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  return t;
}

UtcTime::UtcTime(int year, int month, int day, int hour, int minute, int second)
    : seconds_(lnf::SecondsSince1970(CivilTime{year, month, day, hour, minute, second})) {}

UtcTime UtcTime::FromSeconds(std::int64_t secondsSince1970) {
  UtcTime t;
  t.seconds_ = secondsSince1970;
  return t;
}

UtcTime UtcTime::FromUtc(const CivilTime& utc) { return FromSeconds(lnf::SecondsSince1970(utc)); }

UtcTime UtcTime::FromLocal(const CivilTime& local, int utcOffsetMinutes) {
  return FromSeconds(lnf::SecondsSince1970(local) - utcOffsetMinutes * 60LL);
}

CivilTime UtcTime::Utc() const { return CivilFromSeconds(seconds_); }

CivilTime UtcTime::AtOffset(int utcOffsetMinutes) const {
  return CivilFromSeconds(seconds_ + utcOffsetMinutes * 60LL);
}

}  // namespace lnf
