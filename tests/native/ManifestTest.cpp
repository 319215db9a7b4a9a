#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "package/Manifest.h"

namespace lnf {
namespace {

Sha256::Digest DigestOf(const std::string& text) {
  Sha256 hash;
  hash.Update(text.data(), text.size());
  return hash.Final();
}

// Collected at `local`, a time `offset` minutes ahead of UTC.
void CollectedAt(ManifestFacts& f, const CivilTime& local, int offset) {
  f.collectedAt = UtcTime::FromLocal(local, offset);
  f.utcOffsetMinutes = offset;
}

ManifestFacts SampleFacts() {
  ManifestFacts f;
  f.toolName = "Lanternfall Tallyglass";
  f.toolVersion = "1.0.0.1";
  CollectedAt(f, {2026, 12, 7, 9, 43, 50}, 60);
  f.windowsMajor = 5;
  f.windowsMinor = 1;
  f.windowsBuild = 2600;
  f.servicePack = "Service Pack 3";
  f.windowsNt = true;
  f.lcid = 0x0407;
  f.languageName = "German (Germany)";
  f.ieVersion = "6.0.2900.5512";
  f.systemDrive = "C:\\";
  f.wuDir = "C:\\Program Files\\WindowsUpdate";
  f.v4Dir = "C:\\Program Files\\WindowsUpdate\\V4";
  f.ouDir = "C:\\Program Files\\OfficeUpdate";
  f.v2v31.state = KindOutcome::State::BackedUp;
  f.v4.state = KindOutcome::State::NotFound;
  f.officeUpdate.state = KindOutcome::State::Failed;
  f.officeUpdate.error = "Error 5: Access is denied.\r\n";  // as system texts end
  f.files = {{"0409.gng", 3, {2011, 5, 1, 10, 0, 2}, DigestOf("abc")},
             {"OU\\Pending\\a.cab", 0, {2009, 1, 31, 23, 59, 58}, DigestOf("")}};
  return f;
}

TEST(Manifest, ComposesEveryFactInOrder) {
  EXPECT_EQ(ComposeManifest(SampleFacts()),
            "tool: Lanternfall Tallyglass\r\n"
            "version: 1.0.0.1\r\n"
            "collected-local: 2026-12-07T09:43:50+01:00\r\n"
            "collected-utc: 2026-12-07T08:43:50Z\r\n"
            "windows-version: 5.1.2600\r\n"
            "windows-service-pack: Service Pack 3\r\n"
            "windows-family: NT\r\n"
            "language-id: 0x0407\r\n"
            "language-name: German (Germany)\r\n"
            "internet-explorer: 6.0.2900.5512\r\n"
            "system-drive: C:\\\r\n"
            "wudir: C:\\Program Files\\WindowsUpdate\r\n"
            "wudir-v4: C:\\Program Files\\WindowsUpdate\\V4\r\n"
            "oudir: C:\\Program Files\\OfficeUpdate\r\n"
            "kind-v2-v3.1: found, backed up\r\n"
            "kind-v4: not found\r\n"
            "kind-office-update: found, failed: Error 5: Access is denied.\r\n"
            "file: ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad 3 "
            "2011-05-01T10:00:02Z 0409.gng\r\n"
            "file: e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855 0 "
            "2009-01-31T23:59:58Z OU/Pending/a.cab\r\n");
}

std::string Fact(const std::string& manifest, const std::string& key) {
  const std::size_t at = manifest.find("\r\n" + key + ": ");
  if (at == std::string::npos) return "(missing)";
  const std::size_t start = at + 2 + key.size() + 2;
  return manifest.substr(start, manifest.find("\r\n", start) - start);
}

TEST(Manifest, GivesUtcAcrossDayYearAndLeapDayAndNoneForWhatIsMissing) {
  ManifestFacts f = SampleFacts();
  CollectedAt(f, {2026, 12, 31, 22, 30, 0}, -300);
  std::string text = ComposeManifest(f);
  EXPECT_EQ(Fact(text, "collected-local"), "2026-12-31T22:30:00-05:00");
  EXPECT_EQ(Fact(text, "collected-utc"), "2027-01-01T03:30:00Z");

  CollectedAt(f, {2028, 3, 1, 1, 0, 0}, 345);  // Nepal
  text = ComposeManifest(f);
  EXPECT_EQ(Fact(text, "collected-local"), "2028-03-01T01:00:00+05:45");
  EXPECT_EQ(Fact(text, "collected-utc"), "2028-02-29T19:15:00Z");

  // In February, and exactly midnight UTC: the first second of its day.
  CollectedAt(f, {2027, 2, 14, 1, 0, 0}, 60);
  EXPECT_EQ(Fact(ComposeManifest(f), "collected-utc"), "2027-02-14T00:00:00Z");

  CollectedAt(f, {2027, 3, 1, 0, 10, 0}, 0);
  f.windowsMajor = 4;
  f.windowsMinor = 10;
  f.windowsBuild = 2222;
  f.servicePack = "";
  f.windowsNt = false;
  f.lcid = 0x10407;  // a sort order above the language
  f.ieVersion = "";
  text = ComposeManifest(f);
  EXPECT_EQ(Fact(text, "collected-local"), "2027-03-01T00:10:00+00:00");
  EXPECT_EQ(Fact(text, "collected-utc"), "2027-03-01T00:10:00Z");
  EXPECT_EQ(Fact(text, "windows-version"), "4.10.2222");
  EXPECT_EQ(Fact(text, "windows-service-pack"), "none");
  EXPECT_EQ(Fact(text, "windows-family"), "9x");
  EXPECT_EQ(Fact(text, "language-id"), "0x10407");
  EXPECT_EQ(Fact(text, "internet-explorer"), "none");
}

// Splits every line as a script would: at the first ": ", and a file's value
// at its first three blanks.
TEST(Manifest, KeepsEveryLineParsableWithOddNamesAndErrorTexts) {
  ManifestFacts f = SampleFacts();
  f.officeUpdate.error =
      "Error 1117: The request could not be performed\r\nbecause of an I/O error.";
  const std::vector<std::string> names = {" leading blank.cab", "two  blanks .cab ",
                                          "V4\\\xC3\x9C"
                                          "ber \xE6\x97\xA5\xE6\x9C\xAC.xml",
                                          "a: b.cab"};
  f.files.clear();
  for (const std::string& name : names) f.files.push_back({name, 12345678901ull, {}, {}});
  const std::string text = ComposeManifest(f);

  std::vector<std::string> paths;
  std::size_t lines = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find("\r\n", at);
    ASSERT_NE(end, std::string::npos) << "a line without CR LF";
    const std::string line = text.substr(at, end - at);
    at = end + 2;
    ++lines;
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    const std::size_t colon = line.find(": ");
    ASSERT_NE(colon, std::string::npos) << line;
    if (line.substr(0, colon) != "file") continue;
    std::string value = line.substr(colon + 2);
    for (int field = 0; field < 3; ++field) value.erase(0, value.find(' ') + 1);
    EXPECT_EQ(line.substr(colon + 2, 64 + 1 + 11), std::string(64, '0') + " 12345678901");
    paths.push_back(value);
  }
  EXPECT_EQ(lines, 17 + names.size());
  EXPECT_EQ(paths, (std::vector<std::string>{" leading blank.cab", "two  blanks .cab ",
                                             "V4/\xC3\x9C"
                                             "ber \xE6\x97\xA5\xE6\x9C\xAC.xml",
                                             "a: b.cab"}));
  EXPECT_EQ(Fact(text, "kind-office-update"),
            "found, failed: Error 1117: The request could not be performed because of an I/O "
            "error.");
}

TEST(Manifest, ChecksumLineIsWhatSha256sumChecks) {
  const std::string content = "PK\x05\x06 not really a zip";
  EXPECT_EQ(ComposeChecksumLine(DigestOf("abc"), "LNF_INV.zip"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad  LNF_INV.zip\n");

  if (std::system("command -v sha256sum >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "no sha256sum here";
  }
  const std::string dir = ::testing::TempDir();
  const std::string name = "lnf package.zip";  // a blank, as a chosen output name may have
  std::ofstream(dir + name, std::ios::binary) << content;
  std::ofstream(dir + name + ".sha256", std::ios::binary)
      << ComposeChecksumLine(DigestOf(content), name);
  EXPECT_EQ(std::system(("cd '" + dir + "' && sha256sum --quiet -c '" + name + ".sha256'").c_str()),
            0);
  std::remove((dir + name).c_str());
  std::remove((dir + name + ".sha256").c_str());
}

}  // namespace
}  // namespace lnf
