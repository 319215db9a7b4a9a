#include "platform/Staging.h"

#include <utility>
#include <vector>

#include "platform/FunctionRef.h"
#include "platform/PathText.h"

namespace lnf {

namespace {

constexpr std::uint32_t kInvalidAttributes = 0xFFFFFFFF;
// The lock file of a run, inside its own folder; not a copy-in-progress
// name, so that no sweep of copies takes it for one.
constexpr const char* kLockName = "~lnf-lock";
// Another run may remove the empty parent between our making it and our
// folder inside it: a few tries cover it.
constexpr int kOpenTries = 4;

// A step's failure, kept to be branched on and passed on; none when the
// number is 0.
struct Failure {
  std::uint32_t number = 0;
  std::string description;
  explicit operator bool() const { return number != 0; }
};

// One function, not a template per step: each try costs the exe its own
// unwinding tables.
Failure Attempt(FunctionRef<void()> step) {
  try {
    step();
    return {};
  } catch (const PlatformError& error) {
    return {error.number(), error.description()};
  }
}

[[noreturn]] void Throw(const Failure& failure, const std::string& subject) {
  throw PlatformError(failure.number, failure.description, subject);
}

bool IsExistsError(std::uint32_t error) {
  return error == kErrorFileExists || error == kErrorAlreadyExists;
}

bool IsDiskFull(std::uint32_t error) {
  return error == kErrorDiskFull || error == kErrorHandleDiskFull;
}

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder;
}

std::uint32_t AttributesOf(FileSystem& files, const std::string& path) {
  try {
    return files.GetAttributes(path);
  } catch (const PlatformError&) {
    return kInvalidAttributes;
  }
}

void SetAttributesQuietly(FileSystem& files, const std::string& path, std::uint32_t attributes) {
  Attempt([&] { files.SetAttributes(path, attributes); });
}

// Removes a file this code made: clears the read-only bit a copy carries
// over from its source first.
void RemoveOwnFile(FileSystem& files, const std::string& path) {
  SetAttributesQuietly(files, path, kAttrArchive);
  Attempt([&] { files.Delete(path); });
}

// What a copy onto a folder in the way fails with, as the system's copy
// itself says it: the copy cannot replace a folder, so nothing changes.
Failure FolderInTheWay(FileSystem& files, const std::string& fresh, const std::string& to) {
  return Attempt([&] { files.Copy(fresh, to, Existing::kReplace); });
}

// Puts the complete copy `fresh` in the place of `to` on NT: one rename,
// which replaces an earlier copy there.
Failure RenameIntoPlace(FileSystem& files, const std::string& fresh, const std::string& to) {
  const Failure failure = Attempt([&] { files.Move(fresh, to, Existing::kReplace); });
  if (!failure) return {};
  // Only now is the destination looked at: looking first would cost a search
  // of a big folder for every new name.
  const std::uint32_t earlier = AttributesOf(files, to);
  if (earlier == kInvalidAttributes) return failure;
  if (earlier & kAttrDirectory) return FolderInTheWay(files, fresh, to);
  // A replacing rename will not replace a read-only file.
  if (!(earlier & kAttrReadOnly)) return failure;
  SetAttributesQuietly(files, to, earlier & ~static_cast<std::uint32_t>(kAttrReadOnly));
  const Failure again = Attempt([&] { files.Move(fresh, to, Existing::kReplace); });
  if (again) SetAttributesQuietly(files, to, earlier);
  return again;
}

// The same on Windows 9x, which cannot replace by renaming: an earlier copy
// steps aside under a staging name of its own and is put back if the new one
// cannot take its place. A run stopped in between leaves it there, where no
// sweep removes it.
Failure RenameIntoPlace9x(FileSystem& files, const std::string& fresh, const std::string& to,
                          const std::string& staging) {
  const std::uint32_t earlier = AttributesOf(files, to);
  if (earlier != kInvalidAttributes && (earlier & kAttrDirectory)) {
    return FolderInTheWay(files, fresh, to);
  }
  if (earlier == kInvalidAttributes) {
    return Attempt([&] { files.Move(fresh, to, Existing::kFail); });
  }
  // Unbounded, unlike the copies': it only looks, and the first name that
  // is not there ends it.
  std::string aside;
  for (int number = 0;; ++number) {
    aside = staging + StagingFileName(number, ".old");
    if (AttributesOf(files, aside) == kInvalidAttributes) break;
  }
  if (Failure failure = Attempt([&] { files.Move(to, aside, Existing::kFail); })) return failure;
  if (Failure failure = Attempt([&] { files.Move(fresh, to, Existing::kFail); })) {
    Attempt([&] { files.Move(aside, to, Existing::kFail); });
    return failure;
  }
  RemoveOwnFile(files, aside);
  return {};
}

Failure PutInPlace(FileSystem& files, const std::string& fresh, const std::string& to,
                   const std::string& staging) {
  return files.NtFamily() ? RenameIntoPlace(files, fresh, to)
                          : RenameIntoPlace9x(files, fresh, to, staging);
}

// Copies `from` into `staging` (a folder ending in a separator), then gives
// that copy the name `to`; the failure of the failing step, with everything
// undone.
Failure CopyThrough(FileSystem& files, const std::string& from, const std::string& to,
                    const std::string& staging, bool beside) {
  // Beside its destination a copy in progress must not take the
  // destination's own name (a user's file "~lnf-0.tmp").
  const std::string own = beside ? files.UpperCaseName(to) : std::string();
  std::string fresh;
  for (int number = 0;; ++number) {
    fresh = staging + StagingFileName(number, ".tmp");
    if (beside && files.UpperCaseName(fresh) == own) continue;
    const Failure failure = Attempt([&] { files.Copy(from, fresh, Existing::kFail); });
    if (!failure) break;
    // A name still taken: a user's file beside the destination, or what an
    // interrupted run left there.
    if (IsExistsError(failure.number) && number < kStagingNameTries) continue;
    if (!IsExistsError(failure.number)) RemoveOwnFile(files, fresh);
    return failure;
  }
  const Failure failure = PutInPlace(files, fresh, to, staging);
  if (failure) RemoveOwnFile(files, fresh);
  return failure;
}

Failure CopyReplacing(FileSystem& files, const std::string& from, const std::string& to,
                      const std::string& stagingFolder) {
  // Every copy, a first one too, is made under a staging name and renamed
  // once complete: a run cut short leaves no half-written file under a real
  // name. A staging folder the system refuses, or one on another volume (a
  // mount point) where no rename reaches, gives way to the destination's own
  // folder.
  const std::string beside = SplitAtLastSeparator(to).folder;
  const std::string staging = stagingFolder.empty() ? beside : WithSeparator(stagingFolder);
  Failure failure = CopyThrough(files, from, to, staging, staging == beside);
  if ((failure.number == kErrorNotSameDevice || failure.number == kErrorAccessDenied) &&
      staging != beside) {
    failure = CopyThrough(files, from, to, beside, true);
  }
  if (!IsDiskFull(failure.number)) return failure;
  // No room for a second copy beside the earlier one: replacing it in place
  // frees its space as it writes, as a plain copy would.
  const std::uint32_t earlier = AttributesOf(files, to);
  if (earlier == kInvalidAttributes || (earlier & kAttrDirectory)) return failure;
  if (earlier & kAttrReadOnly) {
    SetAttributesQuietly(files, to, earlier & ~static_cast<std::uint32_t>(kAttrReadOnly));
  }
  const Failure inPlace = Attempt([&] { files.Copy(from, to, Existing::kReplace); });
  if (inPlace && AttributesOf(files, to) != kInvalidAttributes) {
    SetAttributesQuietly(files, to, earlier);
  }
  return inPlace;
}

// Whether `name` is a number, as the runs' folders are named.
bool IsRunName(const std::string& name) {
  return !name.empty() && name.size() <= 9 &&
         name.find_first_not_of("0123456789") == std::string::npos;
}

// Every entry of `folder` but "." and "..", hidden and system ones too, by
// the names that open them; taken whole before anything in it changes.
std::vector<DirectoryEntry> EntriesOf(FileSystem& files, const std::string& folder) {
  std::vector<DirectoryEntry> entries;
  try {
    auto listing = files.Enumerate(WithSeparator(folder), EntryFilter::kEverything);
    for (std::string name = listing->Next(); !name.empty(); name = listing->Next()) {
      if (name != "." && name != "..") entries.push_back(listing->Entry());
    }
  } catch (const PlatformError&) {
  }
  return entries;
}

void RemoveTree(FileSystem& files, const std::string& folder) {
  for (const DirectoryEntry& entry : EntriesOf(files, folder)) {
    const std::string path = folder + "\\" + entry.openableName;
    if ((entry.attributes & kAttrDirectory) && !(entry.attributes & kAttrReparsePoint)) {
      RemoveTree(files, path);
    } else {
      RemoveOwnFile(files, path);
    }
  }
  SetAttributesQuietly(files, folder, kAttrArchive);
  Attempt([&] { files.RemoveFolder(folder); });
}

// Empties a run's folder of what the run made: its lock, its copies in
// progress and the folders it was building. An earlier copy set aside
// (".old") may be the only one left of its file and stays, as does
// anything of another name.
void SweepRunFolder(FileSystem& files, const std::string& folder) {
  for (const DirectoryEntry& entry : EntriesOf(files, folder)) {
    const std::string path = folder + "\\" + entry.openableName;
    if (entry.attributes & kAttrDirectory) {
      if (!(entry.attributes & kAttrReparsePoint)) RemoveTree(files, path);
    } else if (entry.name == kLockName || IsCopyInProgressName(entry.name)) {
      RemoveOwnFile(files, path);
    }
  }
  Attempt([&] { files.RemoveFolder(folder); });
}

// Sweeps the folders of the runs that have ended without closing: a lock
// that can be deleted has no live owner. A folder without a lock is being
// made by a starting run (or holds only copies set aside): only removed
// when empty.
void SweepDeadRuns(FileSystem& files, const std::string& parent) {
  std::vector<std::string> runs;
  for (const DirectoryEntry& entry : EntriesOf(files, parent)) {
    if ((entry.attributes & kAttrDirectory) && IsRunName(entry.name)) runs.push_back(entry.name);
  }
  for (const std::string& run : runs) {
    const std::string folder = parent + "\\" + run;
    const Failure failure = Attempt([&] { files.Delete(folder + "\\" + kLockName); });
    if (!failure) {
      SweepRunFolder(files, folder);
    } else if (failure.number == kErrorFileNotFound) {
      Attempt([&] { files.RemoveFolder(folder); });
    }
  }
}

class RunStaging final : public StagingArea {
 public:
  RunStaging(FileSystem& files, std::string parent, std::string folder,
             std::unique_ptr<WriteStream> lock)
      : files_(files),
        parent_(std::move(parent)),
        folder_(std::move(folder)),
        lock_(std::move(lock)) {}

  ~RunStaging() override {
    try {
      lock_.reset();
      SweepRunFolder(files_, folder_);
      // Fails, as it should, while another run's folder is inside.
      Attempt([&] { files_.RemoveFolder(parent_); });
    } catch (...) {
    }
  }

  const std::string& Folder() const override { return folder_; }
  bool MayBuildFolders() const override { return files_.NtFamily(); }

 private:
  FileSystem& files_;
  std::string parent_;
  std::string folder_;
  // Never committed: the stream removes the lock file as it goes.
  std::unique_ptr<WriteStream> lock_;
};

std::unique_ptr<StagingArea> OpenRunStaging(FileSystem& files, FileStreams& streams,
                                            const std::string& parent) {
  for (int attempt = 0; attempt < kOpenTries; ++attempt) {
    const Failure made = Attempt([&] { files.CreateFolder(parent); });
    if (made) {
      // Refused, or a path that cannot be: the copies stage beside.
      if (!IsExistsError(made.number)) return nullptr;
      // A file of that name (a user's) is never used.
      const std::uint32_t attributes = AttributesOf(files, parent);
      if (attributes == kInvalidAttributes) continue;
      if (!(attributes & kAttrDirectory) || (attributes & kAttrReparsePoint)) return nullptr;
      SweepDeadRuns(files, parent);
    }
    std::string folder;
    Failure failure;
    for (int number = 0; number < kStagingNameTries; ++number) {
      folder = parent + "\\" + std::to_string(number);
      failure = Attempt([&] { files.CreateFolder(folder); });
      if (!IsExistsError(failure.number)) break;
    }
    if (failure.number == kErrorPathNotFound) continue;  // the parent went meanwhile
    if (failure) return nullptr;
    std::unique_ptr<WriteStream> lock;
    failure = Attempt([&] { lock = streams.CreateNew(folder + "\\" + kLockName); });
    if (lock) return std::make_unique<RunStaging>(files, parent, folder, std::move(lock));
    Attempt([&] { files.RemoveFolder(folder); });
    // Another run's sweep took the folder before the lock was in it.
    if (failure.number != kErrorPathNotFound) return nullptr;
  }
  return nullptr;
}

}  // namespace

void CopyFileReplacing(FileSystem& files, const std::string& source, const std::string& destination,
                       const std::string& stagingFolder) {
  if (const Failure failure = CopyReplacing(files, source, destination, stagingFolder)) {
    Throw(failure, source + " -> " + destination);
  }
}

void CopyNewFile(FileSystem& files, const std::string& source, const std::string& destination) {
  const Failure failure = Attempt([&] { files.Copy(source, destination, Existing::kFail); });
  if (!failure) return;
  if (!IsExistsError(failure.number)) RemoveOwnFile(files, destination);
  Throw(failure, source + " -> " + destination);
}

void ReplaceByRename(FileSystem& files, const std::string& fresh, const std::string& to) {
  if (const Failure failure = PutInPlace(files, fresh, to, SplitAtLastSeparator(to).folder)) {
    Throw(failure, fresh + " -> " + to);
  }
}

void RemoveFile(FileSystem& files, const std::string& path) {
  try {
    files.Delete(path);
  } catch (const PlatformError& error) {
    if (error.number() != kErrorFileNotFound && error.number() != kErrorPathNotFound) throw;
  }
}

std::unique_ptr<StagingArea> OpenStaging(FileSystem& files, FileStreams& streams,
                                         const std::string& parent) {
  try {
    return OpenRunStaging(files, streams, parent);
  } catch (const PlatformError&) {
    return nullptr;  // a path this system cannot take: copies stage beside
  }
}

}  // namespace lnf
