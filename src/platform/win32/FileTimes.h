// A moment as the system's file times count it: 100 ns from
// 1601-01-01T00:00:00Z, UTC like a UtcTime. The rest of a second is dropped,
// as the manifest and the zip keep none.
#pragma once

#include <windows.h>

#include <cstdint>

#include "time/Time.h"

namespace lnf {

constexpr std::int64_t kFileTimeTicksPerSecond = 10000000;
constexpr std::int64_t kFileTimeSecondsTo1970 = 11644473600;

inline UtcTime UtcTimeOf(const FILETIME& ft) {
  const auto ticks = static_cast<std::int64_t>(static_cast<std::uint64_t>(ft.dwHighDateTime) << 32 |
                                               ft.dwLowDateTime);
  return UtcTime::FromSeconds(ticks / kFileTimeTicksPerSecond - kFileTimeSecondsTo1970);
}

inline FILETIME FileTimeOf(UtcTime t) {
  const auto ticks = static_cast<std::uint64_t>((t.SecondsSince1970() + kFileTimeSecondsTo1970) *
                                                kFileTimeTicksPerSecond);
  return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

}  // namespace lnf
