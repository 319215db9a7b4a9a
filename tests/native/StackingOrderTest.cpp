#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "form/StackingOrder.h"
#include "form/ControlTable.h"

namespace lnf {
namespace {

std::vector<ControlId> Containers() {
  std::vector<ControlId> containers = {kNoControl};
  for (const ControlSpec& row : kControls) {
    if (row.kind == ControlKind::Frame) containers.push_back(row.id);
  }
  return containers;
}

int Depth(const std::vector<ControlId>& order, ControlId id) {
  return static_cast<int>(std::find(order.begin(), order.end(), id) - order.begin());
}

// The focusable controls in the order the dialog manager offers them to Tab:
// down the stack, into each frame where it stands.
void TabWalk(ControlId container, std::vector<ControlId>& out) {
  for (ControlId id : StackingOrder(container)) {
    if (SpecOf(id).tabPosition > 0) out.push_back(id);
    if (SpecOf(id).kind == ControlKind::Frame) TabWalk(id, out);
  }
}

TEST(StackingOrder, HoldsEachControlOfItsContainerOnce) {
  for (ControlId container : Containers()) {
    std::vector<ControlId> want;
    for (const ControlSpec& row : kControls) {
      if (row.container == container) want.push_back(row.id);
    }
    std::vector<ControlId> got = StackingOrder(container);
    std::sort(want.begin(), want.end());
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, want) << "container " << container;
  }
}

TEST(StackingOrder, PutsLabelsBelowEverythingElseAndLaterLabelsAboveEarlierOnes) {
  for (ControlId container : Containers()) {
    SCOPED_TRACE(container == kNoControl ? "window" : SpecOf(container).name);
    const std::vector<ControlId> order = StackingOrder(container);
    const auto firstLabel = std::find_if(order.begin(), order.end(), [](ControlId id) {
      return SpecOf(id).kind == ControlKind::Label;
    });
    for (auto it = firstLabel; it != order.end(); ++it) {
      EXPECT_EQ(SpecOf(*it).kind, ControlKind::Label) << SpecOf(*it).name << " below a label";
    }
    // Topmost first, so the labels run against their order in the table.
    for (auto it = firstLabel; it != order.end() && it + 1 != order.end(); ++it) {
      EXPECT_GT(*it, *(it + 1)) << SpecOf(*it).name << " above " << SpecOf(*(it + 1)).name;
    }
  }

  const std::vector<ControlId> window = StackingOrder(kNoControl);
  // The welcome text keeps the top of the separator under it.
  EXPECT_LT(Depth(window, kLabel2), Depth(window, kLabel4));
  // A shown frame hides the hint and the notice that lie in its place.
  for (ControlId above : {kV3Frame, kV4frame, kOuFrame}) {
    for (ControlId below : {kSelectText, kNoInvLbl, kNoInvText}) {
      EXPECT_LT(Depth(window, above), Depth(window, below))
          << SpecOf(above).name << " over " << SpecOf(below).name;
    }
  }
  // Each caption lies over the start of its value.
  const std::vector<ControlId> v3 = StackingOrder(kV3Frame);
  EXPECT_LT(Depth(v3, kLabel8), Depth(v3, kLabel9));
  EXPECT_LT(Depth(v3, kLabel10), Depth(v3, kLabel11));
  EXPECT_LT(Depth(v3, kLabel12), Depth(v3, kLabel13));
}

TEST(StackingOrder, LetsTabVisitTheTabPositionsInTurn) {
  std::vector<ControlId> walk;
  TabWalk(kNoControl, walk);
  EXPECT_EQ(walk, (std::vector<ControlId>{kCommand1, kCommand2, kV3btn, kV4btn, kOuBtn,
                                          kV3InvFilesList, kCommand3, kLogConsole, kCommand4,
                                          kV4InvFilesList, kOuInvFilesList, kCommand5}));
}

// Only a label whose box runs into the label beside it is cut down to its
// text: the three captions of the V2/V3.1 values, over the start of each
// value. Where a label lies over another elsewhere, its box hides it: the
// notice covers the hint, the welcome text the top of the separator.
TEST(StackingOrder, OnlyTheCaptionsBesideTheirValuesAreCutToTheirText) {
  std::set<ControlId> cut;
  for (const ControlSpec& row : kControls) {
    if (RunsIntoALabelBeside(row.id)) cut.insert(row.id);
  }
  EXPECT_EQ(cut, (std::set<ControlId>{kLabel12, kLabel10, kLabel8}));
  EXPECT_FALSE(RunsIntoALabelBeside(kNoInvText));  // over the hint
  EXPECT_FALSE(RunsIntoALabelBeside(kLabel11));    // beneath, not over
  EXPECT_FALSE(RunsIntoALabelBeside(kV3Frame));    // no label
}

}  // namespace
}  // namespace lnf
