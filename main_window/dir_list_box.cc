#include "main_window/dir_list_box.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <algorithm>
#include <exception>
#include <utility>

#include "compression/run_time_error.h"
#include "main_window/drives.h"
#include "main_window/folders.h"
#include "main_window/paths.h"
#include "main_window/run_time.h"

namespace holvane::ui {

namespace {

constexpr int kPathRole = Qt::UserRole;

}  // namespace

DirListBox::DirListBox(DriveSource drives, const QString& start_folder, QWidget* parent)
    : QTreeWidget(parent), drives_(std::move(drives)) {
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  setIndentation(12);
  setSelectionMode(QAbstractItemView::SingleSelection);

  QString start = AbsoluteFolder(start_folder);
  QStringList subfolders;
  try {
    subfolders = ListSubfolders(start);
  } catch (const RunTimeError&) {
    start = QStringLiteral("/");
    subfolders = ListSubfolders(start);
  }
  path_ = start;
  subfolders_ = subfolders;
  last_folder_on_drive_[DriveOf(ToPath(start).native(), drives_())] = start;
  Show(path_, subfolders_);
}

QString DirListBox::Path() const { return path_; }

void DirListBox::setPath(const QString& path) { ChangeTo(Resolve(path)); }

QString DirListBox::Resolve(const QString& path) const {
  const QString folder = AbsoluteFolder(path);
  const std::string name = ToPath(folder).native();
  const std::vector<std::string> drives = drives_();
  const bool is_drive = std::find(drives.begin(), drives.end(), name) != drives.end();
  if (!is_drive) return folder;
  const auto last = last_folder_on_drive_.find(name);
  if (last != last_folder_on_drive_.end() && QFileInfo(last->second).isDir()) return last->second;
  return folder;
}

void DirListBox::ChangeTo(const QString& folder) {
  if (folder == path_) return;
  const QStringList subfolders = ListSubfolders(folder);
  const QString old_path = path_;
  const QStringList old_subfolders = subfolders_;
  path_ = folder;
  subfolders_ = subfolders;
  Show(path_, subfolders_);
  try {
    Change.Raise();
  } catch (...) {
    path_ = old_path;
    subfolders_ = old_subfolders;
    Show(path_, subfolders_);
    throw;
  }
  last_folder_on_drive_[DriveOf(ToPath(path_).native(), drives_())] = path_;
}

void DirListBox::Open(QTreeWidgetItem* item) {
  if (item == nullptr) return;
  const QString folder = item->data(0, kPathRole).toString();
  try {
    ChangeTo(folder);
  } catch (const std::exception& error) {
    ReportUntrappedError(window(), error);
  }
}

void DirListBox::Show(const QString& folder, const QStringList& subfolders) {
  clear();
  const QIcon open_icon = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed_icon = style()->standardIcon(QStyle::SP_DirClosedIcon);

  auto* item = new QTreeWidgetItem(this, QStringList(QStringLiteral("/")));
  item->setIcon(0, open_icon);
  item->setData(0, kPathRole, QStringLiteral("/"));
  QString at = QStringLiteral("/");
  for (const QString& part : folder.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    at = QDir(at).filePath(part);
    item = new QTreeWidgetItem(item, QStringList(part));
    item->setIcon(0, open_icon);
    item->setData(0, kPathRole, at);
  }
  QTreeWidgetItem* current = item;
  for (const QString& name : subfolders) {
    auto* child = new QTreeWidgetItem(current, QStringList(name));
    child->setIcon(0, closed_icon);
    child->setData(0, kPathRole, QDir(folder).filePath(name));
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
