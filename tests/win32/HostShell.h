// Under Wine, what only the host can make: symbolic links (Wine's
// CreateSymbolicLink reports success and makes nothing, and Wine cannot
// remove a link to a folder either) and names made on the Linux side. Test
// programs run host commands through /bin/sh, which Wine starts as a Unix
// process when asked to run it.
#pragma once

#include <windows.h>

#include <string>

namespace lnf::host {

inline bool IsWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// The host's name of a Windows path (UTF-8); empty when not under Wine. The
// last component need not exist.
inline std::string UnixPath(const std::wstring& windowsPath) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName) return {};
  char* name = unixName(windowsPath.c_str());
  if (!name) return {};
  std::string path = name;
  HeapFree(GetProcessHeap(), 0, name);
  return path;
}

// `text` as one word of the shell.
inline std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs `command` with /bin/sh on the host and waits until it has ended (Wine
// gives no handle to wait on, so the command leaves its exit status in a
// file). True when it ran and succeeded.
inline bool RunOnHost(const std::string& command) {
  static int runs = 0;
  wchar_t temp[MAX_PATH];
  if (!IsWine() || GetTempPathW(MAX_PATH, temp) == 0) return false;
  const std::wstring marker = std::wstring(temp) + L"lnf-host-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(++runs) + L".status";
  DeleteFileW(marker.c_str());
  const std::string unixMarker = UnixPath(marker);
  if (unixMarker.empty()) return false;
  // Written under another name and renamed, so that a status file that is
  // there is complete.
  const std::string script = "(" + command + "); echo $? >" + Quoted(unixMarker + ".part") +
                             " && mv " + Quoted(unixMarker + ".part") + " " + Quoted(unixMarker);
  const int length = MultiByteToWideChar(CP_UTF8, 0, script.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, script.c_str(), -1, &wide[0], length);
  wide.resize(static_cast<std::size_t>(length - 1));
  std::wstring commandLine = L"/bin/sh -c \"" + wide + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);
  // At least two minutes: a busy machine may be slow to start a host
  // program; CTest's time limit ends one that hangs.
  for (int waited = 0; waited < 6000; ++waited) {
    const HANDLE file = CreateFileW(marker.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      char status[16] = {};
      DWORD got = 0;
      ReadFile(file, status, sizeof status - 1, &got, nullptr);
      CloseHandle(file);
      DeleteFileW(marker.c_str());
      return status[0] == '0' && (status[1] == '\n' || status[1] == '\0');
    }
    Sleep(20);
  }
  return false;
}

}  // namespace lnf::host
