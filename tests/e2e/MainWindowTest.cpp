// The main window right after start-up, as another program sees it: which
// controls exist, what they say, where they lie, what is shown, the tab order
// and the About box. One start of the tool serves the whole suite.
#include <algorithm>
#include <cstdlib>
#include <set>

#include "ToolTest.h"
#include "form/ControlTable.h"

namespace lnf::e2e {
namespace {

class MainWindow : public ToolTest {};

// What a person sees in the window, quoted here from the description of the
// tool rather than from the control table, so that a slip in the table shows.
struct Literal {
  ControlId id;
  const wchar_t* text;
};
const Literal kLiteralCaptions[] = {
    {kLabel1, L"Lanternfall Tallyglass"},
    {kLabel2,
     L"Welcome to the Lanternfall Tallyglass! This tool will check your computer for original "
     L"Windows Update inventories, and give you more details about them, as well as if they can "
     L"be useful to Lanternfall."},
    {kLabel3, L"Check for inventories ->"},
    {kCommand1, L"Check now!"},
    {kCommand2, L"About..."},
    {kV3btn, L"Windows Update V2/V3.1"},
    {kV4btn, L"Windows Update V4"},
    {kOuBtn, L"Office Update"},
    {kV3Frame, L"Windows Update V2/V3.1 inventories"},
    {kV4frame, L"Windows Update V4 inventories"},
    {kOuFrame, L"Office Update inventories"},
    {kSelectText, L"Click on \"Check now!\" and select a category to see your inventories!"},
    {kNoInvLbl, L"No Windows Update inventories found!"},
    {kNoInvText,
     L"The Tallyglass did not find any inventories that we could use on your system. If you "
     L"think the tool got that wrong, please get in touch with is through Discord or email. "
     L"Thank you!"},
    {kLabel15, L"Logging Console"},
    {kLogConsole, L"Everything that this tool does will be logged here."},
    {kLabel6, L"Inventory files found"},
    {kLabel7, L"Inventory Information"},
    {kLabel8, L"Language:"},
    {kLabel10, L"Internet Explorer version:"},
    {kLabel12, L"Windows version:"},
    {kLabel9, L"Unknown"},
    {kLabel11, L"Unknown"},
    {kLabel13, L"Unknown"},
    {kLabel21, L"Additional Information"},
    {kFrame1, L"Backup Inventory"},
    {kCommand3, L"BACKUP INVENTORY NOW"},
    {kLabel14,
     L"This inventory will be copied to %systemdrive%\\LNF_INV\\V3 for safety. Once the copy has "
     L"completed, please send its contents to the Lanternfall team, either via Discord or "
     L"through email. Thank you in advance!"},
    {kLabel16,
     L"This inventory will be copied to %systemdrive%\\LNF_INV\\V4 for safety. Once the copy has "
     L"completed, please send its contents to the Lanternfall team, either via Discord or "
     L"through email. Thank you in advance!"},
    {kLabel18,
     L"This inventory will be copied to %systemdrive%\\LNF_INV\\OU for safety. Once the copy has "
     L"completed, please send its contents to the Lanternfall team, either via Discord or "
     L"through email. Thank you in advance!"},
    {kLabel17,
     L"V4 inventories rely on \"iuhist.xml\" and \"Windows Update.log\" only, compared to "
     L"V2/V3.1 inventories, which rely on multiple CAB files. Files like \"iuident.cab \\ .txt\" "
     L"and \"ident.cab\" are ActiveX control, which we do not need."},
    {kLabel19,
     L"Office Update inventories may vary a lot depending on the site version you used. "
     L"Everything that's in this directory will be backed up for safety, no matter the "
     L"directory's contents."},
    {kV3InvFilesList, L""},
    {kV4InvFilesList, L""},
    {kOuInvFilesList, L""},
};

// Hidden once start-up is over; everything else that lies directly in the
// window is shown.
const std::set<ControlId> kHiddenAtStart = {kOuFrame, kV4frame, kV3Frame,  kOuBtn,
                                            kV4btn,   kV3btn,   kNoInvLbl, kNoInvText};

bool InsideFrame(const ControlSpec& row) { return row.container != kNoControl; }

// At 96 DPI every twip value is a whole number of pixels; at other DPIs the
// rounding of each edge is the window's own choice.
int PixelTolerance() { return Dpi() == 96 ? 0 : 1; }

std::string Describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
         std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

TEST_F(MainWindow, IsTheToolsOneWindowWithItsCaptionAndAFixedBorder) {
  TakeScreenshot("startup", &app());
  HWND main = app().MainWindow();
  wchar_t caption[128] = L"";
  GetWindowTextW(main, caption, 128);
  EXPECT_STREQ(caption, L"Lanternfall Tallyglass");
  const LONG style = GetWindowLongW(main, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION) << "title bar";
  EXPECT_EQ(style & WS_THICKFRAME, 0) << "the window must not be resizable";
  EXPECT_EQ(app().VisibleTopLevelWindows().size(), 1u) << "one window only";

  RECT client;
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, TwipsToPixels(kClientWidthTwips, Dpi()));
  EXPECT_EQ(client.bottom, TwipsToPixels(kClientHeightTwips, Dpi()));
}

TEST_F(MainWindow, IsCentredOnTheScreen) { EXPECT_TRUE(IsCentredOnScreen(app().MainWindow())); }

TEST_F(MainWindow, HoldsEveryControlOnceWithItsKindAndContainer) {
  for (const ControlSpec& row : kControls) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(app().ControlsWithId(row.id).size(), 1u) << "control ID " << row.id;
    const std::wstring cls = app().ClassOf(row.id);
    const LONG style = app().StyleOf(row.id);
    switch (row.kind) {
      case ControlKind::Frame:
        EXPECT_EQ(cls, L"Button");
        EXPECT_EQ(style & BS_TYPEMASK, BS_GROUPBOX);
        break;
      case ControlKind::PushButton:
        EXPECT_EQ(cls, L"Button");
        EXPECT_TRUE((style & BS_TYPEMASK) == BS_PUSHBUTTON ||
                    (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
        EXPECT_NE(style & WS_TABSTOP, 0) << "buttons are reached with Tab";
        break;
      case ControlKind::TextBox:
        // Multi-line, read-only for the user, with a vertical scroll bar.
        EXPECT_EQ(cls, L"Edit");
        EXPECT_NE(style & ES_MULTILINE, 0);
        EXPECT_NE(style & ES_READONLY, 0);
        EXPECT_NE(style & WS_VSCROLL, 0);
        break;
      case ControlKind::Label:
        EXPECT_EQ(cls, L"Static");
        EXPECT_NE(style & SS_TYPEMASK, SS_ICON);
        EXPECT_EQ(style & SS_TYPEMASK, row.align == Align::Center ? SS_CENTER : SS_LEFT);
        break;
      case ControlKind::PictureBox:
        EXPECT_EQ(cls, L"Static");
        EXPECT_EQ(style & SS_TYPEMASK, SS_ICON);
        EXPECT_NE(SendMessageW(app().Control(row.id), STM_GETICON, 0, 0), 0)
            << "the picture shows the program icon";
        break;
    }
    EXPECT_EQ(app().ContainerOf(row.id), static_cast<int>(row.container))
        << "container (0: the window)";
  }
  EXPECT_EQ(app().ControlsWithId(0).size(), 0u) << "a child window without an ID";
}

TEST_F(MainWindow, ShowsEveryCaptionExactly) {
  for (const Literal& literal : kLiteralCaptions) {
    SCOPED_TRACE(SpecOf(literal.id).name);
    EXPECT_EQ(app().Text(literal.id), literal.text);
  }
  const std::wstring separator(100, L'_');
  EXPECT_EQ(app().Text(kLabel4), separator);
  EXPECT_EQ(app().Text(kLabel5), separator);
  // And every control against the table the window is built from.
  for (const ControlSpec& row : kControls) {
    SCOPED_TRACE(row.name);
    if (row.kind == ControlKind::PictureBox) continue;
    EXPECT_EQ(app().Text(row.id), Widen(row.caption));
  }
}

TEST_F(MainWindow, HasOneToolTipOnCheckNow) {
  const std::vector<ToolTip> tips = app().ToolTips();
  ASSERT_EQ(tips.size(), 1u) << "one tool tip in the whole window";
  EXPECT_EQ(tips[0].tool, app().Control(kCommand1));
  EXPECT_EQ(tips[0].text, L"Start the inventory check now!");
}

TEST_F(MainWindow, ShowsOnlyTheHeadingTheHintAndTheConsoleAtStart) {
  for (const ControlSpec& row : kControls) {
    SCOPED_TRACE(row.name);
    if (InsideFrame(row)) {
      // Shown with its frame, which is hidden.
      EXPECT_TRUE(app().OwnVisible(row.id)) << "a frame's content is never hidden on its own";
      EXPECT_FALSE(app().OnScreen(row.id));
    } else {
      const bool shown = kHiddenAtStart.count(row.id) == 0;
      EXPECT_EQ(app().OwnVisible(row.id), shown);
      EXPECT_EQ(app().OnScreen(row.id), shown);
    }
  }
}

TEST_F(MainWindow, PlacesEveryControlAtItsTwipsInPixels) {
  const int dpi = Dpi();
  const int tolerance = PixelTolerance();
  for (const ControlSpec& row : kControls) {
    SCOPED_TRACE(row.name);
    const RECT r = app().RectInContainer(row.id);
    const RECT want = {TwipsToPixels(row.left, dpi), TwipsToPixels(row.top, dpi),
                       TwipsToPixels(row.left, dpi) + TwipsToPixels(row.width, dpi),
                       TwipsToPixels(row.top, dpi) + TwipsToPixels(row.height, dpi)};
    const bool close = std::abs(r.left - want.left) <= tolerance &&
                       std::abs(r.top - want.top) <= tolerance &&
                       std::abs((r.right - r.left) - (want.right - want.left)) <= tolerance &&
                       std::abs((r.bottom - r.top) - (want.bottom - want.top)) <= tolerance;
    EXPECT_TRUE(close) << "at " << Describe(r) << ", expected " << Describe(want) << " at " << dpi
                       << " DPI";
  }
}

TEST_F(MainWindow, TabGoesFromCheckNowToAboutToTheConsoleAndRoundAgain) {
  // The focus starts on "Check now!"; the hidden selectors and frames are
  // passed over.
  EXPECT_EQ(app().FocusedId(), kCommand1);
  app().PressTab();
  EXPECT_EQ(app().FocusedId(), kCommand2);
  app().PressTab();
  EXPECT_EQ(app().FocusedId(), kLogConsole);
  app().PressTab();
  EXPECT_EQ(app().FocusedId(), kCommand1);
  EXPECT_EQ(app().Text(kLogConsole), L"Everything that this tool does will be logged here.")
      << "Tab must not type into the console";
}

TEST_F(MainWindow, AboutBoxNamesToolAuthorAndVersion) {
  LogWatch log(app());
  ASSERT_TRUE(app().Click(kCommand2));
  const auto box = app().WaitForMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->title, L"About...");
  EXPECT_EQ(NormaliseLineBreaks(box->text),
            NormaliseLineBreaks(L"Lanternfall Tallyglass Tool\r\n\r\nMade by Quillmoor\r\n\r\n"
                                L"Version 1.0.1"));
  EXPECT_EQ(box->icon, BoxIcon::Information) << "shows " << ToString(box->icon);
  EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"OK"});
  EXPECT_EQ(box->owner, app().MainWindow()) << "the box belongs to the window";
  EXPECT_FALSE(IsWindowEnabled(app().MainWindow())) << "the box is modal";
  ASSERT_TRUE(app().PressOk(*box));
  EXPECT_TRUE(app().MessageBoxes().empty());
  EXPECT_TRUE(IsWindowEnabled(app().MainWindow()));
  EXPECT_TRUE(log.Closings().empty()) << "the About box logs nothing";
}

}  // namespace
}  // namespace lnf::e2e
