// A platform that lets a watcher know each time the tool turns to the
// system, and when it waits for the user; every operation is passed on
// unchanged to the platform it wraps. The window uses it to stay alive
// through long work without the inventory and backup code knowing of it.
#pragma once

#include "platform/Platform.h"

namespace lnf {

class PlatformWatcher {
 public:
  virtual ~PlatformWatcher() = default;
  // Before every operation, and before every name a listing yields: the
  // places where a long check or backup spends its time.
  virtual void BeforeOperation() = 0;
  // True while a message box waits for the user, false once it is closed.
  virtual void WaitingForUser(bool waiting) = 0;
};

class WatchedPlatform final : public Platform {
 public:
  explicit WatchedPlatform(Platform& inner) : inner_(inner) {}
  // Null: nobody is told.
  void SetWatcher(PlatformWatcher* watcher) { watcher_ = watcher; }

  std::unique_ptr<DirectoryEnumeration> Enumerate(const std::string& pattern,
                                                  EntryFilter attributeFilter) override;
  std::uint32_t GetAttributes(const std::string& path) override;
  void CreateFolder(const std::string& path) override;
  using Platform::CopyFileReplacing;
  void CopyFileReplacing(const std::string& source, const std::string& destination,
                         const std::string& stagingFolder) override;
  void CopyNewFile(const std::string& source, const std::string& destination) override;
  void RenameFolder(const std::string& from, const std::string& to) override;
  std::unique_ptr<StagingArea> OpenStaging(const std::string& parent) override;
  std::string UpperCaseName(const std::string& name) override;
  std::string ErrorText(std::uint32_t number) override;
  LocalDateTime GetLastWriteTime(const std::string& path) override;
  std::string GetEnvironmentValue(const std::string& name) override;
  std::string GetProgramFilesFolder() override;
  int ScreenWidth() override;
  int ScreenHeight() override;
  std::string NowAsGeneralDate() override;
  VersionNumbers GetVersion() override;

 protected:
  void ShowModalMessage(const std::string& text, int buttonsAndIcon,
                        const std::string& title) override;

 private:
  void Tell() {
    if (watcher_) watcher_->BeforeOperation();
  }

  Platform& inner_;
  PlatformWatcher* watcher_ = nullptr;
};

}  // namespace lnf
