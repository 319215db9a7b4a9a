#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ZipReading.h"
#include "package/ZipWriter.h"

namespace lnf {
namespace {

class StringOutput : public ZipOutput {
 public:
  void Write(const void* data, std::size_t size) override {
    bytes.append(static_cast<const char*>(data), size);
  }
  void WriteAt(std::uint64_t offset, const void* data, std::size_t size) override {
    if (offset + size > bytes.size()) throw std::out_of_range("patch beyond the written bytes");
    bytes.replace(std::size_t(offset), size, static_cast<const char*>(data), size);
  }
  std::string bytes;
};

// Bytes that deflate cannot shrink, the same on every run.
std::string Noise(std::size_t size, std::uint32_t seed = 1) {
  std::string data(size, '\0');
  for (char& c : data) {
    seed = seed * 1103515245u + 12345u;
    c = char(seed >> 24);
  }
  return data;
}

const std::string kBig = Noise(150000) + std::string(150000, 'z') + Noise(3);
const std::string kUtf8Name = "LNF_INV/\xD0\xB0\xD0\xB1 c.as";  // Cyrillic
const std::string kCodePageName = "LNF_INV/caf\x82.gng";        // é in code page 437
const std::string kCodePageAsUtf8 = "LNF_INV/caf\xC3\xA9.gng";
constexpr std::int64_t kWhenUtc = 1796636630;  // 2026-12-07T08:43:50Z

// A folder, a large file in uneven chunks, an empty file, and one name of
// each encoding, the one in a code page with its UTF-8 form.
std::string SampleArchive() {
  StringOutput out;
  ZipWriter zip(out);
  const DosDateTime when = MakeDosDateTime(2026, 12, 7, 9, 43, 51);
  zip.AddFolder({"LNF_INV", false}, {when, kWhenUtc});
  zip.BeginFile({"LNF_INV/big.cab", false}, {when, kWhenUtc}, kBig.size());
  for (std::size_t at = 0, chunk = 1; at < kBig.size(); at += chunk, chunk = chunk * 3 + 1) {
    zip.WriteFileData(kBig.data() + at, std::min(chunk, kBig.size() - at));
  }
  zip.EndFile();
  // Beyond what the extended timestamp holds: the local time alone.
  zip.BeginFile({"LNF_INV/empty.txt", false}, {when, std::int64_t(1) << 31});
  zip.EndFile();
  zip.BeginFile({kUtf8Name, true}, {when, -kWhenUtc});
  zip.WriteFileData("V2", 2);
  zip.EndFile();
  zip.BeginFile({kCodePageName, false, kCodePageAsUtf8}, when);
  zip.WriteFileData("GNG", 3);
  zip.EndFile();
  zip.Finish();
  return out.bytes;
}

TEST(ZipWriter, WritesEntriesThatReadBackByteForByte) {
  const std::string zip = SampleArchive();
  const std::vector<ReadEntry> entries = ReadArchive(zip);
  ASSERT_EQ(entries.size(), 5u);

  const ReadEntry& folder = entries[0];
  EXPECT_EQ(folder.name, "LNF_INV/");
  EXPECT_EQ(folder.method, 0u);
  EXPECT_EQ(folder.attributes, 0x10u);
  EXPECT_EQ(folder.size + folder.compressedSize + folder.crc, 0u);

  EXPECT_EQ(entries[1].name, "LNF_INV/big.cab");
  EXPECT_EQ(entries[1].data, kBig);
  EXPECT_LT(entries[1].compressedSize, kBig.size());
  EXPECT_EQ(entries[2].data, "");
  EXPECT_EQ(entries[3].name, kUtf8Name);
  EXPECT_EQ(entries[3].data, "V2");
  EXPECT_EQ(entries[4].name, kCodePageName);
  EXPECT_EQ(entries[4].unicodePath, kCodePageAsUtf8);
  for (std::size_t i = 1; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].method, 8u) << i;
    EXPECT_EQ(entries[i].attributes, 0u) << i;
  }
  for (const ReadEntry& e : entries) {
    // 2.0; a name marked UTF-8 made on NTFS, any other on MS-DOS, whose
    // names are in its code page.
    EXPECT_EQ(e.madeBy, e.name == kUtf8Name ? 0x0A14u : 0x0014u) << e.name;
    EXPECT_FALSE(e.zip64) << e.name;
    // The UTF-8 mark and nothing else (no data descriptor).
    EXPECT_EQ(e.flags, e.name == kUtf8Name ? 0x0800u : 0u) << e.name;
    EXPECT_EQ(e.date, 0x5D87u) << e.name;  // 2026-12-07
    EXPECT_EQ(e.time, 0x4D79u) << e.name;  // 09:43:50
    if (e.name != kCodePageName) {
      EXPECT_TRUE(e.unicodePath.empty()) << e.name;
    }
  }
  // The moment in UTC where one was given and the field holds it, before
  // 1970 too.
  EXPECT_EQ(entries[0].utc, kWhenUtc);
  EXPECT_EQ(entries[1].utc, kWhenUtc);
  EXPECT_FALSE(entries[2].hasUtc);
  EXPECT_EQ(entries[3].utc, -kWhenUtc);
  EXPECT_FALSE(entries[4].hasUtc);

  // Dates outside what the format holds: its first and last moments.
  EXPECT_EQ(MakeDosDateTime(1979, 12, 31, 23, 59, 59).date, 0x0021u);
  EXPECT_EQ(MakeDosDateTime(1979, 12, 31, 23, 59, 59).time, 0u);
  EXPECT_EQ(MakeDosDateTime(2108, 1, 1, 0, 0, 0).date, 0xFF9Fu);
  EXPECT_EQ(MakeDosDateTime(2108, 1, 1, 0, 0, 0).time, 0xBF7Du);

  // Code page 437 as readers without the Unicode Path take it: letters of
  // two and three bytes in UTF-8, the last byte too.
  EXPECT_EQ(ReadAsCodePage437(kCodePageName), kCodePageAsUtf8);
  EXPECT_EQ(ReadAsCodePage437("\x80\x9E\xE1\xFF"), "\xC3\x87\xE2\x82\xA7\xC3\x9F\xC2\xA0");
}

bool HasEndRecord(const std::string& bytes) {
  return bytes.find(std::string("PK\x05\x06", 4)) != std::string::npos;
}

bool HasZip64End(const std::string& bytes) {
  return bytes.find(std::string("PK\x06\x06", 4)) != std::string::npos;
}

// ZIP64 for what passes a plain record's limits and only for that: the end
// records for many entries or a far directory, an entry's local sizes for a
// file said to be large, its offset in the central record when it starts
// far in; every other entry stays plain. The size limits lowered.
TEST(ZipWriter, UsesZip64WhereNeededAndOnlyThere) {
  const DosDateTime when = MakeDosDateTime(2026, 12, 7, 9, 43, 50);
  for (int count : {0xFFFE, 0xFFFF}) {
    // The real entry limit: 65534 entries, since a count of 65535 marks
    // ZIP64.
    StringOutput out;
    ZipWriter zip(out);
    for (int i = 0; i < count; ++i) zip.AddFolder({std::to_string(i), false}, when);
    zip.Finish();
    EXPECT_EQ(HasZip64End(out.bytes), count == 0xFFFF) << count;
    EXPECT_EQ(U16(out.bytes, out.bytes.size() - 12), std::uint32_t(count));
    const std::vector<ReadEntry> entries = ReadArchive(out.bytes);
    ASSERT_EQ(entries.size(), std::size_t(count));
    EXPECT_EQ(entries.back().name, std::to_string(count - 1) + "/");
    EXPECT_FALSE(entries.back().zip64);
  }

  ZipLimits limits;
  limits.maxSize = 4096;
  {
    // Said to be large: ZIP64 sizes, even though deflate makes it small.
    StringOutput out;
    ZipWriter zip(out, limits);
    zip.BeginFile({"large", false}, when, 5000);
    zip.WriteFileData(std::string(5000, 'x').data(), 5000);
    zip.EndFile();
    zip.BeginFile({"small", false}, when, 10);
    zip.WriteFileData("small", 5);
    zip.EndFile();
    // Within the limit, but deflate could make it larger: room made.
    zip.BeginFile({"noise", false}, when, 4090);
    zip.WriteFileData(Noise(4090).data(), 4090);
    zip.EndFile();
    zip.Finish();
    const std::vector<ReadEntry> entries = ReadArchive(out.bytes);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_TRUE(entries[0].zip64);
    EXPECT_EQ(entries[0].data, std::string(5000, 'x'));
    EXPECT_FALSE(entries[1].zip64);
    EXPECT_TRUE(entries[2].zip64);
    EXPECT_GT(entries[2].compressedSize, 4090u);
    // The directory starts past the limit.
    EXPECT_TRUE(HasZip64End(out.bytes));
    EXPECT_EQ(U32(out.bytes, out.bytes.size() - 6), 0xFFFFFFFFu);
  }
  {
    // Said to be small, then larger than the limit: refused before the
    // excess is compressed, whether it grew or deflate made it larger.
    StringOutput out;
    ZipWriter zip(out, limits);
    zip.BeginFile({"grew", false}, when, 4000);
    zip.WriteFileData(std::string(4000, 'x').data(), 4000);
    const std::size_t before = out.bytes.size();
    EXPECT_THROW(zip.WriteFileData(std::string(97, 'x').data(), 97), ZipLimitError);
    EXPECT_EQ(out.bytes.size(), before);
    EXPECT_ANY_THROW(zip.EndFile());
    EXPECT_ANY_THROW(zip.Finish());
    EXPECT_FALSE(HasEndRecord(out.bytes));
  }
  {
    StringOutput out;
    ZipWriter zip(out, limits);
    zip.BeginFile({"noise", false}, when, 0);
    zip.WriteFileData(Noise(4096).data(), 4096);
    EXPECT_THROW(zip.EndFile(), ZipLimitError);
    EXPECT_ANY_THROW(zip.Finish());
    EXPECT_FALSE(HasEndRecord(out.bytes));
  }
  // Files each within the limit that together pass it: two leave all plain;
  // with three the directory lies beyond; the fourth starts beyond, and its
  // central record has the offset in ZIP64, its local header nothing of it.
  for (int files : {2, 3, 4}) {
    StringOutput out;
    ZipWriter zip(out, limits);
    for (int i = 0; i < files; ++i) {
      zip.BeginFile({"f" + std::to_string(i), false}, when, 1500);
      zip.WriteFileData(Noise(1500, i + 1).data(), 1500);
      zip.EndFile();
    }
    zip.Finish();
    const std::vector<ReadEntry> entries = ReadArchive(out.bytes);
    ASSERT_EQ(entries.size(), std::size_t(files));
    EXPECT_EQ(HasZip64End(out.bytes), files > 2) << files;
    for (int i = 0; i < files; ++i) {
      EXPECT_EQ(entries[i].zip64, i == 3) << files << " " << i;
      EXPECT_EQ(entries[i].local.count(0x0001), 0u);
      EXPECT_EQ(entries[i].data, Noise(1500, i + 1));
    }
  }
}

// A file name of this run's own: other programs may run the same tests.
std::string TemporaryPath(const std::string& name) {
  return ::testing::TempDir() + "lnf-" + std::to_string(getpid()) + "-" + name;
}

// Runs a shell command, giving its exit status and what it printed.
int RunTool(const std::string& command, std::string& output) {
  const std::string log = TemporaryPath("tool.log");
  const int status = std::system((command + " >'" + log + "' 2>&1").c_str());
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  output = text.str();
  std::remove(log.c_str());
  return status;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), std::streamsize(bytes.size()));
}

// The receivers' clients, each made to check every entry of the archive at
// `path` (its data too) and to list its names, one a line: true when it
// accepts the archive and lists `names`.
void ExpectEveryReceiverReads(const std::string& path, const std::vector<std::string>& names) {
  const std::string quoted = "'" + path + "'";
  struct Check {
    const char* name;
    std::string test, list;
  };
  const Check checks[] = {
      {"unzip", "unzip -tq " + quoted, "zipinfo -1 " + quoted},
      {"7z", "7z t " + quoted, "7z l -slt " + quoted + " | sed -n '/^----------/,$s/^Path = //p'"},
      {"bsdtar", "bsdtar -xOf " + quoted + " >/dev/null", "bsdtar -tf " + quoted},
      // It reports a bad entry but exits with 0 all the same: the check
      // prints what it found, and that must be nothing.
      {"python3",
       "python3 -c 'import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
       "bad = z.testzip(); sys.exit(bad is not None)' " +
           quoted,
       "python3 -c 'import sys, zipfile; "
       "print(chr(10).join(zipfile.ZipFile(sys.argv[1]).namelist()))' " +
           quoted},
  };
  const std::set<std::string> known(names.begin(), names.end());
  for (const Check& check : checks) {
    SCOPED_TRACE(check.name);
    std::string output;
    EXPECT_EQ(RunTool("LC_ALL=C.UTF-8 " + check.test, output), 0) << output;
    EXPECT_EQ(RunTool("LC_ALL=C.UTF-8 " + check.list, output), 0) << output;
    std::vector<std::string> listed;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
      // 7-Zip lists a folder without its slash.
      if (std::string(check.name) == "7z" && !line.empty() && line.back() != '/' &&
          known.count(line + "/")) {
        line += '/';
      }
      listed.push_back(line);
    }
    if (names.size() < 100) {
      EXPECT_EQ(listed, names);
    } else {
      EXPECT_TRUE(listed == names) << listed.size() << " names listed";
    }
  }
}

// The archives as the receivers' own clients read them, all of which the
// setup installs: the sample with its names in either form; ZIP64 where an
// archive needs it, here with lowered limits; more entries than a plain end
// record counts.
TEST(ZipWriter, EveryReceiverReadsTheArchives) {
  const std::string path = TemporaryPath("sample.zip");
  WriteFile(path, SampleArchive());
  ExpectEveryReceiverReads(
      path, {"LNF_INV/", "LNF_INV/big.cab", "LNF_INV/empty.txt", kUtf8Name, kCodePageAsUtf8});

  ZipLimits limits;
  limits.maxSize = 4096;
  StringOutput out;
  {
    ZipWriter zip(out, limits);
    const DosDateTime when = MakeDosDateTime(2026, 12, 7, 9, 43, 50);
    zip.BeginFile({"large", false}, when, 5000);
    zip.WriteFileData(kBig.data(), 5000);
    zip.EndFile();
    for (int i = 0; i < 3; ++i) {
      zip.BeginFile({"f" + std::to_string(i), false}, when, 1500);
      zip.WriteFileData(Noise(1500, i + 1).data(), 1500);
      zip.EndFile();
    }
    zip.Finish();
  }
  WriteFile(path, out.bytes);
  ExpectEveryReceiverReads(path, {"large", "f0", "f1", "f2"});

  out.bytes.clear();
  std::vector<std::string> names;
  {
    ZipWriter zip(out);
    const DosDateTime when = MakeDosDateTime(2026, 12, 7, 9, 43, 50);
    for (int i = 0; i < 70000; ++i) {
      names.push_back("f" + std::to_string(i));
      zip.BeginFile({names.back(), false}, when, 1);
      zip.WriteFileData("x", 1);
      zip.EndFile();
    }
    zip.Finish();
  }
  WriteFile(path, out.bytes);
  ExpectEveryReceiverReads(path, names);
  std::remove(path.c_str());
}

// A file of more than 4 GiB, streamed: zeros, which deflate to a few
// megabytes. Too slow for every run (each client inflates the 4 GiB);
// run it by hand with --gtest_also_run_disabled_tests.
TEST(ZipWriter, DISABLED_EveryReceiverReadsAFileOfMoreThanFourGiB) {
  class FileOutput : public ZipOutput {
   public:
    explicit FileOutput(const std::string& path) : file(path, std::ios::binary) {}
    void Write(const void* data, std::size_t size) override {
      file.seekp(0, std::ios::end);
      file.write(static_cast<const char*>(data), std::streamsize(size));
    }
    void WriteAt(std::uint64_t offset, const void* data, std::size_t size) override {
      file.seekp(std::streamoff(offset));
      file.write(static_cast<const char*>(data), std::streamsize(size));
    }
    std::ofstream file;
  };
  const std::string path = TemporaryPath("large.zip");
  constexpr std::uint64_t kSize = (std::uint64_t(4) << 30) + 12345;
  {
    FileOutput out(path);
    ZipWriter zip(out);
    const DosDateTime when = MakeDosDateTime(2026, 12, 7, 9, 43, 50);
    zip.BeginFile({"small", false}, when, 5);
    zip.WriteFileData("small", 5);
    zip.EndFile();
    zip.BeginFile({"zeros.cab", false}, when, kSize);
    const std::string zeros(1 << 20, '\0');
    for (std::uint64_t left = kSize; left > 0;) {
      const std::size_t slice = std::size_t(std::min<std::uint64_t>(left, zeros.size()));
      zip.WriteFileData(zeros.data(), slice);
      left -= slice;
    }
    zip.EndFile();
    zip.BeginFile({"after", false}, when, 5);
    zip.WriteFileData("after", 5);
    zip.EndFile();
    zip.Finish();
  }
  ExpectEveryReceiverReads(path, {"small", "zeros.cab", "after"});
  std::string output;
  EXPECT_EQ(RunTool("LC_ALL=C.UTF-8 unzip -l '" + path + "'", output), 0);
  EXPECT_NE(output.find(std::to_string(kSize)), std::string::npos) << output;
  std::remove(path.c_str());
}

}  // namespace
}  // namespace lnf
