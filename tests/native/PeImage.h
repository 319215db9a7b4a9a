// Program files as the tests need them: the smallest PE image that holds a
// version resource, laid out as a linker and a resource compiler do (one
// .rsrc section, the directory's type, name and language levels, then
// VS_VERSIONINFO with its fixed part and a VarFileInfo translation).
#pragma once

#include <cstdint>
#include <string>

namespace lnf::testing {

struct PeVersion {
  std::uint16_t major, minor, build, revision;
  std::uint16_t language = 0x0409;
  bool translation = true;  // a VarFileInfo\Translation, or none
  bool wide = false;        // PE32+ (x64), else PE32
};

inline std::string PeWithVersion(const PeVersion& v) {
  std::string b;
  auto at = [&b](std::size_t offset) {
    if (b.size() < offset) b.resize(offset, '\0');
  };
  auto u16 = [&b](std::uint32_t x) {
    b += char(x & 0xFF);
    b += char(x >> 8 & 0xFF);
  };
  auto u32 = [&](std::uint32_t x) {
    u16(x & 0xFFFF);
    u16(x >> 16);
  };
  auto text = [&](const char* key) {  // UTF-16 with its null, then to 4 bytes
    for (const char* c = key;; ++c) {
      u16(static_cast<unsigned char>(*c));
      if (!*c) break;
    }
    while (b.size() % 4) b += '\0';
  };
  const std::uint32_t optionalSize = v.wide ? 240 : 224;
  const std::uint32_t sections = 0x40 + 24 + optionalSize;
  const std::uint32_t raw = 0x200, rva = 0x1000;

  u16(0x5A4D);  // "MZ"
  at(0x3C);
  u32(0x40);
  at(0x40);
  u32(0x00004550);  // "PE\0\0"
  u16(v.wide ? 0x8664 : 0x14C);
  u16(1);  // one section
  at(0x40 + 4 + 16);
  u16(optionalSize);
  u16(0x2102);
  const std::size_t optional = b.size();
  u16(v.wide ? 0x20B : 0x10B);
  at(optional + (v.wide ? 108 : 92));
  u32(16);            // data directories
  at(b.size() + 16);  // export, import
  u32(rva);           // resources
  u32(0x200);
  at(sections);
  b += ".rsrc";
  at(sections + 8);
  u32(0x200);  // virtual size
  u32(rva);
  u32(0x200);  // raw size
  u32(raw);

  // Type 16, name 1, the language; each directory of one ID entry.
  at(raw);
  for (std::uint32_t level = 0; level < 3; ++level) {
    at(raw + 24 * level + 12);
    u16(0);
    u16(1);
    u32(level == 0 ? 16 : level == 1 ? 1 : v.language);
    u32(level < 2 ? 0x80000000u | (24 * (level + 1)) : 72);
  }
  at(raw + 72);
  u32(rva + 88);  // the data, as an address
  const std::size_t size = b.size();
  u32(0);
  u32(0);
  u32(0);

  at(raw + 88);
  const std::size_t block = b.size();
  u16(0);  // the length, set below
  u16(52);
  u16(0);
  text("VS_VERSION_INFO");
  u32(0xFEEF04BD);
  u32(0x00010000);
  u32(std::uint32_t(v.major) << 16 | v.minor);
  u32(std::uint32_t(v.build) << 16 | v.revision);
  for (int i = 0; i < 9; ++i) u32(0);
  if (v.translation) {
    const std::size_t var = b.size();
    u16(0);
    u16(0);
    u16(1);
    text("VarFileInfo");
    u16(36);
    u16(4);
    u16(0);
    text("Translation");
    u16(v.language);
    u16(1252);
    b[var] = char(b.size() - var);
  }
  const std::size_t length = b.size() - block;
  b[block] = char(length & 0xFF);
  b[block + 1] = char(length >> 8);
  b[size] = char(length & 0xFF);
  b[size + 1] = char(length >> 8);
  at(raw + 0x200);
  return b;
}

}  // namespace lnf::testing
