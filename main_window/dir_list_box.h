// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_DIR_LIST_BOX_H_
#define HOLVANE_MAIN_WINDOW_DIR_LIST_BOX_H_

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "listing/listing.h"
#include "main_window/change_event.h"
#include "main_window/drive_list_box.h"
#include "main_window/host.h"
#include "text/names.h"

namespace holvane::ui {

// One entry of the folder list.
struct DirListEntry {
  std::filesystem::path path;
  // UTF-8.
  std::string shown;
  // 0 for the root, one more for each folder below it.
  int depth = 0;
  // The root and the folders down to the one shown are open; its subfolders
  // are not.
  bool open = false;
};

// What the folder list needs of the control that shows it: a list of
// indented entries with one current. It reports an entry the user opens
// (double-click, Enter) to DirListBox::Open; highlighting one is no action.
class DirListView {
 public:
  // Shows `entries` in this order, the folder shown, entry `current`,
  // current.
  virtual void ShowFolders(const std::vector<DirListEntry>& entries, int current) = 0;

 protected:
  ~DirListView() = default;
};

// The folder list: the folder it is on, with its ancestors from the root down
// above it and its subfolders below it, each shown by its shown name and kept
// as the file system names it.
class DirListBox {
 public:
  // `drives` as DriveListBox lists them. Starts on `start_folder` without
  // raising Change; when that folder cannot be listed, on its root (its
  // drive's root on Windows).
  DirListBox(DriveSource drives, const std::filesystem::path& start_folder, DirListView& view,
             Host& host);

  // The full path of the folder shown.
  std::filesystem::path Path() const { return path_; }

  // Moves the list to the folder `path` and raises Change, unless it is
  // already there. A drive (DriveListBox::Drive) stands for the folder last
  // shown on that drive in this run, or the drive's root, as a drive letter
  // does on the platforms that have them: writing the current drive leaves
  // the list where it is. (The user opening the root in the list goes to the
  // root.)
  //
  // Throws RunTimeError when the folder cannot be listed; nothing has changed
  // then. When Change's handler fails, the list goes back to the folder it
  // showed and the failure passes on.
  void SetPath(const std::filesystem::path& path);

  int ListCount() const { return static_cast<int>(entries_.size()); }
  // Entry `index`, 0 to ListCount() - 1, as the view shows it.
  const DirListEntry& List(int index) const { return entries_.at(static_cast<std::size_t>(index)); }

  // The user opened entry `index`: the list moves to that exact folder. A
  // failure is reported, never passed on: a folder that cannot be listed by
  // Host::ReportFolderUnavailable, any other by Host::ReportFatalError.
  void Open(int index);

  // Raised after Path has changed, inside the write that changed it.
  ChangeEvent Change;

 private:
  // Where a write of `path` leads: the folder itself, or for a drive's text,
  // the folder last shown on that drive.
  std::filesystem::path Resolve(const std::filesystem::path& path) const;
  void ChangeTo(const std::filesystem::path& folder);
  // The entries for the folder `path` with the subfolders `subfolders`, and
  // the index of the folder's own.
  static std::vector<DirListEntry> EntriesOf(const std::filesystem::path& path,
                                             const listing::Entries& subfolders, int& current);
  void Show();

  DriveSource drives_;
  DirListView& view_;
  Host& host_;
  std::map<text::NativeName, std::filesystem::path> last_folder_on_drive_;
  std::filesystem::path path_;
  std::vector<DirListEntry> entries_;
  int current_ = 0;
};

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_DIR_LIST_BOX_H_
