#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace lnf {
namespace {

using Arguments = std::vector<std::string>;

TEST(CommandLine, SplitsAsTheCRuntimeDoes) {
  EXPECT_EQ(SplitCommandLine("LNF_INVTOOL.exe"), Arguments{});
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\LNF_INVTOOL.exe\"  /collect   /OUT x.zip "),
            (Arguments{"/collect", "/OUT", "x.zip"}));
  // Quotes hold blanks in and may open anywhere; backslashes count only
  // before a quote: 2n give n and a quote that opens or closes, 2n+1 give n
  // and a quote.
  EXPECT_EQ(SplitCommandLine("a.exe /out \"D:\\My Packages\\inv.zip\""),
            (Arguments{"/out", "D:\\My Packages\\inv.zip"}));
  EXPECT_EQ(SplitCommandLine("a.exe D:\\dir\\\\ x\\\\\\\"y \"a\"\"b\" tail\"end"),
            (Arguments{"D:\\dir\\\\", "x\\\"y", "a\"b", "tailend"}));
  EXPECT_EQ(SplitCommandLine("a.exe \"C:\\trailing\\\\\" next"),
            (Arguments{"C:\\trailing\\", "next"}));
  EXPECT_EQ(SplitCommandLine("a.exe \"\" x"), (Arguments{"", "x"}));
}

TEST(CommandLine, KnowsItsOptionsAndRefusesTheRest) {
  using Mode = CommandLine::Mode;
  EXPECT_EQ(ParseCommandLine({}).mode, Mode::Window);

  const CommandLine collect = ParseCommandLine({"-COLLECT"});
  EXPECT_EQ(collect.mode, Mode::Collect);
  EXPECT_EQ(collect.outPath, "");
  const CommandLine out = ParseCommandLine({"/out", "D:\\p.zip", "/Collect"});
  EXPECT_EQ(out.mode, Mode::Collect);
  EXPECT_EQ(out.outPath, "D:\\p.zip");
  // "/?" wins over anything beside it, a bad argument included.
  EXPECT_EQ(ParseCommandLine({"/bogus", "/?"}).mode, Mode::Usage);
  EXPECT_EQ(ParseCommandLine({"/collect", "/?"}).mode, Mode::Usage);

  for (const Arguments& bad : std::vector<Arguments>{{"/bogus"},
                                                     {"collect"},
                                                     {"/collect", "/out"},
                                                     {"/collect", "/out", ""},
                                                     {"/collect", "/collect"},
                                                     {"/collect", "/out", "a", "/out", "b"},
                                                     {"/out", "a.zip"},
                                                     {"/"}}) {
    const CommandLine parsed = ParseCommandLine(bad);
    EXPECT_EQ(parsed.mode, Mode::Invalid) << bad.size() << " " << bad[0];
    EXPECT_FALSE(parsed.problem.empty());
  }
  EXPECT_NE(ParseCommandLine({"/bogus"}).problem.find("/bogus"), std::string::npos);
}

}  // namespace
}  // namespace lnf
