// What kind of window each row of the control table becomes: its window
// class and styles. Pure: it makes nothing, so it reads like the table it
// serves.
#pragma once

#include <windows.h>

#include "form/ControlTable.h"

namespace lnf {

struct ControlClass {
  const char* className;
  DWORD style;
  DWORD exStyle;
};

ControlClass ClassAndStyleOf(const ControlSpec& row, bool visible);

}  // namespace lnf
