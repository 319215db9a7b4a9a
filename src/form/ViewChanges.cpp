#include "form/ViewChanges.h"

#include "form/ControlTable.h"
#include "form/MainForm.h"

namespace lnf {

namespace {

int Index(ControlId id) { return static_cast<int>(id) - kFirstControlId; }

// The picture, the frames and the push buttons keep the captions they were
// made with.
bool ShowsItsText(const ControlSpec& row) {
  return row.kind == ControlKind::Label || row.kind == ControlKind::TextBox;
}

}  // namespace

void ShownForm::Adopt(MainForm& form) {
  for (const ControlSpec& row : kControls) {
    ControlState& state = form.StateOf(row.id);
    visible_[Index(row.id)] = state.visible;
    text_[Index(row.id)] = state.text;
    state.changed = false;
  }
  consoleBytes_ = form.Text(kLogConsole).size();
  consoleTrims_ = form.ConsoleTrims();
}

std::vector<ViewChange> ShownForm::CatchUp(MainForm& form) {
  std::vector<ViewChange> changes;
  for (const ControlSpec& row : kControls) {
    ControlState& state = form.StateOf(row.id);
    if (!state.changed) continue;
    state.changed = false;
    const int i = Index(row.id);
    if (state.visible != visible_[i]) {
      changes.push_back(
          {state.visible ? ViewChange::Kind::Show : ViewChange::Kind::Hide, row.id, std::string()});
      visible_[i] = state.visible;
    }
    if (row.id == kLogConsole) {
      const std::string& log = state.text;
      if (log.size() < consoleBytes_ || form.ConsoleTrims() != consoleTrims_) {
        changes.push_back({ViewChange::Kind::ResetConsole, row.id, log});
      } else if (log.size() > consoleBytes_) {
        // Only the tail: the work per entry stays the same however long the
        // log gets, and the user's selection and scroll position stay.
        changes.push_back({ViewChange::Kind::AppendConsole, row.id, log.substr(consoleBytes_)});
      }
      consoleBytes_ = log.size();
      consoleTrims_ = form.ConsoleTrims();
    } else if (ShowsItsText(row) && state.text != text_[i]) {
      // Cut to the new text before it is drawn, so that it is never clipped
      // to the old one's shape.
      if (fitsToText_ && fitsToText_(row.id)) {
        changes.push_back({ViewChange::Kind::FitLabel, row.id, state.text});
      }
      changes.push_back({ViewChange::Kind::SetText, row.id, state.text});
      text_[i] = state.text;
    }
  }
  return changes;
}

}  // namespace lnf
