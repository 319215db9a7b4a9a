#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
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

// A folder, a large file in uneven chunks, an empty file, and one name of
// each encoding.
std::string SampleArchive() {
  StringOutput out;
  ZipWriter zip(out);
  const DosDateTime when = MakeDosDateTime(2026, 12, 7, 9, 43, 51);
  zip.AddFolder({"LNF_INV", false}, when);
  zip.BeginFile({"LNF_INV/big.cab", false}, when);
  for (std::size_t at = 0, chunk = 1; at < kBig.size(); at += chunk, chunk = chunk * 3 + 1) {
    zip.WriteFileData(kBig.data() + at, std::min(chunk, kBig.size() - at));
  }
  zip.EndFile();
  zip.BeginFile({"LNF_INV/empty.txt", false}, when);
  zip.EndFile();
  zip.BeginFile({kUtf8Name, true}, when);
  zip.WriteFileData("V2", 2);
  zip.EndFile();
  zip.BeginFile({kCodePageName, false}, when);
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
  for (std::size_t i = 1; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].method, 8u) << i;
    EXPECT_EQ(entries[i].attributes, 0u) << i;
  }
  for (const ReadEntry& e : entries) {
    EXPECT_EQ(e.madeBy, 20u) << e.name;  // 2.0, MS-DOS
    EXPECT_EQ(e.needed, 20u) << e.name;
    // The UTF-8 mark and nothing else (no data descriptor).
    EXPECT_EQ(e.flags, e.name == kUtf8Name ? 0x0800u : 0u) << e.name;
    EXPECT_EQ(e.date, 0x5D87u) << e.name;  // 2026-12-07
    EXPECT_EQ(e.time, 0x4D79u) << e.name;  // 09:43:50
  }

  // Dates outside what the format holds: its first and last moments.
  EXPECT_EQ(MakeDosDateTime(1979, 12, 31, 23, 59, 59).date, 0x0021u);
  EXPECT_EQ(MakeDosDateTime(1979, 12, 31, 23, 59, 59).time, 0u);
  EXPECT_EQ(MakeDosDateTime(2108, 1, 1, 0, 0, 0).date, 0xFF9Fu);
  EXPECT_EQ(MakeDosDateTime(2108, 1, 1, 0, 0, 0).time, 0xBF7Du);
}

bool HasEndRecord(const std::string& bytes) {
  return bytes.find(std::string("PK\x05\x06", 4)) != std::string::npos;
}

TEST(ZipWriter, RefusesWhatWouldNeedZip64BeforeWritingIt) {
  const DosDateTime when = MakeDosDateTime(2026, 12, 7, 9, 43, 50);
  {
    // The real entry limit: 65534 entries, since 65535 marks ZIP64.
    StringOutput out;
    ZipWriter zip(out);
    for (int i = 0; i < 0xFFFE; ++i) zip.AddFolder({std::to_string(i), false}, when);
    const std::size_t before = out.bytes.size();
    EXPECT_THROW(zip.AddFolder({"one too many", false}, when), ZipLimitError);
    EXPECT_EQ(out.bytes.size(), before);
    EXPECT_ANY_THROW(zip.Finish());
    EXPECT_FALSE(HasEndRecord(out.bytes));
  }
  {
    StringOutput out;
    ZipWriter zip(out);
    for (int i = 0; i < 0xFFFE; ++i) zip.AddFolder({std::to_string(i), false}, when);
    zip.Finish();
    EXPECT_EQ(U16(out.bytes, out.bytes.size() - 12), 0xFFFEu);
  }

  ZipLimits limits;
  limits.maxSize = 4096;
  {
    // A file larger than the limit: refused before its excess is compressed.
    StringOutput out;
    ZipWriter zip(out, limits);
    zip.BeginFile({"big", false}, when);
    zip.WriteFileData(std::string(4000, 'x').data(), 4000);
    const std::size_t before = out.bytes.size();
    EXPECT_THROW(zip.WriteFileData(std::string(97, 'x').data(), 97), ZipLimitError);
    EXPECT_EQ(out.bytes.size(), before);
    EXPECT_ANY_THROW(zip.EndFile());
    EXPECT_ANY_THROW(zip.Finish());
    EXPECT_FALSE(HasEndRecord(out.bytes));
  }
  {
    // Within the limit, but deflate makes it larger.
    StringOutput out;
    ZipWriter zip(out, limits);
    zip.BeginFile({"noise", false}, when);
    zip.WriteFileData(Noise(4096).data(), 4096);
    EXPECT_THROW(zip.EndFile(), ZipLimitError);
    EXPECT_ANY_THROW(zip.Finish());
    EXPECT_FALSE(HasEndRecord(out.bytes));
  }
  // Files each within the limit that together pass it: two fit, three do not.
  for (int files : {2, 3}) {
    StringOutput out;
    ZipWriter zip(out, limits);
    for (int i = 0; i < files; ++i) {
      zip.BeginFile({"f" + std::to_string(i), false}, when);
      zip.WriteFileData(Noise(1500, i + 1).data(), 1500);
      zip.EndFile();
    }
    if (files == 2) {
      zip.Finish();
      EXPECT_EQ(ReadArchive(out.bytes).size(), 2u);
    } else {
      EXPECT_THROW(zip.Finish(), ZipLimitError);
      EXPECT_FALSE(HasEndRecord(out.bytes));
    }
  }
}

// Runs a shell command, giving its exit status and what it printed.
int RunTool(const std::string& command, std::string& output) {
  const std::string log = ::testing::TempDir() + "lnf-zip-tool.log";
  const int status = std::system((command + " >'" + log + "' 2>&1").c_str());
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  output = text.str();
  std::remove(log.c_str());
  return status;
}

TEST(ZipWriter, HostToolsAcceptTheArchive) {
  std::string output;
  const bool havePython = RunTool("command -v python3", output) == 0;
  const bool haveUnzip = RunTool("command -v unzip", output) == 0;
  if (!havePython && !haveUnzip) GTEST_SKIP() << "neither python3 nor unzip here";

  const std::string path = ::testing::TempDir() + "lnf-sample.zip";
  {
    std::ofstream file(path, std::ios::binary);
    const std::string zip = SampleArchive();
    file.write(zip.data(), std::streamsize(zip.size()));
  }
  if (havePython) {
    EXPECT_EQ(RunTool("python3 -m zipfile -t '" + path + "'", output), 0) << output;
    // It reports a bad entry but exits with 0 all the same.
    EXPECT_EQ(output.find("corrupted"), std::string::npos) << output;
    EXPECT_NE(output.find("Done testing"), std::string::npos) << output;
  }
  if (haveUnzip) {
    EXPECT_EQ(RunTool("unzip -t '" + path + "'", output), 0) << output;
    EXPECT_NE(output.find("No errors detected"), std::string::npos) << output;
  }
  std::remove(path.c_str());
}

}  // namespace
}  // namespace lnf
