#include "package/ZipWriter.h"

#include <zlib.h>

#include <utility>

namespace lnf {
namespace {

constexpr std::uint16_t kVersion = 20;  // 2.0: deflate and folders; made by MS-DOS
constexpr std::uint16_t kUtf8Flag = 0x0800;
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

int Clamp(int value, int low, int high) { return value < low ? low : value > high ? high : value; }

}  // namespace

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

void ZipWriter::Refuse(const std::string& message) {
  broken_ = true;
  throw ZipLimitError(message);
}

void ZipWriter::Emit(const void* data, std::size_t size) {
  // Whatever the output throws leaves the archive unfinished for good.
  broken_ = true;
  out_.Write(data, size);
  broken_ = false;
  offset_ += size;
}

void ZipWriter::StartEntry(ZipName name, DosDateTime when, std::uint16_t method,
                           std::uint32_t attributes) {
  Check(!inFile_ && !finished_, "A zip entry was started inside another or after the end.");
  if (name.bytes.size() > 0xFFFF) throw ZipError("A zip entry name is too long.");
  if (entries_.size() >= limits_.maxEntries) {
    Refuse("The package would hold more entries than a zip file without ZIP64 can.");
  }
  if (offset_ > limits_.maxSize) {
    Refuse("The package would reach 4 GiB, more than a zip file without ZIP64 can hold.");
  }
  Entry entry{std::move(name), when, method, 0, 0, 0, offset_, attributes};
  std::string header;
  Put32(header, 0x04034b50);
  Put16(header, kVersion);
  Put16(header, entry.name.utf8 ? kUtf8Flag : 0);
  Put16(header, method);
  Put16(header, when.time);
  Put16(header, when.date);
  Put32(header, 0);  // CRC and sizes: patched by EndFile
  Put32(header, 0);
  Put32(header, 0);
  Put16(header, std::uint32_t(entry.name.bytes.size()));
  Put16(header, 0);
  header += entry.name.bytes;
  Emit(header.data(), header.size());
  entries_.push_back(std::move(entry));
}

void ZipWriter::AddFolder(ZipName name, DosDateTime when) {
  if (name.bytes.empty() || name.bytes.back() != '/') name.bytes += '/';
  StartEntry(std::move(name), when, kStored, kFolderAttribute);
}

void ZipWriter::BeginFile(ZipName name, DosDateTime when) {
  StartEntry(std::move(name), when, kDeflated, 0);
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
    if (entry.compressedSize + produced > limits_.maxSize) {
      Refuse("\"" + entry.name.bytes +
             "\" does not shrink below 4 GiB, more than a zip file without ZIP64 can hold.");
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
  if (entry.size + size > limits_.maxSize) {
    Refuse("\"" + entry.name.bytes +
           "\" is 4 GiB or larger, more than a zip file without ZIP64 can hold.");
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
  Put32(patch, entry.compressedSize);
  Put32(patch, entry.size);
  broken_ = true;
  out_.WriteAt(entry.headerOffset + 14, patch.data(), patch.size());
  broken_ = false;
  inFile_ = false;
}

void ZipWriter::Finish() {
  Check(!inFile_ && !finished_, "The zip archive was finished inside a file entry or twice.");
  const std::uint64_t directoryOffset = offset_;
  std::string directory;
  for (const Entry& entry : entries_) {
    Put32(directory, 0x02014b50);
    Put16(directory, kVersion);  // made by
    Put16(directory, kVersion);  // needed
    Put16(directory, entry.name.utf8 ? kUtf8Flag : 0);
    Put16(directory, entry.method);
    Put16(directory, entry.when.time);
    Put16(directory, entry.when.date);
    Put32(directory, entry.crc);
    Put32(directory, entry.compressedSize);
    Put32(directory, entry.size);
    Put16(directory, std::uint32_t(entry.name.bytes.size()));
    Put16(directory, 0);  // extra field
    Put16(directory, 0);  // comment
    Put16(directory, 0);  // disk
    Put16(directory, 0);  // internal attributes
    Put32(directory, entry.attributes);
    Put32(directory, entry.headerOffset);
    directory += entry.name.bytes;
  }
  const std::uint64_t directorySize = directory.size();
  if (directoryOffset + directorySize > limits_.maxSize) {
    Refuse("The package would reach 4 GiB, more than a zip file without ZIP64 can hold.");
  }
  Put32(directory, 0x06054b50);
  Put16(directory, 0);  // this disk
  Put16(directory, 0);  // the directory's disk
  Put16(directory, std::uint32_t(entries_.size()));
  Put16(directory, std::uint32_t(entries_.size()));
  Put32(directory, directorySize);
  Put32(directory, directoryOffset);
  Put16(directory, 0);  // comment
  Emit(directory.data(), directory.size());
  finished_ = true;
}

}  // namespace lnf
