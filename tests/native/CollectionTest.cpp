#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "PeImage.h"
#include "TestSupport.h"
#include "ZipReading.h"
#include "app/Collection.h"
#include "app/CommandLine.h"
#include "package/Manifest.h"
#include "package/Sha256.h"
#include "package/ZipWriter.h"

namespace lnf {
namespace {

using testing::kOU;
using testing::kWU;
using testing::OU;
using testing::WU;

std::string Hex(const std::string& bytes) {
  Sha256 hash;
  hash.Update(bytes.data(), bytes.size());
  return ToHex(hash.Final());
}

// A window whose boxes go to its log, as an unattended run has it, on an
// in-memory drive with a clock an hour east of UTC.
class Collection : public ::testing::Test {
 protected:
  Collection() : form(Platform(drive, drive, boxes), kMainFormEvents) {
    boxes.SetForm(&form);
    drive.AddFolder("C:\\WINDOWS");
    drive.AddFolder("C:\\Program Files");
    drive.SetClock({2026, 12, 7, 9, 43, 50}, 60);
    form.Load();
  }

  int Collect(const std::string& out = {}) {
    result = RunCollection(form, boxes, drive, drive, out);
    return result.exitCode;
  }

  // The package's entries by name.
  std::map<std::string, ReadEntry> Package(const std::string& path = "C:\\LNF_INV.zip") {
    std::map<std::string, ReadEntry> entries;
    for (ReadEntry& entry : ReadArchive(drive.Contents(path))) entries[entry.name] = entry;
    return entries;
  }

  std::string Line(const std::string& text, const std::string& key) {
    const std::size_t at = text.find("\r\n" + key + ": ");
    if (at == std::string::npos) return "(no " + key + ")";
    const std::size_t start = at + key.size() + 4;
    return text.substr(start, text.find("\r\n", start) - start);
  }

  void AllThreeKinds() {
    drive.AddFile(WU("a.gng"), "language", testing::Date(2001));
    drive.AddFile(WU("90720.as"), "config", testing::Date(2003));
    drive.AddFile(WU("V4\\iuhist.xml"), "<history/>");
    drive.AddFile("C:\\WINDOWS\\Windows Update.log", "log");
    drive.AddFile(OU("top.cab"), "top");
    drive.AddFile(OU("A\\a.cab"), "deep");
  }

  MemoryPlatform drive;
  LoggedPrompts boxes;
  MainForm form;
  CollectionResult result;
};

// What a person would do, unattended: each kind found backed up through the
// same handlers, every box written to the log instead, then one zip with
// the copies, the manifest and the log, and its checksum beside it.
TEST_F(Collection, PacksEveryKindFoundWithItsManifestLogAndChecksum) {
  AllThreeKinds();
  drive.AddFolder(OU("A\\Empty"));
  drive.AddFile("C:\\LNF_INV.zip", "an earlier package");
  // Temporaries of runs cut short are taken over, whatever their number;
  // the one a live run holds is that run's.
  drive.AddFile("C:\\LNF_INV.zip.~lnf-0.tmp", "a live run's");
  drive.HoldOpen("C:\\LNF_INV.zip.~lnf-0.tmp");
  drive.AddFile("C:\\LNF_INV.zip.~lnf-1.tmp", "left by a run cut short");
  drive.AddFile("C:\\LNF_INV.zip.~lnf-12.tmp", "left by another");
  drive.AddFile("C:\\LNF_INV.zip.sha256.~lnf-3.tmp", "a checksum cut short");
  // What LNF_INV holds that this run did not copy: files gone from the
  // sources since an earlier run, and an earlier package with its checksum.
  drive.AddFile("C:\\LNF_INV\\gone.gng", "deleted at the source");
  drive.AddFile("C:\\LNF_INV\\OU\\gone.cab", "deleted at the source");
  drive.AddFolder("C:\\LNF_INV\\OU\\Gone");
  drive.AddFile("C:\\LNF_INV\\inside.zip", "a package sent into LNF_INV");
  drive.AddFile("C:\\LNF_INV\\inside.zip.sha256", "its checksum");
  // Another instance at work in the same folder: its copies in progress are
  // not packed.
  drive.AddFile("C:\\LNF_INV\\~lnf-staging\\7\\~lnf-lock");
  drive.AddFile("C:\\LNF_INV\\~lnf-staging\\7\\~lnf-0.tmp", "half");
  drive.HoldOpen("C:\\LNF_INV\\~lnf-staging\\7\\~lnf-lock");
  // A folder link is not followed, as the backups do not follow one.
  drive.AddFolderLink("C:\\LNF_INV\\windows", "C:\\WINDOWS");
  EXPECT_EQ(Collect(), kExitCollected);

  EXPECT_TRUE(drive.Messages().empty()) << "a box waited for nobody";
  const std::string& log = form.Text(kLogConsole);
  for (const char* entry :
       {") [Backup Inventory] Backup done in C:\\LNF_INV. Please review the log for further "
        "details.",
        ") [Backup Inventory] Backup done in C:\\LNF_INV\\V4. Please review the log for further "
        "details.",
        ") [Backup Inventory] Backup done in C:\\LNF_INV\\OU. Please review the log for further "
        "details.",
        ") [LNF_INV.zip] Package written."}) {
    EXPECT_NE(log.find(entry), std::string::npos) << entry;
  }

  // Exactly this run's copies, in the order the backups made them: the
  // kinds in turn, each folder before what it holds, an empty one too.
  std::vector<std::string> inOrder;
  for (const ReadEntry& entry : ReadArchive(drive.Contents("C:\\LNF_INV.zip"))) {
    inOrder.push_back(entry.name);
  }
  EXPECT_EQ(inOrder,
            (std::vector<std::string>{"LNF_INV/", "LNF_INV/a.gng", "LNF_INV/90720.as",
                                      "LNF_INV/V4/", "LNF_INV/V4/Windows Update.log",
                                      "LNF_INV/V4/iuhist.xml", "LNF_INV/OU/", "LNF_INV/OU/top.cab",
                                      "LNF_INV/OU/A/", "LNF_INV/OU/A/a.cab", "LNF_INV/OU/A/Empty/",
                                      "_lanternfall/manifest.txt", "_lanternfall/log.txt"}));
  auto package = Package();
  // A copy's time: its UTC moment, and the local time the system shows for
  // it (the drive's zone is UTC). The package's own entries: the
  // collection's, in local time and, an hour earlier, in UTC.
  const DosDateTime local = MakeDosDateTime(2001, 6, 15, 12, 0, 0);
  EXPECT_EQ(package["LNF_INV/a.gng"].date, local.date);
  EXPECT_EQ(package["LNF_INV/a.gng"].time, local.time);
  EXPECT_EQ(package["LNF_INV/a.gng"].utc, SecondsSince1970({2001, 6, 15, 12, 0, 0}));
  const DosDateTime collected = MakeDosDateTime(2026, 12, 7, 9, 43, 50);
  for (const char* own :
       {"LNF_INV/", "LNF_INV/OU/A/", "_lanternfall/manifest.txt", "_lanternfall/log.txt"}) {
    EXPECT_EQ(package[own].date, collected.date) << own;
    EXPECT_EQ(package[own].time, collected.time) << own;
    EXPECT_TRUE(package[own].hasUtc) << own;
    EXPECT_EQ(package[own].utc, SecondsSince1970({2026, 12, 7, 8, 43, 50})) << own;
  }
  for (const auto& [name, entry] : package) {
    EXPECT_EQ(entry.flags & 0x800, 0u) << name << ": ASCII names need no UTF-8 mark";
    EXPECT_FALSE(entry.zip64) << name;
    if (name.back() == '/' || name.rfind("LNF_INV/", 0) != 0) continue;
    std::string path = "C:\\" + name;
    for (char& c : path) c = c == '/' ? '\\' : c;
    EXPECT_EQ(entry.data, drive.Contents(path)) << name;
  }
  // The log as it stood when packed: the backups' entries and boxes in it.
  EXPECT_EQ(log.compare(0, package["_lanternfall/log.txt"].data.size(),
                        package["_lanternfall/log.txt"].data),
            0);
  EXPECT_NE(package["_lanternfall/log.txt"].data.find("Backup done in C:\\LNF_INV\\OU."),
            std::string::npos);

  const std::string& manifest = package["_lanternfall/manifest.txt"].data;
  EXPECT_EQ(Line(manifest, "collected-local"), "2026-12-07T09:43:50+01:00");
  EXPECT_EQ(Line(manifest, "collected-utc"), "2026-12-07T08:43:50Z");
  EXPECT_EQ(Line(manifest, "kind-v2-v3.1"), "found, backed up");
  EXPECT_EQ(Line(manifest, "kind-v4"), "found, backed up");
  EXPECT_EQ(Line(manifest, "kind-office-update"), "found, backed up");
  EXPECT_EQ(Line(manifest, "wudir-v4"), std::string(kWU) + "\\V4");
  // Each copy's own bytes hashed, with its size and its date in UTC (the
  // drive's zone is UTC here).
  EXPECT_NE(manifest.find("\r\nfile: " + Hex("deep") + " 4 2001-06-15T12:00:00Z OU/A/a.cab\r\n"),
            std::string::npos)
      << manifest;
  EXPECT_NE(manifest.find("\r\nfile: " + Hex("language") + " 8 2001-06-15T12:00:00Z a.gng\r\n"),
            std::string::npos);

  EXPECT_EQ(manifest.find("gone"), std::string::npos) << manifest;
  EXPECT_EQ(manifest.find("inside.zip"), std::string::npos);

  // The earlier package replaced whole, the checksum of the new one beside
  // it, and nothing of the work left but the live run's.
  EXPECT_EQ(drive.Contents("C:\\LNF_INV.zip.sha256"),
            Hex(drive.Contents("C:\\LNF_INV.zip")) + "  LNF_INV.zip\n");
  EXPECT_EQ(drive.Contents("C:\\LNF_INV.zip.~lnf-0.tmp"), "a live run's");
  for (const std::string& path : drive.Tree("C:")) {
    // The other instances' own.
    if (path.rfind("LNF_INV\\~lnf-staging\\", 0) == 0 || path == "LNF_INV.zip.~lnf-0.tmp") continue;
    EXPECT_EQ(path.find("~lnf"), std::string::npos) << path;
  }
  EXPECT_TRUE(result.problems.empty());
  EXPECT_EQ(result.package, "C:\\LNF_INV.zip");
  EXPECT_EQ(result.logFile, "") << "a run that did not fail writes no log file";
  EXPECT_EQ(StarterLines(result),
            std::vector<std::string>{"LNF_INVTOOL: exit code 0; the package: C:\\LNF_INV.zip"});
}

// Nobody finds anything: the team still hears of the machine.
TEST_F(Collection, NothingFoundStillSendsTheManifestAndTheLog) {
  drive.SetWindowsVersion({4, 10, 2222, " A ", false});
  drive.SetSystemLanguage({0x0407, "German"});
  drive.SetInternetExplorerVersion("5.00.2614.3500");
  drive.AddFolder("D:\\Sent");
  // Earlier copies, which no backup of this run made.
  drive.AddFile("C:\\LNF_INV\\a.gng", "an earlier copy");
  drive.AddFile("C:\\LNF_INV\\OU\\A\\a.cab", "an earlier copy");
  // The log of an earlier failure there would tell of a run that is not the last.
  drive.AddFile("D:\\Sent\\machine 1.zip.log", "an earlier failure");
  // A temporary a run cut short left beside a package elsewhere than C:\.
  drive.AddFile("D:\\Sent\\machine 1.zip.~lnf-1.tmp", "left by a run cut short");
  drive.AddFile("D:\\Sent\\machine 1.zip.~lnf-.tmp", "no run's: it has no number");
  EXPECT_EQ(Collect("D:\\Sent\\machine 1.zip"), kExitNothingFound);
  EXPECT_FALSE(drive.Exists("D:\\Sent\\machine 1.zip.log"));
  EXPECT_FALSE(drive.Exists("D:\\Sent\\machine 1.zip.~lnf-1.tmp"));
  EXPECT_TRUE(drive.Exists("D:\\Sent\\machine 1.zip.~lnf-.tmp"));

  EXPECT_FALSE(drive.Exists("C:\\LNF_INV.zip"));
  auto package = Package("D:\\Sent\\machine 1.zip");
  EXPECT_EQ(package.size(), 3u);  // LNF_INV/, the manifest, the log
  const std::string& manifest = package["_lanternfall/manifest.txt"].data;
  for (const char* kind : {"kind-v2-v3.1", "kind-v4", "kind-office-update"}) {
    EXPECT_EQ(Line(manifest, kind), "not found");
  }
  EXPECT_EQ(Line(manifest, "windows-version"), "4.10.2222");
  EXPECT_EQ(Line(manifest, "windows-family"), "9x");
  EXPECT_EQ(Line(manifest, "language-id"), "0x0407");
  EXPECT_EQ(Line(manifest, "internet-explorer"), "5.00.2614.3500");
  EXPECT_EQ(manifest.find("\r\nfile: "), std::string::npos);
  EXPECT_EQ(drive.Contents("D:\\Sent\\machine 1.zip.sha256"),
            Hex(drive.Contents("D:\\Sent\\machine 1.zip")) + "  machine 1.zip\n");

  // One kind alone is something found.
  drive.AddFile(WU("V4\\iuhist.xml"), "<history/>");
  drive.AddFile("C:\\WINDOWS\\Windows Update.log", "log");
  EXPECT_EQ(Collect("D:\\Sent\\machine 1.zip"), kExitCollected);
  EXPECT_EQ(Line(Package("D:\\Sent\\machine 1.zip")["_lanternfall/manifest.txt"].data, "kind-v4"),
            "found, backed up");
}

// A backup that fails is said in the log and the manifest and counted; the
// others still run, and the package is still written.
TEST_F(Collection, AFailedBackupIsLoggedCountedAndStillPacked) {
  AllThreeKinds();
  drive.InjectFailure(MemoryPlatform::Operation::CopyFile, WU("a.gng"), kErrorAccessDenied, -1);
  EXPECT_EQ(Collect(), kExitFailed);

  auto package = Package();
  const std::string& manifest = package["_lanternfall/manifest.txt"].data;
  EXPECT_EQ(Line(manifest, "kind-v2-v3.1"),
            "found, failed: Error 5: Access is denied.  " + WU("a.gng") + " -> C:\\LNF_INV\\a.gng");
  EXPECT_EQ(Line(manifest, "kind-v4"), "found, backed up");
  EXPECT_EQ(Line(manifest, "kind-office-update"), "found, backed up");
  EXPECT_NE(package["_lanternfall/log.txt"].data.find(") [LNF_INVTOOL] Error 5: Access is denied."),
            std::string::npos);
  EXPECT_EQ(package.count("LNF_INV/V4/iuhist.xml"), 1u);
  EXPECT_EQ(result.problems, std::vector<std::string>{"[V2/V3.1] Backup failed: Error 5: Access "
                                                      "is denied.  " +
                                                      WU("a.gng") + " -> C:\\LNF_INV\\a.gng"});
  EXPECT_EQ(result.logFile, "C:\\LNF_INV.zip.log");
}

// A package that cannot be written is said, counted, and leaves the
// earlier one and no half-written file.
TEST_F(Collection, APackageThatCannotBeWrittenKeepsTheEarlierOne) {
  AllThreeKinds();
  drive.AddFile("C:\\LNF_INV.zip", "an earlier package");
  // An earlier package held open cannot be replaced: the complete new one
  // does not stay beside it under its temporary name.
  drive.HoldOpen("C:\\LNF_INV.zip");
  EXPECT_EQ(Collect(), kExitFailed);
  EXPECT_EQ(drive.Contents("C:\\LNF_INV.zip"), "an earlier package");
  EXPECT_FALSE(drive.Exists("C:\\LNF_INV.zip.~lnf-0.tmp"));
  // Said where a script finds it: beside the package asked for.
  EXPECT_EQ(result.logFile, "C:\\LNF_INV.zip.log");
  EXPECT_NE(
      drive.Contents("C:\\LNF_INV.zip.log").find("[LNF_INV.zip] Package not written: Error 32"),
      std::string::npos);

  drive.InjectFailure(MemoryPlatform::Operation::WriteFile, "C:\\LNF_INV.zip.~lnf-0.tmp",
                      kErrorDiskFull, -1);
  EXPECT_EQ(Collect(), kExitFailed);
  EXPECT_EQ(drive.Contents("C:\\LNF_INV.zip"), "an earlier package");
  EXPECT_FALSE(drive.Exists("C:\\LNF_INV.zip.~lnf-0.tmp"));
  EXPECT_FALSE(drive.Exists("C:\\LNF_INV.zip.sha256"));
  EXPECT_NE(form.Text(kLogConsole).find(") [LNF_INV.zip] Package not written: Error 112"),
            std::string::npos);
  ASSERT_EQ(result.problems.size(), 1u);
  EXPECT_EQ(result.problems[0].rfind("[LNF_INV.zip] Package not written: Error 112", 0), 0u);
  EXPECT_EQ(drive.Contents("C:\\LNF_INV.zip.log"), form.Text(kLogConsole) + "\r\n");

  // A folder that is not there: the log goes into LNF_INV.
  EXPECT_EQ(Collect("C:\\nosuch\\x.zip"), kExitFailed);
  EXPECT_EQ(result.logFile, "C:\\LNF_INV\\x.zip.log");
  const std::vector<std::string> told = StarterLines(result);
  ASSERT_EQ(told.size(), 2u);
  EXPECT_EQ(told[0], "LNF_INVTOOL: " + result.problems[0]);
  EXPECT_EQ(told[1], "LNF_INVTOOL: exit code 2; the log: C:\\LNF_INV\\x.zip.log");
  EXPECT_NE(drive.Contents("C:\\LNF_INV\\x.zip.log").find("[x.zip] Package not written: Error 3"),
            std::string::npos);
  for (const std::string& path : drive.Tree("C:")) {
    EXPECT_EQ(path.find("~lnf"), std::string::npos) << path;
  }
}

// The package stands, but its checksum cannot be written: the run fails
// with the checksum named, and no earlier checksum, which would not match,
// stays beside it.
TEST_F(Collection, AChecksumThatCannotBeWrittenFailsTheRunButKeepsThePackage) {
  AllThreeKinds();
  drive.AddFile("C:\\LNF_INV.zip.sha256", "an earlier checksum");
  drive.InjectFailure(MemoryPlatform::Operation::WriteFile, "C:\\LNF_INV.zip.sha256.~lnf-0.tmp",
                      kErrorDiskFull);
  EXPECT_EQ(Collect(), kExitFailed);
  EXPECT_EQ(Package().count("LNF_INV/a.gng"), 1u);
  EXPECT_EQ(result.package, "C:\\LNF_INV.zip");
  ASSERT_EQ(result.problems.size(), 1u);
  EXPECT_EQ(result.problems[0].rfind("[LNF_INV.zip.sha256] Checksum not written: Error 112", 0),
            0u);
  EXPECT_FALSE(drive.Exists("C:\\LNF_INV.zip.sha256"));
  EXPECT_FALSE(drive.Exists("C:\\LNF_INV.zip.sha256.~lnf-0.tmp"));
  EXPECT_TRUE(drive.Exists("C:\\LNF_INV.zip.log"));
}

// A path that names a folder cannot be a package: refused before anything
// is written, as arguments not understood are.
TEST_F(Collection, APackagePathNamingAFolderIsRefusedBeforeAnythingIsDone) {
  AllThreeKinds();
  drive.AddFolder("C:\\outdir");
  drive.AddFolder("C:\\LNF_INV.zip");
  for (const std::string out : {"C:\\outdir", ""}) {
    SCOPED_TRACE(out);
    EXPECT_EQ(Collect(out), kExitBadArguments);
    ASSERT_EQ(result.problems.size(), 1u);
    EXPECT_NE(result.problems[0].find(out.empty() ? "C:\\LNF_INV.zip" : out), std::string::npos);
    EXPECT_FALSE(drive.Exists("C:\\LNF_INV"));
    EXPECT_TRUE(drive.Tree("C:\\outdir").empty());
    EXPECT_TRUE(drive.Tree("C:\\LNF_INV.zip").empty());
    EXPECT_EQ(result.logFile, "");
  }
}

// A copy of this run that cannot be read (another program took hold of it
// after the backup) is left out and said; the rest is packed, the run counts
// as failed, and its kind is not "backed up".
TEST_F(Collection, AFileThatCannotBeReadIsLeftOutAndSaid) {
  AllThreeKinds();
  drive.onStaged = [&](const std::string&) {
    if (drive.Exists("C:\\LNF_INV\\a.gng") && drive.Exists("C:\\LNF_INV\\90720.as")) {
      drive.HoldOpen("C:\\LNF_INV\\a.gng");
      drive.onStaged = nullptr;
    }
  };
  EXPECT_EQ(Collect(), kExitFailed);

  auto package = Package();
  EXPECT_EQ(package.count("LNF_INV/a.gng"), 0u);
  EXPECT_EQ(package.count("LNF_INV/90720.as"), 1u);
  EXPECT_NE(package["_lanternfall/log.txt"].data.find(") [a.gng] File not packed: Error 32"),
            std::string::npos);
  const std::string& manifest = package["_lanternfall/manifest.txt"].data;
  EXPECT_EQ(
      Line(manifest, "kind-v2-v3.1").rfind("found, failed: File not packed: a.gng: Error 32", 0),
      0u)
      << Line(manifest, "kind-v2-v3.1");
  EXPECT_EQ(Line(manifest, "kind-v4"), "found, backed up");
  EXPECT_EQ(manifest.find("a.gng\r\n"), std::string::npos);
  ASSERT_EQ(result.problems.size(), 1u);
  EXPECT_EQ(result.problems[0].rfind("[a.gng] File not packed: Error 32", 0), 0u);
  EXPECT_EQ(result.logFile, "C:\\LNF_INV.zip.log");

  // A kind whose backup failed after a copy that then cannot be packed
  // says both.
  drive.InjectFailure(MemoryPlatform::Operation::CopyFile, WU("V4\\iuhist.xml"), kErrorAccessDenied,
                      -1);
  const std::string copied = ") [Windows Update.log] File copied successfully.";
  drive.onStaged = [&](const std::string&) {
    const std::string& log = form.Text(kLogConsole);
    if (log.find(copied) != log.rfind(copied)) {
      drive.HoldOpen("C:\\LNF_INV\\V4\\Windows Update.log");
      drive.onStaged = nullptr;
    }
  };
  EXPECT_EQ(Collect(), kExitFailed);
  const std::string v4 = Line(Package()["_lanternfall/manifest.txt"].data, "kind-v4");
  EXPECT_EQ(v4.rfind("found, failed: Error 5: Access is denied.", 0), 0u) << v4;
  EXPECT_NE(v4.find("; File not packed: V4\\Windows Update.log: Error 32"), std::string::npos)
      << v4;
}

// Each copy keeps the time of its own date: in New York, a file written at
// 12:00 in July (summer time, 16:00 UTC) and packed in January reads 12:00,
// not 11:00, on the NT family; Windows 9x knows only today's offset, and
// its copies read as the system shows them there. Every entry carries the
// UTC moment. The drive plays a zone five hours west of UTC with summer
// time.
TEST_F(Collection, EachCopyKeepsTheLocalTimeOfItsOwnDate) {
  drive.SetTimeZone(-300, true);
  drive.SetNowUtc({2027, 1, 15, 15, 0, 0});
  drive.SetClock({2027, 1, 15, 10, 0, 0}, -300);
  drive.AddFolder(kWU);
  drive.AddFile(OU("july.cab"), "july", {2026, 7, 15, 12, 0, 0});
  drive.AddFile(OU("january.cab"), "january", {2026, 1, 15, 12, 0, 0});
  for (bool nt : {true, false}) {
    SCOPED_TRACE(nt ? "NT" : "9x");
    drive.SetWindowsVersion({nt ? 5 : 4, nt ? 1 : 10, 2600, "", nt});
    drive.SetWindows9x(!nt);
    drive.Remove("C:\\LNF_INV");
    EXPECT_EQ(Collect(), kExitCollected);
    auto package = Package();
    const ReadEntry& july = package["LNF_INV/OU/july.cab"];
    EXPECT_EQ(july.date, MakeDosDateTime(2026, 7, 15, 12, 0, 0).date);
    EXPECT_EQ(july.time, MakeDosDateTime(2026, 7, 15, nt ? 12 : 11, 0, 0).time);
    EXPECT_EQ(july.utc, SecondsSince1970({2026, 7, 15, 16, 0, 0}));
    const ReadEntry& january = package["LNF_INV/OU/january.cab"];
    EXPECT_EQ(january.time, MakeDosDateTime(2026, 1, 15, 12, 0, 0).time);
    EXPECT_EQ(january.utc, SecondsSince1970({2026, 1, 15, 17, 0, 0}));
    const ReadEntry& manifest = package["_lanternfall/manifest.txt"];
    EXPECT_EQ(manifest.date, MakeDosDateTime(2027, 1, 15, 10, 0, 0).date);
    EXPECT_EQ(manifest.time, MakeDosDateTime(2027, 1, 15, 10, 0, 0).time);
    EXPECT_EQ(manifest.utc, SecondsSince1970({2027, 1, 15, 15, 0, 0}));
  }
}

// Names outside ASCII: marked UTF-8 on the NT family, and said to be made
// on NTFS (Info-ZIP's unzip takes an MS-DOS name for the code page even
// when marked). On Windows 9x in the OEM code page, with the UTF-8 form in
// the Unicode Path field, where the code page spells the name with the
// bytes of code page 437, which readers without that field assume; UTF-8
// where not.
TEST_F(Collection, NamesAreStoredAsTheReadersOfTheirSystemExpect) {
  drive.AddFolder(kWU);
  drive.AddFile(OU("\xC3\x84rger.cab"), "umlaut");  // Ärger
  drive.AddFile(OU("\xD0\xB6.cab"), "cyrillic");    // ж
  drive.AddFile(OU("\xC3\x9C"
                   "ber\\br\xC3\xB8"
                   "d.cab"),
                "dane");  // Über\brød: ø is 0x9B in 850 only
  for (bool nt : {true, false}) {
    SCOPED_TRACE(nt ? "NT" : "9x");
    drive.SetWindowsVersion({nt ? 5 : 4, nt ? 1 : 10, 2600, "", nt});
    drive.Remove("C:\\LNF_INV");
    EXPECT_EQ(Collect(), kExitCollected);
    auto package = Package();
    const std::string umlaut = nt ? "LNF_INV/OU/\xC3\x84rger.cab" : "LNF_INV/OU/\x8Erger.cab";
    ASSERT_EQ(package.count(umlaut), 1u);
    EXPECT_EQ(package[umlaut].flags & 0x800, nt ? 0x800u : 0u);
    EXPECT_EQ(package[umlaut].madeBy >> 8, nt ? 10u : 0u);
    EXPECT_EQ(package[umlaut].unicodePath, nt ? "" : "LNF_INV/OU/\xC3\x84rger.cab");
    EXPECT_EQ(package[umlaut].data, "umlaut");
    const std::string folder = nt ? "LNF_INV/OU/\xC3\x9C"
                                    "ber/"
                                  : "LNF_INV/OU/\x9A"
                                    "ber/";
    ASSERT_EQ(package.count(folder), 1u);
    EXPECT_EQ(package[folder].unicodePath, nt ? ""
                                              : "LNF_INV/OU/\xC3\x9C"
                                                "ber/");
    for (const std::string utf8 : {"LNF_INV/OU/\xD0\xB6.cab",
                                   "LNF_INV/OU/\xC3\x9C"
                                   "ber/br\xC3\xB8"
                                   "d.cab"}) {
      ASSERT_EQ(package.count(utf8), 1u) << utf8;
      EXPECT_EQ(package[utf8].flags & 0x800, 0x800u) << utf8;
      EXPECT_EQ(package[utf8].madeBy >> 8, 10u) << utf8;
      EXPECT_EQ(package[utf8].unicodePath, "") << utf8;
    }
    EXPECT_EQ(package["LNF_INV/OU/\xC3\x9C"
                      "ber/br\xC3\xB8"
                      "d.cab"]
                  .data,
              "dane");
  }
}

}  // namespace
}  // namespace lnf

namespace lnf {
namespace {

// Another installation on a second drive that refuses every write: a
// Windows 98 tree with a localized program-files folder. The running
// system's own inventories are not taken, and only the package and its
// checksum are written, on the running system's drive.
TEST_F(Collection, FromAnotherDriveItsPlanIsPackedAndNothingIsWrittenThere) {
  AllThreeKinds();
  drive.AddFile("E:\\WIN98\\WIN.INI");
  // As Windows 98 SE's own says it: the build in the last field.
  drive.AddFile("E:\\WIN98\\SYSTEM\\KERNEL32.DLL",
                testing::PeWithVersion({4, 10, 0, 2222, 0x0407}));
  drive.SetVolumeFacts("E:\\", {"OLD98", 0x1A2B3C4D});
  drive.AddFile("E:\\WIN98\\Windows Update.log", "old log");
  const std::string wu = "E:\\Programme\\WindowsUpdate\\";
  drive.AddFile(wu + "old.gng", "old", testing::Date(2003));
  drive.AddFile(wu + "new.gng", "new", testing::Date(2013));
  drive.AddFile(wu + "V4\\iuhist.xml", "<old/>");
  drive.AddFile("E:\\Programme\\OfficeUpdate\\A\\a.cab", "ou");
  drive.AddFolder("E:\\Programme\\OfficeUpdate\\Empty");
  drive.AddFolderLink("E:\\Programme\\OfficeUpdate\\A\\back", "E:\\Programme");
  drive.RefuseWritesUnder("E:");
  // A date that cannot be read is told, as the backup's box is, and the
  // file taken as an old one.
  drive.InjectFailure(MemoryPlatform::Operation::GetLastWriteTime, wu + "old.gng",
                      kErrorAccessDenied);

  result = RunCollectionFrom(form, boxes, drive, drive, "E:\\", "");
  EXPECT_EQ(result.exitCode, kExitCollected) << ::testing::PrintToString(result.problems);
  EXPECT_EQ(result.package, "C:\\LNF_INV-from-E.zip");
  EXPECT_TRUE(drive.RefusedWrites().empty());
  EXPECT_FALSE(drive.Exists("C:\\LNF_INV"));
  EXPECT_TRUE(drive.Exists("C:\\LNF_INV-from-E.zip.sha256"));
  std::vector<std::string> inOrder;
  for (const ReadEntry& entry : ReadArchive(drive.Contents(result.package))) {
    inOrder.push_back(entry.name);
  }
  EXPECT_EQ(inOrder,
            (std::vector<std::string>{
                "LNF_INV/", "LNF_INV/old.gng", "LNF_INV/V4/", "LNF_INV/V4/Windows Update.log",
                "LNF_INV/V4/iuhist.xml", "LNF_INV/OU/", "LNF_INV/OU/A/", "LNF_INV/OU/A/a.cab",
                "LNF_INV/OU/Empty/", "_lanternfall/manifest.txt", "_lanternfall/log.txt"}));
  auto package = Package(result.package);
  EXPECT_EQ(package["LNF_INV/V4/Windows Update.log"].data, "old log");
  const std::string manifest = package["_lanternfall/manifest.txt"].data;
  EXPECT_EQ(Line(manifest, "examined-path"), "E:\\");
  EXPECT_EQ(Line(manifest, "examined-windows-version"),
            "4.10.2222 (file version 4.10.0.2222, from E:\\WIN98\\SYSTEM\\KERNEL32.DLL)");
  EXPECT_EQ(Line(manifest, "examined-volume-label"), "OLD98");
  EXPECT_EQ(Line(manifest, "examined-volume-serial"), "1A2B-3C4D");
  EXPECT_EQ(Line(manifest, "examined-language-id"),
            "0x0407 (from E:\\WIN98\\SYSTEM\\KERNEL32.DLL)");
  EXPECT_EQ(Line(manifest, "examined-internet-explorer"), "unknown");
  EXPECT_EQ(Line(manifest, "collecting-windows-version"), "10.0.19045");
  EXPECT_EQ(Line(manifest, "windows-version"), "(no windows-version)");
  EXPECT_EQ(Line(manifest, "wudir"), "E:\\Programme\\WindowsUpdate");
  EXPECT_EQ(Line(manifest, "kind-office-update"), "found, backed up");
  EXPECT_NE(form.Text(kLogConsole).find(") [new.gng] File not copied."), std::string::npos);
  EXPECT_NE(
      form.Text(kLogConsole).find(") [LNF_INVTOOL] Error: Unable to retrieve file creation date. "),
      std::string::npos);
  EXPECT_NE(form.Text(kLogConsole)
                .find(") [E:\\Programme\\OfficeUpdate\\A\\back] Folder link not followed."),
            std::string::npos);
  // The examined installation's check, as it would run there.
  EXPECT_NE(form.Text(kV3InvFilesList).find("old.gng"), std::string::npos);
  EXPECT_EQ(form.Text(kV3InvFilesList).find("a.gng"), std::string::npos);
  EXPECT_NE(form.Text(kLogConsole).find(") Retrieving Office Update inventories..."),
            std::string::npos);

  // A package asked for on the examined drive is refused before anything
  // is tried there.
  result = RunCollectionFrom(form, boxes, drive, drive, "E:\\", "e:\\x.zip");
  EXPECT_EQ(result.exitCode, kExitBadArguments);
  EXPECT_EQ(result.problems,
            std::vector<std::string>{"The package would lie in what /from examines: e:\\x.zip; "
                                     "nothing is written there, /out names another place."});
  // As the default package would for the running system's own drive.
  drive.AddFile("C:\\WINDOWS\\WIN.INI");
  drive.AddFolder("C:\\WINDOWS\\SYSTEM32");
  EXPECT_EQ(RunCollectionFrom(form, boxes, drive, drive, "C:\\", "").exitCode, kExitBadArguments);
  EXPECT_FALSE(drive.Exists("C:\\LNF_INV-from-C.zip"));
  EXPECT_TRUE(drive.RefusedWrites().empty());

  // What the running system's own collection packs is unchanged by it.
  EXPECT_EQ(Collect(), kExitCollected);
  EXPECT_EQ(Line(Package()["_lanternfall/manifest.txt"].data, "windows-version"), "10.0.19045");
}

TEST_F(Collection, FromAPathThatHoldsNoSingleInstallationIsSaidAndNothingPacked) {
  AllThreeKinds();
  result = RunCollectionFrom(form, boxes, drive, drive, "F:\\", "");
  EXPECT_EQ(result.exitCode, kExitBadArguments);
  EXPECT_EQ(result.problems, std::vector<std::string>{"/from names no folder: F:\\"});
  EXPECT_EQ(result.logFile, "");
  drive.AddFolder("C:\\old\\WINDOWS\\SYSTEM");
  drive.AddFile("C:\\old\\WINDOWS\\WIN.INI");
  drive.AddFolder("G:\\WINDOWS\\SYSTEM");
  drive.AddFile("G:\\WINDOWS\\WIN.INI");
  drive.AddFile("G:\\Programs\\WindowsUpdate");  // a file, not the client folder
  drive.SetVolumeFacts("G:\\", {"", 0x00C0FFEE});
  result = RunCollectionFrom(form, boxes, drive, drive, "G:\\", "C:\\g.zip");
  EXPECT_EQ(result.exitCode, kExitNothingFound);
  const std::string unlabelled = Package("C:\\g.zip")["_lanternfall/manifest.txt"].data;
  EXPECT_EQ(Line(unlabelled, "examined-volume-label"), "none");
  EXPECT_EQ(Line(unlabelled, "examined-volume-serial"), "00C0-FFEE");
  EXPECT_NE(Package("C:\\g.zip")["_lanternfall/log.txt"].data.find(
                ") [LNF_INVTOOL] No program-files folder (Program Files, or one holding "
                "WindowsUpdate or OfficeUpdate) in G:\\: no client folder to check."),
            std::string::npos);
  for (const char* relative : {"old", "\\old", "C:old"}) {
    result = RunCollectionFrom(form, boxes, drive, drive, relative, "");
    EXPECT_EQ(result.exitCode, kExitBadArguments) << relative;
    EXPECT_EQ(result.problems,
              std::vector<std::string>{"/from needs a full path: " + std::string(relative)});
  }

  drive.AddFile("F:\\Data\\WIN.INI");
  result = RunCollectionFrom(form, boxes, drive, drive, "F:\\", "C:\\out\\f.zip");
  EXPECT_EQ(result.exitCode, kExitNothingFound);
  EXPECT_EQ(result.package, "");
  drive.AddFile("F:\\WIN98\\WIN.INI");
  drive.AddFolder("F:\\WIN98\\SYSTEM");
  drive.AddFile("F:\\WINNT\\WIN.INI");
  drive.AddFolder("F:\\WINNT\\SYSTEM32");
  result = RunCollectionFrom(form, boxes, drive, drive, "F:", "");
  EXPECT_EQ(result.exitCode, kExitNothingFound);
  EXPECT_EQ(result.problems, std::vector<std::string>{"Several Windows folders in F:, none "
                                                      "collected: F:\\WIN98 F:\\WINNT"});
  EXPECT_EQ(result.logFile, "C:\\LNF_INV-from-F.zip.log");
  EXPECT_FALSE(drive.Exists("C:\\LNF_INV-from-F.zip"));
  EXPECT_EQ(PackageNameFrom("D:\\images\\win98-c\\"), "LNF_INV-from-D-images-win98-c.zip");

  // An NT tree in a folder, no volume's root, whose Windows folder lacks the
  // V4 log the running system has: its V4 listing and package go without
  // it, and the run fails for it.
  const std::string nt = "F:\\images\\nt";
  drive.AddFile(nt + "\\WINNT\\WIN.INI");
  drive.AddFolder(nt + "\\WINNT\\SYSTEM32");
  drive.AddFile(nt + "\\Program Files\\WindowsUpdate\\V4\\iuhist.xml", "<nt/>");
  drive.RefuseWritesUnder("F:");
  result = RunCollectionFrom(form, boxes, drive, drive, nt, "");
  EXPECT_EQ(result.exitCode, kExitFailed);
  EXPECT_EQ(result.package, "C:\\LNF_INV-from-F-images-nt.zip");
  EXPECT_EQ(form.Text(kV4InvFilesList).find("Windows Update.log"), std::string::npos);
  const std::string manifest = Package(result.package)["_lanternfall/manifest.txt"].data;
  EXPECT_EQ(Line(manifest, "examined-volume-serial"), "unknown");
  EXPECT_EQ(Line(manifest, "examined-windows-version"), "unknown");
  EXPECT_EQ(Line(manifest, "kind-v4"),
            "found, failed: File not found: " + nt + "\\WINNT\\Windows Update.log");
  EXPECT_TRUE(drive.RefusedWrites().empty());

  // Its client folder cannot be read: the check's failure is the run's,
  // told where a script finds it.
  drive.InjectFailure(MemoryPlatform::Operation::Enumerate, nt + "\\Program Files\\WindowsUpdate\\",
                      21, -1);
  result = RunCollectionFrom(form, boxes, drive, drive, nt, "");
  EXPECT_EQ(result.exitCode, kExitFailed);
  ASSERT_FALSE(result.problems.empty());
  EXPECT_EQ(result.problems.front().rfind("[" + nt + "] Not checked: Error 21: ", 0), 0u)
      << result.problems.front();
  EXPECT_TRUE(drive.RefusedWrites().empty());
}

}  // namespace
}  // namespace lnf
