#include "app/win32/LabelInk.h"

#include <algorithm>

#include "app/win32/GdiObjects.h"
#include "app/win32/WindowApi.h"

namespace lnf {

namespace {

// Draws `text` white on black into `canvas`; the height DrawText sets its
// lines apart by (one font height), or `height` when it cannot be told.
int DrawWhiteOnBlack(HDC dc, HBITMAP canvas, HFONT font, const std::string& text, int width,
                     int height, UINT format) {
  const Selection bitmap(dc, canvas);
  const Selection selectedFont(dc, font);
  RECT all = {0, 0, width, height};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, TRANSPARENT);
  win::DrawTextUtf8(dc, text, all, format);
  TEXTMETRICA metrics = {};
  return GetTextMetricsA(dc, &metrics) && metrics.tmHeight > 0 ? metrics.tmHeight : height;
}

// The inked columns of each line of `pixels` (bottom-up rows, 32 bits each).
std::vector<RECT> InkedSpans(const std::vector<DWORD>& pixels, int width, int height,
                             int lineHeight) {
  std::vector<RECT> lines;
  for (int lineTop = 0; lineTop < height; lineTop += lineHeight) {
    const int lineBottom = std::min(lineTop + lineHeight, height);
    int left = width;
    int right = 0;
    for (int y = lineTop; y < lineBottom; ++y) {
      const DWORD* scan = &pixels[static_cast<std::size_t>(height - 1 - y) * width];
      for (int x = 0; x < width; ++x) {
        if ((scan[x] & 0xFFFFFF) == 0) continue;
        left = std::min(left, x);
        right = std::max(right, x + 1);
      }
    }
    if (left < right) lines.push_back({left, lineTop, right, lineBottom});
  }
  return lines;
}

}  // namespace

// Drawn off screen in a bitmap of the screen's own format, so that font
// smoothing touches the same pixels as on screen; white on black, because
// black reads back as zero from every pixel format.
std::vector<RECT> InkLines(HFONT font, const std::string& text, int width, int height,
                           UINT format) {
  if (text.empty() || width <= 0 || height <= 0) return {};
  const ScreenDc screen(GetDC(nullptr));
  const MemoryDc canvasDc(CreateCompatibleDC(screen.get()));
  const GdiObject<HBITMAP> canvas(CreateCompatibleBitmap(screen.get(), width, height));
  if (canvasDc.IsSet() && canvas.IsSet()) {
    // The bitmap must be out of the DC again before GetDIBits reads it.
    const int lineHeight =
        DrawWhiteOnBlack(canvasDc.get(), canvas.get(), font, text, width, height, format);
    // Bottom-up rows of 32 bits, the one layout every version reads back.
    BITMAPINFO layout = {};
    layout.bmiHeader.biSize = sizeof(layout.bmiHeader);
    layout.bmiHeader.biWidth = width;
    layout.bmiHeader.biHeight = height;
    layout.bmiHeader.biPlanes = 1;
    layout.bmiHeader.biBitCount = 32;
    layout.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<std::size_t>(width) * height);
    if (GetDIBits(screen.get(), canvas.get(), 0, height, pixels.data(), &layout, DIB_RGB_COLORS) ==
        height) {
      return InkedSpans(pixels, width, height, lineHeight);
    }
  }
  return {RECT{0, 0, width, height}};
}

}  // namespace lnf
