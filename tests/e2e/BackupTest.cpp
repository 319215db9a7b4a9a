// The three backups against real folders: what lands in the backup root,
// byte for byte and with its date, what the log says, and the boxes that end
// each run, including the runs that go wrong. One start of the tool runs every
// case; each case lays out the folders afresh, checks, and backs up.
#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "ToolTest.h"

namespace lnf::e2e {
namespace {

using Lines = std::vector<std::wstring>;
using Files = std::map<std::wstring, std::string>;

const Stamp kOld = {2005, 6, 1, 12, 0};
const Stamp kNew = {2020, 2, 2, 12, 0};
const std::string kFolder = "<folder>";

// Contents that a copy through text would not keep: a NUL, a lone LF, an
// end-of-file mark and bytes above 127.
std::string Bytes(const std::string& tag) {
  return tag + std::string(" \0\r\n\n\x1A\xFF\x80 end", 13);
}

std::wstring Copied(const std::wstring& name) {
  return L") [" + name + L"] File copied successfully.";
}
std::wstring Refused(const std::wstring& name) {
  return L") [" + name + L"] File not copied. Reason: file date is newer than 2012.";
}

bool SameTime(const std::optional<FILETIME>& a, const std::optional<FILETIME>& b) {
  return a && b && CompareFileTime(&*a, &*b) == 0;
}

// "Error " and the failure's number, then whatever the tool says of it.
bool IsFailureReport(const std::wstring& text) {
  if (text.compare(0, 6, L"Error ") != 0 || text.size() < 7) return false;
  return std::iswdigit(text[6]) != 0;
}

// What the test saw of the window while a backup ran.
struct SeenWhileWorking {
  int answers = 0;                    // sent messages answered while a handler worked
  std::vector<DWORD> consoleLengths;  // the console's length at those moments
};

class Backup : public ToolTest {
 protected:
  void Put(const std::wstring& path, const std::string& bytes, const Stamp& stamp = kOld) {
    const auto slash = path.find_last_of(L'\\');
    ASSERT_TRUE(MakeFolders(path.substr(0, slash)));
    ASSERT_TRUE(MakeFile(path, bytes, stamp)) << Narrow(path);
  }

  std::wstring BackupDone(const std::wstring& where) const {
    return L"Backup done in " + where + L". Please review the log for further details.";
  }

  // Checks and shows the kind's frame with its backup button.
  void CheckAndShow(ControlId selector, ControlId backupButton) {
    CheckNow();
    ASSERT_TRUE(app().OwnVisible(selector)) << "the kind was not found";
    ASSERT_TRUE(app().Click(selector));
    ASSERT_TRUE(app().OnScreen(backupButton));
  }

  void ExpectClosingBox(const std::wstring& where) {
    const MessageBoxInfo box = AnswerBox(app());
    EXPECT_EQ(box.title, L"Backup Inventory");
    EXPECT_EQ(box.text, BackupDone(where));
    EXPECT_EQ(box.icon, BoxIcon::Information) << "shows " << ToString(box.icon);
    EXPECT_EQ(box.owner, app().MainWindow());
    ExpectNoBox();
  }

  // Clicks `button` and, until a box comes up, sends the window messages it
  // must answer within a second, and reads the console's length each time a
  // handler is at work.
  SeenWhileWorking ClickAndWatch(ControlId button) {
    constexpr DWORD kSecond = 1000;
    SeenWhileWorking seen;
    HWND console = app().Control(Id(kLogConsole));
    EXPECT_TRUE(SendNotifyMessageW(app().Control(Id(button)), BM_CLICK, 0, 0));
    // A backup of this size may take long on a busy machine; it must end.
    const DWORD start = GetTickCount();
    while (app().MessageBoxes().empty() && GetTickCount() - start < 10 * TimeoutMs()) {
      DWORD_PTR ignored = 0;
      if (!SendMessageTimeoutW(app().MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, kSecond, &ignored)) {
        ADD_FAILURE() << "the window did not answer within a second while the backup ran";
        break;
      }
      if (app().Working(kSecond).value_or(false)) {
        ++seen.answers;
        DWORD_PTR length = 0;
        if (SendMessageTimeoutW(console, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kSecond, &length)) {
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

TEST_F(Backup, V3CopiesOnlyFilesLastWrittenBefore2012) {
  Put(Wu(L"a1999.gng"), Bytes("a"), {1999, 5, 5, 12, 0});
  Put(Wu(L"b2011.inv"), Bytes("b"), {2011, 12, 31, 12, 0});
  Put(Wu(L"c2012.bm"), Bytes("c"), {2012, 1, 1, 12, 0});
  Put(Wu(L"d2020.as"), Bytes("d"), kNew);
  Put(Wu(L"e1990.inv"), Bytes("e"), {1990, 1, 1, 12, 0});
  ASSERT_TRUE(SetHidden(Wu(L"e1990.inv")));
  Put(Wu(L"V4\\iuhist.xml"), Bytes("v4"));

  ASSERT_NO_FATAL_FAILURE(CheckAndShow(kV3btn, kCommand3));
  LogWatch log(app());
  ASSERT_TRUE(app().Click(kCommand3));
  ExpectClosingBox(layout().backupRoot);
  EXPECT_EQ(log.Closings(), (Lines{Copied(L"a1999.gng"), Copied(L"b2011.inv"), Refused(L"c2012.bm"),
                                   Refused(L"d2020.as")}));
  // Straight into the root: no subfolder, nothing hidden, nothing new.
  EXPECT_EQ(Tree(layout().backupRoot),
            (Files{{L"a1999.gng", Bytes("a")}, {L"b2011.inv", Bytes("b")}}));
  EXPECT_TRUE(SameTime(LastWrite(Saved(L"a1999.gng")), LastWrite(Wu(L"a1999.gng"))))
      << "a copy keeps the date of its source";
  EXPECT_TRUE(SameTime(LastWrite(Saved(L"b2011.inv")), LastWrite(Wu(L"b2011.inv"))));

  // A second run replaces the copies and logs every file again.
  Put(Wu(L"a1999.gng"), Bytes("a, changed"), {1999, 5, 5, 12, 0});
  LogWatch again(app());
  ASSERT_TRUE(app().Click(kCommand3));
  ExpectClosingBox(layout().backupRoot);
  EXPECT_EQ(again.Closings(), (Lines{Copied(L"a1999.gng"), Copied(L"b2011.inv"),
                                     Refused(L"c2012.bm"), Refused(L"d2020.as")}));
  EXPECT_EQ(ReadBytes(Saved(L"a1999.gng")), Bytes("a, changed"));
}

TEST_F(Backup, V4CopiesTheWindowsUpdateLogAndTheHistoryWhateverTheirDates) {
  Put(layout().windir + L"\\Windows Update.log", Bytes("log"), kNew);
  Put(Wu(L"V4\\iuhist.xml"), Bytes("history"), kNew);
  ASSERT_NO_FATAL_FAILURE(CheckAndShow(kV4btn, kCommand4));
  LogWatch log(app());
  ASSERT_TRUE(app().Click(kCommand4));
  ExpectClosingBox(layout().backupRoot + L"\\V4");
  EXPECT_EQ(log.Closings(), (Lines{Copied(L"Windows Update.log"), Copied(L"iuhist.xml")}));
  EXPECT_EQ(Tree(layout().backupRoot), (Files{{L"V4", kFolder},
                                              {L"V4\\Windows Update.log", Bytes("log")},
                                              {L"V4\\iuhist.xml", Bytes("history")}}));
}

TEST_F(Backup, V4WithoutTheWindowsUpdateLogFailsAndTheWindowGoesOn) {
  Put(Wu(L"V4\\iuhist.xml"), Bytes("history"));
  ASSERT_NO_FATAL_FAILURE(CheckAndShow(kV4btn, kCommand4));
  ASSERT_EQ(app().Text(kV4InvFilesList), L"iuhist.xml");
  LogWatch log(app());
  ASSERT_TRUE(app().Click(kCommand4));
  const MessageBoxInfo report = AnswerBox(app());
  EXPECT_EQ(report.title, L"LNF_INVTOOL");
  EXPECT_TRUE(IsFailureReport(report.text)) << "report reads \"" << Narrow(report.text) << "\"";
  ExpectNoBox();  // no closing box after a failure
  EXPECT_EQ(log.Closings(), Lines{}) << "nothing was copied";
  EXPECT_EQ(Tree(layout().backupRoot), (Files{{L"V4", kFolder}}));

  // Still running: with the log in place the same button now works.
  Put(layout().windir + L"\\Windows Update.log", Bytes("log"));
  ASSERT_TRUE(app().Click(kCommand4));
  ExpectClosingBox(layout().backupRoot + L"\\V4");
  EXPECT_EQ(ReadBytes(Saved(L"V4\\iuhist.xml")), Bytes("history"));
}

TEST_F(Backup, OfficeUpdateCopiesTheWholeTreeLeavingHiddenEntriesOut) {
  ASSERT_TRUE(MakeFolders(layout().wuDir));
  Put(Ou(L"a.cab"), Bytes("a"), kNew);
  Put(Ou(L"b.txt"), Bytes("b"));
  Put(Ou(L"h.txt"), Bytes("hidden"));
  ASSERT_TRUE(SetHidden(Ou(L"h.txt")));
  Put(Ou(L"Sub1\\c.txt"), Bytes("c"));
  Put(Ou(L"Sub1\\hid.dat"), Bytes("hidden too"));
  ASSERT_TRUE(SetHidden(Ou(L"Sub1\\hid.dat")));
  Put(Ou(L"Sub1\\Deep\\d.bin"), Bytes("d"));
  ASSERT_TRUE(MakeFolders(Ou(L"Sub2")));
  Put(Ou(L"Secret\\x.txt"), Bytes("x"));
  ASSERT_TRUE(SetHidden(Ou(L"Secret")));

  ASSERT_NO_FATAL_FAILURE(CheckAndShow(kOuBtn, kCommand5));
  LogWatch log(app());
  ASSERT_TRUE(app().Click(kCommand5));
  ExpectClosingBox(layout().backupRoot + L"\\OU");
  EXPECT_EQ(log.Closings(), Lines{L") [OfficeUpdate] Directory copied successfully."});
  EXPECT_EQ(Tree(layout().backupRoot), (Files{{L"OU", kFolder},
                                              {L"OU\\a.cab", Bytes("a")},
                                              {L"OU\\b.txt", Bytes("b")},
                                              {L"OU\\Sub1", kFolder},
                                              {L"OU\\Sub1\\c.txt", Bytes("c")},
                                              {L"OU\\Sub1\\Deep", kFolder},
                                              {L"OU\\Sub1\\Deep\\d.bin", Bytes("d")},
                                              {L"OU\\Sub2", kFolder}}));

  // Again, into the folders that are there now.
  Put(Ou(L"Sub1\\Deep\\d.bin"), Bytes("d, changed"));
  ASSERT_TRUE(app().Click(kCommand5));
  ExpectClosingBox(layout().backupRoot + L"\\OU");
  EXPECT_EQ(ReadBytes(Saved(L"OU\\Sub1\\Deep\\d.bin")), Bytes("d, changed"));
}

// A symbolic link back to its parent, made on the Linux side (Wine shows it
// as a folder that is a reparse point): copied, it would nest until the paths
// grew too long. The rest of the tree is copied and the backup ends well.
TEST_F(Backup, OfficeUpdateLeavesOutAFolderLinkBackToItsParent) {
  ASSERT_TRUE(MakeFolders(layout().wuDir));
  Put(Ou(L"a.cab"), Bytes("a"));
  Put(Ou(L"Sub\\c.txt"), Bytes("c"));
  ASSERT_TRUE(MakeHostLink(Ou(L"Sub\\back"), "..")) << "no link made";
  Put(Ou(L"Sub2\\d.txt"), Bytes("d"));

  ASSERT_NO_FATAL_FAILURE(CheckAndShow(kOuBtn, kCommand5));
  LogWatch log(app());
  ASSERT_TRUE(app().Click(kCommand5));
  ExpectClosingBox(layout().backupRoot + L"\\OU");
  EXPECT_EQ(log.Closings(), Lines{L") [OfficeUpdate] Directory copied successfully."});
  EXPECT_EQ(Tree(layout().backupRoot), (Files{{L"OU", kFolder},
                                              {L"OU\\a.cab", Bytes("a")},
                                              {L"OU\\Sub", kFolder},
                                              {L"OU\\Sub\\c.txt", Bytes("c")},
                                              {L"OU\\Sub2", kFolder},
                                              {L"OU\\Sub2\\d.txt", Bytes("d")}}));
}

// Names that Windows' path parsing would change, given on the Linux side,
// where they are ordinary: a trailing dot (beside the file it would turn
// into), device names, a folder CON. Wine lists them as they are; the tool
// dates and copies each as itself.
TEST_F(Backup, NamesThatPathParsingWouldChangeAreBackedUpAsTheyAre) {
  if (IsWindows9x()) GTEST_SKIP() << "Windows 9x cannot reach such names";
  const auto made = [&](const std::wstring& path, const std::string& bytes, const Stamp& stamp,
                        const std::wstring& name) {
    const std::wstring plain = path.substr(0, path.find_last_of(L'\\') + 1) + L"plain";
    Put(plain, bytes, stamp);
    ASSERT_TRUE(RenameOnHost(plain, path.substr(0, path.find_last_of(L'\\') + 1) + name))
        << Narrow(name);
  };
  made(Wu(L"x"), Bytes("dot"), kOld, L"trail.inv.");
  made(Wu(L"x"), Bytes("dot, new"), kNew, L"new.inv.");
  Put(Wu(L"trail.inv"), Bytes("no dot"), kNew);
  made(Wu(L"x"), Bytes("nul"), kOld, L"nul.inv");
  made(Wu(L"x"), Bytes("aux"), kOld, L"aux.cab");
  made(Ou(L"x"), Bytes("com1"), kOld, L"com1.bm");
  made(Ou(L"Folder\\x"), Bytes("in CON"), kOld, L"inside.txt");
  ASSERT_TRUE(RenameOnHost(Ou(L"Folder"), Ou(L"CON")));

  ASSERT_NO_FATAL_FAILURE(CheckAndShow(kV3btn, kCommand3));
  LogWatch log(app());
  ASSERT_TRUE(app().Click(kCommand3));
  ExpectClosingBox(layout().backupRoot);
  EXPECT_EQ(log.Closings(), (Lines{Copied(L"aux.cab"), Refused(L"new.inv."), Copied(L"nul.inv"),
                                   Refused(L"trail.inv"), Copied(L"trail.inv.")}));

  ASSERT_TRUE(app().Click(kOuBtn));
  ASSERT_TRUE(app().Click(kCommand5));
  ExpectClosingBox(layout().backupRoot + L"\\OU");
  EXPECT_EQ(Tree(layout().backupRoot), (Files{{L"aux.cab", Bytes("aux")},
                                              {L"nul.inv", Bytes("nul")},
                                              {L"trail.inv.", Bytes("dot")},
                                              {L"OU", kFolder},
                                              {L"OU\\com1.bm", Bytes("com1")},
                                              {L"OU\\CON", kFolder},
                                              {L"OU\\CON\\inside.txt", Bytes("in CON")}}));
  EXPECT_TRUE(SameTime(LastWrite(Saved(L"trail.inv.")), LastWrite(Wu(L"trail.inv."))));
}

TEST_F(Backup, OfficeUpdateFolderGoneBeforeTheBackupIsReportedAndNotClaimedAsDone) {
  ASSERT_TRUE(MakeFolders(layout().wuDir));
  Put(Ou(L"a.cab"), Bytes("a"));
  ASSERT_NO_FATAL_FAILURE(CheckAndShow(kOuBtn, kCommand5));
  ASSERT_TRUE(RemoveTree(layout().ouDir));
  LogWatch log(app());
  ASSERT_TRUE(app().Click(kCommand5));
  const MessageBoxInfo box = AnswerBox(app());
  EXPECT_EQ(box.title, L"LNF_INVTOOL");
  EXPECT_EQ(box.text, L"Source directory does not exist!");
  EXPECT_EQ(box.icon, BoxIcon::None) << "shows " << ToString(box.icon);
  // No "copied successfully" and no "Backup done" for a backup that copied
  // nothing: saying so would be false.
  ExpectNoBox();
  EXPECT_EQ(log.Closings(), Lines{});
  EXPECT_EQ(Tree(layout().backupRoot), (Files{{L"OU", kFolder}}));
}

// Nothing of a backup depends on the temporary folder: with TEMP and TMP
// naming a folder that is not there, each backup runs twice, the second
// replacing the first's copies, and leaves nothing but the copies.
TEST_F(Backup, EveryBackupRepeatsWithTheTemporaryFolderMissing) {
  // The next case starts the tool as usual again.
  struct Restart {
    ~Restart() { app_.reset(); }
  } restart;
  const std::wstring missing = layout().windir + L"\\Temp";
  ASSERT_FALSE(Exists(missing));
  app_ = StartTool(layout(), {{L"TEMP", missing}, {L"TMP", missing}});
  ASSERT_TRUE(app().Running() && app().MainWindow());
  Put(Wu(L"a.gng"), Bytes("a"));
  Put(Wu(L"V4\\iuhist.xml"), Bytes("history"));
  Put(layout().windir + L"\\Windows Update.log", Bytes("log"));
  Put(Ou(L"Sub\\c.cab"), Bytes("c"));
  CheckNow();

  struct Kind {
    ControlId selector, button;
    std::wstring folder;
  };
  for (int run = 1; run <= 2; ++run) {
    for (const Kind& kind : {Kind{kV3btn, kCommand3, L""}, Kind{kV4btn, kCommand4, L"\\V4"},
                             Kind{kOuBtn, kCommand5, L"\\OU"}}) {
      SCOPED_TRACE("run " + std::to_string(run) + ", backup into LNF_INV" + Narrow(kind.folder));
      ASSERT_TRUE(app().Click(kind.selector));
      ASSERT_TRUE(app().Click(kind.button));
      ExpectClosingBox(layout().backupRoot + kind.folder);
    }
  }
  EXPECT_EQ(Tree(layout().backupRoot), (Files{{L"a.gng", Bytes("a")},
                                              {L"V4", kFolder},
                                              {L"V4\\Windows Update.log", Bytes("log")},
                                              {L"V4\\iuhist.xml", Bytes("history")},
                                              {L"OU", kFolder},
                                              {L"OU\\Sub", kFolder},
                                              {L"OU\\Sub\\c.cab", Bytes("c")}}));
}

TEST_F(Backup, ALockedDestinationStopsTheBackupThereAndTheWindowGoesOn) {
  Put(Wu(L"a.gng"), Bytes("a"));
  Put(Wu(L"b.inv"), Bytes("b"));
  Put(Wu(L"c.bm"), Bytes("c"));
  Put(Saved(L"b.inv"), "stale");
  LockedFile lock(Saved(L"b.inv"));
  ASSERT_TRUE(lock.held());

  ASSERT_NO_FATAL_FAILURE(CheckAndShow(kV3btn, kCommand3));
  LogWatch log(app());
  ASSERT_TRUE(app().Click(kCommand3));
  const MessageBoxInfo report = AnswerBox(app());
  EXPECT_EQ(report.title, L"LNF_INVTOOL");
  EXPECT_TRUE(IsFailureReport(report.text)) << "report reads \"" << Narrow(report.text) << "\"";
  ExpectNoBox();
  EXPECT_EQ(log.Closings(), Lines{Copied(L"a.gng")})
      << "the copy before the failure is logged, the failing one and those after it are not";
  lock.Release();
  EXPECT_EQ(Tree(layout().backupRoot), (Files{{L"a.gng", Bytes("a")}, {L"b.inv", "stale"}}));

  // The window is still there and the next press does the whole job.
  LogWatch again(app());
  ASSERT_TRUE(app().Click(kCommand3));
  ExpectClosingBox(layout().backupRoot);
  EXPECT_EQ(again.Closings(), (Lines{Copied(L"a.gng"), Copied(L"b.inv"), Copied(L"c.bm")}));
  EXPECT_EQ(Tree(layout().backupRoot),
            (Files{{L"a.gng", Bytes("a")}, {L"b.inv", Bytes("b")}, {L"c.bm", Bytes("c")}}));
}

// Long enough to take seconds under Wine: a V2/V3.1 backup that logs every
// file, and an Office Update tree that logs once, at its end.
TEST_F(Backup, TheWindowAnswersAndShowsItsLogWhileALongBackupRuns) {
  constexpr int kV3Files = 1200;
  std::vector<std::wstring> names;
  for (int i = 0; i < kV3Files; ++i) {
    wchar_t name[16];
    swprintf(name, 16, L"f%04d.inv", i);
    names.push_back(name);
    ASSERT_NO_FATAL_FAILURE(Put(Wu(name), "x"));
  }
  // 60 chains of 5 nested folders, with 10 files in each folder.
  int ouFiles = 0;
  for (int chain = 0; chain < 60; ++chain) {
    std::wstring folder = L"c" + std::to_wstring(chain);
    for (int depth = 0; depth < 5; ++depth) {
      for (int i = 0; i < 10; ++i, ++ouFiles) {
        ASSERT_NO_FATAL_FAILURE(Put(Ou(folder + L"\\f" + std::to_wstring(i) + L".cab"), "y"));
      }
      folder += L"\\d";
    }
  }

  ASSERT_NO_FATAL_FAILURE(CheckAndShow(kV3btn, kCommand3));
  LogWatch log(app());
  const DWORD before = ConsoleLength();
  const SeenWhileWorking v3 = ClickAndWatch(kCommand3);
  ExpectClosingBox(layout().backupRoot);
  const DWORD after = ConsoleLength();
  EXPECT_GE(v3.answers, 3) << "the backup ended before the window could be watched at work";
  EXPECT_TRUE(std::any_of(v3.consoleLengths.begin(), v3.consoleLengths.end(), [&](DWORD length) {
    return length > before && length < after;
  })) << "the console did not grow while the backup ran";
  EXPECT_TRUE(std::is_sorted(v3.consoleLengths.begin(), v3.consoleLengths.end()));
  Lines expected;
  for (const std::wstring& name : names) expected.push_back(Copied(name));
  EXPECT_EQ(log.Closings(), expected) << "every entry, once, in order, at the end";

  ASSERT_TRUE(app().Click(kOuBtn));
  LogWatch ouLog(app());
  const SeenWhileWorking ou = ClickAndWatch(kCommand5);
  ExpectClosingBox(layout().backupRoot + L"\\OU");
  EXPECT_GE(ou.answers, 3) << "the backup ended before the window could be watched at work";
  EXPECT_EQ(ouLog.Closings(), Lines{L") [OfficeUpdate] Directory copied successfully."});
  int copied = 0;
  for (const auto& [path, bytes] : Tree(layout().backupRoot + L"\\OU")) copied += bytes == "y";
  EXPECT_EQ(copied, ouFiles);
}

}  // namespace
}  // namespace lnf::e2e
