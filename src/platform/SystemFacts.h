// What a collection tells the people who receive it about the system it ran
// on: the Windows version, the system's language, Internet Explorer's
// version, the moment now with the offset from UTC in force, a moment's local
// time, and how a file name is stored in a zip made here. None of it takes
// long.
#pragma once

#include <cstdint>
#include <string>

#include "platform/CalendarDateTime.h"
#include "platform/FileStreams.h"

namespace lnf {

struct WindowsVersion {
  int major = 0;
  int minor = 0;
  int build = 0;
  std::string servicePack;  // as the system says it ("Service Pack 4"); empty: none
  bool nt = true;           // the NT family, else Windows 95, 98 or Me
};

struct SystemLanguage {
  std::uint32_t lcid = 0;  // the system's default locale
  std::string name;        // its language in English ("German")
};

// A volume as the system names it: the label its format gave it (empty:
// none) and the serial number made when it was formatted.
struct VolumeFacts {
  std::string label;
  std::uint32_t serial = 0;
};

struct ClockReading {
  UtcTime now;
  int utcOffsetMinutes = 0;  // local time less UTC now (+60 in Central European winter)
};

class SystemFacts {
 public:
  virtual ~SystemFacts() = default;
  virtual WindowsVersion GetWindowsVersion() = 0;
  virtual SystemLanguage GetSystemLanguage() = 0;
  // From the registry (HKLM\Software\Microsoft\Internet Explorer); empty
  // when none is recorded.
  virtual std::string GetInternetExplorerVersion() = 0;
  virtual ClockReading ReadClock() = 0;
  // The volume whose root is `root` ("E:", a folder a volume is mounted
  // on); false where it is no volume's root or the system cannot tell.
  virtual bool GetVolumeFacts(const std::string& root, VolumeFacts& volume) = 0;
  // The local time of the moment `utc`, as the system shows a file's time
  // (FileSystem::GetLastWriteTime): on the NT family with the offset in
  // force at that date as far as the system knows it, on Windows 9x with
  // today's. Throws when the system cannot convert it.
  virtual LocalDateTime LocalTimeAt(const UtcDateTime& utc) = 0;
  // How a zip made here stores the name `utf8`: true with `bytes`, its form in
  // the OEM code page (which zip readers assume for a name not marked as
  // UTF-8), where that is how this system's own zip readers take it (Windows
  // 9x) and every character has an exact form there; false where it goes in
  // UTF-8, marked as such: on the NT family, and for a name the code page
  // cannot spell.
  virtual bool ToArchiveCodePage(const std::string& utf8, std::string& bytes) = 0;
};

}  // namespace lnf
