#include "inventory/InventoryCheck.h"

#include <optional>

#include "codes/MainFunctions.h"
#include "form/MainForm.h"
#include "inventory/Probes.h"
#include "platform/PathText.h"

namespace lnf {

bool EndsWith(const std::string& text, const std::string& ending) {
  return text.size() >= ending.size() &&
         text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

std::string LanguageOf(const std::string& name) {
  // Four characters, not four bytes: the one before "gng" may take several
  // bytes of UTF-8. "gng" itself leaves nothing to keep.
  std::size_t end = name.size();
  for (int cut = 0; cut < 4; ++cut) {
    if (end == 0) return {};
    do {
      --end;
    } while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80);
  }
  return name.substr(0, end);
}

std::string ConfigurationCodeOf(const std::string& name) { return name.substr(0, 5); }

namespace {

void ResetWindow(MainForm& form) {
  form.Hide(kNoInvText);
  form.Hide(kNoInvLbl);
  form.Hide(kV3btn);
  form.Hide(kV4btn);
  form.Hide(kOuBtn);
  form.Hide(kV3Frame);
  form.Hide(kV4frame);
  form.Hide(kOuFrame);
  form.SetText(kV3InvFilesList, "");
  form.SetText(kV4InvFilesList, "");
  form.SetText(kOuInvFilesList, "");
  form.SetText(kLabel9, "Unknown");
  form.SetText(kLabel11, "Unknown");
  form.SetText(kLabel13, "Unknown");
  form.Show(kSelectText);
}

constexpr const char* kFilesFound = ") Files found.";

// The lookups are stateless: the one object serves every listing for as
// long as the program (and so the window) lives.
const MainFunctions kCodeTables;

}  // namespace

void Command1_Click(MainForm& form) {
  FileSystem& files = form.files();
  ResetWindow(form);

  const std::string windir = form.system().GetEnvironmentValue("windir");
  form.SYSDRIVE = windir.substr(0, 1) + ":\\";
  const std::string programFiles = form.SYSDRIVE + "Program Files\\";
  // A client folder missing there is looked for in the system's own
  // program-files folder, which setup names in the system's language
  // ("C:\Programme") or puts elsewhere; the inventories live wherever it is.
  std::optional<std::string> systemProgramFiles;  // read only when needed
  auto clientFolder = [&](const std::string& name) {
    const std::string folder = programFiles + name;
    if (DirectoryExists(files, folder)) return folder;
    if (!systemProgramFiles) systemProgramFiles = form.system().GetProgramFilesFolder();
    // A relative name would be resolved against whatever folder is current.
    if (!IsAbsolutePath(*systemProgramFiles)) return folder;
    const std::string elsewhere = *systemProgramFiles + "\\" + name;
    return DirectoryExists(files, elsewhere) ? elsewhere : folder;
  };
  form.WUDIR = clientFolder("WindowsUpdate");
  form.OUDIR = clientFolder("OfficeUpdate");
  CheckClientFolders(form);
}

void CheckClientFolders(MainForm& form) {
  FileSystem& files = form.files();
  // The folder's own name, without a wildcard: only the filter that returns
  // folders can see it.
  if (!FirstMatch(files, form.WUDIR, EntryFilter::kWithFolders)) {
    form.Show(kNoInvLbl);
    form.Show(kNoInvText);
    form.Hide(kSelectText);
    return;
  }

  // All three are asked, whatever the first answers, so that a probe that
  // fails (an unreadable folder) ends the check here, before any kind has
  // been shown as found.
  const bool v3 = IsV3(files, form.WUDIR);
  const bool v4 = IsV4(files, form.WUDIR);
  const bool ou = IsOU(files, form.OUDIR);
  if (!v3 && !v4 && !ou) {
    form.Show(kNoInvLbl);
    form.Show(kNoInvText);
    return;
  }

  // Each kind is probed once more right before it is listed instead of
  // reusing the answers above: those only chose between the notice and the
  // lists. A kind whose files went since then (the listings before it can
  // take a while on a slow drive) gets no button rather than an empty list.
  if (IsV3(files, form.WUDIR)) {
    form.Show(kV3btn);
    GetV3Inventories(form, form.WUDIR);
    form.AppendLog(kFilesFound);
  }
  if (IsV4(files, form.WUDIR)) {
    form.Show(kV4btn);
    GetV4Inventories(form, form.WUDIR);
    form.AppendLog(kFilesFound);
  }
  if (IsOU(files, form.OUDIR)) {
    form.Show(kOuBtn);
    GetOUInventories(form, form.OUDIR);
    form.AppendLog(kFilesFound);
  }
}

void GetV3Inventories(MainForm& form, std::string WUDIR) {
  form.AppendLog(") Retrieving Windows Update V3.1 inventories...");
  auto listing = form.files().Enumerate(WUDIR + "\\*.*", EntryFilter::kFiles);
  for (std::string name = listing->Next(); !name.empty(); name = listing->Next()) {
    form.AppendFileLine(kV3InvFilesList, name);
    if (EndsWith(name, "gng")) {
      form.SetText(kLabel9, LanguageOf(name));
    } else if (EndsWith(name, "as")) {
      const std::string code = ConfigurationCodeOf(name);
      form.SetText(kLabel11, kCodeTables.GetIEVersion(code));
      form.SetText(kLabel13, kCodeTables.GetWindowsVersion(code));
    }
  }
}

void GetV4Inventories(MainForm& form, std::string WUDIR) {
  FileSystem& files = form.files();
  form.AppendLog(") Retrieving Windows Update V4 inventories...");
  const std::string windir = form.system().GetEnvironmentValue("windir");
  if (FirstMatch(files, windir + "\\Windows Update.log", EntryFilter::kFiles)) {
    form.AppendFileLine(kV4InvFilesList, "Windows Update.log");
  }
  if (FirstMatch(files, WUDIR + "\\V4\\iuhist.xml", EntryFilter::kFiles)) {
    form.AppendFileLine(kV4InvFilesList, "iuhist.xml");
  }
}

void GetOUInventories(MainForm& form, std::string OUDIR) {
  form.AppendLog(") Retrieving Office Update inventories...");
  auto listing = form.files().Enumerate(OUDIR + "\\*.*", EntryFilter::kFiles);
  for (std::string name = listing->Next(); !name.empty(); name = listing->Next()) {
    form.AppendFileLine(kOuInvFilesList, name);
  }
}

}  // namespace lnf
