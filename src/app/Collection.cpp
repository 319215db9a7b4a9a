#include "app/Collection.h"

#include <cstdint>
#include <exception>
#include <vector>

#include "app/CommandLine.h"
#include "backup/Backups.h"
#include "package/Manifest.h"
#include "package/Sha256.h"
#include "package/ZipWriter.h"

namespace lnf {

namespace {

constexpr const char* kToolName = "Lanternfall Tallyglass (LNF_INVTOOL)";
constexpr const char* kBackupTitle = "Backup Inventory";
// The folder inside LNF_INV where a backup run keeps its copies in progress:
// another run's, should one be at work, and never part of the package.
constexpr const char* kStagingName = "~lnf-staging";
constexpr std::size_t kChunk = 64 * 1024;

std::string FailureText(const PlatformError& error) {
  std::string text = "Error " + std::to_string(error.number()) + ": " + error.description();
  if (!error.subject().empty()) text += " (" + error.subject() + ")";
  return text;
}

// One entry of LNF_INV, by its path inside it ("OU\A\a.txt").
struct Entry {
  std::string path;
  bool folder;
};

// Files before the folders of each folder, depth first, as the backups copy;
// hidden and system entries, folder links and the staging folder left out.
void Gather(FileSystem& files, const std::string& root, const std::string& relative,
            std::vector<Entry>& entries) {
  const std::string folder = relative.empty() ? root : root + "\\" + relative;
  const std::string prefix = relative.empty() ? std::string() : relative + "\\";
  auto ordinary = files.Enumerate(folder + "\\*.*", EntryFilter::kFiles);
  for (std::string name = ordinary->Next(); !name.empty(); name = ordinary->Next()) {
    entries.push_back({prefix + name, false});
  }
  std::vector<std::string> folders;
  auto listing = files.Enumerate(folder + "\\", EntryFilter::kWithFolders);
  for (std::string name = listing->Next(); !name.empty(); name = listing->Next()) {
    if (name == "." || name == "..") continue;
    if (relative.empty() && files.UpperCaseName(name) == files.UpperCaseName(kStagingName)) {
      continue;
    }
    const std::uint32_t attributes = files.GetAttributes(folder + "\\" + name);
    if ((attributes & kAttrDirectory) && !(attributes & kAttrReparsePoint)) {
      folders.push_back(name);
    }
  }
  listing.reset();
  for (const std::string& name : folders) {
    entries.push_back({prefix + name, true});
    Gather(files, root, prefix + name, entries);
  }
}

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

// A new file under a name of its own beside `path`. A name left by a run
// that was cut short is taken over; one another run holds open cannot be
// removed, and the next is tried.
std::unique_ptr<WriteStream> CreateBeside(FileStreams& streams, const std::string& path,
                                          std::string& temporary) {
  for (int number = 0;; ++number) {
    temporary = path + ".~lnf-" + std::to_string(number) + ".tmp";
    try {
      streams.RemoveFile(temporary);
      return streams.CreateNew(temporary);
    } catch (const PlatformError&) {
      if (number >= 99) throw;
    }
  }
}

// Writes `text` to `path` whole: under a temporary name, then renamed.
void WriteWhole(FileStreams& streams, const std::string& path, const std::string& text) {
  std::string temporary;
  auto stream = CreateBeside(streams, path, temporary);
  stream->Write(text.data(), text.size());
  stream->Commit();
  stream.reset();
  streams.ReplaceFile(temporary, path);
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

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct Collected {
  ManifestFacts facts;
  bool failed = false;
};

// The kinds in the order a person goes through them; each found one's
// selector shows its frame, then its backup button runs. The closing box
// tells that a backup completed; any other end is a failure, told by the
// last box it showed.
void BackUpEveryKindFound(MainForm& form, LoggedPrompts& boxes, Collected& run) {
  struct Kind {
    ControlId selector;
    ControlId button;
    KindOutcome& outcome;
  };
  const Kind kinds[] = {{kV3btn, kCommand3, run.facts.v2v31},
                        {kV4btn, kCommand4, run.facts.v4},
                        {kOuBtn, kCommand5, run.facts.officeUpdate}};
  for (const Kind& kind : kinds) {
    if (!form.IsVisible(kind.selector)) continue;
    form.Click(kind.selector);
    const std::size_t before = boxes.Shown().size();
    form.Click(kind.button);
    kind.outcome.state = KindOutcome::State::Failed;
    for (std::size_t i = before; i < boxes.Shown().size(); ++i) {
      if (boxes.Shown()[i].title == kBackupTitle) kind.outcome.state = KindOutcome::State::BackedUp;
    }
    if (kind.outcome.state == KindOutcome::State::Failed) {
      kind.outcome.error = boxes.Shown().size() > before ? boxes.Shown().back().text
                                                         : "The backup ended without a word.";
      run.failed = true;
    }
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

// Packs LNF_INV, the manifest and the log into `outPath`, each copy read
// once: hashed and deflated in the same pass. A file that cannot be read is
// left out and said in the log; the run then counts as failed, and the
// package is written all the same.
void Pack(MainForm& form, FileStreams& streams, SystemFacts& facts, Collected& run,
          const std::string& outPath) {
  const std::string root = BackupRoot(form);
  form.AppendLog(") [" + NameOf(outPath) + "] Packing the backup folder.");
  std::vector<Entry> entries;
  if (DirectoryExists(form.files(), root)) Gather(form.files(), root, {}, entries);
  const bool nt = run.facts.windowsNt;
  const int offset = run.facts.utcOffsetMinutes;
  // The package's own entries (its folders, the manifest, the log): the
  // collection's time.
  const ZipTime packedAt =
      EntryTime(run.facts.collectedLocal, ShiftedByMinutes(run.facts.collectedLocal, -offset));

  std::string temporary;
  auto stream = CreateBeside(streams, outPath, temporary);
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
      form.AppendLog(") [" + entry.path + "] File not packed: " + FailureText(error));
      run.failed = true;
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
  streams.ReplaceFile(temporary, outPath);

  WriteWhole(streams, outPath + ".sha256",
             ComposeChecksumLine(HashOf(streams, outPath), NameOf(outPath)));
  form.AppendLog(") [" + NameOf(outPath) + "] Package written.");
}

}  // namespace

void LoggedPrompts::ShowModalMessage(const std::string& text, int, const std::string& title) {
  shown_.push_back({title, text});
  if (form_) form_->AppendLog(") [" + title + "] " + OneLine(text));
}

int RunCollection(MainForm& form, LoggedPrompts& boxes, FileStreams& streams, SystemFacts& facts,
                  const std::string& outPath) {
  Collected run;
  form.Click(kCommand1);
  BackUpEveryKindFound(form, boxes, run);
  bool packed = false;
  const std::string out = outPath.empty() ? BackupRoot(form) + ".zip" : outPath;
  try {
    DescribeSystem(form, facts, run.facts);
    Pack(form, streams, facts, run, out);
    packed = true;
  } catch (const PlatformError& error) {
    form.AppendLog(") [" + NameOf(out) + "] Package not written: " + FailureText(error));
  } catch (const std::exception& error) {
    form.AppendLog(") [" + NameOf(out) + "] Package not written: " + error.what());
  }
  if (!packed || run.failed) return kExitFailed;
  const KindOutcome::State notFound = KindOutcome::State::NotFound;
  const bool anyFound = run.facts.v2v31.state != notFound || run.facts.v4.state != notFound ||
                        run.facts.officeUpdate.state != notFound;
  return anyFound ? kExitCollected : kExitNothingFound;
}

}  // namespace lnf
