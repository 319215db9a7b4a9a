#include "inventory/InstallationFolders.h"

namespace lnf {

namespace {

// The entry `path` names, when it is there and of the kind asked for.
bool Holds(FileSystem& files, const std::string& path, bool folder) {
  auto listing = files.Enumerate(path, EntryFilter::kWithFolders);
  if (listing->Next().empty()) return false;
  return ((listing->Entry().attributes & kAttrDirectory) != 0) == folder;
}

}  // namespace

InstallationFolders FindInstallationFolders(FileSystem& files, std::string root) {
  InstallationFolders found;
  while (!root.empty() && (root.back() == '\\' || root.back() == '/')) root.pop_back();
  found.root = root;
  if (root.empty() || !DirectoryExists(files, root + "\\")) return found;

  std::vector<std::string> folders;
  auto listing = files.Enumerate(root + "\\", EntryFilter::kWithFolders);
  for (std::string name = listing->Next(); !name.empty(); name = listing->Next()) {
    const DirectoryEntry& entry = listing->Entry();
    if (name == "." || name == ".." || !(entry.attributes & kAttrDirectory) ||
        (entry.attributes & kAttrReparsePoint)) {
      continue;
    }
    folders.push_back(root + "\\" + entry.openableName);
  }

  std::string systemFolder;
  for (const std::string& folder : folders) {
    if (!Holds(files, folder + "\\WIN.INI", false)) continue;
    const bool system32 = Holds(files, folder + "\\SYSTEM32", true);
    if (!system32 && !Holds(files, folder + "\\SYSTEM", true)) continue;
    found.windowsFolders.push_back(folder);
    systemFolder = folder + (system32 ? "\\SYSTEM32" : "\\SYSTEM");
  }
  // The program-files folder by its usual name first; a localized one by
  // what it holds.
  if (Holds(files, root + "\\Program Files", true)) {
    found.programFiles = root + "\\Program Files";
  } else {
    for (const std::string& folder : folders) {
      if (Holds(files, folder + "\\WindowsUpdate", true) ||
          Holds(files, folder + "\\OfficeUpdate", true)) {
        found.programFiles = folder;
        break;
      }
    }
  }
  if (found.windowsFolders.empty()) {
    found.answer = InstallationFolders::Answer::kNoWindows;
  } else if (found.windowsFolders.size() > 1) {
    found.answer = InstallationFolders::Answer::kSeveralWindows;
  } else {
    found.answer = InstallationFolders::Answer::kFound;
    found.windir = found.windowsFolders[0];
    found.systemFolder = systemFolder;
  }
  return found;
}

}  // namespace lnf
