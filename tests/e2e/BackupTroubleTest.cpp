// The backups that meet trouble: names path parsing would change, a folder
// gone, the temporary folder missing, a locked destination, clicks no person
// could make, and a long run during which the window must keep answering.
#include "BackupTest.h"

namespace lnf::e2e {
namespace {

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

// A second instance backs up into the same root, again and again, while the
// first repeats a long Office Update backup: each run keeps to a staging
// folder of its own, so no run's end takes another's, and both complete.
// How many of the second's runs fit inside one of the first's depends on the
// machine, so the first repeats until two have.
TEST_F(Backup, TwoInstancesBackingUpIntoOneRootBothComplete) {
  Put(Wu(L"V4\\iuhist.xml"), Bytes("history"));
  Put(layout().windir + L"\\Windows Update.log", Bytes("log"));
  int ouFiles = 0;
  for (int chain = 0; chain < 40; ++chain) {
    std::wstring folder = L"c" + std::to_wstring(chain);
    for (int depth = 0; depth < 5; ++depth, folder += L"\\d") {
      for (int i = 0; i < 10; ++i, ++ouFiles) {
        ASSERT_NO_FATAL_FAILURE(Put(Ou(folder + L"\\f" + std::to_wstring(i) + L".cab"), "y"));
      }
    }
  }
  ASSERT_NO_FATAL_FAILURE(CheckAndShow(kOuBtn, kCommand5));
  // The first backup makes the tree; the repeat copies it file by file.
  ASSERT_TRUE(app().Click(kCommand5));
  ExpectClosingBox(layout().backupRoot + L"\\OU");
  std::unique_ptr<App> other = StartTool(layout());
  ASSERT_TRUE(other->Running() && other->MainWindow());
  ASSERT_TRUE(other->Click(kCommand1));
  ASSERT_TRUE(other->Click(kV4btn));

  int otherRuns = 0;  // begun and ended while the first was at work
  for (int round = 0; round < 5 && otherRuns < 2; ++round) {
    SCOPED_TRACE("repeat " + std::to_string(round + 1) + " of the long backup");
    ASSERT_TRUE(SendNotifyMessageW(app().Control(Id(kCommand5)), BM_CLICK, 0, 0));
    // Answered once the click's handler has begun; true while it works.
    const bool began = app().Working(TimeoutMs()).value_or(false);
    const DWORD start = GetTickCount();
    while (app().MessageBoxes().empty() && GetTickCount() - start < 10 * TimeoutMs()) {
      ASSERT_TRUE(other->Click(kCommand4));
      ASSERT_NO_FATAL_FAILURE(ExpectClosingBoxOf(*other, layout().backupRoot + L"\\V4", true));
      if (began && app().Working(TimeoutMs()).value_or(false)) ++otherRuns;
    }
    ExpectClosingBox(layout().backupRoot + L"\\OU");
  }
  EXPECT_GE(otherRuns, 2) << "the other never backed up twice while the long backup ran";
  EXPECT_TRUE(other->Close());
  const Files saved = Tree(layout().backupRoot);
  int copied = 0;
  for (const auto& [path, bytes] : saved) copied += bytes == "y";
  EXPECT_EQ(copied, ouFiles);
  EXPECT_EQ(saved.at(L"V4\\iuhist.xml"), Bytes("history"));
  EXPECT_EQ(saved.count(L"~lnf-staging"), 0u);
}

// Inventory files named like the tool's own working names are backed up as
// themselves: the staging folder keeps out of the way of a file of its name.
// A real inventory beside them makes the kind found.
TEST_F(Backup, FilesNamedLikeTheToolsOwnAreBackedUpAsThemselves) {
  Put(Wu(L"en.gng"), Bytes("inventory"));
  Put(Wu(L"~lnf-staging"), Bytes("staging"));
  Put(Wu(L"~lnf-0.tmp"), Bytes("tmp"));
  Put(Wu(L"~lnf-1.old"), Bytes("old"));
  Put(Ou(L"~lnf-staging"), Bytes("ou"));
  ASSERT_NO_FATAL_FAILURE(CheckAndShow(kV3btn, kCommand3));
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    LogWatch log(app());
    ASSERT_TRUE(app().Click(kCommand3));
    ExpectClosingBox(layout().backupRoot);
    EXPECT_EQ(log.Closings(), (Lines{Copied(L"en.gng"), Copied(L"~lnf-0.tmp"),
                                     Copied(L"~lnf-1.old"), Copied(L"~lnf-staging")}));
  }
  ASSERT_TRUE(app().Click(kOuBtn));
  ASSERT_TRUE(app().Click(kCommand5));
  ExpectClosingBox(layout().backupRoot + L"\\OU");
  EXPECT_EQ(Tree(layout().backupRoot), (Files{{L"en.gng", Bytes("inventory")},
                                              {L"~lnf-staging", Bytes("staging")},
                                              {L"~lnf-0.tmp", Bytes("tmp")},
                                              {L"~lnf-1.old", Bytes("old")},
                                              {L"OU", kFolder},
                                              {L"OU\\~lnf-staging", Bytes("ou")}}));
}

// A small disk for the backup root: after the first backup less room is
// left than the big file takes, yet the repeat, replacing the earlier copy
// in place, completes.
TEST_F(Backup, ARepeatOnASmallDiskCompletes) {
  struct Unmount {
    std::wstring path;
    ~Unmount() {
      if (!path.empty()) UnmountOnHost(path);
    }
  } unmount;
  if (!MountSmallDisk(layout().backupRoot, 2000)) {
    GTEST_SKIP() << "this host may not mount a small file system (tmpfs) for the backup root";
  }
  unmount.path = layout().backupRoot;
  Put(Wu(L"big.gng"), std::string(1200 * 1024, 'a'));
  Put(Wu(L"small.gng"), Bytes("small"));
  ASSERT_NO_FATAL_FAILURE(CheckAndShow(kV3btn, kCommand3));
  ASSERT_TRUE(app().Click(kCommand3));
  ExpectClosingBox(layout().backupRoot);
  Put(Wu(L"big.gng"), std::string(1200 * 1024, 'b'));
  LogWatch log(app());
  ASSERT_TRUE(app().Click(kCommand3));
  ExpectClosingBox(layout().backupRoot);
  EXPECT_EQ(log.Closings(), (Lines{Copied(L"big.gng"), Copied(L"small.gng")}));
  EXPECT_EQ(ReadBytes(Saved(L"big.gng")), std::string(1200 * 1024, 'b'));
  EXPECT_EQ(Tree(layout().backupRoot).size(), 2u);
}

// Another program posts clicks to the backup buttons of a window that has
// not checked yet (their frames hidden, the paths not set): nothing runs,
// no box comes, nothing is written, neither on the drive nor beside the exe.
TEST_F(Backup, PostedClicksOnHiddenBackupButtonsOfAFreshWindowDoNothing) {
  ASSERT_TRUE(MakeFolders(layout().wuDir));
  Put(Wu(L"a.gng"), Bytes("a"));
  Put(Ou(L"o.cab"), Bytes("o"));
  Put(layout().windir + L"\\Windows Update.log", Bytes("log"));
  const std::unique_ptr<App> fresh = StartTool(layout());
  ASSERT_TRUE(fresh->started() && fresh->MainWindow());
  for (ControlId button : {kCommand3, kCommand4, kCommand5}) {
    HWND control = fresh->Control(Id(button));
    ASSERT_TRUE(control && !fresh->OnScreen(Id(button)));
    EXPECT_TRUE(PostMessageW(control, BM_CLICK, 0, 0));
    EXPECT_TRUE(PostMessageW(fresh->MainWindow(), WM_COMMAND, MAKEWPARAM(Id(button), BN_CLICKED),
                             reinterpret_cast<LPARAM>(control)));
    EXPECT_TRUE(
        PostMessageW(fresh->MainWindow(), WM_COMMAND, MAKEWPARAM(Id(button), BN_CLICKED), 0));
  }
  // Posted messages are taken in order: once the About box that this one
  // opens is up, every click before it has been handled.
  EXPECT_TRUE(PostMessageW(fresh->MainWindow(), WM_COMMAND, MAKEWPARAM(Id(kCommand2), BN_CLICKED),
                           reinterpret_cast<LPARAM>(fresh->Control(Id(kCommand2)))));
  const MessageBoxInfo box = AnswerBox(*fresh);
  EXPECT_EQ(box.title, L"About...") << "the first box reads \"" << Narrow(box.text) << "\"";
  EXPECT_TRUE(fresh->MessageBoxes().empty());
  EXPECT_FALSE(Exists(layout().backupRoot));
  const std::wstring exe = ProductExe();
  EXPECT_FALSE(Exists(exe.substr(0, exe.find_last_of(L'\\')) + L"\\LNF_INV"));
  EXPECT_TRUE(fresh->Close());
}

// Long enough to take seconds under Wine: a V2/V3.1 backup that logs every
// file, and an Office Update tree that logs once, at its end. A click on
// another button meanwhile is handled after the backup, never inside it, and
// so is a request to close the window.
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
  const SeenWhileWorking v3 = ClickAndWatch(kCommand3, [&] {
    EXPECT_TRUE(SendNotifyMessageW(app().Control(Id(kCommand2)), BM_CLICK, 0, 0));
  });
  const MessageBoxInfo done = AnswerBox(app());
  EXPECT_EQ(done.text, BackupDone(layout().backupRoot)) << "the About box came inside the backup";
  const MessageBoxInfo about = AnswerBox(app());
  EXPECT_EQ(about.title, L"About...") << "the click during the backup was not handled after it";
  ExpectNoBox();
  const DWORD after = ConsoleLength();
  EXPECT_GE(v3.answers, 1) << "the window never answered while the backup ran";
  EXPECT_TRUE(std::any_of(v3.consoleLengths.begin(), v3.consoleLengths.end(), [&](DWORD length) {
    return length > before && length < after;
  })) << "the console did not grow while the backup ran";
  EXPECT_TRUE(std::is_sorted(v3.consoleLengths.begin(), v3.consoleLengths.end()));
  Lines expected;
  for (const std::wstring& name : names) expected.push_back(Copied(name));
  EXPECT_EQ(log.Closings(), expected) << "every entry, once, in order, at the end";

  ASSERT_TRUE(app().Click(kOuBtn));
  LogWatch ouLog(app());
  const SeenWhileWorking ou = ClickAndWatch(
      kCommand5, [&] { EXPECT_TRUE(SendNotifyMessageW(app().MainWindow(), WM_CLOSE, 0, 0)); });
  const auto closing = app().WaitForMessageBox();
  ASSERT_TRUE(closing) << "the window closed inside the backup";
  EXPECT_EQ(closing->text, BackupDone(layout().backupRoot + L"\\OU"));
  EXPECT_EQ(ouLog.Closings(), Lines{L") [OfficeUpdate] Directory copied successfully."});
  EXPECT_GE(ou.answers, 1) << "the window never answered while the backup ran";
  int copied = 0;
  for (const auto& [path, bytes] : Tree(layout().backupRoot + L"\\OU")) copied += bytes == "y";
  EXPECT_EQ(copied, ouFiles);
  // OK ends the handler; the close asked for meanwhile follows.
  EXPECT_TRUE(PostMessageW(GetDlgItem(closing->hwnd, IDOK), BM_CLICK, 0, 0));
  EXPECT_TRUE(WaitUntil([&] { return !app().Running(); }))
      << "the window did not close once the backup had ended";
  EXPECT_EQ(app().ExitCode(), 0u);
}

}  // namespace
}  // namespace lnf::e2e
