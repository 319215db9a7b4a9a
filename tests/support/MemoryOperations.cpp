// The platform's operations on the drive, with the failures Windows gives
// them, the injected ones, the staging of copies and the message boxes.
#include <algorithm>
#include <utility>

#include "platform/PathText.h"
#include "platform/SearchErrors.h"
#include "platform/Staging.h"
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

// Each name as listed, with the name that opens it.
class SnapshotEnumeration : public DirectoryEnumeration {
 public:
  explicit SnapshotEnumeration(std::vector<std::pair<std::string, std::string>> names)
      : names_(std::move(names)) {}
  std::string Next() override {
    return next_ < names_.size() ? names_[next_++].first : std::string();
  }
  std::string OpenableName() const override {
    return next_ > 0 && next_ <= names_.size() ? names_[next_ - 1].second : std::string();
  }

 private:
  std::vector<std::pair<std::string, std::string>> names_;
  std::size_t next_ = 0;
};

bool Yieldable(std::uint32_t attributes, EntryFilter filter) {
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
  std::vector<std::pair<std::string, std::string>> names;
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
    names.emplace_back(spelled, alias.empty() ? spelled : alias);
  };
  // A file link whose target is gone is not listed.
  auto listed = [&](const Node* child) {
    return Yieldable(child->attributes, attributeFilter) &&
           (child->linkTarget.empty() || (child->attributes & kAttrDirectory) ||
            nodes_.count(Resolve(child->linkTarget, true)));
  };
  if (isFolder && split.name.empty()) {
    if (attributeFilter == EntryFilter::kWithFolders && folderKey.size() > 2) {
      names = {{".", "."}, {"..", ".."}};
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

// The single file operations as Windows answers them, on this drive: the
// copies, the staging folders and the runs' locks go through the same rules
// as on the real platform.
class MemoryPlatform::Steps final : public FileSteps {
 public:
  explicit Steps(MemoryPlatform& drive) : d_(drive) {}

  bool Nt() override { return !d_.windows9x_; }

  std::uint32_t Attributes(const std::string& path, std::uint32_t& attributes) override {
    const Node* node = nullptr;
    if (const std::uint32_t error = Look(path, node)) return error;
    attributes = node->attributes;
    return 0;
  }
  std::uint32_t SetAttributes(const std::string& path, std::uint32_t attributes) override {
    const Node* node = nullptr;
    if (const std::uint32_t error = Look(path, node)) return error;
    d_.SetAttributes(path, attributes);
    return 0;
  }
  std::uint32_t MakeFolder(const std::string& path) override {
    if (const std::uint32_t error = d_.TakeFailure(Operation::CreateFolder, path)) return error;
    const Node* node = nullptr;
    const std::uint32_t error = Look(path, node);
    if (error == 0) return kErrorAlreadyExists;
    if (error != kErrorFileNotFound) return error;
    d_.AddFolder(path);
    return 0;
  }
  std::uint32_t RemoveFolder(const std::string& path) override {
    const Node* node = nullptr;
    if (const std::uint32_t error = Look(path, node)) return error;
    if (!(node->attributes & kAttrDirectory)) return kErrorDirectory;
    if (!d_.Children(d_.Key(path)).empty()) return kErrorDirNotEmpty;
    d_.nodes_.erase(d_.Key(path));
    return 0;
  }
  std::uint32_t CopyNew(const std::string& from, const std::string& to) override {
    return Copy(from, to, false);
  }
  std::uint32_t CopyOver(const std::string& from, const std::string& to) override {
    return Copy(from, to, true);
  }
  // What stops `from` from moving to `to` at all, whatever stands there.
  std::uint32_t MoveRefusal(const std::string& from, const std::string& to) {
    const Node* node = nullptr;
    if (const std::uint32_t error = Look(from, node)) return error;
    if (d_.VolumeOf(from) != d_.VolumeOf(to)) return kErrorNotSameDevice;
    if (d_.IsHeld(from)) return kErrorSharingViolation;
    return 0;
  }
  std::uint32_t Rename(const std::string& from, const std::string& to) override {
    if (const std::uint32_t refusal = MoveRefusal(from, to)) return refusal;
    const Node* there = nullptr;
    const std::uint32_t error = Look(to, there);
    if (error == 0) return kErrorAlreadyExists;
    if (error != kErrorFileNotFound) return error;
    d_.Move(from, to);
    return 0;
  }
  // Windows' MoveFileEx will not replace a read-only file or a folder.
  std::uint32_t RenameReplacing(const std::string& from, const std::string& to) override {
    if (const std::uint32_t refusal = MoveRefusal(from, to)) return refusal;
    const Node* there = nullptr;
    const std::uint32_t error = Look(to, there);
    if (error == 0) {
      if (there->attributes & (kAttrDirectory | kAttrReadOnly)) return kErrorAccessDenied;
      if (d_.IsHeld(to)) return kErrorSharingViolation;
      d_.Remove(to);
    } else if (error != kErrorFileNotFound) {
      return error;
    }
    d_.Move(from, to);
    return 0;
  }
  std::uint32_t Delete(const std::string& path) override {
    const Node* node = nullptr;
    if (const std::uint32_t error = Look(path, node)) return error;
    if (node->attributes & (kAttrDirectory | kAttrReadOnly)) return kErrorAccessDenied;
    if (d_.IsHeld(path)) return kErrorSharingViolation;
    d_.nodes_.erase(d_.Key(path));
    return 0;
  }
  void List(const std::string& folder,
            FunctionRef<void(const std::string&, std::uint32_t)> each) override {
    if (!d_.IsFolder(folder)) return;
    for (const Node* child : d_.Children(d_.Key(folder))) each(child->name, child->attributes);
  }
  std::unique_ptr<HeldFile> HoldNew(const std::string& path, std::uint32_t& error) override {
    const Node* node = nullptr;
    error = Look(path, node);
    if (error == 0) error = kErrorFileExists;
    if (error != kErrorFileNotFound) return nullptr;
    error = 0;
    d_.AddFileWrittenAt(path, {}, d_.nowUtc_, kAttrArchive);
    return d_.Hold(path);
  }
  std::string Upper(const std::string& name) override { return d_.UpperCaseName(name); }

  // The destination of the copy under way; a copy to any other name is its
  // staged one.
  std::string destination;

 private:
  // The entry at `path`, or what Windows says when there is none.
  std::uint32_t Look(const std::string& path, const Node*& node) const {
    const std::string key = d_.Key(path);
    if (!ValidKey(key)) return kErrorInvalidName;
    const std::string resolved = d_.ResolveFor(path, false);
    auto it = d_.nodes_.find(resolved);
    if (it != d_.nodes_.end()) {
      node = &it->second;
      return 0;
    }
    auto parent = d_.nodes_.find(ParentKey(resolved));
    return parent != d_.nodes_.end() && (parent->second.attributes & kAttrDirectory)
               ? kErrorFileNotFound
               : kErrorPathNotFound;
  }

  std::uint32_t Copy(const std::string& from, const std::string& to, bool replacing) {
    // A copy's own destination has had its turn before the copy began.
    if (d_.Key(to) != d_.Key(destination)) {
      if (const std::uint32_t error = d_.TakeFailure(Operation::CopyFile, to)) return error;
    }
    if (!ValidKey(d_.Key(from))) return kErrorInvalidName;
    const std::string sourceKey = d_.ResolveFor(from, true);
    auto source = d_.nodes_.find(sourceKey);
    if (source == d_.nodes_.end()) {
      return d_.nodes_.count(ParentKey(sourceKey)) ? kErrorFileNotFound : kErrorPathNotFound;
    }
    if (source->second.attributes & kAttrDirectory) return kErrorAccessDenied;
    const Node* there = nullptr;
    const std::uint32_t error = Look(to, there);
    std::size_t freed = 0;
    if (error == 0) {
      if (!replacing) return kErrorFileExists;
      if (there->attributes & (kAttrDirectory | kAttrReadOnly)) return kErrorAccessDenied;
      if (d_.IsHeld(to)) return kErrorSharingViolation;
      freed = there->contents.size();
    } else if (error != kErrorFileNotFound) {
      return error;
    }
    const Node copy = source->second;
    if (const std::size_t room = d_.Room(to, freed); room < copy.contents.size()) {
      // What a full disk leaves of a copy: the part that fitted.
      d_.AddFileWrittenAt(to, copy.contents.substr(0, room), copy.lastWriteUtc, kAttrArchive);
      return kErrorDiskFull;
    }
    const std::uint32_t attributes =
        (copy.attributes & ~static_cast<std::uint32_t>(kAttrReparsePoint)) | kAttrArchive;
    d_.AddFileWrittenAt(to, copy.contents, copy.lastWriteUtc, attributes);
    if (!replacing && d_.onStaged && d_.Key(to) != d_.Key(destination)) d_.onStaged(to);
    return 0;
  }

  MemoryPlatform& d_;
};

class MemoryPlatform::HeldName final : public HeldFile {
 public:
  HeldName(MemoryPlatform& drive, std::string key) : drive_(drive), key_(std::move(key)) {}
  ~HeldName() override { drive_.held_.erase(drive_.held_.find(key_)); }

 private:
  MemoryPlatform& drive_;
  std::string key_;
};

MemoryPlatform::MemoryPlatform() : steps_(std::make_unique<Steps>(*this)) {
  environment_["windir"] = "C:\\WINDOWS";
}

MemoryPlatform::~MemoryPlatform() = default;

std::unique_ptr<HeldFile> MemoryPlatform::Hold(const std::string& path) {
  held_.insert(Key(path));
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

void MemoryPlatform::DoCopyFileReplacing(const std::string& source, const std::string& destination,
                                         const std::string& stagingFolder) {
  MaybeFail(Operation::CopyFile, source);
  MaybeFail(Operation::CopyFile, destination);
  steps_->destination = destination;
  if (const std::uint32_t error = lnf::CopyReplacing(*steps_, source, destination, stagingFolder)) {
    Fail(error, source + " -> " + destination);
  }
  copied_.push_back(destination);
}

void MemoryPlatform::DoCopyNewFile(const std::string& source, const std::string& destination) {
  MaybeFail(Operation::CopyFile, source);
  MaybeFail(Operation::CopyFile, destination);
  steps_->destination.clear();
  if (const std::uint32_t error = lnf::CopyNewFile(*steps_, source, destination)) {
    Fail(error, source + " -> " + destination);
  }
  copied_.push_back(destination);
}

void MemoryPlatform::DoRenameFolder(const std::string& from, const std::string& to) {
  if (const std::uint32_t error = steps_->Rename(from, to)) Fail(error, from + " -> " + to);
}

void MemoryPlatform::DoReplaceFile(const std::string& from, const std::string& to) {
  if (const std::uint32_t error = ReplaceByRename(*steps_, from, to)) {
    Fail(error, from + " -> " + to);
  }
}

void MemoryPlatform::DoRemoveFile(const std::string& path) {
  const std::uint32_t error = steps_->Delete(path);
  if (error != 0 && error != kErrorFileNotFound && error != kErrorPathNotFound) Fail(error, path);
}

std::unique_ptr<StagingArea> MemoryPlatform::DoOpenStaging(const std::string& parent) {
  return OpenRunStaging(*steps_, parent);
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
