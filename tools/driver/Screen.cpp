// What the screen shows: pixels, system icons drawn for comparison, and
// screenshots.
#include <algorithm>
#include <cstdio>

#include "Driver.h"
#include "WindowQueries.h"

namespace lnf::e2e {

namespace {

Pixels NewCanvas(int width, int height, HDC* dc, HBITMAP* bitmap, void** bits) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  *dc = CreateCompatibleDC(nullptr);
  *bitmap = CreateDIBSection(*dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
  SelectObject(*dc, *bitmap);
  Pixels pixels;
  pixels.width = width;
  pixels.height = height;
  return pixels;
}

}  // namespace

Pixels CaptureScreen(int x, int y, int width, int height) {
  HDC dc;
  HBITMAP bitmap;
  void* bits;
  Pixels pixels = NewCanvas(width, height, &dc, &bitmap, &bits);
  HDC screen = GetDC(nullptr);
  BitBlt(dc, 0, 0, width, height, screen, x, y, SRCCOPY);
  ReleaseDC(nullptr, screen);
  GdiFlush();
  const DWORD* p = static_cast<const DWORD*>(bits);
  pixels.rgb.assign(p, p + width * height);
  for (DWORD& v : pixels.rgb) v &= 0xFFFFFF;
  DeleteDC(dc);
  DeleteObject(bitmap);
  return pixels;
}

Pixels DrawSystemIcon(LPCWSTR which, int width, int height, DWORD background) {
  HDC dc;
  HBITMAP bitmap;
  void* bits;
  Pixels pixels = NewCanvas(width, height, &dc, &bitmap, &bits);
  DWORD* p = static_cast<DWORD*>(bits);
  std::fill(p, p + width * height, background);
  DrawIconEx(dc, 0, 0, LoadIconW(nullptr, which), width, height, 0, nullptr, DI_NORMAL);
  GdiFlush();
  pixels.rgb.assign(p, p + width * height);
  for (DWORD& v : pixels.rgb) v &= 0xFFFFFF;
  DeleteDC(dc);
  DeleteObject(bitmap);
  return pixels;
}

std::vector<DWORD> ScreenPixels(const RECT& rect) {
  return CaptureScreen(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top).rgb;
}

std::vector<DWORD> App::SettledPixels(const RECT& rect) const {
  std::vector<DWORD> before = ScreenPixels(rect);
  std::vector<DWORD> now;
  WaitUntil([&] {
    Sync();
    now = ScreenPixels(rect);
    if (now == before) return true;
    before = now;
    return false;
  });
  return now;
}

bool App::SaveScreenshot(const std::wstring& path) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  const Pixels shown = CaptureScreen(0, 0, width, height);
  const int rowBytes = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;  // bottom-up rows, as BMP files usually are
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biSizeImage = rowBytes * height;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + header.biSizeImage;
  std::vector<unsigned char> rows(header.biSizeImage, 0);
  for (int y = 0; y < height; ++y) {
    unsigned char* row = &rows[(height - 1 - y) * rowBytes];
    for (int x = 0; x < width; ++x) {
      const DWORD v = shown.rgb[y * width + x];
      row[x * 3 + 0] = v & 0xFF;
      row[x * 3 + 1] = (v >> 8) & 0xFF;
      row[x * 3 + 2] = (v >> 16) & 0xFF;
    }
  }
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (!out) return false;
  const bool written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                       std::fwrite(&header, sizeof header, 1, out) == 1 &&
                       std::fwrite(rows.data(), 1, rows.size(), out) == rows.size();
  return std::fclose(out) == 0 && written;
}

}  // namespace lnf::e2e
