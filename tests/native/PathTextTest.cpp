#include <gtest/gtest.h>

#include "platform/PathText.h"

namespace lnf {
namespace {

TEST(Wildcards, MatchLikeWindowsWithoutRegardToCase) {
  EXPECT_TRUE(WildcardMatch("*.gng", "en.gng"));
  EXPECT_TRUE(WildcardMatch("*.gng", "EN.GNG"));
  EXPECT_TRUE(WildcardMatch("*.gng", ".gng"));
  EXPECT_FALSE(WildcardMatch("*.gng", "en.gngx"));
  EXPECT_FALSE(WildcardMatch("*.bm", "a.bmp"));
  EXPECT_TRUE(WildcardMatch("*.*", "noextension"));
  EXPECT_TRUE(WildcardMatch("*.*", "a.b.c"));
  EXPECT_TRUE(WildcardMatch("iuhist.xml", "IUHIST.XML"));
  EXPECT_FALSE(WildcardMatch("iuhist.xml", "iuhist.xml.bak"));
  EXPECT_TRUE(WildcardMatch("a*b*c", "aXXbYYc"));
  EXPECT_FALSE(WildcardMatch("a*b*c", "aXXbYY"));
  // A star at the end may match nothing.
  EXPECT_TRUE(WildcardMatch("~lnf-*", "~lnf-"));
  EXPECT_TRUE(WildcardMatch("a*b*", "ab"));
  EXPECT_TRUE(WildcardMatch("*.as", "\xD0\xB0\xD0\xB1.as"));  // Cyrillic
  EXPECT_TRUE(WildcardMatch("*.zip", "A.ZIP"));
  EXPECT_TRUE(WildcardMatch("AZ.*", "az.bm"));
  EXPECT_TRUE(WildcardMatch("iuhist.*", "IUHIST"));
  EXPECT_FALSE(WildcardMatch("iuhist.*", "iuhistx"));
}

TEST(Paths, AbsoluteOnlyWithADriveAndItsRootOrAServer) {
  for (const char* path : {"C:\\Programme", "d:/x", "C:\\", "\\\\server\\share", "\\\\?\\C:\\x"}) {
    EXPECT_TRUE(IsAbsolutePath(path)) << path;
  }
  for (const char* path : {"", "Programme", "\\Programme", "C:Programme", "C:", "\\\\", "\\\\\\x",
                           "1:\\x", "..\\Programme"}) {
    EXPECT_FALSE(IsAbsolutePath(path)) << path;
  }
}

TEST(Paths, TheLiteralFormKeepsTheDriveOrTheShareAsItsRoot) {
  EXPECT_EQ(LiteralForm("C:\\a\\.\\b\\..\\trail.inv."), "\\\\?\\C:\\a\\trail.inv.");
  EXPECT_EQ(LiteralForm("c:\\..\\x\\\\nul.inv\\"), "\\\\?\\c:\\x\\nul.inv\\");
  EXPECT_EQ(LiteralForm("C:\\"), "\\\\?\\C:\\");
  EXPECT_EQ(LiteralForm("\\\\server\\share\\a\\..\\..\\b"), "\\\\?\\UNC\\server\\share\\b");
  EXPECT_EQ(LiteralForm("\\\\server\\share"), "\\\\?\\UNC\\server\\share");
  for (const char* path : {"\\\\?\\C:\\a\\..", "\\\\.\\COM1", "Programme\\..\\a", "\\a", "C:a",
                           "\\\\server", "\\\\server\\"}) {
    EXPECT_EQ(LiteralForm(path), path);
  }
}

TEST(Utf, RoundTripsEveryPlaneAndRepairsBadInput) {
  const std::string text = "a\xC3\xA9\xCE\xA9\xE6\x97\xA5\xF0\x9F\x98\x80";  // a é Ω 日 😀
  const std::u16string wide = Utf8ToUtf16(text);
  EXPECT_EQ(wide, (std::u16string{u'a', 0xE9, 0x3A9, 0x65E5, 0xD83D, 0xDE00}));
  EXPECT_EQ(Utf16ToUtf8(wide), text);
  EXPECT_EQ(Utf8ToUtf16("\xC3"), std::u16string(1, 0xFFFD));
  EXPECT_EQ(Utf8ToUtf16("\xC0\x80"), (std::u16string{0xFFFD, 0xFFFD}));  // overlong
  // The last two-byte and the first three-byte character, both ways.
  EXPECT_EQ(Utf8ToUtf16("\xDF\xBF\xE0\xA0\x80"), (std::u16string{0x7FF, 0x800}));
  EXPECT_EQ(Utf16ToUtf8({0x7FF, 0x800}), "\xDF\xBF\xE0\xA0\x80");
  // A surrogate encoded on its own is no character.
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), std::u16string(1, 0xFFFD));
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, 0xD800)), "\xEF\xBF\xBD");
  // Past the last plane, and a high surrogate before a unit that is no low one.
  EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), std::u16string(1, 0xFFFD));
  EXPECT_EQ(Utf16ToUtf8({0xD800, 0xE000}), "\xEF\xBF\xBD\xEE\x80\x80");
}

TEST(GeneralDate, LeavesTheTimeOutAtMidnight) {
  EXPECT_EQ(ComposeGeneralDate("12/7/2026", "8:43:50 AM", false), "12/7/2026 8:43:50 AM");
  EXPECT_EQ(ComposeGeneralDate("12/7/2026", "12:00:00 AM", true), "12/7/2026");
}

}  // namespace
}  // namespace lnf
