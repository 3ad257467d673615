// SPDX-License-Identifier: MIT
#include "main_window/qt/lists.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStringList>
#include <QStyle>

namespace holvane::ui {

namespace {

// Each folder item's index among the entries.
constexpr int kIndexRole = Qt::UserRole;

}  // namespace

void QtDriveList::Attach(DriveListBox& list) {
  list_ = &list;
  connect(this, &QComboBox::activated, this, [this](int index) { list_->Chosen(index); });
}

void QtDriveList::ShowDrives(const std::vector<std::string>& names, int chosen) {
  clear();
  const QIcon icon = style()->standardIcon(QStyle::SP_DriveHDIcon);
  for (const std::string& name : names) addItem(icon, QString::fromStdString(name));
  setCurrentIndex(chosen);
}

void QtDriveList::showPopup() {
  if (list_ != nullptr) list_->DroppingDown();
  QComboBox::showPopup();
}

QtDirList::QtDirList(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  setIndentation(12);
  setSelectionMode(QAbstractItemView::SingleSelection);
}

void QtDirList::ShowFolders(const std::vector<DirListEntry>& entries, int current) {
  clear();
  const QIcon open_icon = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed_icon = style()->standardIcon(QStyle::SP_DirClosedIcon);
  // The last item at each depth so far: the parent of the next one below it.
  std::vector<QTreeWidgetItem*> at_depth;
  QTreeWidgetItem* current_item = nullptr;
  for (std::size_t index = 0; index < entries.size(); ++index) {
    const DirListEntry& entry = entries[index];
    const auto depth = static_cast<std::size_t>(entry.depth);
    const QStringList text(QString::fromStdString(entry.shown));
    auto* item = depth == 0 || depth > at_depth.size()
                     ? new QTreeWidgetItem(this, text)
                     : new QTreeWidgetItem(at_depth[depth - 1], text);
    item->setIcon(0, entry.open ? open_icon : closed_icon);
    item->setData(0, kIndexRole, static_cast<int>(index));
    at_depth.resize(depth);
    at_depth.push_back(item);
    if (static_cast<int>(index) == current) current_item = item;
  }
  expandAll();
  setCurrentItem(current_item);
  scrollToItem(current_item);
}

void QtDirList::Open(const QTreeWidgetItem* item) {
  if (item == nullptr || list_ == nullptr) return;
  list_->Open(item->data(0, kIndexRole).toInt());
}

void QtDirList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    Open(currentItem());
    event->accept();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

void QtDirList::mouseDoubleClickEvent(QMouseEvent* event) {
  // The list is rebuilt on opening, so the base class, which would go on
  // using the item under the mouse, is not called afterwards.
  if (event->button() == Qt::LeftButton) {
    Open(itemAt(event->position().toPoint()));
    event->accept();
    return;
  }
  QTreeWidget::mouseDoubleClickEvent(event);
}

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
