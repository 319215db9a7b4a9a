#include "form/StackingOrder.h"

#include <algorithm>
#include <climits>

#include "form/ControlTable.h"

namespace lnf {

namespace {

// The lowest tab position held by `id` or anything inside it; INT_MAX for a
// control that takes no focus and holds none that does (the picture).
int FirstTabPosition(ControlId id) {
  const int own = SpecOf(id).tabPosition;
  int first = own > 0 ? own : INT_MAX;
  for (const ControlSpec& row : kControls) {
    if (row.container == id) first = std::min(first, FirstTabPosition(row.id));
  }
  return first;
}

}  // namespace

std::vector<ControlId> StackingOrder(ControlId container) {
  std::vector<ControlId> order;
  for (const ControlSpec& row : kControls) {
    if (row.container != container || row.kind == ControlKind::Label) continue;
    // After every control that holds the same or an earlier position.
    auto at = order.begin();
    while (at != order.end() && FirstTabPosition(*at) <= FirstTabPosition(row.id)) ++at;
    order.insert(at, row.id);
  }
  for (auto row = kControls.rbegin(); row != kControls.rend(); ++row) {
    if (row->container == container && row->kind == ControlKind::Label) order.push_back(row->id);
  }
  return order;
}

bool RunsIntoALabelBeside(ControlId id) {
  const ControlSpec& upper = SpecOf(id);
  if (upper.kind != ControlKind::Label) return false;
  for (const ControlSpec& lower : kControls) {
    // Among labels a later one lies above an earlier one.
    if (lower.id >= id) break;
    if (lower.kind != ControlKind::Label || lower.container != upper.container) continue;
    // The same line, and the upper box reaches past where the lower begins.
    if (upper.top == lower.top && upper.height == lower.height && upper.left < lower.left &&
        lower.left < upper.left + upper.width) {
      return true;
    }
  }
  return false;
}

}  // namespace lnf
