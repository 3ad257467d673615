// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_DRIVE_LIST_BOX_H_
#define HOLVANE_MAIN_WINDOW_DRIVE_LIST_BOX_H_

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "main_window/change_event.h"
#include "main_window/host.h"
#include "main_window/paths.h"
#include "text/names.h"

namespace holvane::ui {

// Drive1 and what it lists: which volumes are drives, how each is named, which
// one holds a path, and the list control that shows them.

// What the drive list asks of one mounted volume, as a view learns it from
// its system (QStorageInfo, GetLogicalDriveStringsW, ...).
struct Volume {
  // Where it is mounted, as the file system names it ("/media/x" on Linux,
  // "C:/" or "C:\" on Windows).
  text::NativeName root_path;
  // Its file system: "ext4", "vfat", "nfs4", "tmpfs", "NTFS", "CDFS", ...
  std::string type;
  // The volume is there, and its file system answers.
  bool valid = true;
  bool ready = true;
  bool read_only = false;
};

// The volumes a person would call drives, by their root paths, each once.
// On Linux: the root first, always, then in byte order every valid and ready
// volume mounted at an absolute path, of a file system on a disk, a medium or
// a network share, and outside the folders the system keeps its own mounts in
// (/proc, /sys, /dev, /run but /run/media, ...); read-only ones count.
// On Windows: every valid and ready volume with a drive letter, as "C:\" in
// capitals, in the order of the letters; one mounted only in a folder is
// left out. Pure: it looks at nothing but `volumes`.
std::vector<text::NativeName> SelectDrives(const std::vector<Volume>& volumes,
                                           Platform platform = kThisPlatform);

// The text that names `drive`, one of SelectDrives' results, in the drive
// list: its drive letter on Windows ("C:" for "C:\"), its mount point on
// Linux.
text::NativeName DriveName(const text::NativeName& drive, Platform platform = kThisPlatform);

// Where the lists learn the drives, asked afresh whenever they need them, so
// that a medium mounted while the program runs shows up.
using DriveSource = std::function<std::vector<text::NativeName>()>;

// The drive among `drives` that holds the absolute path `path`: the longest
// one that is `path` or one of its ancestors, part by part, or else the root
// of `path` itself ("/", or a drive or share that is not listed, on Windows).
text::NativeName DriveOf(const std::filesystem::path& path,
                         const std::vector<text::NativeName>& drives);

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
