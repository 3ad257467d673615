// SPDX-License-Identifier: MIT
#include "main_window/file_list_box.h"

#include <utility>

#include "common/run_time_error.h"
#include "main_window/paths.h"

namespace holvane::ui {

FileListBox::FileListBox(const std::filesystem::path& start_folder, FileListView& view)
    : view_(view) {
  try {
    SetPath(start_folder);
  } catch (const RunTimeError&) {
    path_ = AbsoluteFolder(start_folder);
    view_.ShowFiles({});
  }
}

void FileListBox::SetPath(const std::filesystem::path& folder) {
  std::filesystem::path absolute = AbsoluteFolder(folder);
  files_ = listing::ListFiles(absolute, listing::kFilePattern);
  selected_.assign(files_.size(), false);
  path_ = std::move(absolute);
  std::vector<std::string_view> shown;
  shown.reserve(files_.size());
  for (const listing::Entry file : files_) shown.push_back(file.shown);
  view_.ShowFiles(shown);
}

std::string_view FileListBox::List(int index) const {
  return IsEntry(index) ? files_[static_cast<std::size_t>(index)].shown : std::string_view();
}

std::filesystem::path FileListBox::FileName(int index) const {
  return IsEntry(index) ? PathOfName(files_[static_cast<std::size_t>(index)].name)
                        : std::filesystem::path();
}

bool FileListBox::Selected(int index) const {
  return IsEntry(index) && selected_[static_cast<std::size_t>(index)];
}

void FileListBox::SetSelected(int index, bool selected) {
  if (!IsEntry(index)) return;
  selected_[static_cast<std::size_t>(index)] = selected;
  view_.ShowSelected(index, selected);
}

void FileListBox::SelectionChanged(const std::vector<int>& selected) {
  selected_.assign(files_.size(), false);
  for (const int index : selected) {
    if (IsEntry(index)) selected_[static_cast<std::size_t>(index)] = true;
  }
}

}  // namespace holvane::ui
