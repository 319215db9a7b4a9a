// What each backup takes, as data: for an installation's client folders,
// every file each kind's backup would copy, with the facts its listing gave
// and the name it takes under the backup root. Computed by listing alone, so
// that a tree that must not be written to (another installation's drive)
// can be planned and read without a copy on disk.
#pragma once

#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace lnf {

// The installation's folders, as the path variables hold them: its Windows
// folder (windir), its Windows Update and Office Update client folders.
struct InstallationPaths {
  std::string windir;
  std::string wudir;
  std::string oudir;
};

enum class BackupKind { kV2V31, kV4, kOfficeUpdate };

struct PlannedFile {
  BackupKind kind = BackupKind::kV2V31;
  std::string source;  // full path that opens it
  std::string name;    // under the backup root, "\"-separated: "x.inv", "V4\iuhist.xml"
  DirectoryEntry facts;
  // A folder of the Office Update tree, before what it holds, so that an
  // empty one is taken too.
  bool folder = false;
};

struct BackupPlan {
  std::vector<PlannedFile> files;  // in the order the backups copy them, folders too
  // What each kind leaves out, each by the name the system gives it.
  std::vector<std::string> newerThanCutOff;  // V2/V3.1 files dated 2012 or later
  std::vector<std::string> missing;          // full paths of V4 files not there
  std::vector<std::string> folderLinks;      // full paths of links not followed
};

// The plan for the kinds whose client folder `paths` names (an empty one is
// left out): V2/V3.1, every ordinary file of WUDIR last written before 2012
// (local time, as the backup reads it); V4, "Windows Update.log" in windir
// and "iuhist.xml" in WUDIR's "V4"; Office Update, OUDIR's whole tree less
// hidden and system entries, folder links not followed. Only lists and
// reads dates; throws when an existing folder cannot be listed.
BackupPlan PlanBackups(FileSystem& files, const InstallationPaths& paths);

}  // namespace lnf
