// File names outside any one ANSI code page (Cyrillic, Greek and Japanese at
// once) are listed as they are and backed up byte for byte where the tool
// sees an NT system. Windows 9x gives such names with '?' for what its code
// page lacks: they are listed and logged so, and copied by their short
// names.
#include <set>

#include "ToolTest.h"

namespace lnf::e2e {
namespace {

using Files = std::map<std::wstring, std::string>;

const Stamp kOld = {2003, 3, 3, 12, 0};

// "Ελλάδα.inv", "Жук.gng", "日本語.bm": listed in this order (upper-case code
// point order, as Wine lists them).
const std::wstring kGreek = L"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1.inv";
const std::wstring kCyrillic = L"\u0416\u0443\u043a.gng";
const std::wstring kJapanese = L"\u65e5\u672c\u8a9e.bm";
// Office Update: "Ελληνικά.txt", "Русский\Файл.txt", "日本\テスト.dat".
const std::wstring kOuGreek = L"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac.txt";
const std::wstring kOuCyrillicDir = L"\u0420\u0443\u0441\u0441\u043a\u0438\u0439";
const std::wstring kOuCyrillicFile = L"\u0424\u0430\u0439\u043b.txt";
const std::wstring kOuJapaneseDir = L"\u65e5\u672c";
const std::wstring kOuJapaneseFile = L"\u30c6\u30b9\u30c8.dat";

class NonAnsiNames : public ToolTest {
 protected:
  void Put(const std::wstring& path, const std::string& bytes) {
    const auto slash = path.find_last_of(L'\\');
    ASSERT_TRUE(MakeFolders(path.substr(0, slash)));
    ASSERT_TRUE(MakeFile(path, bytes, kOld)) << Narrow(path);
  }
};

TEST_F(NonAnsiNames, AreListedDecodedAndBackedUpAsTheyAre) {
  if (IsWindows9x()) GTEST_SKIP() << "Windows 9x file names are ANSI only";
  Put(Wu(kGreek), "greek \xCE\x91");
  Put(Wu(kCyrillic), "cyrillic \xD0\x96");
  Put(Wu(kJapanese), std::string("japanese \xE6\x97\xA5\0", 13));
  Put(Ou(kOuGreek), "ou greek");
  Put(Ou(kOuCyrillicDir + L"\\" + kOuCyrillicFile), "ou cyrillic");
  Put(Ou(kOuJapaneseDir + L"\\" + kOuJapaneseFile), "ou japanese");

  CheckNow();
  EXPECT_EQ(app().Text(kV3InvFilesList), kGreek + L"\r\n" + kCyrillic + L"\r\n" + kJapanese);
  EXPECT_EQ(app().Text(kLabel9), L"\u0416\u0443\u043a") << "the language part of the name";
  EXPECT_EQ(app().Text(kOuInvFilesList), kOuGreek);

  ASSERT_TRUE(app().Click(kV3btn));
  LogWatch log(app());
  ASSERT_TRUE(app().Click(kCommand3));
  AnswerBox(app());
  EXPECT_EQ(log.Closings(),
            (std::vector<std::wstring>{L") [" + kGreek + L"] File copied successfully.",
                                       L") [" + kCyrillic + L"] File copied successfully.",
                                       L") [" + kJapanese + L"] File copied successfully."}));

  ASSERT_TRUE(app().Click(kOuBtn));
  ASSERT_TRUE(app().Click(kCommand5));
  AnswerBox(app());
  EXPECT_EQ(Tree(layout().backupRoot),
            (Files{{kGreek, "greek \xCE\x91"},
                   {kCyrillic, "cyrillic \xD0\x96"},
                   {kJapanese, std::string("japanese \xE6\x97\xA5\0", 13)},
                   {L"OU", "<folder>"},
                   {L"OU\\" + kOuGreek, "ou greek"},
                   {L"OU\\" + kOuCyrillicDir, "<folder>"},
                   {L"OU\\" + kOuCyrillicDir + L"\\" + kOuCyrillicFile, "ou cyrillic"},
                   {L"OU\\" + kOuJapaneseDir, "<folder>"},
                   {L"OU\\" + kOuJapaneseDir + L"\\" + kOuJapaneseFile, "ou japanese"}}));
}

// `name` as the ANSI functions give it: '?' for what the code page lacks
// (Wine, like Windows' best-fit tables, gives some letters a look-alike).
std::wstring AsAnsi(const std::wstring& name) {
  char ansi[MAX_PATH];
  wchar_t back[MAX_PATH];
  const bool converted =
      WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, ansi, MAX_PATH, nullptr, nullptr) > 0 &&
      MultiByteToWideChar(CP_ACP, 0, ansi, -1, back, MAX_PATH) > 0;
  return converted ? back : L"";
}

std::wstring CopiedAs(const std::wstring& name) {
  return L") [" + name + L"] File copied successfully.";
}

// The same names on Windows 9x (a Western code page): every file is still
// found, logged under the name the system gives and copied, under a name
// without '?'.
TEST_F(NonAnsiNames, On9xAreLoggedAsTheSystemGivesThemAndCopiedByTheirShortNames) {
  if (!IsWindows9x()) GTEST_SKIP() << "the NT family spells every name";
  for (const std::wstring& name : {kGreek, kCyrillic, kJapanese}) {
    if (AsAnsi(name).find(L'?') == std::wstring::npos) GTEST_SKIP() << "the code page spells it";
  }
  Put(Wu(kGreek), "greek");
  Put(Wu(kCyrillic), "cyrillic");
  Put(Wu(kJapanese), "japanese");
  Put(Wu(L"plain.gng"), "plain");
  Put(Ou(kOuGreek), "ou greek");
  Put(Ou(kOuCyrillicDir + L"\\" + kOuCyrillicFile), "ou cyrillic");

  CheckNow();
  ASSERT_TRUE(app().Click(kV3btn));
  LogWatch log(app());
  ASSERT_TRUE(app().Click(kCommand3));
  AnswerBox(app());
  const std::vector<std::wstring> closings = log.Closings();
  EXPECT_EQ(std::multiset<std::wstring>(closings.begin(), closings.end()),
            (std::multiset<std::wstring>{CopiedAs(AsAnsi(kGreek)), CopiedAs(AsAnsi(kCyrillic)),
                                         CopiedAs(AsAnsi(kJapanese)), CopiedAs(L"plain.gng")}));

  ASSERT_TRUE(app().Click(kOuBtn));
  ASSERT_TRUE(app().Click(kCommand5));
  AnswerBox(app());
  std::multiset<std::string> copies;
  for (const auto& [name, bytes] : Tree(layout().backupRoot)) {
    EXPECT_EQ(name.find(L'?'), std::wstring::npos) << Narrow(name);
    copies.insert(bytes);
  }
  EXPECT_EQ(copies,
            (std::multiset<std::string>{"greek", "cyrillic", "japanese", "plain", "<folder>",
                                        "ou greek", "<folder>", "ou cyrillic"}));
  EXPECT_EQ(Tree(layout().backupRoot).at(L"plain.gng"), "plain");
}

}  // namespace
}  // namespace lnf::e2e
