#include "app/Collection.h"

#include <cstdint>
#include <exception>
#include <utility>
#include <vector>

#include "app/CommandLine.h"
#include "backup/Backups.h"
#include "package/Manifest.h"
#include "package/Sha256.h"
#include "package/ZipWriter.h"

namespace lnf {

namespace {

constexpr const char* kToolName = "Lanternfall Tallyglass (LNF_INVTOOL)";
constexpr std::size_t kChunk = 64 * 1024;

std::string FailureText(const PlatformError& error) {
  std::string text = "Error " + std::to_string(error.number()) + ": " + error.description();
  if (!error.subject().empty()) text += " (" + error.subject() + ")";
  return text;
}

// One entry of the package inside LNF_INV, by its path there ("OU\A\a.txt"),
// and the kind whose backup copied it.
struct Entry {
  std::string path;
  bool folder;
  KindOutcome* kind;
};

bool IsAscii(const std::string& text) {
  for (unsigned char c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

// A name inside the zip: "LNF_INV/" and the path with forward slashes. ASCII
// as it is. Otherwise, on Windows 9x, in the OEM code page, as Windows' own
// zip folders read a name without the UTF-8 mark, with its UTF-8 form in
// the Unicode Path field for the readers that know it; but only where the
// code page spells the name exactly and with the bytes of code page 437,
// which readers that know no Unicode Path (Python's zipfile) assume.
// Everywhere else UTF-8, marked as such.
ZipName ArchiveName(SystemFacts& facts, bool nt, const std::string& path) {
  std::string slashed = path;
  for (char& c : slashed) {
    if (c == '\\') c = '/';
  }
  if (IsAscii(slashed)) return {slashed, false};
  if (!nt) {
    // Component by component: in a code page a backslash byte may be half
    // of a character.
    std::string bytes;
    std::size_t start = 0;
    bool exact = true;
    while (exact) {
      const std::size_t slash = slashed.find('/', start);
      std::string component;
      exact = facts.ToArchiveCodePage(slashed.substr(start, slash - start), component);
      bytes += component;
      if (slash == std::string::npos) break;
      bytes += '/';
      start = slash + 1;
    }
    if (exact && ReadAsCodePage437(bytes) == slashed) return {bytes, false, slashed};
  }
  return {slashed, true};
}

CalendarTime Calendar(const UtcDateTime& t) {
  CalendarTime c;
  c.year = t.year;
  c.month = t.month;
  c.day = t.day;
  c.hour = t.hour;
  c.minute = t.minute;
  c.second = t.second;
  return c;
}

// An entry's time: the local time zip readers show, and the moment in UTC,
// which the readers that know it show in their own zone.
ZipTime EntryTime(const CalendarTime& local, const CalendarTime& utc) {
  return ZipTime(
      MakeDosDateTime(local.year, local.month, local.day, local.hour, local.minute, local.second),
      SecondsSince1970(utc));
}

// A copy's time: its local time as the system shows the file's, with the
// offset in force at its own date, not today's.
ZipTime FileTime(SystemFacts& facts, const UtcDateTime& utc) {
  return EntryTime(Calendar(facts.LocalTimeAt(utc)), Calendar(utc));
}

class StreamOutput final : public ZipOutput {
 public:
  explicit StreamOutput(WriteStream& stream) : stream_(stream) {}
  void Write(const void* data, std::size_t size) override { stream_.Write(data, size); }
  void WriteAt(std::uint64_t offset, const void* data, std::size_t size) override {
    stream_.WriteAt(offset, data, size);
  }

 private:
  WriteStream& stream_;
};

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string TemporaryName(const std::string& path, int number) {
  return path + ".~lnf-" + std::to_string(number) + ".tmp";
}

// Every temporary name of `path` ("x.zip.~lnf-N.tmp") that runs cut short
// left is removed; one that a live run holds open (without delete sharing,
// as a stream being written is held) cannot be, and stays its own.
void TakeOverTemporaries(FileSystem& files, FileStreams& streams, const std::string& path) {
  const std::string prefix = files.UpperCaseName(NameOf(path) + ".~lnf-");
  std::vector<std::string> left;
  try {
    auto listing = files.Enumerate(path + ".~lnf-*.tmp", EntryFilter::kFiles);
    for (std::string name = listing->Next(); !name.empty(); name = listing->Next()) {
      // The system's match is looser than the names given (short names).
      const std::string upper = files.UpperCaseName(name);
      if (upper.size() <= prefix.size() + 4 || upper.compare(0, prefix.size(), prefix) != 0 ||
          upper.compare(upper.size() - 4, 4, ".TMP") != 0) {
        continue;
      }
      const std::string number = upper.substr(prefix.size(), upper.size() - prefix.size() - 4);
      if (number.find_first_not_of("0123456789") == std::string::npos) left.push_back(name);
    }
  } catch (const PlatformError&) {
    return;  // a folder that cannot be listed: the creation below tells why
  }
  for (const std::string& name : left) {
    try {
      streams.RemoveFile(FolderOf(path) + name);
    } catch (const PlatformError&) {
    }
  }
}

// A new file under a temporary name of its own beside `path`, after what
// earlier runs left is taken over. A name another run holds cannot be
// removed, and the next is tried.
std::unique_ptr<WriteStream> CreateBeside(FileSystem& files, FileStreams& streams,
                                          const std::string& path, std::string& temporary) {
  TakeOverTemporaries(files, streams, path);
  for (int number = 0;; ++number) {
    temporary = TemporaryName(path, number);
    try {
      streams.RemoveFile(temporary);
      return streams.CreateNew(temporary);
    } catch (const PlatformError& error) {
      // Held (or, on Windows 9x, refused) names give way to the next; any
      // other failure, a folder that is not there, is the same for all.
      const bool taken = error.number() == kErrorSharingViolation ||
                         error.number() == kErrorAccessDenied || error.number() == kErrorFileExists;
      if (!taken || number >= 99) throw;
    }
  }
}

// Gives the complete temporary file its name; when it cannot take it (a
// folder or a file held open in the way), the temporary goes, and the
// failure is passed on.
void PutInPlace(FileStreams& streams, const std::string& temporary, const std::string& path) {
  try {
    streams.ReplaceFile(temporary, path);
  } catch (const PlatformError&) {
    try {
      streams.RemoveFile(temporary);
    } catch (const PlatformError&) {
    }
    throw;
  }
}

// Writes `text` to `path` whole: under a temporary name, then renamed.
void WriteWhole(FileSystem& files, FileStreams& streams, const std::string& path,
                const std::string& text) {
  std::string temporary;
  auto stream = CreateBeside(files, streams, path, temporary);
  stream->Write(text.data(), text.size());
  stream->Commit();
  stream.reset();
  PutInPlace(streams, temporary, path);
}

Sha256::Digest HashOf(FileStreams& streams, const std::string& path) {
  auto stream = streams.OpenRead(path);
  Sha256 hash;
  std::vector<char> buffer(kChunk);
  for (std::size_t got; (got = stream->Read(buffer.data(), buffer.size())) != 0;) {
    hash.Update(buffer.data(), got);
  }
  return hash.Final();
}

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
void Fail(MainForm& form, Collected& run, const std::string& line) {
  form.AppendLog(") " + line);
  run.failed = true;
  run.problems.push_back(line);
}

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

// This run's copies, in the order the backups made them (each folder
// before what it holds), by their paths inside LNF_INV; whatever else
// LNF_INV holds (earlier copies, packages, another run's staging) is not
// this run's.
std::vector<Entry> ThisRunsCopies(Collected& run, const std::string& root) {
  std::vector<Entry> entries;
  const std::pair<BackupResult*, KindOutcome*> kinds[] = {
      {&run.v2v31, &run.facts.v2v31},
      {&run.v4, &run.facts.v4},
      {&run.officeUpdate, &run.facts.officeUpdate}};
  // Each backup writes inside the root, and no two write one name: one
  // whose name another's folder holds fails before it copies.
  for (const auto& [result, outcome] : kinds) {
    for (const BackupResult::Copy& copy : result->copies) {
      entries.push_back({copy.path.substr(root.size() + 1), copy.folder, outcome});
    }
  }
  return entries;
}

// A copy this run made that the package does not hold: the run fails, and
// its kind's line in the manifest says so.
void LeaveOut(MainForm& form, Collected& run, const Entry& entry, const std::string& reason) {
  Fail(form, run, "[" + entry.path + "] File not packed: " + reason);
  const std::string said = "File not packed: " + entry.path + ": " + reason;
  if (entry.kind->state == KindOutcome::State::Failed) {
    entry.kind->error += "; " + said;
  } else {
    entry.kind->state = KindOutcome::State::Failed;
    entry.kind->error = said;
  }
}

void DescribeSystem(MainForm& form, SystemFacts& facts, ManifestFacts& manifest) {
  const VersionNumbers version = form.system().GetVersion();
  manifest.toolName = kToolName;
  manifest.toolVersion = std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
                         std::to_string(version.revision);
  const ClockReading clock = facts.ReadClock();
  manifest.collectedLocal = Calendar(clock.local);
  manifest.utcOffsetMinutes = clock.utcOffsetMinutes;
  const WindowsVersion windows = facts.GetWindowsVersion();
  manifest.windowsMajor = windows.major;
  manifest.windowsMinor = windows.minor;
  manifest.windowsBuild = windows.build;
  manifest.servicePack = windows.servicePack;
  manifest.windowsNt = windows.nt;
  const SystemLanguage language = facts.GetSystemLanguage();
  manifest.lcid = language.lcid;
  manifest.languageName = language.name;
  manifest.ieVersion = facts.GetInternetExplorerVersion();
  manifest.systemDrive = form.SYSDRIVE;
  manifest.wuDir = form.WUDIR;
  manifest.v4Dir = form.WUDIR.empty() ? std::string() : form.WUDIR + "\\V4";
  manifest.ouDir = form.OUDIR;
}

// Packs this run's copies, the manifest and the log into `outPath`, each
// copy read once: hashed and deflated in the same pass. A file that cannot be
// read is left out and said in the log; the run then counts as failed, and
// the package is written all the same.
void Pack(MainForm& form, FileStreams& streams, SystemFacts& facts, Collected& run,
          const std::string& outPath) {
  const std::string root = BackupRoot(form);
  form.AppendLog(") [" + NameOf(outPath) + "] Packing the backup folder.");
  const std::vector<Entry> entries = ThisRunsCopies(run, root);
  const bool nt = run.facts.windowsNt;
  const int offset = run.facts.utcOffsetMinutes;
  // The package's own entries (its folders, the manifest, the log): the
  // collection's time.
  const ZipTime packedAt =
      EntryTime(run.facts.collectedLocal, ShiftedByMinutes(run.facts.collectedLocal, -offset));

  std::string temporary;
  auto stream = CreateBeside(form.files(), streams, outPath, temporary);
  StreamOutput output(*stream);
  ZipWriter zip(output);
  zip.AddFolder(ArchiveName(facts, nt, "LNF_INV"), packedAt);
  std::vector<char> buffer(kChunk);
  for (const Entry& entry : entries) {
    const std::string path = root + "\\" + entry.path;
    const ZipName name = ArchiveName(facts, nt, "LNF_INV\\" + entry.path);
    if (entry.folder) {
      zip.AddFolder(name, packedAt);
      continue;
    }
    // Everything that can fail before the entry begins is asked first, so
    // that a file left out leaves no half entry behind.
    FileFacts file;
    std::unique_ptr<ReadStream> reading;
    ZipTime written = packedAt;
    try {
      file = streams.GetFileFacts(path);
      written = FileTime(facts, file.lastWrite);
      reading = streams.OpenRead(path);
    } catch (const PlatformError& error) {
      LeaveOut(form, run, entry, FailureText(error));
      continue;
    }
    zip.BeginFile(name, written, file.size);
    Sha256 hash;
    for (std::size_t got; (got = reading->Read(buffer.data(), buffer.size())) != 0;) {
      hash.Update(buffer.data(), got);
      zip.WriteFileData(buffer.data(), got);
    }
    zip.EndFile();
    run.facts.files.push_back({entry.path, file.size, Calendar(file.lastWrite), hash.Final()});
  }

  const std::string manifest = ComposeManifest(run.facts);
  zip.BeginFile({"_lanternfall/manifest.txt", false}, packedAt);
  zip.WriteFileData(manifest.data(), manifest.size());
  zip.EndFile();
  const std::string& log = form.Text(kLogConsole);
  zip.BeginFile({"_lanternfall/log.txt", false}, packedAt);
  zip.WriteFileData(log.data(), log.size());
  zip.EndFile();
  zip.Finish();
  stream->Commit();
  stream.reset();
  PutInPlace(streams, temporary, outPath);
  form.AppendLog(") [" + NameOf(outPath) + "] Package written.");

  // The package stands; a checksum that cannot be written beside it fails
  // the run, and an earlier one, which would not match, goes.
  const std::string checksum = outPath + ".sha256";
  try {
    WriteWhole(form.files(), streams, checksum,
               ComposeChecksumLine(HashOf(streams, outPath), NameOf(outPath)));
  } catch (const PlatformError& error) {
    Fail(form, run, "[" + NameOf(checksum) + "] Checksum not written: " + FailureText(error));
    try {
      streams.RemoveFile(checksum);
    } catch (const PlatformError&) {
    }
  }
}

}  // namespace

void LoggedPrompts::ShowModalMessage(const std::string& text, int, const std::string& title) {
  ++count_;
  lastText_ = text;
  if (form_) form_->AppendLog(") [" + title + "] " + OneLine(text));
}

namespace {

// Beside the package asked for when its folder is there; else in LNF_INV,
// which a script finds whatever went wrong with the path it gave.
std::string LogFileFor(MainForm& form, const std::string& outPath) {
  const std::string folder = FolderOf(outPath);
  if (folder.empty() || DirectoryExists(form.files(), folder)) return outPath + ".log";
  return BackupRoot(form) + "\\" + NameOf(outPath) + ".log";
}

}  // namespace

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
    DescribeSystem(form, facts, run.facts);
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
