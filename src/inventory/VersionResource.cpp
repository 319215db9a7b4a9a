#include "inventory/VersionResource.h"

#include <memory>

namespace lnf {

namespace {

constexpr std::uint32_t kVersionType = 16;  // RT_VERSION
constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;
constexpr std::uint64_t kLargestImage = 64u << 20;

// Little-endian reads that first ask whether the bytes are there; offsets
// are 64-bit so that no sum of two 32-bit fields wraps.
class Image {
 public:
  explicit Image(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}

  bool Has(std::uint64_t offset, std::uint64_t size) const {
    return offset <= bytes_.size() && size <= bytes_.size() - offset;
  }
  std::uint32_t U16(std::uint64_t at) const { return bytes_[at] | bytes_[at + 1] << 8; }
  std::uint32_t U32(std::uint64_t at) const {
    return U16(at) | static_cast<std::uint32_t>(U16(at + 2)) << 16;
  }

  // Whether the UTF-16 text at `at`, ending before `end`, is `key` with its
  // terminating null; `after` is where what follows it begins.
  bool KeyIs(std::uint64_t at, std::uint64_t end, const char* key, std::uint64_t& after) const {
    for (;; ++key, at += 2) {
      if (at + 2 > end || !Has(at, 2)) return false;
      if (U16(at) != static_cast<unsigned char>(*key)) return false;
      if (*key == '\0') break;
    }
    after = at + 2;
    return true;
  }

 private:
  const std::vector<unsigned char>& bytes_;
};

// The file offset of a relative virtual address, through the section that
// holds it in the file.
bool FileOffset(const Image& image, std::uint64_t sections, std::uint32_t count, std::uint32_t rva,
                std::uint64_t& offset) {
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t section = sections + 40u * i;
    if (!image.Has(section, 40)) return false;
    const std::uint32_t start = image.U32(section + 12);
    const std::uint32_t rawSize = image.U32(section + 16);
    if (rva >= start && rva - start < rawSize) {
      offset = static_cast<std::uint64_t>(image.U32(section + 20)) + (rva - start);
      return true;
    }
  }
  return false;
}

// One level of the resource directory at `directory`: the entry with the
// ID `id`, or the first one where `id` is 0; its ID and its offset field.
bool ResourceEntry(const Image& image, std::uint64_t directory, std::uint32_t id,
                   std::uint32_t& found, std::uint32_t& target) {
  if (!image.Has(directory, 16)) return false;
  const std::uint32_t entries = image.U16(directory + 12) + image.U16(directory + 14);
  for (std::uint32_t i = 0; i < entries; ++i) {
    const std::uint64_t entry = directory + 16 + 8u * i;
    if (!image.Has(entry, 8)) return false;
    const std::uint32_t name = image.U32(entry);
    if (id != 0 && name != id) continue;  // a named entry has its high bit set
    found = name;
    target = image.U32(entry + 4);
    return true;
  }
  return false;
}

std::uint64_t Aligned(std::uint64_t offset) { return (offset + 3) & ~std::uint64_t(3); }

// The language of the first translation the block at `block` (of `length`
// bytes, its children from `children` on) lists under VarFileInfo; 0 where
// it lists none.
std::uint32_t TranslationLanguage(const Image& image, std::uint64_t block, std::uint64_t length,
                                  std::uint64_t children) {
  const std::uint64_t end = block + length;
  for (std::uint64_t child = block + Aligned(children - block); child + 6 <= end;) {
    const std::uint32_t childLength = image.U16(child);
    if (childLength < 6 || child + childLength > end) return 0;
    std::uint64_t after = 0;
    if (image.KeyIs(child + 6, child + childLength, "VarFileInfo", after)) {
      const std::uint64_t varsEnd = child + childLength;
      for (std::uint64_t var = child + Aligned(after - child); var + 6 <= varsEnd;) {
        const std::uint32_t varLength = image.U16(var);
        if (varLength < 6 || var + varLength > varsEnd) return 0;
        if (image.KeyIs(var + 6, var + varLength, "Translation", after)) {
          const std::uint64_t value = var + Aligned(after - var);
          return image.U16(var + 2) >= 4 && value + 4 <= var + varLength ? image.U16(value) : 0;
        }
        var += Aligned(varLength);
      }
      return 0;
    }
    child += Aligned(childLength);
  }
  return 0;
}

}  // namespace

bool ParseVersionResource(const std::vector<unsigned char>& bytes, FileVersionResource& version) {
  const Image image(bytes);
  if (!image.Has(0, 64) || image.U16(0) != 0x5A4D) return false;  // "MZ"
  const std::uint64_t pe = image.U32(0x3C);
  if (!image.Has(pe, 24) || image.U32(pe) != 0x00004550) return false;  // "PE\0\0"
  const std::uint32_t sectionCount = image.U16(pe + 6);
  const std::uint32_t optionalSize = image.U16(pe + 20);
  const std::uint64_t optional = pe + 24;
  if (!image.Has(optional, optionalSize) || optionalSize < 2) return false;
  // The data directories follow the fields of the image's own word size.
  const std::uint32_t magic = image.U16(optional);
  const std::uint64_t fields = magic == 0x10B ? 92 : magic == 0x20B ? 108 : 0;
  if (fields == 0 || optionalSize < fields + 4 + 3 * 8) return false;
  if (image.U32(optional + fields) < 3) return false;  // no resource directory
  const std::uint32_t resourceRva = image.U32(optional + fields + 4 + 2 * 8);
  const std::uint64_t sections = optional + optionalSize;
  std::uint64_t resources = 0;
  if (resourceRva == 0 || !FileOffset(image, sections, sectionCount, resourceRva, resources)) {
    return false;
  }

  // Type, name, language: the version type's first name and its first
  // language, each a subdirectory but the last.
  std::uint32_t found = 0, target = 0;
  if (!ResourceEntry(image, resources, kVersionType, found, target) || !(target >> 31)) {
    return false;
  }
  if (!ResourceEntry(image, resources + (target & 0x7FFFFFFF), 0, found, target) ||
      !(target >> 31)) {
    return false;
  }
  if (!ResourceEntry(image, resources + (target & 0x7FFFFFFF), 0, found, target) ||
      (target >> 31)) {
    return false;
  }
  const std::uint32_t resourceLanguage = found >> 31 ? 0 : found;
  const std::uint64_t dataEntry = resources + target;
  if (!image.Has(dataEntry, 16)) return false;
  std::uint64_t block = 0;
  const std::uint32_t dataSize = image.U32(dataEntry + 4);
  if (!FileOffset(image, sections, sectionCount, image.U32(dataEntry), block) ||
      !image.Has(block, dataSize) || dataSize < 6) {
    return false;
  }

  // VS_VERSIONINFO: its length, its value's, its type, "VS_VERSION_INFO",
  // then VS_FIXEDFILEINFO on a four-byte boundary.
  const std::uint64_t length = image.U16(block);
  std::uint64_t after = 0;
  if (length > dataSize || !image.KeyIs(block + 6, block + length, "VS_VERSION_INFO", after)) {
    return false;
  }
  const std::uint64_t fixed = block + Aligned(after - block);
  const std::uint32_t valueLength = image.U16(block + 2);
  if (valueLength < 52 || fixed + 52 > block + length || image.U32(fixed) != kFixedSignature) {
    return false;
  }
  const std::uint32_t high = image.U32(fixed + 8), low = image.U32(fixed + 12);
  version.major = static_cast<int>(high >> 16);
  version.minor = static_cast<int>(high & 0xFFFF);
  version.build = static_cast<int>(low >> 16);
  version.revision = static_cast<int>(low & 0xFFFF);
  // The first translation, as the system's reader gives it; else the
  // language the resource itself is filed under.
  version.language = TranslationLanguage(image, block, length, fixed + valueLength);
  if (version.language == 0) version.language = resourceLanguage;
  return true;
}

bool ReadVersionResource(FileStreams& streams, const std::string& path,
                         FileVersionResource& version) {
  std::vector<unsigned char> bytes;
  try {
    const FileFacts facts = streams.GetFileFacts(path);
    if (facts.size > kLargestImage) return false;
    bytes.resize(static_cast<std::size_t>(facts.size));
    auto stream = streams.OpenRead(path);
    std::size_t got = 0;
    // The size read first may have changed since: what is read counts.
    while (got < bytes.size()) {
      const std::size_t part = stream->Read(bytes.data() + got, bytes.size() - got);
      if (part == 0) break;
      got += part;
    }
    bytes.resize(got);
  } catch (const PlatformError&) {
    return false;
  }
  return ParseVersionResource(bytes, version);
}

}  // namespace lnf
