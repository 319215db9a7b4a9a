// Writes a zip archive as it goes: folders, and files deflated chunk by chunk
// so that a file of any size passes through a fixed buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
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

// When an entry was last written: the local time readers show, in MS-DOS
// form, and where known the moment itself (seconds since 1970, UTC), which
// goes in the extended timestamp field that Info-ZIP, 7-Zip and libarchive
// read in place of the local time. A moment outside what the field holds
// (1901 to 2038) is left out.
struct ZipTime {
  ZipTime(DosDateTime local) : local(local) {}  // NOLINT: a local time alone is a ZipTime
  ZipTime(DosDateTime local, std::int64_t utc) : local(local), hasUtc(true), utc(utc) {}
  DosDateTime local;
  bool hasUtc = false;
  std::int64_t utc = 0;
};

// An entry name as the archive stores it: bytes with forward slashes, either
// UTF-8 (flagged as such) or in a code page (no flag). The writer does not
// touch the bytes: in a code page a backslash byte may be half of a
// character. A name in a code page may carry its UTF-8 form as well, in
// Info-ZIP's Unicode Path field, for the readers that would otherwise guess
// the code page.
struct ZipName {
  ZipName(std::string bytes, bool utf8, std::string unicodePath = {})
      : bytes(std::move(bytes)), utf8(utf8), unicodePath(std::move(unicodePath)) {}
  std::string bytes;
  bool utf8 = false;
  std::string unicodePath;  // empty: none
};

// The text a reader that knows nothing but the format's own code page (437,
// the IBM PC's) makes of a name without the UTF-8 mark, in UTF-8.
std::string ReadAsCodePage437(const std::string& bytes);

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

// What the writer refuses rather than write an archive no reader would take:
// a file that grows past 4 GiB after it was said to be smaller, since its
// local header has no room for the sizes then. Thrown before a byte that
// would need the room is written; what was written by then has no end
// record, so no reader takes it for a complete archive.
class ZipLimitError : public ZipError {
 public:
  // Not inherited (using ZipError::ZipError): the MinGW compiler's link-time
  // optimizer fails on the inherited constructor.
  explicit ZipLimitError(std::string message) : ZipError(std::move(message)) {}
};

// Beyond these an archive needs ZIP64 records: a size or offset that a
// 32-bit field cannot hold (all ones marks ZIP64), or more entries than a
// 16-bit count. Only the entries and the end records that pass them get
// ZIP64, so that an archive within them stays plain. Lower in tests, so that
// ZIP64 can be seen without writing gigabytes.
struct ZipLimits {
  std::uint64_t maxSize = 0xFFFFFFFEu;  // the largest size or offset a plain record holds
  std::uint32_t maxEntries = 0xFFFEu;   // the most entries a plain end record counts
};

class ZipWriter {
 public:
  explicit ZipWriter(ZipOutput& out, ZipLimits limits = ZipLimits());
  ~ZipWriter();
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  // A folder entry; a slash is added to the name when it lacks one.
  void AddFolder(ZipName name, ZipTime when);
  // A deflated file: BeginFile, any number of WriteFileData, EndFile.
  // `expectedSize` is the size the file is known to have: from 4 GiB on,
  // its local header makes room for ZIP64 sizes, which must be written
  // before the data.
  void BeginFile(ZipName name, ZipTime when, std::uint64_t expectedSize = 0);
  void WriteFileData(const void* data, std::size_t size);
  void EndFile();
  // The central directory and the end record; the archive is complete only
  // after this returns.
  void Finish();

 private:
  struct Entry {
    ZipName name;
    ZipTime when;
    std::uint16_t method;
    std::uint32_t attributes;
    std::uint64_t headerOffset;
    bool zip64Sizes;  // the local header has ZIP64 sizes
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
  };
  struct Deflater;

  void Check(bool condition, const char* what) const;
  void StartEntry(ZipName name, ZipTime when, std::uint16_t method, std::uint32_t attributes,
                  bool zip64Sizes);
  std::string Extras(const Entry& entry, bool central) const;
  bool NeedsZip64(const Entry& entry) const;
  void Emit(const void* data, std::size_t size);
  void DrainDeflater(int flush);

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
