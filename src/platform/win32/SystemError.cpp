#include "platform/win32/SystemError.h"

#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "win32/Win32Text.h"
#include "win32/WindowsFamily.h"

namespace lnf {

namespace {

std::string TrimTrailingBlanks(std::string text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' ||
                           text.back() == '\t')) {
    text.pop_back();
  }
  return text;
}

template <typename Char>
std::string SystemText(DWORD(WINAPI* format)(DWORD, LPCVOID, DWORD, DWORD, Char*, DWORD, va_list*),
                       DWORD number) {
  Char buffer[1024];
  const DWORD length = format(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                              number, 0, buffer, 1024, nullptr);
  return length > 0 ? FromSystem(buffer, length) : std::string();
}

}  // namespace

std::string Describe(DWORD number) {
  const std::string text = TrimTrailingBlanks(IsNtFamily() ? SystemText(FormatMessageW, number)
                                                           : SystemText(FormatMessageA, number));
  return text.empty() ? "Unknown error." : text;
}

void Fail(DWORD number, const std::string& subject) {
  throw PlatformError(number, Describe(number), subject);
}

std::string Win32SystemInfo::ErrorText(std::uint32_t number) { return Describe(number); }

}  // namespace lnf
