// Presence probes: whether a client folder holds an inventory of a kind, and
// whether a path names a folder. They list nothing and write nothing.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace lnf {

// Starts an enumeration and takes its first name only: true when one exists.
bool FirstMatch(Platform& platform, const std::string& pattern, EntryFilter attributeFilter);

bool IsV3(Platform& platform, std::string WUDIR);
bool IsV4(Platform& platform, std::string WUDIR);
bool IsOU(Platform& platform, std::string OUDIR);

// True when `folderPath` (with or without a trailing backslash) names an
// existing folder; every failure of the query answers false.
bool DirectoryExists(Platform& platform, std::string folderPath);

}  // namespace lnf
