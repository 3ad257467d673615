// SPDX-License-Identifier: MIT
#include "main_window/drive_list_box.h"

#include <algorithm>
#include <utility>

#include "common/run_time_error.h"
#include "main_window/paths.h"

namespace holvane::ui {

DriveListBox::DriveListBox(DriveSource drives, const std::filesystem::path& start_folder,
                           DriveListView& view, Host& host)
    : drives_(std::move(drives)), view_(view), host_(host) {
  const std::vector<text::NativeName> drives_now = drives_();
  Fill(drives_now);
  chosen_ = std::max(IndexOf(DriveOf(AbsoluteFolder(start_folder), drives_now)),
                     drives_listed_.empty() ? -1 : 0);
  view_.ShowDrives(names_, chosen_);
}

std::filesystem::path DriveListBox::Drive() const {
  return chosen_ >= 0 ? drives_listed_[static_cast<std::size_t>(chosen_)] : std::filesystem::path();
}

void DriveListBox::DroppingDown() {
  const std::filesystem::path chosen = Drive();
  Fill(drives_());
  int index = IndexOf(chosen);
  if (index < 0 && !chosen.empty()) {
    Add(chosen);
    index = ListCount() - 1;
  }
  chosen_ = index;
  view_.ShowDrives(names_, chosen_);
}

void DriveListBox::Fill(const std::vector<text::NativeName>& drives) {
  drives_listed_.clear();
  names_.clear();
  for (const text::NativeName& drive : drives) Add(drive);
}

void DriveListBox::Add(const std::filesystem::path& drive) {
  drives_listed_.push_back(drive);
  names_.push_back(ShownText(DriveName(drive.native())));
}

int DriveListBox::IndexOf(const std::filesystem::path& drive) const {
  for (std::size_t index = 0; index < drives_listed_.size(); ++index) {
    if (drives_listed_[index].native() == drive.native()) return static_cast<int>(index);
  }
  return -1;
}

void DriveListBox::SetDrive(const std::filesystem::path& drive) {
  const int index = IndexOf(drive);
  if (index < 0) return;
  view_.ShowChosen(index);
  Choose(index);
}

void DriveListBox::Chosen(int index) {
  if (index < 0 || index >= ListCount()) return;
  try {
    Choose(index);
  } catch (const RunTimeError&) {
    host_.ReportFolderUnavailable();
  } catch (...) {
    host_.ReportFatalError();
  }
}

void DriveListBox::Choose(int index) {
  if (index == chosen_) return;
  chosen_ = index;
  // The list keeps showing the new drive even when its handler fails.
  Change.Raise();
}

}  // namespace holvane::ui
