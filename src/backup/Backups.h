// The three backups into the backup root on the system drive, the file-year
// filter of the V2/V3.1 one, and the recursive folder copy.
#pragma once

#include <cstdint>
#include <set>
#include <string>

namespace lnf {

class MainForm;
class Platform;

// The copies of one backup run. Each is made in a staging folder inside the
// backup root, which lies on the copies' own volume and passes on the same
// inherited permissions (unlike the temporary folder, which may be missing,
// elsewhere or the user's alone), and takes its real name only once
// complete. What an interrupted run left there is swept first; the folder
// goes when the run ends, however it ends. A copy onto a name the run has
// already written (two source names that differ only in case) fails instead
// of overwriting the first.
class BackupCopies {
 public:
  BackupCopies(Platform& platform, const std::string& backupRoot);
  ~BackupCopies();
  BackupCopies(const BackupCopies&) = delete;
  BackupCopies& operator=(const BackupCopies&) = delete;

  void Copy(const std::string& source, const std::string& destination);

 private:
  Platform& platform_;
  std::string folder_;
  bool usable_;
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
