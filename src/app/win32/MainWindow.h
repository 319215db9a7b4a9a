// The main window on screen: one top-level window whose 45 child controls
// are made from the control table in one loop, and the view that brings them
// up to date with the MainForm's state.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <utility>

#include "app/win32/GdiObjects.h"
#include "app/win32/WorkPump.h"
#include "form/ControlTable.h"
#include "form/MainForm.h"
#include "form/StackingOrder.h"
#include "form/ViewChanges.h"

namespace lnf {

class MainWindow : public FormView {
 public:
  MainWindow(MainForm& form, HINSTANCE instance);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window, hidden, with every control as the form's state has it.
  bool Create();
  HWND hwnd() const { return hwnd_; }
  // Shows the window with the keyboard focus on the first control of the tab order.
  void Show(int showCommand);
  // Runs until the window is closed; returns the exit code.
  int RunMessageLoop();
  // Runs `work` as a click's handler runs, the window kept alive meanwhile;
  // returns once it has ended.
  void RunWork(WorkState::Work work) { pump_.Run(work); }
  // Closes the window as its close box would, once the work at hand is done.
  void Close() { PostMessageA(hwnd_, WM_CLOSE, 0, 0); }

  void Render(MainForm& form) override;
  // What the platform tells while handlers run, to keep the window alive.
  PlatformWatcher& watcher() { return pump_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void CreateFonts();
  void CreateControls();
  HWND CreateControl(const ControlSpec& row, const ControlState& state);
  void StackControls();
  void AddToolTip();
  void FitLabelToText(const ControlSpec& row, const std::string& text);
  RECT PixelRect(const ControlSpec& row) const;
  HWND Handle(ControlId id) const { return controls_[Index(id)]; }
  static int Index(ControlId id) { return static_cast<int>(id) - kFirstControlId; }
  HWND FindControl(int id) const;      // null for an ID that is not one of the controls
  ControlId IdOf(HWND control) const;  // kNoControl for a window that is not one

  // One per message the window handles; each answers as the message wants.
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
  LRESULT OnCtlColorStatic(WPARAM wParam, LPARAM lParam);
  LRESULT OnActivate(WPARAM wParam);
  LRESULT OnSetFocus();
  LRESULT OnNextDlgCtl(WPARAM wParam, LPARAM lParam);
  LRESULT OnGetDefId();
  LRESULT OnGetMinMaxInfo(LPARAM lParam);
  LRESULT OnDestroy();

  void MoveFocus(HWND target);
  void RestoreFocus();
  void KeepFocusOnScreen();
  void CarryOut(const ViewChange& change);
  void AppendConsoleTail(const std::string& tail);

  MainForm& form_;
  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  HWND toolTip_ = nullptr;
  HICON icon_ = nullptr;
  OwnedIcon smallIcon_;
  int dpiX_ = 96;
  int dpiY_ = 96;
  POINT outerSize_ = {0, 0};
  std::array<GdiObject<HFONT>, 5> fonts_;
  std::array<HWND, kControlCount> controls_{};

  // What the controls show at the moment, so that Render touches only what
  // has changed.
  ShownForm shown_{RunsIntoALabelBeside};

  HWND focusToRestore_ = nullptr;
  WorkPump pump_{*this, form_};

  static WNDPROC buttonProc_;
};

}  // namespace lnf
