#include "app/win32/MainWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "app/win32/StackingOrder.h"
#include "app/win32/WindowApi.h"

namespace lnf {

namespace {

constexpr const char* kClassName = "LanternfallTallyglass";
constexpr int kIconResource = 1;
constexpr COLORREF kDarkRed = RGB(192, 0, 0);

// What a text box can hold. Windows 9x keeps a multi-line edit's text in a
// 64 KB segment of its own, whatever EM_LIMITTEXT asks for; the form counts
// bytes of UTF-8, at least as many as the control's ANSI text takes, and
// leaves the segment some room. On the NT family EM_LIMITTEXT 0 allows some two
// billion characters; the bound there only keeps a log without end from
// eating the memory.
constexpr std::size_t kWindows9xTextCapacity = 60000;
constexpr std::size_t kNtTextCapacity = 16u * 1024 * 1024;

bool TakesClicks(ControlId id) { return SpecOf(id).kind == ControlKind::PushButton; }

// Where `text` colours pixels when drawn as a static control draws it: in
// `font`, with `format`, in a box `width` by `height`. One rectangle per line
// of text, its full height and from its first inked column to its last, so
// that the blank end of a short line is not counted, nor is a gap left
// between two lines. Drawn off screen in a bitmap of the screen's own
// format, so that font smoothing touches the same pixels as on screen; white
// on black, because black reads back as zero from every pixel format. The
// whole box when it cannot be told.
std::vector<RECT> InkLines(HFONT font, const std::string& text, int width, int height,
                           UINT format) {
  std::vector<RECT> lines;
  if (text.empty() || width <= 0 || height <= 0) return lines;
  bool read = false;
  HDC screen = GetDC(nullptr);
  HDC canvasDc = CreateCompatibleDC(screen);
  HBITMAP canvas = CreateCompatibleBitmap(screen, width, height);
  if (canvasDc && canvas) {
    HGDIOBJ oldBitmap = SelectObject(canvasDc, canvas);
    HGDIOBJ oldFont = SelectObject(canvasDc, font);
    RECT all = {0, 0, width, height};
    FillRect(canvasDc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetTextColor(canvasDc, RGB(255, 255, 255));
    SetBkMode(canvasDc, TRANSPARENT);
    win::DrawTextUtf8(canvasDc, text, all, format);
    // DrawText sets its lines one font height apart.
    TEXTMETRICA metrics = {};
    const int lineHeight =
        GetTextMetricsA(canvasDc, &metrics) && metrics.tmHeight > 0 ? metrics.tmHeight : height;
    SelectObject(canvasDc, oldFont);
    SelectObject(canvasDc, oldBitmap);

    // Bottom-up rows of 32 bits, the one layout every version reads back.
    BITMAPINFO layout = {};
    layout.bmiHeader.biSize = sizeof(layout.bmiHeader);
    layout.bmiHeader.biWidth = width;
    layout.bmiHeader.biHeight = height;
    layout.bmiHeader.biPlanes = 1;
    layout.bmiHeader.biBitCount = 32;
    layout.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<std::size_t>(width) * height);
    if (GetDIBits(screen, canvas, 0, height, pixels.data(), &layout, DIB_RGB_COLORS) == height) {
      read = true;
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
    }
  }
  if (canvas) DeleteObject(canvas);
  if (canvasDc) DeleteDC(canvasDc);
  ReleaseDC(nullptr, screen);
  if (!read) lines.assign(1, RECT{0, 0, width, height});
  return lines;
}

}  // namespace

WNDPROC MainWindow::buttonProc_ = nullptr;

MainWindow::MainWindow(MainForm& form, HINSTANCE instance) : form_(form), instance_(instance) {}

MainWindow::~MainWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
  for (HFONT font : fonts_) {
    if (font) DeleteObject(font);
  }
  if (smallIcon_) DestroyIcon(smallIcon_);
}

bool MainWindow::Create() {
  HDC screen = GetDC(nullptr);
  dpiX_ = GetDeviceCaps(screen, LOGPIXELSX);
  dpiY_ = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);

  icon_ = LoadIconA(instance_, MAKEINTRESOURCEA(kIconResource));
  smallIcon_ = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(kIconResource), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));

  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  wc.hIcon = icon_;
  wc.hIconSm = smallIcon_;
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  if (!win::RegisterWindowClass(wc)) return false;

  // A fixed single border: no sizing frame and no maximize box.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT outer = {0, 0, TwipsToPixels(kClientWidthTwips, dpiX_),
                TwipsToPixels(kClientHeightTwips, dpiY_)};
  AdjustWindowRectEx(&outer, style, FALSE, 0);
  outerSize_ = {outer.right - outer.left, outer.bottom - outer.top};
  const int width = outerSize_.x;
  const int height = outerSize_.y;

  // Centred on the work area, but never with the title bar above or left of
  // it: on a screen smaller than the window that bar is the only handle by
  // which the user can move the window.
  RECT work;
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
    work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  const int x = std::max<int>(work.left, work.left + (work.right - work.left - width) / 2);
  const int y = std::max<int>(work.top, work.top + (work.bottom - work.top - height) / 2);

  hwnd_ = win::CreateWindowUtf8(0, kClassName, kWindowCaption, style, x, y, width, height, nullptr,
                                nullptr, instance_, this);
  if (!hwnd_) return false;
  pump_.Attach(hwnd_);
  // The size again: the system asks for the size limits before the window
  // can answer, and cuts a window taller than the screen down to it.
  SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

  // The high bit of GetVersion is set on Windows 9x only.
  form_.SetTextCapacity((::GetVersion() & 0x80000000u) != 0 ? kWindows9xTextCapacity
                                                            : kNtTextCapacity);
  CreateFonts();
  CreateControls();
  StackControls();
  return true;
}

void MainWindow::CreateFonts() {
  for (std::size_t i = 0; i < fonts_.size(); ++i) {
    const FontSpec font = DescribeFont(static_cast<FontId>(i));
    fonts_[i] = CreateFontA(-MulDiv(font.hundredthsOfPoint, dpiY_, 7200), 0, 0, 0,
                            font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, font.face);
  }
}

RECT MainWindow::PixelRect(const ControlSpec& row) const {
  const int left = TwipsToPixels(row.left, dpiX_);
  const int top = TwipsToPixels(row.top, dpiY_);
  return {left, top, left + TwipsToPixels(row.width, dpiX_),
          top + TwipsToPixels(row.height, dpiY_)};
}

void MainWindow::CreateControls() {
  for (const ControlSpec& row : kControls) {
    // Containers come before their contents in the table, so the parent exists.
    HWND parent = row.container == kNoControl ? hwnd_ : Handle(row.container);
    const ControlState& state = form_.StateOf(row.id);

    // Every control starts a group of its own, so that the dialog manager's
    // arrow keys never walk the focus onto a label.
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_GROUP | (state.visible ? WS_VISIBLE : 0);
    DWORD exStyle = 0;
    const char* className = "STATIC";
    switch (row.kind) {
      case ControlKind::Frame:
        // A control parent, so that Tab enters it.
        className = "BUTTON";
        style |= BS_GROUPBOX | WS_CLIPCHILDREN;
        exStyle = WS_EX_CONTROLPARENT;
        break;
      case ControlKind::PushButton:
        className = "BUTTON";
        style |= BS_PUSHBUTTON | WS_TABSTOP;
        break;
      case ControlKind::TextBox:
        // Read-only rather than disabled: the user can still select and copy.
        className = "EDIT";
        style |= ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::Label:
        style |= SS_NOPREFIX | (row.align == Align::Center ? SS_CENTER : SS_LEFT);
        break;
      case ControlKind::PictureBox:
        style |= SS_ICON;
        break;
    }

    const RECT r = PixelRect(row);
    HWND control = win::CreateWindowUtf8(
        exStyle, className, row.kind == ControlKind::PictureBox ? std::string() : state.text, style,
        r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance_, nullptr);
    controls_[Index(row.id)] = control;
    shownVisible_[Index(row.id)] = state.visible;
    shownText_[Index(row.id)] = state.text;

    if (row.kind == ControlKind::PictureBox) {
      // Setting the icon shrinks the static to the icon's size; the box keeps
      // its own, with the icon unscaled at its top-left corner.
      win::Send(control, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
      SetWindowPos(control, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      continue;
    }
    win::Send(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[static_cast<int>(row.font)]),
              FALSE);
    if (RunsIntoALabelBeside(row.id)) {
      FitLabelToText(row, state.text);
    } else if (row.kind == ControlKind::TextBox) {
      // 0: as much as the system allows (about 64 KiB on Windows 9x).
      win::Send(control, EM_LIMITTEXT, 0, 0);
    } else if (row.kind == ControlKind::Frame) {
      buttonProc_ = win::ReplaceWindowProc(control, FrameProc);
    }
  }
  consoleBytesShown_ = form_.Text(kLogConsole).size();
  for (const ControlSpec& row : kControls) form_.StateOf(row.id).changed = false;
}

void MainWindow::StackControls() {
  std::vector<ControlId> containers = {kNoControl};
  for (const ControlSpec& row : kControls) {
    if (row.kind == ControlKind::Frame) containers.push_back(row.id);
  }
  for (ControlId container : containers) {
    HWND above = HWND_TOP;
    for (ControlId id : StackingOrder(container)) {
      SetWindowPos(Handle(id), above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      above = Handle(id);
    }
  }
}

// A label paints its whole box, and some boxes reach into a neighbour's:
// each caption of the V2/V3.1 frame lies above the start of its value. Cut
// down to where its lines of text ink, a label hides nothing with the empty
// rest of its box; its window rectangle and its place in the stack stay.
// The ink rather than DrawText's measure: glyphs may reach a pixel past
// their cells, and a colon's cell runs on past its dots. Fitted before a new
// caption is drawn, so that it is never clipped to the old one's shape; what
// only the old one covered is repainted from beneath.
void MainWindow::FitLabelToText(const ControlSpec& row, const std::string& text) {
  const RECT box = PixelRect(row);
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  const UINT format = (row.align == Align::Center ? DT_CENTER : DT_LEFT) | DT_WORDBREAK |
                      DT_EXPANDTABS | DT_NOPREFIX;
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  if (!shape) return;
  for (const RECT& line :
       InkLines(fonts_[static_cast<int>(row.font)], text, width, height, format)) {
    HRGN part = CreateRectRgn(line.left, line.top, line.right, line.bottom);
    if (part) {
      CombineRgn(shape, shape, part, RGN_OR);
      DeleteObject(part);
    }
  }
  // The system owns the region from here on, unless it refuses it.
  if (!SetWindowRgn(Handle(row.id), shape, TRUE)) DeleteObject(shape);
}

void MainWindow::AddToolTip() {
  for (const ControlSpec& row : kControls) {
    if (!row.toolTip) continue;
    if (!toolTip_) {
      // The common controls library is loaded only now, once the window is
      // up: loading it takes longer than showing the window. Its
      // InitCommonControls registers the tool tip class; InitCommonControlsEx
      // is missing from the first comctl32 of Windows 95.
      const HMODULE controls = LoadLibraryA("comctl32.dll");
      using Init = void(WINAPI*)();
      const Init init = controls ? reinterpret_cast<Init>(reinterpret_cast<void*>(
                                       GetProcAddress(controls, "InitCommonControls")))
                                 : nullptr;
      if (!init) return;
      init();
      toolTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                                 nullptr, instance_, nullptr);
      if (!toolTip_) return;
    }
    // The first version of the structure: the comctl32 of Windows 95 rejects
    // the larger ones of later versions.
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(Handle(row.id));
    tool.uId = reinterpret_cast<UINT_PTR>(Handle(row.id));
    tool.lpszText = const_cast<char*>(row.toolTip);
    SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void MainWindow::Show(int showCommand) {
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  AddToolTip();
  RestoreFocus();
}

int MainWindow::RunMessageLoop() {
  MSG msg;
  while (win::GetNextMessage(msg) > 0) {
    // Tab, Shift+Tab, Space and Enter work as in a dialog box.
    if (!win::IsDialogKey(hwnd_, msg)) win::Dispatch(msg);
  }
  return static_cast<int>(msg.wParam);
}

void MainWindow::Render(MainForm& form) {
  bool changed = false;
  for (const ControlSpec& row : kControls) {
    ControlState& state = form.StateOf(row.id);
    if (!state.changed) continue;
    state.changed = false;
    changed = true;
    const int i = Index(row.id);
    if (state.visible != shownVisible_[i]) {
      ShowWindow(controls_[i], state.visible ? SW_SHOWNA : SW_HIDE);
      shownVisible_[i] = state.visible;
    }
    if (row.id == kLogConsole) {
      AppendConsoleTail(state.text);
    } else if ((row.kind == ControlKind::Label || row.kind == ControlKind::TextBox) &&
               state.text != shownText_[i]) {
      if (RunsIntoALabelBeside(row.id)) FitLabelToText(row, state.text);
      win::SetWindowTextUtf8(controls_[i], state.text);
      shownText_[i] = state.text;
    }
  }
  if (!changed) return;
  KeepFocusOnScreen();
  // Painted now, not when the handler ends: a long backup shows its log up
  // to the last message box.
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// The log only grows, so only its new tail goes to the control: the work per
// entry stays the same however long the log gets, and the user's selection
// and scroll position stay where they were.
void MainWindow::AppendConsoleTail(const std::string& text) {
  HWND console = Handle(kLogConsole);
  // The oldest entries made room for new ones: the whole log anew.
  if (text.size() < consoleBytesShown_ || form_.ConsoleTrims() != consoleTrimsShown_) {
    win::SetWindowTextUtf8(console, text);
    consoleBytesShown_ = text.size();
    consoleTrimsShown_ = form_.ConsoleTrims();
    return;
  }
  if (text.size() == consoleBytesShown_) return;

  DWORD selStart = 0;
  DWORD selEnd = 0;
  win::Send(console, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
            reinterpret_cast<LPARAM>(&selEnd));
  const LRESULT firstLine = win::Send(console, EM_GETFIRSTVISIBLELINE, 0, 0);

  win::Send(console, WM_SETREDRAW, FALSE, 0);
  const int end = win::WindowTextLength(console);
  win::Send(console, EM_SETSEL, end, end);
  win::ReplaceSelectionUtf8(console, text.substr(consoleBytesShown_));
  win::Send(console, EM_SETSEL, selStart, selEnd);
  const LRESULT nowFirst = win::Send(console, EM_GETFIRSTVISIBLELINE, 0, 0);
  if (nowFirst != firstLine) win::Send(console, EM_LINESCROLL, 0, firstLine - nowFirst);
  win::Send(console, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(console, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);

  consoleBytesShown_ = text.size();
}

HWND MainWindow::FindControl(int id) const {
  if (id < kFirstControlId || id >= kFirstControlId + kControlCount) return nullptr;
  return Handle(static_cast<ControlId>(id));
}

ControlId MainWindow::IdOf(HWND control) const {
  if (!control) return kNoControl;
  const int id = GetDlgCtrlID(control);
  return FindControl(id) == control ? static_cast<ControlId>(id) : kNoControl;
}

// Clicks that arrive while a handler works or waits in a message box (sent
// by another program, and delivered while the window keeps answering; the
// user's own input waits in the queue) run after that handler, one at a
// time, never inside it.
void MainWindow::OnClick(ControlId id) {
  pendingClicks_.push_back(id);
  if (handlingClick_) return;
  handlingClick_ = true;
  pump_.Begin();
  while (!pendingClicks_.empty()) {
    const ControlId next = pendingClicks_.front();
    pendingClicks_.pop_front();
    // The form reports its handlers' failures itself; nothing may unwind
    // into the system's code that called this window procedure.
    try {
      form_.Click(next);
    } catch (...) {
    }
  }
  handlingClick_ = false;
  pump_.End();
}

HBRUSH MainWindow::OnCtlColorStatic(HDC dc, HWND control) {
  const ControlId id = IdOf(control);
  if (id != kNoControl && SpecOf(id).kind == ControlKind::TextBox) {
    // Read-only edits ask for a label's colours; text boxes keep the window colour.
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return GetSysColorBrush(COLOR_WINDOW);
  }
  SetTextColor(dc, id != kNoControl && SpecOf(id).darkRed ? kDarkRed : GetSysColor(COLOR_BTNTEXT));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return GetSysColorBrush(COLOR_BTNFACE);
}

void MainWindow::MoveFocus(HWND target) {
  if (!target) return;
  // As the dialog manager does when Tab reaches a text box: select its text.
  if (win::Send(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
    win::Send(target, EM_SETSEL, 0, -1);
  }
  SetFocus(target);
}

void MainWindow::RestoreFocus() {
  // A minimized window keeps the focus on itself.
  if (IsIconic(hwnd_)) return;
  HWND target = focusToRestore_;
  if (!target || !IsWindow(target) || !IsWindowVisible(target)) {
    target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  }
  if (target) SetFocus(target);
}

// A handler may hide the control that has the focus (the check hides the
// frames); the focus then moves on to the next control that is shown.
void MainWindow::KeepFocusOnScreen() {
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_, focus) && !IsWindowVisible(focus)) {
    focusToRestore_ = nullptr;
    RestoreFocus();
  }
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MainWindow* self;
  if (message == WM_NCCREATE) {
    self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    win::SetWindowData(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<MainWindow*>(win::GetWindowData(hwnd, GWL_USERDATA));
  }
  if (!self) return win::DefaultProc(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    win::SetWindowData(hwnd, GWL_USERDATA, 0);
    self->hwnd_ = nullptr;
    return win::DefaultProc(hwnd, message, wParam, lParam);
  }
  return self->OnMessage(message, wParam, lParam);
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT answer = 0;
  if (pump_.Answer(message, wParam, lParam, answer)) return answer;
  switch (message) {
    case WM_COMMAND: {
      if (HIWORD(wParam) != BN_CLICKED) return 0;
      // Enter on a button inside a frame: Windows' dialog manager names the
      // button by its ID alone, as it finds no such control directly in the window.
      const ControlId id =
          lParam ? IdOf(reinterpret_cast<HWND>(lParam)) : IdOf(FindControl(LOWORD(wParam)));
      if (id != kNoControl && TakesClicks(id)) OnClick(id);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(
          OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_ACTIVATE:
      // Without this the focus would land on the window itself when the user
      // comes back to it, and Tab would start from nowhere.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) focusToRestore_ = focus;
      } else if (!HIWORD(wParam)) {
        RestoreFocus();
      }
      return 0;
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case WM_NEXTDLGCTL:
      // Sent by the dialog manager and by a multi-line text box on Tab; a plain
      // window has to do what a dialog box would.
      MoveFocus(LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                               : GetNextDlgTabItem(hwnd_, GetFocus(), wParam != 0));
      return 0;
    case DM_GETDEFID: {
      // Enter clicks the push button that has the focus.
      const ControlId id = IdOf(GetFocus());
      if (id != kNoControl && TakesClicks(id)) return MAKELRESULT(id, DC_HASDEFID);
      return 0;
    }
    case WM_GETMINMAXINFO: {
      // The system would cut the window down to the screen; it keeps its
      // size however small the screen is, console off the edge and all.
      MINMAXINFO* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMaxTrackSize.x = std::max(limits->ptMaxTrackSize.x, outerSize_.x);
      limits->ptMaxTrackSize.y = std::max(limits->ptMaxTrackSize.y, outerSize_.y);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return win::DefaultProc(hwnd_, message, wParam, lParam);
}

// Frames are group boxes, and a group box keeps to itself what its children
// tell their parent. The frames pass it on, so that clicks and colour
// requests from inside them reach the window as from any other control.
LRESULT CALLBACK MainWindow::FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_NEXTDLGCTL:
      return win::Send(GetParent(hwnd), message, wParam, lParam);
    case WM_ERASEBKGND: {
      // A group box leaves its inside unpainted; a shown frame must cover
      // the labels that lie beneath it.
      RECT inside;
      GetClientRect(hwnd, &inside);
      FillRect(reinterpret_cast<HDC>(wParam), &inside, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
  }
  return win::CallProc(buttonProc_, hwnd, message, wParam, lParam);
}

}  // namespace lnf
