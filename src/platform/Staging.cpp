#include "platform/Staging.h"

#include <utility>
#include <vector>

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

std::uint32_t AttributesOf(FileSteps& steps, const std::string& path) {
  std::uint32_t attributes = 0;
  return steps.Attributes(path, attributes) == 0 ? attributes : kInvalidAttributes;
}

// Puts the complete copy `fresh` in the place of `to` on NT: one rename,
// which replaces an earlier copy there.
std::uint32_t RenameIntoPlace(FileSteps& steps, const std::string& fresh, const std::string& to) {
  const std::uint32_t error = steps.RenameReplacing(fresh, to);
  if (error == 0) return 0;
  // Only now is the destination looked at: looking first would cost a search
  // of a big folder for every new name.
  const std::uint32_t earlier = AttributesOf(steps, to);
  if (earlier == kInvalidAttributes) return error;
  // What CopyFile itself says of a folder in the way.
  if (earlier & kAttrDirectory) return kErrorAccessDenied;
  // MoveFileEx will not replace a read-only file.
  if (!(earlier & kAttrReadOnly)) return error;
  steps.SetAttributes(to, earlier & ~static_cast<std::uint32_t>(kAttrReadOnly));
  const std::uint32_t again = steps.RenameReplacing(fresh, to);
  if (again != 0) steps.SetAttributes(to, earlier);
  return again;
}

// The same on Windows 9x, where MoveFileExA is a stub: an earlier copy steps
// aside under a staging name of its own and is put back if the new one
// cannot take its place. A run stopped in between leaves it there, where no
// sweep removes it.
std::uint32_t RenameIntoPlace9x(FileSteps& steps, const std::string& fresh, const std::string& to,
                                const std::string& staging) {
  const std::uint32_t earlier = AttributesOf(steps, to);
  if (earlier != kInvalidAttributes && (earlier & kAttrDirectory)) return kErrorAccessDenied;
  if (earlier == kInvalidAttributes) return steps.Rename(fresh, to);
  // Unbounded, unlike the copies': it only looks, and the first name that
  // is not there ends it.
  std::string aside;
  for (int number = 0;; ++number) {
    aside = staging + StagingFileName(number, ".old");
    if (AttributesOf(steps, aside) == kInvalidAttributes) break;
  }
  if (const std::uint32_t error = steps.Rename(to, aside)) return error;
  if (const std::uint32_t error = steps.Rename(fresh, to)) {
    steps.Rename(aside, to);
    return error;
  }
  RemoveOwnFile(steps, aside);
  return 0;
}

// Copies `from` into `staging` (a folder ending in a separator), then gives
// that copy the name `to`; the error number of the failing step, with
// everything undone, or 0.
std::uint32_t CopyThrough(FileSteps& steps, const std::string& from, const std::string& to,
                          const std::string& staging, bool beside) {
  // Beside its destination a copy in progress must not take the
  // destination's own name (a user's file "~lnf-0.tmp").
  const std::string own = beside ? steps.Upper(to) : std::string();
  std::string fresh;
  for (int number = 0;; ++number) {
    fresh = staging + StagingFileName(number, ".tmp");
    if (beside && steps.Upper(fresh) == own) continue;
    const std::uint32_t error = steps.CopyNew(from, fresh);
    if (error == 0) break;
    // A name still taken: a user's file beside the destination, or what an
    // interrupted run left there.
    if (IsExistsError(error) && number < kStagingNameTries) continue;
    if (!IsExistsError(error)) RemoveOwnFile(steps, fresh);
    return error;
  }
  const std::uint32_t error =
      steps.Nt() ? RenameIntoPlace(steps, fresh, to) : RenameIntoPlace9x(steps, fresh, to, staging);
  if (error != 0) RemoveOwnFile(steps, fresh);
  return error;
}

// Whether `name` is a number, as the runs' folders are named.
bool IsRunName(const std::string& name) {
  return !name.empty() && name.size() <= 9 &&
         name.find_first_not_of("0123456789") == std::string::npos;
}

void RemoveTree(FileSteps& steps, const std::string& folder) {
  std::vector<std::pair<std::string, std::uint32_t>> entries;
  steps.List(folder, [&](const std::string& name, std::uint32_t attributes) {
    entries.emplace_back(name, attributes);
  });
  for (const auto& [name, attributes] : entries) {
    const std::string path = folder + "\\" + name;
    if ((attributes & kAttrDirectory) && !(attributes & kAttrReparsePoint)) {
      RemoveTree(steps, path);
    } else {
      RemoveOwnFile(steps, path);
    }
  }
  steps.SetAttributes(folder, kAttrArchive);
  steps.RemoveFolder(folder);
}

// Empties a run's folder of what the run made: its lock, its copies in
// progress and the folders it was building. An earlier copy set aside
// (".old") may be the only one left of its file and stays, as does
// anything of another name.
void SweepRunFolder(FileSteps& steps, const std::string& folder) {
  std::vector<std::pair<std::string, std::uint32_t>> entries;
  steps.List(folder, [&](const std::string& name, std::uint32_t attributes) {
    entries.emplace_back(name, attributes);
  });
  for (const auto& [name, attributes] : entries) {
    const std::string path = folder + "\\" + name;
    if (attributes & kAttrDirectory) {
      if (!(attributes & kAttrReparsePoint)) RemoveTree(steps, path);
    } else if (name == kLockName || IsCopyInProgressName(name)) {
      RemoveOwnFile(steps, path);
    }
  }
  steps.RemoveFolder(folder);
}

// Sweeps the folders of the runs that have ended without closing: a lock
// that can be deleted has no live owner. A folder without a lock is being
// made by a starting run (or holds only copies set aside): only removed
// when empty.
void SweepDeadRuns(FileSteps& steps, const std::string& parent) {
  std::vector<std::string> runs;
  steps.List(parent, [&](const std::string& name, std::uint32_t attributes) {
    if ((attributes & kAttrDirectory) && IsRunName(name)) runs.push_back(name);
  });
  for (const std::string& run : runs) {
    const std::string folder = parent + "\\" + run;
    const std::uint32_t error = steps.Delete(folder + "\\" + kLockName);
    if (error == 0) {
      SweepRunFolder(steps, folder);
    } else if (error == kErrorFileNotFound) {
      steps.RemoveFolder(folder);
    }
  }
}

class RunStaging final : public StagingArea {
 public:
  RunStaging(FileSteps& steps, std::string parent, std::string folder,
             std::unique_ptr<HeldFile> lock)
      : steps_(steps),
        parent_(std::move(parent)),
        folder_(std::move(folder)),
        lock_(std::move(lock)) {}

  ~RunStaging() override {
    try {
      lock_.reset();
      SweepRunFolder(steps_, folder_);
      // Fails, as it should, while another run's folder is inside.
      steps_.RemoveFolder(parent_);
    } catch (...) {
    }
  }

  const std::string& Folder() const override { return folder_; }
  bool MayBuildFolders() const override { return steps_.Nt(); }

 private:
  FileSteps& steps_;
  std::string parent_;
  std::string folder_;
  std::unique_ptr<HeldFile> lock_;
};

}  // namespace

void RemoveOwnFile(FileSteps& steps, const std::string& path) {
  steps.SetAttributes(path, kAttrArchive);
  steps.Delete(path);
}

std::uint32_t CopyReplacing(FileSteps& steps, const std::string& from, const std::string& to,
                            const std::string& stagingFolder) {
  // Every copy, a first one too, is made under a staging name and renamed
  // once complete: a run cut short leaves no half-written file under a real
  // name. A staging folder the system refuses, or one on another volume (a
  // mount point) where no rename reaches, gives way to the destination's own
  // folder.
  const std::string beside = SplitAtLastSeparator(to).folder;
  const std::string staging = stagingFolder.empty() ? beside : WithSeparator(stagingFolder);
  std::uint32_t error = CopyThrough(steps, from, to, staging, staging == beside);
  if ((error == kErrorNotSameDevice || error == kErrorAccessDenied) && staging != beside) {
    error = CopyThrough(steps, from, to, beside, true);
  }
  if (!IsDiskFull(error)) return error;
  // No room for a second copy beside the earlier one: replacing it in place
  // frees its space as it writes, as a plain copy would.
  const std::uint32_t earlier = AttributesOf(steps, to);
  if (earlier == kInvalidAttributes || (earlier & kAttrDirectory)) return error;
  if (earlier & kAttrReadOnly) {
    steps.SetAttributes(to, earlier & ~static_cast<std::uint32_t>(kAttrReadOnly));
  }
  const std::uint32_t inPlace = steps.CopyOver(from, to);
  if (inPlace != 0 && AttributesOf(steps, to) != kInvalidAttributes) {
    steps.SetAttributes(to, earlier);
  }
  return inPlace;
}

std::uint32_t ReplaceByRename(FileSteps& steps, const std::string& fresh, const std::string& to) {
  if (steps.Nt()) return RenameIntoPlace(steps, fresh, to);
  return RenameIntoPlace9x(steps, fresh, to, SplitAtLastSeparator(to).folder);
}

std::uint32_t CopyNewFile(FileSteps& steps, const std::string& from, const std::string& to) {
  const std::uint32_t error = steps.CopyNew(from, to);
  if (error != 0 && !IsExistsError(error)) RemoveOwnFile(steps, to);
  return error;
}

std::unique_ptr<StagingArea> OpenRunStaging(FileSteps& steps, const std::string& parent) {
  for (int attempt = 0; attempt < kOpenTries; ++attempt) {
    const std::uint32_t made = steps.MakeFolder(parent);
    if (made != 0) {
      // Refused, or a path that cannot be: the copies stage beside.
      if (!IsExistsError(made)) return nullptr;
      // A file of that name (a user's) is never used.
      const std::uint32_t attributes = AttributesOf(steps, parent);
      if (attributes == kInvalidAttributes) continue;
      if (!(attributes & kAttrDirectory) || (attributes & kAttrReparsePoint)) return nullptr;
      SweepDeadRuns(steps, parent);
    }
    std::string folder;
    std::uint32_t error = 0;
    for (int number = 0; number < kStagingNameTries; ++number) {
      folder = parent + "\\" + std::to_string(number);
      error = steps.MakeFolder(folder);
      if (!IsExistsError(error)) break;
    }
    if (error == kErrorPathNotFound) continue;  // the parent went meanwhile
    if (error != 0) return nullptr;
    std::unique_ptr<HeldFile> lock = steps.HoldNew(folder + "\\" + kLockName, error);
    if (lock) return std::make_unique<RunStaging>(steps, parent, folder, std::move(lock));
    steps.RemoveFolder(folder);
    // Another run's sweep took the folder before the lock was in it.
    if (error != kErrorPathNotFound) return nullptr;
  }
  return nullptr;
}

}  // namespace lnf
