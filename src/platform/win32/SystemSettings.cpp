// What the system is set up with: environment variables, and texts its
// setup left in the registry (the program-files folder among them).
#include <string>
#include <vector>

#include "platform/win32/MachineSettings.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Win32Platform.h"
#include "win32/OwnedHandle.h"
#include "win32/Win32Text.h"
#include "win32/WindowsFamily.h"

namespace lnf {

namespace {

// The length asked for includes the terminating null; a value that fits is
// reported by its length without it.
template <typename Char>
std::string EnvironmentValue(DWORD(WINAPI* get)(const Char*, Char*, DWORD), const Char* name) {
  std::vector<Char> buffer(256);
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = get(name, buffer.data(), size);
    if (length == 0) return {};
    if (length < size) return FromSystem(buffer.data(), length);
    buffer.resize(length);
  }
}

constexpr const char* kCurrentVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kProgramFilesValue = "ProgramFilesDir";

// ReadMachineText in the calls of one character set: the wide ones on the
// NT family (any folder name), the ANSI ones on 9x, where the wide ones are
// stubs. `expandSlack`: what the expanded text needs beyond the length
// ExpandEnvironmentStrings reports.
template <typename Char>
std::string ReadMachineTextOf(const Char* keyName, const Char* valueName,
                              LONG(WINAPI* open)(HKEY, const Char*, DWORD, REGSAM, HKEY*),
                              LONG(WINAPI* query)(HKEY, const Char*, DWORD*, DWORD*, BYTE*, DWORD*),
                              DWORD(WINAPI* expand)(const Char*, Char*, DWORD), DWORD expandSlack) {
  RegistryKey key;
  if (open(HKEY_LOCAL_MACHINE, keyName, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) {
    return {};
  }
  DWORD type = 0;
  std::vector<Char> text;
  LONG result = ERROR_MORE_DATA;
  // Asked again should the value have grown between the two calls.
  for (int attempt = 0; attempt < 4 && result == ERROR_MORE_DATA; ++attempt) {
    DWORD size = 0;
    result = query(key.get(), valueName, nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS) break;
    // Room for every byte reported, an odd one too (some installers store a
    // stray byte after the terminating null), and one more, zeroed: a stored
    // value need not end in a null.
    text.assign((size + sizeof(Char) - 1) / sizeof(Char) + 1, Char());
    size = static_cast<DWORD>((text.size() - 1) * sizeof(Char));
    result =
        query(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size);
  }
  key.Close();
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  if (type == REG_EXPAND_SZ) {
    const DWORD length = expand(text.data(), nullptr, 0);
    if (length == 0) return {};
    std::vector<Char> expanded(length + expandSlack, Char());
    if (expand(text.data(), expanded.data(), length + 1) == 0) return {};
    text.swap(expanded);
  }
  return FromSystem(text.data());
}

}  // namespace

std::string ReadMachineText(const std::string& keyName, const std::string& valueName) {
  // The ANSI form of ExpandEnvironmentStrings wants a byte more than the
  // length it reports.
  if (IsNtFamily()) {
    return ReadMachineTextOf(Ptr(ToWide(keyName)), Ptr(ToWide(valueName)), RegOpenKeyExW,
                             RegQueryValueExW, ExpandEnvironmentStringsW, 1);
  }
  std::string key;
  std::string value;
  if (!ToAnsiExact(keyName, key) || !ToAnsiExact(valueName, value)) return {};
  return ReadMachineTextOf(key.c_str(), value.c_str(), RegOpenKeyExA, RegQueryValueExA,
                           ExpandEnvironmentStringsA, 2);
}

std::string Win32SystemInfo::GetEnvironmentValue(const std::string& name) {
  if (IsNtFamily()) return EnvironmentValue(GetEnvironmentVariableW, Ptr(ToWide(name)));
  std::string ansiName;
  // No variable can have a name the ANSI environment cannot spell.
  if (!ToAnsiExact(name, ansiName)) return {};
  return EnvironmentValue(GetEnvironmentVariableA, ansiName.c_str());
}

void Win32SystemInfo::SetEnvironmentValue(const std::string& name, const std::string& value) {
  BOOL set;
  if (IsNtFamily()) {
    set = SetEnvironmentVariableW(Ptr(ToWide(name)), Ptr(ToWide(value)));
  } else {
    std::string ansiName, ansiValue;
    // A value the ANSI environment cannot spell would name another folder.
    if (!ToAnsiExact(name, ansiName) || !ToAnsiExact(value, ansiValue)) {
      Fail(ERROR_NO_UNICODE_TRANSLATION, value);
    }
    set = SetEnvironmentVariableA(ansiName.c_str(), ansiValue.c_str());
  }
  if (!set) Fail(GetLastError(), name);
}

std::string Win32SystemInfo::GetProgramFilesFolder() {
  std::string folder = ReadMachineText(kCurrentVersionKey, kProgramFilesValue);
  // "C:\Programme\" names the same folder as "C:\Programme".
  while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

}  // namespace lnf
