// The drive itself: names compared as Windows compares them, links, building
// the tree and looking at it.
#include "support/MemoryPlatform.h"

#include <algorithm>

#include "platform/PathText.h"

namespace lnf {

namespace {

// How many links Windows follows in one path before it gives up.
constexpr int kMostLinks = 63;

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

// Windows-1252, the ANSI code page of Western systems: ASCII, Latin-1 and
// the letters and signs it keeps in 0x80-0x9F.
bool InAnsiCodePage(char32_t c) {
  static const char32_t kExtras[] = {0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x017D, 0x2018,
                                     0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC,
                                     0x2122, 0x0161, 0x203A, 0x0153, 0x017E, 0x0178};
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return true;
  return std::find(std::begin(kExtras), std::end(kExtras), c) != std::end(kExtras);
}

// The code points of `text`, a surrogate pair as one.
std::u32string CodePoints(const std::string& text) {
  const std::u16string units = Utf8ToUtf16(text);
  std::u32string points;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      points += static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (units[++i] - 0xDC00));
    } else {
      points += unit;
    }
  }
  return points;
}

// One part of a short name: letters upper-cased, blanks and dots left out,
// and '_' for what an 8.3 name cannot hold, every character beyond ASCII
// among them (the tests' names lack OEM forms too).
std::string ShortPart(const std::u32string& points, std::size_t most) {
  std::string part;
  for (char32_t c : points) {
    if (part.size() == most) break;
    if (c == ' ' || c == '.') continue;
    const bool fits =
        c < 0x80 && c > ' ' && std::string("\"*+,/:;<=>?[]|").find(char(c)) == std::string::npos;
    part += fits ? static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c) : '_';
  }
  return part;
}

}  // namespace

std::string MemoryPlatform::AnsiSpelling(const std::string& name) {
  std::string spelled;
  for (char32_t c : CodePoints(name)) {
    spelled += InAnsiCodePage(c) ? Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(c))) : "?";
  }
  return spelled;
}

// Windows makes "PRIVET~1.INV"-like aliases, numbered in the order the
// names came into the folder; only the names the ANSI code page cannot
// spell get one here, as only they are reached through it.
std::string MemoryPlatform::ShortNameOf(const std::string& folderKey, const Node& node) const {
  if (AnsiSpelling(node.name) == node.name) return {};
  const auto stemAndExtension = [](const std::string& name) {
    const std::u32string points = CodePoints(name);
    const std::size_t dot = points.rfind(U'.');
    const bool hasExtension = dot != std::u32string::npos && dot > 0;
    return std::make_pair(ShortPart(hasExtension ? points.substr(0, dot) : points, 6),
                          hasExtension ? ShortPart(points.substr(dot + 1), 3) : std::string());
  };
  const auto own = stemAndExtension(node.name);
  int number = 1;
  for (const Node* sibling : Children(folderKey)) {
    if (sibling == &node) break;
    if (AnsiSpelling(sibling->name) != sibling->name && stemAndExtension(sibling->name) == own) {
      ++number;
    }
  }
  const std::string tail = "~" + std::to_string(number);
  return own.first.substr(0, 8 - tail.size()) + tail + (own.second.empty() ? "" : "." + own.second);
}

// Names compare as Windows compares them, except inside folders made case
// sensitive, where each name is taken as it is.
std::string MemoryPlatform::Key(const std::string& path) const {
  std::string clean = path;
  std::replace(clean.begin(), clean.end(), '/', '\\');
  // A relative path is taken from the current folder, the drive's root, as
  // Windows takes it: "x" and "C:x" from there, "\x" from its drive's root.
  // A colon anywhere else makes no path; it stays invalid.
  if (!clean.empty() && clean.find(':', 2) == std::string::npos &&
      clean.compare(0, 2, "\\\\") != 0) {
    if (clean.size() > 2 && clean[1] == ':' && clean[2] != '\\') {
      clean.insert(2, "\\");
    } else if (clean[0] == '\\') {
      clean.insert(0, "C:");
    } else if (clean.find(':') == std::string::npos) {
      clean.insert(0, "C:\\");
    }
  }
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

std::string MemoryPlatform::Resolve(const std::string& key, bool followLast) const {
  int links = 0;
  std::string done;
  std::size_t start = 0;
  while (start <= key.size()) {
    std::size_t end = key.find('\\', start);
    if (end == std::string::npos) end = key.size();
    done += (done.empty() && start == 0 ? "" : "\\") + key.substr(start, end - start);
    if (windows9x_ && !nodes_.count(done)) done = ByShortName(done);
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

std::string MemoryPlatform::ByShortName(const std::string& key) const {
  const std::string folder = ParentKey(key);
  if (folder.empty()) return key;
  const std::string alias = key.substr(folder.size() + 1);
  for (const auto& [childKey, child] : nodes_) {
    if (ParentKey(childKey) == folder && childKey != folder && !alias.empty() &&
        ShortNameOf(folder, child) == alias) {
      return childKey;
    }
  }
  return key;
}

std::string MemoryPlatform::ResolveFor(const std::string& path, bool followLast) const {
  if (windows9x_ && PathHoldsNameThatParsingChanges(path)) Fail(kErrorInvalidName, path);
  // Windows 9x reaches files through the ANSI code page only.
  if (windows9x_ && AnsiSpelling(path) != path) Fail(kErrorNoUnicodeTranslation, path);
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

std::string MemoryPlatform::DoUpperCaseName(const std::string& name) { return UpperCaseText(name); }

}  // namespace lnf
