// The version resource of a program file (a PE image: .EXE, .DLL) as the
// file itself holds it, read as bytes. The system's own reader
// (GetFileVersionInfo) maps the file as a module, and may hand back the
// module of that name it already has loaded instead (Wine does so for every
// file named like one of its own DLLs): for another installation's
// KERNEL32.DLL that would be the running system's version.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileStreams.h"

namespace lnf {

// A file's fixed file version and the language of its first translation.
struct FileVersionResource {
  int major = 0, minor = 0, build = 0, revision = 0;
  std::uint32_t language = 0;  // 0: the resource names none
};

// From the bytes of a whole file: false where they hold no PE image with a
// version resource. Every offset and size in them is checked against the
// bytes there are, so that a damaged or hostile file gives false, never a
// read outside them.
bool ParseVersionResource(const std::vector<unsigned char>& image, FileVersionResource& version);

// The version resource of the file at `path`; false where there is none, the
// file cannot be read, or it is larger than a program file is (64 MiB).
bool ReadVersionResource(FileStreams& streams, const std::string& path,
                         FileVersionResource& version);

}  // namespace lnf
