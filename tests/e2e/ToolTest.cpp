#include "ToolTest.h"

#include <algorithm>
#include <cstdlib>

namespace lnf::e2e {

std::unique_ptr<App> ToolTest::app_;
Layout ToolTest::layout_;

std::unique_ptr<App> LaunchTool(
    const Layout& layout, const std::vector<std::wstring>& arguments,
    const std::vector<std::pair<std::wstring, std::wstring>>& environment) {
  App::Options options;
  options.exe = ProductExe();
  options.windir = layout.windir;
  options.environment = environment;
  options.arguments = arguments;
  // Not inside the scratch folders, which each case removes.
  options.workDir = layout.drive + L"\\";
  auto app = std::make_unique<App>(options);
  if (!app->started()) ADD_FAILURE() << app->error() << " (LNF_E2E_PRODUCT names the exe)";
  return app;
}

std::unique_ptr<App> StartTool(
    const Layout& layout, const std::vector<std::pair<std::wstring, std::wstring>>& environment) {
  auto app = LaunchTool(layout, {}, environment);
  if (!app->started()) return app;
  const App::Startup startup = app->WaitForStartup();
  if (startup == App::Startup::MessageBox) {
    const auto box = app->WaitForMessageBox();
    ADD_FAILURE() << "a message box came before the main window: \""
                  << Narrow(box ? box->text : L"") << "\"";
  } else if (startup != App::Startup::MainWindow) {
    ADD_FAILURE() << "the main window did not appear"
                  << (startup == App::Startup::Exited ? " (the tool exited)" : "");
  }
  return app;
}

void TakeScreenshot(const std::string& name, App* app) {
  const std::wstring dir = ScreenshotDir();
  if (dir.empty()) return;
  // Have everything painted and passed on to the screen first. Without the
  // window, what is taken is a box, whose icon has been read already, and
  // so is painted.
  if (app) {
    app->Repaint();
    app->SettledPixels({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  }
  MakeFolders(dir);
  if (!App::SaveScreenshot(dir + L"\\" + Widen(name) + L".bmp")) {
    ADD_FAILURE() << "could not save screenshot " << name;
  }
}

::testing::AssertionResult IsCentredOnScreen(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  auto placed = [](LONG at, LONG size, LONG from, LONG to) {
    const LONG centred = from + (to - from - size) / 2;
    return std::abs(at - centred) <= 1 || (size > to - from && at == from);
  };
  auto placedIn = [&](const RECT& area) {
    return placed(r.left, r.right - r.left, area.left, area.right) &&
           placed(r.top, r.bottom - r.top, area.top, area.bottom);
  };
  if (placedIn(screen) || placedIn(work)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "window at " << r.left << "," << r.top << " sized " << r.right - r.left << "x"
         << r.bottom - r.top << " on a screen of " << screen.right << "x" << screen.bottom
         << " (work area " << work.left << "," << work.top << "-" << work.right << ","
         << work.bottom << ")";
}

MessageBoxInfo AnswerBox(App& app) {
  const auto box = app.WaitForMessageBox();
  if (!box) {
    ADD_FAILURE() << "no message box appeared";
    return {};
  }
  EXPECT_TRUE(app.PressOk(*box)) << "the box \"" << Narrow(box->text) << "\" did not go away";
  return *box;
}

LogWatch::LogWatch(App& app) : app_(app), before_(app.Text(kLogConsole)) { GetLocalTime(&from_); }

std::vector<std::wstring> LogWatch::Closings() {
  SYSTEMTIME to;
  GetLocalTime(&to);
  const std::wstring now = app_.Text(kLogConsole);
  if (now.compare(0, before_.size(), before_) != 0) {
    ADD_FAILURE() << "the log lost or changed earlier text";
    return {};
  }
  std::vector<std::wstring> closings;
  if (now.size() == before_.size()) return closings;
  // Each entry begins a new line: CR LF after the text that was there.
  const std::wstring added = now.substr(before_.size());
  if (added.compare(0, 2, L"\r\n") != 0) {
    ADD_FAILURE() << "the log grew without a line break: \"" << Narrow(added) << "\"";
    return closings;
  }
  const std::vector<std::wstring> moments = GeneralDatesBetween(from_, to);
  for (const std::wstring& line : SplitLines(added.substr(2))) {
    const auto entry = ParseLogLine(line);
    if (!entry) {
      ADD_FAILURE() << "not a log entry: \"" << Narrow(line) << "\"";
      continue;
    }
    EXPECT_NE(std::find(moments.begin(), moments.end(), entry->stamp), moments.end())
        << "stamp \"" << Narrow(entry->stamp) << "\" is not the local date and time of the entry"
        << " in the general date form (e.g. \"" << Narrow(moments.back()) << "\")";
    closings.push_back(entry->closing);
  }
  return closings;
}

void ToolTest::SetUpTestSuite() {
  layout_ = TheLayout();
  ASSERT_TRUE(ResetLayout(layout_));
  app_ = StartTool(layout_);
}

void ToolTest::TearDownTestSuite() {
  if (app_ && app_->Running()) {
    EXPECT_TRUE(app_->Close()) << "the tool did not close cleanly";
    EXPECT_EQ(app_->ExitCode(), 0u);
  }
  app_.reset();
  ResetLayout(layout_);
}

void ToolTest::SetUp() {
  ASSERT_TRUE(ResetLayout(layout_)) << "could not clear the scratch folders";
  if (!app_ || !app_->Running() || !app_->MainWindow()) {
    app_ = StartTool(layout_);
  }
  ASSERT_TRUE(app_->Running() && app_->MainWindow());
  ASSERT_TRUE(app_->MessageBoxes().empty()) << "a message box is still open";
}

void ToolTest::TearDown() {
  // A box left open by a failed case must not spoil the next one.
  while (app_ && app_->Running() && !app_->MessageBoxes().empty()) {
    const MessageBoxInfo box = ReadMessageBox(app_->MessageBoxes().front());
    ADD_FAILURE() << "unexpected message box left open: \"" << Narrow(box.text) << "\"";
    if (!app_->PressOk(box)) break;
  }
}

std::vector<std::wstring> ToolTest::CheckNow() {
  LogWatch log(app());
  EXPECT_TRUE(app().Click(kCommand1));
  EXPECT_TRUE(app().MessageBoxes().empty()) << "the check showed a message box";
  return log.Closings();
}

}  // namespace lnf::e2e
