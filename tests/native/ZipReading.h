// Reads a zip archive back the way a reader does, for the tests of the
// writer and of the collection's package.
#pragma once

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <map>
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

inline std::uint64_t U64(const std::string& b, std::size_t at) {
  return std::uint64_t(U32(b, at)) | std::uint64_t(U32(b, at + 4)) << 32;
}

// An entry's extra fields by tag, each field's data once.
inline std::map<std::uint32_t, std::string> ExtraFields(const std::string& extra,
                                                        const std::string& name) {
  std::map<std::uint32_t, std::string> fields;
  std::size_t at = 0;
  while (at + 4 <= extra.size()) {
    const std::uint32_t tag = U16(extra, at);
    const std::uint32_t size = U16(extra, at + 2);
    EXPECT_LE(at + 4 + size, extra.size()) << name << ": field " << tag << " runs over";
    EXPECT_EQ(fields.count(tag), 0u) << name << ": field " << tag << " twice";
    fields[tag] = extra.substr(at + 4, size);
    at += 4 + size;
  }
  EXPECT_EQ(at, extra.size()) << name << ": bytes after the last extra field";
  return fields;
}

struct ReadEntry {
  std::uint32_t madeBy, needed, flags, method, time, date, crc;
  std::uint64_t compressedSize, size, offset;
  std::uint32_t attributes;
  std::string name, data;
  // The extra fields of the central record and of the local header.
  std::map<std::uint32_t, std::string> central, local;
  bool zip64 = false;  // some value came from a ZIP64 field
  // The extended timestamp's last write (seconds since 1970), when present.
  bool hasUtc = false;
  std::int64_t utc = 0;
  // The Unicode Path field's name, when present; its CRC checked.
  std::string unicodePath;
};

// The checks a reader makes of the fields it knows: the extended timestamp
// (a last write, the same in both places, the central form with nothing
// else), the Unicode Path (version 1, the CRC of the name as stored, the
// same in both places).
inline void ReadKnownFields(ReadEntry& e) {
  EXPECT_EQ(e.central.count(0x5455), e.local.count(0x5455)) << e.name;
  if (e.central.count(0x5455)) {
    const std::string& stamp = e.central[0x5455];
    EXPECT_EQ(stamp.size(), 5u) << e.name;
    EXPECT_EQ(stamp.at(0), 0x01) << e.name << ": the last write only";
    EXPECT_EQ(e.local[0x5455], stamp) << e.name;
    e.hasUtc = true;
    e.utc = std::int32_t(U32(stamp, 1));
  }
  EXPECT_EQ(e.central.count(0x7075), e.local.count(0x7075)) << e.name;
  if (e.central.count(0x7075)) {
    const std::string& field = e.central[0x7075];
    EXPECT_EQ(field.at(0), 0x01) << e.name;
    EXPECT_EQ(U32(field, 1),
              crc32(0, reinterpret_cast<const Bytef*>(e.name.data()), uInt(e.name.size())))
        << e.name;
    EXPECT_EQ(e.local[0x7075], field) << e.name;
    e.unicodePath = field.substr(5);
  }
  for (const auto& [tag, data] : e.central) {
    EXPECT_TRUE(tag == 0x0001 || tag == 0x5455 || tag == 0x7075) << e.name << ": field " << tag;
  }
}

// Reads an archive the way a reader does, from the end record back (through
// the ZIP64 records when the end record says so), and checks that every
// central record agrees with its local header, that the entries lie back to
// back from the start, that ZIP64 fields stand exactly where a field says
// all ones, and that each entry's data inflates to its recorded size and
// CRC.
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
  std::uint64_t count = U16(zip, end + 10);
  EXPECT_EQ(U16(zip, end + 8), count);
  std::uint64_t directorySize = U32(zip, end + 12);
  std::uint64_t directoryOffset = U32(zip, end + 16);
  EXPECT_EQ(U16(zip, end + 20), 0u);  // comment
  std::size_t directoryEnd = end;
  if (count == 0xFFFF || directorySize == 0xFFFFFFFFu || directoryOffset == 0xFFFFFFFFu) {
    const std::size_t locator = end - 20;
    EXPECT_EQ(U32(zip, locator), 0x07064b50u) << "no ZIP64 locator";
    EXPECT_EQ(U32(zip, locator + 4), 0u);
    EXPECT_EQ(U32(zip, locator + 16), 1u);
    const std::size_t record = std::size_t(U64(zip, locator + 8));
    EXPECT_EQ(record + 56, locator);
    EXPECT_EQ(U32(zip, record), 0x06064b50u);
    EXPECT_EQ(U64(zip, record + 4), 44u);
    EXPECT_EQ(U16(zip, record + 14), 45u);
    EXPECT_EQ(U64(zip, record + 24), U64(zip, record + 32));
    if (count != 0xFFFF) {
      EXPECT_EQ(U64(zip, record + 32), count);
    }
    if (directorySize != 0xFFFFFFFFu) {
      EXPECT_EQ(U64(zip, record + 40), directorySize);
    }
    if (directoryOffset != 0xFFFFFFFFu) {
      EXPECT_EQ(U64(zip, record + 48), directoryOffset);
    }
    count = U64(zip, record + 32);
    directorySize = U64(zip, record + 40);
    directoryOffset = U64(zip, record + 48);
    directoryEnd = record;
  }
  EXPECT_EQ(directoryOffset + directorySize, directoryEnd);

  std::size_t at = std::size_t(directoryOffset);
  std::size_t nextLocal = 0;
  for (std::uint64_t i = 0; i < count; ++i) {
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
    const std::uint32_t extraLength = U16(zip, at + 30);
    EXPECT_EQ(U16(zip, at + 32), 0u);  // comment
    // No entry claims to be text, which "unzip -a" would convert.
    EXPECT_EQ(U16(zip, at + 36), 0u);
    e.attributes = U32(zip, at + 38);
    e.offset = U32(zip, at + 42);
    e.name = zip.substr(at + 46, nameLength);
    e.central = ExtraFields(zip.substr(at + 46 + nameLength, extraLength), e.name);
    at += 46 + nameLength + extraLength;
    if (e.central.count(0x0001)) {
      // In the order of the record, only those that say all ones.
      const std::string& field = e.central[0x0001];
      std::size_t next = 0;
      for (std::uint64_t* value : {&e.size, &e.compressedSize, &e.offset}) {
        if (*value != 0xFFFFFFFFu) continue;
        *value = U64(field, next);
        next += 8;
      }
      EXPECT_EQ(next, field.size()) << e.name << ": ZIP64 field of the wrong size";
      e.zip64 = true;
    }
    EXPECT_EQ(e.needed, e.zip64 ? 45u : 20u) << e.name;
    EXPECT_EQ(e.madeBy & 0xFF, e.needed) << e.name;

    EXPECT_EQ(e.offset, nextLocal) << e.name;
    const std::size_t local = std::size_t(e.offset);
    EXPECT_EQ(U32(zip, local), 0x04034b50u) << e.name;
    // version, flags, method, time, date, CRC and both sizes, then the name
    EXPECT_EQ(zip.substr(local + 4, 22), zip.substr(central + 6, 22)) << e.name;
    EXPECT_EQ(U16(zip, local + 26), nameLength);
    const std::uint32_t localExtraLength = U16(zip, local + 28);
    EXPECT_EQ(zip.substr(local + 30, nameLength), e.name);
    e.local = ExtraFields(zip.substr(local + 30 + nameLength, localExtraLength), e.name);
    if (U32(zip, local + 18) == 0xFFFFFFFFu) {
      // The local form has both sizes, whichever said all ones.
      EXPECT_EQ(U32(zip, local + 22), 0xFFFFFFFFu) << e.name;
      EXPECT_EQ(e.local[0x0001].size(), 16u) << e.name;
      EXPECT_EQ(U64(e.local[0x0001], 0), e.size) << e.name;
      EXPECT_EQ(U64(e.local[0x0001], 8), e.compressedSize) << e.name;
    } else {
      EXPECT_EQ(e.local.count(0x0001), 0u) << e.name;
    }
    ReadKnownFields(e);
    const std::string packed =
        zip.substr(local + 30 + nameLength + localExtraLength, std::size_t(e.compressedSize));
    nextLocal = local + 30 + nameLength + localExtraLength + std::size_t(e.compressedSize);
    e.data = e.method == 8 ? RawInflate(packed, std::size_t(e.size)) : packed;
    EXPECT_EQ(e.data.size(), e.size) << e.name;
    EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), uInt(e.data.size())), e.crc)
        << e.name;
    entries.push_back(e);
  }
  EXPECT_EQ(nextLocal, directoryOffset) << "gap or overlap before the central directory";
  EXPECT_EQ(at, directoryEnd);
  return entries;
}

}  // namespace lnf
