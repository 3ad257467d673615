// SPDX-License-Identifier: MIT
// The Win32 window, holvane.exe, timed as a whole process: its start, and a
// folder converted through it (the modes are in window_bench.h). Built in a
// cross build configured with -DHOLVANE_BENCH=ON, run under Wine:
//
//   cmake --build build-windows --target holvane_window_bench_win32
//   wine build-windows/bench/holvane_window_bench_win32.exe start
//   wine build-windows/bench/holvane_window_bench_win32.exe folder 'Z:\dev\shm\small'
//
// A GUI program with holvane.exe's resources (its manifest asks for Common
// Controls 6), so that it starts as holvane.exe does.
#include <windows.h>
// After windows.h, whose types they use.
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "bench/window_bench.h"
#include "main_window/win32/window.h"

namespace {

struct FreesArguments {
  void operator()(LPWSTR* arguments) const { LocalFree(arguments); }
};

// Shown as holvane.exe shows it, then its queue emptied: ShowWindow and
// UpdateWindow have painted it by then. False when it was closed meanwhile.
bool ShowAndWaitIdle(holvane::ui::Win32Window& window, int show) {
  window.Show(show);
  return holvane::ui::DispatchQueued(window) == std::nullopt;
}

int Run(std::wstring_view mode, const wchar_t* folder, int show) {
  if (mode == L"start") {
    holvane::ui::Win32Window window;
    return ShowAndWaitIdle(window, show) ? 0 : 1;
  }
  holvane::ui::Win32Host view_host;
  holvane::bench::AcceptingHost host(view_host);
  holvane::ui::Win32Window window(holvane::ui::DriveSource(holvane::ui::LogicalDrives),
                                  std::filesystem::absolute(folder), &host);
  if (!ShowAndWaitIdle(window, show)) return 1;
  // Every file selected as the list box reports a selection of the user's.
  SendMessageW(window.File1(), LB_SETSEL, TRUE, -1);
  SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window.File1()), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(window.File1()));
  SendMessageW(window.Command1(), BM_CLICK, 0, 0);
  return host.Verdict(window.Form().File1.ListCount());
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  int count = 0;
  const std::unique_ptr<LPWSTR, FreesArguments> arguments(
      CommandLineToArgvW(GetCommandLineW(), &count));
  const std::wstring_view mode = arguments && count > 1 ? arguments.get()[1] : L"";
  if (!((mode == L"start" && count == 2) || (mode == L"folder" && count == 3))) {
    std::fputs(holvane::bench::kWindowBenchUsage, stderr);
    return 2;
  }
  // As the Win32 view's main.cc sets the program up.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  try {
    return Run(mode, mode == L"folder" ? arguments.get()[2] : nullptr, show);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "the window failed: %s\n", failure.what());
    return 1;
  }
}
