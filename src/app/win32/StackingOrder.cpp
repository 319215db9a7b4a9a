#include "app/win32/StackingOrder.h"

#include <algorithm>
#include <climits>

#include "app/ControlTable.h"

namespace lnf {

namespace {

// The lowest tab position held by `id` or anything inside it; INT_MAX for a
// control that takes no focus and holds none that does (the picture).
int FirstTabPosition(ControlId id) {
  const int own = SpecOf(id).tabPosition;
  int first = own > 0 ? own : INT_MAX;
  for (const ControlSpec& spec : kControls) {
    if (spec.container == id) first = std::min(first, FirstTabPosition(spec.id));
  }
  return first;
}

}  // namespace

std::vector<ControlId> StackingOrder(ControlId container) {
  std::vector<ControlId> others;
  std::vector<ControlId> labels;
  for (const ControlSpec& spec : kControls) {
    if (spec.container != container) continue;
    (spec.kind == ControlKind::Label ? labels : others).push_back(spec.id);
  }
  std::stable_sort(others.begin(), others.end(), [](ControlId a, ControlId b) {
    return FirstTabPosition(a) < FirstTabPosition(b);
  });
  others.insert(others.end(), labels.rbegin(), labels.rend());
  return others;
}

}  // namespace lnf
