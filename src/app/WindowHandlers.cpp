#include "app/WindowHandlers.h"

#include "form/MainForm.h"

namespace lnf {

namespace {

// Shows one inventory frame and hides the other two. Which frame changes
// first does not matter: the view catches up only when the handler ends.
void ShowOnlyFrame(MainForm& form, ControlId shown) {
  for (ControlId frame : {kOuFrame, kV3Frame, kV4frame}) form.SetVisible(frame, frame == shown);
}

}  // namespace

bool ScreenNeedsWarning(int width, int height) { return width < 800 && height < 600; }

void Form_Load(MainForm& form) {
  SystemInfo& system = form.system();
  const int width = system.ScreenWidth();
  const int height = system.ScreenHeight();
  if (ScreenNeedsWarning(width, height)) {
    form.ShowMessage(
        "This program runs better with a resolution of 800x600 or bigger. With your current "
        "resolution, you won't be able to see the logging console.",
        kBoxExclamation, "Tallyglass");
  }
  form.Hide(kNoInvText);
}

std::string AboutText(const VersionNumbers& version) {
  return "Lanternfall Tallyglass Tool\r\n\r\nMade by Quillmoor\r\n\r\nVersion " +
         std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
         std::to_string(version.revision);
}

void Command2_Click(MainForm& form) {
  form.ShowMessage(AboutText(form.system().GetVersion()), kBoxInformation, "About...");
}

void ouBtn_Click(MainForm& form) { ShowOnlyFrame(form, kOuFrame); }
void v3btn_Click(MainForm& form) { ShowOnlyFrame(form, kV3Frame); }
void v4btn_Click(MainForm& form) { ShowOnlyFrame(form, kV4frame); }

}  // namespace lnf
