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
// The tool: each backup run opens a staging folder of its own inside the
// backup root's "~lnf-staging" (the folder "0" when no other run is there),
// holding a lock file open in it, and closes it when the run ends. A copy
// onto a name that may already be there is made under a name of its own in
// that folder and renamed onto its real name, replacing an earlier copy. A
// first Office Update backup instead builds the whole tree inside the run's
// folder, straight under the real names, and renames the tree's top folder
// once at the end.
std::wstring g_parent;
std::wstring g_run;
HANDLE g_lock = INVALID_HANDLE_VALUE;

void OpenStaging(const std::wstring& root) {
  g_parent = root + L"\\~lnf-staging";
  g_run = g_parent + L"\\0";
  if (!CreateDirectoryW(g_parent.c_str(), nullptr)) Fail(L"CreateDirectory", g_parent);
  if (!CreateDirectoryW(g_run.c_str(), nullptr)) Fail(L"CreateDirectory", g_run);
  const std::wstring lock = g_run + L"\\~lnf-lock";
  g_lock = CreateFileW(lock.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  if (g_lock == INVALID_HANDLE_VALUE) Fail(L"CreateFile", lock);
}

void CloseStaging() {
  CloseHandle(g_lock);
  // The run's folder is looked through for what is left, then emptied.
  WIN32_FIND_DATAW found;
  const HANDLE find = FindFirstFileW((g_run + L"\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  const std::wstring lock = g_run + L"\\~lnf-lock";
  if (!DeleteFileW(lock.c_str())) Fail(L"DeleteFile", lock);
  if (!RemoveDirectoryW(g_run.c_str())) Fail(L"RemoveDirectory", g_run);
  if (!RemoveDirectoryW(g_parent.c_str())) Fail(L"RemoveDirectory", g_parent);
}

void CopyStep(const std::wstring& from, const std::wstring& to) {
  const std::wstring staged = g_run + L"\\~lnf-0.tmp";
  if (!CopyFileW(from.c_str(), staged.c_str(), TRUE)) Fail(L"CopyFile", staged);
  if (!MoveFileExW(staged.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) Fail(L"MoveFileEx", to);
  ++g_copied;
}

// Into a folder being built: nothing can be there yet.
void CopyNewStep(const std::wstring& from, const std::wstring& to) {
  if (!CopyFileW(from.c_str(), to.c_str(), TRUE)) Fail(L"CopyFile", to);
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

// Paths end in a backslash, as the tool's folder copy keeps them. `fresh`:
// the destination is inside a folder being built.
void CopyTree(const std::wstring& source, const std::wstring& destination, bool fresh) {
  if (!IsFolder(source)) Fail(L"source folder", source);
  EnsureFolder(destination);
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((source + L"*.*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (Hidden(found) || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
      if (fresh) {
        CopyNewStep(source + found.cFileName, destination + found.cFileName);
      } else {
        CopyStep(source + found.cFileName, destination + found.cFileName);
      }
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
    CopyTree(source + name + L"\\", destination + name + L"\\", fresh);
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
    OpenStaging(root);
    if (IsFolder(ou)) {
      CopyTree(drive + L"Program Files\\OfficeUpdate\\", ou + L"\\", false);
    } else {
      const std::wstring built = g_run + L"\\OU";
      if (!CreateDirectoryW(built.c_str(), nullptr)) Fail(L"CreateDirectory", built);
      CopyTree(drive + L"Program Files\\OfficeUpdate\\", built + L"\\", true);
      if (!MoveFileW(built.c_str(), ou.c_str())) Fail(L"MoveFile", ou);
    }
  }
  CloseStaging();
  const double seconds = Now() - start;
  std::printf("seconds %.6f files %d\n", seconds, g_copied);
  return 0;
}
