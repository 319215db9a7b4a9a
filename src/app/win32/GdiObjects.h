// Owners of the GDI and USER objects the window makes, so that each is freed
// once, on every path out, by the call that matches how it was made.
#pragma once

#include <windows.h>

#include "win32/OwnedHandle.h"

namespace lnf {

template <typename Object>
struct GdiObjectCloser {
  static Object Unset() { return nullptr; }
  static void Close(Object object) { DeleteObject(object); }
};
// A font, bitmap or region made by this program.
template <typename Object>
using GdiObject = OwnedHandle<Object, GdiObjectCloser<Object>>;

// The screen's device context, from GetDC(nullptr).
struct ScreenDcCloser {
  static HDC Unset() { return nullptr; }
  static void Close(HDC dc) { ReleaseDC(nullptr, dc); }
};
using ScreenDc = OwnedHandle<HDC, ScreenDcCloser>;

// A device context of this program's own, from CreateCompatibleDC.
struct MemoryDcCloser {
  static HDC Unset() { return nullptr; }
  static void Close(HDC dc) { DeleteDC(dc); }
};
using MemoryDc = OwnedHandle<HDC, MemoryDcCloser>;

// An icon from LoadImage; one from LoadIcon is shared and never destroyed.
struct IconCloser {
  static HICON Unset() { return nullptr; }
  static void Close(HICON icon) { DestroyIcon(icon); }
};
using OwnedIcon = OwnedHandle<HICON, IconCloser>;

// Selects `object` into `dc` for as long as it lives, then puts back what was
// there: a DC must not be deleted with an object of ours still in it.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~Selection() { SelectObject(dc_, previous_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace lnf
