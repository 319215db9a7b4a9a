// The real platform: Win32, on every 32-bit Windows from 95 on. On the NT
// family it uses the wide functions (any file name, long paths); on Windows
// 9x the ANSI ones, as IsNtFamily() decides once for the whole program.
// Its operations live one file per concern beside this header: Search and
// FileOperations (the file system), Streams (files by the byte),
// DatesAndVersions, SystemSettings, SystemFacts and MessageBoxes.
#pragma once

#include "platform/FileStreams.h"
#include "platform/Platform.h"
#include "platform/SystemFacts.h"

namespace lnf {

class Win32FileSystem : public FileSystem {
 public:
  Win32FileSystem();

 protected:
  std::unique_ptr<DirectoryEnumeration> DoEnumerate(const std::string& pattern,
                                                    EntryFilter filter) override;
  std::uint32_t DoGetAttributes(const std::string& path) override;
  void DoSetAttributes(const std::string& path, std::uint32_t attributes) override;
  void DoCreateFolder(const std::string& path) override;
  void DoRemoveFolder(const std::string& path) override;
  void DoCopy(const std::string& from, const std::string& to, Existing existing) override;
  void DoMove(const std::string& from, const std::string& to, Existing existing) override;
  void DoDelete(const std::string& path) override;
  std::string DoUpperCaseName(const std::string& name) override;
  LocalDateTime DoGetLastWriteTime(const std::string& path) override;
};

class Win32SystemInfo : public SystemInfo {
 public:
  std::string GetEnvironmentValue(const std::string& name) override;
  void SetEnvironmentValue(const std::string& name, const std::string& value) override;
  std::string GetProgramFilesFolder() override;
  int ScreenWidth() override;
  int ScreenHeight() override;
  std::string NowAsGeneralDate() override;
  VersionNumbers GetVersion() override;
  std::string ErrorText(std::uint32_t number) override;
};

class Win32Prompts : public Prompts {
 public:
  // The window that owns message boxes (an HWND; null before the window
  // exists, as for the start-up warning).
  void SetOwnerWindow(void* hwnd) { owner_ = hwnd; }

 protected:
  void ShowModalMessage(const std::string& text, int buttonsAndIcon,
                        const std::string& title) override;

 private:
  void* owner_ = nullptr;
};

class Win32FileStreams : public FileStreams {
 public:
  explicit Win32FileStreams(FileSystem& files) : FileStreams(files) {}

 protected:
  std::unique_ptr<ReadStream> DoOpenRead(const std::string& path) override;
  FileFacts DoGetFileFacts(const std::string& path) override;
  std::unique_ptr<WriteStream> DoCreateNew(const std::string& path) override;
};

class Win32SystemFacts : public SystemFacts {
 public:
  WindowsVersion GetWindowsVersion() override;
  SystemLanguage GetSystemLanguage() override;
  std::string GetInternetExplorerVersion() override;
  ClockReading ReadClock() override;
  bool GetVolumeFacts(const std::string& root, VolumeFacts& volume) override;
  LocalDateTime LocalTimeAt(const UtcDateTime& utc) override;
  bool ToArchiveCodePage(const std::string& utf8, std::string& bytes) override;
};

// All of them in one object, as the program and the contract tests take them.
class Win32Platform : public Win32FileSystem,
                      public Win32SystemInfo,
                      public Win32Prompts,
                      public Win32FileStreams,
                      public Win32SystemFacts {
 public:
  Win32Platform() : Win32FileStreams(static_cast<Win32FileSystem&>(*this)) {}
};

// The general date form of a given local time, in the user's regional
// settings, as NowAsGeneralDate gives it for the clock. Throws when the
// system cannot format it.
std::string FormatGeneralDate(const LocalDateTime& when);

}  // namespace lnf
