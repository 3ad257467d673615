#include "main_window/drive_list_box.h"

#include <QStyle>
#include <algorithm>
#include <exception>
#include <utility>

#include "main_window/drives.h"
#include "main_window/folders.h"
#include "main_window/paths.h"
#include "main_window/run_time.h"

namespace holvane::ui {

DriveListBox::DriveListBox(DriveSource drives, const QString& start_folder, QWidget* parent)
    : QComboBox(parent), drives_(std::move(drives)) {
  const std::vector<std::string> drives_now = drives_();
  Fill(drives_now);
  const std::string start = ToPath(AbsoluteFolder(start_folder)).native();
  chosen_ = std::max(findText(FromPath(DriveOf(start, drives_now))), count() > 0 ? 0 : -1);
  setCurrentIndex(chosen_);
  connect(this, &QComboBox::activated, this, [this](int index) {
    try {
      Choose(index);
    } catch (const std::exception& error) {
      ReportUntrappedError(window(), error);
    }
  });
}

QString DriveListBox::Drive() const { return currentText(); }

void DriveListBox::showPopup() {
  Refresh();
  QComboBox::showPopup();
}

void DriveListBox::Refresh() {
  const QString chosen = currentText();
  Fill(drives_());
  int index = findText(chosen);
  if (index < 0 && !chosen.isEmpty()) {
    addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), chosen);
    index = count() - 1;
  }
  chosen_ = index;
  setCurrentIndex(index);
}

void DriveListBox::Fill(const std::vector<std::string>& drives) {
  const QIcon icon = style()->standardIcon(QStyle::SP_DriveHDIcon);
  clear();
  for (const std::string& drive : drives) addItem(icon, FromPath(drive));
}

void DriveListBox::setDrive(const QString& drive) {
  const int index = findText(drive);
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
