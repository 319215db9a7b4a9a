// The file system's primitives on the drive, with the failures Windows
// gives them and the injected ones, and the message boxes.
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
    case kErrorNoUnicodeTranslation:
      return "No mapping for the Unicode character exists in the target multi-byte code page.";
    case kErrorCantResolveFilename:
      return "The name of the file cannot be resolved by the system.";
    case kErrorFileExists:
      return "The file exists.";
    case kErrorSharingViolation:
      return "The process cannot access the file because it is being used by another process.";
    case kErrorInvalidHandle:
      return "The handle is invalid.";
    case kErrorInvalidParameter:
      return "The parameter is incorrect.";
    default:
      return "Error " + std::to_string(number) + ".";
  }
}

namespace {

// Each entry as listed, with its facts.
class SnapshotEnumeration : public DirectoryEnumeration {
 public:
  explicit SnapshotEnumeration(std::vector<DirectoryEntry> entries)
      : entries_(std::move(entries)) {}
  std::string Next() override {
    current_ = next_ < entries_.size() ? entries_[next_++] : DirectoryEntry();
    return current_.name;
  }
  const DirectoryEntry& Entry() const override { return current_; }

 private:
  std::vector<DirectoryEntry> entries_;
  std::size_t next_ = 0;
  DirectoryEntry current_;
};

UtcDateTime AsUtc(const LocalDateTime& t) {
  return {t.year, t.month, t.day, t.hour, t.minute, t.second};
}

bool Yieldable(std::uint32_t attributes, EntryFilter filter) {
  if (filter == EntryFilter::kEverything) return true;
  if (attributes & (kAttrHidden | kAttrSystem)) return false;
  return filter == EntryFilter::kWithFolders || !(attributes & kAttrDirectory);
}

}  // namespace

bool MemoryPlatform::ValidKey(const std::string& key) {
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

void MemoryPlatform::MaybeFail(Operation op, const std::string& path, const std::string& subject) {
  if (const std::uint32_t number = TakeFailure(op, path)) Fail(number, subject);
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
  std::vector<DirectoryEntry> names;
  const bool valid = !split.folder.empty() && ValidKey(Key(split.folder));
  const std::string folderKey = valid ? ResolveFor(split.folder, true) : std::string();
  if (refusal == 0) refusal = valid ? SearchRefusal(folderKey) : kErrorInvalidName;
  if (refusal != 0 && !MeansNoSuchEntry(refusal)) Fail(refusal, subject);
  const bool isFolder = refusal == 0;
  // Windows 9x lists through the ANSI code page; what it cannot spell is
  // reached by the short name.
  auto add = [&](const Node* child) {
    const std::string spelled = windows9x_ ? AnsiSpelling(child->name) : child->name;
    const std::string alias = windows9x_ ? ShortNameOf(folderKey, *child) : std::string();
    names.push_back({spelled, alias.empty() ? spelled : alias, child->attributes,
                     child->contents.size(), AsUtc(child->lastWriteUtc)});
  };
  // A file link whose target is gone is not listed.
  auto listed = [&](const Node* child) {
    return Yieldable(child->attributes, attributeFilter) &&
           (attributeFilter == EntryFilter::kEverything || child->linkTarget.empty() ||
            (child->attributes & kAttrDirectory) || nodes_.count(Resolve(child->linkTarget, true)));
  };
  if (isFolder && split.name.empty()) {
    if (attributeFilter != EntryFilter::kFiles && folderKey.size() > 2) {
      // The folder's markers carry its own facts.
      const Node& folder = nodes_.at(folderKey);
      for (const char* dot : {".", ".."}) {
        names.push_back({dot, dot, folder.attributes, 0, AsUtc(folder.lastWriteUtc)});
      }
    }
    for (const Node* child : Children(folderKey)) {
      if (listed(child)) add(child);
    }
  } else if (isFolder) {
    for (const Node* child : Children(folderKey)) {
      if (listed(child) && WildcardMatch(split.name, child->name)) add(child);
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
  RefuseWrite(path);
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

// The entry at `path`, or what Windows says when there is none.
std::uint32_t MemoryPlatform::Look(const std::string& path, const Node*& node) const {
  const std::string key = Key(path);
  if (!ValidKey(key)) return kErrorInvalidName;
  const std::string resolved = ResolveFor(path, false);
  auto it = nodes_.find(resolved);
  if (it != nodes_.end()) {
    node = &it->second;
    return 0;
  }
  auto parent = nodes_.find(ParentKey(resolved));
  return parent != nodes_.end() && (parent->second.attributes & kAttrDirectory)
             ? kErrorFileNotFound
             : kErrorPathNotFound;
}

void MemoryPlatform::DoSetAttributes(const std::string& path, std::uint32_t attributes) {
  RefuseWrite(path);
  const Node* node = nullptr;
  if (const std::uint32_t error = Look(path, node)) Fail(error, path);
  SetAttributes(path, attributes);
}

void MemoryPlatform::DoRemoveFolder(const std::string& path) {
  RefuseWrite(path);
  const Node* node = nullptr;
  if (const std::uint32_t error = Look(path, node)) Fail(error, path);
  if (!(node->attributes & kAttrDirectory)) Fail(kErrorDirectory, path);
  if (!Children(Key(path)).empty()) Fail(kErrorDirNotEmpty, path);
  nodes_.erase(Key(path));
}

// CopyFile: the read-only bit comes along, the link's target is copied.
void MemoryPlatform::DoCopy(const std::string& from, const std::string& to, Existing existing) {
  RefuseWrite(to);
  const std::string subject = from + " -> " + to;
  MaybeFail(Operation::CopyFile, from, subject);
  MaybeFail(Operation::CopyFile, to, subject);
  if (!ValidKey(Key(from))) Fail(kErrorInvalidName, subject);
  const std::string sourceKey = ResolveFor(from, true);
  auto source = nodes_.find(sourceKey);
  if (source == nodes_.end()) {
    Fail(nodes_.count(ParentKey(sourceKey)) ? kErrorFileNotFound : kErrorPathNotFound, subject);
  }
  if (source->second.attributes & kAttrDirectory) Fail(kErrorAccessDenied, subject);
  const Node* there = nullptr;
  const std::uint32_t error = Look(to, there);
  std::size_t freed = 0;
  if (error == 0) {
    if (existing == Existing::kFail) Fail(kErrorFileExists, subject);
    if (there->attributes & (kAttrDirectory | kAttrReadOnly)) Fail(kErrorAccessDenied, subject);
    if (IsHeld(to)) Fail(kErrorSharingViolation, subject);
    freed = there->contents.size();
  } else if (error != kErrorFileNotFound) {
    Fail(error, subject);
  }
  const Node copy = source->second;
  if (const std::size_t room = Room(to, freed); room < copy.contents.size()) {
    // What a full disk leaves of a copy: the part that fitted.
    AddFileWrittenAt(to, copy.contents.substr(0, room), copy.lastWriteUtc, kAttrArchive);
    Fail(kErrorDiskFull, subject);
  }
  const std::uint32_t attributes =
      (copy.attributes & ~static_cast<std::uint32_t>(kAttrReparsePoint)) | kAttrArchive;
  AddFileWrittenAt(to, copy.contents, copy.lastWriteUtc, attributes);
  if (!IsCopyInProgressName(SplitAtLastSeparator(to).name)) copied_.push_back(to);
  if (existing == Existing::kFail && onStaged) onStaged(to);
}

// MoveFile never replaces; MoveFileEx will not replace a read-only file or a
// folder, and is a stub on Windows 9x.
void MemoryPlatform::RefuseWrite(const std::string& path) {
  const std::string key = Key(path);
  for (const std::string& folder : readOnly_) {
    if (key.compare(0, folder.size(), folder) == 0 &&
        (key.size() == folder.size() || key[folder.size()] == '\\' || folder.back() == ':')) {
      refusedWrites_.push_back(path);
      Fail(kErrorWriteProtect, path);
    }
  }
}

void MemoryPlatform::DoMove(const std::string& from, const std::string& to, Existing existing) {
  RefuseWrite(from);
  RefuseWrite(to);
  const std::string subject = from + " -> " + to;
  if (existing == Existing::kReplace && windows9x_) Fail(kErrorCallNotImplemented, subject);
  const Node* node = nullptr;
  if (const std::uint32_t error = Look(from, node)) Fail(error, subject);
  if (VolumeOf(from) != VolumeOf(to)) Fail(kErrorNotSameDevice, subject);
  if (IsHeld(from)) Fail(kErrorSharingViolation, subject);
  const Node* there = nullptr;
  const std::uint32_t error = Look(to, there);
  if (error == 0) {
    if (existing == Existing::kFail) Fail(kErrorAlreadyExists, subject);
    if (there->attributes & (kAttrDirectory | kAttrReadOnly)) Fail(kErrorAccessDenied, subject);
    if (IsHeld(to)) Fail(kErrorSharingViolation, subject);
    Remove(to);
  } else if (error != kErrorFileNotFound) {
    Fail(error, subject);
  }
  const bool staged =
      !(node->attributes & kAttrDirectory) && IsCopyInProgressName(SplitAtLastSeparator(from).name);
  Move(from, to);
  if (staged && !IsCopyInProgressName(SplitAtLastSeparator(to).name)) copied_.push_back(to);
}

void MemoryPlatform::DoDelete(const std::string& path) {
  RefuseWrite(path);
  const Node* node = nullptr;
  if (const std::uint32_t error = Look(path, node)) Fail(error, path);
  if (node->attributes & (kAttrDirectory | kAttrReadOnly)) Fail(kErrorAccessDenied, path);
  if (IsHeld(path)) Fail(kErrorSharingViolation, path);
  nodes_.erase(Key(path));
}

MemoryPlatform::HeldName::HeldName(MemoryPlatform& drive, std::string key)
    : drive_(drive), key_(std::move(key)) {
  drive_.held_.insert(key_);
}

MemoryPlatform::HeldName::~HeldName() { drive_.held_.erase(drive_.held_.find(key_)); }

MemoryPlatform::MemoryPlatform() : FileStreams(static_cast<FileSystem&>(*this)) {
  environment_["windir"] = "C:\\WINDOWS";
}

MemoryPlatform::~MemoryPlatform() = default;

std::unique_ptr<MemoryPlatform::HeldName> MemoryPlatform::Hold(const std::string& path) {
  return std::make_unique<HeldName>(*this, Key(path));
}

void MemoryPlatform::HoldOpen(const std::string& path) { kept_.push_back(Hold(path)); }

bool MemoryPlatform::IsHeld(const std::string& path) const { return held_.count(Key(path)) > 0; }

void MemoryPlatform::SetCapacity(const std::string& drive, std::size_t bytes) {
  capacity_[Key(drive).substr(0, 1)] = bytes;
}

std::size_t MemoryPlatform::Room(const std::string& path, std::size_t freed) const {
  const std::string drive = Key(path).substr(0, 1);
  auto capacity = capacity_.find(drive);
  if (capacity == capacity_.end()) return static_cast<std::size_t>(-1);
  std::size_t used = 0;
  for (const auto& [key, node] : nodes_) {
    if (key.compare(0, 1, drive) == 0) used += node.contents.size();
  }
  used -= freed;
  return used >= capacity->second ? 0 : capacity->second - used;
}

std::string MemoryPlatform::VolumeOf(const std::string& path) const {
  const std::string key = Key(path);
  std::string volume = key.substr(0, 2);
  for (const std::string& mount : volumes_) {
    if ((key == mount || key.rfind(mount + "\\", 0) == 0) && mount.size() > volume.size()) {
      volume = mount;
    }
  }
  return volume;
}

// A file or a folder with everything below it takes another name.
void MemoryPlatform::Move(const std::string& from, const std::string& to) {
  const std::string fromKey = Resolve(Key(from), false);
  const std::string toKey = Key(to);
  std::vector<std::pair<std::string, Node>> moving;
  for (auto it = nodes_.begin(); it != nodes_.end();) {
    if (it->first == fromKey || it->first.rfind(fromKey + "\\", 0) == 0) {
      moving.emplace_back(toKey + it->first.substr(fromKey.size()), std::move(it->second));
      it = nodes_.erase(it);
    } else {
      ++it;
    }
  }
  for (auto& [key, node] : moving) {
    if (key == toKey) node.name = to.substr(to.rfind('\\') + 1);
    nodes_[key] = std::move(node);
  }
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
