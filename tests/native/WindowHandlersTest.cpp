// The window's own handlers: start-up, the About box and the category
// selectors.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "TestSupport.h"
#include "app/WindowHandlers.h"
#include "form/ControlTable.h"

namespace lnf {
namespace {

using testing::FormOnMemoryDrive;

TEST(StartUp, InitialStateShowsHeadingHintAndConsoleOnly) {
  FormOnMemoryDrive f;
  const std::set<ControlId> shownOnScreen = {kPicture1,   kLogConsole, kCommand2, kCommand1,
                                             kSelectText, kLabel15,    kLabel5,   kLabel4,
                                             kLabel3,     kLabel2,     kLabel1};
  for (const ControlSpec& row : kControls) {
    EXPECT_EQ(f.form.IsShownOnScreen(row.id), shownOnScreen.count(row.id) == 1) << row.name;
  }
  EXPECT_EQ(f.form.Text(kLogConsole), testing::kInitialLog);
  for (ControlId value : {kLabel9, kLabel11, kLabel13}) EXPECT_EQ(f.form.Text(value), "Unknown");
  EXPECT_TRUE(f.drive.Messages().empty());
}

TEST(StartUp, WarnsOnlyWhenBothSidesAreBelow800By600) {
  struct Screen {
    int width, height;
    bool warns;
  };
  for (Screen s : {Screen{640, 480, true}, Screen{799, 599, true}, Screen{800, 600, false},
                   Screen{800, 480, false}, Screen{640, 600, false}, Screen{1024, 768, false}}) {
    MemoryPlatform drive;
    drive.SetScreen(s.width, s.height);
    MainForm form(drive, kMainFormEvents);
    form.Load();
    ASSERT_EQ(drive.Messages().size(), s.warns ? 1u : 0u) << s.width << "x" << s.height;
    if (s.warns) {
      EXPECT_EQ(drive.Messages()[0].text,
                "This program runs better with a resolution of 800x600 or bigger. With your "
                "current resolution, you won't be able to see the logging console.");
      EXPECT_EQ(drive.Messages()[0].buttonsAndIcon, 48);
      EXPECT_EQ(drive.Messages()[0].title, "Tallyglass");
    }
    // Start-up goes on the same way after the warning.
    EXPECT_FALSE(form.IsVisible(kNoInvText));
  }
}

TEST(AboutBox, ShowsTheVersionFromTheProgramFile) {
  FormOnMemoryDrive f;
  f.form.Click(kCommand2);
  ASSERT_EQ(f.drive.Messages().size(), 1u);
  EXPECT_EQ(f.drive.Messages()[0].text,
            "Lanternfall Tallyglass Tool\r\n\r\nMade by Quillmoor\r\n\r\nVersion 1.0.1");
  EXPECT_EQ(f.drive.Messages()[0].buttonsAndIcon, 64);
  EXPECT_EQ(f.drive.Messages()[0].title, "About...");
  EXPECT_EQ(AboutText({12, 3, 45}),
            "Lanternfall Tallyglass Tool\r\n\r\nMade by Quillmoor\r\n\r\nVersion 12.3.45");
}

TEST(CategorySelector, ShowsOneFrameAtATimeAndTouchesNothingElse) {
  FormOnMemoryDrive f;
  for (ControlId button : {kV3btn, kV4btn, kOuBtn}) f.form.Show(button);
  const std::string log = f.form.Text(kLogConsole);
  struct Step {
    ControlId click, shown;
  };
  for (Step step : {Step{kOuBtn, kOuFrame}, Step{kV4btn, kV4frame}, Step{kV4btn, kV4frame},
                    Step{kV3btn, kV3Frame}, Step{kOuBtn, kOuFrame}}) {
    f.form.Click(step.click);
    for (ControlId frame : {kV3Frame, kV4frame, kOuFrame}) {
      EXPECT_EQ(f.form.IsVisible(frame), frame == step.shown);
    }
    // The whole frame shows, backup button included.
    EXPECT_TRUE(f.form.IsShownOnScreen(step.shown == kV3Frame   ? kCommand3
                                       : step.shown == kV4frame ? kCommand4
                                                                : kCommand5));
    EXPECT_TRUE(f.form.IsVisible(kSelectText));
    EXPECT_TRUE(f.form.IsVisible(kV3btn) && f.form.IsVisible(kV4btn) && f.form.IsVisible(kOuBtn));
  }
  EXPECT_EQ(f.form.Text(kLogConsole), log);
  EXPECT_TRUE(f.drive.Messages().empty());
}

}  // namespace
}  // namespace lnf
