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

#include "app/ControlIds.h"

namespace lnf {

// Controls directly inside `container` (kNoControl: the window), topmost first.
std::vector<ControlId> StackingOrder(ControlId container);

// Whether the label `id` lies over part of another label's box: only such a
// label needs to be cut down to its text, so that its empty box area hides
// nothing of the one beneath.
bool LiesOverAnotherLabel(ControlId id);

}  // namespace lnf
