// Paths as the running system takes them: on the NT family in their "\\?\"
// form for the wide functions, on Windows 9x in the ANSI code page, refused
// beforehand where the ANSI functions would work on another file.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "win32/Win32Text.h"

namespace lnf {

// One of the two is filled in, as IsNtFamily() says.
struct NativePath {
  WideText wide;
  std::string ansi;
};

// MAX_PATH counts the terminating null; CreateDirectory keeps 12 characters
// back for an 8.3 name inside the new folder. Only Windows 9x is held to
// them: on NT every path goes in its "\\?\" form.
constexpr std::size_t kPathLimit = MAX_PATH;
constexpr std::size_t kFolderPathLimit = MAX_PATH - 12;

// Throws, naming `subject`, for a path Windows 9x cannot take as it is.
NativePath Prepare(std::string path, std::size_t limit, const std::string& subject);
inline NativePath Prepare(const std::string& path, std::size_t limit = kPathLimit) {
  return Prepare(path, limit, path);
}

// `folder` with a separator at its end, unless it is empty.
std::string WithSeparator(std::string folder);

// The calls on one path, wide or ANSI as the system wants them; each answers
// as its Win32 function does.
DWORD AttributesOf(const NativePath& path);
BOOL SetAttributesOf(const NativePath& path, DWORD attributes);
BOOL MakeFolder(const NativePath& path);
BOOL RemoveFolder(const NativePath& path);
// Never overwrites: replacing is done by renaming, so that a failed copy
// cannot damage what is already at the destination.
BOOL CopyOnce(const NativePath& from, const NativePath& to);
BOOL Rename(const NativePath& from, const NativePath& to);

}  // namespace lnf
