// The platform contract on real files, in a scratch folder under the user's
// temporary folder, plus what only the real platform does.
#include <windows.h>

#include <string>
#include <vector>

#include "../contract/PlatformContract.h"
#include "HostShell.h"
#include "app/Events.h"
#include "form/MainForm.h"
#include "platform/PathText.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WindowsFamily.h"

namespace lnf::contract {
namespace {

// The world is built with the wide functions and "\\?\" paths whatever the
// platform under test uses, so that it stands apart from the code it checks
// (Wine has the wide functions in its Windows 98 mode too).
std::wstring Wide(const std::string& utf8) {
  const std::u16string text = Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

std::string Utf8(const std::wstring& wide) {
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

std::wstring Long(const std::string& path) { return L"\\\\?\\" + Wide(path); }

void Check(bool ok, const std::string& what) {
  if (!ok) throw std::runtime_error(what + ": error " + std::to_string(GetLastError()));
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      // A link goes, not what it points at.
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
          !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveTree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(folder.c_str());
}

class Win32World {
 public:
  Win32World() {
    static int made = 0;
    wchar_t temp[MAX_PATH];
    Check(GetTempPathW(MAX_PATH, temp) > 0, "GetTempPath");
    std::string folder = Utf8(temp);
    if (folder.back() == '\\') folder.pop_back();
    root_ = folder + "\\lnf-contract-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++made);
    RemoveTree(Long(root_));
    Check(CreateDirectoryW(Long(root_).c_str(), nullptr), "CreateDirectory " + root_);
  }
  ~Win32World() {
    for (HANDLE held : held_) CloseHandle(held);
    // Wine removes no link to a folder; the host does.
    if (madeLinks_) host::RunOnHost("rm -rf " + host::Quoted(host::UnixPath(Wide(root_))));
    RemoveTree(Long(root_));
  }
  Win32World(const Win32World&) = delete;
  Win32World& operator=(const Win32World&) = delete;

  Win32Platform& platform() { return platform_; }
  std::string Root() const { return root_; }

  void MakeFolder(const std::string& path, std::uint32_t attributes) {
    Check(CreateDirectoryW(Long(path).c_str(), nullptr), "CreateDirectory " + path);
    if (attributes) Check(SetFileAttributesW(Long(path).c_str(), attributes), "SetFileAttributes");
  }

  void MakeFile(const std::string& path, const std::string& contents,
                const LocalDateTime& lastWrite, std::uint32_t attributes) {
    const std::wstring name = Long(path);
    SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    const HANDLE file =
        CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    Check(file != INVALID_HANDLE_VALUE, "CreateFile " + path);
    DWORD written = 0;
    const BOOL wrote =
        WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(lastWrite.year);
    st.wMonth = static_cast<WORD>(lastWrite.month);
    st.wDay = static_cast<WORD>(lastWrite.day);
    st.wHour = static_cast<WORD>(lastWrite.hour);
    st.wMinute = static_cast<WORD>(lastWrite.minute);
    st.wSecond = static_cast<WORD>(lastWrite.second);
    // Stamped so that the platform reads `lastWrite` back: NT takes the
    // offset of that date, 9x today's.
    FILETIME local;
    FILETIME utc;
    SYSTEMTIME universal;
    const BOOL converted =
        IsNtFamily() ? TzSpecificLocalTimeToSystemTime(nullptr, &st, &universal) &&
                           SystemTimeToFileTime(&universal, &utc)
                     : SystemTimeToFileTime(&st, &local) && LocalFileTimeToFileTime(&local, &utc);
    const BOOL dated = converted && SetFileTime(file, nullptr, nullptr, &utc);
    CloseHandle(file);
    Check(wrote && written == contents.size() && dated, "writing " + path);
    if (attributes) Check(SetFileAttributesW(name.c_str(), attributes), "SetFileAttributes");
  }

  bool Exists(const std::string& path) const {
    return GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  std::string Contents(const std::string& path) const {
    const HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<unreadable: " + std::to_string(GetLastError()) + ">";
    std::string contents;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
      contents.append(buffer, got);
    }
    CloseHandle(file);
    return contents;
  }

  void SetEnvironment(const std::string& name, const std::string& value) {
    Check(SetEnvironmentVariableW(Wide(name).c_str(), Wide(value).c_str()), "SetEnvironment");
  }

  // Open for reading, as a viewer would hold it: it can be read, but neither
  // written nor renamed over.
  void HoldOpen(const std::string& path) {
    const HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    Check(file != INVALID_HANDLE_VALUE, "opening " + path);
    held_.push_back(file);
  }

  // Windows 9x reaches files through the ANSI code page only.
  bool CanName(const std::string& name) const {
    if (IsNtFamily()) return true;
    const std::wstring wide = Wide(name);
    BOOL lossy = FALSE;
    char ansi[MAX_PATH];
    const int length =
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi, MAX_PATH, nullptr, &lossy);
    wchar_t back[MAX_PATH];
    return length > 0 && !lossy && MultiByteToWideChar(CP_ACP, 0, ansi, -1, back, MAX_PATH) > 0 &&
           wide == back;
  }

  bool HandlesLongPaths() const { return IsNtFamily(); }
  bool Nt() const { return IsNtFamily(); }

  // Real Windows makes links itself (with the right to); under Wine, whose
  // CreateSymbolicLink makes nothing, the host does.
  bool MakeLink(const std::string& path, const std::string& target, bool folder) {
    if (!host::IsWine()) {
      using MakeSymbolicLink = BOOLEAN(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);
      const auto make = reinterpret_cast<MakeSymbolicLink>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkW")));
      return make && make(Long(path).c_str(), Long(target).c_str(), folder ? 1 : 0);
    }
    const std::string link = host::UnixPath(Wide(path));
    const std::string to = host::UnixPath(Wide(target));
    if (link.empty() || to.empty()) return false;
    madeLinks_ = true;
    return host::RunOnHost("ln -s " + host::Quoted(to) + " " + host::Quoted(link));
  }

  void MakeFileWrittenAt(const std::string& path, const std::string& contents,
                         const LocalDateTime& utc) {
    MakeFile(path, contents, kOld, 0);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(utc.year);
    st.wMonth = static_cast<WORD>(utc.month);
    st.wDay = static_cast<WORD>(utc.day);
    st.wHour = static_cast<WORD>(utc.hour);
    st.wMinute = static_cast<WORD>(utc.minute);
    st.wSecond = static_cast<WORD>(utc.second);
    FILETIME stamp;
    const HANDLE file = CreateFileW(Long(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    Check(file != INVALID_HANDLE_VALUE, "opening " + path);
    const BOOL dated =
        SystemTimeToFileTime(&st, &stamp) && SetFileTime(file, nullptr, nullptr, &stamp);
    CloseHandle(file);
    Check(dated, "dating " + path);
  }

  // Central European Time: an hour east of UTC, two in summer, from the
  // last Sunday of March to the last Sunday of October.
  bool InEuropeanZone() const {
    TIME_ZONE_INFORMATION zone;
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return false;
    return zone.Bias == -60 && zone.DaylightBias == -60 && zone.DaylightDate.wMonth == 3 &&
           zone.DaylightDate.wDay == 5 && zone.StandardDate.wMonth == 10 &&
           zone.StandardDate.wDay == 5;
  }
  bool SummerTimeNow() const {
    TIME_ZONE_INFORMATION zone;
    return GetTimeZoneInformation(&zone) == TIME_ZONE_ID_DAYLIGHT;
  }

 private:
  Win32Platform platform_;
  std::string root_;
  std::vector<HANDLE> held_;
  bool madeLinks_ = false;
};

LNF_INSTANTIATE_PLATFORM_CONTRACT(Win32, Win32World);

// --- What only the real platform has ---------------------------------------

class Win32Only : public ContractTest<Win32World> {
 protected:
  bool nt() { return IsNtFamily(); }
};

TEST_F(Win32Only, GeneralDateLeavesTheTimeOutAtExactlyMidnight) {
  const std::string midnight = FormatGeneralDate({2001, 6, 15, 0, 0, 0});
  const std::string second = FormatGeneralDate({2001, 6, 15, 0, 0, 1});
  const std::string noon = FormatGeneralDate({2001, 6, 15, 12, 0, 0});

  SYSTEMTIME st{};
  st.wYear = 2001;
  st.wMonth = 6;
  st.wDay = 15;
  wchar_t shortDate[128];
  ASSERT_GT(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, shortDate, 128), 0);
  EXPECT_EQ(midnight, Utf8(shortDate));
  for (const std::string& withTime : {second, noon}) {
    ASSERT_GT(withTime.size(), midnight.size() + 1) << withTime;
    EXPECT_EQ(withTime.substr(0, midnight.size() + 1), midnight + " ");
  }
  EXPECT_NE(second, noon);
}

TEST_F(Win32Only, NowIsTodaysDate) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::string today = FormatGeneralDate({now.wYear, now.wMonth, now.wDay, 0, 0, 0});
  EXPECT_EQ(platform().NowAsGeneralDate().substr(0, today.size()), today);
}

// The test program's own version resource says 3.1.5.7.
TEST_F(Win32Only, VersionComesFromTheProgramsVersionResource) {
  const VersionNumbers version = platform().GetVersion();
  EXPECT_EQ(version.major, 3);
  EXPECT_EQ(version.minor, 1);
  EXPECT_EQ(version.revision, 7);
}

// "\\?\" paths get no clean-up from the system, so "." and ".." must be
// resolved before the prefix goes on.
TEST_F(Win32Only, LongPathsMayHoldDotComponents) {
  if (!nt()) GTEST_SKIP() << "Windows 9x has no paths past MAX_PATH";
  std::string deep = world.Root();
  while (deep.size() < 300) {
    deep += "\\" + std::string(60, 'L');
    platform().CreateFolder(deep);
  }
  File("inv.gng", "dots");
  const std::string cut = deep.substr(deep.rfind('\\') + 1);
  const std::string dotted = deep + "\\.\\..\\" + cut + "\\\\inv.gng";

  platform().CopyFileReplacing(At("inv.gng"), dotted);

  EXPECT_EQ(world.Contents(deep + "\\inv.gng"), "dots");
  EXPECT_TRUE(platform().GetAttributes(deep + "\\..\\" + cut) & kAttrDirectory);
  EXPECT_EQ(List(deep + "\\.\\*.gng", EntryFilter::kFiles), (Names{"inv.gng"}));
  EXPECT_EQ(List(deep + "/", EntryFilter::kFiles), (Names{"inv.gng"}));
}

// A name the ANSI code page cannot spell must fail, not be bent into a
// wildcard or a look-alike that names another file.
TEST_F(Win32Only, NamesOutsideTheAnsiCodePageFailOn9x) {
  if (nt()) GTEST_SKIP() << "the NT family takes every name";
  File("a.gng");
  if (world.CanName("Журнал.gng")) GTEST_SKIP() << "this code page spells Cyrillic";

  const PlatformError error = FailureOf([&] { platform().GetAttributes(At("Журнал.gng")); });
  EXPECT_EQ(error.number(), static_cast<std::uint32_t>(ERROR_NO_UNICODE_TRANSLATION));
  FailureOf([&] { platform().CopyFileReplacing(At("a.gng"), At("Журнал.gng")); });
  EXPECT_EQ(List(At(""), EntryFilter::kFiles), (Names{"a.gng"}));
}

TEST_F(Win32Only, PastMaxPathFailsOn9xNamingTheWholePath) {
  if (nt()) GTEST_SKIP() << "the NT family takes long paths";
  File("a.gng");
  const std::string tooLong = world.Root() + "\\" + std::string(260, 'x');

  for (const auto& action : std::vector<std::function<void()>>{
           [&] { platform().GetAttributes(tooLong); },
           [&] { platform().GetLastWriteTime(tooLong); },
           [&] { platform().Enumerate(tooLong + "\\*", EntryFilter::kFiles); }}) {
    const PlatformError error = FailureOf(action);
    EXPECT_EQ(error.number(), static_cast<std::uint32_t>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(error.subject().substr(0, tooLong.size()), tooLong);
  }
  const PlatformError error =
      FailureOf([&] { platform().CopyFileReplacing(At("a.gng"), tooLong); });
  EXPECT_EQ(error.subject(), At("a.gng") + " -> " + tooLong);
}

// The Office Update backup through the window's own dispatcher, on real
// folders, with message boxes recorded instead of shown.
class RecordingWin32 : public Win32Platform {
 public:
  std::vector<std::string> messages;

 protected:
  void ShowModalMessage(const std::string& text, int, const std::string&) override {
    messages.push_back(text);
  }
};

class DeepTree : public Win32Only {
 protected:
  // A tree whose deepest file path is longer than MAX_PATH.
  std::string MakeDeepTree(const std::string& top) {
    world.MakeFolder(top, 0);
    std::string deep = top;
    while (deep.size() < 320) {
      deep += "\\" + std::string(50, 'D');
      world.MakeFolder(deep, 0);
    }
    world.MakeFile(top + "\\top.txt", "top", {2001, 1, 1, 0, 0, 0}, 0);
    world.MakeFile(deep + "\\deep.cab", "deep", {2001, 1, 1, 0, 0, 0}, 0);
    return deep.substr(top.size());
  }
  void BackUpOfficeUpdate(RecordingWin32& platform) {
    MainForm form(platform, kMainFormEvents);
    form.SYSDRIVE = world.Root() + "\\";
    form.OUDIR = world.Root() + "\\OfficeUpdate";
    form.Click(kCommand5);
  }
};

TEST_F(DeepTree, OfficeUpdateBackupCopiesATreeDeeperThanMaxPathOnNt) {
  if (!nt()) GTEST_SKIP() << "Windows 9x has no paths past MAX_PATH";
  const std::string below = MakeDeepTree(world.Root() + "\\OfficeUpdate");
  RecordingWin32 platform;
  BackUpOfficeUpdate(platform);
  const std::string copy = world.Root() + "\\LNF_INV\\OU";
  EXPECT_EQ(world.Contents(copy + "\\top.txt"), "top");
  EXPECT_EQ(world.Contents(copy + below + "\\deep.cab"), "deep");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].rfind("Backup done in ", 0), 0u);
}

TEST_F(DeepTree, TooDeepATreeOn9xIsReportedWithItsFullPathAndNothingIsCutShort) {
  if (nt()) GTEST_SKIP() << "the NT family takes long paths";
  MakeDeepTree(world.Root() + "\\OfficeUpdate");
  RecordingWin32 platform;
  BackUpOfficeUpdate(platform);
  ASSERT_EQ(platform.messages.size(), 1u);
  const std::string& report = platform.messages[0];
  EXPECT_EQ(report.rfind("Error " + std::to_string(ERROR_FILENAME_EXCED_RANGE) + ": ", 0), 0u)
      << report;
  // The path named is whole: the source's or the copy's, whichever reached
  // the limit first, ending in a complete folder name.
  const std::size_t path = report.find(world.Root() + "\\");
  ASSERT_NE(path, std::string::npos) << report;
  const std::string named = report.substr(path);
  EXPECT_GE(named.size(), static_cast<std::size_t>(MAX_PATH - 12)) << named;
  EXPECT_EQ(named.substr(named.size() - 51), "\\" + std::string(50, 'D')) << named;
  // What fitted was copied; nothing landed under a shortened name.
  EXPECT_EQ(world.Contents(world.Root() + "\\LNF_INV\\OU\\top.txt"), "top");
  EXPECT_FALSE(world.Exists(world.Root() + "\\LNF_INV\\OU\\deep.cab"));
}

}  // namespace
}  // namespace lnf::contract
