// Runs this test program on a desktop of a chosen screen size. Under Wine each
// named desktop is a virtual desktop of its own, sized by the registry value
// HKCU\Software\Wine\Explorer\Desktops\<name> when it is first used.
#pragma once

#include <string>
#include <vector>

namespace lnf::e2e {

// Runs this program with `args` on desktop `name`, sized `size` ("640x480";
// empty: as the registry says), waits for it and returns its exit code, or
// -1 when it could not be started. Its output goes to this program's.
int RunSelfOnDesktop(const std::string& name, const std::string& size,
                     const std::vector<std::string>& args);

}  // namespace lnf::e2e
