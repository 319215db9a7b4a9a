// The window functions that take or give text, or whose variant must match
// the window's own, in the system's character set: the wide functions on the
// NT family, so that any file name shows as it is; the ANSI ones on Windows
// 9x, where the wide ones are stubs. The choice is IsNtFamily()'s, the same
// one the platform goes by; callers pass and receive UTF-8 and never see the
// split.
#pragma once

#include <windows.h>

#include <string>

namespace lnf::win {

// Registers a window class under an ASCII name; on NT the class is Unicode.
bool RegisterWindowClass(WNDCLASSEXA& wc);

HWND CreateWindowUtf8(DWORD exStyle, const char* className, const std::string& text, DWORD style,
                      int x, int y, int width, int height, HWND parent, HMENU menuOrId,
                      HINSTANCE instance, void* param);

void SetWindowTextUtf8(HWND hwnd, const std::string& text);
// Replaces the selection of an edit control, without an undo step.
void ReplaceSelectionUtf8(HWND edit, const std::string& text);
int WindowTextLength(HWND hwnd);
// DrawText in the same character set as the window's text, so that a
// label's text comes out as the label itself draws it.
void DrawTextUtf8(HDC dc, const std::string& text, RECT& rect, UINT format);

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CallProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Subclasses `hwnd`; returns the window procedure it had.
WNDPROC ReplaceWindowProc(HWND hwnd, WNDPROC proc);
LONG_PTR GetWindowData(HWND hwnd, int index);
void SetWindowData(HWND hwnd, int index, LONG_PTR value);

// The message loop's three steps.
BOOL GetNextMessage(MSG& msg);
BOOL IsDialogKey(HWND dialog, MSG& msg);
void Dispatch(const MSG& msg);

}  // namespace lnf::win
