#include "main_window/file_list_box.h"

#include "compression/run_time_error.h"
#include "main_window/folders.h"

namespace holvane::ui {

FileListBox::FileListBox(const QString& start_folder, QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  try {
    setPath(start_folder);
  } catch (const RunTimeError&) {
    path_ = AbsoluteFolder(start_folder);
  }
}

QString FileListBox::Path() const { return path_; }

void FileListBox::setPath(const QString& folder) {
  const QString absolute = AbsoluteFolder(folder);
  const QStringList names = ListMatchingFiles(absolute, Pattern());
  clear();
  addItems(names);
  path_ = absolute;
}

QString FileListBox::Pattern() const { return QString::fromLatin1(kFilePattern); }

int FileListBox::ListCount() const { return count(); }

QString FileListBox::List(int index) const {
  const QListWidgetItem* entry = item(index);
  return entry != nullptr ? entry->text() : QString();
}

bool FileListBox::Selected(int index) const {
  const QListWidgetItem* entry = item(index);
  return entry != nullptr && entry->isSelected();
}

void FileListBox::setSelected(int index, bool selected) {
  if (QListWidgetItem* entry = item(index)) entry->setSelected(selected);
}

}  // namespace holvane::ui
