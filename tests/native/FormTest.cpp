// The window's state: the control table, the log, the file lists and the one
// dispatcher through which handlers run.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "form/ControlTable.h"

namespace lnf {
namespace {

using testing::FormOnMemoryDrive;

TEST(ControlTable, RowsAreInIdOrderAndContainersComeFirst) {
  std::set<int> seen;
  int index = 0;
  for (const ControlSpec& row : kControls) {
    EXPECT_EQ(row.id, kFirstControlId + index++) << row.name;
    if (row.container != kNoControl) {
      EXPECT_TRUE(seen.count(row.container)) << row.name << " before its container";
      EXPECT_EQ(SpecOf(row.container).kind, ControlKind::Frame) << row.name;
    }
    seen.insert(row.id);
  }
  EXPECT_STREQ(SpecOf(kPicture1).name, "Picture1");
  EXPECT_STREQ(SpecOf(kLabel1).name, "Label1");
}

TEST(ControlTable, TabOrderRunsOneToTwelveOverTheFocusableControls) {
  const ControlId expected[] = {kCommand1, kCommand2,       kV3btn,          kV4btn,
                                kOuBtn,    kV3InvFilesList, kCommand3,       kLogConsole,
                                kCommand4, kV4InvFilesList, kOuInvFilesList, kCommand5};
  for (int position = 1; position <= 12; ++position) {
    EXPECT_EQ(SpecOf(expected[position - 1]).tabPosition, position);
  }
  for (const ControlSpec& row : kControls) {
    const bool focusable = row.kind == ControlKind::PushButton || row.kind == ControlKind::TextBox;
    EXPECT_EQ(row.tabPosition > 0, focusable) << row.name;
  }
}

TEST(ControlTable, GeometryFitsTheWindowAndTheFrames) {
  EXPECT_EQ(TwipsToPixels(kClientWidthTwips, 96), 619);
  EXPECT_EQ(TwipsToPixels(kClientHeightTwips, 96), 561);
  for (const ControlSpec& row : kControls) {
    if (row.container == kNoControl) continue;
    const ControlSpec& frame = SpecOf(row.container);
    EXPECT_LE(row.left + row.width, frame.width) << row.name;
    EXPECT_LE(row.top + row.height, frame.height) << row.name;
  }
  // The three panels share one rectangle, which holds the notices and hint.
  for (ControlId frame : {kV4frame, kOuFrame}) {
    EXPECT_EQ(SpecOf(frame).left, SpecOf(kV3Frame).left);
    EXPECT_EQ(SpecOf(frame).top, SpecOf(kV3Frame).top);
  }
  // The welcome text runs 90 twips past the client area and is cut there.
  EXPECT_EQ(SpecOf(kLabel2).left + SpecOf(kLabel2).width, kClientWidthTwips + 90);
}

TEST(ControlTable, CaptionsThatAreEasyToGetWrong) {
  EXPECT_EQ(std::string(SpecOf(kLabel4).caption), std::string(100, '_'));
  EXPECT_EQ(std::string(SpecOf(kLabel5).caption), std::string(100, '_'));
  EXPECT_NE(std::string(SpecOf(kNoInvText).caption).find("in touch with is through"),
            std::string::npos);
  EXPECT_STREQ(SpecOf(kSelectText).caption,
               "Click on \"Check now!\" and select a category to see your inventories!");
  EXPECT_NE(std::string(SpecOf(kLabel17).caption).find("\"iuident.cab \\ .txt\""),
            std::string::npos);
  EXPECT_NE(std::string(SpecOf(kLabel14).caption).find("%systemdrive%\\LNF_INV\\V3 "),
            std::string::npos);
  EXPECT_STREQ(SpecOf(kCommand1).toolTip, "Start the inventory check now!");
  int tips = 0;
  for (const ControlSpec& row : kControls) tips += row.toolTip != nullptr;
  EXPECT_EQ(tips, 1);
}

TEST(Log, EntriesAreAppendedAfterTheInitialTextAndNeverCleared) {
  FormOnMemoryDrive f;
  f.form.AppendLog(") one");
  f.drive.SetClockText("12/8/2026");
  f.form.AppendLog(") two");
  EXPECT_EQ(f.form.Text(kLogConsole), std::string(testing::kInitialLog) + "\r\n(" +
                                          testing::kClock + ") one\r\n(12/8/2026) two");
}

// A text box holds only so much (some 64 KB on Windows 9x): the oldest
// entries make room, the console says so below its initial text, and every
// entry that stays is whole, the newest last.
TEST(Log, AFullConsoleDropsItsOldestEntriesAndSaysSo) {
  FormOnMemoryDrive f;
  // An entry that fills the console exactly fits: nothing is dropped.
  const std::string first = ") first";
  f.form.SetTextCapacity(f.form.Text(kLogConsole).size() + 3 + std::string(testing::kClock).size() +
                         first.size());
  f.form.AppendLog(first);
  EXPECT_EQ(f.form.ConsoleTrims(), 0u);
  EXPECT_EQ(f.LogEntries(), std::vector<std::string>{first});

  f.form.SetTextCapacity(400);
  std::vector<std::string> closings{first};
  int lastTrim = -2;
  for (int i = 0; i < 40; ++i) {
    closings.push_back(") [file" + std::to_string(i) + ".gng] File copied successfully.");
    const std::size_t trims = f.form.ConsoleTrims();
    f.form.AppendLog(closings.back());
    // A trim leaves room well below the capacity, so that the next entry
    // fits without another (after each the view shows the whole log again).
    if (f.form.ConsoleTrims() != trims) {
      EXPECT_GT(i, lastTrim + 1) << "trimmed again right after a trim";
      lastTrim = i;
    }
    const std::string& log = f.form.Text(kLogConsole);
    ASSERT_LE(log.size(), 400u) << i;
    const std::vector<std::string> kept = f.LogEntries();
    ASSERT_FALSE(kept.empty());
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), closings.end() - kept.size())) << i;
    if (kept.size() < closings.size()) {
      EXPECT_EQ(
          log.rfind(std::string(testing::kInitialLog) + "\r\n" + kLogTrimmedNotice + "\r\n(", 0),
          0u)
          << i;
    }
  }
  EXPECT_LT(f.LogEntries().size(), closings.size());
  EXPECT_GT(f.form.ConsoleTrims(), 1u);
}

TEST(FileList, FirstLineIsBareLaterOnesFollowCrLf) {
  FormOnMemoryDrive f;
  f.form.AppendFileLine(kV3InvFilesList, "a");
  EXPECT_EQ(f.form.Text(kV3InvFilesList), "a");
  f.form.AppendFileLine(kV3InvFilesList, "b");
  f.form.AppendFileLine(kV3InvFilesList, "c");
  EXPECT_EQ(f.form.Text(kV3InvFilesList), "a\r\nb\r\nc");

  // A list that cannot hold every name says so in its last line.
  const std::string notice = kListFullNotice;
  f.form.SetTextCapacity(11 + 2 + notice.size());
  f.form.AppendFileLine(kV3InvFilesList, "dd");
  f.form.AppendFileLine(kV3InvFilesList, "e");
  f.form.AppendFileLine(kV3InvFilesList, "f");
  EXPECT_EQ(f.form.Text(kV3InvFilesList), "a\r\nb\r\nc\r\ndd\r\n" + notice);
  f.form.SetText(kV3InvFilesList, "");
  f.form.AppendFileLine(kV3InvFilesList, "e");
  EXPECT_EQ(f.form.Text(kV3InvFilesList), "e");
}

// Records what a person would see at each render.
class RecordingView : public FormView {
 public:
  void Render(MainForm& form) override { logs.push_back(form.Text(kLogConsole)); }
  std::vector<std::string> logs;
};

TEST(Dispatch, AFailureIsReportedAndWhatWasDoneBeforeItStays) {
  FormOnMemoryDrive f;
  RecordingView view;
  f.form.SetView(&view);
  f.drive.AddFile(std::string(testing::kWU) + "\\a.gng", "x", testing::Date(2001));
  f.form.Click(kCommand1);
  f.drive.InjectFailure(MemoryPlatform::Operation::CopyFile, std::string(testing::kWU) + "\\a.gng",
                        kErrorAccessDenied, -1);
  f.BackUp(kCommand3);
  ASSERT_EQ(f.drive.Messages().size(), 1u);
  EXPECT_EQ(f.drive.Messages()[0].text,
            "Error 5: Access is denied.\r\n\r\nC:\\Program Files\\WindowsUpdate\\a.gng -> "
            "C:\\LNF_INV\\a.gng");
  EXPECT_EQ(f.drive.Messages()[0].title, "LNF_INVTOOL");
  EXPECT_EQ(f.drive.Messages()[0].buttonsAndIcon, kBoxCritical);
  EXPECT_TRUE(f.drive.IsFolder("C:\\LNF_INV"));
  // The window goes on: the next click is handled.
  f.form.Click(kCommand2);
  EXPECT_EQ(f.drive.Messages().size(), 2u);
  // The view caught up before each box and after each handler.
  EXPECT_GE(view.logs.size(), 4u);
}

}  // namespace
}  // namespace lnf
