#include "app/CollectionPackage.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "backup/Backups.h"
#include "package/Sha256.h"
#include "package/ZipWriter.h"

namespace lnf {

std::string FailureText(const PlatformError& error) {
  std::string text = "Error " + std::to_string(error.number()) + ": " + error.description();
  if (!error.subject().empty()) text += " (" + error.subject() + ")";
  return text;
}

// A failure of the run: logged, counted and kept for the console.
void Fail(MainForm& form, Collected& run, const std::string& line) {
  form.AppendLog(") " + line);
  run.failed = true;
  run.problems.push_back(line);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

namespace {

constexpr const char* kToolName = "Lanternfall Tallyglass (LNF_INVTOOL)";
constexpr std::size_t kChunk = 64 * 1024;

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
// as it is. Otherwise as the system stores it (SystemFacts: on Windows 9x in
// the OEM code page, as Windows' own zip folders read a name without the
// UTF-8 mark), with its UTF-8 form in the Unicode Path field for the readers
// that know it; but only where those are the bytes of code page 437, which
// readers that know no Unicode Path (Python's zipfile) assume. Everywhere
// else UTF-8, marked as such.
ZipName ArchiveName(SystemFacts& facts, const std::string& path) {
  std::string slashed = path;
  for (char& c : slashed) {
    if (c == '\\') c = '/';
  }
  if (IsAscii(slashed)) return {slashed, false};
  // Component by component: in a code page a backslash byte may be half of
  // a character.
  std::string bytes;
  std::size_t start = 0;
  bool inCodePage = true;
  while (inCodePage) {
    const std::size_t slash = slashed.find('/', start);
    std::string component;
    inCodePage = facts.ToArchiveCodePage(slashed.substr(start, slash - start), component);
    bytes += component;
    if (slash == std::string::npos) break;
    bytes += '/';
    start = slash + 1;
  }
  if (inCodePage && ReadAsCodePage437(bytes) == slashed) return {bytes, false, slashed};
  return {slashed, true};
}

// An entry's time: the local time zip readers show, and the moment in UTC,
// which the readers that know it show in their own zone.
ZipTime EntryTime(const LocalDateTime& local, UtcTime utc) {
  return ZipTime(
      MakeDosDateTime(local.year, local.month, local.day, local.hour, local.minute, local.second),
      utc.SecondsSince1970());
}

// A copy's time: its local time as the system shows the file's, with the
// offset in force at its own date, not today's.
ZipTime FileTime(SystemFacts& facts, UtcTime utc) { return EntryTime(facts.LocalTimeAt(utc), utc); }

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

}  // namespace

void WriteWhole(FileSystem& files, FileStreams& streams, const std::string& path,
                const std::string& text) {
  std::string temporary;
  auto stream = CreateBeside(files, streams, path, temporary);
  stream->Write(text.data(), text.size());
  stream->Commit();
  stream.reset();
  PutInPlace(streams, temporary, path);
}

namespace {

Sha256::Digest HashOf(FileStreams& streams, const std::string& path) {
  auto stream = streams.OpenRead(path);
  Sha256 hash;
  std::vector<char> buffer(kChunk);
  for (std::size_t got; (got = stream->Read(buffer.data(), buffer.size())) != 0;) {
    hash.Update(buffer.data(), got);
  }
  return hash.Final();
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
  manifest.collectedAt = clock.now;
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

// What packing the copies works with.
struct Packing {
  MainForm& form;
  FileStreams& streams;
  SystemFacts& facts;
  Collected& run;
  ZipWriter& zip;
  std::vector<char> buffer = std::vector<char>(kChunk);
};

// One copy, read once: hashed and deflated in the same pass. Everything that
// can fail before the entry begins is asked first, so that a file left out
// leaves no half entry behind.
void AddCopy(Packing& p, const Entry& entry, const std::string& path, const ZipName& name) {
  FileFacts file;
  std::unique_ptr<ReadStream> reading;
  ZipTime written{DosDateTime{}};
  try {
    file = p.streams.GetFileFacts(path);
    written = FileTime(p.facts, file.lastWrite);
    reading = p.streams.OpenRead(path);
  } catch (const PlatformError& error) {
    LeaveOut(p.form, p.run, entry, FailureText(error));
    return;
  }
  p.zip.BeginFile(name, written, file.size);
  Sha256 hash;
  for (std::size_t got; (got = reading->Read(p.buffer.data(), p.buffer.size())) != 0;) {
    hash.Update(p.buffer.data(), got);
    p.zip.WriteFileData(p.buffer.data(), got);
  }
  p.zip.EndFile();
  p.run.facts.files.push_back({entry.path, file.size, file.lastWrite, hash.Final()});
}

void AddText(ZipWriter& zip, const char* name, const std::string& text, const ZipTime& at) {
  zip.BeginFile({name, false}, at);
  zip.WriteFileData(text.data(), text.size());
  zip.EndFile();
}

// The package stands; a checksum that cannot be written beside it fails the
// run, and an earlier one, which would not match, goes.
void WriteChecksumBeside(MainForm& form, FileStreams& streams, Collected& run,
                         const std::string& package) {
  const std::string checksum = package + ".sha256";
  try {
    WriteWhole(form.files(), streams, checksum,
               ComposeChecksumLine(HashOf(streams, package), NameOf(package)));
  } catch (const PlatformError& error) {
    Fail(form, run, "[" + NameOf(checksum) + "] Checksum not written: " + FailureText(error));
    try {
      streams.RemoveFile(checksum);
    } catch (const PlatformError&) {
    }
  }
}

}  // namespace

namespace {

KindOutcome& OutcomeOf(Collected& run, BackupKind kind) {
  return kind == BackupKind::kV2V31 ? run.facts.v2v31
         : kind == BackupKind::kV4  ? run.facts.v4
                                    : run.facts.officeUpdate;
}

// Packs `files` (their names inside LNF_INV, each folder before what it
// holds) with the manifest and the log, then the checksum beside it; a
// folder a file lies in that no entry names comes just before it, once.
void PackFiles(MainForm& form, FileStreams& streams, SystemFacts& facts, Collected& run,
               const std::vector<PlannedFile>& files, const std::string& outPath,
               const std::string& what) {
  form.AppendLog(") [" + NameOf(outPath) + "] Packing " + what + ".");
  // The package's own entries (its folders, the manifest, the log): the
  // collection's time.
  const UtcTime collected = run.facts.collectedAt;
  const ZipTime packedAt = EntryTime(collected.AtOffset(run.facts.utcOffsetMinutes), collected);

  std::string temporary;
  auto stream = CreateBeside(form.files(), streams, outPath, temporary);
  StreamOutput output(*stream);
  ZipWriter zip(output);
  Packing packing{form, streams, facts, run, zip};
  zip.AddFolder(ArchiveName(facts, "LNF_INV"), packedAt);
  std::vector<std::string> folders;
  auto folder = [&](const std::string& name) {
    if (std::find(folders.begin(), folders.end(), name) != folders.end()) return;
    folders.push_back(name);
    zip.AddFolder(ArchiveName(facts, "LNF_INV\\" + name), packedAt);
  };
  for (const PlannedFile& file : files) {
    if (file.folder) {
      folder(file.name);
      continue;
    }
    for (std::size_t slash = file.name.find('\\'); slash != std::string::npos;
         slash = file.name.find('\\', slash + 1)) {
      folder(file.name.substr(0, slash));
    }
    AddCopy(packing, {file.name, false, &OutcomeOf(run, file.kind)}, file.source,
            ArchiveName(facts, "LNF_INV\\" + file.name));
  }
  AddText(zip, "_lanternfall/manifest.txt", ComposeManifest(run.facts), packedAt);
  AddText(zip, "_lanternfall/log.txt", form.Text(kLogConsole), packedAt);
  zip.Finish();
  stream->Commit();
  stream.reset();
  PutInPlace(streams, temporary, outPath);
  form.AppendLog(") [" + NameOf(outPath) + "] Package written.");
  WriteChecksumBeside(form, streams, run, outPath);
}

}  // namespace

void Pack(MainForm& form, FileStreams& streams, SystemFacts& facts, Collected& run,
          const std::string& outPath) {
  DescribeSystem(form, facts, run.facts);
  const std::string root = BackupRoot(form);
  // This run's copies, in the order the backups made them (each folder
  // before what it holds), by their paths inside LNF_INV; whatever else
  // LNF_INV holds (earlier copies, packages, another run's staging) is not
  // this run's. Each backup writes inside the root, and no two write one
  // name: one whose name another's folder holds fails before it copies.
  std::vector<PlannedFile> files;
  const std::pair<BackupResult*, BackupKind> kinds[] = {
      {&run.v2v31, BackupKind::kV2V31},
      {&run.v4, BackupKind::kV4},
      {&run.officeUpdate, BackupKind::kOfficeUpdate}};
  for (const auto& [result, kind] : kinds) {
    for (const BackupResult::Copy& copy : result->copies) {
      PlannedFile file;
      file.kind = kind;
      file.source = copy.path;
      file.name = copy.path.substr(root.size() + 1);
      file.folder = copy.folder;
      files.push_back(std::move(file));
    }
  }
  PackFiles(form, streams, facts, run, files, outPath, "the backup folder");
}

void PackPlan(MainForm& form, FileStreams& streams, SystemFacts& facts, Collected& run,
              const std::vector<PlannedFile>& plan, const std::string& outPath) {
  // The form's path variables are the examined installation's.
  DescribeSystem(form, facts, run.facts);
  PackFiles(form, streams, facts, run, plan, outPath, "from " + run.facts.examinedPath);
}

}  // namespace lnf
