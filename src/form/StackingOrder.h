// The order, from top to bottom, in which the controls of one container are
// stacked. It does two jobs at once, because the Win32 dialog manager walks
// tab stops in exactly this order (descending into frames, which are control
// parents, where they stand):
//  - frames, push buttons, text boxes and the picture lie above every label,
//    in the order of the first tab position they hold (a frame holds the
//    positions of what lies in it), so Tab visits positions 1, 2, 3... and
//    skips whatever is hidden, frames and all;
//  - labels follow, a label later in the control list above an earlier one.
// No Win32 here, so that it can be checked anywhere.
#pragma once

#include <vector>

#include "form/ControlIds.h"

namespace lnf {

// Controls directly inside `container` (kNoControl: the window), topmost first.
std::vector<ControlId> StackingOrder(ControlId container);

// Whether the label `id` runs into a label beside it on the same line, whose
// text is meant to be read next to its own (a caption over the start of its
// value): only such a label is cut down to its text, so that its empty box
// hides nothing of the one beneath. A label that lies over another anywhere
// else hides it where the stacking says, as the notice hides the hint.
bool RunsIntoALabelBeside(ControlId id);

}  // namespace lnf
