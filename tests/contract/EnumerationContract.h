// The platform contract: listing folders, attributes, making folders.
#pragma once

#include "ContractTest.h"

namespace lnf::contract {

// --- Enumeration -----------------------------------------------------------

template <typename World>
class Enumeration : public ContractTest<World> {};
TYPED_TEST_SUITE_P(Enumeration);

TYPED_TEST_P(Enumeration, FiltersLeaveOutFoldersUnlessAskedAndNeverYieldHiddenOrSystem) {
  this->File("plain.txt", "plain", 0, kNewer);
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
  EXPECT_EQ(this->List(this->At("*"), EntryFilter::kEverything),
            (Names{"both.txt", "hidden.txt", "hiddensub", "plain.txt", "readonly.txt", "sub",
                   "system.txt", "systemsub"}));

  // Each entry comes with the facts the file itself has, so that nobody
  // needs to ask again.
  auto listing = this->platform().Enumerate(this->At("*"), EntryFilter::kEverything);
  for (std::string name = listing->Next(); !name.empty(); name = listing->Next()) {
    const DirectoryEntry& entry = listing->Entry();
    EXPECT_EQ(entry.name, name);
    EXPECT_EQ(entry.openableName, name);
    EXPECT_EQ(entry.attributes, this->platform().GetAttributes(this->At(name))) << name;
    if (entry.attributes & kAttrDirectory) continue;
    const FileFacts facts = this->platform().GetFileFacts(this->At(name));
    EXPECT_EQ(entry.size, facts.size) << name;
    EXPECT_EQ(Text(entry.lastWrite), Text(facts.lastWrite)) << name;
  }
  EXPECT_TRUE(listing->Entry().name.empty());
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

}  // namespace lnf::contract
