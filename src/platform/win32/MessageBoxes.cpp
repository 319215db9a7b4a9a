// What the platform shows on the screen: message boxes, and the screen's size.
#include <string>

#include "platform/win32/Win32Platform.h"
#include "win32/Win32Text.h"
#include "win32/WindowsFamily.h"

namespace lnf {

void Win32Prompts::ShowModalMessage(const std::string& text, int buttonsAndIcon,
                                    const std::string& title) {
  const HWND owner = static_cast<HWND>(owner_);
  const UINT type = static_cast<UINT>(buttonsAndIcon);
  if (IsNtFamily()) {
    MessageBoxW(owner, Ptr(ToWide(text)), Ptr(ToWide(title)), type);
    return;
  }
  // A character the code page lacks shows as its default character; the
  // message still gets through.
  MessageBoxA(owner, ToAnsiLossy(text).c_str(), ToAnsiLossy(title).c_str(), type);
}

int Win32SystemInfo::ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }

int Win32SystemInfo::ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

}  // namespace lnf
