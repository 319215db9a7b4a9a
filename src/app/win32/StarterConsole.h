// What an unattended run says to whoever started it: a script reads the
// reason for a failure where it reads any program's output.
#pragma once

#include <string>
#include <vector>

namespace lnf {

// Writes `lines`, each ended by CR LF, to the standard error handed over by
// the starter (a redirection or a pipe: UTF-8), or the standard output when
// only that was, or else to the console of the process that started the
// tool, which a window program can attach to from Windows XP on. On Windows 9x and NT 4, with nothing handed over,
// nothing is said: the log file tells it there.
void TellStarter(const std::vector<std::string>& lines);

}  // namespace lnf
