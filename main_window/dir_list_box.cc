// SPDX-License-Identifier: MIT
#include "main_window/dir_list_box.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "common/run_time_error.h"
#include "main_window/paths.h"

namespace holvane::ui {

DirListBox::DirListBox(DriveSource drives, const std::filesystem::path& start_folder,
                       DirListView& view, Host& host)
    : drives_(std::move(drives)), view_(view), host_(host) {
  std::filesystem::path start = AbsoluteFolder(start_folder);
  listing::Entries subfolders;
  try {
    subfolders = listing::ListSubfolders(start);
  } catch (const RunTimeError&) {
    start = RootOf(start);
    subfolders = listing::ListSubfolders(start);
  }
  path_ = std::move(start);
  entries_ = EntriesOf(path_, subfolders, current_);
  last_folder_on_drive_[DriveOf(path_, drives_())] = path_;
  Show();
}

void DirListBox::SetPath(const std::filesystem::path& path) { ChangeTo(Resolve(path)); }

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
  int current = 0;
  std::vector<DirListEntry> entries = EntriesOf(folder, listing::ListSubfolders(folder), current);
  std::filesystem::path old_path = std::exchange(path_, folder);
  std::vector<DirListEntry> old_entries = std::exchange(entries_, std::move(entries));
  const int old_current = std::exchange(current_, current);
  Show();
  try {
    Change.Raise();
  } catch (...) {
    path_ = std::move(old_path);
    entries_ = std::move(old_entries);
    current_ = old_current;
    Show();
    throw;
  }
  last_folder_on_drive_[DriveOf(path_, drives_())] = path_;
}

void DirListBox::Open(int index) {
  if (index < 0 || index >= ListCount()) return;
  const std::filesystem::path folder = entries_[static_cast<std::size_t>(index)].path;
  try {
    ChangeTo(folder);
  } catch (const RunTimeError&) {
    host_.ReportFolderUnavailable();
  } catch (...) {
    host_.ReportFatalError();
  }
}

std::vector<DirListEntry> DirListBox::EntriesOf(const std::filesystem::path& path,
                                                const listing::Entries& subfolders, int& current) {
  // The root ("/", or the drive's root "C:\"), then each folder down to the
  // one shown, then its subfolders.
  std::vector<DirListEntry> entries;
  const std::filesystem::path root = path.root_path();
  entries.push_back({root, ShownText(root), 0, true});
  std::filesystem::path at = root;
  for (const std::filesystem::path& part : path.relative_path()) {
    if (part.empty()) continue;
    at /= part;
    entries.push_back({at, ShownText(part), entries.back().depth + 1, true});
  }
  current = static_cast<int>(entries.size()) - 1;
  const int depth = entries.back().depth + 1;
  for (const listing::Entry subfolder : subfolders) {
    entries.push_back(
        {path / PathOfName(subfolder.name), std::string(subfolder.shown), depth, false});
  }
  return entries;
}

void DirListBox::Show() { view_.ShowFolders(entries_, current_); }

}  // namespace holvane::ui
