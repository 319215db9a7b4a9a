#include "app/win32/WorkPump.h"

#include "app/WorkingQuery.h"

namespace lnf {

namespace {

HCURSOR SystemCursor(int id) { return LoadCursorA(nullptr, MAKEINTRESOURCEA(id)); }
HCURSOR WaitCursor() { return SystemCursor(32514); }   // IDC_WAIT
HCURSOR ArrowCursor() { return SystemCursor(32512); }  // IDC_ARROW

}  // namespace

WorkPump::~WorkPump() = default;

void WorkPump::RunClick(ControlId id) { form_.Click(id); }
void WorkPump::Close() { PostMessageA(window_, WM_CLOSE, 0, 0); }
std::uint32_t WorkPump::Ticks() { return GetTickCount(); }

void WorkPump::Attach(HWND window) {
  window_ = window;
  workingQuery_ = RegisterWindowMessageA(kWorkingQueryName);
}

// The arrow, once the work has ended, until the mouse moves and the control
// beneath it sets its own.
void WorkPump::ShowBusy(bool busy) { SetCursor(busy ? WaitCursor() : ArrowCursor()); }

bool WorkPump::Answer(UINT message, WPARAM, LPARAM, LRESULT& result) {
  if (workingQuery_ != 0 && message == workingQuery_) {
    result = state_.Working() ? 1 : 0;
    return true;
  }
  switch (message) {
    case WM_SETCURSOR:
      if (!state_.Working()) return false;
      SetCursor(WaitCursor());
      result = TRUE;
      return true;
    case WM_CLOSE:
      // Sent by another program, or by the system for the title bar's
      // menu: the window goes once the handlers have ended, not under them.
      if (state_.AskClose()) return false;
      result = 0;
      return true;
  }
  return false;
}

void WorkPump::BeforeOperation() {
  if (window_) state_.BeforeOperation();
}

void WorkPump::Draw() {
  view_.Render(form_);
  // Whatever was uncovered meanwhile: the view paints only what it changed.
  RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// Looking into the queue delivers the messages sent to the window and
// counts, for Windows, as the window answering (a window is "not
// responding" when its thread has not called PeekMessage for 5 seconds:
// learn.microsoft.com/windows/win32/api/winuser/nf-winuser-ishungappwindow).
// Nothing is taken out, so clicks and keys wait their turn.
void WorkPump::LetSentMessagesIn() {
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
}

}  // namespace lnf
