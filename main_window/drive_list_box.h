// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_DRIVE_LIST_BOX_H_
#define HOLVANE_MAIN_WINDOW_DRIVE_LIST_BOX_H_

#include <filesystem>
#include <string>
#include <vector>

#include "main_window/change_event.h"
#include "main_window/drives.h"
#include "main_window/host.h"

namespace holvane::ui {

// What the drive list needs of the control that shows it: a drop-down list
// of texts with one chosen. It reports the user's choice to
// DriveListBox::Chosen and its dropping down to DriveListBox::DroppingDown.
class DriveListView {
 public:
  // Shows `names` (UTF-8) in this order, entry `chosen` chosen (-1: none).
  virtual void ShowDrives(const std::vector<std::string>& names, int chosen) = 0;
  // Shows entry `chosen` chosen, the entries as they are.
  virtual void ShowChosen(int chosen) = 0;

 protected:
  ~DriveListView() = default;
};

// The list of the machine's drives, kept as the file system names their
// roots and shown by their names' shown text (see DriveName).
class DriveListBox {
 public:
  // Lists the drives `drives` gives (see SelectDrives) and starts on the one
  // that holds `start_folder`, without raising Change. The list is read
  // again each time it drops down.
  DriveListBox(DriveSource drives, const std::filesystem::path& start_folder, DriveListView& view,
               Host& host);

  // The chosen drive's root, as DirListBox::SetPath accepts it; empty
  // when none is chosen.
  std::filesystem::path Drive() const;

  // Chooses `drive`, one of the listed ones, raising Change when it differs
  // from the chosen one. A failure of Change's handler passes to the caller.
  void SetDrive(const std::filesystem::path& drive);

  int ListCount() const { return static_cast<int>(names_.size()); }
  // The shown name of entry `index`, 0 to ListCount() - 1.
  const std::string& List(int index) const { return names_.at(static_cast<std::size_t>(index)); }

  // The user's actions, as the view reports them.
  // The list is about to drop down: the drives are read afresh, and the
  // chosen one stays shown even when it is gone (a drive that failed stays
  // in view, as the user chose it).
  void DroppingDown();
  // The user chose entry `index`, which the view already shows: as
  // SetDrive, but a failure that comes back is reported as DirListBox::Open
  // reports it, not passed on.
  void Chosen(int index);

  // Raised after a different drive has been chosen.
  ChangeEvent Change;

 private:
  void Choose(int index);
  void Fill(const std::vector<text::NativeName>& drives);
  void Add(const std::filesystem::path& drive);
  // The index of the entry for `drive`, or -1.
  int IndexOf(const std::filesystem::path& drive) const;

  DriveSource drives_;
  DriveListView& view_;
  Host& host_;
  std::vector<std::filesystem::path> drives_listed_;
  std::vector<std::string> names_;
  int chosen_ = -1;
};

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_DRIVE_LIST_BOX_H_
