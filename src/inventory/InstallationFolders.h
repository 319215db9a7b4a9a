// The folders of a Windows installation whose system drive's root is a given
// path (another disk, a mounted image), found as a person would: by what
// they hold, not by their names, which a localized or renamed system
// changes.
#pragma once

#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace lnf {

struct InstallationFolders {
  enum class Answer {
    kFound,           // one Windows folder
    kRootNotUsable,   // the root is missing, or not a folder
    kNoWindows,       // no folder under the root holds a system's own files
    kSeveralWindows,  // more than one does (a dual-boot disk): which is not told
  };
  Answer answer = Answer::kRootNotUsable;
  std::string root;          // as given, without a trailing separator
  std::string windir;        // the one Windows folder, kFound only
  std::string systemFolder;  // its SYSTEM32, else its SYSTEM
  // The program-files folder: "Program Files", else a folder directly under
  // the root that holds WindowsUpdate or OfficeUpdate; empty when none.
  std::string programFiles;
  std::vector<std::string> windowsFolders;  // each folder found to be one
};

// Looks directly under `root` ("E:\", "D:\images\win98-c"): a Windows
// folder holds the file WIN.INI and the folder SYSTEM or SYSTEM32. Lists
// only; throws when an existing folder cannot be listed.
InstallationFolders FindInstallationFolders(FileSystem& files, std::string root);

}  // namespace lnf
