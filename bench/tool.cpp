// The tool's side of a measurement: processes started and their windows
// found and polled, the tool's backup timed from the click to its closing
// box, and a program's start and memory.
#include <windows.h>
// psapi.h needs the types of windows.h.
#include <psapi.h>

#include <algorithm>
#include <cwchar>

#include "bench.h"

namespace lnf::bench {

namespace {

// This program's environment with windir replaced, as App gives the tool.
std::wstring EnvironmentWith(const std::wstring& windir) {
  std::wstring block;
  if (wchar_t* strings = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = strings; *entry; entry += std::wcslen(entry) + 1) {
      if (_wcsnicmp(entry, L"windir=", 7) == 0) continue;
      block += entry;
      block.push_back(L'\0');
    }
    FreeEnvironmentStringsW(strings);
  }
  block += L"windir=" + windir;
  block.push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

}  // namespace

PROCESS_INFORMATION Start(const std::wstring& exe, std::wstring commandLine,
                          const std::wstring* environment, bool quiet) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  HANDLE nul = INVALID_HANDLE_VALUE;
  if (quiet) {
    // Nothing printed: the reference's output would otherwise cost it time
    // that the tool, which prints nothing, does not spend.
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      &inherit, OPEN_EXISTING, 0, nullptr);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul;
    startup.hStdOutput = nul;
    startup.hStdError = nul;
  }
  PROCESS_INFORMATION info = {};
  const BOOL made = CreateProcessW(
      exe.c_str(), &commandLine[0], nullptr, nullptr, quiet, CREATE_UNICODE_ENVIRONMENT,
      environment ? const_cast<wchar_t*>(environment->c_str()) : nullptr, nullptr, &startup, &info);
  const DWORD error = GetLastError();
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  if (!made) Die("cannot start " + Narrow(commandLine) + ": error " + std::to_string(error));
  return info;
}

namespace {

DWORD ProcessOf(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

// The first visible message box of the process, or null. One class lookup
// per box on the desktop keeps the polling light.
HWND FindBox(DWORD pid) {
  for (HWND box = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); box;
       box = FindWindowExW(nullptr, box, L"#32770", nullptr)) {
    if (ProcessOf(box) == pid && IsWindowVisible(box)) return box;
  }
  return nullptr;
}

struct WindowSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchShownWindow(HWND hwnd, LPARAM lp) {
  auto* search = reinterpret_cast<WindowSearch*>(lp);
  if (ProcessOf(hwnd) != search->pid || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t name[16] = L"";
  GetClassNameW(hwnd, name, 16);
  if (!std::wcscmp(name, L"#32770")) return TRUE;
  search->found = hwnd;
  return FALSE;
}

// The process's first visible top-level window that is no message box.
HWND FindShownWindow(DWORD pid) {
  WindowSearch search = {pid, nullptr};
  EnumWindows(MatchShownWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Polls every millisecond or two: the times measured here are tenths of a
// second and more, and a poll costs a few calls to the Wine server.
template <typename Found>
auto PollFor(Found found, HANDLE process, const char* what) {
  const double start = Now();
  for (;;) {
    if (auto result = found()) return result;
    if (process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
      Die(std::string("the process ended before ") + what);
    }
    if (Now() - start > kGiveUpSeconds) Die(std::string("gave up waiting for ") + what);
    Sleep(1);
  }
}

std::wstring TextOf(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 60000, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                      SMTO_NORMAL, 60000, &copied);
  text.resize(std::min<size_t>(copied, length));
  return text;
}

int Occurrences(const std::wstring& text, const std::wstring& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace

// Starts the tool, runs the check, opens the frame, then times the click on
// the frame's backup button until the box that ends the backup is up.
double TimeToolBackup(const Options& o, int selector, int button) {
  App app({o.tool, o.Windir(), {}, L""});
  if (!app.started()) Die(app.error());
  if (!app.WaitForMainWindow()) Die("the tool's window did not come up");
  if (!app.Click(kCommand1) || !app.MessageBoxes().empty()) Die("the check did not end quietly");
  if (!app.Click(selector) || !app.OnScreen(button)) Die("the backup button is not shown");
  HWND target = app.Control(button);

  const double start = Now();
  SendNotifyMessageW(target, BM_CLICK, 0, 0);
  HWND box = PollFor([&] { return FindBox(app.pid()); }, nullptr, "the backup's message box");
  const double elapsed = Now() - start;

  const std::wstring text = TextOf(GetDlgItem(box, kBoxTextId));
  if (text.rfind(L"Backup done in ", 0) != 0) Die("the backup ended with: " + Narrow(text));
  lnf::e2e::MessageBoxInfo info;
  info.hwnd = box;
  if (!app.PressOk(info)) Die("the box did not close");
  // Proof that every file went through the log, whose cost is measured too.
  const std::wstring log = app.Text(kLogConsole);
  const bool v3 = button == kCommand3;
  const int logged =
      Occurrences(log, v3 ? L"] File copied successfully." : L"] Directory copied successfully.");
  const int expected = v3 ? o.files : 1;
  if (logged != expected) {
    Die("the log has " + std::to_string(logged) + " copy entries, not " + std::to_string(expected));
  }
  if (!app.Close()) Die("the tool did not close");
  return elapsed;
}

Started StartAndClose(const std::wstring& exe, const std::wstring& windir,
                      const std::function<void(DWORD pid)>& settle) {
  const std::wstring environment = EnvironmentWith(windir);
  const double start = Now();
  PROCESS_INFORMATION info = Start(exe, Quoted(exe), &environment, false);
  HWND window =
      PollFor([&] { return FindShownWindow(info.dwProcessId); }, info.hProcess, "a window");
  const double elapsed = Now() - start;
  if (FindBox(info.dwProcessId)) Die(Narrow(exe) + " showed a message box at start");

  double peak = 0;
  if (settle) {
    settle(info.dwProcessId);
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(info.hProcess, &counters, sizeof counters)) {
      Die("GetProcessMemoryInfo failed: error " + std::to_string(GetLastError()));
    }
    peak = counters.PeakWorkingSetSize / 1024.0;
  }
  PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(info.hProcess, 60000) != WAIT_OBJECT_0) {
    Die(Narrow(exe) + " did not close");
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return {elapsed, peak};
}

namespace {

BOOL CALLBACK MatchCheckButton(HWND child, LPARAM lp) {
  if (GetDlgCtrlID(child) != kCommand1) return TRUE;
  *reinterpret_cast<HWND*>(lp) = child;
  return FALSE;
}

}  // namespace

void RunCheck(DWORD pid) {
  HWND main = FindShownWindow(pid);
  HWND button = nullptr;
  EnumChildWindows(main, MatchCheckButton, reinterpret_cast<LPARAM>(&button));
  if (!button) Die("no \"Check now!\" button");
  DWORD_PTR result = 0;
  // BM_CLICK returns once the check has run: the tool handles it in full
  // before it answers.
  if (!SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 60000, &result) ||
      !SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result)) {
    Die("the check did not answer");
  }
  if (FindBox(pid)) Die("the check showed a message box");
}

}  // namespace lnf::bench
