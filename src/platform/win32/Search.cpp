// Directory enumeration: one FindFirstFile search per listing, filtered to
// what the platform promises its callers, each entry with the facts the
// search gave for it.
#include <memory>
#include <string>
#include <utility>

#include "platform/PathText.h"
#include "platform/SearchErrors.h"
#include "platform/win32/FindFile.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Win32Platform.h"
#include "win32/WindowsFamily.h"

namespace lnf {

namespace {

bool IsDotEntry(const std::string& name) { return name == "." || name == ".."; }

UtcDateTime UtcOf(const FILETIME& written) {
  SYSTEMTIME st;
  if (!FileTimeToSystemTime(&written, &st)) return {};
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

// A file link whose target is gone is no file to back up; the system lists
// it all the same. Only reparse points pay for this look (one open).
// Windows 9x has no links.
bool LinkTargetExists(const std::string& path, const std::string& subject) {
  if (!IsNtFamily()) return true;
  const NativePath native = Prepare(path, kPathLimit, subject);
  const FileHandle target(CreateFileW(Ptr(native.wide), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (target.IsSet()) return true;
  const DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
         error != ERROR_CANT_RESOLVE_FILENAME;
}

class FindEnumeration final : public DirectoryEnumeration {
 public:
  FindEnumeration(std::string subject, std::string folder, std::string namePattern,
                  bool wholeFolder, EntryFilter filter)
      : subject_(std::move(subject)),
        folder_(std::move(folder)),
        namePattern_(std::move(namePattern)),
        wholeFolder_(wholeFolder),
        filter_(filter) {}

  void Start(const NativePath& pattern) {
    if (find_.First(pattern)) return;
    // A missing folder, a folder part that is a file (ERROR_DIRECTORY on NT),
    // a missing drive or share: all mean "no such entry" to the caller.
    if (MeansNoSuchEntry(find_.Error())) return;
    Fail(find_.Error(), subject_);
  }

  std::string Next() override {
    while (find_.IsOpen()) {
      if (started_ && !Advance()) break;
      started_ = true;
      std::string name = find_.Name();
      if (Yields(name, find_.Attributes())) {
        entry_.openableName = OpenableOf(name);
        entry_.name = std::move(name);
        entry_.attributes = find_.Attributes();
        entry_.size = find_.Size();
        entry_.lastWrite = UtcOf(find_.LastWrite());
        return entry_.name;
      }
    }
    entry_ = {};
    return {};
  }

  const DirectoryEntry& Entry() const override { return entry_; }

 private:
  bool Advance() {
    if (find_.Next()) return true;
    if (find_.Error() != ERROR_NO_MORE_FILES) Fail(find_.Error(), subject_);
    return false;
  }

  // No file name holds '?', so one in a 9x name is a character the ANSI
  // code page lacks; the short name is made of characters it has.
  std::string OpenableOf(const std::string& name) const {
    if (IsNtFamily() || name.find('?') == std::string::npos) return name;
    const std::string alias = find_.ShortName();
    return alias.empty() ? name : alias;
  }

  bool Yields(const std::string& name, DWORD attributes) const {
    const bool everything = filter_ == EntryFilter::kEverything;
    const bool withFolders = everything || filter_ == EntryFilter::kWithFolders;
    // "." and ".." are markers of the folder, not entries; they carry the
    // folder's own attributes, so the hidden rule must not judge them.
    if (IsDotEntry(name)) return wholeFolder_ && withFolders;
    if (everything) return WildcardMatch(namePattern_, name);
    if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return false;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !withFolders) return false;
    // The system also matches 8.3 aliases ("*.gng" finds "x.gngx" through
    // "X~1.GNG"); only the long name counts.
    if (!WildcardMatch(namePattern_, name)) return false;
    return !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
           (attributes & FILE_ATTRIBUTE_DIRECTORY) || LinkTargetExists(folder_ + name, subject_);
  }

  std::string subject_;
  std::string folder_;
  std::string namePattern_;
  bool wholeFolder_;
  EntryFilter filter_;
  FindFile find_;
  bool started_ = false;
  DirectoryEntry entry_;
};

}  // namespace

std::unique_ptr<DirectoryEnumeration> Win32FileSystem::DoEnumerate(const std::string& pattern,
                                                                   EntryFilter filter) {
  const SplitPattern split = SplitAtLastSeparator(pattern);
  const bool wholeFolder = !pattern.empty() && split.name.empty();
  const std::string search = wholeFolder ? pattern + "*" : pattern;
  auto enumeration = std::make_unique<FindEnumeration>(
      pattern, split.folder, wholeFolder ? std::string("*") : split.name, wholeFolder, filter);
  enumeration->Start(Prepare(search, kPathLimit, pattern));
  return enumeration;
}

}  // namespace lnf
