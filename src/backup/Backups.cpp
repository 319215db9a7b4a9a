#include "backup/Backups.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "backup/BackupPlan.h"
#include "form/MainForm.h"
#include "platform/PathText.h"
#include "platform/Staging.h"
#include "platform/TreeWalk.h"

namespace lnf {

namespace {

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

// Whether anything, a file or a folder, stands at `path`.
bool Stands(FileSystem& files, const std::string& path) {
  try {
    files.GetAttributes(path);
    return true;
  } catch (const PlatformError&) {
    return false;
  }
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

void TellDateUnreadable(MainForm& form, const std::string& why) {
  form.ShowMessage("Error: Unable to retrieve file creation date. " + why, kBoxOk);
}

BackupCopies::BackupCopies(const Platform& platform, const std::string& backupRoot,
                           BackupResult& result, bool useStaging)
    : files_(platform.files), system_(platform.system), result_(result) {
  if (useStaging) staging_ = OpenStaging(files_, platform.streams, backupRoot + kStagingFolder);
}

BackupCopies::~BackupCopies() {
  // What was copied before a failure stays, as copies made one by one do.
  try {
    PlaceFolders();
  } catch (...) {
  }
}

void BackupCopies::Copy(const std::string& source, const std::string& destination) {
  std::string key = files_.UpperCaseName(destination);
  if (written_.count(key)) {
    throw PlatformError(kErrorFileExists, system_.ErrorText(kErrorFileExists),
                        source + " -> " + destination);
  }
  const bool inFolderBeingBuilt =
      std::any_of(building_.begin(), building_.end(), [&](const auto& folder) {
        return destination.compare(0, folder.first.size() + 1, folder.first + "\\") == 0;
      });
  if (inFolderBeingBuilt) {
    CopyNewFile(files_, source, destination);
  } else {
    CopyFileReplacing(files_, source, destination, staging_ ? staging_->Folder() : std::string());
  }
  written_.insert(std::move(key));
  result_.copies.push_back({RealName(destination), false});
}

void BackupCopies::NoteFolder(const std::string& folder) {
  std::string path = RealName(folder);
  if (path.size() > 1 && path.back() == '\\') path.pop_back();
  result_.copies.push_back({std::move(path), true});
}

std::string BackupCopies::RealName(const std::string& path) const {
  for (const auto& [built, folder] : building_) {
    if (path.compare(0, built.size(), built) == 0 &&
        (path.size() == built.size() || path[built.size()] == '\\')) {
      return folder + path.substr(built.size());
    }
  }
  return path;
}

PlatformError BackupCopies::InRealNames(const PlatformError& error) const {
  std::string subject = error.subject();
  for (const auto& [built, folder] : building_) {
    for (std::size_t at = subject.find(built); at != std::string::npos;
         at = subject.find(built, at + folder.size())) {
      subject.replace(at, built.size(), folder);
    }
  }
  return PlatformError(error.number(), error.description(), subject);
}

std::string BackupCopies::FolderToFill(const std::string& folder) {
  // Anything standing under that name, a file too, is left for the
  // creation below to meet, which reports it before the first copy.
  if (!staging_ || !staging_->MayBuildFolders() || Stands(files_, folder)) {
    EnsureFolder(files_, folder);
    return folder;
  }
  const std::string built = staging_->Folder() + "\\" + SplitAtLastSeparator(folder).name;
  files_.CreateFolder(built);
  building_.emplace_back(built, folder);
  return built;
}

void BackupCopies::PlaceFolders() {
  const auto building = std::move(building_);
  building_.clear();
  for (const auto& [built, folder] : building) {
    try {
      files_.Move(built, folder, Existing::kFail);
    } catch (const PlatformError& error) {
      // Another run made the folder meanwhile, or the staging folder is
      // another volume (a mount point): the copies go over one by one.
      const bool madeMeanwhile =
          (error.number() == kErrorAlreadyExists || error.number() == kErrorFileExists) &&
          DirectoryExists(files_, folder);
      if (!madeMeanwhile && error.number() != kErrorNotSameDevice) throw;
      MergeInto(built, folder);
    }
  }
}

void BackupCopies::MergeInto(const std::string& built, const std::string& folder) {
  // Each file replaces its namesake, in a folder made where missing.
  class Merge final : public TreeVisitor {
   public:
    Merge(FileSystem& files, const std::string& built, const std::string& folder,
          const std::string& staging)
        : files_(files), built_(built), folder_(folder), staging_(staging) {}
    void File(const std::string& from, const DirectoryEntry& file) override {
      CopyFileReplacing(files_, from + file.name, Into(from) + file.name, staging_);
    }
    bool Folder(const std::string& from, const DirectoryEntry& subfolder) override {
      EnsureFolder(files_, Into(from) + subfolder.name);
      return true;
    }
    void FolderLink(const std::string&, const DirectoryEntry&) override {}

   private:
    std::string Into(const std::string& from) const { return folder_ + from.substr(built_.size()); }

    FileSystem& files_;
    const std::string& built_;
    const std::string& folder_;
    const std::string& staging_;
  };
  EnsureFolder(files_, folder);
  const std::string staging = staging_ ? staging_->Folder() : std::string();
  Merge merge(files_, built, folder, staging);
  WalkTree(files_, built, merge);
}

void BackupCopies::Close() {
  PlaceFolders();
  staging_.reset();
}

std::int16_t GetFileCreationYear(MainForm& form, std::string filePath) {
  try {
    return static_cast<std::int16_t>(form.files().GetLastWriteTime(filePath).year);
  } catch (const PlatformError& error) {
    TellDateUnreadable(form, error.description());
    return -1;
  }
}

void BackUpV2V31(MainForm& form, BackupResult& result) {
  if (!PathsAreSet(form, form.WUDIR)) return;
  FileSystem& files = form.files();
  // Planned before the root is made, so that a client folder that cannot be
  // read fails the backup before anything is created.
  const std::vector<PlannedFile> plan = PlanV2V31(files, form.WUDIR);
  const std::string root = BackupRoot(form);
  EnsureFolder(files, root);
  // An inventory file of the staging folder's name is copied into the root
  // as itself; the staging folder keeps out of its way.
  const bool stagingNameFree =
      files.Enumerate(form.WUDIR + kStagingFolder, EntryFilter::kFiles)->Next().empty();
  BackupCopies copies(form.platform(), root, result, stagingNameFree);
  for (const PlannedFile& file : plan) {
    // Each told at its turn, as if read just now; the log keeps the name
    // the system gives, a 9x '?' one too.
    if (!file.dateUnreadable.empty()) TellDateUnreadable(form, file.dateUnreadable);
    const char* told = "] File not copied. Reason: file date is newer than 2012.";
    if (file.take == Take::kCopy) {
      copies.Copy(file.source, root + "\\" + file.name);
      told = "] File copied successfully.";
    }
    form.AppendLog(") [" + file.facts.name + told);
  }
  copies.Close();
  result.completed = true;
  form.ShowMessage(BackupDone(root), kBoxInformation, kBackupTitle);
}

void BackUpV4(MainForm& form, BackupResult& result) {
  if (!PathsAreSet(form, form.WUDIR)) return;
  const std::string root = BackupRoot(form);
  const std::string v4 = EnsureBackupFolder(form, "\\V4");
  BackupCopies copies(form.platform(), root, result);
  copies.NoteFolder(v4);
  const std::string windir = form.system().GetEnvironmentValue("windir");
  // A file not there is copied all the same: its copy fails as the system
  // tells, with the folder made.
  for (const PlannedFile& file : PlanV4(form.files(), windir, form.WUDIR)) {
    copies.Copy(file.source, root + "\\" + file.name);
    form.AppendLog(") [" + file.name.substr(file.name.find('\\') + 1) +
                   "] File copied successfully.");
  }
  copies.Close();
  result.completed = true;
  form.ShowMessage(BackupDone(v4), kBoxInformation, kBackupTitle);
}

void BackUpOfficeUpdate(MainForm& form, BackupResult& result) {
  if (!PathsAreSet(form, form.OUDIR)) return;
  const std::string root = BackupRoot(form);
  EnsureFolder(form.files(), root);
  BackupCopies copies(form.platform(), root, result);
  // A first backup builds the whole tree out of sight and names it once.
  const std::string ou = copies.FolderToFill(root + "\\OU");
  // A missing source has been reported by CopyDirectory; claiming success
  // after it would tell the user a backup exists that does not.
  bool copied = false;
  try {
    copied = CopyDirectory(form, form.OUDIR, ou, copies);
  } catch (const PlatformError& error) {
    // Told by the names the user will find, not by the staging folder's.
    throw copies.InRealNames(error);
  }
  if (!copied) return;
  copies.Close();
  result.completed = true;
  form.AppendLog(") [OfficeUpdate] Directory copied successfully.");
  form.ShowMessage(BackupDone(root + "\\OU"), kBoxInformation, kBackupTitle);
}

void Command3_Click(MainForm& form) {
  BackupResult result;
  BackUpV2V31(form, result);
}

void Command4_Click(MainForm& form) {
  BackupResult result;
  BackUpV4(form, result);
}

void Command5_Click(MainForm& form) {
  BackupResult result;
  BackUpOfficeUpdate(form, result);
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
  copies.NoteFolder(destDir);
  PlanTree(files, sourceDir, "", [&](PlannedFile& entry) {
    const std::string into = destDir + entry.name;
    if (entry.take == Take::kFolderLink) {
      // By its full path, so that the user can find what was left out.
      form.AppendLog(") [" + entry.source + "] Folder link not followed.");
      return false;
    }
    if (!entry.folder) {
      copies.Copy(entry.source, into);
      return false;
    }
    EnsureFolder(files, into);
    copies.NoteFolder(into);
    // A folder gone since its parent was listed is told as the copy of a
    // missing source folder is, and the copy goes on with the next: one
    // question a folder, where the listing's facts serve every file.
    if (DirectoryExists(files, entry.source)) return true;
    form.ShowMessage("Source directory does not exist!", kBoxOk);
    return false;
  });
  return true;
}

}  // namespace lnf
