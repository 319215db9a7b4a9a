// The unattended collection: the exe started with "/collect" does what a
// person would, with nobody there to answer a box, and ends by itself with an
// exit code. What it leaves beside LNF_INV is judged on the host by unzip and
// sha256sum, as the people who receive the package judge it.
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "../win32/HostShell.h"
#include "BackupTest.h"

namespace lnf::e2e {
namespace {

// What a command on the host printed (both streams), and whether it
// succeeded.
struct HostRun {
  bool ok = false;
  std::string output;
};

std::string HostPath(const std::wstring& path) { return host::Quoted(host::UnixPath(path)); }

HostRun RunWithOutput(const std::string& command) {
  const std::wstring output = TheLayout().drive + L"\\lnf-e2e\\host-output.txt";
  HostRun run;
  run.ok = host::RunOnHost("(" + command + ") >" + HostPath(output) + " 2>&1");
  run.output = ReadBytes(output).value_or("<no output>");
  DeleteFileW(output.c_str());
  return run;
}

// The names in `folder` that begin with `prefix` (without regard to case),
// sorted.
Lines NamesStartingWith(const std::wstring& folder, const std::wstring& prefix) {
  Lines names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\" + prefix + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name.size() >= prefix.size() &&
        _wcsnicmp(name.c_str(), prefix.c_str(), prefix.size()) == 0) {
      names.push_back(name);
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// The entries of `tree` inside `folder`, by their paths relative to it.
Files Within(const Files& tree, const std::wstring& folder) {
  const std::wstring prefix = folder + L"\\";
  Files inside;
  for (const auto& [path, bytes] : tree) {
    if (path.compare(0, prefix.size(), prefix) == 0) inside[path.substr(prefix.size())] = bytes;
  }
  return inside;
}

Lines Names(const Files& tree) {
  Lines names;
  for (const auto& entry : tree) names.push_back(entry.first);
  return names;
}

// The package at `zip`, as its receiver checks it: unzip finds every entry
// whole, and sha256sum, run in the zip's folder, accepts the checksum file
// beside it. Returns the package unpacked by unzip, by path.
Files Unpack(const std::wstring& zip) {
  const size_t slash = zip.find_last_of(L'\\');
  // "C:" alone would be the drive's current folder, not its root.
  const std::wstring folder = zip.substr(0, zip[slash - 1] == L':' ? slash + 1 : slash);
  const std::string name = Narrow(zip.substr(slash + 1));
  const HostRun test = RunWithOutput("unzip -tq " + HostPath(zip));
  EXPECT_TRUE(test.ok) << "unzip -t refuses the package:\n" << test.output;
  const HostRun check = RunWithOutput("cd " + HostPath(folder) + " && sha256sum -c --strict " +
                                      host::Quoted(name + ".sha256"));
  EXPECT_TRUE(check.ok) << "sha256sum -c refuses the checksum file:\n" << check.output;
  const std::wstring unpacked = TheLayout().drive + L"\\lnf-e2e\\unpacked";
  RemoveTree(unpacked);
  const HostRun unzip = RunWithOutput("mkdir " + HostPath(unpacked) + " && unzip -q " +
                                      HostPath(zip) + " -d " + HostPath(unpacked));
  EXPECT_TRUE(unzip.ok) << "unzip could not unpack the package:\n" << unzip.output;
  return Tree(unpacked);
}

// The lines of the package's manifest, split where CR LF ends each.
Lines ManifestLines(const Files& unpacked) {
  const auto manifest = unpacked.find(L"_lanternfall\\manifest.txt");
  if (manifest == unpacked.end()) {
    ADD_FAILURE() << "the package holds no manifest";
    return {};
  }
  Lines lines = SplitLines(Widen(manifest->second));
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

bool Lists(const Lines& lines, const std::wstring& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool ListsOneStartingWith(const Lines& lines, const std::wstring& start) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::wstring& line) {
    return line.compare(0, start.size(), start) == 0;
  });
}

// The manifest's file lines, sorted.
Lines FileLines(const Lines& manifest) {
  Lines files;
  for (const std::wstring& line : manifest) {
    if (line.compare(0, 6, L"file: ") == 0) files.push_back(line);
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::wstring UtcIso(const FILETIME& time) {
  SYSTEMTIME utc;
  FileTimeToSystemTime(&time, &utc);
  wchar_t text[32];
  swprintf(text, 32, L"%04d-%02d-%02dT%02d:%02d:%02dZ", utc.wYear, utc.wMonth, utc.wDay, utc.wHour,
           utc.wMinute, utc.wSecond);
  return text;
}

// The manifest line of every file under `root`, sorted: its SHA-256 as the
// host's sha256sum gives it, its size and its last write in UTC as Windows
// reports them, its path inside `root` with forward slashes.
Lines FileLinesOf(const std::wstring& root) {
  const HostRun hashes =
      RunWithOutput("cd " + HostPath(root) + " && find . -type f -exec sha256sum {} +");
  EXPECT_TRUE(hashes.ok) << "sha256sum failed:\n" << hashes.output;
  Lines files;
  std::istringstream output(hashes.output);
  // "<hex>  ./<path>"
  for (std::string line; std::getline(output, line);) {
    if (line.size() < 68 || line.compare(64, 4, "  ./") != 0) {
      ADD_FAILURE() << "not a line of sha256sum: " << line;
      continue;
    }
    const std::wstring path = Widen(line.substr(68));
    std::wstring windowsPath = path;
    std::replace(windowsPath.begin(), windowsPath.end(), L'/', L'\\');
    const auto bytes = ReadBytes(root + L"\\" + windowsPath);
    const auto written = LastWrite(root + L"\\" + windowsPath);
    if (!bytes || !written) {
      ADD_FAILURE() << "cannot read " << Narrow(windowsPath);
      continue;
    }
    files.push_back(L"file: " + Widen(line.substr(0, 64)) + L" " + std::to_wstring(bytes->size()) +
                    L" " + UtcIso(*written) + L" " + path);
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The closing texts of the log entries in the packed log, in order.
Lines PackedLogClosings(const Files& unpacked) {
  const auto log = unpacked.find(L"_lanternfall\\log.txt");
  if (log == unpacked.end()) {
    ADD_FAILURE() << "the package holds no log";
    return {};
  }
  Lines closings;
  for (const std::wstring& line : SplitLines(Widen(log->second))) {
    if (const auto entry = ParseLogLine(line)) closings.push_back(entry->closing);
  }
  return closings;
}

class Collect : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ResetLayout(layout_)) << "could not clear the scratch folders";
    ASSERT_NO_FATAL_FAILURE(RemovePackages());
  }

  void TearDown() override {
    RemovePackages();
    ResetLayout(layout_);
  }

  const Layout& layout() const { return layout_; }
  std::wstring Wu(const std::wstring& name) const { return layout_.wuDir + L"\\" + name; }
  std::wstring Ou(const std::wstring& name) const { return layout_.ouDir + L"\\" + name; }
  // Where the package goes unless told otherwise: beside LNF_INV.
  std::wstring DefaultPackage() const { return layout_.backupRoot + L".zip"; }
  // The package, its checksum file and anything else of their names (the
  // temporary ones) on the system drive.
  Lines BesideLnfInv() const { return NamesStartingWith(layout_.drive, L"LNF_INV.zip"); }

  void RemovePackages() {
    for (const std::wstring& name : BesideLnfInv()) {
      ASSERT_TRUE(DeleteFileW((layout_.drive + L"\\" + name).c_str())) << Narrow(name);
    }
  }

  // Starts the tool with `arguments`, its standard output and error going to
  // a file as a script's redirection sends them, and waits for it to end by
  // itself; returns its exit code, and keeps what it said (said()). A box
  // that comes meanwhile is a fault (nobody is there to answer it): it is
  // reported and answered, so that the run goes on.
  DWORD RunToEnd(const std::vector<std::wstring>& arguments,
                 const std::vector<std::pair<std::wstring, std::wstring>>& environment = {}) {
    const std::wstring saidPath = layout_.drive + L"\\lnf-e2e\\said.txt";
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE said = CreateFileW(saidPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(said, INVALID_HANDLE_VALUE) << "cannot make " << Narrow(saidPath);
    App::Options options;
    options.exe = ProductExe();
    options.windir = layout_.windir;
    options.arguments = arguments;
    options.environment = environment;
    options.workDir = layout_.drive + L"\\";
    options.output = said == INVALID_HANDLE_VALUE ? nullptr : said;
    const DWORD exitCode = RunToEnd(std::make_unique<App>(options));
    if (said != INVALID_HANDLE_VALUE) CloseHandle(said);
    said_ = ReadBytes(saidPath).value_or("<nothing>");
    DeleteFileW(saidPath.c_str());
    return exitCode;
  }
  // What the last RunToEnd's tool wrote to its standard output and error.
  const std::string& said() const { return said_; }

  DWORD RunToEnd(const std::unique_ptr<App>& tool) {
    if (!tool->started()) {
      ADD_FAILURE() << tool->error();
      return STILL_ACTIVE;
    }
    const bool ended = WaitUntil([&] {
      for (HWND hwnd : tool->MessageBoxes()) {
        const MessageBoxInfo box = ReadMessageBox(hwnd);
        ADD_FAILURE() << "a box waited for an answer: [" << Narrow(box.title) << "] "
                      << Narrow(box.text);
        tool->PressOk(box);
      }
      return !tool->Running();
    });
    EXPECT_TRUE(ended) << "the tool did not end by itself";
    return tool->ExitCode();
  }

  Layout layout_ = TheLayout();
  std::string said_;
};

TEST_F(Collect, BacksUpEveryKindFoundAndPacksItWithAManifestThatTheHostConfirms) {
  Put(Wu(L"a.gng"), Bytes("a"));
  Put(Wu(L"b.inv"), Bytes("b"));
  Put(Wu(L"c.bm"), Bytes("c, too new"), kNew);
  Put(Wu(L"V4\\iuhist.xml"), Bytes("history"), kNew);
  Put(layout().windir + L"\\Windows Update.log", Bytes("log"), kNew);
  Put(Ou(L"oudetect.ini"), Bytes("detect"), kNew);
  Put(Ou(L"Cache\\Products\\office10.dat"), Bytes("office"));
  Put(Ou(L"hidden.dat"), Bytes("hidden"));
  ASSERT_TRUE(SetHidden(Ou(L"hidden.dat")));
  ASSERT_TRUE(MakeFolders(Ou(L"Temp")));
  // An earlier run's package, which this one replaces, and a temporary
  // one of a run cut short, which this one takes over.
  ASSERT_TRUE(WriteBytes(DefaultPackage(), "an earlier package"));
  ASSERT_TRUE(WriteBytes(DefaultPackage() + L".sha256", "an earlier checksum"));
  ASSERT_TRUE(WriteBytes(DefaultPackage() + L".~lnf-1.tmp", "a package cut short"));
  // Copies of an earlier collection whose sources are gone since: they
  // stay in LNF_INV, and are not this run's.
  const std::wstring gone[] = {layout().backupRoot + L"\\gone.gng",
                               layout().backupRoot + L"\\OU\\Gone\\gone.dat"};
  for (const std::wstring& path : gone) Put(path, Bytes("an earlier copy"));

  EXPECT_EQ(RunToEnd({L"/collect"}), 0u);
  EXPECT_NE(said().find("LNF_INVTOOL: exit code 0; the package: " + Narrow(DefaultPackage())),
            std::string::npos)
      << said();
  for (const std::wstring& path : gone) {
    EXPECT_TRUE(Exists(path)) << "the backups removed " << Narrow(path);
    DeleteFileW(path.c_str());
  }
  RemoveDirectoryW((layout().backupRoot + L"\\OU\\Gone").c_str());

  // The backups as a person's three presses leave them, and no staging
  // folder among them.
  const Files saved = Tree(layout().backupRoot);
  EXPECT_EQ(saved, (Files{{L"a.gng", Bytes("a")},
                          {L"b.inv", Bytes("b")},
                          {L"V4", kFolder},
                          {L"V4\\Windows Update.log", Bytes("log")},
                          {L"V4\\iuhist.xml", Bytes("history")},
                          {L"OU", kFolder},
                          {L"OU\\Cache", kFolder},
                          {L"OU\\Cache\\Products", kFolder},
                          {L"OU\\Cache\\Products\\office10.dat", Bytes("office")},
                          {L"OU\\Temp", kFolder},
                          {L"OU\\oudetect.ini", Bytes("detect")}}));
  EXPECT_EQ(BesideLnfInv(), (Lines{L"LNF_INV.zip", L"LNF_INV.zip.sha256"}))
      << "a temporary file was left beside the package";

  const Files unpacked = Unpack(DefaultPackage());
  EXPECT_EQ(Within(unpacked, L"LNF_INV"), saved) << "the package does not hold LNF_INV as it is";
  Lines top;
  for (const std::wstring& path : Names(unpacked)) {
    if (path.find(L'\\') == std::wstring::npos) top.push_back(path);
  }
  EXPECT_EQ(top, (Lines{L"LNF_INV", L"_lanternfall"}));
  EXPECT_EQ(Names(Within(unpacked, L"_lanternfall")), (Lines{L"log.txt", L"manifest.txt"}));

  const Lines manifest = ManifestLines(unpacked);
  EXPECT_TRUE(Lists(manifest, L"kind-v2-v3.1: found, backed up"));
  EXPECT_TRUE(Lists(manifest, L"kind-v4: found, backed up"));
  EXPECT_TRUE(Lists(manifest, L"kind-office-update: found, backed up"));
  EXPECT_EQ(FileLines(manifest), FileLinesOf(layout().backupRoot));

  // The closing boxes went to the log instead, in the order of the kinds.
  const std::wstring box = L") [Backup Inventory] ";
  Lines closingBoxes;
  for (const std::wstring& closing : PackedLogClosings(unpacked)) {
    if (closing.compare(0, box.size(), box) == 0) closingBoxes.push_back(closing);
  }
  EXPECT_EQ(closingBoxes, (Lines{box + BackupDone(layout().backupRoot),
                                 box + BackupDone(layout().backupRoot + L"\\V4"),
                                 box + BackupDone(layout().backupRoot + L"\\OU")}));
}

// The receivers' clients, each as the team would run it on the host: how it
// lists a package (one entry a line, a folder ending in "/"), how it unpacks
// one into a folder, and whether it gives the files the time the package
// records (Python's zipfile sets none).
struct Receiver {
  const char* name;
  std::string list;     // followed by the package
  std::string extract;  // with ZIP and DIR in it
  bool setsTimes;
};

// No double quote in a command: the host runs it inside one.
const Receiver kReceivers[] = {
    {"unzip", "unzip -qql", "unzip -q ZIP -d DIR", true},
    {"zipinfo", "zipinfo -1", "", false},
    {"7z", "7z l -slt", "7z x -bd -y -oDIR ZIP >/dev/null", true},
    {"bsdtar", "bsdtar -tf", "bsdtar -xf ZIP -C DIR", true},
    {"python3 zipfile",
     "python3 -c 'import sys, zipfile; "
     "print(chr(10).join(zipfile.ZipFile(sys.argv[1]).namelist()))'",
     "python3 -m zipfile -e ZIP DIR", false},
};

std::string Replaced(std::string text, const std::string& what, const std::string& with) {
  for (std::size_t at; (at = text.find(what)) != std::string::npos;)
    text.replace(at, what.size(), with);
  return text;
}

// The files (not the folders) a receiver lists in the package, sorted.
Lines ListedFiles(const Receiver& receiver, const std::wstring& zip) {
  const HostRun run = RunWithOutput("LC_ALL=C.UTF-8 " + receiver.list + " " + HostPath(zip));
  EXPECT_TRUE(run.ok) << receiver.name << " cannot list the package:\n" << run.output;
  Lines files;
  std::istringstream output(run.output);
  const std::string tool = receiver.name;
  // 7-Zip: "Path = " and "Folder = +" or "-" for each entry, after a line
  // of dashes that ends the archive's own.
  bool entries = tool != "7z";
  std::string path;
  for (std::string line; std::getline(output, line);) {
    if (tool == "7z") {
      if (line.rfind("----------", 0) == 0) entries = true;
      if (!entries) continue;
      if (line.rfind("Path = ", 0) == 0) path = line.substr(7);
      if (line.rfind("Folder = ", 0) != 0) continue;
      line = line == "Folder = +" ? path + "/" : path;
    } else if (tool == "unzip") {
      // "  size  date time   name"
      std::istringstream fields(line);
      std::string size, date, time;
      fields >> size >> date >> time;
      std::getline(fields >> std::ws, line);
    }
    if (!line.empty() && line.back() != '/') files.push_back(Widen(line));
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Names in every script: every receiver lists and unpacks exactly what the
// manifest names, byte for byte, and those that set times give each file
// its own. On Windows 9x, names its ANSI code page spells: one its OEM code
// page spells too (stored there, with its UTF-8 form beside it) and one it
// does not (stored in UTF-8).
TEST_F(Collect, EveryReceiverFindsTheNamesTheManifestGives) {
  // The Office Update kind alone; the check looks no further without the
  // Windows Update folder.
  ASSERT_TRUE(MakeFolders(layout().wuDir));
  Put(Ou(L"oudetect.ini"), Bytes("detect"), kNew);
  if (IsWindows9x()) {
    Put(Ou(L"\u00F6l.cab"), Bytes("oil"));
    Put(Ou(L"\u00DCbersicht\\sm\u00F8rrebr\u00F8d.cab"), Bytes("danish"), kNew);
  } else {
    Put(Ou(L"\u00F6l.cab"), Bytes("oil"));
    Put(Ou(L"\u041F\u0440\u0438\u0432\u0435\u0442\\\u043E\u0442\u0447\u0451\u0442.inv"),
        Bytes("cyrillic"), kNew);
    Put(Ou(L"\u65E5\u672C\u8A9E.dat"), Bytes("japanese"));
  }
  EXPECT_EQ(RunToEnd({L"/collect"}), 0u);

  const Files unpacked = Unpack(DefaultPackage());
  Lines named = {L"_lanternfall/log.txt", L"_lanternfall/manifest.txt"};
  for (const std::wstring& line : FileLines(ManifestLines(unpacked))) {
    // "file: <hex> <size> <date> <path>"
    std::wistringstream fields(line);
    std::wstring key, hex, size, date, path;
    fields >> key >> hex >> size >> date;
    std::getline(fields >> std::ws, path);
    named.push_back(L"LNF_INV/" + path);
  }
  std::sort(named.begin(), named.end());
  ASSERT_EQ(named.size(), IsWindows9x() ? 5u : 6u);

  const Files saved = Tree(layout().backupRoot);
  for (const Receiver& receiver : kReceivers) {
    SCOPED_TRACE(receiver.name);
    EXPECT_EQ(ListedFiles(receiver, DefaultPackage()), named);
    if (receiver.extract.empty()) continue;
    const std::wstring folder =
        layout().drive + L"\\lnf-e2e\\unpacked-" + std::to_wstring(&receiver - kReceivers);
    RemoveTree(folder);
    ASSERT_TRUE(MakeFolders(folder));
    const HostRun run = RunWithOutput(
        "LC_ALL=C.UTF-8 " + Replaced(Replaced(receiver.extract, "ZIP", HostPath(DefaultPackage())),
                                     "DIR", HostPath(folder)));
    EXPECT_TRUE(run.ok) << "it cannot unpack the package:\n" << run.output;
    EXPECT_EQ(Within(Tree(folder), L"LNF_INV"), saved);
    if (receiver.setsTimes) {
      for (const auto& [path, bytes] : saved) {
        if (bytes == kFolder) continue;
        const auto copy = LastWrite(layout().backupRoot + L"\\" + path);
        const auto out = LastWrite(folder + L"\\LNF_INV\\" + path);
        ASSERT_TRUE(copy && out) << Narrow(path);
        EXPECT_EQ(UtcIso(*out), UtcIso(*copy)) << Narrow(path);
      }
    }
    RemoveTree(folder);
  }
}

// With no client folder there is nothing to back up, yet the team hears of
// the machine: the package holds the manifest and the log. "/out" sends it
// into another folder, under a name with a blank.
TEST_F(Collect, NothingFoundEndsWithOneAndStillWritesThePackageWhereOutSays) {
  const std::wstring sent = layout().drive + L"\\lnf-e2e\\Sent packages";
  ASSERT_TRUE(MakeFolders(sent));
  const std::wstring package = sent + L"\\machine 1.zip";

  EXPECT_EQ(RunToEnd({L"/collect", L"/out", package}), 1u);

  EXPECT_EQ(NamesStartingWith(sent, L"machine 1.zip"),
            (Lines{L"machine 1.zip", L"machine 1.zip.sha256"}));
  EXPECT_EQ(BesideLnfInv(), Lines{}) << "a package was written beside LNF_INV all the same";
  const Files unpacked = Unpack(package);
  EXPECT_EQ(Within(unpacked, L"LNF_INV"), Files{});
  EXPECT_EQ(Names(Within(unpacked, L"_lanternfall")), (Lines{L"log.txt", L"manifest.txt"}));
  const Lines manifest = ManifestLines(unpacked);
  EXPECT_TRUE(Lists(manifest, L"kind-v2-v3.1: not found"));
  EXPECT_TRUE(Lists(manifest, L"kind-v4: not found"));
  EXPECT_TRUE(Lists(manifest, L"kind-office-update: not found"));
  EXPECT_EQ(FileLines(manifest), Lines{});
}

// A V2/V3.1 file that another program holds open without sharing cannot be
// copied: the failure report goes to the packed log, the manifest names the
// failure, the next kind is still backed up, and what was copied is packed.
TEST_F(Collect, ACopyThatFailsEndsWithTwoAndIsToldInThePackage) {
  Put(Wu(L"a.gng"), Bytes("a"));
  Put(Wu(L"b.inv"), Bytes("b"));
  Put(Wu(L"V4\\iuhist.xml"), Bytes("history"));
  Put(layout().windir + L"\\Windows Update.log", Bytes("log"));
  LockedFile lock(Wu(L"b.inv"));
  ASSERT_TRUE(lock.held());

  EXPECT_EQ(RunToEnd({L"/collect"}), 2u);
  lock.Release();

  const Files unpacked = Unpack(DefaultPackage());
  EXPECT_TRUE(ListsOneStartingWith(PackedLogClosings(unpacked), L") [LNF_INVTOOL] Error 32: "))
      << "the packed log holds no failure report";
  const Lines manifest = ManifestLines(unpacked);
  EXPECT_TRUE(ListsOneStartingWith(manifest, L"kind-v2-v3.1: found, failed: Error 32: "));
  EXPECT_TRUE(Lists(manifest, L"kind-v4: found, backed up"))
      << "the run stopped at the failed kind";
  EXPECT_TRUE(Lists(manifest, L"kind-office-update: not found"));
  EXPECT_EQ(Within(unpacked, L"LNF_INV"), Tree(layout().backupRoot));
  EXPECT_EQ(FileLines(manifest), FileLinesOf(layout().backupRoot));
}

// A run that ends without its package says why on the console it was
// started from and in a log file beside the package asked for (in LNF_INV
// when that folder is not there), and leaves no working file.
TEST_F(Collect, AFailureIsToldOnTheConsoleAndInALogFileAndLeavesNoWorkingFile) {
  Put(Wu(L"a.gng"), Bytes("a"));
  const std::wstring nosuch = layout().drive + L"\\lnf-e2e\\nosuch\\x.zip";
  EXPECT_EQ(RunToEnd({L"/collect", L"/out", nosuch}), 2u);
  const std::wstring logFile = layout().backupRoot + L"\\x.zip.log";
  EXPECT_NE(said().find("LNF_INVTOOL: [x.zip] Package not written: Error 3"), std::string::npos)
      << said();
  EXPECT_NE(said().find("LNF_INVTOOL: exit code 2; the log: " + Narrow(logFile)), std::string::npos)
      << said();
  EXPECT_NE(ReadBytes(logFile).value_or("").find(") [x.zip] Package not written: Error 3"),
            std::string::npos)
      << "the log file does not say why";

  // An earlier package held open cannot be replaced: the new one does not
  // stay beside it under its temporary name; the log goes beside it.
  ASSERT_TRUE(WriteBytes(DefaultPackage(), "an earlier package"));
  {
    LockedFile lock(DefaultPackage());
    ASSERT_TRUE(lock.held());
    EXPECT_EQ(RunToEnd({L"/collect"}), 2u);
  }
  EXPECT_EQ(BesideLnfInv(), (Lines{L"LNF_INV.zip", L"LNF_INV.zip.log"}));
  EXPECT_EQ(ReadBytes(DefaultPackage()).value_or(""), "an earlier package");
  // The reason as the console has it, in the log file too.
  const std::size_t reason = said().find("[LNF_INV.zip] Package not written: Error ");
  ASSERT_NE(reason, std::string::npos) << said();
  const std::string line = said().substr(reason, said().find("\r\n", reason) - reason);
  EXPECT_NE(ReadBytes(DefaultPackage() + L".log").value_or("").find(") " + line), std::string::npos)
      << line;

  // The next run that succeeds takes the log of the failure away.
  EXPECT_EQ(RunToEnd({L"/collect"}), 0u);
  EXPECT_EQ(BesideLnfInv(), (Lines{L"LNF_INV.zip", L"LNF_INV.zip.sha256"}));
}

// Command lines that run nothing, with "/collect" in them: no box, the
// reason on the console, exit code 3, and nothing written, though there is
// an inventory to collect. A package path that names a folder is one.
TEST_F(Collect, CommandLinesThatRunNothingForAScriptSayWhyAndWriteNothing) {
  Put(Wu(L"a.gng"), Bytes("a"));
  const std::wstring folder = layout().drive + L"\\lnf-e2e\\outdir";
  ASSERT_TRUE(MakeFolders(folder));
  struct Case {
    std::vector<std::wstring> arguments;
    std::string named;  // what the console must name
  };
  for (const Case& c : {Case{{L"/collect", L"/bogus"}, "/bogus"},
                        Case{{L"/collect", L"/out", L""}, "/out needs a path"},
                        Case{{L"/collect", L"/out", L"con.zip"}, "con.zip"},
                        Case{{L"/collect", L"/out", L"C:\\trail.zip."}, "trail.zip."},
                        Case{{L"/collect", L"/out", L"C:\\x.zip:s"}, "x.zip:s"},
                        Case{{L"/collect", L"/out", folder + L"\\"}, Narrow(folder)},
                        Case{{L"/collect", L"/out", folder}, Narrow(folder)}}) {
    std::wstring line;
    for (const std::wstring& argument : c.arguments) line += L" " + argument;
    SCOPED_TRACE("LNF_INVTOOL.exe" + Narrow(line));
    EXPECT_EQ(RunToEnd(c.arguments), 3u);
    EXPECT_NE(said().find(c.named), std::string::npos) << said();
    EXPECT_NE(said().find("LNF_INVTOOL: exit code 3"), std::string::npos) << said();
    EXPECT_FALSE(Exists(layout().backupRoot));
    EXPECT_EQ(BesideLnfInv(), Lines{});
    EXPECT_EQ(NamesStartingWith(layout().drive + L"\\lnf-e2e", L"outdir"), Lines{L"outdir"});
    EXPECT_EQ(NamesStartingWith(folder, L""), (Lines{L".", L".."}));
  }
}

// Command lines that run nothing, without "/collect": one box, answered
// here, then the end with its exit code; no window, and nothing written
// though there is an inventory to collect.
TEST_F(Collect, CommandLinesThatRunNothingShowOneBoxAndWriteNothing) {
  Put(Wu(L"a.gng"), Bytes("a"));
  struct Case {
    std::vector<std::wstring> arguments;
    std::wstring named;  // what the box must name
    DWORD exitCode;
  };
  for (const Case& c : {Case{{L"/bogus"}, L"/bogus", 3}, Case{{L"/?"}, L"/collect", 0},
                        Case{{L"/from", L"X:\\"}, L"/from goes with /collect.", 3}}) {
    std::wstring line;
    for (const std::wstring& argument : c.arguments) line += L" " + argument;
    SCOPED_TRACE("LNF_INVTOOL.exe" + Narrow(line));
    const std::unique_ptr<App> tool = LaunchTool(layout(), c.arguments);
    ASSERT_TRUE(tool->started());
    const auto box = tool->WaitForMessageBox();
    ASSERT_TRUE(box) << "no box came";
    EXPECT_NE(box->text.find(c.named), std::wstring::npos)
        << "the box does not name " << Narrow(c.named) << ": \"" << Narrow(box->text) << "\"";
    EXPECT_TRUE(tool->VisibleTopLevelWindows().empty()) << "a window came with the box";
    EXPECT_TRUE(tool->PressOk(*box));
    EXPECT_TRUE(WaitUntil([&] { return !tool->Running(); })) << "the tool did not end";
    EXPECT_EQ(tool->ExitCode(), c.exitCode);
    EXPECT_FALSE(Exists(layout().backupRoot));
    EXPECT_EQ(BesideLnfInv(), Lines{});
  }
}

// --- From another installation: an old system's drive, attached to the
// running system as X:. The cases lay it out through W:, the same folder
// writable; the tool reads it through X:, which the run mounts read-only
// on the host where it may (run-e2e.sh), so that any write there fails.
// Either way the whole tree is compared before and after each run. The
// running system's own drive holds inventories of its own, under other
// names and contents, which no such run may take, and its own LNF_INV,
// which no such run may touch.

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Whether the manifest holds `line`, showing the manifest when not.
::testing::AssertionResult Holds(const Lines& manifest, const std::wstring& line) {
  if (Lists(manifest, line)) return ::testing::AssertionSuccess();
  std::string text;
  for (const std::wstring& each : manifest) text += "\n  " + Narrow(each);
  return ::testing::AssertionFailure() << "no line \"" << Narrow(line) << "\" in" << text;
}

class CollectFrom : public Collect {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(Collect::SetUp());
    ASSERT_TRUE(IsFolder(L"W:\\") && IsFolder(L"X:\\")) << "run-e2e.sh maps no old drive";
    ASSERT_TRUE(ClearOldDrive());
    ASSERT_NO_FATAL_FAILURE(RemoveOwnPackages());
    ASSERT_NO_FATAL_FAILURE(ExpectReadOnlyOrSay());
    // The running system's own inventories, of every kind.
    Put(Wu(L"own.gng"), Bytes("own"));
    Put(Wu(L"V4\\iuhist.xml"), Bytes("own history"));
    Put(layout().windir + L"\\Windows Update.log", Bytes("own log"));
    Put(Ou(L"own.cab"), Bytes("own office"));
  }

  void TearDown() override {
    RemoveOwnPackages();
    ClearOldDrive();
    Collect::TearDown();
  }

  // Where a case lays out the old drive, and where the tool reads it.
  static std::wstring Source(const std::wstring& path) { return L"W:\\" + path; }
  static std::wstring Examined(const std::wstring& path) { return L"X:\\" + path; }

  // A Windows folder as its system left it: WIN.INI, the system folder with
  // KERNEL32.DLL (`kernel32`, a file the build made), SHDOCVW.DLL when
  // `shdocvw` names one; the Windows Update log for the V4 kind.
  void PutWindows(const std::wstring& windir, const std::wstring& systemFolder,
                  const std::string& kernel32, const std::string& shdocvw = "") {
    Put(Source(windir + L"\\WIN.INI"), "[windows]\r\nload=\r\n");
    Put(Source(windir + L"\\Windows Update.log"), Bytes("old log"), kNew);
    PutBuilt(kernel32, Source(windir + L"\\" + systemFolder + L"\\KERNEL32.DLL"));
    if (!shdocvw.empty()) {
      PutBuilt(shdocvw, Source(windir + L"\\" + systemFolder + L"\\SHDOCVW.DLL"));
    }
  }

  // One of the system files the build made, copied to `path`.
  static void PutBuilt(const std::string& name, const std::wstring& path) {
    const std::wstring built = FromHostPath(Env("LNF_E2E_OLD_FILES")) + L"\\" + Widen(name);
    ASSERT_TRUE(MakeFolders(path.substr(0, path.find_last_of(L'\\'))));
    ASSERT_TRUE(CopyFileW(built.c_str(), path.c_str(), FALSE))
        << "cannot copy " << Narrow(built) << " (LNF_E2E_OLD_FILES names the build's folder)";
  }

  // Every name, kind, mode, size, last write and change time (a changed
  // attribute changes the latter) and every file's SHA-256 of the old drive
  // as the host sees it.
  std::string Snapshot() {
    const HostRun run =
        RunWithOutput("cd " + host::Quoted(Env("LNF_E2E_OLD_DRIVE_HOST")) +
                      " && LC_ALL=C find . -printf '%y %m %s %T@ %C@ %p\\n' | LC_ALL=C sort"
                      " && LC_ALL=C find . -type f -exec sha256sum {} + | LC_ALL=C sort");
    EXPECT_TRUE(run.ok) << "no snapshot of the old drive:\n" << run.output;
    return run.output;
  }

  // Runs the tool on `arguments`, and checks that it left the old drive and
  // the running system's LNF_INV as they were.
  DWORD RunFrom(const std::vector<std::wstring>& arguments) {
    const std::string before = Snapshot();
    const bool ownRoot = Exists(layout().backupRoot);
    const Files ownCopies = Tree(layout().backupRoot);
    const DWORD exitCode = RunToEnd(arguments);
    EXPECT_EQ(Snapshot(), before) << "the run changed the old drive";
    EXPECT_EQ(Exists(layout().backupRoot), ownRoot) << "the run made or removed LNF_INV";
    EXPECT_EQ(Tree(layout().backupRoot), ownCopies) << "the run changed LNF_INV";
    return exitCode;
  }

  // The packages of runs from other installations, and anything beside
  // them, on the running system's drive.
  Lines FromPackages() const { return NamesStartingWith(layout().drive, L"LNF_INV-from-"); }

  // A package from the old drive as the team checks it (unzip, sha256sum
  // -c, the layout, `expected` byte for byte under LNF_INV, a manifest line
  // for each file that the host confirms); returns the manifest's lines.
  Lines ExpectPackage(const std::wstring& zip, const Files& expected) {
    unpacked_ = Unpack(zip);
    const Files& unpacked = unpacked_;
    const Files inventories = Within(unpacked, L"LNF_INV");
    EXPECT_EQ(inventories, expected);
    Lines top;
    for (const std::wstring& path : Names(unpacked)) {
      if (path.find(L'\\') == std::wstring::npos) top.push_back(path);
    }
    EXPECT_EQ(top, (Lines{L"LNF_INV", L"_lanternfall"}));
    EXPECT_EQ(Names(Within(unpacked, L"_lanternfall")), (Lines{L"log.txt", L"manifest.txt"}));
    const std::wstring unpackedRoot = layout().drive + L"\\lnf-e2e\\unpacked\\LNF_INV";
    const Lines manifest = ManifestLines(unpacked);
    EXPECT_EQ(FileLines(manifest), FileLinesOf(unpackedRoot));
    EXPECT_TRUE(ListsOneStartingWith(manifest, L"collecting-windows-version: "));
    EXPECT_FALSE(ListsOneStartingWith(manifest, L"windows-version: "))
        << "the collecting machine's version is told as the examined one's";
    return manifest;
  }

  // Each packed file keeps its source's time: unzip, which set the
  // unpacked file's, reads it from the package.
  void ExpectTimesOf(const std::wstring& examinedRoot,
                     const std::map<std::wstring, std::wstring>& packedFromSource) {
    for (const auto& [packed, source] : packedFromSource) {
      const auto out = LastWrite(layout().drive + L"\\lnf-e2e\\unpacked\\LNF_INV\\" + packed);
      const auto in = LastWrite(examinedRoot + L"\\" + source);
      ASSERT_TRUE(out && in) << Narrow(packed);
      EXPECT_EQ(UtcIso(*out), UtcIso(*in)) << Narrow(packed);
    }
  }

  // The examined Windows version and language from KERNEL32.DLL at `file`,
  // whose resource says `resource` ("4.10.0.2222"): read from the file's own
  // bytes, so that Wine's own kernel32, which its loader hands out for every
  // file of that name, does not come into it.
  void ExpectFactsFromKernel32(const Lines& manifest, const std::wstring& file,
                               const std::wstring& resource, const std::wstring& version,
                               const std::wstring& language) {
    EXPECT_TRUE(Holds(manifest, L"examined-windows-version: " + version + L" (file version " +
                                    resource + L", from " + file + L")"));
    EXPECT_TRUE(Holds(manifest, L"examined-language-id: " + language + L" (from " + file + L")"));
  }

  Files unpacked_;  // the last package ExpectPackage unpacked

 private:
  static bool ClearOldDrive() {
    bool ok = true;
    for (const auto& [path, kind] : Tree(L"W:\\")) {
      if (path.find(L'\\') == std::wstring::npos) ok = RemoveTree(L"W:\\" + path) && ok;
    }
    return ok;
  }

  void RemoveOwnPackages() {
    for (const std::wstring& name : FromPackages()) {
      ASSERT_TRUE(DeleteFileW((layout().drive + L"\\" + name).c_str())) << Narrow(name);
    }
  }

  // Where the run mounted the old drive read-only, a write there must fail
  // before any case counts; where it could not, the snapshots alone tell,
  // and the output says so.
  static void ExpectReadOnlyOrSay() {
    const std::string mount = Env("LNF_E2E_OLD_DRIVE_MOUNT");
    if (mount != "readonly") {
      static bool said = false;
      if (!said) {
        std::printf(
            "[   NOTE   ] no read-only mount of the old drive (%s): nothing written "
            "there is told by comparing snapshots of it alone\n",
            mount.empty() ? "LNF_E2E_OLD_DRIVE not set" : mount.c_str());
        said = true;
      }
      return;
    }
    const std::string probe = Env("LNF_E2E_OLD_DRIVE_HOST") + "/lnf-write-probe";
    EXPECT_FALSE(host::RunOnHost("touch " + host::Quoted(probe) + " 2>/dev/null"))
        << "the old drive is mounted read-only, yet the host writes there";
    EXPECT_FALSE(WriteBytes(Examined(L"lnf-write-probe"), "x"))
        << "the old drive is mounted read-only, yet Wine writes there";
    EXPECT_FALSE(MakeFolders(Examined(L"lnf-write-probe-folder")));
    EXPECT_FALSE(Exists(Source(L"lnf-write-probe")));
    ASSERT_FALSE(::testing::Test::HasFailure());
    static bool said = false;
    if (!said) {
      std::printf(
          "[   NOTE   ] the old drive is a read-only mount: writes there fail; snapshots "
          "of it are compared as well\n");
      said = true;
    }
  }
};

// A Windows 98 SE system drive, attached as X:: every kind packed straight
// from it, its own facts in the manifest with the file each came from, a
// file dated after 2011 left out, and the running system's inventories
// left alone, though they are of every kind too. Every receiver lists what
// the manifest names.
TEST_F(CollectFrom, ADriveOfWindows98IsPackedWithItsOwnFactsAndNothingIsWrittenThere) {
  PutWindows(L"WINDOWS", L"SYSTEM", "kernel32-98se.dll");
  PutBuilt("iexplore-6.dll", Source(L"Program Files\\Internet Explorer\\IEXPLORE.EXE"));
  Put(Source(L"Program Files\\WindowsUpdate\\0409.gng"), Bytes("gng"));
  Put(Source(L"Program Files\\WindowsUpdate\\wuv3is.as"), Bytes("as"), {2001, 12, 31, 23, 59});
  Put(Source(L"Program Files\\WindowsUpdate\\0409.inv"), Bytes("inv"), {2011, 7, 1, 10, 30});
  Put(Source(L"Program Files\\WindowsUpdate\\0409_2015.bm"), Bytes("too new"), {2015, 3, 4, 5, 6});
  Put(Source(L"Program Files\\WindowsUpdate\\V4\\iuhist.xml"), Bytes("history"), kNew);
  Put(Source(L"Program Files\\OfficeUpdate\\oudetect.ini"), Bytes("detect"), kNew);
  Put(Source(L"Program Files\\OfficeUpdate\\Cache\\Products\\office10.dat"), Bytes("office"));
  Put(Source(L"Program Files\\OfficeUpdate\\hidden.dat"), Bytes("hidden"));
  ASSERT_TRUE(SetHidden(Source(L"Program Files\\OfficeUpdate\\hidden.dat")));
  ASSERT_TRUE(MakeFolders(Source(L"Program Files\\OfficeUpdate\\Temp")));
  ASSERT_TRUE(MakeFolders(Source(L"My Documents")));
  // An earlier collection of the running system's own, which stays as it is.
  Put(layout().backupRoot + L"\\own.gng", Bytes("own, an earlier copy"));

  EXPECT_EQ(RunFrom({L"/collect", L"/from", L"X:\\"}), 0u) << said();
  const std::wstring package = layout().drive + L"\\LNF_INV-from-X.zip";
  EXPECT_NE(said().find("LNF_INVTOOL: exit code 0; the package: " + Narrow(package)),
            std::string::npos)
      << said();
  EXPECT_EQ(FromPackages(), (Lines{L"LNF_INV-from-X.zip", L"LNF_INV-from-X.zip.sha256"}));
  EXPECT_EQ(BesideLnfInv(), Lines{});

  const Lines manifest =
      ExpectPackage(package, Files{{L"0409.gng", Bytes("gng")},
                                   {L"0409.inv", Bytes("inv")},
                                   {L"wuv3is.as", Bytes("as")},
                                   {L"V4", kFolder},
                                   {L"V4\\Windows Update.log", Bytes("old log")},
                                   {L"V4\\iuhist.xml", Bytes("history")},
                                   {L"OU", kFolder},
                                   {L"OU\\Cache", kFolder},
                                   {L"OU\\Cache\\Products", kFolder},
                                   {L"OU\\Cache\\Products\\office10.dat", Bytes("office")},
                                   {L"OU\\Temp", kFolder},
                                   {L"OU\\oudetect.ini", Bytes("detect")}});
  ExpectTimesOf(L"X:", {{L"0409.gng", L"Program Files\\WindowsUpdate\\0409.gng"},
                        {L"wuv3is.as", L"Program Files\\WindowsUpdate\\wuv3is.as"},
                        {L"V4\\Windows Update.log", L"WINDOWS\\Windows Update.log"},
                        {L"OU\\Cache\\Products\\office10.dat",
                         L"Program Files\\OfficeUpdate\\Cache\\Products\\office10.dat"}});
  EXPECT_TRUE(Holds(manifest, L"examined-path: X:\\"));
  EXPECT_TRUE(Holds(manifest, L"examined-windows-folder: X:\\WINDOWS"));
  ExpectFactsFromKernel32(manifest, L"X:\\WINDOWS\\SYSTEM\\KERNEL32.DLL", L"4.10.0.2222",
                          L"4.10.2222", L"0x0409");
  EXPECT_TRUE(Holds(manifest,
                    L"examined-internet-explorer: 6.0.2800.1106 (from X:\\Program Files\\Internet "
                    L"Explorer\\IEXPLORE.EXE)"));
  EXPECT_TRUE(Holds(manifest, L"wudir: X:\\Program Files\\WindowsUpdate"));
  EXPECT_TRUE(Holds(manifest, L"kind-v2-v3.1: found, backed up"));
  EXPECT_TRUE(Holds(manifest, L"kind-v4: found, backed up"));
  EXPECT_TRUE(Holds(manifest, L"kind-office-update: found, backed up"));
  EXPECT_TRUE(Lists(PackedLogClosings(unpacked_),
                    L") [0409_2015.bm] File not copied. Reason: file date is newer than 2012."));

  Lines named;
  for (const std::wstring& line : FileLines(manifest)) {
    named.push_back(L"LNF_INV/" + line.substr(line.find(L' ', line.find(L'Z')) + 1));
  }
  named.push_back(L"_lanternfall/log.txt");
  named.push_back(L"_lanternfall/manifest.txt");
  std::sort(named.begin(), named.end());
  for (const Receiver& receiver : kReceivers) {
    EXPECT_EQ(ListedFiles(receiver, package), named) << receiver.name;
  }
}

// A Windows 2000 system drive, copied off its disk into a folder the host
// holds, given by its host path (Z:): the Windows folder found by what it
// holds among others, SYSTEM32 read before SYSTEM, its Internet Explorer
// told by SHDOCVW.DLL, the package where /out says.
TEST_F(CollectFrom, AFolderHoldingAnNtDriveIsPackedWhereOutSays) {
  const std::wstring root = L"images\\nt-c";
  PutWindows(root + L"\\WINNT", L"SYSTEM32", "kernel32-2000.dll", "iexplore-6.dll");
  ASSERT_TRUE(MakeFolders(Source(root + L"\\WINNT\\SYSTEM")));
  Put(Source(root + L"\\Documents and Settings\\Default User\\WIN.INI"), "[not a system]");
  Put(Source(root + L"\\Program Files\\WindowsUpdate\\0407.gng"), Bytes("gng nt"));
  Put(Source(root + L"\\Program Files\\WindowsUpdate\\V4\\iuhist.xml"), Bytes("nt history"));
  const std::wstring hostRoot = FromHostPath(Env("LNF_E2E_OLD_DRIVE_HOST")) + L"\\images\\nt-c";
  const std::wstring sent = layout().drive + L"\\lnf-e2e\\Sent";
  ASSERT_TRUE(MakeFolders(sent));
  const std::wstring package = sent + L"\\nt-c.zip";

  EXPECT_EQ(RunFrom({L"/collect", L"/from", hostRoot, L"/out", package}), 0u) << said();
  EXPECT_EQ(NamesStartingWith(sent, L""), (Lines{L".", L"..", L"nt-c.zip", L"nt-c.zip.sha256"}));
  EXPECT_EQ(FromPackages(), Lines{});
  const Lines manifest = ExpectPackage(package, Files{{L"0407.gng", Bytes("gng nt")},
                                                      {L"V4", kFolder},
                                                      {L"V4\\Windows Update.log", Bytes("old log")},
                                                      {L"V4\\iuhist.xml", Bytes("nt history")}});
  const std::wstring system32 = hostRoot + L"\\WINNT\\SYSTEM32";
  EXPECT_TRUE(Holds(manifest, L"examined-path: " + hostRoot));
  EXPECT_TRUE(Holds(manifest, L"examined-windows-folder: " + hostRoot + L"\\WINNT"));
  ExpectFactsFromKernel32(manifest, system32 + L"\\KERNEL32.DLL", L"5.0.2195.6717", L"5.0.2195",
                          L"0x0407");
  EXPECT_TRUE(Holds(manifest, L"examined-internet-explorer: 6.0.2800.1106 (from " + system32 +
                                  L"\\SHDOCVW.DLL)"));
  EXPECT_TRUE(Holds(manifest, L"kind-office-update: not found"));
}

// A German Windows 98 in a folder of X:: its program-files folder is
// "Programme", found by the client folders it holds beside another folder
// that holds none; no Internet Explorer file, so its version is unknown.
// The default package is named after the folder.
TEST_F(CollectFrom, ALocalizedProgramFilesFolderIsFoundByWhatItHolds) {
  const std::wstring root = L"images\\de-c";
  PutWindows(root + L"\\WINDOWS", L"SYSTEM", "kernel32-98se.dll");
  Put(Source(root + L"\\Eigene Dateien\\brief.doc"), "Brief");
  Put(Source(root + L"\\Programme\\WindowsUpdate\\0407.gng"), Bytes("gng de"));
  Put(Source(root + L"\\Programme\\OfficeUpdate\\Daten\\de.cab"), Bytes("cab de"));

  EXPECT_EQ(RunFrom({L"/collect", L"/from", L"X:\\images\\de-c"}), 0u) << said();
  EXPECT_EQ(FromPackages(),
            (Lines{L"LNF_INV-from-X-images-de-c.zip", L"LNF_INV-from-X-images-de-c.zip.sha256"}));
  const Lines manifest = ExpectPackage(layout().drive + L"\\LNF_INV-from-X-images-de-c.zip",
                                       Files{{L"0407.gng", Bytes("gng de")},
                                             {L"OU", kFolder},
                                             {L"OU\\Daten", kFolder},
                                             {L"OU\\Daten\\de.cab", Bytes("cab de")}});
  EXPECT_TRUE(Holds(manifest, L"wudir: X:\\images\\de-c\\Programme\\WindowsUpdate"));
  EXPECT_TRUE(Holds(manifest, L"oudir: X:\\images\\de-c\\Programme\\OfficeUpdate"));
  ExpectFactsFromKernel32(manifest, L"X:\\images\\de-c\\WINDOWS\\SYSTEM\\KERNEL32.DLL",
                          L"4.10.0.2222", L"4.10.2222", L"0x0409");
  EXPECT_TRUE(Holds(manifest, L"examined-internet-explorer: unknown"));
  EXPECT_TRUE(Holds(manifest, L"kind-v4: not found"));
}

// Where the Windows installation cannot be told (none on the drive, though
// it holds inventories; two on a dual-boot disk), nothing is collected
// from a guess: exit code 1, the reason on the console, and no package.
TEST_F(CollectFrom, APathWithNoSingleInstallationEndsWithOneAndPacksNothing) {
  Put(Source(L"Data\\WIN.INI"), "[no system beside it]");
  Put(Source(L"Program Files\\WindowsUpdate\\0409.gng"), Bytes("gng"));
  EXPECT_EQ(RunFrom({L"/collect", L"/from", L"X:\\"}), 1u);
  EXPECT_NE(said().find("LNF_INVTOOL: No Windows folder (one holding WIN.INI and SYSTEM or "
                        "SYSTEM32) in X:\\"),
            std::string::npos)
      << said();
  EXPECT_NE(said().find("LNF_INVTOOL: exit code 1"), std::string::npos) << said();
  for (const std::wstring& name : FromPackages()) {
    EXPECT_EQ(name, L"LNF_INV-from-X.zip.log") << "a package from a guess";
  }

  PutWindows(L"WIN98", L"SYSTEM", "kernel32-98se.dll");
  PutWindows(L"WINNT", L"SYSTEM32", "kernel32-2000.dll");
  EXPECT_EQ(RunFrom({L"/collect", L"/from", L"X:\\"}), 1u);
  EXPECT_NE(said().find("LNF_INVTOOL: Several Windows folders in X:\\, none collected: "
                        "X:\\WIN98 X:\\WINNT"),
            std::string::npos)
      << said();
  for (const std::wstring& name : FromPackages()) {
    EXPECT_EQ(name, L"LNF_INV-from-X.zip.log") << "a package from a guess";
  }
}

// A path that is no folder (missing, a file, a drive not attached) is not
// usable: exit code 3, the path named on the console, nothing written
// anywhere.
TEST_F(CollectFrom, APathThatIsNoFolderEndsWithThreeAndWritesNothing) {
  PutWindows(L"WINDOWS", L"SYSTEM", "kernel32-98se.dll");
  Put(Source(L"Program Files\\WindowsUpdate\\0409.gng"), Bytes("gng"));
  for (const std::wstring path : {L"X:\\nosuch", L"X:\\WINDOWS\\WIN.INI", L"Q:\\"}) {
    SCOPED_TRACE(Narrow(path));
    EXPECT_EQ(RunFrom({L"/collect", L"/from", path}), 3u);
    EXPECT_NE(said().find("LNF_INVTOOL: /from "), std::string::npos) << said();
    EXPECT_NE(said().find(Narrow(path)), std::string::npos) << said();
    EXPECT_NE(said().find("LNF_INVTOOL: exit code 3"), std::string::npos) << said();
    EXPECT_EQ(FromPackages(), Lines{});
    EXPECT_EQ(BesideLnfInv(), Lines{});
  }
}

}  // namespace
}  // namespace lnf::e2e
