#include "support/MemoryPlatform.h"

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

bool Yieldable(std::uint32_t attributes, int filter) {
  if (attributes & (kAttrHidden | kAttrSystem)) return false;
  return filter == kFilterWithFolders || !(attributes & kAttrDirectory);
}

// How many links Windows follows in one path before it gives up.
constexpr int kMostLinks = 63;

// --- Calendar arithmetic, in seconds since 1 January 1970 (proleptic
// Gregorian), enough for the time zone rules below.

long long DaysFromCivil(int year, int month, int day) {
  year -= month <= 2;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yoe = year - era * 400;
  const long long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

long long Seconds(const LocalDateTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

LocalDateTime FromSeconds(long long seconds) {
  long long days = seconds / 86400;
  long long rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long doe = days - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yoe + era * 400 + (month <= 2));
  return {year,
          month,
          day,
          static_cast<int>(rest / 3600),
          static_cast<int>(rest / 60 % 60),
          static_cast<int>(rest % 60)};
}

// 01:00 UTC on the last Sunday of `month`.
long long LastSundayAtOne(int year, int month) {
  const long long last = DaysFromCivil(year, month + 1, 1) - 1;
  const long long weekday = ((last + 4) % 7 + 7) % 7;  // 0 is Sunday
  return (last - weekday) * 86400 + 3600;
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

std::string MemoryPlatform::Resolve(const std::string& key, bool followLast) const {
  int links = 0;
  std::string done;
  std::size_t start = 0;
  while (start <= key.size()) {
    std::size_t end = key.find('\\', start);
    if (end == std::string::npos) end = key.size();
    done += (done.empty() && start == 0 ? "" : "\\") + key.substr(start, end - start);
    const bool last = end == key.size();
    for (auto it = nodes_.find(done);
         it != nodes_.end() && !it->second.linkTarget.empty() && (!last || followLast);
         it = nodes_.find(done)) {
      if (++links > kMostLinks) return {};
      done = Resolve(it->second.linkTarget, false);
      if (done.empty()) return {};
    }
    start = end + 1;
  }
  return done;
}

std::string MemoryPlatform::ResolveFor(const std::string& path, bool followLast) const {
  if (windows9x_ && PathHoldsNameThatParsingChanges(path)) Fail(kErrorInvalidName, path);
  const std::string key = Key(path);
  const std::string resolved = Resolve(key, followLast);
  if (resolved.empty() && !key.empty()) Fail(kErrorCantResolveFilename, path);
  return resolved;
}

const MemoryPlatform::Node* MemoryPlatform::Find(const std::string& path) const {
  auto it = nodes_.find(Resolve(Key(path), false));
  return it == nodes_.end() ? nullptr : &it->second;
}

MemoryPlatform::Node* MemoryPlatform::Find(const std::string& path) {
  auto it = nodes_.find(Resolve(Key(path), false));
  return it == nodes_.end() ? nullptr : &it->second;
}

int MemoryPlatform::OffsetAt(const LocalDateTime& utc) const {
  if (!summerTime_) return standardOffset_;
  const long long at = Seconds(utc);
  const bool summer = at >= LastSundayAtOne(utc.year, 3) && at < LastSundayAtOne(utc.year, 10);
  return standardOffset_ + (summer ? 60 : 0);
}

LocalDateTime MemoryPlatform::ToLocal(const LocalDateTime& utc) const {
  const int offset = OffsetAt(windows9x_ ? nowUtc_ : utc);
  return FromSeconds(Seconds(utc) + offset * 60LL);
}

// The inverse, as a file made with that local time would be stamped.
LocalDateTime MemoryPlatform::ToUtc(const LocalDateTime& local) const {
  if (windows9x_) return FromSeconds(Seconds(local) - OffsetAt(nowUtc_) * 60LL);
  const LocalDateTime standard = FromSeconds(Seconds(local) - standardOffset_ * 60LL);
  const LocalDateTime summer = FromSeconds(Seconds(local) - (standardOffset_ + 60) * 60LL);
  return OffsetAt(summer) != standardOffset_ ? summer : standard;
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
  AddFileWrittenAt(path, contents, ToUtc(lastWrite), attributes);
}

void MemoryPlatform::AddFolderLink(const std::string& path, const std::string& target) {
  AddLink(path, target, kAttrDirectory | kAttrReparsePoint);
}

void MemoryPlatform::AddFileLink(const std::string& path, const std::string& target) {
  AddLink(path, target, kAttrArchive | kAttrReparsePoint);
}

void MemoryPlatform::AddLink(const std::string& path, const std::string& target,
                             std::uint32_t attributes) {
  AddFileWrittenAt(path, {}, ToUtc({2001, 6, 15, 12, 0, 0}), attributes);
  Node& node = nodes_[Key(path)];
  node.attributes = attributes;
  node.linkTarget = Key(target);
}

void MemoryPlatform::AddFileWrittenAt(const std::string& path, const std::string& contents,
                                      const LocalDateTime& utc, std::uint32_t attributes) {
  const std::string key = Key(path);
  const std::size_t cut = path.rfind('\\');
  if (cut != std::string::npos && !nodes_.count(ParentKey(key))) AddFolder(path.substr(0, cut));
  Node& node = nodes_[key];
  if (node.name.empty()) node.order = nextOrder_++;
  node.name = cut == std::string::npos ? path : path.substr(cut + 1);
  node.attributes = attributes & ~static_cast<std::uint32_t>(kAttrDirectory);
  node.contents = contents;
  node.lastWriteUtc = utc;
  node.linkTarget.clear();
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
  return node ? ToLocal(node->lastWriteUtc) : LocalDateTime{};
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
    if (attributeFilter == kFilterWithFolders && folderKey.size() > 2) {
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
std::uint32_t MemoryPlatform::GetAttributes(const std::string& path) {
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

void MemoryPlatform::CreateFolder(const std::string& path) {
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

void MemoryPlatform::CopyFileReplacing(const std::string& source, const std::string& destination,
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

// A link's own date, as GetFileAttributesEx gives it on Windows.
LocalDateTime MemoryPlatform::GetLastWriteTime(const std::string& path) {
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
