// The three backups into the backup root on the system drive, the file-year
// filter of the V2/V3.1 one, and the recursive folder copy.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"
#include "platform/Staging.h"

namespace lnf {

class MainForm;

// What one backup run copied, as values: the folders it filled and the files
// it wrote, in the order it copied them, each by the path it has once the run
// ends (never a staging name), and whether the run reached its closing words.
// A run that fails keeps what it copied before the failure.
struct BackupResult {
  struct Copy {
    std::string path;  // full path in the backup root
    bool folder = false;
  };
  std::vector<Copy> copies;
  bool completed = false;
};

// The copies of one backup run. Each is made in the run's own staging folder
// inside the backup root, which lies on the copies' own volume and passes on
// the same inherited permissions (unlike the temporary folder, which may be
// missing, elsewhere or the user's alone), and takes its real name only once
// complete; another run's copies at the same time never meet this run's.
// What runs that ended without closing left there is swept first. A copy
// onto a name the run has already written (two source names that differ
// only in case) fails instead of overwriting the first.
class BackupCopies {
 public:
  // `useStaging` false keeps the staging folder's name free for a copy of
  // that name: every copy is then staged beside its destination.
  // Each copy made, and each folder noted, goes into `result`.
  BackupCopies(const Platform& platform, const std::string& backupRoot, BackupResult& result,
               bool useStaging = true);
  // Places the folders built so far and closes the staging folder, quietly.
  ~BackupCopies();
  BackupCopies(const BackupCopies&) = delete;
  BackupCopies& operator=(const BackupCopies&) = delete;

  void Copy(const std::string& source, const std::string& destination);
  // Records `folder` (a real name or one inside a folder being built) as
  // filled by this run.
  void NoteFolder(const std::string& folder);

  // The folder `folder` for the run to copy into: when it does not exist
  // yet (and the staging folder may build one), a folder built in the
  // staging folder, which takes the name `folder` with one rename when the
  // run closes, after a failure too (its files then need no rename each);
  // otherwise `folder` itself, created when missing.
  std::string FolderToFill(const std::string& folder);

  // `error` with the paths inside a folder being built named as they will
  // be once it takes its name.
  PlatformError InRealNames(const PlatformError& error) const;
  // `path` inside a folder being built, named as it will be.
  std::string RealName(const std::string& path) const;

  // Ends the run before its closing words: the folders built take their
  // names, and the staging folder goes, so that the backup root holds only
  // copies when the user is told it is done. Throws when a folder cannot be
  // placed.
  void Close();

 private:
  void PlaceFolders();
  void MergeInto(const std::string& built, const std::string& folder);

  FileSystem& files_;
  SystemInfo& system_;
  BackupResult& result_;
  std::unique_ptr<StagingArea> staging_;
  // Folders built in the staging folder, with the names they are to take.
  std::vector<std::pair<std::string, std::string>> building_;
  std::set<std::string> written_;  // destinations, upper-cased as the system compares them
};

// V2/V3.1: every ordinary file of WUDIR last written before 2012, into the
// backup root itself.
void BackUpV2V31(MainForm& form, BackupResult& result);
// V4: "Windows Update.log" and "iuhist.xml" into the backup root's "\V4".
void BackUpV4(MainForm& form, BackupResult& result);
// Office Update: the whole client folder into the backup root's "\OU".
void BackUpOfficeUpdate(MainForm& form, BackupResult& result);
// Each of the three does nothing while the path variables it reads are
// empty, as they are before the first check. What it copied is in `result`
// as it goes; a failure it does not catch is thrown, for the dispatcher to
// tell, with `result` holding what was copied before it.

// The window's backup buttons: the three backups, their results unused.
void Command3_Click(MainForm& form);
void Command4_Click(MainForm& form);
void Command5_Click(MainForm& form);

// Tells the user that a file's date could not be read (`why`, as the system
// says it); the file is then taken as an old one.
void TellDateUnreadable(MainForm& form, const std::string& why);

// The year `filePath` was last written, in local time; after a failure the
// user is told and the answer is -1.
std::int16_t GetFileCreationYear(MainForm& form, std::string filePath);

// Copies the ordinary files of `sourceDir`, then each subfolder's tree, depth
// first, into `destDir`, creating missing folders and replacing files; hidden
// and system entries are left out, and folder links are not followed (each
// is logged, by its full path).
// Returns false, after telling the user, when the source folder does not
// exist; nothing is created then. The files go through `copies`, the run's.
bool CopyDirectory(MainForm& form, std::string sourceDir, std::string destDir,
                   BackupCopies& copies);

// The backup root: SYSDRIVE followed by "LNF_INV".
std::string BackupRoot(const MainForm& form);

}  // namespace lnf
