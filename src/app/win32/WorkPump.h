// Keeps the main window alive while a handler works: it carries out what the
// work state decides (the click queue, the deferred close, the beats and the
// drawing, in app/WorkState.h) with the system's calls, answers the messages
// that work changes the answer to, and shows the wait cursor throughout.
#pragma once

#include <windows.h>

#include "app/WorkState.h"
#include "form/MainForm.h"
#include "platform/PlatformWatcher.h"

namespace lnf {

class WorkPump final : public PlatformWatcher, private WorkActions, private TickClock {
 public:
  WorkPump(FormView& view, MainForm& form) : view_(view), form_(form) {}
  // Defined in one file: MinGW's link-time optimizer takes the implicit
  // one's thunks, emitted in every file that uses the class, for two
  // definitions.
  ~WorkPump() override;

  void Attach(HWND window);

  // A push button was clicked: its handler runs now, or after the ones at work.
  void Click(ControlId id) { state_.Click(id); }
  // The window's own work, kept alive the same way.
  void Run(WorkState::Work work) { state_.Run(work); }

  // What the window answers to `message` while handlers run; false for the
  // messages it handles as always.
  bool Answer(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  void BeforeOperation() override;
  void WaitingForUser(bool waiting) override { state_.WaitingForUser(waiting); }

 private:
  // Defined in WorkPump.cpp, as the destructor is, for the same reason.
  void RunClick(ControlId id) override;
  void ShowBusy(bool busy) override;
  void Draw() override;
  void LetSentMessagesIn() override;
  void Close() override;
  std::uint32_t Ticks() override;

  FormView& view_;
  MainForm& form_;
  HWND window_ = nullptr;
  UINT workingQuery_ = 0;
  WorkState state_{*this, *this};
};

}  // namespace lnf
