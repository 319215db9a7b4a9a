#include "platform/Prompts.h"

namespace lnf {

void Prompts::ShowMessage(const std::string& text, int buttonsAndIcon, const std::string& title) {
  // Told in both directions also when the box fails: the watcher must not
  // believe the user is still being waited for.
  struct Waiting {
    PlatformWatcher* watcher;
    explicit Waiting(PlatformWatcher* w) : watcher(w) {
      if (watcher) watcher->WaitingForUser(true);
    }
    ~Waiting() {
      if (watcher) watcher->WaitingForUser(false);
    }
  } waiting(watcher_);
  ShowModalMessage(text, buttonsAndIcon, title.empty() ? kApplicationTitle : title);
}

}  // namespace lnf
