#include "app/win32/WindowApi.h"

#include "win32/Win32Text.h"
#include "win32/WindowsFamily.h"

namespace lnf::win {

bool RegisterWindowClass(WNDCLASSEXA& wc) {
  if (!IsNtFamily()) return RegisterClassExA(&wc) != 0;
  const WideText className = ToWide(wc.lpszClassName);
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
  if (IsNtFamily()) {
    return CreateWindowExW(exStyle, Ptr(ToWide(className)), Ptr(ToWide(text)), style, x, y, width,
                           height, parent, menuOrId, instance, param);
  }
  return CreateWindowExA(exStyle, className, ToAnsiLossy(text).c_str(), style, x, y, width, height,
                         parent, menuOrId, instance, param);
}

void SetWindowTextUtf8(HWND hwnd, const std::string& text) {
  if (IsNtFamily()) {
    SetWindowTextW(hwnd, Ptr(ToWide(text)));
  } else {
    SetWindowTextA(hwnd, ToAnsiLossy(text).c_str());
  }
}

void ReplaceSelectionUtf8(HWND edit, const std::string& text) {
  if (IsNtFamily()) {
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Ptr(ToWide(text))));
  } else {
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(ToAnsiLossy(text).c_str()));
  }
}

int WindowTextLength(HWND hwnd) {
  return IsNtFamily() ? GetWindowTextLengthW(hwnd) : GetWindowTextLengthA(hwnd);
}

void DrawTextUtf8(HDC dc, const std::string& text, RECT& rect, UINT format) {
  if (IsNtFamily()) {
    DrawTextW(dc, Ptr(ToWide(text)), -1, &rect, format);
  } else {
    DrawTextA(dc, ToAnsiLossy(text).c_str(), -1, &rect, format);
  }
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return IsNtFamily() ? SendMessageW(hwnd, message, wParam, lParam)
                      : SendMessageA(hwnd, message, wParam, lParam);
}

LRESULT DefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return IsNtFamily() ? DefWindowProcW(hwnd, message, wParam, lParam)
                      : DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CallProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return IsNtFamily() ? CallWindowProcW(proc, hwnd, message, wParam, lParam)
                      : CallWindowProcA(proc, hwnd, message, wParam, lParam);
}

WNDPROC ReplaceWindowProc(HWND hwnd, WNDPROC proc) {
  const LONG_PTR value = reinterpret_cast<LONG_PTR>(proc);
  return reinterpret_cast<WNDPROC>(IsNtFamily() ? SetWindowLongPtrW(hwnd, GWLP_WNDPROC, value)
                                                : SetWindowLongPtrA(hwnd, GWLP_WNDPROC, value));
}

LONG_PTR GetWindowData(HWND hwnd, int index) {
  return IsNtFamily() ? GetWindowLongPtrW(hwnd, index) : GetWindowLongPtrA(hwnd, index);
}

void SetWindowData(HWND hwnd, int index, LONG_PTR value) {
  if (IsNtFamily()) {
    SetWindowLongPtrW(hwnd, index, value);
  } else {
    SetWindowLongPtrA(hwnd, index, value);
  }
}

BOOL GetNextMessage(MSG& msg) {
  return IsNtFamily() ? GetMessageW(&msg, nullptr, 0, 0) : GetMessageA(&msg, nullptr, 0, 0);
}

BOOL IsDialogKey(HWND dialog, MSG& msg) {
  return IsNtFamily() ? IsDialogMessageW(dialog, &msg) : IsDialogMessageA(dialog, &msg);
}

void Dispatch(const MSG& msg) {
  TranslateMessage(&msg);
  if (IsNtFamily()) {
    DispatchMessageW(&msg);
  } else {
    DispatchMessageA(&msg);
  }
}

}  // namespace lnf::win
