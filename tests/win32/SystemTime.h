// The SYSTEMTIME of a date and time, for the test programs that date their
// files themselves, apart from the code they check.
#pragma once

#include <windows.h>

#include "platform/Platform.h"

namespace lnf::testing {

inline SYSTEMTIME SystemTimeOf(const LocalDateTime& when) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(when.year);
  st.wMonth = static_cast<WORD>(when.month);
  st.wDay = static_cast<WORD>(when.day);
  st.wHour = static_cast<WORD>(when.hour);
  st.wMinute = static_cast<WORD>(when.minute);
  st.wSecond = static_cast<WORD>(when.second);
  return st;
}

}  // namespace lnf::testing
