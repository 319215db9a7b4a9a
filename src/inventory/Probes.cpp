#include "inventory/Probes.h"

namespace lnf {

bool FirstMatch(Platform& platform, const std::string& pattern, EntryFilter attributeFilter) {
  return !platform.Enumerate(pattern, attributeFilter)->Next().empty();
}

bool IsV3(Platform& platform, std::string WUDIR) {
  for (const char* extension : {"\\*.gng", "\\*.inv", "\\*.bm", "\\*.as"}) {
    if (FirstMatch(platform, WUDIR + extension, EntryFilter::kFiles)) return true;
  }
  return false;
}

// The second lookup alone would give the same answer. The first (any file
// in V4) stays because the tool's calls to the file system are pinned down
// one by one, the tests count them, and dropping it would buy nothing.
bool IsV4(Platform& platform, std::string WUDIR) {
  return FirstMatch(platform, WUDIR + "\\V4\\", EntryFilter::kFiles) &&
         FirstMatch(platform, WUDIR + "\\V4\\iuhist.xml", EntryFilter::kFiles);
}

bool IsOU(Platform& platform, std::string OUDIR) { return DirectoryExists(platform, OUDIR); }

bool DirectoryExists(Platform& platform, std::string folderPath) {
  // Every failure means "no folder here": an empty or malformed path, or a
  // drive that cannot be read, must not end a check or a backup that asks.
  try {
    return (platform.GetAttributes(folderPath) & kAttrDirectory) != 0;
  } catch (const PlatformError&) {
    return false;
  }
}

}  // namespace lnf
