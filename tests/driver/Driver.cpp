#include "Driver.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "app/WorkingQuery.h"

namespace lnf::e2e {

namespace {

// Control IDs that message boxes give their parts (the same under Wine and
// Windows): the text, and the OK button.
constexpr int kBoxTextId = 0xFFFF;

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

DWORD ProcessOf(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
  return TRUE;
}

std::vector<HWND> TopLevelWindowsOf(DWORD pid) {
  std::vector<HWND> all;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
  std::vector<HWND> found;
  for (HWND hwnd : all) {
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

// --- Which icon a message box shows. Icon handles belong to the tool's
// process and cannot be read from here, so the icon is recognised by its
// pixels: the screen under the icon control is compared with each system icon
// drawn here on the same background.

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<DWORD> rgb;
};

Pixels NewCanvas(int width, int height, HDC* dc, HBITMAP* bitmap, void** bits) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  *dc = CreateCompatibleDC(nullptr);
  *bitmap = CreateDIBSection(*dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
  SelectObject(*dc, *bitmap);
  Pixels pixels;
  pixels.width = width;
  pixels.height = height;
  return pixels;
}

Pixels CaptureScreen(int x, int y, int width, int height) {
  HDC dc;
  HBITMAP bitmap;
  void* bits;
  Pixels pixels = NewCanvas(width, height, &dc, &bitmap, &bits);
  HDC screen = GetDC(nullptr);
  BitBlt(dc, 0, 0, width, height, screen, x, y, SRCCOPY);
  ReleaseDC(nullptr, screen);
  GdiFlush();
  const DWORD* p = static_cast<const DWORD*>(bits);
  pixels.rgb.assign(p, p + width * height);
  for (DWORD& v : pixels.rgb) v &= 0xFFFFFF;
  DeleteDC(dc);
  DeleteObject(bitmap);
  return pixels;
}

Pixels DrawSystemIcon(LPCWSTR which, int width, int height, DWORD background) {
  HDC dc;
  HBITMAP bitmap;
  void* bits;
  Pixels pixels = NewCanvas(width, height, &dc, &bitmap, &bits);
  DWORD* p = static_cast<DWORD*>(bits);
  std::fill(p, p + width * height, background);
  DrawIconEx(dc, 0, 0, LoadIconW(nullptr, which), width, height, 0, nullptr, DI_NORMAL);
  GdiFlush();
  pixels.rgb.assign(p, p + width * height);
  for (DWORD& v : pixels.rgb) v &= 0xFFFFFF;
  DeleteDC(dc);
  DeleteObject(bitmap);
  return pixels;
}

int Difference(const Pixels& a, const Pixels& b) {
  int differing = 0;
  for (size_t i = 0; i < a.rgb.size() && i < b.rgb.size(); ++i) {
    if (a.rgb[i] != b.rgb[i]) ++differing;
  }
  return differing;
}

BoxIcon RecogniseIcon(HWND iconControl) {
  struct Candidate {
    BoxIcon icon;
    LPCWSTR resource;
  };
  const Candidate candidates[] = {
      {BoxIcon::Information, MAKEINTRESOURCEW(32516)},
      {BoxIcon::Exclamation, MAKEINTRESOURCEW(32515)},
      {BoxIcon::Hand, MAKEINTRESOURCEW(32513)},
      {BoxIcon::Question, MAKEINTRESOURCEW(32514)},
  };
  RECT rect;
  GetWindowRect(iconControl, &rect);
  const int width = std::min<int>(rect.right - rect.left, GetSystemMetrics(SM_CXICON));
  const int height = std::min<int>(rect.bottom - rect.top, GetSystemMetrics(SM_CYICON));
  if (width <= 0 || height <= 0) return BoxIcon::None;

  BoxIcon best = BoxIcon::Unrecognised;
  int bestDifference = width * height;
  // The box may not have painted yet: look again until one icon matches
  // exactly, and settle for a close match only when none ever does.
  WaitUntil([&] {
    const Pixels shown = CaptureScreen(rect.left, rect.top, width, height);
    const bool blank = std::all_of(shown.rgb.begin(), shown.rgb.end(),
                                   [&](DWORD v) { return v == shown.rgb.front(); });
    if (blank) return false;
    for (const Candidate& c : candidates) {
      const int d = Difference(shown, DrawSystemIcon(c.resource, width, height, shown.rgb[0]));
      if (d < bestDifference) {
        bestDifference = d;
        best = c.icon;
      }
    }
    return bestDifference == 0;
  });
  if (bestDifference * 20 > width * height) return BoxIcon::Unrecognised;
  return best;
}

}  // namespace

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

const char* ToString(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::None:
      return "no icon";
    case BoxIcon::Information:
      return "information icon";
    case BoxIcon::Exclamation:
      return "exclamation icon";
    case BoxIcon::Hand:
      return "hand (error) icon";
    case BoxIcon::Question:
      return "question icon";
    case BoxIcon::Unrecognised:
      break;
  }
  return "an icon that is no system icon";
}

DWORD TimeoutMs() {
  static const DWORD timeout = [] {
    const char* text = std::getenv("LNF_E2E_TIMEOUT_MS");
    const long value = text ? std::strtol(text, nullptr, 10) : 0;
    return value > 0 ? static_cast<DWORD>(value) : DWORD{20000};
  }();
  return timeout;
}

bool WaitUntil(const std::function<bool()>& done) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start > TimeoutMs()) return done();
    Sleep(25);
  }
}

std::wstring NormaliseLineBreaks(std::wstring text) {
  for (size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", at)) {
    text.erase(at, 1);
  }
  return text;
}

MessageBoxInfo ReadMessageBox(HWND box) {
  MessageBoxInfo info;
  info.hwnd = box;
  info.owner = GetWindow(box, GW_OWNER);
  info.title = WindowText(box);
  HWND iconControl = nullptr;
  HWND textControl = nullptr;
  HWND largestStatic = nullptr;
  LONG largestArea = -1;
  for (HWND child : Descendants(box)) {
    if (IsClass(child, L"Static")) {
      if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        iconControl = child;
      } else if (GetDlgCtrlID(child) == kBoxTextId) {
        textControl = child;
      } else {
        RECT r;
        GetWindowRect(child, &r);
        const LONG area = (r.right - r.left) * (r.bottom - r.top);
        if (area > largestArea) {
          largestArea = area;
          largestStatic = child;
        }
      }
    } else if (IsClass(child, L"Button")) {
      info.buttons.push_back(WindowText(child));
    }
  }
  // Boxes built elsewhere may not number their text; then it is the largest
  // static that is no icon.
  if (!textControl) textControl = largestStatic;
  if (textControl) info.text = WindowText(textControl);
  if (!iconControl || !IsWindowVisible(iconControl) ||
      !SendMessageW(iconControl, STM_GETICON, 0, 0)) {
    info.icon = BoxIcon::None;
  } else {
    info.icon = RecogniseIcon(iconControl);
  }
  return info;
}

// --- App.

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
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(options.exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                      CREATE_UNICODE_ENVIRONMENT, &environment[0],
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

App::~App() {
  if (!process_) return;
  if (Running()) {
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
  // The main window is the tool's top-level window that holds "Check now!";
  // its caption is checked by the tests, not assumed here.
  for (HWND hwnd : TopLevelWindowsOf(pid_)) {
    if (IsClass(hwnd, L"#32770")) continue;
    for (HWND child : Descendants(hwnd)) {
      if (GetDlgCtrlID(child) == 136) return hwnd;
    }
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

std::vector<HWND> App::MessageBoxes() const {
  std::vector<HWND> found;
  for (HWND hwnd : TopLevelWindowsOf(pid_)) {
    if (IsClass(hwnd, L"#32770") && IsWindowVisible(hwnd)) found.push_back(hwnd);
  }
  return found;
}

std::optional<MessageBoxInfo> App::WaitForMessageBox() {
  HWND box = nullptr;
  WaitUntil([&] {
    const std::vector<HWND> boxes = MessageBoxes();
    if (!boxes.empty()) box = boxes.front();
    return box != nullptr || !Running();
  });
  if (!box) return std::nullopt;
  return ReadMessageBox(box);
}

bool App::PressOk(const MessageBoxInfo& box) {
  HWND ok = GetDlgItem(box.hwnd, IDOK);
  // Posted, like a real click: the box's modal loop picks it up in turn.
  if (ok) {
    PostMessageW(ok, BM_CLICK, 0, 0);
  } else {
    PostMessageW(box.hwnd, WM_COMMAND, IDOK, 0);
  }
  if (!WaitUntil([&] { return !IsWindow(box.hwnd); })) return false;
  // Twice: the first may be handled while the box is being taken down, the
  // second only once the handler has gone on.
  return !main_ || (Sync() && Sync());
}

bool App::Close() {
  if (!process_) return false;
  const bool noBoxOpen = MessageBoxes().empty();
  if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
  const bool ended = WaitForSingleObject(process_, TimeoutMs()) == WAIT_OBJECT_0;
  return noBoxOpen && ended;
}

std::vector<DWORD> ScreenPixels(const RECT& rect) {
  return CaptureScreen(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top).rgb;
}

bool App::SaveScreenshot(const std::wstring& path) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  const Pixels shown = CaptureScreen(0, 0, width, height);
  const int rowBytes = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;  // bottom-up rows, as BMP files usually are
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biSizeImage = rowBytes * height;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + header.biSizeImage;
  std::vector<unsigned char> rows(header.biSizeImage, 0);
  for (int y = 0; y < height; ++y) {
    unsigned char* row = &rows[(height - 1 - y) * rowBytes];
    for (int x = 0; x < width; ++x) {
      const DWORD v = shown.rgb[y * width + x];
      row[x * 3 + 0] = v & 0xFF;
      row[x * 3 + 1] = (v >> 8) & 0xFF;
      row[x * 3 + 2] = (v >> 16) & 0xFF;
    }
  }
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (!out) return false;
  const bool written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                       std::fwrite(&header, sizeof header, 1, out) == 1 &&
                       std::fwrite(rows.data(), 1, rows.size(), out) == rows.size();
  return std::fclose(out) == 0 && written;
}

}  // namespace lnf::e2e
