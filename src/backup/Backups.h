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

namespace lnf {

class MainForm;

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
  BackupCopies(const Platform& platform, const std::string& backupRoot, bool useStaging = true);
  // Places the folders built so far and closes the staging folder, quietly.
  ~BackupCopies();
  BackupCopies(const BackupCopies&) = delete;
  BackupCopies& operator=(const BackupCopies&) = delete;

  void Copy(const std::string& source, const std::string& destination);

  // The folder `folder` for the run to copy into: when it does not exist
  // yet (and the staging folder may build one), a folder built in the
  // staging folder, which takes the name `folder` with one rename when the
  // run closes, after a failure too (its files then need no rename each);
  // otherwise `folder` itself, created when missing.
  std::string FolderToFill(const std::string& folder);

  // `error` with the paths inside a folder being built named as they will
  // be once it takes its name.
  PlatformError InRealNames(const PlatformError& error) const;

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
  std::unique_ptr<StagingArea> staging_;
  // Folders built in the staging folder, with the names they are to take.
  std::vector<std::pair<std::string, std::string>> building_;
  std::set<std::string> written_;  // destinations, upper-cased as the system compares them
};

// V2/V3.1: every ordinary file of WUDIR last written before 2012, into the
// backup root itself.
void Command3_Click(MainForm& form);
// V4: "Windows Update.log" and "iuhist.xml" into the backup root's "\V4".
void Command4_Click(MainForm& form);
// Office Update: the whole client folder into the backup root's "\OU".
void Command5_Click(MainForm& form);
// Each of the three does nothing while the path variables it reads are
// empty, as they are before the first check.

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
