// Files and folders: attributes, new folders, and the replacing copy with
// its staging folder.
#include <string>
#include <vector>

#include "platform/PathText.h"
#include "platform/win32/FindFile.h"
#include "platform/win32/NativePath.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/WindowsFamily.h"

namespace lnf {

namespace {

bool IsExistsError(DWORD error) {
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

// A copy in progress in `folder` (which ends in a separator).
std::string StagingName(const std::string& folder, const char* extension, int number) {
  return folder + StagingFileName(number, extension);
}

// Removes the new copies that an interrupted run left in `folder`: only
// names this code gives them, hidden or read-only ones too.
void SweepStaging(const std::string& folder) {
  const std::string base = WithSeparator(folder);
  std::vector<std::string> names;
  FindFile find;
  if (!find.First(Prepare(base + "~lnf-*"))) return;
  do {
    const std::string name = find.Name();
    if (!(find.Attributes() & FILE_ATTRIBUTE_DIRECTORY) && IsCopyInProgressName(name))
      names.push_back(name);
  } while (find.Next());
  // One still open elsewhere stays; the copies pass over its number.
  for (const std::string& name : names) RemoveOwnFile(Prepare(base + name));
}

// Puts the complete copy `fresh` in the place of `to` on NT: one rename,
// which replaces an earlier copy there.
DWORD RenameIntoPlace(const NativePath& fresh, const NativePath& to) {
  if (MoveFileExW(Ptr(fresh.wide), Ptr(to.wide), MOVEFILE_REPLACE_EXISTING)) return ERROR_SUCCESS;
  const DWORD error = GetLastError();
  // Only now is the destination looked at: looking first would cost a search
  // of a big folder for every new name.
  const DWORD earlier = AttributesOf(to);
  if (earlier == INVALID_FILE_ATTRIBUTES) return error;
  // What CopyFile itself says of a folder in the way.
  if (earlier & FILE_ATTRIBUTE_DIRECTORY) return ERROR_ACCESS_DENIED;
  // MoveFileEx will not replace a read-only file.
  if (!(earlier & FILE_ATTRIBUTE_READONLY)) return error;
  SetAttributesOf(to, earlier & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  if (MoveFileExW(Ptr(fresh.wide), Ptr(to.wide), MOVEFILE_REPLACE_EXISTING)) return ERROR_SUCCESS;
  const DWORD again = GetLastError();
  SetAttributesOf(to, earlier);
  return again;
}

// The same on Windows 9x, where MoveFileExA is a stub: an earlier copy steps
// aside under a staging name of its own and is put back if the new one
// cannot take its place. A run stopped in between leaves it there, where no
// sweep removes it.
DWORD RenameIntoPlace9x(const NativePath& fresh, const NativePath& to, const std::string& staging,
                        const std::string& subject) {
  const DWORD earlier = AttributesOf(to);
  if (earlier != INVALID_FILE_ATTRIBUTES && (earlier & FILE_ATTRIBUTE_DIRECTORY)) {
    return ERROR_ACCESS_DENIED;
  }
  if (earlier == INVALID_FILE_ATTRIBUTES) return Rename(fresh, to) ? ERROR_SUCCESS : GetLastError();
  // Unbounded, unlike the copies': it only looks, and the first name that
  // is not there ends it.
  NativePath aside{};
  for (int number = 0;; ++number) {
    aside = Prepare(StagingName(staging, ".old", number), kPathLimit, subject);
    if (AttributesOf(aside) == INVALID_FILE_ATTRIBUTES) break;
  }
  if (!Rename(to, aside)) return GetLastError();
  if (!Rename(fresh, to)) {
    const DWORD error = GetLastError();
    Rename(aside, to);
    return error;
  }
  RemoveOwnFile(aside);
  return ERROR_SUCCESS;
}

// Copies `from` into `staging` (a folder ending in a separator), then gives
// that copy the name `to`; the error number of the failing step, with
// everything undone, or success.
DWORD CopyThrough(const NativePath& from, const NativePath& to, const std::string& staging,
                  const std::string& subject) {
  NativePath fresh{};
  for (int number = 0;; ++number) {
    fresh = Prepare(StagingName(staging, ".tmp", number), kPathLimit, subject);
    if (CopyOnce(from, fresh)) break;
    const DWORD error = GetLastError();
    // A name still taken: one an earlier run could not sweep, or another
    // run's copy in progress. Bounded, so that a folder that answers
    // "exists" to every new name cannot hold the copy here for ever: a
    // thousand is far more names than interrupted or parallel runs leave.
    if (IsExistsError(error) && number < 1000) continue;
    if (!IsExistsError(error)) RemoveOwnFile(fresh);
    return error;
  }
  const DWORD error =
      IsNtFamily() ? RenameIntoPlace(fresh, to) : RenameIntoPlace9x(fresh, to, staging, subject);
  if (error != ERROR_SUCCESS) RemoveOwnFile(fresh);
  return error;
}

}  // namespace

std::uint32_t Win32FileSystem::DoGetAttributes(const std::string& path) {
  const DWORD attributes = AttributesOf(Prepare(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) Fail(GetLastError(), path);
  return attributes;
}

void Win32FileSystem::DoCreateFolder(const std::string& path) {
  if (!MakeFolder(Prepare(path, kFolderPathLimit))) Fail(GetLastError(), path);
}

void Win32FileSystem::DoCopyFileReplacing(const std::string& source, const std::string& destination,
                                          const std::string& stagingFolder) {
  const std::string subject = source + " -> " + destination;
  const NativePath from = Prepare(source, kPathLimit, subject);
  const NativePath to = Prepare(destination, kPathLimit, subject);

  // Every copy, a first one too, is made under a staging name and renamed
  // once complete: a run cut short leaves no half-written file under a real
  // name. A staging folder elsewhere in the tree may lie on another volume
  // (a mount point), where no rename reaches; then the copy is made beside.
  const std::string beside = SplitAtLastSeparator(destination).folder;
  const std::string staging = stagingFolder.empty() ? beside : WithSeparator(stagingFolder);
  DWORD error = CopyThrough(from, to, staging, subject);
  if (error == ERROR_NOT_SAME_DEVICE && staging != beside) {
    error = CopyThrough(from, to, beside, subject);
  }
  if (error != ERROR_SUCCESS) Fail(error, subject);
}

bool Win32FileSystem::DoOpenStaging(const std::string& folder) {
  try {
    SweepStaging(folder);
    const NativePath native = Prepare(folder, kFolderPathLimit);
    if (MakeFolder(native)) return true;
    const DWORD attributes = AttributesOf(native);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  } catch (const PlatformError&) {
    return false;  // a path this system cannot take: copies stage beside
  }
}

std::string Win32FileSystem::DoUpperCaseName(const std::string& name) {
  return UpperCaseFileName(name);
}

void Win32FileSystem::DoCloseStaging(const std::string& folder) noexcept {
  try {
    SweepStaging(folder);
    // Fails, as it should, when something else is in the folder.
    RemoveFolder(Prepare(folder, kFolderPathLimit));
  } catch (...) {
  }
}

}  // namespace lnf
