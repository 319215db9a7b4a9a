// The file system as the tool sees it: its primitives, on files and folders.
// Every failure is thrown as a PlatformError carrying the system's error
// number (number()), its description and the path(s) worked on; nothing is
// returned as an error code. A rule that branches on a failure catches it
// and looks at its number.
//
// The copies, their staging and the replacing and removing of whole files
// are written once above these primitives (platform/Staging.h), so that an
// implementation provides only the primitives. Text is UTF-8 throughout;
// implementations convert at this boundary. The public operations tell the
// watcher (if any) and pass on to the protected virtual ones.
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
  // Every entry, hidden and system ones and links whose target is gone too:
  // for the code that cleans up after itself, never for what a user sees.
  kEverything = 22,
};

// One entry of a listing, with the facts the system's search gave for it:
// no further call is needed to know what it is.
struct DirectoryEntry {
  std::string name;  // as the system spells it
  // A name by which the entry can be opened in its folder: `name` itself,
  // except on Windows 9x for a name the ANSI code page cannot spell. The
  // system gives such a name with '?' for each character it lacks, which
  // opens nothing (and is a wildcard to a search); the entry's short name
  // ("______~1.INV" for "Привет.inv") reaches it.
  std::string openableName;
  std::uint32_t attributes = 0;  // a link's own
  std::uint64_t size = 0;
  UtcDateTime lastWrite;
};

// One directory enumeration with its own state, so that nested listings never
// disturb each other. The order of the entries is the system's.
class DirectoryEnumeration {
 public:
  virtual ~DirectoryEnumeration() = default;
  // Moves to the next matching entry: its bare name, or the empty string once
  // none is left.
  virtual std::string Next() = 0;
  // The entry Next gave last; an empty one once none is left.
  virtual const DirectoryEntry& Entry() const = 0;
  const std::string& OpenableName() const { return Entry().openableName; }
};

// What a copy or a move does about a file already at its destination.
enum class Existing {
  kFail,     // fails with the system's "exists" error
  kReplace,  // replaces it (a move: on the NT family only)
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Told before every operation and every listed name; null: nobody is.
  void SetWatcher(PlatformWatcher* watcher) { watcher_ = watcher; }
  // The family of the system the files are on: the NT family takes every
  // name literally and long paths; Windows 9x holds every path to MAX_PATH
  // and cannot replace a file by moving another onto it.
  bool NtFamily() const { return nt_; }

  // Starts listing `pattern`: a path whose last component may hold `*` and `?`
  // (matched without regard to case; "*.*" matches every name). A pattern
  // ending in a backslash lists every entry of that folder. A pattern without
  // wildcards names one entry. kFiles yields ordinary files only;
  // kWithFolders adds folders and, for a whole-folder listing, "." and "..".
  // Hidden and system entries are never yielded, nor links whose target is
  // gone (kEverything excepted). A missing folder yields nothing; only a
  // failure to read an existing one throws.
  std::unique_ptr<DirectoryEnumeration> Enumerate(const std::string& pattern, EntryFilter filter);

  // The attribute bits of `path`; a trailing backslash names the same folder.
  // Throws for a missing, empty or malformed path.
  std::uint32_t GetAttributes(const std::string& path) {
    Tell();
    return DoGetAttributes(path);
  }
  void SetAttributes(const std::string& path, std::uint32_t attributes) {
    Tell();
    DoSetAttributes(path, attributes);
  }
  // Creates one folder. Throws when it exists already or its parent is missing.
  void CreateFolder(const std::string& path) {
    Tell();
    DoCreateFolder(path);
  }
  // Removes an empty folder; throws for one that is not.
  void RemoveFolder(const std::string& path) {
    Tell();
    DoRemoveFolder(path);
  }
  // Copies a file as the system does, with its last-write time and its
  // attributes (the read-only bit too). What a failure half-way left at
  // `to` stays there.
  void Copy(const std::string& from, const std::string& to, Existing existing) {
    Tell();
    DoCopy(from, to, existing);
  }
  // Gives a file or a folder another name on the same volume.
  void Move(const std::string& from, const std::string& to, Existing existing) {
    Tell();
    DoMove(from, to, existing);
  }
  // Removes a file; throws for a read-only one, a folder, or one another
  // program holds open.
  void Delete(const std::string& path) {
    Tell();
    DoDelete(path);
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
  void SetNtFamily(bool nt) { nt_ = nt; }

  // Names differ from the Win32 functions on purpose: <windows.h> turns
  // those into macros.
  virtual std::unique_ptr<DirectoryEnumeration> DoEnumerate(const std::string& pattern,
                                                            EntryFilter filter) = 0;
  virtual std::uint32_t DoGetAttributes(const std::string& path) = 0;
  virtual void DoSetAttributes(const std::string& path, std::uint32_t attributes) = 0;
  virtual void DoCreateFolder(const std::string& path) = 0;
  virtual void DoRemoveFolder(const std::string& path) = 0;
  virtual void DoCopy(const std::string& from, const std::string& to, Existing existing) = 0;
  virtual void DoMove(const std::string& from, const std::string& to, Existing existing) = 0;
  virtual void DoDelete(const std::string& path) = 0;
  virtual std::string DoUpperCaseName(const std::string& name) = 0;
  virtual LocalDateTime DoGetLastWriteTime(const std::string& path) = 0;

 private:
  void Tell() {
    if (watcher_) watcher_->BeforeOperation();
  }

  PlatformWatcher* watcher_ = nullptr;
  bool nt_ = true;
};

// Starts an enumeration and takes its first name only: true when one exists.
bool FirstMatch(FileSystem& files, const std::string& pattern, EntryFilter attributeFilter);

// True when `folderPath` (with or without a trailing backslash) names an
// existing folder; every failure of the query answers false.
bool DirectoryExists(FileSystem& files, std::string folderPath);

}  // namespace lnf
