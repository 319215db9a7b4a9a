#include "platform/FileSystem.h"

#include <utility>

namespace lnf {

namespace {

// Tells the watcher before every name, where a long listing spends its time.
class WatchedEnumeration final : public DirectoryEnumeration {
 public:
  WatchedEnumeration(std::unique_ptr<DirectoryEnumeration> inner, PlatformWatcher& watcher)
      : inner_(std::move(inner)), watcher_(watcher) {}

  std::string Next() override {
    watcher_.BeforeOperation();
    return inner_->Next();
  }
  const DirectoryEntry& Entry() const override { return inner_->Entry(); }

 private:
  std::unique_ptr<DirectoryEnumeration> inner_;
  PlatformWatcher& watcher_;
};

}  // namespace

std::unique_ptr<DirectoryEnumeration> FileSystem::Enumerate(const std::string& pattern,
                                                            EntryFilter filter) {
  Tell();
  auto enumeration = DoEnumerate(pattern, filter);
  if (!watcher_) return enumeration;
  return std::make_unique<WatchedEnumeration>(std::move(enumeration), *watcher_);
}

bool FirstMatch(FileSystem& files, const std::string& pattern, EntryFilter attributeFilter) {
  return !files.Enumerate(pattern, attributeFilter)->Next().empty();
}

bool DirectoryExists(FileSystem& files, std::string folderPath) {
  // Every failure means "no folder here": an empty or malformed path, or a
  // drive that cannot be read, must not end a check or a backup that asks.
  try {
    return (files.GetAttributes(folderPath) & kAttrDirectory) != 0;
  } catch (const PlatformError&) {
    return false;
  }
}

}  // namespace lnf
