#include "platform/win32/NativePath.h"

#include <algorithm>
#include <vector>

#include "platform/PathText.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/WindowsFamily.h"

namespace lnf {

namespace {

bool IsAbsoluteDrivePath(const WideText& path) {
  return path.size() >= 3 &&
         ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z')) &&
         path[1] == u':' && path[2] == u'\\';
}

// "\\?\" switches off the system's own clean-up of a path, so "." and ".."
// and doubled separators are resolved here; `root` characters ("C:\" or
// "\\server\share\") are kept as they are and never climbed above. Names are
// otherwise left exactly as given: a trailing dot or blank is part of a name.
WideText Canonical(const WideText& path, std::size_t root) {
  std::vector<WideText> parts;
  std::size_t start = root;
  while (start <= path.size()) {
    std::size_t end = path.find(u'\\', start);
    if (end == WideText::npos) end = path.size();
    const WideText part = path.substr(start, end - start);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  WideText out = path.substr(0, root);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += u'\\';
    out += parts[i];
  }
  if (!parts.empty() && path.back() == u'\\') out += u'\\';
  return out;
}

// The "\\?\" form of a path, in which the NT family takes every name
// literally ("trail.inv.", "nul.inv", a folder "CON") and no length limit
// but the file system's applies. Paths already in a system form, and the
// relative ones (which only the system can resolve), go as they are.
WideText LiteralForm(const WideText& path) {
  if (IsAbsoluteDrivePath(path)) return u"\\\\?\\" + Canonical(path, 3);
  if (path.size() < 3 || path[0] != u'\\' || path[1] != u'\\' || path[2] == u'?' ||
      path[2] == u'.') {
    return path;
  }
  // "\\server\share\rest": the share is the root.
  const std::size_t share = path.find(u'\\', 2);
  if (share == WideText::npos || share == 2 || share + 1 >= path.size()) return path;
  std::size_t root = path.find(u'\\', share + 1);
  root = root == WideText::npos ? path.size() : root + 1;
  return u"\\\\?\\UNC\\" + Canonical(path, root).substr(2);
}

}  // namespace

NativePath Prepare(std::string path, std::size_t limit, const std::string& subject) {
  std::replace(path.begin(), path.end(), '/', '\\');
  NativePath native;
  if (IsNtFamily()) {
    native.wide = LiteralForm(ToWide(path));
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
