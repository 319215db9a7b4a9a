#include <gtest/gtest.h>

#include <set>

#include "TestSupport.h"
#include "backup/BackupPlan.h"
#include "backup/Backups.h"

namespace lnf {
namespace {

using namespace lnf::testing;
using Op = MemoryPlatform::Operation;

std::string Root(const std::string& name) { return "C:\\LNF_INV\\" + name; }

class Backup : public ::testing::Test, public FormOnMemoryDrive {
 protected:
  // Backups run after a check has set the path variables.
  void Check() {
    form.Click(kCommand1);
    drive.ClearMessages();
  }
  void ExpectOnlyMessage(const std::string& text, int value, const std::string& title) {
    ASSERT_EQ(drive.Messages().size(), 1u);
    EXPECT_EQ(drive.Messages()[0].text, text);
    EXPECT_EQ(drive.Messages()[0].buttonsAndIcon, value);
    EXPECT_EQ(drive.Messages()[0].title, title);
  }
  void ExpectFailureReportOnly(std::uint32_t number) {
    ASSERT_EQ(drive.Messages().size(), 1u);
    EXPECT_EQ(drive.Messages()[0].text.rfind("Error " + std::to_string(number) + ": ", 0), 0u)
        << drive.Messages()[0].text;
    EXPECT_EQ(drive.Messages()[0].title, "LNF_INVTOOL");
  }
  // A backup as the collection runs it, through the dispatcher, with what it
  // hands back: the paths it tells it copied (folders ending in "\\"), and
  // whether it completed.
  struct Told {
    std::vector<std::string> copies;
    bool completed;
  };
  Told Run(void (*backUp)(MainForm&, BackupResult&)) {
    BackupResult result;
    form.Run([&] { backUp(form, result); });
    Told told{{}, result.completed};
    for (const BackupResult::Copy& copy : result.copies) {
      told.copies.push_back(copy.path + (copy.folder ? "\\" : ""));
    }
    return told;
  }
  std::vector<std::string> EntriesSinceCheck() {
    std::vector<std::string> all = LogEntries();
    std::vector<std::string> since;
    bool after = false;
    for (const std::string& entry : all) {
      if (after) since.push_back(entry);
      if (entry == ") Files found.") after = true;
    }
    // Only what came after the last ") Files found.".
    for (auto it = since.begin(); it != since.end();) {
      it = *it == ") Files found." ? since.erase(since.begin(), it + 1) : it + 1;
    }
    return since;
  }
};

TEST_F(Backup, V3CopiesFilesWrittenBefore2012IntoTheRootItself) {
  drive.AddFile(WU("old.gng"), "language", Date(2011, 12, 31, 23, 59, 59));
  drive.AddFile(WU("new.as"), "config", Date(2012, 1, 1, 0, 0, 0));
  drive.AddFile(WU("ro.inv"), "readonly", Date(1999), kAttrReadOnly);
  drive.AddFile(WU("later.bm"), "later", Date(2024));
  drive.AddFile(WU("h.inv"), "hidden", Date(1999), kAttrHidden);
  drive.AddFile(WU("s.inv"), "system", Date(1999), kAttrSystem);
  drive.AddFile(WU("V4\\iuhist.xml"), "v4", Date(1999));
  Check();
  BackUp(kCommand3);

  EXPECT_EQ(drive.Tree("C:\\LNF_INV"), (std::vector<std::string>{"old.gng", "ro.inv"}));
  EXPECT_EQ(drive.Contents(Root("old.gng")), "language");
  EXPECT_EQ(drive.Contents(Root("ro.inv")), "readonly");
  EXPECT_EQ(EntriesSinceCheck(),
            (std::vector<std::string>{
                ") [old.gng] File copied successfully.",
                ") [new.as] File not copied. Reason: file date is newer than 2012.",
                ") [ro.inv] File copied successfully.",
                ") [later.bm] File not copied. Reason: file date is newer than 2012."}));
  ExpectOnlyMessage("Backup done in C:\\LNF_INV. Please review the log for further details.", 64,
                    "Backup Inventory");
}

TEST_F(Backup, V3SecondRunReplacesTheCopiesAndLogsAgain) {
  drive.AddFile(WU("a.gng"), "first", Date(2005), kAttrReadOnly);
  Check();
  BackUp(kCommand3);
  drive.AddFile(WU("a.gng"), "second", Date(2006), kAttrReadOnly);
  BackUp(kCommand3);
  EXPECT_EQ(drive.Contents(Root("a.gng")), "second");
  EXPECT_EQ(drive.LastWrite(Root("a.gng")).year, 2006);
  EXPECT_EQ(EntriesSinceCheck(),
            (std::vector<std::string>(2, ") [a.gng] File copied successfully.")));
  EXPECT_EQ(drive.Messages().size(), 2u);
}

TEST_F(Backup, V3WithNoOrdinaryFileStillCreatesTheRootAndCloses) {
  drive.AddFile(WU("V4\\iuhist.xml"));
  Check();
  // No V2/V3.1 kind was found, so its selector is hidden: the frame is shown
  // directly, as that selector would.
  form.Show(kV3Frame);
  form.Click(kCommand3);
  EXPECT_TRUE(drive.IsFolder("C:\\LNF_INV"));
  EXPECT_TRUE(EntriesSinceCheck().empty());
  ExpectOnlyMessage("Backup done in C:\\LNF_INV. Please review the log for further details.", 64,
                    "Backup Inventory");
}

TEST_F(Backup, V3UnreadableDateIsToldThenCopiedAsOld) {
  drive.AddFile(WU("before.gng"), "b", Date(2001));
  drive.AddFile(WU("[odd] name .gng"), "x", Date(2020));
  drive.AddFile(WU("after.gng"), "a", Date(2001));
  Check();
  drive.InjectFailure(Op::GetLastWriteTime, WU("[odd] name .gng"), kErrorAccessDenied);
  // Told at that file's turn: after the file before it is copied, before
  // the one after it.
  std::vector<std::string> loggedAtTheBox;
  drive.onMessage = [&](const MemoryPlatform::Message& message) {
    if (message.title == "LNF_INVTOOL") loggedAtTheBox = EntriesSinceCheck();
  };
  BackUp(kCommand3);
  EXPECT_EQ(loggedAtTheBox, std::vector<std::string>{") [before.gng] File copied successfully."});
  ASSERT_EQ(drive.Messages().size(), 2u);
  EXPECT_EQ(drive.Messages()[0].text,
            "Error: Unable to retrieve file creation date. Access is denied.");
  EXPECT_EQ(drive.Messages()[0].buttonsAndIcon, 0);
  EXPECT_EQ(drive.Messages()[0].title, "LNF_INVTOOL");
  EXPECT_EQ(drive.Contents(Root("[odd] name .gng")), "x");
  EXPECT_EQ(EntriesSinceCheck(),
            (std::vector<std::string>{") [before.gng] File copied successfully.",
                                      ") [[odd] name .gng] File copied successfully.",
                                      ") [after.gng] File copied successfully."}));
}

TEST_F(Backup, V3FileWhereTheRootShouldBeStopsBeforeTheFirstCopy) {
  drive.AddFile(WU("a.gng"), "x", Date(2001));
  drive.AddFile("C:\\LNF_INV", "in the way");
  Check();
  BackUp(kCommand3);
  ExpectFailureReportOnly(kErrorAlreadyExists);
  EXPECT_EQ(drive.CopyCount(), 0);
  EXPECT_TRUE(EntriesSinceCheck().empty());
  EXPECT_EQ(drive.Contents("C:\\LNF_INV"), "in the way");
}

TEST_F(Backup, V3CopyFailingHalfWayKeepsWhatWasDoneAndStops) {
  for (const char* name : {"a.gng", "b.gng", "c.gng"}) drive.AddFile(WU(name), name, Date(2001));
  drive.AddFolder("C:\\LNF_INV");
  drive.AddFile(Root("b.gng"), "earlier good copy", Date(2000));
  Check();
  // Full for the staged copy and for its try in place.
  drive.InjectFailure(Op::CopyFile, WU("b.gng"), kErrorDiskFull, 2);
  const Told told = Run(BackUpV2V31);
  EXPECT_EQ(told.copies, std::vector<std::string>{Root("a.gng")});
  EXPECT_FALSE(told.completed);
  ExpectFailureReportOnly(kErrorDiskFull);
  EXPECT_EQ(drive.Contents(Root("a.gng")), "a.gng");
  EXPECT_EQ(drive.Contents(Root("b.gng")), "earlier good copy");
  EXPECT_FALSE(drive.Exists(Root("c.gng")));
  EXPECT_EQ(drive.Tree("C:\\LNF_INV"), (std::vector<std::string>{"a.gng", "b.gng"}))
      << "nothing of the copies in progress is left";
  EXPECT_EQ(EntriesSinceCheck(), (std::vector<std::string>{") [a.gng] File copied successfully."}));

  // Once the cause is gone, pressing again completes the backup.
  drive.ClearMessages();
  BackUp(kCommand3);
  EXPECT_EQ(drive.Contents(Root("c.gng")), "c.gng");
  EXPECT_EQ(drive.Messages().size(), 1u);
  const Told again = Run(BackUpV2V31);
  EXPECT_EQ(again.copies, (std::vector<std::string>{Root("a.gng"), Root("b.gng"), Root("c.gng")}));
  EXPECT_TRUE(again.completed);
}

// Every copy, a first one too, is made inside the backup root (never in the
// temporary folder) and takes its real name only once complete. What a run
// cut short left there is swept by the next backup; nothing stays behind.
TEST_F(Backup, CopiesAreMadeInsideTheRootAndTakeTheirNamesOnlyWhenComplete) {
  drive.AddFile(WU("a.gng"), "first", Date(2005));
  drive.AddFile(WU("V4\\iuhist.xml"), "<xml/>");
  drive.AddFile("C:\\WINDOWS\\Windows Update.log", "log");
  drive.AddFile(OU("Sub\\o.cab"), "ou");
  drive.AddFile(Root("~lnf-staging\\0\\~lnf-lock"));
  drive.AddFile(Root("~lnf-staging\\0\\~lnf-0.tmp"), "half a copy");
  drive.AddFile(Root("~lnf-staging\\0\\~lnf-3.tmp"), "half", Date(2005),
                kAttrReadOnly | kAttrHidden);
  drive.AddFile(Root("~lnf-staging\\0\\OU\\Sub\\o.cab"), "half a tree");
  Check();
  // Another run removes the parent just as this one makes its folder in it.
  drive.InjectFailure(Op::CreateFolder, Root("~lnf-staging\\0"), kErrorPathNotFound);
  std::vector<std::string> staged;
  std::string meanwhile;
  drive.onStaged = [&](const std::string& path) {
    staged.push_back(path);
    meanwhile = drive.Exists(Root("a.gng")) ? drive.Contents(Root("a.gng")) : "<none>";
  };

  BackUp(kCommand3);
  EXPECT_EQ(meanwhile, "<none>");
  EXPECT_EQ(drive.Tree("C:\\LNF_INV"), (std::vector<std::string>{"a.gng"}));
  drive.AddFile(WU("a.gng"), "second", Date(2005));
  BackUp(kCommand3);
  EXPECT_EQ(meanwhile, "first");
  EXPECT_EQ(drive.Contents(Root("a.gng")), "second");
  BackUp(kCommand4);
  BackUp(kCommand5);

  ASSERT_EQ(staged.size(), 5u);
  for (const std::string& path : staged) {
    EXPECT_EQ(path.rfind(Root("~lnf-staging\\"), 0), 0u) << path;
  }
  EXPECT_EQ(drive.Tree("C:\\LNF_INV"),
            (std::vector<std::string>{"OU\\", "OU\\Sub\\", "OU\\Sub\\o.cab", "V4\\",
                                      "V4\\Windows Update.log", "V4\\iuhist.xml", "a.gng"}));
  EXPECT_EQ(drive.Messages().size(), 4u);
}

// Two windows backing up into the same root at once: one run closing (here a
// whole V4 backup, twice, between two copies of an Office Update backup)
// never takes the other's staging folder; both complete. Each closing box
// shows once the staging folder is gone, unless another run still uses it.
TEST_F(Backup, TwoRunsAtOnceKeepTheirStagingApartAndCloseBeforeTheirBoxes) {
  drive.AddFile(WU("a.gng"), "a", Date(2005));
  drive.AddFile(WU("V4\\iuhist.xml"), "<xml/>");
  drive.AddFile("C:\\WINDOWS\\Windows Update.log", "log");
  for (const char* name : {"1.cab", "2.cab", "Sub\\3.cab", "Sub\\4.cab"}) drive.AddFile(OU(name));
  Check();
  MainForm other(drive, kMainFormEvents);
  other.Load();
  other.Click(kCommand1);
  drive.ClearMessages();
  int otherRuns = 0;
  drive.onStaged = [&](const std::string&) {
    if (otherRuns++ < 2) testing::BackUp(other, kCommand4);
  };
  std::vector<bool> stagingWhileDone;
  drive.onMessage = [&](const MemoryPlatform::Message& message) {
    if (message.text.rfind("Backup done", 0) == 0) {
      stagingWhileDone.push_back(drive.Exists(Root("~lnf-staging")));
    }
  };

  BackUp(kCommand5);
  drive.onStaged = nullptr;
  BackUp(kCommand3);
  drive.AddFile(OU("Sub\\5.cab"));
  BackUp(kCommand5);

  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{
                                "Backup done in C:\\LNF_INV\\V4. Please review the log for further "
                                "details.",
                                "Backup done in C:\\LNF_INV\\V4. Please review the log for further "
                                "details.",
                                "Backup done in C:\\LNF_INV\\OU. Please review the log for further "
                                "details.",
                                "Backup done in C:\\LNF_INV. Please review the log for further "
                                "details.",
                                "Backup done in C:\\LNF_INV\\OU. Please review the log for further "
                                "details."}));
  EXPECT_EQ(stagingWhileDone, (std::vector<bool>{true, true, false, false, false}));
  EXPECT_EQ(drive.Tree("C:\\LNF_INV"),
            (std::vector<std::string>{"OU\\", "OU\\1.cab", "OU\\2.cab", "OU\\Sub\\",
                                      "OU\\Sub\\3.cab", "OU\\Sub\\4.cab", "OU\\Sub\\5.cab", "V4\\",
                                      "V4\\Windows Update.log", "V4\\iuhist.xml", "a.gng"}));
}

// The tool's own names never stand in an inventory file's way: a file named
// like the staging folder is copied into the root as itself (and the
// backups then stage beside their copies), and files named like copies in
// progress or set aside are copied like any other, first and repeated.
TEST_F(Backup, InventoryFilesNamedLikeTheToolsOwnAreCopiedAsThemselves) {
  for (const char* name : {"~lnf-staging", "~lnf-0.tmp", "~lnf-1.old", "~LNF-2.TMP"}) {
    drive.AddFile(WU(name), name, Date(2005));
  }
  drive.AddFile(WU("x.gng"), "x", Date(2005));  // so that the check finds the kind
  drive.AddFile(WU("V4\\iuhist.xml"), "<xml/>");
  drive.AddFile("C:\\WINDOWS\\Windows Update.log", "log");
  drive.AddFile(OU("~lnf-staging"), "ou");
  Check();
  BackUp(kCommand3);
  BackUp(kCommand3);
  BackUp(kCommand4);
  BackUp(kCommand5);
  BackUp(kCommand5);

  EXPECT_EQ(drive.Messages().size(), 5u);
  for (const auto& message : drive.Messages()) EXPECT_EQ(message.title, "Backup Inventory");
  EXPECT_EQ(drive.Tree("C:\\LNF_INV"),
            (std::vector<std::string>{"OU\\", "OU\\~lnf-staging", "V4\\", "V4\\Windows Update.log",
                                      "V4\\iuhist.xml", "x.gng", "~LNF-2.TMP", "~lnf-0.tmp",
                                      "~lnf-1.old", "~lnf-staging"}));
  for (const char* name : {"~lnf-staging", "~lnf-0.tmp", "~lnf-1.old", "~LNF-2.TMP"}) {
    EXPECT_EQ(drive.Contents(Root(name)), name);
  }
  EXPECT_EQ(drive.Contents(Root("OU\\~lnf-staging")), "ou");
}

// A staging folder the system refuses, or one on another volume, gives way:
// every copy is then made beside its destination, and the backups complete.
TEST_F(Backup, AStagingFolderThatCannotBeUsedGivesWayToStagingBeside) {
  drive.AddFile(WU("a.gng"), "a", Date(2005));
  drive.AddFile(OU("Sub\\o.cab"), "o");
  Check();
  drive.InjectFailure(Op::CreateFolder, Root("~lnf-staging"), kErrorAccessDenied);
  BackUp(kCommand3);
  drive.AddFolder(Root("~lnf-staging"));
  drive.InjectFailure(Op::CreateFolder, Root("~lnf-staging\\0"), kErrorAccessDenied);
  BackUp(kCommand3);
  drive.InjectFailure(Op::CopyFile, Root("~lnf-staging\\0\\~lnf-0.tmp"), kErrorAccessDenied);
  BackUp(kCommand3);
  drive.MountVolume(Root("~lnf-staging"));
  // Beside means in the destination's own folder, where the sweeps look.
  std::set<std::string> beside;
  drive.onStaged = [&](const std::string& staged) {
    if (staged.rfind(Root("~lnf-staging\\"), 0) != 0) beside.insert(staged);
  };
  BackUp(kCommand3);
  BackUp(kCommand5);
  BackUp(kCommand5);

  EXPECT_EQ(beside, (std::set<std::string>{Root("OU\\Sub\\~lnf-0.tmp"), Root("~lnf-0.tmp")}));
  EXPECT_EQ(MessageTexts().size(), 6u);
  for (const std::string& text : MessageTexts()) EXPECT_EQ(text.rfind("Backup done", 0), 0u);
  EXPECT_EQ(drive.Tree("C:\\LNF_INV"),
            (std::vector<std::string>{"OU\\", "OU\\Sub\\", "OU\\Sub\\o.cab", "a.gng"}));
}

// On a disk with less room left than a repeated copy takes, the copy
// replaces the earlier one in place, as a plain copy would; only a copy
// that does not fit even then fails (with nothing of the tool's left in the
// root; the earlier copy, written over, may be cut short then).
TEST_F(Backup, ARepeatOnADiskTooFullForTwoCopiesReplacesInPlace) {
  drive.AddFile(WU("big.gng"), std::string(1200, 'a'), Date(2005), kAttrReadOnly);
  drive.AddFile(WU("small.gng"), "s", Date(2005));
  Check();
  BackUp(kCommand3);
  drive.SetCapacity("C:", 2 * 1200 + 2 + 800);
  drive.AddFile(WU("big.gng"), std::string(1250, 'b'), Date(2006), kAttrReadOnly);
  drive.ClearMessages();
  BackUp(kCommand3);
  ExpectOnlyMessage("Backup done in C:\\LNF_INV. Please review the log for further details.", 64,
                    "Backup Inventory");
  EXPECT_EQ(drive.Contents(Root("big.gng")), std::string(1250, 'b'));
  EXPECT_TRUE(drive.Attributes(Root("big.gng")) & kAttrReadOnly);

  // 100 bytes free: with the earlier copy's 1250 not enough either.
  drive.AddFile(WU("big.gng"), std::string(1400, 'c'), Date(2007));
  drive.SetCapacity("C:", 1401 + 1251 + 100);
  drive.ClearMessages();
  BackUp(kCommand3);
  ExpectFailureReportOnly(kErrorDiskFull);
  EXPECT_EQ(drive.Tree("C:\\LNF_INV"), (std::vector<std::string>{"big.gng", "small.gng"}));
}

// When the new copy cannot take the earlier one's place (another program
// opened it at that moment), the earlier copy is still there afterwards,
// also on Windows 9x, where it steps aside first.
TEST_F(Backup, ACopyThatCannotTakeItsPlaceLeavesTheEarlierOne) {
  for (const bool windows9x : {false, true}) {
    SCOPED_TRACE(windows9x ? "9x" : "NT");
    FormOnMemoryDrive run;
    run.drive.SetWindows9x(windows9x);
    run.drive.AddFile(WU("a.gng"), "earlier", Date(2005));
    run.form.Click(kCommand1);
    run.BackUp(kCommand3);
    run.drive.AddFile(WU("a.gng"), "later", Date(2005));
    run.drive.onStaged = [&](const std::string& staged) { run.drive.HoldOpen(staged); };
    run.drive.ClearMessages();
    run.BackUp(kCommand3);
    ASSERT_EQ(run.MessageTexts().size(), 1u);
    EXPECT_EQ(run.MessageTexts()[0].rfind("Error 32: ", 0), 0u) << run.MessageTexts()[0];
    EXPECT_EQ(run.drive.Contents(Root("a.gng")), "earlier");

    // With the new copy held as well, a folder in its way is what is told
    // (access denied), not the rename's sharing violation.
    run.drive.Remove(WU("a.gng"));
    run.drive.AddFile(WU("b.gng"), "b", Date(2005));
    run.drive.AddFolder(Root("b.gng"));
    run.drive.ClearMessages();
    run.BackUp(kCommand3);
    ASSERT_EQ(run.MessageTexts().size(), 1u);
    EXPECT_EQ(run.MessageTexts()[0].rfind("Error 5: ", 0), 0u) << run.MessageTexts()[0];
    EXPECT_TRUE(run.drive.IsFolder(Root("b.gng")));
  }
}

// Windows 9x lists a name its ANSI code page cannot spell with '?' in it,
// which opens nothing. Such a file is copied through its short name, under
// that name, and logged under the name the system gives; the files after it
// are copied too. The Office Update tree gets the same, folders too.
TEST_F(Backup, On9xNamesTheCodePageCannotSpellAreCopiedByTheirShortNames) {
  drive.SetWindows9x(true);
  drive.AddFile(WU("a.gng"), "a", Date(2001));
  drive.AddFile(WU("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.inv"), "privet",
                Date(2001));  // "Привет.inv"
  drive.AddFile(WU("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xBA\xD0\xB0\xD0\xB7.inv"), "prikaz",
                Date(2001));                              // "Приказ.inv": the same short stem
  drive.AddFile(WU("\xC3\x96l.gng"), "oel", Date(2001));  // "Öl.gng": Western, spelled
  drive.AddFile(WU("z.gng"), "z", Date(2001));
  drive.AddFile(OU("\xD0\x96\\\xD1\x88.txt"), "sh");  // "Ж\ш.txt"
  Check();
  BackUp(kCommand3);
  BackUp(kCommand5);

  EXPECT_EQ(drive.Tree("C:\\LNF_INV"),
            (std::vector<std::string>{"OU\\", "OU\\_~1\\", "OU\\_~1\\_~1.TXT", "______~1.INV",
                                      "______~2.INV", "a.gng", "z.gng", "\xC3\x96l.gng"}));
  EXPECT_EQ(drive.Contents(Root("______~1.INV")), "privet");
  EXPECT_EQ(drive.Contents(Root("______~2.INV")), "prikaz");
  EXPECT_EQ(drive.Contents(Root("OU\\_~1\\_~1.TXT")), "sh");
  EXPECT_EQ(EntriesSinceCheck(), (std::vector<std::string>{
                                     ") [a.gng] File copied successfully.",
                                     ") [??????.inv] File copied successfully.",
                                     ") [??????.inv] File copied successfully.",
                                     ") [\xC3\x96l.gng] File copied successfully.",
                                     ") [z.gng] File copied successfully.",
                                     ") [OfficeUpdate] Directory copied successfully.",
                                 }));
  EXPECT_EQ(MessageTexts().size(), 2u);
  for (const std::string& text : MessageTexts()) EXPECT_EQ(text.rfind("Backup done", 0), 0u);
}

// On a folder that tells case apart, "A.inv" and "a.inv" are two files; in
// the backup root they would be one. The second is reported as a failure
// instead of being copied over the first and logged as copied. The Office
// Update tree gets the same from folders whose names differ only in case.
TEST_F(Backup, NamesThatDifferOnlyInCaseAreReportedNotCopiedOverEachOther) {
  drive.SetCaseSensitive(kWU);
  drive.AddFile(WU("A.inv"), "upper", Date(2001));
  drive.AddFile(WU("a.inv"), "lower", Date(2001));
  drive.AddFile(WU("b.inv"), "b", Date(2001));
  drive.SetCaseSensitive(kOU);
  drive.AddFile(OU("Ärger\\x.txt"), "first");
  drive.AddFile(OU("ärger\\X.TXT"), "second");
  drive.AddFile(OU("z.txt"), "z");
  Check();

  BackUp(kCommand3);
  ExpectFailureReportOnly(kErrorFileExists);
  EXPECT_EQ(drive.Messages()[0].text,
            "Error 80: The file exists.\r\n\r\n" + WU("a.inv") + " -> " + Root("a.inv"));
  EXPECT_EQ(drive.Tree("C:\\LNF_INV"), (std::vector<std::string>{"A.inv"}));
  EXPECT_EQ(drive.Contents(Root("A.inv")), "upper");
  EXPECT_EQ(EntriesSinceCheck(), (std::vector<std::string>{") [A.inv] File copied successfully."}));

  drive.ClearMessages();
  BackUp(kCommand5);
  ExpectFailureReportOnly(kErrorFileExists);
  EXPECT_EQ(drive.Contents(Root("OU\\Ärger\\x.txt")), "first");
  EXPECT_EQ(EntriesSinceCheck().size(), 1u) << "no success entry for the tree";
}

// Another program can click a button that is not on screen (its frame
// hidden, or before any check). Nothing runs: no box, nothing created or
// copied. A backup handler reached with the path variables still empty
// does nothing either, rather than work relative to the current folder.
TEST_F(Backup, HiddenButtonsAndEmptyPathsRunNothing) {
  drive.AddFile(WU("a.gng"), "a", Date(2001));
  drive.AddFile(WU("V4\\iuhist.xml"));
  drive.AddFile("C:\\WINDOWS\\Windows Update.log");
  drive.AddFile(OU("o.txt"));
  const std::vector<std::string> before = drive.Tree("C:");
  auto expectNothingDone = [&](const char* when) {
    EXPECT_TRUE(drive.Messages().empty()) << when;
    EXPECT_EQ(drive.CopyCount(), 0) << when;
    EXPECT_EQ(drive.Tree("C:"), before) << when;
    EXPECT_FALSE(drive.Exists("LNF_INV") || drive.Exists("\\LNF_INV")) << when;
    EXPECT_TRUE(LogEntries().empty() || LogEntries().back() == ") Files found.") << when;
  };

  for (ControlId button : {kCommand3, kCommand4, kCommand5, kV3btn, kV4btn, kOuBtn}) {
    form.Click(button);
  }
  EXPECT_FALSE(form.IsVisible(kV3Frame) || form.IsVisible(kV4frame) || form.IsVisible(kOuFrame));
  expectNothingDone("before any check");
  Command3_Click(form);
  Command4_Click(form);
  Command5_Click(form);
  expectNothingDone("handlers on empty paths");
  form.SYSDRIVE = "C:\\";
  Command3_Click(form);
  Command4_Click(form);
  Command5_Click(form);
  expectNothingDone("handlers on empty client folders");

  // After a check, a backup button whose frame is not the one shown.
  Check();
  form.Click(kV3btn);
  form.Click(kCommand4);
  form.Click(kCommand5);
  expectNothingDone("frame hidden");
  form.Click(kCommand3);
  EXPECT_EQ(drive.Contents(Root("a.gng")), "a");
}

TEST_F(Backup, V4CopiesTheLogThenIuhistIntoV4) {
  drive.AddFile("C:\\WINDOWS\\Windows Update.log", "log", Date(2003));
  drive.AddFile(WU("V4\\iuhist.xml"), "<xml/>", Date(2003));
  Check();
  BackUp(kCommand4);
  EXPECT_EQ(drive.Copied(),
            (std::vector<std::string>{Root("V4\\Windows Update.log"), Root("V4\\iuhist.xml")}));
  EXPECT_EQ(drive.Contents(Root("V4\\iuhist.xml")), "<xml/>");
  EXPECT_EQ(EntriesSinceCheck(),
            (std::vector<std::string>{") [Windows Update.log] File copied successfully.",
                                      ") [iuhist.xml] File copied successfully."}));
  ExpectOnlyMessage("Backup done in C:\\LNF_INV\\V4. Please review the log for further details.",
                    64, "Backup Inventory");

  drive.ClearMessages();
  const Told told = Run(BackUpV4);
  EXPECT_EQ(told.copies, (std::vector<std::string>{Root("V4\\"), Root("V4\\Windows Update.log"),
                                                   Root("V4\\iuhist.xml")}));
  EXPECT_TRUE(told.completed);
  EXPECT_EQ(EntriesSinceCheck().size(), 4u);
  EXPECT_EQ(drive.Messages().size(), 1u);
}

TEST_F(Backup, V4ReadsWindirWhenItRuns) {
  drive.AddFile(WU("V4\\iuhist.xml"));
  drive.AddFile("C:\\WINNT\\Windows Update.log", "winnt");
  Check();
  drive.SetEnvironmentValue("windir", "C:\\WINNT");
  BackUp(kCommand4);
  EXPECT_EQ(drive.Contents(Root("V4\\Windows Update.log")), "winnt");
}

TEST_F(Backup, V4WithoutTheLogFailsAtItsFirstCopy) {
  drive.AddFile(WU("V4\\iuhist.xml"));
  Check();
  const Told told = Run(BackUpV4);
  EXPECT_EQ(told.copies, std::vector<std::string>{Root("V4\\")});
  EXPECT_FALSE(told.completed);
  ExpectFailureReportOnly(kErrorFileNotFound);
  EXPECT_TRUE(drive.IsFolder(Root("V4")));
  EXPECT_TRUE(drive.Tree(Root("V4")).empty());
  EXPECT_TRUE(EntriesSinceCheck().empty());
}

TEST_F(Backup, OfficeUpdateCopiesTheWholeTreeIntoOU) {
  drive.AddFolder(kWU);
  drive.AddFile(OU("top.txt"), "top");
  drive.AddFile(OU("A\\a.txt"), "a");
  drive.AddFile(OU("A\\A1\\a1.txt"), "a1");
  drive.AddFolder(OU("A\\Empty"));
  drive.AddFile(OU("B\\b.txt"), "b");
  drive.AddFile(OU("hidden.txt"), "h", Date(2001), kAttrHidden);
  drive.AddFolder(OU("Sys"), kAttrDirectory | kAttrSystem);
  drive.AddFile(OU("Sys\\inside.txt"));
  Check();
  // Built in the staging folder, told by the names the copies have after.
  const Told told = Run(BackUpOfficeUpdate);
  EXPECT_EQ(told.copies, (std::vector<std::string>{
                             Root("OU\\"), Root("OU\\top.txt"), Root("OU\\A\\"),
                             Root("OU\\A\\a.txt"), Root("OU\\A\\A1\\"), Root("OU\\A\\A1\\a1.txt"),
                             Root("OU\\A\\Empty\\"), Root("OU\\B\\"), Root("OU\\B\\b.txt")}));
  EXPECT_TRUE(told.completed);
  EXPECT_EQ(drive.Tree(Root("OU")),
            (std::vector<std::string>{"A\\", "A\\A1\\", "A\\A1\\a1.txt", "A\\Empty\\", "A\\a.txt",
                                      "B\\", "B\\b.txt", "top.txt"}));
  EXPECT_EQ(drive.Contents(Root("OU\\A\\A1\\a1.txt")), "a1");
  EXPECT_EQ(EntriesSinceCheck(),
            (std::vector<std::string>{") [OfficeUpdate] Directory copied successfully."}));
  ExpectOnlyMessage("Backup done in C:\\LNF_INV\\OU. Please review the log for further details.",
                    64, "Backup Inventory");

  // Again: the folders are reused, the files replaced.
  drive.AddFile(OU("A\\A1\\a1.txt"), "a1 again");
  BackUp(kCommand5);
  EXPECT_EQ(drive.Contents(Root("OU\\A\\A1\\a1.txt")), "a1 again");
  EXPECT_EQ(drive.Messages().size(), 2u);
}

// Links as Windows shows them: a folder link back to its parent and one to
// the drive's root are not descended into; a file link is copied as its
// content, a dangling one is not listed.
TEST_F(Backup, OfficeUpdateDoesNotFollowFolderLinks) {
  drive.AddFolder(kWU);
  drive.AddFile("C:\\elsewhere.txt", "elsewhere");
  drive.AddFile(OU("top.txt"), "top");
  drive.AddFile(OU("A\\a.txt"), "a");
  drive.AddFolderLink(OU("A\\back"), kOU);
  drive.AddFolderLink(OU("root"), "C:\\");
  drive.AddFileLink(OU("A\\linked.txt"), "C:\\elsewhere.txt");
  drive.AddFileLink(OU("A\\dangling.txt"), "C:\\gone.txt");
  drive.AddFile(OU("B\\b.txt"), "b");
  Check();
  BackUp(kCommand5);
  EXPECT_EQ(drive.Tree(Root("OU")), (std::vector<std::string>{"A\\", "A\\a.txt", "A\\linked.txt",
                                                              "B\\", "B\\b.txt", "top.txt"}));
  EXPECT_EQ(drive.Contents(Root("OU\\A\\linked.txt")), "elsewhere");
  // Each folder link left out is said, where the copy met it.
  EXPECT_EQ(EntriesSinceCheck(),
            (std::vector<std::string>{") [" + OU("A\\back") + "] Folder link not followed.",
                                      ") [" + OU("root") + "] Folder link not followed.",
                                      ") [OfficeUpdate] Directory copied successfully."}));
  ExpectOnlyMessage("Backup done in C:\\LNF_INV\\OU. Please review the log for further details.",
                    64, "Backup Inventory");
}

TEST_F(Backup, OfficeUpdateRemovedAfterTheCheckIsNotReportedAsBackedUp) {
  drive.AddFolder(kWU);
  drive.AddFile(OU("a.txt"));
  Check();
  drive.Remove(kOU);
  const Told told = Run(BackUpOfficeUpdate);
  EXPECT_TRUE(told.copies.empty());
  EXPECT_FALSE(told.completed);
  ExpectOnlyMessage("Source directory does not exist!", 0, "LNF_INVTOOL");
  EXPECT_TRUE(EntriesSinceCheck().empty());
  EXPECT_TRUE(drive.IsFolder(Root("OU")));
  EXPECT_TRUE(drive.Tree(Root("OU")).empty());
}

TEST_F(Backup, OfficeUpdateCopyFailingDeepDownKeepsEarlierCopies) {
  drive.AddFolder(kWU);
  drive.AddFile(OU("top.txt"));
  drive.AddFile(OU("A\\a.txt"));
  drive.AddFile(OU("B\\b.txt"));
  Check();
  // The first backup builds the tree in the staging folder; a failure there
  // is told by the name the copy was to have.
  drive.InjectFailure(Op::CopyFile, Root("~lnf-staging\\0\\OU\\A\\a.txt"), kErrorAccessDenied);
  const Told told = Run(BackUpOfficeUpdate);
  EXPECT_EQ(told.copies,
            (std::vector<std::string>{Root("OU\\"), Root("OU\\top.txt"), Root("OU\\A\\")}));
  EXPECT_FALSE(told.completed);
  ExpectFailureReportOnly(kErrorAccessDenied);
  EXPECT_EQ(drive.Messages()[0].text,
            "Error 5: Access is denied.\r\n\r\n" + OU("A\\a.txt") + " -> " + Root("OU\\A\\a.txt"));
  EXPECT_TRUE(drive.Exists(Root("OU\\top.txt")));
  EXPECT_FALSE(drive.Exists(Root("OU\\B")));
  EXPECT_TRUE(EntriesSinceCheck().empty());
}

}  // namespace
}  // namespace lnf

namespace lnf {
namespace {

using namespace lnf::testing;

// The installation's folders, as the path variables hold them: its Windows
// folder (windir), its Windows Update and Office Update client folders.
struct InstallationPaths {
  std::string windir;
  std::string wudir;
  std::string oudir;
};

// Every kind's plan for `paths` (an empty folder leaves its kinds out),
// sorted into what the backups take and what they leave out.
struct BackupPlan {
  std::vector<PlannedFile> files;
  std::vector<std::string> newerThanCutOff;  // by the name the system gives
  std::vector<std::string> missing;          // full paths
  std::vector<std::string> folderLinks;      // full paths
};

BackupPlan PlanBackups(FileSystem& files, const InstallationPaths& paths) {
  BackupPlan plan;
  auto sort = [&plan](PlannedFile& entry) {
    switch (entry.take) {
      case Take::kCopy:
        plan.files.push_back(std::move(entry));
        break;
      case Take::kNewerThanCutOff:
        plan.newerThanCutOff.push_back(entry.facts.name);
        break;
      case Take::kMissing:
        plan.missing.push_back(entry.source);
        break;
      case Take::kFolderLink:
        plan.folderLinks.push_back(entry.source);
        break;
    }
    return true;
  };
  if (!paths.wudir.empty()) {
    for (PlannedFile& file : PlanV2V31(files, paths.wudir)) sort(file);
    for (PlannedFile& file : PlanV4(files, paths.windir, paths.wudir)) sort(file);
  }
  if (!paths.oudir.empty() && DirectoryExists(files, paths.oudir)) {
    plan.files.push_back({BackupKind::kOfficeUpdate, paths.oudir, "OU", {}, true});
    PlanTree(files, paths.oudir, "OU\\", sort);
  }
  return plan;
}

// The plan names what the three backups copy, on the running system's tree
// and on another drive's alike, by listing alone.
TEST_F(Backup, ThePlanTakesWhatTheBackupsCopyAndWritesNothing) {
  auto build = [&](const std::string& windir, const std::string& wu, const std::string& ou) {
    drive.AddFile(wu + "\\old.inv", "old", Date(2011, 12, 31, 23, 59));
    drive.AddFile(wu + "\\new.inv", "new", Date(2012, 1, 1, 0, 0));
    drive.AddFile(wu + "\\hidden.inv", "h", Date(2001), kAttrHidden);
    drive.AddFile(wu + "\\V4\\iuhist.xml", "x");
    drive.AddFile(windir + "\\Windows Update.log", "log");
    drive.AddFile(ou + "\\top.txt", "top");
    drive.AddFile(ou + "\\A\\a.txt", "a");
    drive.AddFile(ou + "\\A\\h.txt", "h", Date(2001), kAttrHidden);
    drive.AddFolder(ou + "\\Sys", kAttrDirectory | kAttrSystem);
    drive.AddFile(ou + "\\Sys\\inside.txt");
    drive.AddFolderLink(ou + "\\A\\back", ou);
  };
  build("C:\\WINDOWS", kWU, kOU);
  build("E:\\WIN98", "E:\\Programme\\WindowsUpdate", "E:\\Programme\\OfficeUpdate");
  drive.SetEnvironmentValue("windir", "C:\\WINDOWS");
  Check();
  std::vector<std::string> copied;
  for (auto backUp : {BackUpV2V31, BackUpV4, BackUpOfficeUpdate}) {
    for (const std::string& copy : Run(backUp).copies) {
      if (copy.back() != '\\') copied.push_back(copy.substr(Root("").size()));
    }
  }
  ASSERT_EQ(copied, (std::vector<std::string>{"old.inv", "V4\\Windows Update.log", "V4\\iuhist.xml",
                                              "OU\\top.txt", "OU\\A\\a.txt"}));

  const int copies = drive.CopyCount();
  for (const InstallationPaths& paths :
       {InstallationPaths{"C:\\WINDOWS", kWU, kOU},
        InstallationPaths{"E:\\WIN98", "E:\\Programme\\WindowsUpdate",
                          "E:\\Programme\\OfficeUpdate"}}) {
    const BackupPlan plan = PlanBackups(drive, paths);
    std::vector<std::string> names;
    std::vector<PlannedFile> files;
    for (const PlannedFile& file : plan.files) {
      if (file.folder) continue;
      names.push_back(file.name);
      files.push_back(file);
    }
    EXPECT_EQ(names, copied);
    EXPECT_EQ(plan.files.size(), 7u);  // OU and OU\A
    ASSERT_EQ(files.size(), 5u);
    EXPECT_EQ(files[0].source, paths.wudir + "\\old.inv");
    EXPECT_EQ(files[0].facts.size, 3u);
    EXPECT_EQ(files[1].kind, BackupKind::kV4);
    EXPECT_EQ(files[1].source, paths.windir + "\\Windows Update.log");
    EXPECT_EQ(files[4].kind, BackupKind::kOfficeUpdate);
    EXPECT_EQ(files[4].source, paths.oudir + "\\A\\a.txt");
    EXPECT_EQ(plan.newerThanCutOff, std::vector<std::string>{"new.inv"});
    EXPECT_EQ(plan.folderLinks, std::vector<std::string>{paths.oudir + "\\A\\back"});
    EXPECT_TRUE(plan.missing.empty());
  }
  EXPECT_EQ(drive.CopyCount(), copies);

  // A V4 file not there is said, not guessed; an empty folder variable
  // plans nothing of its kinds.
  drive.Remove("E:\\WIN98\\Windows Update.log");
  const BackupPlan plan = PlanBackups(drive, {"E:\\WIN98", "", "E:\\Programme\\OfficeUpdate"});
  EXPECT_EQ(plan.files.size(), 4u);
  EXPECT_TRUE(plan.missing.empty());
  const BackupPlan v4 = PlanBackups(drive, {"E:\\WIN98", "E:\\Programme\\WindowsUpdate", ""});
  EXPECT_EQ(v4.missing, std::vector<std::string>{"E:\\WIN98\\Windows Update.log"});
  EXPECT_EQ(v4.files.size(), 2u);
}

}  // namespace
}  // namespace lnf
