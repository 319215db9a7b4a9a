#include "win32/WindowsFamily.h"

#include <windows.h>

namespace lnf {

bool IsNtFamily() {
  // The high bit of GetVersion is set on Windows 9x (and Win32s) only. Wine
  // posing as Windows 98 answers the same way, which is how the tests take
  // the ANSI path.
  static const bool nt = (::GetVersion() & 0x80000000u) == 0;
  return nt;
}

}  // namespace lnf
