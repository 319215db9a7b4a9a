#include "app/CommandLine.h"

#include "platform/PathText.h"

namespace lnf {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsOption(const std::string& argument, const char* name) {
  return argument.size() > 1 && (argument[0] == '/' || argument[0] == '-') &&
         AsciiLower(argument.substr(1)) == name;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> arguments;
  std::size_t at = 0;
  // The program's name: quoted or up to the first blank; no escapes in it.
  if (at < line.size() && line[at] == '"') {
    const std::size_t end = line.find('"', at + 1);
    at = end == std::string::npos ? line.size() : end + 1;
  }
  while (at < line.size() && !IsBlank(line[at])) ++at;

  for (;;) {
    while (at < line.size() && IsBlank(line[at])) ++at;
    if (at >= line.size()) break;
    std::string argument;
    bool quoted = false;
    while (at < line.size() && (quoted || !IsBlank(line[at]))) {
      std::size_t backslashes = 0;
      while (at < line.size() && line[at] == '\\') {
        ++backslashes;
        ++at;
      }
      if (at < line.size() && line[at] == '"') {
        argument.append(backslashes / 2, '\\');
        if (backslashes % 2) {
          argument += '"';
        } else if (quoted && at + 1 < line.size() && line[at + 1] == '"') {
          // Two quotes inside quotes stand for one.
          argument += '"';
          ++at;
        } else {
          quoted = !quoted;
        }
        ++at;
      } else {
        argument.append(backslashes, '\\');
        if (at < line.size() && (quoted || !IsBlank(line[at]))) argument += line[at++];
      }
    }
    arguments.push_back(argument);
  }
  return arguments;
}

std::string OutPathProblem(const std::string& path) {
  // The literal prefix "\\?\" is the one place a "?" belongs.
  const std::size_t start = path.compare(0, 4, "\\\\?\\") == 0 ? 4 : 0;
  for (std::size_t i = start; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (c < 0x20 || std::string("<>\"|?*").find(path[i]) != std::string::npos) {
      return "/out holds a character no file name may: " + path;
    }
    const bool afterDriveLetter =
        i == start + 1 && ((path[start] | 0x20) >= 'a' && (path[start] | 0x20) <= 'z');
    if (c == ':' && !afterDriveLetter) {
      return "/out names a stream of a file (a colon after the drive): " + path;
    }
  }
  const std::size_t slash = path.find_last_of("\\/");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  // "C:" alone, or "C:x.zip", names the drive's current folder or a file in it.
  if (slash == std::string::npos && name.size() >= 2 && name[1] == ':') name.erase(0, 2);
  if (name.empty() || name == "." || name == "..") {
    return "/out names a folder, not a file: " + path;
  }
  if (name.back() == '.' || name.back() == ' ') {
    return "/out names a file that Windows cannot open by its name (it ends in a dot or a "
           "blank): " +
           path;
  }
  if (IsNameThatPathParsingChanges(name)) return "/out names a device, not a file: " + path;
  return {};
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine command;
  for (const std::string& argument : arguments) {
    if (IsOption(argument, "collect")) command.collect = true;
  }
  // Whoever asks how to ask is told, whatever else the line holds.
  for (const std::string& argument : arguments) {
    if (argument == "/?" || argument == "-?") {
      command.mode = CommandLine::Mode::Usage;
      return command;
    }
  }
  bool collect = false;
  bool out = false;
  bool from = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool option = argument.size() > 1 && (argument[0] == '/' || argument[0] == '-');
    const std::string name = option ? AsciiLower(argument.substr(1)) : std::string();
    if (name == "collect" && !collect) {
      collect = true;
    } else if (name == "out" && !out && i + 1 < arguments.size() && !arguments[i + 1].empty()) {
      out = true;
      command.outPath = arguments[++i];
      command.problem = OutPathProblem(command.outPath);
      if (!command.problem.empty()) {
        command.mode = CommandLine::Mode::Invalid;
        return command;
      }
    } else if (name == "from" && !from && i + 1 < arguments.size() && !arguments[i + 1].empty()) {
      from = true;
      command.fromPath = arguments[++i];
    } else {
      command.mode = CommandLine::Mode::Invalid;
      command.problem = name == "out" && !out     ? "/out needs a path: " + argument
                        : name == "from" && !from ? "/from needs a path: " + argument
                                                  : "Not understood: " + argument;
      return command;
    }
  }
  if (out && !collect) {
    command.mode = CommandLine::Mode::Invalid;
    command.problem = "/out goes with /collect.";
    return command;
  }
  if (from && !collect) {
    command.mode = CommandLine::Mode::Invalid;
    command.problem = "/from goes with /collect.";
    return command;
  }
  command.mode = collect ? CommandLine::Mode::Collect : CommandLine::Mode::Window;
  return command;
}

std::string UsageText() {
  return "LNF_INVTOOL.exe [/collect [/from PATH] [/out PATH]]\r\n"
         "\r\n"
         "Without arguments: the window.\r\n"
         "/collect  checks for inventories, backs up every kind found to LNF_INV on the "
         "system drive, packs LNF_INV into one zip file with a manifest and the log, writes "
         "its SHA-256 checksum beside it, and closes. No box waits for an answer.\r\n"
         "/from PATH  collects instead from the Windows installation whose system drive's "
         "root is PATH (another disk, a mounted image), writing nothing there (default /out: "
         "LNF_INV-from-<PATH>.zip on this system's drive).\r\n"
         "/out PATH  where the zip file goes (default: LNF_INV.zip beside LNF_INV).\r\n"
         "/?  this text.\r\n"
         "\r\n"
         "Exit codes: 0 every kind found was backed up and packed; 1 no inventories found "
         "(the zip holds the manifest and the log); 2 a backup or the package failed (the "
         "console and the log file, the zip's name with .log added, say why); 3 the arguments "
         "were not understood, nothing was done.";
}

}  // namespace lnf
