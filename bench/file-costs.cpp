// What the single operations of a backup cost under Wine, per file, in a
// folder of a given size: the figures behind the analysis in
// docs/PERFORMANCE.md. Not part of bench/run.sh; run it by hand in the
// benchmark's prefix once run.sh has laid out the drives, e.g.
//
//   wine build/bench/tools/file-costs.exe "E:\Program Files\WindowsUpdate" E:\LNF_INV 300
//
// SOURCE is a folder of files, DESTINATION a folder that already holds copies
// of them (run.sh's repeated backups leave one), SLOW how many files the
// operations that create a new name beside the copies are tried on. TEMP
// should name a folder on the same drive. The copies are rewritten with the
// same contents; nothing else is left behind.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "clock.h"

namespace {

void Print(const char* what, double seconds, size_t count) {
  std::printf("%-46s %9.1f us each\n", what, seconds / static_cast<double>(count) * 1e6);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: file-costs.exe SOURCE DESTINATION SLOW\n");
    return 2;
  }
  const std::wstring source = argv[1];
  const std::wstring destination = argv[2];
  const size_t slow = static_cast<size_t>(std::wcstol(argv[3], nullptr, 10));

  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((source + L"\\*.*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return 1;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  const size_t n = names.size();
  std::printf("%zu files\n", n);

  double start = Now();
  for (const std::wstring& name : names) {
    FindClose(FindFirstFileW((source + L"\\" + name).c_str(), &found));
  }
  Print("date by FindFirstFile on the exact path", Now() - start, n);

  start = Now();
  WIN32_FILE_ATTRIBUTE_DATA data;
  for (const std::wstring& name : names) {
    GetFileAttributesExW((source + L"\\" + name).c_str(), GetFileExInfoStandard, &data);
  }
  Print("date by GetFileAttributesEx", Now() - start, n);

  start = Now();
  for (const std::wstring& name : names) GetFileAttributesW((destination + L"\\" + name).c_str());
  Print("attributes of an existing copy", Now() - start, n);

  // A name that is not there is looked for in the whole folder; one that
  // fits 8.3 is compared with every entry's short name as well.
  start = Now();
  for (size_t i = 0; i < n; ++i) {
    GetFileAttributesW((destination + L"\\~nx" + std::to_wstring(i % 10000) + L".tmp").c_str());
  }
  Print("attributes of a missing 8.3 name", Now() - start, n);
  start = Now();
  for (size_t i = 0; i < n; ++i) {
    GetFileAttributesW((destination + L"\\missing-" + std::to_wstring(i) + L".partial").c_str());
  }
  Print("attributes of a missing long name", Now() - start, n);

  start = Now();
  for (const std::wstring& name : names) {
    CopyFileW((source + L"\\" + name).c_str(), (destination + L"\\" + name).c_str(), FALSE);
  }
  Print("CopyFile over the existing copy", Now() - start, n);

  if (slow > 0 && slow <= n) {
    start = Now();
    const std::wstring fresh = destination + L"\\~lnf0.tmp";
    for (size_t i = 0; i < slow; ++i) {
      CopyFileW((source + L"\\" + names[i]).c_str(), fresh.c_str(), TRUE);
      MoveFileExW(fresh.c_str(), (destination + L"\\" + names[i]).c_str(),
                  MOVEFILE_REPLACE_EXISTING);
    }
    Print("CopyFile to ~lnf0.tmp, MoveFileEx over the copy", Now() - start, slow);

    // The same through the temporary folder, which holds next to nothing.
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring staged = std::wstring(temp) + L"~lnf0.tmp";
    start = Now();
    for (size_t i = 0; i < n; ++i) {
      CopyFileW((source + L"\\" + names[i]).c_str(), staged.c_str(), TRUE);
      MoveFileExW(staged.c_str(), (destination + L"\\" + names[i]).c_str(),
                  MOVEFILE_REPLACE_EXISTING);
    }
    Print("CopyFile into TEMP, MoveFileEx over the copy", Now() - start, n);
  }

  start = Now();
  SYSTEMTIME now;
  wchar_t text[128];
  for (size_t i = 0; i < n; ++i) {
    GetLocalTime(&now);
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, text, 128);
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, text, 128);
  }
  Print("date and time of a log entry as text", Now() - start, n);

  // A console like the tool's, given one entry per file in one append, as
  // the tool does before its closing box, and then one entry more.
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                                nullptr, nullptr, nullptr, nullptr);
  HWND console = CreateWindowExW(
      WS_EX_CLIENTEDGE, L"EDIT", L"Log console",
      WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, 10, 10, 700,
      200, window, nullptr, nullptr, nullptr);
  SendMessageW(console, EM_LIMITTEXT, 0, 0);
  std::wstring tail;
  for (const std::wstring& name : names) {
    tail += L"\r\n(07/12/2026 09:20:11) [" + name + L"] File copied successfully.";
  }
  auto append = [&](const std::wstring& text) {
    SendMessageW(console, WM_SETREDRAW, FALSE, 0);
    const int end = GetWindowTextLengthW(console);
    SendMessageW(console, EM_SETSEL, end, end);
    SendMessageW(console, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(console, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(console, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
  };
  start = Now();
  append(tail);
  Print("log entry, all in one append to the console", Now() - start, n);
  start = Now();
  append(L"\r\n(07/12/2026 09:20:11) [one more] File copied successfully.");
  Print("one entry appended after those", Now() - start, 1);
  DestroyWindow(window);
  return 0;
}
