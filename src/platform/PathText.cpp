#include "platform/PathText.h"

#include <cstddef>
#include <string>
#include <vector>

namespace lnf {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Byte-wise matching is correct for UTF-8: `?` is never used by the tool, and
// `*` spans whole characters because it spans any byte run.
bool MatchFrom(const char* p, const char* n) {
  const char* starP = nullptr;
  const char* starN = nullptr;
  while (*n) {
    if (*p == '*') {
      starP = ++p;
      starN = n;
    } else if (*p == '?' || (*p && LowerAscii(*p) == LowerAscii(*n))) {
      ++p;
      ++n;
    } else if (starP) {
      p = starP;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (*p == '*') ++p;
  return *p == '\0';
}

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  if (pattern == "*.*" || pattern == "*") return true;
  if (MatchFrom(pattern.c_str(), name.c_str())) return true;
  // Windows lets "x.*" match "x", the dot standing for an empty extension.
  if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 &&
      name.find('.') == std::string::npos) {
    return MatchFrom(pattern.substr(0, pattern.size() - 2).c_str(), name.c_str());
  }
  return false;
}

std::string AsciiLower(std::string text) {
  for (char& c : text) c = LowerAscii(c);
  return text;
}

SplitPattern SplitAtLastSeparator(const std::string& pattern) {
  const std::size_t cut = pattern.find_last_of("\\/");
  if (cut == std::string::npos) return {"", pattern};
  return {pattern.substr(0, cut + 1), pattern.substr(cut + 1)};
}

bool HasWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

bool IsAbsolutePath(const std::string& path) {
  auto separator = [](char c) { return c == '\\' || c == '/'; };
  const bool letter =
      !path.empty() && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  if (letter && path.size() >= 3 && path[1] == ':' && separator(path[2])) return true;
  return path.size() >= 3 && separator(path[0]) && separator(path[1]) && !separator(path[2]);
}

namespace {

// `root` characters ("C:\" or "\\server\share\") are kept as they are and
// never climbed above. Names are otherwise left exactly as given: a trailing
// dot or blank is part of a name.
std::string Canonical(const std::string& path, std::size_t root) {
  std::vector<std::string> parts;
  std::size_t start = root;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string out = path.substr(0, root);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += '\\';
    out += parts[i];
  }
  if (!parts.empty() && path.back() == '\\') out += '\\';
  return out;
}

}  // namespace

std::string LiteralForm(const std::string& path) {
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
    return "\\\\?\\" + Canonical(path, 3);
  }
  if (path.size() < 3 || path[0] != '\\' || path[1] != '\\' || path[2] == '?' || path[2] == '.') {
    return path;
  }
  // "\\server\share\rest": the share is the root.
  const std::size_t share = path.find('\\', 2);
  if (share == std::string::npos || share == 2 || share + 1 >= path.size()) return path;
  std::size_t root = path.find('\\', share + 1);
  root = root == std::string::npos ? path.size() : root + 1;
  return "\\\\?\\UNC\\" + Canonical(path, root).substr(2);
}

bool IsNameThatPathParsingChanges(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  if (name.back() == '.' || name.back() == ' ') return true;
  // The device is named by the part before the first dot, blanks after it
  // ignored: "nul.inv", "NUL .txt" and "com1.tar.gz" all name a device.
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  base = AsciiLower(base);
  for (const char* device : {"con", "prn", "aux", "nul", "clock$", "conin$", "conout$"}) {
    if (base == device) return true;
  }
  return base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

bool PathHoldsNameThatParsingChanges(const std::string& path) {
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("\\/", start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    if (!HasWildcard(part) && IsNameThatPathParsingChanges(part)) return true;
    start = end + 1;
  }
  return false;
}

std::string StagingFileName(int number, const char* extension) {
  return "~lnf-" + std::to_string(number) + extension;
}

bool IsCopyInProgressName(const std::string& name) {
  const std::string lower = AsciiLower(name);
  if (lower.size() < 10 || lower.compare(0, 5, "~lnf-") != 0) return false;
  if (lower.compare(lower.size() - 4, 4, ".tmp") != 0) return false;
  const std::string number = lower.substr(5, lower.size() - 9);
  return number.find_first_not_of("0123456789") == std::string::npos;
}

std::u16string Utf8ToUtf16(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char c = s[i];
    std::uint32_t cp = 0xFFFD;
    std::size_t len = 1;
    if (c < 0x80) {
      cp = c;
    } else if ((c >> 5) == 0x6 && i + 1 < n && (s[i + 1] >> 6) == 0x2) {
      cp = ((c & 0x1Fu) << 6) | (s[i + 1] & 0x3Fu);
      len = cp >= 0x80 ? 2 : 1;
      if (cp < 0x80) cp = 0xFFFD;
    } else if ((c >> 4) == 0xE && i + 2 < n && (s[i + 1] >> 6) == 0x2 && (s[i + 2] >> 6) == 0x2) {
      cp = ((c & 0x0Fu) << 12) | ((s[i + 1] & 0x3Fu) << 6) | (s[i + 2] & 0x3Fu);
      len = 3;
      if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    } else if ((c >> 3) == 0x1E && i + 3 < n && (s[i + 1] >> 6) == 0x2 && (s[i + 2] >> 6) == 0x2 &&
               (s[i + 3] >> 6) == 0x2) {
      cp = ((c & 0x07u) << 18) | ((s[i + 1] & 0x3Fu) << 12) | ((s[i + 2] & 0x3Fu) << 6) |
           (s[i + 3] & 0x3Fu);
      len = 4;
      if (cp < 0x10000 || cp > 0x10FFFF) cp = 0xFFFD;
    }
    i += len;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::string Utf16ToUtf8(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::string ComposeGeneralDate(const std::string& shortDate, const std::string& longTime,
                               bool isMidnight) {
  return isMidnight ? shortDate : shortDate + " " + longTime;
}

}  // namespace lnf
