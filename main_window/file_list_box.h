// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_FILE_LIST_BOX_H_
#define HOLVANE_MAIN_WINDOW_FILE_LIST_BOX_H_

#include <QListWidget>
#include <filesystem>

namespace holvane::ui {

// The names, without the folder, of the files in one folder that match
// Pattern(), whatever their letter case (the files come from machines whose
// file systems ignore it) and whatever bytes they hold, in the listing's
// order (numbers by value, letter case ignored); hidden files and folders
// are left out. Each entry shows its name's shown text and keeps the name's
// bytes. Extended multiple selection: click, Shift, Ctrl, Ctrl+A. A
// double-click only selects.
class FileListBox : public QListWidget {
  Q_OBJECT

 public:
  // Starts on `start_folder`; when it cannot be listed, empty.
  explicit FileListBox(const std::filesystem::path& start_folder, QWidget* parent = nullptr);

  // The folder whose files are listed.
  std::filesystem::path Path() const;

  // Reads `folder` again and lists its matching files, none selected. The
  // list is read only here: it keeps its entries and selection until Path is
  // written again. Throws RunTimeError when the folder cannot be listed; the
  // list is unchanged then.
  void setPath(const std::filesystem::path& folder);

  QString Pattern() const;

  int ListCount() const;
  // The shown name of entry `index`, 0 to ListCount() - 1.
  QString List(int index) const;
  // The name of entry `index` as the folder holds it: the name to open.
  std::filesystem::path FileName(int index) const;
  bool Selected(int index) const;
  void setSelected(int index, bool selected);

 private:
  std::filesystem::path path_;
};

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_FILE_LIST_BOX_H_
