// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_QT_FILE_LIST_H_
#define HOLVANE_MAIN_WINDOW_QT_FILE_LIST_H_

#include <QListWidget>

#include "main_window/file_list_box.h"

namespace holvane::ui {

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

#endif  // HOLVANE_MAIN_WINDOW_QT_FILE_LIST_H_
