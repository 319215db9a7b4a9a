// The platform contract: names in other scripts, long paths, links, and
// names that path parsing would change.
#pragma once

#include <map>

#include "ContractTest.h"

namespace lnf::contract {

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
      CopyFileReplacing(this->platform(), this->At(name), this->At(folder + "\\" + name));
    }
    CopyFileReplacing(this->platform(), this->At(inv), this->At(folder + "\\" + gng));

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
  CopyFileReplacing(this->platform(), this->At("inv.gng"), copy);
  CopyFileReplacing(this->platform(), this->At("inv.gng"), copy);

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

  CopyFileReplacing(this->platform(), this->At("filelink.txt"), this->At("backup\\filelink.txt"));
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
// naming the path, instead of working on a look-alike or a device. The text
// before the first dot names the device ("com1.tar.gz"); "com0" is none.
TYPED_TEST_P(LiteralNames, TrailingDotsBlanksAndDeviceNamesAreTakenAsTheyAre) {
  const Names bent{"aux.cab", "blank.inv ", "com1.bm", "com1.tar.gz", "nul.inv", "trail.inv."};
  for (const std::string& name : bent) this->File(name, "is " + name, 0, kOld);
  this->File("trail.inv", "the other file", 0, kNewer);
  this->File("com0.bm", "no device", 0, kOld);
  this->File("com10.bm", "no device either", 0, kOld);
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
          [&] { CopyFileReplacing(this->platform(), path, this->At("backup\\" + name)); });
      EXPECT_NE(copy.subject().find(path), std::string::npos) << copy.subject();
    }
    const std::string con = this->At("CON");
    EXPECT_EQ(this->FailureOf([&] { this->platform().GetAttributes(con); }).subject(), con);
    this->FailureOf([&] { this->platform().CreateFolder(this->At("backup\\CON")); });
    this->FailureOf([&] { this->platform().Enumerate(this->At("CON\\"), EntryFilter::kFiles); });
    CopyFileReplacing(this->platform(), this->At("trail.inv"), this->At("backup\\trail.inv"));
    CopyFileReplacing(this->platform(), this->At("com0.bm"), this->At("backup\\com0.bm"));
    CopyFileReplacing(this->platform(), this->At("com10.bm"), this->At("backup\\com10.bm"));
    EXPECT_EQ(this->List(this->At("backup\\"), EntryFilter::kWithFolders),
              (Names{".", "..", "com0.bm", "com10.bm", "trail.inv"}));
    EXPECT_EQ(this->world.Contents(this->At("backup\\com0.bm")), "no device");
    EXPECT_EQ(this->world.Contents(this->At("backup\\trail.inv")), "the other file");
    return;
  }

  Names files = bent;
  files.push_back("trail.inv");
  files.push_back("com0.bm");
  files.push_back("com10.bm");
  std::sort(files.begin(), files.end());
  EXPECT_EQ(this->List(this->At("*.*"), EntryFilter::kFiles), files);
  EXPECT_EQ(this->List(this->At("CON\\"), EntryFilter::kFiles), (Names{"inside.txt"}));
  EXPECT_TRUE(this->platform().GetAttributes(this->At("CON")) & kAttrDirectory);
  EXPECT_TRUE(this->platform().GetAttributes(this->At("CON\\")) & kAttrDirectory);
  this->platform().CreateFolder(this->At("backup\\CON"));
  CopyFileReplacing(this->platform(), this->At("CON\\inside.txt"),
                    this->At("backup\\CON\\inside.txt"));
  for (const std::string& name : files) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(this->platform().GetAttributes(this->At(name)) & kAttrDirectory);
    EXPECT_EQ(Text(this->platform().GetLastWriteTime(this->At(name))),
              Text(name == "trail.inv" ? kNewer : kOld));
    CopyFileReplacing(this->platform(), this->At(name), this->At("backup\\" + name));
  }
  CopyFileReplacing(this->platform(), this->At("nul.inv"), this->At("backup\\nul.inv"));

  files.push_back("CON");
  std::sort(files.begin(), files.end());
  EXPECT_EQ(this->List(this->At("backup\\*"), EntryFilter::kWithFolders), files);
  for (const std::string& name : bent) {
    EXPECT_EQ(this->world.Contents(this->At("backup\\" + name)), "is " + name);
  }
  EXPECT_EQ(this->world.Contents(this->At("backup\\trail.inv")), "the other file");
  EXPECT_EQ(this->world.Contents(this->At("backup\\CON\\inside.txt")), "in CON");
}

// Windows 9x lists a name its ANSI code page cannot spell with '?' for each
// character it lacks, a name that opens nothing; the listing offers another
// (the short name) that opens the file. Elsewhere the name is offered as it
// is listed.
TYPED_TEST_P(LiteralNames, NamesTheCodePageCannotSpellOpenByTheNameTheListingOffers) {
  const std::string cyrillic = "Привет.inv";
  this->File(cyrillic, "privet", 0, kOld);
  this->File("plain.inv", "plain", 0, kNewer);
  this->Folder("backup");

  std::map<std::string, std::string> offered;
  auto listing = this->platform().Enumerate(this->At("*.inv"), EntryFilter::kFiles);
  for (std::string name = listing->Next(); !name.empty(); name = listing->Next()) {
    offered[name] = listing->OpenableName();
  }
  listing.reset();
  const bool spelled = this->world.CanName(cyrillic);
  const std::string listed = spelled ? cyrillic : "??????.inv";
  ASSERT_EQ(offered.size(), 2u);
  EXPECT_EQ(offered["plain.inv"], "plain.inv");
  ASSERT_EQ(offered.count(listed), 1u) << offered.begin()->first;
  const std::string openable = offered[listed];
  if (spelled) {
    EXPECT_EQ(openable, cyrillic);
  } else {
    EXPECT_EQ(openable.find('?'), std::string::npos) << openable;
    EXPECT_EQ(this->FailureOf([&] { this->platform().GetAttributes(this->At(listed)); }).number(),
              123u);
  }
  EXPECT_EQ(Text(this->platform().GetLastWriteTime(this->At(openable))), Text(kOld));
  CopyFileReplacing(this->platform(), this->At(openable), this->At("backup\\" + openable));
  EXPECT_EQ(this->world.Contents(this->At("backup\\" + openable)), "privet");
}

REGISTER_TYPED_TEST_SUITE_P(LiteralNames, TrailingDotsBlanksAndDeviceNamesAreTakenAsTheyAre,
                            NamesTheCodePageCannotSpellOpenByTheNameTheListingOffers);

}  // namespace lnf::contract
