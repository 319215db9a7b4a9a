// Path and text helpers shared by every platform implementation. Pure string
// work: no operating-system calls.
#pragma once

#include <cstdint>
#include <string>

namespace lnf {

// Windows wildcard match of one name component, without regard to ASCII case:
// `*` is any run of characters, `?` any one; "*.*" matches every name, with or
// without a dot, as it does on Windows.
bool WildcardMatch(const std::string& pattern, const std::string& name);

// ASCII-only lower case; the names of other scripts keep their case, which is
// how the tool compares file names everywhere except in wildcard matching.
std::string AsciiLower(std::string text);

// Splits an enumeration pattern at its last backslash (or slash): the folder
// part keeps its separator; a pattern ending in a separator has an empty name
// part, which stands for every entry.
struct SplitPattern {
  std::string folder;
  std::string name;
};
SplitPattern SplitAtLastSeparator(const std::string& pattern);

bool HasWildcard(const std::string& name);

// Whether `path` names one place whatever the current drive and folder:
// "C:\..." or "\\server\share...". "Programme", "\Programme" and
// "C:Programme" each depend on what is current, and are not.
bool IsAbsolutePath(const std::string& path);

// Whether Windows' own path parsing would change this name (one component)
// into another one: a trailing dot or blank is dropped, and a reserved device
// name ("nul.inv", "aux.cab", "com1.bm", "CON") names the device, whatever
// its extension. Only "\\?\" paths, which Windows 9x lacks, take them as
// they are.
bool IsNameThatPathParsingChanges(const std::string& name);
// The same for any component of a path; wildcard components are patterns,
// not names, and are left alone.
bool PathHoldsNameThatParsingChanges(const std::string& path);
// The "\\?\" form of a path, in which the NT family takes every name
// literally ("trail.inv.", "nul.inv", a folder "CON") and no length limit
// but the file system's applies: "C:\a" becomes "\\?\C:\a" and
// "\\server\share\a" becomes "\\?\UNC\server\share\a". That switches off
// the system's own clean-up, so "." and ".." and doubled separators are
// resolved here, never above the drive or the share. Paths already in a
// system form ("\\?\", "\\.\") and relative ones (which only the system can
// resolve) are returned as they are. `path` uses backslashes only.
std::string LiteralForm(const std::string& path);
// The name of a copy in progress in a staging folder: "~lnf-" and a number,
// with ".tmp" for a new copy or ".old" for an earlier one set aside. Fixed
// names (no process id), so that a later run knows what an interrupted one
// left behind; short, so that they fit wherever the destination does.
std::string StagingFileName(int number, const char* extension);
// Whether `name` is one that StagingFileName gives a new copy (".tmp"):
// what an interrupted run leaves of one may go. An earlier copy set aside
// (".old") may be the only copy left of its file, so it never goes.
bool IsCopyInProgressName(const std::string& name);

// UTF-8 <-> UTF-16, done by hand so that they behave the same on every host and
// on Windows 95, which lacks CP_UTF8. Malformed input becomes U+FFFD.
std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);

// The general date form: the short date, a blank and the long time; the time
// is left out at exactly midnight.
std::string ComposeGeneralDate(const std::string& shortDate, const std::string& longTime,
                               bool isMidnight);

}  // namespace lnf
