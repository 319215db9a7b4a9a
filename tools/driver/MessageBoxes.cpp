// Message boxes of the tool: what they show, and pressing OK.
#include <algorithm>

#include "Driver.h"
#include "WindowQueries.h"

namespace lnf::e2e {

namespace {

// Control IDs that message boxes give their parts (the same under Wine and
// Windows): the text, and the OK button.
constexpr int kBoxTextId = 0xFFFF;

// --- Which icon a message box shows. Icon handles belong to the tool's
// process and cannot be read from here, so the icon is recognised by its
// pixels: the screen under the icon control is compared with each system icon
// drawn here on the same background.

int Difference(const Pixels& a, const Pixels& b) {
  int differing = 0;
  for (size_t i = 0; i < a.rgb.size() && i < b.rgb.size(); ++i) {
    if (a.rgb[i] != b.rgb[i]) ++differing;
  }
  return differing;
}

// Whether every corner and the middle of `rect` (screen coordinates) show
// `box`, not a window over it: another instance's window may lie on top of a
// box that came up behind it.
bool ShowsBox(HWND box, const RECT& rect) {
  const POINT points[] = {{rect.left, rect.top},
                          {rect.right - 1, rect.top},
                          {rect.left, rect.bottom - 1},
                          {rect.right - 1, rect.bottom - 1},
                          {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}};
  for (const POINT& p : points) {
    HWND at = WindowFromPoint(p);
    if (!at || GetAncestor(at, GA_ROOT) != box) return false;
  }
  return true;
}

BoxIcon RecogniseIcon(HWND box, HWND iconControl) {
  struct Candidate {
    BoxIcon icon;
    LPCWSTR resource;
  };
  const Candidate candidates[] = {
      {BoxIcon::Information, MAKEINTRESOURCEW(32516)},
      {BoxIcon::Exclamation, MAKEINTRESOURCEW(32515)},
      {BoxIcon::Hand, MAKEINTRESOURCEW(32513)},
      {BoxIcon::Question, MAKEINTRESOURCEW(32514)},
  };
  RECT rect;
  GetWindowRect(iconControl, &rect);
  const int width = std::min<int>(rect.right - rect.left, GetSystemMetrics(SM_CXICON));
  const int height = std::min<int>(rect.bottom - rect.top, GetSystemMetrics(SM_CYICON));
  if (width <= 0 || height <= 0) return BoxIcon::None;

  const RECT shownRect = {rect.left, rect.top, rect.left + width, rect.top + height};

  BoxIcon best = BoxIcon::Unrecognised;
  int bestDifference = width * height;
  // The box may not have painted yet, or may lie under another window: read
  // only what shows the box, brought to the top when covered, and look again
  // until one icon matches exactly; settle for a close match only when none
  // ever does.
  WaitUntil([&] {
    if (!ShowsBox(box, shownRect)) {
      SetWindowPos(box, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      return false;
    }
    const Pixels shown = CaptureScreen(rect.left, rect.top, width, height);
    const bool blank = std::all_of(shown.rgb.begin(), shown.rgb.end(),
                                   [&](DWORD v) { return v == shown.rgb.front(); });
    if (blank) return false;
    for (const Candidate& c : candidates) {
      const int d = Difference(shown, DrawSystemIcon(c.resource, width, height, shown.rgb[0]));
      if (d < bestDifference) {
        bestDifference = d;
        best = c.icon;
      }
    }
    return bestDifference == 0;
  });
  if (bestDifference * 20 > width * height) return BoxIcon::Unrecognised;
  return best;
}

}  // namespace

const char* ToString(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::None:
      return "no icon";
    case BoxIcon::Information:
      return "information icon";
    case BoxIcon::Exclamation:
      return "exclamation icon";
    case BoxIcon::Hand:
      return "hand (error) icon";
    case BoxIcon::Question:
      return "question icon";
    case BoxIcon::Unrecognised:
      break;
  }
  return "an icon that is no system icon";
}

std::wstring NormaliseLineBreaks(std::wstring text) {
  for (size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", at)) {
    text.erase(at, 1);
  }
  return text;
}

MessageBoxInfo ReadMessageBox(HWND box) {
  MessageBoxInfo info;
  info.hwnd = box;
  info.owner = GetWindow(box, GW_OWNER);
  info.title = WindowText(box);
  HWND iconControl = nullptr;
  HWND textControl = nullptr;
  HWND largestStatic = nullptr;
  LONG largestArea = -1;
  for (HWND child : Descendants(box)) {
    if (IsClass(child, L"Static")) {
      if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        iconControl = child;
      } else if (GetDlgCtrlID(child) == kBoxTextId) {
        textControl = child;
      } else {
        RECT r;
        GetWindowRect(child, &r);
        const LONG area = (r.right - r.left) * (r.bottom - r.top);
        if (area > largestArea) {
          largestArea = area;
          largestStatic = child;
        }
      }
    } else if (IsClass(child, L"Button")) {
      info.buttons.push_back(WindowText(child));
    }
  }
  // Boxes built elsewhere may not number their text; then it is the largest
  // static that is no icon.
  if (!textControl) textControl = largestStatic;
  if (textControl) info.text = WindowText(textControl);
  if (!iconControl || !IsWindowVisible(iconControl) ||
      !SendMessageW(iconControl, STM_GETICON, 0, 0)) {
    info.icon = BoxIcon::None;
  } else {
    info.icon = RecogniseIcon(box, iconControl);
  }
  return info;
}

std::vector<HWND> App::MessageBoxes() const {
  std::vector<HWND> found;
  for (HWND hwnd : TopLevelWindowsOf(pid_)) {
    if (IsClass(hwnd, L"#32770") && IsWindowVisible(hwnd)) found.push_back(hwnd);
  }
  return found;
}

std::optional<MessageBoxInfo> App::WaitForMessageBox() {
  HWND box = nullptr;
  WaitUntil([&] {
    const std::vector<HWND> boxes = MessageBoxes();
    if (!boxes.empty()) box = boxes.front();
    return box != nullptr || !Running();
  });
  if (!box) return std::nullopt;
  return ReadMessageBox(box);
}

bool App::PressOk(const MessageBoxInfo& box) {
  HWND ok = GetDlgItem(box.hwnd, IDOK);
  // Posted, like a real click: the box's modal loop picks it up in turn.
  if (ok) {
    PostMessageW(ok, BM_CLICK, 0, 0);
  } else {
    PostMessageW(box.hwnd, WM_COMMAND, IDOK, 0);
  }
  if (!WaitUntil([&] { return !IsWindow(box.hwnd); })) return false;
  // Twice: the first may be handled while the box is being taken down, the
  // second only once the handler has gone on.
  return !main_ || (Sync() && Sync());
}

}  // namespace lnf::e2e
