// Reads a zip archive back the way a reader does, for the tests of the
// writer and of the collection's package.
#pragma once

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lnf {

inline std::uint32_t U16(const std::string& b, std::size_t at) {
  return std::uint8_t(b.at(at)) | std::uint8_t(b.at(at + 1)) << 8;
}
inline std::uint32_t U32(const std::string& b, std::size_t at) {
  return U16(b, at) | U16(b, at + 2) << 16;
}

inline std::string RawInflate(const std::string& packed, std::size_t size) {
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
inline std::vector<ReadEntry> ReadArchive(const std::string& zip) {
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

}  // namespace lnf
