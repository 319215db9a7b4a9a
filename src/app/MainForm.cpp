#include "app/MainForm.h"

#include <exception>

#include "app/ControlTable.h"
#include "backup/Backups.h"
#include "inventory/InventoryCheck.h"

namespace lnf {

MainForm::MainForm(Platform& platform) : platform_(platform) {
  for (const ControlSpec& row : kControls) {
    ControlState& state = StateOf(row.id);
    state.visible = row.visible;
    state.text = row.caption;
  }
}

void MainForm::SetVisible(ControlId id, bool visible) {
  ControlState& state = StateOf(id);
  if (state.visible == visible) return;
  state.visible = visible;
  state.changed = true;
}

bool MainForm::IsShownOnScreen(ControlId id) const {
  for (ControlId at = id; at != kNoControl; at = SpecOf(at).container) {
    if (!At(at).visible) return false;
  }
  return true;
}

void MainForm::SetText(ControlId id, const std::string& text) {
  ControlState& state = StateOf(id);
  if (state.text == text) return;
  state.text = text;
  state.changed = true;
}

void MainForm::AppendLog(const std::string& closingText) {
  // Appending in place keeps the cost of an entry independent of the log's
  // length; the view sends only the new tail to the control.
  ControlState& console = StateOf(kLogConsole);
  const std::string entry = "\r\n(" + platform_.NowAsGeneralDate() + closingText;
  if (console.text.size() + entry.size() > textCapacity_) {
    // The oldest entries go, down to three quarters of the capacity, so that
    // the view shows the whole log again only now and then. The initial
    // text stays first, the notice after it.
    const std::string head = std::string(SpecOf(kLogConsole).caption) + "\r\n" + kLogTrimmedNotice;
    const std::size_t target = textCapacity_ / 4 * 3;
    std::size_t start = console.text.compare(0, head.size(), head) == 0
                            ? head.size()
                            : std::string(SpecOf(kLogConsole).caption).size();
    while (start < console.text.size() &&
           head.size() + (console.text.size() - start) + entry.size() > target) {
      const std::size_t next = console.text.find("\r\n(", start + 2);
      start = next == std::string::npos ? console.text.size() : next;
    }
    console.text = head + console.text.substr(start);
    ++consoleTrims_;
  }
  console.text += entry;
  console.changed = true;
}

void MainForm::AppendFileLine(ControlId list, const std::string& line) {
  ControlState& state = StateOf(list);
  const std::size_t separator = state.text.empty() ? 0 : 2;
  const std::size_t notice = 2 + std::string(kListFullNotice).size();
  if (state.text.size() + separator + line.size() + notice > textCapacity_) {
    // Room is kept for the notice; once it is there the list is full.
    if (state.text.size() >= notice - 2 &&
        state.text.compare(state.text.size() - (notice - 2), notice - 2, kListFullNotice) == 0) {
      return;
    }
    if (!state.text.empty()) state.text += "\r\n";
    state.text += kListFullNotice;
  } else {
    if (separator) state.text += "\r\n";
    state.text += line;
  }
  state.changed = true;
}

void MainForm::ShowMessage(const std::string& text, int buttonsAndIcon, const std::string& title) {
  Refresh();
  platform_.ShowMessage(text, buttonsAndIcon, title);
}

void MainForm::Refresh() {
  if (view_) view_->Render(*this);
}

void MainForm::ReportFailure(const std::string& text) { ShowMessage(text, kBoxCritical); }

// The one place where a failure that a handler lets through is caught: the
// user is told its number and description, whatever the handler did before it
// stays, and the window goes on.
template <typename Handler>
void MainForm::Dispatch(Handler handler) {
  try {
    handler(*this);
  } catch (const PlatformError& error) {
    std::string text = "Error " + std::to_string(error.number()) + ": " + error.description();
    if (!error.subject().empty()) text += "\r\n\r\n" + error.subject();
    ReportFailure(text);
  } catch (const std::exception& error) {
    ReportFailure(std::string("Error: ") + error.what());
  }
  Refresh();
}

void MainForm::Load() { Dispatch(Form_Load); }

void MainForm::Click(ControlId id) {
  switch (id) {
    case kCommand1:
      return Dispatch(Command1_Click);
    case kCommand2:
      return Dispatch(Command2_Click);
    case kCommand3:
      return Dispatch(Command3_Click);
    case kCommand4:
      return Dispatch(Command4_Click);
    case kCommand5:
      return Dispatch(Command5_Click);
    case kOuBtn:
      return Dispatch(ouBtn_Click);
    case kV3btn:
      return Dispatch(v3btn_Click);
    case kV4btn:
      return Dispatch(v4btn_Click);
    default:
      return;
  }
}

bool ScreenNeedsWarning(int width, int height) { return width < 800 && height < 600; }

void Form_Load(MainForm& form) {
  Platform& platform = form.platform();
  const int width = platform.ScreenWidth();
  const int height = platform.ScreenHeight();
  if (ScreenNeedsWarning(width, height)) {
    form.ShowMessage(
        "This program runs better with a resolution of 800x600 or bigger. With your current "
        "resolution, you won't be able to see the logging console.",
        kBoxExclamation, "Tallyglass");
  }
  form.Hide(kNoInvText);
  form.mainFunctions = std::make_unique<MainFunctions>();
}

std::string AboutText(const VersionNumbers& version) {
  return "Lanternfall Tallyglass Tool\r\n\r\nMade by Quillmoor\r\n\r\nVersion " +
         std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
         std::to_string(version.revision);
}

void Command2_Click(MainForm& form) {
  form.ShowMessage(AboutText(form.platform().GetVersion()), kBoxInformation, "About...");
}

void ouBtn_Click(MainForm& form) {
  form.Show(kOuFrame);
  form.Hide(kV4frame);
  form.Hide(kV3Frame);
}

void v3btn_Click(MainForm& form) {
  form.Hide(kOuFrame);
  form.Show(kV3Frame);
  form.Hide(kV4frame);
}

void v4btn_Click(MainForm& form) {
  form.Hide(kOuFrame);
  form.Show(kV4frame);
  form.Hide(kV3Frame);
}

}  // namespace lnf
