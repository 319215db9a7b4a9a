// The program starts by making its one window: the platform, the window's
// state, then the window itself, which the form's start-up handler fills in
// before it is first shown.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "app/Events.h"
#include "app/win32/MainWindow.h"
#include "form/MainForm.h"
#include "platform/win32/Win32Platform.h"

// The runtime's default reaction to an uncaught exception prints the type's
// demangled name to a console that a GUI program does not have, and brings
// along a demangler and a printf: a third of the program's size. Nothing is
// left uncaught on purpose; if it ever were, ending at once is all that the
// verbose handler would have done here.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  lnf::Win32Platform platform;
  lnf::MainForm form(platform, lnf::kMainFormEvents);
  lnf::MainWindow window(form, instance);
  // Every file-system operation and every box passes the window's pump,
  // which keeps the window alive through long work.
  platform.FileSystem::SetWatcher(&window.watcher());
  platform.Prompts::SetWatcher(&window.watcher());
  if (!window.Create()) {
    // Nothing else would tell the user why the program did not start.
    const DWORD error = GetLastError();
    platform.ShowMessage("The window could not be created.\r\n\r\nError " +
                             std::to_string(error) + ": " + platform.ErrorText(error),
                         lnf::kBoxCritical);
    return 1;
  }
  form.SetView(&window);

  // The start-up warning comes before the window is shown, in a box of its
  // own; every later box belongs to the window.
  form.Load();
  platform.SetOwnerWindow(window.hwnd());

  window.Show(showCommand);
  return window.RunMessageLoop();
}
