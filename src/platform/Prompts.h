// The modal message boxes a person answers. The watcher (if any) is told
// while one waits, so that the window shows the arrow, not the wait cursor.
#pragma once

#include <string>

#include "platform/PlatformWatcher.h"

namespace lnf {

// Title of every message box shown without a title of its own.
inline constexpr const char* kApplicationTitle = "LNF_INVTOOL";

// Message box buttons-and-icon values used by the tool.
constexpr int kBoxOk = 0;
constexpr int kBoxCritical = 16;
constexpr int kBoxExclamation = 48;
constexpr int kBoxInformation = 64;

class Prompts {
 public:
  virtual ~Prompts() = default;
  void SetWatcher(PlatformWatcher* watcher) { watcher_ = watcher; }

  // Shows a modal message box and returns when the user has closed it. An empty
  // title stands for the application title.
  void ShowMessage(const std::string& text, int buttonsAndIcon, const std::string& title = {});

 protected:
  virtual void ShowModalMessage(const std::string& text, int buttonsAndIcon,
                                const std::string& title) = 0;

 private:
  PlatformWatcher* watcher_ = nullptr;
};

}  // namespace lnf
