// The platform contract: file dates and the environment.
#pragma once

#include "ContractTest.h"
#include "platform/FileStreams.h"
#include "platform/SystemFacts.h"

namespace lnf::contract {

// --- Dates and the environment ----------------------------------------------

template <typename World>
class FileDates : public ContractTest<World> {
 protected:
  // The local time of a file's UTC time (SystemFacts::LocalTimeAt).
  template <typename Platform>
  LocalDateTime LocalAt(Platform& platform, const std::string& name) {
    FileStreams& streams = platform;
    SystemFacts& facts = platform;
    return facts.LocalTimeAt(streams.GetFileFacts(this->At(name)).lastWrite);
  }
};
TYPED_TEST_SUITE_P(FileDates);

TYPED_TEST_P(FileDates, LastWriteTimeIsTheLocalTimeTheFileWasWritten) {
  this->File("old.gng", "x", 0, kOld);
  this->File("newer.gng", "x", kAttrHidden, kNewer);

  EXPECT_EQ(Text(this->platform().GetLastWriteTime(this->At("old.gng"))), Text(kOld));
  EXPECT_EQ(Text(this->platform().GetLastWriteTime(this->At("newer.gng"))), Text(kNewer));
  // The same from the file's UTC time, as a collection dates its copies.
  EXPECT_EQ(Text(this->LocalAt(this->platform(), "old.gng")), Text(kOld));
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
  // February, read back at midnight in winter time.
  this->world.MakeFileWrittenAt(this->At("february.gng"), "x", {2011, 2, 27, 23, 0, 0});

  const std::string newYear = Text(this->platform().GetLastWriteTime(this->At("newyear.gng")));
  const std::string summer = Text(this->platform().GetLastWriteTime(this->At("summer.gng")));
  const std::string february = Text(this->platform().GetLastWriteTime(this->At("february.gng")));
  EXPECT_EQ(Text(this->LocalAt(this->platform(), "newyear.gng")), newYear);
  EXPECT_EQ(Text(this->LocalAt(this->platform(), "summer.gng")), summer);
  if (this->world.Nt()) {
    EXPECT_EQ(newYear, "2011-12-31 23:30:00");
    EXPECT_EQ(summer, "2011-06-30 23:30:00");
    EXPECT_EQ(february, "2011-02-28 00:00:00");
  } else if (this->world.SummerTimeNow()) {
    EXPECT_EQ(newYear, "2012-01-01 00:30:00");
    EXPECT_EQ(summer, "2011-06-30 23:30:00");
    EXPECT_EQ(february, "2011-02-28 01:00:00");
  } else {
    EXPECT_EQ(newYear, "2011-12-31 23:30:00");
    EXPECT_EQ(summer, "2011-06-30 22:30:00");
    EXPECT_EQ(february, "2011-02-28 00:00:00");
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

  // Set by the program for itself: read back as set, and set again.
  this->platform().SetEnvironmentValue("LNF_CONTRACT_SET", "D:\\old\\WINDOWS");
  EXPECT_EQ(this->platform().GetEnvironmentValue("lnf_contract_set"), "D:\\old\\WINDOWS");
  this->platform().SetEnvironmentValue("LNF_CONTRACT_SET", "C:\\WINDOWS");
  EXPECT_EQ(this->platform().GetEnvironmentValue("LNF_CONTRACT_SET"), "C:\\WINDOWS");
}

REGISTER_TYPED_TEST_SUITE_P(Environment, ValuesAreFoundWithoutRegardToCaseAndUnsetOnesAreEmpty);

}  // namespace lnf::contract
