// What the window is told while handlers run, so that it stays alive through
// long work without the inventory and backup code knowing of it.
#pragma once

namespace lnf {

class PlatformWatcher {
 public:
  virtual ~PlatformWatcher() = default;
  // Before every file-system operation, and before every name a listing
  // yields: the places where a long check or backup spends its time.
  virtual void BeforeOperation() = 0;
  // True while a message box waits for the user, false once it is closed.
  virtual void WaitingForUser(bool waiting) = 0;
};

}  // namespace lnf
