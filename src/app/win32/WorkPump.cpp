#include "app/win32/WorkPump.h"

#include "app/WorkingQuery.h"

namespace lnf {

namespace {

// Often enough that the console follows the work and a message sent to the
// window is answered at once to a person; rare enough that a backup spends
// next to nothing on it.
constexpr DWORD kBeatMs = 100;

// Drawing is given at most a fiftieth of the work's time. What an append to
// the console and a repaint cost differs widely from one system to another
// (from well under a millisecond to tens of them, whatever the number of
// entries appended), so the next drawing waits fifty times as long as the
// last one took, and never less than a beat.
constexpr DWORD kWorkPerDrawing = 50;

HCURSOR SystemCursor(int id) { return LoadCursorA(nullptr, MAKEINTRESOURCEA(id)); }

}  // namespace

void WorkPump::Attach(HWND window) {
  window_ = window;
  workingQuery_ = RegisterWindowMessageA(kWorkingQueryName);
}

void WorkPump::Begin() {
  running_ = true;
  waiting_ = false;
  lastBeat_ = GetTickCount();
  lastDrawn_ = lastBeat_;
  drawingGap_ = kBeatMs;
  SetCursor(SystemCursor(32514));  // IDC_WAIT
}

void WorkPump::End() {
  running_ = false;
  waiting_ = false;
  // The arrow until the mouse moves and the control beneath it sets its own.
  SetCursor(SystemCursor(32512));  // IDC_ARROW
  if (closeAsked_) {
    closeAsked_ = false;
    PostMessageA(window_, WM_CLOSE, 0, 0);
  }
}

bool WorkPump::Answer(UINT message, WPARAM, LPARAM, LRESULT& result) {
  if (workingQuery_ != 0 && message == workingQuery_) {
    result = Working() ? 1 : 0;
    return true;
  }
  if (!running_) return false;
  switch (message) {
    case WM_SETCURSOR:
      if (waiting_) return false;
      SetCursor(SystemCursor(32514));  // IDC_WAIT
      result = TRUE;
      return true;
    case WM_CLOSE:
      // Sent by another program, or by the system for the title bar's
      // menu: the window goes once the handlers have ended, not under them.
      closeAsked_ = true;
      result = 0;
      return true;
  }
  return false;
}

void WorkPump::BeforeOperation() {
  if (!running_ || waiting_ || !window_) return;
  const DWORD now = GetTickCount();
  if (now - lastBeat_ < kBeatMs) return;
  if (now - lastDrawn_ >= drawingGap_) Draw(now);
  // Looking into the queue delivers the messages sent to the window and
  // counts, for Windows, as the window answering (a window is "not
  // responding" when its thread has not called PeekMessage for 5 seconds:
  // learn.microsoft.com/windows/win32/api/winuser/nf-winuser-ishungappwindow).
  // Nothing is taken out, so clicks and keys wait their turn.
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  lastBeat_ = GetTickCount();
}

void WorkPump::Draw(DWORD start) {
  view_.Render(form_);
  // Whatever was uncovered meanwhile: the view paints only what it changed.
  RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  lastDrawn_ = GetTickCount();
  drawingGap_ = (lastDrawn_ - start) * kWorkPerDrawing;
  if (drawingGap_ < kBeatMs) drawingGap_ = kBeatMs;
}

void WorkPump::WaitingForUser(bool waiting) {
  if (!running_) return;
  waiting_ = waiting;
  // The arrow while the box waits for the user; the wait cursor again once
  // the work goes on.
  SetCursor(SystemCursor(waiting ? 32512 : 32514));  // IDC_ARROW, IDC_WAIT
  // The view was brought up to date before the box.
  if (!waiting) lastBeat_ = lastDrawn_ = GetTickCount();
}

}  // namespace lnf
