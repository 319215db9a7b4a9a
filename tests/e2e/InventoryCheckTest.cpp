// "Check now!" against real folders: which of the three outcomes the window
// shows, the file lists, the decoded values, the log, and the selectors that
// show one kind's frame at a time. One start of the tool runs every case; each
// case lays out the folders afresh and presses the button again.
#include <algorithm>
#include <vector>

#include "ToolTest.h"
#include "form/ControlTable.h"

namespace lnf::e2e {
namespace {

const Stamp kOld = {2005, 6, 1, 12, 0};

const std::wstring kV3Retrieving = L") Retrieving Windows Update V3.1 inventories...";
const std::wstring kV4Retrieving = L") Retrieving Windows Update V4 inventories...";
const std::wstring kOuRetrieving = L") Retrieving Office Update inventories...";
const std::wstring kFilesFound = L") Files found.";

using Lines = std::vector<std::wstring>;

// Names the system's program-files folder in the prefix's registry, as
// setup does, until destroyed; then puts back what was there. `strayByte`:
// one byte more after the terminating null, as some installers write.
class ProgramFilesDir {
 public:
  explicit ProgramFilesDir(const std::wstring& value, DWORD type = REG_EXPAND_SZ,
                           bool strayByte = false) {
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", 0,
                  KEY_QUERY_VALUE | KEY_SET_VALUE, &key_);
    DWORD size = sizeof(old_) - sizeof(wchar_t);
    had_ = key_ && RegQueryValueExW(key_, kName, nullptr, &oldType_, reinterpret_cast<BYTE*>(old_),
                                    &size) == ERROR_SUCCESS;
    oldSize_ = size;
    const auto* text = reinterpret_cast<const BYTE*>(value.c_str());
    std::vector<BYTE> bytes(text, text + (value.size() + 1) * sizeof(wchar_t));
    if (strayByte) bytes.push_back('x');
    set_ = key_ && RegSetValueExW(key_, kName, 0, type, bytes.data(),
                                  static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
  }
  ~ProgramFilesDir() {
    if (!key_) return;
    if (had_) {
      RegSetValueExW(key_, kName, 0, oldType_, reinterpret_cast<const BYTE*>(old_), oldSize_);
    } else {
      RegDeleteValueW(key_, kName);
    }
    RegCloseKey(key_);
  }
  ProgramFilesDir(const ProgramFilesDir&) = delete;
  ProgramFilesDir& operator=(const ProgramFilesDir&) = delete;
  bool set() const { return set_; }

 private:
  static constexpr const wchar_t* kName = L"ProgramFilesDir";
  HKEY key_ = nullptr;
  bool had_ = false;
  bool set_ = false;
  DWORD oldType_ = 0;
  DWORD oldSize_ = 0;
  wchar_t old_[1024] = {};
};

class InventoryCheck : public ToolTest {
 protected:
  void Put(const std::wstring& path, const std::string& bytes = "inventory") {
    const auto slash = path.find_last_of(L'\\');
    ASSERT_TRUE(MakeFolders(path.substr(0, slash)));
    ASSERT_TRUE(MakeFile(path, bytes, kOld)) << Narrow(path);
  }
  void PutHidden(const std::wstring& path) {
    Put(path);
    ASSERT_TRUE(SetHidden(path));
  }

  // A machine with all three kinds, and things that must not be listed.
  void LayOutAllThreeKinds() {
    for (const wchar_t* name : {L"91026xx.as", L"cat.bm", L"data.inv", L"en.gng", L"readme.txt"}) {
      Put(Wu(name));
    }
    PutHidden(Wu(L"zz.gng"));  // would be decoded last if it were seen
    Put(Wu(L"sub.inv\\inner.txt"));
    Put(Wu(L"V4\\iuhist.xml"));
    Put(layout().windir + L"\\Windows Update.log");
    Put(Ou(L"b.txt"));
    Put(Ou(L"a.cab"));
    PutHidden(Ou(L"h.txt"));
    Put(Ou(L"Sub\\inner.txt"));
  }

  // Which of the window's own controls are visible, as a person sees them.
  void ExpectShown(std::initializer_list<ControlId> shown) {
    for (ControlId id : {kNoInvLbl, kNoInvText, kSelectText, kV3btn, kV4btn, kOuBtn, kV3Frame,
                         kV4frame, kOuFrame}) {
      const bool expected = std::find(shown.begin(), shown.end(), id) != shown.end();
      EXPECT_EQ(app().OwnVisible(id), expected) << SpecOf(id).name;
    }
  }

  void ExpectListsEmptyAndValuesUnknown() {
    EXPECT_EQ(app().Text(kV3InvFilesList), L"");
    EXPECT_EQ(app().Text(kV4InvFilesList), L"");
    EXPECT_EQ(app().Text(kOuInvFilesList), L"");
    EXPECT_EQ(app().Text(kLabel9), L"Unknown");
    EXPECT_EQ(app().Text(kLabel11), L"Unknown");
    EXPECT_EQ(app().Text(kLabel13), L"Unknown");
  }

  // Only `frame` (and what it holds) is on screen, above the hint.
  void ExpectOnlyFrameShown(ControlId frame, std::initializer_list<ControlId> contents) {
    for (ControlId id : {kV3Frame, kV4frame, kOuFrame}) {
      EXPECT_EQ(app().OnScreen(id), id == frame) << SpecOf(id).name;
    }
    for (ControlId id : contents) EXPECT_TRUE(app().OnScreen(id)) << SpecOf(id).name;
    // The hint stays shown underneath; the selectors and the console stay.
    EXPECT_TRUE(app().OwnVisible(kSelectText));
    for (ControlId id : {kV3btn, kV4btn, kOuBtn, kLogConsole}) {
      EXPECT_TRUE(app().OnScreen(id)) << SpecOf(id).name;
    }
  }
};

TEST_F(InventoryCheck, WithoutTheClientFolderShowsTheNoticeAndLooksNoFurther) {
  // An Office Update folder alone does not count: it is not even examined.
  Put(Ou(L"office.txt"));
  EXPECT_EQ(CheckNow(), Lines{});
  ExpectShown({kNoInvLbl, kNoInvText});
  ExpectListsEmptyAndValuesUnknown();
  EXPECT_TRUE(app().OnScreen(kNoInvLbl));
  EXPECT_TRUE(app().OnScreen(kNoInvText));
  TakeScreenshot("check-no-client-folder", &app());
}

TEST_F(InventoryCheck, WithAClientFolderOfNoKindShowsTheNoticeAndKeepsTheHint) {
  ASSERT_TRUE(MakeFolders(layout().wuDir));
  // None of these makes a kind: a folder named like an inventory, a hidden
  // inventory file, and a V4 folder without its history.
  Put(Wu(L"old.inv\\inside.txt"));
  PutHidden(Wu(L"secret.gng"));
  Put(Wu(L"V4\\other.txt"));
  Put(Wu(L"notes.txt"));
  EXPECT_EQ(CheckNow(), Lines{});
  ExpectShown({kNoInvLbl, kNoInvText, kSelectText});
  ExpectListsEmptyAndValuesUnknown();
  TakeScreenshot("check-no-kind", &app());

  // The notice lies over the hint and hides it: where the hint's box lies,
  // the window shows what it shows with the notice alone, the hint hidden.
  RECT hint;
  ASSERT_TRUE(GetWindowRect(app().Control(kSelectText), &hint));
  app().Repaint();
  const std::vector<DWORD> withHint = app().SettledPixels(hint);
  ASSERT_TRUE(RemoveTree(layout().wuDir));
  EXPECT_EQ(CheckNow(), Lines{});
  ASSERT_FALSE(app().OwnVisible(kSelectText));
  app().Repaint();
  EXPECT_TRUE(withHint == app().SettledPixels(hint)) << "the hint shows through the notice";
}

// Setup names the program-files folder in the system's language
// ("Programme") or puts it elsewhere; the client folders are found where the
// registry says it is, a variable in its name put in and a trailing
// backslash allowed, while nothing stands under "Program Files". A value of
// an odd byte count is read whole.
TEST_F(InventoryCheck, FindsTheClientFoldersInTheProgramFilesFolderTheRegistryNames) {
  const std::wstring programme = layout().drive + L"\\lnf-e2e\\Programme";
  ProgramFilesDir named(L"%windir%\\..\\Programme\\");
  ASSERT_TRUE(named.set());
  Put(programme + L"\\WindowsUpdate\\en.gng");
  Put(programme + L"\\OfficeUpdate\\a.cab");
  EXPECT_EQ(CheckNow(), (Lines{kV3Retrieving, kFilesFound, kOuRetrieving, kFilesFound}));
  ExpectShown({kSelectText, kV3btn, kOuBtn});
  EXPECT_EQ(app().Text(kV3InvFilesList), L"en.gng");
  EXPECT_EQ(app().Text(kLabel9), L"en");
  EXPECT_EQ(app().Text(kOuInvFilesList), L"a.cab");

  ProgramFilesDir odd(programme, REG_SZ, /*strayByte=*/true);
  ASSERT_TRUE(odd.set());
  EXPECT_EQ(CheckNow(), (Lines{kV3Retrieving, kFilesFound, kOuRetrieving, kFilesFound}));
  EXPECT_EQ(app().Text(kV3InvFilesList), L"en.gng");
}

TEST_F(InventoryCheck, ListsDecodesAndLogsAllThreeKindsAndShowsOneFrameAtATime) {
  LayOutAllThreeKinds();
  const Lines expectedLog = {kV3Retrieving, kFilesFound,   kV4Retrieving,
                             kFilesFound,   kOuRetrieving, kFilesFound};
  EXPECT_EQ(CheckNow(), expectedLog);
  ExpectShown({kSelectText, kV3btn, kV4btn, kOuBtn});
  // Ordinary files only, one per line, in the order Wine lists them
  // (alphabetical), no separator after the last.
  EXPECT_EQ(app().Text(kV3InvFilesList),
            L"91026xx.as\r\ncat.bm\r\ndata.inv\r\nen.gng\r\nreadme.txt");
  EXPECT_EQ(app().Text(kLabel9), L"en");
  EXPECT_EQ(app().Text(kLabel11), L"6.0");
  EXPECT_EQ(app().Text(kLabel13), L"Windows 98");
  EXPECT_EQ(app().Text(kV4InvFilesList), L"Windows Update.log\r\niuhist.xml");
  EXPECT_EQ(app().Text(kOuInvFilesList), L"a.cab\r\nb.txt");

  LogWatch selectors(app());
  ASSERT_TRUE(app().Click(kOuBtn));
  ExpectOnlyFrameShown(kOuFrame, {kOuInvFilesList, kLabel19, kFrame4, kCommand5, kLabel18});
  ASSERT_TRUE(app().Click(kV4btn));
  ExpectOnlyFrameShown(kV4frame, {kV4InvFilesList, kLabel17, kFrame3, kCommand4, kLabel16});
  ASSERT_TRUE(app().Click(kV4btn));
  ExpectOnlyFrameShown(kV4frame, {kV4InvFilesList, kCommand4});
  ASSERT_TRUE(app().Click(kV3btn));
  ExpectOnlyFrameShown(kV3Frame, {kV3InvFilesList, kLabel9, kLabel11, kLabel13, kCommand3});
  EXPECT_EQ(selectors.Closings(), Lines{}) << "the selectors log nothing";
  TakeScreenshot("check-all-kinds-v3-frame", &app());

  // A second press on the same folders: the frame goes, the rest is as
  // before, and the log gains the same entries again.
  EXPECT_EQ(CheckNow(), expectedLog);
  ExpectShown({kSelectText, kV3btn, kV4btn, kOuBtn});
  EXPECT_EQ(app().Text(kV3InvFilesList),
            L"91026xx.as\r\ncat.bm\r\ndata.inv\r\nen.gng\r\nreadme.txt");
  EXPECT_EQ(app().Text(kV4InvFilesList), L"Windows Update.log\r\niuhist.xml");
  EXPECT_EQ(app().Text(kOuInvFilesList), L"a.cab\r\nb.txt");
  EXPECT_EQ(app().Text(kLabel9), L"en");
}

TEST_F(InventoryCheck, TabPassesThroughTheShownFrameInItsPlaceOfTheOrder) {
  LayOutAllThreeKinds();
  CheckNow();
  // A click leaves the focus on the selector; from there round once.
  auto round = [&](ControlId selector, std::vector<ControlId> order) {
    SCOPED_TRACE(SpecOf(selector).name);
    ASSERT_TRUE(app().Click(selector));
    ASSERT_EQ(app().FocusedId(), selector);
    for (ControlId next : order) {
      app().PressTab();
      EXPECT_EQ(app().FocusedId(), next) << "after Tab, expected " << SpecOf(next).name;
    }
  };
  round(kV3btn,
        {kV4btn, kOuBtn, kV3InvFilesList, kCommand3, kLogConsole, kCommand1, kCommand2, kV3btn});
  round(kV4btn,
        {kOuBtn, kLogConsole, kCommand4, kV4InvFilesList, kCommand1, kCommand2, kV3btn, kV4btn});
  round(kOuBtn,
        {kLogConsole, kOuInvFilesList, kCommand5, kCommand1, kCommand2, kV3btn, kV4btn, kOuBtn});
}

TEST_F(InventoryCheck, DecodesOnlyExactLowerCaseEndingsAndTheLastNameListedWins) {
  // Listed in this order: 90720q.as, 91026.AS, de.gng, fr.gng, ZZ.GNG.
  for (const wchar_t* name : {L"fr.gng", L"de.gng", L"ZZ.GNG", L"90720q.as", L"91026.AS"}) {
    Put(Wu(name));
  }
  EXPECT_EQ(CheckNow(), (Lines{kV3Retrieving, kFilesFound}));
  EXPECT_EQ(app().Text(kV3InvFilesList), L"90720q.as\r\n91026.AS\r\nde.gng\r\nfr.gng\r\nZZ.GNG");
  EXPECT_EQ(app().Text(kLabel9), L"fr");
  EXPECT_EQ(app().Text(kLabel11), L"Unknown");
  EXPECT_EQ(app().Text(kLabel13), L"Windows 2000");

  // A name that merely ends in "as", listed last, is decoded all the same and
  // knows no versions.
  Put(Wu(L"zzzas"));
  EXPECT_EQ(CheckNow(), (Lines{kV3Retrieving, kFilesFound}));
  EXPECT_EQ(app().Text(kV3InvFilesList),
            L"90720q.as\r\n91026.AS\r\nde.gng\r\nfr.gng\r\nZZ.GNG\r\nzzzas");
  EXPECT_EQ(app().Text(kLabel11), L"Unknown");
  EXPECT_EQ(app().Text(kLabel13), L"Unknown");
  ExpectShown({kSelectText, kV3btn});
}

TEST_F(InventoryCheck, ForgetsAKindThatWentAwaySinceTheLastPress) {
  LayOutAllThreeKinds();
  CheckNow();
  ASSERT_TRUE(app().Click(kV4btn));
  ASSERT_TRUE(RemoveTree(Wu(L"V4")));
  EXPECT_EQ(CheckNow(), (Lines{kV3Retrieving, kFilesFound, kOuRetrieving, kFilesFound}));
  ExpectShown({kSelectText, kV3btn, kOuBtn});
  EXPECT_EQ(app().Text(kV4InvFilesList), L"");
  EXPECT_EQ(app().Text(kLabel9), L"en");
}

TEST_F(InventoryCheck, AnEmptyClientFolderStillLetsOfficeUpdateAndV4Through) {
  ASSERT_TRUE(MakeFolders(layout().wuDir));
  ASSERT_TRUE(MakeFolders(layout().ouDir));
  // An empty Office Update folder is an inventory, with nothing to list.
  EXPECT_EQ(CheckNow(), (Lines{kOuRetrieving, kFilesFound}));
  ExpectShown({kSelectText, kOuBtn});
  ExpectListsEmptyAndValuesUnknown();

  // The V4 history alone, without the Windows folder's log.
  Put(Wu(L"V4\\iuhist.xml"));
  EXPECT_EQ(CheckNow(), (Lines{kV4Retrieving, kFilesFound, kOuRetrieving, kFilesFound}));
  ExpectShown({kSelectText, kV4btn, kOuBtn});
  EXPECT_EQ(app().Text(kV4InvFilesList), L"iuhist.xml");
  EXPECT_EQ(app().Text(kOuInvFilesList), L"");
}

}  // namespace
}  // namespace lnf::e2e
