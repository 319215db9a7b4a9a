#include "app/win32/WindowApi.h"

#include "platform/PathText.h"

namespace lnf::win {

namespace {

// The high bit of GetVersion is clear on the NT family and set on 9x.
const bool kNt = (GetVersion() & 0x80000000u) == 0;

// Wide text is kept in a u16string, of which only the parts used are compiled
// in, rather than a wstring, which links the library's whole copy. Windows'
// wchar_t is the same 16-bit unit.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");
using WideText = std::u16string;

WideText Wide(const std::string& utf8) { return Utf8ToUtf16(utf8); }

const wchar_t* Ptr(const WideText& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// Windows 9x lacks UTF-8 conversion; going through UTF-16 to the ANSI code
// page gives '?' for what that code page cannot show, as the system would.
std::string Ansi(const std::string& utf8) {
  const WideText wide = Wide(utf8);
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, Ptr(wide), length, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size : 0, '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_ACP, 0, Ptr(wide), length, &out[0], size, nullptr, nullptr);
  }
  return out;
}

}  // namespace

bool RegisterWindowClass(WNDCLASSEXA& wc) {
  if (!kNt) return RegisterClassExA(&wc) != 0;
  const WideText className = Wide(wc.lpszClassName);
  WNDCLASSEXW wide = {};
  wide.cbSize = sizeof(wide);
  wide.style = wc.style;
  wide.lpfnWndProc = wc.lpfnWndProc;
  wide.cbClsExtra = wc.cbClsExtra;
  wide.cbWndExtra = wc.cbWndExtra;
  wide.hInstance = wc.hInstance;
  wide.hIcon = wc.hIcon;
  wide.hCursor = wc.hCursor;
  wide.hbrBackground = wc.hbrBackground;
  wide.lpszClassName = Ptr(className);
  wide.hIconSm = wc.hIconSm;
  return RegisterClassExW(&wide) != 0;
}

HWND CreateWindowUtf8(DWORD exStyle, const char* className, const std::string& text, DWORD style,
                      int x, int y, int width, int height, HWND parent, HMENU menuOrId,
                      HINSTANCE instance, void* param) {
  if (kNt) {
    return CreateWindowExW(exStyle, Ptr(Wide(className)), Ptr(Wide(text)), style, x, y, width,
                           height, parent, menuOrId, instance, param);
  }
  return CreateWindowExA(exStyle, className, Ansi(text).c_str(), style, x, y, width, height, parent,
                         menuOrId, instance, param);
}

void SetWindowTextUtf8(HWND hwnd, const std::string& text) {
  if (kNt) {
    SetWindowTextW(hwnd, Ptr(Wide(text)));
  } else {
    SetWindowTextA(hwnd, Ansi(text).c_str());
  }
}

void ReplaceSelectionUtf8(HWND edit, const std::string& text) {
  if (kNt) {
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Ptr(Wide(text))));
  } else {
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Ansi(text).c_str()));
  }
}

int WindowTextLength(HWND hwnd) {
  return kNt ? GetWindowTextLengthW(hwnd) : GetWindowTextLengthA(hwnd);
}

void DrawTextUtf8(HDC dc, const std::string& text, RECT& rect, UINT format) {
  if (kNt) {
    DrawTextW(dc, Ptr(Wide(text)), -1, &rect, format);
  } else {
    DrawTextA(dc, Ansi(text).c_str(), -1, &rect, format);
  }
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return kNt ? SendMessageW(hwnd, message, wParam, lParam)
             : SendMessageA(hwnd, message, wParam, lParam);
}

LRESULT DefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return kNt ? DefWindowProcW(hwnd, message, wParam, lParam)
             : DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CallProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return kNt ? CallWindowProcW(proc, hwnd, message, wParam, lParam)
             : CallWindowProcA(proc, hwnd, message, wParam, lParam);
}

WNDPROC ReplaceWindowProc(HWND hwnd, WNDPROC proc) {
  const LONG_PTR value = reinterpret_cast<LONG_PTR>(proc);
  return reinterpret_cast<WNDPROC>(kNt ? SetWindowLongW(hwnd, GWL_WNDPROC, value)
                                       : SetWindowLongA(hwnd, GWL_WNDPROC, value));
}

LONG_PTR GetWindowData(HWND hwnd, int index) {
  return kNt ? GetWindowLongW(hwnd, index) : GetWindowLongA(hwnd, index);
}

void SetWindowData(HWND hwnd, int index, LONG_PTR value) {
  if (kNt) {
    SetWindowLongW(hwnd, index, value);
  } else {
    SetWindowLongA(hwnd, index, value);
  }
}

BOOL GetNextMessage(MSG& msg) {
  return kNt ? GetMessageW(&msg, nullptr, 0, 0) : GetMessageA(&msg, nullptr, 0, 0);
}

BOOL IsDialogKey(HWND dialog, MSG& msg) {
  return kNt ? IsDialogMessageW(dialog, &msg) : IsDialogMessageA(dialog, &msg);
}

void Dispatch(const MSG& msg) {
  TranslateMessage(&msg);
  if (kNt) {
    DispatchMessageW(&msg);
  } else {
    DispatchMessageA(&msg);
  }
}

}  // namespace lnf::win
