// The references the tool is timed against: xcopy, run as a process, and
// the floor program; and the files both leave behind, counted and removed.
#include <cstdio>
#include <cwchar>

#include "bench.h"

namespace lnf::bench {

namespace {

bool IsDots(const wchar_t* name) { return !std::wcscmp(name, L".") || !std::wcscmp(name, L".."); }

}  // namespace

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

std::wstring SystemProgram(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder) + L"\\" + name;
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

}  // namespace lnf::bench
