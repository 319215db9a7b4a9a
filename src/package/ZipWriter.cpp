#include "package/ZipWriter.h"

#include <zlib.h>

#include <utility>

namespace lnf {
namespace {

constexpr std::uint16_t kVersion = 20;       // 2.0: deflate and folders
constexpr std::uint16_t kZip64Version = 45;  // 4.5: ZIP64 records
// The system an entry says it was made by tells readers how to take a name
// without the UTF-8 mark: MS-DOS's names are in its code page. Info-ZIP's
// unzip converts an MS-DOS name from that code page even when it is marked
// UTF-8, so a marked name says NTFS, whose attributes are MS-DOS's too.
constexpr std::uint16_t kMadeByMsDos = 0 << 8;
constexpr std::uint16_t kMadeByNtfs = 10 << 8;
constexpr std::uint16_t kUtf8Flag = 0x0800;
constexpr std::uint32_t kAllOnes32 = 0xFFFFFFFFu;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint32_t kFolderAttribute = 0x10;
constexpr std::size_t kChunk = 64 * 1024;

void Put16(std::string& to, std::uint32_t value) {
  to += char(value & 0xFF);
  to += char((value >> 8) & 0xFF);
}
void Put32(std::string& to, std::uint64_t value) {
  Put16(to, std::uint32_t(value & 0xFFFF));
  Put16(to, std::uint32_t((value >> 16) & 0xFFFF));
}
void Put64(std::string& to, std::uint64_t value) {
  Put32(to, value & 0xFFFFFFFFu);
  Put32(to, value >> 32);
}
void PutField(std::string& to, std::uint32_t tag, const std::string& data) {
  Put16(to, tag);
  Put16(to, std::uint32_t(data.size()));
  to += data;
}

// The most deflate can make of `size` bytes (zlib's deflateBound for its
// default settings, without a wrapper).
std::uint64_t DeflatedAtMost(std::uint64_t size) {
  return size + (size >> 12) + (size >> 14) + (size >> 25) + 13;
}

// Code page 437's upper half, by code point.
const std::uint16_t kCodePage437[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

[[noreturn]] void ThrowGrew(const std::string& name) {
  throw ZipLimitError("\"" + name +
                      "\" grew past 4 GiB while it was packed, with no room left for its size.");
}

int Clamp(int value, int low, int high) { return value < low ? low : value > high ? high : value; }

}  // namespace

std::string ReadAsCodePage437(const std::string& bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    const std::uint32_t code = c < 0x80 ? c : kCodePage437[c - 0x80];
    if (code < 0x80) {
      text += char(code);
    } else if (code < 0x800) {
      text += char(0xC0 | code >> 6);
      text += char(0x80 | (code & 0x3F));
    } else {
      text += char(0xE0 | code >> 12);
      text += char(0x80 | (code >> 6 & 0x3F));
      text += char(0x80 | (code & 0x3F));
    }
  }
  return text;
}

DosDateTime MakeDosDateTime(int year, int month, int day, int hour, int minute, int second) {
  if (year < 1980) return MakeDosDateTime(1980, 1, 1, 0, 0, 0);
  if (year > 2107) return MakeDosDateTime(2107, 12, 31, 23, 59, 59);
  DosDateTime dos;
  dos.date = std::uint16_t((year - 1980) << 9 | Clamp(month, 1, 12) << 5 | Clamp(day, 1, 31));
  dos.time = std::uint16_t(Clamp(hour, 0, 23) << 11 | Clamp(minute, 0, 59) << 5 |
                           Clamp(second, 0, 59) / 2);
  return dos;
}

struct ZipWriter::Deflater {
  Deflater() {
    // Raw deflate: the zip headers carry what a zlib wrapper would.
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
      throw ZipError("The compressor could not be set up.");
    }
  }
  ~Deflater() { deflateEnd(&stream); }
  z_stream stream{};
  unsigned char buffer[kChunk];
};

ZipWriter::ZipWriter(ZipOutput& out, ZipLimits limits)
    : out_(out), limits_(limits), deflater_(new Deflater) {}

ZipWriter::~ZipWriter() = default;

void ZipWriter::Check(bool condition, const char* what) const {
  if (broken_) throw ZipError("The zip archive was abandoned after an error.");
  if (!condition) throw ZipError(what);
}

void ZipWriter::Emit(const void* data, std::size_t size) {
  // Whatever the output throws leaves the archive unfinished for good.
  broken_ = true;
  out_.Write(data, size);
  broken_ = false;
  offset_ += size;
}

// The extra fields of an entry's local header or central record, in this
// order: ZIP64 (sizes, then the header's offset, each only where the
// record's own field says all ones), the extended timestamp (the last
// write only: the central form carries nothing else), the Unicode Path.
std::string ZipWriter::Extras(const Entry& entry, bool central) const {
  std::string extras;
  std::string zip64;
  if (entry.zip64Sizes) {
    Put64(zip64, entry.size);
    Put64(zip64, entry.compressedSize);
  }
  if (central && entry.headerOffset > limits_.maxSize) Put64(zip64, entry.headerOffset);
  if (!zip64.empty()) PutField(extras, 0x0001, zip64);
  if (entry.when.hasUtc && entry.when.utc >= INT32_MIN && entry.when.utc <= INT32_MAX) {
    std::string stamp(1, char(0x01));  // the last write is there
    Put32(stamp, std::uint32_t(std::int32_t(entry.when.utc)));
    PutField(extras, 0x5455, stamp);
  }
  if (!entry.name.unicodePath.empty()) {
    // Version 1, then the CRC of the name as stored, by which a reader
    // knows that the two still go together.
    std::string unicode(1, char(0x01));
    Put32(unicode, crc32(0, reinterpret_cast<const Bytef*>(entry.name.bytes.data()),
                         uInt(entry.name.bytes.size())));
    unicode += entry.name.unicodePath;
    PutField(extras, 0x7075, unicode);
  }
  return extras;
}

bool ZipWriter::NeedsZip64(const Entry& entry) const {
  return entry.zip64Sizes || entry.headerOffset > limits_.maxSize;
}

void ZipWriter::StartEntry(ZipName name, ZipTime when, std::uint16_t method,
                           std::uint32_t attributes, bool zip64Sizes) {
  Check(!inFile_ && !finished_, "A zip entry was started inside another or after the end.");
  if (name.bytes.size() > 0xFFFF) throw ZipError("A zip entry name is too long.");
  Entry entry{std::move(name), when, method, attributes, offset_, zip64Sizes};
  const std::string extras = Extras(entry, false);
  if (extras.size() > 0xFFFF) throw ZipError("A zip entry name is too long.");
  std::string header;
  Put32(header, 0x04034b50);
  Put16(header, NeedsZip64(entry) ? kZip64Version : kVersion);
  Put16(header, entry.name.utf8 ? kUtf8Flag : 0);
  Put16(header, method);
  Put16(header, when.local.time);
  Put16(header, when.local.date);
  Put32(header, 0);  // CRC and sizes: patched by EndFile
  Put32(header, zip64Sizes ? kAllOnes32 : 0);
  Put32(header, zip64Sizes ? kAllOnes32 : 0);
  Put16(header, std::uint32_t(entry.name.bytes.size()));
  Put16(header, std::uint32_t(extras.size()));
  header += entry.name.bytes;
  header += extras;
  Emit(header.data(), header.size());
  entries_.push_back(std::move(entry));
}

void ZipWriter::AddFolder(ZipName name, ZipTime when) {
  if (name.bytes.empty() || name.bytes.back() != '/') name.bytes += '/';
  if (!name.unicodePath.empty() && name.unicodePath.back() != '/') name.unicodePath += '/';
  StartEntry(std::move(name), when, kStored, kFolderAttribute, false);
}

void ZipWriter::BeginFile(ZipName name, ZipTime when, std::uint64_t expectedSize) {
  const bool zip64 =
      expectedSize > limits_.maxSize || DeflatedAtMost(expectedSize) > limits_.maxSize;
  StartEntry(std::move(name), when, kDeflated, 0, zip64);
  if (deflateReset(&deflater_->stream) != Z_OK) {
    broken_ = true;
    throw ZipError("The compressor could not be reset.");
  }
  inFile_ = true;
}

void ZipWriter::DrainDeflater(int flush) {
  z_stream& z = deflater_->stream;
  Entry& entry = entries_.back();
  for (;;) {
    z.next_out = deflater_->buffer;
    z.avail_out = kChunk;
    const int result = deflate(&z, flush);
    if (result == Z_STREAM_ERROR) {
      broken_ = true;
      throw ZipError("The compressor failed.");
    }
    const std::size_t produced = kChunk - z.avail_out;
    if (!entry.zip64Sizes && entry.compressedSize + produced > limits_.maxSize) {
      broken_ = true;
      ThrowGrew(entry.name.bytes);
    }
    Emit(deflater_->buffer, produced);
    entry.compressedSize += produced;
    // Done once deflate leaves room in the buffer (no input left) or, when
    // finishing, once the stream has ended.
    if (flush == Z_FINISH ? result == Z_STREAM_END : z.avail_out != 0) return;
  }
}

void ZipWriter::WriteFileData(const void* data, std::size_t size) {
  Check(inFile_, "File data came outside a file entry.");
  Entry& entry = entries_.back();
  if (!entry.zip64Sizes && entry.size + size > limits_.maxSize) {
    broken_ = true;
    ThrowGrew(entry.name.bytes);
  }
  const auto* bytes = static_cast<const Bytef*>(data);
  z_stream& z = deflater_->stream;
  // zlib counts in unsigned int; feed it in slices that always fit.
  while (size > 0) {
    const uInt slice = size > 0x40000000u ? 0x40000000u : uInt(size);
    entry.crc = std::uint32_t(crc32(entry.crc, bytes, slice));
    entry.size += slice;
    z.next_in = const_cast<Bytef*>(bytes);
    z.avail_in = slice;
    DrainDeflater(Z_NO_FLUSH);
    bytes += slice;
    size -= slice;
  }
}

void ZipWriter::EndFile() {
  Check(inFile_, "A file entry was ended that was never begun.");
  DrainDeflater(Z_FINISH);
  const Entry& entry = entries_.back();
  std::string patch;
  Put32(patch, entry.crc);
  std::uint64_t at = entry.headerOffset + 14;
  if (entry.zip64Sizes) {
    // The sizes go in the ZIP64 field, first after the name.
    broken_ = true;
    out_.WriteAt(at, patch.data(), patch.size());
    patch.clear();
    Put64(patch, entry.size);
    Put64(patch, entry.compressedSize);
    at = entry.headerOffset + 30 + entry.name.bytes.size() + 4;
  } else {
    Put32(patch, entry.compressedSize);
    Put32(patch, entry.size);
  }
  broken_ = true;
  out_.WriteAt(at, patch.data(), patch.size());
  broken_ = false;
  inFile_ = false;
}

void ZipWriter::Finish() {
  Check(!inFile_ && !finished_, "The zip archive was finished inside a file entry or twice.");
  const std::uint64_t directoryOffset = offset_;
  std::string directory;
  for (const Entry& entry : entries_) {
    const std::uint16_t version = NeedsZip64(entry) ? kZip64Version : kVersion;
    const std::string extras = Extras(entry, true);
    Put32(directory, 0x02014b50);
    Put16(directory, (entry.name.utf8 ? kMadeByNtfs : kMadeByMsDos) | version);
    Put16(directory, version);  // needed
    Put16(directory, entry.name.utf8 ? kUtf8Flag : 0);
    Put16(directory, entry.method);
    Put16(directory, entry.when.local.time);
    Put16(directory, entry.when.local.date);
    Put32(directory, entry.crc);
    Put32(directory, entry.zip64Sizes ? kAllOnes32 : entry.compressedSize);
    Put32(directory, entry.zip64Sizes ? kAllOnes32 : entry.size);
    Put16(directory, std::uint32_t(entry.name.bytes.size()));
    Put16(directory, std::uint32_t(extras.size()));
    Put16(directory, 0);  // comment
    Put16(directory, 0);  // disk
    Put16(directory, 0);  // internal attributes
    Put32(directory, entry.attributes);
    Put32(directory, entry.headerOffset > limits_.maxSize ? kAllOnes32 : entry.headerOffset);
    directory += entry.name.bytes;
    directory += extras;
  }
  const std::uint64_t directorySize = directory.size();
  const std::uint64_t count = entries_.size();
  const bool manyEntries = count > limits_.maxEntries;
  const bool bigSize = directorySize > limits_.maxSize;
  const bool farOffset = directoryOffset > limits_.maxSize;
  if (manyEntries || bigSize || farOffset) {
    const std::uint64_t recordOffset = directoryOffset + directorySize;
    Put32(directory, 0x06064b50);
    Put64(directory, 44);             // the record's size after this field
    Put16(directory, kZip64Version);  // made by
    Put16(directory, kZip64Version);  // needed
    Put32(directory, 0);              // this disk
    Put32(directory, 0);              // the directory's disk
    Put64(directory, count);
    Put64(directory, count);
    Put64(directory, directorySize);
    Put64(directory, directoryOffset);
    Put32(directory, 0x07064b50);  // the locator
    Put32(directory, 0);           // the record's disk
    Put64(directory, recordOffset);
    Put32(directory, 1);  // disks
  }
  // Each field too small for its value says all ones: readers then take it
  // from the ZIP64 record.
  Put32(directory, 0x06054b50);
  Put16(directory, 0);  // this disk
  Put16(directory, 0);  // the directory's disk
  Put16(directory, manyEntries ? 0xFFFF : std::uint32_t(count));
  Put16(directory, manyEntries ? 0xFFFF : std::uint32_t(count));
  Put32(directory, bigSize ? kAllOnes32 : directorySize);
  Put32(directory, farOffset ? kAllOnes32 : directoryOffset);
  Put16(directory, 0);  // comment
  Emit(directory.data(), directory.size());
  finished_ = true;
}

}  // namespace lnf
