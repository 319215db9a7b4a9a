#include "platform/TreeWalk.h"

#include <vector>

namespace lnf {

void WalkTree(FileSystem& files, std::string folder, TreeVisitor& visitor) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  std::vector<DirectoryEntry> entries;
  {
    auto listing = files.Enumerate(folder, EntryFilter::kWithFolders);
    for (std::string name = listing->Next(); !name.empty(); name = listing->Next()) {
      if (name != "." && name != "..") entries.push_back(listing->Entry());
    }
  }
  for (const DirectoryEntry& entry : entries) {
    if (!(entry.attributes & kAttrDirectory)) visitor.File(folder, entry);
  }
  for (const DirectoryEntry& entry : entries) {
    if (!(entry.attributes & kAttrDirectory)) continue;
    if (entry.attributes & kAttrReparsePoint) {
      visitor.FolderLink(folder, entry);
    } else if (visitor.Folder(folder, entry)) {
      WalkTree(files, folder + entry.openableName, visitor);
    }
  }
}

}  // namespace lnf
