#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "app/WindowHandlers.h"
#include "form/StackingOrder.h"
#include "form/ViewChanges.h"

namespace lnf {

// Names the change in a failure message.
void PrintTo(const ViewChange& change, std::ostream* out) {
  static const char* const kKinds[] = {"Show",    "Hide",          "FitLabel",
                                       "SetText", "AppendConsole", "ResetConsole"};
  *out << kKinds[static_cast<int>(change.kind)] << "(" << change.control << ", \"" << change.text
       << "\")";
}

namespace {

using testing::FormOnMemoryDrive;
using Kind = ViewChange::Kind;
using Changes = std::vector<ViewChange>;

// A window just made from the form, as the view starts.
struct ShownOnMemoryDrive : FormOnMemoryDrive {
  ShownOnMemoryDrive() { shown.Adopt(form); }
  ShownForm shown{RunsIntoALabelBeside};
};

TEST(ViewChanges, AHandlerYieldsExactlyWhatItChangedAndNothingTwice) {
  ShownOnMemoryDrive f;
  EXPECT_EQ(f.shown.CatchUp(f.form), Changes{});

  // The selector shows its frame and hides the two that are hidden already.
  v3btn_Click(f.form);
  f.form.SetText(kLabel9, "English");
  EXPECT_EQ(f.shown.CatchUp(f.form),
            (Changes{{Kind::Show, kV3Frame, ""}, {Kind::SetText, kLabel9, "English"}}));
  EXPECT_EQ(f.shown.CatchUp(f.form), Changes{});

  // Changed and changed back before the view caught up: nothing to do.
  v4btn_Click(f.form);
  v3btn_Click(f.form);
  f.form.SetText(kLabel9, "German");
  f.form.SetText(kLabel9, "English");
  EXPECT_EQ(f.shown.CatchUp(f.form), Changes{});

  // A label beside its value is cut to its new text before the text is set;
  // a text box, and a label that runs into nothing, only get the text.
  f.form.Hide(kV3Frame);
  f.form.SetText(kLabel8, "Language of the inventory:");
  f.form.SetText(kLabel9, "German");
  f.form.AppendFileLine(kV3InvFilesList, "a.gng");
  EXPECT_EQ(f.shown.CatchUp(f.form),
            (Changes{{Kind::Hide, kV3Frame, ""},
                     {Kind::SetText, kV3InvFilesList, "a.gng"},
                     {Kind::SetText, kLabel9, "German"},
                     {Kind::FitLabel, kLabel8, "Language of the inventory:"},
                     {Kind::SetText, kLabel8, "Language of the inventory:"}}));
}

TEST(ViewChanges, TheConsoleGetsItsNewTailAndIsResetOnlyWhenTrimmed) {
  ShownOnMemoryDrive f;
  const std::string entry = std::string("\r\n(") + testing::kClock + ") one";
  f.form.AppendLog(") one");
  EXPECT_EQ(f.shown.CatchUp(f.form), (Changes{{Kind::AppendConsole, kLogConsole, entry}}));
  // Two entries between drawings: one append of both, none after.
  f.form.AppendLog(") two");
  f.form.AppendLog(") three");
  EXPECT_EQ(f.shown.CatchUp(f.form), (Changes{{Kind::AppendConsole, kLogConsole,
                                               std::string("\r\n(") + testing::kClock +
                                                   ") two\r\n(" + testing::kClock + ") three"}}));
  EXPECT_EQ(f.shown.CatchUp(f.form), Changes{});

  // Trimmed to make room: the whole log anew, even when it came out longer
  // than what was shown; the entry after that is a tail again.
  f.form.SetTextCapacity(f.form.Text(kLogConsole).size() + 2 * entry.size());
  f.form.AppendLog(") four");
  ASSERT_EQ(f.form.ConsoleTrims(), 0u);
  f.shown.CatchUp(f.form);
  f.form.AppendLog(") five");
  ASSERT_EQ(f.form.ConsoleTrims(), 1u);
  ASSERT_GT(f.form.Text(kLogConsole).size(), entry.size() * 2);
  EXPECT_EQ(f.shown.CatchUp(f.form),
            (Changes{{Kind::ResetConsole, kLogConsole, f.form.Text(kLogConsole)}}));
  f.form.AppendLog(") six");
  ASSERT_EQ(f.form.ConsoleTrims(), 1u);
  EXPECT_EQ(f.shown.CatchUp(f.form), (Changes{{Kind::AppendConsole, kLogConsole,
                                               std::string("\r\n(") + testing::kClock + ") six"}}));

  // A shorter text, however it came about, is shown whole.
  f.form.SetText(kLogConsole, testing::kInitialLog);
  EXPECT_EQ(f.shown.CatchUp(f.form),
            (Changes{{Kind::ResetConsole, kLogConsole, testing::kInitialLog}}));
}

}  // namespace
}  // namespace lnf
