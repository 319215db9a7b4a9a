#include "codes/MainFunctions.h"

namespace lnf {

namespace {

struct PrefixRow {
  const char* prefix;
  const char* version;
};

// Tried in order; the first prefix that the code starts with decides.
constexpr PrefixRow kIEVersions[] = {
    {"9070", "5.0"},
    {"9071", "5.5"},
    {"91", "6.0"},
};

struct CodeRow {
  const char* code;
  const char* windows;
};

// Whole codes, compared exactly; no code stands in two rows.
constexpr CodeRow kWindowsVersions[] = {
    {"90707", "Windows 95"},     {"90718", "Windows 95"},     {"90706", "Windows NT 4.0"},
    {"90717", "Windows NT 4.0"}, {"91020", "Windows NT 4.0"}, {"90719", "Windows 98"},
    {"90703", "Windows 98"},     {"91026", "Windows 98"},     {"90704", "Windows 2000"},
    {"90720", "Windows 2000"},   {"91024", "Windows 2000"},   {"90716", "Windows Me"},
    {"91019", "Windows Me"},     {"90803", "CUN V3"},
};

constexpr const char* kUnknown = "Unknown";

}  // namespace

std::string MainFunctions::GetIEVersion(std::string ASConfCode) const {
  for (const PrefixRow& row : kIEVersions) {
    if (ASConfCode.rfind(row.prefix, 0) == 0) return row.version;
  }
  return kUnknown;
}

std::string MainFunctions::GetWindowsVersion(std::string ASConfCode) const {
  for (const CodeRow& row : kWindowsVersions) {
    if (ASConfCode == row.code) return row.windows;
  }
  return kUnknown;
}

}  // namespace lnf
