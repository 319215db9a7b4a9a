#include "platform/WatchedPlatform.h"

#include <utility>

namespace lnf {

namespace {

class WatchedEnumeration final : public DirectoryEnumeration {
 public:
  WatchedEnumeration(std::unique_ptr<DirectoryEnumeration> inner, PlatformWatcher* watcher)
      : inner_(std::move(inner)), watcher_(watcher) {}

  std::string Next() override {
    if (watcher_) watcher_->BeforeOperation();
    return inner_->Next();
  }

 private:
  std::unique_ptr<DirectoryEnumeration> inner_;
  PlatformWatcher* watcher_;
};

}  // namespace

std::unique_ptr<DirectoryEnumeration> WatchedPlatform::Enumerate(const std::string& pattern,
                                                                 EntryFilter attributeFilter) {
  Tell();
  return std::make_unique<WatchedEnumeration>(inner_.Enumerate(pattern, attributeFilter), watcher_);
}

std::uint32_t WatchedPlatform::GetAttributes(const std::string& path) {
  Tell();
  return inner_.GetAttributes(path);
}

void WatchedPlatform::CreateFolder(const std::string& path) {
  Tell();
  inner_.CreateFolder(path);
}

void WatchedPlatform::CopyFileReplacing(const std::string& source, const std::string& destination,
                                        const std::string& stagingFolder) {
  Tell();
  inner_.CopyFileReplacing(source, destination, stagingFolder);
}

void WatchedPlatform::CopyNewFile(const std::string& source, const std::string& destination) {
  Tell();
  inner_.CopyNewFile(source, destination);
}

void WatchedPlatform::RenameFolder(const std::string& from, const std::string& to) {
  Tell();
  inner_.RenameFolder(from, to);
}

// Closing is not told: it runs while a failure is on its way out, and a
// pump there could let a sent message in at that moment for nothing.
std::unique_ptr<StagingArea> WatchedPlatform::OpenStaging(const std::string& parent) {
  Tell();
  return inner_.OpenStaging(parent);
}

std::string WatchedPlatform::UpperCaseName(const std::string& name) {
  return inner_.UpperCaseName(name);
}

std::string WatchedPlatform::ErrorText(std::uint32_t number) { return inner_.ErrorText(number); }

LocalDateTime WatchedPlatform::GetLastWriteTime(const std::string& path) {
  Tell();
  return inner_.GetLastWriteTime(path);
}

std::string WatchedPlatform::GetEnvironmentValue(const std::string& name) {
  Tell();
  return inner_.GetEnvironmentValue(name);
}

std::string WatchedPlatform::GetProgramFilesFolder() {
  Tell();
  return inner_.GetProgramFilesFolder();
}

int WatchedPlatform::ScreenWidth() { return inner_.ScreenWidth(); }

int WatchedPlatform::ScreenHeight() { return inner_.ScreenHeight(); }

std::string WatchedPlatform::NowAsGeneralDate() {
  Tell();
  return inner_.NowAsGeneralDate();
}

VersionNumbers WatchedPlatform::GetVersion() { return inner_.GetVersion(); }

void WatchedPlatform::ShowModalMessage(const std::string& text, int buttonsAndIcon,
                                       const std::string& title) {
  // Told in both directions also when the box fails: the watcher must not
  // believe the user is still being waited for.
  struct Waiting {
    PlatformWatcher* watcher;
    explicit Waiting(PlatformWatcher* w) : watcher(w) {
      if (watcher) watcher->WaitingForUser(true);
    }
    ~Waiting() {
      if (watcher) watcher->WaitingForUser(false);
    }
  } waiting(watcher_);
  // The title is the box's own by now: the base class has put the
  // application title in place of an empty one.
  inner_.ShowMessage(text, buttonsAndIcon, title);
}

}  // namespace lnf
