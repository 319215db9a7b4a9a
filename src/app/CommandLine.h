// What the program is asked to do when it starts. Without arguments it is
// the window and nothing else; "/collect" runs what a person would do and
// packs the result into one file, unattended; "/?" shows how to ask.
#pragma once

#include <string>
#include <vector>

namespace lnf {

// Exit codes of an unattended collection; the window's own run ends with 0.
constexpr int kExitCollected = 0;     // every kind found was backed up and packed
constexpr int kExitNothingFound = 1;  // no inventories; the package holds the manifest and log
constexpr int kExitFailed = 2;        // a backup or the package failed; the log says which
constexpr int kExitBadArguments = 3;  // nothing was done

struct CommandLine {
  enum class Mode { Window, Collect, Usage, Invalid };
  Mode mode = Mode::Window;
  // Where the package goes ("/out PATH"); empty: beside LNF_INV.
  std::string outPath;
  // The root of another installation's system drive to collect from
  // ("/from PATH"); empty: the running system's own.
  std::string fromPath;
  // What was not understood, for the box that says so.
  std::string problem;
  // "/collect" is on the line, understood or not: a script runs it, and no
  // box may wait for a person; what is said goes to its console instead.
  bool collect = false;
};

// The program's command line split as the C runtime splits it: blanks part
// the arguments, double quotes hold blanks in, and backslashes count before
// a quote only (2n of them give n and a quote that opens or closes, 2n+1
// give n and a literal quote). The program's own name comes first and is
// dropped.
std::vector<std::string> SplitCommandLine(const std::string& line);

// Options start with "/" or "-" and are read without regard to case. A
// "/out" path that cannot name a package is not understood either
// (OutPathProblem).
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// Why `path` cannot be a package's name, whatever the disk holds, or empty
// when it can: it ends in a separator (or "." or ".."), its name ends in a
// dot or a blank or is a device ("con.zip", "aux", "com1"), which Windows'
// path parsing turns into another name or the device, a colon follows
// anything but a drive letter (a file's stream), or it holds a character no
// name may.
std::string OutPathProblem(const std::string& path);

// The text of the box that "/?" shows, and that follows what was not
// understood.
std::string UsageText();

}  // namespace lnf
