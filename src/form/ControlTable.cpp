#include "form/ControlTable.h"

namespace lnf {

namespace {

constexpr ControlKind kPicture = ControlKind::PictureBox;
constexpr ControlKind kFrame = ControlKind::Frame;
constexpr ControlKind kLabel = ControlKind::Label;
constexpr ControlKind kButton = ControlKind::PushButton;
constexpr ControlKind kText = ControlKind::TextBox;

constexpr FontId kDef = FontId::Default;
constexpr FontId kB825 = FontId::SansBold825;
constexpr FontId kB975 = FontId::SansBold975;
constexpr FontId kB12 = FontId::SansBold12;
constexpr FontId kArial = FontId::ArialBold1425;

constexpr Align kL = Align::Left;
constexpr Align kC = Align::Center;

// A separator line: 100 underscores.
constexpr const char* kSeparator =
    "__________________________________________________"
    "__________________________________________________";

constexpr const char* kBackupNoteV3 =
    "This inventory will be copied to %systemdrive%\\LNF_INV\\V3 for safety. Once the copy has "
    "completed, please send its contents to the Lanternfall team, either via Discord or through "
    "email. Thank you in advance!";
constexpr const char* kBackupNoteV4 =
    "This inventory will be copied to %systemdrive%\\LNF_INV\\V4 for safety. Once the copy has "
    "completed, please send its contents to the Lanternfall team, either via Discord or through "
    "email. Thank you in advance!";
constexpr const char* kBackupNoteOU =
    "This inventory will be copied to %systemdrive%\\LNF_INV\\OU for safety. Once the copy has "
    "completed, please send its contents to the Lanternfall team, either via Discord or through "
    "email. Thank you in advance!";
constexpr const char* kV4Explanation =
    "V4 inventories rely on \"iuhist.xml\" and \"Windows Update.log\" only, compared to V2/V3.1 "
    "inventories, which rely on multiple CAB files. Files like \"iuident.cab \\ .txt\" and "
    "\"ident.cab\" are ActiveX control, which we do not need.";
constexpr const char* kOUExplanation =
    "Office Update inventories may vary a lot depending on the site version you used. "
    "Everything that's in this directory will be backed up for safety, no matter the "
    "directory's contents.";
constexpr const char* kNoInventoryText =
    "The Tallyglass did not find any inventories that we could use on your system. If you think "
    "the tool got that wrong, please get in touch with is through Discord or email. Thank you!";
constexpr const char* kWelcome =
    "Welcome to the Lanternfall Tallyglass! This tool will check your computer for original "
    "Windows Update inventories, and give you more details about them, as well as if they can be "
    "useful to Lanternfall.";

}  // namespace

// In the window's creation order: the row number plus 100 is the control ID.
// clang-format off
const std::array<ControlSpec, kControlCount> kControls = {{
  // id              name              kind     inside        caption                                   shown  left  top   width height font  tab tip      align red
  {kPicture1,        "Picture1",       kPicture, kNoControl,  "",                                       true,  120,  1200, 615,  495,  kDef,  0,  nullptr, kL, false},
  {kOuFrame,         "ouFrame",        kFrame,  kNoControl,   "Office Update inventories",              false, 120,  2640, 9015, 3975, kDef,  0,  nullptr, kL, false},
  {kFrame4,          "Frame4",         kFrame,  kOuFrame,     "Backup Inventory",                       true,  5160, 1560, 3735, 2295, kB825, 0,  nullptr, kL, false},
  {kCommand5,        "Command5",       kButton, kFrame4,      "BACKUP INVENTORY NOW",                   true,  120,  1680, 3495, 495,  kDef,  12, nullptr, kL, false},
  {kLabel18,         "Label18",        kLabel,  kFrame4,      kBackupNoteOU,                            true,  120,  240,  3495, 1335, kDef,  0,  nullptr, kL, false},
  {kOuInvFilesList,  "ouInvFilesList", kText,   kOuFrame,     "",                                       true,  120,  480,  4815, 3375, kDef,  11, nullptr, kL, false},
  {kLabel21,         "Label21",        kLabel,  kOuFrame,     "Additional Information",                 true,  5160, 240,  2055, 255,  kB825, 0,  nullptr, kL, false},
  {kLabel20,         "Label20",        kLabel,  kOuFrame,     "Inventory files found",                  true,  120,  240,  4095, 255,  kB825, 0,  nullptr, kL, false},
  {kLabel19,         "Label19",        kLabel,  kOuFrame,     kOUExplanation,                           true,  5160, 480,  3735, 975,  kDef,  0,  nullptr, kL, false},
  {kV4frame,         "v4frame",        kFrame,  kNoControl,   "Windows Update V4 inventories",          false, 120,  2640, 9015, 3975, kDef,  0,  nullptr, kL, false},
  {kV4InvFilesList,  "v4InvFilesList", kText,   kV4frame,     "",                                       true,  120,  480,  4815, 3375, kDef,  10, nullptr, kL, false},
  {kFrame3,          "Frame3",         kFrame,  kV4frame,     "Backup Inventory",                       true,  5160, 1560, 3735, 2295, kB825, 0,  nullptr, kL, false},
  {kCommand4,        "Command4",       kButton, kFrame3,      "BACKUP INVENTORY NOW",                   true,  120,  1680, 3495, 495,  kDef,  9,  nullptr, kL, false},
  {kLabel16,         "Label16",        kLabel,  kFrame3,      kBackupNoteV4,                            true,  120,  240,  3495, 1335, kDef,  0,  nullptr, kL, false},
  {kLabel17,         "Label17",        kLabel,  kV4frame,     kV4Explanation,                           true,  5160, 480,  3735, 975,  kDef,  0,  nullptr, kL, false},
  {kLabel24,         "Label24",        kLabel,  kV4frame,     "Inventory files found",                  true,  120,  240,  4095, 255,  kB825, 0,  nullptr, kL, false},
  {kLabel23,         "Label23",        kLabel,  kV4frame,     "Additional Information",                 true,  5160, 240,  2055, 255,  kB825, 0,  nullptr, kL, false},
  {kLogConsole,      "LogConsole",     kText,   kNoControl,   "Everything that this tool does will be logged here.", true, 120, 6960, 9015, 1335, kDef, 8, nullptr, kL, false},
  {kOuBtn,           "ouBtn",          kButton, kNoControl,   "Office Update",                          false, 5400, 2040, 2535, 495,  kDef,  5,  nullptr, kL, false},
  {kV3Frame,         "v3Frame",        kFrame,  kNoControl,   "Windows Update V2/V3.1 inventories",     false, 120,  2640, 9015, 3975, kDef,  0,  nullptr, kL, false},
  {kFrame1,          "Frame1",         kFrame,  kV3Frame,     "Backup Inventory",                       true,  5160, 1560, 3735, 2295, kB825, 0,  nullptr, kL, false},
  {kCommand3,        "Command3",       kButton, kFrame1,      "BACKUP INVENTORY NOW",                   true,  120,  1680, 3495, 495,  kDef,  7,  nullptr, kL, false},
  {kLabel14,         "Label14",        kLabel,  kFrame1,      kBackupNoteV3,                            true,  120,  240,  3495, 1335, kDef,  0,  nullptr, kL, false},
  {kV3InvFilesList,  "v3InvFilesList", kText,   kV3Frame,     "",                                       true,  120,  480,  4815, 3375, kDef,  6,  nullptr, kL, false},
  {kLabel13,         "Label13",        kLabel,  kV3Frame,     "Unknown",                                true,  6480, 1200, 2415, 255,  kDef,  0,  nullptr, kL, false},
  {kLabel12,         "Label12",        kLabel,  kV3Frame,     "Windows version:",                       true,  5160, 1200, 1335, 255,  kDef,  0,  nullptr, kL, false},
  {kLabel11,         "Label11",        kLabel,  kV3Frame,     "Unknown",                                true,  6960, 840,  855,  255,  kDef,  0,  nullptr, kL, false},
  {kLabel10,         "Label10",        kLabel,  kV3Frame,     "Internet Explorer version:",             true,  5160, 840,  1935, 255,  kDef,  0,  nullptr, kL, false},
  {kLabel9,          "Label9",         kLabel,  kV3Frame,     "Unknown",                                true,  6000, 480,  1455, 255,  kDef,  0,  nullptr, kL, false},
  {kLabel8,          "Label8",         kLabel,  kV3Frame,     "Language:",                              true,  5160, 480,  855,  255,  kDef,  0,  nullptr, kL, false},
  {kLabel7,          "Label7",         kLabel,  kV3Frame,     "Inventory Information",                  true,  5160, 240,  2055, 255,  kB825, 0,  nullptr, kL, false},
  {kLabel6,          "Label6",         kLabel,  kV3Frame,     "Inventory files found",                  true,  120,  240,  4095, 255,  kB825, 0,  nullptr, kL, false},
  {kV4btn,           "v4btn",          kButton, kNoControl,   "Windows Update V4",                      false, 2760, 2040, 2535, 495,  kDef,  4,  nullptr, kL, false},
  {kV3btn,           "v3btn",          kButton, kNoControl,   "Windows Update V2/V3.1",                 false, 120,  2040, 2535, 495,  kDef,  3,  nullptr, kL, false},
  {kCommand2,        "Command2",       kButton, kNoControl,   "About...",                               true,  7920, 0,    1335, 375,  kDef,  2,  nullptr, kL, false},
  {kCommand1,        "Command1",       kButton, kNoControl,   "Check now!",                             true,  6960, 1200, 2175, 495,  kB975, 1,  "Start the inventory check now!", kL, false},
  {kSelectText,      "SelectText",     kLabel,  kNoControl,   "Click on \"Check now!\" and select a category to see your inventories!", true, 1920, 3960, 5535, 615, kB975, 0, nullptr, kC, false},
  {kLabel15,         "Label15",        kLabel,  kNoControl,   "Logging Console",                        true,  120,  6720, 2295, 255,  kB825, 0,  nullptr, kL, false},
  {kLabel5,          "Label5",         kLabel,  kNoControl,   kSeparator,                               true,  120,  1680, 9015, 255,  kDef,  0,  nullptr, kL, false},
  {kNoInvText,       "noInvText",      kLabel,  kNoControl,   kNoInventoryText,                         true,  240,  3840, 8775, 615,  kDef,  0,  nullptr, kL, false},
  {kNoInvLbl,        "noInvLbl",       kLabel,  kNoControl,   "No Windows Update inventories found!",   false, 2280, 3480, 4815, 375,  kB12,  0,  nullptr, kL, true},
  {kLabel4,          "Label4",         kLabel,  kNoControl,   kSeparator,                               true,  120,  840,  9015, 255,  kDef,  0,  nullptr, kL, false},
  {kLabel3,          "Label3",         kLabel,  kNoControl,   "Check for inventories ->",               true,  720,  1320, 2895, 375,  kB12,  0,  nullptr, kL, false},
  {kLabel2,          "Label2",         kLabel,  kNoControl,   kWelcome,                                 true,  120,  480,  9255, 495,  kDef,  0,  nullptr, kL, false},
  {kLabel1,          "Label1",         kLabel,  kNoControl,   "Lanternfall Tallyglass",                 true,  120,  120,  6855, 375,  kArial, 0, nullptr, kL, false},
}};
// clang-format on

const ControlSpec& SpecOf(ControlId id) {
  return kControls[static_cast<int>(id) - kFirstControlId];
}

FontSpec DescribeFont(FontId font) {
  switch (font) {
    case FontId::SansBold825:
      return {"MS Sans Serif", 825, true};
    case FontId::SansBold975:
      return {"MS Sans Serif", 975, true};
    case FontId::SansBold12:
      return {"MS Sans Serif", 1200, true};
    case FontId::ArialBold1425:
      return {"Arial", 1425, true};
    case FontId::Default:
      break;
  }
  return {"MS Sans Serif", 825, false};
}

}  // namespace lnf
