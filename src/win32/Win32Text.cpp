#include "win32/Win32Text.h"

#include "platform/PathText.h"
#include "win32/WindowsFamily.h"

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

std::string UpperCaseFileName(const std::string& name) {
  if (IsNtFamily()) {
    // Looked up, not imported: nothing says Windows 95's USER32 has it, and
    // an import it lacks would stop the exe from loading there at all.
    using UpperBuffer = DWORD(WINAPI*)(LPWSTR, DWORD);
    static const UpperBuffer upper = reinterpret_cast<UpperBuffer>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "CharUpperBuffW")));
    WideText wide = ToWide(name);
    if (upper && !wide.empty()) {
      upper(reinterpret_cast<wchar_t*>(&wide[0]), static_cast<DWORD>(wide.size()));
    } else {
      for (char16_t& unit : wide) {
        if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - 32);
      }
    }
    return Utf16ToUtf8(wide);
  }
  std::string ansi;
  // A name the code page cannot spell names no file on 9x; it stays as it is.
  if (!ToAnsiExact(name, ansi) || ansi.empty()) return name;
  CharUpperBuffA(&ansi[0], static_cast<DWORD>(ansi.size()));
  return FromSystem(ansi.data(), ansi.size());
}

}  // namespace lnf
