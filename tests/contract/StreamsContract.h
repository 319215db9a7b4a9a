// The platform contract: files read and written by the byte, their facts,
// and putting a finished file in place of an earlier one.
#pragma once

#include <memory>

#include "ContractTest.h"
#include "platform/FileStreams.h"

namespace lnf::contract {

// --- Streams -------------------------------------------------------------------

template <typename World>
class ByteStreams : public ContractTest<World> {
 protected:
  FileStreams& streams() { return this->platform(); }

  // Every byte value, and more than one buffer of any reader's or writer's.
  static std::string Payload() {
    std::string bytes;
    for (int i = 0; i < 200000; ++i) bytes.push_back(static_cast<char>((i * 7 + i / 256) & 0xFF));
    return bytes;
  }

  std::string ReadAll(const std::string& path, std::size_t chunk) {
    auto stream = streams().OpenRead(path);
    std::string contents;
    std::string buffer(chunk, '\0');
    while (const std::size_t got = stream->Read(&buffer[0], chunk)) {
      EXPECT_LE(got, chunk);
      contents.append(buffer, 0, got);
    }
    EXPECT_EQ(stream->Read(&buffer[0], chunk), 0u) << "more after the end";
    return contents;
  }
};
TYPED_TEST_SUITE_P(ByteStreams);

// A zip is written front to back and its headers patched once the sizes are
// known; a patch must land where it was aimed and the writing go on at the end.
TYPED_TEST_P(ByteStreams, AFileWrittenInPiecesAndPatchedReadsBackByteForByte) {
  const std::string path = this->At("package.zip");
  const std::string payload = ByteStreams<TypeParam>::Payload();
  {
    auto stream = this->streams().CreateNew(path);
    stream->Write("head:????;", 10);
    stream->Write(payload.data(), payload.size());
    stream->WriteAt(5, "1234", 4);
    stream->Write("tail", 4);
    stream->WriteAt(10 + payload.size(), "TAIL", 4);
    // Rewriting runs only over what was written.
    this->FailureOf([&] { stream->WriteAt(10 + payload.size() + 1, "TAIL", 4); });
    stream->Commit();
  }
  const std::string expected = "head:1234;" + payload + "TAIL";

  EXPECT_TRUE(this->world.Contents(path) == expected) << "the file differs from what was written";
  EXPECT_TRUE(this->ReadAll(path, 7) == expected) << "read in small pieces";
  EXPECT_TRUE(this->ReadAll(path, 65536) == expected) << "read in large pieces";
  EXPECT_EQ(this->streams().GetFileFacts(path).size, expected.size());
}

TYPED_TEST_P(ByteStreams, CreatingRefusesAnExistingFileAndLeavesItUntouched) {
  this->File("LNF_INV.zip", "earlier package");
  const std::string path = this->At("LNF_INV.zip");

  const PlatformError error = this->FailureOf([&] { this->streams().CreateNew(path); });

  EXPECT_EQ(error.subject(), path);
  EXPECT_EQ(this->world.Contents(path), "earlier package");
  const std::string nowhere = this->At("missing\\LNF_INV.zip");
  EXPECT_EQ(this->FailureOf([&] { this->streams().CreateNew(nowhere); }).subject(), nowhere);
  EXPECT_FALSE(this->world.Exists(nowhere));
}

// A package that fails half-way must not be mistaken for a complete one.
TYPED_TEST_P(ByteStreams, AStreamDroppedWithoutCommitLeavesNoFile) {
  const std::string path = this->At("half.zip");
  {
    auto stream = this->streams().CreateNew(path);
    stream->Write("half", 4);
    EXPECT_TRUE(this->world.Exists(path));
  }
  EXPECT_FALSE(this->world.Exists(path));
  EXPECT_EQ(this->List(this->At(""), EntryFilter::kFiles), Names{});

  // Nothing stands in the way of a second try.
  auto again = this->streams().CreateNew(path);
  again->Commit();
  again.reset();
  EXPECT_EQ(this->world.Contents(path), "");
}

TYPED_TEST_P(ByteStreams, OpeningAMissingFileThrowsNamingIt) {
  const std::string path = this->At("gone.gng");
  EXPECT_EQ(this->FailureOf([&] { this->streams().OpenRead(path); }).subject(), path);
  this->File("empty.gng", "");
  EXPECT_EQ(this->ReadAll(this->At("empty.gng"), 16), "");
}

REGISTER_TYPED_TEST_SUITE_P(ByteStreams, AFileWrittenInPiecesAndPatchedReadsBackByteForByte,
                            CreatingRefusesAnExistingFileAndLeavesItUntouched,
                            AStreamDroppedWithoutCommitLeavesNoFile,
                            OpeningAMissingFileThrowsNamingIt);

// --- Facts, replacing and removing -------------------------------------------

template <typename World>
class WholeFiles : public ContractTest<World> {
 protected:
  FileStreams& streams() { return this->platform(); }
};
TYPED_TEST_SUITE_P(WholeFiles);

// UTC as the file holds it, whatever the zone or the season: a local
// conversion would move both by an hour or two in Central Europe.
TYPED_TEST_P(WholeFiles, FactsGiveTheSizeAndTheUniversalWriteTime) {
  this->world.MakeFileWrittenAt(this->At("winter.gng"), std::string(70001, 'w'),
                                {2011, 12, 31, 23, 30, 0});
  this->world.MakeFileWrittenAt(this->At("summer.gng"), "", {2011, 6, 30, 21, 30, 2});

  const FileFacts winter = this->streams().GetFileFacts(this->At("winter.gng"));
  const FileFacts summer = this->streams().GetFileFacts(this->At("summer.gng"));

  EXPECT_EQ(winter.size, 70001u);
  EXPECT_EQ(Text(winter.lastWrite), "2011-12-31 23:30:00");
  EXPECT_EQ(summer.size, 0u);
  EXPECT_EQ(Text(summer.lastWrite), "2011-06-30 21:30:02");
  const std::string missing = this->At("missing.gng");
  EXPECT_EQ(this->FailureOf([&] { this->streams().GetFileFacts(missing); }).subject(), missing);
}

TYPED_TEST_P(WholeFiles, ReplacingPutsTheNewFileInPlaceOfTheOld) {
  this->File("LNF_INV.zip", "earlier", kAttrReadOnly);
  this->File("new.tmp", "complete");
  this->File("first.tmp", "first");

  this->streams().ReplaceFile(this->At("new.tmp"), this->At("LNF_INV.zip"));
  this->streams().ReplaceFile(this->At("first.tmp"), this->At("first.zip"));

  EXPECT_EQ(this->world.Contents(this->At("LNF_INV.zip")), "complete");
  EXPECT_EQ(this->world.Contents(this->At("first.zip")), "first");
  EXPECT_EQ(this->List(this->At(""), EntryFilter::kFiles), (Names{"LNF_INV.zip", "first.zip"}));
}

// An earlier package is given up only for a complete one.
TYPED_TEST_P(WholeFiles, AFailingReplaceKeepsTheEarlierFile) {
  this->File("LNF_INV.zip", "earlier");
  this->File("new.tmp", "complete");
  this->world.HoldOpen(this->At("LNF_INV.zip"));

  this->FailureOf(
      [&] { this->streams().ReplaceFile(this->At("new.tmp"), this->At("LNF_INV.zip")); });

  EXPECT_EQ(this->world.Contents(this->At("LNF_INV.zip")), "earlier");
  EXPECT_EQ(this->world.Contents(this->At("new.tmp")), "complete");
  EXPECT_EQ(this->List(this->At(""), EntryFilter::kFiles), (Names{"LNF_INV.zip", "new.tmp"}));
  this->FailureOf(
      [&] { this->streams().ReplaceFile(this->At("gone.tmp"), this->At("LNF_INV.zip")); });
  EXPECT_EQ(this->world.Contents(this->At("LNF_INV.zip")), "earlier");
}

TYPED_TEST_P(WholeFiles, RemovingAFileThatIsNotThereIsNoFailure) {
  this->File("LNF_INV.zip.sha256", "sum");

  this->streams().RemoveFile(this->At("LNF_INV.zip.sha256"));
  this->streams().RemoveFile(this->At("LNF_INV.zip.sha256"));
  this->streams().RemoveFile(this->At("missing\\LNF_INV.zip"));

  EXPECT_FALSE(this->world.Exists(this->At("LNF_INV.zip.sha256")));
}

REGISTER_TYPED_TEST_SUITE_P(WholeFiles, FactsGiveTheSizeAndTheUniversalWriteTime,
                            ReplacingPutsTheNewFileInPlaceOfTheOld,
                            AFailingReplaceKeepsTheEarlierFile,
                            RemovingAFileThatIsNotThereIsNoFailure);

}  // namespace lnf::contract
