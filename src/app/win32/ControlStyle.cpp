#include "app/win32/ControlStyle.h"

namespace lnf {

ControlClass ClassAndStyleOf(const ControlSpec& row, bool visible) {
  // Every control starts a group of its own, so that the dialog manager's
  // arrow keys never walk the focus onto a label.
  const DWORD common = WS_CHILD | WS_CLIPSIBLINGS | WS_GROUP | (visible ? WS_VISIBLE : 0);
  switch (row.kind) {
    case ControlKind::Frame:
      // A control parent, so that Tab enters it.
      return {"BUTTON", common | BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlKind::PushButton:
      return {"BUTTON", common | BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::TextBox:
      // Read-only rather than disabled: the user can still select and copy.
      return {"EDIT",
              common | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
              WS_EX_CLIENTEDGE};
    case ControlKind::Label:
      return {"STATIC", common | SS_NOPREFIX | (row.align == Align::Center ? SS_CENTER : SS_LEFT),
              0};
    case ControlKind::PictureBox:
      return {"STATIC", common | SS_ICON, 0};
  }
  return {"STATIC", common, 0};
}

}  // namespace lnf
