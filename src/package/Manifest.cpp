#include "package/Manifest.h"

#include <cstdlib>

namespace lnf {
namespace {

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar, and
// back (the well-known era arithmetic; exact for every date the tool meets).
long long DaysFromCivil(int year, int month, int day) {
  year -= month <= 2;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yearOfEra = year - era * 400;
  const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

CalendarTime CivilFromSeconds(long long seconds) {
  long long days = seconds / 86400;
  long long rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long dayOfEra = days - era * 146097;
  const long long yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long mp = (5 * dayOfYear + 2) / 153;
  CalendarTime t;
  t.day = int(dayOfYear - (153 * mp + 2) / 5 + 1);
  t.month = int(mp < 10 ? mp + 3 : mp - 9);
  t.year = int(yearOfEra + era * 400 + (t.month <= 2));
  t.hour = int(rest / 3600);
  t.minute = int(rest / 60 % 60);
  t.second = int(rest % 60);
  return t;
}

}  // namespace

long long SecondsSince1970(const CalendarTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600LL + t.minute * 60LL +
         t.second;
}

namespace {

// Zero-padded to `width` digits; no printf, whose 64-bit and padding support
// differs between the C runtimes the tool meets.
std::string Padded(long long value, std::size_t width) {
  std::string digits = std::to_string(value);
  return std::string(digits.size() < width ? width - digits.size() : 0, '0') + digits;
}

std::string Iso(const CalendarTime& t) {
  return Padded(t.year, 4) + "-" + Padded(t.month, 2) + "-" + Padded(t.day, 2) + "T" +
         Padded(t.hour, 2) + ":" + Padded(t.minute, 2) + ":" + Padded(t.second, 2);
}

std::string Offset(int minutes) {
  return (minutes < 0 ? "-" : "+") + Padded(std::abs(minutes) / 60, 2) + ":" +
         Padded(std::abs(minutes) % 60, 2);
}

// At least four hex digits, as LCIDs are written; more when a sort order is set.
std::string LcidHex(std::uint32_t value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (int shift = 28; shift >= 0; shift -= 4) {
    if ((value >> shift) != 0 || shift < 16) hex += kDigits[(value >> shift) & 15];
  }
  return "0x" + hex;
}

std::string OrNone(const std::string& text) { return text.empty() ? "none" : OneLine(text); }

std::string Outcome(const KindOutcome& kind) {
  switch (kind.state) {
    case KindOutcome::State::BackedUp:
      return "found, backed up";
    case KindOutcome::State::Failed:
      return "found, failed: " + OneLine(kind.error);
    case KindOutcome::State::NotFound:
      break;
  }
  return "not found";
}

}  // namespace

std::string OneLine(const std::string& text) {
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') {
      line += text[i];
      continue;
    }
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (text.find_first_not_of("\r\n", i + 1) == std::string::npos) break;
    line += ' ';
  }
  return line;
}

CalendarTime ShiftedByMinutes(const CalendarTime& t, int minutes) {
  const long long seconds = DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600LL +
                            t.minute * 60LL + t.second + minutes * 60LL;
  return CivilFromSeconds(seconds);
}

std::string ComposeManifest(const ManifestFacts& facts) {
  std::string text;
  auto line = [&text](const char* key, const std::string& value) {
    text += key;
    text += ": ";
    text += value;
    text += "\r\n";
  };
  const CalendarTime& local = facts.collectedLocal;
  const long long utcSeconds =
      (DaysFromCivil(local.year, local.month, local.day) * 24 + local.hour) * 3600 +
      local.minute * 60 + local.second - facts.utcOffsetMinutes * 60LL;

  line("tool", OneLine(facts.toolName));
  line("version", OneLine(facts.toolVersion));
  line("collected-local", Iso(local) + Offset(facts.utcOffsetMinutes));
  line("collected-utc", Iso(CivilFromSeconds(utcSeconds)) + "Z");
  line("windows-version", std::to_string(facts.windowsMajor) + "." +
                              std::to_string(facts.windowsMinor) + "." +
                              std::to_string(facts.windowsBuild));
  line("windows-service-pack", OrNone(facts.servicePack));
  line("windows-family", facts.windowsNt ? "NT" : "9x");
  line("language-id", LcidHex(facts.lcid));
  line("language-name", OrNone(facts.languageName));
  line("internet-explorer", OrNone(facts.ieVersion));
  line("system-drive", OneLine(facts.systemDrive));
  line("wudir", OneLine(facts.wuDir));
  line("wudir-v4", OneLine(facts.v4Dir));
  line("oudir", OneLine(facts.ouDir));
  line("kind-v2-v3.1", Outcome(facts.v2v31));
  line("kind-v4", Outcome(facts.v4));
  line("kind-office-update", Outcome(facts.officeUpdate));
  for (const ManifestFile& file : facts.files) {
    std::string path = OneLine(file.path);
    for (char& c : path) {
      if (c == '\\') c = '/';
    }
    line("file", ToHex(file.sha256) + " " + std::to_string(file.size) + " " +
                     Iso(file.lastWriteUtc) + "Z " + path);
  }
  return text;
}

std::string ComposeChecksumLine(const Sha256::Digest& digest, const std::string& fileName) {
  return ToHex(digest) + "  " + fileName + "\n";
}

}  // namespace lnf
