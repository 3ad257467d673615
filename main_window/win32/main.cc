// SPDX-License-Identifier: MIT
// holvane.exe: the window on the system's own controls.
#include <windows.h>
// After windows.h, whose types it uses.
#include <commctrl.h>

#include "main_window/win32/window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  // The themed controls of Common Controls 6, which the manifest asks for.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  try {
    holvane::ui::Win32Window window;
    window.Show(show);
    return holvane::ui::RunMessageLoop(window);
  } catch (...) {
    // The window could not be made: there is nothing to show a message in
    // but a box of its own.
    holvane::ui::Win32Host().ShowMessage(holvane::ui::Host::kFatalError,
                                         holvane::ui::MessageIcon::kCritical);
    return 1;
  }
}
