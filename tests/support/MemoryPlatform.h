// An in-memory drive set for tests: folders and files with attributes, dates
// and contents, a controllable enumeration order, injectable failures, recorded
// message boxes, a fixed clock and a fixed screen, and the facts a collection
// records of the system, as set.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/ErrorNumbers.h"
#include "platform/Platform.h"
#include "platform/SystemFacts.h"

namespace lnf {

class MemoryPlatform : public FileSystem,
                       public SystemInfo,
                       public Prompts,
                       public FileStreams,
                       public SystemFacts {
 public:
  // ReadFile: a read from a stream opened on the file; WriteFile: a write,
  // a rewrite or the commit of a stream creating it.
  enum class Operation {
    Enumerate,
    GetAttributes,
    CreateFolder,
    CopyFile,
    GetLastWriteTime,
    ReadFile,
    WriteFile
  };

  struct Message {
    std::string text;
    int buttonsAndIcon;
    std::string title;
  };

  MemoryPlatform();
  ~MemoryPlatform() override;

  // --- Building the drive. Paths are full Windows paths ("C:\a\b"); parent
  // folders are made as needed. A relative path, here and in the platform's
  // calls, is taken from the current folder, "C:\". Later additions are enumerated after earlier
  // ones unless SetEnumerationOrder says otherwise.
  void AddFolder(const std::string& path, std::uint32_t attributes = kAttrDirectory);
  // `lastWrite` is the local time the platform reads back for the file.
  void AddFile(const std::string& path, const std::string& contents = {},
               LocalDateTime lastWrite = {2001, 6, 15, 12, 0, 0},
               std::uint32_t attributes = kAttrArchive);
  // A file last written at the universal time `utc`.
  void AddFileWrittenAt(const std::string& path, const std::string& contents,
                        const LocalDateTime& utc, std::uint32_t attributes = kAttrArchive);
  // Symbolic links (or junctions), as Windows shows them: entries of their
  // own with the reparse-point bit, the directory bit for a folder link. A
  // path through a link leads to its target, which need not exist.
  void AddFolderLink(const std::string& path, const std::string& target);
  void AddFileLink(const std::string& path, const std::string& target);
  void Remove(const std::string& path);  // with everything below it
  void SetAttributes(const std::string& path, std::uint32_t attributes);
  // Names of `folder`'s entries in the order an enumeration yields them;
  // entries not named come after, in creation order.
  void SetEnumerationOrder(const std::string& folder, const std::vector<std::string>& names);
  // Makes `folder` tell names apart by case, as Windows 10 can be told to per
  // folder (and shares may do): "A.inv" and "a.inv" are two files in it. Set
  // it before adding entries to the folder.
  void SetCaseSensitive(const std::string& folder);

  // --- Inspecting it.
  bool Exists(const std::string& path) const;
  bool IsFolder(const std::string& path) const;
  std::string Contents(const std::string& path) const;
  LocalDateTime LastWrite(const std::string& path) const;
  std::uint32_t Attributes(const std::string& path) const;
  // Every path below `folder` (relative, folders ending in "\"), sorted.
  std::vector<std::string> Tree(const std::string& folder) const;

  // --- Failures: the next `Operation` on `path` (for a copy, its source or
  // the name it writes: a destination, or the name a copy is staged under)
  // throws `number`; `times` < 0 means every time.
  void InjectFailure(Operation op, const std::string& path, std::uint32_t number, int times = 1);
  // Another program holds `path` open without sharing it, until the drive
  // goes: it can be neither deleted, renamed nor written over, nor opened
  // by a stream.
  void HoldOpen(const std::string& path);
  // The bytes of file contents the drive (a letter, "C:") can hold; no limit
  // until set. A copy that does not fit fails with ERROR_DISK_FULL.
  void SetCapacity(const std::string& drive, std::size_t bytes);
  // Everything below `folder` (a drive "E:" too) is read-only, as a CD or a
  // read-only mount is: every write there fails with ERROR_WRITE_PROTECT
  // and is recorded, by the path it would have written.
  void RefuseWritesUnder(const std::string& folder) { readOnly_.push_back(Key(folder)); }
  const std::vector<std::string>& RefusedWrites() const { return refusedWrites_; }
  // `folder` is another volume mounted there: no rename reaches in or out.
  void MountVolume(const std::string& folder) { volumes_.push_back(Key(folder)); }
  // How many copies and enumerations have run, for tests that count work.
  int CopyCount() const { return static_cast<int>(copied_.size()); }
  // Destinations of the copies made, in order: each copy that lands under a
  // name that is not a copy in progress's, by itself or by the rename of a
  // staged copy.
  const std::vector<std::string>& Copied() const { return copied_; }
  int EnumerationCount() const { return enumerations_; }
  // Runs when a copy is complete under its staging name (given), before it
  // takes its real name (a copy into a folder being built: before the folder
  // takes its name): the place where a test looks at a copy in progress.
  std::function<void(const std::string& staged)> onStaged;

  // --- The system the drive plays. The NT family takes every name literally;
  // Windows 9x refuses names that its path parsing would change (a trailing
  // dot or blank, a device name), lists names through a Western ANSI code
  // page (Windows-1252: '?' for each character it lacks, the file reached
  // by its short name, "______~1.INV") and dates files with today's offset.
  void SetWindows9x(bool windows9x) {
    windows9x_ = windows9x;
    SetNtFamily(!windows9x);
  }
  // `name` as Windows 9x lists it: '?' for each character that code page
  // lacks.
  static std::string AnsiSpelling(const std::string& name);
  // The local time zone: `standardOffset` minutes east of UTC, with the
  // European Union's summer time (an hour more from the last Sunday of March
  // to the last Sunday of October, 01:00 UTC) when `summerTime`. UTC by
  // default.
  void SetTimeZone(int standardOffset, bool summerTime) {
    standardOffset_ = standardOffset;
    summerTime_ = summerTime;
  }
  // The universal time now, which decides the offset Windows 9x applies and
  // dates the files that streams create.
  void SetNowUtc(const LocalDateTime& utc) { nowUtc_ = utc; }

  // --- Environment, clock, screen, version, message boxes.
  void UnsetEnvironmentValue(const std::string& name);
  // The system's program-files folder; none until set.
  void SetProgramFilesFolder(const std::string& path) { programFiles_ = path; }
  void SetClockText(const std::string& text) { clock_ = text; }
  void SetScreen(int width, int height) {
    screenWidth_ = width;
    screenHeight_ = height;
  }
  void SetVersion(VersionNumbers v) { version_ = v; }
  const std::vector<Message>& Messages() const { return messages_; }
  void ClearMessages() { messages_.clear(); }
  // Runs while a message box is "open", before it returns: the place where a
  // test acts as the user would between two steps.
  std::function<void(const Message&)> onMessage;

  // --- The facts of the system. Until set: Windows 10 (10.0.19045), US
  // English (1033), no Internet Explorer, and the clock at the universal
  // time now (SetNowUtc) in the drive's zone.
  void SetWindowsVersion(const WindowsVersion& version) { windowsVersion_ = version; }
  void SetSystemLanguage(const SystemLanguage& language) { language_ = language; }
  void SetInternetExplorerVersion(const std::string& version) { ieVersion_ = version; }
  void SetClock(const LocalDateTime& local, int utcOffsetMinutes) {
    clockReading_ = ClockReading{UtcTime::FromLocal(local, utcOffsetMinutes), utcOffsetMinutes};
    clockSet_ = true;
  }

  // --- SystemFacts.
  WindowsVersion GetWindowsVersion() override { return windowsVersion_; }
  SystemLanguage GetSystemLanguage() override { return language_; }
  std::string GetInternetExplorerVersion() override { return ieVersion_; }
  ClockReading ReadClock() override;
  bool GetVolumeFacts(const std::string& root, VolumeFacts& volume) override {
    const auto found = volumeFacts_.find(root);
    if (found == volumeFacts_.end()) return false;
    volume = found->second;
    return true;
  }
  // The volume whose root is `root` (as given, "E:").
  void SetVolumeFacts(const std::string& root, const VolumeFacts& volume) {
    volumeFacts_[root] = volume;
  }
  // As the drive dates its files (GetLastWriteTime).
  LocalDateTime LocalTimeAt(const UtcDateTime& utc) override { return ToLocal(utc.Utc()); }
  // ASCII as it is and a few letters of code page 850, the Western OEM
  // code page (the umlauts, "é" and "ß", where code page 437 has them too,
  // and "ø", which 437 lacks); nothing else has a form here.
  bool ToArchiveCodePage(const std::string& utf8, std::string& bytes) override;

  // --- SystemInfo.
  std::string GetEnvironmentValue(const std::string& name) override;
  void SetEnvironmentValue(const std::string& name, const std::string& value) override;
  std::string GetProgramFilesFolder() override { return programFiles_; }
  int ScreenWidth() override { return screenWidth_; }
  int ScreenHeight() override { return screenHeight_; }
  std::string NowAsGeneralDate() override { return clock_; }
  VersionNumbers GetVersion() override { return version_; }
  std::string ErrorText(std::uint32_t number) override;

 protected:
  // --- FileSystem.
  std::unique_ptr<DirectoryEnumeration> DoEnumerate(const std::string& pattern,
                                                    EntryFilter attributeFilter) override;
  std::uint32_t DoGetAttributes(const std::string& path) override;
  void DoSetAttributes(const std::string& path, std::uint32_t attributes) override;
  void DoCreateFolder(const std::string& path) override;
  void DoRemoveFolder(const std::string& path) override;
  void DoCopy(const std::string& from, const std::string& to, Existing existing) override;
  void DoMove(const std::string& from, const std::string& to, Existing existing) override;
  void DoDelete(const std::string& path) override;
  std::string DoUpperCaseName(const std::string& name) override;
  LocalDateTime DoGetLastWriteTime(const std::string& path) override;

  // --- FileStreams.
  std::unique_ptr<ReadStream> DoOpenRead(const std::string& path) override;
  FileFacts DoGetFileFacts(const std::string& path) override;
  std::unique_ptr<WriteStream> DoCreateNew(const std::string& path) override;

  // --- Prompts.
  void ShowModalMessage(const std::string& text, int buttonsAndIcon,
                        const std::string& title) override;

 private:
  // A name held open without sharing while this lives.
  class HeldName {
   public:
    HeldName(MemoryPlatform& drive, std::string key);
    ~HeldName();
    HeldName(const HeldName&) = delete;
    HeldName& operator=(const HeldName&) = delete;

   private:
    MemoryPlatform& drive_;
    std::string key_;
  };
  class Reader;
  class Writer;
  struct Node {
    std::string name;  // as created, with its case
    std::uint32_t attributes = 0;
    std::string contents;
    LocalDateTime lastWriteUtc;
    long order = 0;
    std::string linkTarget;  // a link's target key; empty for everything else
  };
  struct Failure {
    Operation op;
    std::string key;
    std::uint32_t number;
    int times;
  };

  std::string Key(const std::string& path) const;
  // The 8.3 alias of `node` in `folderKey`; empty where none is modelled.
  std::string ShortNameOf(const std::string& folderKey, const Node& node) const;
  // On 9x, the key of the entry whose short name `key`'s last part is;
  // `key` itself when none is.
  std::string ByShortName(const std::string& key) const;
  // A usable key is a drive ("c:") or a drive followed by components.
  static bool ValidKey(const std::string& key);
  // `key` with every link on its way replaced by its target (the last
  // component too when `followLast`); empty after more links than Windows
  // follows.
  std::string Resolve(const std::string& key, bool followLast) const;
  // Resolve for the platform's own operations: too many links fail as they
  // do on Windows, and so, on 9x, do names it cannot take or spell.
  std::string ResolveFor(const std::string& path, bool followLast) const;
  int OffsetAt(const LocalDateTime& utc) const;
  LocalDateTime ToUtc(const LocalDateTime& local) const;
  LocalDateTime ToLocal(const LocalDateTime& utc) const;
  void AddLink(const std::string& path, const std::string& target, std::uint32_t attributes);
  static std::string ParentKey(const std::string& key);
  const Node* Find(const std::string& path) const;
  Node* Find(const std::string& path);
  void MaybeFail(Operation op, const std::string& path) { MaybeFail(op, path, path); }
  void MaybeFail(Operation op, const std::string& path, const std::string& subject);
  // The entry at `path` (0), or the error Windows gives when there is none.
  std::uint32_t Look(const std::string& path, const Node*& node) const;
  std::uint32_t TakeFailure(Operation op, const std::string& path);
  std::uint32_t SearchRefusal(const std::string& folderKey) const;
  [[noreturn]] static void Fail(std::uint32_t number, const std::string& subject);
  std::vector<const Node*> Children(const std::string& folderKey) const;
  std::string FullPathOf(const std::string& key) const;
  std::unique_ptr<HeldName> Hold(const std::string& path);
  bool IsHeld(const std::string& path) const;
  // The bytes a write to `path` can still take, once `freed` are freed.
  std::size_t Room(const std::string& path, std::size_t freed) const;
  void Move(const std::string& from, const std::string& to);
  std::string VolumeOf(const std::string& path) const;

  std::map<std::string, Node> nodes_;       // by Key: upper-cased full path, no trailing "\"
  std::vector<std::string> caseSensitive_;  // keys of folders that tell case apart
  std::map<std::string, std::vector<std::string>> orders_;
  std::map<std::string, std::string> environment_;
  std::string programFiles_;
  std::vector<Failure> failures_;
  std::vector<Message> messages_;
  std::string clock_ = "12/7/2026 8:43:50 AM";
  int screenWidth_ = 1024;
  int screenHeight_ = 768;
  VersionNumbers version_{1, 0, 1};
  long nextOrder_ = 0;
  bool windows9x_ = false;
  int standardOffset_ = 0;
  bool summerTime_ = false;
  LocalDateTime nowUtc_{2026, 12, 7, 8, 43, 50};
  std::vector<std::string> copied_;
  int enumerations_ = 0;
  std::multiset<std::string> held_;  // keys of the files held open
  std::vector<std::unique_ptr<HeldName>> kept_;
  std::map<std::string, VolumeFacts> volumeFacts_;
  std::vector<std::string> readOnly_;  // keys
  std::vector<std::string> refusedWrites_;
  void RefuseWrite(const std::string& path);
  std::map<std::string, std::size_t> capacity_;  // by drive letter
  std::vector<std::string> volumes_;             // keys of the folders mounted
  WindowsVersion windowsVersion_{10, 0, 19045, "", true};
  SystemLanguage language_{0x0409, "English"};
  std::string ieVersion_;
  ClockReading clockReading_;
  bool clockSet_ = false;
};

std::string DescribeError(std::uint32_t number);

}  // namespace lnf
