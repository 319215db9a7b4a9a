// The real platform: Win32, on every 32-bit Windows from 95 on. On the NT
// family it uses the wide functions (any file name, long paths); on Windows
// 9x the ANSI ones, as IsNtFamily() decides once for the whole program.
// Its operations live one file per concern beside this header: Search,
// FileOperations, DatesAndVersions, SystemSettings, MessageBoxes.
#pragma once

#include "platform/Platform.h"

namespace lnf {

class Win32Platform : public Platform {
 public:
  // The window that owns message boxes (an HWND; null before the window
  // exists, as for the start-up warning).
  void SetOwnerWindow(void* hwnd) { owner_ = hwnd; }

  std::unique_ptr<DirectoryEnumeration> Enumerate(const std::string& pattern,
                                                  EntryFilter filter) override;
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
  void* owner_ = nullptr;
};

// The general date form of a given local time, in the user's regional
// settings, as NowAsGeneralDate gives it for the clock. Throws when the
// system cannot format it.
std::string FormatGeneralDate(const LocalDateTime& when);

}  // namespace lnf
