// The program starts by making its one window: the platform, the window's
// state, then the window itself, which the form's start-up handler fills in
// before it is first shown.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "app/Collection.h"
#include "app/CommandLine.h"
#include "app/Events.h"
#include "app/win32/MainWindow.h"
#include "app/win32/StarterConsole.h"
#include "form/MainForm.h"
#include "platform/win32/Win32Platform.h"
#include "win32/Win32Text.h"
#include "win32/WindowsFamily.h"

// The runtime's default reaction to an uncaught exception prints the type's
// demangled name to a console that a GUI program does not have, and brings
// along a demangler and a printf: a third of the program's size. Nothing is
// left uncaught on purpose; if it ever were, ending at once is all that the
// verbose handler would have done here.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace {

// The whole command line, in UTF-8: the wide one on the NT family, where a
// path may hold any character; the ANSI one on 9x, where the wide one is a
// stub.
std::string CommandLineText() {
  if (lnf::IsNtFamily()) return lnf::FromSystem(GetCommandLineW());
  return lnf::FromSystem(GetCommandLineA());
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  lnf::Win32Platform platform;
  const lnf::CommandLine command = lnf::ParseCommandLine(lnf::SplitCommandLine(CommandLineText()));
  // A line with "/collect" is a script's: what it is told goes to its
  // console, and no box waits for a person.
  switch (command.mode) {
    case lnf::CommandLine::Mode::Usage:
      if (command.collect) {
        lnf::TellStarter({lnf::UsageText()});
      } else {
        platform.ShowMessage(lnf::UsageText(), lnf::kBoxInformation);
      }
      return 0;
    case lnf::CommandLine::Mode::Invalid:
      if (command.collect) {
        lnf::TellStarter({"LNF_INVTOOL: " + command.problem,
                          "LNF_INVTOOL: exit code 3; nothing was done. /? shows the usage."});
      } else {
        platform.ShowMessage(command.problem + "\r\n\r\n" + lnf::UsageText(), lnf::kBoxExclamation);
      }
      return lnf::kExitBadArguments;
    case lnf::CommandLine::Mode::Window:
    case lnf::CommandLine::Mode::Collect:
      break;
  }
  const bool collect = command.mode == lnf::CommandLine::Mode::Collect;

  // An unattended run's boxes go to the log; nobody is there to answer them.
  lnf::LoggedPrompts logged;
  lnf::MainForm form(collect ? lnf::Platform(platform, platform, logged) : lnf::Platform(platform),
                     lnf::kMainFormEvents);
  logged.SetForm(&form);
  lnf::MainWindow window(form, instance);
  // Every file-system operation and every box passes the window's pump,
  // which keeps the window alive through long work.
  platform.FileSystem::SetWatcher(&window.watcher());
  platform.FileStreams::SetWatcher(&window.watcher());
  platform.Prompts::SetWatcher(&window.watcher());
  if (!window.Create()) {
    // Nothing else would tell the user why the program did not start; an
    // unattended run has nobody to tell, and says it by its exit code.
    const DWORD error = GetLastError();
    if (collect) {
      std::string text = platform.ErrorText(error);
      while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
      lnf::TellStarter({"LNF_INVTOOL: The window could not be created. Error " +
                            std::to_string(error) + ": " + text,
                        "LNF_INVTOOL: exit code 2"});
      return lnf::kExitFailed;
    }
    platform.ShowMessage("The window could not be created.\r\n\r\nError " + std::to_string(error) +
                             ": " + platform.ErrorText(error),
                         lnf::kBoxCritical);
    return 1;
  }
  form.SetView(&window);

  // The start-up warning comes before the window is shown, in a box of its
  // own; every later box belongs to the window.
  form.Load();
  platform.SetOwnerWindow(window.hwnd());

  window.Show(showCommand);
  if (!collect) return window.RunMessageLoop();

  // A person watching sees the console grow; the window closes by itself.
  lnf::CollectionResult result;
  const auto collection = [&] {
    result = command.fromPath.empty()
                 ? lnf::RunCollection(form, logged, platform, platform, command.outPath)
                 : lnf::RunCollectionFrom(form, logged, platform, platform, command.fromPath,
                                          command.outPath);
  };
  window.RunWork(collection);
  window.Close();
  window.RunMessageLoop();
  lnf::TellStarter(lnf::StarterLines(result));
  return result.exitCode;
}
