#include "app/Collection.h"

#include <exception>

#include "app/CollectionPackage.h"
#include "app/CommandLine.h"
#include "backup/Backups.h"

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

}  // namespace

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
  if (packed) result.package = out;
  result.problems = run.problems;
  if (!packed || run.failed) {
    result.exitCode = kExitFailed;
    // Where a script finds why, beside the package it asked for.
    const std::string logFile = LogFileFor(form, out);
    try {
      if (logFile.compare(0, BackupRoot(form).size() + 1, BackupRoot(form) + "\\") == 0 &&
          !DirectoryExists(form.files(), BackupRoot(form))) {
        form.files().CreateFolder(BackupRoot(form));
      }
      WriteWhole(form.files(), streams, logFile, form.Text(kLogConsole) + "\r\n");
      result.logFile = logFile;
    } catch (const PlatformError& error) {
      result.problems.push_back("[" + NameOf(logFile) + "] Log not written: " + FailureText(error));
    }
    return result;
  }
  // A log of an earlier failure there would tell of a run that is not the last.
  try {
    streams.RemoveFile(out + ".log");
  } catch (const PlatformError&) {
  }
  const KindOutcome::State notFound = KindOutcome::State::NotFound;
  const bool anyFound = run.facts.v2v31.state != notFound || run.facts.v4.state != notFound ||
                        run.facts.officeUpdate.state != notFound;
  result.exitCode = anyFound ? kExitCollected : kExitNothingFound;
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
