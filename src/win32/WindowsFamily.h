// Windows 9x or the NT family: asked of the system once, and the one answer
// every Win32 caller goes by. The NT family gets the wide functions (any file
// name, long paths); Windows 9x the ANSI ones, since its wide ones are stubs
// that fail without a word.
#pragma once

namespace lnf {

bool IsNtFamily();

}  // namespace lnf
