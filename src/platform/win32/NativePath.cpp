#include "platform/win32/NativePath.h"

#include <algorithm>

#include "platform/PathText.h"
#include "platform/win32/SystemError.h"
#include "win32/WindowsFamily.h"

namespace lnf {

NativePath Prepare(std::string path, std::size_t limit, const std::string& subject) {
  std::replace(path.begin(), path.end(), '/', '\\');
  NativePath native;
  if (IsNtFamily()) {
    native.wide = ToWide(LiteralForm(path));
    return native;
  }
  // Windows 9x would work on another file (trailing dots and blanks
  // dropped) or open a device, which may never answer: such names are
  // refused before the system sees them.
  if (PathHoldsNameThatParsingChanges(path)) Fail(ERROR_INVALID_NAME, subject);
  if (!ToAnsiExact(path, native.ansi)) Fail(ERROR_NO_UNICODE_TRANSLATION, subject);
  // The ANSI functions would cut such a path short and work on another one.
  if (native.ansi.size() >= limit) Fail(ERROR_FILENAME_EXCED_RANGE, subject);
  return native;
}

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder;
}

DWORD AttributesOf(const NativePath& p) {
  return IsNtFamily() ? GetFileAttributesW(Ptr(p.wide)) : GetFileAttributesA(p.ansi.c_str());
}

BOOL SetAttributesOf(const NativePath& p, DWORD attributes) {
  return IsNtFamily() ? SetFileAttributesW(Ptr(p.wide), attributes)
                      : SetFileAttributesA(p.ansi.c_str(), attributes);
}

BOOL MakeFolder(const NativePath& p) {
  return IsNtFamily() ? CreateDirectoryW(Ptr(p.wide), nullptr)
                      : CreateDirectoryA(p.ansi.c_str(), nullptr);
}

BOOL RemoveFolder(const NativePath& p) {
  return IsNtFamily() ? RemoveDirectoryW(Ptr(p.wide)) : RemoveDirectoryA(p.ansi.c_str());
}

BOOL CopyOnce(const NativePath& from, const NativePath& to) {
  return IsNtFamily() ? CopyFileW(Ptr(from.wide), Ptr(to.wide), TRUE)
                      : CopyFileA(from.ansi.c_str(), to.ansi.c_str(), TRUE);
}

BOOL Rename(const NativePath& from, const NativePath& to) {
  return IsNtFamily() ? MoveFileW(Ptr(from.wide), Ptr(to.wide))
                      : MoveFileA(from.ansi.c_str(), to.ansi.c_str());
}

}  // namespace lnf
