// How a copy reaches its destination through a staging name, and how each
// backup run keeps a staging folder of its own beside other runs. Plain C++
// over the file system's single steps (FileSteps), so that the real platform
// and the in-memory one run the same rules and the native tests pin them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/FileSystem.h"
#include "platform/FunctionRef.h"

namespace lnf {

// A file opened for the whole life of this object, shared with nobody:
// while it lives, nobody can delete the file.
class HeldFile {
 public:
  virtual ~HeldFile() = default;
};

// The system's single file operations, each answering 0 or the error
// number its Win32 function gives. Paths are full paths in UTF-8.
class FileSteps {
 public:
  virtual ~FileSteps() = default;
  virtual bool Nt() = 0;
  // The attribute bits, hidden entries included; 0 on success.
  virtual std::uint32_t Attributes(const std::string& path, std::uint32_t& attributes) = 0;
  virtual std::uint32_t SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
  virtual std::uint32_t MakeFolder(const std::string& path) = 0;
  // Fails on a folder that is not empty.
  virtual std::uint32_t RemoveFolder(const std::string& path) = 0;
  // CopyFile that fails when `to` exists, and CopyFile that replaces it.
  virtual std::uint32_t CopyNew(const std::string& from, const std::string& to) = 0;
  virtual std::uint32_t CopyOver(const std::string& from, const std::string& to) = 0;
  // MoveFile (files and folders, never onto an existing name), and on the NT
  // family MoveFileEx replacing an existing file.
  virtual std::uint32_t Rename(const std::string& from, const std::string& to) = 0;
  virtual std::uint32_t RenameReplacing(const std::string& from, const std::string& to) = 0;
  virtual std::uint32_t Delete(const std::string& path) = 0;
  // Every entry of `folder` but "." and "..", hidden and system ones too.
  virtual void List(const std::string& folder,
                    FunctionRef<void(const std::string& name, std::uint32_t)> each) = 0;
  // Creates `path`, which must not exist, and holds it open; null and the
  // error number on failure.
  virtual std::unique_ptr<HeldFile> HoldNew(const std::string& path, std::uint32_t& error) = 0;
  // The name as the system compares names (Platform::UpperCaseName).
  virtual std::string Upper(const std::string& name) = 0;
};

// Removes a file this code made: clears the read-only bit CopyFile carries
// over from the source first.
void RemoveOwnFile(FileSteps& steps, const std::string& path);

// Copies `from` onto `to`, replacing a file there: under a copy-in-progress
// name in `stagingFolder` (beside `to` when empty, or when the system will
// not stage there: another volume, access refused), renamed once complete.
// A disk too full for a second copy beside an earlier one replaces the
// earlier one in place. 0 on success, else the error number, with nothing
// left behind and the earlier copy kept (in place replacing aside).
std::uint32_t CopyReplacing(FileSteps& steps, const std::string& from, const std::string& to,
                            const std::string& stagingFolder);

// Gives the complete file `fresh` the name `to` in the same folder, in place
// of a file there, as a copy takes its place: one rename on the NT family
// (clearing a read-only bit of the earlier file first), and on Windows 9x
// the earlier file set aside beside it and put back if the new one cannot
// take its place. 0 on success, else the error number, with the earlier
// file kept and `fresh` left where it was.
std::uint32_t ReplaceByRename(FileSteps& steps, const std::string& fresh, const std::string& to);

// Copies `from` to `to`, where nothing may stand yet; what a failure left is
// removed.
std::uint32_t CopyNewFile(FileSteps& steps, const std::string& from, const std::string& to);

// How many names the copies and the runs try before they give up: far more
// than interrupted or parallel runs leave, yet a folder that answers
// "exists" to every name cannot hold a copy for ever.
constexpr int kStagingNameTries = 1000;

// Opens a backup run's own staging folder inside `parent` (made when
// missing): a numbered folder holding a lock file that the run keeps open.
// First sweeps what dead runs (whose lock nobody holds) left there: their
// copies in progress and partial folders, never an earlier copy set aside.
// Null when the system refuses (the caller stages beside its
// destinations). Its end removes the run's folder, then `parent` if empty;
// it never throws.
std::unique_ptr<StagingArea> OpenRunStaging(FileSteps& steps, const std::string& parent);

}  // namespace lnf
