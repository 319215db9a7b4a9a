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

std::uint32_t U16(const std::string& b, std::size_t at) {
  return std::uint8_t(b.at(at)) | std::uint8_t(b.at(at + 1)) << 8;
}
std::uint32_t U32(const std::string& b, std::size_t at) {
  return U16(b, at) | U16(b, at + 2) << 16;
}

// Bytes that deflate cannot shrink, the same on every run.
std::string Noise(std::size_t size, std::uint32_t seed = 1) {
  std::string data(size, '\0');
  for (char& c : data) {
    seed = seed * 1103515245u + 12345u;
    c = char(seed >> 24);
  }
  return data;
}

std::string RawInflate(const std::string& packed, std::size_t size) {
  std::string out(size, '\0');
  z_stream z{};
  EXPECT_EQ(inflateInit2(&z, -MAX_WBITS), Z_OK);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  z.avail_in = uInt(packed.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = uInt(size);
  EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
  EXPECT_EQ(z.avail_in, 0u) << "data after the deflate stream";
  EXPECT_EQ(z.total_out, size);
  inflateEnd(&z);
  return out;
}

struct ReadEntry {
  std::uint32_t madeBy, needed, flags, method, time, date, crc, compressedSize, size;
  std::uint32_t attributes, offset;
  std::string name, data;
};

// Reads an archive the way a reader does, from the end record back, and
// checks that every central record agrees with its local header, that the
// entries lie back to back from the start, and that each one's data
// inflates to its recorded size and CRC.
std::vector<ReadEntry> ReadArchive(const std::string& zip) {
  std::vector<ReadEntry> entries;
  if (zip.size() < 22) {
    ADD_FAILURE() << "too short for an end record";
    return entries;
  }
  const std::size_t end = zip.size() - 22;
  EXPECT_EQ(U32(zip, end), 0x06054b50u);
  EXPECT_EQ(U16(zip, end + 4), 0u);  // this disk
  EXPECT_EQ(U16(zip, end + 6), 0u);  // the directory's disk
  const std::uint32_t count = U16(zip, end + 10);
  EXPECT_EQ(U16(zip, end + 8), count);
  const std::uint32_t directorySize = U32(zip, end + 12);
  const std::uint32_t directoryOffset = U32(zip, end + 16);
  EXPECT_EQ(U16(zip, end + 20), 0u);  // comment
  EXPECT_EQ(std::size_t(directoryOffset) + directorySize, end);

  std::size_t at = directoryOffset;
  std::size_t nextLocal = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    ReadEntry e;
    const std::size_t central = at;
    EXPECT_EQ(U32(zip, at), 0x02014b50u);
    e.madeBy = U16(zip, at + 4);
    e.needed = U16(zip, at + 6);
    e.flags = U16(zip, at + 8);
    e.method = U16(zip, at + 10);
    e.time = U16(zip, at + 12);
    e.date = U16(zip, at + 14);
    e.crc = U32(zip, at + 16);
    e.compressedSize = U32(zip, at + 20);
    e.size = U32(zip, at + 24);
    const std::uint32_t nameLength = U16(zip, at + 28);
    EXPECT_EQ(U16(zip, at + 30), 0u);  // extra
    EXPECT_EQ(U16(zip, at + 32), 0u);  // comment
    e.attributes = U32(zip, at + 38);
    e.offset = U32(zip, at + 42);
    e.name = zip.substr(at + 46, nameLength);
    at += 46 + nameLength;

    EXPECT_EQ(e.offset, nextLocal) << e.name;
    const std::size_t local = e.offset;
    EXPECT_EQ(U32(zip, local), 0x04034b50u) << e.name;
    // version, flags, method, time, date, CRC and both sizes, then the name
    EXPECT_EQ(zip.substr(local + 4, 22), zip.substr(central + 6, 22)) << e.name;
    EXPECT_EQ(U16(zip, local + 26), nameLength);
    EXPECT_EQ(U16(zip, local + 28), 0u);
    EXPECT_EQ(zip.substr(local + 30, nameLength), e.name);
    const std::string packed = zip.substr(local + 30 + nameLength, e.compressedSize);
    nextLocal = local + 30 + nameLength + e.compressedSize;
    e.data = e.method == 8 ? RawInflate(packed, e.size) : packed;
    EXPECT_EQ(e.data.size(), e.size) << e.name;
    EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), uInt(e.data.size())), e.crc)
        << e.name;
    entries.push_back(e);
  }
  EXPECT_EQ(nextLocal, directoryOffset) << "gap or overlap before the central directory";
  EXPECT_EQ(at, end);
  return entries;
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
