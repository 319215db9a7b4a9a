// What a view must change to show the form's state: it remembers what it
// last showed and, from the form's changed flags, lists the controls to show
// or hide, the texts to set, the labels to cut to a new text and whether the
// log console gets its new tail or its whole text anew. The window only
// carries the list out, so the decisions are made, and tested, without any
// window system.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "form/ControlIds.h"

namespace lnf {

class MainForm;

struct ViewChange {
  enum class Kind {
    Show,
    Hide,
    FitLabel,       // cut the label to `text`, before that text is set
    SetText,        // `text` is the control's whole text
    AppendConsole,  // `text` is what the log gained since it was last shown
    ResetConsole,   // `text` is the whole log: its oldest entries were removed
  };
  Kind kind;
  ControlId control;
  std::string text;

  bool operator==(const ViewChange& other) const {
    return kind == other.kind && control == other.control && text == other.text;
  }
};

class ShownForm {
 public:
  // Whether a label is cut down to its text whenever the text changes.
  using FitsToText = bool (*)(ControlId id);
  explicit ShownForm(FitsToText fitsToText) : fitsToText_(fitsToText) {}

  // The view was made as the form is now: nothing is left to show.
  void Adopt(MainForm& form);

  // What to change, control by control in the table's order, each control's
  // visibility before its text; from here on it counts as shown.
  std::vector<ViewChange> CatchUp(MainForm& form);

 private:
  FitsToText fitsToText_;
  std::array<bool, kControlCount> visible_{};
  std::array<std::string, kControlCount> text_;
  // The log only grows between trims, so it is known by its length and by
  // how often it had been trimmed when it was last shown.
  std::size_t consoleBytes_ = 0;
  std::size_t consoleTrims_ = 0;
};

}  // namespace lnf
