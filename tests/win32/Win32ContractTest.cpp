// The platform contract on real files, in a scratch folder under the user's
// temporary folder, plus what only the real platform does.
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Win32World.h"
#include "app/Events.h"
#include "form/MainForm.h"
#include "inventory/VersionResource.h"
#include "win32/OwnedHandle.h"

namespace lnf::contract {
namespace {

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

// A handle closed on the way out of a failing call must not hide why it
// failed; moving hands the one handle on, and only its last owner closes it.
TEST_F(Win32Only, OwnedHandlesKeepTheLastErrorAndMoveTheirHandle) {
  FileHandle first(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(first.IsSet());
  const HANDLE raw = first.get();
  FileHandle second(std::move(first));
  EXPECT_FALSE(first.IsSet());
  EXPECT_EQ(second.get(), raw);
  FileHandle third;
  third = std::move(second);
  EXPECT_EQ(third.get(), raw);
  DWORD flags = 0;
  EXPECT_TRUE(GetHandleInformation(raw, &flags)) << "the moves closed the handle";

  SetLastError(ERROR_DISK_FULL);
  third.Close();
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_FALSE(GetHandleInformation(raw, &flags)) << "the last owner did not close it";
}

// The test program's own version resource says 3.1.5.7.
TEST_F(Win32Only, VersionComesFromTheProgramsVersionResource) {
  const VersionNumbers version = platform().GetVersion();
  EXPECT_EQ(version.major, 3);
  EXPECT_EQ(version.minor, 1);
  EXPECT_EQ(version.revision, 7);
}

// --- The facts of the system, against the raw calls -------------------------

class SystemFactsOnly : public Win32Only {
 protected:
  static long long SecondsOf(const SYSTEMTIME& st) {
    FILETIME ft;
    EXPECT_TRUE(SystemTimeToFileTime(&st, &ft));
    return static_cast<long long>(
        ((static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) /
        10000000u);
  }
};

// Windows 9x keeps the version in the build number's high word as well.
TEST_F(SystemFactsOnly, WindowsVersionIsWhatGetVersionExSays) {
  OSVERSIONINFOA raw{};
  raw.dwOSVersionInfoSize = sizeof raw;
  ASSERT_TRUE(GetVersionExA(&raw));

  const WindowsVersion version = platform().GetWindowsVersion();

  EXPECT_EQ(version.major, static_cast<int>(raw.dwMajorVersion));
  EXPECT_EQ(version.minor, static_cast<int>(raw.dwMinorVersion));
  EXPECT_EQ(version.nt, raw.dwPlatformId == VER_PLATFORM_WIN32_NT);
  EXPECT_EQ(version.nt, nt());
  EXPECT_EQ(version.build, static_cast<int>(nt() ? raw.dwBuildNumber : LOWORD(raw.dwBuildNumber)));
  const std::string servicePack = raw.szCSDVersion;
  EXPECT_NE(servicePack.find(version.servicePack), std::string::npos) << servicePack;
  if (!version.servicePack.empty()) {
    EXPECT_NE(version.servicePack.front(), ' ');
    EXPECT_NE(version.servicePack.back(), ' ');
  }
}

TEST_F(SystemFactsOnly, LanguageIsTheSystemsDefaultLocaleNamedInEnglish) {
  const SystemLanguage language = platform().GetSystemLanguage();

  EXPECT_EQ(language.lcid, static_cast<std::uint32_t>(GetSystemDefaultLCID()));
  char name[128];
  ASSERT_GT(GetLocaleInfoA(GetSystemDefaultLCID(), LOCALE_SENGLANGUAGE, name, 128), 0);
  EXPECT_EQ(language.name, name);
  EXPECT_FALSE(language.name.empty());
}

// The moment is UTC, and the offset's sign is the one most easily got wrong:
// the local time less UTC, +60 or +120 in Berlin, where the bias is -60 or
// -120.
TEST_F(SystemFactsOnly, ClockReadsTheMomentWithTodaysOffsetFromUtc) {
  SYSTEMTIME before;
  GetSystemTime(&before);
  const ClockReading clock = platform().ReadClock();
  SYSTEMTIME after;
  SYSTEMTIME local;
  GetSystemTime(&after);
  GetLocalTime(&local);

  const long long kFrom1601 = 11644473600;
  EXPECT_GE(clock.now.SecondsSince1970() + kFrom1601, SecondsOf(before));
  EXPECT_LE(clock.now.SecondsSince1970() + kFrom1601, SecondsOf(after));
  const long long difference = SecondsOf(local) - SecondsOf(after);
  EXPECT_LE(std::llabs(clock.utcOffsetMinutes * 60LL - difference), 60) << difference;
  if (world.InEuropeanZone()) {
    EXPECT_EQ(clock.utcOffsetMinutes, world.SummerTimeNow() ? 120 : 60);
  }
}

// What a collection tells of another installation: a program file's version
// resource from its own bytes (here the test program's, as the linker and
// the resource compiler laid it out: 3.1.5.7 in US English, what the
// system's reader says too), and the volume of a root, as the raw call gives
// it, but none for a folder that is no root.
TEST_F(SystemFactsOnly, FileVersionsAndVolumesAreWhatTheSystemSays) {
  char module[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, module, MAX_PATH), 0u);
  FileVersionResource version;
  ASSERT_TRUE(ReadVersionResource(platform(), module, version));
  EXPECT_EQ(std::vector<int>({version.major, version.minor, version.build, version.revision}),
            std::vector<int>({3, 1, 5, 7}));
  EXPECT_EQ(version.language, 0x409u);
  EXPECT_FALSE(ReadVersionResource(platform(), world.Root() + "\\none.dll", version));

  const std::string root = world.Root().substr(0, 3);
  char label[MAX_PATH + 1];
  DWORD serial = 0;
  ASSERT_TRUE(GetVolumeInformationA(root.c_str(), label, MAX_PATH + 1, &serial, nullptr, nullptr,
                                    nullptr, 0));
  VolumeFacts volume;
  ASSERT_TRUE(platform().GetVolumeFacts(root.substr(0, 2), volume));
  EXPECT_EQ(volume.label, label);
  EXPECT_EQ(volume.serial, serial);
  EXPECT_FALSE(platform().GetVolumeFacts(world.Root(), volume));
}

// A near form (best fit) would give the archive another name than the file.
// Only Windows 9x keeps names in the code page; the NT family's go in UTF-8.
TEST_F(SystemFactsOnly, NamesGoIntoTheOemCodePageOnlyWhenExact) {
  std::string bytes;
  if (nt()) {
    EXPECT_FALSE(platform().ToArchiveCodePage("LNF_INV\\V4\\inv-1_2 (3).gng", bytes));
    EXPECT_FALSE(platform().ToArchiveCodePage("\xC3\x84rger.gng", bytes));  // "Ä"
    return;
  }
  EXPECT_TRUE(platform().ToArchiveCodePage("LNF_INV\\V4\\inv-1_2 (3).gng", bytes));
  EXPECT_EQ(bytes, "LNF_INV\\V4\\inv-1_2 (3).gng");
  EXPECT_TRUE(platform().ToArchiveCodePage("", bytes));
  EXPECT_EQ(bytes, "");
  EXPECT_FALSE(platform().ToArchiveCodePage("snow\xE2\x98\x83.gng", bytes));  // U+2603

  const UINT oem = GetOEMCP();
  if (oem != 437 && oem != 850) GTEST_SKIP() << "OEM code page " << oem;
  EXPECT_TRUE(platform().ToArchiveCodePage("\xC3\x84rger.gng", bytes));  // "Ä"
  EXPECT_EQ(bytes, "\x8Erger.gng");
  // "ā" has no form there, though best fit would make it "a".
  EXPECT_FALSE(platform().ToArchiveCodePage("\xC4\x81.gng", bytes));
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

  CopyFileReplacing(platform(), At("inv.gng"), dotted);

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
  FailureOf([&] { CopyFileReplacing(platform(), At("a.gng"), At("Журнал.gng")); });
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
      FailureOf([&] { CopyFileReplacing(platform(), At("a.gng"), tooLong); });
  EXPECT_EQ(error.subject(), At("a.gng") + " -> " + tooLong);

  // The ANSI functions need room for the terminating null: a path of
  // exactly MAX_PATH bytes is one too long, one byte less is searched for.
  const std::string path = world.Root() + "\\";
  const std::string exactly = path + std::string(MAX_PATH - path.size(), 'x');
  EXPECT_EQ(FailureOf([&] { platform().GetAttributes(exactly); }).number(),
            static_cast<std::uint32_t>(ERROR_FILENAME_EXCED_RANGE));
  const std::string shorter = exactly.substr(0, MAX_PATH - 1);
  EXPECT_NE(FailureOf([&] { platform().GetAttributes(shorter); }).number(),
            static_cast<std::uint32_t>(ERROR_FILENAME_EXCED_RANGE));
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
    form.Show(kOuFrame);  // as its selector does: a hidden button takes no click
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
