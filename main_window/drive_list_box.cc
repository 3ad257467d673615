// SPDX-License-Identifier: MIT
#include "main_window/drive_list_box.h"

#include <QStyle>
#include <algorithm>
#include <exception>
#include <utility>

#include "main_window/drives.h"
#include "main_window/host.h"
#include "main_window/paths.h"

namespace holvane::ui {

namespace {

constexpr int kDriveRole = Qt::UserRole;

}  // namespace

DriveListBox::DriveListBox(DriveSource drives, const std::filesystem::path& start_folder,
                           QWidget* parent)
    : QComboBox(parent), drives_(std::move(drives)) {
  const std::vector<text::NativeName> drives_now = drives_();
  Fill(drives_now);
  chosen_ =
      std::max(IndexOf(DriveOf(AbsoluteFolder(start_folder), drives_now)), count() > 0 ? 0 : -1);
  setCurrentIndex(chosen_);
  connect(this, &QComboBox::activated, this, [this](int index) {
    try {
      Choose(index);
    } catch (const std::exception&) {
      ReportUntrappedError(window());
    }
  });
}

std::filesystem::path DriveListBox::Drive() const { return PathOf(currentData(kDriveRole)); }

void DriveListBox::showPopup() {
  Refresh();
  QComboBox::showPopup();
}

void DriveListBox::Refresh() {
  const std::filesystem::path chosen = Drive();
  Fill(drives_());
  int index = IndexOf(chosen);
  if (index < 0 && !chosen.empty()) {
    Add(chosen);
    index = count() - 1;
  }
  chosen_ = index;
  setCurrentIndex(index);
}

void DriveListBox::Fill(const std::vector<text::NativeName>& drives) {
  clear();
  for (const text::NativeName& drive : drives) Add(drive);
}

void DriveListBox::Add(const std::filesystem::path& drive) {
  addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), ShownText(DriveName(drive.native())),
          ItemData(drive));
}

int DriveListBox::IndexOf(const std::filesystem::path& drive) const {
  for (int index = 0; index < count(); ++index) {
    if (PathOf(itemData(index, kDriveRole)).native() == drive.native()) return index;
  }
  return -1;
}

void DriveListBox::setDrive(const std::filesystem::path& drive) {
  const int index = IndexOf(drive);
  if (index < 0) return;
  setCurrentIndex(index);
  Choose(index);
}

void DriveListBox::Choose(int index) {
  if (index == chosen_) return;
  chosen_ = index;
  // The list keeps showing the new drive even when its handler fails.
  Change.Raise();
}

}  // namespace holvane::ui
