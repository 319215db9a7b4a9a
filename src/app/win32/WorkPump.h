// Keeps the main window alive while a handler works, on the one thread the
// tool has: about ten times a second, at the next operation the handler
// asks of the platform, it lets the system deliver the messages sent to the
// window, which also tells Windows that the window still answers; as often
// as that, as long as drawing takes no more than a fiftieth of the time, it
// shows what the form has logged so far and paints what needs painting. Input
// stays in the queue until the handler has ended; a close asked for meanwhile
// is kept until then; the wait cursor shows throughout.
#pragma once

#include <windows.h>

#include "form/MainForm.h"
#include "platform/PlatformWatcher.h"

namespace lnf {

class WorkPump final : public PlatformWatcher {
 public:
  WorkPump(FormView& view, MainForm& form) : view_(view), form_(form) {}

  void Attach(HWND window);

  // Around a run of handlers (a click and the clicks queued behind it).
  void Begin();
  void End();
  // A handler runs and does not wait for the user.
  bool Working() const { return running_ && !waiting_; }

  // What the window answers to `message` while handlers run; false for the
  // messages it handles as always.
  bool Answer(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  void BeforeOperation() override;
  void WaitingForUser(bool waiting) override;

 private:
  void Draw(DWORD start);

  FormView& view_;
  MainForm& form_;
  HWND window_ = nullptr;
  UINT workingQuery_ = 0;
  bool running_ = false;
  bool waiting_ = false;
  bool closeAsked_ = false;
  DWORD lastBeat_ = 0;
  DWORD lastDrawn_ = 0;
  DWORD drawingGap_ = 0;
};

}  // namespace lnf
