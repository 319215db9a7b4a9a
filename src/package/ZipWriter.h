// Writes a zip archive as it goes: folders, and files deflated chunk by chunk
// so that a file of any size passes through a fixed buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace lnf {

// Where the archive's bytes go. WriteAt rewrites bytes already written: the
// writer patches each local header with the CRC and sizes once the entry's
// data is known, rather than trailing the data with a descriptor, which some
// readers (Windows XP's compressed folders among them) handle badly.
class ZipOutput {
 public:
  virtual ~ZipOutput() = default;
  virtual void Write(const void* data, std::size_t size) = 0;
  virtual void WriteAt(std::uint64_t offset, const void* data, std::size_t size) = 0;
};

// A date and time as MS-DOS keeps it: local time, two-second steps, 1980 to
// 2107.
struct DosDateTime {
  std::uint16_t date = 0;
  std::uint16_t time = 0;
};
// Out-of-range dates are clamped to the first or last moment the format holds;
// odd seconds round down.
DosDateTime MakeDosDateTime(int year, int month, int day, int hour, int minute, int second);

// An entry name as the archive stores it: bytes with forward slashes, either
// UTF-8 (flagged as such) or in the code page the reader will assume (no
// flag). The writer does not touch the bytes: in a code page a backslash byte
// may be half of a character.
struct ZipName {
  std::string bytes;
  bool utf8 = false;
};

// Why the writer stopped. Derives from std::exception, not
// std::runtime_error: the latter drags the library's second string
// implementation, and with it imports Windows 95 lacks, into the exe.
class ZipError : public std::exception {
 public:
  explicit ZipError(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// What no archive without ZIP64 can hold: a file or an archive of 4 GiB or
// more, or 65535 entries or more (all-ones values are the marks by which
// readers look for ZIP64 records). Thrown before a byte that would need them
// is written; what was written by then has no end record, so no reader
// takes it for a complete archive.
class ZipLimitError : public ZipError {
 public:
  using ZipError::ZipError;
};

// The limits above, lower in tests so that refusals can be seen without
// writing gigabytes.
struct ZipLimits {
  std::uint64_t maxSize = 0xFFFFFFFEu;  // any size or offset the archive records
  std::uint32_t maxEntries = 0xFFFEu;
};

class ZipWriter {
 public:
  explicit ZipWriter(ZipOutput& out, ZipLimits limits = ZipLimits());
  ~ZipWriter();
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  // A folder entry; a slash is added to the name when it lacks one.
  void AddFolder(ZipName name, DosDateTime when);
  // A deflated file: BeginFile, any number of WriteFileData, EndFile.
  void BeginFile(ZipName name, DosDateTime when);
  void WriteFileData(const void* data, std::size_t size);
  void EndFile();
  // The central directory and the end record; the archive is complete only
  // after this returns.
  void Finish();

 private:
  struct Entry {
    ZipName name;
    DosDateTime when;
    std::uint16_t method;
    std::uint32_t crc;
    std::uint64_t compressedSize;
    std::uint64_t size;
    std::uint64_t headerOffset;
    std::uint32_t attributes;
  };
  struct Deflater;

  void Check(bool condition, const char* what) const;
  void StartEntry(ZipName name, DosDateTime when, std::uint16_t method, std::uint32_t attributes);
  void Emit(const void* data, std::size_t size);
  void DrainDeflater(int flush);
  void Refuse(const std::string& message);

  ZipOutput& out_;
  ZipLimits limits_;
  std::unique_ptr<Deflater> deflater_;
  std::vector<Entry> entries_;
  std::uint64_t offset_ = 0;
  bool inFile_ = false;
  bool finished_ = false;
  bool broken_ = false;
};

}  // namespace lnf
