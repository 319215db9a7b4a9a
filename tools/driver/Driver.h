// Drives the real LNF_INVTOOL.exe from another process, the way an
// accessibility or automation tool would: controls are found by their Win32
// control ID and handled only through window messages. Every wait is bounded
// and polls; nothing here measures how long anything takes.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lnf::e2e {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

// Which system icon a message box shows.
enum class BoxIcon { None, Information, Exclamation, Hand, Question, Unrecognised };
const char* ToString(BoxIcon icon);

// A message box as a person sees it.
struct MessageBoxInfo {
  HWND hwnd = nullptr;
  HWND owner = nullptr;
  std::wstring title;
  std::wstring text;
  BoxIcon icon = BoxIcon::None;
  std::vector<std::wstring> buttons;  // captions of its push buttons
};

// One tool of a tool-tip control: the window it belongs to and its text.
struct ToolTip {
  HWND tool = nullptr;  // the control the tip is for
  std::wstring text;
};

// Polls `done` until it holds or the driver's timeout has passed.
bool WaitUntil(const std::function<bool()>& done);

// How long a wait may last before it counts as a failure. Generous, because
// the machine is shared; a passing run never waits this long.
DWORD TimeoutMs();
// Sets that bound from now on, in place of LNF_E2E_TIMEOUT_MS.
void SetTimeoutMs(DWORD ms);

class App {
 public:
  struct Options {
    std::wstring exe;     // Windows path of LNF_INVTOOL.exe
    std::wstring windir;  // the value of windir the tool sees; empty: inherited
    // Further variables the tool sees with these values instead of inherited
    // ones (name, value).
    std::vector<std::pair<std::wstring, std::wstring>> environment;
    std::wstring workDir;
    // What follows the exe's name on its command line, one entry a word,
    // quoted as the C runtime splits them back.
    std::vector<std::wstring> arguments;
    // An inheritable handle that the tool gets as its standard output and
    // error, as a script's redirection hands one over; none when null.
    HANDLE output = nullptr;
  };

  // Starts the tool. Check started() before use; error() tells why not.
  explicit App(const Options& options);
  // Attaches to a tool that runs already, by its main window (FindRunning).
  // Such an App leaves the tool running when it goes.
  explicit App(HWND mainWindow);
  // The shown main window of a tool on this thread's desktop, whoever
  // started it; null when there is none.
  static HWND FindRunning();
  // Closes a tool it started if that still runs; ends it by its handle if it
  // will not go.
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  bool started() const { return process_ != nullptr; }
  const std::string& error() const { return error_; }
  DWORD pid() const { return pid_; }
  bool Running() const;

  // --- Start-up.
  enum class Startup { MainWindow, MessageBox, Exited, TimedOut };
  // Waits until either the main window is visible or a message box is up,
  // whichever comes first.
  Startup WaitForStartup();
  // Waits until the main window is visible. False on timeout.
  bool WaitForMainWindow();
  HWND MainWindow() const { return main_; }
  // Visible top-level windows of the tool other than message boxes.
  std::vector<HWND> VisibleTopLevelWindows() const;

  // --- Controls, by control ID.
  HWND Control(int id) const;  // null when there is none
  std::vector<HWND> ControlsWithId(int id) const;
  std::wstring ClassOf(int id) const;  // without any version prefix
  LONG StyleOf(int id) const;
  std::wstring Text(int id) const;     // WM_GETTEXT, wide
  bool OwnVisible(int id) const;       // its own WS_VISIBLE flag
  bool OnScreen(int id) const;         // itself and every parent shown
  int ContainerOf(int id) const;       // parent's ID; 0 for the window
  RECT RectInContainer(int id) const;  // pixels, container's client area
  RECT ClientRectOnScreen() const;

  // Clicks a push button and returns once the tool has handled the click or is
  // waiting in a message box that the click opened.
  bool Click(int id);
  // Presses Tab in the tool's window; returns once the focus has moved (or
  // the wait ran out).
  void PressTab();
  // The control ID that holds the keyboard focus; 0 for none, -1 for a window
  // that is no control of the tool.
  int FocusedId() const;

  // Every tool tip that the tool has registered, in all its tool-tip
  // controls. Read through the tool's own memory: tool-tip messages carry
  // pointers that are not carried across processes.
  std::vector<ToolTip> ToolTips() const;

  // --- Message boxes.
  std::vector<HWND> MessageBoxes() const;  // visible ones, topmost first
  std::optional<MessageBoxInfo> WaitForMessageBox();
  // Presses OK and returns once the box is gone and the tool has gone on to
  // its next box or back to waiting for the user.
  bool PressOk(const MessageBoxInfo& box);

  // Returns once the tool has handled everything sent to it so far, and no
  // handler is at work any more (it may be waiting in a box it opened).
  bool Sync() const;
  // Whether a handler of the tool is at work (not waiting for the user);
  // nothing when the window did not answer within `timeoutMs`.
  std::optional<bool> Working(DWORD timeoutMs) const;
  // Has the tool paint its whole window now.
  void Repaint() const;
  // What the screen shows in `rect` (screen coordinates) once the tool's
  // painting has reached it: read again, with the tool gone idle between the
  // reads, until two reads agree. (Wine passes a window's painting on to
  // the screen after the painting, when the tool's thread next waits.)
  std::vector<DWORD> SettledPixels(const RECT& rect) const;

  // Asks the window to close and waits for the process to end. False when it
  // did not end, or when a message box was still open.
  bool Close();
  DWORD ExitCode() const;

  // Saves what the screen shows as a 24-bit BMP file.
  static bool SaveScreenshot(const std::wstring& path);

 private:
  HWND FindMainWindow() const;
  void MapControls();

  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND main_ = nullptr;
  bool attached_ = false;
  std::vector<std::pair<int, HWND>> controls_;
  std::string error_;
};

// What the screen shows in `rect` (screen coordinates) right now: one
// 0xRRGGBB value per pixel, row by row. To compare what a tool shows, read
// App::SettledPixels instead.
std::vector<DWORD> ScreenPixels(const RECT& rect);

// Reads what a message box shows.
MessageBoxInfo ReadMessageBox(HWND box);
// The text with every CR LF turned into LF, for comparing box texts whatever
// the box does with the line breaks.
std::wstring NormaliseLineBreaks(std::wstring text);

}  // namespace lnf::e2e
