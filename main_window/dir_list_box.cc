// SPDX-License-Identifier: MIT
#include "main_window/dir_list_box.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <algorithm>
#include <exception>
#include <system_error>
#include <utility>

#include "common/run_time_error.h"
#include "main_window/drives.h"
#include "main_window/host.h"
#include "main_window/paths.h"

namespace holvane::ui {

namespace {

constexpr int kPathRole = Qt::UserRole;

}  // namespace

DirListBox::DirListBox(DriveSource drives, const std::filesystem::path& start_folder,
                       QWidget* parent)
    : QTreeWidget(parent), drives_(std::move(drives)) {
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  setIndentation(12);
  setSelectionMode(QAbstractItemView::SingleSelection);

  std::filesystem::path start = AbsoluteFolder(start_folder);
  listing::Entries subfolders;
  try {
    subfolders = listing::ListSubfolders(start);
  } catch (const RunTimeError&) {
    start = RootOf(start);
    subfolders = listing::ListSubfolders(start);
  }
  path_ = std::move(start);
  subfolders_ = std::move(subfolders);
  last_folder_on_drive_[DriveOf(path_, drives_())] = path_;
  Show();
}

std::filesystem::path DirListBox::Path() const { return path_; }

void DirListBox::setPath(const std::filesystem::path& path) { ChangeTo(Resolve(path)); }

std::filesystem::path DirListBox::Resolve(const std::filesystem::path& path) const {
  std::filesystem::path folder = AbsoluteFolder(path);
  const std::vector<text::NativeName> drives = drives_();
  const bool is_drive = std::find(drives.begin(), drives.end(), folder.native()) != drives.end();
  if (!is_drive) return folder;
  const auto last = last_folder_on_drive_.find(folder.native());
  std::error_code ignored;
  if (last != last_folder_on_drive_.end() && std::filesystem::is_directory(last->second, ignored)) {
    return last->second;
  }
  return folder;
}

void DirListBox::ChangeTo(const std::filesystem::path& folder) {
  if (folder.native() == path_.native()) return;
  listing::Entries subfolders = listing::ListSubfolders(folder);
  std::filesystem::path old_path = std::exchange(path_, folder);
  listing::Entries old_subfolders = std::exchange(subfolders_, std::move(subfolders));
  Show();
  try {
    Change.Raise();
  } catch (...) {
    path_ = std::move(old_path);
    subfolders_ = std::move(old_subfolders);
    Show();
    throw;
  }
  last_folder_on_drive_[DriveOf(path_, drives_())] = path_;
}

void DirListBox::Open(QTreeWidgetItem* item) {
  if (item == nullptr) return;
  const std::filesystem::path folder = PathOf(item->data(0, kPathRole));
  try {
    ChangeTo(folder);
  } catch (const std::exception&) {
    ReportUntrappedError(window());
  }
}

void DirListBox::Show() {
  clear();
  const QIcon open_icon = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed_icon = style()->standardIcon(QStyle::SP_DirClosedIcon);

  // The root ("/", or the drive's root "C:\"), then each folder down to the
  // one shown.
  const std::filesystem::path root = path_.root_path();
  auto* item = new QTreeWidgetItem(this, QStringList(ShownText(root)));
  item->setIcon(0, open_icon);
  item->setData(0, kPathRole, ItemData(root));
  std::filesystem::path at = root;
  for (const std::filesystem::path& part : path_.relative_path()) {
    if (part.empty()) continue;
    at /= part;
    item = new QTreeWidgetItem(item, QStringList(ShownText(part)));
    item->setIcon(0, open_icon);
    item->setData(0, kPathRole, ItemData(at));
  }
  QTreeWidgetItem* current = item;
  for (const listing::Entry subfolder : subfolders_) {
    auto* child = new QTreeWidgetItem(
        current, QStringList(QString::fromUtf8(subfolder.shown.data(),
                                               static_cast<qsizetype>(subfolder.shown.size()))));
    child->setIcon(0, closed_icon);
    child->setData(0, kPathRole, ItemData(path_ / PathOfName(subfolder.name)));
  }
  expandAll();
  setCurrentItem(current);
  scrollToItem(current);
}

void DirListBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    Open(currentItem());
    event->accept();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

void DirListBox::mouseDoubleClickEvent(QMouseEvent* event) {
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
