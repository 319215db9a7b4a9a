// autopilot: drives a running Lanternfall Tallyglass window from outside, for
// scripts that run the tool without a person at the screen (scripts/start.sh).
//
//   autopilot wait [SECONDS]   wait until the main window is up and answering
//   autopilot click ID         press the push button with that control ID
//   autopilot text ID          print the text of the control with that ID
//   autopilot shown ID         print 1 when that control is visible, else 0
//   autopilot close [SECONDS]  close the main window and wait until it is gone
//
// Put "--desktop NAME" first when the tool runs on a named Wine desktop
// (wine explorer /desktop=NAME,WxH): windows are found only on one's own
// desktop.
//
// Exit status: 0 done, 1 the window or control is missing or did not answer,
// 2 bad usage. Text is printed as UTF-8 with Unix line ends.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "app/WorkingQuery.h"

namespace {

const wchar_t kCaption[] = L"Lanternfall Tallyglass";
// Long enough for an inventory check on a slow disk, short enough that a
// wedged window does not stall a script for good.
const UINT kAnswerMs = 60000;

HWND FindMain() {
  HWND w = FindWindowW(nullptr, kCaption);
  return (w && IsWindowVisible(w)) ? w : nullptr;
}

struct Search {
  int id;
  HWND found;
};

BOOL CALLBACK MatchId(HWND w, LPARAM p) {
  Search* s = reinterpret_cast<Search*>(p);
  if (GetDlgCtrlID(w) == s->id) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

// Controls may sit inside frames; EnumChildWindows walks every descendant.
HWND FindControl(HWND main, int id) {
  Search s{id, nullptr};
  EnumChildWindows(main, MatchId, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// The window answers sent messages while a handler works as well; it is
// asked until it says that none does (0 also from a build that does not know
// the question, once its handler has ended).
bool Answers(HWND w) {
  static const UINT working = RegisterWindowMessageA(lnf::kWorkingQueryName);
  for (DWORD waited = 0;; waited += 50) {
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(w, working, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &r)) return false;
    if (r == 0) return true;
    if (waited >= kAnswerMs) return false;
    Sleep(50);
  }
}

void PrintUtf8(const std::wstring& text) {
  std::wstring unix_text;
  for (wchar_t c : text) {
    if (c != L'\r') unix_text += c;
  }
  if (unix_text.empty() || unix_text.back() != L'\n') unix_text += L'\n';
  int n = WideCharToMultiByte(CP_UTF8, 0, unix_text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return;
  std::string bytes(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, unix_text.c_str(), -1, &bytes[0], n, nullptr, nullptr);
  fwrite(bytes.data(), 1, n - 1, stdout);  // n counts the closing zero
  fflush(stdout);
}

int Fail(const wchar_t* what, int id = 0) {
  if (id)
    fwprintf(stderr, L"autopilot: %ls %d\n", what, id);
  else
    fwprintf(stderr, L"autopilot: %ls\n", what);
  return 1;
}

// The desktop to look on; empty for our own. Joined once it exists.
std::wstring g_desktop;
bool g_joined = false;

bool JoinDesktop() {
  if (g_desktop.empty() || g_joined) return true;
  HDESK d = OpenDesktopW(g_desktop.c_str(), 0, FALSE, GENERIC_ALL);
  if (!d) return false;
  g_joined = SetThreadDesktop(d) != 0;
  return g_joined;
}

int Wait(int seconds) {
  for (int i = 0; i < seconds * 10; ++i) {
    // The desktop itself appears only when the tool's start gets that far.
    HWND w = JoinDesktop() ? FindMain() : nullptr;
    if (w && Answers(w)) return 0;
    Sleep(100);
  }
  return Fail(L"no window came up in time");
}

// Looks up the main window and one of its controls; 0 when either is missing.
HWND Control(int id, HWND* main_out = nullptr) {
  HWND main = FindMain();
  if (!main) return nullptr;
  if (main_out) *main_out = main;
  return FindControl(main, id);
}

int Click(int id) {
  HWND main = nullptr;
  HWND b = Control(id, &main);
  if (!b) return Fail(L"no control with ID", id);
  // A person cannot press a hidden or disabled button; neither may we.
  if (!IsWindowVisible(b) || !IsWindowEnabled(b)) return Fail(L"button not pressable:", id);
  // BM_CLICK runs the click handler to its end before SendMessage returns,
  // unless another handler is at work; Answers below waits for that too.
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutW(b, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &r))
    return Fail(L"button did not answer:", id);
  // Let pending repaints happen before a screenshot is taken.
  RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  return Answers(main) ? 0 : Fail(L"window stopped answering after pressing", id);
}

int Text(int id) {
  HWND c = Control(id);
  if (!c) return Fail(L"no control with ID", id);
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutW(c, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &len))
    return Fail(L"control did not answer:", id);
  std::wstring text(len + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(c, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(&text[0]),
                           SMTO_ABORTIFHUNG, kAnswerMs, &got))
    return Fail(L"control did not answer:", id);
  text.resize(got);
  PrintUtf8(text);
  return 0;
}

int Shown(int id) {
  HWND c = Control(id);
  if (!c) return Fail(L"no control with ID", id);
  std::printf("%d\n", IsWindowVisible(c) ? 1 : 0);
  return 0;
}

int Close(int seconds) {
  HWND w = FindMain();
  if (!w) return 0;
  PostMessageW(w, WM_CLOSE, 0, 0);
  for (int i = 0; i < seconds * 10; ++i) {
    if (!IsWindow(w)) return 0;
    Sleep(100);
  }
  return Fail(L"window did not close in time");
}

int Usage() {
  fwprintf(stderr,
           L"usage: autopilot [--desktop NAME] wait [SECONDS] | click ID | text ID | shown ID | "
           L"close [SECONDS]\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 3 && std::wstring(argv[1]) == L"--desktop") {
    g_desktop = argv[2];
    argc -= 2;
    argv += 2;
  }
  if (argc < 2) return Usage();
  std::wstring cmd = argv[1];
  int arg = argc > 2 ? _wtoi(argv[2]) : 0;
  if (cmd == L"wait") return Wait(argc > 2 ? arg : 60);
  if (!JoinDesktop()) return Fail(L"no such desktop");
  if (cmd == L"close") return Close(argc > 2 ? arg : 20);
  if (argc != 3 || arg <= 0) return Usage();
  if (cmd == L"click") return Click(arg);
  if (cmd == L"text") return Text(arg);
  if (cmd == L"shown") return Shown(arg);
  return Usage();
}
