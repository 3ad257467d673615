// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_QT_LISTS_H_
#define HOLVANE_MAIN_WINDOW_QT_LISTS_H_

#include <QComboBox>
#include <QListWidget>
#include <QTreeWidget>

#include "main_window/dir_list_box.h"
#include "main_window/drive_list_box.h"
#include "main_window/file_list_box.h"

// The Qt widgets of the form's three lists: Drive1, Dir1 and File1.

namespace holvane::ui {

// The drive list as a QComboBox, each drive with the disk icon.
class QtDriveList final : public QComboBox, public DriveListView {
  Q_OBJECT

 public:
  explicit QtDriveList(QWidget* parent = nullptr) : QComboBox(parent) {}

  // From now on the user's actions go to `list`, which must outlive this.
  void Attach(DriveListBox& list);

  void ShowDrives(const std::vector<std::string>& names, int chosen) override;
  void ShowChosen(int chosen) override { setCurrentIndex(chosen); }

  void showPopup() override;

 private:
  DriveListBox* list_ = nullptr;
};

// The folder list as a QTreeWidget: each folder a child of the one above it,
// open folders with the open icon. A double-click or Enter opens the entry;
// highlighting one does not.
class QtDirList final : public QTreeWidget, public DirListView {
  Q_OBJECT

 public:
  explicit QtDirList(QWidget* parent = nullptr);

  // From now on the user's actions go to `list`, which must outlive this.
  void Attach(DirListBox& list) { list_ = &list; }

  void ShowFolders(const std::vector<DirListEntry>& entries, int current) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void Open(const QTreeWidgetItem* item);

  DirListBox* list_ = nullptr;
};

// The file list as a QListWidget with extended selection (click, Shift,
// Ctrl, Ctrl+A); a double-click only selects.
class QtFileList final : public QListWidget, public FileListView {
  Q_OBJECT

 public:
  explicit QtFileList(QWidget* parent = nullptr);

  // From now on the user's selections go to `list`, which must outlive this.
  void Attach(FileListBox& list);

  void ShowFiles(const std::vector<std::string_view>& names) override;
  void ShowSelected(int index, bool selected) override;

 private:
  FileListBox* list_ = nullptr;
};

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_QT_LISTS_H_
