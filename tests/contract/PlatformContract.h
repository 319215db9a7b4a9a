// What every Platform must do with files, folders and the environment, written
// once and run against each implementation, so that the in-memory drive the
// core tests use cannot drift from real Windows.
//
// Each instance supplies a World: a fresh scratch folder and the means to fill
// it behind the platform's back.
//
//   Platform& platform();
//   std::string Root() const;            // absolute, no trailing backslash
//   void MakeFolder(path, attributes);   // hidden/system bits as wanted
//   void MakeFile(path, contents, lastWrite, attributes);  // replaces one
//   bool Exists(path); std::string Contents(path);
//   void SetEnvironment(name, value);
//   void HoldOpen(path);                 // copies onto `path` fail from now on
//   bool CanName(name) const;            // the platform can spell this name
//   bool HandlesLongPaths() const;       // paths past 260 characters work
//   bool Nt() const;                     // the NT family, not Windows 9x
//   bool MakeLink(path, target, folder); // a symbolic link; false: cannot
//   void MakeFileWrittenAt(path, contents, utc);
//   bool InEuropeanZone() const;         // UTC+1 with the EU's summer time
//   bool SummerTimeNow() const;
//
// MakeFile's `lastWrite` is the local time the platform under test reads
// back, whatever the zone.
//
// Enumeration order differs between platforms and is not part of this
// contract; listings are compared as sorted lists.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"

namespace lnf::contract {

// Dates compare as text, which also reads well in a failure.
inline std::string Text(const LocalDateTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

// Even seconds: FAT keeps no odd ones.
const LocalDateTime kOld{2003, 4, 5, 6, 7, 8};
const LocalDateTime kNewer{2009, 11, 12, 13, 14, 16};

using Names = std::vector<std::string>;

template <typename World>
class ContractTest : public ::testing::Test {
 protected:
  Platform& platform() { return world.platform(); }
  std::string At(const std::string& relative) const { return world.Root() + "\\" + relative; }

  void File(const std::string& relative, const std::string& contents = "x",
            std::uint32_t attributes = 0, const LocalDateTime& lastWrite = kOld) {
    world.MakeFile(At(relative), contents, lastWrite, attributes);
  }
  void Folder(const std::string& relative, std::uint32_t attributes = 0) {
    world.MakeFolder(At(relative), attributes);
  }

  // Every name one enumeration yields, sorted.
  Names List(const std::string& pattern, EntryFilter filter) {
    auto enumeration = platform().Enumerate(pattern, filter);
    Names names;
    for (std::string name = enumeration->Next(); !name.empty(); name = enumeration->Next()) {
      names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  // The failure `action` must end in, told the way the tool reports it.
  PlatformError FailureOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const PlatformError& error) {
      EXPECT_NE(error.number(), 0u);
      const std::string& text = error.description();
      EXPECT_FALSE(text.empty());
      EXPECT_EQ(text.find_last_not_of("\r\n "), text.size() - 1) << "untrimmed: " << text;
      return error;
    }
    ADD_FAILURE() << "no PlatformError";
    return PlatformError(0, {});
  }

  World world;
};

// --- Enumeration -----------------------------------------------------------

template <typename World>
class Enumeration : public ContractTest<World> {};
TYPED_TEST_SUITE_P(Enumeration);

TYPED_TEST_P(Enumeration, FiltersLeaveOutFoldersUnlessAskedAndNeverYieldHiddenOrSystem) {
  this->File("plain.txt");
  this->File("readonly.txt", "x", kAttrReadOnly);
  this->File("hidden.txt", "x", kAttrHidden);
  this->File("system.txt", "x", kAttrSystem);
  this->File("both.txt", "x", kAttrHidden | kAttrSystem);
  this->Folder("sub");
  this->Folder("hiddensub", kAttrHidden);
  this->Folder("systemsub", kAttrSystem);

  EXPECT_EQ(this->List(this->At("*.*"), EntryFilter::kFiles), (Names{"plain.txt", "readonly.txt"}));
  EXPECT_EQ(this->List(this->At("*.*"), EntryFilter::kWithFolders),
            (Names{"plain.txt", "readonly.txt", "sub"}));
  EXPECT_EQ(this->List(this->At("*"), EntryFilter::kWithFolders),
            (Names{"plain.txt", "readonly.txt", "sub"}));
}

TYPED_TEST_P(Enumeration, TrailingBackslashListsTheWholeFolderWithDotsOnlyForFolders) {
  this->File("a.txt");
  this->Folder("sub");
  this->File("sub\\inner.txt");

  EXPECT_EQ(this->List(this->At(""), EntryFilter::kWithFolders),
            (Names{".", "..", "a.txt", "sub"}));
  EXPECT_EQ(this->List(this->At(""), EntryFilter::kFiles), (Names{"a.txt"}));
  EXPECT_EQ(this->List(this->At("sub\\"), EntryFilter::kWithFolders),
            (Names{".", "..", "inner.txt"}));
  EXPECT_EQ(this->List(this->At("sub\\"), EntryFilter::kFiles), (Names{"inner.txt"}));
}

TYPED_TEST_P(Enumeration, WildcardsMatchTheLongNameWithoutRegardToCase) {
  this->File("lang.gng");
  this->File("Upper.GNG");
  this->File("x.gngx");  // its 8.3 alias on Windows ends in .GNG
  this->File("noext");
  this->File("91026inv.as");
  this->File("bas");

  EXPECT_EQ(this->List(this->At("*.gng"), EntryFilter::kFiles), (Names{"Upper.GNG", "lang.gng"}));
  EXPECT_EQ(this->List(this->At("*.GnG"), EntryFilter::kFiles), (Names{"Upper.GNG", "lang.gng"}));
  EXPECT_EQ(this->List(this->At("UPPER.*"), EntryFilter::kFiles), (Names{"Upper.GNG"}));
  EXPECT_EQ(this->List(this->At("*.as"), EntryFilter::kFiles), (Names{"91026inv.as"}));
  EXPECT_EQ(this->List(this->At("*.*"), EntryFilter::kFiles).size(), 6u);
  EXPECT_EQ(this->List(this->At("*.inv"), EntryFilter::kFiles), Names{});
}

TYPED_TEST_P(Enumeration, APatternWithoutWildcardsNamesOneEntry) {
  this->Folder("WindowsUpdate");
  this->File("WindowsUpdate\\iuhist.xml");

  EXPECT_EQ(this->List(this->At("WindowsUpdate"), EntryFilter::kWithFolders),
            (Names{"WindowsUpdate"}));
  EXPECT_EQ(this->List(this->At("windowsupdate"), EntryFilter::kWithFolders),
            (Names{"WindowsUpdate"}));
  EXPECT_EQ(this->List(this->At("WindowsUpdate"), EntryFilter::kFiles), Names{});
  EXPECT_EQ(this->List(this->At("WindowsUpdate\\IUHIST.XML"), EntryFilter::kFiles),
            (Names{"iuhist.xml"}));
  EXPECT_EQ(this->List(this->At("WindowsUpdate\\missing.xml"), EntryFilter::kFiles), Names{});
}

// A file where the pattern needs a folder is no folder either: real NT
// refuses such a search with ERROR_DIRECTORY, Wine with ERROR_INVALID_NAME or
// ERROR_PATH_NOT_FOUND, and both mean no match.
TYPED_TEST_P(Enumeration, MissingFoldersYieldNothing) {
  this->File("file.txt");
  this->Folder("empty");

  EXPECT_EQ(this->List(this->At("missing\\*.gng"), EntryFilter::kFiles), Names{});
  EXPECT_EQ(this->List(this->At("missing\\"), EntryFilter::kWithFolders), Names{});
  EXPECT_EQ(this->List(this->At("missing\\deeper\\"), EntryFilter::kWithFolders), Names{});
  EXPECT_EQ(this->List(this->At("file.txt\\*"), EntryFilter::kWithFolders), Names{});
  EXPECT_EQ(this->List(this->At("file.txt\\*.gng"), EntryFilter::kFiles), Names{});
  EXPECT_EQ(this->List(this->At("file.txt\\"), EntryFilter::kFiles), Names{});
  EXPECT_EQ(this->List(this->At("file.txt\\V4\\iuhist.xml"), EntryFilter::kFiles), Names{});
  EXPECT_EQ(this->List(this->At("empty\\"), EntryFilter::kFiles), Names{});
  EXPECT_EQ(this->List(this->At("empty\\*.*"), EntryFilter::kWithFolders), Names{});
}

TYPED_TEST_P(Enumeration, NestedEnumerationsDoNotDisturbEachOther) {
  for (const char* folder : {"A", "B", "C"}) {
    this->Folder(folder);
    this->File(std::string(folder) + "\\one.txt");
    this->File(std::string(folder) + "\\two.txt");
  }

  auto outer = this->platform().Enumerate(this->At(""), EntryFilter::kWithFolders);
  Names seen;
  Names inner;
  for (std::string name = outer->Next(); !name.empty(); name = outer->Next()) {
    seen.push_back(name);
    if (name == "." || name == "..") continue;
    auto nested = this->platform().Enumerate(this->At(name + "\\*.*"), EntryFilter::kFiles);
    for (std::string file = nested->Next(); !file.empty(); file = nested->Next()) {
      inner.push_back(name + "\\" + file);
    }
  }
  std::sort(seen.begin(), seen.end());
  std::sort(inner.begin(), inner.end());
  EXPECT_EQ(seen, (Names{".", "..", "A", "B", "C"}));
  EXPECT_EQ(inner.size(), 6u);
  // Once at its end an enumeration stays there.
  EXPECT_EQ(outer->Next(), "");
  EXPECT_EQ(outer->Next(), "");
}

REGISTER_TYPED_TEST_SUITE_P(Enumeration,
                            FiltersLeaveOutFoldersUnlessAskedAndNeverYieldHiddenOrSystem,
                            TrailingBackslashListsTheWholeFolderWithDotsOnlyForFolders,
                            WildcardsMatchTheLongNameWithoutRegardToCase,
                            APatternWithoutWildcardsNamesOneEntry, MissingFoldersYieldNothing,
                            NestedEnumerationsDoNotDisturbEachOther);

// --- Attributes --------------------------------------------------------------

template <typename World>
class Attributes : public ContractTest<World> {};
TYPED_TEST_SUITE_P(Attributes);

TYPED_TEST_P(Attributes, FoldersCarryTheDirectoryBitWithOrWithoutTrailingBackslash) {
  this->Folder("plain");
  this->Folder("hidden", kAttrHidden);

  EXPECT_TRUE(this->platform().GetAttributes(this->At("plain")) & kAttrDirectory);
  EXPECT_TRUE(this->platform().GetAttributes(this->At("plain\\")) & kAttrDirectory);
  const std::uint32_t hidden = this->platform().GetAttributes(this->At("hidden\\"));
  EXPECT_TRUE(hidden & kAttrDirectory);
  EXPECT_TRUE(hidden & kAttrHidden);
}

TYPED_TEST_P(Attributes, FilesShowTheirOwnBits) {
  this->File("plain.txt");
  this->File("locked.txt", "x", kAttrReadOnly | kAttrHidden);

  EXPECT_FALSE(this->platform().GetAttributes(this->At("plain.txt")) & kAttrDirectory);
  const std::uint32_t locked = this->platform().GetAttributes(this->At("locked.txt"));
  EXPECT_EQ(locked & (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory),
            static_cast<std::uint32_t>(kAttrReadOnly | kAttrHidden));
}

TYPED_TEST_P(Attributes, MissingEmptyOrMalformedPathsThrow) {
  this->File("file.txt");
  for (const std::string& path : {this->At("missing"), this->At("missing\\deeper"), std::string(),
                                  this->At("a<b"), this->At("file.txt\\")}) {
    SCOPED_TRACE("path '" + path + "'");
    const PlatformError error = this->FailureOf([&] { this->platform().GetAttributes(path); });
    EXPECT_EQ(error.subject(), path);
  }
}

REGISTER_TYPED_TEST_SUITE_P(Attributes, FoldersCarryTheDirectoryBitWithOrWithoutTrailingBackslash,
                            FilesShowTheirOwnBits, MissingEmptyOrMalformedPathsThrow);

// --- Folder creation ---------------------------------------------------------

template <typename World>
class FolderCreation : public ContractTest<World> {};
TYPED_TEST_SUITE_P(FolderCreation);

TYPED_TEST_P(FolderCreation, MakesOneLevel) {
  this->platform().CreateFolder(this->At("LNF_INV"));
  this->platform().CreateFolder(this->At("LNF_INV\\OU"));

  EXPECT_TRUE(this->platform().GetAttributes(this->At("LNF_INV\\OU")) & kAttrDirectory);
  EXPECT_EQ(this->List(this->At("LNF_INV\\"), EntryFilter::kWithFolders), (Names{".", "..", "OU"}));
}

TYPED_TEST_P(FolderCreation, ThrowsWhenTheNameIsTaken) {
  this->Folder("there");
  this->File("file");

  for (const std::string& path : {this->At("there"), this->At("file")}) {
    const PlatformError error = this->FailureOf([&] { this->platform().CreateFolder(path); });
    EXPECT_EQ(error.subject(), path);
  }
  EXPECT_FALSE(this->platform().GetAttributes(this->At("file")) & kAttrDirectory);
}

TYPED_TEST_P(FolderCreation, ThrowsWhenTheParentIsMissing) {
  const std::string path = this->At("missing\\child");
  const PlatformError error = this->FailureOf([&] { this->platform().CreateFolder(path); });
  EXPECT_EQ(error.subject(), path);
  EXPECT_FALSE(this->world.Exists(this->At("missing")));
}

REGISTER_TYPED_TEST_SUITE_P(FolderCreation, MakesOneLevel, ThrowsWhenTheNameIsTaken,
                            ThrowsWhenTheParentIsMissing);

// --- File copy ---------------------------------------------------------------

template <typename World>
class FileCopy : public ContractTest<World> {
 protected:
  // Every byte value, line ends of both kinds and a NUL in the middle.
  static std::string Binary() {
    std::string bytes = "line\r\nline\n";
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
    return bytes + std::string(70000, '\xA5');
  }
};
TYPED_TEST_SUITE_P(FileCopy);

TYPED_TEST_P(FileCopy, CopiesEveryByteAndKeepsTheLastWriteTime) {
  this->File("source.bin", FileCopy<TypeParam>::Binary(), 0, kOld);
  this->Folder("backup");

  this->platform().CopyFileReplacing(this->At("source.bin"), this->At("backup\\source.bin"));

  EXPECT_EQ(this->world.Contents(this->At("backup\\source.bin")), FileCopy<TypeParam>::Binary());
  EXPECT_EQ(Text(this->platform().GetLastWriteTime(this->At("backup\\source.bin"))), Text(kOld));
  EXPECT_EQ(this->world.Contents(this->At("source.bin")), FileCopy<TypeParam>::Binary());
}

TYPED_TEST_P(FileCopy, ReplacesAnEarlierCopyAndLeavesNothingElseBehind) {
  this->Folder("backup");
  this->File("backup\\inv.gng", "earlier", 0, kOld);
  this->File("inv.gng", "newer", 0, kNewer);

  this->platform().CopyFileReplacing(this->At("inv.gng"), this->At("backup\\inv.gng"));

  EXPECT_EQ(this->world.Contents(this->At("backup\\inv.gng")), "newer");
  EXPECT_EQ(Text(this->platform().GetLastWriteTime(this->At("backup\\inv.gng"))), Text(kNewer));
  EXPECT_EQ(this->List(this->At("backup\\"), EntryFilter::kFiles), (Names{"inv.gng"}));
}

TYPED_TEST_P(FileCopy, ReplacesACopyOfAReadOnlyFile) {
  this->Folder("backup");
  this->File("inv.gng", "first run", kAttrReadOnly);
  this->platform().CopyFileReplacing(this->At("inv.gng"), this->At("backup\\inv.gng"));

  this->File("inv.gng", "second run", kAttrReadOnly);
  this->platform().CopyFileReplacing(this->At("inv.gng"), this->At("backup\\inv.gng"));

  EXPECT_EQ(this->world.Contents(this->At("backup\\inv.gng")), "second run");
  EXPECT_EQ(this->List(this->At("backup\\"), EntryFilter::kFiles), (Names{"inv.gng"}));
}

TYPED_TEST_P(FileCopy, AMissingSourceThrowsAndLeavesNoDestination) {
  this->Folder("backup");
  const std::string source = this->At("missing.gng");

  const PlatformError error = this->FailureOf(
      [&] { this->platform().CopyFileReplacing(source, this->At("backup\\missing.gng")); });

  EXPECT_NE(error.subject().find(source), std::string::npos) << error.subject();
  EXPECT_EQ(this->List(this->At("backup\\"), EntryFilter::kWithFolders), (Names{".", ".."}));
}

TYPED_TEST_P(FileCopy, AMissingDestinationFolderThrows) {
  this->File("inv.gng");
  this->FailureOf(
      [&] { this->platform().CopyFileReplacing(this->At("inv.gng"), this->At("gone\\inv.gng")); });
  EXPECT_FALSE(this->world.Exists(this->At("gone")));
}

TYPED_TEST_P(FileCopy, AFailedCopyKeepsTheEarlierGoodCopy) {
  this->Folder("backup");
  this->File("backup\\inv.gng", "good", kAttrReadOnly, kOld);
  this->File("backup\\locked.gng", "good too");
  this->Folder("afolder.gng");
  this->File("locked.gng", "newer");
  this->world.HoldOpen(this->At("backup\\locked.gng"));

  this->Folder("backup\\folder.gng");
  // A source that is gone, a source that is a folder, a destination that is
  // held open by another program, a destination that is a folder.
  this->FailureOf([&] {
    this->platform().CopyFileReplacing(this->At("missing.gng"), this->At("backup\\inv.gng"));
  });
  this->FailureOf([&] {
    this->platform().CopyFileReplacing(this->At("afolder.gng"), this->At("backup\\inv.gng"));
  });
  this->FailureOf([&] {
    this->platform().CopyFileReplacing(this->At("locked.gng"), this->At("backup\\locked.gng"));
  });
  this->FailureOf([&] {
    this->platform().CopyFileReplacing(this->At("locked.gng"), this->At("backup\\folder.gng"));
  });

  EXPECT_EQ(this->world.Contents(this->At("backup\\inv.gng")), "good");
  EXPECT_EQ(this->world.Contents(this->At("backup\\locked.gng")), "good too");
  EXPECT_EQ(Text(this->platform().GetLastWriteTime(this->At("backup\\inv.gng"))), Text(kOld));
  EXPECT_TRUE(this->platform().GetAttributes(this->At("backup\\inv.gng")) & kAttrReadOnly);
  EXPECT_EQ(this->List(this->At("backup\\"), EntryFilter::kFiles),
            (Names{"inv.gng", "locked.gng"}));
  EXPECT_TRUE(this->platform().GetAttributes(this->At("backup\\folder.gng")) & kAttrDirectory);
}

// Copies in progress live in the staging folder until complete. Opening it
// sweeps what an interrupted run left there, its own names only: an earlier
// copy set aside (".old") may be the only one left of its file. Closing it
// removes it once empty.
TYPED_TEST_P(FileCopy, AStagingFolderIsSweptAtTheStartAndLeftAsFoundByEveryCopy) {
  const std::string staging = this->At("root\\staging");
  this->Folder("root");
  this->Folder("root\\staging");
  this->File("root\\staging\\~lnf-0.tmp", "half");
  this->File("root\\staging\\~lnf-2.tmp", "half", kAttrReadOnly | kAttrHidden);
  this->File("root\\staging\\~lnf-1.old", "set aside");
  this->File("root\\staging\\notes.txt", "not ours");
  this->Folder("root\\out");
  this->File("root\\out\\inv.gng", "earlier", kAttrReadOnly);
  this->File("inv.gng", "newer", kAttrReadOnly);
  this->File("new.gng", "new");

  EXPECT_TRUE(this->platform().OpenStaging(staging));
  EXPECT_FALSE(this->world.Exists(staging + "\\~lnf-0.tmp"));
  EXPECT_FALSE(this->world.Exists(staging + "\\~lnf-2.tmp"));
  this->platform().CopyFileReplacing(this->At("inv.gng"), this->At("root\\out\\inv.gng"), staging);
  this->platform().CopyFileReplacing(this->At("new.gng"), this->At("root\\out\\new.gng"), staging);
  this->FailureOf([&] {
    this->platform().CopyFileReplacing(this->At("gone.gng"), this->At("root\\out\\gone.gng"),
                                       staging);
  });
  this->FailureOf([&] {
    this->platform().CopyFileReplacing(this->At("new.gng"), this->At("root\\gone\\new.gng"),
                                       staging);
  });

  EXPECT_EQ(this->world.Contents(this->At("root\\out\\inv.gng")), "newer");
  EXPECT_EQ(this->world.Contents(this->At("root\\out\\new.gng")), "new");
  EXPECT_EQ(this->List(this->At("root\\out\\"), EntryFilter::kFiles),
            (Names{"inv.gng", "new.gng"}));
  EXPECT_EQ(this->List(staging + "\\", EntryFilter::kFiles), (Names{"notes.txt", "~lnf-1.old"}));
  this->platform().CloseStaging(staging);
  EXPECT_EQ(this->world.Contents(staging + "\\~lnf-1.old"), "set aside");

  // A new one is made, and goes once done with.
  const std::string fresh = this->At("root\\fresh");
  EXPECT_TRUE(this->platform().OpenStaging(fresh));
  this->platform().CopyFileReplacing(this->At("new.gng"), this->At("root\\out\\new.gng"), fresh);
  this->platform().CloseStaging(fresh);
  EXPECT_FALSE(this->world.Exists(fresh));
  EXPECT_FALSE(this->platform().OpenStaging(this->At("missing\\staging")));
  EXPECT_FALSE(this->platform().OpenStaging(this->At("new.gng")));
}

REGISTER_TYPED_TEST_SUITE_P(FileCopy, CopiesEveryByteAndKeepsTheLastWriteTime,
                            ReplacesAnEarlierCopyAndLeavesNothingElseBehind,
                            ReplacesACopyOfAReadOnlyFile,
                            AMissingSourceThrowsAndLeavesNoDestination,
                            AMissingDestinationFolderThrows, AFailedCopyKeepsTheEarlierGoodCopy,
                            AStagingFolderIsSweptAtTheStartAndLeftAsFoundByEveryCopy);

// --- Dates and the environment ----------------------------------------------

template <typename World>
class FileDates : public ContractTest<World> {};
TYPED_TEST_SUITE_P(FileDates);

TYPED_TEST_P(FileDates, LastWriteTimeIsTheLocalTimeTheFileWasWritten) {
  this->File("old.gng", "x", 0, kOld);
  this->File("newer.gng", "x", kAttrHidden, kNewer);

  EXPECT_EQ(Text(this->platform().GetLastWriteTime(this->At("old.gng"))), Text(kOld));
  EXPECT_EQ(Text(this->platform().GetLastWriteTime(this->At("newer.gng"))), Text(kNewer));
}

TYPED_TEST_P(FileDates, LastWriteTimeOfAMissingFileThrows) {
  const std::string path = this->At("missing.gng");
  const PlatformError error = this->FailureOf([&] { this->platform().GetLastWriteTime(path); });
  EXPECT_EQ(error.subject(), path);
}

// The offset of the file's own date, not today's: a file of New Year's Eve
// stays in its year in summer, and one of a summer night stays on its day in
// winter, whatever the season now. Windows 9x knows only today's offset.
TYPED_TEST_P(FileDates, LastWriteTimeTakesTheOffsetInForceAtTheFilesDate) {
  if (!this->world.InEuropeanZone())
    GTEST_SKIP() << "needs UTC+1 with summer time (TZ=Europe/Berlin)";
  this->world.MakeFileWrittenAt(this->At("newyear.gng"), "x", {2011, 12, 31, 22, 30, 0});
  this->world.MakeFileWrittenAt(this->At("summer.gng"), "x", {2011, 6, 30, 21, 30, 0});

  const std::string newYear = Text(this->platform().GetLastWriteTime(this->At("newyear.gng")));
  const std::string summer = Text(this->platform().GetLastWriteTime(this->At("summer.gng")));
  if (this->world.Nt()) {
    EXPECT_EQ(newYear, "2011-12-31 23:30:00");
    EXPECT_EQ(summer, "2011-06-30 23:30:00");
  } else if (this->world.SummerTimeNow()) {
    EXPECT_EQ(newYear, "2012-01-01 00:30:00");
    EXPECT_EQ(summer, "2011-06-30 23:30:00");
  } else {
    EXPECT_EQ(newYear, "2011-12-31 23:30:00");
    EXPECT_EQ(summer, "2011-06-30 22:30:00");
  }
}

REGISTER_TYPED_TEST_SUITE_P(FileDates, LastWriteTimeIsTheLocalTimeTheFileWasWritten,
                            LastWriteTimeOfAMissingFileThrows,
                            LastWriteTimeTakesTheOffsetInForceAtTheFilesDate);

template <typename World>
class Environment : public ContractTest<World> {};
TYPED_TEST_SUITE_P(Environment);

TYPED_TEST_P(Environment, ValuesAreFoundWithoutRegardToCaseAndUnsetOnesAreEmpty) {
  const std::string longValue(1000, 'v');
  this->world.SetEnvironment("LNF_CONTRACT_VALUE", "C:\\Lanternfall");
  this->world.SetEnvironment("LNF_CONTRACT_LONG", longValue);

  EXPECT_EQ(this->platform().GetEnvironmentValue("LNF_CONTRACT_VALUE"), "C:\\Lanternfall");
  EXPECT_EQ(this->platform().GetEnvironmentValue("lnf_contract_value"), "C:\\Lanternfall");
  EXPECT_EQ(this->platform().GetEnvironmentValue("LNF_CONTRACT_LONG"), longValue);
  EXPECT_EQ(this->platform().GetEnvironmentValue("LNF_CONTRACT_UNSET"), "");
  EXPECT_FALSE(this->platform().GetEnvironmentValue("windir").empty());
}

REGISTER_TYPED_TEST_SUITE_P(Environment, ValuesAreFoundWithoutRegardToCaseAndUnsetOnesAreEmpty);

// --- Names in other scripts and long paths ----------------------------------

template <typename World>
class UnusualPaths : public ContractTest<World> {
 protected:
  // Three files and a folder named in some script: listed under their own
  // names, found by extension, dated and copied byte for byte.
  void ListsAndCopies(const std::string& gng, const std::string& inv, const std::string& as,
                      const std::string& folder) {
    for (const std::string& name : {gng, inv, as, folder}) {
      if (!this->world.CanName(name)) GTEST_SKIP() << "the ANSI code page cannot spell " << name;
    }
    this->File(gng, gng, 0, kOld);
    this->File(inv, inv, 0, kNewer);
    this->File(as, as);
    this->Folder(folder);
    Names files{gng, inv, as};
    std::sort(files.begin(), files.end());

    EXPECT_EQ(this->List(this->At("*.*"), EntryFilter::kFiles), files);
    EXPECT_EQ(this->List(this->At("*.GNG"), EntryFilter::kFiles), (Names{gng}));
    EXPECT_EQ(this->List(this->At(folder), EntryFilter::kWithFolders), (Names{folder}));
    EXPECT_EQ(Text(this->platform().GetLastWriteTime(this->At(inv))), Text(kNewer));

    for (const std::string& name : files) {
      this->platform().CopyFileReplacing(this->At(name), this->At(folder + "\\" + name));
    }
    this->platform().CopyFileReplacing(this->At(inv), this->At(folder + "\\" + gng));

    EXPECT_EQ(this->List(this->At(folder + "\\"), EntryFilter::kFiles), files);
    EXPECT_EQ(this->world.Contents(this->At(folder + "\\" + gng)), inv);
    EXPECT_EQ(this->world.Contents(this->At(folder + "\\" + as)), as);
  }
};
TYPED_TEST_SUITE_P(UnusualPaths);

TYPED_TEST_P(UnusualPaths, CyrillicGreekAndJapaneseNamesAreListedAndCopied) {
  this->ListsAndCopies("Журнал.gng", "Ευρετήριο.inv", "目録.as", "保存先");
}

// The ones a Western ANSI code page can spell, so that Windows 9x is held to
// them too.
TYPED_TEST_P(UnusualPaths, AccentedLatinNamesAreListedAndCopied) {
  this->ListsAndCopies("Prüfung.gng", "Æble.inv", "déjà.as", "Sicherungsordner für Öl");
}

// Folders are made one level at a time, as the backups make them, until the
// paths are well past MAX_PATH; one level lands where only CreateDirectory's
// own, shorter limit applies.
TYPED_TEST_P(UnusualPaths, TreesDeeperThanMaxPathWork) {
  std::vector<std::string> levels;
  std::string deep = this->world.Root();
  auto next = [&](std::size_t length) {
    deep += "\\" + std::string(length - 1, 'd') + std::to_string(levels.size() % 10);
    levels.push_back(deep);
  };
  while (deep.size() < 200) next(40);
  next(252 - deep.size() - 1);  // 252: under MAX_PATH, not under MAX_PATH-12
  while (deep.size() < 330) next(40);

  if (!this->world.HandlesLongPaths()) {
    this->platform().CreateFolder(levels.front());
    std::size_t i = 1;
    for (; i < levels.size() && levels[i].size() < 248; ++i) {
      this->platform().CreateFolder(levels[i]);
    }
    const PlatformError error = this->FailureOf([&] { this->platform().CreateFolder(levels[i]); });
    EXPECT_EQ(error.number(), 206u) << "ERROR_FILENAME_EXCED_RANGE";
    EXPECT_EQ(error.subject(), levels[i]);
    return;
  }

  for (const std::string& level : levels) this->platform().CreateFolder(level);
  this->File("inv.gng", "deep", 0, kOld);
  const std::string copy = deep + "\\inv.gng";
  this->platform().CopyFileReplacing(this->At("inv.gng"), copy);
  this->platform().CopyFileReplacing(this->At("inv.gng"), copy);

  EXPECT_EQ(this->world.Contents(copy), "deep");
  EXPECT_EQ(Text(this->platform().GetLastWriteTime(copy)), Text(kOld));
  EXPECT_TRUE(this->platform().GetAttributes(deep) & kAttrDirectory);
  EXPECT_TRUE(this->platform().GetAttributes(deep + "\\") & kAttrDirectory);
  EXPECT_EQ(this->List(deep + "\\", EntryFilter::kWithFolders), (Names{".", "..", "inv.gng"}));
  EXPECT_EQ(this->List(deep + "\\*.GNG", EntryFilter::kFiles), (Names{"inv.gng"}));
  EXPECT_EQ(this->List(levels[levels.size() - 2] + "\\", EntryFilter::kWithFolders).size(), 3u);
  this->FailureOf([&] { this->platform().CreateFolder(deep); });
}

// Names that the system takes for one another in a folder that ignores case
// upper-case alike, in every script it knows cases for; others do not.
TYPED_TEST_P(UnusualPaths, NamesUpperCaseAsTheSystemComparesThem) {
  const std::vector<std::pair<std::string, std::string>> same = {{"a.INV", "A.inv"},
                                                                 {"Ärger ÿ.gng", "äRGER Ÿ.GNG"},
                                                                 {"Žluť.as", "žLUŤ.AS"},
                                                                 {"Журнал.gng", "жУРНАЛ.GNG"},
                                                                 {"Ευρετήριο", "ΕΥΡΕΤΉΡΙΟ"}};
  const std::vector<std::pair<std::string, std::string>> different = {
      {"a.inv", "b.inv"}, {"Straße", "STRASSE"}, {"ä.inv", "a.inv"}};
  for (const auto& [one, other] : same) {
    if (!this->world.CanName(one) || !this->world.CanName(other)) continue;
    EXPECT_EQ(this->platform().UpperCaseName(one), this->platform().UpperCaseName(other))
        << one << " / " << other;
  }
  for (const auto& [one, other] : different) {
    if (!this->world.CanName(one) || !this->world.CanName(other)) continue;
    EXPECT_NE(this->platform().UpperCaseName(one), this->platform().UpperCaseName(other))
        << one << " / " << other;
  }
}

REGISTER_TYPED_TEST_SUITE_P(UnusualPaths, CyrillicGreekAndJapaneseNamesAreListedAndCopied,
                            AccentedLatinNamesAreListedAndCopied, TreesDeeperThanMaxPathWork,
                            NamesUpperCaseAsTheSystemComparesThem);

// --- Links --------------------------------------------------------------------

template <typename World>
class Links : public ContractTest<World> {};
TYPED_TEST_SUITE_P(Links);

// A folder link is an entry of its own that shows it is one; a file link is
// listed and copied as its target's content; a link whose target is gone is
// not listed at all.
TYPED_TEST_P(Links, AreShownAsLinksAndCopiedAsTheirTargets) {
  this->Folder("target");
  this->File("target\\inside.txt", "inside");
  if (!this->world.MakeLink(this->At("folderlink"), this->At("target"), true) ||
      !this->world.MakeLink(this->At("filelink.txt"), this->At("target\\inside.txt"), false) ||
      !this->world.MakeLink(this->At("dangling.txt"), this->At("gone.txt"), false)) {
    GTEST_SKIP() << "this world cannot make links";
  }
  this->Folder("backup");

  const std::uint32_t link = this->platform().GetAttributes(this->At("folderlink"));
  EXPECT_EQ(link & (kAttrDirectory | kAttrReparsePoint),
            static_cast<std::uint32_t>(kAttrDirectory | kAttrReparsePoint));
  EXPECT_FALSE(this->platform().GetAttributes(this->At("target")) & kAttrReparsePoint);
  EXPECT_EQ(this->List(this->At(""), EntryFilter::kWithFolders),
            (Names{".", "..", "backup", "filelink.txt", "folderlink", "target"}));
  EXPECT_EQ(this->List(this->At("*.*"), EntryFilter::kFiles), (Names{"filelink.txt"}));
  EXPECT_EQ(this->List(this->At("folderlink\\*.*"), EntryFilter::kFiles), (Names{"inside.txt"}));

  this->platform().CopyFileReplacing(this->At("filelink.txt"), this->At("backup\\filelink.txt"));
  EXPECT_EQ(this->world.Contents(this->At("backup\\filelink.txt")), "inside");
  EXPECT_FALSE(this->platform().GetAttributes(this->At("backup\\filelink.txt")) &
               kAttrReparsePoint);
}

REGISTER_TYPED_TEST_SUITE_P(Links, AreShownAsLinksAndCopiedAsTheirTargets);

// --- Names that Windows' path parsing would change ---------------------------

template <typename World>
class LiteralNames : public ContractTest<World> {};
TYPED_TEST_SUITE_P(LiteralNames);

// Real disks hold such names (made through "\\?\" paths, shares, other
// systems). The NT family reads, dates and copies them as they are, never
// another file in their place; Windows 9x cannot reach them and says so,
// naming the path, instead of working on a look-alike or a device.
TYPED_TEST_P(LiteralNames, TrailingDotsBlanksAndDeviceNamesAreTakenAsTheyAre) {
  const Names bent{"aux.cab", "blank.inv ", "com1.bm", "nul.inv", "trail.inv."};
  for (const std::string& name : bent) this->File(name, "is " + name, 0, kOld);
  this->File("trail.inv", "the other file", 0, kNewer);
  this->Folder("CON");
  this->File("CON\\inside.txt", "in CON");
  this->Folder("backup");

  if (!this->world.Nt()) {
    for (const std::string& name : bent) {
      SCOPED_TRACE(name);
      const std::string path = this->At(name);
      EXPECT_EQ(this->FailureOf([&] { this->platform().GetAttributes(path); }).subject(), path);
      EXPECT_EQ(this->FailureOf([&] { this->platform().GetLastWriteTime(path); }).number(), 123u);
      const PlatformError copy = this->FailureOf(
          [&] { this->platform().CopyFileReplacing(path, this->At("backup\\" + name)); });
      EXPECT_NE(copy.subject().find(path), std::string::npos) << copy.subject();
    }
    const std::string con = this->At("CON");
    EXPECT_EQ(this->FailureOf([&] { this->platform().GetAttributes(con); }).subject(), con);
    this->FailureOf([&] { this->platform().CreateFolder(this->At("backup\\CON")); });
    this->FailureOf([&] { this->platform().Enumerate(this->At("CON\\"), EntryFilter::kFiles); });
    this->platform().CopyFileReplacing(this->At("trail.inv"), this->At("backup\\trail.inv"));
    EXPECT_EQ(this->List(this->At("backup\\"), EntryFilter::kWithFolders),
              (Names{".", "..", "trail.inv"}));
    EXPECT_EQ(this->world.Contents(this->At("backup\\trail.inv")), "the other file");
    return;
  }

  Names files = bent;
  files.push_back("trail.inv");
  std::sort(files.begin(), files.end());
  EXPECT_EQ(this->List(this->At("*.*"), EntryFilter::kFiles), files);
  EXPECT_EQ(this->List(this->At("CON\\"), EntryFilter::kFiles), (Names{"inside.txt"}));
  EXPECT_TRUE(this->platform().GetAttributes(this->At("CON")) & kAttrDirectory);
  EXPECT_TRUE(this->platform().GetAttributes(this->At("CON\\")) & kAttrDirectory);
  this->platform().CreateFolder(this->At("backup\\CON"));
  this->platform().CopyFileReplacing(this->At("CON\\inside.txt"),
                                     this->At("backup\\CON\\inside.txt"));
  for (const std::string& name : files) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(this->platform().GetAttributes(this->At(name)) & kAttrDirectory);
    EXPECT_EQ(Text(this->platform().GetLastWriteTime(this->At(name))),
              Text(name == "trail.inv" ? kNewer : kOld));
    this->platform().CopyFileReplacing(this->At(name), this->At("backup\\" + name));
  }
  this->platform().CopyFileReplacing(this->At("nul.inv"), this->At("backup\\nul.inv"));

  files.push_back("CON");
  std::sort(files.begin(), files.end());
  EXPECT_EQ(this->List(this->At("backup\\*"), EntryFilter::kWithFolders), files);
  for (const std::string& name : bent) {
    EXPECT_EQ(this->world.Contents(this->At("backup\\" + name)), "is " + name);
  }
  EXPECT_EQ(this->world.Contents(this->At("backup\\trail.inv")), "the other file");
  EXPECT_EQ(this->world.Contents(this->At("backup\\CON\\inside.txt")), "in CON");
}

REGISTER_TYPED_TEST_SUITE_P(LiteralNames, TrailingDotsBlanksAndDeviceNamesAreTakenAsTheyAre);

}  // namespace lnf::contract

// Runs every group above against one World type.
#define LNF_INSTANTIATE_PLATFORM_CONTRACT(Prefix, WorldType)         \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, Enumeration, WorldType);    \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, Attributes, WorldType);     \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, FolderCreation, WorldType); \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, FileCopy, WorldType);       \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, FileDates, WorldType);      \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, Environment, WorldType);    \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, UnusualPaths, WorldType);   \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, Links, WorldType);          \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, LiteralNames, WorldType)
