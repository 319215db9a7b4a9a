#include <gtest/gtest.h>

#include "TestSupport.h"
#include "inventory/InstallationFolders.h"
#include "inventory/Probes.h"

namespace lnf {
namespace {

using testing::Date;
using testing::kOU;
using testing::kWU;
using testing::WU;

class Probes : public ::testing::Test {
 protected:
  MemoryPlatform drive;
};

TEST_F(Probes, IsV3LooksForFourExtensionsAndStopsAtTheFirstMatch) {
  drive.AddFolder(kWU);
  EXPECT_FALSE(IsV3(drive, kWU));
  EXPECT_EQ(drive.EnumerationCount(), 4);

  drive.AddFile(WU("only.as"));
  int before = drive.EnumerationCount();
  EXPECT_TRUE(IsV3(drive, kWU));
  EXPECT_EQ(drive.EnumerationCount() - before, 4);

  drive.AddFile(WU("LANG.GNG"));  // wildcards ignore case
  before = drive.EnumerationCount();
  EXPECT_TRUE(IsV3(drive, kWU));
  EXPECT_EQ(drive.EnumerationCount() - before, 1);
}

TEST_F(Probes, IsV3IgnoresFoldersHiddenFilesAndSubfolders) {
  drive.AddFolder(WU("old.inv"));
  drive.AddFile(WU("h.gng"), "", Date(2001), kAttrHidden);
  drive.AddFile(WU("deeper\\x.bm"));
  drive.AddFile(WU("x.bmp"));
  EXPECT_FALSE(IsV3(drive, kWU));
}

TEST_F(Probes, IsV4NeedsAFileInV4AndIuhistXml) {
  EXPECT_FALSE(IsV4(drive, kWU));  // no V4 folder
  drive.AddFolder(WU("V4"));
  EXPECT_FALSE(IsV4(drive, kWU));  // empty
  drive.AddFolder(WU("V4\\iuhist.xml"));
  EXPECT_FALSE(IsV4(drive, kWU));  // only a folder of that name
  drive.AddFile(WU("V4\\other.txt"));
  EXPECT_FALSE(IsV4(drive, kWU));
  drive.Remove(WU("V4\\iuhist.xml"));
  drive.AddFile(WU("V4\\IUHIST.XML"));
  EXPECT_TRUE(IsV4(drive, kWU));
  drive.Remove(WU("V4\\other.txt"));
  EXPECT_TRUE(IsV4(drive, kWU));
}

TEST_F(Probes, IsV4SkipsItsSecondLookupWhenTheFirstFails) {
  drive.AddFolder(WU("V4"));
  const int before = drive.EnumerationCount();
  EXPECT_FALSE(IsV4(drive, kWU));
  EXPECT_EQ(drive.EnumerationCount() - before, 1);
}

TEST_F(Probes, IsOUAndDirectoryExistsAskForAFolder) {
  EXPECT_FALSE(IsOU(drive, kOU));
  drive.AddFile(kOU);
  EXPECT_FALSE(IsOU(drive, kOU));  // a file of that name
  drive.Remove(kOU);
  drive.AddFolder(kOU);
  EXPECT_TRUE(IsOU(drive, kOU));  // empty is enough

  drive.AddFolder("C:\\Hidden", kAttrDirectory | kAttrHidden | kAttrSystem);
  EXPECT_TRUE(DirectoryExists(drive, "C:\\Hidden"));
  EXPECT_TRUE(DirectoryExists(drive, "C:\\Hidden\\"));
  EXPECT_TRUE(DirectoryExists(drive, "c:\\hidden"));
  EXPECT_FALSE(DirectoryExists(drive, ""));
  EXPECT_FALSE(DirectoryExists(drive, "C:\\nowhere\\at\\all"));
  EXPECT_FALSE(DirectoryExists(drive, "::\\bad|name"));
  drive.InjectFailure(MemoryPlatform::Operation::GetAttributes, "C:\\Hidden", 21);
  EXPECT_FALSE(DirectoryExists(drive, "C:\\Hidden"));  // an unreadable drive, say
}

}  // namespace
}  // namespace lnf

namespace lnf {
namespace {

using Answer = InstallationFolders::Answer;

// Another installation's folders on a second drive, found by what they
// hold: a Windows 98 tree with a localized program-files folder, an NT one.
TEST_F(Probes, AnotherInstallationsFoldersAreFoundByWhatTheyHold) {
  drive.AddFile("E:\\WIN98\\WIN.INI");
  drive.AddFolder("E:\\WIN98\\SYSTEM");
  drive.AddFile("E:\\Data\\WIN.INI");  // an ini beside no system folder
  drive.AddFolder("E:\\Programme\\WindowsUpdate");
  InstallationFolders found = FindInstallationFolders(drive, "E:\\");
  EXPECT_EQ(found.answer, Answer::kFound);
  EXPECT_EQ(found.root, "E:");
  EXPECT_EQ(found.windir, "E:\\WIN98");
  EXPECT_EQ(found.systemFolder, "E:\\WIN98\\SYSTEM");
  EXPECT_EQ(found.programFiles, "E:\\Programme");

  drive.AddFile("D:\\images\\nt\\WINNT\\WIN.INI");
  drive.AddFolder("D:\\images\\nt\\WINNT\\SYSTEM");
  drive.AddFolder("D:\\images\\nt\\WINNT\\SYSTEM32");
  drive.AddFolder("D:\\images\\nt\\Program Files");
  drive.AddFolder("D:\\images\\nt\\Other\\OfficeUpdate");
  found = FindInstallationFolders(drive, "D:\\images\\nt");
  EXPECT_EQ(found.answer, Answer::kFound);
  EXPECT_EQ(found.systemFolder, "D:\\images\\nt\\WINNT\\SYSTEM32");
  EXPECT_EQ(found.programFiles, "D:\\images\\nt\\Program Files");

  // A dual-boot disk: both are named, neither is taken.
  drive.AddFile("E:\\WINNT\\WIN.INI");
  drive.AddFolder("E:\\WINNT\\SYSTEM32");
  found = FindInstallationFolders(drive, "E:");
  EXPECT_EQ(found.answer, Answer::kSeveralWindows);
  EXPECT_EQ(found.windir, "");
  EXPECT_EQ(found.windowsFolders, (std::vector<std::string>{"E:\\WIN98", "E:\\WINNT"}));
}

TEST_F(Probes, AnInstallationThatCannotBeToldIsSaidSo) {
  EXPECT_EQ(FindInstallationFolders(drive, "F:\\").answer, Answer::kRootNotUsable);
  drive.AddFile("F:\\image.img");
  EXPECT_EQ(FindInstallationFolders(drive, "F:\\image.img").answer, Answer::kRootNotUsable);
  EXPECT_EQ(FindInstallationFolders(drive, "").answer, Answer::kRootNotUsable);
  // A file where a folder should be, and a folder where WIN.INI should be.
  drive.AddFile("F:\\WINDOWS\\WIN.INI");
  drive.AddFile("F:\\WINDOWS\\SYSTEM");
  drive.AddFolder("F:\\OTHER\\WIN.INI");
  drive.AddFolder("F:\\OTHER\\SYSTEM32");
  drive.AddFile("F:\\Program Files");
  const InstallationFolders found = FindInstallationFolders(drive, "F:\\");
  EXPECT_EQ(found.answer, Answer::kNoWindows);
  EXPECT_EQ(found.programFiles, "");
}

}  // namespace
}  // namespace lnf
