// What a collection records of the system: its version, language, Internet
// Explorer's version and the clock, and file names in the OEM code page.
#include <string>
#include <vector>

#include "platform/win32/MachineSettings.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Win32Platform.h"
#include "win32/Win32Text.h"
#include "win32/WindowsFamily.h"

namespace lnf {

namespace {

std::string TrimBlanks(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Windows 9x keeps the major and minor version in the build number's high
// word.
template <typename Info>
WindowsVersion VersionOf(const Info& info) {
  WindowsVersion version;
  version.nt = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
  version.major = static_cast<int>(info.dwMajorVersion);
  version.minor = static_cast<int>(info.dwMinorVersion);
  version.build = static_cast<int>(version.nt ? info.dwBuildNumber : LOWORD(info.dwBuildNumber));
  // Windows 95 OSR2 says " B", 98 SE " A".
  version.servicePack = TrimBlanks(FromSystem(info.szCSDVersion));
  return version;
}

LocalDateTime CivilOf(const SYSTEMTIME& st) {
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

}  // namespace

WindowsVersion Win32SystemFacts::GetWindowsVersion() {
  if (IsNtFamily()) {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(&info)) Fail(GetLastError(), {});
    return VersionOf(info);
  }
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) Fail(GetLastError(), {});
  return VersionOf(info);
}

SystemLanguage Win32SystemFacts::GetSystemLanguage() {
  SystemLanguage language;
  language.lcid = GetSystemDefaultLCID();
  if (IsNtFamily()) {
    wchar_t name[128];
    if (GetLocaleInfoW(language.lcid, LOCALE_SENGLANGUAGE, name, 128) > 0) {
      language.name = FromSystem(name);
    }
  } else {
    char name[128];
    if (GetLocaleInfoA(language.lcid, LOCALE_SENGLANGUAGE, name, 128) > 0) {
      language.name = FromSystem(name);
    }
  }
  return language;
}

// Internet Explorer 10 and later leave "Version" at 9.10 or 9.11 and keep
// their own in "svcVersion".
std::string Win32SystemFacts::GetInternetExplorerVersion() {
  constexpr const char* kKey = "Software\\Microsoft\\Internet Explorer";
  const std::string service = ReadMachineText(kKey, "svcVersion");
  return service.empty() ? ReadMachineText(kKey, "Version") : service;
}

// The moment now, and the offset that is in force now: the standard or the
// summer bias as the system says which; with no rules for either
// (TIME_ZONE_ID_UNKNOWN), the bias alone. The zone is asked again after the
// clock, so that a change between the two is not mixed up.
ClockReading Win32SystemFacts::ReadClock() {
  ClockReading reading;
  SYSTEMTIME now;
  for (int attempt = 0; attempt < 3; ++attempt) {
    TIME_ZONE_INFORMATION zone;
    const DWORD before = GetTimeZoneInformation(&zone);
    GetSystemTime(&now);
    TIME_ZONE_INFORMATION again;
    const DWORD after = GetTimeZoneInformation(&again);
    reading.now = UtcTime::FromUtc(CivilOf(now));
    if (before == TIME_ZONE_ID_INVALID || before != after) continue;
    LONG bias = zone.Bias;
    if (before == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
    if (before == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
    reading.utcOffsetMinutes = -static_cast<int>(bias);
    return reading;
  }
  // No answer from the zone: the difference of the two clocks, to the
  // minute.
  SYSTEMTIME local;
  GetSystemTime(&now);
  GetLocalTime(&local);
  reading.now = UtcTime::FromUtc(CivilOf(now));
  const long long difference = SecondsSince1970(CivilOf(local)) - reading.now.SecondsSince1970();
  reading.utcOffsetMinutes =
      static_cast<int>((difference >= 0 ? difference + 30 : difference - 30) / 60);
  return reading;
}

// Converted and converted back: a near form (best fit) would name another
// file in the archive.
bool Win32SystemFacts::ToArchiveCodePage(const std::string& utf8, std::string& bytes) {
  bytes.clear();
  // The NT family's own zip folders read names as UTF-8.
  if (IsNtFamily()) return false;
  if (utf8.empty()) return true;
  // Windows 9x converts between its own two code pages.
  std::string ansi;
  if (!ToAnsiExact(utf8, ansi)) {
    bytes = ansi;
    return false;
  }
  const DWORD size = static_cast<DWORD>(ansi.size());
  bytes.assign(ansi.size(), '\0');
  std::string back(ansi.size(), '\0');
  return CharToOemBuffA(ansi.data(), &bytes[0], size) &&
         OemToCharBuffA(bytes.data(), &back[0], size) && back == ansi;
}

}  // namespace lnf
