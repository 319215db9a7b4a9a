// "Check now!": derives the client folders from windir, decides which
// inventory kinds the machine holds, and lists each kind found.
#pragma once

#include <string>

namespace lnf {

class MainForm;

void Command1_Click(MainForm& form);

// The check's decisions over the path variables as they are set (by the
// check itself, or for another installation by what its drive holds): the
// gate on WUDIR, the probes and each kind's listing, with their log entries.
void CheckClientFolders(MainForm& form);

void GetV3Inventories(MainForm& form, std::string WUDIR);
void GetV4Inventories(MainForm& form, std::string WUDIR);
void GetOUInventories(MainForm& form, std::string OUDIR);

// The decoded values a V2/V3.1 file name gives, if any.
// Language: the name minus its last four characters (not bytes), for a name
// ending in "gng" (empty when it is shorter than four). Configuration code: the first
// five characters of a name ending in "as".
bool EndsWith(const std::string& text, const std::string& ending);
std::string LanguageOf(const std::string& name);
std::string ConfigurationCodeOf(const std::string& name);

}  // namespace lnf
