#include "Desktop.h"

#include <windows.h>

#include <cstdio>

#include "Driver.h"

namespace lnf::e2e {

namespace {

std::wstring Quote(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  for (wchar_t c : arg) {
    if (c == L'"') quoted += L'\\';
    quoted += c;
  }
  return quoted + L"\"";
}

}  // namespace

int RunSelfOnDesktop(const std::string& name, const std::string& size,
                     const std::vector<std::string>& args) {
  const std::wstring desktop = Widen(name);
  if (!size.empty()) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Explorer\\Desktops", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
      const std::wstring value = Widen(size);
      RegSetValueExW(key, desktop.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
      RegCloseKey(key);
    }
  }
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring commandLine = Quote(self);
  for (const std::string& arg : args) commandLine += L" " + Quote(Widen(arg));

  std::fflush(stdout);
  std::fflush(stderr);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.lpDesktop = const_cast<wchar_t*>(desktop.c_str());
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(self, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &info)) {
    std::fprintf(stderr, "could not start on desktop %s: error %lu\n", name.c_str(),
                 GetLastError());
    return -1;
  }
  CloseHandle(info.hThread);
  WaitForSingleObject(info.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  return static_cast<int>(code);
}

}  // namespace lnf::e2e
