// Turns the configuration code at the start of a V2/V3.1 inventory file name
// into the Internet Explorer and Windows versions it was made for.
#pragma once

#include <string>

namespace lnf {

class MainFunctions {
 public:
  // "5.0", "5.5", "6.0" or "Unknown", by the code's leading characters.
  std::string GetIEVersion(std::string ASConfCode) const;
  // A Windows name, "CUN V3" or "Unknown", by the whole code.
  std::string GetWindowsVersion(std::string ASConfCode) const;
};

}  // namespace lnf
