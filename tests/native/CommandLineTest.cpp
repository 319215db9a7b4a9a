#include <gtest/gtest.h>

#include <string>
#include <utility>
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
  const CommandLine from = ParseCommandLine({"/collect", "/FROM", "E:\\", "/out", "x.zip"});
  EXPECT_EQ(from.mode, Mode::Collect);
  EXPECT_EQ(from.fromPath, "E:\\");
  EXPECT_EQ(from.outPath, "x.zip");
  EXPECT_EQ(ParseCommandLine({"/from", "E:\\"}).problem, "/from goes with /collect.");
  EXPECT_EQ(ParseCommandLine({"/collect", "/from"}).problem, "/from needs a path: /from");
  // "/?" wins over anything beside it, a bad argument included.
  EXPECT_EQ(ParseCommandLine({"/bogus", "/?"}).mode, Mode::Usage);
  EXPECT_EQ(ParseCommandLine({"/collect", "/?"}).mode, Mode::Usage);
  EXPECT_EQ(ParseCommandLine({"-?"}).mode, Mode::Usage);

  for (const Arguments& bad : std::vector<Arguments>{{"/bogus"},
                                                     {"collect"},
                                                     {"/collect", "/out"},
                                                     {"/collect", "/out", ""},
                                                     {"/collect", "/collect"},
                                                     {"/collect", "/out", "a", "/out", "b"},
                                                     {"/out", "a.zip"},
                                                     {"/from", "E:\\"},
                                                     {"/collect", "/from", "a", "/from", "b"},
                                                     {"/"}}) {
    const CommandLine parsed = ParseCommandLine(bad);
    EXPECT_EQ(parsed.mode, Mode::Invalid) << bad.size() << " " << bad[0];
    EXPECT_FALSE(parsed.problem.empty());
  }
  EXPECT_NE(ParseCommandLine({"/bogus"}).problem.find("/bogus"), std::string::npos);
  // An empty path (a script's variable left unset) is told as such.
  EXPECT_EQ(ParseCommandLine({"/collect", "/out", ""}).problem, "/out needs a path: /out");
  // A line with "/collect" is a script's, understood or not: no box for it.
  EXPECT_TRUE(ParseCommandLine({"/bogus", "-Collect"}).collect);
  EXPECT_TRUE(ParseCommandLine({"/collect", "/out", ""}).collect);
  EXPECT_TRUE(ParseCommandLine({"/collect", "/?"}).collect);
  EXPECT_FALSE(ParseCommandLine({"/bogus", "collect"}).collect);
  EXPECT_FALSE(ParseCommandLine({"/?"}).collect);
}

// Names that cannot be a package, whatever the disk holds, are refused
// before anything is done; each refusal names the path and why.
TEST(CommandLine, RefusesOutPathsThatCannotNameAPackage) {
  const std::pair<const char*, const char*> refused[] = {{"C:\\outdir\\", "a folder"},
                                                         {"C:\\outdir/", "a folder"},
                                                         {"C:\\", "a folder"},
                                                         {"C:", "a folder"},
                                                         {"D:\\x\\..", "a folder"},
                                                         {"x\\.", "a folder"},
                                                         {"trail.zip.", "a dot or a blank"},
                                                         {"C:\\x\\trail.zip ", "a dot or a blank"},
                                                         {"con.zip", "a device"},
                                                         {"C:\\out\\AUX", "a device"},
                                                         {"nul", "a device"},
                                                         {"C:\\out\\NUL .zip", "a device"},
                                                         {"Com1.zip", "a device"},
                                                         {"lpt9.tar.gz", "a device"},
                                                         {"C:\\x.zip:s", "a stream"},
                                                         {"x.zip:s", "a stream"},
                                                         {"1:\\x.zip", "a stream"},
                                                         {"C:\\a:b\\x.zip", "a stream"},
                                                         {"C:\\x?.zip", "a character"},
                                                         {"C:\\x*.zip", "a character"},
                                                         {"C:\\x|y.zip", "a character"},
                                                         {"C:\\x\ty.zip", "a character"}};
  for (const auto& [bad, why] : refused) {
    SCOPED_TRACE(bad);
    const CommandLine parsed = ParseCommandLine({"/collect", "/out", bad});
    EXPECT_EQ(parsed.mode, CommandLine::Mode::Invalid);
    EXPECT_NE(parsed.problem.find(bad), std::string::npos) << parsed.problem;
    EXPECT_NE(parsed.problem.find(why), std::string::npos) << parsed.problem;
  }
  for (const char* good : {"C:\\LNF_INV.zip", "D:\\Sent\\machine 1.zip", "x.zip", "C:x.zip",
                           "\\\\server\\share\\x.zip", "\\\\?\\C:\\x.zip", "com10.zip", "com0.zip",
                           "console.zip", "C:\\con x\\a.zip", "x.zip.log"}) {
    SCOPED_TRACE(good);
    const CommandLine parsed = ParseCommandLine({"/collect", "/out", good});
    EXPECT_EQ(parsed.mode, CommandLine::Mode::Collect) << parsed.problem;
    EXPECT_EQ(parsed.outPath, good);
  }
}

}  // namespace
}  // namespace lnf
