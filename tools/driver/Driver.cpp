// What every part of the driver uses: text conversion, bounded waits, and
// questions about windows of other processes.
#include "Driver.h"

#include <algorithm>
#include <cstdlib>

#include "WindowQueries.h"

namespace lnf::e2e {

std::wstring ClassName(HWND hwnd) {
  wchar_t name[256] = L"";
  GetClassNameW(hwnd, name, 256);
  std::wstring text = name;
  // Classes of a versioned control library read "6.0.x.y!Button".
  const auto bang = text.rfind(L'!');
  if (bang != std::wstring::npos) text.erase(0, bang + 1);
  return text;
}

bool IsClass(HWND hwnd, const wchar_t* name) {
  return _wcsicmp(ClassName(hwnd).c_str(), name) == 0;
}

namespace {

DWORD ProcessOf(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
  return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> all;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
  return all;
}

std::vector<HWND> TopLevelWindowsOf(DWORD pid) {
  std::vector<HWND> found;
  for (HWND hwnd : TopLevelWindows()) {
    if (ProcessOf(hwnd) == pid) found.push_back(hwnd);
  }
  return found;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::wstring WindowText(HWND hwnd) {
  // WM_GETTEXT through SendMessageTimeout, so that a hung tool fails the test
  // instead of hanging it.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, TimeoutMs(), &length)) {
    return L"<no answer>";
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                           SMTO_NORMAL, TimeoutMs(), &copied)) {
    return L"<no answer>";
  }
  text.resize(std::min<size_t>(copied, length));
  return text;
}

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string utf8(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], n, nullptr,
                      nullptr);
  return utf8;
}

namespace {
DWORD g_timeoutMs = 0;  // not set yet
}  // namespace

DWORD TimeoutMs() {
  if (g_timeoutMs == 0) {
    const char* text = std::getenv("LNF_E2E_TIMEOUT_MS");
    const long value = text ? std::strtol(text, nullptr, 10) : 0;
    g_timeoutMs = value > 0 ? static_cast<DWORD>(value) : DWORD{20000};
  }
  return g_timeoutMs;
}

void SetTimeoutMs(DWORD ms) { g_timeoutMs = ms; }

bool WaitUntil(const std::function<bool()>& done) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start > TimeoutMs()) return done();
    Sleep(25);
  }
}

}  // namespace lnf::e2e
