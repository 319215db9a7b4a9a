// A calendar date and time, to the second, as the system's clock and file
// dates give it; whether local or UTC is said by the name it goes by.
#pragma once

namespace lnf {

struct CalendarDateTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// In local time.
using LocalDateTime = CalendarDateTime;
// In UTC.
using UtcDateTime = CalendarDateTime;

}  // namespace lnf
