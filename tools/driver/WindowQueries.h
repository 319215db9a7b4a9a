// Questions about windows of other processes, shared by the parts of the
// driver.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace lnf::e2e {

std::wstring ClassName(HWND hwnd);  // without any version prefix
bool IsClass(HWND hwnd, const wchar_t* name);
std::vector<HWND> TopLevelWindows();  // of this thread's desktop
std::vector<HWND> TopLevelWindowsOf(DWORD pid);
std::vector<HWND> Descendants(HWND parent);
// WM_GETTEXT with the driver's timeout; "<no answer>" when none comes.
std::wstring WindowText(HWND hwnd);

// Pixels of a screen area or a drawing, 0xRRGGBB each, row by row.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<DWORD> rgb;
};
Pixels CaptureScreen(int x, int y, int width, int height);
// A system icon drawn here on a plain background.
Pixels DrawSystemIcon(LPCWSTR which, int width, int height, DWORD background);

}  // namespace lnf::e2e
