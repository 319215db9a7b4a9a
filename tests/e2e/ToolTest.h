// What every end-to-end suite shares: one running tool per suite (so that a
// suite starts the exe once and walks it through many cases), the scratch
// folders reset before each case, and a watch on the log console.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Driver.h"
#include "Scratch.h"
#include "form/ControlIds.h"

namespace lnf::e2e {

// Starts the tool with windir pointing at the layout's scratch Windows folder
// (and the given variables set) and `arguments` on its command line, and
// returns at once; fails the current test when it cannot be started.
std::unique_ptr<App> LaunchTool(
    const Layout& layout, const std::vector<std::wstring>& arguments,
    const std::vector<std::pair<std::wstring, std::wstring>>& environment = {});

// Launches the tool without arguments and waits for its main window; fails
// the current test when a message box comes instead or nothing comes at all.
std::unique_ptr<App> StartTool(
    const Layout& layout,
    const std::vector<std::pair<std::wstring, std::wstring>>& environment = {});

// Saves a screenshot named `name` + ".bmp" when the run asks for them, once
// `app` (if given) has painted its window.
void TakeScreenshot(const std::string& name, App* app = nullptr);

// Whether `window` is centred on the screen, or on the screen's work area (the
// part that a taskbar leaves free): both are fair readings of "centred".
// Along a side where the window is larger than the screen, it may instead be
// held at the screen's edge, so that its title bar stays in reach.
::testing::AssertionResult IsCentredOnScreen(HWND window);

// Presses OK on the one box expected now and returns what it showed.
MessageBoxInfo AnswerBox(App& app);

// Everything the log console gains from now on.
class LogWatch {
 public:
  explicit LogWatch(App& app);
  // The closing texts of the entries appended since construction. Fails the
  // test when the old text was changed, when a new line is no log entry, or
  // when an entry is not stamped with the local date and time at which it
  // was written (in the user's general date form).
  std::vector<std::wstring> Closings();

 private:
  App& app_;
  std::wstring before_;
  SYSTEMTIME from_;
};

// A suite that shares one running tool. The tool starts with the suite and
// is started again only if an earlier case left it dead.
class ToolTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  static App& app() { return *app_; }
  static const Layout& layout() { return layout_; }

  // Presses "Check now!"; returns the log entries it wrote.
  std::vector<std::wstring> CheckNow();
  // The file paths of the kinds' client folders.
  std::wstring Wu(const std::wstring& name) const { return layout_.wuDir + L"\\" + name; }
  std::wstring Ou(const std::wstring& name) const { return layout_.ouDir + L"\\" + name; }
  std::wstring Saved(const std::wstring& name) const { return layout_.backupRoot + L"\\" + name; }

  static std::unique_ptr<App> app_;
  static Layout layout_;
};

// IDs as plain ints, for the driver.
constexpr int Id(ControlId id) { return static_cast<int>(id); }

}  // namespace lnf::e2e
