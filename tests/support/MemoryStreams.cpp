// Files by the byte on the drive, and the facts of the system it plays.
#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/PathText.h"
#include "support/MemoryPlatform.h"

namespace lnf {

namespace {

UtcDateTime AsUtc(const LocalDateTime& t) {
  return {t.year, t.month, t.day, t.hour, t.minute, t.second};
}

}  // namespace

// What the file held when it was opened.
class MemoryPlatform::Reader final : public ReadStream {
 public:
  Reader(MemoryPlatform& drive, std::string path, std::string contents)
      : d_(drive), path_(std::move(path)), contents_(std::move(contents)) {}

  std::size_t Read(void* buffer, std::size_t size) override {
    d_.MaybeFail(Operation::ReadFile, path_);
    const std::size_t count = std::min(size, contents_.size() - at_);
    if (count > 0) std::memcpy(buffer, contents_.data() + at_, count);
    at_ += count;
    return count;
  }

 private:
  MemoryPlatform& d_;
  std::string path_;
  std::string contents_;
  std::size_t at_ = 0;
};

// Writes straight into the file's node, which exists from the start and is
// held open without sharing until the commit, as CreateFile makes it.
class MemoryPlatform::Writer final : public WriteStream {
 public:
  Writer(MemoryPlatform& drive, std::string path, std::string key)
      : d_(drive), path_(std::move(path)), key_(std::move(key)), hold_(d_.Hold(path_)) {}
  ~Writer() override {
    hold_.reset();
    if (!committed_) d_.nodes_.erase(key_);
  }

  void Write(const void* data, std::size_t size) override {
    std::string& contents = Contents();
    // What a full disk leaves of a write: the part that fitted.
    const std::size_t room = d_.Room(path_, 0);
    contents.append(static_cast<const char*>(data), std::min(size, room));
    if (room < size) Fail(kErrorDiskFull, path_);
  }
  void WriteAt(std::uint64_t offset, const void* data, std::size_t size) override {
    std::string& contents = Contents();
    if (offset > contents.size() || size > contents.size() - offset) {
      Fail(kErrorInvalidParameter, path_);
    }
    contents.replace(static_cast<std::size_t>(offset), size, static_cast<const char*>(data), size);
  }
  void Commit() override {
    Contents();
    hold_.reset();
    committed_ = true;
  }

 private:
  std::string& Contents() {
    d_.MaybeFail(Operation::WriteFile, path_);
    auto node = d_.nodes_.find(key_);
    if (committed_ || node == d_.nodes_.end()) Fail(kErrorInvalidHandle, path_);
    return node->second.contents;
  }

  MemoryPlatform& d_;
  std::string path_;
  std::string key_;
  std::unique_ptr<HeldName> hold_;
  bool committed_ = false;
};

// A link leads to its target, as CreateFile follows it.
std::unique_ptr<ReadStream> MemoryPlatform::DoOpenRead(const std::string& path) {
  if (!ValidKey(Key(path))) Fail(kErrorInvalidName, path);
  const std::string key = ResolveFor(path, true);
  auto node = nodes_.find(key);
  if (node == nodes_.end()) {
    Fail(nodes_.count(ParentKey(key)) ? kErrorFileNotFound : kErrorPathNotFound, path);
  }
  if (node->second.attributes & kAttrDirectory) Fail(kErrorAccessDenied, path);
  if (IsHeld(path)) Fail(kErrorSharingViolation, path);
  return std::make_unique<Reader>(*this, path, node->second.contents);
}

// A link answers for itself, as GetFileAttributesEx does.
FileFacts MemoryPlatform::DoGetFileFacts(const std::string& path) {
  if (!ValidKey(Key(path))) Fail(kErrorInvalidName, path);
  const std::string key = ResolveFor(path, false);
  auto node = nodes_.find(key);
  if (node == nodes_.end()) {
    Fail(nodes_.count(ParentKey(key)) ? kErrorFileNotFound : kErrorPathNotFound, path);
  }
  return {node->second.contents.size(), AsUtc(node->second.lastWriteUtc)};
}

std::unique_ptr<WriteStream> MemoryPlatform::DoCreateNew(const std::string& path) {
  RefuseWrite(path);
  const std::string key = Key(path);
  if (!ValidKey(key)) Fail(kErrorInvalidName, path);
  const std::string resolved = ResolveFor(path, false);
  if (nodes_.count(resolved)) Fail(kErrorFileExists, path);
  auto parent = nodes_.find(ParentKey(resolved));
  if (parent == nodes_.end() || !(parent->second.attributes & kAttrDirectory)) {
    Fail(kErrorPathNotFound, path);
  }
  const std::string made =
      resolved == key ? path : FullPathOf(parent->first) + path.substr(path.rfind('\\'));
  AddFileWrittenAt(made, {}, nowUtc_, kAttrArchive);
  return std::make_unique<Writer>(*this, made, resolved);
}

bool MemoryPlatform::ToArchiveCodePage(const std::string& utf8, std::string& bytes) {
  static const std::pair<char16_t, unsigned char> kLetters[] = {
      {u'ä', 0x84}, {u'ö', 0x94}, {u'ü', 0x81}, {u'Ä', 0x8E}, {u'Ö', 0x99},
      {u'Ü', 0x9A}, {u'é', 0x82}, {u'ß', 0xE1}, {u'ø', 0x9B}};
  bytes.clear();
  // Only Windows 9x keeps names in its code page.
  if (windowsVersion_.nt) return false;
  bool exact = true;
  for (const char16_t unit : Utf8ToUtf16(utf8)) {
    if (unit < 0x80) {
      bytes += static_cast<char>(unit);
      continue;
    }
    auto letter = std::find_if(std::begin(kLetters), std::end(kLetters),
                               [unit](const auto& pair) { return pair.first == unit; });
    if (letter == std::end(kLetters)) {
      bytes += '?';
      exact = false;
    } else {
      bytes += static_cast<char>(letter->second);
    }
  }
  return exact;
}

}  // namespace lnf
