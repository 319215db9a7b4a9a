// The platform contract: the replacing copy and its staging.
#pragma once

#include "ContractTest.h"

namespace lnf::contract {

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

  CopyFileReplacing(this->platform(), this->At("source.bin"), this->At("backup\\source.bin"));

  EXPECT_EQ(this->world.Contents(this->At("backup\\source.bin")), FileCopy<TypeParam>::Binary());
  EXPECT_EQ(Text(this->platform().GetLastWriteTime(this->At("backup\\source.bin"))), Text(kOld));
  EXPECT_EQ(this->world.Contents(this->At("source.bin")), FileCopy<TypeParam>::Binary());
}

TYPED_TEST_P(FileCopy, ReplacesAnEarlierCopyAndLeavesNothingElseBehind) {
  this->Folder("backup");
  this->File("backup\\inv.gng", "earlier", 0, kOld);
  this->File("inv.gng", "newer", 0, kNewer);

  CopyFileReplacing(this->platform(), this->At("inv.gng"), this->At("backup\\inv.gng"));

  EXPECT_EQ(this->world.Contents(this->At("backup\\inv.gng")), "newer");
  EXPECT_EQ(Text(this->platform().GetLastWriteTime(this->At("backup\\inv.gng"))), Text(kNewer));
  EXPECT_EQ(this->List(this->At("backup\\"), EntryFilter::kFiles), (Names{"inv.gng"}));
}

TYPED_TEST_P(FileCopy, ReplacesACopyOfAReadOnlyFile) {
  this->Folder("backup");
  this->File("inv.gng", "first run", kAttrReadOnly);
  CopyFileReplacing(this->platform(), this->At("inv.gng"), this->At("backup\\inv.gng"));

  this->File("inv.gng", "second run", kAttrReadOnly);
  CopyFileReplacing(this->platform(), this->At("inv.gng"), this->At("backup\\inv.gng"));

  EXPECT_EQ(this->world.Contents(this->At("backup\\inv.gng")), "second run");
  EXPECT_EQ(this->List(this->At("backup\\"), EntryFilter::kFiles), (Names{"inv.gng"}));
}

TYPED_TEST_P(FileCopy, AMissingSourceThrowsAndLeavesNoDestination) {
  this->Folder("backup");
  const std::string source = this->At("missing.gng");

  const PlatformError error = this->FailureOf(
      [&] { CopyFileReplacing(this->platform(), source, this->At("backup\\missing.gng")); });

  EXPECT_NE(error.subject().find(source), std::string::npos) << error.subject();
  EXPECT_EQ(this->List(this->At("backup\\"), EntryFilter::kWithFolders), (Names{".", ".."}));
}

TYPED_TEST_P(FileCopy, AMissingDestinationFolderThrows) {
  this->File("inv.gng");
  this->FailureOf(
      [&] { CopyFileReplacing(this->platform(), this->At("inv.gng"), this->At("gone\\inv.gng")); });
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
    CopyFileReplacing(this->platform(), this->At("missing.gng"), this->At("backup\\inv.gng"));
  });
  this->FailureOf([&] {
    CopyFileReplacing(this->platform(), this->At("afolder.gng"), this->At("backup\\inv.gng"));
  });
  this->FailureOf([&] {
    CopyFileReplacing(this->platform(), this->At("locked.gng"), this->At("backup\\locked.gng"));
  });
  this->FailureOf([&] {
    CopyFileReplacing(this->platform(), this->At("locked.gng"), this->At("backup\\folder.gng"));
  });

  EXPECT_EQ(this->world.Contents(this->At("backup\\inv.gng")), "good");
  EXPECT_EQ(this->world.Contents(this->At("backup\\locked.gng")), "good too");
  EXPECT_EQ(Text(this->platform().GetLastWriteTime(this->At("backup\\inv.gng"))), Text(kOld));
  EXPECT_TRUE(this->platform().GetAttributes(this->At("backup\\inv.gng")) & kAttrReadOnly);
  EXPECT_EQ(this->List(this->At("backup\\"), EntryFilter::kFiles),
            (Names{"inv.gng", "locked.gng"}));
  EXPECT_TRUE(this->platform().GetAttributes(this->At("backup\\folder.gng")) & kAttrDirectory);
}

// Beside its destination a copy in progress passes over the names that are
// taken, by files another program holds open too, and never takes the
// destination's own name; such files are copied like any other.
TYPED_TEST_P(FileCopy, CopiesBesideTheDestinationPassOverTheNamesTaken) {
  this->Folder("backup");
  this->File("backup\\~lnf-0.tmp", "user zero");
  this->File("backup\\~lnf-1.tmp", "user one");
  this->world.HoldOpen(this->At("backup\\~lnf-0.tmp"));
  this->File("inv.gng", "inv");
  this->File("~lnf-2.tmp", "user two");
  this->File("~lnf-1.old", "user old");

  CopyFileReplacing(this->platform(), this->At("inv.gng"), this->At("backup\\inv.gng"));
  CopyFileReplacing(this->platform(), this->At("~lnf-2.tmp"), this->At("backup\\~LNF-2.TMP"));
  CopyFileReplacing(this->platform(), this->At("~lnf-1.old"), this->At("backup\\~lnf-1.old"));
  this->File("~lnf-2.tmp", "user two again");
  CopyFileReplacing(this->platform(), this->At("~lnf-2.tmp"), this->At("backup\\~LNF-2.TMP"));

  EXPECT_EQ(this->world.Contents(this->At("backup\\inv.gng")), "inv");
  EXPECT_EQ(this->world.Contents(this->At("backup\\~lnf-0.tmp")), "user zero");
  EXPECT_EQ(this->world.Contents(this->At("backup\\~lnf-1.tmp")), "user one");
  EXPECT_EQ(this->world.Contents(this->At("backup\\~lnf-2.tmp")), "user two again");
  EXPECT_EQ(this->world.Contents(this->At("backup\\~lnf-1.old")), "user old");
  EXPECT_EQ(this->List(this->At("backup\\"), EntryFilter::kFiles),
            (Names{"inv.gng", "~LNF-2.TMP", "~lnf-0.tmp", "~lnf-1.old", "~lnf-1.tmp"}));
}

// Each run stages in a folder of its own inside the parent, which it holds
// by a lock file while it lives. Opening sweeps what dead runs left (copies
// in progress, folders being built), never an earlier copy set aside
// (".old", it may be the only one left of its file) nor a name not its own,
// and leaves live runs alone; one run closing never takes another's folder.
TYPED_TEST_P(FileCopy, EachRunStagesInAFolderOfItsOwnAndSweepsOnlyDeadRuns) {
  const std::string parent = this->At("root\\staging");
  this->Folder("root");
  this->Folder("root\\staging");
  this->Folder("root\\staging\\0");
  this->File("root\\staging\\0\\~lnf-lock", "");
  this->File("root\\staging\\0\\~lnf-0.tmp", "half");
  this->File("root\\staging\\0\\~lnf-2.tmp", "half", kAttrReadOnly | kAttrHidden);
  this->File("root\\staging\\0\\~lnf-1.old", "set aside");
  this->File("root\\staging\\0\\~lnf-.tmp", "not ours");
  this->Folder("root\\staging\\0\\OU");
  this->File("root\\staging\\0\\OU\\part.cab", "part", kAttrReadOnly);
  // A folder link left there (by no run of ours): what it points at stays.
  this->Folder("kept");
  this->File("kept\\k.cab", "kept");
  const bool linked = this->world.MakeLink(parent + "\\0\\link", this->At("kept"), true);
  this->Folder("root\\staging\\7");
  this->File("root\\staging\\7\\~lnf-lock", "");
  this->Folder("root\\out");
  this->File("root\\out\\inv.gng", "earlier", kAttrReadOnly);
  this->File("inv.gng", "newer", kAttrReadOnly);
  this->File("new.gng", "new");
  const auto copy = [&](const std::string& from, const std::string& to, const StagingArea& run) {
    CopyFileReplacing(this->platform(), this->At(from), this->At(to), run.Folder());
  };

  std::unique_ptr<StagingArea> first = OpenStaging(this->platform(), this->platform(), parent);
  ASSERT_TRUE(first);
  Names left{".", "..", "~lnf-.tmp", "~lnf-1.old"};
  if (linked) left.insert(left.begin() + 2, "link");
  EXPECT_EQ(this->List(parent + "\\0\\", EntryFilter::kWithFolders), left);
  EXPECT_EQ(this->world.Contents(parent + "\\0\\~lnf-1.old"), "set aside");
  EXPECT_EQ(this->world.Contents(this->At("kept\\k.cab")), "kept");
  EXPECT_FALSE(this->world.Exists(parent + "\\7"));
  std::unique_ptr<StagingArea> second = OpenStaging(this->platform(), this->platform(), parent);
  ASSERT_TRUE(second);
  const std::string secondFolder = second->Folder();
  EXPECT_NE(secondFolder, first->Folder());
  EXPECT_EQ(this->List(parent + "\\", EntryFilter::kWithFolders).size(), 5u);

  copy("inv.gng", "root\\out\\inv.gng", *first);
  copy("new.gng", "root\\out\\new.gng", *second);
  this->FailureOf([&] { copy("gone.gng", "root\\out\\gone.gng", *first); });
  this->FailureOf([&] { copy("new.gng", "root\\gone\\new.gng", *second); });
  EXPECT_EQ(this->List(first->Folder() + "\\*.tmp", EntryFilter::kFiles), Names{});
  EXPECT_EQ(this->List(secondFolder + "\\*.tmp", EntryFilter::kFiles), Names{});
  second.reset();
  EXPECT_FALSE(this->world.Exists(secondFolder));
  // A third run sweeps nothing of the first, which copies on.
  OpenStaging(this->platform(), this->platform(), parent).reset();
  EXPECT_TRUE(this->world.Exists(first->Folder()));
  this->File("new.gng", "newer still");
  copy("new.gng", "root\\out\\new.gng", *first);
  first.reset();

  EXPECT_EQ(this->world.Contents(this->At("root\\out\\inv.gng")), "newer");
  EXPECT_EQ(this->world.Contents(this->At("root\\out\\new.gng")), "newer still");
  EXPECT_EQ(this->List(this->At("root\\out\\"), EntryFilter::kFiles),
            (Names{"inv.gng", "new.gng"}));
  // The dead run's folder stays for its copy set aside, and the parent
  // with it.
  EXPECT_EQ(this->List(parent + "\\", EntryFilter::kWithFolders), (Names{".", "..", "0"}));

  // A new parent is made, and goes once the run is done.
  const std::string fresh = this->At("root\\fresh");
  {
    std::unique_ptr<StagingArea> run = OpenStaging(this->platform(), this->platform(), fresh);
    ASSERT_TRUE(run);
    copy("new.gng", "root\\out\\new.gng", *run);
  }
  EXPECT_FALSE(this->world.Exists(fresh));
  EXPECT_FALSE(OpenStaging(this->platform(), this->platform(), this->At("missing\\staging")));
  EXPECT_FALSE(OpenStaging(this->platform(), this->platform(), this->At("new.gng")));
}

REGISTER_TYPED_TEST_SUITE_P(FileCopy, CopiesEveryByteAndKeepsTheLastWriteTime,
                            ReplacesAnEarlierCopyAndLeavesNothingElseBehind,
                            ReplacesACopyOfAReadOnlyFile,
                            AMissingSourceThrowsAndLeavesNoDestination,
                            AMissingDestinationFolderThrows, AFailedCopyKeepsTheEarlierGoodCopy,
                            CopiesBesideTheDestinationPassOverTheNamesTaken,
                            EachRunStagesInAFolderOfItsOwnAndSweepsOnlyDeadRuns);

}  // namespace lnf::contract
