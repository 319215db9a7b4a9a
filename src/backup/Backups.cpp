#include "backup/Backups.h"

#include <utility>
#include <vector>

#include "form/MainForm.h"

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
void EnsureFolder(FileSystem& files, const std::string& path) {
  if (!DirectoryExists(files, path)) files.CreateFolder(path);
}

// The backup root, then its subfolder `name` ("\V4", "\OU"), each created
// when missing; returns the subfolder's path.
std::string EnsureBackupFolder(MainForm& form, const std::string& name) {
  const std::string root = BackupRoot(form);
  EnsureFolder(form.files(), root);
  EnsureFolder(form.files(), root + name);
  return root + name;
}

std::string BackupDone(const std::string& where) {
  return "Backup done in " + where + ". Please review the log for further details.";
}

std::string WithTrailingBackslash(std::string path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

}  // namespace

std::string BackupRoot(const MainForm& form) { return form.SYSDRIVE + "LNF_INV"; }

BackupCopies::BackupCopies(FileSystem& files, SystemInfo& system, const std::string& backupRoot)
    : files_(files), system_(system), folder_(backupRoot + kStagingFolder) {
  usable_ = files_.OpenStaging(folder_);
}

BackupCopies::~BackupCopies() {
  if (usable_) files_.CloseStaging(folder_);
}

void BackupCopies::Copy(const std::string& source, const std::string& destination) {
  std::string key = files_.UpperCaseName(destination);
  if (written_.count(key)) {
    throw PlatformError(kErrorFileExists, system_.ErrorText(kErrorFileExists),
                        source + " -> " + destination);
  }
  files_.CopyFileReplacing(source, destination, usable_ ? folder_ : std::string());
  written_.insert(std::move(key));
}

std::int16_t GetFileCreationYear(MainForm& form, std::string filePath) {
  try {
    return static_cast<std::int16_t>(form.files().GetLastWriteTime(filePath).year);
  } catch (const PlatformError& error) {
    form.ShowMessage("Error: Unable to retrieve file creation date. " + error.description(),
                     kBoxOk);
    return -1;
  }
}

void Command3_Click(MainForm& form) {
  FileSystem& files = form.files();
  // The first name is taken before the root is made, so that a client
  // folder that cannot be read fails the backup before anything is created.
  auto listing = files.Enumerate(form.WUDIR + "\\*.*", EntryFilter::kFiles);
  std::string name = listing->Next();
  const std::string root = BackupRoot(form);
  EnsureFolder(files, root);
  BackupCopies copies(files, form.system(), root);
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
  FileSystem& files = form.files();
  const std::string v4 = EnsureBackupFolder(form, "\\V4");
  BackupCopies copies(files, form.system(), BackupRoot(form));
  const std::string windir = form.system().GetEnvironmentValue("windir");
  copies.Copy(windir + "\\Windows Update.log", v4 + "\\Windows Update.log");
  form.AppendLog(") [Windows Update.log] File copied successfully.");
  copies.Copy(form.WUDIR + "\\V4\\iuhist.xml", v4 + "\\iuhist.xml");
  form.AppendLog(") [iuhist.xml] File copied successfully.");
  form.ShowMessage(BackupDone(v4), kBoxInformation, kBackupTitle);
}

void Command5_Click(MainForm& form) {
  const std::string ou = EnsureBackupFolder(form, "\\OU");
  BackupCopies copies(form.files(), form.system(), BackupRoot(form));
  // A missing source has been reported by CopyDirectory; claiming success
  // after it would tell the user a backup exists that does not.
  if (!CopyDirectory(form, form.OUDIR, ou, copies)) return;
  form.AppendLog(") [OfficeUpdate] Directory copied successfully.");
  form.ShowMessage(BackupDone(ou), kBoxInformation, kBackupTitle);
}

bool CopyDirectory(MainForm& form, std::string sourceDir, std::string destDir,
                   BackupCopies& copies) {
  FileSystem& files = form.files();
  sourceDir = WithTrailingBackslash(sourceDir);
  destDir = WithTrailingBackslash(destDir);
  if (!DirectoryExists(files, sourceDir)) {
    form.ShowMessage("Source directory does not exist!", kBoxOk);
    return false;
  }
  EnsureFolder(files, destDir);

  auto ordinary = files.Enumerate(sourceDir + "*.*", EntryFilter::kFiles);
  for (std::string name = ordinary->Next(); !name.empty(); name = ordinary->Next()) {
    copies.Copy(sourceDir + name, destDir + name);
  }

  // The whole listing is taken before the first nested copy, so that the
  // nested enumerations cannot disturb it.
  std::vector<std::string> entries;
  auto listing = files.Enumerate(sourceDir, EntryFilter::kWithFolders);
  for (std::string name = listing->Next(); !name.empty(); name = listing->Next()) {
    entries.push_back(name);
  }
  listing.reset();
  for (const std::string& name : entries) {
    if (name == "." || name == "..") continue;
    // A junction or symbolic link is not descended into: one that points
    // back up the tree would be copied until the paths grow too long, one
    // that points at a drive's root would copy the whole drive.
    const std::uint32_t attributes = files.GetAttributes(sourceDir + name);
    if (!(attributes & kAttrDirectory) || (attributes & kAttrReparsePoint)) continue;
    EnsureFolder(files, destDir + name);
    CopyDirectory(form, sourceDir + name, destDir + name, copies);
  }
  return true;
}

}  // namespace lnf
