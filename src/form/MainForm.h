// The main window's state, free of any windowing system: the controls'
// visibility and texts, the path variables, the log, message boxes, and the
// one dispatcher through which every event handler runs. The handlers live
// above this layer (the inventory check, the backups, the window's own) and
// reach the window only through it; the app gives the table that says which
// handler answers which event. A FormView (the Win32 window, or nothing in
// tests) shows this state.
#pragma once

#include <array>
#include <cstddef>
#include <limits>
#include <string>

#include "form/ControlIds.h"
#include "platform/FunctionRef.h"
#include "platform/Platform.h"

namespace lnf {

struct ControlState {
  bool visible = false;  // the control's own flag; a frame hides its contents
  std::string text;      // caption, or a text box's text
  bool changed = true;   // not yet shown by the view
};

class MainForm;

// Brings what a person sees up to date with the form's state. Called before
// every modal message box, when a handler ends and, while long work runs, by
// the window's own pump a few times a second; never per change.
class FormView {
 public:
  virtual ~FormView() = default;
  virtual void Render(MainForm& form) = 0;
};

// An event handler: it works on the window's state and the platform only.
using EventHandler = void (*)(MainForm& form);

struct ClickHandler {
  ControlId control;
  EventHandler handler;
};

// Which handler answers which of the window's events.
struct FormEvents {
  EventHandler load;  // Form_Load
  const ClickHandler* clicks;
  std::size_t clickCount;
};

class MainForm {
 public:
  // `events` is kept, not copied: the app's table is a constant.
  MainForm(const Platform& platform, const FormEvents& events);

  const Platform& platform() const { return platform_; }
  FileSystem& files() { return platform_.files; }
  SystemInfo& system() { return platform_.system; }
  void SetView(FormView* view) { view_ = view; }

  // --- Events. Each runs its handler from the table through Dispatch.
  void Load();  // before the window is first shown
  // A push button was clicked; one with no handler, or not shown on screen
  // (itself or a frame around it), does nothing.
  void Click(ControlId id);
  // Runs `work` as the dispatcher runs a handler: a failure it lets through
  // is told in a box, and the view catches up. For work that hands back
  // values, which a handler cannot (the unattended collection's backups).
  void Run(FunctionRef<void()> work);

  // --- Controls.
  void Show(ControlId id) { SetVisible(id, true); }
  void Hide(ControlId id) { SetVisible(id, false); }
  void SetVisible(ControlId id, bool visible);
  bool IsVisible(ControlId id) const { return At(id).visible; }
  // Visible on screen: the control and every frame around it are shown.
  bool IsShownOnScreen(ControlId id) const;
  void SetText(ControlId id, const std::string& text);
  const std::string& Text(ControlId id) const { return At(id).text; }
  ControlState& StateOf(ControlId id) { return controls_[Index(id)]; }

  // Appends a log entry: CR LF, "(", the general date, and `closingText`,
  // which always begins with ")". The console is never cleared; when an entry
  // would take it past the text capacity, the oldest entries make room and
  // kLogTrimmedNotice, below the initial text, says so.
  void AppendLog(const std::string& closingText);
  // Adds a line to a file list: bare when the list is empty, after CR LF
  // otherwise, with no separator after the last line. A list that cannot
  // hold the line within the text capacity ends in kListFullNotice instead.
  void AppendFileLine(ControlId list, const std::string& line);

  // The most text, in bytes of UTF-8, that a text box can show: the window
  // sets what its system's text boxes hold. Unlimited until then.
  void SetTextCapacity(std::size_t bytes) { textCapacity_ = bytes; }
  std::size_t TextCapacity() const { return textCapacity_; }
  // How often the console has lost its oldest entries: a view that shows
  // only the new tail of the log must show it whole again when this changes.
  std::size_t ConsoleTrims() const { return consoleTrims_; }

  // A modal message box, shown after the view has caught up so that the user
  // sees every entry logged before it.
  void ShowMessage(const std::string& text, int buttonsAndIcon, const std::string& title = {});

  // --- Members that belong to the inventory check and the backups.
  std::string SYSDRIVE;
  std::string WUDIR;
  std::string OUDIR;

 private:
  void Dispatch(EventHandler handler);
  void ReportFailure(const std::string& text);
  void Refresh();

  static int Index(ControlId id) { return static_cast<int>(id) - kFirstControlId; }
  const ControlState& At(ControlId id) const { return controls_[Index(id)]; }

  Platform platform_;
  const FormEvents& events_;
  FormView* view_ = nullptr;
  std::array<ControlState, kControlCount> controls_;
  std::size_t textCapacity_ = std::numeric_limits<std::size_t>::max();
  std::size_t consoleTrims_ = 0;
};

// The line that follows the console's initial text once its oldest entries
// have made room for new ones.
inline constexpr const char* kLogTrimmedNotice = "Earlier entries were removed to make room.";
// The last line of a file list that could not hold every name. It ends in a
// period, which no file name on Windows does.
inline constexpr const char* kListFullNotice = "More files were found than this list can hold.";

}  // namespace lnf
