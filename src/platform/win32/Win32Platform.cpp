#include "platform/win32/Win32Platform.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/PathText.h"
#include "platform/SearchErrors.h"

namespace lnf {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

// UTF-16 text for the wide functions. Not WideText: that one links the
// C++ library's whole prebuilt copy into the exe.
using WideText = std::u16string;

const wchar_t* Ptr(const WideText& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// --- Text at the boundary: UTF-8 inside, UTF-16 for the wide functions, the
// ANSI code page for the ANSI ones (Windows 95 has no CP_UTF8, so ANSI goes
// through UTF-16 by hand).

WideText ToWide(const std::string& utf8) { return Utf8ToUtf16(utf8); }

std::string FromWide(const wchar_t* text, std::size_t length) {
  const auto* units = reinterpret_cast<const char16_t*>(text);
  return Utf16ToUtf8(WideText(units, units + length));
}

std::string FromWide(const wchar_t* text) {
  return FromWide(text, std::char_traits<wchar_t>::length(text));
}

std::string FromAnsi(const char* text, int length) {
  if (length <= 0) return {};
  const int count = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
  WideText wide(static_cast<std::size_t>(count), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text, length, reinterpret_cast<wchar_t*>(&wide[0]), count);
  return Utf16ToUtf8(wide);
}

std::string FromAnsi(const char* text) {
  return FromAnsi(text, static_cast<int>(std::char_traits<char>::length(text)));
}

// False when some character has no exact ANSI form. The round trip catches
// best-fit substitutions too ("ā" quietly becoming "a" would name another
// file), which the used-default flag alone does not.
bool ToAnsi(const std::string& utf8, std::string& ansi) {
  ansi.clear();
  const WideText wide = ToWide(utf8);
  if (wide.empty()) return true;
  const int length = static_cast<int>(wide.size());
  const int count = WideCharToMultiByte(CP_ACP, 0, Ptr(wide), length, nullptr, 0, nullptr, nullptr);
  if (count <= 0) return false;
  ansi.assign(static_cast<std::size_t>(count), '\0');
  WideCharToMultiByte(CP_ACP, 0, Ptr(wide), length, &ansi[0], count, nullptr, nullptr);
  return ToWide(FromAnsi(ansi.data(), count)) == wide;
}

// --- Failures: every one is told the same way, with the number the system
// gave right after the failing call and the system's own text for it.

std::string TrimTrailingBlanks(std::string text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' ||
                           text.back() == '\t')) {
    text.pop_back();
  }
  return text;
}

std::string Describe(DWORD number, bool nt) {
  const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  std::string text;
  if (nt) {
    wchar_t buffer[1024];
    const DWORD length = FormatMessageW(flags, nullptr, number, 0, buffer, 1024, nullptr);
    if (length > 0) text = FromWide(buffer, length);
  } else {
    char buffer[1024];
    const DWORD length = FormatMessageA(flags, nullptr, number, 0, buffer, 1024, nullptr);
    if (length > 0) text = FromAnsi(buffer, static_cast<int>(length));
  }
  text = TrimTrailingBlanks(text);
  return text.empty() ? "Unknown error." : text;
}

[[noreturn]] void Fail(DWORD number, bool nt, const std::string& subject) {
  throw PlatformError(number, Describe(number, nt), subject);
}

// --- Paths as the system wants them.

bool IsAbsoluteDrivePath(const WideText& path) {
  return path.size() >= 3 &&
         ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z')) &&
         path[1] == u':' && path[2] == u'\\';
}

// "\\?\" switches off the system's own clean-up of a path, so "." and ".."
// and doubled separators are resolved here; `root` characters ("C:\" or
// "\\server\share\") are kept as they are and never climbed above. Names are
// otherwise left exactly as given: a trailing dot or blank is part of a name.
WideText Canonical(const WideText& path, std::size_t root) {
  std::vector<WideText> parts;
  std::size_t start = root;
  while (start <= path.size()) {
    std::size_t end = path.find(u'\\', start);
    if (end == WideText::npos) end = path.size();
    const WideText part = path.substr(start, end - start);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  WideText out = path.substr(0, root);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += u'\\';
    out += parts[i];
  }
  if (!parts.empty() && path.back() == u'\\') out += u'\\';
  return out;
}

// The "\\?\" form of a path, in which the NT family takes every name
// literally ("trail.inv.", "nul.inv", a folder "CON") and no length limit
// but the file system's applies. Paths already in a system form, and the
// relative ones (which only the system can resolve), go as they are.
WideText LiteralForm(const WideText& path) {
  if (IsAbsoluteDrivePath(path)) return u"\\\\?\\" + Canonical(path, 3);
  if (path.size() < 3 || path[0] != u'\\' || path[1] != u'\\' || path[2] == u'?' ||
      path[2] == u'.') {
    return path;
  }
  // "\\server\share\rest": the share is the root.
  const std::size_t share = path.find(u'\\', 2);
  if (share == WideText::npos || share == 2 || share + 1 >= path.size()) return path;
  std::size_t root = path.find(u'\\', share + 1);
  root = root == WideText::npos ? path.size() : root + 1;
  return u"\\\\?\\UNC\\" + Canonical(path, root).substr(2);
}

// A path in the form the running system takes: wide on NT, ANSI on 9x.
struct NativePath {
  bool nt;
  WideText wide;
  std::string ansi;
};

// MAX_PATH counts the terminating null; CreateDirectory keeps 12 characters
// back for an 8.3 name inside the new folder. Only Windows 9x is held to
// them: on NT every path goes in its "\\?\" form.
constexpr std::size_t kPathLimit = MAX_PATH;
constexpr std::size_t kFolderPathLimit = MAX_PATH - 12;

// `subject` names the path(s) in a failure.
NativePath Prepare(bool nt, std::string path, std::size_t limit, const std::string& subject) {
  std::replace(path.begin(), path.end(), '/', '\\');
  NativePath native{nt, {}, {}};
  if (nt) {
    native.wide = LiteralForm(ToWide(path));
    return native;
  }
  // Windows 9x would work on another file (trailing dots and blanks
  // dropped) or open a device, which may never answer: such names are
  // refused before the system sees them.
  if (PathHoldsNameThatParsingChanges(path)) Fail(ERROR_INVALID_NAME, nt, subject);
  if (!ToAnsi(path, native.ansi)) Fail(ERROR_NO_UNICODE_TRANSLATION, nt, subject);
  // The ANSI functions would cut such a path short and work on another one.
  if (native.ansi.size() >= limit) Fail(ERROR_FILENAME_EXCED_RANGE, nt, subject);
  return native;
}

NativePath Prepare(bool nt, const std::string& path, std::size_t limit = kPathLimit) {
  return Prepare(nt, path, limit, path);
}

DWORD AttributesOf(const NativePath& p) {
  return p.nt ? GetFileAttributesW(Ptr(p.wide)) : GetFileAttributesA(p.ansi.c_str());
}

BOOL SetAttributesOf(const NativePath& p, DWORD attributes) {
  return p.nt ? SetFileAttributesW(Ptr(p.wide), attributes)
              : SetFileAttributesA(p.ansi.c_str(), attributes);
}

BOOL CopyOnce(const NativePath& from, const NativePath& to) {
  // Never overwrite here: replacing is done by renaming, so that a failed
  // copy cannot damage what is already at the destination.
  return from.nt ? CopyFileW(Ptr(from.wide), Ptr(to.wide), TRUE)
                 : CopyFileA(from.ansi.c_str(), to.ansi.c_str(), TRUE);
}

BOOL Rename(const NativePath& from, const NativePath& to) {
  return from.nt ? MoveFileW(Ptr(from.wide), Ptr(to.wide))
                 : MoveFileA(from.ansi.c_str(), to.ansi.c_str());
}

// Removes a file this code made itself; CopyFile carries the source's
// read-only bit over, which would make DeleteFile refuse.
void RemoveOwnFile(const NativePath& p) {
  SetAttributesOf(p, FILE_ATTRIBUTE_NORMAL);
  if (p.nt) {
    DeleteFileW(Ptr(p.wide));
  } else {
    DeleteFileA(p.ansi.c_str());
  }
}

bool IsExistsError(DWORD error) {
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

BOOL RemoveFolderOf(const NativePath& p) {
  return p.nt ? RemoveDirectoryW(Ptr(p.wide)) : RemoveDirectoryA(p.ansi.c_str());
}

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder;
}

// A copy in progress in `folder` (which ends in a separator).
std::string StagingName(const std::string& folder, const char* extension, int number) {
  return folder + StagingFileName(number, extension);
}

// Removes the new copies that an interrupted run left in `folder`: only
// names this code gives them, hidden or read-only ones too.
void SweepStaging(bool nt, const std::string& folder) {
  const std::string base = WithSeparator(folder);
  const NativePath pattern = Prepare(nt, base + "~lnf-*");
  WIN32_FIND_DATAW wide{};
  WIN32_FIND_DATAA ansi{};
  const HANDLE find =
      nt ? FindFirstFileW(Ptr(pattern.wide), &wide) : FindFirstFileA(pattern.ansi.c_str(), &ansi);
  if (find == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> names;
  do {
    const DWORD attributes = nt ? wide.dwFileAttributes : ansi.dwFileAttributes;
    const std::string name = nt ? FromWide(wide.cFileName) : FromAnsi(ansi.cFileName);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) && IsCopyInProgressName(name))
      names.push_back(name);
  } while (nt ? FindNextFileW(find, &wide) : FindNextFileA(find, &ansi));
  FindClose(find);
  // One still open elsewhere stays; the copies pass over its number.
  for (const std::string& name : names) RemoveOwnFile(Prepare(nt, base + name));
}

// --- Directory enumeration.

bool IsDotEntry(const std::string& name) { return name == "." || name == ".."; }

class FindEnumeration final : public DirectoryEnumeration {
 public:
  FindEnumeration(bool nt, std::string subject, std::string folder, std::string namePattern,
                  bool wholeFolder, int filter)
      : nt_(nt),
        subject_(std::move(subject)),
        folder_(std::move(folder)),
        namePattern_(std::move(namePattern)),
        wholeFolder_(wholeFolder),
        filter_(filter) {}
  FindEnumeration(const FindEnumeration&) = delete;
  FindEnumeration& operator=(const FindEnumeration&) = delete;
  ~FindEnumeration() override {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }

  void Start(const NativePath& pattern) {
    handle_ = nt_ ? FindFirstFileW(Ptr(pattern.wide), &wide_)
                  : FindFirstFileA(pattern.ansi.c_str(), &ansi_);
    if (handle_ != INVALID_HANDLE_VALUE) return;
    const DWORD error = GetLastError();
    // A missing folder, a folder part that is a file (ERROR_DIRECTORY on NT),
    // a missing drive or share: all mean "no such entry" to the caller.
    if (MeansNoSuchEntry(error)) return;
    Fail(error, nt_, subject_);
  }

  std::string Next() override {
    while (handle_ != INVALID_HANDLE_VALUE) {
      if (started_ && !Advance()) break;
      started_ = true;
      const std::string name = nt_ ? FromWide(wide_.cFileName) : FromAnsi(ansi_.cFileName);
      if (Yields(name, nt_ ? wide_.dwFileAttributes : ansi_.dwFileAttributes)) return name;
    }
    return {};
  }

 private:
  bool Advance() {
    if (nt_ ? FindNextFileW(handle_, &wide_) : FindNextFileA(handle_, &ansi_)) return true;
    const DWORD error = GetLastError();
    FindClose(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    if (error != ERROR_NO_MORE_FILES) Fail(error, nt_, subject_);
    return false;
  }

  bool Yields(const std::string& name, DWORD attributes) const {
    // "." and ".." are markers of the folder, not entries; they carry the
    // folder's own attributes, so the hidden rule must not judge them.
    if (IsDotEntry(name)) return wholeFolder_ && filter_ == kFilterWithFolders;
    if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return false;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && filter_ != kFilterWithFolders) return false;
    // The system also matches 8.3 aliases ("*.gng" finds "x.gngx" through
    // "X~1.GNG"); only the long name counts.
    if (!WildcardMatch(namePattern_, name)) return false;
    return !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
           (attributes & FILE_ATTRIBUTE_DIRECTORY) || LinkTargetExists(name);
  }

  // A file link whose target is gone is no file to back up; the system lists
  // it all the same. Only reparse points pay for this look (one open).
  // Windows 9x has no links.
  bool LinkTargetExists(const std::string& name) const {
    if (!nt_) return true;
    const NativePath path = Prepare(nt_, folder_ + name, kPathLimit, subject_);
    const HANDLE target = CreateFileW(Ptr(path.wide), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (target != INVALID_HANDLE_VALUE) {
      CloseHandle(target);
      return true;
    }
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
           error != ERROR_CANT_RESOLVE_FILENAME;
  }

  bool nt_;
  std::string subject_;
  std::string folder_;
  std::string namePattern_;
  bool wholeFolder_;
  int filter_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool started_ = false;
  WIN32_FIND_DATAW wide_{};
  WIN32_FIND_DATAA ansi_{};
};

// A find handle on one exact path, for what GetFileAttributesEx would give
// (Windows 95 lacks it).
FILETIME LastWriteOf(bool nt, const std::string& path) {
  const std::string name = SplitAtLastSeparator(path).name;
  // FindFirstFile would take these as wildcards and report some other file.
  if (name.find_first_of("*?<>\"") != std::string::npos) Fail(ERROR_INVALID_NAME, nt, path);
  const NativePath native = Prepare(nt, path);
  // NT 4.0 and later answer with one query; opening a search instead makes
  // some file systems read the whole folder, once per file of a backup.
  using AttributesEx = BOOL(WINAPI*)(LPCWSTR, GET_FILEEX_INFO_LEVELS, LPVOID);
  static const AttributesEx attributesEx =
      nt ? reinterpret_cast<AttributesEx>(reinterpret_cast<void*>(
               GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFileAttributesExW")))
         : nullptr;
  if (attributesEx) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!attributesEx(Ptr(native.wide), GetFileExInfoStandard, &data)) {
      Fail(GetLastError(), nt, path);
    }
    return data.ftLastWriteTime;
  }
  WIN32_FIND_DATAW wide{};
  WIN32_FIND_DATAA ansi{};
  const HANDLE handle =
      nt ? FindFirstFileW(Ptr(native.wide), &wide) : FindFirstFileA(native.ansi.c_str(), &ansi);
  if (handle == INVALID_HANDLE_VALUE) Fail(GetLastError(), nt, path);
  FindClose(handle);
  return nt ? wide.ftLastWriteTime : ansi.ftLastWriteTime;
}

// Not every system sets an error number when a file has no version resource.
DWORD NoVersionError(DWORD error) { return error != 0 ? error : ERROR_RESOURCE_TYPE_NOT_FOUND; }

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

// Puts the complete copy `fresh` in the place of `to` on NT: one rename,
// which replaces an earlier copy there.
DWORD RenameIntoPlace(const NativePath& fresh, const NativePath& to) {
  if (MoveFileExW(Ptr(fresh.wide), Ptr(to.wide), MOVEFILE_REPLACE_EXISTING)) return ERROR_SUCCESS;
  const DWORD error = GetLastError();
  // Only now is the destination looked at: looking first would cost a search
  // of a big folder for every new name.
  const DWORD earlier = AttributesOf(to);
  if (earlier == INVALID_FILE_ATTRIBUTES) return error;
  // What CopyFile itself says of a folder in the way.
  if (earlier & FILE_ATTRIBUTE_DIRECTORY) return ERROR_ACCESS_DENIED;
  // MoveFileEx will not replace a read-only file.
  if (!(earlier & FILE_ATTRIBUTE_READONLY)) return error;
  SetAttributesOf(to, earlier & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  if (MoveFileExW(Ptr(fresh.wide), Ptr(to.wide), MOVEFILE_REPLACE_EXISTING)) return ERROR_SUCCESS;
  const DWORD again = GetLastError();
  SetAttributesOf(to, earlier);
  return again;
}

// The same on Windows 9x, where MoveFileExA is a stub: an earlier copy steps
// aside under a staging name of its own and is put back if the new one
// cannot take its place. A run stopped in between leaves it there, where no
// sweep removes it.
DWORD RenameIntoPlace9x(const NativePath& fresh, const NativePath& to, const std::string& staging,
                        const std::string& subject) {
  const DWORD earlier = AttributesOf(to);
  if (earlier != INVALID_FILE_ATTRIBUTES && (earlier & FILE_ATTRIBUTE_DIRECTORY)) {
    return ERROR_ACCESS_DENIED;
  }
  if (earlier == INVALID_FILE_ATTRIBUTES) return Rename(fresh, to) ? ERROR_SUCCESS : GetLastError();
  NativePath aside{};
  for (int number = 0;; ++number) {
    aside = Prepare(false, StagingName(staging, ".old", number), kPathLimit, subject);
    if (AttributesOf(aside) == INVALID_FILE_ATTRIBUTES) break;
  }
  if (!Rename(to, aside)) return GetLastError();
  if (!Rename(fresh, to)) {
    const DWORD error = GetLastError();
    Rename(aside, to);
    return error;
  }
  RemoveOwnFile(aside);
  return ERROR_SUCCESS;
}

// Copies `from` into `staging` (a folder ending in a separator), then gives
// that copy the name `to`; the error number of the failing step, with
// everything undone, or success.
DWORD CopyThrough(bool nt, const NativePath& from, const NativePath& to, const std::string& staging,
                  const std::string& subject) {
  NativePath fresh{};
  for (int number = 0;; ++number) {
    fresh = Prepare(nt, StagingName(staging, ".tmp", number), kPathLimit, subject);
    if (CopyOnce(from, fresh)) break;
    const DWORD error = GetLastError();
    // A name still taken: one an earlier run could not sweep, or another
    // run's copy in progress.
    if (IsExistsError(error) && number < 1000) continue;
    if (!IsExistsError(error)) RemoveOwnFile(fresh);
    return error;
  }
  const DWORD error =
      nt ? RenameIntoPlace(fresh, to) : RenameIntoPlace9x(fresh, to, staging, subject);
  if (error != ERROR_SUCCESS) RemoveOwnFile(fresh);
  return error;
}

// --- Local time at a date.

// The zone's rules for one year, from Windows Vista on, which keeps the
// rules of past years (a zone that dropped summer time, or moved it). Loaded
// by name: NT 4.0 lacks them.
using DynamicZoneQuery = DWORD(WINAPI*)(DYNAMIC_TIME_ZONE_INFORMATION*);
using ZoneForYearQuery = BOOL(WINAPI*)(USHORT, DYNAMIC_TIME_ZONE_INFORMATION*,
                                       TIME_ZONE_INFORMATION*);

FARPROC Kernel32(const char* name) {
  return GetProcAddress(GetModuleHandleA("kernel32.dll"), name);
}

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

}  // namespace

std::string FormatGeneralDate(const LocalDateTime& when, bool ntFamily) {
  const SYSTEMTIME st = ToSystemTime(when);
  std::string date;
  std::string time;
  if (ntFamily) {
    wchar_t buffer[128];
    int length = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, 128);
    if (length <= 0) Fail(GetLastError(), ntFamily, {});
    date = FromWide(buffer);
    length = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, 128);
    if (length <= 0) Fail(GetLastError(), ntFamily, {});
    time = FromWide(buffer);
  } else {
    char buffer[128];
    int length = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, 128);
    if (length <= 0) Fail(GetLastError(), ntFamily, {});
    date = FromAnsi(buffer);
    length = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, 128);
    if (length <= 0) Fail(GetLastError(), ntFamily, {});
    time = FromAnsi(buffer);
  }
  const bool midnight = when.hour == 0 && when.minute == 0 && when.second == 0;
  return ComposeGeneralDate(date, time, midnight);
}

// The high bit of GetVersion is set on Windows 9x (and Win32s) only.
Win32Platform::Win32Platform() : nt_((::GetVersion() & 0x80000000u) == 0) {}

std::unique_ptr<DirectoryEnumeration> Win32Platform::Enumerate(const std::string& pattern,
                                                               int attributeFilter) {
  const SplitPattern split = SplitAtLastSeparator(pattern);
  const bool wholeFolder = !pattern.empty() && split.name.empty();
  const std::string search = wholeFolder ? pattern + "*" : pattern;
  auto enumeration = std::make_unique<FindEnumeration>(nt_, pattern, split.folder,
                                                       wholeFolder ? std::string("*") : split.name,
                                                       wholeFolder, attributeFilter);
  enumeration->Start(Prepare(nt_, search, kPathLimit, pattern));
  return enumeration;
}

std::uint32_t Win32Platform::GetAttributes(const std::string& path) {
  const DWORD attributes = AttributesOf(Prepare(nt_, path));
  if (attributes == INVALID_FILE_ATTRIBUTES) Fail(GetLastError(), nt_, path);
  return attributes;
}

void Win32Platform::CreateFolder(const std::string& path) {
  const NativePath native = Prepare(nt_, path, kFolderPathLimit);
  const BOOL made = nt_ ? CreateDirectoryW(Ptr(native.wide), nullptr)
                        : CreateDirectoryA(native.ansi.c_str(), nullptr);
  if (!made) Fail(GetLastError(), nt_, path);
}

void Win32Platform::CopyFileReplacing(const std::string& source, const std::string& destination,
                                      const std::string& stagingFolder) {
  const std::string subject = source + " -> " + destination;
  const NativePath from = Prepare(nt_, source, kPathLimit, subject);
  const NativePath to = Prepare(nt_, destination, kPathLimit, subject);

  // Every copy, a first one too, is made under a staging name and renamed
  // once complete: a run cut short leaves no half-written file under a real
  // name. A staging folder elsewhere in the tree may lie on another volume
  // (a mount point), where no rename reaches; then the copy is made beside.
  const std::string beside = SplitAtLastSeparator(destination).folder;
  const std::string staging = stagingFolder.empty() ? beside : WithSeparator(stagingFolder);
  DWORD error = CopyThrough(nt_, from, to, staging, subject);
  if (error == ERROR_NOT_SAME_DEVICE && staging != beside) {
    error = CopyThrough(nt_, from, to, beside, subject);
  }
  if (error != ERROR_SUCCESS) Fail(error, nt_, subject);
}

bool Win32Platform::OpenStaging(const std::string& folder) {
  try {
    SweepStaging(nt_, folder);
    const NativePath native = Prepare(nt_, folder, kFolderPathLimit);
    const BOOL made = nt_ ? CreateDirectoryW(Ptr(native.wide), nullptr)
                          : CreateDirectoryA(native.ansi.c_str(), nullptr);
    if (made) return true;
    const DWORD attributes = AttributesOf(native);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  } catch (const PlatformError&) {
    return false;  // a path this system cannot take: copies stage beside
  }
}

void Win32Platform::CloseStaging(const std::string& folder) noexcept {
  try {
    SweepStaging(nt_, folder);
    // Fails, as it should, when something else is in the folder.
    RemoveFolderOf(Prepare(nt_, folder, kFolderPathLimit));
  } catch (...) {
  }
}

std::string Win32Platform::UpperCaseName(const std::string& name) {
  if (nt_) {
    // Looked up, not imported: nothing says Windows 95's USER32 has it, and
    // an import it lacks would stop the exe from loading there at all.
    using UpperBuffer = DWORD(WINAPI*)(LPWSTR, DWORD);
    static const UpperBuffer upper = reinterpret_cast<UpperBuffer>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "CharUpperBuffW")));
    WideText wide = ToWide(name);
    if (upper && !wide.empty()) {
      upper(reinterpret_cast<wchar_t*>(&wide[0]), static_cast<DWORD>(wide.size()));
    } else {
      for (char16_t& unit : wide) {
        if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - 32);
      }
    }
    return Utf16ToUtf8(wide);
  }
  std::string ansi;
  // A name the code page cannot spell names no file on 9x; it stays as it is.
  if (!ToAnsi(name, ansi) || ansi.empty()) return name;
  CharUpperBuffA(&ansi[0], static_cast<DWORD>(ansi.size()));
  return FromAnsi(ansi.data(), static_cast<int>(ansi.size()));
}

std::string Win32Platform::ErrorText(std::uint32_t number) { return Describe(number, nt_); }

LocalDateTime Win32Platform::GetLastWriteTime(const std::string& path) {
  const FILETIME written = LastWriteOf(nt_, path);
  SYSTEMTIME st;
  if (nt_) {
    SYSTEMTIME utc;
    if (!FileTimeToSystemTime(&written, &utc) || !LocalAtItsDate(utc, st)) {
      Fail(GetLastError(), nt_, path);
    }
  } else {
    // Windows 9x knows no other offset than today's.
    FILETIME local;
    if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &st)) {
      Fail(GetLastError(), nt_, path);
    }
  }
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::string Win32Platform::GetEnvironmentValue(const std::string& name) {
  // The length asked for includes the terminating null; a value that fits is
  // reported by its length without it.
  if (nt_) {
    const WideText wideName = ToWide(name);
    std::vector<wchar_t> buffer(256);
    for (;;) {
      const DWORD size = static_cast<DWORD>(buffer.size());
      const DWORD length = GetEnvironmentVariableW(Ptr(wideName), buffer.data(), size);
      if (length == 0) return {};
      if (length < size) return FromWide(buffer.data(), length);
      buffer.resize(length);
    }
  }
  std::string ansiName;
  // No variable can have a name the ANSI environment cannot spell.
  if (!ToAnsi(name, ansiName)) return {};
  std::vector<char> buffer(256);
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = GetEnvironmentVariableA(ansiName.c_str(), buffer.data(), size);
    if (length == 0) return {};
    if (length < size) return FromAnsi(buffer.data(), static_cast<int>(length));
    buffer.resize(length);
  }
}

void Win32Platform::ShowModalMessage(const std::string& text, int buttonsAndIcon,
                                     const std::string& title) {
  const HWND owner = static_cast<HWND>(owner_);
  const UINT type = static_cast<UINT>(buttonsAndIcon);
  if (nt_) {
    MessageBoxW(owner, Ptr(ToWide(text)), Ptr(ToWide(title)), type);
    return;
  }
  std::string ansiText;
  std::string ansiTitle;
  // A character the code page lacks shows as its default character; the
  // message still gets through.
  ToAnsi(text, ansiText);
  ToAnsi(title, ansiTitle);
  MessageBoxA(owner, ansiText.c_str(), ansiTitle.c_str(), type);
}

int Win32Platform::ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }

int Win32Platform::ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

std::string Win32Platform::NowAsGeneralDate() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return FormatGeneralDate({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond},
                           nt_);
}

VersionNumbers Win32Platform::GetVersion() {
  std::vector<char> data;
  std::string module;
  if (nt_) {
    std::vector<wchar_t> path(MAX_PATH);
    DWORD length;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
           path.size()) {
      path.resize(path.size() * 2);
    }
    if (length == 0) Fail(GetLastError(), nt_, {});
    module = FromWide(path.data(), length);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.data(), &handle);
    if (size == 0) Fail(NoVersionError(GetLastError()), nt_, module);
    data.resize(size);
    if (!GetFileVersionInfoW(path.data(), 0, size, data.data())) Fail(GetLastError(), nt_, module);
  } else {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0) Fail(GetLastError(), nt_, {});
    module = FromAnsi(path, static_cast<int>(length));
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) Fail(NoVersionError(GetLastError()), nt_, module);
    data.resize(size);
    if (!GetFileVersionInfoA(path, 0, size, data.data())) Fail(GetLastError(), nt_, module);
  }
  void* block = nullptr;
  UINT blockSize = 0;
  const BOOL found = nt_ ? VerQueryValueW(data.data(), L"\\", &block, &blockSize)
                         : VerQueryValueA(data.data(), "\\", &block, &blockSize);
  if (!found || blockSize < sizeof(VS_FIXEDFILEINFO)) {
    Fail(ERROR_RESOURCE_DATA_NOT_FOUND, nt_, module);
  }
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(block);
  return {HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
          LOWORD(info->dwFileVersionLS)};
}

// --- The system's own program-files folder.

namespace {

constexpr const char* kCurrentVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kProgramFilesValue = "ProgramFilesDir";

// A REG_SZ or REG_EXPAND_SZ value of HKLM\<kCurrentVersionKey>, with the
// environment's variables put in for the latter; empty when the key or the
// value is missing or holds no text. The wide functions on the NT family (any
// folder name), the ANSI ones on 9x, where the wide ones are stubs.
std::string ReadCurrentVersionTextW(const char* valueName) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Ptr(ToWide(kCurrentVersionKey)), 0, KEY_QUERY_VALUE,
                    &key) != ERROR_SUCCESS) {
    return {};
  }
  const WideText name = ToWide(valueName);
  DWORD type = 0;
  std::vector<wchar_t> text;
  LONG result = ERROR_MORE_DATA;
  // Asked again should the value have grown between the two calls.
  for (int attempt = 0; attempt < 4 && result == ERROR_MORE_DATA; ++attempt) {
    DWORD size = 0;
    result = RegQueryValueExW(key, Ptr(name), nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS) break;
    // One more, zeroed: a stored value need not end in a null.
    text.assign(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>((text.size() - 1) * sizeof(wchar_t));
    result = RegQueryValueExW(key, Ptr(name), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                              &size);
  }
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  if (type == REG_EXPAND_SZ) {
    const DWORD length = ExpandEnvironmentStringsW(text.data(), nullptr, 0);
    if (length == 0) return {};
    std::vector<wchar_t> expanded(length + 1, L'\0');
    if (ExpandEnvironmentStringsW(text.data(), expanded.data(), length + 1) == 0) return {};
    text.swap(expanded);
  }
  return FromWide(text.data());
}

std::string ReadCurrentVersionTextA(const char* valueName) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersionKey, 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return {};
  }
  DWORD type = 0;
  std::vector<char> text;
  LONG result = ERROR_MORE_DATA;
  for (int attempt = 0; attempt < 4 && result == ERROR_MORE_DATA; ++attempt) {
    DWORD size = 0;
    result = RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS) break;
    text.assign(size + 1, '\0');
    size = static_cast<DWORD>(text.size() - 1);
    result = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                              &size);
  }
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  if (type == REG_EXPAND_SZ) {
    const DWORD length = ExpandEnvironmentStringsA(text.data(), nullptr, 0);
    if (length == 0) return {};
    // The ANSI form wants a byte more than the length it reports.
    std::vector<char> expanded(length + 2, '\0');
    if (ExpandEnvironmentStringsA(text.data(), expanded.data(), length + 1) == 0) return {};
    text.swap(expanded);
  }
  return FromAnsi(text.data());
}

}  // namespace

std::string Win32Platform::GetProgramFilesFolder() {
  std::string folder = nt_ ? ReadCurrentVersionTextW(kProgramFilesValue)
                           : ReadCurrentVersionTextA(kProgramFilesValue);
  // "C:\Programme\" names the same folder as "C:\Programme".
  while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

}  // namespace lnf
