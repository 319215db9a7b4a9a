// Times LNF_INVTOOL.exe against a reference program doing the same work, side
// by side in one Wine prefix, from inside Wine with QueryPerformanceCounter.
// bench/run.sh builds it, lays out the drives and the prefix, and calls it
// once per measurement:
//
//   bench.exe v3 TOOL FLOOR DRIVE FILES RUNS fresh|repeat BUDGET LABEL
//       the V2/V3.1 backup (Command3) against xcopy SRC\*.* DST\ /Y /Q and
//       against FLOOR v3 (bench/floor.cpp: the same system calls and nothing
//       else); fresh: the backup root removed before each run; repeat: the
//       copies are there already and are replaced
//   bench.exe ou TOOL FLOOR DRIVE FILES RUNS LABEL
//       the Office Update backup (Command5) against xcopy SRC DST /E /I /Y /Q
//       and FLOOR ou
//   bench.exe start TOOL MINIMAL DRIVE RUNS LABEL
//       CreateProcess to the main window shown, against bench/minimal.cpp
//   bench.exe memory TOOL MINIMAL DRIVE RUNS LABEL
//       peak working set after a check, and the minimal program's
//
// TOOL and MINIMAL are Windows paths; DRIVE is the letter that plays the
// system drive: windir is DRIVE:\windows, and TEMP and TMP are
// DRIVE:\windows\Temp, as on a machine whose system drive holds its
// temporary folder. FILES is how many files the backup must copy, checked
// after each run together with the log's entries.
//
// Ours and the reference alternate run by run, each going first every other
// run, so that the load of a shared machine weighs on both alike. One untimed
// pair of runs comes first, so that neither pays alone for a cold cache;
// BUDGET (seconds, 0 for none) leaves that out and ends the runs early when
// the next pair would overrun it. Output: a "run" line per run and one
// "result" line: label, the two medians, their ratio (ours / reference),
// the unit (s, or KiB for memory) and the number of runs; the backups add a
// second "result" line, LABEL-floor, with the floor in the reference's place.
#include <windows.h>
// psapi.h needs the types of windows.h.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "Driver.h"

namespace {

using lnf::e2e::App;
using lnf::e2e::Narrow;
using lnf::e2e::Widen;

// Control IDs of the main window.
constexpr int kCommand1 = 136;  // "Check now!"
constexpr int kCommand3 = 122;  // V2/V3.1 backup
constexpr int kCommand5 = 104;  // Office Update backup
constexpr int kV3btn = 134;
constexpr int kOuBtn = 119;
constexpr int kLogConsole = 118;
constexpr int kBoxTextId = 0xFFFF;

// A wait that runs out this long means something is broken, not slow.
constexpr double kGiveUpSeconds = 900;

[[noreturn]] void Die(const std::string& why) {
  std::fprintf(stderr, "bench: %s\n", why.c_str());
  std::fflush(stderr);
  std::exit(1);
}

double Now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / frequency;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// --- Files.

bool IsDots(const wchar_t* name) { return !std::wcscmp(name, L".") || !std::wcscmp(name, L".."); }

void RemoveTree(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (IsDots(found.cFileName)) continue;
      const std::wstring child = path + L"\\" + found.cFileName;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileW(child.c_str())) Die("cannot delete " + Narrow(child));
      }
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  if (!RemoveDirectoryW(path.c_str())) Die("cannot remove " + Narrow(path));
}

struct Count {
  int files = 0;
  int folders = 0;
};

Count CountTree(const std::wstring& path, bool recursive) {
  Count count;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return count;
  do {
    if (IsDots(found.cFileName)) continue;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      ++count.files;
    } else if (recursive) {
      const Count inside = CountTree(path + L"\\" + found.cFileName, true);
      count.files += inside.files;
      count.folders += inside.folders + 1;
    }
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return count;
}

// --- Processes and windows.

// This program's environment with windir replaced, as App gives the tool.
std::wstring EnvironmentWith(const std::wstring& windir) {
  std::wstring block;
  if (wchar_t* strings = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = strings; *entry; entry += std::wcslen(entry) + 1) {
      if (_wcsnicmp(entry, L"windir=", 7) == 0) continue;
      block += entry;
      block.push_back(L'\0');
    }
    FreeEnvironmentStringsW(strings);
  }
  block += L"windir=" + windir;
  block.push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

PROCESS_INFORMATION Start(const std::wstring& exe, std::wstring commandLine,
                          const std::wstring* environment, bool quiet) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  HANDLE nul = INVALID_HANDLE_VALUE;
  if (quiet) {
    // Nothing printed: the reference's output would otherwise cost it time
    // that the tool, which prints nothing, does not spend.
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      &inherit, OPEN_EXISTING, 0, nullptr);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul;
    startup.hStdOutput = nul;
    startup.hStdError = nul;
  }
  PROCESS_INFORMATION info = {};
  const BOOL made = CreateProcessW(
      exe.c_str(), &commandLine[0], nullptr, nullptr, quiet, CREATE_UNICODE_ENVIRONMENT,
      environment ? const_cast<wchar_t*>(environment->c_str()) : nullptr, nullptr, &startup, &info);
  const DWORD error = GetLastError();
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  if (!made) Die("cannot start " + Narrow(commandLine) + ": error " + std::to_string(error));
  return info;
}

DWORD ProcessOf(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

// The first visible message box of the process, or null. One class lookup
// per box on the desktop keeps the polling light.
HWND FindBox(DWORD pid) {
  for (HWND box = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); box;
       box = FindWindowExW(nullptr, box, L"#32770", nullptr)) {
    if (ProcessOf(box) == pid && IsWindowVisible(box)) return box;
  }
  return nullptr;
}

struct WindowSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchShownWindow(HWND hwnd, LPARAM lp) {
  auto* search = reinterpret_cast<WindowSearch*>(lp);
  if (ProcessOf(hwnd) != search->pid || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t name[16] = L"";
  GetClassNameW(hwnd, name, 16);
  if (!std::wcscmp(name, L"#32770")) return TRUE;
  search->found = hwnd;
  return FALSE;
}

// The process's first visible top-level window that is no message box.
HWND FindShownWindow(DWORD pid) {
  WindowSearch search = {pid, nullptr};
  EnumWindows(MatchShownWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Polls every millisecond or two: the times measured here are tenths of a
// second and more, and a poll costs a few calls to the Wine server.
template <typename Found>
auto PollFor(Found found, HANDLE process, const char* what) {
  const double start = Now();
  for (;;) {
    if (auto result = found()) return result;
    if (process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
      Die(std::string("the process ended before ") + what);
    }
    if (Now() - start > kGiveUpSeconds) Die(std::string("gave up waiting for ") + what);
    Sleep(1);
  }
}

std::wstring TextOf(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 60000, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                      SMTO_NORMAL, 60000, &copied);
  text.resize(std::min<size_t>(copied, length));
  return text;
}

int Occurrences(const std::wstring& text, const std::wstring& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// --- The measurements.

struct Options {
  std::wstring tool;
  std::wstring minimal;
  std::wstring floor;
  wchar_t drive = L'D';
  int files = 0;
  int runs = 5;
  bool repeat = false;
  double budget = 0;
  std::string label;

  std::wstring Root() const { return std::wstring(1, drive) + L":\\"; }
  std::wstring Windir() const { return Root() + L"windows"; }
  std::wstring BackupRoot() const { return Root() + L"LNF_INV"; }
  std::wstring Wudir() const { return Root() + L"Program Files\\WindowsUpdate"; }
  std::wstring Oudir() const { return Root() + L"Program Files\\OfficeUpdate"; }
};

std::wstring SystemProgram(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder) + L"\\" + name;
}

// Starts the tool, runs the check, opens the frame, then times the click on
// the frame's backup button until the box that ends the backup is up.
double TimeToolBackup(const Options& o, int selector, int button) {
  App app({o.tool, o.Windir(), {}, L""});
  if (!app.started()) Die(app.error());
  if (!app.WaitForMainWindow()) Die("the tool's window did not come up");
  if (!app.Click(kCommand1) || !app.MessageBoxes().empty()) Die("the check did not end quietly");
  if (!app.Click(selector) || !app.OnScreen(button)) Die("the backup button is not shown");
  HWND target = app.Control(button);

  const double start = Now();
  SendNotifyMessageW(target, BM_CLICK, 0, 0);
  HWND box = PollFor([&] { return FindBox(app.pid()); }, nullptr, "the backup's message box");
  const double elapsed = Now() - start;

  const std::wstring text = TextOf(GetDlgItem(box, kBoxTextId));
  if (text.rfind(L"Backup done in ", 0) != 0) Die("the backup ended with: " + Narrow(text));
  lnf::e2e::MessageBoxInfo info;
  info.hwnd = box;
  if (!app.PressOk(info)) Die("the box did not close");
  // Proof that every file went through the log, whose cost is measured too.
  const std::wstring log = app.Text(kLogConsole);
  const bool v3 = button == kCommand3;
  const int logged =
      Occurrences(log, v3 ? L"] File copied successfully." : L"] Directory copied successfully.");
  const int expected = v3 ? o.files : 1;
  if (logged != expected) {
    Die("the log has " + std::to_string(logged) + " copy entries, not " + std::to_string(expected));
  }
  if (!app.Close()) Die("the tool did not close");
  return elapsed;
}

double TimeProcess(const std::wstring& exe, const std::wstring& commandLine) {
  const double start = Now();
  PROCESS_INFORMATION info = Start(exe, commandLine, nullptr, true);
  WaitForSingleObject(info.hProcess, INFINITE);
  const double elapsed = Now() - start;
  DWORD code = 1;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  if (code != 0) Die("exit code " + std::to_string(code) + " from " + Narrow(commandLine));
  return elapsed;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// Runs the floor program, which times itself from its first system call to
// its last, so that its process start is left out as the tool's is; checks
// the number of files it copied.
double TimeFloor(const Options& o, const wchar_t* what, int files) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) Die("CreatePipe failed");
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = write;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  std::wstring commandLine = Quoted(o.floor) + L" " + what + L" " + std::wstring(1, o.drive);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(o.floor.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &info)) {
    Die("cannot start " + Narrow(commandLine) + ": error " + std::to_string(GetLastError()));
  }
  CloseHandle(write);
  std::string output;
  char buffer[256];
  DWORD got = 0;
  while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0)
    output.append(buffer, got);
  CloseHandle(read);
  WaitForSingleObject(info.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  double seconds = 0;
  int copied = 0;
  if (code != 0 || std::sscanf(output.c_str(), "seconds %lf files %d", &seconds, &copied) != 2) {
    Die("the floor program failed: " + output);
  }
  if (copied != files) {
    Die("the floor program copied " + std::to_string(copied) + " files, not " +
        std::to_string(files));
  }
  return seconds;
}

void CheckCopies(const Options& o, const std::wstring& where, bool recursive) {
  const Count count = CountTree(where, recursive);
  if (count.files != o.files) {
    Die(Narrow(where) + " holds " + std::to_string(count.files) + " files, not " +
        std::to_string(o.files));
  }
}

struct Pair {
  std::vector<double> ours;
  std::vector<double> reference;
  std::vector<double> floor;  // empty when there is no floor
};

// Runs each `runs` times, alternating which goes first (ours, the reference,
// the floor; then the other way round), after an untimed round unless there
// is a budget.
Pair Alternate(const Options& o, const std::function<double()>& ours,
               const std::function<double()>& reference,
               const std::function<double()>& floor = nullptr) {
  Pair pair;
  const double start = Now();
  if (o.budget <= 0) {
    ours();
    reference();
    if (floor) floor();
  }
  for (int i = 0; i < o.runs; ++i) {
    const double before = Now();
    double a = 0;
    double b = 0;
    double c = 0;
    if (i % 2 == 0) {
      a = ours();
      b = reference();
      if (floor) c = floor();
    } else {
      if (floor) c = floor();
      b = reference();
      a = ours();
    }
    pair.ours.push_back(a);
    pair.reference.push_back(b);
    if (floor) {
      pair.floor.push_back(c);
      std::printf("run %s %d ours %.4f reference %.4f floor %.4f\n", o.label.c_str(), i + 1, a, b,
                  c);
    } else {
      std::printf("run %s %d ours %.4f reference %.4f\n", o.label.c_str(), i + 1, a, b);
    }
    std::fflush(stdout);
    const double spent = Now() - start;
    if (o.budget > 0 && i + 1 < o.runs && spent + (Now() - before) > o.budget) {
      std::printf("stopped %s after %d runs: the next would pass the budget of %.0f s\n",
                  o.label.c_str(), i + 1, o.budget);
      break;
    }
  }
  return pair;
}

void Report(const std::string& label, const Pair& pair, const char* unit) {
  const double ours = Median(pair.ours);
  const double reference = Median(pair.reference);
  std::printf("result %s %.4f %.4f %.4f %s %zu\n", label.c_str(), ours, reference, ours / reference,
              unit, pair.ours.size());
  if (!pair.floor.empty()) {
    const double floor = Median(pair.floor);
    std::printf("result %s-floor %.4f %.4f %.4f %s %zu\n", label.c_str(), ours, floor, ours / floor,
                unit, pair.floor.size());
  }
  std::fflush(stdout);
}

void BenchV3(const Options& o) {
  const std::wstring xcopy = SystemProgram(L"xcopy.exe");
  const std::wstring command =
      L"xcopy " + Quoted(o.Wudir() + L"\\*.*") + L" " + Quoted(o.BackupRoot() + L"\\") + L" /Y /Q";
  if (o.repeat) CheckCopies(o, o.BackupRoot(), false);
  const Pair pair = Alternate(
      o,
      [&] {
        if (!o.repeat) RemoveTree(o.BackupRoot());
        const double t = TimeToolBackup(o, kV3btn, kCommand3);
        CheckCopies(o, o.BackupRoot(), false);
        return t;
      },
      [&] {
        if (!o.repeat) RemoveTree(o.BackupRoot());
        const double t = TimeProcess(xcopy, command);
        CheckCopies(o, o.BackupRoot(), false);
        return t;
      },
      [&] {
        if (!o.repeat) RemoveTree(o.BackupRoot());
        const double t = TimeFloor(o, L"v3", o.files);
        CheckCopies(o, o.BackupRoot(), false);
        return t;
      });
  Report(o.label, pair, "s");
}

void BenchOu(const Options& o) {
  const std::wstring xcopy = SystemProgram(L"xcopy.exe");
  const std::wstring destination = o.BackupRoot() + L"\\OU";
  const std::wstring command =
      L"xcopy " + Quoted(o.Oudir()) + L" " + Quoted(destination) + L" /E /I /Y /Q";
  const Count source = CountTree(o.Oudir(), true);
  auto check = [&] {
    const Count copied = CountTree(destination, true);
    if (copied.files != source.files || copied.folders != source.folders) {
      Die("the copy holds " + std::to_string(copied.files) + " files in " +
          std::to_string(copied.folders) + " folders, not " + std::to_string(source.files) +
          " in " + std::to_string(source.folders));
    }
  };
  if (source.files != o.files) Die("the Office Update tree does not hold the files asked for");
  const Pair pair = Alternate(
      o,
      [&] {
        RemoveTree(o.BackupRoot());
        const double t = TimeToolBackup(o, kOuBtn, kCommand5);
        check();
        return t;
      },
      [&] {
        RemoveTree(o.BackupRoot());
        const double t = TimeProcess(xcopy, command);
        check();
        return t;
      },
      [&] {
        RemoveTree(o.BackupRoot());
        const double t = TimeFloor(o, L"ou", o.files);
        check();
        return t;
      });
  Report(o.label, pair, "s");
}

// Starts a GUI program, waits for its window and closes it again; gives the
// time from CreateProcess to the window shown, or (peakKiB) the process's
// peak working set once `settle` has run.
struct Started {
  double seconds;
  double peakKiB;
};

Started StartAndClose(const std::wstring& exe, const std::wstring& windir,
                      const std::function<void(DWORD pid)>& settle) {
  const std::wstring environment = EnvironmentWith(windir);
  const double start = Now();
  PROCESS_INFORMATION info = Start(exe, Quoted(exe), &environment, false);
  HWND window =
      PollFor([&] { return FindShownWindow(info.dwProcessId); }, info.hProcess, "a window");
  const double elapsed = Now() - start;
  if (FindBox(info.dwProcessId)) Die(Narrow(exe) + " showed a message box at start");

  double peak = 0;
  if (settle) {
    settle(info.dwProcessId);
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(info.hProcess, &counters, sizeof counters)) {
      Die("GetProcessMemoryInfo failed: error " + std::to_string(GetLastError()));
    }
    peak = counters.PeakWorkingSetSize / 1024.0;
  }
  PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(info.hProcess, 60000) != WAIT_OBJECT_0) {
    Die(Narrow(exe) + " did not close");
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return {elapsed, peak};
}

void BenchStart(const Options& o) {
  const Pair pair = Alternate(
      o, [&] { return StartAndClose(o.tool, o.Windir(), nullptr).seconds; },
      [&] { return StartAndClose(o.minimal, o.Windir(), nullptr).seconds; });
  Report(o.label, pair, "s");
}

BOOL CALLBACK MatchCheckButton(HWND child, LPARAM lp) {
  if (GetDlgCtrlID(child) != kCommand1) return TRUE;
  *reinterpret_cast<HWND*>(lp) = child;
  return FALSE;
}

// A check through the window's own button, answered before the figures are read.
void RunCheck(DWORD pid) {
  HWND main = FindShownWindow(pid);
  HWND button = nullptr;
  EnumChildWindows(main, MatchCheckButton, reinterpret_cast<LPARAM>(&button));
  if (!button) Die("no \"Check now!\" button");
  DWORD_PTR result = 0;
  // BM_CLICK returns once the check has run: the tool handles it in full
  // before it answers.
  if (!SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 60000, &result) ||
      !SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result)) {
    Die("the check did not answer");
  }
  if (FindBox(pid)) Die("the check showed a message box");
}

void BenchMemory(const Options& o) {
  const Pair pair = Alternate(
      o, [&] { return StartAndClose(o.tool, o.Windir(), RunCheck).peakKiB; },
      [&] { return StartAndClose(o.minimal, o.Windir(), [](DWORD) {}).peakKiB; });
  Report(o.label, pair, "KiB");
}

// Every program started from here ends when this one does, also after a
// failure: a program left running would keep the output pipe of the script
// that reads this one's report open, and the script waiting for it.
void EndChildrenWithThis() {
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!job ||
      !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
      !AssignProcessToJobObject(job, GetCurrentProcess())) {
    Die("cannot make a job object: error " + std::to_string(GetLastError()));
  }
}

// Children inherit this environment, the tool through the driver's App.
void UseSystemDrive(const Options& o) {
  const std::wstring temp = o.Windir() + L"\\Temp";
  CreateDirectoryW(temp.c_str(), nullptr);
  if (!SetEnvironmentVariableW(L"TEMP", temp.c_str()) ||
      !SetEnvironmentVariableW(L"TMP", temp.c_str())) {
    Die("cannot set TEMP");
  }
}

[[noreturn]] void Usage() {
  Die("usage: bench.exe v3 TOOL FLOOR DRIVE FILES RUNS fresh|repeat BUDGET LABEL\n"
      "       bench.exe ou TOOL FLOOR DRIVE FILES RUNS LABEL\n"
      "       bench.exe start|memory TOOL MINIMAL DRIVE RUNS LABEL");
}

int Number(const std::wstring& text) {
  const int value = static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
  if (value <= 0) Usage();
  return value;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> args(argv + 1, argv + argc);
  if (args.empty()) Usage();
  EndChildrenWithThis();
  Options o;
  const std::wstring what = args[0];
  if (what == L"v3" && args.size() == 9) {
    o.tool = args[1];
    o.floor = args[2];
    o.drive = args[3][0];
    o.files = Number(args[4]);
    o.runs = Number(args[5]);
    if (args[6] != L"fresh" && args[6] != L"repeat") Usage();
    o.repeat = args[6] == L"repeat";
    o.budget = std::wcstod(args[7].c_str(), nullptr);
    o.label = Narrow(args[8]);
    UseSystemDrive(o);
    BenchV3(o);
  } else if (what == L"ou" && args.size() == 7) {
    o.tool = args[1];
    o.floor = args[2];
    o.drive = args[3][0];
    o.files = Number(args[4]);
    o.runs = Number(args[5]);
    o.label = Narrow(args[6]);
    UseSystemDrive(o);
    BenchOu(o);
  } else if ((what == L"start" || what == L"memory") && args.size() == 6) {
    o.tool = args[1];
    o.minimal = args[2];
    o.drive = args[3][0];
    o.runs = Number(args[4]);
    o.label = Narrow(args[5]);
    UseSystemDrive(o);
    if (what == L"start") {
      BenchStart(o);
    } else {
      BenchMemory(o);
    }
  } else {
    Usage();
  }
  return 0;
}
