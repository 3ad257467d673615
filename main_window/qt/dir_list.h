// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_QT_DIR_LIST_H_
#define HOLVANE_MAIN_WINDOW_QT_DIR_LIST_H_

#include <QTreeWidget>

#include "main_window/dir_list_box.h"

namespace holvane::ui {

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

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_QT_DIR_LIST_H_
