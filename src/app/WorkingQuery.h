// The registered window message by which another program (a test driver, an
// automation tool) asks the main window whether one of its handlers is at
// work. The window answers 1 while a handler runs, 0 while it waits for the
// user, in a message box that a handler opened or for the next click. It
// answers other messages sent to it during work as well, so their answers
// no longer tell that a handler has ended; this one does.
#pragma once

namespace lnf {

inline constexpr char kWorkingQueryName[] = "LanternfallTallyglass.Working";

}  // namespace lnf
