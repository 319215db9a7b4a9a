// The package's manifest: what a collection found and packed, as text that a
// person reads and a script parses.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "package/Sha256.h"
#include "time/Time.h"

namespace lnf {

// What became of one inventory kind.
struct KindOutcome {
  enum class State { NotFound, BackedUp, Failed };
  State state = State::NotFound;
  std::string error;  // for Failed: the failure as the log tells it
};

struct ManifestFile {
  std::string path;  // within LNF_INV, UTF-8, either slash
  std::uint64_t size = 0;
  UtcTime lastWrite;
  Sha256::Digest sha256{};
};

struct ManifestFacts {
  std::string toolName;
  std::string toolVersion;
  UtcTime collectedAt;
  int utcOffsetMinutes = 0;  // local time less UTC then: +60 for Central European winter time
  int windowsMajor = 0, windowsMinor = 0, windowsBuild = 0;
  std::string servicePack;  // empty: none
  bool windowsNt = true;
  std::uint32_t lcid = 0;
  std::string languageName;
  std::string ieVersion;  // empty: no Internet Explorer in the registry
  std::string systemDrive, wuDir, v4Dir, ouDir;
  // A collection from another installation: the root it was given, and
  // that installation's facts ("windows-version", "4.10.2222 (from ...)"),
  // each with the file it came from. Empty for a local collection.
  std::string examinedPath;
  std::vector<std::pair<std::string, std::string>> examined;
  KindOutcome v2v31, v4, officeUpdate;
  std::vector<ManifestFile> files;  // in the package's order
};

// A text kept to one line: trailing line breaks (as system error texts end)
// go, inner ones (CR LF, CR or LF) become one blank each.
std::string OneLine(const std::string& text);

// UTF-8, CR LF after every line, one "key: value" a line: a script splits at
// the first ": ". Every value stays on its line (line breaks in an error text
// become blanks). A file is one line
//   file: <sha256 hex> <size> <last write, UTC> <path>
// with the path last, so that blanks in it need no quoting, and with forward
// slashes, as in the zip.
std::string ComposeManifest(const ManifestFacts& facts);

// A line of the file beside the package that "sha256sum -c" checks: the hex
// digest, two blanks (text mode) and the file's name, ending in LF, which it
// reads on every system.
std::string ComposeChecksumLine(const Sha256::Digest& digest, const std::string& fileName);

}  // namespace lnf
