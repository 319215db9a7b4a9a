// The one boundary between the tool and the operating system. Everything the
// inventory, code-table and backup logic needs of Windows is an operation here,
// so that logic builds and runs on any host against MemoryPlatform.
//
// Text is UTF-8 throughout; implementations convert at this boundary.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "platform/ErrorNumbers.h"

namespace lnf {

// Attribute bits, with the values Windows gives them.
enum FileAttribute : std::uint32_t {
  kAttrReadOnly = 0x01,
  kAttrHidden = 0x02,
  kAttrSystem = 0x04,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
  // A junction, a symbolic link or another reparse point; on a link the
  // attributes are the link's own, not its target's.
  kAttrReparsePoint = 0x400,
};

// What a directory enumeration yields. The values are the attribute masks
// that the system's own searches take for the same choice.
enum class EntryFilter {
  kFiles = 0,         // ordinary files only
  kWithFolders = 16,  // folders as well
};

// Title of every message box shown without a title of its own.
inline constexpr const char* kApplicationTitle = "LNF_INVTOOL";

// Message box buttons-and-icon values used by the tool.
constexpr int kBoxOk = 0;
constexpr int kBoxCritical = 16;
constexpr int kBoxExclamation = 48;
constexpr int kBoxInformation = 64;

// A local calendar date and time, to the second.
struct LocalDateTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

struct VersionNumbers {
  int major = 0;
  int minor = 0;
  int revision = 0;
};

// A failure of an operating-system operation: the system's error number, its
// own description of it, and the path(s) the operation worked on.
// Derives from std::exception, not std::runtime_error: the latter drags the
// library's second string implementation into the exe.
class PlatformError : public std::exception {
 public:
  PlatformError(std::uint32_t number, std::string description, std::string subject = {});

  const char* what() const noexcept override { return what_.c_str(); }

  std::uint32_t number() const { return number_; }
  const std::string& description() const { return description_; }
  // The path (or paths) the failing operation was given; may be empty.
  const std::string& subject() const { return subject_; }

 private:
  std::uint32_t number_;
  std::string description_;
  std::string subject_;
  std::string what_;
};

// One directory enumeration with its own state, so that nested listings never
// disturb each other.
class DirectoryEnumeration {
 public:
  virtual ~DirectoryEnumeration() = default;
  // The next matching bare name, or the empty string once none is left.
  virtual std::string Next() = 0;
};

// A backup run's own staging folder, for its copies in progress. Going, it
// removes the folder with what is left in it (an earlier copy set aside
// excepted), then the parent once empty; it never throws, as it runs while
// failures are on their way out.
class StagingArea {
 public:
  virtual ~StagingArea() = default;
  virtual const std::string& Folder() const = 0;
  // Whether a folder may be built inside it, to take its real name later:
  // not on Windows 9x, where every path is held to MAX_PATH and one inside
  // the staging folder is longer than the real one.
  virtual bool MayBuildFolders() const = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Starts listing `pattern`: a path whose last component may hold `*` and `?`
  // (matched without regard to case; "*.*" matches every name). A pattern
  // ending in a backslash lists every entry of that folder. A pattern without
  // wildcards names one entry. kFiles yields ordinary files only;
  // kWithFolders adds folders and, for a whole-folder listing, "." and "..". Hidden and
  // system entries are never yielded, nor links whose target is gone. A
  // missing folder yields nothing; only a failure to read an existing one
  // throws.
  virtual std::unique_ptr<DirectoryEnumeration> Enumerate(const std::string& pattern,
                                                          EntryFilter filter) = 0;

  // The attribute bits of `path`; a trailing backslash names the same folder.
  // Throws for a missing, empty or malformed path.
  virtual std::uint32_t GetAttributes(const std::string& path) = 0;

  // Creates one folder. Throws when it exists already or its parent is missing.
  virtual void CreateFolder(const std::string& path) = 0;

  // Copies a file, replacing one already at `destination`. The copy is made
  // under a name of this platform's own in `stagingFolder` and takes the
  // destination's name only once complete, so that nothing half-written ever
  // carries that name. An empty `stagingFolder`, or one that the system
  // refuses or that no rename reaches the destination from (another volume),
  // means the destination's own folder. On failure nothing is left at either
  // place and an earlier copy at `destination` survives, unless the disk
  // had no room for both: an earlier copy is then replaced in place.
  virtual void CopyFileReplacing(const std::string& source, const std::string& destination,
                                 const std::string& stagingFolder) = 0;
  void CopyFileReplacing(const std::string& source, const std::string& destination) {
    CopyFileReplacing(source, destination, {});
  }
  // Copies a file to `destination`, where nothing may stand yet, in a folder
  // that nobody sees before it is complete; a failure leaves nothing there.
  virtual void CopyNewFile(const std::string& source, const std::string& destination) = 0;
  // Gives a folder another name on the same volume; fails when `to` exists.
  virtual void RenameFolder(const std::string& from, const std::string& to) = 0;

  // Opens a staging folder of this run's own inside `parent` (made when
  // missing), after sweeping what runs that ended without closing left
  // there; other live runs' folders are left alone. Null when the system
  // refuses it: copies are then staged beside their destinations.
  virtual std::unique_ptr<StagingArea> OpenStaging(const std::string& parent) = 0;

  // `name` upper-cased character by character, as the system compares file
  // names in a folder that ignores case: two names with the same answer name
  // the same file there.
  virtual std::string UpperCaseName(const std::string& name) = 0;

  // The system's own description of an error number.
  virtual std::string ErrorText(std::uint32_t number) = 0;

  // The time `path` was last written, in local time: on the NT family with
  // the offset in force at that date as far as the system knows it, on
  // Windows 9x with today's. Throws on failure.
  virtual LocalDateTime GetLastWriteTime(const std::string& path) = 0;

  // The value of an environment variable; empty when it is not set.
  virtual std::string GetEnvironmentValue(const std::string& name) = 0;

  // The system's own program-files folder, as its setup named it ("C:\Programme"
  // on a German system), without a trailing backslash; empty when the system
  // names none.
  virtual std::string GetProgramFilesFolder() = 0;

  // Shows a modal message box and returns when the user has closed it. An empty
  // title stands for the application title.
  void ShowMessage(const std::string& text, int buttonsAndIcon, const std::string& title = {}) {
    ShowModalMessage(text, buttonsAndIcon, title.empty() ? kApplicationTitle : title);
  }

  // The primary screen's size in pixels.
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;

  // The current local date and time in the general date form: the short date,
  // a blank and the long time, in the user's regional settings; the time is
  // left out at exactly midnight.
  virtual std::string NowAsGeneralDate() = 0;

  // Major, minor and revision of the program's own version resource.
  virtual VersionNumbers GetVersion() = 0;

 protected:
  // Names differ from the Win32 functions on purpose: <windows.h> turns
  // those into macros.
  virtual void ShowModalMessage(const std::string& text, int buttonsAndIcon,
                                const std::string& title) = 0;
};

}  // namespace lnf
