// SPDX-License-Identifier: MIT
#include "main_window/file_list_box.h"

#include <QSignalBlocker>
#include <QStringList>
#include <utility>

#include "common/run_time_error.h"
#include "listing/listing.h"
#include "main_window/paths.h"

namespace holvane::ui {

namespace {

constexpr int kNameRole = Qt::UserRole;

}  // namespace

FileListBox::FileListBox(const std::filesystem::path& start_folder, QWidget* parent)
    : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  try {
    setPath(start_folder);
  } catch (const RunTimeError&) {
    path_ = AbsoluteFolder(start_folder);
  }
}

std::filesystem::path FileListBox::Path() const { return path_; }

void FileListBox::setPath(const std::filesystem::path& folder) {
  std::filesystem::path absolute = AbsoluteFolder(folder);
  const listing::Entries files = listing::ListFiles(absolute, listing::kFilePattern);
  QStringList shown;
  shown.reserve(static_cast<qsizetype>(files.size()));
  for (const listing::Entry file : files) {
    shown.append(QString::fromUtf8(file.shown.data(), static_cast<qsizetype>(file.shown.size())));
  }
  clear();
  // All the entries in one insertion, then each name's bytes into its entry.
  // The view shows none of those, so the model need not announce them (one
  // announcement per entry would cost as much as the insertion itself).
  addItems(shown);
  {
    const QSignalBlocker quiet(model());
    for (int index = 0; index < count(); ++index) {
      item(index)->setData(kNameRole,
                           ItemData(PathOfName(files[static_cast<std::size_t>(index)].name)));
    }
  }
  path_ = std::move(absolute);
}

QString FileListBox::Pattern() const { return QString::fromLatin1(listing::kFilePattern); }

int FileListBox::ListCount() const { return count(); }

QString FileListBox::List(int index) const {
  const QListWidgetItem* entry = item(index);
  return entry != nullptr ? entry->text() : QString();
}

std::filesystem::path FileListBox::FileName(int index) const {
  const QListWidgetItem* entry = item(index);
  return entry != nullptr ? PathOf(entry->data(kNameRole)) : std::filesystem::path();
}

bool FileListBox::Selected(int index) const {
  const QListWidgetItem* entry = item(index);
  return entry != nullptr && entry->isSelected();
}

void FileListBox::setSelected(int index, bool selected) {
  if (QListWidgetItem* entry = item(index)) entry->setSelected(selected);
}

}  // namespace holvane::ui
