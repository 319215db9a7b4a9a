#include "form/MainForm.h"

#include <exception>

#include "form/ControlTable.h"

namespace lnf {

MainForm::MainForm(const Platform& platform, const FormEvents& events)
    : platform_(platform), events_(events) {
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
  const std::string entry = "\r\n(" + platform_.system.NowAsGeneralDate() + closingText;
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
  platform_.prompts.ShowMessage(text, buttonsAndIcon, title);
}

void MainForm::Refresh() {
  if (view_) view_->Render(*this);
}

void MainForm::ReportFailure(const std::string& text) { ShowMessage(text, kBoxCritical); }

void MainForm::Dispatch(EventHandler handler) {
  Run([&] { handler(*this); });
}

// The one place where a failure that a handler lets through is caught: the
// user is told its number and description, whatever the handler did before it
// stays, and the window goes on.
void MainForm::Run(FunctionRef<void()> work) {
  try {
    work();
  } catch (const PlatformError& error) {
    std::string text = "Error " + std::to_string(error.number()) + ": " + error.description();
    if (!error.subject().empty()) text += "\r\n\r\n" + error.subject();
    ReportFailure(text);
  } catch (const std::exception& error) {
    ReportFailure(std::string("Error: ") + error.what());
  }
  Refresh();
}

void MainForm::Load() { Dispatch(events_.load); }

void MainForm::Click(ControlId id) {
  // A person cannot click what is not on screen; another program can (an
  // automation tool, a stray posted message), and a backup button clicked
  // before any check would run on paths that are not set.
  if (!IsShownOnScreen(id)) return;
  for (std::size_t i = 0; i < events_.clickCount; ++i) {
    if (events_.clicks[i].control == id) return Dispatch(events_.clicks[i].handler);
  }
}

}  // namespace lnf
