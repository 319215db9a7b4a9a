// The window's own handlers: start-up, the About box and the category
// selectors. None of them writes to the log.
#pragma once

#include <string>

#include "platform/SystemInfo.h"

namespace lnf {

class MainForm;

void Form_Load(MainForm& form);
void Command2_Click(MainForm& form);
void ouBtn_Click(MainForm& form);
void v3btn_Click(MainForm& form);
void v4btn_Click(MainForm& form);

// Builds the About box text from the version numbers.
std::string AboutText(const VersionNumbers& version);
// True when the screen is too small to show the logging console.
bool ScreenNeedsWarning(int width, int height);

}  // namespace lnf
