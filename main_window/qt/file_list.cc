// SPDX-License-Identifier: MIT
#include "main_window/qt/file_list.h"

#include <QSignalBlocker>
#include <QStringList>

namespace holvane::ui {

QtFileList::QtFileList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void QtFileList::Attach(FileListBox& list) {
  list_ = &list;
  connect(this, &QListWidget::itemSelectionChanged, this, [this] {
    std::vector<int> selected;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
      selected.push_back(index.row());
    }
    list_->SelectionChanged(selected);
  });
}

// The logic's own writes are not reported back to it.
void QtFileList::ShowFiles(const std::vector<std::string_view>& names) {
  QStringList shown;
  shown.reserve(static_cast<qsizetype>(names.size()));
  for (const std::string_view name : names) {
    shown.append(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  }
  const QSignalBlocker quiet(this);
  clear();
  // All the entries in one insertion.
  addItems(shown);
}

void QtFileList::ShowSelected(int index, bool selected) {
  const QSignalBlocker quiet(this);
  if (QListWidgetItem* entry = item(index)) entry->setSelected(selected);
}

}  // namespace holvane::ui
