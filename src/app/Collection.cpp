#include "app/Collection.h"

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <utility>

#include "app/CollectionPackage.h"
#include "app/CommandLine.h"
#include "backup/BackupPlan.h"
#include "backup/Backups.h"
#include "inventory/InstallationFolders.h"
#include "inventory/InventoryCheck.h"
#include "inventory/Probes.h"
#include "inventory/VersionResource.h"
#include "platform/PathText.h"

namespace lnf {

namespace {

// The kinds in the order a person goes through them; each found one's
// selector shows its frame, then its backup runs through the dispatcher, as
// its button's would. What the backup hands back tells whether it
// completed; a failure is told by the last box it showed.
void BackUpEveryKindFound(MainForm& form, LoggedPrompts& boxes, Collected& run) {
  struct Kind {
    ControlId selector;
    void (*backUp)(MainForm&, BackupResult&);
    BackupResult& result;
    KindOutcome& outcome;
    const char* name;
  };
  const Kind kinds[] = {
      {kV3btn, BackUpV2V31, run.v2v31, run.facts.v2v31, "V2/V3.1"},
      {kV4btn, BackUpV4, run.v4, run.facts.v4, "V4"},
      {kOuBtn, BackUpOfficeUpdate, run.officeUpdate, run.facts.officeUpdate, "Office Update"}};
  for (const Kind& kind : kinds) {
    if (!form.IsVisible(kind.selector)) continue;
    form.Click(kind.selector);
    const std::size_t before = boxes.Count();
    form.Run([&] { kind.backUp(form, kind.result); });
    if (kind.result.completed) {
      kind.outcome.state = KindOutcome::State::BackedUp;
      continue;
    }
    kind.outcome.state = KindOutcome::State::Failed;
    kind.outcome.error =
        boxes.Count() > before ? boxes.LastText() : "The backup ended without a word.";
    run.failed = true;
    run.problems.push_back("[" + std::string(kind.name) +
                           "] Backup failed: " + OneLine(kind.outcome.error));
  }
}

// Beside the package asked for when its folder is there; else in LNF_INV,
// which a script finds whatever went wrong with the path it gave.
std::string LogFileFor(MainForm& form, const std::string& outPath) {
  const std::string folder = FolderOf(outPath);
  if (folder.empty() || DirectoryExists(form.files(), folder)) return outPath + ".log";
  return BackupRoot(form) + "\\" + NameOf(outPath) + ".log";
}

// Where a failed run's log goes when nothing may be written beside the
// package's folder: the package's name with ".log".
void WriteLogFile(MainForm& form, FileStreams& streams, const std::string& logFile,
                  CollectionResult& result) {
  try {
    WriteWhole(form.files(), streams, logFile, form.Text(kLogConsole) + "\r\n");
    result.logFile = logFile;
  } catch (const PlatformError& error) {
    result.problems.push_back("[" + NameOf(logFile) + "] Log not written: " + FailureText(error));
  }
}

// How a run that has packed, or tried to, ends: a failure is told in the log
// file `logFile` (with `folderFirst` made when missing, where that is the
// tool's own LNF_INV), and a success removes an earlier failure's log file
// beside the package, which would tell of a run that is not the last.
void Conclude(MainForm& form, FileStreams& streams, const Collected& run, const std::string& out,
              bool packed, const std::string& logFile, const std::string& folderFirst,
              CollectionResult& result) {
  if (packed) result.package = out;
  result.problems = run.problems;
  if (!packed || run.failed) {
    result.exitCode = kExitFailed;
    try {
      if (!folderFirst.empty() && !DirectoryExists(form.files(), folderFirst)) {
        form.files().CreateFolder(folderFirst);
      }
    } catch (const PlatformError& error) {
      result.problems.push_back("[" + NameOf(logFile) + "] Log not written: " + FailureText(error));
      return;
    }
    WriteLogFile(form, streams, logFile, result);
    return;
  }
  try {
    streams.RemoveFile(out + ".log");
  } catch (const PlatformError&) {
  }
  const KindOutcome::State notFound = KindOutcome::State::NotFound;
  const bool anyFound = run.facts.v2v31.state != notFound || run.facts.v4.state != notFound ||
                        run.facts.officeUpdate.state != notFound;
  result.exitCode = anyFound ? kExitCollected : kExitNothingFound;
}

// Runs `pack` for the package `out`; false, with the run failed and the
// reason logged, when the package could not be written.
bool Packed(MainForm& form, Collected& run, const std::string& out, FunctionRef<void()> pack) {
  try {
    pack();
    return true;
  } catch (const PlatformError& error) {
    Fail(form, run, "[" + NameOf(out) + "] Package not written: " + FailureText(error));
  } catch (const std::exception& error) {
    Fail(form, run, "[" + NameOf(out) + "] Package not written: " + error.what());
  }
  return false;
}

// A fact of the examined installation from a file's version resource, with
// the file it came from; false where none of `candidates` gives one.
bool VersionFrom(FileStreams& streams, const std::vector<std::string>& candidates,
                 FileVersionResource& version, std::string& from) {
  for (const std::string& path : candidates) {
    if (ReadVersionResource(streams, path, version)) {
      from = path;
      return true;
    }
  }
  return false;
}

std::string Hex(std::uint32_t value, int digits) {
  std::string hex;
  while (digits-- > 0) hex += "0123456789ABCDEF"[(value >> (4 * digits)) & 0xF];
  return hex;
}

std::string Dotted(std::initializer_list<int> parts) {
  std::string text;
  for (int part : parts) text += (text.empty() ? "" : ".") + std::to_string(part);
  return text;
}

// The examined installation as the manifest tells it: its drive's volume,
// its Windows folder, and its version, language and Internet Explorer,
// each with the file it came from, "unknown" where nothing tells.
void DescribeExamined(FileStreams& streams, SystemFacts& facts, const InstallationFolders& found,
                      ManifestFacts& manifest) {
  auto& lines = manifest.examined;
  VolumeFacts volume;
  const bool onVolume = facts.GetVolumeFacts(found.root + "\\", volume);
  lines.push_back({"volume-label", !onVolume              ? "unknown"
                                   : volume.label.empty() ? "none"
                                                          : volume.label});
  lines.push_back(
      {"volume-serial",
       onVolume ? Hex(volume.serial >> 16, 4) + "-" + Hex(volume.serial & 0xFFFF, 4) : "unknown"});
  lines.push_back({"windows-folder", found.windir});
  FileVersionResource version;
  std::string file;
  if (VersionFrom(streams, {found.systemFolder + "\\KERNEL32.DLL"}, version, file)) {
    // Windows 95, 98 and Me number their build in the last part
    // (4.10.0.2222 is 98's 4.10.2222), the NT family in the third.
    const int build = version.build ? version.build : version.revision;
    lines.push_back({"windows-version",
                     Dotted({version.major, version.minor, build}) + " (file version " +
                         Dotted({version.major, version.minor, version.build, version.revision}) +
                         ", from " + file + ")"});
    lines.push_back({"language-id", version.language
                                        ? "0x" + Hex(version.language, 4) + " (from " + file + ")"
                                        : std::string("unknown")});
  } else {
    lines.push_back({"windows-version", "unknown"});
    lines.push_back({"language-id", "unknown"});
  }
  // Without a program-files folder the first name would be relative, and
  // read on the current drive.
  std::vector<std::string> browser{found.systemFolder + "\\SHDOCVW.DLL"};
  if (!found.programFiles.empty()) {
    browser.insert(browser.begin(), found.programFiles + "\\Internet Explorer\\IEXPLORE.EXE");
  }
  if (VersionFrom(streams, browser, version, file)) {
    lines.push_back({"internet-explorer",
                     Dotted({version.major, version.minor, version.build, version.revision}) +
                         " (from " + file + ")"});
  } else {
    lines.push_back({"internet-explorer", "unknown"});
  }
}

}  // namespace

std::string PackageNameFrom(const std::string& from) {
  std::string tag;
  for (char c : from) {
    const bool separator = c == '\\' || c == '/' || c == ':';
    if (separator) {
      if (!tag.empty() && tag.back() != '-') tag += '-';
    } else {
      tag += c;
    }
  }
  while (!tag.empty() && tag.back() == '-') tag.pop_back();
  return "LNF_INV-from-" + tag + ".zip";
}

CollectionResult RunCollectionFrom(MainForm& form, LoggedPrompts& boxes, FileStreams& streams,
                                   SystemFacts& facts, const std::string& from,
                                   const std::string& outPath) {
  (void)boxes;
  CollectionResult result;
  Collected run;
  const std::string windir = form.system().GetEnvironmentValue("windir");
  const std::string ownDrive = windir.substr(0, 1) + ":\\";
  const std::string out = outPath.empty() ? ownDrive + PackageNameFrom(from) : outPath;
  auto refuse = [&](int code, const std::string& line) {
    result.exitCode = code;
    result.problems.push_back(line);
    form.AppendLog(") [LNF_INVTOOL] " + line);
  };
  if (DirectoryExists(form.files(), out)) {
    refuse(kExitBadArguments, "/out names a folder, not a file: " + out);
    return result;
  }
  // A relative path names what is current, which a script cannot know;
  // "E:" is the drive's root, as "E:\\" is.
  const std::size_t end = from.find_last_not_of("\\/");
  if (!IsAbsolutePath(from.substr(0, end == std::string::npos ? 0 : end + 1) + "\\")) {
    refuse(kExitBadArguments, "/from needs a full path: " + from);
    return result;
  }
  InstallationFolders found;
  try {
    found = FindInstallationFolders(form.files(), from);
  } catch (const PlatformError& error) {
    refuse(kExitBadArguments, "/from cannot be read: " + FailureText(error));
    return result;
  }
  using Answer = InstallationFolders::Answer;
  if (found.answer == Answer::kRootNotUsable) {
    refuse(kExitBadArguments, "/from names no folder: " + from);
    return result;
  }
  // Not even tried there: the examined drive may be evidence.
  const std::string inside = form.files().UpperCaseName(found.root + "\\");
  if (form.files().UpperCaseName(out).compare(0, inside.size(), inside) == 0) {
    const std::string where = "The package would lie in what /from examines: ";
    refuse(kExitBadArguments,
           where + out + "; nothing is written there, /out names another place.");
    return result;
  }
  if (found.answer != Answer::kFound) {
    std::string folders;
    for (const std::string& folder : found.windowsFolders) folders += " " + folder;
    refuse(kExitNothingFound,
           found.answer == Answer::kNoWindows
               ? "No Windows folder (one holding WIN.INI and SYSTEM or SYSTEM32) in " + from
               : "Several Windows folders in " + from + ", none collected:" + folders);
    WriteLogFile(form, streams, out + ".log", result);
    return result;
  }
  form.AppendLog(") [LNF_INVTOOL] Collecting from " + found.root + "\\: the Windows folder " +
                 found.windir + ".");

  // The examined installation's own path variables and windir, so that its
  // check is the check a person would run there: the same probes, listings
  // and log entries.
  form.SYSDRIVE = found.root + "\\";
  if (found.programFiles.empty()) {
    form.AppendLog(
        ") [LNF_INVTOOL] No program-files folder (Program Files, or one holding "
        "WindowsUpdate or OfficeUpdate) in " +
        found.root + "\\: no client folder to check.");
  }
  const std::string programFiles =
      found.programFiles.empty() ? found.root + "\\Program Files" : found.programFiles;
  form.WUDIR = programFiles + "\\WindowsUpdate";
  form.OUDIR = programFiles + "\\OfficeUpdate";
  run.facts.examinedPath = from;
  DescribeExamined(streams, facts, found, run.facts);
  const std::size_t before = boxes.Count();
  form.Run([&] {
    // For the check alone: the running system's own stays this program's.
    struct Windir {
      SystemInfo& system;
      const std::string own;
      ~Windir() {
        try {
          system.SetEnvironmentValue("windir", own);
        } catch (const PlatformError&) {
        }
      }
    } restored{form.system(), windir};
    form.system().SetEnvironmentValue("windir", found.windir);
    CheckClientFolders(form);
  });
  if (boxes.Count() > before) {
    Fail(form, run, "[" + from + "] Not checked: " + OneLine(boxes.LastText()));
  }
  const bool v3 = form.IsVisible(kV3btn);
  const bool v4 = form.IsVisible(kV4btn);
  const bool ou = form.IsVisible(kOuBtn);
  if (v3) run.facts.v2v31.state = KindOutcome::State::BackedUp;
  if (v4) run.facts.v4.state = KindOutcome::State::BackedUp;
  if (ou) run.facts.officeUpdate.state = KindOutcome::State::BackedUp;
  FileSystem& files = form.files();
  const std::string& wudir = form.WUDIR;
  const std::string& oudir = form.OUDIR;
  // What each kind found takes, as its backup would meet it; what a backup
  // would log or fail on is logged or failed here, with nothing copied.
  std::vector<PlannedFile> plan;
  auto meet = [&](PlannedFile& file) {
    switch (file.take) {
      case Take::kCopy:
        if (!file.dateUnreadable.empty()) TellDateUnreadable(form, file.dateUnreadable);
        plan.push_back(std::move(file));
        break;
      case Take::kNewerThanCutOff:
        form.AppendLog(") [" + file.facts.name +
                       "] File not copied. Reason: file date is newer than 2012.");
        break;
      case Take::kMissing: {
        Fail(form, run, "[V4] File not found: " + file.source);
        KindOutcome& v4 = run.facts.v4;
        v4.error += (v4.state == KindOutcome::State::Failed ? "; " : "") +
                    ("File not found: " + file.source);
        v4.state = KindOutcome::State::Failed;
        break;
      }
      case Take::kFolderLink:
        form.AppendLog(") [" + file.source + "] Folder link not followed.");
        break;
    }
    return true;
  };
  try {
    if (v3) {
      for (PlannedFile& file : PlanV2V31(files, wudir)) meet(file);
    }
    if (v4) {
      for (PlannedFile& file : PlanV4(files, found.windir, wudir)) meet(file);
    }
    if (ou) {
      plan.push_back({BackupKind::kOfficeUpdate, oudir, "OU", {}, true});
      PlanTree(files, oudir, "OU\\", meet);
    }
  } catch (const PlatformError& error) {
    Fail(form, run, "[" + from + "] Not listed: " + FailureText(error));
  }
  const bool packed =
      Packed(form, run, out, [&] { PackPlan(form, streams, facts, run, plan, out); });
  // Nothing is written on the examined drive: the log file goes beside the
  // package asked for, on the collecting side.
  Conclude(form, streams, run, out, packed, out + ".log", {}, result);
  return result;
}

void LoggedPrompts::ShowModalMessage(const std::string& text, int, const std::string& title) {
  ++count_;
  lastText_ = text;
  if (form_) form_->AppendLog(") [" + title + "] " + OneLine(text));
}

CollectionResult RunCollection(MainForm& form, LoggedPrompts& boxes, FileStreams& streams,
                               SystemFacts& facts, const std::string& outPath) {
  CollectionResult result;
  Collected run;
  form.Click(kCommand1);
  const std::string out = outPath.empty() ? BackupRoot(form) + ".zip" : outPath;
  // Refused before anything is written: exit code 3 means nothing was done.
  if (DirectoryExists(form.files(), out)) {
    result.exitCode = kExitBadArguments;
    result.problems.push_back("/out names a folder, not a file: " + out);
    form.AppendLog(") [LNF_INVTOOL] " + result.problems.back());
    return result;
  }
  BackUpEveryKindFound(form, boxes, run);
  const bool packed = Packed(form, run, out, [&] { Pack(form, streams, facts, run, out); });
  // Where a script finds why, beside the package it asked for, else in
  // LNF_INV.
  const std::string logFile = LogFileFor(form, out);
  const bool inBackupRoot =
      logFile.compare(0, BackupRoot(form).size() + 1, BackupRoot(form) + "\\") == 0;
  Conclude(form, streams, run, out, packed, logFile, inBackupRoot ? BackupRoot(form) : "", result);
  return result;
}

std::vector<std::string> StarterLines(const CollectionResult& result) {
  std::vector<std::string> lines;
  for (const std::string& problem : result.problems) lines.push_back("LNF_INVTOOL: " + problem);
  std::string last = "LNF_INVTOOL: exit code " + std::to_string(result.exitCode);
  if (!result.package.empty()) last += "; the package: " + result.package;
  if (!result.logFile.empty()) last += "; the log: " + result.logFile;
  lines.push_back(last);
  return lines;
}

}  // namespace lnf
