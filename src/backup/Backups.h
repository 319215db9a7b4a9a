// The three backups into the backup root on the system drive, the file-year
// filter of the V2/V3.1 one, and the recursive folder copy.
#pragma once

#include <cstdint>
#include <string>

namespace lnf {

class MainForm;

// V2/V3.1: every ordinary file of WUDIR last written before 2012, into the
// backup root itself.
void Command3_Click(MainForm& form);
// V4: "Windows Update.log" and "iuhist.xml" into the backup root's "\V4".
void Command4_Click(MainForm& form);
// Office Update: the whole client folder into the backup root's "\OU".
void Command5_Click(MainForm& form);

// The year `filePath` was last written, in local time; after a failure the
// user is told and the answer is -1.
std::int16_t GetFileCreationYear(MainForm& form, std::string filePath);

// Copies the ordinary files of `sourceDir`, then each subfolder's tree, depth
// first, into `destDir`, creating missing folders and replacing files; hidden
// and system entries are left out, and folder links are not followed.
// Returns false, after telling the user, when the source folder does not
// exist; nothing is created then.
bool CopyDirectory(MainForm& form, std::string sourceDir, std::string destDir);

// The backup root: SYSDRIVE followed by "LNF_INV".
std::string BackupRoot(const MainForm& form);

}  // namespace lnf
