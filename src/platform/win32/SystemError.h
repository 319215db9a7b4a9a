// Failures of Win32 calls: every one is told the same way, with the number
// the system gave right after the failing call and the system's own text for
// it, as a PlatformError.
#pragma once

#include <windows.h>

#include <string>

namespace lnf {

// The system's description of an error number, without the line break it
// ends in; "Unknown error." when it has none.
std::string Describe(DWORD number);

// `subject` names the path(s) the failing operation worked on.
[[noreturn]] void Fail(DWORD number, const std::string& subject);

}  // namespace lnf
