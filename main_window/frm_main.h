// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_FRM_MAIN_H_
#define HOLVANE_MAIN_WINDOW_FRM_MAIN_H_

#include <filesystem>
#include <optional>

#include "compression/czlib.h"
#include "main_window/dir_list_box.h"
#include "main_window/drive_list_box.h"
#include "main_window/file_list_box.h"
#include "main_window/host.h"

namespace holvane::ui {

// The program's one window, whatever shows it: a drive list, a folder list,
// the list of the folder's *.wvl files and the button that converts the
// selected files, with the handlers that keep the three lists on one folder
// and the button's. A view (design.h lays it out) shows the lists, reports
// the user's actions on them to Drive1, Dir1 and File1, and a press of its
// button, Command1, to Command1_Click; the host shows the messages.
class frmMain {
 public:
  // On the drives `drives` gives (see SelectDrives), all three lists
  // starting on `start_folder`. The views and the host must outlive the
  // window.
  frmMain(const DriveSource& drives, const std::filesystem::path& start_folder,
          DriveListView& drive_view, DirListView& dir_view, FileListView& file_view, Host& host);
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  DriveListBox Drive1;
  DirListBox Dir1;
  FileListBox File1;

  // Converts the selected files, in the list's order, and says how many;
  // after a failure it stops, says so and ends the program.
  void Command1_Click();

 private:
  void Drive1_Change();
  void Dir1_Change();

  Host& host_;
  // Created just before the first decompression, then kept.
  std::optional<cZLIB> zlib_;
};

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_FRM_MAIN_H_
