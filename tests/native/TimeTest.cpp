#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "time/Time.h"

namespace lnf {
namespace {

std::string Text(const CivilTime& t) {
  return std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day) +
         " " + std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" +
         std::to_string(t.second);
}

int DaysIn(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// Moments whose seconds since 1970 are known from elsewhere (date -u +%s):
// the epoch and the second before it, leap days of a century year that is
// one (2000) and the day after February in those that are not (1900, 2100),
// 2^31 seconds, the file-time epoch, and the last second a DOS date holds.
TEST(Time, KnownMomentsBothWays) {
  const struct {
    CivilTime civil;
    std::int64_t seconds;
  } kMoments[] = {
      {{1970, 1, 1, 0, 0, 0}, 0},
      {{1969, 12, 31, 23, 59, 59}, -1},
      {{2000, 2, 29, 0, 0, 0}, 951782400},
      {{2000, 3, 1, 0, 0, 0}, 951868800},
      {{1900, 3, 1, 0, 0, 0}, -2203891200},
      {{2100, 2, 28, 23, 59, 59}, 4107542399},
      {{2100, 3, 1, 0, 0, 0}, 4107542400},
      {{2038, 1, 19, 3, 14, 8}, 2147483648},
      {{1601, 1, 1, 0, 0, 0}, -11644473600},
      {{2107, 12, 31, 23, 59, 59}, 4354819199},
  };
  for (const auto& moment : kMoments) {
    SCOPED_TRACE(Text(moment.civil));
    EXPECT_EQ(SecondsSince1970(moment.civil), moment.seconds);
    EXPECT_EQ(Text(CivilFromSeconds(moment.seconds)), Text(moment.civil));
    EXPECT_EQ(UtcTime::FromUtc(moment.civil).SecondsSince1970(), moment.seconds);
    EXPECT_EQ(Text(UtcTime::FromSeconds(moment.seconds).Utc()), Text(moment.civil));
  }
}

// Day after day through two and a half centuries, each midnight and the
// second before it: the calendar the arithmetic gives is the one the leap
// rule gives, and every date maps back to its own seconds.
TEST(Time, EveryDayFollowsTheLeapRule) {
  CivilTime expected{1899, 12, 31, 0, 0, 0};
  for (std::int64_t seconds = SecondsSince1970(expected); expected.year < 2110; seconds += 86400) {
    const CivilTime midnight = CivilFromSeconds(seconds);
    ASSERT_EQ(Text(midnight), Text(expected));
    ASSERT_EQ(SecondsSince1970(midnight), seconds) << Text(midnight);
    const CivilTime last = CivilFromSeconds(seconds - 1);
    ASSERT_EQ(last.hour * 3600 + last.minute * 60 + last.second, 86399) << Text(midnight);
    if (++expected.day > DaysIn(expected.year, expected.month)) {
      expected.day = 1;
      if (++expected.month > 12) {
        expected.month = 1;
        ++expected.year;
      }
    }
  }
}

// The offset is local time less UTC: east of UTC the local calendar is
// ahead. Across a year's end, into a leap day and out of one, and to the
// quarter hour.
TEST(Time, LocalCalendarsAtAnOffsetAndBack) {
  const struct {
    UtcTime utc;
    int offset;
    CivilTime local;
  } kCases[] = {
      {{2026, 12, 7, 8, 43, 50}, 60, {2026, 12, 7, 9, 43, 50}},
      {{2027, 1, 1, 3, 30, 0}, -300, {2026, 12, 31, 22, 30, 0}},
      {{2028, 2, 29, 19, 15, 0}, 345, {2028, 3, 1, 1, 0, 0}},
      {{2028, 3, 1, 2, 0, 0}, -180, {2028, 2, 29, 23, 0, 0}},
      {{2027, 2, 14, 0, 0, 0}, 60, {2027, 2, 14, 1, 0, 0}},
      {{2027, 2, 28, 23, 0, 0}, 60, {2027, 3, 1, 0, 0, 0}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(Text(c.local));
    EXPECT_EQ(Text(c.utc.AtOffset(c.offset)), Text(c.local));
    EXPECT_TRUE(UtcTime::FromLocal(c.local, c.offset) == c.utc);
    EXPECT_EQ(Text(c.utc.AtOffset(0)), Text(c.utc.Utc()));
  }
}

}  // namespace
}  // namespace lnf
