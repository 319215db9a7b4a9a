// Presence probes: whether a client folder holds an inventory of a kind.
// They list nothing and write nothing.
#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace lnf {

bool IsV3(FileSystem& files, std::string WUDIR);
bool IsV4(FileSystem& files, std::string WUDIR);
bool IsOU(FileSystem& files, std::string OUDIR);

}  // namespace lnf
