// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_WIN32_WINDOW_H_
#define HOLVANE_MAIN_WINDOW_WIN32_WINDOW_H_

#include <windows.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "main_window/design.h"
#include "main_window/frm_main.h"
#include "main_window/win32/host.h"

namespace holvane::ui {

// frmMain shown with the system's own controls: a drop-down list of the
// drives above a list box of folders on the left, a list box of the folder's
// *.wvl files on the right and the push button below it, laid out by
// design.h in pixels of the system's DPI, the window centred on the screen.
//
// Keys move between the controls as in a dialog (RunMessageLoop passes each
// message through IsDialogMessageW): Tab in design order, Enter opens the
// folder in Dir1 and presses Command1 when it has the focus, and nowhere
// else: no control has the id IDOK, so the button is never the default.
class Win32Window final : private DriveListView, private DirListView, private FileListView {
 public:
  // On this machine's drives and the program's current folder.
  Win32Window();
  // On the drives `drives` gives, starting on `start_folder`, with the
  // messages through `host` (Win32Host when null), which must outlive the
  // window.
  Win32Window(const DriveSource& drives, const std::filesystem::path& start_folder,
              Host* host = nullptr);
  ~Win32Window();
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  // Shows the window (ShowWindow's `show`) with the focus on Drive1.
  void Show(int show = SW_SHOWNORMAL);

  HWND Handle() const { return window_; }
  // The controls, as the tests reach them.
  HWND Drive1() const { return drive1_; }
  HWND Dir1() const { return dir1_; }
  HWND File1() const { return file1_; }
  HWND Command1() const { return command1_; }

  // What the window shows, and its handlers.
  frmMain& Form() { return *form_; }

 private:
  void ShowDrives(const std::vector<std::string>& names, int chosen) override;
  void ShowChosen(int chosen) override;
  void ShowFolders(const std::vector<DirListEntry>& entries, int current) override;
  void ShowFiles(const std::vector<std::string_view>& names) override;
  void ShowSelected(int index, bool selected) override;

  // The window class's procedure: HandleMessage on the window's object.
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // WM_COMMAND: notification `code` from the control with the id `id`.
  void HandleCommand(int id, int code);
  // Tells the logic which files the list box shows selected now.
  void TellSelection();
  // Command1 pressed, by a click or by Enter while it has the focus.
  void PressCommand1();
  void DrawFolder(const DRAWITEMSTRUCT& item);
  // `twips` in pixels at the system's DPI.
  int Pixels(int twips) const;
  HWND CreateControl(DWORD style_ex, const wchar_t* window_class, const wchar_t* text, DWORD style,
                     int id, const design::TwipRect& rect);

  Win32Host own_host_;
  Host& host_;
  int dpi_ = 96;
  struct DestroysWindow {
    void operator()(HWND window) const { DestroyWindow(window); }
  };
  struct DeletesFont {
    void operator()(HFONT font) const { DeleteObject(font); }
  };
  std::unique_ptr<HFONT__, DeletesFont> font_;
  std::unique_ptr<HWND__, DestroysWindow> own_window_;
  HWND window_ = nullptr;
  HWND drive1_ = nullptr;
  HWND dir1_ = nullptr;
  HWND file1_ = nullptr;
  HWND command1_ = nullptr;
  // The control that had the focus when the window was last deactivated.
  HWND focus_ = nullptr;
  std::optional<frmMain> form_;
};

// Dispatches the thread's messages, each through the window's keyboard
// navigation, until WM_QUIT, and returns its status: the program's.
int RunMessageLoop(Win32Window& window);

// Dispatches the messages already queued, as RunMessageLoop would, and
// returns WM_QUIT's status if one came (it is not put back).
std::optional<int> DispatchQueued(Win32Window& window);

// SelectDrives over the drive letters GetLogicalDriveStringsW gives, each
// ready when its volume answers GetVolumeInformationW (an empty CD drive does
// not, and asks no one to insert a disk): this machine's drives.
std::vector<text::NativeName> LogicalDrives();

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_WIN32_WINDOW_H_
