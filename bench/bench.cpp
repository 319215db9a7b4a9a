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
#include "bench.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

namespace lnf::bench {
namespace {

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

void BenchStart(const Options& o) {
  const Pair pair = Alternate(
      o, [&] { return StartAndClose(o.tool, o.Windir(), nullptr).seconds; },
      [&] { return StartAndClose(o.minimal, o.Windir(), nullptr).seconds; });
  Report(o.label, pair, "s");
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
}  // namespace lnf::bench

using namespace lnf::bench;

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
