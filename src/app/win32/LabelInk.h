// Where a label's text colours pixels, so that a label can be cut down to
// its ink and hide nothing of its neighbours with the empty rest of its box.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace lnf {

// Where `text` colours pixels when drawn as a static control draws it: in
// `font`, with `format`, in a box `width` by `height`. One rectangle per line
// of text, its full height and from its first inked column to its last, so
// that the blank end of a short line is not counted, nor is a gap left
// between two lines. The whole box when it cannot be told.
std::vector<RECT> InkLines(HFONT font, const std::string& text, int width, int height, UINT format);

}  // namespace lnf
