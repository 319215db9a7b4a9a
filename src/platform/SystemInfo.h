// What the system is set up with and tells about itself: environment
// variables, its program-files folder, the screen, the clock in the user's
// regional settings, the program's version, and its descriptions of error
// numbers. None of these takes long, so nobody is told of them.
#pragma once

#include <cstdint>
#include <string>

namespace lnf {

struct VersionNumbers {
  int major = 0;
  int minor = 0;
  int revision = 0;
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  // The value of an environment variable; empty when it is not set.
  virtual std::string GetEnvironmentValue(const std::string& name) = 0;
  // Sets it for this program alone (and the programs it starts).
  virtual void SetEnvironmentValue(const std::string& name, const std::string& value) = 0;

  // The system's own program-files folder, as its setup named it ("C:\Programme"
  // on a German system), without a trailing backslash; empty when the system
  // names none.
  virtual std::string GetProgramFilesFolder() = 0;

  // The primary screen's size in pixels.
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;

  // The current local date and time in the general date form: the short date,
  // a blank and the long time, in the user's regional settings; the time is
  // left out at exactly midnight.
  virtual std::string NowAsGeneralDate() = 0;

  // Major, minor and revision of the program's own version resource.
  virtual VersionNumbers GetVersion() = 0;

  // The system's own description of an error number.
  virtual std::string ErrorText(std::uint32_t number) = 0;
};

}  // namespace lnf
