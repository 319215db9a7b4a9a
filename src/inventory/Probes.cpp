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

bool IsV4(Platform& platform, std::string WUDIR) {
  return FirstMatch(platform, WUDIR + "\\V4\\", EntryFilter::kFiles) &&
         FirstMatch(platform, WUDIR + "\\V4\\iuhist.xml", EntryFilter::kFiles);
}

bool IsOU(Platform& platform, std::string OUDIR) { return DirectoryExists(platform, OUDIR); }

bool DirectoryExists(Platform& platform, std::string folderPath) {
  try {
    return (platform.GetAttributes(folderPath) & kAttrDirectory) != 0;
  } catch (const PlatformError&) {
    return false;
  }
}

}  // namespace lnf
