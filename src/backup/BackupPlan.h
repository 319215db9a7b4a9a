// What each backup takes, as data: for an installation's client folders,
// every file each kind's backup would copy, with the facts its listing gave
// and the name it takes under the backup root. Computed by listing alone, so
// that a tree that must not be written to (another installation's drive)
// can be planned and read without a copy on disk. The window's backups copy
// by the same plan, so that each rule of what they take stands here alone.
#pragma once

#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/FunctionRef.h"

namespace lnf {

enum class BackupKind { kV2V31, kV4, kOfficeUpdate };

// What a backup does with an entry it meets.
enum class Take {
  kCopy,             // copied, a folder made
  kNewerThanCutOff,  // a V2/V3.1 file dated 2012 or later: logged, not copied
  kMissing,          // a V4 file not there: its copy fails, as the system tells
  kFolderLink,       // a link in the Office Update tree: logged, not followed
};

struct PlannedFile {
  BackupKind kind = BackupKind::kV2V31;
  std::string source;  // full path that opens it
  std::string name;    // under the backup root, "\"-separated: "x.inv", "V4\iuhist.xml"
  DirectoryEntry facts{};
  // A folder of the Office Update tree, before what it holds, so that an
  // empty one is taken too.
  bool folder = false;
  Take take = Take::kCopy;
  // A V2/V3.1 file whose date could not be read, taken as an old one: the
  // system's description of why (never empty), for the window to tell at
  // its turn; empty when the date was read.
  std::string dateUnreadable{};
};

// Everything one kind's backup meets, in the order it meets it, each with
// what it does with it; files are read by `source`, and `facts.name` is the
// name the system gives (the one the log keeps).
// V2/V3.1: every ordinary file of `wudir`, in the listing's order, taken
// when last written before 2012 (local time); a date that cannot be read
// counts as old, so that the file is taken rather than silently left out.
std::vector<PlannedFile> PlanV2V31(FileSystem& files, const std::string& wudir);
// V4: "Windows Update.log" in `windir`, then "iuhist.xml" in `wudir`'s
// "V4", each whether it is there or not.
std::vector<PlannedFile> PlanV4(FileSystem& files, const std::string& windir,
                                const std::string& wudir);
// A folder tree (the Office Update client folder), walked as TreeWalk walks
// it: hidden and system entries left out, each folder before what it holds,
// links met but not followed. Each entry, named `under` followed by its path
// inside `folder`, goes to `take` as the walk meets it, so that a copy can go
// along with the walk (a folder's copy made before its listing, what fits
// copied before a path too long is met); for a folder, false leaves what it
// holds out.
void PlanTree(FileSystem& files, const std::string& folder, const std::string& under,
              FunctionRef<bool(PlannedFile&)> take);
// Each of them itself only lists and reads dates; throws when an existing
// folder cannot be listed.

}  // namespace lnf
