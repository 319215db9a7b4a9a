#include "platform/win32/Win32Text.h"

#include "platform/PathText.h"

namespace lnf {

WideText ToWide(const std::string& utf8) { return Utf8ToUtf16(utf8); }

std::string FromSystem(const wchar_t* text, std::size_t length) {
  const auto* units = reinterpret_cast<const char16_t*>(text);
  return Utf16ToUtf8(WideText(units, units + length));
}

std::string FromSystem(const wchar_t* text) {
  return FromSystem(text, std::char_traits<wchar_t>::length(text));
}

std::string FromSystem(const char* text, std::size_t size) {
  const int length = static_cast<int>(size);
  if (length <= 0) return {};
  const int count = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
  WideText wide(static_cast<std::size_t>(count), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text, length, reinterpret_cast<wchar_t*>(&wide[0]), count);
  return Utf16ToUtf8(wide);
}

std::string FromSystem(const char* text) {
  return FromSystem(text, std::char_traits<char>::length(text));
}

std::string ToAnsiLossy(const std::string& utf8) {
  const WideText wide = ToWide(utf8);
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, Ptr(wide), length, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size : 0, '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_ACP, 0, Ptr(wide), length, &out[0], size, nullptr, nullptr);
  }
  return out;
}

// The round trip catches best-fit substitutions too ("ā" quietly becoming
// "a"), which the used-default flag alone does not.
bool ToAnsiExact(const std::string& utf8, std::string& ansi) {
  ansi = ToAnsiLossy(utf8);
  if (utf8.empty()) return true;
  if (ansi.empty()) return false;
  return ToWide(FromSystem(ansi.data(), ansi.size())) == ToWide(utf8);
}

}  // namespace lnf
