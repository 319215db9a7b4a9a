#include "app/win32/MainWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "app/win32/ControlStyle.h"
#include "app/win32/LabelInk.h"
#include "app/win32/WindowApi.h"
#include "win32/WindowsFamily.h"

namespace lnf {

namespace {

constexpr const char* kClassName = "LanternfallTallyglass";
constexpr int kIconResource = 1;

// What a text box can hold. Windows 9x keeps a multi-line edit's text in a
// 64 KB segment of its own, whatever EM_LIMITTEXT asks for; the form counts
// bytes of UTF-8, at least as many as the control's ANSI text takes, and
// leaves the segment some room. On the NT family EM_LIMITTEXT 0 allows some two
// billion characters; the bound there only keeps a log without end from
// eating the memory.
constexpr std::size_t kWindows9xTextCapacity = 60000;
constexpr std::size_t kNtTextCapacity = 16u * 1024 * 1024;

}  // namespace

WNDPROC MainWindow::buttonProc_ = nullptr;

MainWindow::MainWindow(MainForm& form, HINSTANCE instance) : form_(form), instance_(instance) {}

// The window goes first; the fonts and the icon it uses go after it, with
// their owners.
MainWindow::~MainWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool MainWindow::Create() {
  {
    const ScreenDc screen(GetDC(nullptr));
    dpiX_ = GetDeviceCaps(screen.get(), LOGPIXELSX);
    dpiY_ = GetDeviceCaps(screen.get(), LOGPIXELSY);
  }

  icon_ = LoadIconA(instance_, MAKEINTRESOURCEA(kIconResource));
  smallIcon_.Reset(static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(kIconResource),
                                                 IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), 0)));

  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  wc.hIcon = icon_;
  wc.hIconSm = smallIcon_.get();
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

  form_.SetTextCapacity(IsNtFamily() ? kNtTextCapacity : kWindows9xTextCapacity);
  CreateFonts();
  CreateControls();
  StackControls();
  return true;
}

void MainWindow::CreateFonts() {
  for (std::size_t i = 0; i < fonts_.size(); ++i) {
    const FontSpec font = DescribeFont(static_cast<FontId>(i));
    // ANSI_CHARSET on NT too, where the controls' text is Unicode: the
    // character set takes part in choosing the font, not in what text it
    // may show, and the window is designed with these faces in the ANSI
    // set; asking for another set can make the system map another face.
    fonts_[i].Reset(CreateFontA(-MulDiv(font.hundredthsOfPoint, dpiY_, 7200), 0, 0, 0,
                                font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH | FF_DONTCARE, font.face));
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
    const ControlState& state = form_.StateOf(row.id);
    const HWND control = CreateControl(row, state);
    controls_[Index(row.id)] = control;

    if (row.kind == ControlKind::PictureBox) {
      // Setting the icon shrinks the static to the icon's size; the box keeps
      // its own, with the icon unscaled at its top-left corner.
      const RECT r = PixelRect(row);
      win::Send(control, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
      SetWindowPos(control, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      continue;
    }
    win::Send(control, WM_SETFONT,
              reinterpret_cast<WPARAM>(fonts_[static_cast<int>(row.font)].get()), FALSE);
    if (RunsIntoALabelBeside(row.id)) {
      FitLabelToText(row, state.text);
    } else if (row.kind == ControlKind::TextBox) {
      // 0: as much as the system allows (about 64 KiB on Windows 9x).
      win::Send(control, EM_LIMITTEXT, 0, 0);
    } else if (row.kind == ControlKind::Frame) {
      buttonProc_ = win::ReplaceWindowProc(control, FrameProc);
    }
  }
  shown_.Adopt(form_);
}

HWND MainWindow::CreateControl(const ControlSpec& row, const ControlState& state) {
  // Containers come before their contents in the table, so the parent exists.
  const HWND parent = row.container == kNoControl ? hwnd_ : Handle(row.container);
  const ControlClass kind = ClassAndStyleOf(row, state.visible);
  const RECT r = PixelRect(row);
  return win::CreateWindowUtf8(kind.exStyle, kind.className,
                               row.kind == ControlKind::PictureBox ? std::string() : state.text,
                               kind.style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                               parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)),
                               instance_, nullptr);
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
  GdiObject<HRGN> shape(CreateRectRgn(0, 0, 0, 0));
  if (!shape.IsSet()) return;
  for (const RECT& line :
       InkLines(fonts_[static_cast<int>(row.font)].get(), text, width, height, format)) {
    const GdiObject<HRGN> part(CreateRectRgn(line.left, line.top, line.right, line.bottom));
    if (part.IsSet()) CombineRgn(shape.get(), shape.get(), part.get(), RGN_OR);
  }
  // The system owns the region from here on, unless it refuses it.
  if (SetWindowRgn(Handle(row.id), shape.get(), TRUE)) shape.Release();
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
  const std::vector<ViewChange> changes = shown_.CatchUp(form);
  if (changes.empty()) return;
  for (const ViewChange& change : changes) CarryOut(change);
  KeepFocusOnScreen();
  // Painted now, not when the handler ends: a long backup shows its log up
  // to the last message box.
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void MainWindow::CarryOut(const ViewChange& change) {
  const HWND control = Handle(change.control);
  switch (change.kind) {
    case ViewChange::Kind::Show:
      ShowWindow(control, SW_SHOWNA);
      break;
    case ViewChange::Kind::Hide:
      ShowWindow(control, SW_HIDE);
      break;
    case ViewChange::Kind::FitLabel:
      FitLabelToText(SpecOf(change.control), change.text);
      break;
    case ViewChange::Kind::SetText:
    case ViewChange::Kind::ResetConsole:
      win::SetWindowTextUtf8(control, change.text);
      break;
    case ViewChange::Kind::AppendConsole:
      AppendConsoleTail(change.text);
      break;
  }
}

// Keeps the user's selection and scroll position where they were.
void MainWindow::AppendConsoleTail(const std::string& tail) {
  HWND console = Handle(kLogConsole);
  DWORD selStart = 0;
  DWORD selEnd = 0;
  win::Send(console, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
            reinterpret_cast<LPARAM>(&selEnd));
  const LRESULT firstLine = win::Send(console, EM_GETFIRSTVISIBLELINE, 0, 0);

  win::Send(console, WM_SETREDRAW, FALSE, 0);
  const int end = win::WindowTextLength(console);
  win::Send(console, EM_SETSEL, end, end);
  win::ReplaceSelectionUtf8(console, tail);
  win::Send(console, EM_SETSEL, selStart, selEnd);
  const LRESULT nowFirst = win::Send(console, EM_GETFIRSTVISIBLELINE, 0, 0);
  if (nowFirst != firstLine) win::Send(console, EM_LINESCROLL, 0, firstLine - nowFirst);
  win::Send(console, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(console, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

}  // namespace lnf
