// The main window's 45 controls as data: what each is, where it lies (in
// twips, from its container's corner), how it looks and where it stands in the
// tab order. The Win32 window realizes this table in one loop; the tests read it.
#pragma once

#include <array>

#include "form/ControlIds.h"

namespace lnf {

enum class ControlKind { PictureBox, Frame, Label, PushButton, TextBox };

enum class FontId {
  Default,        // MS Sans Serif 8.25 pt
  SansBold825,    // MS Sans Serif 8.25 pt bold
  SansBold975,    // MS Sans Serif 9.75 pt bold
  SansBold12,     // MS Sans Serif 12 pt bold
  ArialBold1425,  // Arial 14.25 pt bold
};

struct FontSpec {
  const char* face;
  int hundredthsOfPoint;
  bool bold;
};
FontSpec DescribeFont(FontId font);

enum class Align { Left, Center };

struct ControlSpec {
  ControlId id;
  const char* name;
  ControlKind kind;
  ControlId container;           // kNoControl: the window itself
  const char* caption;           // caption, or a text box's initial text
  bool visible;                  // as declared, before start-up runs
  int left, top, width, height;  // twips, from the container's inner corner
  FontId font;
  int tabPosition;      // 0: takes no focus by tab
  const char* toolTip;  // nullptr: none
  Align align;
  bool darkRed;  // text drawn in RGB(192, 0, 0)
};

extern const std::array<ControlSpec, kControlCount> kControls;

const ControlSpec& SpecOf(ControlId id);

// Window-level facts.
inline constexpr const char* kWindowCaption = "Lanternfall Tallyglass";
constexpr int kClientWidthTwips = 9285;
constexpr int kClientHeightTwips = 8415;
constexpr int kTwipsPerInch = 1440;

// Twips to pixels at `dpi`, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi) {
  return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
}

}  // namespace lnf
