#include <gtest/gtest.h>

#include "TestSupport.h"
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
