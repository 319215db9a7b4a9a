#include "platform/MemoryPlatform.h"

#include <algorithm>
#include <utility>

#include "platform/PathText.h"

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

bool Yieldable(std::uint32_t attributes, int filter) {
  if (attributes & (kAttrHidden | kAttrSystem)) return false;
  return filter == kFilterWithFolders || !(attributes & kAttrDirectory);
}

// One UTF-16 unit upper-cased as Windows compares file names, for the
// scripts the tests use: Latin (ASCII, Latin-1, Latin Extended-A), Greek,
// Cyrillic and full-width Latin. Characters with no simple one-to-one
// upper case ("ß", "ı", "ŉ") keep theirs, as they do on Windows.
char16_t UpperCaseUnit(char16_t c) {
  const auto by = [c](int offset) { return static_cast<char16_t>(c + offset); };
  if (c >= u'a' && c <= u'z') return by(-32);
  if (c < 0xE0) return c;
  if (c <= 0xFE) return c == 0xF7 ? c : by(-32);
  if (c == 0xFF) return 0x178;
  if (c <= 0x17F) {
    if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    // Pairs are upper then lower, the lower one odd, except in these two runs.
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    return (c % 2 == (oddUpper ? 0 : 1)) ? by(-1) : c;
  }
  if (c == 0x3AC) return 0x386;
  if (c >= 0x3AD && c <= 0x3AF) return by(-37);
  if (c == 0x3C2) return 0x3A3;
  if (c >= 0x3B1 && c <= 0x3CB) return by(-32);
  if (c == 0x3CC) return 0x38C;
  if (c == 0x3CD || c == 0x3CE) return by(-63);
  if (c >= 0x430 && c <= 0x44F) return by(-32);
  if (c >= 0x450 && c <= 0x45F) return by(-80);
  if (c >= 0xFF41 && c <= 0xFF5A) return by(-32);
  return c;
}

std::string UpperCaseText(const std::string& text) {
  std::u16string units = Utf8ToUtf16(text);
  for (char16_t& unit : units) unit = UpperCaseUnit(unit);
  return Utf16ToUtf8(units);
}

}  // namespace

MemoryPlatform::MemoryPlatform() { environment_["windir"] = "C:\\WINDOWS"; }

// Names compare as Windows compares them, except inside folders made case
// sensitive, where each name is taken as it is.
std::string MemoryPlatform::Key(const std::string& path) const {
  std::string clean = path;
  std::replace(clean.begin(), clean.end(), '/', '\\');
  while (!clean.empty() && clean.back() == '\\') clean.pop_back();
  if (caseSensitive_.empty()) return UpperCaseText(clean);
  std::string key;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = clean.find('\\', start);
    const std::string part = clean.substr(start, end == std::string::npos ? end : end - start);
    const bool literal = start > 0 && std::find(caseSensitive_.begin(), caseSensitive_.end(),
                                                key) != caseSensitive_.end();
    if (start > 0) key += '\\';
    key += literal ? part : UpperCaseText(part);
    if (end == std::string::npos) return key;
    start = end + 1;
  }
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

void MemoryPlatform::SetCaseSensitive(const std::string& folder) {
  AddFolder(folder);
  caseSensitive_.push_back(Key(folder));
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

void MemoryPlatform::MaybeFail(Operation op, const std::string& path) {
  const std::string key = Key(path);
  for (auto it = failures_.begin(); it != failures_.end(); ++it) {
    if (it->op != op || it->key != key) continue;
    const std::uint32_t number = it->number;
    if (it->times > 0 && --it->times == 0) failures_.erase(it);
    Fail(number, path);
  }
}

void MemoryPlatform::Fail(std::uint32_t number, const std::string& subject) {
  throw PlatformError(number, DescribeError(number), subject);
}

std::unique_ptr<DirectoryEnumeration> MemoryPlatform::Enumerate(const std::string& pattern,
                                                                int attributeFilter) {
  ++enumerations_;
  const SplitPattern split = SplitAtLastSeparator(pattern);
  MaybeFail(Operation::Enumerate, split.folder.empty() ? pattern : split.folder);
  std::vector<std::string> names;
  const std::string folderKey = Key(split.folder);
  const Node* folder = split.folder.empty() ? nullptr : Find(split.folder);
  const bool isFolder =
      ValidKey(folderKey) && folder != nullptr && (folder->attributes & kAttrDirectory);
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

void MemoryPlatform::CopyFileReplacing(const std::string& source, const std::string& destination,
                                       const std::string& stagingFolder) {
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

  // As on Windows: the copy is made under a staging name and renamed to its
  // real name once complete.
  std::string folder = stagingFolder.empty() ? FullPathOf(ParentKey(destKey)) : stagingFolder;
  if (folder.back() != '\\') folder += '\\';
  if (!IsFolder(folder)) Fail(kErrorPathNotFound, folder);
  std::string staged;
  for (int number = 0; Exists(staged = folder + StagingFileName(number, ".tmp")); ++number) {
  }
  const Node copy = *from;
  AddFile(staged, copy.contents, copy.lastWrite, copy.attributes | kAttrArchive);
  if (onStaged) onStaged(staged);
  Remove(staged);
  copied_.push_back(destination);
  AddFile(destination, copy.contents, copy.lastWrite, copy.attributes | kAttrArchive);
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

bool MemoryPlatform::OpenStaging(const std::string& folder) {
  SweepStaging(folder);
  if (Exists(folder)) return IsFolder(folder);
  const std::string key = Key(folder);
  if (!ValidKey(key) || !IsFolder(FullPathOf(ParentKey(key)))) return false;
  AddFolder(folder);
  return true;
}

void MemoryPlatform::CloseStaging(const std::string& folder) noexcept {
  SweepStaging(folder);
  if (IsFolder(folder) && Children(Key(folder)).empty()) nodes_.erase(Key(folder));
}

std::string MemoryPlatform::UpperCaseName(const std::string& name) { return UpperCaseText(name); }

std::string MemoryPlatform::ErrorText(std::uint32_t number) { return DescribeError(number); }

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
