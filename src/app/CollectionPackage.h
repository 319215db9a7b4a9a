// The collection's package: this run's copies, the manifest and the log in
// one zip, its checksum beside it, and the run's other files (the log file),
// each written whole, under a temporary name first.
#pragma once

#include <string>
#include <vector>

#include "backup/BackupPlan.h"
#include "backup/Backups.h"
#include "form/MainForm.h"
#include "package/Manifest.h"
#include "platform/FileStreams.h"
#include "platform/SystemFacts.h"

namespace lnf {

// What a collection learns while it runs, for its package and its console.
struct Collected {
  ManifestFacts facts;
  // What each kind's backup copied, in the order they ran: V2/V3.1, V4,
  // Office Update.
  BackupResult v2v31, v4, officeUpdate;
  bool failed = false;
  // Each failure in a line, for the console the run was started from.
  std::vector<std::string> problems;
};

// A failure of the run: logged, counted and kept for the console.
void Fail(MainForm& form, Collected& run, const std::string& line);

// A platform failure as the log tells it: "Error N: text (subject)".
std::string FailureText(const PlatformError& error);

// The last name of `path`, and the folder before it with its separator.
std::string NameOf(const std::string& path);
std::string FolderOf(const std::string& path);

// Writes `text` to `path` whole: under a temporary name beside it, then
// renamed. Throws PlatformError.
void WriteWhole(FileSystem& files, FileStreams& streams, const std::string& path,
                const std::string& text);

// Describes the system in the run's manifest, then packs this run's copies,
// the manifest and the log into `outPath`, each copy read once: hashed and
// deflated in the same pass; the checksum goes beside it. A file that cannot
// be read is left out and said in the log; the run then counts as failed,
// and the package is written all the same. Throws PlatformError or ZipError
// when the package cannot be written; no temporary stays.
void Pack(MainForm& form, FileStreams& streams, SystemFacts& facts, Collected& run,
          const std::string& outPath);

// Packs what `plan` takes straight from its sources (another installation,
// which is only read) into `outPath`, in the layout of Pack, with the same
// manifest, log and checksum; the form's path variables and `run.facts`
// hold the examined installation's folders and facts already. Throws as
// Pack does.
void PackPlan(MainForm& form, FileStreams& streams, SystemFacts& facts, Collected& run,
              const std::vector<PlannedFile>& plan, const std::string& outPath);

}  // namespace lnf
