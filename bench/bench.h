// What the benchmark's parts share: the options of a measurement, the
// figures of its runs, and the functions that time the tool and the
// references (bench.cpp drives the runs; tool.cpp times the tool;
// references.cpp the reference programs and the floor; report.cpp prints).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Driver.h"
#include "clock.h"

namespace lnf::bench {

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

[[noreturn]] void Die(const std::string& why);
double Median(std::vector<double> values);

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

inline std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

struct Count {
  int files = 0;
  int folders = 0;
};

struct Pair {
  std::vector<double> ours;
  std::vector<double> reference;
  std::vector<double> floor;  // empty when there is no floor
};

// --- Files.

void RemoveTree(const std::wstring& path);
Count CountTree(const std::wstring& path, bool recursive);

// --- Processes and windows.

PROCESS_INFORMATION Start(const std::wstring& exe, std::wstring commandLine,
                          const std::wstring* environment, bool quiet);

// --- The measurements.

double TimeToolBackup(const Options& o, int selector, int button);
double TimeProcess(const std::wstring& exe, const std::wstring& commandLine);
double TimeFloor(const Options& o, const wchar_t* what, int files);
std::wstring SystemProgram(const wchar_t* name);
void CheckCopies(const Options& o, const std::wstring& where, bool recursive);

// Starts a GUI program, waits for its window and closes it again; gives the
// time from CreateProcess to the window shown, or (peakKiB) the process's
// peak working set once `settle` has run.
struct Started {
  double seconds;
  double peakKiB;
};

Started StartAndClose(const std::wstring& exe, const std::wstring& windir,
                      const std::function<void(DWORD pid)>& settle);
// A check through the window's own button, answered before the figures are read.
void RunCheck(DWORD pid);

void Report(const std::string& label, const Pair& pair, const char* unit);

}  // namespace lnf::bench
