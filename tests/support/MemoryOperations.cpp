// The platform's operations on the drive, with the failures Windows gives
// them, the injected ones, the staging of copies and the message boxes.
#include <algorithm>
#include <utility>

#include "platform/PathText.h"
#include "platform/SearchErrors.h"
#include "support/MemoryPlatform.h"

namespace lnf {

std::string DescribeError(std::uint32_t number) {
  switch (number) {
    case kErrorFileNotFound:
      return "The system cannot find the file specified.";
    case kErrorPathNotFound:
      return "The system cannot find the path specified.";
    case kErrorAccessDenied:
      return "Access is denied.";
    case kErrorDiskFull:
      return "There is not enough space on the disk.";
    case kErrorInvalidName:
      return "The filename, directory name, or volume label syntax is incorrect.";
    case kErrorAlreadyExists:
      return "Cannot create a file when that file already exists.";
    case kErrorNotReady:
      return "The device is not ready.";
    case kErrorDirectory:
      return "The directory name is invalid.";
    case kErrorCantResolveFilename:
      return "The name of the file cannot be resolved by the system.";
    case kErrorFileExists:
      return "The file exists.";
    default:
      return "Error " + std::to_string(number) + ".";
  }
}

namespace {

class SnapshotEnumeration : public DirectoryEnumeration {
 public:
  explicit SnapshotEnumeration(std::vector<std::string> names) : names_(std::move(names)) {}
  std::string Next() override { return next_ < names_.size() ? names_[next_++] : std::string(); }

 private:
  std::vector<std::string> names_;
  std::size_t next_ = 0;
};

bool Yieldable(std::uint32_t attributes, EntryFilter filter) {
  if (attributes & (kAttrHidden | kAttrSystem)) return false;
  return filter == EntryFilter::kWithFolders || !(attributes & kAttrDirectory);
}

}  // namespace

// A usable key is a drive ("c:") or a drive followed by components.
static bool ValidKey(const std::string& key) {
  return key.size() >= 2 && key[1] == ':' && (key.size() == 2 || key[2] == '\\') &&
         key.find("\\\\") == std::string::npos && key.find_first_of("*?\"<>|") == std::string::npos;
}

void MemoryPlatform::InjectFailure(Operation op, const std::string& path, std::uint32_t number,
                                   int times) {
  failures_.push_back({op, Key(path), number, times});
}

std::uint32_t MemoryPlatform::TakeFailure(Operation op, const std::string& path) {
  const std::string key = Key(path);
  for (auto it = failures_.begin(); it != failures_.end(); ++it) {
    if (it->op != op || it->key != key) continue;
    const std::uint32_t number = it->number;
    if (it->times > 0 && --it->times == 0) failures_.erase(it);
    return number;
  }
  return 0;
}

void MemoryPlatform::MaybeFail(Operation op, const std::string& path) {
  if (const std::uint32_t number = TakeFailure(op, path)) Fail(number, path);
}

// What NT's FindFirstFile answers when the folder part of a search is no
// folder: ERROR_DIRECTORY when a file stands anywhere on the way,
// ERROR_PATH_NOT_FOUND when a folder is missing, ERROR_INVALID_NAME for a
// path no file system can hold; 0 when it is a folder.
std::uint32_t MemoryPlatform::SearchRefusal(const std::string& folderKey) const {
  if (!ValidKey(folderKey)) return kErrorInvalidName;
  std::uint32_t refusal = 0;
  for (std::string key = folderKey; !key.empty(); key = ParentKey(key)) {
    auto it = nodes_.find(key);
    if (it == nodes_.end()) {
      refusal = kErrorPathNotFound;
    } else if (!(it->second.attributes & kAttrDirectory)) {
      return kErrorDirectory;
    }
  }
  return refusal;
}

void MemoryPlatform::Fail(std::uint32_t number, const std::string& subject) {
  throw PlatformError(number, DescribeError(number), subject);
}

std::unique_ptr<DirectoryEnumeration> MemoryPlatform::DoEnumerate(const std::string& pattern,
                                                                  EntryFilter attributeFilter) {
  ++enumerations_;
  const SplitPattern split = SplitAtLastSeparator(pattern);
  const std::string subject = split.folder.empty() ? pattern : split.folder;
  // A search that cannot start ends as on the real platform: "not there" is
  // no match, anything else a failure.
  std::uint32_t refusal = TakeFailure(Operation::Enumerate, subject);
  if (refusal == 0 && windows9x_ && PathHoldsNameThatParsingChanges(pattern)) {
    Fail(kErrorInvalidName, pattern);
  }
  std::vector<std::string> names;
  const bool valid = !split.folder.empty() && ValidKey(Key(split.folder));
  const std::string folderKey = valid ? ResolveFor(split.folder, true) : std::string();
  if (refusal == 0) refusal = valid ? SearchRefusal(folderKey) : kErrorInvalidName;
  if (refusal != 0 && !MeansNoSuchEntry(refusal)) Fail(refusal, subject);
  const bool isFolder = refusal == 0;
  // A file link whose target is gone is not listed.
  auto listed = [&](const Node* child) {
    return Yieldable(child->attributes, attributeFilter) &&
           (child->linkTarget.empty() || (child->attributes & kAttrDirectory) ||
            nodes_.count(Resolve(child->linkTarget, true)));
  };
  if (isFolder && split.name.empty()) {
    if (attributeFilter == EntryFilter::kWithFolders && folderKey.size() > 2) {
      names = {".", ".."};
    }
    for (const Node* child : Children(folderKey)) {
      if (listed(child)) names.push_back(child->name);
    }
  } else if (isFolder) {
    for (const Node* child : Children(folderKey)) {
      if (listed(child) && WildcardMatch(split.name, child->name)) names.push_back(child->name);
    }
  }
  return std::make_unique<SnapshotEnumeration>(std::move(names));
}

// A link answers for itself, as GetFileAttributes does on Windows.
std::uint32_t MemoryPlatform::DoGetAttributes(const std::string& path) {
  MaybeFail(Operation::GetAttributes, path);
  const std::string key = Key(path);
  if (!ValidKey(key)) Fail(path.empty() ? kErrorPathNotFound : kErrorInvalidName, path);
  const std::string resolved = ResolveFor(path, false);
  auto node = nodes_.find(resolved);
  if (node == nodes_.end()) {
    Fail(nodes_.count(ParentKey(resolved)) ? kErrorFileNotFound : kErrorPathNotFound, path);
  }
  // "C:\file.txt\" is no folder and does not name the file either.
  if (!path.empty() && path.back() == '\\' && !(node->second.attributes & kAttrDirectory)) {
    Fail(kErrorInvalidName, path);
  }
  return node->second.attributes;
}

void MemoryPlatform::DoCreateFolder(const std::string& path) {
  MaybeFail(Operation::CreateFolder, path);
  const std::string key = Key(path);
  if (!ValidKey(key)) Fail(kErrorPathNotFound, path);
  const std::string resolved = ResolveFor(path, false);
  if (nodes_.count(resolved)) Fail(kErrorAlreadyExists, path);
  auto parent = nodes_.find(ParentKey(resolved));
  if (parent == nodes_.end() || !(parent->second.attributes & kAttrDirectory)) {
    Fail(kErrorPathNotFound, path);
  }
  AddFolder(resolved == key ? path : FullPathOf(parent->first) + path.substr(path.rfind('\\')));
}

void MemoryPlatform::DoCopyFileReplacing(const std::string& source, const std::string& destination,
                                         const std::string& stagingFolder) {
  MaybeFail(Operation::CopyFile, source);
  MaybeFail(Operation::CopyFile, destination);
  if (!ValidKey(Key(source))) Fail(kErrorInvalidName, source);
  // The copy is of a link's target, as CopyFile makes it.
  const std::string sourceKey = ResolveFor(source, true);
  auto from = nodes_.find(sourceKey);
  if (from == nodes_.end()) {
    Fail(nodes_.count(ParentKey(sourceKey)) ? kErrorFileNotFound : kErrorPathNotFound, source);
  }
  if (from->second.attributes & kAttrDirectory) Fail(kErrorAccessDenied, source);
  const std::string destKey = Key(destination);
  if (!ValidKey(destKey)) Fail(kErrorInvalidName, destination);
  ResolveFor(destination, false);
  const Node* parent = Find(ParentKey(destKey));
  if (!parent || !(parent->attributes & kAttrDirectory)) Fail(kErrorPathNotFound, destination);
  const Node* existing = Find(destination);
  if (existing && (existing->attributes & kAttrDirectory)) Fail(kErrorAccessDenied, destination);

  // As on Windows: the copy is made under a staging name and renamed to its
  // real name once complete.
  std::string folder = stagingFolder.empty() ? FullPathOf(ParentKey(destKey)) : stagingFolder;
  if (folder.back() != '\\') folder += '\\';
  if (!IsFolder(folder)) Fail(kErrorPathNotFound, folder);
  std::string staged;
  for (int number = 0; Exists(staged = folder + StagingFileName(number, ".tmp")); ++number) {
  }
  const Node copy = from->second;
  const std::uint32_t attributes =
      (copy.attributes & ~static_cast<std::uint32_t>(kAttrReparsePoint)) | kAttrArchive;
  AddFileWrittenAt(staged, copy.contents, copy.lastWriteUtc, attributes);
  if (onStaged) onStaged(staged);
  Remove(staged);
  copied_.push_back(destination);
  AddFileWrittenAt(destination, copy.contents, copy.lastWriteUtc, attributes);
}

void MemoryPlatform::SweepStaging(const std::string& folder) {
  if (!IsFolder(folder)) return;
  const std::string key = Key(folder);
  for (const Node* child : Children(key)) {
    if (!(child->attributes & kAttrDirectory) && IsCopyInProgressName(child->name)) {
      nodes_.erase(Key(folder + "\\" + child->name));
    }
  }
}

bool MemoryPlatform::DoOpenStaging(const std::string& folder) {
  SweepStaging(folder);
  if (Exists(folder)) return IsFolder(folder);
  const std::string key = Key(folder);
  if (!ValidKey(key) || !IsFolder(FullPathOf(ParentKey(key)))) return false;
  AddFolder(folder);
  return true;
}

void MemoryPlatform::DoCloseStaging(const std::string& folder) noexcept {
  SweepStaging(folder);
  if (IsFolder(folder) && Children(Key(folder)).empty()) nodes_.erase(Key(folder));
}

std::string MemoryPlatform::ErrorText(std::uint32_t number) { return DescribeError(number); }

// A link's own date, as GetFileAttributesEx gives it on Windows.
LocalDateTime MemoryPlatform::DoGetLastWriteTime(const std::string& path) {
  MaybeFail(Operation::GetLastWriteTime, path);
  if (!ValidKey(Key(path))) Fail(kErrorInvalidName, path);
  auto node = nodes_.find(ResolveFor(path, false));
  if (node == nodes_.end()) Fail(kErrorFileNotFound, path);
  return ToLocal(node->second.lastWriteUtc);
}

void MemoryPlatform::SetEnvironmentValue(const std::string& name, const std::string& value) {
  environment_[AsciiLower(name)] = value;
}

void MemoryPlatform::UnsetEnvironmentValue(const std::string& name) {
  environment_.erase(AsciiLower(name));
}

std::string MemoryPlatform::GetEnvironmentValue(const std::string& name) {
  auto it = environment_.find(AsciiLower(name));
  return it == environment_.end() ? std::string() : it->second;
}

void MemoryPlatform::ShowModalMessage(const std::string& text, int buttonsAndIcon,
                                      const std::string& title) {
  messages_.push_back({text, buttonsAndIcon, title});
  if (onMessage) onMessage(messages_.back());
}

}  // namespace lnf
