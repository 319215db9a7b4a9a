#include "inventory/Probes.h"

namespace lnf {

bool IsV3(FileSystem& files, std::string WUDIR) {
  for (const char* extension : {"\\*.gng", "\\*.inv", "\\*.bm", "\\*.as"}) {
    if (FirstMatch(files, WUDIR + extension, EntryFilter::kFiles)) return true;
  }
  return false;
}

// The second lookup alone would give the same answer. The first (any file
// in V4) stays because the tool's calls to the file system are pinned down
// one by one, the tests count them, and dropping it would buy nothing.
bool IsV4(FileSystem& files, std::string WUDIR) {
  return FirstMatch(files, WUDIR + "\\V4\\", EntryFilter::kFiles) &&
         FirstMatch(files, WUDIR + "\\V4\\iuhist.xml", EntryFilter::kFiles);
}

bool IsOU(FileSystem& files, std::string OUDIR) { return DirectoryExists(files, OUDIR); }

}  // namespace lnf
