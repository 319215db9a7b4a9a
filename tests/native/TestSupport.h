// A window on an in-memory drive, the way every native test starts.
#pragma once

#include <string>
#include <vector>

#include "app/Events.h"
#include "form/MainForm.h"
#include "support/MemoryPlatform.h"

namespace lnf::testing {

constexpr const char* kClock = "12/7/2026 8:43:50 AM";
constexpr const char* kWU = "C:\\Program Files\\WindowsUpdate";
constexpr const char* kOU = "C:\\Program Files\\OfficeUpdate";
// A path in the Windows Update or Office Update client folder.
inline std::string WU(const std::string& name) { return std::string(kWU) + "\\" + name; }
inline std::string OU(const std::string& name) { return std::string(kOU) + "\\" + name; }

constexpr const char* kInitialLog = "Everything that this tool does will be logged here.";

inline LocalDateTime Date(int year, int month = 6, int day = 15, int hour = 12, int minute = 0,
                          int second = 0) {
  return {year, month, day, hour, minute, second};
}

// Presses a kind's backup button as a person must: its frame shown first.
inline void BackUp(MainForm& form, ControlId button) {
  form.Click(button == kCommand3 ? kV3btn : button == kCommand4 ? kV4btn : kOuBtn);
  form.Click(button);
}

class FormOnMemoryDrive {
 public:
  FormOnMemoryDrive() : form(drive, kMainFormEvents) {
    drive.AddFolder("C:\\WINDOWS");
    drive.AddFolder("C:\\Program Files");
    drive.SetClockText(kClock);
    form.Load();
    drive.ClearMessages();
  }

  // The log entries appended since start-up, without "(" + clock.
  std::vector<std::string> LogEntries() const {
    std::vector<std::string> entries;
    const std::string& log = form.Text(kLogConsole);
    const std::string prefix = std::string("\r\n(") + kClock;
    std::size_t at = log.find(prefix);
    while (at != std::string::npos) {
      const std::size_t start = at + prefix.size();
      const std::size_t next = log.find(prefix, start);
      entries.push_back(
          log.substr(start, next == std::string::npos ? std::string::npos : next - start));
      at = next;
    }
    return entries;
  }

  // A backup button as a person reaches it: its kind's selector first,
  // which shows the frame around it (a hidden button takes no click).
  void BackUp(ControlId button) { testing::BackUp(form, button); }

  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : drive.Messages()) texts.push_back(m.text);
    return texts;
  }

  MemoryPlatform drive;
  MainForm form;
};

}  // namespace lnf::testing
