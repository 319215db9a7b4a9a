// The file system as the tool sees it: listings, attributes, new folders,
// the replacing copy with its staging, and file dates. Every failure is
// thrown as a PlatformError; nothing is returned as an error code.
//
// Text is UTF-8 throughout; implementations convert at this boundary. The
// public operations tell the watcher (if any) and pass on to the protected
// virtual ones that an implementation provides, so that a new operation
// touches this interface and its implementations only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/CalendarDateTime.h"
#include "platform/PlatformError.h"
#include "platform/PlatformWatcher.h"

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

// One directory enumeration with its own state, so that nested listings never
// disturb each other.
class DirectoryEnumeration {
 public:
  virtual ~DirectoryEnumeration() = default;
  // The next matching bare name, or the empty string once none is left.
  virtual std::string Next() = 0;
  // A name by which the entry Next gave last can be opened in its folder:
  // that name itself, except on Windows 9x for a name the ANSI code page
  // cannot spell. The system gives such a name with '?' for each character
  // it lacks, which opens nothing (and is a wildcard to a search); the
  // entry's short name ("______~1.INV" for "Привет.inv") reaches it.
  virtual std::string OpenableName() const = 0;
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

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Told before every operation and every listed name; null: nobody is.
  void SetWatcher(PlatformWatcher* watcher) { watcher_ = watcher; }

  // Starts listing `pattern`: a path whose last component may hold `*` and `?`
  // (matched without regard to case; "*.*" matches every name). A pattern
  // ending in a backslash lists every entry of that folder. A pattern without
  // wildcards names one entry. kFiles yields ordinary files only;
  // kWithFolders adds folders and, for a whole-folder listing, "." and "..".
  // Hidden and system entries are never yielded, nor links whose target is
  // gone. A missing folder yields nothing; only a failure to read an
  // existing one throws.
  std::unique_ptr<DirectoryEnumeration> Enumerate(const std::string& pattern, EntryFilter filter);

  // The attribute bits of `path`; a trailing backslash names the same folder.
  // Throws for a missing, empty or malformed path.
  std::uint32_t GetAttributes(const std::string& path) {
    Tell();
    return DoGetAttributes(path);
  }

  // Creates one folder. Throws when it exists already or its parent is missing.
  void CreateFolder(const std::string& path) {
    Tell();
    DoCreateFolder(path);
  }

  // Copies a file, replacing one already at `destination`. The copy is made
  // under a name of this file system's own in `stagingFolder` and takes the
  // destination's name only once complete, so that nothing half-written ever
  // carries that name. An empty `stagingFolder`, or one that the system
  // refuses or that no rename reaches the destination from (another volume),
  // means the destination's own folder. On failure nothing is left at either
  // place and an earlier copy at `destination` survives, unless the disk
  // had no room for both: an earlier copy is then replaced in place.
  void CopyFileReplacing(const std::string& source, const std::string& destination,
                         const std::string& stagingFolder = {}) {
    Tell();
    DoCopyFileReplacing(source, destination, stagingFolder);
  }
  // Copies a file to `destination`, where nothing may stand yet, in a folder
  // that nobody sees before it is complete; a failure leaves nothing there.
  void CopyNewFile(const std::string& source, const std::string& destination) {
    Tell();
    DoCopyNewFile(source, destination);
  }
  // Gives a folder another name on the same volume; fails when `to` exists.
  void RenameFolder(const std::string& from, const std::string& to) {
    Tell();
    DoRenameFolder(from, to);
  }

  // Opens a staging folder of this run's own inside `parent` (made when
  // missing), after sweeping what runs that ended without closing left
  // there; other live runs' folders are left alone. Null when the system
  // refuses it: copies are then staged beside their destinations.
  std::unique_ptr<StagingArea> OpenStaging(const std::string& parent) {
    Tell();
    return DoOpenStaging(parent);
  }

  // `name` upper-cased character by character, as the system compares file
  // names in a folder that ignores case: two names with the same answer name
  // the same file there.
  std::string UpperCaseName(const std::string& name) { return DoUpperCaseName(name); }

  // The time `path` was last written, in local time: on the NT family with
  // the offset in force at that date as far as the system knows it, on
  // Windows 9x with today's. Throws on failure.
  LocalDateTime GetLastWriteTime(const std::string& path) {
    Tell();
    return DoGetLastWriteTime(path);
  }

 protected:
  // Names differ from the Win32 functions on purpose: <windows.h> turns
  // those into macros.
  virtual std::unique_ptr<DirectoryEnumeration> DoEnumerate(const std::string& pattern,
                                                            EntryFilter filter) = 0;
  virtual std::uint32_t DoGetAttributes(const std::string& path) = 0;
  virtual void DoCreateFolder(const std::string& path) = 0;
  virtual void DoCopyFileReplacing(const std::string& source, const std::string& destination,
                                   const std::string& stagingFolder) = 0;
  virtual void DoCopyNewFile(const std::string& source, const std::string& destination) = 0;
  virtual void DoRenameFolder(const std::string& from, const std::string& to) = 0;
  virtual std::unique_ptr<StagingArea> DoOpenStaging(const std::string& parent) = 0;
  virtual std::string DoUpperCaseName(const std::string& name) = 0;
  virtual LocalDateTime DoGetLastWriteTime(const std::string& path) = 0;

 private:
  void Tell() {
    if (watcher_) watcher_->BeforeOperation();
  }

  PlatformWatcher* watcher_ = nullptr;
};

// Starts an enumeration and takes its first name only: true when one exists.
bool FirstMatch(FileSystem& files, const std::string& pattern, EntryFilter attributeFilter);

// True when `folderPath` (with or without a trailing backslash) names an
// existing folder; every failure of the query answers false.
bool DirectoryExists(FileSystem& files, std::string folderPath);

}  // namespace lnf
