// The files that the end-to-end tests lay out for the tool, made from nothing
// by the tests themselves, and the settings of one run (which exe, which
// drive, which DPI), read from the environment.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace lnf::e2e {

// --- Settings of the run.

// A path of the machine that runs Wine ("/a/b") as Wine sees it ("Z:\a\b");
// a Windows path is returned unchanged.
std::wstring FromHostPath(const std::string& path);
// LNF_E2E_PRODUCT: the tool's exe.
std::wstring ProductExe();
// LNF_E2E_DRIVE: the letter of the drive that plays the system drive (C by
// default).
wchar_t SystemDriveLetter();
// LNF_E2E_DPI: the DPI that the tool's window is laid out for (96 default).
int Dpi();
// LNF_E2E_SCREENSHOTS: where screenshots go; empty: none are taken.
std::wstring ScreenshotDir();
// LNF_E2E_WINVER: the Windows version the tool is told it runs on.
std::string WindowsVersion();
bool IsWindows9x();

// --- The folders the tool reads and writes, on the system drive.
struct Layout {
  std::wstring drive;       // "C:"
  std::wstring windir;      // a scratch Windows folder, given to the tool
  std::wstring wuDir;       // "C:\Program Files\WindowsUpdate"
  std::wstring ouDir;       // "C:\Program Files\OfficeUpdate"
  std::wstring backupRoot;  // "C:\LNF_INV"
};
Layout TheLayout();
// Removes everything that an earlier test left in those folders and creates
// the scratch Windows folder.
bool ResetLayout(const Layout& layout);

// --- Files.

// A local calendar time, for last-write stamps.
struct Stamp {
  int year, month, day, hour, minute;
};

bool MakeFolders(const std::wstring& path);  // with every missing parent
bool WriteBytes(const std::wstring& path, const std::string& bytes);
bool MakeFile(const std::wstring& path, const std::string& bytes, const Stamp& lastWrite);
std::optional<std::string> ReadBytes(const std::wstring& path);
bool SetLastWrite(const std::wstring& path, const Stamp& local);
std::optional<FILETIME> LastWrite(const std::wstring& path);
bool SetHidden(const std::wstring& path);
bool Exists(const std::wstring& path);
bool IsFolder(const std::wstring& path);
bool RemoveTree(const std::wstring& path);  // no error when missing; links not followed

// Under Wine, what only the host can make: a symbolic link at `path` to
// `target` (a host path, e.g. ".."), and a name given on the Linux side
// (a file made under a plain name, then renamed, keeping its contents and
// date).
bool MakeHostLink(const std::wstring& path, const std::string& target);
bool RenameOnHost(const std::wstring& from, const std::wstring& to);
// A file system of `kilobytes` (a tmpfs) mounted on the host at the folder
// `path`, made when missing; false where the host may not mount. Unmounting
// leaves the folder empty.
bool MountSmallDisk(const std::wstring& path, int kilobytes);
bool UnmountOnHost(const std::wstring& path);

// Every entry under `root`, hidden ones too, by path relative to it: folders
// map to "<folder>", links (not followed) to "<link>", files to their
// contents.
std::map<std::wstring, std::string> Tree(const std::wstring& root);

// Holds a file open with no sharing, as another program might, until
// destroyed.
class LockedFile {
 public:
  explicit LockedFile(const std::wstring& path);
  ~LockedFile();
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;
  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Release();

 private:
  HANDLE handle_;
};

// --- The tool's log console.

// One log entry: "(" + date and time + closing text.
struct LogEntry {
  std::wstring stamp;
  std::wstring closing;  // begins with ")"
};
std::vector<std::wstring> SplitLines(const std::wstring& text);
std::optional<LogEntry> ParseLogLine(const std::wstring& line);
// Every way in which the general date form writes a moment between `from` and
// `to` (local times, to the second, both included), in this user's settings.
std::vector<std::wstring> GeneralDatesBetween(const SYSTEMTIME& from, const SYSTEMTIME& to);

}  // namespace lnf::e2e
