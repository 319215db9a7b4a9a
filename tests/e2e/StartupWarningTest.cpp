// The start-up warning about small screens. The tool reads the screen size
// once, when it starts, so each size runs this program again on a Wine desktop
// of that size (StartupOnThisScreen), one tool start per size.
#include <cstdio>
#include <cstdlib>

#include "Desktop.h"
#include "ToolTest.h"
#include "form/ControlTable.h"

namespace lnf::e2e {
namespace {

struct ScreenCase {
  const char* size;
  bool warns;
};
// Both sides must be below 800 by 600 for the warning.
const ScreenCase kScreens[] = {
    {"640x480", true},  {"799x599", true},  {"800x600", false},
    {"800x480", false}, {"640x600", false},
};

const wchar_t kWarning[] =
    L"This program runs better with a resolution of 800x600 or bigger. With your current "
    L"resolution, you won't be able to see the logging console.";

TEST(StartupWarning, ComesOnlyWhenTheScreenIsBothNarrowerAndLowerThan800By600) {
  for (const ScreenCase& screen : kScreens) {
    SCOPED_TRACE(screen.size);
    _putenv_s("LNF_E2E_SCREEN", screen.size);
    _putenv_s("LNF_E2E_SCREEN_WARNS", screen.warns ? "1" : "0");
    const int code = RunSelfOnDesktop(std::string("lnf-e2e-") + screen.size, screen.size,
                                      {"--gtest_filter=StartupOnThisScreen.*"});
    EXPECT_EQ(code, 0) << "the case on a " << screen.size << " screen failed (output above)";
  }
  _putenv_s("LNF_E2E_SCREEN", "");
}

// Runs on the desktop that the case above made; skipped anywhere else.
TEST(StartupOnThisScreen, WarnsOrNotAndThenShowsTheWindow) {
  const char* size = std::getenv("LNF_E2E_SCREEN");
  if (!size || !*size) GTEST_SKIP() << "runs only on a desktop of a given size";
  int width = 0, height = 0;
  ASSERT_EQ(std::sscanf(size, "%dx%d", &width, &height), 2);
  const char* warnsText = std::getenv("LNF_E2E_SCREEN_WARNS");
  const bool warns = warnsText && warnsText[0] == '1';
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), width) << "the desktop has another size";
  ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), height) << "the desktop has another size";

  const Layout layout = TheLayout();
  ASSERT_TRUE(ResetLayout(layout));
  App::Options options;
  options.exe = ProductExe();
  options.windir = layout.windir;
  App app(options);
  ASSERT_TRUE(app.started()) << app.error();
  const App::Startup startup = app.WaitForStartup();

  if (warns) {
    ASSERT_EQ(startup, App::Startup::MessageBox) << "no warning came first";
    const auto box = app.WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->title, L"Tallyglass");
    EXPECT_EQ(box->text, kWarning);
    EXPECT_EQ(box->icon, BoxIcon::Exclamation) << "shows " << ToString(box->icon);
    EXPECT_TRUE(app.VisibleTopLevelWindows().empty())
        << "the window must not be shown before the warning is closed";
    if (std::string(size) == "640x480") TakeScreenshot("warning-640x480");
    ASSERT_TRUE(app.PressOk(*box));
    ASSERT_TRUE(app.WaitForMainWindow()) << "no window after the warning";
  } else {
    ASSERT_EQ(startup, App::Startup::MainWindow);
  }
  ASSERT_TRUE(app.Sync());
  EXPECT_TRUE(app.MessageBoxes().empty()) << "one warning at most";
  // Start-up went on as usual after the warning.
  EXPECT_FALSE(app.OwnVisible(kNoInvText));
  EXPECT_TRUE(app.OnScreen(kCommand1));
  EXPECT_EQ(app.Text(kLogConsole), L"Everything that this tool does will be logged here.");
  // The window keeps its size however small the screen, and is centred even
  // when it is larger than the screen.
  RECT client;
  GetClientRect(app.MainWindow(), &client);
  EXPECT_EQ(client.right, TwipsToPixels(kClientWidthTwips, Dpi()));
  EXPECT_EQ(client.bottom, TwipsToPixels(kClientHeightTwips, Dpi()));
  EXPECT_TRUE(IsCentredOnScreen(app.MainWindow()));
  RECT window;
  GetWindowRect(app.MainWindow(), &window);
  const int windowHeight = window.bottom - window.top;
  if (windowHeight > height) {
    // Which leaves the console out of sight: what the warning is about.
    RECT console;
    GetWindowRect(app.Control(kLogConsole), &console);
    EXPECT_GT(console.bottom, height) << "the console is meant to be cut off";
  }
  EXPECT_TRUE(app.Close());
}

}  // namespace
}  // namespace lnf::e2e
