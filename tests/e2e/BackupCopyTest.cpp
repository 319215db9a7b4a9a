// The backups that go well: what each kind copies, and what it leaves out.
#include "BackupTest.h"

namespace lnf::e2e {
namespace {

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

  ASSERT_NO_FATAL_FAILURE(BackUpOfficeUpdate());
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
// grew too long. It is left out and logged by its path; the rest of the tree
// is copied and the backup ends well.
TEST_F(Backup, OfficeUpdateLeavesOutAFolderLinkBackToItsParent) {
  ASSERT_TRUE(MakeFolders(layout().wuDir));
  Put(Ou(L"a.cab"), Bytes("a"));
  Put(Ou(L"Sub\\c.txt"), Bytes("c"));
  ASSERT_TRUE(MakeHostLink(Ou(L"Sub\\back"), "..")) << "no link made";
  Put(Ou(L"Sub2\\d.txt"), Bytes("d"));

  ASSERT_NO_FATAL_FAILURE(
      BackUpOfficeUpdate({L") [" + Ou(L"Sub\\back") + L"] Folder link not followed."}));
  EXPECT_EQ(Tree(layout().backupRoot), (Files{{L"OU", kFolder},
                                              {L"OU\\a.cab", Bytes("a")},
                                              {L"OU\\Sub", kFolder},
                                              {L"OU\\Sub\\c.txt", Bytes("c")},
                                              {L"OU\\Sub2", kFolder},
                                              {L"OU\\Sub2\\d.txt", Bytes("d")}}));
}

}  // namespace
}  // namespace lnf::e2e
