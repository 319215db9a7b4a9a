// One walk of a folder tree over the file system's listings, for any tree:
// the backups' copies walk their client folder with it, and a tree of
// another installation can be walked the same way. Each entry comes with the
// facts its listing gave, so that the walk asks the system nothing more.
#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace lnf {

// What a walk tells of the entries it meets. `folder` is the path of the
// folder holding the entry, ending in a separator; entries are opened by
// `folder + entry.openableName`.
class TreeVisitor {
 public:
  virtual ~TreeVisitor() = default;
  virtual void File(const std::string& folder, const DirectoryEntry& file) = 0;
  // Before the folder's own tree is walked; false leaves it out.
  virtual bool Folder(const std::string& folder, const DirectoryEntry& subfolder) = 0;
  // A junction or symbolic link to a folder, which is never walked into:
  // one that points back up the tree would be walked until the paths grow
  // too long, one that points at a drive's root would walk the whole drive.
  virtual void FolderLink(const std::string& folder, const DirectoryEntry& link) = 0;
};

// Walks the tree below `folder` (with or without a trailing separator),
// depth first: a folder's ordinary files, in the system's order, then each
// of its folders, whose tree is walked before the next. Each folder's
// listing is taken whole before anything inside it is told, so that what a
// visitor does, and the nested listings, never disturb it. Hidden and system
// entries are left out, as every listing leaves them out. A missing folder
// has nothing to walk; a failure to list an existing one throws.
void WalkTree(FileSystem& files, std::string folder, TreeVisitor& visitor);

}  // namespace lnf
