// Text at the Win32 boundary: UTF-8 inside the tool, UTF-16 for the wide
// functions, the ANSI code page for the ANSI ones. Windows 95 has no CP_UTF8,
// so ANSI always goes through UTF-16.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace lnf {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

// UTF-16 text for the wide functions. A u16string rather than a wstring: of
// the former only the parts used are compiled in, the latter links the C++
// library's whole prebuilt copy into the exe.
using WideText = std::u16string;

inline const wchar_t* Ptr(const WideText& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

WideText ToWide(const std::string& utf8);

// What a wide or an ANSI function gave back, as UTF-8; the same name for both
// so that code written once for either character type can call it.
std::string FromSystem(const wchar_t* text, std::size_t length);
std::string FromSystem(const wchar_t* text);
std::string FromSystem(const char* text, std::size_t length);
std::string FromSystem(const char* text);

// For file names: false when some character has no exact ANSI form, since a
// near one would name another file. `ansi` then holds the near form.
bool ToAnsiExact(const std::string& utf8, std::string& ansi);
// For the screen: what the code page cannot show becomes its default
// character ('?'), as the system itself would show it.
std::string ToAnsiLossy(const std::string& utf8);

// `name` upper-cased character by character as the system compares file
// names: the wide table on the NT family, the ANSI code page's on 9x.
std::string UpperCaseFileName(const std::string& name);

}  // namespace lnf
