#include "Scratch.h"

#include <cstdlib>
#include <cstring>

#include "../win32/HostShell.h"
#include "../win32/SystemTime.h"
#include "Driver.h"

namespace lnf::e2e {

namespace {

// The "\\?\" form of a full path, so that names which Windows' path parsing
// would change ("trail.inv.", "nul.inv", a folder "CON") are made, read and
// removed as they are.
std::wstring Literal(const std::wstring& path) {
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
  return path;
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

ULONGLONG Ticks(const FILETIME& t) {
  return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

FILETIME FromTicks(ULONGLONG ticks) {
  FILETIME t;
  t.dwLowDateTime = static_cast<DWORD>(ticks);
  t.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return t;
}

void CollectTree(const std::wstring& root, const std::wstring& relative,
                 std::map<std::wstring, std::string>& into) {
  const std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Literal(folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      into[path] = "<link>";
    } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      into[path] = "<folder>";
      CollectTree(root, path, into);
    } else {
      into[path] = ReadBytes(root + L"\\" + path).value_or("<unreadable>");
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

}  // namespace

std::wstring FromHostPath(const std::string& path) {
  std::wstring wide = Widen(path);
  if (wide.empty() || wide[0] != L'/') return wide;
  // Wine maps the host's root to drive Z:.
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  return L"Z:" + wide;
}

std::wstring ProductExe() { return FromHostPath(Env("LNF_E2E_PRODUCT")); }

wchar_t SystemDriveLetter() {
  const std::string letter = Env("LNF_E2E_DRIVE");
  return letter.empty() ? L'C' : static_cast<wchar_t>(std::toupper(letter[0]));
}

int Dpi() {
  const int dpi = std::atoi(Env("LNF_E2E_DPI").c_str());
  return dpi > 0 ? dpi : 96;
}

std::wstring ScreenshotDir() { return FromHostPath(Env("LNF_E2E_SCREENSHOTS")); }

std::string WindowsVersion() { return Env("LNF_E2E_WINVER"); }

bool IsWindows9x() {
  const std::string v = WindowsVersion();
  return v == "win95" || v == "win98" || v == "winme";
}

Layout TheLayout() {
  Layout layout;
  layout.drive = std::wstring(1, SystemDriveLetter()) + L":";
  layout.windir = layout.drive + L"\\lnf-e2e\\WINDOWS";
  layout.wuDir = layout.drive + L"\\Program Files\\WindowsUpdate";
  layout.ouDir = layout.drive + L"\\Program Files\\OfficeUpdate";
  layout.backupRoot = layout.drive + L"\\LNF_INV";
  return layout;
}

bool ResetLayout(const Layout& layout) {
  bool ok = RemoveTree(layout.wuDir);
  ok = RemoveTree(layout.ouDir) && ok;
  ok = RemoveTree(layout.backupRoot) && ok;
  ok = RemoveTree(layout.drive + L"\\lnf-e2e") && ok;
  ok = MakeFolders(layout.windir) && ok;
  return MakeFolders(layout.drive + L"\\Program Files") && ok;
}

bool MakeFolders(const std::wstring& path) {
  if (IsFolder(path)) return true;
  const auto slash = path.find_last_of(L'\\');
  if (slash != std::wstring::npos && slash > 2 && !MakeFolders(path.substr(0, slash))) {
    return false;
  }
  return CreateDirectoryW(Literal(path).c_str(), nullptr) || IsFolder(path);
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(Literal(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = bytes.empty() || ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                               &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

bool MakeFile(const std::wstring& path, const std::string& bytes, const Stamp& lastWrite) {
  return WriteBytes(path, bytes) && SetLastWrite(path, lastWrite);
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(Literal(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    bytes.append(buffer, got);
  }
  CloseHandle(file);
  return bytes;
}

bool SetLastWrite(const std::wstring& path, const Stamp& local) {
  SYSTEMTIME localTime =
      testing::SystemTimeOf({local.year, local.month, local.day, local.hour, local.minute, 0});
  SYSTEMTIME utc;
  FILETIME stamp;
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &localTime, &utc) ||
      !SystemTimeToFileTime(&utc, &stamp)) {
    return false;
  }
  HANDLE file =
      CreateFileW(Literal(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const BOOL ok = SetFileTime(file, nullptr, nullptr, &stamp);
  CloseHandle(file);
  return ok;
}

std::optional<FILETIME> LastWrite(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Literal(path).c_str(), GetFileExInfoStandard, &data)) {
    return std::nullopt;
  }
  return data.ftLastWriteTime;
}

bool SetHidden(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(Literal(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         SetFileAttributesW(Literal(path).c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(Literal(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(Literal(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveTree(const std::wstring& path) {
  const std::wstring literal = Literal(path);
  const DWORD attributes = GetFileAttributesW(literal.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  // A link goes, not what it points at. Wine removes no link to a folder
  // itself; the host does.
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    if (RemoveDirectoryW(literal.c_str()) || DeleteFileW(literal.c_str())) return true;
    return host::RunOnHost("rm -f " + host::Quoted(host::UnixPath(literal)));
  }
  SetFileAttributesW(literal.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileW(literal.c_str()) != 0;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((literal + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  return RemoveDirectoryW(literal.c_str()) != 0;
}

std::map<std::wstring, std::string> Tree(const std::wstring& root) {
  std::map<std::wstring, std::string> tree;
  CollectTree(root, L"", tree);
  return tree;
}

LockedFile::LockedFile(const std::wstring& path)
    : handle_(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {}

LockedFile::~LockedFile() { Release(); }

void LockedFile::Release() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

std::vector<std::wstring> SplitLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(L"\r\n", start);
    if (end == std::wstring::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
}

std::optional<LogEntry> ParseLogLine(const std::wstring& line) {
  if (line.empty() || line[0] != L'(') return std::nullopt;
  // The stamp holds no ")", and every closing text begins with one.
  const size_t close = line.find(L')');
  if (close == std::wstring::npos) return std::nullopt;
  return LogEntry{line.substr(1, close - 1), line.substr(close)};
}

std::vector<std::wstring> GeneralDatesBetween(const SYSTEMTIME& from, const SYSTEMTIME& to) {
  FILETIME a, b;
  SystemTimeToFileTime(&from, &a);
  SystemTimeToFileTime(&to, &b);
  const ULONGLONG second = 10000000ULL;
  const ULONGLONG first = Ticks(a) / second * second;
  std::vector<std::wstring> forms;
  for (ULONGLONG t = first; t <= Ticks(b) && forms.size() < 2000; t += second) {
    const FILETIME at = FromTicks(t);
    SYSTEMTIME moment;
    FileTimeToSystemTime(&at, &moment);
    wchar_t date[128] = L"", time[128] = L"";
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &moment, nullptr, date, 128);
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &moment, nullptr, time, 128);
    const bool midnight = moment.wHour == 0 && moment.wMinute == 0 && moment.wSecond == 0;
    forms.push_back(midnight ? std::wstring(date) : std::wstring(date) + L" " + time);
  }
  return forms;
}

bool MakeHostLink(const std::wstring& path, const std::string& target) {
  const std::string link = host::UnixPath(Literal(path));
  return !link.empty() &&
         host::RunOnHost("ln -s " + host::Quoted(target) + " " + host::Quoted(link)) &&
         Exists(path);
}

bool RenameOnHost(const std::wstring& from, const std::wstring& to) {
  const std::string source = host::UnixPath(Literal(from));
  const std::string target = host::UnixPath(Literal(to));
  return !source.empty() && !target.empty() &&
         host::RunOnHost("mv " + host::Quoted(source) + " " + host::Quoted(target)) && Exists(to) &&
         !Exists(from);
}

bool MountSmallDisk(const std::wstring& path, int kilobytes) {
  if (!MakeFolders(path)) return false;
  const std::string folder = host::UnixPath(Literal(path));
  return !folder.empty() && host::RunOnHost("mount -t tmpfs -o size=" + std::to_string(kilobytes) +
                                            "k tmpfs " + host::Quoted(folder));
}

bool UnmountOnHost(const std::wstring& path) {
  const std::string folder = host::UnixPath(Literal(path));
  return !folder.empty() && host::RunOnHost("umount " + host::Quoted(folder));
}

}  // namespace lnf::e2e
