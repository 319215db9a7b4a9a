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

}  // namespace lnf::contract
