// Win32 control IDs of the main window: 100 plus the control's row in the
// window's control list. Screen readers, automation tools and the end-to-end
// tests address controls by these numbers, so they never change.
#pragma once

namespace lnf {

enum ControlId : int {
  kNoControl = 0,
  kPicture1 = 101,
  kOuFrame = 102,
  kFrame4 = 103,
  kCommand5 = 104,
  kLabel18 = 105,
  kOuInvFilesList = 106,
  kLabel21 = 107,
  kLabel20 = 108,
  kLabel19 = 109,
  kV4frame = 110,
  kV4InvFilesList = 111,
  kFrame3 = 112,
  kCommand4 = 113,
  kLabel16 = 114,
  kLabel17 = 115,
  kLabel24 = 116,
  kLabel23 = 117,
  kLogConsole = 118,
  kOuBtn = 119,
  kV3Frame = 120,
  kFrame1 = 121,
  kCommand3 = 122,
  kLabel14 = 123,
  kV3InvFilesList = 124,
  kLabel13 = 125,
  kLabel12 = 126,
  kLabel11 = 127,
  kLabel10 = 128,
  kLabel9 = 129,
  kLabel8 = 130,
  kLabel7 = 131,
  kLabel6 = 132,
  kV4btn = 133,
  kV3btn = 134,
  kCommand2 = 135,
  kCommand1 = 136,
  kSelectText = 137,
  kLabel15 = 138,
  kLabel5 = 139,
  kNoInvText = 140,
  kNoInvLbl = 141,
  kLabel4 = 142,
  kLabel3 = 143,
  kLabel2 = 144,
  kLabel1 = 145,
};

constexpr int kFirstControlId = kPicture1;
constexpr int kControlCount = 45;

}  // namespace lnf
