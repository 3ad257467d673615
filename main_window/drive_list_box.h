// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_DRIVE_LIST_BOX_H_
#define HOLVANE_MAIN_WINDOW_DRIVE_LIST_BOX_H_

#include <QComboBox>
#include <filesystem>
#include <string>
#include <vector>

#include "main_window/change_event.h"
#include "main_window/drives.h"

namespace holvane::ui {

// A drop-down of the machine's drives, shown by their names' shown text (see
// DriveName) and kept as the file system names their roots.
class DriveListBox : public QComboBox {
  Q_OBJECT

 public:
  // Lists the drives `drives` gives (see SelectDrives) and starts on the one
  // that holds `start_folder`, without raising Change. The list is read again
  // each time it drops down.
  DriveListBox(DriveSource drives, const std::filesystem::path& start_folder,
               QWidget* parent = nullptr);

  // The chosen drive's root, as DirListBox::setPath accepts it; empty
  // when none is chosen.
  std::filesystem::path Drive() const;

  // Chooses `drive`, one of the listed ones, as the user would, raising
  // Change when it differs from the chosen one. A failure of Change's handler
  // passes to the caller.
  void setDrive(const std::filesystem::path& drive);

  // Raised after a different drive has been chosen.
  ChangeEvent Change;

  void showPopup() override;

 private:
  void Choose(int index);
  // Lists the drives afresh, keeping the chosen one shown even when it is
  // gone (a drive that failed stays in view, as the user chose it).
  void Refresh();
  void Fill(const std::vector<text::NativeName>& drives);
  void Add(const std::filesystem::path& drive);
  // The index of the entry for `drive`, or -1.
  int IndexOf(const std::filesystem::path& drive) const;

  DriveSource drives_;

  int chosen_ = -1;
};

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_DRIVE_LIST_BOX_H_
