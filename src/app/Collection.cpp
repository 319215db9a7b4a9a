#include "app/Collection.h"

#include <exception>
#include <utility>

#include "app/CollectionPackage.h"
#include "app/CommandLine.h"
#include "backup/BackupPlan.h"
#include "backup/Backups.h"
#include "inventory/InstallationFolders.h"
#include "inventory/Probes.h"

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

// A fact of the examined installation from a file's version resource, with
// the file it came from; "unknown" where none of `candidates` gives one.
bool VersionFrom(SystemFacts& facts, const std::vector<std::string>& candidates,
                 FileVersionResource& version, std::string& from) {
  for (const std::string& path : candidates) {
    if (facts.GetFileVersionResource(path, version)) {
      from = path;
      return true;
    }
  }
  return false;
}

void DescribeExamined(MainForm& form, SystemFacts& facts, const InstallationFolders& found,
                      ManifestFacts& manifest) {
  auto& lines = manifest.examined;
  lines.push_back({"windows-folder", found.windir});
  FileVersionResource version;
  std::string file;
  if (VersionFrom(facts, {found.systemFolder + "\\KERNEL32.DLL"}, version, file)) {
    // Windows 9x numbers its build in the resource's last field (Windows
    // 98 SE's KERNEL32.DLL is 4.10.0.2222), NT in the third (5.0.2195.6717):
    // the system calls itself 4.10.2222 and 5.0.2195.
    const int build = version.build != 0 ? version.build : version.revision;
    lines.push_back({"windows-version", std::to_string(version.major) + "." +
                                            std::to_string(version.minor) + "." +
                                            std::to_string(build) + " (from " + file + ")"});
    std::string hex = "0x";
    for (int shift = 12; shift >= 0; shift -= 4)
      hex += "0123456789ABCDEF"[(version.language >> shift) & 0xF];
    lines.push_back(
        {"language-id", version.language ? hex + " (from " + file + ")" : std::string("unknown")});
  } else {
    lines.push_back({"windows-version", "unknown"});
    lines.push_back({"language-id", "unknown"});
  }
  const std::string ieFolder = found.programFiles + "\\Internet Explorer\\IEXPLORE.EXE";
  if (VersionFrom(facts, {ieFolder, found.systemFolder + "\\SHDOCVW.DLL"}, version, file)) {
    lines.push_back(
        {"internet-explorer", std::to_string(version.major) + "." + std::to_string(version.minor) +
                                  "." + std::to_string(version.build) + "." +
                                  std::to_string(version.revision) + " (from " + file + ")"});
  } else {
    lines.push_back({"internet-explorer", "unknown"});
  }
  (void)form;
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

  // The examined installation's own folders, as its check would set them.
  InstallationPaths paths{found.windir, {}, {}};
  FileSystem& files = form.files();
  run.facts.systemDrive = found.root + "\\";
  const std::string programFiles =
      found.programFiles.empty() ? found.root + "\\Program Files" : found.programFiles;
  const std::string wudir = programFiles + "\\WindowsUpdate";
  const std::string oudir = programFiles + "\\OfficeUpdate";
  run.facts.wuDir = wudir;
  run.facts.v4Dir = wudir + "\\V4";
  run.facts.ouDir = oudir;
  run.facts.examinedPath = from;
  DescribeExamined(form, facts, found, run.facts);
  BackupPlan plan;
  try {
    const bool clients = FirstMatch(files, wudir, EntryFilter::kWithFolders);
    const bool v3 = clients && IsV3(files, wudir);
    const bool v4 = clients && IsV4(files, wudir);
    const bool ou = clients && IsOU(files, oudir);
    if (v3) run.facts.v2v31.state = KindOutcome::State::BackedUp;
    if (v4) run.facts.v4.state = KindOutcome::State::BackedUp;
    if (ou) run.facts.officeUpdate.state = KindOutcome::State::BackedUp;
    BackupPlan v3v4 = PlanBackups(files, {found.windir, v3 || v4 ? wudir : "", ""});
    for (PlannedFile& file : v3v4.files) {
      if ((file.kind == BackupKind::kV2V31 && v3) || (file.kind == BackupKind::kV4 && v4)) {
        plan.files.push_back(std::move(file));
      }
    }
    for (const std::string& name : v3v4.newerThanCutOff) {
      if (v3)
        form.AppendLog(") [" + name + "] File not copied. Reason: file date is newer than 2012.");
    }
    for (const std::string& path : v3v4.missing) {
      if (v4) Fail(form, run, "[V4] File not found: " + path);
    }
    if (v4 && !v3v4.missing.empty()) {
      run.facts.v4.state = KindOutcome::State::Failed;
      run.facts.v4.error = "File not found: " + v3v4.missing.front();
    }
    if (ou) {
      BackupPlan tree = PlanBackups(files, {"", "", oudir});
      for (const std::string& link : tree.folderLinks) {
        form.AppendLog(") [" + link + "] Folder link not followed.");
      }
      for (PlannedFile& file : tree.files) plan.files.push_back(std::move(file));
    }
  } catch (const PlatformError& error) {
    Fail(form, run, "[" + from + "] Not listed: " + FailureText(error));
  }
  bool packed = false;
  try {
    PackPlan(form, streams, facts, run, plan, out);
    packed = true;
  } catch (const PlatformError& error) {
    Fail(form, run, "[" + NameOf(out) + "] Package not written: " + FailureText(error));
  } catch (const std::exception& error) {
    Fail(form, run, "[" + NameOf(out) + "] Package not written: " + error.what());
  }
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
  bool packed = false;
  try {
    Pack(form, streams, facts, run, out);
    packed = true;
  } catch (const PlatformError& error) {
    Fail(form, run, "[" + NameOf(out) + "] Package not written: " + FailureText(error));
  } catch (const std::exception& error) {
    Fail(form, run, "[" + NameOf(out) + "] Package not written: " + error.what());
  }
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
