#include "platform/win32/FindFile.h"

#include "win32/WindowsFamily.h"

namespace lnf {

bool FindFile::First(const NativePath& pattern) {
  handle_.Reset(IsNtFamily() ? FindFirstFileW(Ptr(pattern.wide), &wide_)
                             : FindFirstFileA(pattern.ansi.c_str(), &ansi_));
  if (handle_.IsSet()) return true;
  error_ = GetLastError();
  return false;
}

bool FindFile::Next() {
  if (IsNtFamily() ? FindNextFileW(handle_.get(), &wide_) : FindNextFileA(handle_.get(), &ansi_)) {
    return true;
  }
  error_ = GetLastError();
  handle_.Close();
  return false;
}

std::string FindFile::Name() const {
  return IsNtFamily() ? FromSystem(wide_.cFileName) : FromSystem(ansi_.cFileName);
}

std::string FindFile::ShortName() const {
  return IsNtFamily() ? FromSystem(wide_.cAlternateFileName) : FromSystem(ansi_.cAlternateFileName);
}

DWORD FindFile::Attributes() const {
  return IsNtFamily() ? wide_.dwFileAttributes : ansi_.dwFileAttributes;
}

FILETIME FindFile::LastWrite() const {
  return IsNtFamily() ? wide_.ftLastWriteTime : ansi_.ftLastWriteTime;
}

std::uint64_t FindFile::Size() const {
  const DWORD high = IsNtFamily() ? wide_.nFileSizeHigh : ansi_.nFileSizeHigh;
  const DWORD low = IsNtFamily() ? wide_.nFileSizeLow : ansi_.nFileSizeLow;
  return (static_cast<std::uint64_t>(high) << 32) | low;
}

}  // namespace lnf
