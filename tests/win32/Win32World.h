// The platform contract's world on real files: a scratch folder under the
// user's temporary folder, made and examined with the wide functions.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "../contract/PlatformContract.h"
#include "HostShell.h"
#include "SystemTime.h"
#include "platform/PathText.h"
#include "platform/win32/Win32Platform.h"
#include "win32/WindowsFamily.h"

namespace lnf::contract {

// The world is built with the wide functions and "\\?\" paths whatever the
// platform under test uses, so that it stands apart from the code it checks
// (Wine has the wide functions in its Windows 98 mode too).
inline std::wstring Wide(const std::string& utf8) {
  const std::u16string text = Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

inline std::string Utf8(const std::wstring& wide) {
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

inline std::wstring Long(const std::string& path) { return L"\\\\?\\" + Wide(path); }

inline void Check(bool ok, const std::string& what) {
  if (!ok) throw std::runtime_error(what + ": error " + std::to_string(GetLastError()));
}

inline void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      // A link goes, not what it points at.
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
          !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveTree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(folder.c_str());
}

class Win32World {
 public:
  Win32World() {
    static int made = 0;
    wchar_t temp[MAX_PATH];
    Check(GetTempPathW(MAX_PATH, temp) > 0, "GetTempPath");
    std::string folder = Utf8(temp);
    if (folder.back() == '\\') folder.pop_back();
    root_ = folder + "\\lnf-contract-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++made);
    RemoveTree(Long(root_));
    Check(CreateDirectoryW(Long(root_).c_str(), nullptr), "CreateDirectory " + root_);
  }
  ~Win32World() {
    for (HANDLE held : held_) CloseHandle(held);
    // Wine removes no link to a folder; the host does.
    if (madeLinks_) host::RunOnHost("rm -rf " + host::Quoted(host::UnixPath(Wide(root_))));
    RemoveTree(Long(root_));
  }
  Win32World(const Win32World&) = delete;
  Win32World& operator=(const Win32World&) = delete;

  Win32Platform& platform() { return platform_; }
  std::string Root() const { return root_; }

  void MakeFolder(const std::string& path, std::uint32_t attributes) {
    Check(CreateDirectoryW(Long(path).c_str(), nullptr), "CreateDirectory " + path);
    if (attributes) Check(SetFileAttributesW(Long(path).c_str(), attributes), "SetFileAttributes");
  }

  void MakeFile(const std::string& path, const std::string& contents,
                const LocalDateTime& lastWrite, std::uint32_t attributes) {
    const std::wstring name = Long(path);
    SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    const HANDLE file =
        CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    Check(file != INVALID_HANDLE_VALUE, "CreateFile " + path);
    DWORD written = 0;
    const BOOL wrote =
        WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    SYSTEMTIME st = testing::SystemTimeOf(lastWrite);
    // Stamped so that the platform reads `lastWrite` back: NT takes the
    // offset of that date, 9x today's.
    FILETIME local;
    FILETIME utc;
    SYSTEMTIME universal;
    const BOOL converted =
        IsNtFamily() ? TzSpecificLocalTimeToSystemTime(nullptr, &st, &universal) &&
                           SystemTimeToFileTime(&universal, &utc)
                     : SystemTimeToFileTime(&st, &local) && LocalFileTimeToFileTime(&local, &utc);
    const BOOL dated = converted && SetFileTime(file, nullptr, nullptr, &utc);
    CloseHandle(file);
    Check(wrote && written == contents.size() && dated, "writing " + path);
    if (attributes) Check(SetFileAttributesW(name.c_str(), attributes), "SetFileAttributes");
  }

  bool Exists(const std::string& path) const {
    return GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  std::string Contents(const std::string& path) const {
    const HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<unreadable: " + std::to_string(GetLastError()) + ">";
    std::string contents;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
      contents.append(buffer, got);
    }
    CloseHandle(file);
    return contents;
  }

  void SetEnvironment(const std::string& name, const std::string& value) {
    Check(SetEnvironmentVariableW(Wide(name).c_str(), Wide(value).c_str()), "SetEnvironment");
  }

  // Open for reading, as a viewer would hold it: it can be read, but neither
  // written nor renamed over.
  void HoldOpen(const std::string& path) {
    const HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    Check(file != INVALID_HANDLE_VALUE, "opening " + path);
    held_.push_back(file);
  }

  // Windows 9x reaches files through the ANSI code page only.
  bool CanName(const std::string& name) const {
    if (IsNtFamily()) return true;
    const std::wstring wide = Wide(name);
    BOOL lossy = FALSE;
    char ansi[MAX_PATH];
    const int length =
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi, MAX_PATH, nullptr, &lossy);
    wchar_t back[MAX_PATH];
    return length > 0 && !lossy && MultiByteToWideChar(CP_ACP, 0, ansi, -1, back, MAX_PATH) > 0 &&
           wide == back;
  }

  bool HandlesLongPaths() const { return IsNtFamily(); }
  bool Nt() const { return IsNtFamily(); }

  // Real Windows makes links itself (with the right to); under Wine, whose
  // CreateSymbolicLink makes nothing, the host does.
  bool MakeLink(const std::string& path, const std::string& target, bool folder) {
    if (!host::IsWine()) {
      using MakeSymbolicLink = BOOLEAN(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);
      const auto make = reinterpret_cast<MakeSymbolicLink>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkW")));
      return make && make(Long(path).c_str(), Long(target).c_str(), folder ? 1 : 0);
    }
    const std::string link = host::UnixPath(Wide(path));
    const std::string to = host::UnixPath(Wide(target));
    if (link.empty() || to.empty()) return false;
    madeLinks_ = true;
    return host::RunOnHost("ln -s " + host::Quoted(to) + " " + host::Quoted(link));
  }

  void MakeFileWrittenAt(const std::string& path, const std::string& contents,
                         const LocalDateTime& utc) {
    MakeFile(path, contents, kOld, 0);
    const SYSTEMTIME st = testing::SystemTimeOf(utc);
    FILETIME stamp;
    const HANDLE file = CreateFileW(Long(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    Check(file != INVALID_HANDLE_VALUE, "opening " + path);
    const BOOL dated =
        SystemTimeToFileTime(&st, &stamp) && SetFileTime(file, nullptr, nullptr, &stamp);
    CloseHandle(file);
    Check(dated, "dating " + path);
  }

  // Central European Time: an hour east of UTC, two in summer, from the
  // last Sunday of March to the last Sunday of October.
  bool InEuropeanZone() const {
    TIME_ZONE_INFORMATION zone;
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return false;
    return zone.Bias == -60 && zone.DaylightBias == -60 && zone.DaylightDate.wMonth == 3 &&
           zone.DaylightDate.wDay == 5 && zone.StandardDate.wMonth == 10 &&
           zone.StandardDate.wDay == 5;
  }
  bool SummerTimeNow() const {
    TIME_ZONE_INFORMATION zone;
    return GetTimeZoneInformation(&zone) == TIME_ZONE_ID_DAYLIGHT;
  }

 private:
  Win32Platform platform_;
  std::string root_;
  std::vector<HANDLE> held_;
  bool madeLinks_ = false;
};

}  // namespace lnf::contract
