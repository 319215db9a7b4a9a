#include <gtest/gtest.h>

#include "TestSupport.h"
#include "backup/Backups.h"

namespace lnf {
namespace {

using testing::FormOnMemoryDrive;

class CopyDirectoryTest : public ::testing::Test, public FormOnMemoryDrive {
 protected:
  bool CopyDirectory(const std::string& sourceDir, const std::string& destDir) {
    BackupCopies copies(drive, "C:\\", result);
    return lnf::CopyDirectory(form, sourceDir, destDir, copies);
  }
  BackupResult result;
};

TEST_F(CopyDirectoryTest, FilesFirstThenSubfoldersDepthFirst) {
  drive.AddFolder("C:\\src\\B");
  drive.AddFile("C:\\src\\A\\A1\\a1.txt");
  drive.AddFile("C:\\src\\A\\a.txt");
  drive.AddFile("C:\\src\\B\\b.txt");
  drive.AddFile("C:\\src\\top.txt");
  drive.SetEnumerationOrder("C:\\src", {"A", "B"});
  drive.AddFolder("C:\\dst");
  EXPECT_TRUE(CopyDirectory("C:\\src", "C:\\dst\\"));
  EXPECT_EQ(drive.Copied(),
            (std::vector<std::string>{"C:\\dst\\top.txt", "C:\\dst\\A\\a.txt",
                                      "C:\\dst\\A\\A1\\a1.txt", "C:\\dst\\B\\b.txt"}));
  // What the run tells it copied: each folder before what it holds, the
  // empty one too, in the same order.
  std::vector<std::string> told;
  for (const BackupResult::Copy& copy : result.copies) {
    told.push_back(copy.path + (copy.folder ? "\\" : ""));
  }
  EXPECT_EQ(told, (std::vector<std::string>{"C:\\dst\\", "C:\\dst\\top.txt", "C:\\dst\\A\\",
                                            "C:\\dst\\A\\a.txt", "C:\\dst\\A\\A1\\",
                                            "C:\\dst\\A\\A1\\a1.txt", "C:\\dst\\B\\",
                                            "C:\\dst\\B\\b.txt"}));
}

TEST_F(CopyDirectoryTest, TrailingBackslashesMakeNoDifference) {
  drive.AddFile("C:\\src\\x.txt", "x");
  drive.AddFolder("C:\\src\\empty");
  for (const char* src : {"C:\\src", "C:\\src\\"}) {
    for (const char* dst : {"C:\\dst", "C:\\dst\\"}) {
      drive.Remove("C:\\dst");
      EXPECT_TRUE(CopyDirectory(src, dst));
      EXPECT_EQ(drive.Tree("C:\\dst"), (std::vector<std::string>{"empty\\", "x.txt"}));
    }
  }
}

TEST_F(CopyDirectoryTest, MissingSourceCreatesNothing) {
  drive.AddFile("C:\\file.txt");
  for (const char* source : {"C:\\nowhere", "C:\\file.txt"}) {
    drive.ClearMessages();
    EXPECT_FALSE(CopyDirectory(source, "C:\\dst"));

    ASSERT_EQ(drive.Messages().size(), 1u);
    EXPECT_EQ(drive.Messages()[0].text, "Source directory does not exist!");
    EXPECT_EQ(drive.Messages()[0].buttonsAndIcon, 0);
    EXPECT_EQ(drive.Messages()[0].title, "LNF_INVTOOL");
    EXPECT_FALSE(drive.Exists("C:\\dst"));
  }
}

// A subfolder removed after its parent was listed: told as a missing source
// is, its copy left empty, and the folders after it copied all the same.
TEST_F(CopyDirectoryTest, ASubfolderGoneSinceTheListingIsToldAndTheRestCopied) {
  drive.AddFile("C:\\src\\top.txt");
  drive.AddFile("C:\\src\\A\\a.txt");
  drive.AddFile("C:\\src\\B\\b.txt");
  drive.SetEnumerationOrder("C:\\src", {"A", "B"});
  drive.onStaged = [&](const std::string&) { drive.Remove("C:\\src\\A"); };
  EXPECT_TRUE(CopyDirectory("C:\\src", "C:\\dst"));
  ASSERT_EQ(drive.Messages().size(), 1u);
  EXPECT_EQ(drive.Messages()[0].text, "Source directory does not exist!");
  EXPECT_EQ(drive.Tree("C:\\dst"), (std::vector<std::string>{"A\\", "B\\", "B\\b.txt", "top.txt"}));
}

TEST_F(CopyDirectoryTest, DestinationWithoutParentFails) {
  drive.AddFile("C:\\src\\x.txt");
  EXPECT_THROW(CopyDirectory("C:\\src", "C:\\no\\dst"), PlatformError);
}

}  // namespace
}  // namespace lnf
