#include "package/Manifest.h"

#include <cstdlib>

namespace lnf {
namespace {

// Zero-padded to `width` digits; no printf, whose 64-bit and padding support
// differs between the C runtimes the tool meets.
std::string Padded(long long value, std::size_t width) {
  std::string digits = std::to_string(value);
  return std::string(digits.size() < width ? width - digits.size() : 0, '0') + digits;
}

std::string Iso(const CivilTime& t) {
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

std::string ComposeManifest(const ManifestFacts& facts) {
  std::string text;
  // From another installation, the running system's facts are the
  // collecting machine's, and say so.
  const bool examined = !facts.examinedPath.empty();
  auto line = [&text](const char* key, const std::string& value, bool own = false) {
    if (own) text += "collecting-";
    text += key;
    text += ": ";
    text += value;
    text += "\r\n";
  };
  line("tool", OneLine(facts.toolName));
  line("version", OneLine(facts.toolVersion));
  line("collected-local",
       Iso(facts.collectedAt.AtOffset(facts.utcOffsetMinutes)) + Offset(facts.utcOffsetMinutes));
  line("collected-utc", Iso(facts.collectedAt.Utc()) + "Z");
  line("windows-version",
       std::to_string(facts.windowsMajor) + "." + std::to_string(facts.windowsMinor) + "." +
           std::to_string(facts.windowsBuild),
       examined);
  line("windows-service-pack", OrNone(facts.servicePack), examined);
  line("windows-family", facts.windowsNt ? "NT" : "9x", examined);
  line("language-id", LcidHex(facts.lcid), examined);
  line("language-name", OrNone(facts.languageName), examined);
  line("internet-explorer", OrNone(facts.ieVersion), examined);
  if (examined) {
    line("examined-path", OneLine(facts.examinedPath));
    for (const auto& [key, value] : facts.examined) {
      text += "examined-" + key + ": " + OneLine(value) + "\r\n";
    }
  }
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
                     Iso(file.lastWrite.Utc()) + "Z " + path);
  }
  return text;
}

std::string ComposeChecksumLine(const Sha256::Digest& digest, const std::string& fileName) {
  return ToHex(digest) + "  " + fileName + "\n";
}

}  // namespace lnf
