// Dates (a file's last write in local time or UTC, the clock in the user's
// date form), a file's size, and the program's own version numbers.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/PathText.h"
#include "platform/win32/FileTimes.h"
#include "platform/win32/FindFile.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Win32Platform.h"
#include "win32/WindowsFamily.h"

namespace lnf {

namespace {

FARPROC Kernel32(const char* name) {
  return GetProcAddress(GetModuleHandleA("kernel32.dll"), name);
}

// What the tool asks of one file.
struct FileRecord {
  FILETIME lastWrite;
  std::uint64_t size;
};

// What GetFileAttributesEx gives, or a find handle on one exact path where
// it is missing (Windows 95).
FileRecord RecordOf(const std::string& path) {
  const std::string name = SplitAtLastSeparator(path).name;
  // FindFirstFile would take these as wildcards and report some other file.
  if (name.find_first_of("*?<>\"") != std::string::npos) Fail(ERROR_INVALID_NAME, path);
  const NativePath native = Prepare(path);
  // NT 4.0 and later answer with one query; opening a search instead makes
  // some file systems read the whole folder, once per file of a backup.
  using AttributesEx = BOOL(WINAPI*)(LPCWSTR, GET_FILEEX_INFO_LEVELS, LPVOID);
  static const AttributesEx attributesEx =
      IsNtFamily() ? reinterpret_cast<AttributesEx>(
                         reinterpret_cast<void*>(Kernel32("GetFileAttributesExW")))
                   : nullptr;
  if (attributesEx) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!attributesEx(Ptr(native.wide), GetFileExInfoStandard, &data)) Fail(GetLastError(), path);
    return {data.ftLastWriteTime,
            (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow};
  }
  FindFile find;
  if (!find.First(native)) Fail(find.Error(), path);
  return {find.LastWrite(), find.Size()};
}

SYSTEMTIME ToSystemTime(const LocalDateTime& when) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(when.year);
  st.wMonth = static_cast<WORD>(when.month);
  st.wDay = static_cast<WORD>(when.day);
  st.wHour = static_cast<WORD>(when.hour);
  st.wMinute = static_cast<WORD>(when.minute);
  st.wSecond = static_cast<WORD>(when.second);
  return st;
}

// --- Local time at a date.

// The zone's rules for one year, from Windows Vista on, which keeps the
// rules of past years (a zone that dropped summer time, or moved it). Loaded
// by name: NT 4.0 lacks them.
using DynamicZoneQuery = DWORD(WINAPI*)(DYNAMIC_TIME_ZONE_INFORMATION*);
using ZoneForYearQuery = BOOL(WINAPI*)(USHORT, DYNAMIC_TIME_ZONE_INFORMATION*,
                                       TIME_ZONE_INFORMATION*);

// The rules of each year asked for, read once: they come from the registry.
// Kept while the zone stays the same; a change of zone (a cheap query)
// drops them.
struct YearRules {
  int year;
  bool known;
  TIME_ZONE_INFORMATION rules;
};

bool SameZone(const TIME_ZONE_INFORMATION& a, const TIME_ZONE_INFORMATION& b) {
  return a.Bias == b.Bias && a.StandardBias == b.StandardBias && a.DaylightBias == b.DaylightBias &&
         std::memcmp(a.StandardName, b.StandardName, sizeof a.StandardName) == 0 &&
         std::memcmp(&a.StandardDate, &b.StandardDate, sizeof a.StandardDate) == 0 &&
         std::memcmp(&a.DaylightDate, &b.DaylightDate, sizeof a.DaylightDate) == 0;
}

const TIME_ZONE_INFORMATION* RulesOfYear(int year) {
  static const auto dynamicZone = reinterpret_cast<DynamicZoneQuery>(
      reinterpret_cast<void*>(Kernel32("GetDynamicTimeZoneInformation")));
  static const auto zoneForYear = reinterpret_cast<ZoneForYearQuery>(
      reinterpret_cast<void*>(Kernel32("GetTimeZoneInformationForYear")));
  if (!dynamicZone || !zoneForYear) return nullptr;
  static TIME_ZONE_INFORMATION zoneNow{};
  static std::vector<YearRules> known;
  TIME_ZONE_INFORMATION current;
  if (GetTimeZoneInformation(&current) == TIME_ZONE_ID_INVALID) return nullptr;
  if (!SameZone(current, zoneNow)) {
    zoneNow = current;
    known.clear();
  }
  for (const YearRules& rules : known) {
    if (rules.year == year) return rules.known ? &rules.rules : nullptr;
  }
  YearRules rules{year, false, {}};
  DYNAMIC_TIME_ZONE_INFORMATION zone;
  // With summer time switched off by the user, today's rules (which then
  // have none) are the ones the system itself uses.
  if (dynamicZone(&zone) != TIME_ZONE_ID_INVALID && !zone.DynamicDaylightTimeDisabled) {
    rules.known = zoneForYear(static_cast<USHORT>(year), &zone, &rules.rules) != FALSE;
  }
  known.push_back(rules);
  return rules.known ? &known.back().rules : nullptr;
}

// The local time of `utc` with the offset in force then: the rules of that
// year where the system keeps them, else today's rules applied to that date
// (NT 4.0 to XP). Not FileTimeToLocalFileTime: it applies today's offset, so
// that a file's year could depend on the season the tool runs in.
bool LocalAtItsDate(const SYSTEMTIME& utc, SYSTEMTIME& local) {
  if (!SystemTimeToTzSpecificLocalTime(RulesOfYear(utc.wYear), &utc, &local)) return false;
  // Around New Year the local year is the one whose rules count.
  if (local.wYear != utc.wYear) {
    const TIME_ZONE_INFORMATION* rules = RulesOfYear(local.wYear);
    if (rules && !SystemTimeToTzSpecificLocalTime(rules, &utc, &local)) return false;
  }
  return true;
}

// One part of the general date form, by GetDateFormat or GetTimeFormat in
// either character set.
template <typename Char>
std::string FormatPart(int(WINAPI* format)(LCID, DWORD, const SYSTEMTIME*, const Char*, Char*, int),
                       DWORD flags, const SYSTEMTIME& st) {
  Char buffer[128];
  if (format(LOCALE_USER_DEFAULT, flags, &st, nullptr, buffer, 128) <= 0) Fail(GetLastError(), {});
  return FromSystem(buffer);
}

// --- The version resource.

// Not every system sets an error number when a file has no version resource.
DWORD NoVersionError(DWORD error) { return error != 0 ? error : ERROR_RESOURCE_TYPE_NOT_FOUND; }

// The version resource of the file at `path` (`module` in failures).
template <typename Char>
std::vector<char> VersionResource(const Char* path, const std::string& module,
                                  DWORD(WINAPI* sizeOf)(const Char*, DWORD*),
                                  BOOL(WINAPI* read)(const Char*, DWORD, DWORD, void*)) {
  DWORD handle = 0;
  const DWORD size = sizeOf(path, &handle);
  if (size == 0) Fail(NoVersionError(GetLastError()), module);
  std::vector<char> data(size);
  if (!read(path, 0, size, data.data())) Fail(GetLastError(), module);
  return data;
}

}  // namespace

std::string FormatGeneralDate(const LocalDateTime& when) {
  const SYSTEMTIME st = ToSystemTime(when);
  const bool nt = IsNtFamily();
  const std::string date = nt ? FormatPart(GetDateFormatW, DATE_SHORTDATE, st)
                              : FormatPart(GetDateFormatA, DATE_SHORTDATE, st);
  const std::string time =
      nt ? FormatPart(GetTimeFormatW, 0, st) : FormatPart(GetTimeFormatA, 0, st);
  const bool midnight = when.hour == 0 && when.minute == 0 && when.second == 0;
  return ComposeGeneralDate(date, time, midnight);
}

std::string Win32SystemInfo::NowAsGeneralDate() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return FormatGeneralDate({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
}

namespace {

// A file time as the system shows it in local time; false on failure.
bool ShownLocal(const FILETIME& written, SYSTEMTIME& st) {
  if (IsNtFamily()) {
    SYSTEMTIME utc;
    return FileTimeToSystemTime(&written, &utc) && LocalAtItsDate(utc, st);
  }
  // Windows 9x knows no other offset than today's.
  FILETIME local;
  return FileTimeToLocalFileTime(&written, &local) && FileTimeToSystemTime(&local, &st);
}

}  // namespace

LocalDateTime Win32FileSystem::DoGetLastWriteTime(const std::string& path) {
  SYSTEMTIME st;
  if (!ShownLocal(RecordOf(path).lastWrite, st)) Fail(GetLastError(), path);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

LocalDateTime Win32SystemFacts::LocalTimeAt(const UtcDateTime& utc) {
  SYSTEMTIME st;
  if (!ShownLocal(FileTimeOf(utc), st)) Fail(GetLastError(), {});
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

// The time as the file system keeps it: no zone comes into it.
FileFacts Win32FileStreams::DoGetFileFacts(const std::string& path) {
  const FileRecord record = RecordOf(path);
  return {record.size, UtcTimeOf(record.lastWrite)};
}

VersionNumbers Win32SystemInfo::GetVersion() {
  std::vector<char> data;
  std::string module;
  if (IsNtFamily()) {
    // The wide form has no length limit, so the buffer grows until the name fits.
    std::vector<wchar_t> path(MAX_PATH);
    DWORD length;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
           path.size()) {
      path.resize(path.size() * 2);
    }
    if (length == 0) Fail(GetLastError(), {});
    module = FromSystem(path.data(), length);
    data = VersionResource(path.data(), module, GetFileVersionInfoSizeW, GetFileVersionInfoW);
  } else {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0) Fail(GetLastError(), {});
    module = FromSystem(path, length);
    data = VersionResource<char>(path, module, GetFileVersionInfoSizeA, GetFileVersionInfoA);
  }
  void* block = nullptr;
  UINT blockSize = 0;
  const BOOL found = IsNtFamily() ? VerQueryValueW(data.data(), L"\\", &block, &blockSize)
                                  : VerQueryValueA(data.data(), "\\", &block, &blockSize);
  if (!found || blockSize < sizeof(VS_FIXEDFILEINFO)) Fail(ERROR_RESOURCE_DATA_NOT_FOUND, module);
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(block);
  return {HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
          LOWORD(info->dwFileVersionLS)};
}

bool Win32SystemFacts::GetVolumeFacts(const std::string& root, VolumeFacts& volume) {
  // The system wants the root with its trailing backslash.
  const std::string path = root.empty() || root.back() != '\\' ? root + '\\' : root;
  DWORD serial = 0;
  if (IsNtFamily()) {
    wchar_t label[MAX_PATH + 1];
    if (!GetVolumeInformationW(Ptr(ToWide(path)), label, MAX_PATH + 1, &serial, nullptr, nullptr,
                               nullptr, 0)) {
      return false;
    }
    volume.label = FromSystem(label);
  } else {
    std::string ansi;
    char label[MAX_PATH + 1];
    if (!ToAnsiExact(path, ansi) || !GetVolumeInformationA(ansi.c_str(), label, MAX_PATH + 1,
                                                           &serial, nullptr, nullptr, nullptr, 0)) {
      return false;
    }
    volume.label = FromSystem(label);
  }
  volume.serial = serial;
  return true;
}

}  // namespace lnf
