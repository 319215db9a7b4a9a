// The tool as a process: starting it, finding its window and controls,
// pressing them, and closing it.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cwchar>

#include "Driver.h"
#include "WindowQueries.h"
#include "app/WorkingQuery.h"

namespace lnf::e2e {

namespace {

// The main window is the tool's top-level window that holds "Check now!";
// its caption is checked by the tests, not assumed here.
bool IsMainWindow(HWND hwnd) {
  if (IsClass(hwnd, L"#32770")) return false;
  for (HWND child : Descendants(hwnd)) {
    if (GetDlgCtrlID(child) == 136) return true;
  }
  return false;
}

// `word` as one argument of a command line: quoted when it holds blanks or
// quotes (or is empty), with each backslash doubled where a quote follows.
std::wstring CommandLineWord(const std::wstring& word) {
  if (!word.empty() && word.find_first_of(L" \t\"") == std::wstring::npos) return word;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : word) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L"\"";
}

}  // namespace

App::App(const Options& options) {
  // The tool's environment: this process's, with windir and the given
  // variables replaced.
  std::vector<std::pair<std::wstring, std::wstring>> replaced = options.environment;
  if (!options.windir.empty()) replaced.emplace_back(L"windir", options.windir);
  const auto isReplaced = [&](const wchar_t* entry) {
    for (const auto& variable : replaced) {
      const std::wstring prefix = variable.first + L"=";
      if (_wcsnicmp(entry, prefix.c_str(), prefix.size()) == 0) return true;
    }
    return false;
  };
  std::wstring environment;
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = block; *entry; entry += std::wcslen(entry) + 1) {
      if (isReplaced(entry)) continue;
      environment += entry;
      environment.push_back(L'\0');
    }
    FreeEnvironmentStringsW(block);
  }
  for (const auto& variable : replaced) {
    environment += variable.first + L"=" + variable.second;
    environment.push_back(L'\0');
  }
  environment.push_back(L'\0');

  std::wstring commandLine = L"\"" + options.exe + L"\"";
  for (const std::wstring& argument : options.arguments) {
    commandLine += L" " + CommandLineWord(argument);
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  if (options.output) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = options.output;
    startup.hStdError = options.output;
  }
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(options.exe.c_str(), &commandLine[0], nullptr, nullptr,
                      options.output ? TRUE : FALSE, CREATE_UNICODE_ENVIRONMENT, &environment[0],
                      options.workDir.empty() ? nullptr : options.workDir.c_str(), &startup,
                      &info)) {
    error_ = "CreateProcess failed for " + Narrow(options.exe) + ", error " +
             std::to_string(GetLastError());
    return;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  pid_ = info.dwProcessId;
}

App::App(HWND mainWindow) : main_(mainWindow), attached_(true) {
  GetWindowThreadProcessId(mainWindow, &pid_);
  process_ = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid_);
  if (!process_) error_ = "OpenProcess failed, error " + std::to_string(GetLastError());
  MapControls();
}

HWND App::FindRunning() {
  for (HWND hwnd : TopLevelWindows()) {
    if (IsWindowVisible(hwnd) && IsMainWindow(hwnd)) return hwnd;
  }
  return nullptr;
}

App::~App() {
  if (!process_) return;
  if (!attached_ && Running()) {
    for (HWND box : MessageBoxes()) PostMessageW(box, WM_COMMAND, IDOK, 0);
    if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_, TimeoutMs()) != WAIT_OBJECT_0) {
      TerminateProcess(process_, 1);
      WaitForSingleObject(process_, TimeoutMs());
    }
  }
  CloseHandle(process_);
}

bool App::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

DWORD App::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_) GetExitCodeProcess(process_, &code);
  return code;
}

HWND App::FindMainWindow() const {
  for (HWND hwnd : TopLevelWindowsOf(pid_)) {
    if (IsMainWindow(hwnd)) return hwnd;
  }
  return nullptr;
}

std::vector<HWND> App::VisibleTopLevelWindows() const {
  std::vector<HWND> found;
  for (HWND hwnd : TopLevelWindowsOf(pid_)) {
    if (IsWindowVisible(hwnd) && !IsClass(hwnd, L"#32770")) found.push_back(hwnd);
  }
  return found;
}

App::Startup App::WaitForStartup() {
  if (!process_) return Startup::Exited;
  Startup outcome = Startup::TimedOut;
  WaitUntil([&] {
    if (!MessageBoxes().empty()) {
      outcome = Startup::MessageBox;
      return true;
    }
    HWND hwnd = FindMainWindow();
    if (hwnd && IsWindowVisible(hwnd)) {
      outcome = Startup::MainWindow;
      return true;
    }
    if (!Running()) {
      outcome = Startup::Exited;
      return true;
    }
    return false;
  });
  if (outcome == Startup::MainWindow) {
    main_ = FindMainWindow();
    MapControls();
  }
  return outcome;
}

bool App::WaitForMainWindow() {
  const bool shown = WaitUntil([&] {
    HWND hwnd = FindMainWindow();
    return hwnd && IsWindowVisible(hwnd);
  });
  if (!shown) return false;
  main_ = FindMainWindow();
  MapControls();
  return true;
}

void App::MapControls() {
  controls_.clear();
  if (!main_) return;
  for (HWND child : Descendants(main_)) controls_.emplace_back(GetDlgCtrlID(child), child);
}

std::vector<HWND> App::ControlsWithId(int id) const {
  std::vector<HWND> found;
  for (const auto& [controlId, hwnd] : controls_) {
    if (controlId == id) found.push_back(hwnd);
  }
  return found;
}

HWND App::Control(int id) const {
  for (const auto& [controlId, hwnd] : controls_) {
    if (controlId == id) return hwnd;
  }
  return nullptr;
}

std::wstring App::ClassOf(int id) const {
  HWND hwnd = Control(id);
  return hwnd ? ClassName(hwnd) : L"<no control>";
}

LONG App::StyleOf(int id) const {
  HWND hwnd = Control(id);
  return hwnd ? GetWindowLongW(hwnd, GWL_STYLE) : 0;
}

std::wstring App::Text(int id) const {
  HWND hwnd = Control(id);
  return hwnd ? WindowText(hwnd) : L"<no control>";
}

bool App::OwnVisible(int id) const {
  HWND hwnd = Control(id);
  return hwnd && (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE);
}

bool App::OnScreen(int id) const {
  HWND hwnd = Control(id);
  return hwnd && IsWindowVisible(hwnd);
}

int App::ContainerOf(int id) const {
  HWND hwnd = Control(id);
  if (!hwnd) return -1;
  HWND parent = GetParent(hwnd);
  return parent == main_ ? 0 : GetDlgCtrlID(parent);
}

RECT App::RectInContainer(int id) const {
  RECT rect = {};
  HWND hwnd = Control(id);
  if (!hwnd) return rect;
  GetWindowRect(hwnd, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

RECT App::ClientRectOnScreen() const {
  RECT rect = {};
  GetClientRect(main_, &rect);
  MapWindowPoints(main_, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::optional<bool> App::Working(DWORD timeoutMs) const {
  static const UINT query = RegisterWindowMessageA(kWorkingQueryName);
  DWORD_PTR working = 0;
  if (!main_ || !SendMessageTimeoutW(main_, query, 0, 0, SMTO_NORMAL, timeoutMs, &working)) {
    return std::nullopt;
  }
  return working != 0;
}

bool App::Sync() const {
  if (!main_) return false;
  // Sent messages are handled in the order sent, so the first answer comes
  // after everything sent before it has at least begun. The tool answers
  // while a handler works too; it is asked until it says that none does: it
  // waits for the user, idle or in a box that the handler opened. (A build
  // that does not know the question answers 0, once the handler has ended.)
  bool answered = true;
  const bool idle = WaitUntil([&] {
    const std::optional<bool> working = Working(TimeoutMs());
    answered = working.has_value();
    return !answered || !*working;
  });
  return idle && answered;
}

void App::Repaint() const {
  if (!main_) return;
  RedrawWindow(main_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sync();
}

bool App::Click(int id) {
  HWND hwnd = Control(id);
  if (!hwnd) return false;
  // Sent without waiting, so that a box that the click opens cannot block
  // this process; Sync then waits for the click to be handled.
  if (!SendNotifyMessageW(hwnd, BM_CLICK, 0, 0)) return false;
  return Sync();
}

int App::FocusedId() const {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!main_ || !GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info)) return 0;
  if (!info.hwndFocus) return 0;
  if (info.hwndFocus == main_) return -1;
  if (GetAncestor(info.hwndFocus, GA_ROOT) != main_) return -1;
  return GetDlgCtrlID(info.hwndFocus);
}

void App::PressTab() {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info);
  HWND target = info.hwndFocus ? info.hwndFocus : main_;
  // What a key press puts into the tool's queue: key down, then key up.
  const LPARAM scanCode = 0x0F << 16;
  PostMessageW(target, WM_KEYDOWN, VK_TAB, scanCode | 1);
  PostMessageW(target, WM_KEYUP, VK_TAB, scanCode | 1 | (1u << 30) | (1u << 31));
  WaitUntil([&] {
    GUITHREADINFO now = {};
    now.cbSize = sizeof now;
    GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &now);
    return now.hwndFocus != info.hwndFocus;
  });
  Sync();
}

std::vector<ToolTip> App::ToolTips() const {
  std::vector<ToolTip> tips;
  // A TTTOOLINFOW followed by room for the text, inside the tool's process.
  constexpr SIZE_T kTextChars = 1024;
  const SIZE_T size = sizeof(TTTOOLINFOW) + kTextChars * sizeof(wchar_t);
  auto* remote = static_cast<char*>(
      VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!remote) return tips;
  auto* remoteText = reinterpret_cast<wchar_t*>(remote + sizeof(TTTOOLINFOW));
  for (HWND tipWindow : TopLevelWindowsOf(pid_)) {
    if (!IsClass(tipWindow, TOOLTIPS_CLASSW)) continue;
    DWORD_PTR count = 0;
    SendMessageTimeoutW(tipWindow, TTM_GETTOOLCOUNT, 0, 0, SMTO_NORMAL, TimeoutMs(), &count);
    for (DWORD_PTR i = 0; i < count; ++i) {
      TTTOOLINFOW info = {};
      info.cbSize = sizeof info;
      DWORD_PTR ok = 0;
      if (!WriteProcessMemory(process_, remote, &info, sizeof info, nullptr) ||
          !SendMessageTimeoutW(tipWindow, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(remote),
                               SMTO_NORMAL, TimeoutMs(), &ok) ||
          !ok || !ReadProcessMemory(process_, remote, &info, sizeof info, nullptr)) {
        continue;
      }
      // The text, asked for separately so that tips whose text comes from a
      // callback are read too.
      const wchar_t none = 0;
      info.lpszText = remoteText;
      WriteProcessMemory(process_, remote, &info, sizeof info, nullptr);
      WriteProcessMemory(process_, remoteText, &none, sizeof none, nullptr);
      SendMessageTimeoutW(tipWindow, TTM_GETTEXTW, kTextChars, reinterpret_cast<LPARAM>(remote),
                          SMTO_NORMAL, TimeoutMs(), &ok);
      std::vector<wchar_t> text(kTextChars, 0);
      ReadProcessMemory(process_, remoteText, text.data(), (kTextChars - 1) * sizeof(wchar_t),
                        nullptr);
      ToolTip tip;
      tip.tool = (info.uFlags & TTF_IDISHWND) ? reinterpret_cast<HWND>(info.uId) : info.hwnd;
      tip.text = text.data();
      tips.push_back(tip);
    }
  }
  VirtualFreeEx(process_, remote, 0, MEM_RELEASE);
  return tips;
}

bool App::Close() {
  if (!process_) return false;
  const bool noBoxOpen = MessageBoxes().empty();
  if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
  const bool ended = WaitForSingleObject(process_, TimeoutMs()) == WAIT_OBJECT_0;
  return noBoxOpen && ended;
}

}  // namespace lnf::e2e
