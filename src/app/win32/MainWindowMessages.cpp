// What the main window does with the messages it gets: each case of the
// window procedure is one line that calls a named handler.
#include <algorithm>

#include "app/win32/MainWindow.h"
#include "app/win32/WindowApi.h"

namespace lnf {

namespace {

constexpr COLORREF kDarkRed = RGB(192, 0, 0);

bool TakesClicks(ControlId id) { return SpecOf(id).kind == ControlKind::PushButton; }

}  // namespace

HWND MainWindow::FindControl(int id) const {
  if (id < kFirstControlId || id >= kFirstControlId + kControlCount) return nullptr;
  return Handle(static_cast<ControlId>(id));
}

ControlId MainWindow::IdOf(HWND control) const {
  if (!control) return kNoControl;
  const int id = GetDlgCtrlID(control);
  return FindControl(id) == control ? static_cast<ControlId>(id) : kNoControl;
}

LRESULT MainWindow::OnCtlColorStatic(WPARAM wParam, LPARAM lParam) {
  const HDC dc = reinterpret_cast<HDC>(wParam);
  const ControlId id = IdOf(reinterpret_cast<HWND>(lParam));
  if (id != kNoControl && SpecOf(id).kind == ControlKind::TextBox) {
    // Read-only edits ask for a label's colours; text boxes keep the window colour.
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
  }
  SetTextColor(dc, id != kNoControl && SpecOf(id).darkRed ? kDarkRed : GetSysColor(COLOR_BTNTEXT));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void MainWindow::MoveFocus(HWND target) {
  if (!target) return;
  // As the dialog manager does when Tab reaches a text box: select its text.
  if (win::Send(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
    win::Send(target, EM_SETSEL, 0, -1);
  }
  SetFocus(target);
}

void MainWindow::RestoreFocus() {
  // A minimized window keeps the focus on itself.
  if (IsIconic(hwnd_)) return;
  HWND target = focusToRestore_;
  if (!target || !IsWindow(target) || !IsWindowVisible(target)) {
    target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  }
  if (target) SetFocus(target);
}

// A handler may hide the control that has the focus (the check hides the
// frames); the focus then moves on to the next control that is shown.
void MainWindow::KeepFocusOnScreen() {
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_, focus) && !IsWindowVisible(focus)) {
    focusToRestore_ = nullptr;
    RestoreFocus();
  }
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MainWindow* self;
  if (message == WM_NCCREATE) {
    self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    win::SetWindowData(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<MainWindow*>(win::GetWindowData(hwnd, GWLP_USERDATA));
  }
  if (!self) return win::DefaultProc(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    win::SetWindowData(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return win::DefaultProc(hwnd, message, wParam, lParam);
  }
  return self->OnMessage(message, wParam, lParam);
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT answer = 0;
  if (pump_.Answer(message, wParam, lParam, answer)) return answer;
  switch (message) {
    case WM_COMMAND:
      return OnCommand(wParam, lParam);
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(wParam, lParam);
    case WM_ACTIVATE:
      return OnActivate(wParam);
    case WM_SETFOCUS:
      return OnSetFocus();
    case WM_NEXTDLGCTL:
      return OnNextDlgCtl(wParam, lParam);
    case DM_GETDEFID:
      return OnGetDefId();
    case WM_GETMINMAXINFO:
      return OnGetMinMaxInfo(lParam);
    case WM_DESTROY:
      return OnDestroy();
  }
  return win::DefaultProc(hwnd_, message, wParam, lParam);
}

LRESULT MainWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) != BN_CLICKED) return 0;
  // Enter on a button inside a frame: Windows' dialog manager names the
  // button by its ID alone, as it finds no such control directly in the window.
  HWND control = lParam ? reinterpret_cast<HWND>(lParam) : FindControl(LOWORD(wParam));
  const ControlId id = IdOf(control);
  // A disabled button takes no click from a person; a posted one is ignored too.
  if (id != kNoControl && TakesClicks(id) && IsWindowEnabled(control)) pump_.Click(id);
  return 0;
}

// Without this the focus would land on the window itself when the user
// comes back to it, and Tab would start from nowhere.
LRESULT MainWindow::OnActivate(WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus)) focusToRestore_ = focus;
  } else if (!HIWORD(wParam)) {
    RestoreFocus();
  }
  return 0;
}

LRESULT MainWindow::OnSetFocus() {
  RestoreFocus();
  return 0;
}

// Sent by the dialog manager and by a multi-line text box on Tab; a plain
// window has to do what a dialog box would.
LRESULT MainWindow::OnNextDlgCtl(WPARAM wParam, LPARAM lParam) {
  MoveFocus(LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                           : GetNextDlgTabItem(hwnd_, GetFocus(), wParam != 0));
  return 0;
}

// Enter clicks the push button that has the focus.
LRESULT MainWindow::OnGetDefId() {
  const ControlId id = IdOf(GetFocus());
  if (id != kNoControl && TakesClicks(id)) return MAKELRESULT(id, DC_HASDEFID);
  return 0;
}

// The system would cut the window down to the screen; it keeps its size
// however small the screen is, console off the edge and all.
LRESULT MainWindow::OnGetMinMaxInfo(LPARAM lParam) {
  MINMAXINFO* limits = reinterpret_cast<MINMAXINFO*>(lParam);
  limits->ptMaxTrackSize.x = std::max(limits->ptMaxTrackSize.x, outerSize_.x);
  limits->ptMaxTrackSize.y = std::max(limits->ptMaxTrackSize.y, outerSize_.y);
  return 0;
}

LRESULT MainWindow::OnDestroy() {
  PostQuitMessage(0);
  return 0;
}

// Frames are group boxes, and a group box keeps to itself what its children
// tell their parent. The frames pass it on, so that clicks and colour
// requests from inside them reach the window as from any other control.
LRESULT CALLBACK MainWindow::FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_NEXTDLGCTL:
      return win::Send(GetParent(hwnd), message, wParam, lParam);
    case WM_ERASEBKGND: {
      // A group box leaves its inside unpainted; a shown frame must cover
      // the labels that lie beneath it.
      RECT inside;
      GetClientRect(hwnd, &inside);
      FillRect(reinterpret_cast<HDC>(wParam), &inside, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
  }
  return win::CallProc(buttonProc_, hwnd, message, wParam, lParam);
}

}  // namespace lnf
