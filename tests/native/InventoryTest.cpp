#include <gtest/gtest.h>

#include "PeImage.h"
#include "TestSupport.h"
#include "inventory/InventoryCheck.h"
#include "inventory/VersionResource.h"

namespace lnf {
namespace {

using namespace lnf::testing;

const std::vector<std::string> kAllThreeKinds = {
    ") Retrieving Windows Update V3.1 inventories...", ") Files found.",
    ") Retrieving Windows Update V4 inventories...",   ") Files found.",
    ") Retrieving Office Update inventories...",       ") Files found."};

class InventoryCheck : public ::testing::Test, public FormOnMemoryDrive {
 protected:
  void MakeAllThreeKinds() {
    drive.AddFile(WU("en.gng"));
    drive.AddFile(WU("91026abc.as"));
    drive.AddFile(WU("V4\\iuhist.xml"));
    drive.AddFile("C:\\WINDOWS\\Windows Update.log");
    drive.AddFile(OU("opuc.dll"));
    drive.AddFile(OU("sub\\deep.cab"));
  }
  bool Shown(ControlId id) const { return form.IsVisible(id); }
  void ExpectNotice(bool selectText, std::size_t logEntries = 0) {
    EXPECT_TRUE(Shown(kNoInvLbl));
    EXPECT_TRUE(Shown(kNoInvText));
    EXPECT_EQ(Shown(kSelectText), selectText);
    for (ControlId id : {kV3btn, kV4btn, kOuBtn, kV3Frame, kV4frame, kOuFrame}) {
      EXPECT_FALSE(Shown(id));
    }
    for (ControlId id : {kV3InvFilesList, kV4InvFilesList, kOuInvFilesList}) {
      EXPECT_EQ(form.Text(id), "");
    }
    EXPECT_EQ(LogEntries().size(), logEntries);
  }
};

TEST_F(InventoryCheck, MissingClientFolderShowsTheNoticeAndHidesTheHint) {
  drive.AddFolder(kOU);  // not even looked at
  form.Click(kCommand1);
  ExpectNotice(/*selectText=*/false);
  EXPECT_EQ(form.SYSDRIVE, "C:\\");
  EXPECT_EQ(form.WUDIR, kWU);
  EXPECT_EQ(form.OUDIR, kOU);
}

TEST_F(InventoryCheck, HiddenClientFolderCountsAsMissing) {
  drive.AddFolder(kWU, kAttrDirectory | kAttrHidden);
  drive.AddFile(WU("en.gng"));
  form.Click(kCommand1);
  ExpectNotice(/*selectText=*/false);
}

TEST_F(InventoryCheck, EmptyClientFolderWithoutOfficeUpdateShowsTheNoticeAndKeepsTheHint) {
  drive.AddFolder(kWU);
  form.Click(kCommand1);
  ExpectNotice(/*selectText=*/true);
}

TEST_F(InventoryCheck, EmptyOfficeUpdateFolderAloneIsAnInventory) {
  drive.AddFolder(kWU);
  drive.AddFolder(kOU);
  form.Click(kCommand1);
  EXPECT_FALSE(Shown(kV3btn) || Shown(kV4btn));
  EXPECT_TRUE(Shown(kOuBtn));
  EXPECT_FALSE(Shown(kNoInvLbl) || Shown(kNoInvText));
  EXPECT_TRUE(Shown(kSelectText));
  EXPECT_EQ(form.Text(kOuInvFilesList), "");
  EXPECT_EQ(LogEntries(), (std::vector<std::string>{") Retrieving Office Update inventories...",
                                                    ") Files found."}));
}

TEST_F(InventoryCheck, AllThreeKindsAreListedAndLoggedInOrder) {
  MakeAllThreeKinds();
  form.Click(kCommand1);
  for (ControlId id : {kV3btn, kV4btn, kOuBtn, kSelectText}) EXPECT_TRUE(Shown(id));
  for (ControlId id : {kV3Frame, kV4frame, kOuFrame, kNoInvLbl, kNoInvText}) {
    EXPECT_FALSE(Shown(id));
  }
  EXPECT_EQ(form.Text(kV3InvFilesList), "en.gng\r\n91026abc.as");
  EXPECT_EQ(form.Text(kV4InvFilesList), "Windows Update.log\r\niuhist.xml");
  EXPECT_EQ(form.Text(kOuInvFilesList), "opuc.dll");
  EXPECT_EQ(form.Text(kLabel9), "en");
  EXPECT_EQ(form.Text(kLabel11), "6.0");
  EXPECT_EQ(form.Text(kLabel13), "Windows 98");
  EXPECT_EQ(LogEntries(), kAllThreeKinds);
  EXPECT_TRUE(drive.Messages().empty());
}

TEST_F(InventoryCheck, EachKindAloneShowsOnlyItsButton) {
  struct Case {
    std::vector<std::string> files;
    ControlId button;
  };
  for (const Case& c : {Case{{WU("x.bm")}, kV3btn}, Case{{WU("V4\\iuhist.xml")}, kV4btn},
                        Case{{OU("a.txt")}, kOuBtn}}) {
    FormOnMemoryDrive fresh;
    fresh.drive.AddFolder(kWU);
    for (const std::string& file : c.files) fresh.drive.AddFile(file);
    fresh.form.Click(kCommand1);
    for (ControlId id : {kV3btn, kV4btn, kOuBtn}) {
      EXPECT_EQ(fresh.form.IsVisible(id), id == c.button) << c.files[0];
    }
    EXPECT_EQ(fresh.LogEntries().size(), 2u);
  }
}

TEST_F(InventoryCheck, ASecondPressResetsEverythingAndTheLogGrows) {
  MakeAllThreeKinds();
  drive.AddFile(WU("90720.as"));
  form.Click(kCommand1);
  form.Click(kV3btn);
  ASSERT_EQ(form.Text(kLabel13), "Windows 2000");

  drive.Remove(WU("V4"));
  drive.Remove(WU("en.gng"));
  drive.Remove(WU("90720.as"));
  form.Click(kCommand1);
  EXPECT_FALSE(Shown(kV3Frame));
  EXPECT_FALSE(Shown(kV4btn));
  EXPECT_EQ(form.Text(kV4InvFilesList), "");
  EXPECT_EQ(form.Text(kV3InvFilesList), "91026abc.as");
  EXPECT_EQ(form.Text(kLabel9), "Unknown");
  EXPECT_EQ(form.Text(kLabel13), "Windows 98");
  std::vector<std::string> expected = kAllThreeKinds;
  expected.insert(expected.end(),
                  {") Retrieving Windows Update V3.1 inventories...", ") Files found.",
                   ") Retrieving Office Update inventories...", ") Files found."});
  EXPECT_EQ(LogEntries(), expected);

  // The folder gone altogether: lists and captions are emptied as well.
  drive.Remove(kWU);
  form.Click(kCommand1);
  ExpectNotice(/*selectText=*/false, expected.size());
}

TEST_F(InventoryCheck, WindirOnAnotherDriveMovesBothClientFolders) {
  drive.SetEnvironmentValue("windir", "d:\\WINNT");
  drive.AddFolder("d:\\WINNT");
  drive.AddFile("D:\\Program Files\\WindowsUpdate\\en.gng");
  drive.AddFolder("D:\\Program Files\\OfficeUpdate");
  MakeAllThreeKinds();  // on C:, and so not looked at
  form.Click(kCommand1);
  EXPECT_EQ(form.SYSDRIVE, "d:\\");
  EXPECT_EQ(form.WUDIR, "d:\\Program Files\\WindowsUpdate");
  EXPECT_EQ(form.OUDIR, "d:\\Program Files\\OfficeUpdate");
  EXPECT_TRUE(Shown(kV3btn) && Shown(kOuBtn));
  EXPECT_FALSE(Shown(kV4btn));
  EXPECT_EQ(form.Text(kV3InvFilesList), "en.gng");
}

// Setup names the program-files folder in the system's language or puts it
// elsewhere: a client folder missing under "Program Files" is looked for in
// the system's own, each of the two on its own; the drive stays windir's.
TEST_F(InventoryCheck, AClientFolderMissingUnderProgramFilesIsTakenFromTheSystemsOwn) {
  drive.SetProgramFilesFolder("C:\\Programme");
  drive.AddFile("C:\\Programme\\WindowsUpdate\\en.gng");
  drive.AddFolder("C:\\Programme\\OfficeUpdate");
  form.Click(kCommand1);
  EXPECT_EQ(form.SYSDRIVE, "C:\\");
  EXPECT_EQ(form.WUDIR, "C:\\Programme\\WindowsUpdate");
  EXPECT_EQ(form.OUDIR, "C:\\Programme\\OfficeUpdate");
  EXPECT_TRUE(Shown(kV3btn) && Shown(kOuBtn));
  EXPECT_EQ(form.Text(kV3InvFilesList), "en.gng");
  BackUp(kCommand3);
  EXPECT_TRUE(drive.Exists("C:\\LNF_INV\\en.gng"));

  drive.AddFolder(kOU);
  form.Click(kCommand1);
  EXPECT_EQ(form.WUDIR, "C:\\Programme\\WindowsUpdate");
  EXPECT_EQ(form.OUDIR, kOU);

  // A name that is not absolute would be resolved against the current
  // folder: it counts as none.
  for (const char* relative : {"Programme", "\\Programme", "C:Programme"}) {
    drive.SetProgramFilesFolder(relative);
    drive.AddFile(std::string(relative) + "\\WindowsUpdate\\en.gng");
    form.Click(kCommand1);
    EXPECT_EQ(form.WUDIR, kWU) << relative;
  }
}

// Real NT refuses a search under a file with ERROR_DIRECTORY: no match, as a
// missing folder is. A drive that cannot be read stays a failure (below).
TEST_F(InventoryCheck, AFileWhereAFolderShouldBeIsNoMatch) {
  drive.AddFile(WU("en.gng"));
  drive.AddFile(WU("V4"));
  drive.AddFile(kOU);
  form.Click(kCommand1);
  EXPECT_TRUE(Shown(kV3btn));
  EXPECT_FALSE(Shown(kV4btn) || Shown(kOuBtn));
  EXPECT_TRUE(drive.Messages().empty());

  drive.Remove(kWU);
  drive.AddFile(kWU);
  form.Click(kCommand1);
  ExpectNotice(/*selectText=*/true, /*logEntries=*/2);
  EXPECT_TRUE(drive.Messages().empty());
}

TEST_F(InventoryCheck, MissingWindirBuildsPathsFromNothingAndFindsNothing) {
  drive.UnsetEnvironmentValue("windir");
  MakeAllThreeKinds();
  form.Click(kCommand1);
  EXPECT_EQ(form.SYSDRIVE, ":\\");
  ExpectNotice(/*selectText=*/false);
}

// Folder entries, hidden and system files are neither probed, listed nor decoded.
TEST_F(InventoryCheck, OnlyOrdinaryFilesCount) {
  drive.AddFolder(WU("old.inv"));
  drive.AddFile(WU("hidden.gng"), "", Date(2001), kAttrHidden);
  drive.AddFile(WU("system.as"), "", Date(2001), kAttrSystem);
  form.Click(kCommand1);
  ExpectNotice(/*selectText=*/true);

  drive.AddFile(WU("readonly.bm"), "", Date(2001), kAttrReadOnly | kAttrArchive);
  form.Click(kCommand1);
  EXPECT_TRUE(Shown(kV3btn));
  EXPECT_EQ(form.Text(kV3InvFilesList), "readonly.bm");
  EXPECT_EQ(form.Text(kLabel9), "Unknown");
  EXPECT_EQ(form.Text(kLabel13), "Unknown");
}

TEST_F(InventoryCheck, V4LogFileThatIsAFolderOrHiddenCountsAsAbsent) {
  drive.AddFile(WU("V4\\iuhist.xml"));
  drive.AddFolder("C:\\WINDOWS\\Windows Update.log");
  form.Click(kCommand1);
  EXPECT_EQ(form.Text(kV4InvFilesList), "iuhist.xml");

  drive.Remove("C:\\WINDOWS\\Windows Update.log");
  drive.AddFile("C:\\WINDOWS\\WINDOWS UPDATE.LOG", "", Date(2001), kAttrHidden);
  form.Click(kCommand1);
  EXPECT_EQ(form.Text(kV4InvFilesList), "iuhist.xml");

  // Listed under its fixed name whatever case it has on disk.
  drive.SetAttributes("C:\\WINDOWS\\WINDOWS UPDATE.LOG", kAttrArchive);
  form.Click(kCommand1);
  EXPECT_EQ(form.Text(kV4InvFilesList), "Windows Update.log\r\niuhist.xml");
}

TEST_F(InventoryCheck, OfficeUpdateListsOnlyItsOwnFilesInEnumerationOrder) {
  drive.AddFolder(kWU);
  drive.AddFile(OU("b.txt"));
  drive.AddFile(OU("a.txt"));
  drive.AddFile(OU("Sub\\c.txt"));
  drive.AddFile(OU("h.txt"), "", Date(2001), kAttrHidden);
  drive.SetEnumerationOrder(kOU, {"Sub", "b.txt", "a.txt"});
  form.Click(kCommand1);
  EXPECT_EQ(form.Text(kOuInvFilesList), "b.txt\r\na.txt");
}

// The decoding of V2/V3.1 file names.
TEST_F(InventoryCheck, NamesAreDecodedByExactEndings) {
  struct Case {
    const char* name;
    const char* language;
    const char* ie;
    const char* windows;
  };
  const Case cases[] = {
      {"de.gng", "de", "Unknown", "Unknown"},
      {".gng", "", "Unknown", "Unknown"},
      {"xgng", "", "Unknown", "Unknown"},
      {"gng", "", "Unknown", "Unknown"},  // nothing to keep: must not fail
      {"enggng", "en", "Unknown", "Unknown"},
      {"en\u00e9gng", "en", "Unknown", "Unknown"},  // characters are cut, not bytes
      {"\u65e5\u672c\u8a9egng", "\u65e5\u672c", "Unknown", "Unknown"},
      {"en.GNG", "Unknown", "Unknown", "Unknown"},
      {"en.Gng", "Unknown", "Unknown", "Unknown"},
      {"90720.as", "Unknown", "Unknown", "Windows 2000"},
      {"91026x.as", "Unknown", "6.0", "Windows 98"},
      {"90803cun.as", "Unknown", "Unknown", "CUN V3"},
      {"9070.as", "Unknown", "5.0", "Unknown"},  // the code is "9070."
      {"as", "Unknown", "Unknown", "Unknown"},
      {"91as", "Unknown", "6.0", "Unknown"},  // shorter than five: the whole name
      {"canvas", "Unknown", "Unknown", "Unknown"},
      {"90720.AS", "Unknown", "Unknown", "Unknown"},
      {"90720.bs", "Unknown", "Unknown", "Unknown"},
      {"90720.inv", "Unknown", "Unknown", "Unknown"},
  };
  for (const Case& c : cases) {
    FormOnMemoryDrive fresh;
    fresh.drive.AddFile(WU("x.inv"));
    fresh.drive.AddFile(WU(c.name));
    fresh.form.Click(kCommand1);
    EXPECT_TRUE(fresh.form.IsVisible(kV3btn)) << c.name;
    EXPECT_EQ(fresh.form.Text(kV3InvFilesList), std::string("x.inv\r\n") + c.name);
    EXPECT_EQ(fresh.form.Text(kLabel9), c.language) << c.name;
    EXPECT_EQ(fresh.form.Text(kLabel11), c.ie) << c.name;
    EXPECT_EQ(fresh.form.Text(kLabel13), c.windows) << c.name;
    EXPECT_TRUE(fresh.drive.Messages().empty()) << c.name;
  }
}

TEST_F(InventoryCheck, TheNameEnumeratedLastDecides) {
  drive.AddFile(WU("en.gng"));
  drive.AddFile(WU("91026.as"));
  drive.AddFile(WU("fr.gng"));
  drive.AddFile(WU("setup.as"));  // no known code: both versions back to "Unknown"
  drive.AddFile(WU("notes.txt"));
  form.Click(kCommand1);
  EXPECT_EQ(form.Text(kLabel9), "fr");
  EXPECT_EQ(form.Text(kLabel11), "Unknown");
  EXPECT_EQ(form.Text(kLabel13), "Unknown");

  drive.SetEnumerationOrder(kWU, {"setup.as", "fr.gng", "91026.as", "en.gng"});
  form.Click(kCommand1);
  EXPECT_EQ(form.Text(kV3InvFilesList), "setup.as\r\nfr.gng\r\n91026.as\r\nen.gng\r\nnotes.txt");
  EXPECT_EQ(form.Text(kLabel9), "en");
  EXPECT_EQ(form.Text(kLabel11), "6.0");
  EXPECT_EQ(form.Text(kLabel13), "Windows 98");
}

TEST_F(InventoryCheck, AnEnumerationFailureIsReportedAndEndsTheCheck) {
  drive.AddFile(WU("en.gng"));
  drive.InjectFailure(MemoryPlatform::Operation::Enumerate, std::string(kWU) + "\\", 21, -1);
  form.Click(kCommand1);
  ASSERT_EQ(drive.Messages().size(), 1u);
  EXPECT_EQ(drive.Messages()[0].text.rfind("Error 21: ", 0), 0u);
  EXPECT_TRUE(LogEntries().empty());

  // windir on a drive, server or share that is not there: nothing to find,
  // as in a missing folder. Access denied may hide inventories: a failure.
  for (std::uint32_t number :
       {kErrorInvalidDrive, kErrorBadNetPath, kErrorBadNetName, kErrorAccessDenied}) {
    FormOnMemoryDrive fresh;
    fresh.drive.SetEnvironmentValue("windir", "Q:\\WINDOWS");
    fresh.drive.InjectFailure(MemoryPlatform::Operation::Enumerate, "Q:\\Program Files\\", number,
                              -1);
    fresh.form.Click(kCommand1);
    EXPECT_EQ(fresh.form.IsVisible(kNoInvLbl), number != kErrorAccessDenied) << number;
    EXPECT_EQ(fresh.MessageTexts().size(), number == kErrorAccessDenied ? 1u : 0u) << number;
  }
}

// Another installation's system files, read as the bytes they are: both word
// sizes, the language from the translation or else from the directory, and
// every shortened or damaged image refused without a read past its end (the
// sanitizers see one).
TEST(VersionResource, IsReadFromTheFilesOwnBytesAndEveryDamagedImageIsRefused) {
  auto parse = [](const std::string& file, FileVersionResource& version) {
    return ParseVersionResource(std::vector<unsigned char>(file.begin(), file.end()), version);
  };
  auto numbers = [](const FileVersionResource& v) {
    return std::vector<int>{v.major, v.minor, v.build, v.revision, int(v.language)};
  };
  FileVersionResource version;
  const std::string w98 = PeWithVersion({4, 10, 0, 2222, 0x0407});
  ASSERT_TRUE(parse(w98, version));
  EXPECT_EQ(numbers(version), (std::vector<int>{4, 10, 0, 2222, 0x0407}));
  ASSERT_TRUE(parse(PeWithVersion({5, 1, 2600, 5512, 0x0409, true, true}), version));
  EXPECT_EQ(numbers(version), (std::vector<int>{5, 1, 2600, 5512, 0x0409}));
  ASSERT_TRUE(parse(PeWithVersion({6, 0, 2800, 1106, 0x0411, false}), version));
  EXPECT_EQ(numbers(version), (std::vector<int>{6, 0, 2800, 1106, 0x0411}));

  // The image ends before its resource does, at every length.
  for (std::size_t size = 0; size < 0x200 + 88 + 160; ++size) {
    EXPECT_FALSE(parse(w98.substr(0, size), version)) << size;
  }
  // One field at a time made to point outside or to say another thing.
  auto damaged = [&](std::size_t offset, std::uint32_t value) {
    std::string file = w98;
    for (int i = 0; i < 4; ++i) file[offset + i] = char(value >> (8 * i) & 0xFF);
    return parse(file, version);
  };
  for (std::uint32_t wild : {0x7FFFFFF0u, 0xFFFFFFF0u, 0x00000100u}) {
    EXPECT_FALSE(damaged(0x3C, wild)) << "the PE header's offset";
    EXPECT_FALSE(damaged(0x40 + 24 + 96 + 16, wild)) << "the resource address";
    EXPECT_FALSE(damaged(0x200 + 16 + 4, 0x80000000u | wild)) << "the name level";
    EXPECT_FALSE(damaged(0x200 + 72, wild)) << "the data's address";
  }
  for (std::uint32_t size : {0x7FFFFFF0u, 0xFFFFFFF0u, 100u}) {
    EXPECT_FALSE(damaged(0x200 + 76, size)) << "the data's size " << size;
  }
  EXPECT_FALSE(damaged(0x200 + 16, 6)) << "no version type";
  EXPECT_FALSE(damaged(0x200 + 88 + 40, 0)) << "no fixed part's signature";
  // A translation whose lengths run past the block leaves its language to
  // the directory's.
  std::string file = w98;
  file[0x200 + 88 + 92] = char(0xF0);
  file[0x200 + 88 + 156] = char(0x11);  // the translation's own: 0x0411
  ASSERT_TRUE(parse(file, version));
  EXPECT_EQ(version.language, 0x0407u);

  // By path, through the streams: none for a file that is no program.
  MemoryPlatform drive;
  drive.AddFile("E:\\WIN98\\SYSTEM\\KERNEL32.DLL", w98);
  drive.AddFile("E:\\WIN98\\WIN.INI", "[windows]");
  EXPECT_TRUE(ReadVersionResource(drive, "E:\\WIN98\\SYSTEM\\KERNEL32.DLL", version));
  EXPECT_FALSE(ReadVersionResource(drive, "E:\\WIN98\\WIN.INI", version));
  EXPECT_FALSE(ReadVersionResource(drive, "E:\\WIN98\\NONE.DLL", version));
}

}  // namespace
}  // namespace lnf
