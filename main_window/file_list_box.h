// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_FILE_LIST_BOX_H_
#define HOLVANE_MAIN_WINDOW_FILE_LIST_BOX_H_

#include <filesystem>
#include <string_view>
#include <vector>

#include "listing/listing.h"

namespace holvane::ui {

// What the file list needs of the control that shows it: a list of texts
// with extended multiple selection (click, Shift, Ctrl, and Ctrl+A where the
// platform has it), where a double-click only selects. It reports every
// change of the selection the user makes to FileListBox::SelectionChanged.
class FileListView {
 public:
  // Shows `names` (UTF-8) in this order, none selected.
  virtual void ShowFiles(const std::vector<std::string_view>& names) = 0;
  // Shows entry `index` selected or not.
  virtual void ShowSelected(int index, bool selected) = 0;

 protected:
  ~FileListView() = default;
};

// The names, without the folder, of the files in one folder that match
// Pattern(), whatever their letter case (the files come from machines whose
// file systems ignore it) and whatever bytes they hold, in the listing's
// order (numbers by value, letter case ignored); hidden files and folders
// are left out. Each entry keeps its name as the folder holds it and shows
// its shown text.
class FileListBox {
 public:
  // Starts on `start_folder`; when it cannot be listed, empty.
  FileListBox(const std::filesystem::path& start_folder, FileListView& view);

  // The folder whose files are listed.
  std::filesystem::path Path() const { return path_; }

  // Reads `folder` again and lists its matching files, none selected. The
  // list is read only here: it keeps its entries and selection until Path is
  // written again. Throws RunTimeError when the folder cannot be listed; the
  // list is unchanged then.
  void SetPath(const std::filesystem::path& folder);

  std::string_view Pattern() const { return listing::kFilePattern; }

  int ListCount() const { return static_cast<int>(files_.size()); }
  // The shown name of entry `index`, 0 to ListCount() - 1, valid until Path
  // is written.
  std::string_view List(int index) const;
  // The name of entry `index` as the folder holds it: the name to open.
  std::filesystem::path FileName(int index) const;
  bool Selected(int index) const;
  void SetSelected(int index, bool selected);

  // The user changed the selection: the entries at `selected` (in any
  // order) are selected now, and only those.
  void SelectionChanged(const std::vector<int>& selected);

 private:
  bool IsEntry(int index) const { return index >= 0 && index < ListCount(); }

  FileListView& view_;
  std::filesystem::path path_;
  listing::Entries files_;
  std::vector<bool> selected_;
};

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_FILE_LIST_BOX_H_
