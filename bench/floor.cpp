// The floor of a backup: only the system calls that LNF_INVTOOL.exe makes for
// a backup, on the same files in the same order, with no window, no log and
// nothing else. bench.exe times the tool against it; the ratio is what the
// tool's window, log and structure cost beyond the file work itself.
//
//   floor.exe v3 DRIVE   the V2/V3.1 backup: DRIVE:\Program Files\WindowsUpdate
//                        into DRIVE:\LNF_INV (files dated before 2012 only)
//   floor.exe ou DRIVE   the Office Update backup: DRIVE:\Program Files\OfficeUpdate
//                        into DRIVE:\LNF_INV\OU, the whole tree
//
// Prints "seconds S files N": the time from the first system call to the
// last (its own process start left out, as the tool's is) and the files
// copied. Wide functions, as the tool uses on the NT family.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "clock.h"

namespace {

int g_copied = 0;

[[noreturn]] void Fail(const wchar_t* what, const std::wstring& path) {
  std::fwprintf(stderr, L"floor: %ls failed for %ls: error %lu\n", what, path.c_str(),
                GetLastError());
  std::exit(1);
}

// --- The copy, as the tool makes it. Everything a copy costs is here, in
// one place, so that it can follow the tool when the tool's copy changes.
//
// The tool: every copy, a first one too, is made under a name of its own in
// a staging folder inside the backup root (never over anything) and then
// renamed onto its real name, replacing an earlier copy. The staging folder
// is made when a backup starts and removed when it ends.
std::wstring g_staging;

void OpenStaging(const std::wstring& root) {
  g_staging = root + L"\\~lnf-staging";
  if (!CreateDirectoryW(g_staging.c_str(), nullptr)) Fail(L"CreateDirectory", g_staging);
}

void CloseStaging() {
  if (!RemoveDirectoryW(g_staging.c_str())) Fail(L"RemoveDirectory", g_staging);
}

void CopyStep(const std::wstring& from, const std::wstring& to) {
  const std::wstring staged = g_staging + L"\\~lnf-0.tmp";
  if (!CopyFileW(from.c_str(), staged.c_str(), TRUE)) Fail(L"CopyFile", staged);
  if (!MoveFileExW(staged.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) Fail(L"MoveFileEx", to);
  ++g_copied;
}

// --- The rest, as the tool does it.

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void EnsureFolder(const std::wstring& path) {
  if (!IsFolder(path) && !CreateDirectoryW(path.c_str(), nullptr)) Fail(L"CreateDirectory", path);
}

bool Hidden(const WIN32_FIND_DATAW& found) {
  return found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

bool IsDots(const wchar_t* name) { return !std::wcscmp(name, L".") || !std::wcscmp(name, L".."); }

int YearWritten(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) Fail(L"date", path);
  // The offset in force at the file's date, as the tool converts it.
  SYSTEMTIME utc;
  SYSTEMTIME st;
  if (!FileTimeToSystemTime(&data.ftLastWriteTime, &utc) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &st)) {
    Fail(L"date", path);
  }
  return st.wYear;
}

void BackupV3(const std::wstring& wudir, const std::wstring& root) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((wudir + L"\\*.*").c_str(), &found);
  EnsureFolder(root);
  OpenStaging(root);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (Hidden(found) || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    const std::wstring source = wudir + L"\\" + found.cFileName;
    if (YearWritten(source) < 2012) CopyStep(source, root + L"\\" + found.cFileName);
  } while (FindNextFileW(find, &found));
  FindClose(find);
}

// Paths end in a backslash, as the tool's folder copy keeps them.
void CopyTree(const std::wstring& source, const std::wstring& destination) {
  if (!IsFolder(source)) Fail(L"source folder", source);
  EnsureFolder(destination);
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((source + L"*.*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (Hidden(found) || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
      CopyStep(source + found.cFileName, destination + found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  std::vector<std::wstring> entries;
  find = FindFirstFileW((source + L"*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (IsDots(found.cFileName) || !Hidden(found)) entries.push_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  for (const std::wstring& name : entries) {
    if (IsDots(name.c_str()) || !IsFolder(source + name)) continue;
    EnsureFolder(destination + name);
    CopyTree(source + name + L"\\", destination + name + L"\\");
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 || (std::wcscmp(argv[1], L"v3") && std::wcscmp(argv[1], L"ou"))) {
    std::fwprintf(stderr, L"usage: floor.exe v3|ou DRIVE\n");
    return 2;
  }
  // Every path in the form the tool gives the system on the NT family.
  const std::wstring drive = L"\\\\?\\" + std::wstring(1, argv[2][0]) + L":\\";
  const std::wstring root = drive + L"LNF_INV";
  const double start = Now();
  if (!std::wcscmp(argv[1], L"v3")) {
    BackupV3(drive + L"Program Files\\WindowsUpdate", root);
  } else {
    const std::wstring ou = root + L"\\OU";
    EnsureFolder(root);
    EnsureFolder(ou);
    OpenStaging(root);
    CopyTree(drive + L"Program Files\\OfficeUpdate\\", ou + L"\\");
  }
  CloseStaging();
  const double seconds = Now() - start;
  std::printf("seconds %.6f files %d\n", seconds, g_copied);
  return 0;
}
