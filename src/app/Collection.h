// The unattended collection: what a person would do in the window, in the
// same order and through the same handlers (the check, then the backup of
// each kind found: V2/V3.1, V4, Office Update), then one file to send: a zip
// of LNF_INV as the backups left it, with a manifest and the run's log, and
// its SHA-256 checksum beside it. No box waits: every box the run would show
// goes to the log with its title.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "form/MainForm.h"
#include "platform/FileStreams.h"
#include "platform/Prompts.h"
#include "platform/SystemFacts.h"

namespace lnf {

// The boxes of an unattended run: each becomes a log entry, ") [title]
// text", with its line breaks as blanks, and returns at once.
class LoggedPrompts final : public Prompts {
 public:
  void SetForm(MainForm* form) { form_ = form; }
  // How many boxes came so far, and the text of the last one.
  std::size_t Count() const { return count_; }
  const std::string& LastText() const { return lastText_; }

 protected:
  void ShowModalMessage(const std::string& text, int buttonsAndIcon,
                        const std::string& title) override;

 private:
  MainForm* form_ = nullptr;
  std::size_t count_ = 0;
  std::string lastText_;
};

// How a collection ended, for the console it was started from.
struct CollectionResult {
  int exitCode = 2;  // app/CommandLine.h
  // Each failure in one line, as the log tells it; empty when none.
  std::vector<std::string> problems;
  std::string package;  // the package written; empty when none
  // The log file written: by every run that ends with exit code 2, as
  // `<package>.log` beside the package asked for when its folder exists,
  // else in LNF_INV. Empty when none was written.
  std::string logFile;
};

// Runs the collection on a form whose prompts are LoggedPrompts and whose
// start-up handler has run; `outPath` empty means LNF_INV.zip beside
// LNF_INV. A path naming a folder is refused before anything is done (exit
// code 3). The package holds this run's copies only. Never throws: every
// failure is logged and counted; no temporary file stays.
CollectionResult RunCollection(MainForm& form, LoggedPrompts& boxes, FileStreams& streams,
                               SystemFacts& facts, const std::string& outPath);

// What the run tells the console it was started from: each failure, then
// the exit code with the package or the log file, each line beginning
// "LNF_INVTOOL: ".
std::vector<std::string> StarterLines(const CollectionResult& result);

// Collects from the Windows installation whose system drive's root is
// `from` (another disk, a mounted image) without writing to it: its folders
// are found by what they hold (inventory/InstallationFolders.h), what each
// backup would take is packed straight from there, and only the package,
// its checksum and (on a failure) the log file are written. `outPath` empty
// means "LNF_INV-from-<source>.zip" on the running system's drive. A root
// that is missing or no folder ends with exit code 3, an installation that
// cannot be told (none, several) with 1, each said.
CollectionResult RunCollectionFrom(MainForm& form, LoggedPrompts& boxes, FileStreams& streams,
                                   SystemFacts& facts, const std::string& from,
                                   const std::string& outPath);

// The default package name for a collection from `from`: "E:\" gives
// "LNF_INV-from-E.zip", "D:\images\w98" "LNF_INV-from-D-images-w98.zip".
std::string PackageNameFrom(const std::string& from);

}  // namespace lnf
