#include "platform/MemoryPlatform.h"

#include <algorithm>
#include <utility>

#include "platform/PathText.h"
#include "platform/SearchErrors.h"

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

bool Yieldable(std::uint32_t attributes, int filter) {
  if (attributes & (kAttrHidden | kAttrSystem)) return false;
  return filter == kFilterWithFolders || !(attributes & kAttrDirectory);
}

}  // namespace

MemoryPlatform::MemoryPlatform() { environment_["windir"] = "C:\\WINDOWS"; }

std::string MemoryPlatform::Key(const std::string& path) {
  std::string key = AsciiLower(path);
  std::replace(key.begin(), key.end(), '/', '\\');
  while (!key.empty() && key.back() == '\\') key.pop_back();
  return key;
}

std::string MemoryPlatform::ParentKey(const std::string& key) {
  const std::size_t cut = key.rfind('\\');
  return cut == std::string::npos ? std::string() : key.substr(0, cut);
}

// A usable key is a drive ("c:") or a drive followed by components.
static bool ValidKey(const std::string& key) {
  return key.size() >= 2 && key[1] == ':' && (key.size() == 2 || key[2] == '\\') &&
         key.find("\\\\") == std::string::npos && key.find_first_of("*?\"<>|") == std::string::npos;
}

const MemoryPlatform::Node* MemoryPlatform::Find(const std::string& path) const {
  auto it = nodes_.find(Key(path));
  return it == nodes_.end() ? nullptr : &it->second;
}

MemoryPlatform::Node* MemoryPlatform::Find(const std::string& path) {
  auto it = nodes_.find(Key(path));
  return it == nodes_.end() ? nullptr : &it->second;
}

void MemoryPlatform::AddFolder(const std::string& path, std::uint32_t attributes) {
  const std::string key = Key(path);
  if (key.empty()) return;
  const std::string parent = ParentKey(key);
  if (!parent.empty() && !nodes_.count(parent))
    AddFolder(path.substr(0, path.find_last_of('\\', path.find_last_not_of('\\'))));
  Node& node = nodes_[key];
  if (node.name.empty()) {
    const std::string trimmed = path.substr(0, path.find_last_not_of('\\') + 1);
    const std::size_t cut = trimmed.rfind('\\');
    node.name = cut == std::string::npos ? trimmed : trimmed.substr(cut + 1);
    node.order = nextOrder_++;
  }
  node.attributes = attributes | kAttrDirectory;
}

void MemoryPlatform::AddFile(const std::string& path, const std::string& contents,
                             LocalDateTime lastWrite, std::uint32_t attributes) {
  const std::string key = Key(path);
  const std::size_t cut = path.rfind('\\');
  if (cut != std::string::npos && !nodes_.count(ParentKey(key))) AddFolder(path.substr(0, cut));
  Node& node = nodes_[key];
  if (node.name.empty()) node.order = nextOrder_++;
  node.name = cut == std::string::npos ? path : path.substr(cut + 1);
  node.attributes = attributes & ~static_cast<std::uint32_t>(kAttrDirectory);
  node.contents = contents;
  node.lastWrite = lastWrite;
}

void MemoryPlatform::Remove(const std::string& path) {
  const std::string key = Key(path);
  for (auto it = nodes_.begin(); it != nodes_.end();) {
    if (it->first == key || it->first.rfind(key + "\\", 0) == 0) {
      it = nodes_.erase(it);
    } else {
      ++it;
    }
  }
}

void MemoryPlatform::SetAttributes(const std::string& path, std::uint32_t attributes) {
  Node* node = Find(path);
  if (node) node->attributes = (node->attributes & kAttrDirectory) | (attributes & ~kAttrDirectory);
}

void MemoryPlatform::SetEnumerationOrder(const std::string& folder,
                                         const std::vector<std::string>& names) {
  orders_[Key(folder)] = names;
}

bool MemoryPlatform::Exists(const std::string& path) const { return Find(path) != nullptr; }

bool MemoryPlatform::IsFolder(const std::string& path) const {
  const Node* node = Find(path);
  return node && (node->attributes & kAttrDirectory);
}

std::string MemoryPlatform::Contents(const std::string& path) const {
  const Node* node = Find(path);
  return node ? node->contents : std::string();
}

LocalDateTime MemoryPlatform::LastWrite(const std::string& path) const {
  const Node* node = Find(path);
  return node ? node->lastWrite : LocalDateTime{};
}

std::uint32_t MemoryPlatform::Attributes(const std::string& path) const {
  const Node* node = Find(path);
  return node ? node->attributes : 0;
}

std::string MemoryPlatform::FullPathOf(const std::string& key) const {
  std::string path;
  std::string k = key;
  while (!k.empty()) {
    auto it = nodes_.find(k);
    path = (it == nodes_.end() ? k : it->second.name) + (path.empty() ? "" : "\\" + path);
    k = ParentKey(k);
  }
  return path;
}

std::vector<std::string> MemoryPlatform::Tree(const std::string& folder) const {
  const std::string root = Key(folder);
  std::vector<std::string> paths;
  for (const auto& [key, node] : nodes_) {
    if (key.rfind(root + "\\", 0) != 0) continue;
    std::string relative = FullPathOf(key).substr(FullPathOf(root).size() + 1);
    if (node.attributes & kAttrDirectory) relative += "\\";
    paths.push_back(relative);
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

std::vector<const MemoryPlatform::Node*> MemoryPlatform::Children(
    const std::string& folderKey) const {
  std::vector<const Node*> children;
  for (const auto& [key, node] : nodes_) {
    if (ParentKey(key) == folderKey && key != folderKey) children.push_back(&node);
  }
  std::sort(children.begin(), children.end(),
            [](const Node* a, const Node* b) { return a->order < b->order; });
  auto order = orders_.find(folderKey);
  if (order != orders_.end()) {
    auto rank = [&](const Node* n) {
      const auto& names = order->second;
      for (std::size_t i = 0; i < names.size(); ++i) {
        if (AsciiLower(names[i]) == AsciiLower(n->name)) return static_cast<long>(i);
      }
      return static_cast<long>(names.size());
    };
    std::stable_sort(children.begin(), children.end(),
                     [&](const Node* a, const Node* b) { return rank(a) < rank(b); });
  }
  return children;
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

std::unique_ptr<DirectoryEnumeration> MemoryPlatform::Enumerate(const std::string& pattern,
                                                                int attributeFilter) {
  ++enumerations_;
  const SplitPattern split = SplitAtLastSeparator(pattern);
  const std::string subject = split.folder.empty() ? pattern : split.folder;
  std::vector<std::string> names;
  const std::string folderKey = Key(split.folder);
  // A search that cannot start ends as on the real platform: "not there" is
  // no match, anything else a failure.
  std::uint32_t refusal = TakeFailure(Operation::Enumerate, subject);
  if (refusal == 0) refusal = SearchRefusal(folderKey);
  if (refusal != 0 && !MeansNoSuchEntry(refusal)) Fail(refusal, subject);
  const bool isFolder = refusal == 0;
  if (isFolder && split.name.empty()) {
    if (attributeFilter == kFilterWithFolders && folderKey.size() > 2) {
      names = {".", ".."};
    }
    for (const Node* child : Children(folderKey)) {
      if (Yieldable(child->attributes, attributeFilter)) names.push_back(child->name);
    }
  } else if (isFolder) {
    for (const Node* child : Children(folderKey)) {
      if (Yieldable(child->attributes, attributeFilter) && WildcardMatch(split.name, child->name)) {
        names.push_back(child->name);
      }
    }
  }
  return std::make_unique<SnapshotEnumeration>(std::move(names));
}

std::uint32_t MemoryPlatform::GetAttributes(const std::string& path) {
  MaybeFail(Operation::GetAttributes, path);
  const std::string key = Key(path);
  if (!ValidKey(key)) Fail(path.empty() ? kErrorPathNotFound : kErrorInvalidName, path);
  const Node* node = Find(path);
  if (!node) Fail(nodes_.count(ParentKey(key)) ? kErrorFileNotFound : kErrorPathNotFound, path);
  // "C:\file.txt\" is no folder and does not name the file either.
  if (!path.empty() && path.back() == '\\' && !(node->attributes & kAttrDirectory)) {
    Fail(kErrorInvalidName, path);
  }
  return node->attributes;
}

void MemoryPlatform::CreateFolder(const std::string& path) {
  MaybeFail(Operation::CreateFolder, path);
  const std::string key = Key(path);
  if (!ValidKey(key)) Fail(kErrorPathNotFound, path);
  if (nodes_.count(key)) Fail(kErrorAlreadyExists, path);
  const Node* parent = Find(ParentKey(key));
  if (!parent || !(parent->attributes & kAttrDirectory)) Fail(kErrorPathNotFound, path);
  AddFolder(path);
}

void MemoryPlatform::CopyFileReplacing(const std::string& source, const std::string& destination) {
  MaybeFail(Operation::CopyFile, source);
  MaybeFail(Operation::CopyFile, destination);
  const Node* from = Find(source);
  if (!ValidKey(Key(source))) Fail(kErrorInvalidName, source);
  if (!from)
    Fail(nodes_.count(ParentKey(Key(source))) ? kErrorFileNotFound : kErrorPathNotFound, source);
  if (from->attributes & kAttrDirectory) Fail(kErrorAccessDenied, source);
  const std::string destKey = Key(destination);
  if (!ValidKey(destKey)) Fail(kErrorInvalidName, destination);
  const Node* parent = Find(ParentKey(destKey));
  if (!parent || !(parent->attributes & kAttrDirectory)) Fail(kErrorPathNotFound, destination);
  const Node* existing = Find(destination);
  if (existing && (existing->attributes & kAttrDirectory)) Fail(kErrorAccessDenied, destination);
  const Node copy = *from;
  copied_.push_back(destination);
  AddFile(destination, copy.contents, copy.lastWrite, copy.attributes | kAttrArchive);
}

LocalDateTime MemoryPlatform::GetLastWriteTime(const std::string& path) {
  MaybeFail(Operation::GetLastWriteTime, path);
  const Node* node = Find(path);
  if (!ValidKey(Key(path))) Fail(kErrorInvalidName, path);
  if (!node) Fail(kErrorFileNotFound, path);
  return node->lastWrite;
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
