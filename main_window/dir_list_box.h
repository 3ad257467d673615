// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_DIR_LIST_BOX_H_
#define HOLVANE_MAIN_WINDOW_DIR_LIST_BOX_H_

#include <QTreeWidget>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "listing/listing.h"
#include "main_window/change_event.h"
#include "main_window/drives.h"

namespace holvane::ui {

// The folder list: the folder it is on, with its ancestors from the root down
// above it and its subfolders below it, each shown by its shown name and kept
// as bytes. Opening an entry (double-click or Enter) moves the list there;
// highlighting one does not.
class DirListBox : public QTreeWidget {
  Q_OBJECT

 public:
  // `drives` as DriveListBox lists them. Starts on `start_folder` without
  // raising Change; when that folder cannot be listed, on its root (its
  // drive's root on Windows).
  DirListBox(DriveSource drives, const std::filesystem::path& start_folder,
             QWidget* parent = nullptr);

  // The full path of the folder shown.
  std::filesystem::path Path() const;

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
  void setPath(const std::filesystem::path& path);

  // Raised after Path has changed, inside the write that changed it.
  ChangeEvent Change;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  // Where a write of `path` leads: the folder itself, or for a drive's text,
  // the folder last shown on that drive.
  std::filesystem::path Resolve(const std::filesystem::path& path) const;
  void ChangeTo(const std::filesystem::path& folder);
  // The user's opening of an entry: the exact folder, with a failure reported
  // instead of passed on.
  void Open(QTreeWidgetItem* item);
  void Show();

  DriveSource drives_;
  std::map<text::NativeName, std::filesystem::path> last_folder_on_drive_;
  std::filesystem::path path_;
  listing::Entries subfolders_;
};

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_DIR_LIST_BOX_H_
