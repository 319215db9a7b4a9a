// The fixture of the backup cases (BackupCopyTest.cpp, BackupTroubleTest.cpp):
// the three backups against real folders: what lands in the backup root,
// byte for byte and with its date, what the log says, and the boxes that end
// each run, including the runs that go wrong. One start of the tool runs every
// case; each case lays out the folders afresh, checks, and backs up.
#pragma once

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <functional>
#include <map>
#include <optional>

#include "ToolTest.h"

namespace lnf::e2e {

using Lines = std::vector<std::wstring>;
using Files = std::map<std::wstring, std::string>;

const Stamp kOld = {2005, 6, 1, 12, 0};
const Stamp kNew = {2020, 2, 2, 12, 0};
const std::string kFolder = "<folder>";

// Contents that a copy through text would not keep: a NUL, a lone LF, an
// end-of-file mark and bytes above 127.
inline std::string Bytes(const std::string& tag) {
  return tag + std::string(" \0\r\n\n\x1A\xFF\x80 end", 13);
}

inline std::wstring Copied(const std::wstring& name) {
  return L") [" + name + L"] File copied successfully.";
}
inline std::wstring Refused(const std::wstring& name) {
  return L") [" + name + L"] File not copied. Reason: file date is newer than 2012.";
}

inline bool SameTime(const std::optional<FILETIME>& a, const std::optional<FILETIME>& b) {
  return a && b && CompareFileTime(&*a, &*b) == 0;
}

// "Error " and the failure's number, then whatever the tool says of it.
inline bool IsFailureReport(const std::wstring& text) {
  if (text.compare(0, 6, L"Error ") != 0 || text.size() < 7) return false;
  return std::iswdigit(text[6]) != 0;
}

// What the test saw of the window while a backup ran.
struct SeenWhileWorking {
  int answers = 0;                    // questions answered while a handler worked
  std::vector<DWORD> consoleLengths;  // the console's length at those moments
};

// The text of the box that ends a backup into `where`.
inline std::wstring BackupDone(const std::wstring& where) {
  return L"Backup done in " + where + L". Please review the log for further details.";
}

// Writes a file, with its folders, last written at `stamp` (the collection's
// cases lay out their inventories with it too).
inline void Put(const std::wstring& path, const std::string& bytes, const Stamp& stamp = kOld) {
  const auto slash = path.find_last_of(L'\\');
  ASSERT_TRUE(MakeFolders(path.substr(0, slash)));
  ASSERT_TRUE(MakeFile(path, bytes, stamp)) << Narrow(path);
}

class Backup : public ToolTest {
 protected:
  // Checks and shows the kind's frame with its backup button.
  void CheckAndShow(ControlId selector, ControlId backupButton) {
    CheckNow();
    ASSERT_TRUE(app().OwnVisible(selector)) << "the kind was not found";
    ASSERT_TRUE(app().Click(selector));
    ASSERT_TRUE(app().OnScreen(backupButton));
  }

  void ExpectClosingBox(const std::wstring& where) { ExpectClosingBoxOf(app(), where, false); }

  // While the box shows, the backup root holds only copies: the staging
  // folder is gone, unless `otherRunGoesOn` (another instance backing up
  // into the same root) still uses it. (A copied file may bear its name.)
  void ExpectClosingBoxOf(App& tool, const std::wstring& where, bool otherRunGoesOn) {
    const auto box = tool.WaitForMessageBox();
    ASSERT_TRUE(box) << "no closing box appeared";
    if (!otherRunGoesOn) {
      EXPECT_FALSE(IsFolder(layout().backupRoot + L"\\~lnf-staging"))
          << "the staging folder is still there while the closing box shows";
    }
    EXPECT_TRUE(tool.PressOk(*box)) << "the box \"" << Narrow(box->text) << "\" did not go away";
    EXPECT_EQ(box->title, L"Backup Inventory");
    EXPECT_EQ(box->text, BackupDone(where));
    EXPECT_EQ(box->icon, BoxIcon::Information) << "shows " << ToString(box->icon);
    EXPECT_EQ(box->owner, tool.MainWindow());
    EXPECT_TRUE(tool.MessageBoxes().empty()) << "a second box followed the closing one";
  }

  // Checks, shows the Office Update frame and backs it up: one entry closes
  // the copy in the log, one box ends the backup.
  // `before`: the entries expected ahead of that one.
  void BackUpOfficeUpdate(Lines before = {}) {
    ASSERT_NO_FATAL_FAILURE(CheckAndShow(kOuBtn, kCommand5));
    LogWatch log(app());
    ASSERT_TRUE(app().Click(kCommand5));
    ExpectClosingBox(layout().backupRoot + L"\\OU");
    before.push_back(L") [OfficeUpdate] Directory copied successfully.");
    EXPECT_EQ(log.Closings(), before);
  }

  // Clicks `button` and, until a box comes up, sends the window messages it
  // must answer, and reads the console's length each time a handler is at
  // work; `meanwhile` runs once, the first time it is. What counts is that
  // answers come while the backup runs, not how soon or how many: a busy
  // machine slows the answers and the backup alike.
  SeenWhileWorking ClickAndWatch(ControlId button, const std::function<void()>& meanwhile = {}) {
    bool ran = false;
    SeenWhileWorking seen;
    HWND console = app().Control(Id(kLogConsole));
    EXPECT_TRUE(SendNotifyMessageW(app().Control(Id(button)), BM_CLICK, 0, 0));
    // A backup of this size may take long on a busy machine; it must end.
    const DWORD start = GetTickCount();
    while (app().MessageBoxes().empty() && GetTickCount() - start < 10 * TimeoutMs()) {
      const std::optional<bool> working = app().Working(TimeoutMs());
      if (!working) {
        ADD_FAILURE() << "the window did not answer while the backup ran";
        break;
      }
      if (*working) {
        ++seen.answers;
        if (meanwhile && !ran) {
          ran = true;
          meanwhile();
        }
        DWORD_PTR length = 0;
        if (SendMessageTimeoutW(console, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, TimeoutMs(),
                                &length)) {
          seen.consoleLengths.push_back(static_cast<DWORD>(length));
        }
      }
      Sleep(25);
    }
    return seen;
  }

  DWORD ConsoleLength() { return static_cast<DWORD>(app().Text(kLogConsole).size()); }

  void ExpectNoBox() {
    EXPECT_TRUE(app().MessageBoxes().empty())
        << "unexpected box: \"" << Narrow(ReadMessageBox(app().MessageBoxes().front()).text)
        << "\"";
  }
};

}  // namespace lnf::e2e
