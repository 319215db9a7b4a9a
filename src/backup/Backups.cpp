#include "backup/Backups.h"

#include <utility>
#include <vector>

#include "form/MainForm.h"
#include "inventory/Probes.h"

namespace lnf {

namespace {

constexpr int kCutOffYear = 2012;
constexpr const char* kBackupTitle = "Backup Inventory";
// Inside the backup root; a fixed name, so that the next run finds what an
// interrupted one left.
constexpr const char* kStagingFolder = "\\~lnf-staging";

// Asked first because creating a folder that exists fails; a plain file of
// that name answers false here and makes the creation fail, which ends the
// backup before its first copy.
void EnsureFolder(Platform& platform, const std::string& path) {
  if (!DirectoryExists(platform, path)) platform.CreateFolder(path);
}

// The backup root, then its subfolder `name` ("\V4", "\OU"), each created
// when missing; returns the subfolder's path.
std::string EnsureBackupFolder(MainForm& form, const std::string& name) {
  const std::string root = BackupRoot(form);
  EnsureFolder(form.platform(), root);
  EnsureFolder(form.platform(), root + name);
  return root + name;
}

std::string BackupDone(const std::string& where) {
  return "Backup done in " + where + ". Please review the log for further details.";
}

// The path variables are empty until the first check; a backup on them would
// work relative to the current folder (the exe's, or the drive's root). A
// person cannot reach a backup button before a check, so nothing is said:
// the only callers are clicks nobody made.
bool PathsAreSet(const MainForm& form, const std::string& clientFolder) {
  return !form.SYSDRIVE.empty() && !clientFolder.empty();
}

std::string WithTrailingBackslash(std::string path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

}  // namespace

std::string BackupRoot(const MainForm& form) { return form.SYSDRIVE + "LNF_INV"; }

BackupCopies::BackupCopies(Platform& platform, const std::string& backupRoot)
    : platform_(platform), folder_(backupRoot + kStagingFolder) {
  usable_ = platform_.OpenStaging(folder_);
}

BackupCopies::~BackupCopies() {
  if (usable_) platform_.CloseStaging(folder_);
}

void BackupCopies::Copy(const std::string& source, const std::string& destination) {
  std::string key = platform_.UpperCaseName(destination);
  if (written_.count(key)) {
    throw PlatformError(kErrorFileExists, platform_.ErrorText(kErrorFileExists),
                        source + " -> " + destination);
  }
  platform_.CopyFileReplacing(source, destination, usable_ ? folder_ : std::string());
  written_.insert(std::move(key));
}

std::int16_t GetFileCreationYear(MainForm& form, std::string filePath) {
  try {
    return static_cast<std::int16_t>(form.platform().GetLastWriteTime(filePath).year);
  } catch (const PlatformError& error) {
    form.ShowMessage("Error: Unable to retrieve file creation date. " + error.description(),
                     kBoxOk);
    return -1;
  }
}

void Command3_Click(MainForm& form) {
  if (!PathsAreSet(form, form.WUDIR)) return;
  Platform& platform = form.platform();
  // The first name is taken before the root is made, so that a client
  // folder that cannot be read fails the backup before anything is created.
  auto listing = platform.Enumerate(form.WUDIR + "\\*.*", EntryFilter::kFiles);
  std::string name = listing->Next();
  const std::string root = BackupRoot(form);
  EnsureFolder(platform, root);
  BackupCopies copies(platform, root);
  while (!name.empty()) {
    const std::string source = form.WUDIR + "\\" + name;
    // -1, a date that could not be read, counts as old: the file is copied
    // rather than silently left out of the backup.
    if (GetFileCreationYear(form, source) < kCutOffYear) {
      copies.Copy(source, root + "\\" + name);
      form.AppendLog(") [" + name + "] File copied successfully.");
    } else {
      form.AppendLog(") [" + name + "] File not copied. Reason: file date is newer than 2012.");
    }
    name = listing->Next();
  }
  form.ShowMessage(BackupDone(root), kBoxInformation, kBackupTitle);
}

void Command4_Click(MainForm& form) {
  if (!PathsAreSet(form, form.WUDIR)) return;
  Platform& platform = form.platform();
  const std::string v4 = EnsureBackupFolder(form, "\\V4");
  BackupCopies copies(platform, BackupRoot(form));
  const std::string windir = platform.GetEnvironmentValue("windir");
  copies.Copy(windir + "\\Windows Update.log", v4 + "\\Windows Update.log");
  form.AppendLog(") [Windows Update.log] File copied successfully.");
  copies.Copy(form.WUDIR + "\\V4\\iuhist.xml", v4 + "\\iuhist.xml");
  form.AppendLog(") [iuhist.xml] File copied successfully.");
  form.ShowMessage(BackupDone(v4), kBoxInformation, kBackupTitle);
}

void Command5_Click(MainForm& form) {
  if (!PathsAreSet(form, form.OUDIR)) return;
  const std::string ou = EnsureBackupFolder(form, "\\OU");
  BackupCopies copies(form.platform(), BackupRoot(form));
  // A missing source has been reported by CopyDirectory; claiming success
  // after it would tell the user a backup exists that does not.
  if (!CopyDirectory(form, form.OUDIR, ou, copies)) return;
  form.AppendLog(") [OfficeUpdate] Directory copied successfully.");
  form.ShowMessage(BackupDone(ou), kBoxInformation, kBackupTitle);
}

bool CopyDirectory(MainForm& form, std::string sourceDir, std::string destDir,
                   BackupCopies& copies) {
  Platform& platform = form.platform();
  sourceDir = WithTrailingBackslash(sourceDir);
  destDir = WithTrailingBackslash(destDir);
  if (!DirectoryExists(platform, sourceDir)) {
    form.ShowMessage("Source directory does not exist!", kBoxOk);
    return false;
  }
  EnsureFolder(platform, destDir);

  auto files = platform.Enumerate(sourceDir + "*.*", EntryFilter::kFiles);
  for (std::string name = files->Next(); !name.empty(); name = files->Next()) {
    copies.Copy(sourceDir + name, destDir + name);
  }

  // The whole listing is taken before the first nested copy, so that the
  // nested enumerations cannot disturb it.
  std::vector<std::string> entries;
  auto listing = platform.Enumerate(sourceDir, EntryFilter::kWithFolders);
  for (std::string name = listing->Next(); !name.empty(); name = listing->Next()) {
    entries.push_back(name);
  }
  listing.reset();
  for (const std::string& name : entries) {
    if (name == "." || name == "..") continue;
    const std::uint32_t attributes = platform.GetAttributes(sourceDir + name);
    if (!(attributes & kAttrDirectory)) continue;
    // A junction or symbolic link is not descended into: one that points
    // back up the tree would be copied until the paths grow too long, one
    // that points at a drive's root would copy the whole drive. The log
    // names it by its full path, so that the user can find what was left out.
    if (attributes & kAttrReparsePoint) {
      form.AppendLog(") [" + sourceDir + name + "] Folder link not followed.");
      continue;
    }
    EnsureFolder(platform, destDir + name);
    CopyDirectory(form, sourceDir + name, destDir + name, copies);
  }
  return true;
}

}  // namespace lnf
