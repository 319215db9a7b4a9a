// One FindFirstFile search, wide on the NT family and ANSI on Windows 9x,
// with the find handle owned and closed here. Callers see UTF-8 names and
// never the split.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/win32/NativePath.h"
#include "win32/OwnedHandle.h"

namespace lnf {

class FindFile {
 public:
  // False when nothing matches or the search cannot start; Error() tells
  // which.
  bool First(const NativePath& pattern);
  // False at the end (Error() is ERROR_NO_MORE_FILES) or on a failure; the
  // search is closed either way.
  bool Next();
  bool IsOpen() const { return handle_.IsSet(); }
  // The system's error number, taken right after the call that failed:
  // closing the search would overwrite it.
  DWORD Error() const { return error_; }

  // The entry found last.
  std::string Name() const;
  // Its 8.3 alias; empty when the name itself is one.
  std::string ShortName() const;
  DWORD Attributes() const;
  FILETIME LastWrite() const;
  std::uint64_t Size() const;

 private:
  FindHandle handle_;
  WIN32_FIND_DATAW wide_{};
  WIN32_FIND_DATAA ansi_{};
  DWORD error_ = ERROR_SUCCESS;
};

}  // namespace lnf
