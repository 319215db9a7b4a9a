#include <gtest/gtest.h>

#include "codes/MainFunctions.h"

namespace lnf {
namespace {

struct CodeCase {
  const char* code;
  const char* ie;
  const char* windows;
};

// Every code the tables name, and the cases where prefix, length, case and
// blanks decide.
const CodeCase kCases[] = {
    {"90703", "5.0", "Windows 98"},       {"90704", "5.0", "Windows 2000"},
    {"90706", "5.0", "Windows NT 4.0"},   {"90707", "5.0", "Windows 95"},
    {"90716", "5.5", "Windows Me"},       {"90717", "5.5", "Windows NT 4.0"},
    {"90718", "5.5", "Windows 95"},       {"90719", "5.5", "Windows 98"},
    {"90720", "Unknown", "Windows 2000"}, {"90803", "Unknown", "CUN V3"},
    {"91019", "6.0", "Windows Me"},       {"91020", "6.0", "Windows NT 4.0"},
    {"91024", "6.0", "Windows 2000"},     {"91026", "6.0", "Windows 98"},
    {"9070", "5.0", "Unknown"},           {"91", "6.0", "Unknown"},
    {"9", "Unknown", "Unknown"},          {"907", "Unknown", "Unknown"},
    {"", "Unknown", "Unknown"},           {"907031", "5.0", "Unknown"},
    {" 90703", "Unknown", "Unknown"},     {"90703 ", "5.0", "Unknown"},
    {"setup", "Unknown", "Unknown"},      {"9107x", "6.0", "Unknown"},
    {"9072a", "Unknown", "Unknown"},
};

TEST(ConfigurationCodes, EveryCodeGivesItsPair) {
  MainFunctions tables;
  for (const CodeCase& c : kCases) {
    EXPECT_EQ(tables.GetIEVersion(c.code), c.ie) << "code '" << c.code << "'";
    EXPECT_EQ(tables.GetWindowsVersion(c.code), c.windows) << "code '" << c.code << "'";
  }
}

}  // namespace
}  // namespace lnf
