// autopilot: drives a running Lanternfall Tallyglass window from outside, for
// scripts that run the tool without a person at the screen (scripts/start.sh).
// A thin command line on the UI-automation driver (tools/driver), which the
// end-to-end tests and the benchmark use too.
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

#include "Driver.h"

namespace {

using lnf::e2e::App;

// Long enough for an inventory check on a slow disk, short enough that a
// wedged window does not stall a script for good.
const DWORD kAnswerMs = 60000;

void PrintUtf8(const std::wstring& text) {
  std::wstring unix_text;
  for (wchar_t c : text) {
    if (c != L'\r') unix_text += c;
  }
  if (unix_text.empty() || unix_text.back() != L'\n') unix_text += L'\n';
  const std::string bytes = lnf::e2e::Narrow(unix_text);
  fwrite(bytes.data(), 1, bytes.size(), stdout);
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
  lnf::e2e::SetTimeoutMs(seconds * 1000);
  HWND main = nullptr;
  // The desktop itself appears only when the tool's start gets that far.
  lnf::e2e::WaitUntil([&] {
    main = JoinDesktop() ? App::FindRunning() : nullptr;
    return main != nullptr;
  });
  if (!main || !App(main).Sync()) return Fail(L"no window came up in time");
  return 0;
}

int Click(App& app, int id) {
  HWND b = app.Control(id);
  if (!b) return Fail(L"no control with ID", id);
  // A person cannot press a hidden or disabled button; neither may we.
  if (!IsWindowVisible(b) || !IsWindowEnabled(b)) return Fail(L"button not pressable:", id);
  if (!app.Click(id)) return Fail(L"window stopped answering after pressing", id);
  // Let pending repaints happen before a screenshot is taken.
  app.Repaint();
  return 0;
}

int Text(const App& app, int id) {
  if (!app.Control(id)) return Fail(L"no control with ID", id);
  PrintUtf8(app.Text(id));
  return 0;
}

int Shown(const App& app, int id) {
  if (!app.Control(id)) return Fail(L"no control with ID", id);
  std::printf("%d\n", app.OnScreen(id) ? 1 : 0);
  return 0;
}

int Close(int seconds) {
  HWND main = App::FindRunning();
  if (!main) return 0;
  lnf::e2e::SetTimeoutMs(seconds * 1000);
  App app(main);
  return app.Close() ? 0 : Fail(L"window did not close in time");
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
  lnf::e2e::SetTimeoutMs(kAnswerMs);
  if (cmd == L"wait") return Wait(argc > 2 ? arg : 60);
  if (!JoinDesktop()) return Fail(L"no such desktop");
  if (cmd == L"close") return Close(argc > 2 ? arg : 20);
  if (argc != 3 || arg <= 0) return Usage();
  HWND main = App::FindRunning();
  if (!main) return Fail(L"no control with ID", arg);
  App app(main);
  if (cmd == L"click") return Click(app, arg);
  if (cmd == L"text") return Text(app, arg);
  if (cmd == L"shown") return Shown(app, arg);
  return Usage();
}
