// SPDX-License-Identifier: MIT
#include "main_window/qt/dir_list.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>

namespace holvane::ui {

namespace {

// Each item's index among the entries.
constexpr int kIndexRole = Qt::UserRole;

}  // namespace

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

}  // namespace holvane::ui
