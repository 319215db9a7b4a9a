#include "app/win32/StarterConsole.h"

#include <windows.h>

#include "win32/OwnedHandle.h"
#include "win32/Win32Text.h"

namespace lnf {

namespace {

// Windows XP and later; loaded here, so that the program still loads on 95.
using AttachConsoleFunction = BOOL(WINAPI*)(DWORD);
constexpr DWORD kAttachParentProcess = static_cast<DWORD>(-1);

bool IsHandle(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

void WriteBytes(HANDLE handle, const std::string& bytes) {
  const char* at = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    DWORD wrote = 0;
    const DWORD piece = left > 0x10000 ? 0x10000 : static_cast<DWORD>(left);
    if (!WriteFile(handle, at, piece, &wrote, nullptr) || wrote == 0) return;
    at += wrote;
    left -= wrote;
  }
}

// A console takes text in its own characters; WriteFile would pass the
// bytes through its code page.
bool WriteToConsole(HANDLE console, const std::string& text) {
  const WideText wide = ToWide(text);
  const wchar_t* at = Ptr(wide);
  std::size_t left = wide.size();
  while (left > 0) {
    DWORD wrote = 0;
    const DWORD piece = left > 0x4000 ? 0x4000 : static_cast<DWORD>(left);
    if (!WriteConsoleW(console, at, piece, &wrote, nullptr) || wrote == 0) return false;
    at += wrote;
    left -= wrote;
  }
  return true;
}

}  // namespace

void TellStarter(const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";

  // The standard error first, where reasons for failing belong; a script
  // that sent only the output somewhere finds them there.
  for (const DWORD which : {STD_ERROR_HANDLE, STD_OUTPUT_HANDLE}) {
    const HANDLE handed = GetStdHandle(which);
    if (!IsHandle(handed)) continue;
    const DWORD type = GetFileType(handed);
    if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
      WriteBytes(handed, text);
      return;
    }
    // Windows 9x has WriteConsoleW as a stub only: its console takes the
    // bytes.
    if (type == FILE_TYPE_CHAR) {
      if (!WriteToConsole(handed, text)) WriteBytes(handed, text);
      return;
    }
  }
  const auto attach = reinterpret_cast<AttachConsoleFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "AttachConsole")));
  if (!attach || !attach(kAttachParentProcess)) return;
  const FileHandle console(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       0, nullptr));
  // The starter's prompt has come back meanwhile: the lines start on one of
  // their own.
  if (console.IsSet()) WriteToConsole(console.get(), "\r\n" + text);
  FreeConsole();
}

}  // namespace lnf
